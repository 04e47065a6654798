#include "platform/ui/CDocTemplate.h"

#include "platform/ui/CCreateContext.h"
#include "platform/ui/CDocument.h"
#include "platform/ui/CFrameWnd.h"
#include "platform/ui/CRuntimeClass.h"

#include <algorithm>

CDocTemplate::CDocTemplate(UINT resourceId, const CRuntimeClass* docClass, const CRuntimeClass* frameClass,
                           const CRuntimeClass* viewClass)
    : m_nIDResource(resourceId), m_pDocClass(docClass), m_pFrameClass(frameClass), m_pViewClass(viewClass)
{
}

CDocTemplate::~CDocTemplate()
{
    CloseAllDocuments(TRUE);
    for (CDocument* d : m_docs)
        d->SetDocTemplate(nullptr);
}

CDocument* CDocTemplate::CreateNewDocument()
{
    if (!m_pDocClass)
        return nullptr;
    std::unique_ptr<CDocument> doc = m_pDocClass->CreateAs<CDocument>();
    if (!doc)
        return nullptr;
    CDocument* d = doc.release();  // the document owns itself (deleted when it closes)
    AddDocument(d);
    return d;
}

CFrameWnd* CDocTemplate::CreateNewFrame(CDocument* doc, CFrameWnd*, bool withView)
{
    if (!m_pFrameClass)
        return nullptr;
    std::unique_ptr<CFrameWnd> frame = m_pFrameClass->CreateAs<CFrameWnd>();
    if (!frame)
        return nullptr;
    CCreateContext context;
    context.m_pNewViewClass = withView ? m_pViewClass : nullptr;
    context.m_pCurrentDoc = doc;
    context.m_pNewDocTemplate = this;
    context.m_pCurrentFrame = frame.get();
    frame->m_pTemplate = this;
    if (!frame->LoadFrame(m_nIDResource, WS_OVERLAPPEDWINDOW, nullptr, &context))
        return nullptr;
    return frame.release();  // the frame owns itself from here on
}

void CDocTemplate::InitialUpdateFrame(CFrameWnd* frame, CDocument* doc, BOOL makeVisible)
{
    if (frame)
        frame->InitialUpdateFrame(doc, makeVisible);
}

CDocument* CDocTemplate::OpenDocumentFile(const char* path, BOOL makeVisible)
{
    CDocument* doc = CreateNewDocument();
    if (!doc)
        return nullptr;
    CFrameWnd* frame = CreateNewFrame(doc, nullptr);
    if (!frame) {
        delete doc;  // never shown: no views refer to it
        return nullptr;
    }
    if (path && *path)
        doc->SetPathName(path);
    else if (!doc->OnNewDocument()) {
        frame->DestroyWindow();
        return nullptr;
    }
    InitialUpdateFrame(frame, doc, makeVisible);
    return doc;
}

void CDocTemplate::AddDocument(CDocument* doc)
{
    if (doc && std::find(m_docs.begin(), m_docs.end(), doc) == m_docs.end()) {
        m_docs.push_back(doc);
        doc->SetDocTemplate(this);
    }
}

void CDocTemplate::RemoveDocument(CDocument* doc)
{
    m_docs.erase(std::remove(m_docs.begin(), m_docs.end(), doc), m_docs.end());
}

POSITION CDocTemplate::GetFirstDocPosition() const
{
    return m_docs.empty() ? nullptr : reinterpret_cast<POSITION>(static_cast<uintptr_t>(1));
}

CDocument* CDocTemplate::GetNextDoc(POSITION& pos) const
{
    const auto index = reinterpret_cast<uintptr_t>(pos);
    if (index == 0 || index > m_docs.size()) {
        pos = nullptr;
        return nullptr;
    }
    CDocument* d = m_docs[index - 1];
    pos = index < m_docs.size() ? reinterpret_cast<POSITION>(index + 1) : nullptr;
    return d;
}

void CDocTemplate::CloseAllDocuments(BOOL)
{
    const std::vector<CDocument*> docs = m_docs;
    for (CDocument* d : docs)
        if (std::find(m_docs.begin(), m_docs.end(), d) != m_docs.end())
            d->OnCloseDocument();
}
