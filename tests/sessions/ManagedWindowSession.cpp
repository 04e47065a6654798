// A trader's windows under a window manager on a real X server: an MDI chart with its
// Tracking and Snapshot Windows, a floating chart over them, and Alt+Tab between the two,
// sent as real X input with xdotool and judged by the manager's active window and
// stacking list. Runs as x11_sessions.ManagedWindowSessions; skips without X, openbox or
// xdotool.
#include "tests/sessions/SessionHarness.h"

#include "app/shell/CMainFrame.h"
#include "chart/ui/CChartController.h"
#include "chart/ui/CGraphsDoc.h"
#include "chart/ui/CGraphsView.h"
#include "platform/ui/CFrameWnd.h"
#include "tests/support/X11Windows.h"
#include "views/ui/CFloatingWnd.h"
#include "views/ui/CSnapshotFieldPanel.h"
#include "views/ui/CTrackingFieldPanel.h"

#include <QApplication>
#include <QImage>
#include <QMainWindow>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPoint>
#include <QProcess>
#include <QRect>
#include <QRegion>
#include <QSize>
#include <QStatusBar>
#include <QString>
#include <QStringList>
#include <QStyle>
#include <QWidget>
#include <QWindow>

#include <array>
#include <chrono>
#include <sstream>
#include <string>

namespace qx::sessions {
namespace {

using namespace std::chrono_literals;

class ManagedWindowSessionTest : public ManagedSessionTest {
protected:
    void SetUp() override
    {
        if (!x11::HaveXdotool())
            GTEST_SKIP() << "no xdotool";
        ManagedSessionTest::SetUp();
    }

    // The chart open in the main window (floating false) or in a window of its own.
    static CChartController* Chart(CSession& s, bool floating)
    {
        for (CGraphsView* view : s.Views<CGraphsView>())
            if (CGraphsDoc* doc = view->GetGraphsDoc(); doc && doc->IsDetached() == floating)
                if (CChartController* chart = view->GetChart())
                    return chart;
        return nullptr;
    }
    static xcb_window_t XWindow(CSession& s, QWidget* widget)
    {
        return s.OnUi([&] { return static_cast<xcb_window_t>(widget->window()->winId()); });
    }
    // The X window a top-level widget has now: shown again, it may have been given a new one.
    static xcb_window_t XWindowNow(CSession& s, QWidget* window)
    {
        return s.OnUi([&] { return static_cast<xcb_window_t>(window->windowHandle()->winId()); });
    }
    // Real input: xdotool's commands, run to their end.
    static bool Input(const QStringList& commands) { return QProcess::execute("xdotool", commands) == 0; }

    // The chart's Tracking Window (tracking true) or Snapshot Window; null while closed.
    static QWidget* SideWindow(CSession& s, CChartController* chart, bool tracking)
    {
        return s.OnUi([&]() -> QWidget* {
            CFloatingWnd* panel = tracking ? static_cast<CFloatingWnd*>(chart->GetTrackingPanel())
                                           : static_cast<CFloatingWnd*>(chart->GetSnapshotPanel());
            CWnd* wnd = panel ? panel->GetWnd() : nullptr;
            return wnd ? wnd->GetOuterWidget() : nullptr;
        });
    }
    // The main window's status bar on the screen.
    static QRect StatusBarOnScreen(CSession& s)
    {
        return s.OnUi([&] {
            QStatusBar* bar = qobject_cast<QMainWindow*>(s.App().MainFrame()->GetOuterWidget())->statusBar();
            return QRect(bar->mapToGlobal(QPoint(0, 0)), bar->size());
        });
    }
    // The status bar's clock goes on changing on the screen: the main window paints.
    static void ExpectClockGoesOn(CSession& s, const QRect& statusBar, const std::string& when)
    {
        const QImage before = x11::ScreenImage(statusBar);
        ASSERT_FALSE(before.isNull());
        EXPECT_TRUE(s.WaitFor(when + ": the status clock changes on the screen", [&] {
            return x11::DifferingShare(x11::ScreenImage(statusBar), before) > 0;
        }));
    }
};

// The windows of the session as the manager has them.
struct Windows {
    xcb_window_t main = 0;
    xcb_window_t floating = 0;
    xcb_window_t tracking = 0;
    xcb_window_t snapshot = 0;

    std::string Describe() const
    {
        std::ostringstream text;
        text << "active " << (x11::ActiveWindow() == floating ? "floating chart"
                              : x11::ActiveWindow() == main   ? "main window"
                              : x11::ActiveWindow() == tracking ? "Tracking Window"
                              : x11::ActiveWindow() == snapshot ? "Snapshot Window"
                                                                : "other")
             << "; levels: main " << x11::StackingLevel(main) << ", floating chart " << x11::StackingLevel(floating)
             << ", tracking " << x11::StackingLevel(tracking) << ", snapshot " << x11::StackingLevel(snapshot);
        return text.str();
    }
    // The floating chart is the active window, over both side windows of the MDI chart,
    // which stay shown over the main window.
    bool FloatingChartInFront() const
    {
        const int chart = x11::StackingLevel(floating);
        const int main_ = x11::StackingLevel(main);
        return x11::ActiveWindow() == floating && chart > x11::StackingLevel(tracking) &&
               chart > x11::StackingLevel(snapshot) && x11::StackingLevel(tracking) > main_ &&
               x11::StackingLevel(snapshot) > main_ && x11::Viewable(tracking) && x11::Viewable(snapshot);
    }
};

TEST_F(ManagedWindowSessionTest, AltTabFromAnMdiChartBringsTheFloatingChartOverTheMdiChartsSideWindows)
{
    const int status = RunWorkstation([&](CSession& s) {
        Windows w;
        w.main = XWindow(s, s.OnUi([&] { return s.App().MainFrame()->GetOuterWidget(); }));
        s.ChooseMenu("&Charts|&Chart");
        CChartController* mdi = nullptr;
        ASSERT_TRUE(s.WaitFor("an MDI chart", [&] { return (mdi = Chart(s, false)) != nullptr; }));
        s.ChooseMenu("Cha&rt|&Tracking Window");
        s.ChooseMenu("Cha&rt|Sna&pshot Window");
        auto sideWindow = [&](bool tracking) { return SideWindow(s, mdi, tracking); };
        auto framed = [&](xcb_window_t window) { return x11::Viewable(window) && !x11::FrameOnScreen(window).isEmpty(); };
        QWidget* tracking = nullptr;
        QWidget* snapshot = nullptr;
        ASSERT_TRUE(s.WaitFor("the Tracking and Snapshot Windows", [&] {
            return (tracking = sideWindow(true)) != nullptr && (snapshot = sideWindow(false)) != nullptr;
        }));
        w.tracking = XWindow(s, tracking);
        w.snapshot = XWindow(s, snapshot);
        ASSERT_TRUE(s.WaitFor("both side windows framed", [&] { return framed(w.tracking) && framed(w.snapshot); }));

        // A floating chart, its menu bar across the Snapshot Window's place.
        s.ChooseMenu("F&loating|&Chart");
        CChartController* floating = nullptr;
        ASSERT_TRUE(s.WaitFor("a floating chart", [&] { return (floating = Chart(s, true)) != nullptr; }));
        QWidget* floatingFrame = s.OnUi([&] { return floating->GetFrame()->GetOuterWidget(); });
        w.floating = XWindow(s, floatingFrame);
        ASSERT_TRUE(s.WaitFor("the floating chart framed", [&] { return framed(w.floating); }));
        const QRect snapshotAt = x11::ClientOnScreen(w.snapshot);
        s.OnUi([&] { floatingFrame->setGeometry(QRect(snapshotAt.topLeft() + QPoint(40, -10), QSize(460, 320))); });
        ASSERT_TRUE(s.WaitFor("the floating chart over the side windows", [&] {
            return x11::FrameOnScreen(w.floating).intersects(x11::FrameOnScreen(w.snapshot)) &&
                   x11::FrameOnScreen(w.floating).intersects(x11::FrameOnScreen(w.tracking));
        }));

        // A point of the MDI chart that neither the floating chart nor a side window covers.
        CGraphsView* pane = s.OnUi([&] { return mdi->GetPricePane(); });
        const QPoint mdiPoint = s.OnUi([&] {
            QWidget* widget = pane->GetWidget();
            return widget->mapToGlobal(QPoint(widget->width() - 40, widget->height() - 40));
        });
        ASSERT_FALSE(x11::FrameOnScreen(w.floating).contains(mdiPoint));
        ASSERT_FALSE(x11::FrameOnScreen(w.snapshot).contains(mdiPoint));
        ASSERT_FALSE(x11::FrameOnScreen(w.tracking).contains(mdiPoint));
        auto clickMdiChart = [&] {
            ASSERT_TRUE(Input(x11::ClickCommands(mdiPoint)));
            ASSERT_TRUE(s.WaitFor("the main window active over the floating chart", [&] {
                return x11::ActiveWindow() == w.main && x11::StackingLevel(w.main) > x11::StackingLevel(w.floating);
            })) << w.Describe();
        };
        auto altTabToTheFloatingChart = [&](const std::string& when) {
            ASSERT_TRUE(Input(x11::AltTab()));
            EXPECT_TRUE(s.WaitFor(when + ": the floating chart in front", [&] { return w.FloatingChartInFront(); }))
                << w.Describe();
            // No late raise undoes it.
            s.Pause(700ms);
            EXPECT_TRUE(s.OnUi([&] { return w.FloatingChartInFront(); })) << when << ": " << w.Describe();
        };

        // The trader clicks the MDI chart, takes the Snapshot Window by its title bar, clicks
        // the MDI chart again and switches to the floating chart with Alt+Tab.
        clickMdiChart();
        ASSERT_TRUE(Input(x11::ClickCommands(x11::TitleBarPoint(w.snapshot))));
        s.Pause(300ms);
        clickMdiChart();
        altTabToTheFloatingChart("after the Snapshot Window was clicked");

        // The Tracking Window closed and opened again from the chart's menu (a new window
        // the manager saw last), then Alt+Tab from the MDI chart once more.
        clickMdiChart();
        s.ChooseMenu("Cha&rt|&Tracking Window");
        ASSERT_TRUE(s.WaitFor("the Tracking Window closed", [&] { return sideWindow(true) == nullptr; }));
        s.ChooseMenu("Cha&rt|&Tracking Window");
        ASSERT_TRUE(s.WaitFor("the Tracking Window again", [&] { return (tracking = sideWindow(true)) != nullptr; }));
        w.tracking = XWindow(s, tracking);
        ASSERT_TRUE(s.WaitFor("the Tracking Window framed", [&] { return framed(w.tracking); }));
        clickMdiChart();
        altTabToTheFloatingChart("after the Tracking Window was opened again");

        s.ExitByMenu();
    });
    EXPECT_EQ(status, 0);
}

// A chart's side windows opened from its menu with real clicks: the menu is gone from the
// screen once closed, and the main window's status clock goes on changing on the screen,
// for an MDI chart and for a floating one, with both side windows open.
TEST_F(ManagedWindowSessionTest, TheMainWindowKeepsPaintingWithAChartsSideWindowsOpen)
{
    const int status = RunWorkstation([&](CSession& s) {
        QWidget* mainFrame = s.OnUi([&] { return s.App().MainFrame()->GetOuterWidget(); });
        const QRect statusBar = StatusBarOnScreen(s);
        auto clockGoesOn = [&](const std::string& when) { ExpectClockGoesOn(s, statusBar, when); };
        auto sideWindows = [&](CChartController* chart) {
            return s.OnUi([&] {
                QRegion covered;
                for (CFloatingWnd* panel : {static_cast<CFloatingWnd*>(chart->GetTrackingPanel()),
                                            static_cast<CFloatingWnd*>(chart->GetSnapshotPanel())})
                    if (CWnd* wnd = panel ? panel->GetWnd() : nullptr)
                        covered += x11::FrameOnScreen(static_cast<xcb_window_t>(wnd->GetOuterWidget()->winId()));
                return covered;
            });
        };
        // The chart menu of the frame opened with a click on its title, the item clicked; what
        // the menu covered shows something else once it has closed.
        auto chooseByClicks = [&](QWidget* frame, const QString& item, CChartController* chart) {
            QMenuBar* bar = s.OnUi([&] { return qobject_cast<QMainWindow*>(frame)->menuBar(); });
            const QPoint title = s.OnUi([&] { return MenuEntryPoint(bar, "Chart"); });
            ASSERT_FALSE(title.isNull()) << "no Chart menu";
            ASSERT_TRUE(Input(x11::ClickCommands(title)));
            QMenu* menu = nullptr;
            ASSERT_TRUE(s.WaitFor("the Chart menu on the screen", [&] {
                menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
                return menu && x11::Viewable(static_cast<xcb_window_t>(menu->winId()));
            }));
            const QRect menuArea = s.OnUi([&] { return QRect(menu->mapToGlobal(QPoint(0, 0)), menu->size()); });
            const QPoint itemAt = s.OnUi([&] { return MenuEntryPoint(menu, item); });
            ASSERT_FALSE(itemAt.isNull()) << "no item " << item.toStdString();
            const QImage menuShown = s.OnUi([&] { return menu->grab().toImage(); });
            ASSERT_TRUE(s.WaitFor("the menu drawn on the screen", [&] {
                return x11::DifferingShare(x11::ScreenImage(menuArea), menuShown) < 0.01;
            }));
            ASSERT_TRUE(Input(x11::ClickCommands(itemAt)));
            ASSERT_TRUE(s.WaitFor("the menu closed", [&] { return QApplication::activePopupWidget() == nullptr; }));
            // Where no side window has come, the screen no longer shows the menu.
            const QRegion uncovered = QRegion(menuArea) - sideWindows(chart);
            QRect part;
            for (const QRect& r : uncovered)
                if (r.width() * r.height() > part.width() * part.height())
                    part = r;
            ASSERT_GT(part.width() * part.height(), menuArea.width() * menuArea.height() / 4);
            const QImage menuPart = menuShown.copy(part.translated(-menuArea.topLeft()));
            EXPECT_TRUE(s.WaitFor("the closed menu gone from the screen", [&] {
                return x11::DifferingShare(x11::ScreenImage(part), menuPart) > 0.2;
            })) << item.toStdString();
        };
        auto openBothSideWindows = [&](QWidget* frame, CChartController* chart) {
            for (const QString& item : {QStringLiteral("Tracking Window"), QStringLiteral("Snapshot Window")}) {
                chooseByClicks(frame, item, chart);
                ASSERT_TRUE(s.WaitFor(item.toStdString() + " framed", [&] {
                    CFloatingWnd* panel = item.startsWith('T') ? static_cast<CFloatingWnd*>(chart->GetTrackingPanel())
                                                               : static_cast<CFloatingWnd*>(chart->GetSnapshotPanel());
                    CWnd* wnd = panel ? panel->GetWnd() : nullptr;
                    return wnd && !x11::FrameOnScreen(static_cast<xcb_window_t>(wnd->GetOuterWidget()->winId())).isEmpty();
                }));
            }
        };

        clockGoesOn("at the start");
        s.ChooseMenu("&Charts|&Chart");
        CChartController* mdi = nullptr;
        ASSERT_TRUE(s.WaitFor("an MDI chart", [&] { return (mdi = Chart(s, false)) != nullptr; }));
        openBothSideWindows(mainFrame, mdi);
        clockGoesOn("the MDI chart's side windows open");

        // A floating chart clear of the status bar, with side windows of its own.
        s.ChooseMenu("F&loating|&Chart");
        CChartController* floating = nullptr;
        ASSERT_TRUE(s.WaitFor("a floating chart", [&] { return (floating = Chart(s, true)) != nullptr; }));
        QWidget* floatingFrame = s.OnUi([&] { return floating->GetFrame()->GetOuterWidget(); });
        s.OnUi([&] { floatingFrame->setGeometry(QRect(statusBar.topLeft() + QPoint(300, -560), QSize(520, 400))); });
        ASSERT_TRUE(s.WaitFor("the floating chart framed", [&] {
            const QRect frame = x11::FrameOnScreen(XWindow(s, floatingFrame));
            return !frame.isEmpty() && !frame.intersects(statusBar);
        }));
        openBothSideWindows(floatingFrame, floating);
        clockGoesOn("the floating chart's side windows open");

        s.ExitByMenu();
    });
    EXPECT_EQ(status, 0);
}

// The main window and a floating chart minimised by the window manager, as a title bar's
// button does, and restored by it, as a task bar or Alt+Tab does: each comes back and stays,
// the main window paints, and the chart's side windows lie where they were. The MDI chart
// in its normal state, minimised and maximised inside the main window, then a floating one.
TEST_F(ManagedWindowSessionTest, WindowsComeBackFromMinimisedWithAChartsSideWindowsWhereTheyWere)
{
    const int status = RunWorkstation([&](CSession& s) {
        using Places = std::array<QRect, 2>;
        std::array<QWidget*, 2> sides{};
        // Where the side windows' client areas are on the screen; empty for one not shown.
        auto onScreen = [&] {
            Places places;
            for (size_t i = 0; i < sides.size(); ++i)
                if (const xcb_window_t window = XWindowNow(s, sides[i]); x11::Viewable(window))
                    places[i] = x11::ClientOnScreen(window);
            return places;
        };
        auto describe = [](const Places& places) {
            std::ostringstream text;
            for (const QRect& r : places)
                text << (r.isEmpty() ? "hidden" : std::to_string(r.x()) + "," + std::to_string(r.y())) << " ";
            return text.str();
        };
        // Both opened from the chart menu of the frame (the main window's for an MDI chart),
        // once the manager has framed them.
        auto openSideWindows = [&](CChartController* chart, QWidget* floatingFrame) {
            s.ChooseMenu("Cha&rt|&Tracking Window", floatingFrame);
            s.ChooseMenu("Cha&rt|Sna&pshot Window", floatingFrame);
            return s.WaitFor("both side windows framed", [&] {
                sides = {SideWindow(s, chart, true), SideWindow(s, chart, false)};
                return sides[0] && sides[1] && !x11::FrameOnScreen(XWindowNow(s, sides[0])).isEmpty() &&
                       !x11::FrameOnScreen(XWindowNow(s, sides[1])).isEmpty();
            });
        };
        // Where they are once the chart has laid out its panes.
        auto settled = [&] {
            Places last;
            Places now = onScreen();
            for (int i = 0; i < 20 && now != last; ++i) {
                last = now;
                s.Pause(300ms);
                now = onScreen();
            }
            return now;
        };
        auto minimiseAndRestore = [&](xcb_window_t window, const std::string& when) {
            ASSERT_TRUE(Input({"windowminimize", QString::number(window)}));
            ASSERT_TRUE(s.WaitFor(when + ": minimised", [&] { return x11::ManagedState(window) == x11::WmState::Iconic; }));
            s.Pause(500ms);
            ASSERT_TRUE(Input({"windowactivate", QString::number(window)}));
            ASSERT_TRUE(s.WaitFor(when + ": restored", [&] { return x11::ManagedState(window) == x11::WmState::Normal; }));
            s.Pause(1000ms);
            ASSERT_TRUE(x11::ManagedState(window) == x11::WmState::Normal) << when << ": minimised again";
        };
        auto expectBack = [&](const Places& were, const std::string& when) {
            EXPECT_TRUE(s.WaitFor(when + ": the side windows where they were", [&] { return onScreen() == were; }))
                << "were at " << describe(were) << "now at " << describe(onScreen());
            ExpectClockGoesOn(s, StatusBarOnScreen(s), when);
        };
        // A button of the MDI chart's title bar, clicked.
        auto clickTitleBar = [&](QMdiSubWindow* sub, QStyle::SubControl button) {
            const QPoint at = s.OnUi([&] { return sub->mapToGlobal(TitleBarButton(sub, button).center()); });
            ASSERT_TRUE(Input(x11::ClickCommands(at)));
        };

        const xcb_window_t main = XWindow(s, s.OnUi([&] { return s.App().MainFrame()->GetOuterWidget(); }));
        s.ChooseMenu("&Charts|&Chart");
        CChartController* mdi = nullptr;
        ASSERT_TRUE(s.WaitFor("an MDI chart", [&] { return (mdi = Chart(s, false)) != nullptr; }));
        auto* sub = s.OnUi([&] { return qobject_cast<QMdiSubWindow*>(mdi->GetFrame()->GetOuterWidget()); });
        ASSERT_TRUE(sub && !s.OnUi([&] { return sub->isMaximized() || sub->isMinimized(); }));
        ASSERT_TRUE(openSideWindows(mdi, nullptr));
        const Places normal = settled();
        ASSERT_FALSE(normal[0].isEmpty() || normal[1].isEmpty()) << describe(normal);
        ASSERT_NO_FATAL_FAILURE(minimiseAndRestore(main, "the MDI chart in its normal state"));
        expectBack(normal, "the MDI chart in its normal state");

        // Minimised inside the main window, the chart hides them through the main window's
        // minimising; restored, it shows them again and the main window keeps the focus.
        clickTitleBar(sub, QStyle::SC_TitleBarMinButton);
        ASSERT_TRUE(s.WaitFor("the MDI chart minimised", [&] { return sub->isMinimized(); }));
        ASSERT_TRUE(s.WaitFor("its side windows hidden", [&] { return onScreen() == Places{}; })) << describe(onScreen());
        ASSERT_NO_FATAL_FAILURE(minimiseAndRestore(main, "the MDI chart minimised"));
        s.Pause(500ms);
        EXPECT_EQ(onScreen(), Places{}) << describe(onScreen());
        ExpectClockGoesOn(s, StatusBarOnScreen(s), "the MDI chart minimised");
        clickTitleBar(sub, QStyle::SC_TitleBarNormalButton);
        ASSERT_TRUE(s.WaitFor("the MDI chart restored", [&] { return !sub->isMinimized(); }));
        expectBack(normal, "the MDI chart restored");
        EXPECT_EQ(x11::ActiveWindow(), main) << "the side windows took the focus";

        // Maximised, the chart keeps them over its price pane, which has moved.
        clickTitleBar(sub, QStyle::SC_TitleBarMaxButton);
        ASSERT_TRUE(s.WaitFor("the MDI chart maximised", [&] { return sub->isMaximized(); }));
        const Places maximised = settled();
        ASSERT_TRUE(maximised != normal && !maximised[0].isEmpty() && !maximised[1].isEmpty()) << describe(maximised);
        ASSERT_NO_FATAL_FAILURE(minimiseAndRestore(main, "the MDI chart maximised"));
        expectBack(maximised, "the MDI chart maximised");

        // A floating chart's side windows, through the main window's minimising and the chart's.
        s.ChooseMenu("F&loating|&Chart");
        CChartController* floating = nullptr;
        ASSERT_TRUE(s.WaitFor("a floating chart", [&] { return (floating = Chart(s, true)) != nullptr; }));
        QWidget* frame = s.OnUi([&] { return floating->GetFrame()->GetOuterWidget(); });
        const xcb_window_t floatingWindow = XWindow(s, frame);
        ASSERT_TRUE(s.WaitFor("the floating chart framed", [&] { return !x11::FrameOnScreen(floatingWindow).isEmpty(); }));
        ASSERT_TRUE(openSideWindows(floating, frame));
        const Places floatingPlaces = settled();
        ASSERT_FALSE(floatingPlaces[0].isEmpty() || floatingPlaces[1].isEmpty()) << describe(floatingPlaces);
        ASSERT_NO_FATAL_FAILURE(minimiseAndRestore(main, "the main window over a floating chart"));
        expectBack(floatingPlaces, "the main window over a floating chart");
        ASSERT_NO_FATAL_FAILURE(minimiseAndRestore(floatingWindow, "the floating chart"));
        expectBack(floatingPlaces, "the floating chart");
        // They still never take the focus: Alt+Tab from the chart goes to the main window.
        ASSERT_TRUE(s.WaitFor("the floating chart active", [&] { return x11::ActiveWindow() == floatingWindow; }));
        ASSERT_TRUE(Input(x11::AltTab()));
        EXPECT_TRUE(s.WaitFor("Alt+Tab to the main window", [&] { return x11::ActiveWindow() == main; }));

        s.ExitByMenu();
    });
    EXPECT_EQ(status, 0);
}

}  // namespace
}  // namespace qx::sessions
