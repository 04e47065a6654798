// A chart's side windows on a real X server under a window manager: windows are
// activated through the manager, as a task bar or a click would, and the stacking order
// and the "above" state are read from the manager's own lists.
#include "ChartTestShell.h"

#include "tests/analytics/FakeSeriesServices.h"
#include "chart/ui/ChartIds.h"
#include "tests/ui/XvfbTestMain.h"
#include "views/ui/CSnapshotFieldPanel.h"
#include "views/ui/CTrackingFieldPanel.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTest>
#include <QTimer>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

xcb_connection_t* Connection()
{
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

xcb_window_t Root()
{
    return xcb_setup_roots_iterator(xcb_get_setup(Connection())).data->root;
}

xcb_atom_t Atom(const char* name)
{
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        Connection(), xcb_intern_atom(Connection(), 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
    const xcb_atom_t atom = reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
    std::free(reply);
    return atom;
}

std::vector<uint32_t> Property(xcb_window_t window, const char* name, xcb_atom_t type)
{
    std::vector<uint32_t> values;
    xcb_get_property_reply_t* reply =
        xcb_get_property_reply(Connection(), xcb_get_property(Connection(), 0, window, Atom(name), type, 0, 4096), nullptr);
    if (reply && reply->format == 32) {
        const auto* data = static_cast<const uint32_t*>(xcb_get_property_value(reply));
        values.assign(data, data + xcb_get_property_value_length(reply) / 4);
    }
    std::free(reply);
    return values;
}

bool WindowManagerRuns()
{
    xcb_get_window_attributes_reply_t* reply =
        xcb_get_window_attributes_reply(Connection(), xcb_get_window_attributes(Connection(), Root()), nullptr);
    const bool held = reply && (reply->all_event_masks & XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT);
    std::free(reply);
    return held;
}

xcb_window_t XWindow(QWidget* widget)
{
    return static_cast<xcb_window_t>(widget->window()->winId());
}

// The manager's windows, bottom first.
std::vector<uint32_t> Stacking()
{
    return Property(Root(), "_NET_CLIENT_LIST_STACKING", XCB_ATOM_WINDOW);
}

// Position in the manager's stacking order (higher is nearer the user); -1 when unknown.
int Level(QWidget* widget)
{
    const std::vector<uint32_t> order = Stacking();
    const auto at = std::find(order.begin(), order.end(), XWindow(widget));
    return at == order.end() ? -1 : static_cast<int>(at - order.begin());
}

// Whether the manager keeps the window in its "above" layer.
bool AboveOthers(QWidget* widget)
{
    const std::vector<uint32_t> state = Property(XWindow(widget), "_NET_WM_STATE", XCB_ATOM_ATOM);
    return std::find(state.begin(), state.end(), Atom("_NET_WM_STATE_ABOVE")) != state.end();
}

// Whether the X server shows the window: mapped, and its ancestors too.
bool Viewable(QWidget* widget)
{
    xcb_get_window_attributes_reply_t* reply = xcb_get_window_attributes_reply(
        Connection(), xcb_get_window_attributes(Connection(), XWindow(widget)), nullptr);
    const bool viewable = reply && reply->map_state == XCB_MAP_STATE_VIEWABLE;
    std::free(reply);
    return viewable;
}

// Asks the manager to activate the window as a pager or task bar does for the user.
void ActivateByManager(QWidget* widget)
{
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = XWindow(widget);
    event.type = Atom("_NET_ACTIVE_WINDOW");
    event.data.data32[0] = 2;
    event.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(Connection(), 0, Root(),
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&event));
    xcb_flush(Connection());
}

bool Wait(const std::function<bool()>& condition)
{
    return QTest::qWaitFor(condition, 5000);
}

// Checks a condition on the modal dialog from inside the dialog's own loop: polls until
// it holds on two polls in a row (the manager sets its lists one after the other) or five
// seconds pass, then closes the dialog.
class ModalCheck {
public:
    explicit ModalCheck(std::function<bool(QWidget*)> condition) : m_condition(std::move(condition))
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this] { Poll(); });
        m_timer.start(20);
    }

    QString title;
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
        m_passes = m_condition(modal) ? m_passes + 1 : 0;
        if (m_passes < 2 && m_clock.elapsed() < 5000)
            return;
        title = modal->windowTitle();
        held = m_passes >= 2;
        done = true;
        m_timer.stop();
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject();
    }

    std::function<bool(QWidget*)> m_condition;
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
    static void ExpectExportDialogOverSideWindows(CChartController* chart, QWidget* tracking, QWidget* snapshot,
                                                  QWidget* owner)
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
        });
        chart->GetPricePane()->SendMessage(WM_COMMAND, ID_EXPORT_IMAGE, 0);
        const bool closed = QTest::qWaitFor([&] { return seen.done; }, 15000);
        CUiResponder::Install(std::move(scripted));
        ASSERT_TRUE(closed);
        EXPECT_EQ("Export Image", seen.title);
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
