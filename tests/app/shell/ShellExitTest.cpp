// Ending the workstation as a new user does: File -> Exit through the menu, a termination
// signal while a message box or the login dialog is up, a damaged settings file, and the
// update offer at login.
#include "ShellBrokerFixture.h"
#include "tests/support/ScopedTimeZone.h"

#include "app/shell/CMainFrame.h"
#include "app/shell/CWorkstationApp.h"
#include "broker/session/CSessionManager.h"
#include "common/windows/ShellIds.h"
#include "platform/ui/CDocument.h"
#include "platform/ui/CStatusBar.h"
#include "platform/ui/CView.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <string>

namespace {

class ShellExit : public ShellBrokerFixture {};

// Calls act once ready() holds, checking every few milliseconds for about ten seconds.
void When(std::function<bool()> ready, std::function<void()> act, int tries = 1000)
{
    QTimer::singleShot(10, [ready = std::move(ready), act = std::move(act), tries]() mutable {
        if (ready())
            act();
        else if (tries > 0)
            When(std::move(ready), std::move(act), tries - 1);
    });
}

// Every user file that an exit writes, and no temporary file of a save left beside them.
void ExpectSavedWithoutLeftovers(const ScratchFolder& home)
{
    for (const char* file : {"gui.dat", "portfolios.dat", "columns.dat", "profile.ini"})
        EXPECT_TRUE(std::filesystem::exists(home.File(file))) << file;
    for (const auto& entry : std::filesystem::directory_iterator(home.File("")))
        EXPECT_NE(entry.path().filename().string().front(), '.') << entry.path();
}

CString GuiFontFace(const ScratchFolder& home)
{
    CAppSettings reread;
    reread.SetWorkingDirectory(home.Path());
    reread.LoadAll();
    return reread.m_quoteFont.face;
}

std::vector<CString> Args(const ScratchFolder& home, bool password = true)
{
    std::vector<CString> args = {"--home", home.Path(), "--user", "demo"};
    if (password) {
        args.push_back("--password");
        args.push_back("demo");
    }
    return args;
}

}  // namespace

TEST_F(ShellExit, FileExitThroughTheMenuEndsTheRunAndSavesTheSettings)
{
    CScopedUiResponder responder(std::make_unique<RecordingResponder>(&m_boxes));
    CWorkstationApp app;
    app.m_arguments = Args(m_home);
    ASSERT_TRUE(app.InitInstance());
    app.Settings().m_quoteFont.face = "DejaVu Serif";
    CMainFrame* frame = app.MainFrame();
    ASSERT_NE(frame, nullptr);
    auto* window = qobject_cast<QMainWindow*>(frame->GetOuterWidget());
    ASSERT_NE(window, nullptr);
    QMenuBar* bar = window->menuBar();
    QAction* fileTitle = bar->actions().value(0);
    ASSERT_TRUE(fileTitle && fileTitle->menu());
    ASSERT_EQ(fileTitle->text(), "&File");
    QMenu* file = fileTitle->menu();
    QAction* exit = nullptr;
    for (QAction* a : file->actions())
        if (a->text() == "E&xit")
            exit = a;
    ASSERT_NE(exit, nullptr);

    // The File menu opened by a click on the bar, Exit chosen by a click on the item.
    bool clicked = false;
    bool inEvent = false;
    bool freedInEvent = false;
    QPointer<QMenu> menu = file;
    QPointer<QMainWindow> shown = window;
    QTimer::singleShot(0, [&] { MouseClick(bar, bar->actionGeometry(fileTitle).center()); });
    When([&] { return file->isVisible(); },
         [&] {
             inEvent = true;
             for (QObject* watched : {static_cast<QObject*>(file), static_cast<QObject*>(window)})
                 QObject::connect(watched, &QObject::destroyed, [&] { freedInEvent = freedInEvent || inEvent; });
             MouseClick(file, file->actionGeometry(exit).center());
             inEvent = false;
             clicked = true;
         });
    // Ends the run should the click not: the test then fails below instead of hanging.
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [&] { app.PostQuit(99); });
    watchdog.start(20000);
    const int code = app.Run();
    EXPECT_TRUE(clicked);
    EXPECT_EQ(code, 0);
    EXPECT_FALSE(freedInEvent);
    EXPECT_EQ(AfxGetMainWnd(), nullptr);
    app.ExitInstance();
    PumpFor(10);
    EXPECT_TRUE(menu.isNull());
    EXPECT_TRUE(shown.isNull());
    ExpectSavedWithoutLeftovers(m_home);
    EXPECT_EQ(GuiFontFace(m_home), "DejaVu Serif");
}

TEST_F(ShellExit, TerminationSignalWhileTheAboutBoxIsOpenEndsTheBoxThenTheProgram)
{
    // The real message boxes of the window layer; no update offer in between.
    m_home.Write("profile.ini", "[Settings]\nNotifyUpdates=0\n");
    CWorkstationApp app;
    app.m_arguments = Args(m_home);
    ASSERT_TRUE(app.InitInstance());
    app.Settings().m_quoteFont.face = "DejaVu Sans Mono";
    CMainFrame* frame = app.MainFrame();
    ASSERT_NE(frame, nullptr);
    bool boxSeen = false;
    QTimer::singleShot(0, [&] { frame->SendMessage(WM_COMMAND, ID_APP_ABOUT); });
    When([] { return qobject_cast<QMessageBox*>(QApplication::activeModalWidget()) != nullptr; },
         [&] {
             boxSeen = QApplication::activeModalWidget()->windowTitle() == "About Quorvantelix";
             ::raise(SIGTERM);
         });
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
            box->button(QMessageBox::Ok)->click();
        app.PostQuit(99);
    });
    watchdog.start(20000);
    const int code = app.Run();
    EXPECT_TRUE(boxSeen);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    app.ExitInstance();
    ExpectSavedWithoutLeftovers(m_home);
    EXPECT_EQ(GuiFontFace(m_home), "DejaVu Sans Mono");
}

TEST_F(ShellExit, TerminationSignalWhileTheLoginDialogIsUpEndsTheStartUp)
{
    CWorkstationApp app;
    app.m_arguments = Args(m_home, false);  // no password: the login dialog asks
    bool dialogSeen = false;
    When([] { return QApplication::activeModalWidget() != nullptr; },
         [&] {
             dialogSeen = true;
             ::raise(SIGTERM);
         });
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(app.InitInstance());
    EXPECT_TRUE(dialogSeen);
    EXPECT_LT(clock.elapsed(), 15000);
    EXPECT_EQ(app.MainFrame(), nullptr);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    app.ExitInstance();
    EXPECT_FALSE(app.Session()->IsLoggedIn());
}

TEST_F(ShellExit, DamagedGuiFileIsSetAsideToldAndAFreshOneSavedAtExit)
{
    const std::string damaged = std::string("\x13\0\0\0\x05", 5) + "Ari";
    m_home.Write("gui.dat", damaged);
    CScopedUiResponder responder(std::make_unique<RecordingResponder>(&m_boxes));
    CWorkstationApp app;
    app.m_arguments = Args(m_home);
    ASSERT_TRUE(app.InitInstance());
    std::string keptAs;
    for (const auto& entry : std::filesystem::directory_iterator(m_home.File("")))
        if (entry.path().filename().string().rfind("gui.dat.damaged-", 0) == 0)
            keptAs = entry.path().filename().string();
    ASSERT_FALSE(keptAs.empty());
    EXPECT_EQ(m_home.Read(keptAs.c_str()), damaged);
    EXPECT_FALSE(std::filesystem::exists(m_home.File("gui.dat")));
    ASSERT_FALSE(m_boxes.empty());
    EXPECT_NE(m_boxes[0].text.Find(("It is kept as " + keptAs).c_str()), -1) << m_boxes[0].text.GetString();
    app.Settings().m_quoteFont.face = "DejaVu Sans";
    CloseAndExit(app);
    EXPECT_EQ(GuiFontFace(m_home), "DejaVu Sans");
    EXPECT_EQ(m_home.Read(keptAs.c_str()), damaged);
}

namespace {

class NewerUpdate : public ShellBrokerFixture {
protected:
    void Configure(qx::testbroker::TestBrokerOptions& options) override { options.updateVersion = "0.10.0"; }
};

}  // namespace

TEST_F(NewerUpdate, TheUpdateCheckOffersANewerVersionOnce)
{
    CScopedUiResponder responder(std::make_unique<RecordingResponder>(&m_boxes));
    CWorkstationApp app;
    app.m_arguments = Args(m_home);
    ASSERT_TRUE(app.InitInstance());
    ASSERT_TRUE(PumpUntil([&] { return !m_boxes.empty(); }));
    EXPECT_EQ(m_boxes[0].caption, "Quorvantelix Update");
    EXPECT_NE(m_boxes[0].text.Find("Quorvantelix 0.10.0 is available."), -1) << m_boxes[0].text.GetString();
    EXPECT_NE(m_boxes[0].text.Find("Download it now?"), -1);
    PumpFor(50);
    EXPECT_EQ(m_boxes.size(), 1u);
    CloseAndExit(app);
}

TEST_F(ShellExit, TheUpdateCheckStaysSilentForTheRunningVersion)
{
    CScopedUiResponder responder(std::make_unique<RecordingResponder>(&m_boxes));
    CWorkstationApp app;
    app.m_arguments = Args(m_home);
    ASSERT_TRUE(app.InitInstance());
    ASSERT_TRUE(PumpUntil([&] { return !app.MainFrame()->GetWebUpdates().empty(); }));
    EXPECT_EQ(app.MainFrame()->GetWebUpdates()[0].version, "0.1.0");
    PumpFor(50);
    EXPECT_TRUE(m_boxes.empty()) << m_boxes[0].text.GetString();
    CloseAndExit(app);
}

namespace {

class FailedLoginApp : public CWorkstationApp {
public:
    std::vector<CString> messages;

protected:
    bool PromptLogin(CString&, CString&, bool&, const CString& message) override
    {
        messages.push_back(message);
        return false;
    }
};

}  // namespace

TEST_F(ShellExit, TheLoginGoesToTheLoginServerOfConfigIni)
{
    // Everything else at the broker; the login server is a port nobody listens on.
    const std::string base = m_broker->BaseUrl();
    m_home.Write("config.ini", "LoginServer=https://127.0.0.1:1\nApiServer=" + base + "\nHistoryServer=" + base +
                                   "\nCaFile=" + std::string(m_broker->CaFile()) + "\n");
    CScopedUiResponder responder(std::make_unique<RecordingResponder>(&m_boxes));
    FailedLoginApp app;
    app.m_arguments = Args(m_home);
    EXPECT_FALSE(app.InitInstance());
    ASSERT_EQ(app.messages.size(), 1u);  // asked again after the failed login
    EXPECT_FALSE(app.messages[0].IsEmpty());
    EXPECT_EQ(m_broker->SessionCount(), 0u);
    app.ExitInstance();
}

TEST(StartOptions, HelpUnknownOptionsAndWindowKindsAreToldBeforeAnyWindow)
{
    CStartOptions options;
    CString error;
    ASSERT_TRUE(options.Parse({"--user=demo", "--open-kinds", "0, 2,3f,12F", "-h"}, &error)) << error.GetString();
    EXPECT_TRUE(options.help);
    EXPECT_EQ(options.user, "demo");
    const std::vector<std::pair<int, bool>> kinds = {{0, false}, {2, false}, {3, true}, {12, true}};
    EXPECT_EQ(options.GetOpenKinds(), kinds);

    EXPECT_FALSE(CStartOptions().Parse({"--verbose"}, &error));
    EXPECT_EQ(error, "Unknown option --verbose.");
    EXPECT_FALSE(CStartOptions().Parse({"--home"}, &error));
    EXPECT_EQ(error, "The option --home needs a value.");
    for (const char* bad : {"13", "1,x", "-1", "3ff", "f"}) {
        EXPECT_FALSE(CStartOptions().Parse({"--open-kinds", bad}, &error)) << bad;
        EXPECT_EQ(error.Find("Unknown window kind "), 0) << error.GetString();
    }
    // The usage names every option.
    for (const char* name : {"--home", "--user", "--password", "--config", "--server", "--open-kinds", "--symbol",
                             "--help"})
        EXPECT_NE(CString(CStartOptions::Usage()).Find(name), -1) << name;
}

TEST_F(ShellExit, AnIntervalTheGrammarRefusesIsToldInTheStatusBarAndNotSent)
{
    CScopedUiResponder responder(std::make_unique<RecordingResponder>(&m_boxes));
    CWorkstationApp app;
    app.m_arguments = Args(m_home);
    ASSERT_TRUE(app.InitInstance());
    CMainFrame* frame = app.MainFrame();
    CDocument* doc = app.OpenWindowOfKind(kKindChart, false);
    ASSERT_NE(doc, nullptr);
    CView* chart = doc->GetFirstView();
    frame->SetSymbolBox("IBM", FALSE);
    frame->SetIntervalBox("banana", FALSE);
    EXPECT_EQ(frame->ApplySymbolInterval(chart, TRUE), 0);
    EXPECT_EQ(frame->GetStatusBar()->GetPaneText(0).Find("Unknown interval \"banana\""), 0)
        << frame->GetStatusBar()->GetPaneText(0).GetString();
    frame->SetIntervalBox("5 minutes", FALSE);
    EXPECT_EQ(frame->ApplySymbolInterval(chart, TRUE), 1);
    CloseAndExit(app);
}

namespace {

// Seconds into the day of New York's wall clock now, from the system's zone data.
int NewYorkSecondOfDay()
{
    const ScopedTimeZone newYork("America/New_York");
    const time_t now = time(nullptr);
    struct tm parts {};
    localtime_r(&now, &parts);
    return parts.tm_hour * 3600 + parts.tm_min * 60 + parts.tm_sec;
}

}  // namespace

TEST_F(ShellExit, TheStatusClockShowsTheExchangesTimeOnAComputerInAnotherZone)
{
    const ScopedTimeZone tokyo("Asia/Tokyo");
    {
        CWorkstationApp app;
        app.m_arguments = Args(m_home);
        ASSERT_TRUE(app.InitInstance());
        CStatusBar* bar = app.MainFrame()->GetStatusBar();
        ASSERT_NE(bar, nullptr);
        int shown = -1;
        int distance = 0;
        // The clock ticks each second; it must read New York's time within a few seconds.
        const bool read = PumpUntil(
            [&] {
                int h = 0, m = 0, s = 0;
                char zone[4] = {};
                if (std::sscanf(bar->GetPaneText(3).GetString(), "%d:%d:%d %3s", &h, &m, &s, zone) != 4 ||
                    std::string(zone) != "ET")
                    return false;
                shown = h * 3600 + m * 60 + s;
                const int d = std::abs(shown - NewYorkSecondOfDay());
                distance = std::min(d, 86400 - d);
                return distance <= 3;
            },
            5000);
        EXPECT_TRUE(read) << "the clock shows \"" << bar->GetPaneText(3).GetString() << "\", " << distance
                          << " s from New York's time";
        CloseAndExit(app);
    }
}
