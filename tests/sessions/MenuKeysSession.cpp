// Menus worked with their keys through the X server, as a trader types them under a
// window manager: Alt and a menu's letter, then an item's letter, sent fast with xdotool;
// a letter that items share moves the highlight between them.
// Runs as x11_sessions.MenuKeys; skips without X, openbox or xdotool.
#include "tests/sessions/SessionHarness.h"

#include "app/shell/CMainFrame.h"
#include "chart/ui/CChartController.h"
#include "chart/ui/CGraphsDoc.h"
#include "chart/ui/CGraphsView.h"
#include "tests/support/X11Windows.h"
#include "views/ui/CBarView.h"
#include "views/ui/Level1View.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMenu>
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

    // The keys as they are, delay ms apart, to whatever has the focus now (an open menu).
    static void Press(CSession& s, const QStringList& keys, int delay = 15)
    {
        s.Step("xdotool key " + keys.join(' ').toStdString());
        EXPECT_EQ(QProcess::execute("xdotool", QStringList{"key", "--delay", QString::number(delay)} + keys), 0);
    }

    // The open menu's title, and the text of its highlighted item (UI thread).
    static QString OpenMenu()
    {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        return menu ? menu->title() : QString("(no menu open)");
    }
    static QString Highlighted()
    {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu)
            return "(no menu open)";
        return menu->activeAction() ? menu->activeAction()->text() : QString("(none)");
    }
};

// Alt+Q, B opens the Bar Table; with a chart in front, Alt+R, I, Return opens its Symbol &
// Interval prompt (I, which Export Image shares, highlights it), which Escape closes; Alt+Z,
// which no menu has, does nothing.
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
        Keys(s, {"alt+z", "alt+r", "i", "Return"});
        EXPECT_NE(s.WaitModal("Enter Symbol and Interval"), nullptr) << DescribeFocus().toStdString();
        EXPECT_EQ(s.ControlText(s.ActiveModal(), 1090).toStdString(), symbol.GetString());
        EXPECT_EQ(QProcess::execute("xdotool", {"key", "Escape"}), 0);
        EXPECT_TRUE(s.WaitFor("the prompt closed", [&] { return s.ActiveModal() == nullptr; }));
        s.ExitByMenu();
    });
    EXPECT_EQ(status, 0);
}

// A letter two items of an open menu share runs neither: it moves the highlight to the next
// of them, and Return runs the highlighted one. On a chart's Chart menu, T marks Strategy
// Setup and Tracking Window; typed at 10 ms a key, the same keys toggle the Tracking Window
// off again. In a Level I window's menu bar, Alt+C opens Columns, then Charts.
TEST_F(MenuKeysSessionTest, ASharedLetterMovesTheHighlightAndReturnRunsIt)
{
    const int status = RunWorkstation([&](CSession& s) {
        s.ChooseMenu("&Charts|&Chart");
        CGraphsView* chart = s.WaitView<CGraphsView>("a chart");
        ASSERT_NE(chart, nullptr);
        s.RaiseFrame(s.OnUi([&] { return chart->GetParentFrame()->GetOuterWidget(); }));
        auto tracking = [&] { return chart->GetChart()->IsTrackingShown(); };
        auto closed = [] { return QApplication::activePopupWidget() == nullptr; };
        auto settled = [&](const char* what, const QString& highlighted) {
            s.Pause(300ms);  // time for a command the key might have run
            EXPECT_TRUE(s.WaitFor(what, [&] { return Highlighted() == highlighted; }))
                << s.OnUi(Highlighted).toStdString();
            EXPECT_EQ(s.ActiveModal(), nullptr) << "a command ran";
            EXPECT_FALSE(s.OnUi(tracking)) << "a command ran";
        };
        Keys(s, {"alt+r"});
        ASSERT_TRUE(s.WaitFor("the Chart menu open", [&] { return OpenMenu() == "Cha&rt"; }));
        Press(s, {"t"});
        settled("Strategy Setup highlighted", "S&trategy Setup...");
        Press(s, {"t"});
        settled("Tracking Window highlighted", "&Tracking Window");
        Press(s, {"Return"});
        EXPECT_TRUE(s.WaitFor("the Tracking Window shown", tracking));
        EXPECT_TRUE(s.WaitFor("the menu closed", closed));
        EXPECT_EQ(s.ActiveModal(), nullptr) << "Strategy Setup ran too";

        Keys(s, {"alt+r"});
        ASSERT_TRUE(s.WaitFor("the Chart menu open", [&] { return OpenMenu() == "Cha&rt"; }));
        Press(s, {"t", "t", "Return"}, 10);
        EXPECT_TRUE(s.WaitFor("the Tracking Window hidden", [&] { return !tracking(); }));
        EXPECT_TRUE(s.WaitFor("the menu closed", closed));
        EXPECT_EQ(s.ActiveModal(), nullptr) << "Strategy Setup ran";

        s.ChooseMenu("&Quotes|&Level I");
        Level1View* level1 = s.WaitView<Level1View>("a Level I window");
        ASSERT_NE(level1, nullptr);
        s.RaiseFrame(s.OnUi([&] { return level1->GetParentFrame()->GetOuterWidget(); }));
        Keys(s, {"alt+c"});
        EXPECT_TRUE(s.WaitFor("Columns open", [&] { return OpenMenu() == "&Columns"; }))
            << s.OnUi(OpenMenu).toStdString();
        Press(s, {"alt+c"});
        EXPECT_TRUE(s.WaitFor("Charts open", [&] { return OpenMenu() == "&Charts"; }))
            << s.OnUi(OpenMenu).toStdString();
        Press(s, {"Escape", "Escape"});
        EXPECT_TRUE(s.WaitFor("the menu closed", closed));
        s.ExitByMenu();
    });
    EXPECT_EQ(status, 0);
}

}  // namespace
}  // namespace qx::sessions
