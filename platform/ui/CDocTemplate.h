// A document template: creates a document, a frame and a view from run-time classes.
// The resource id names the frame's menu (and the caption string, when present).
#pragma once

#include "platform/core/WinTypes.h"
#include "platform/ui/CCmdTarget.h"

#include <vector>

class CDocument;
class CFrameWnd;
class CRuntimeClass;

class CDocTemplate : public CCmdTarget {
public:
    CDocTemplate(UINT resourceId, const CRuntimeClass* docClass, const CRuntimeClass* frameClass,
                 const CRuntimeClass* viewClass);
    ~CDocTemplate() override;

    // A new document in a new frame with its view; null on failure. The frame is
    // shown when makeVisible is set.
    virtual CDocument* OpenDocumentFile(const char* path, BOOL makeVisible = TRUE);
    // A new frame for doc; with a view class the frame gets its view too.
    virtual CFrameWnd* CreateNewFrame(CDocument* doc, CFrameWnd* other, bool withView = true);
    virtual void InitialUpdateFrame(CFrameWnd* frame, CDocument* doc, BOOL makeVisible = TRUE);
    CDocument* CreateNewDocument();

    void AddDocument(CDocument* doc);
    void RemoveDocument(CDocument* doc);
    const std::vector<CDocument*>& GetDocuments() const { return m_docs; }
    POSITION GetFirstDocPosition() const;
    CDocument* GetNextDoc(POSITION& pos) const;
    void CloseAllDocuments(BOOL endSession);

    UINT GetResourceId() const { return m_nIDResource; }
    const CRuntimeClass* GetDocClass() const { return m_pDocClass; }
    const CRuntimeClass* GetFrameClass() const { return m_pFrameClass; }
    const CRuntimeClass* GetViewClass() const { return m_pViewClass; }

private:
    UINT m_nIDResource;
    const CRuntimeClass* m_pDocClass;
    const CRuntimeClass* m_pFrameClass;
    const CRuntimeClass* m_pViewClass;
    std::vector<CDocument*> m_docs;
};

// Templates whose frames are MDI children or floating frames; same behaviour.
using CMultiDocTemplate = CDocTemplate;
