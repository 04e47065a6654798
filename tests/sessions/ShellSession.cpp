// The main frame as a trader meets it: its tool bar, menu bars, window arrangement and
// the Level I window's detach and option-chain commands.
#include "tests/sessions/SessionHarness.h"

#include "app/shell/CMainFrame.h"
#include "platform/ui/CFrameWnd.h"
#include "platform/ui/CToolBar.h"
#include "views/ui/Level1View.h"

#include "common/windows/ShellIds.h"

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

namespace qx::sessions {
namespace {

using namespace std::chrono_literals;

class ShellSessionTest : public SessionTest {
protected:
    // A Level I window from the Quotes menu with the symbols typed into its grid.
    Level1View* OpenLevel1(CSession& s, const QStringList& symbols)
    {
        s.ChooseMenu("&Quotes|&Level I");
        Level1View* view = nullptr;
        if (!s.WaitFor("a Level I window", [&] {
                const auto views = s.Views<Level1View>();
                view = views.empty() ? nullptr : views.back();
                return view != nullptr;
            }))
            return nullptr;
        QWidget* tree = s.OnUi([&] { return view->Grid().GetWidget(); });
        s.Click(tree, s.OnUi([&] { return QPoint(30, tree->height() - 20); }));
        for (const QString& symbol : symbols) {
            s.TypeText(symbol);
            if (!s.WaitModal("Enter Symbol"))
                return nullptr;
            s.TypeText("\n");
            s.WaitFor("the entry closed", [&] { return s.ActiveModal() == nullptr; });
        }
        if (!s.WaitFor("a row per symbol", [&] { return view->Grid().GetItemCount() == symbols.size(); }))
            return nullptr;
        return view;
    }
    static QWidget* FrameOf(CSession& s, CView* view)
    {
        return s.OnUi([&] { return view->GetParentFrame()->GetOuterWidget(); });
    }
};

TEST_F(ShellSessionTest, TheToolBarsContextMenuHidesTheBarAndTheProgramGoesOn)
{
    const int status = RunWorkstation([&](CSession& s) {
        CToolBar* toolBar = s.OnUi([&] { return s.App().MainFrame()->GetToolBar(); });
        QWidget* bar = s.OnUi([&] { return toolBar->GetWidget(); });
        const QPoint empty = s.OnUi([&] { return QPoint(bar->width() - 4, bar->height() / 2); });
        s.RightClick(bar, empty);
        s.ChoosePopup("Tool Bar");
        EXPECT_TRUE(s.WaitFor("the tool bar hidden", [&] { return !bar->isVisible(); }));
        s.Pause(1500ms);  // idle updates of the tool bar's buttons run
        // The menu bar's context menu brings it back, buttons and boxes working.
        QWidget* menuBar = s.OnUi([&] { return s.App().MainFrame()->GetOuterWidget()->findChild<QMenuBar*>(); });
        s.RightClick(menuBar, s.OnUi([&] { return QPoint(menuBar->width() - 4, menuBar->height() / 2); }));
        s.ChoosePopup("Tool Bar");
        EXPECT_TRUE(s.WaitFor("the tool bar shown", [&] { return bar->isVisible(); }));
        EXPECT_EQ(s.OnUi([&] { return toolBar->GetButtonCount(); }), 8);
        s.ChooseMenu("&Quotes|&Level I");
        EXPECT_TRUE(s.WaitFor("the Go button enabled",
                              [&] { return toolBar->IsButtonEnabled(ID_SYMBOL_GO); }));
        s.ExitByMenu();
    });
    EXPECT_EQ(status, 0);
}

// Detaching and attaching a Level I window keeps its rows; its Option Chains command
// shows the chain once (the window's own rows never come back to it as broadcasts).
TEST_F(ShellSessionTest, ALevel1WindowDetachesAttachesAndShowsAnOptionChain)
{
    const int status = RunWorkstation([&](CSession& s) {
        Level1View* view = OpenLevel1(s, {"MSFT", "IBM", "AAPL"});
        ASSERT_NE(view, nullptr);
        CListCtrl* grid = &view->Grid();
        s.ClickRow(grid, "IBM", "Symbol");
        s.PressButton(FrameOf(s, view), "Detach");
        ASSERT_TRUE(s.WaitFor("a floating Level I window", [&] {
            const auto views = s.Views<Level1View>();
            return views.size() == 1 && FrameOf(s, views.front())->isWindow();
        }));
        view = s.Views<Level1View>().front();
        grid = &view->Grid();
        s.Pause(300ms);
        EXPECT_EQ(s.RowCount(grid), 3);
        s.ClickRow(grid, "AAPL", "Symbol");
        s.Pause(300ms);
        EXPECT_EQ(s.RowCount(grid), 3);
        s.PressButton(FrameOf(s, view), "Attach");
        ASSERT_TRUE(s.WaitFor("an MDI Level I window", [&] {
            const auto views = s.Views<Level1View>();
            return views.size() == 1 && !FrameOf(s, views.front())->isWindow();
        }));
        view = s.Views<Level1View>().front();
        grid = &view->Grid();
        s.Pause(300ms);
        EXPECT_EQ(s.RowCount(grid), 3);
        for (const char* symbol : {"MSFT", "IBM", "AAPL"})
            EXPECT_GE(s.RowOf(grid, symbol, "Symbol"), 0) << symbol;

        s.RaiseFrame(FrameOf(s, view));
        s.ChooseMenu("Level &I|&Option Chains...");
        QWidget* chains = s.WaitModal("Option Chains");
        ASSERT_NE(chains, nullptr);
        s.FillControl(chains, 1103, "MSFT");
        s.PressButton(chains, "OK");
        ASSERT_TRUE(s.WaitFor("the chain's rows", [&] { return s.RowCount(grid) > 3 && s.RowOf(grid, "MSFT", "Symbol") < 0; }))
            << s.RowCount(grid);
        const int rows = s.RowCount(grid);
        for (int r = 0; r < std::min(rows, 3); ++r)
            EXPECT_TRUE(s.CellText(grid, r, "Symbol").contains("MSFT")) << s.CellText(grid, r, "Symbol").toStdString();
        // Clicking chain rows never adds rows.
        const QString first = s.CellText(grid, 0, "Symbol");
        s.ClickRow(grid, first, "Symbol");
        s.Pause(1s);
        EXPECT_EQ(s.RowCount(grid), rows);
        s.ExitByMenu();
    });
    EXPECT_EQ(status, 0);
}

// The keys of a menu bar's menus (the letters after '&', lower case).
QString Mnemonics(const QStringList& titles)
{
    QString keys;
    for (const QString& title : titles) {
        const int at = title.indexOf(QChar('&'));
        if (at >= 0 && at + 1 < title.size())
            keys += title[at + 1].toLower();
    }
    return keys;
}

// Every window kind from its menu item: each menu bar gives every menu its own key, the
// report windows' Fonts commands work, Window -> Cascade leaves every window usable.
TEST_F(ShellSessionTest, EveryMenuBarHasOwnKeysReportFontsWorkAndCascadeKeepsWindowsUsable)
{
    const int status = RunWorkstation([&](CSession& s) {
        const QStringList items = {"&Quotes|&Level I",      "&Quotes|Level &II",     "&Quotes|&Time && Sales",
                                   "&Quotes|&Bar Table",    "&Quotes|&News",         "&Quotes|B&rowser",
                                   "&Charts|&Chart",        "&Charts|&BackTesting",  "&Trading|&Trade Ticket",
                                   "&Trading|&Balances",    "&Trading|&Order Status", "&Trading|&Saved Orders",
                                   "&Alerts|Alert &Manager"};
        const QStringList main = s.MenuBarTitles();
        EXPECT_EQ(Mnemonics(main).size(), main.size()) << main.join(' ').toStdString();
        size_t opened = 0;
        for (const QString& item : items) {
            s.ChooseMenu(item);
            ++opened;
            EXPECT_TRUE(s.WaitFor("the window of " + item.toStdString(),
                                  [&] { return s.App().GetWindowViews().size() == opened; }));
            const QStringList titles = s.MenuBarTitles();
            const QString keys = Mnemonics(titles);
            for (const QChar key : keys)
                EXPECT_EQ(keys.count(key), 1) << "'" << QString(key).toStdString() << "' in the menu bar of "
                                              << item.toStdString() << ": " << titles.join(' ').toStdString();
            EXPECT_EQ(keys.size(), titles.size()) << "a menu without a key: " << titles.join(' ').toStdString();
            if (item.endsWith("&Order Status")) {
                EXPECT_TRUE(s.MenuItemEnabled("&Order Status|F&onts..."));
            }
            if (item.endsWith("&Saved Orders")) {
                EXPECT_TRUE(s.MenuItemEnabled("&Saved Orders|&Fonts..."));
            }
        }
        // Alt+F opens File, whatever window is active.
        s.Key(Qt::Key_F, Qt::AltModifier);
        EXPECT_TRUE(s.WaitFor("the File menu", [&] {
            auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            return popup && PlainMenuText(popup->title()) == "File";
        }));
        s.Key(Qt::Key_Escape);
        s.Key(Qt::Key_Escape);

        s.ChooseMenu("&Window|&Cascade");
        s.Settle();
        s.OnUi([&] {
            QMdiArea* area = s.App().MainFrame()->GetMdiArea();
            const QRect space = area->viewport()->rect();
            for (QMdiSubWindow* sub : area->subWindowList()) {
                if (!sub->isVisible())
                    continue;
                EXPECT_GE(sub->height(), space.height() * 2 / 3 - 1) << sub->windowTitle().toStdString();
                EXPECT_GE(sub->width(), space.width() * 2 / 3 - 1) << sub->windowTitle().toStdString();
                EXPECT_TRUE(space.contains(sub->geometry())) << sub->windowTitle().toStdString();
            }
        });
        s.ExitByMenu();
    });
    EXPECT_EQ(status, 0);
}

}  // namespace
}  // namespace qx::sessions
