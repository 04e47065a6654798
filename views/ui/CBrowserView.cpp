#include "views/ui/CBrowserView.h"

#include "common/services/CAppSettings.h"
#include "common/windows/CCommonDoc.h"
#include "common/windows/IWorkstationFrame.h"
#include "common/windows/ShellIds.h"
#include "platform/core/CArchive.h"
#include "platform/core/CException.h"
#include "platform/ui/CCmdUI.h"
#include "platform/ui/CFrameWnd.h"
#include "views/BrowserAddress.h"
#include "views/ui/NewsIds.h"

namespace {

// Set while a Browser window is opened for a page's pop-up.
bool g_openingPopup = false;

constexpr int kMaxStoredAddress = 4096;

} // namespace

CBrowserView::CBrowserView() : m_bPopup(g_openingPopup) {}

CBrowserView::~CBrowserView() = default;

CCommonDoc* CBrowserView::GetCommonDoc() const
{
    return dynamic_cast<CCommonDoc*>(GetDocument());
}

CString CBrowserView::GetStartPage()
{
    const CAppSettings* settings = CAppSettings::Instance();
    if (settings && IsWebAddress(settings->m_startPage))
        return settings->m_startPage;
    const CString broker = CBrowserSession::BrokerAddress();
    return broker.IsEmpty() ? CString() : broker + "/";
}

void CBrowserView::OnInitialUpdate()
{
    CHtmlView::OnInitialUpdate();
    if (CCommonDoc* doc = GetCommonDoc()) {
        doc->SetKind(kKindBrowser);
        doc->SetLinkButtons(GetParentFrame(), false, false, true);
        doc->SetTitle("Browser");
    }
    SetSilent(TRUE);
    CBrowserSession::Prepare();
    m_session.Remember();
    if (!m_bPopup)
        Navigate2(GetStartPage());
}

BOOL CBrowserView::OnBeforeNavigate2(const CString& url, BOOL)
{
    if (IsLogOutAddress(url)) {
        ++m_nRefused;
        return TRUE;
    }
    m_session.Remember();
    return FALSE;
}

void CBrowserView::OnNavigateComplete2(const CString&)
{
    m_session.Remember();
}

CHtmlView* CBrowserView::OnNewWindow2()
{
    IWorkstationFrame* main = GetWorkstationFrame();
    CCommonDoc* doc = GetCommonDoc();
    if (!main)
        return nullptr;
    g_openingPopup = true;
    CDocument* opened = main->OpenWindowOfKind(kKindBrowser, doc && doc->IsDetached());
    g_openingPopup = false;
    return opened ? dynamic_cast<CBrowserView*>(opened->GetFirstView()) : nullptr;
}

void CBrowserView::OnDestroy()
{
    m_session.Restore();
    CHtmlView::OnDestroy();
}

void CBrowserView::OnChar(UINT ch, UINT repeat, UINT flags)
{
    IWorkstationFrame* main = GetWorkstationFrame();
    if (!main || ch < 0x20 || ch > 0x7E) {
        CHtmlView::OnChar(ch, repeat, flags);
        return;
    }
    main->TypeIntoSymbolBox(static_cast<char>(ch));
}

void CBrowserView::OnBack()
{
    GoBack();
}

void CBrowserView::OnForward()
{
    GoForward();
}

void CBrowserView::OnHome()
{
    Navigate2(GetStartPage());
}

void CBrowserView::OnRefresh()
{
    Refresh();
}

void CBrowserView::OnStop()
{
    Stop();
}

void CBrowserView::OnUpdateBack(CCmdUI* ui)
{
    ui->Enable(CanGoBack());
}

void CBrowserView::OnUpdateForward(CCmdUI* ui)
{
    ui->Enable(CanGoForward());
}

void CBrowserView::OnUpdateStop(CCmdUI* ui)
{
    ui->Enable(GetBusy());
}

BOOL CBrowserView::SaveToWorkspace(CArchive& ar)
{
    CCommonDoc* doc = GetCommonDoc();
    if (!doc || !doc->GetLinkState().Save(ar))
        return FALSE;
    try {
        ar << GetLocationURL();
    } catch (CException&) {
        return FALSE;
    }
    return TRUE;
}

BOOL CBrowserView::LoadFromWorkspace(CArchive& ar, DWORD)
{
    CCommonDoc* doc = GetCommonDoc();
    if (!doc || !doc->GetLinkState().Load(ar))
        return FALSE;
    CString url;
    try {
        ar >> url;
    } catch (CException&) {
        return FALSE;
    }
    if (url.GetLength() > kMaxStoredAddress)
        return FALSE;
    doc->UpdateLinkButtons();
    if (IsWebAddress(url) && !IsLogOutAddress(url))
        Navigate2(url);
    return TRUE;
}

const CMessageMap& CBrowserView::GetMessageMap() const
{
    static const CMessageMap map = MessageMapFor<CBrowserView>(CHtmlView::GetMessageMap())
                                       .Command(ID_BROWSER_BACK, &CBrowserView::OnBack)
                                       .Command(ID_BROWSER_FORWARD, &CBrowserView::OnForward)
                                       .Command(ID_BROWSER_HOME, &CBrowserView::OnHome)
                                       .Command(ID_BROWSER_REFRESH, &CBrowserView::OnRefresh)
                                       .Command(ID_BROWSER_STOP, &CBrowserView::OnStop)
                                       .UpdateUI(ID_BROWSER_BACK, &CBrowserView::OnUpdateBack)
                                       .UpdateUI(ID_BROWSER_FORWARD, &CBrowserView::OnUpdateForward)
                                       .UpdateUI(ID_BROWSER_STOP, &CBrowserView::OnUpdateStop)
                                       .Build();
    return map;
}
