#include "common/windows/CCommonDoc.h"

#include "common/windows/ShellIds.h"
#include "platform/ui/CCmdUI.h"
#include "platform/ui/CFrameWnd.h"
#include "platform/ui/CMenu.h"
#include "platform/ui/CUiResponder.h"
#include "platform/ui/CView.h"
#include "platform/ui/CWinApp.h"

#include <QCursor>

CCommonDoc::CCommonDoc() = default;
CCommonDoc::~CCommonDoc() = default;

void CCommonDoc::SetLinkButtons(CFrameWnd* frame, bool symbolLink, bool intervalLink, bool detachToggle)
{
    if (!m_bButtonsMade) {
        m_linkState.SetButtons(symbolLink, intervalLink);
        m_bDetachToggle = detachToggle;
        m_bButtonsMade = true;
    }
    m_pFrame = frame;
    if (!frame)
        return;
    frame->RemoveCaptionButtons();
    if (m_linkState.HasSymbolButton())
        frame->AddCaptionButton(ID_LINK_SYMBOL, "", "Symbol link");
    if (m_linkState.HasIntervalButton())
        frame->AddCaptionButton(ID_LINK_INTERVAL, "", "Interval link");
    if (m_bDetachToggle)
        frame->AddCaptionButton(ID_DETACH, "", "Detach or attach this window");
    UpdateLinkButtons();
}

void CCommonDoc::UpdateLinkButtons()
{
    if (!m_pFrame)
        return;
    if (CCaptionButton* b = m_pFrame->GetCaptionButton(ID_LINK_SYMBOL)) {
        b->SetValue(m_linkState.GetSymbolGroup());
        CString text = "S: " + LinkGroupName(m_linkState.GetSymbolGroup());
        b->SetText(text);
        b->SetCheck(m_linkState.GetSymbolGroup() != kLinkGroupDisabled);
    }
    if (CCaptionButton* b = m_pFrame->GetCaptionButton(ID_LINK_INTERVAL)) {
        b->SetValue(m_linkState.GetIntervalGroup());
        CString text = "I: " + LinkGroupName(m_linkState.GetIntervalGroup());
        b->SetText(text);
        b->SetCheck(m_linkState.GetIntervalGroup() != kLinkGroupDisabled);
    }
    if (CCaptionButton* b = m_pFrame->GetCaptionButton(ID_DETACH)) {
        b->SetText(m_bSDI ? "Attach" : "Detach");
        b->SetCheck(m_bSDI);
    }
}

int CCommonDoc::ChooseGroup(UINT, int current)
{
    CMenu menu;
    menu.CreatePopupMenu();
    for (int g = 0; g < kLinkGroupCount; ++g) {
        menu.AppendMenu(MF_STRING | (g == current ? MF_CHECKED : 0), ID_LINK_GROUP_FIRST + g, LinkGroupName(g));
        if (g == kLinkGroupAll)
            menu.AppendMenu(MF_SEPARATOR);
    }
    const QPoint at = QCursor::pos();
    const UINT chosen = CUiResponder::Current().TrackPopupMenu(menu, CPoint(at.x(), at.y()), m_pFrame);
    if (chosen >= ID_LINK_GROUP_FIRST && chosen < ID_LINK_GROUP_FIRST + kLinkGroupCount)
        return static_cast<int>(chosen - ID_LINK_GROUP_FIRST);
    return current;
}

void CCommonDoc::OnLinkSymbol()
{
    m_linkState.SetSymbolGroup(ChooseGroup(ID_LINK_SYMBOL, m_linkState.GetSymbolGroup()));
    UpdateLinkButtons();
}

void CCommonDoc::OnLinkInterval()
{
    m_linkState.SetIntervalGroup(ChooseGroup(ID_LINK_INTERVAL, m_linkState.GetIntervalGroup()));
    UpdateLinkButtons();
}

void CCommonDoc::OnDetach()
{
    // The frame that holds the button goes away on the move: the main frame does it later.
    CView* view = GetFirstView();
    CWnd* main = AfxGetMainWnd();
    if (view && main)
        main->PostMessage(WM_SHELL_TOGGLE_DETACH, 0, static_cast<LPARAM>(view->m_hWnd.Value()));
}

void CCommonDoc::OnUpdateDetach(CCmdUI* ui)
{
    ui->Enable(TRUE);
    ui->SetCheck(m_bSDI ? 1 : 0);
}

const CMessageMap& CCommonDoc::GetMessageMap() const
{
    static const CMessageMap map = MessageMapFor<CCommonDoc>(CDocument::GetMessageMap())
                                       .Command(ID_LINK_SYMBOL, &CCommonDoc::OnLinkSymbol)
                                       .Command(ID_LINK_INTERVAL, &CCommonDoc::OnLinkInterval)
                                       .Command(ID_DETACH, &CCommonDoc::OnDetach)
                                       .UpdateUI(ID_DETACH, &CCommonDoc::OnUpdateDetach)
                                       .Build();
    return map;
}
