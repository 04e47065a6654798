// Moving between MDI windows as a trader does with a maximised chart: the numbered list
// of open windows at the end of the Window menu, Ctrl+F6 / Ctrl+Tab with and without
// Shift, and closing the maximised window.
#include "tests/sessions/SessionHarness.h"

#include "app/shell/CMainFrame.h"
#include "chart/ui/CGraphsView.h"
#include "platform/ui/CFrameWnd.h"
#include "views/ui/CTimeSalesView.h"
#include "views/ui/Level1View.h"

#include <QAction>
#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QStyle>

namespace qx::sessions {
namespace {

using namespace std::chrono_literals;

class WindowSwitchSessionTest : public SessionTest {
protected:
    // Opens a window from the menu and returns its MDI frame.
    template <class View>
    QMdiSubWindow* Open(CSession& s, const QString& item)
    {
        s.ChooseMenu(item);
        View* view = nullptr;
        if (!s.WaitFor("the window of " + item.toStdString(), [&] {
                const auto views = s.Views<View>();
                view = views.empty() ? nullptr : views.back();
                return view != nullptr;
            }))
            return nullptr;
        return s.OnUi([&] { return qobject_cast<QMdiSubWindow*>(view->GetParentFrame()->GetOuterWidget()); });
    }

    static QMdiSubWindow* Active(CSession& s)
    {
        return s.OnUi([&] { return s.App().MainFrame()->GetMdiArea()->activeSubWindow(); });
    }

    static QString Title(CSession& s, QMdiSubWindow* sub)
    {
        return s.OnUi([&] { return sub->windowTitle(); });
    }

    // A list item's text: the number as its key, an '&' of the title shown as itself.
    static QString ListItem(int number, QString title)
    {
        return QString("&%1 ").arg(number) + title.replace("&", "&&");
    }

    // The maximise box of an MDI window's title bar, clicked.
    static void ClickMaximize(CSession& s, QMdiSubWindow* sub)
    {
        const QPoint at = s.OnUi([&] { return TitleBarButton(sub, QStyle::SC_TitleBarMaxButton).center(); });
        s.Click(sub, at);
    }

    struct Item {
        QString text;
        bool checked;
    };
    // The items of the Window menu, opened by its key (Alt+W), read and closed again.
    static std::vector<Item> WindowMenuItems(CSession& s)
    {
        s.Key(Qt::Key_W, Qt::AltModifier);
        std::vector<Item> items;
        s.WaitFor("the Window menu", [&] {
            auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!popup || PlainMenuText(popup->title()) != "Window")
                return false;
            items.clear();
            for (QAction* a : popup->actions())
                items.push_back({a->isSeparator() ? QStringLiteral("-") : a->text(), a->isChecked()});
            return true;
        });
        s.Key(Qt::Key_Escape);
        s.Key(Qt::Key_Escape);
        s.WaitFor("the menu closed", [&] { return QApplication::activePopupWidget() == nullptr; });
        return items;
    }
};

TEST_F(WindowSwitchSessionTest, TheWindowMenuListsTheWindowsAndCtrlF6MovesBetweenThemMaximised)
{
    const int status = RunWorkstation([&](CSession& s) {
        QMdiSubWindow* level1 = Open<Level1View>(s, "&Quotes|&Level I");
        QMdiSubWindow* chart = Open<CGraphsView>(s, "&Charts|&Chart");
        QMdiSubWindow* sales = Open<CTimeSalesView>(s, "&Quotes|&Time && Sales");
        ASSERT_TRUE(level1 && chart && sales);
        const QString titles[] = {Title(s, level1), Title(s, chart), Title(s, sales)};

        // Opened in this order; the last one opened is active.
        std::vector<Item> items = WindowMenuItems(s);
        ASSERT_GE(items.size(), 4u);
        const std::vector<Item> list(items.end() - 4, items.end());
        EXPECT_EQ(list[0].text, "-");
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(list[i + 1].text, ListItem(i + 1, titles[i])) << i;
            EXPECT_EQ(list[i + 1].checked, i == 2) << i;
        }

        // The chart to the front and maximised: the others lie behind it.
        s.RaiseFrame(chart);
        ASSERT_TRUE(s.WaitFor("the chart active", [&] { return Active(s) == chart; }));
        ClickMaximize(s, chart);
        ASSERT_TRUE(s.WaitFor("the chart maximised", [&] { return s.OnUi([&] { return chart->isMaximized(); }); }));

        // Stacked (back to front) Level I, Time & Sales, chart. Ctrl+F6 brings forward the
        // window behind the active one and sends the active one to the back; Ctrl+Shift+F6
        // brings forward the one at the back.
        struct Move {
            int key;
            Qt::KeyboardModifiers modifiers;
            QMdiSubWindow* then;
        };
        const Move moves[] = {
            {Qt::Key_F6, Qt::ControlModifier, sales},                       // chart, level1, sales
            {Qt::Key_F6, Qt::ControlModifier, level1},                      // sales, chart, level1
            {Qt::Key_F6, Qt::ControlModifier, chart},                       // level1, sales, chart
            {Qt::Key_F6, Qt::ControlModifier | Qt::ShiftModifier, level1},  // sales, chart, level1
            {Qt::Key_F6, Qt::ControlModifier | Qt::ShiftModifier, sales},   // chart, level1, sales
            {Qt::Key_Tab, Qt::ControlModifier, level1},                     // sales, chart, level1
            {Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier, sales},
        };
        int step = 0;
        for (const Move& m : moves) {
            ++step;
            s.Key(m.key, m.modifiers);
            EXPECT_TRUE(s.WaitFor("key " + std::to_string(step) + " to " + Title(s, m.then).toStdString(),
                                  [&] { return Active(s) == m.then; }));
            EXPECT_TRUE(s.OnUi([&] { return m.then->isMaximized(); })) << "key " << step;
        }

        // The chart from the list: active, still maximised, and the one checked.
        s.ChooseMenu("&Window|" + ListItem(2, titles[1]));
        EXPECT_TRUE(s.WaitFor("the chart active from the list", [&] { return Active(s) == chart; }));
        EXPECT_TRUE(s.OnUi([&] { return chart->isMaximized(); }));
        items = WindowMenuItems(s);
        ASSERT_GE(items.size(), 3u);
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(items[items.size() - 3 + i].checked, i == 1) << i;

        // A closed window leaves the list, which is numbered afresh.
        s.ChooseMenu("&Window|" + ListItem(1, titles[0]));
        ASSERT_TRUE(s.WaitFor("the Level I window active", [&] { return Active(s) == level1; }));
        s.CloseFrame(level1);
        ASSERT_TRUE(s.WaitFor("the Level I window closed", [&] { return s.Views<Level1View>().empty(); }));
        // The window behind the maximised one closed comes forward maximised too.
        QMdiSubWindow* next = nullptr;
        ASSERT_TRUE(s.WaitFor("a window active again", [&] { return (next = Active(s)) != nullptr; }));
        EXPECT_TRUE(next == chart || next == sales);
        EXPECT_TRUE(s.WaitFor("the window in front maximised", [&] { return s.OnUi([&] { return next->isMaximized(); }); }));
        items = WindowMenuItems(s);
        ASSERT_GE(items.size(), 3u);
        EXPECT_EQ(items[items.size() - 3].text, "-");
        EXPECT_EQ(items[items.size() - 2].text, ListItem(1, titles[1]));
        EXPECT_EQ(items[items.size() - 1].text, ListItem(2, titles[2]));
        s.ExitByMenu();
    });
    EXPECT_EQ(status, 0);
}

}  // namespace
}  // namespace qx::sessions
