// A document: the data behind one or more views, with a title shown by its frames.
#pragma once

#include "platform/core/CString.h"
#include "platform/core/WinTypes.h"
#include "platform/ui/CCmdTarget.h"

#include <vector>

class CDocTemplate;
class CFrameWnd;
class CView;

// Base of objects passed as hints through UpdateAllViews.
class CUpdateHint {
public:
    virtual ~CUpdateHint() = default;
};

class CDocument : public CCmdTarget {
public:
    CDocument();
    ~CDocument() override;

    const CString& GetTitle() const { return m_strTitle; }
    // Sets the title and shows it in the frames of the views.
    virtual void SetTitle(const char* title);
    const CString& GetPathName() const { return m_strPathName; }
    virtual void SetPathName(const char* path, BOOL addToRecent = TRUE);

    void AddView(CView* view);
    // Removes the view; a document left without views closes itself when auto-delete.
    void RemoveView(CView* view);
    const std::vector<CView*>& GetViews() const { return m_views; }
    CView* GetFirstView() const { return m_views.empty() ? nullptr : m_views.front(); }
    POSITION GetFirstViewPosition() const;
    CView* GetNextView(POSITION& pos) const;
    // OnUpdate of every view but the sender.
    void UpdateAllViews(CView* sender, LPARAM hint = 0, CUpdateHint* hintObject = nullptr);

    CDocTemplate* GetDocTemplate() const { return m_pDocTemplate; }
    void SetDocTemplate(CDocTemplate* docTemplate) { m_pDocTemplate = docTemplate; }

    virtual BOOL OnNewDocument();
    // Destroys the frames of the views and, with auto-delete, the document.
    virtual void OnCloseDocument();
    virtual BOOL CanCloseFrame(CFrameWnd* frame);
    virtual BOOL SaveModified();
    virtual BOOL IsModified() const { return m_bModified; }
    virtual void SetModifiedFlag(BOOL modified = TRUE) { m_bModified = modified != FALSE; }
    virtual void UpdateFrameCounts();

    BOOL OnCmdMsg(UINT id, UINT code, CCmdUI* ui) override;

    bool m_bAutoDelete = true;

protected:
    CString m_strTitle;
    CString m_strPathName;

private:
    std::vector<CView*> m_views;
    CDocTemplate* m_pDocTemplate = nullptr;
    bool m_bModified = false;
    bool m_closing = false;
};
