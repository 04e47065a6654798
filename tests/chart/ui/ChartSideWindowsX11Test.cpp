// A chart's side windows on a real X server under a window manager: windows are
// activated through the manager, as a task bar or a click would, and the stacking order
// and the "above" state are read from the manager's own lists.
#include "ChartTestShell.h"

#include "tests/analytics/FakeSeriesServices.h"
#include "chart/ui/ChartIds.h"
#include "tests/support/X11Windows.h"
#include "tests/ui/XvfbTestMain.h"
#include "views/ui/CSnapshotFieldPanel.h"
#include "views/ui/CTrackingFieldPanel.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QProcess>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

using qx::x11::AltTab;
using qx::x11::DragCommands;
using qx::x11::HaveXdotool;
using qx::x11::WindowManagerRuns;

xcb_window_t XWindow(QWidget* widget)
{
    return static_cast<xcb_window_t>(widget->window()->winId());
}

// A helper of X11Windows.h asked about the widget's top-level window.
template <auto Helper>
auto OfWindow(QWidget* widget)
{
    return Helper(XWindow(widget));
}

constexpr auto Level = &OfWindow<qx::x11::StackingLevel>;
constexpr auto AboveOthers = &OfWindow<qx::x11::AboveOthers>;
constexpr auto Viewable = &OfWindow<qx::x11::Viewable>;
constexpr auto ClientOnScreen = &OfWindow<qx::x11::ClientOnScreen>;
constexpr auto FrameOnScreen = &OfWindow<qx::x11::FrameOnScreen>;
constexpr auto TitleBarPoint = &OfWindow<qx::x11::TitleBarPoint>;
constexpr auto ActivateByManager = &OfWindow<qx::x11::ActivateByManager>;

// Sends real input through the X server with xdotool, without blocking the event loop.
class XInput {
public:
    void Start(const QStringList& commands)
    {
        m_started = true;
        m_process.start("xdotool", commands);
    }
    bool Started() const { return m_started; }
    bool Done() const { return m_process.state() == QProcess::NotRunning; }
    bool Succeeded() const { return Done() && m_process.exitStatus() == QProcess::NormalExit && m_process.exitCode() == 0; }

private:
    QProcess m_process;
    bool m_started = false;
};

bool Wait(const std::function<bool()>& condition)
{
    return QTest::qWaitFor(condition, 5000);
}

// Waits until the condition holds and has gone on holding on every poll for half a second:
// the application and the manager answer an activation in several steps, and a late one
// must not undo it.
bool Settles(const std::function<bool()>& condition)
{
    QElapsedTimer held;
    return QTest::qWaitFor(
        [&] {
            if (!condition()) {
                held.invalidate();
                return false;
            }
            if (!held.isValid())
                held.start();
            return held.elapsed() >= 500;
        },
        10000);
}

// Checks a condition on the modal dialog from inside the dialog's own loop: first does what
// the user does to it (polled until it reports done, ten seconds at most), then polls until
// the condition holds on `passes` polls in a row (the manager sets its lists one after the
// other) or five seconds pass, then closes the dialog.
class ModalCheck {
public:
    explicit ModalCheck(std::function<bool(QWidget*)> condition, std::function<bool(QWidget*)> act = nullptr,
                        int passes = 2)
        : m_condition(std::move(condition)), m_act(std::move(act)), m_needed(passes)
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this] { Poll(); });
        m_timer.start(20);
    }

    QString title;
    bool acted = false;
    bool held = false;
    bool done = false;

private:
    void Poll()
    {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible())
            return;
        if (!m_clock.isValid())
            m_clock.start();
        if (!acted) {
            acted = !m_act || m_act(modal);
            if (acted)
                m_clock.restart();
            else if (m_clock.elapsed() >= 10000)
                Close(modal);
            return;
        }
        m_passes = m_condition(modal) ? m_passes + 1 : 0;
        if (m_passes < m_needed && m_clock.elapsed() < 5000)
            return;
        held = m_passes >= m_needed;
        Close(modal);
    }
    void Close(QWidget* modal)
    {
        title = modal->windowTitle();
        done = true;
        m_timer.stop();
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject();
    }

    std::function<bool(QWidget*)> m_condition;
    std::function<bool(QWidget*)> m_act;
    const int m_needed;
    QTimer m_timer;
    QElapsedTimer m_clock;
    int m_passes = 0;
};

class X11ManagedChartSideWindows : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!XServerUp() || !WindowManagerRuns())
            GTEST_SKIP() << "no Xvfb with a window manager";
        shell = std::make_unique<ChartTestShell>();
        shell->main->ShowWindow(SW_SHOW);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(shell->main->GetOuterWidget()));
    }
    void TearDown() override { shell.reset(); }

    // A chart with its Tracking Window open; its frame's top-level window.
    QWidget* OpenWithTracking(bool floating, CChartController*& chart)
    {
        CGraphsDoc* doc = shell->OpenChart("IBM", "D", floating);
        chart = ChartTestShell::Controller(doc);
        if (!chart)
            return nullptr;
        QWidget* frame = chart->GetPricePane()->GetParentFrame()->GetOuterWidget()->window();
        frame->show();
        if (!QTest::qWaitForWindowExposed(frame))
            return nullptr;
        chart->ShowTrackingWindow(true);
        return frame;
    }
    static QWidget* Tracking(CChartController* chart)
    {
        CTrackingFieldPanel* panel = chart->GetTrackingPanel();
        CWnd* wnd = panel ? panel->GetWnd() : nullptr;
        return wnd ? wnd->GetOuterWidget() : nullptr;
    }
    // Opens the chart's Snapshot Window; its top-level window.
    static QWidget* OpenSnapshot(CChartController* chart)
    {
        chart->ToggleSnapshotWindow();
        CWnd* wnd = chart->GetSnapshotPanel() ? chart->GetSnapshotPanel()->GetWnd() : nullptr;
        return wnd ? wnd->GetOuterWidget() : nullptr;
    }
    static bool Managed(QWidget* window) { return Level(window) >= 0; }
    // The chart's command, as its menu sends it.
    static void Command(CChartController* chart, UINT id) { chart->GetFrame()->SendMessage(WM_COMMAND, id, 0); }
    static QWidget* Snapshot(CChartController* chart)
    {
        CSnapshotFieldPanel* panel = chart->GetSnapshotPanel();
        CWnd* wnd = panel ? panel->GetWnd() : nullptr;
        return wnd ? wnd->GetOuterWidget() : nullptr;
    }
    static bool Framed(QWidget* window) { return window && !FrameOnScreen(window).isEmpty(); }
    // An MDI chart with its Tracking and Snapshot Windows, shown and framed by the manager,
    // and the main window active.
    bool OpenMdiWithSideWindows(CChartController*& chart, QWidget*& main, QWidget*& tracking, QWidget*& snapshot)
    {
        main = OpenWithTracking(false, chart);
        tracking = main ? Tracking(chart) : nullptr;
        snapshot = tracking ? OpenSnapshot(chart) : nullptr;
        if (!snapshot)
            return false;
        ActivateByManager(main);
        return Wait([&] {
                   return main->isActiveWindow() && Viewable(tracking) && Viewable(snapshot) && Framed(tracking) &&
                          Framed(snapshot);
               }) &&
               Settled(tracking) && Settled(snapshot);
    }
    // Once the window has stopped moving: the chart lays out its panes after it opened.
    static bool Settled(QWidget* window)
    {
        QRect last;
        return Settles([&] {
            const QRect now = ClientOnScreen(window);
            const bool same = now == last;
            last = now;
            return same;
        });
    }

    // A floating chart with its Tracking and Snapshot Windows, all three managed.
    bool OpenFloatingWithSideWindows(CChartController*& chart, QWidget*& frame, QWidget*& tracking,
                                     QWidget*& snapshot)
    {
        frame = OpenWithTracking(true, chart);
        tracking = frame ? Tracking(chart) : nullptr;
        snapshot = tracking ? OpenSnapshot(chart) : nullptr;
        return snapshot && Wait([&] { return Managed(tracking) && Managed(snapshot) && Managed(frame); });
    }

    // Runs the chart's Export Image command with the real file dialog and checks, while
    // the dialog is up, that it is active and covers both side windows, which stay shown
    // over the window of the chart (owner). The dialog is then cancelled.
    // With an action, the user does that to the dialog first, and the check must hold on
    // `passes` polls in a row.
    static void ExpectExportDialogOverSideWindows(CChartController* chart, QWidget* tracking, QWidget* snapshot,
                                                  QWidget* owner, std::function<bool(QWidget*)> act = nullptr,
                                                  int passes = 2)
    {
        std::unique_ptr<CUiResponder> scripted = CUiResponder::Install(std::make_unique<CUiResponder>());
        int dialogLevel = -1, trackingLevel = -1, snapshotLevel = -1;
        ModalCheck seen([&](QWidget* dialog) {
            dialogLevel = Level(dialog);
            trackingLevel = Level(tracking);
            snapshotLevel = Level(snapshot);
            return dialog->isActiveWindow() && !AboveOthers(tracking) && !AboveOthers(snapshot) &&
                   Viewable(tracking) && Viewable(snapshot) && dialogLevel > trackingLevel &&
                   dialogLevel > snapshotLevel && trackingLevel > Level(owner) && snapshotLevel > Level(owner);
        }, std::move(act), passes);
        chart->GetPricePane()->SendMessage(WM_COMMAND, ID_EXPORT_IMAGE, 0);
        const bool closed = QTest::qWaitFor([&] { return seen.done; }, 15000);
        CUiResponder::Install(std::move(scripted));
        ASSERT_TRUE(closed);
        EXPECT_EQ("Export Image", seen.title);
        ASSERT_TRUE(seen.acted);
        EXPECT_TRUE(seen.held) << "dialog " << dialogLevel << ", tracking " << trackingLevel << ", snapshot "
                               << snapshotLevel << ", chart " << Level(owner);
    }

    FakeSeriesServices services;
    std::unique_ptr<ChartTestShell> shell;
};

} // namespace

TEST_F(X11ManagedChartSideWindows, AFloatingChartsTrackingWindowIsTopMostOnlyWhileTheChartIsActive)
{
    CChartController* chart = nullptr;
    QWidget* frame = nullptr;
    QWidget* tracking = nullptr;
    QWidget* snapshot = nullptr;
    ASSERT_TRUE(OpenFloatingWithSideWindows(chart, frame, tracking, snapshot));

    ActivateByManager(frame);
    ASSERT_TRUE(Wait([&] { return frame->isActiveWindow(); }));
    EXPECT_TRUE(Wait([&] { return AboveOthers(tracking) && AboveOthers(snapshot); }));
    EXPECT_GT(Level(tracking), Level(frame));
    EXPECT_GT(Level(snapshot), Level(frame));

    // A dialog of the chart (the Export Image file dialog) takes the activation: the
    // Tracking Window leaves the top-most layer and the dialog covers it.
    QDialog dialog(frame);
    dialog.setWindowTitle("Export Image");
    dialog.resize(400, 300);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    ActivateByManager(&dialog);
    ASSERT_TRUE(Wait([&] { return dialog.isActiveWindow(); }));
    EXPECT_TRUE(Wait([&] { return !AboveOthers(tracking) && !AboveOthers(snapshot); }));
    EXPECT_TRUE(Wait([&] { return Level(&dialog) > Level(tracking) && Level(&dialog) > Level(snapshot); }))
        << Level(&dialog) << " " << Level(tracking) << " " << Level(snapshot);
    // They stay over their own chart.
    EXPECT_GT(Level(tracking), Level(frame));
    EXPECT_GT(Level(snapshot), Level(frame));
    dialog.hide();

    // Another floating chart brought forward covers it as well.
    CChartController* other = nullptr;
    QWidget* second = OpenWithTracking(true, other);
    ASSERT_NE(nullptr, second);
    ActivateByManager(second);
    ASSERT_TRUE(Wait([&] { return second->isActiveWindow(); }));
    EXPECT_TRUE(Wait([&] { return Level(second) > Level(tracking); })) << Level(second) << " " << Level(tracking);
    EXPECT_FALSE(AboveOthers(tracking));
    EXPECT_TRUE(Wait([&] { return AboveOthers(Tracking(other)); }));

    // The first chart active again: its Tracking Window is top-most over it again.
    ActivateByManager(frame);
    ASSERT_TRUE(Wait([&] { return frame->isActiveWindow(); }));
    EXPECT_TRUE(Wait([&] { return AboveOthers(tracking) && !AboveOthers(Tracking(other)); }));
    EXPECT_TRUE(Wait([&] { return Level(tracking) > Level(second); }));
    EXPECT_GT(Level(frame), Level(second));
}

TEST_F(X11ManagedChartSideWindows, AnMdiChartsTrackingWindowComesForwardWhenTheChartIsActivated)
{
    CChartController* chart = nullptr;
    QWidget* main = OpenWithTracking(false, chart);
    ASSERT_NE(nullptr, main);
    ASSERT_EQ(shell->main->GetOuterWidget(), main);
    QWidget* tracking = Tracking(chart);
    ASSERT_NE(nullptr, tracking);
    // Never top-most: a floating chart or a dialog the user brings forward covers it.
    CChartController* floating = nullptr;
    QWidget* second = OpenWithTracking(true, floating);
    ASSERT_NE(nullptr, second);
    ASSERT_TRUE(Wait([&] { return Managed(tracking) && Managed(second); }));
    ActivateByManager(second);
    ASSERT_TRUE(Wait([&] { return second->isActiveWindow(); }));
    EXPECT_FALSE(AboveOthers(tracking));
    EXPECT_TRUE(Wait([&] { return Level(second) > Level(tracking); })) << Level(second) << " " << Level(tracking);

    // Another MDI chart, then the first one activated in the main window: its Tracking
    // Window comes forward.
    CGraphsDoc* another = shell->OpenChart("MSFT", "D");
    ASSERT_NE(nullptr, another);
    ActivateByManager(main);
    ASSERT_TRUE(Wait([&] { return main->isActiveWindow(); }));
    auto* child = dynamic_cast<CChildFrame*>(chart->GetPricePane()->GetParentFrame());
    ASSERT_NE(nullptr, child);
    shell->main->MDIActivate(child);
    EXPECT_TRUE(Wait([&] { return Level(tracking) > Level(second) && Level(tracking) > Level(main); }))
        << Level(tracking) << " " << Level(second) << " " << Level(main);
    EXPECT_FALSE(AboveOthers(tracking));
}

TEST_F(X11ManagedChartSideWindows, AFloatingChartsOwnDialogsCoverItsSideWindows)
{
    CChartController* chart = nullptr;
    QWidget* frame = nullptr;
    QWidget* tracking = nullptr;
    QWidget* snapshot = nullptr;
    ASSERT_TRUE(OpenFloatingWithSideWindows(chart, frame, tracking, snapshot));
    ActivateByManager(frame);
    ASSERT_TRUE(Wait([&] { return frame->isActiveWindow(); }));
    ASSERT_TRUE(Wait([&] { return AboveOthers(tracking) && AboveOthers(snapshot); }));

    // The chart's Export Image command opens the real file dialog: it covers both side
    // windows, which stay over their chart.
    ExpectExportDialogOverSideWindows(chart, tracking, snapshot, frame);

    // The chart active again: its side windows are top-most over it again.
    ActivateByManager(frame);
    ASSERT_TRUE(Wait([&] { return frame->isActiveWindow(); }));
    EXPECT_TRUE(Wait([&] { return AboveOthers(tracking) && AboveOthers(snapshot); }));
}

TEST_F(X11ManagedChartSideWindows, AnMdiChartsSideWindowsShowOnlyWhileItsChartIsInFront)
{
    CChartController* chart = nullptr;
    QWidget* main = OpenWithTracking(false, chart);
    ASSERT_NE(nullptr, main);
    QWidget* tracking = Tracking(chart);
    ASSERT_NE(nullptr, tracking);
    QWidget* snapshot = OpenSnapshot(chart);
    ASSERT_NE(nullptr, snapshot);
    ActivateByManager(main);
    ASSERT_TRUE(Wait([&] { return main->isActiveWindow(); }));
    ASSERT_TRUE(Wait([&] { return Viewable(tracking) && Viewable(snapshot); }));

    // Another MDI window, maximised in front of the chart: the chart's side windows go.
    CGraphsDoc* other = shell->OpenChart("MSFT", "D");
    ASSERT_NE(nullptr, other);
    auto* otherChild = dynamic_cast<CChildFrame*>(ChartTestShell::Controller(other)->GetPricePane()->GetParentFrame());
    ASSERT_NE(nullptr, otherChild);
    ASSERT_EQ(otherChild, shell->main->MDIGetActive());
    EXPECT_TRUE(Wait([&] { return !Viewable(tracking) && !Viewable(snapshot); }));

    // A floating chart takes the activation: the main window still shows the other one in
    // front, so they stay away.
    CChartController* floating = nullptr;
    QWidget* second = OpenWithTracking(true, floating);
    ASSERT_NE(nullptr, second);
    ActivateByManager(second);
    ASSERT_TRUE(Wait([&] { return second->isActiveWindow() && !main->isActiveWindow(); }));
    QCoreApplication::processEvents();
    EXPECT_FALSE(Viewable(tracking));
    EXPECT_FALSE(Viewable(snapshot));

    // The chart brought in front again (the Window menu): its side windows come back over
    // the main window.
    ActivateByManager(main);
    ASSERT_TRUE(Wait([&] { return main->isActiveWindow(); }));
    auto* child = dynamic_cast<CChildFrame*>(chart->GetPricePane()->GetParentFrame());
    ASSERT_NE(nullptr, child);
    shell->main->MDIActivate(child);
    EXPECT_TRUE(Wait([&] {
        return Viewable(tracking) && Viewable(snapshot) && Level(tracking) > Level(main) && Level(snapshot) > Level(main);
    })) << Level(tracking) << " " << Level(snapshot) << " " << Level(main);

    // The floating chart active again: the main window shows this chart in front, and its
    // side windows stay.
    ActivateByManager(second);
    ASSERT_TRUE(Wait([&] { return second->isActiveWindow() && !main->isActiveWindow(); }));
    QCoreApplication::processEvents();
    EXPECT_TRUE(Viewable(tracking));
    EXPECT_TRUE(Viewable(snapshot));

    // The chart's own dialog covers them, and they stay.
    ActivateByManager(main);
    ASSERT_TRUE(Wait([&] { return main->isActiveWindow(); }));
    ExpectExportDialogOverSideWindows(chart, tracking, snapshot, main);
}

TEST_F(X11ManagedChartSideWindows, AnMdiChartsSideWindowsStayUnderItsExportDialogDraggedByTheTitle)
{
    if (!HaveXdotool())
        GTEST_SKIP() << "no xdotool";
    CChartController* chart = nullptr;
    QWidget* main = nullptr;
    QWidget* tracking = nullptr;
    QWidget* snapshot = nullptr;
    ASSERT_TRUE(OpenMdiWithSideWindows(chart, main, tracking, snapshot));

    // The user drags the Export Image dialog by its title bar and lets it go: the dialog is
    // the active window again, over both side windows, which stay over the main window.
    XInput drag;
    QPoint from;
    ExpectExportDialogOverSideWindows(
        chart, tracking, snapshot, main,
        [&](QWidget* dialog) {
            if (!drag.Started()) {
                if (!Framed(dialog))
                    return false;
                from = ClientOnScreen(dialog).topLeft();
                drag.Start(DragCommands(TitleBarPoint(dialog), QPoint(-150, -80)));
                return false;
            }
            return drag.Done() && ClientOnScreen(dialog).topLeft() == from + QPoint(-150, -80);
        },
        25);
    EXPECT_TRUE(drag.Succeeded());
}

TEST_F(X11ManagedChartSideWindows, AnMdiChartsSideWindowsStayUnderAFloatingChartReachedWithAltTab)
{
    if (!HaveXdotool())
        GTEST_SKIP() << "no xdotool";
    CChartController* floating = nullptr;
    QWidget* second = OpenWithTracking(true, floating);
    ASSERT_NE(nullptr, second);
    ActivateByManager(second);
    ASSERT_TRUE(Wait([&] { return second->isActiveWindow(); }));
    CChartController* chart = nullptr;
    QWidget* main = nullptr;
    QWidget* tracking = nullptr;
    QWidget* snapshot = nullptr;
    ASSERT_TRUE(OpenMdiWithSideWindows(chart, main, tracking, snapshot));
    ASSERT_TRUE(Wait([&] { return Level(tracking) > Level(second) && Level(snapshot) > Level(second); }));

    // Alt+Tab to the floating chart: it comes over the main window and its side windows,
    // which stay over the main window (their chart is still in front there).
    XInput keys;
    keys.Start(AltTab());
    ASSERT_TRUE(Wait([&] { return keys.Done() && second->isActiveWindow(); }));
    EXPECT_TRUE(keys.Succeeded());
    EXPECT_TRUE(Settles([&] {
        return Level(second) > Level(tracking) && Level(second) > Level(snapshot) && Level(tracking) > Level(main) &&
               Level(snapshot) > Level(main) && Viewable(tracking) && Viewable(snapshot);
    })) << "floating " << Level(second) << ", tracking " << Level(tracking) << ", snapshot " << Level(snapshot)
        << ", main " << Level(main);
    EXPECT_FALSE(AboveOthers(tracking));
    EXPECT_FALSE(AboveOthers(snapshot));

    // Alt+Tab back: the main window with the side windows over it comes forward again.
    XInput back;
    back.Start(AltTab());
    ASSERT_TRUE(Wait([&] { return back.Done() && main->isActiveWindow(); }));
    EXPECT_TRUE(Settles([&] {
        return Level(tracking) > Level(second) && Level(snapshot) > Level(second) && Level(main) > Level(second);
    })) << "floating " << Level(second) << ", tracking " << Level(tracking) << ", snapshot " << Level(snapshot)
        << ", main " << Level(main);
}

TEST_F(X11ManagedChartSideWindows, AnMdiChartsSideWindowKeepsThePlaceTheUserMovedItTo)
{
    if (!HaveXdotool())
        GTEST_SKIP() << "no xdotool";
    CChartController* chart = nullptr;
    QWidget* main = nullptr;
    QWidget* tracking = nullptr;
    QWidget* snapshot = nullptr;
    ASSERT_TRUE(OpenMdiWithSideWindows(chart, main, tracking, snapshot));
    const QRect trackingAt = ClientOnScreen(tracking);
    const QPoint from = ClientOnScreen(snapshot).topLeft();
    const CPoint stored = chart->BuildLayout().snapshot.topLeft;

    // The user drags the Snapshot Window by its title bar; the chart's layout keeps the new
    // place, over the price pane as before.
    const QPoint by(260, 140);
    const QPoint moved = from + by;
    XInput drag;
    drag.Start(DragCommands(TitleBarPoint(snapshot), by));
    ASSERT_TRUE(Wait([&] { return drag.Done() && ClientOnScreen(snapshot).topLeft() == moved; }))
        << ClientOnScreen(snapshot).x() << "," << ClientOnScreen(snapshot).y();
    ASSERT_TRUE(drag.Succeeded());
    EXPECT_TRUE(Wait([&] {
        const CPoint now = chart->BuildLayout().snapshot.topLeft;
        return now.x == stored.x + by.x() && now.y == stored.y + by.y();
    })) << "moved by " << by.x() << "," << by.y();

    // Another chart maximised in front hides the side windows; Ctrl+F6 brings the chart
    // back: the Snapshot Window shows where the user left it, the Tracking Window where it was.
    auto* child = dynamic_cast<CChildFrame*>(chart->GetPricePane()->GetParentFrame());
    ASSERT_NE(nullptr, child);
    ASSERT_NE(nullptr, shell->OpenChart("MSFT", "D"));
    ASSERT_TRUE(Wait([&] { return !Viewable(snapshot) && !Viewable(tracking); }));
    XInput keys;
    keys.Start({"key", "ctrl+F6"});
    ASSERT_TRUE(Wait([&] { return keys.Done() && shell->main->MDIGetActive() == child; }));
    EXPECT_TRUE(Settles([&] {
        return Viewable(snapshot) && Viewable(tracking) && ClientOnScreen(snapshot).topLeft() == moved &&
               ClientOnScreen(tracking) == trackingAt;
    })) << "snapshot at " << ClientOnScreen(snapshot).x() << "," << ClientOnScreen(snapshot).y() << ", left at "
        << moved.x() << "," << moved.y();

    // The user moves the main window by its title bar: both side windows go with it.
    const QPoint mainFrom = ClientOnScreen(main).topLeft();
    const QPoint mainBy(60, 40);
    XInput mainDrag;
    mainDrag.Start(DragCommands(TitleBarPoint(main), mainBy));
    ASSERT_TRUE(Wait([&] { return mainDrag.Done() && ClientOnScreen(main).topLeft() == mainFrom + mainBy; }))
        << FrameOnScreen(main).x() << "," << FrameOnScreen(main).y() << " from " << mainFrom.x() << ","
        << mainFrom.y();
    EXPECT_TRUE(Settles([&] {
        return ClientOnScreen(snapshot).topLeft() == moved + mainBy &&
               ClientOnScreen(tracking).topLeft() == trackingAt.topLeft() + mainBy;
    })) << "main moved by " << mainBy.x() << "," << mainBy.y() << "; snapshot at " << ClientOnScreen(snapshot).x()
        << "," << ClientOnScreen(snapshot).y() << ", left at " << moved.x() << "," << moved.y();
}

TEST_F(X11ManagedChartSideWindows, TrackingAndSnapshotWindowsOpenWithoutOverlappingFrames)
{
    CChartController* chart = nullptr;
    QWidget* main = OpenWithTracking(false, chart);
    ASSERT_NE(nullptr, main);
    QWidget* tracking = Tracking(chart);
    ASSERT_TRUE(Wait([&] { return Framed(tracking) && Viewable(tracking); }));

    // The Snapshot Window opens over the Tracking Window; the Tracking Window moves to just
    // below it, title bar and borders included.
    Command(chart, ID_SNAPSHOT_WINDOW);
    QWidget* snapshot = Snapshot(chart);
    ASSERT_NE(nullptr, snapshot);
    ASSERT_TRUE(Wait([&] { return Framed(snapshot) && Viewable(snapshot); }));
    auto apart = [&] {
        const QRect upper = FrameOnScreen(snapshot);
        const QRect lower = FrameOnScreen(tracking);
        const int gap = lower.top() - (upper.bottom() + 1);
        return !upper.isEmpty() && !lower.isEmpty() && gap >= 0 && gap <= 4 && lower.left() == upper.left();
    };
    EXPECT_TRUE(Settles(apart)) << "snapshot top " << FrameOnScreen(snapshot).top() << ", bottom "
                                << FrameOnScreen(snapshot).bottom() << "; tracking top " << FrameOnScreen(tracking).top();

    // Both closed, then opened together, as a layout opens them, before the manager has
    // framed either: the same.
    Command(chart, ID_TRACKING_WINDOW);
    Command(chart, ID_SNAPSHOT_WINDOW);
    ASSERT_EQ(nullptr, Snapshot(chart));
    Command(chart, ID_TRACKING_WINDOW);
    Command(chart, ID_SNAPSHOT_WINDOW);
    tracking = Tracking(chart);
    snapshot = Snapshot(chart);
    ASSERT_NE(nullptr, tracking);
    ASSERT_NE(nullptr, snapshot);
    ASSERT_TRUE(Wait([&] { return Framed(tracking) && Framed(snapshot); }));
    EXPECT_TRUE(Settles(apart)) << "snapshot top " << FrameOnScreen(snapshot).top() << ", bottom "
                                << FrameOnScreen(snapshot).bottom() << "; tracking top " << FrameOnScreen(tracking).top();
}

// Opening the side windows leaves every widget inside the windows non-native, the main
// window's above all: once one is native, an owner that paints through OpenGL stops painting.
TEST_F(X11ManagedChartSideWindows, SideWindowsLeaveTheWidgetsOfTheirOwnersNonNative)
{
    for (const bool floating : {false, true}) {
        CChartController* chart = nullptr;
        ASSERT_NE(nullptr, OpenWithTracking(floating, chart));
        QWidget* tracking = Tracking(chart);
        QWidget* snapshot = OpenSnapshot(chart);
        ASSERT_TRUE(Wait([&] { return Viewable(tracking) && Viewable(snapshot); }));
        QStringList native;
        for (QWidget* widget : QApplication::allWidgets())
            if (!widget->isWindow() && (widget->testAttribute(Qt::WA_NativeWindow) || widget->internalWinId()))
                native << QString::fromLatin1(widget->metaObject()->className());
        EXPECT_TRUE(native.isEmpty()) << (floating ? "floating" : "MDI") << " chart: native "
                                      << native.join(", ").toStdString();
    }
}
