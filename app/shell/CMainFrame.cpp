#include "app/shell/CMainFrame.h"

#include "alerts/ui/AlertUiIds.h"
#include "alerts/ui/CTradeAlertSetupDlg.h"
#include "app/shell/CPreferencesSheet.h"
#include "app/shell/CWebUpdate.h"
#include "app/shell/CWorkstationApp.h"
#include "broker/core/ExchangeTime.h"
#include "broker/session/CSessionManager.h"
#include "chart/ui/ChartIds.h"
#include "common/services/TextHelpers.h"
#include "common/windows/CCommonDoc.h"
#include "common/windows/FontInfoConvert.h"
#include "common/windows/ShellIds.h"
#include "platform/ui/CCmdUI.h"
#include "platform/ui/CHtmlView.h"
#include "platform/ui/CStatusBar.h"
#include "platform/ui/CToolBar.h"
#include "platform/ui/CUiResponder.h"
#include "platform/ui/CommonDialogs.h"
#include "platform/ui/WinCtrl.h"
#include "trading/AccountChoice.h"
#include "trading/ui/ReportIds.h"
#include "views/ui/EditPortfolioDlg.h"
#include "views/ui/EditWatchlistDlg.h"
#include "views/ui/Level1Ids.h"
#include "views/ui/Level1View.h"
#include "views/ui/PanelIds.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstdlib>

namespace {

enum StatusPane { kPaneMessage, kPaneAccount, kPaneConnection, kPaneClock, kPaneCount };

bool ValidSymbolText(const CString& symbol)
{
    if (symbol.IsEmpty() || symbol.GetLength() > 32)
        return false;
    for (char c : symbol.view())
        if (static_cast<unsigned char>(c) < 33 || c == ',' || c == '|')
            return false;
    return true;
}

constexpr const char* kRefreshingText = "Refreshing account data...";

}  // namespace

CMainFrame::CMainFrame() = default;

CMainFrame::~CMainFrame()
{
    if (m_download.joinable())
        m_download.join();
    ClearAlertQueue();
}

BOOL CMainFrame::CreateMainFrame()
{
    if (!LoadFrame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW))
        return FALSE;
    // News and browser windows open inside: the frame's surface suits their pages at once.
    CHtmlView::PrepareHostWindow(this);
    SetWindowText("Quorvantelix");
    BuildToolBar();
    if (CStatusBar* bar = CreateStatusBar(kPaneCount)) {
        bar->SetPaneText(kPaneMessage, "Ready");
        bar->SetPaneText(kPaneAccount, "No account");
        bar->SetPaneText(kPaneConnection, "Not connected");
        bar->SetPaneWidth(kPaneAccount, 160);
        bar->SetPaneWidth(kPaneConnection, 110);
        bar->SetPaneWidth(kPaneClock, 130);
    }
    m_tray.Create(this, WM_TRAY_NOTIFY, "Quorvantelix");
    SetTimer(kTimerClock, 1000);
    UpdateClock();
    return TRUE;
}

void CMainFrame::BuildToolBar()
{
    m_pToolBar = CreateToolBar(IDR_MAINFRAME);
    if (!m_pToolBar)
        return;
    m_pToolBar->SetWindowText("Tool Bar");  // its item in the frame's context menu
    m_symbolBox.Create(WS_CHILD | WS_VISIBLE | WS_TABSTOP | CBS_DROPDOWN | CBS_AUTOHSCROLL, CRect(0, 0, 110, 300),
                       m_pToolBar, IDC_SYMBOL_BOX);
    m_pToolBar->AddControl(&m_symbolBox);
    m_intervalBox.Create(WS_CHILD | WS_VISIBLE | WS_TABSTOP | CBS_DROPDOWN | CBS_AUTOHSCROLL, CRect(0, 0, 100, 300),
                         m_pToolBar, IDC_INTERVAL_BOX);
    m_pToolBar->AddControl(&m_intervalBox);
    if (CAppSettings* settings = CAppSettings::Instance())
        for (const CString& interval : settings->m_intervals)
            m_intervalBox.AddString(interval);
    m_extSession.Create("Ext. session", WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX, CRect(0, 0, 95, 22), m_pToolBar,
                        IDC_EXT_SESSION);
    m_pToolBar->AddControl(&m_extSession);
    m_pToolBar->AddButton(ID_SYMBOL_GO, "Go", nullptr, "Send the symbol and interval to the active window");
    m_pToolBar->AddSeparator();
    m_accountBox.Create(WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST, CRect(0, 0, 210, 200), m_pToolBar, 34005);
    m_pToolBar->AddControl(&m_accountBox);
    m_pToolBar->AddSeparator();
    struct Button {
        int kind;
        const char* text;
    };
    for (const Button& b : {Button{kKindLevel1, "Level I"}, Button{kKindLevel2, "Level II"}, Button{kKindChart, "Chart"},
                            Button{kKindTimeSales, "T&&S"}, Button{kKindNews, "News"},
                            Button{kKindTradeTicket, "Ticket"}, Button{kKindAlertManager, "Alerts"}})
        m_pToolBar->AddButton(ID_OPEN_KIND_FIRST + b.kind, b.text, nullptr, WindowKindName(b.kind));

    // Enter in the Symbol or Interval box, or an interval chosen from the list, sends the
    // symbol and interval to the active window and its links.
    if (auto* combo = qobject_cast<QComboBox*>(m_symbolBox.GetWidget())) {
        if (QLineEdit* edit = combo->lineEdit())
            QObject::connect(edit, &QLineEdit::returnPressed, edit, [this] { OnSymbolGo(); });
        QObject::connect(qApp, &QApplication::focusChanged, combo, [this, combo](QWidget*, QWidget* now) {
            if (now && now != combo && now != combo->lineEdit())
                m_bTypingSymbol = false;
        });
    }
    if (auto* combo = qobject_cast<QComboBox*>(m_intervalBox.GetWidget())) {
        if (QLineEdit* edit = combo->lineEdit())
            QObject::connect(edit, &QLineEdit::returnPressed, edit,
                             [this] { ApplyBoxesSoon(BoxApply::IntervalBox); });
        // A choice from the list: the combo also says "activated" when its text matches an
        // item as the focus leaves it, so only an activation right after the list closed
        // counts. Return on a listed text activates too; the two make one apply.
        QObject::connect(combo, qOverload<int>(&QComboBox::activated), combo, [this](int) {
            if (m_bIntervalListClosed)
                ApplyBoxesSoon(BoxApply::IntervalBox);
        });
    }
    if (auto* combo = qobject_cast<QComboBox*>(m_accountBox.GetWidget())) {
        combo->setSizeAdjustPolicy(QComboBox::AdjustToContents);
        combo->setMinimumContentsLength(20);
    }
    if (auto* combo = qobject_cast<QComboBox*>(m_accountBox.GetWidget()))
        QObject::connect(combo, qOverload<int>(&QComboBox::activated), combo, [this](int) { OnAccountChange(); });
}

CString CMainFrame::GetSymbolBox() const
{
    if (!m_symbolBox.m_hWnd)
        return CString();
    CString text = m_symbolBox.GetWindowText();
    text.Trim();
    return text;
}

void CMainFrame::SetSymbolBox(const char* text, BOOL add)
{
    if (!m_symbolBox.m_hWnd)
        return;
    CString symbol = text ? text : "";
    if (!add) {
        m_symbolBox.SetWindowText(symbol);
        m_shownSymbol = symbol;
        m_shownSymbol.Trim();
        m_shownSymbol.MakeUpper();
        return;
    }
    symbol.Trim();
    symbol.MakeUpper();
    if (symbol.IsEmpty())
        return;
    m_shownSymbol = symbol;
    const int found = m_symbolBox.FindStringExact(-1, symbol);
    if (found == CB_ERR)
        m_symbolBox.InsertString(0, symbol);
    else if (found > 0) {
        m_symbolBox.DeleteString(static_cast<UINT>(found));
        m_symbolBox.InsertString(0, symbol);
    }
    m_symbolBox.SetCurSel(0);
    const CAppSettings* settings = CAppSettings::Instance();
    const int limit = settings ? settings->m_nRecentListSize : 30;
    while (m_symbolBox.GetCount() > limit)
        m_symbolBox.DeleteString(static_cast<UINT>(m_symbolBox.GetCount() - 1));
    m_symbolBox.SetWindowText(symbol);
}

void CMainFrame::TypeIntoSymbolBox(char c)
{
    if (!m_symbolBox.m_hWnd)
        return;
    // A web page hands back the keys it does not take a while after they were typed: those
    // behind the first character come after it, though the box has the keyboard by then.
    const CString typed = m_bTypingSymbol ? m_symbolBox.GetWindowText() + c : CString(c, 1);
    SetSymbolBox(typed, FALSE);
    m_symbolBox.SetEditSel(typed.GetLength(), typed.GetLength());
    m_symbolBox.SetFocus();
    m_bTypingSymbol = true;
    // Typed into a floating window: the main window takes the keyboard, so that the keys
    // typed next follow the character here, and the floating window stays in front.
    QWidget* main = GetOuterWidget();
    if (!main || main->isActiveWindow())
        return;
    const QPointer<QWidget> typedInto = QApplication::activeWindow();
    BringWindowToTop();
    if (typedInto)
        typedInto->raise();
}

void CMainFrame::ClearSymbolBox()
{
    if (m_symbolBox.m_hWnd)
        m_symbolBox.SetWindowText("");
    m_shownSymbol.Empty();
}

std::vector<CString> CMainFrame::GetRecentSymbols() const
{
    std::vector<CString> list;
    for (int i = 0; m_symbolBox.m_hWnd && i < m_symbolBox.GetCount(); ++i)
        list.push_back(m_symbolBox.GetLBText(i));
    return list;
}

CString CMainFrame::GetIntervalBox() const
{
    if (!m_intervalBox.m_hWnd)
        return CString();
    CString text = m_intervalBox.GetWindowText();
    text.Trim();
    return text;
}

void CMainFrame::SetIntervalBox(const char* text, BOOL add)
{
    if (!m_intervalBox.m_hWnd)
        return;
    CString interval = text ? text : "";
    interval.Trim();
    if (add && !interval.IsEmpty()) {
        const int found = m_intervalBox.FindStringExact(-1, interval);
        if (found == CB_ERR)
            m_intervalBox.InsertString(0, interval);
        else if (found > 0) {
            m_intervalBox.DeleteString(static_cast<UINT>(found));
            m_intervalBox.InsertString(0, interval);
        }
        m_intervalBox.SetCurSel(0);
        const CAppSettings* settings = CAppSettings::Instance();
        const int limit = settings ? settings->m_nRecentListSize : 30;
        while (m_intervalBox.GetCount() > limit)
            m_intervalBox.DeleteString(static_cast<UINT>(m_intervalBox.GetCount() - 1));
    }
    m_intervalBox.SetWindowText(interval);
    m_shownInterval = interval;
}

BOOL CMainFrame::IsExtSession() const
{
    return m_extSession.m_hWnd && m_extSession.GetCheck() == 1;
}

void CMainFrame::SetExtSession(BOOL on)
{
    if (m_extSession.m_hWnd)
        m_extSession.SetCheck(on ? 1 : 0);
}

int CMainFrame::ApplySymbolInterval(CView* source, BOOL includeSource)
{
    return SendBoxes(source, includeSource, BoxApply::Window);
}

int CMainFrame::SendBoxes(CView* source, BOOL includeSource, BoxApply apply)
{
    CWorkstationApp* app = GetWorkstationApp();
    if (!source) {
        CFrameWnd* active = GetActiveFrame();
        source = active && active != this ? active->GetActiveView() : nullptr;
    }
    // The interval is checked first: a bad one is reported whatever else is missing.
    CString interval = GetIntervalBox();
    if (!interval.IsEmpty() && !IsPeriodText(interval)) {
        SetMessageText("Unknown interval \"" + interval.Left(32) +
                       "\": use Tick, a number of minutes (\"5 minutes\"), Daily, Weekly, Monthly, Quarterly or Yearly.");
        return 0;
    }
    CString symbol = GetSymbolBox();
    symbol.MakeUpper();
    if (!ValidSymbolText(symbol))
        return 0;
    // The trader's apply that keeps the symbol the box showed changes the interval alone:
    // from the Interval box, or with another interval typed in. A window sends a symbol.
    const bool sameInterval = PeriodNameToCode(interval).CompareNoCase(PeriodNameToCode(m_shownInterval)) == 0;
    const bool intervalChange = apply != BoxApply::Window && symbol == m_shownSymbol &&
                                (apply == BoxApply::IntervalBox || !sameInterval);
    SetSymbolBox(symbol, TRUE);
    m_shownInterval = interval;

    auto* sourceDoc = source ? dynamic_cast<CCommonDoc*>(source->GetDocument()) : nullptr;
    const int symbolGroup = sourceDoc ? sourceDoc->GetLinkState().GetSymbolGroup() : kLinkBroadcastNone;
    CSymbolIntervalMsg msg{symbol, interval, IsExtSession() != FALSE, intervalChange};
    int told = 0;
    if (source && includeSource) {
        source->SendMessage(WM_SET_SYMBOL_INTERVAL, static_cast<WPARAM>(kLinkBroadcastAll),
                            reinterpret_cast<LPARAM>(&msg));
        ++told;
    }
    if (!app || !sourceDoc || symbolGroup == kLinkGroupDisabled)
        return told;
    for (CView* view : app->GetWindowViews()) {
        if (view == source)
            continue;
        auto* doc = dynamic_cast<CCommonDoc*>(view->GetDocument());
        if (!doc)
            continue;
        const bool follows = doc->GetLinkState().AcceptsSymbolGroup(symbolGroup) ||
                             doc->GetLinkState().AcceptsIntervalGroup(symbolGroup);
        if (!follows)
            continue;
        view->SendMessage(WM_SET_SYMBOL_INTERVAL, static_cast<WPARAM>(symbolGroup), reinterpret_cast<LPARAM>(&msg));
        ++told;
    }
    return told;
}

void CMainFrame::SetAccounts(const std::vector<CAccountInfo>& accounts)
{
    m_accounts = accounts;
    if (m_nCurrentAccount >= static_cast<int>(m_accounts.size()))
        m_nCurrentAccount = 0;
    if (m_accountBox.m_hWnd) {
        m_accountBox.ResetContent();
        for (const CAccountInfo& a : m_accounts)
            m_accountBox.AddString(a.number + " " + a.name);
        if (!m_accounts.empty())
            m_accountBox.SetCurSel(m_nCurrentAccount);
    }
    if (CStatusBar* bar = GetStatusBar())
        bar->SetPaneText(kPaneAccount, m_accounts.empty() ? CString("No account")
                                                          : m_accounts[static_cast<size_t>(m_nCurrentAccount)].name);
}

void CMainFrame::SetCurrentAccount(int index)
{
    if (index < 0 || index >= static_cast<int>(m_accounts.size()))
        return;
    m_nCurrentAccount = index;
    if (m_accountBox.m_hWnd)
        m_accountBox.SetCurSel(index);
    if (CStatusBar* bar = GetStatusBar())
        bar->SetPaneText(kPaneAccount, m_accounts[static_cast<size_t>(index)].name);
}

void CMainFrame::OnAccountChange()
{
    SetCurrentAccount(m_accountBox.GetCurSel());
}

void CMainFrame::GetTargetAccounts(int mode, const std::vector<CString>& names, std::vector<CAccountInfo>& out) const
{
    out.clear();
    if (mode == 0) {
        if (m_nCurrentAccount >= 0 && m_nCurrentAccount < static_cast<int>(m_accounts.size()))
            out.push_back(m_accounts[static_cast<size_t>(m_nCurrentAccount)]);
    } else if (mode == 1) {
        out = m_accounts;
    } else if (mode == 2) {
        out = NamedAccounts(m_accounts, names);
    }
}

CString CMainFrame::GetAccountListText(int mode, const std::vector<CString>& names, int flag) const
{
    if (mode == 0) {
        if (flag == 0)
            return "Active";
        if (m_nCurrentAccount >= 0 && m_nCurrentAccount < static_cast<int>(m_accounts.size()))
            return m_accounts[static_cast<size_t>(m_nCurrentAccount)].name;
        return CString();
    }
    if (mode == 1 && m_accounts.empty())
        return "All";
    std::vector<CAccountInfo> chosen;
    GetTargetAccounts(mode, names, chosen);
    if (mode == 1 && chosen.empty())
        return "All";
    return AccountNamesText(chosen);
}

CDocument* CMainFrame::OpenWindowOfKind(int kind, bool floating)
{
    CWorkstationApp* app = GetWorkstationApp();
    return app ? app->OpenWindowOfKind(kind, floating) : nullptr;
}

bool CMainFrame::SetupTradeAlert(int mode, CWnd* parent)
{
    CTradeAlertSetupDlg dlg(nullptr, mode, parent ? parent : this);
    dlg.m_symbols = GetSymbolBox();
    if (dlg.DoModal() != IDOK)
        return false;
    if (mode == kSetupAlert || mode == kSetupAlertWizard) {
        CreateAlertsFromSetup(dlg, nullptr);  // tells the alert lists
        if (CWorkstationApp* app = GetWorkstationApp())
            app->AlertsEdited();
    }
    return true;
}

void CMainFrame::OnAddAlert()
{
    SetupTradeAlert(kSetupAlert, this);
}

CView* CMainFrame::OpenListWindow(UINT command, BOOL floating)
{
    auto it = m_listWindows.find(command);
    if (it != m_listWindows.end() && IsWindow(it->second)) {
        auto* view = dynamic_cast<CView*>(CWnd::FromHandle(it->second));
        if (view) {
            if (CFrameWnd* frame = view->GetParentFrame())
                frame->ActivateFrame();
            return view;
        }
    }
    CWorkstationApp* app = GetWorkstationApp();
    CDocument* doc = app ? app->OpenWindowOfKind(kKindLevel1, floating != FALSE) : nullptr;
    CView* view = doc ? doc->GetFirstView() : nullptr;
    if (!view)
        return nullptr;
    if (command == ID_OPTION_CHAIN_LIST)
        doc->SetTitle("Level I - Option Chains");
    m_listWindows[command] = view->m_hWnd;
    // Opened from elsewhere (a ticket's Chain button): the chain is asked for as the
    // Option Chains command asks, once the caller's click is done.
    if (command == ID_OPTION_CHAIN_LIST && !m_bInListCommand)
        PostMessage(WM_COMMAND, MAKEWPARAM(static_cast<WORD>(ID_FRAME_OPTION_CHAINS), 0), 0);
    return view;
}

void CMainFrame::OnRefreshAccountData()
{
    CSessionManager* session = CSessionManager::Instance();
    if (!session)
        return;
    session->GetSession().RefreshAccountData();
    // Without a login no refresh runs to end the text.
    if (session->IsLoggedIn())
        SetMessageText(kRefreshingText);
}

void CMainFrame::StartWorkspaceBackup()
{
    const CAppSettings* settings = CAppSettings::Instance();
    const int minutes = settings ? settings->m_nWorkspaceInterval : 0;
    KillTimer(kTimerWorkspaceBackup);
    if (minutes > 0)
        SetTimer(kTimerWorkspaceBackup, static_cast<UINT>(minutes) * 60u * 1000u);
}

void CMainFrame::OnTimer(UINT_PTR id)
{
    if (id == kTimerWorkspaceBackup) {
        if (CWorkstationApp* app = GetWorkstationApp())
            app->SaveWorkspace(app->GetBackupWorkspacePath());
        return;
    }
    if (id == kTimerClock) {
        UpdateClock();
        return;
    }
    CMDIFrameWnd::OnTimer(id);
}

void CMainFrame::UpdateClock()
{
    CStatusBar* bar = GetStatusBar();
    if (!bar)
        return;
    CSessionManager* session = CSessionManager::Instance();
    // The exchange's wall clock from its instant, never through this computer's zone.
    bar->SetPaneText(kPaneClock, session ? FormatExchangeTime(session->GetExchangeCTime().GetTime(), "%H:%M:%S ET")
                                         : CTime::GetCurrentTime().Format("%H:%M:%S"));
}

void CMainFrame::OnLogInAgain()
{
    CSessionManager* session = CSessionManager::Instance();
    if (session && session->IsLoggedIn()) {
        SetMessageText("Logged in.");
        return;
    }
    if (CWorkstationApp* app = GetWorkstationApp())
        app->LogInAgain(CString());
}

LRESULT CMainFrame::OnSessionStatus(CWndMessage& message)
{
    const CSessionStatus* status = message.Peek<CSessionStatus>();
    if (!status)
        return 0;
    CStatusBar* bar = GetStatusBar();
    switch (status->code) {
    case kStatusLoginResult:
        if (bar)
            bar->SetPaneText(kPaneConnection, status->success ? "Logged in" : "Not logged in");
        break;
    case kStatusConnectionLost:
        if (bar)
            bar->SetPaneText(kPaneConnection, "Connection lost");
        if (m_tray.IsCreated())
            m_tray.ShowBalloon("Quorvantelix", "The connection to the server was lost.", NIIF_WARNING);
        break;
    case kStatusConnected:
        if (bar)
            bar->SetPaneText(kPaneConnection, "Connected");
        break;
    case kStatusText:
        SetMessageText(status->text);
        break;
    case kStatusSessionLost:
        // Said once, in the login dialog that offers the way back.
        if (bar)
            bar->SetPaneText(kPaneConnection, "Not logged in");
        SetMessageText(status->text);
        if (CWorkstationApp* app = GetWorkstationApp())
            app->LogInAgain(status->text);
        break;
    case kStatusAccountList:
        SetAccounts(status->accounts);
        break;
    case kStatusAccountRefreshed:
        // Whatever was said since stays.
        if (bar && bar->GetPaneText(kPaneMessage) == kRefreshingText)
            bar->SetPaneText(kPaneMessage, "Ready");
        break;
    case kStatusWebUpdates:
        OfferWebUpdates(status->updates);
        break;
    default:
        break;
    }
    return 0;
}

void CMainFrame::OfferWebUpdates(const std::vector<CWebUpdateInfo>& updates)
{
    m_updates = updates;
    const CAppSettings* settings = CAppSettings::Instance();
    if (settings && !settings->m_bNotifyUpdates)
        return;
    CWorkstationApp* app = GetWorkstationApp();
    CSessionManager* session = CSessionManager::Instance();
    const CString running = session ? session->GetSession().GetConfig().version : CString();
    for (const CWebUpdateInfo& update : updates) {
        if (update.url.IsEmpty() || m_download.joinable())
            continue;
        // Only a newer version than the one running is offered.
        if (update.version.IsEmpty() || CompareVersions(update.version, running) <= 0)
            continue;
        CString text = update.message.IsEmpty() ? CString("A new version of Quorvantelix is available.") : update.message;
        if (!update.version.IsEmpty())
            text += "\n\nVersion: " + update.version;
        text += "\n\nDownload it now?";
        if (MessageBox(text, "Quorvantelix Update", MB_YESNO | MB_ICONQUESTION) != IDYES)
            continue;
        const CString folder = settings ? settings->GetFilePath("Temp") : CString("Temp");
        const CString url = update.url;
        const CString ca = app ? app->GetCaFile() : CString();
        const HWND self = m_hWnd;
        m_download = std::thread([self, url, folder, ca] {
            CWebUpdateResult result = DownloadWebUpdate(url, folder, ca);
            ::PostMessage(self, WM_APP + 41, 0, 0, MakePayload<CWebUpdateResult>(std::move(result)));
        });
        SetMessageText("Downloading the update...");
        break;
    }
}

LRESULT CMainFrame::OnUpdateDownloaded(CWndMessage& message)
{
    if (m_download.joinable())
        m_download.join();
    const CWebUpdateResult* result = message.Peek<CWebUpdateResult>();
    if (!result)
        return 0;
    if (!result->ok) {
        MessageBox(result->error, "Quorvantelix Update", MB_OK | MB_ICONEXCLAMATION);
        return 0;
    }
    SetMessageText("Update downloaded.");
    CUiResponder::Current().OpenExternal(result->path);
    return 0;
}

LRESULT CMainFrame::OnAlertDelivery(WPARAM event, LPARAM alert)
{
    const bool owns = m_pAlertHandler ? m_pAlertHandler->OwnsAlert(event, alert) : false;
    m_alertQueue.push_back({event, alert, owns});
    WorkAlertQueue();
    return 0;
}

void CMainFrame::WorkAlertQueue()
{
    if (m_bPresentingAlert)
        return;
    m_bPresentingAlert = true;
    while (!m_alertQueue.empty()) {
        const QueuedAlert entry = m_alertQueue.front();
        m_alertQueue.pop_front();
        if (m_pAlertHandler) {
            m_pAlertHandler->Present(entry.event, entry.alert);
            m_pAlertHandler->Free(entry.event, entry.alert, entry.ownsAlert);
        }
    }
    m_bPresentingAlert = false;
}

void CMainFrame::ClearAlertQueue()
{
    while (!m_alertQueue.empty()) {
        const QueuedAlert entry = m_alertQueue.front();
        m_alertQueue.pop_front();
        if (m_pAlertHandler)
            m_pAlertHandler->Free(entry.event, entry.alert, entry.ownsAlert);
    }
}

LRESULT CMainFrame::OnTrayNotify(WPARAM, LPARAM what)
{
    if (what == WM_LBUTTONDBLCLK || what == NIN_BALLOONUSERCLICK) {
        ShowWindow(IsIconic() ? SW_RESTORE : SW_SHOW);
        BringWindowToTop();
    }
    return 0;
}

LRESULT CMainFrame::OnToggleDetach(WPARAM, LPARAM view)
{
    auto* v = dynamic_cast<CView*>(CWnd::FromHandle(HWND::FromValue(static_cast<uint64_t>(view))));
    if (CWorkstationApp* app = GetWorkstationApp(); app && v)
        app->ToggleDetach(v);
    return 0;
}

void CMainFrame::OnOpenKind(UINT id)
{
    if (CWorkstationApp* app = GetWorkstationApp())
        app->OpenWindowOfKind(static_cast<int>(id - ID_OPEN_KIND_FIRST), false);
}

// Positions, Option Chains, Screener and Actives: a Level I window in that mode.
void CMainFrame::OnListWindowCommand(UINT id)
{
    const UINT window = id == ID_FRAME_OPTION_CHAINS ? ID_OPTION_CHAIN_LIST : id;
    m_bInListCommand = true;
    auto* view = dynamic_cast<Level1View*>(OpenListWindow(window, FALSE));
    m_bInListCommand = false;
    if (view) {
        // Its dialogs run inside this command: closed meanwhile, the window stays until
        // the command returned.
        const CHandlerScope running(view);
        view->ApplyFrameCommand(id, GetSymbolBox());
    }
}

void CMainFrame::OnWatchListManager()
{
    RunWatchListManager(this);
}

void CMainFrame::OnWebWatchListManager()
{
    RunWebWatchListManager(this);
}

void CMainFrame::OnOpenFloating(UINT id)
{
    if (CWorkstationApp* app = GetWorkstationApp())
        app->OpenWindowOfKind(static_cast<int>(id - ID_OPEN_FLOATING_FIRST), true);
}

void CMainFrame::OnIntervalListClosed()
{
    // The choice, if any, is announced within this event.
    m_bIntervalListClosed = true;
    const HWND self = m_hWnd;
    QTimer::singleShot(0, GetOuterWidget(), [self] {
        if (auto* frame = dynamic_cast<CMainFrame*>(CWnd::FromHandle(self)))
            frame->m_bIntervalListClosed = false;
    });
}

void CMainFrame::ApplyBoxesSoon(BoxApply apply)
{
    if (m_bApplyQueued || !GetOuterWidget())
        return;
    m_bApplyQueued = true;
    m_queuedApply = apply;
    const HWND self = m_hWnd;
    QTimer::singleShot(0, GetOuterWidget(), [self] {
        if (auto* frame = dynamic_cast<CMainFrame*>(CWnd::FromHandle(self))) {
            frame->m_bApplyQueued = false;
            frame->SendBoxes(nullptr, TRUE, frame->m_queuedApply);
        }
    });
}

void CMainFrame::OnSymbolGo()
{
    // Return in the box applies at once, before the keys typed behind it reach the box:
    // they start the next symbol, which replaces the selected one.
    m_bTypingSymbol = false;
    SendBoxes(nullptr, TRUE, BoxApply::SymbolBox);
    m_symbolBox.SetEditSel(0, -1);
}

void CMainFrame::OnWorkspaceOpen()
{
    CWorkstationApp* app = GetWorkstationApp();
    if (!app)
        return;
    CFileDialog dlg(TRUE, "swp", nullptr, OFN_FILEMUSTEXIST, "Workspaces (*.swp)|*.swp||", this);
    dlg.m_request.initialDir = app->GetWorkspaceFolder();
    if (dlg.DoModal() != IDOK)
        return;
    if (app->LoadWorkspace(dlg.GetPathName()))
        app->SetLastWorkspace(dlg.GetPathName());
}

void CMainFrame::OnWorkspaceSave()
{
    CWorkstationApp* app = GetWorkstationApp();
    if (!app)
        return;
    if (app->Settings().m_lastWorkspace.IsEmpty()) {
        OnWorkspaceSaveAs();
        return;
    }
    app->SaveWorkspace(app->Settings().m_lastWorkspace);
}

void CMainFrame::OnWorkspaceSaveAs()
{
    CWorkstationApp* app = GetWorkstationApp();
    if (!app)
        return;
    CFileDialog dlg(FALSE, "swp", nullptr, OFN_OVERWRITEPROMPT, "Workspaces (*.swp)|*.swp||", this);
    dlg.m_request.initialDir = app->GetWorkspaceFolder();
    if (dlg.DoModal() != IDOK)
        return;
    if (app->SaveWorkspace(dlg.GetPathName()))
        app->SetLastWorkspace(dlg.GetPathName());
}

void CMainFrame::OnPreferences()
{
    if (CWorkstationApp* app = GetWorkstationApp())
        RunPreferences(app->Settings(), this);
}

void CMainFrame::OnListFonts()
{
    CWorkstationApp* app = GetWorkstationApp();
    if (!app)
        return;
    CAppSettings& settings = app->Settings();
    const LOGFONT initial = ToLogFont(settings.m_quoteFont);
    CFontDialog dlg(&initial, 0, nullptr, this);
    dlg.m_color = settings.m_quoteTextColor;
    if (dlg.DoModal() != IDOK)
        return;
    LOGFONT chosen;
    dlg.GetCurrentFont(&chosen);
    settings.m_quoteFont = ToFontInfo(chosen, settings.m_quoteFont);
    settings.m_quoteTextColor = dlg.GetColor() & 0x00FFFFFF;
    settings.SaveGui();
    app->ApplyListFont();
    app->ApplyChartFont();
}

void CMainFrame::OnChartFonts()
{
    CWorkstationApp* app = GetWorkstationApp();
    if (!app)
        return;
    CAppSettings& settings = app->Settings();
    const LOGFONT initial = ToLogFont(settings.m_chartFont);
    CFontDialog dlg(&initial, 0, nullptr, this);
    COLORREF& text = settings.m_chartColors[kChartColorText];
    dlg.m_color = text;
    if (dlg.DoModal() != IDOK)
        return;
    LOGFONT chosen;
    dlg.GetCurrentFont(&chosen);
    settings.m_chartFont = ToFontInfo(chosen, settings.m_chartFont);
    text = dlg.GetColor() & 0x00FFFFFF;
    settings.SaveGui();
    app->ApplyChartFont();
}

void CMainFrame::OnListColors()
{
    CWorkstationApp* app = GetWorkstationApp();
    if (!app)
        return;
    CAppSettings& settings = app->Settings();
    CColorDialog dlg(settings.m_quoteColors[0], 0, this);
    if (dlg.DoModal() != IDOK)
        return;
    settings.m_quoteColors[0] = dlg.GetColor() & 0x00FFFFFF;
    settings.SaveGui();
    app->ApplyListColors();
}

void CMainFrame::OnReportFonts(UINT id)
{
    CWorkstationApp* app = GetWorkstationApp();
    if (!app)
        return;
    const int list = id == ID_BALANCES_FONTS ? kReportBalances
                     : id == ID_ORDER_FONTS  ? kReportOrderStatus
                     : id == ID_ALERT_FONTS  ? kReportAlerts
                                             : kReportSavedOrders;
    CReportListLook& look = app->Settings().m_reportLooks[static_cast<size_t>(list)];
    const LOGFONT initial = ToLogFont(look.font);
    CFontDialog dlg(&initial, 0, nullptr, this);
    dlg.m_color = look.textColor;
    if (dlg.DoModal() != IDOK)
        return;
    LOGFONT chosen;
    dlg.GetCurrentFont(&chosen);
    look.font = ToFontInfo(chosen, look.font);
    look.textColor = dlg.GetColor() & 0x00FFFFFF;
    app->Settings().SaveGui();
    app->ApplyReportLook(list);
}

void CMainFrame::OnReportColors(UINT id)
{
    CWorkstationApp* app = GetWorkstationApp();
    if (!app)
        return;
    const int list = id == ID_ALERT_COLORS ? kReportAlerts : kReportSavedOrders;
    CReportListLook& look = app->Settings().m_reportLooks[static_cast<size_t>(list)];
    CColorDialog dlg(look.colors[0], 0, this);
    if (dlg.DoModal() != IDOK)
        return;
    look.colors[0] = dlg.GetColor() & 0x00FFFFFF;
    app->Settings().SaveGui();
    app->ApplyReportLook(list);
}

void CMainFrame::OnAppExit()
{
    SendMessage(WM_CLOSE);
}

void CMainFrame::OnAppAbout()
{
    MessageBox("Quorvantelix\nTrading and technical analysis workstation for Brenhalvik customers.",
               "About Quorvantelix", MB_OK | MB_ICONINFORMATION);
}

void CMainFrame::OnUpdateAlways(CCmdUI* ui)
{
    ui->Enable(TRUE);
}

void CMainFrame::OnClose()
{
    // Floating frames are not MDI children: they go with the main frame.
    if (CWorkstationApp* app = GetWorkstationApp())
        app->CloseAllWindows();
    KillTimer(kTimerWorkspaceBackup);
    KillTimer(kTimerClock);
    m_tray.Remove();
    CMDIFrameWnd::OnClose();
}

const CMessageMap& CMainFrame::GetMessageMap() const
{
    static const CMessageMap map =
        MessageMapFor<CMainFrame>(CMDIFrameWnd::GetMessageMap())
            .CommandRange(ID_OPEN_KIND_FIRST, ID_OPEN_KIND_FIRST + kWindowKindCount - 1, &CMainFrame::OnOpenKind)
            .CommandRange(ID_OPEN_FLOATING_FIRST, ID_OPEN_FLOATING_FIRST + kWindowKindCount - 1,
                          &CMainFrame::OnOpenFloating)
            .UpdateUIRange(ID_OPEN_KIND_FIRST, ID_OPEN_FLOATING_FIRST + kWindowKindCount - 1,
                           &CMainFrame::OnUpdateAlways)
            .CommandRange(ID_FRAME_POSITIONS, ID_FRAME_ACTIVES, &CMainFrame::OnListWindowCommand)
            .Command(ID_WATCH_LIST_MANAGER, &CMainFrame::OnWatchListManager)
            .Command(ID_WEB_WATCH_LIST_MANAGER, &CMainFrame::OnWebWatchListManager)
            .Command(ID_WORKSPACE_OPEN, &CMainFrame::OnWorkspaceOpen)
            .Command(ID_WORKSPACE_SAVE, &CMainFrame::OnWorkspaceSave)
            .Command(ID_WORKSPACE_SAVE_AS, &CMainFrame::OnWorkspaceSaveAs)
            .Command(ID_PREFERENCES, &CMainFrame::OnPreferences)
            .Command(ID_LIST_FONTS, &CMainFrame::OnListFonts)
            .Command(ID_LIST_COLORS, &CMainFrame::OnListColors)
            .Command(ID_CHART_FONTS, &CMainFrame::OnChartFonts)
            .CommandRange(ID_BALANCES_FONTS, ID_BALANCES_FONTS, &CMainFrame::OnReportFonts)
            .CommandRange(ID_ORDER_FONTS, ID_ORDER_FONTS, &CMainFrame::OnReportFonts)
            .CommandRange(ID_SAVED_FONTS, ID_SAVED_FONTS, &CMainFrame::OnReportFonts)
            .CommandRange(ID_SAVED_COLORS, ID_SAVED_COLORS, &CMainFrame::OnReportColors)
            .CommandRange(ID_ALERT_FONTS, ID_ALERT_FONTS, &CMainFrame::OnReportFonts)
            .CommandRange(ID_ALERT_COLORS, ID_ALERT_COLORS, &CMainFrame::OnReportColors)
            .Command(ID_REFRESH_ACCOUNT_DATA, &CMainFrame::OnRefreshAccountData)
            .Command(ID_LOG_IN_AGAIN, &CMainFrame::OnLogInAgain)
            .Command(ID_APP_EXIT, &CMainFrame::OnAppExit)
            .Command(ID_APP_ABOUT, &CMainFrame::OnAppAbout)
            .Command(ID_ADD_ALERT, &CMainFrame::OnAddAlert)
            .Command(ID_SYMBOL_GO, &CMainFrame::OnSymbolGo)
            .Control(CBN_CLOSEUP, IDC_INTERVAL_BOX, &CMainFrame::OnIntervalListClosed)
            .Message(WM_SESSION_STATUS, &CMainFrame::OnSessionStatus)
            .Message(WM_ALERT_DELIVERY, &CMainFrame::OnAlertDelivery)
            .Message(WM_TRAY_NOTIFY, &CMainFrame::OnTrayNotify)
            .Message(WM_SHELL_TOGGLE_DETACH, &CMainFrame::OnToggleDetach)
            .Message(WM_APP + 41, &CMainFrame::OnUpdateDownloaded)
            .Build();
    return map;
}
