// A trader meets the program's message boxes and a chart's Tracking Window under a real
// window manager (ctest runs these on Xvfb, each under an openbox of its own; elsewhere
// they skip): the title
// in each window's title bar shows whole. The title bar is read from the screen and
// compared with the same title as the window manager draws it on a wide window.
#include "tests/sessions/SessionHarness.h"

#include "alerts/ui/EditAlertList.h"
#include "app/shell/CMainFrame.h"
#include "chart/ui/CChartController.h"
#include "chart/ui/CGraphsView.h"
#include "platform/ui/CChildFrame.h"
#include "tests/support/InkMask.h"
#include "tests/support/X11Windows.h"

#include <QApplication>
#include <QGuiApplication>
#include <QImage>
#include <QMessageBox>
#include <QScreen>
#include <QWidget>

#include <memory>
#include <string>
#include <vector>

namespace qx::sessions {
namespace {

using namespace std::chrono_literals;
using qx::testsupport::CInkMask;

// The window manager's title bar of a top-level window as the screen shows it (empty
// while the window has no frame yet).
QImage TitleBar(const QWidget* window)
{
    const QRect frame = window->frameGeometry();
    const QRect inside = window->geometry();
    if (inside.top() - frame.top() < 8)
        return QImage();
    return QGuiApplication::primaryScreen()
        ->grabWindow(0, frame.x(), frame.y(), frame.width(), inside.top() - frame.top())
        .toImage();
}

class X11ManagedWindowTitles : public ManagedSessionTest {
protected:
    // The title as the window manager draws it on a window wide enough for it: an active
    // one, or an inactive tool window of the main window (as the chart's side windows are).
    static void LearnTitle(CSession& s, const QString& title, bool tool)
    {
        s.Step("a wide window titled " + title.toStdString());
        std::unique_ptr<QWidget> wide(s.OnUi([&] {
            auto* w = tool ? new QWidget(s.App().MainFrame()->GetOuterWidget(), Qt::Tool) : new QWidget;
            w->setAttribute(Qt::WA_ShowWithoutActivating, tool);
            w->setWindowTitle(title);
            w->resize(600, 60);
            w->show();
            if (!tool)
                w->activateWindow();
            return w;
        }));
        // The manager has it active (or not, a tool window) and has drawn its frame so: the
        // title bar shows the same twice in a row.
        const auto window = static_cast<xcb_window_t>(s.OnUi([&] { return wide->winId(); }));
        QImage bar;
        QImage before;
        ASSERT_TRUE(s.WaitFor("the wide window's title bar", [&] {
            if (wide->isActiveWindow() == tool || (x11::ActiveWindow() == window) == tool)
                return false;
            const QImage now = TitleBar(wide.get());
            const bool settled = !now.isNull() && now == before && now.pixel(now.width() / 2, now.height() / 2) != qRgb(0, 0, 0);
            before = now;
            bar = now;
            return settled;
        }));
        // Left of the centred title and right of the window's icon: the bar's background.
        background.clear();
        for (int y = 0; y < bar.height(); ++y)
            background.push_back(bar.pixel(bar.width() / 5, y));
        wholeTitle = TitleInk(bar).Cut(bar.width() / 3, bar.width() * 2 / 3);
        ASSERT_FALSE(wholeTitle.Empty()) << "no title drawn on the wide window";
        barHeight = bar.height();
        s.OnUi([&] {
            wide.reset();
            return 0;
        });
    }

    // The window's title bar holds the whole title.
    static void ExpectWholeTitle(CSession& s, QWidget* window, const std::string& what)
    {
        s.Step("the title of " + what);
        int width = 0;
        const bool whole = s.WaitFor("the whole title in the title bar of " + what, [&] {
            width = window->frameGeometry().width();
            const QImage bar = TitleBar(window);
            return bar.height() == barHeight && TitleInk(bar).Holds(wholeTitle);
        });
        EXPECT_TRUE(whole) << what << ": a frame " << width << " px wide shows its title cut (active for the window manager: "
                           << (x11::ActiveWindow() == static_cast<xcb_window_t>(s.OnUi([&] { return window->winId(); })))
                           << ", for Qt: " << s.OnUi([&] { return window->isActiveWindow(); }) << ")";
    }

    // The message box open now shows its whole title; OK closes it.
    static void ExpectBoxTitleWhole(CSession& s, const std::string& what)
    {
        QWidget* box = nullptr;
        ASSERT_TRUE(s.WaitFor(what, [&] {
            box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            return box && box->isVisible() && box->isActiveWindow();
        }));
        ExpectWholeTitle(s, box, what);
        s.PressButton(box, "OK");
        s.WaitFor("the box closed", [&] { return QApplication::activeModalWidget() != box; });
    }

    // What a title bar shows beside its background.
    static CInkMask TitleInk(const QImage& bar)
    {
        return CInkMask(
            bar,
            [](int y) { return background[static_cast<size_t>(std::min(y, static_cast<int>(background.size()) - 1))]; },
            48);
    }

    static inline std::vector<QRgb> background;
    static inline CInkMask wholeTitle;
    static inline int barHeight = 0;
};

} // namespace

TEST_F(X11ManagedWindowTitles, TheAlertManagersAndTheStrategySetupsBoxesShowTheirTitleWhole)
{
    const int status = RunWorkstation(
        [&](CSession& s) {
            LearnTitle(s, "Quorvantelix", false);
            if (HasFatalFailure())
                return s.ExitByMenu();

            // Delete in the Alert Manager with no alert chosen.
            s.ChooseMenu("&Alerts|Alert &Manager");
            ASSERT_TRUE(s.WaitFor("the Alert Manager active, with its menus", [&] {
                CChildFrame* active = s.App().MainFrame()->MDIGetActive();
                return active && dynamic_cast<EditAlertList*>(active->GetActiveView());
            }));
            s.ChooseMenu("&Alerts|&Delete");
            ExpectBoxTitleWhole(s, "\"Please select alert(s)\"");

            // Add in a chart's Strategy Setup with its fields empty.
            s.ChooseMenu("&Charts|&Chart");
            ASSERT_TRUE(s.WaitFor("a chart", [&] { return !s.Views<CGraphsView>().empty(); }, 30s));
            s.ChooseMenu("C&hart|Strate&gy Setup...");
            QWidget* setup = s.WaitModal("Strategy Setup");
            ASSERT_NE(setup, nullptr);
            s.PressButton(setup, "Add");
            ExpectBoxTitleWhole(s, "\"Please fill out all fields\"");
            s.PressButton(setup, "Cancel");
            s.WaitFor("the setup closed", [&] { return s.ActiveModal() == nullptr; });
            s.ExitByMenu();
        },
        {"--symbol", "IBM"});
    EXPECT_EQ(status, 0);
}

TEST_F(X11ManagedWindowTitles, AChartsTrackingWindowShowsItsTitleWhole)
{
    const int status = RunWorkstation(
        [&](CSession& s) {
            s.ChooseMenu("&Charts|&Chart");
            CChartController* chart = nullptr;
            ASSERT_TRUE(s.WaitFor("a chart", [&] {
                const auto panes = s.Views<CGraphsView>();
                chart = panes.empty() ? nullptr : panes.front()->GetChart();
                return chart != nullptr;
            }, 30s));
            LearnTitle(s, "Tracking Window", true);
            if (HasFatalFailure())
                return s.ExitByMenu();
            s.ChooseMenu("C&hart|&Tracking Window");
            QWidget* tracking = nullptr;
            ASSERT_TRUE(s.WaitFor("the Tracking Window", [&] {
                for (QWidget* w : QApplication::topLevelWidgets())
                    if (w->isVisible() && w->windowTitle() == "Tracking Window")
                        tracking = w;
                return chart->IsTrackingShown() && tracking;
            }));
            ExpectWholeTitle(s, tracking, "the Tracking Window");
            s.ExitByMenu();
        },
        {"--symbol", "IBM"});
    EXPECT_EQ(status, 0);
}

} // namespace qx::sessions
