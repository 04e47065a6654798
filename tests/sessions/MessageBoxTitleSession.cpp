// A trader meets the program's message boxes under a real window manager (ctest runs
// these on Xvfb under openbox; elsewhere they skip): the title in each box's title bar shows whole. The title bar
// is read from the screen and compared with the same title as the window manager draws it
// on a wide window.
#include "tests/sessions/SessionHarness.h"

#include "chart/ui/CGraphsView.h"

#include <QApplication>
#include <QGuiApplication>
#include <QImage>
#include <QMessageBox>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace qx::sessions {
namespace {

using namespace std::chrono_literals;

// Pixels of a title bar that differ from the bar's own background.
class CTitleInk {
public:
    CTitleInk() = default;
    // Background: the bar's colour in each row (the bars shade from top to bottom only).
    CTitleInk(const QImage& bar, const std::vector<QRgb>& background)
        : m_width(bar.width()), m_height(bar.height()), m_ink(static_cast<size_t>(m_width * m_height))
    {
        for (int y = 0; y < m_height && y < static_cast<int>(background.size()); ++y)
            for (int x = 0; x < m_width; ++x) {
                const QRgb p = bar.pixel(x, y);
                const QRgb b = background[static_cast<size_t>(y)];
                const int d = std::max({std::abs(qRed(p) - qRed(b)), std::abs(qGreen(p) - qGreen(b)),
                                        std::abs(qBlue(p) - qBlue(b))});
                m_ink[static_cast<size_t>(y * m_width + x)] = d > 48;
            }
    }
    bool At(int x, int y) const { return m_ink[static_cast<size_t>(y * m_width + x)]; }
    int Width() const { return m_width; }
    bool Empty() const { return std::find(m_ink.begin(), m_ink.end(), true) == m_ink.end(); }

    // The ink of columns from..to, cut to the box around it.
    CTitleInk Cut(int from, int to) const
    {
        int left = to, right = from - 1, top = m_height, bottom = -1;
        for (int y = 0; y < m_height; ++y)
            for (int x = from; x < to; ++x)
                if (At(x, y)) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                    top = std::min(top, y);
                    bottom = std::max(bottom, y);
                }
        CTitleInk cut;
        if (right < left)
            return cut;
        cut.m_width = right - left + 1;
        cut.m_height = bottom - top + 1;
        cut.m_ink.resize(static_cast<size_t>(cut.m_width * cut.m_height));
        for (int y = 0; y < cut.m_height; ++y)
            for (int x = 0; x < cut.m_width; ++x)
                cut.m_ink[static_cast<size_t>(y * cut.m_width + x)] = At(left + x, top + y);
        return cut;
    }

    // Whether the other ink shows, pixel for pixel, somewhere in this one.
    bool Holds(const CTitleInk& part) const
    {
        for (int top = 0; top + part.m_height <= m_height; ++top)
            for (int left = 0; left + part.m_width <= m_width; ++left) {
                bool same = true;
                for (int y = 0; same && y < part.m_height; ++y)
                    for (int x = 0; same && x < part.m_width; ++x)
                        same = At(left + x, top + y) == part.At(x, y);
                if (same)
                    return true;
            }
        return false;
    }

private:
    int m_width = 0;
    int m_height = 0;
    std::vector<bool> m_ink;
};

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

class X11ManagedMessageBoxTitles : public SessionTest {
protected:
    void SetUp() override
    {
        if (QGuiApplication::platformName() != "xcb")
            GTEST_SKIP() << "no X server with a window manager here";
        SessionTest::SetUp();
    }

    // The title as the window manager draws it on an active window wide enough for it.
    static void LearnTitle(CSession& s, const QString& title)
    {
        s.Step("a wide window titled " + title.toStdString());
        std::unique_ptr<QWidget> wide(s.OnUi([&] {
            auto* w = new QWidget;
            w->setWindowTitle(title);
            w->resize(600, 60);
            w->show();
            w->activateWindow();
            return w;
        }));
        QImage bar;
        ASSERT_TRUE(s.WaitFor("the wide window's title bar", [&] {
            if (!wide->isActiveWindow())
                return false;
            bar = TitleBar(wide.get());
            return !bar.isNull() && bar.pixel(bar.width() / 2, bar.height() / 2) != qRgb(0, 0, 0);
        }));
        // Left of the centred title and right of the window's icon: the bar's background.
        background.clear();
        for (int y = 0; y < bar.height(); ++y)
            background.push_back(bar.pixel(bar.width() / 5, y));
        wholeTitle = CTitleInk(bar, background).Cut(bar.width() / 3, bar.width() * 2 / 3);
        ASSERT_FALSE(wholeTitle.Empty()) << "no title drawn on the wide window";
        barHeight = bar.height();
        s.OnUi([&] { wide.reset(); return 0; });
    }

    // The modal message box shows, and its title bar holds the whole title.
    static void ExpectWholeTitle(CSession& s, const std::string& what)
    {
        s.Step("the title of " + what);
        QWidget* box = nullptr;
        ASSERT_TRUE(s.WaitFor(what, [&] {
            box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            return box && box->isVisible();
        }));
        int width = 0;
        const bool whole = s.WaitFor("the whole title in the title bar of " + what, [&] {
            width = box->frameGeometry().width();
            const QImage bar = TitleBar(box);
            return bar.height() == barHeight && box->isActiveWindow() && CTitleInk(bar, background).Holds(wholeTitle);
        }, 5s);
        EXPECT_TRUE(whole) << what << ": a frame " << width << " px wide shows its title cut";
        s.PressButton(box, "OK");
        s.WaitFor("the box closed", [&] { return QApplication::activeModalWidget() != box; });
    }

    static inline std::vector<QRgb> background;
    static inline CTitleInk wholeTitle;
    static inline int barHeight = 0;
};

} // namespace

TEST_F(X11ManagedMessageBoxTitles, TheAlertManagersAndTheStrategySetupsBoxesShowTheirTitleWhole)
{
    const int status = RunWorkstation(
        [&](CSession& s) {
            LearnTitle(s, "Quorvantelix");
            if (HasFatalFailure())
                return s.ExitByMenu();

            // Delete in the Alert Manager with no alert chosen.
            s.ChooseMenu("&Alerts|Alert &Manager");
            s.Pause(300ms);
            s.ChooseMenu("&Alerts|&Delete");
            ExpectWholeTitle(s, "\"Please select alert(s)\"");

            // Add in a chart's Strategy Setup with its fields empty.
            s.ChooseMenu("&Charts|&Chart");
            ASSERT_TRUE(s.WaitFor("a chart", [&] { return !s.Views<CGraphsView>().empty(); }, 30s));
            s.ChooseMenu("C&hart|Strate&gy Setup...");
            QWidget* setup = s.WaitModal("Strategy Setup");
            ASSERT_NE(setup, nullptr);
            s.PressButton(setup, "Add");
            ExpectWholeTitle(s, "\"Please fill out all fields\"");
            s.PressButton(setup, "Cancel");
            s.WaitFor("the setup closed", [&] { return s.ActiveModal() == nullptr; });
            s.ExitByMenu();
        },
        {"--symbol", "IBM"});
    EXPECT_EQ(status, 0);
}

} // namespace qx::sessions
