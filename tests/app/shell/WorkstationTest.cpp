// The workstation against the in-process test broker: start-up and login, the main
// frame, windows of every kind in both frame forms, detach and attach, linking,
// workspaces and exit.
#include "ShellBrokerFixture.h"

#include "backtest/ui/CBackTestView.h"
#include "app/shell/CMainFrame.h"
#include "app/shell/CTerminationSignals.h"
#include "app/shell/CWorkstationApp.h"
#include "broker/session/CSessionManager.h"
#include "chart/ui/CChartController.h"
#include "chart/ui/CGraphsDoc.h"
#include "common/windows/CCommonDoc.h"
#include "common/windows/ShellIds.h"
#include "platform/ui/CBitmap.h"
#include "platform/ui/CChildFrame.h"
#include "platform/ui/CSdiChildFrame.h"
#include "platform/ui/CStatusBar.h"
#include "platform/ui/CToolBar.h"
#include "tools/testbroker/CTestBroker.h"
#include "views/ui/CLevel2View.h"
#include "views/ui/CSeriesListView.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QImage>
#include <QMenu>
#include <QMenuBar>
#include <QToolButton>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <tuple>
#include <memory>
#include <optional>

extern char** environ;

namespace {

class BrokerFixture : public ShellBrokerFixture {};

struct WindowSummary {
    int kind;
    bool floating;
    CString symbol;
    int symbolGroup;
    bool operator==(const WindowSummary&) const = default;
};

void PrintTo(const WindowSummary& w, std::ostream* os)
{
    *os << "{kind " << w.kind << (w.floating ? " floating " : " mdi ") << w.symbol.GetString() << " group "
        << w.symbolGroup << "}";
}

bool IsFloatingView(CView* view)
{
    return dynamic_cast<CSdiChildFrame*>(view->GetParentFrame()) != nullptr;
}

// The symbol a Level II, time and sales or bar window shows; null for other windows.
const CString* ShownSymbol(CView* view)
{
    if (auto* level2 = dynamic_cast<CLevel2View*>(view))
        return &level2->GetSymbolText();
    if (auto* list = dynamic_cast<CSeriesListView*>(view))
        return &list->GetSymbolText();
    return nullptr;
}

// The font of the list a Level II, time and sales or bar window draws.
std::optional<QFont> ShownListFont(CView* view)
{
    if (auto* level2 = dynamic_cast<CLevel2View*>(view))
        return level2->Bids().GetWidget()->font();
    if (auto* list = dynamic_cast<CSeriesListView*>(view))
        return list->List().GetWidget()->font();
    return std::nullopt;
}

std::vector<WindowSummary> Summarise(CWorkstationApp& app)
{
    std::vector<WindowSummary> out;
    for (CView* view : app.GetWindowViews()) {
        // Kinds with a view of their own show no symbol here.
        auto* doc = dynamic_cast<CCommonDoc*>(view->GetDocument());
        if (!doc)
            continue;
        const CString* symbol = ShownSymbol(view);
        // The balances and Browser windows' workspace records hold no link groups.
        const int group = doc->GetKind() == kKindBalances || doc->GetKind() == kKindBrowser
                              ? -1
                              : doc->GetLinkState().GetSymbolGroup();
        out.push_back({doc->GetKind(), IsFloatingView(view), symbol ? *symbol : CString(), group});
    }
    // Floating windows take activation asynchronously: compare in a fixed order.
    std::sort(out.begin(), out.end(), [](const WindowSummary& a, const WindowSummary& b) {
        return std::tie(a.floating, a.kind, a.symbol) < std::tie(b.floating, b.kind, b.symbol);
    });
    return out;
}

class PromptingApp : public CWorkstationApp {
public:
    std::vector<CString> messages;
    std::vector<int> results;
    bool answer = true;

protected:
    int RunLoginStatus(const CString& user, const CString& password, CString& error) override
    {
        results.push_back(CWorkstationApp::RunLoginStatus(user, password, error));
        return results.back();
    }
    bool PromptLogin(CString& user, CString& password, bool& saveUser, const CString& message) override
    {
        messages.push_back(message);
        if (!answer)
            return false;
        user = "demo";
        password = "demo";
        saveUser = true;
        return true;
    }
};

}  // namespace

TEST_F(BrokerFixture, WorkstationLogsInOpensEveryKindLinksSavesWorkspacesAndExits)
{
    m_broker->SetPassword("pw-only-in-memory");
    std::filesystem::create_directories(m_home.File("Temp/old"));
    m_home.Write("Temp/old/installer.bin", "scratch");
    CScopedUiResponder responder(std::make_unique<RecordingResponder>(&m_boxes));
    CWorkstationApp app;
    app.m_arguments = {"--home", m_home.Path(), "--user", "demo", "--password", "pw-only-in-memory"};
    ASSERT_TRUE(app.InitInstance());
    // Temp is emptied at start-up (the default); the folder itself stays.
    EXPECT_FALSE(std::filesystem::exists(m_home.File("Temp/old")));
    EXPECT_TRUE(std::filesystem::is_directory(m_home.File("Temp")));
    CSessionManager* session = app.Session();
    ASSERT_NE(session, nullptr);
    EXPECT_TRUE(session->IsLoggedIn());
    EXPECT_TRUE(app.AreThreadsRunning());

    // The main frame: menus, tool bar with its boxes, status bar, tray icon.
    CMainFrame* frame = app.MainFrame();
    ASSERT_NE(frame, nullptr);
    auto* window = qobject_cast<QMainWindow*>(frame->GetOuterWidget());
    ASSERT_NE(window, nullptr);
    QStringList menus;
    for (QAction* a : window->menuBar()->actions())
        menus << a->text();
    EXPECT_TRUE(menus.contains("&File"));
    EXPECT_TRUE(menus.contains("&Trading"));
    EXPECT_TRUE(menus.contains("&Window"));
    ASSERT_NE(frame->GetToolBar(), nullptr);
    EXPECT_GT(frame->GetToolBar()->GetButtonCount(), 5);
    EXPECT_EQ(frame->GetIntervalBox(), "Daily");
    ASSERT_NE(frame->GetStatusBar(), nullptr);
    EXPECT_EQ(frame->GetStatusBar()->GetCount(), 4);
    EXPECT_TRUE(frame->GetTrayIcon().IsCreated());
    EXPECT_EQ(frame->GetTrayIcon().GetToolTip(), "Quorvantelix");
    // The accounts of the login.
    ASSERT_TRUE(PumpUntil([&] { return !session->GetAccounts().empty(); }));
    frame->SetAccounts(session->GetAccounts());
    std::vector<CAccountInfo> accounts;
    frame->GetTargetAccounts(1, {}, accounts);
    EXPECT_EQ(accounts.size(), 2u);
    EXPECT_EQ(frame->GetAccountListText(2, {"ira", "nobody"}, 1), "IRA");
    EXPECT_EQ(frame->GetAccountListText(0, {}, 0), "Active");

    // The update description of the broker arrived (its version is the running one).
    ASSERT_TRUE(PumpUntil([&] { return !frame->GetWebUpdates().empty(); }));
    EXPECT_EQ(frame->GetWebUpdates().size(), 1u);
    EXPECT_TRUE(m_boxes.empty());

    // Every kind, MDI and floating.
    for (int kind = 0; kind < kWindowKindCount; ++kind) {
        for (bool floating : {false, true}) {
            CDocument* doc = app.OpenWindowOfKind(kind, floating);
            ASSERT_NE(doc, nullptr) << kind;
            CView* view = doc->GetFirstView();
            auto* common = dynamic_cast<CCommonDoc*>(doc);
            ASSERT_NE(view, nullptr) << kind;
            ASSERT_NE(common, nullptr) << kind;
            EXPECT_EQ(common->GetKind(), kind);
            EXPECT_EQ(IsFloatingView(view), floating);
            EXPECT_EQ(common->IsDetached(), floating);
            // A Level I window's title tells its screener, a news window its alert, a
            // BackTesting window its strategies.
            EXPECT_EQ(doc->GetTitle(), kind == kKindLevel1        ? CString("Level I (Screener Off)")
                                       : kind == kKindNews        ? CString("News (Alert Off)")
                                       : kind == kKindBackTesting ? CString("BackTesting (No Strategies)")
                                                                  : CString(WindowKindName(kind)));
            // The Browser follows no symbol.
            EXPECT_EQ(view->GetParentFrame()->GetCaptionButton(ID_LINK_SYMBOL) != nullptr, kind != kKindBrowser);
            EXPECT_NE(view->GetParentFrame()->GetCaptionButton(ID_DETACH), nullptr);
        }
    }
    EXPECT_EQ(app.OpenWindowOfKind(13, false), nullptr);
    EXPECT_EQ(frame->GetMDIChildren().size(), 13u);
    EXPECT_EQ(app.GetWindowViews().size(), 26u);

    // Detach a chart through its caption button, then attach it again: the chart is
    // copied into the new frame (its document stays) and the old frame goes.
    CView* chart = nullptr;
    for (CView* v : app.GetWindowViews())
        if (auto* doc = dynamic_cast<CCommonDoc*>(v->GetDocument());
            doc && doc->GetKind() == kKindChart && !IsFloatingView(v))
            chart = v;
    ASSERT_NE(chart, nullptr);
    auto* chartDoc = dynamic_cast<CCommonDoc*>(chart->GetDocument());
    const CString chartSymbol = dynamic_cast<CGraphsDoc*>(chartDoc)->GetSymbol();
    const auto chartView = [&] { return chartDoc->GetFirstView(); };
    CCaptionButton* detach = chart->GetParentFrame()->GetCaptionButton(ID_DETACH);
    ASSERT_NE(detach, nullptr);
    detach->Button()->click();
    ASSERT_TRUE(PumpUntil([&] { return chartView() && IsFloatingView(chartView()); }));
    EXPECT_TRUE(chartDoc->IsDetached());
    EXPECT_EQ(dynamic_cast<CGraphsDoc*>(chartDoc)->GetSymbol(), chartSymbol);
    EXPECT_EQ(frame->GetMDIChildren().size(), 12u);
    ASSERT_NE(chartView()->GetParentFrame()->GetCaptionButton(ID_DETACH), nullptr);
    ASSERT_TRUE(app.ToggleDetach(chartView()));
    PumpFor(10);
    EXPECT_FALSE(IsFloatingView(chartView()));
    EXPECT_FALSE(chartDoc->IsDetached());
    EXPECT_NE(nullptr, GetChartController(chartView()->GetParentFrame()));
    EXPECT_EQ(frame->GetMDIChildren().size(), 13u);

    // Linking: only the windows linked with the source follow the symbol (the Level II,
    // time and sales and bar windows, MDI and floating, tell theirs).
    std::vector<CView*> views;
    for (CView* v : app.GetWindowViews())
        if (ShownSymbol(v))
            views.push_back(v);
    for (CView* v : app.GetWindowViews()) {
        CLinkState& link = dynamic_cast<CCommonDoc*>(v->GetDocument())->GetLinkState();
        link.SetSymbolGroup(5);  // "Group 4"
        link.SetIntervalGroup(5);
    }
    ASSERT_EQ(views.size(), 6u);
    std::vector<CString> symbolsBefore;
    for (CView* v : views)
        symbolsBefore.push_back(*ShownSymbol(v));
    CView* source = views[0];
    CView* sameGroup = views[1];
    CView* linkAll = views[2];
    CView* otherGroup = views[3];
    CView* disabled = views[4];
    auto linkOf = [](CView* v) -> CLinkState& { return dynamic_cast<CCommonDoc*>(v->GetDocument())->GetLinkState(); };
    for (CView* v : {source, sameGroup})
        linkOf(v).SetSymbolGroup(3);
    linkOf(linkAll).SetSymbolGroup(kLinkGroupAll);
    linkOf(disabled).SetSymbolGroup(kLinkGroupDisabled);
    // The group is chosen from the caption button's menu.
    UINT choice = ID_LINK_GROUP_FIRST + 3;
    static_cast<RecordingResponder&>(CUiResponder::Current()).m_menuChoice = &choice;
    sameGroup->GetParentFrame()->GetCaptionButton(ID_LINK_SYMBOL)->Button()->click();
    EXPECT_EQ(linkOf(sameGroup).GetSymbolGroup(), 3);
    EXPECT_EQ(sameGroup->GetParentFrame()->GetCaptionButton(ID_LINK_SYMBOL)->GetText(), "S: Group 2");

    frame->SetSymbolBox("ibm", FALSE);
    frame->SetSymbolBox("  ", FALSE);
    EXPECT_EQ(frame->ApplySymbolInterval(source, TRUE), 0);  // blank: nothing happens
    frame->SetSymbolBox("ibm", FALSE);
    EXPECT_EQ(frame->ApplySymbolInterval(source, TRUE), 3);
    PumpFor(10);
    EXPECT_EQ(*ShownSymbol(source), "IBM");
    EXPECT_EQ(*ShownSymbol(sameGroup), "IBM");
    EXPECT_EQ(*ShownSymbol(linkAll), "IBM");
    for (size_t i = 3; i < views.size(); ++i)
        EXPECT_EQ(*ShownSymbol(views[i]), symbolsBefore[i]) << i;
    EXPECT_EQ(frame->GetRecentSymbols().front(), "IBM");
    CSymbolIntervalMsg msft{"MSFT", "", false};
    otherGroup->SendMessage(WM_SET_SYMBOL_INTERVAL, static_cast<WPARAM>(kLinkBroadcastAll),
                            reinterpret_cast<LPARAM>(&msft));
    PumpFor(10);
    EXPECT_EQ(*ShownSymbol(otherGroup), "MSFT");

    // Workspace: save, close everything, load back the same windows.
    const std::vector<WindowSummary> before = Summarise(app);
    ASSERT_EQ(before.size(), 26u);
    const CString path = app.GetWorkspaceFolder() + "/test.swp";
    ASSERT_TRUE(app.SaveWorkspace(path));
    app.CloseAllWindows();
    PumpFor(10);
    EXPECT_TRUE(app.GetWindowViews().empty());
    ASSERT_TRUE(app.LoadWorkspace(path));
    PumpFor(10);
    EXPECT_EQ(Summarise(app), before);
    EXPECT_TRUE(m_boxes.empty()) << m_boxes.front().text.GetString();

    // A workspace that is missing or too new leaves the windows as they are.
    EXPECT_FALSE(app.LoadWorkspace(app.GetWorkspaceFolder() + "/missing.swp"));
    ASSERT_EQ(m_boxes.size(), 1u);
    EXPECT_EQ(m_boxes.back().text, "Error loading workspace");
    m_home.Write("Workspaces/newer.swp", std::string("\x14\0\0\0\0\0\0\0", 8));
    EXPECT_FALSE(app.LoadWorkspace(app.GetWorkspaceFolder() + "/newer.swp"));
    EXPECT_EQ(m_boxes.size(), 2u);
    EXPECT_EQ(Summarise(app), before);
    // A damaged one ends with the message.
    m_home.Write("Workspaces/bad.swp", std::string("\x13\0\0\0\x05\0\0\0", 8));
    EXPECT_FALSE(app.LoadWorkspace(app.GetWorkspaceFolder() + "/bad.swp"));
    ASSERT_EQ(m_boxes.size(), 3u);
    EXPECT_EQ(m_boxes.back().text, "Error loading workspace");
    app.Settings().m_lastWorkspace = path;

    // Exit: settings saved, threads stopped, logged out; the password is nowhere.
    CloseAndExit(app);
    EXPECT_FALSE(app.AreThreadsRunning());
    EXPECT_FALSE(session->IsLoggedIn());
    for (const char* file : {"gui.dat", "columns.dat", "portfolios.dat", "trading.dat", "formulas.dat", "notes.xml",
                             "profile.ini"})
        EXPECT_TRUE(std::filesystem::exists(m_home.File(file))) << file;
    const std::string profile = m_home.Read("profile.ini");
    EXPECT_NE(profile.find("UserName=demo"), std::string::npos) << profile;
    EXPECT_NE(profile.find("test.swp"), std::string::npos);
    for (const auto& entry : std::filesystem::recursive_directory_iterator(m_home.File("")))
        if (entry.is_regular_file()) {
            std::ifstream in(entry.path(), std::ios::binary);
            std::stringstream s;
            s << in.rdbuf();
            EXPECT_EQ(s.str().find("pw-only-in-memory"), std::string::npos) << entry.path();
        }
}

TEST_F(BrokerFixture, AFailedLoginAsksAgainWithTheBrokersTextAndCancelEnds)
{
    CScopedUiResponder responder(std::make_unique<RecordingResponder>(&m_boxes));
    m_broker->RejectLogins(1, "Your password has expired.");
    {
        PromptingApp app;
        app.m_arguments = {"--home", m_home.Path()};
        ASSERT_TRUE(app.InitInstance()) << ::testing::PrintToString(app.results);
        ASSERT_EQ(app.messages.size(), 2u);
        EXPECT_EQ(app.messages[0], "");
        EXPECT_NE(app.messages[1].Find("Your password has expired."), -1) << app.messages[1].GetString();
        EXPECT_TRUE(app.Session()->IsLoggedIn());
        CloseAndExit(app);
    }
    // Cancel at the login dialog ends the start-up.
    {
        PromptingApp app;
        app.answer = false;
        app.m_arguments = {"--home", m_home.Path()};
        EXPECT_FALSE(app.InitInstance());
        ASSERT_EQ(app.messages.size(), 1u);
        EXPECT_EQ(app.MainFrame(), nullptr);
        app.ExitInstance();
    }
}

TEST_F(BrokerFixture, TheLastWorkspaceOpensAfterLogin)
{
    CScopedUiResponder responder(std::make_unique<RecordingResponder>(&m_boxes));
    {
        CWorkstationApp app;
        app.m_arguments = {"--home", m_home.Path(), "--user", "demo", "--password", "demo"};
        ASSERT_TRUE(app.InitInstance());
        app.OpenWindowOfKind(kKindTimeSales, true);
        app.OpenWindowOfKind(kKindNews, false);
        const CString path = app.GetWorkspaceFolder() + "/mine.swp";
        ASSERT_TRUE(app.SaveWorkspace(path));
        app.Settings().m_lastWorkspace = path;
        CloseAndExit(app);
    }
    CWorkstationApp again;
    again.m_arguments = {"--home", m_home.Path(), "--user", "demo", "--password", "demo"};
    ASSERT_TRUE(again.InitInstance());
    const std::vector<WindowSummary> windows = Summarise(again);
    ASSERT_EQ(windows.size(), 2u);
    EXPECT_EQ(windows[0].kind, kKindNews);
    EXPECT_FALSE(windows[0].floating);
    EXPECT_EQ(windows[1].kind, kKindTimeSales);
    EXPECT_TRUE(windows[1].floating);
    CloseAndExit(again);
}

namespace {

// Answers the font and colour dialogs and keeps what they were opened with.
class AppearanceResponder : public RecordingResponder {
public:
    using RecordingResponder::RecordingResponder;
    bool ChooseFont(CWnd*, LOGFONT& font, COLORREF& color) override
    {
        offeredFont = font;
        offeredTextColor = color;
        if (!answer)
            return false;
        font = LOGFONT();
        font.lfHeight = -17;
        font.lfWeight = 700;
        font.lfItalic = 1;
        std::snprintf(font.lfFaceName, sizeof(font.lfFaceName), "%s", "DejaVu Sans");
        color = RGB(10, 20, 30);
        return true;
    }
    bool ChooseColor(CWnd*, COLORREF& color) override
    {
        offeredColor = color;
        if (!answer)
            return false;
        color = RGB(1, 2, 3);
        return true;
    }
    bool answer = true;
    LOGFONT offeredFont;
    COLORREF offeredTextColor = 0xFFFFFFFF;
    COLORREF offeredColor = 0xFFFFFFFF;
};

bool TriggerMenuItem(CMainFrame& frame, const QString& text)
{
    auto* window = qobject_cast<QMainWindow*>(frame.GetOuterWidget());
    if (!window)
        return false;
    for (QAction* top : window->menuBar()->actions())
        if (top->menu())
            for (QAction* item : top->menu()->actions())
                if (item->text() == text) {
                    item->trigger();
                    return true;
                }
    return false;
}

// The BackTesting window's list carries the font, text colour and background.
void ExpectBackTestListLook(CBackTestView& view, const CFontInfo& font, COLORREF text, COLORREF back)
{
    CFont* listFont = view.GetList().GetFont();
    ASSERT_NE(listFont, nullptr);
    LOGFONT lf{};
    ASSERT_NE(listFont->GetLogFont(&lf), 0);
    EXPECT_EQ(CString(lf.lfFaceName), font.face);
    EXPECT_EQ(lf.lfHeight, -font.height);
    EXPECT_EQ(lf.lfWeight, font.weight);
    EXPECT_EQ(lf.lfItalic != 0, font.italic);
    EXPECT_EQ(view.GetList().GetTextColor(), text);
    EXPECT_EQ(view.GetList().GetBkColor(), back);
}

}  // namespace

TEST_F(BrokerFixture, FontsAndColorsCommandsReachEveryOpenWindowAndAreKept)
{
    auto owned = std::make_unique<AppearanceResponder>(&m_boxes);
    AppearanceResponder* dialogs = owned.get();
    CScopedUiResponder responder(std::move(owned));
    {
        CWorkstationApp app;
        app.m_arguments = {"--home", m_home.Path(), "--user", "demo", "--password", "demo"};
        ASSERT_TRUE(app.InitInstance());
        CMainFrame* frame = app.MainFrame();
        ASSERT_NE(frame, nullptr);
        for (int kind : {kKindLevel2, kKindTimeSales, kKindBarTable, kKindBackTesting})
            ASSERT_NE(app.OpenWindowOfKind(kind, kind == kKindLevel2), nullptr);
        std::vector<CView*> views;
        CBackTestView* backtest = nullptr;
        for (CView* v : app.GetWindowViews()) {
            if (auto* b = dynamic_cast<CBackTestView*>(v))
                backtest = b;
            else
                views.push_back(v);
        }
        ASSERT_EQ(views.size(), 3u);
        ASSERT_NE(backtest, nullptr);
        for (CView* v : views)
            ASSERT_NE(ShownListFont(v), std::nullopt);
        ExpectBackTestListLook(*backtest, app.Settings().m_quoteFont, app.Settings().m_quoteTextColor,
                               app.Settings().m_quoteColors[0]);

        // Cancel changes nothing.
        dialogs->answer = false;
        const CFontInfo oldFont = app.Settings().m_quoteFont;
        const COLORREF oldBack = app.Settings().m_quoteColors[0];
        ASSERT_TRUE(TriggerMenuItem(*frame, "&Fonts..."));
        ASSERT_TRUE(TriggerMenuItem(*frame, "&Colors..."));
        EXPECT_EQ(CString(dialogs->offeredFont.lfFaceName), oldFont.face);
        EXPECT_EQ(dialogs->offeredFont.lfHeight, -oldFont.height);
        EXPECT_EQ(dialogs->offeredTextColor, app.Settings().m_quoteTextColor);
        EXPECT_EQ(dialogs->offeredColor, oldBack);
        EXPECT_EQ(app.Settings().m_quoteFont, oldFont);
        EXPECT_EQ(app.Settings().m_quoteColors[0], oldBack);

        // The answers reach the settings and every window, floating ones included.
        dialogs->answer = true;
        ASSERT_TRUE(TriggerMenuItem(*frame, "&Fonts..."));
        ASSERT_TRUE(TriggerMenuItem(*frame, "&Colors..."));
        const CFontInfo& font = app.Settings().m_quoteFont;
        EXPECT_EQ(font.face, "DejaVu Sans");
        EXPECT_EQ(font.height, 17);
        EXPECT_EQ(font.weight, 700);
        EXPECT_TRUE(font.italic);
        EXPECT_EQ(app.Settings().m_quoteTextColor, RGB(10, 20, 30));
        EXPECT_EQ(app.Settings().m_quoteColors[0], RGB(1, 2, 3));
        // The Level II, time and sales and bar windows take the font too.
        for (CView* v : views) {
            const std::optional<QFont> shown = ShownListFont(v);
            ASSERT_NE(shown, std::nullopt);
            EXPECT_EQ(shown->family(), "DejaVu Sans");
            EXPECT_TRUE(shown->italic());
        }
        ExpectBackTestListLook(*backtest, font, RGB(10, 20, 30), RGB(1, 2, 3));
        // A window opened afterwards starts with them too.
        auto* laterBacktest = dynamic_cast<CBackTestView*>(app.OpenWindowOfKind(kKindBackTesting, false)->GetFirstView());
        ASSERT_NE(laterBacktest, nullptr);
        ExpectBackTestListLook(*laterBacktest, font, RGB(10, 20, 30), RGB(1, 2, 3));
        CloseAndExit(app);
    }
    // Kept in the user interface settings file.
    CAppSettings reread;
    reread.SetWorkingDirectory(m_home.Path());
    reread.LoadAll();
    EXPECT_EQ(reread.m_quoteFont.face, "DejaVu Sans");
    EXPECT_EQ(reread.m_quoteFont.height, 17);
    EXPECT_EQ(reread.m_quoteTextColor, RGB(10, 20, 30));
    EXPECT_EQ(reread.m_quoteColors[0], RGB(1, 2, 3));
}

#ifdef QX_WORKSTATION_EXE
namespace {

// The real program, offscreen, logged in to the test broker; its standard output and
// error go to files when named.
class RealProgram {
public:
    RealProgram(const ScratchFolder& home, const std::string& password, const std::string& out = "",
                const std::string& err = "")
    {
        const std::string exe = QX_WORKSTATION_EXE;
        std::vector<std::string> args = {exe, "--home", home.Path().GetString(), "--user", "demo", "--password",
                                         password};
        std::vector<char*> argv;
        for (std::string& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        std::vector<std::string> env = {"QT_QPA_PLATFORM=offscreen"};
        for (char** e = environ; *e; ++e)
            if (std::strncmp(*e, "QT_QPA_PLATFORM=", 16) != 0)
                env.emplace_back(*e);
        std::vector<char*> envp;
        for (std::string& e : env)
            envp.push_back(e.data());
        envp.push_back(nullptr);
        posix_spawn_file_actions_t files;
        ::posix_spawn_file_actions_init(&files);
        if (!out.empty())
            ::posix_spawn_file_actions_addopen(&files, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (!err.empty())
            ::posix_spawn_file_actions_addopen(&files, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        m_started = ::posix_spawn(&m_child, exe.c_str(), &files, nullptr, argv.data(), envp.data()) == 0;
        ::posix_spawn_file_actions_destroy(&files);
    }
    ~RealProgram()
    {
        if (m_started && !m_ended) {
            ::kill(m_child, SIGKILL);
            Wait(10000);
        }
    }
    bool Started() const { return m_started; }
    bool Signal(int signal) { return ::kill(m_child, signal) == 0; }
    // Waits for the end; false when the program still runs.
    bool Wait(int timeoutMs)
    {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < timeoutMs) {
            if (::waitpid(m_child, &m_status, WNOHANG) == m_child)
                return m_ended = true;
            ::usleep(20000);
        }
        return false;
    }
    int Status() const { return m_status; }

private:
    pid_t m_child = -1;
    bool m_started = false;
    bool m_ended = false;
    int m_status = 0;
};

} // namespace

// The real program, logged in to the test broker, ends on SIGTERM through its normal
// exit: user files and the profile written, the session logged out, exit status 0.
TEST_F(BrokerFixture, TerminationSignalEndsTheProgramWithItsNormalExit)
{
    ASSERT_TRUE(std::filesystem::exists(QX_WORKSTATION_EXE));
    RealProgram program(m_home, "demo");
    ASSERT_TRUE(program.Started());
    // Logged in, streaming and past the login dialogs (the profile names the user as the
    // login ends): the program runs.
    ASSERT_TRUE(m_broker->WaitForStreamConnections(1, 60000)) << "the program did not log in";
    ASSERT_TRUE(PumpUntil([&] { return m_home.Read("profile.ini").find("UserName=demo") != std::string::npos; },
                          20000));
    EXPECT_FALSE(std::filesystem::exists(m_home.File("gui.dat")));
    ASSERT_TRUE(program.Signal(SIGTERM));
    ASSERT_TRUE(program.Wait(60000)) << "the program did not end on SIGTERM";
    const int status = program.Status();
    ASSERT_TRUE(WIFEXITED(status)) << (WIFSIGNALED(status) ? WTERMSIG(status) : -1);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    for (const char* file : {"gui.dat", "columns.dat", "portfolios.dat", "trading.dat", "formulas.dat", "notes.xml",
                             "profile.ini"})
        EXPECT_TRUE(std::filesystem::exists(m_home.File(file))) << file;
    EXPECT_NE(m_home.Read("profile.ini").find("UserName=demo"), std::string::npos);
    EXPECT_EQ(m_broker->SessionCount(), 0u);
}

// With valid options and no X display the program says so on standard error and ends
// with status 1 (the toolkit would abort with 134): DISPLAY unset, or naming a display
// that does not answer.
TEST_F(BrokerFixture, WithoutADisplayTheProgramSaysSoAndEndsWithStatus1)
{
    const std::string exe = QX_WORKSTATION_EXE;
    const std::string home = m_home.Path().GetString();
    const std::string errors = (std::filesystem::path(home) / "stderr.txt").string();
    for (const char* display : {"", "DISPLAY=:917", "DISPLAY=nonsense"}) {
        std::vector<std::string> args = {exe, "--home", home, "--user", "demo", "--password", "demo"};
        std::vector<char*> argv;
        for (std::string& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        std::vector<std::string> env;
        for (char** e = environ; *e; ++e)
            if (std::strncmp(*e, "QT_QPA_PLATFORM=", 16) != 0 && std::strncmp(*e, "DISPLAY=", 8) != 0 &&
                std::strncmp(*e, "WAYLAND_DISPLAY=", 16) != 0)
                env.emplace_back(*e);
        if (*display)
            env.emplace_back(display);
        std::vector<char*> envp;
        for (std::string& e : env)
            envp.push_back(e.data());
        envp.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 2, errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        pid_t child = -1;
        ASSERT_EQ(::posix_spawn(&child, exe.c_str(), &actions, nullptr, argv.data(), envp.data()), 0);
        posix_spawn_file_actions_destroy(&actions);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status)) << display << ": signal " << (WIFSIGNALED(status) ? WTERMSIG(status) : -1);
        EXPECT_EQ(WEXITSTATUS(status), 1) << display;
        EXPECT_NE(m_home.Read("stderr.txt").find("no display found"), std::string::npos)
            << display << ": " << m_home.Read("stderr.txt");
    }
}

// In normal use the terminal stays quiet: the requests and replies go to the log file of
// the user data folder, without the session id, stream token, history key or password.
TEST_F(BrokerFixture, TheRealProgramLogsToItsFolderWithoutSecretsAndLeavesTheTerminalQuiet)
{
    const std::string password = "Pw-4e2a-only-here";
    m_broker->SetPassword(password);
    ScratchFolder terminal("terminal");
    RealProgram program(m_home, password, terminal.File("stdout"), terminal.File("stderr"));
    ASSERT_TRUE(program.Started());
    ASSERT_TRUE(m_broker->WaitForStreamConnections(1, 60000)) << "the program did not log in";
    // The history key is asked for after the stream token; the profile names the user once
    // the login has ended.
    ASSERT_TRUE(PumpUntil([&] { return m_home.Read("Quorvantelix.log").find("response MessageKey") != std::string::npos; },
                          20000));
    ASSERT_TRUE(PumpUntil([&] { return m_home.Read("profile.ini").find("UserName=demo") != std::string::npos; },
                          20000));
    ASSERT_TRUE(program.Signal(SIGTERM));
    ASSERT_TRUE(program.Wait(60000));
    EXPECT_TRUE(WIFEXITED(program.Status()) && WEXITSTATUS(program.Status()) == 0);

    EXPECT_EQ(terminal.Read("stdout"), "");
    const std::string err = terminal.Read("stderr");
    EXPECT_EQ(err.find("request "), std::string::npos) << err;
    EXPECT_EQ(err.find("response "), std::string::npos) << err;
    const std::string log = m_home.Read("Quorvantelix.log");
    for (const char* seen : {"request LogIn", "response StreamerInfo: 200", "<Token>***</Token>",
                             "<SessionId>***</SessionId>", "<Key>***</Key>"})
        EXPECT_NE(log.find(seen), std::string::npos) << seen;
    std::vector<std::string> secrets = m_broker->IssuedSecrets();
    ASSERT_FALSE(secrets.empty());
    secrets.push_back(password);
    for (const std::string& secret : secrets) {
        EXPECT_EQ(log.find(secret), std::string::npos) << secret;
        EXPECT_EQ(err.find(secret), std::string::npos) << secret;
    }
}
#endif

// In the process: SIGINT closes the main frame on the interface thread, and the exit
// that follows saves the settings; the old handler is back afterwards.
TEST_F(BrokerFixture, InterruptSignalClosesTheMainFrameAndTheExitSaves)
{
    CScopedUiResponder responder(std::make_unique<RecordingResponder>(&m_boxes));
    struct sigaction before {};
    ::sigaction(SIGINT, nullptr, &before);
    {
        CWorkstationApp app;
        app.m_arguments = {"--home", m_home.Path(), "--user", "demo", "--password", "demo"};
        ASSERT_TRUE(app.InitInstance());
        ASSERT_NE(app.GetTerminationSignals(), nullptr);
        ASSERT_TRUE(app.GetTerminationSignals()->IsInstalled());
        app.OpenWindowOfKind(kKindChart, true);
        const HWND frame = app.MainFrame()->m_hWnd;
        ASSERT_EQ(::raise(SIGINT), 0);
        EXPECT_TRUE(PumpUntil([&] { return !IsWindow(frame); }, 10000));
        EXPECT_TRUE(app.GetWindowViews().empty());
        EXPECT_TRUE(app.GetTerminationSignals()->WasRequested());
        app.ExitInstance();
        EXPECT_FALSE(app.AreThreadsRunning());
        EXPECT_FALSE(app.Session()->IsLoggedIn());
        EXPECT_EQ(app.GetTerminationSignals(), nullptr);
    }
    EXPECT_TRUE(std::filesystem::exists(m_home.File("gui.dat")));
    EXPECT_TRUE(std::filesystem::exists(m_home.File("profile.ini")));
    struct sigaction after {};
    ::sigaction(SIGINT, nullptr, &after);
    EXPECT_EQ(after.sa_handler, before.sa_handler);
}
