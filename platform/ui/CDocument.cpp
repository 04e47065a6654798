#include "platform/ui/CDocument.h"

#include "platform/ui/CDocTemplate.h"
#include "platform/ui/CFrameWnd.h"
#include "platform/ui/CView.h"

#include <algorithm>

CDocument::CDocument() = default;

CDocument::~CDocument()
{
    m_closing = true;
    for (CView* v : m_views)
        v->m_pDocument = nullptr;
    m_views.clear();
    if (m_pDocTemplate)
        m_pDocTemplate->RemoveDocument(this);
}

void CDocument::SetTitle(const char* title)
{
    m_strTitle = title ? title : "";
    UpdateFrameCounts();
}

void CDocument::SetPathName(const char* path, BOOL)
{
    m_strPathName = path ? path : "";
    if (m_strTitle.IsEmpty()) {
        const int slash = std::max(m_strPathName.ReverseFind('/'), m_strPathName.ReverseFind('\\'));
        SetTitle(m_strPathName.Mid(slash + 1));
    }
}

void CDocument::UpdateFrameCounts()
{
    for (CView* v : m_views)
        if (CFrameWnd* f = v->GetParentFrame())
            f->OnUpdateFrameTitle(TRUE);
}

void CDocument::AddView(CView* view)
{
    if (!view || std::find(m_views.begin(), m_views.end(), view) != m_views.end())
        return;
    m_views.push_back(view);
    view->m_pDocument = this;
}

void CDocument::RemoveView(CView* view)
{
    auto it = std::find(m_views.begin(), m_views.end(), view);
    if (it == m_views.end())
        return;
    m_views.erase(it);
    view->m_pDocument = nullptr;
    if (m_views.empty() && m_bAutoDelete && !m_closing)
        OnCloseDocument();  // deletes this
}

POSITION CDocument::GetFirstViewPosition() const
{
    return m_views.empty() ? nullptr : reinterpret_cast<POSITION>(static_cast<uintptr_t>(1));
}

CView* CDocument::GetNextView(POSITION& pos) const
{
    const auto index = reinterpret_cast<uintptr_t>(pos);
    if (index == 0 || index > m_views.size()) {
        pos = nullptr;
        return nullptr;
    }
    CView* v = m_views[index - 1];
    pos = index < m_views.size() ? reinterpret_cast<POSITION>(index + 1) : nullptr;
    return v;
}

void CDocument::UpdateAllViews(CView* sender, LPARAM hint, CUpdateHint* hintObject)
{
    const std::vector<CView*> views = m_views;  // a view may close during its update
    for (CView* v : views)
        if (v != sender && std::find(m_views.begin(), m_views.end(), v) != m_views.end())
            v->OnUpdate(sender, hint, hintObject);
}

BOOL CDocument::OnNewDocument()
{
    m_bModified = false;
    return TRUE;
}

void CDocument::OnCloseDocument()
{
    if (m_closing)
        return;
    m_closing = true;
    // Destroy every frame that shows this document; the views go with them.
    std::vector<HWND> frames;
    for (CView* v : m_views)
        if (CFrameWnd* f = v->GetParentFrame())
            if (std::find(frames.begin(), frames.end(), f->m_hWnd) == frames.end())
                frames.push_back(f->m_hWnd);
    for (HWND h : frames)
        if (CWnd* f = CWnd::FromHandle(h))
            f->DestroyWindow();
    // Views without a frame.
    const std::vector<CView*> rest = m_views;
    for (CView* v : rest)
        v->DestroyWindow();
    if (m_bAutoDelete)
        delete this;
    else
        m_closing = false;
}

BOOL CDocument::CanCloseFrame(CFrameWnd* frame)
{
    // Closing one of several frames of the document needs no question.
    int framesOfDoc = 0;
    std::vector<CFrameWnd*> seen;
    for (CView* v : m_views)
        if (CFrameWnd* f = v->GetParentFrame(); f && std::find(seen.begin(), seen.end(), f) == seen.end()) {
            seen.push_back(f);
            ++framesOfDoc;
        }
    if (framesOfDoc > 1 && std::find(seen.begin(), seen.end(), frame) != seen.end())
        return TRUE;
    return SaveModified();
}

BOOL CDocument::SaveModified()
{
    return TRUE;
}

BOOL CDocument::OnCmdMsg(UINT id, UINT code, CCmdUI* ui)
{
    if (CCmdTarget::OnCmdMsg(id, code, ui))
        return TRUE;
    return m_pDocTemplate ? m_pDocTemplate->OnCmdMsg(id, code, ui) : FALSE;
}
