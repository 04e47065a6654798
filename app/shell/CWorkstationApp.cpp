#include "app/shell/CWorkstationApp.h"

#include "alerts/CAlertBook.h"
#include "alerts/COrderFillAlert.h"
#include "alerts/IAlertHost.h"
#include "analytics/formula/CFormulaEngine.h"
#include "analytics/formula/FormulaNames.h"
#include "alerts/ui/EditAlertList.h"
#include "app/shell/BacktestChartOpener.h"
#include "app/shell/CAlertDelivery.h"
#include "app/shell/CLoginDlg.h"
#include "app/shell/CLoginStatusDlg.h"
#include "app/shell/CMainFrame.h"
#include "app/shell/CSessionStatusRouter.h"
#include "app/shell/CSettingsCustomStudyTable.h"
#include "app/shell/CShellOrderConfirm.h"
#include "app/shell/CTerminationSignals.h"
#include "app/shell/CWorkspaceFile.h"
#include "backtest/CStrategyDefinition.h"
#include "backtest/ui/BacktestChartHook.h"
#include "backtest/ui/CBackTestView.h"
#include "backtest/ui/CStrategyTradingSetupDlg.h"
#include "broker/session/CPlatformHttpTransport.h"
#include "broker/session/CSessionManager.h"
#include "broker/session/CTcpStreamConnection.h"
#include "broker/session/SessionConfig.h"
#include "chart/ui/CGraphsDoc.h"
#include "chart/ui/CGraphsView.h"
#include "chart/ui/ChartFrames.h"
#include "common/windows/CCommonDoc.h"
#include "common/windows/IListAppearance.h"
#include "common/windows/ShellIds.h"
#include "platform/core/AppLog.h"
#include "platform/core/CRotatingLog.h"
#include "platform/core/UserDataFolder.h"
#include "platform/ui/CChildFrame.h"
#include "platform/ui/CQtMessageLog.h"
#include "platform/ui/CDocTemplate.h"
#include "platform/ui/CRuntimeClass.h"
#include "platform/ui/CSdiChildFrame.h"
#include "platform/ui/CUiResponder.h"
#include "platform/ui/ModalKeyRouting.h"
#include "trading/ui/CBalanceView.h"
#include "trading/ui/COrderStatusView.h"
#include "trading/ui/COrderView.h"
#include "trading/ui/CSavedOrdersView.h"
#include "trading/ui/CTradingHost.h"
#include "views/ListExport.h"
#include "views/OptionChainSet.h"
#include "views/ui/CBarView.h"
#include "views/ui/CBrowserView.h"
#include "views/ui/CLevel2View.h"
#include "views/ui/CTimeSalesView.h"
#include "views/ui/HeadlinesView.h"
#include "views/ui/Level1View.h"
#include "views/ui/NewsFrames.h"

#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <utility>

namespace {

// The view of each window kind.
template <int Kind>
struct KindView;
template <>
struct KindView<kKindLevel1> {
    using type = Level1View;
};
template <>
struct KindView<kKindLevel2> {
    using type = CLevel2View;
};
template <>
struct KindView<kKindTimeSales> {
    using type = CTimeSalesView;
};
template <>
struct KindView<kKindBarTable> {
    using type = CBarView;
};
template <>
struct KindView<kKindTradeTicket> {
    using type = COrderView;
};
template <>
struct KindView<kKindBalances> {
    using type = CBalanceView;
};
template <>
struct KindView<kKindOrderStatus> {
    using type = COrderStatusView;
};
template <>
struct KindView<kKindSavedOrders> {
    using type = CSavedOrdersView;
};
template <>
struct KindView<kKindBackTesting> {
    using type = CBackTestView;
};
template <>
struct KindView<kKindAlertManager> {
    using type = EditAlertList;
};
template <>
struct KindView<kKindChart> {
    using type = CGraphsView;
};
template <>
struct KindView<kKindNews> {
    using type = HeadlinesView;
};
template <>
struct KindView<kKindBrowser> {
    using type = CBrowserView;
};

// The document and frames of a kind: the chart's own, else the common ones.
template <int Kind>
struct KindFrames {
    using doc = CCommonDoc;
    using mdi = CChildFrame;
    using sdi = CSdiChildFrame;
};
template <>
struct KindFrames<kKindChart> {
    using doc = CGraphsDoc;
    using mdi = CGraphsChildFrame;
    using sdi = CSdiGraphsChildFrame;
};
template <>
struct KindFrames<kKindNews> {
    using doc = CCommonDoc;
    using mdi = NewsFrame;
    using sdi = SdiNewsFrame;
};

template <int Kind>
void AddKindTemplates(CWinApp& app)
{
    using View = typename KindView<Kind>::type;
    using Frames = KindFrames<Kind>;
    const UINT resource = WindowKindResource(Kind);
    app.AddDocTemplate(std::make_unique<CDocTemplate>(resource, RuntimeClassOf<typename Frames::doc>(),
                                                      RuntimeClassOf<typename Frames::mdi>(), RuntimeClassOf<View>()));
    app.AddDocTemplate(std::make_unique<CDocTemplate>(resource, RuntimeClassOf<typename Frames::doc>(),
                                                      RuntimeClassOf<typename Frames::sdi>(), RuntimeClassOf<View>()));
}

template <int... Kinds>
void AddAllKindTemplates(CWinApp& app, std::integer_sequence<int, Kinds...>)
{
    (AddKindTemplates<Kinds>(app), ...);
}

bool TakeValue(const std::vector<CString>& args, size_t& i, CString& out)
{
    const CString& arg = args[i];
    const int eq = arg.Find('=');
    if (eq >= 0) {
        out = arg.Mid(eq + 1);
        return true;
    }
    if (i + 1 >= args.size())
        return false;
    out = args[++i];
    return true;
}

}  // namespace

namespace {

// "0,2,3f": kinds 0..12, "f" for a floating window; false for anything else.
bool ParseOpenKinds(const CString& text, std::vector<std::pair<int, bool>>* kinds, CString* bad)
{
    int pos = 0;
    for (;;) {
        CString token = text.Tokenize(", ", pos);
        if (pos < 0)
            return true;
        const bool floating =
            !token.IsEmpty() && (token[token.GetLength() - 1] == 'f' || token[token.GetLength() - 1] == 'F');
        CString number = floating ? token.Left(token.GetLength() - 1) : token;
        char* end = nullptr;
        const long kind = std::strtol(number, &end, 10);
        if (number.IsEmpty() || !end || *end != '\0' || kind < 0 || kind >= kWindowKindCount) {
            if (bad)
                *bad = token;
            return false;
        }
        if (kinds)
            kinds->emplace_back(static_cast<int>(kind), floating);
    }
}

}  // namespace

const char* CStartOptions::Usage()
{
    return "Usage: quorvantelix [options]\n"
           "\n"
           "  --home FOLDER        the user data folder (default: $QX_HOME, else\n"
           "                       ~/.local/share/Quorvantelix)\n"
           "  --user NAME          the user name for the login\n"
           "  --password WORD      the password (kept in memory only); without it the\n"
           "                       login dialog asks\n"
           "  --config FILE        the config.ini to read instead of the one in the folder\n"
           "  --server URL         the broker's address for the login, the API and history\n"
           "  --open-kinds LIST    windows to open after login, e.g. 0,2,3f (0 Level I ...\n"
           "                       12 Saved Orders; f: a floating window)\n"
           "  --symbol SYMBOL      the symbol sent to every window after login\n"
           "  -h, --help           this text\n"
           "\n"
           "An option's value may also follow an equals sign (--user=NAME).\n";
}

std::vector<std::pair<int, bool>> CStartOptions::GetOpenKinds() const
{
    std::vector<std::pair<int, bool>> kinds;
    ParseOpenKinds(openKinds, &kinds, nullptr);
    return kinds;
}

int CheckCommandLine(int argc, char** argv)
{
    std::vector<CString> arguments;
    for (int i = 1; i < argc; ++i)
        arguments.emplace_back(argv[i]);
    CStartOptions options;
    CString error;
    if (!options.Parse(arguments, &error)) {
        std::fprintf(stderr, "quorvantelix: %s\n\n%s", error.GetString(), CStartOptions::Usage());
        return 2;
    }
    if (options.help) {
        std::fputs(CStartOptions::Usage(), stdout);
        return 0;
    }
    return -1;
}

bool CStartOptions::Parse(const std::vector<CString>& arguments, CString* error)
{
    for (size_t i = 0; i < arguments.size(); ++i) {
        const CString& arg = arguments[i];
        if (arg == "--help" || arg == "-h") {
            help = true;
            continue;
        }
        CString name = arg;
        const int eq = name.Find('=');
        if (eq >= 0)
            name = name.Left(eq);
        CString* target = nullptr;
        if (name == "--home")
            target = &home;
        else if (name == "--user")
            target = &user;
        else if (name == "--password")
            target = &password;
        else if (name == "--config")
            target = &config;
        else if (name == "--server")
            target = &server;
        else if (name == "--open-kinds")
            target = &openKinds;
        else if (name == "--symbol")
            target = &symbol;
        if (!target) {
            if (error)
                error->Format("Unknown option %s.", arg.GetString());
            return false;
        }
        if (!TakeValue(arguments, i, *target)) {
            if (error)
                error->Format("The option %s needs a value.", name.GetString());
            return false;
        }
    }
    CString bad;
    if (!ParseOpenKinds(openKinds, nullptr, &bad)) {
        if (error)
            error->Format("Unknown window kind %s in --open-kinds (0 to %d, \"f\" after a kind for a floating "
                          "window).",
                          bad.GetString(), kWindowKindCount - 1);
        return false;
    }
    return true;
}

CWorkstationApp* GetWorkstationApp()
{
    return dynamic_cast<CWorkstationApp*>(AfxGetApp());
}

CWorkstationApp::CWorkstationApp() : CWinApp("Quorvantelix")
{
    CAppSettings::Install(&m_settings);
    m_settings.SetAlertBook(std::make_unique<CAlertBook>(m_settings));
    m_customStudies = std::make_unique<CSettingsCustomStudyTable>(m_settings);
    InstallCustomStudyTable(m_customStudies.get());
}

CWorkstationApp::~CWorkstationApp()
{
    StopAlertsAndThreads();
    if (GetAlertHost() == m_alertDelivery.get())
        SetAlertHost(nullptr);
    if (m_session)
        m_session->GetSession().SetConfirm(nullptr);
    if (CSessionManager::Instance() == m_session.get())
        CSessionManager::Install(nullptr);
    if (GetCustomStudyTable() == m_customStudies.get())
        InstallCustomStudyTable(nullptr);
    if (CAppSettings::Instance() == &m_settings)
        CAppSettings::Install(nullptr);
    m_qtLog.reset();
    if (m_log && GetAppLog() == m_log)
        InstallAppLog(m_previousLog);
}

void CWorkstationApp::Notify(const CString& text)
{
    AfxMessageBox(text, MB_OK | MB_ICONEXCLAMATION);
}

BOOL CWorkstationApp::InitInstance()
{
    static std::once_flag namesOnce;
    std::call_once(namesOnce, [] { InitFormulaNames(); });

    // From here on a termination signal is held until the main frame can close.
    m_signals = std::make_unique<CTerminationSignals>();
    CString error;
    if (!m_options.Parse(m_arguments, &error)) {
        AfxMessageBox(error, MB_OK | MB_ICONSTOP);
        return FALSE;
    }
    if (m_options.help)
        return FALSE;
    // User data folder and every user file before any window.
    if (!PrepareFolder())
        return FALSE;
    // Keys typed ahead of a window go to it; with its log in place, which says when they can't.
    RouteBlockedKeysToModalWindows();
    m_settings.SetNotifier(this);
    m_settings.LoadProfile(m_profile);
    InstallStrategyReader(m_settings);
    m_settings.LoadAll();
    if (m_settings.m_bEmptyTemp)
        EmptyTempFolder();
    if (!CreateSession())
        return FALSE;

    RegisterTemplates();
    InstallStrategyTradingSetup();
    SetBacktestChartOpener(&OpenChartForBacktest);
    auto frame = std::make_unique<CMainFrame>();
    if (!frame->CreateMainFrame())
        return FALSE;
    m_pMainFrame = frame.release();  // owns itself with its window
    m_pMainWnd = m_pMainFrame;
    m_router->SetMainFrame(m_pMainFrame->m_hWnd);
    m_alertDelivery = std::make_unique<CAlertDelivery>(*m_pMainFrame, m_caFile);
    m_pMainFrame->SetAlertHandler(m_alertDelivery.get());
    SetAlertHost(m_alertDelivery.get());
    m_pMainFrame->GetOuterWidget()->resize(1280, 800);
    m_pMainFrame->ShowWindow(SW_SHOW);
    m_pMainFrame->SetIntervalBox("Daily", FALSE);
    m_bInitialized = true;

    if (!LoginLoop()) {
        m_pMainFrame->DestroyWindow();
        m_pMainFrame = nullptr;
        m_pMainWnd = nullptr;
        return FALSE;
    }
    m_pMainFrame->SetAccounts(m_session->GetAccounts());
    m_pMainFrame->SetMessageText("Logged in as " + m_settings.m_userName);
    if (m_settings.m_bOpenLastWorkspace && !m_settings.m_lastWorkspace.IsEmpty() &&
        std::filesystem::exists(m_settings.m_lastWorkspace.GetString()))
        LoadWorkspace(m_settings.m_lastWorkspace);
    m_pMainFrame->StartWorkspaceBackup();
    if (m_settings.m_bShowStartPage && !m_settings.m_startPage.IsEmpty()) {
        if (CDocument* doc = OpenWindowOfKind(kKindBrowser, false))
            doc->SetTitle("Browser - " + m_settings.m_startPage);
    }
    OpenRequestedWindows();
    StartThreads();
    m_signals->SetTarget(m_pMainFrame->m_hWnd);
    return TRUE;
}

void CWorkstationApp::OpenRequestedWindows()
{
    bool opened = false;
    for (const auto& [kind, floating] : m_options.GetOpenKinds())
        opened = OpenWindowOfKind(kind, floating) != nullptr || opened;
    if (opened)
        m_pMainFrame->MDITile();
    if (!m_options.symbol.IsEmpty()) {
        m_pMainFrame->SetSymbolBox(m_options.symbol, FALSE);
        CSymbolIntervalMsg msg{m_options.symbol, m_pMainFrame->GetIntervalBox(), false};
        msg.symbol.MakeUpper();
        m_pMainFrame->SetSymbolBox(msg.symbol, TRUE);
        for (CView* view : GetWindowViews())
            view->SendMessage(WM_SET_SYMBOL_INTERVAL, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&msg));
    }
}

bool CWorkstationApp::PrepareFolder()
{
    m_folder = ResolveUserDataFolder(m_options.home.IsEmpty() ? nullptr : m_options.home.GetString());
    CString error;
    if (!PrepareUserDataFolder(m_folder, &error)) {
        AfxMessageBox(error, MB_OK | MB_ICONSTOP);
        return false;
    }
    m_settings.SetWorkingDirectory(m_folder);
    // The diagnostic log goes to a file of the folder from here on, not to the terminal.
    m_log = std::make_shared<CRotatingLog>(m_settings.GetFilePath(kLogFileName));
    m_previousLog = InstallAppLog(m_log);
    m_qtLog = std::make_unique<CQtMessageLog>();
    m_profile.Load(m_settings.GetFilePath(kProfileFileName));
    SetAppProfile(&m_profile);
    const CString configPath = m_options.config.IsEmpty() ? m_settings.GetFilePath(kConfigFileName) : m_options.config;
    if (!m_config.Load(configPath) && !m_options.config.IsEmpty()) {
        AfxMessageBox("The configuration file " + configPath + " cannot be read.", MB_OK | MB_ICONSTOP);
        return false;
    }
    return true;
}

void CWorkstationApp::EmptyTempFolder()
{
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path temp(m_settings.GetFilePath("Temp").GetString());
    for (const auto& entry : fs::directory_iterator(temp, ec))
        fs::remove_all(entry.path(), ec);
}

bool CWorkstationApp::CreateSession()
{
    CSessionConfig config = MakeSessionConfig(m_config);
    if (!m_options.server.IsEmpty()) {
        config.loginServer = m_options.server;
        config.apiServer = m_options.server;
        config.historyServer = m_options.server;
        config.updateFile = m_options.server + "/update/QxUpdate.xml";
    }
    m_caFile = config.caFile;
    m_http = std::make_unique<CPlatformHttpTransport>(config.caFile, 30000);
    m_session = std::make_unique<CSessionManager>(m_folder, config, m_http.get(), &CTcpStreamConnection::Create);
    CSessionManager::Install(m_session.get());
    RegisterOptionChainHooks();
    m_router = std::make_unique<CSessionStatusRouter>();
    m_session->SetStatusWindow(m_router.get());
    m_orderConfirm = std::make_unique<CShellOrderConfirm>(m_settings);
    m_session->GetSession().SetConfirm(m_orderConfirm.get());
    InstallTradingHost();
    DeliverOrderFillAlerts(*m_session);
    // Formulas may subscribe and register for the poll from the first window on; the
    // engine's threads start after login.
    m_formulas = std::make_unique<CFormulaEngine>();
    CFormulaEngine::Install(m_formulas.get());
    return true;
}

void CWorkstationApp::RegisterTemplates()
{
    AddAllKindTemplates(*this, std::make_integer_sequence<int, kWindowKindCount>());
}

bool CWorkstationApp::PromptLogin(CString& user, CString& password, bool& saveUser, const CString& message)
{
    CLoginDlg dlg(m_pMainFrame);
    dlg.m_userName = user;
    dlg.m_nSaveUserName = saveUser ? 1 : 0;
    dlg.m_message = message;
    if (dlg.DoModal() != IDOK)
        return false;
    user = dlg.m_userName;
    password = dlg.m_password;
    saveUser = dlg.m_nSaveUserName != 0;
    dlg.m_password.Empty();
    return true;
}

int CWorkstationApp::RunLoginStatus(const CString& user, const CString& password, CString& error)
{
    CLoginStatusDlg dlg(*m_session, *m_router, user, password, m_pMainFrame);
    const INT_PTR result = dlg.DoModal();
    error = dlg.GetError();
    return static_cast<int>(result);
}

bool CWorkstationApp::LoginLoop()
{
    CString user = m_options.user.IsEmpty() ? m_settings.m_userName : m_options.user;
    CString password = m_options.password;
    m_options.password.Empty();
    bool saveUser = m_settings.m_bSaveUserName;
    bool ask = user.IsEmpty() || password.IsEmpty();
    CString message;
    for (;;) {
        if (m_signals && m_signals->WasRequested()) {
            m_session->LogOut();
            return false;
        }
        if (ask && !PromptLogin(user, password, saveUser, message))
            return false;
        ask = true;
        m_router->SetTarget(HWND());
        const int result = RunLoginStatus(user, password, message);
        password.Empty();
        if (result == IDOK)
            break;
        if (result != IDABORT) {
            // Cancelled, or the dialog could not run: no login may be left going.
            m_session->LogOut();
            return false;
        }
    }
    m_settings.m_userName = user;
    m_settings.m_bSaveUserName = saveUser;
    m_settings.SaveProfileNow();
    return true;
}

bool CWorkstationApp::LogInAgain(const CString& message)
{
    if (m_bLoggingInAgain || !m_session || !m_pMainFrame || m_session->IsLoggedIn())
        return false;
    m_bLoggingInAgain = true;
    CString user = m_settings.m_userName;
    CString password;
    CString text = message;
    bool saveUser = m_settings.m_bSaveUserName;
    bool ok = false;
    while (PromptLogin(user, password, saveUser, text)) {
        m_router->SetTarget(HWND());
        const int result = RunLoginStatus(user, password, text);
        password.Empty();
        if (result == IDOK) {
            ok = true;
            break;
        }
        if (result != IDABORT) {
            m_session->LogOut();
            break;
        }
    }
    // Cancelled: the main frame hears the session again (the menu offers the login later).
    m_router->SetTarget(m_pMainFrame->m_hWnd);
    m_bLoggingInAgain = false;
    if (!ok)
        return false;
    m_settings.m_userName = user;
    m_settings.m_bSaveUserName = saveUser;
    m_settings.SaveProfileNow();
    m_pMainFrame->SetAccounts(m_session->GetAccounts());
    m_pMainFrame->SetMessageText("Logged in as " + user);
    return true;
}

void CWorkstationApp::StartThreads()
{
    m_bStopping = false;
    m_stopEvent.ResetEvent();
    m_formulas->Start();
    // The alerts loaded at start-up, activated in array order on a thread of their own;
    // each is looked up by its id, so one the user deleted meanwhile is skipped.
    std::vector<AlertId> alerts;
    if (CAlertBook* book = CAlertBook::Instance())
        alerts = book->Ids();
    m_bActivationDone = false;
    m_alertThread = std::thread([this, alerts = std::move(alerts)]() mutable { AlertActivationThread(std::move(alerts)); });
}

void CWorkstationApp::AlertActivationThread(std::vector<AlertId> alerts)
{
    for (AlertId id : alerts) {
        if (IsStopping())
            break;
        if (CAlertBook* book = CAlertBook::Instance())
            book->WithAlert(id, [](CAlert& alert) { alert.Activate(); });
    }
    m_bActivationDone = true;
}

void CWorkstationApp::StopAlertActivation()
{
    m_bStopping = true;
    m_stopEvent.SetEvent();
    if (m_alertThread.joinable())
        m_alertThread.join();
}

bool CWorkstationApp::IsStopping() const
{
    return m_bStopping.load();
}

bool CWorkstationApp::AreThreadsRunning() const
{
    return m_formulas && m_formulas->IsRunning();
}

void CWorkstationApp::StopAlertsAndThreads()
{
    // The activation pass may still be using the alerts: it ends before they are freed,
    // and they go before the formula engine that calls them.
    StopAlertActivation();
    if (IAlertBook* book = m_settings.GetAlertBook())
        book->FreeAlerts();
    StopThreads();
}

void CWorkstationApp::StopThreads()
{
    // Running exports hold series of the session.
    CListExports::Instance().StopAll();
    StopAlertActivation();
    if (m_formulas) {
        m_formulas->Stop();
        if (CFormulaEngine::Instance() == m_formulas.get())
            CFormulaEngine::Install(nullptr);
        m_formulas.reset();
    }
}

void CWorkstationApp::RegisterPolled(CFormulaTimer* timer)
{
    if (m_formulas)
        m_formulas->RegisterPolled(timer);
}

void CWorkstationApp::UnregisterPolled(CFormulaTimer* timer)
{
    if (m_formulas)
        m_formulas->UnregisterPolled(timer);
}

int CWorkstationApp::ExitInstance()
{
    if (m_bInitialized) {
        m_settings.SaveAll();
        m_settings.SaveProfile(m_profile);
        m_bInitialized = false;
    }
    if (m_alertDelivery)
        m_alertDelivery->Shutdown();
    StopAlertsAndThreads();
    if (m_session) {
        m_session->SetStatusWindow(nullptr);
        m_session->LogOut();
    }
    // Only now may a signal end the process directly again.
    m_signals.reset();
    return CWinApp::ExitInstance();
}

CDocument* CWorkstationApp::OpenWindowOfKind(int kind, bool floating)
{
    if (kind < 0 || kind >= kWindowKindCount)
        return nullptr;
    CDocTemplate* docTemplate = GetDocTemplate(static_cast<size_t>(kind * 2 + (floating ? 1 : 0)));
    if (!docTemplate)
        return nullptr;
    CDocument* doc = docTemplate->OpenDocumentFile(nullptr);
    if (auto* common = dynamic_cast<CCommonDoc*>(doc)) {
        common->SetDetached(floating);
        common->UpdateLinkButtons();
    }
    return doc;
}

bool CWorkstationApp::ToggleDetach(CView* view)
{
    auto* doc = view ? dynamic_cast<CCommonDoc*>(view->GetDocument()) : nullptr;
    CFrameWnd* frame = view ? view->GetParentFrame() : nullptr;
    if (!doc || !frame || doc->GetKind() < 0)
        return false;
    const bool toFloating = !doc->IsDetached();
    CDocTemplate* target = GetDocTemplate(static_cast<size_t>(doc->GetKind() * 2 + (toFloating ? 1 : 0)));
    if (!target)
        return false;
    CFrameWnd* newFrame = target->CreateNewFrame(doc, nullptr, false);
    if (!newFrame)
        return false;
    frame->MoveContentTo(newFrame);
    doc->SetDetached(toFloating);
    doc->SetLinkButtons(newFrame, true, true, true);
    newFrame->OnUpdateFrameTitle(TRUE);
    newFrame->ActivateFrame();
    return true;
}

std::vector<CView*> CWorkstationApp::GetWindowViews() const
{
    std::vector<CView*> views;
    std::vector<CFrameWnd*> frames = CFrameWnd::GetFramesInActivationOrder();
    for (auto it = frames.rbegin(); it != frames.rend(); ++it) {
        // A window closed while its command waits in a dialog is gone for the program.
        if (*it == m_pMainFrame || (*it)->IsDestroyPending())
            continue;
        if (CView* view = (*it)->GetActiveView() ? (*it)->GetActiveView()
                                                  : ((*it)->GetViews().empty() ? nullptr : (*it)->GetViews().front()))
            if (view->GetDocument())
                views.push_back(view);
    }
    return views;
}

void CWorkstationApp::CloseAllWindows()
{
    for (CView* view : GetWindowViews())
        if (CFrameWnd* frame = view->GetParentFrame())
            frame->DestroyWindow();
}

int CWorkstationApp::ApplyListFont()
{
    int told = 0;
    for (CView* view : GetWindowViews())
        if (auto* look = dynamic_cast<IListAppearance*>(view)) {
            look->SetListFont(m_settings.m_quoteFont, m_settings.m_quoteTextColor);
            ++told;
        }
    return told;
}

int CWorkstationApp::ApplyChartFont()
{
    int told = 0;
    for (CView* view : GetWindowViews())
        if (auto* chart = dynamic_cast<CGraphsDoc*>(view->GetDocument())) {
            chart->ApplyChartFont();
            ++told;
        }
    return told;
}

int CWorkstationApp::ApplyListColors()
{
    int told = 0;
    for (CView* view : GetWindowViews())
        if (auto* look = dynamic_cast<IListAppearance*>(view)) {
            look->SetListColors(m_settings.m_quoteColors);
            ++told;
        }
    return told;
}

int CWorkstationApp::ApplyReportLook(int list)
{
    if (list < 0 || list >= kReportListCount)
        return 0;
    const CReportListLook& look = m_settings.m_reportLooks[static_cast<size_t>(list)];
    int told = 0;
    for (CView* view : GetWindowViews()) {
        if (auto* orders = dynamic_cast<COrderStatusView*>(view); orders && list == kReportOrderStatus) {
            orders->SetFontAndColor(look.font, look.textColor);
            ++told;
        } else if (auto* balances = dynamic_cast<CBalanceView*>(view); balances && list == kReportBalances) {
            balances->SetFontAndColor(look.font, look.textColor);
            ++told;
        } else if (auto* saved = dynamic_cast<CSavedOrdersView*>(view); saved && list == kReportSavedOrders) {
            saved->SetFont(look.font, look.textColor);
            saved->SetBackgroundColor();
            ++told;
        } else if (auto* alerts = dynamic_cast<EditAlertList*>(view); alerts && list == kReportAlerts) {
            alerts->SetListFontAndColor(look.font, look.textColor);
            alerts->ApplyBackgroundColor();
            ++told;
        }
    }
    return told;
}

void CWorkstationApp::PostToAlertViews(WPARAM wParam, LPARAM lParam)
{
    for (int sdi = 0; sdi < 2; ++sdi) {
        CDocTemplate* docTemplate = GetDocTemplate(static_cast<size_t>(kKindAlertManager * 2 + sdi));
        if (!docTemplate)
            continue;
        for (CDocument* doc : docTemplate->GetDocuments())
            for (CView* view : doc->GetViews())
                view->PostMessage(WM_ALERT_LISTS_CHANGED, wParam, lParam);
    }
}

void CWorkstationApp::NotifyAlertViews(WPARAM wParam, LPARAM lParam)
{
    PostToAlertViews(wParam, lParam);
    if (m_settings.m_bSaveAtOnce)
        m_settings.SaveAlerts();
}

void CWorkstationApp::AlertsEdited()
{
    PostToAlertViews(0, 0);
    m_settings.SaveAlerts();
}

void CWorkstationApp::SetLastWorkspace(const CString& path)
{
    m_settings.m_lastWorkspace = path;
    m_settings.SaveProfileNow();
}

bool CWorkstationApp::SaveWorkspace(const CString& path)
{
    return CWorkspaceFile::Save(*this, path);
}

bool CWorkstationApp::LoadWorkspace(const CString& path)
{
    return CWorkspaceFile::Load(*this, path);
}

CString CWorkstationApp::GetWorkspaceFolder() const
{
    return m_settings.GetFilePath("Workspaces");
}

CString CWorkstationApp::GetBackupWorkspacePath() const
{
    return GetWorkspaceFolder() + "/backup.swp";
}
