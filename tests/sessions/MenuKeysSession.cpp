// Menus worked with their keys through the X server, as a trader types them under a
// window manager: Alt and a menu's letter, then an item's letter, sent fast with xdotool.
// Runs as x11_sessions.MenuKeys; skips without X, openbox or xdotool.
#include "tests/sessions/SessionHarness.h"

#include "app/shell/CMainFrame.h"
#include "chart/ui/CGraphsDoc.h"
#include "chart/ui/CGraphsView.h"
#include "tests/support/X11Windows.h"
#include "views/ui/CBarView.h"

#include <QApplication>
#include <QGuiApplication>
#include <QProcess>
#include <QWindow>

namespace qx::sessions {
namespace {

using namespace std::chrono_literals;

class MenuKeysSessionTest : public ManagedSessionTest {
protected:
    void SetUp() override
    {
        if (!x11::HaveXdotool())
            GTEST_SKIP() << "no xdotool";
        ManagedSessionTest::SetUp();
    }

    // The keys, 15 ms apart, to the main window once the X server has given it the focus.
    static void Keys(CSession& s, const QStringList& keys)
    {
        QWindow* main = s.OnUi([&] {
            QWidget* window = s.App().MainFrame()->GetOuterWidget();
            window->activateWindow();
            return window->windowHandle();
        });
        ASSERT_TRUE(s.WaitFor("the main window focused", [&] { return QGuiApplication::focusWindow() == main; }));
        s.Step("xdotool key " + keys.join(' ').toStdString());
        EXPECT_EQ(QProcess::execute("xdotool", QStringList{"key", "--delay", "15"} + keys), 0);
    }
};

// Alt+Q, B opens the Bar Table; with a chart in front, Alt+R, I opens its Symbol & Interval
// prompt, which Escape closes; Alt+Z, which no menu has, does nothing.
TEST_F(MenuKeysSessionTest, AnItemsLetterRunsItsCommand)
{
    const int status = RunWorkstation([&](CSession& s) {
        Keys(s, {"alt+q", "b"});
        EXPECT_NE(s.WaitView<CBarView>("the Bar Table"), nullptr) << DescribeFocus().toStdString();
        // A menu left open by a key that only moved its highlight.
        while (s.OnUi([] { return QApplication::activePopupWidget() != nullptr; }))
            s.Key(Qt::Key_Escape);

        s.ChooseMenu("&Charts|&Chart");
        CGraphsView* chart = s.WaitView<CGraphsView>("a chart");
        ASSERT_NE(chart, nullptr);
        s.RaiseFrame(s.OnUi([&] { return chart->GetParentFrame()->GetOuterWidget(); }));
        // Alt and a letter no menu has types nothing into the chart.
        const CString symbol = s.OnUi([&] { return chart->GetGraphsDoc()->GetSymbol(); });
        Keys(s, {"alt+z", "alt+r", "i"});
        EXPECT_NE(s.WaitModal("Enter Symbol and Interval"), nullptr) << DescribeFocus().toStdString();
        EXPECT_EQ(s.ControlText(s.ActiveModal(), 1090).toStdString(), symbol.GetString());
        EXPECT_EQ(QProcess::execute("xdotool", {"key", "Escape"}), 0);
        EXPECT_TRUE(s.WaitFor("the prompt closed", [&] { return s.ActiveModal() == nullptr; }));
        s.ExitByMenu();
    });
    EXPECT_EQ(status, 0);
}

}  // namespace
}  // namespace qx::sessions
