#include "views/ui/NewsFrames.h"

#include "common/windows/CPaneSplitterWnd.h"
#include "platform/ui/CCreateContext.h"
#include "views/ui/HeadlinesView.h"

template <class Base>
CNewsFrame<Base>::CNewsFrame() = default;

template <class Base>
CNewsFrame<Base>::~CNewsFrame() = default;

template <class Base>
HeadlinesView* CNewsFrame<Base>::GetHeadlinesView() const
{
    return m_pSplitter && m_pSplitter->m_hWnd ? dynamic_cast<HeadlinesView*>(m_pSplitter->GetPane(0, 0)) : nullptr;
}

template <class Base>
BOOL CNewsFrame<Base>::OnCreateClient(LPCREATESTRUCT, CCreateContext* context)
{
    if (!context || !context->m_pNewViewClass)
        return TRUE; // the panes move here from another frame
    m_pSplitter = std::make_unique<CPaneSplitterWnd>();
    m_pSplitter->MeasureMinHeight(40);
    if (!m_pSplitter->CreateStatic(this, 2, 1, WS_CHILD | WS_VISIBLE, AFX_IDW_PANE_FIRST))
        return FALSE;
    return m_pSplitter->CreateView(0, 0, context->m_pNewViewClass, SIZE{0, 200}, context);
}

template <class Base>
BOOL CNewsFrame<Base>::OnCmdMsg(UINT id, UINT code, CCmdUI* ui)
{
    // The list's commands work whichever pane has the focus.
    if (HeadlinesView* headlines = GetHeadlinesView(); headlines && headlines->OnCmdMsg(id, code, ui))
        return TRUE;
    return Base::OnCmdMsg(id, code, ui);
}

template <class Base>
void CNewsFrame<Base>::CopyToOtherFrame(CFrameWnd* target)
{
    auto* other = dynamic_cast<CNewsFrame<CChildFrame>*>(target);
    auto* otherSdi = dynamic_cast<CNewsFrame<CSdiChildFrame>*>(target);
    std::unique_ptr<CPaneSplitterWnd>* slot = other ? &other->m_pSplitter : otherSdi ? &otherSdi->m_pSplitter : nullptr;
    if (!slot || !m_pSplitter) {
        Base::CopyToOtherFrame(target);
        return;
    }
    HeadlinesView* headlines = GetHeadlinesView();
    this->SetActiveView(nullptr, FALSE);
    if (*slot && (*slot)->m_hWnd)
        (*slot)->DestroyWindow();
    std::swap(m_pSplitter, *slot);
    (*slot)->SetParent(target);
    target->SetActiveView(headlines, FALSE);
    target->RecalcLayout();
    target->OnUpdateFrameTitle(TRUE);
}

template class CNewsFrame<CChildFrame>;
template class CNewsFrame<CSdiChildFrame>;
