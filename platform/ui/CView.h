// A view: the window that shows a document inside a frame, with drawing and the print
// hooks (OnPreparePrinting, OnBeginPrinting, OnPrepareDC, OnPrint, OnEndPrinting).
// Views are created by their frame and delete themselves when their window goes.
#pragma once

#include "platform/ui/CDocument.h"
#include "platform/ui/CPrintInfo.h"
#include "platform/ui/CWnd.h"

class CMenu;
struct CCreateContext;

class CView : public CWnd {
public:
    CView();
    ~CView() override;

    CDocument* GetDocument() const { return m_pDocument; }
    // Creates the view window in the frame and attaches it to the document.
    virtual BOOL CreateView(CWnd* parent, UINT id, CCreateContext* context);

    virtual void OnInitialUpdate();
    virtual void OnUpdate(CView* sender, LPARAM hint, CUpdateHint* hintObject);
    virtual void OnDraw(CDC* dc);
    virtual void OnPrepareDC(CDC* dc, CPrintInfo* info = nullptr);
    virtual void OnActivateView(BOOL activate, CView* activated, CView* deactivated);
    virtual void OnActivateFrame(UINT state, CFrameWnd* frame);
    // A popup of the frame's menu bar is about to show while this view is active: views
    // fill the popups whose items change (lists of the moment) before their update-UI runs.
    virtual void OnInitFrameMenu(CMenu*) {}

    // Printing. OnPreparePrinting normally returns DoPreparePrinting(info).
    virtual BOOL OnPreparePrinting(CPrintInfo* info);
    virtual void OnBeginPrinting(CDC* dc, CPrintInfo* info);
    virtual void OnPrint(CDC* dc, CPrintInfo* info);
    virtual void OnEndPrinting(CDC* dc, CPrintInfo* info);
    // Asks for the printer (unless direct, preview or to a file); false when cancelled.
    BOOL DoPreparePrinting(CPrintInfo* info);
    // Prints through the hooks: to the printer chosen in the print dialog, or to a PDF
    // file when path is given. False when cancelled or failed.
    bool Print(const char* pdfPath = nullptr);
    void PrintPreview();

    BOOL OnCmdMsg(UINT id, UINT code, CCmdUI* ui) override;
    const CMessageMap& GetMessageMap() const override;

    // Moves the view to another document (used when windows change frames).
    void SetDocument(CDocument* doc);

protected:
    void OnPaint() override;
    void PostNcDestroy() override;
    QWidget* CreateWidget(QWidget* parent) override;
    void OnFilePrint();
    void OnFilePrintPreview();
    void OnFilePrintDirect();

    CDocument* m_pDocument = nullptr;
    bool m_autoDelete = false;

private:
    friend class CDocument;
    bool RunPrintJob(CPrintInfo& info);
};
