// The main frame as a trader meets it: its tool bar, menu bars, window arrangement and
// the Level I window's detach and option-chain commands.
#include "tests/sessions/SessionHarness.h"

#include "app/shell/CMainFrame.h"
#include "platform/ui/CFrameWnd.h"
#include "platform/ui/CToolBar.h"
#include "chart/ui/CGraphsDoc.h"
#include "chart/ui/CGraphsView.h"
#include "common/services/TextHelpers.h"
#include "platform/ui/CStatusBar.h"
#include "trading/ui/COrderStatusView.h"
#include "views/ui/CBarView.h"
#include "views/ui/CTimeSalesView.h"
#include "views/ui/Level1View.h"

#include "common/windows/ShellIds.h"

#include <QApplication>
#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>
#include <QTabBar>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

#include <algorithm>

namespace qx::sessions {
namespace {

using namespace std::chrono_literals;

class ShellSessionTest : public SessionTest {
protected:
    // A Level I window from the Quotes menu with the symbols typed into its grid.
    Level1View* OpenLevel1(CSession& s, const QStringList& symbols)
    {
        const std::vector<Level1View*> before = s.OnUi([&] { return s.Views<Level1View>(); });
        s.ChooseMenu("&Quotes|&Level I");
        Level1View* view = nullptr;
        if (!s.WaitFor("a new Level I window", [&] {
                for (Level1View* open : s.Views<Level1View>())
                    if (std::find(before.begin(), before.end(), open) == before.end())
                        view = open;
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
    // A chart from the Charts menu; its first view.
    static CGraphsView* OpenChart(CSession& s)
    {
        s.ChooseMenu("&Charts|&Chart");
        CGraphsView* chart = nullptr;
        s.WaitFor("a chart", [&] {
            const auto views = s.Views<CGraphsView>();
            chart = views.empty() ? nullptr : views.front();
            return chart != nullptr;
        });
        return chart;
    }
    static QWidget* FrameOf(CSession& s, CView* view)
    {
        return s.OnUi([&] { return view->GetParentFrame()->GetOuterWidget(); });
    }
};

// Two Level I windows linked to all, the first holding KO and the second MSFT and KO, and
// a chart linked like them, whose interval tells when a broadcast is through. Each session
// puts a symbol into the tool bar's Symbol box one way, then changes the interval from the
// Interval box: neither Level I gains a row, and a new symbol afterwards lands in the next
// row of both.
class IntervalChangeSessionTest : public ShellSessionTest {
protected:
    struct Windows {
        Level1View* first = nullptr;
        Level1View* second = nullptr;
        CGraphsView* chart = nullptr;
    };

    Windows OpenWindows(CSession& s)
    {
        Windows w;
        w.first = OpenLevel1(s, {"KO"});
        if (w.first)
            w.second = OpenLevel1(s, {"MSFT", "KO"});
        if (w.second)
            w.chart = OpenAnotherChart(s);
        if (w.chart)
            w.chart = Prompted(s, w.chart, "IBM") ? w.chart : nullptr;
        return w;
    }
    // A chart from the Charts menu beside the charts open already.
    static CGraphsView* OpenAnotherChart(CSession& s)
    {
        const std::vector<CGraphsView*> before = s.OnUi([&] { return s.Views<CGraphsView>(); });
        s.ChooseMenu("&Charts|&Chart");
        CGraphsView* chart = nullptr;
        s.WaitFor("another chart", [&] {
            for (CGraphsView* view : s.Views<CGraphsView>())
                if (std::find(before.begin(), before.end(), view) == before.end())
                    chart = view;
            return chart != nullptr;
        });
        return chart;
    }
    // The symbol typed into the chart: its symbol prompt, then Return.
    static bool Prompted(CSession& s, CGraphsView* chart, const QString& symbol)
    {
        s.RaiseFrame(FrameOf(s, chart));
        s.Click(s.OnUi([&] { return chart->GetWidget(); }));
        s.TypeText(symbol);
        if (!s.WaitModal("Enter Symbol and Interval"))
            return false;
        s.TypeText("\n");
        return s.WaitFor("the chart of " + symbol.toStdString(),
                         [&] { return chart->GetGraphsDoc()->GetSymbol() == symbol.toUtf8().constData(); });
    }
    static QStringList Symbols(CSession& s, Level1View* view)
    {
        QStringList symbols;
        const int rows = s.RowCount(&view->Grid());
        for (int r = 0; r < rows; ++r)
            symbols << s.CellText(&view->Grid(), r, "Symbol");
        return symbols;
    }
    static bool BoxShows(CSession& s, const QString& symbol)
    {
        return s.WaitFor("the symbol box showing " + symbol.toStdString(), [&] {
            return s.App().MainFrame()->GetSymbolBox() == symbol.toUtf8().constData();
        });
    }
    static QWidget* IntervalBox(CSession& s)
    {
        return s.OnUi([&] { return s.App().MainFrame()->GetIntervalCombo().GetWidget(); });
    }
    static QWidget* SymbolBox(CSession& s)
    {
        return s.OnUi([&] { return s.App().MainFrame()->GetSymbolCombo().GetWidget(); });
    }
    // A click into the tool bar's box, what it holds selected, and the text typed over it.
    static void Retype(CSession& s, QWidget* box, const QString& text)
    {
        s.Click(box);
        s.Key(Qt::Key_A, Qt::ControlModifier);
        s.TypeText(text);
    }
    void ExpectRows(CSession& s, const Windows& w, const QStringList& first, const QStringList& second,
                    const std::string& after)
    {
        EXPECT_EQ(Symbols(s, w.first).join(' ').toStdString(), first.join(' ').toStdString()) << after;
        EXPECT_EQ(Symbols(s, w.second).join(' ').toStdString(), second.join(' ').toStdString()) << after;
    }
    // The rows after the symbol went in (the step named by after); then Tick and Weekly chosen
    // from the Interval box's list, Weekly once more, D typed into it: each reaches the chart
    // and adds no Level I row.
    void ChangeIntervals(CSession& s, const Windows& w, const QStringList& first, const QStringList& second,
                         const std::string& after)
    {
        ExpectRows(s, w, first, second, after);
        QWidget* intervals = IntervalBox(s);
        ASSERT_NE(intervals, nullptr);
        for (const auto& [text, code] : {std::pair{"Tick", "0"}, std::pair{"Weekly", "W"}}) {
            s.ChooseComboItem(intervals, text);
            ASSERT_TRUE(s.WaitFor(std::string("the chart in ") + text,
                                  [&] { return w.chart->GetGraphsDoc()->GetInterval() == code; }));
            ExpectRows(s, w, first, second, text);
        }
        s.ChooseComboItem(intervals, "Weekly");
        Retype(s, intervals, "D\n");
        ASSERT_TRUE(s.WaitFor("the chart in D", [&] { return w.chart->GetGraphsDoc()->GetInterval() == "D"; }));
        ExpectRows(s, w, first, second, "Weekly again, then D typed");
    }
    template <class ListView>
    void TypedIntoAList(CSession& s, const QString& menu, const QString& prompt)
    {
        const Windows w = OpenWindows(s);
        ASSERT_NE(w.chart, nullptr);
        s.ChooseMenu(menu);
        ListView* list = s.WaitView<ListView>("the list window");
        ASSERT_NE(list, nullptr);
        s.Click(s.OnUi([&] { return list->List().GetWidget(); }));
        s.TypeText("KO");
        ASSERT_NE(s.WaitModal(prompt), nullptr);
        s.TypeText("\n");
        ASSERT_TRUE(s.WaitFor("the list of KO", [&] { return list->GetSymbolText() == "KO"; }));
        ASSERT_TRUE(BoxShows(s, "KO"));
        const QStringList first{"KO"};
        const QStringList second{"MSFT", "KO"};
        ChangeIntervals(s, w, first, second, "KO typed into the list");
        EXPECT_EQ(s.OnUi([&] { return list->GetSymbolText(); }), "KO");
        SendNewSymbol(s, w, first, second);
        s.ExitByMenu();
    }
    // A symbol new to both typed into the tool bar: the next row of each.
    void SendNewSymbol(CSession& s, const Windows& w, QStringList first, QStringList second)
    {
        Retype(s, SymbolBox(s), "INTC\n");
        first << "INTC";
        second << "INTC";
        EXPECT_TRUE(s.WaitFor("INTC added to both", [&] {
            return s.RowCount(&w.first->Grid()) == first.size() && s.RowCount(&w.second->Grid()) == second.size();
        }));
        ExpectRows(s, w, first, second, "INTC sent");
    }
    // The rows after the symbol went in stay through the interval changes; a new symbol
    // then adds its row to both.
    void IntervalsThenANewSymbol(CSession& s, const Windows& w, const QStringList& first, const QStringList& second,
                                 const std::string& after)
    {
        ChangeIntervals(s, w, first, second, after);
        SendNewSymbol(s, w, first, second);
    }
};

QString StatusText(CSession& s)
{
    return s.OnUi([&] { return QString::fromUtf8(s.App().MainFrame()->GetStatusBar()->GetPaneText(0).GetString()); });
}

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
        // The refresh's text goes once the refresh has brought the account data.
        s.ChooseMenu("&Trading|&Refresh account data");
        EXPECT_TRUE(s.WaitFor("the refresh done", [&] { return StatusText(s) == "Ready"; }))
            << StatusText(s).toStdString();
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

// A window's own menus reach the main frame's commands: Fonts from the order status
// window's row menu, and a floating window's Quotes menu opening a Level I window.
TEST_F(ShellSessionTest, AWindowsOwnMenusReachTheMainFramesCommands)
{
    const int status = RunWorkstation([&](CSession& s) {
        s.ChooseMenu("&Trading|&Order Status");
        COrderStatusView* orders = nullptr;
        ASSERT_TRUE(s.WaitFor("the order status window", [&] {
            const auto views = s.Views<COrderStatusView>();
            orders = views.empty() ? nullptr : views.front();
            return orders != nullptr;
        }));
        QWidget* list = s.OnUi([&] { return orders->GetList().GetWidget(); });
        s.RightClick(list, s.OnUi([&] { return QPoint(list->width() / 2, list->height() - 30); }));
        s.ChoosePopup("F&onts...");
        QWidget* fonts = s.WaitModal("Select Font");
        ASSERT_NE(fonts, nullptr);
        s.PressButton(fonts, "Cancel");
        EXPECT_TRUE(s.WaitFor("the font dialog closed", [&] { return s.ActiveModal() == nullptr; }));

        s.ChooseMenu("F&loating|&Order Status");
        QWidget* floating = nullptr;
        ASSERT_TRUE(s.WaitFor("a floating order status window", [&] {
            for (COrderStatusView* view : s.Views<COrderStatusView>())
                if (QWidget* w = view->GetParentFrame()->GetOuterWidget(); w->isWindow())
                    floating = w;
            return floating != nullptr;
        }));
        s.ChooseMenu("&Quotes|&Level I", floating);
        EXPECT_TRUE(s.WaitFor("a Level I window", [&] { return !s.Views<Level1View>().empty(); }));
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

// Every window kind from its menu item: each menu bar gives every menu a key of its own but
// for the windows' Columns, which shares Charts' C; the report windows' Fonts commands work,
// Window -> Cascade leaves every window usable.
TEST_F(ShellSessionTest, EveryMenuBarHasOwnKeysReportFontsWorkAndCascadeKeepsWindowsUsable)
{
    const int status = RunWorkstation([&](CSession& s) {
        const QStringList& items = WindowKindMenuItems(false);
        const QStringList main = s.MenuBarTitles();
        EXPECT_EQ(Mnemonics(main).size(), main.size()) << main.join(' ').toStdString();
        size_t opened = 0;
        for (const QString& item : items) {
            s.ChooseMenu(item);
            ++opened;
            EXPECT_TRUE(s.WaitFor("the window of " + item.toStdString(),
                                  [&] { return s.App().GetWindowViews().size() == opened; }));
            QStringList titles = s.MenuBarTitles();
            titles.removeAll("&Columns");
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

// The tool bar's Symbol and Interval boxes and where new windows open: a bad interval is
// told whatever the path and never reaches a window; an unknown symbol is told; the main
// frame, new floating windows and the ticket's option chain open on the desktop.
TEST_F(ShellSessionTest, TheBoxesApplyOrExplainAndNewWindowsOpenOnTheDesktop)
{
    const int status = RunWorkstation([&](CSession& s) {
        const QRect desktop = s.OnUi([] { return QGuiApplication::primaryScreen()->availableGeometry(); });
        QWidget* mainWindow = s.OnUi([&] { return s.App().MainFrame()->GetOuterWidget(); });
        EXPECT_TRUE(desktop.contains(s.OnUi([&] { return mainWindow->frameGeometry(); })));
        QWidget* symbolBox = s.OnUi([&] { return s.App().MainFrame()->GetSymbolCombo().GetWidget(); });
        QWidget* intervalBox = s.OnUi([&]() -> QWidget* {
            auto* combo = qobject_cast<QComboBox*>(s.App().MainFrame()->GetIntervalCombo().GetWidget());
            return combo ? combo->lineEdit() : nullptr;
        });
        ASSERT_NE(intervalBox, nullptr);

        // "banana" and Return, no window open.
        s.Click(intervalBox);
        s.Key(Qt::Key_A, Qt::ControlModifier);
        s.TypeText("banana\n");
        EXPECT_TRUE(s.WaitFor("the message about banana", [&] { return StatusText(s).contains("banana"); }))
            << StatusText(s).toStdString();

        // A chart opened with "Daily65ds" in the box keeps an interval of its own.
        s.Click(symbolBox);
        s.Key(Qt::Key_A, Qt::ControlModifier);
        s.TypeText("MSFT");
        s.Click(intervalBox);
        s.Key(Qt::Key_A, Qt::ControlModifier);
        s.TypeText("Daily65ds");
        CGraphsView* chart = OpenChart(s);
        ASSERT_NE(chart, nullptr);
        EXPECT_TRUE(s.WaitFor("the chart of MSFT", [&] { return chart->GetGraphsDoc()->GetSymbol() == "MSFT"; }));
        EXPECT_TRUE(s.OnUi([&] { return IsPeriodText(chart->GetGraphsDoc()->GetInterval()); }))
            << s.OnUi([&] { return std::string(chart->GetGraphsDoc()->GetInterval().GetString()); });
        EXPECT_FALSE(s.OnUi([&] { return std::string(chart->GetGraphsDoc()->GetTitle().GetString()); })
                         .find("65ds") != std::string::npos);
        // Go with it: told, the chart unchanged.
        const CString before = s.OnUi([&] { return chart->GetGraphsDoc()->GetInterval(); });
        s.Click(intervalBox);
        s.Key(Qt::Key_A, Qt::ControlModifier);
        s.TypeText("Daily65ds");
        s.PressButton(s.OnUi([&] { return s.App().MainFrame()->GetToolBar()->GetWidget(); }), "Go");
        EXPECT_TRUE(s.WaitFor("the message about Daily65ds", [&] { return StatusText(s).contains("Daily65ds"); }))
            << StatusText(s).toStdString();
        EXPECT_EQ(s.OnUi([&] { return chart->GetGraphsDoc()->GetInterval(); }), before);

        // An unknown symbol typed into the box: the status bar says so.
        s.Click(intervalBox);
        s.Key(Qt::Key_A, Qt::ControlModifier);
        s.TypeText("Daily");
        s.Click(symbolBox);
        s.Key(Qt::Key_A, Qt::ControlModifier);
        s.TypeText("ZQXW\n");
        EXPECT_TRUE(s.WaitFor("the chart of ZQXW", [&] { return chart->GetGraphsDoc()->GetSymbol() == "ZQXW"; }));
        EXPECT_TRUE(s.WaitFor("the message about ZQXW", [&] { return StatusText(s).contains("ZQXW"); }))
            << StatusText(s).toStdString();

        // A floating window: on the desktop, at a usable size.
        s.ChooseMenu("F&loating|&Chart");
        QWidget* floating = nullptr;
        ASSERT_TRUE(s.WaitFor("a floating chart", [&] {
            for (CGraphsView* v : s.Views<CGraphsView>())
                if (QWidget* w = v->GetParentFrame()->GetOuterWidget(); w->isWindow())
                    floating = w;
            return floating != nullptr;
        }));
        const QRect placed = s.OnUi([&] { return floating->frameGeometry(); });
        EXPECT_TRUE(desktop.contains(placed));
        EXPECT_GE(placed.width(), std::min(640, desktop.width()));
        EXPECT_GE(placed.height(), std::min(400, desktop.height()));
        s.CloseFrame(floating);

        // The ticket's Chain button asks for the chain of the symbol and shows it.
        s.ChooseMenu("&Trading|&Trade Ticket");
        QWidget* ticket = nullptr;
        ASSERT_TRUE(s.WaitFor("a ticket", [&] {
            for (CView* v : s.App().GetWindowViews())
                if (v->GetDocument() && v->GetDocument()->GetTitle().Find("Ticket") >= 0)
                    ticket = v->GetParentFrame()->GetOuterWidget();
            return ticket != nullptr;
        }));
        s.Click(symbolBox);
        s.Key(Qt::Key_A, Qt::ControlModifier);
        s.TypeText("MSFT");
        s.RaiseFrame(ticket);
        QTabBar* tabs = s.OnUi([&] { return ticket->findChild<QTabBar*>(); });
        ASSERT_NE(tabs, nullptr);
        s.Click(tabs, s.OnUi([&] {
            for (int i = 0; i < tabs->count(); ++i)
                if (tabs->tabText(i) == "Option")
                    return tabs->tabRect(i).center();
            return QPoint(-1, -1);
        }));
        s.PressButton(ticket, "Chain");
        QWidget* chains = s.WaitModal("Option Chains");
        ASSERT_NE(chains, nullptr);
        EXPECT_EQ(s.ControlText(chains, 1103).toStdString(), "MSFT");
        s.PressButton(chains, "OK");
        Level1View* list = nullptr;
        EXPECT_TRUE(s.WaitFor("the chain's rows", [&] {
            const auto views = s.Views<Level1View>();
            list = views.empty() ? nullptr : views.front();
            return list && list->Grid().GetItemCount() > 0;
        }));
        if (list) {
            QWidget* frame = s.OnUi([&] { return list->GetParentFrame()->GetOuterWidget(); });
            if (s.OnUi([&] { return frame->isWindow(); })) {
                EXPECT_TRUE(desktop.contains(s.OnUi([&] { return frame->frameGeometry(); })));
            }
        }
        s.ExitByMenu();
    });
    EXPECT_EQ(status, 0);
}

// The Interval box sends only what the trader chose: its text matching a listed interval
// as the focus leaves it (opening its list) reaches no window; a Level I window linked to
// all keeps its rows.
TEST_F(ShellSessionTest, OpeningTheIntervalListSendsNothingToLinkedWindows)
{
    const int status = RunWorkstation([&](CSession& s) {
        Level1View* view = OpenLevel1(s, {"MSFT", "IBM"});
        ASSERT_NE(view, nullptr);
        s.ClickRow(&view->Grid(), "IBM", "Symbol");
        CGraphsView* chart = OpenChart(s);
        ASSERT_NE(chart, nullptr);
        s.Click(s.OnUi([&] { return chart->GetWidget(); }));
        s.TypeText("MSFT");
        ASSERT_NE(s.WaitModal("Enter Symbol and Interval"), nullptr);
        s.TypeText("\n");
        ASSERT_TRUE(s.WaitFor("the chart of MSFT", [&] { return chart->GetGraphsDoc()->GetSymbol() == "MSFT"; }));
        QWidget* intervals = s.OnUi([&] { return s.App().MainFrame()->GetIntervalCombo().GetWidget(); });
        ASSERT_NE(intervals, nullptr);
        s.Click(intervals, s.OnUi([&] { return QPoint(intervals->width() - 6, intervals->height() / 2); }));
        s.Pause(300ms);
        s.Key(Qt::Key_Escape);
        s.Pause(300ms);
        EXPECT_EQ(s.RowCount(&view->Grid()), 2);
        s.ExitByMenu();
    });
    EXPECT_EQ(status, 0);
}

// A symbol sent from the tool bar adds its row to a linked Level I once; intervals chosen
// afterwards reach the window too, and add no row; the next symbol adds its own.
TEST_F(ShellSessionTest, IntervalsChosenInTheToolBarAddNoRowToALinkedLevel1)
{
    const int status = RunWorkstation([&](CSession& s) {
        Level1View* view = OpenLevel1(s, {"MSFT"});
        ASSERT_NE(view, nullptr);
        CGraphsView* chart = OpenChart(s);
        ASSERT_NE(chart, nullptr);
        QWidget* symbolBox = s.OnUi([&] { return s.App().MainFrame()->GetSymbolCombo().GetWidget(); });
        s.Click(symbolBox);
        s.Key(Qt::Key_A, Qt::ControlModifier);
        s.TypeText("INTC\n");
        ASSERT_TRUE(s.WaitFor("the chart of INTC", [&] { return chart->GetGraphsDoc()->GetSymbol() == "INTC"; }));
        ASSERT_TRUE(s.WaitFor("INTC added", [&] { return s.RowCount(&view->Grid()) == 2; }));
        QWidget* intervals = s.OnUi([&] { return s.App().MainFrame()->GetIntervalCombo().GetWidget(); });
        ASSERT_NE(intervals, nullptr);
        const std::pair<const char*, const char*> choices[] = {{"5 minutes", "5"}, {"Weekly", "W"}, {"Daily", "D"}};
        for (const auto& [text, code] : choices) {
            s.ChooseComboItem(intervals, text);
            // The chart, linked like the Level I, took the interval: the broadcast is done.
            EXPECT_TRUE(s.WaitFor(std::string("the chart in ") + text,
                                  [&] { return chart->GetGraphsDoc()->GetInterval() == code; }));
            EXPECT_EQ(s.ListRows(&view->Grid()).size(), 2u) << text;
        }
        EXPECT_EQ(s.RowOf(&view->Grid(), "MSFT", "Symbol"), 0);
        EXPECT_EQ(s.RowOf(&view->Grid(), "INTC", "Symbol"), 1);
        // Another symbol sent with the interval as it is: its row.
        s.Click(symbolBox);
        s.Key(Qt::Key_A, Qt::ControlModifier);
        s.TypeText("IBM\n");
        EXPECT_TRUE(s.WaitFor("IBM added", [&] { return s.RowCount(&view->Grid()) == 3; }));
        EXPECT_EQ(s.RowOf(&view->Grid(), "IBM", "Symbol"), 2);
        s.ExitByMenu();
    });
    EXPECT_EQ(status, 0);
}

// The symbol typed into the tool bar goes to both windows (a KO row more in each); the
// intervals after it add none, nor does an interval typed in and sent with Return in the
// Symbol box.
TEST_F(IntervalChangeSessionTest, TypedIntoTheToolBar)
{
    const int status = RunWorkstation([&](CSession& s) {
        const Windows w = OpenWindows(s);
        ASSERT_NE(w.chart, nullptr);
        QWidget* symbolBox = SymbolBox(s);
        Retype(s, symbolBox, "KO\n");
        ASSERT_TRUE(s.WaitFor("the chart of KO", [&] { return w.chart->GetGraphsDoc()->GetSymbol() == "KO"; }));
        const QStringList first{"KO", "KO"};
        const QStringList second{"MSFT", "KO", "KO"};
        ChangeIntervals(s, w, first, second, "KO sent");
        Retype(s, IntervalBox(s), "5");
        s.Click(symbolBox);
        s.Key(Qt::Key_Return);
        ASSERT_TRUE(s.WaitFor("the chart in 5 minutes", [&] { return w.chart->GetGraphsDoc()->GetInterval() == "5"; }));
        ExpectRows(s, w, first, second, "5 typed, Return in the symbol box");
        SendNewSymbol(s, w, first, second);
        s.ExitByMenu();
    });
    EXPECT_EQ(status, 0);
}

// The symbol typed into a chart puts it into the box and sends it nowhere.
TEST_F(IntervalChangeSessionTest, TypedIntoAChart)
{
    const int status = RunWorkstation([&](CSession& s) {
        const Windows w = OpenWindows(s);
        ASSERT_NE(w.chart, nullptr);
        ASSERT_TRUE(Prompted(s, w.chart, "KO"));
        ASSERT_TRUE(BoxShows(s, "KO"));
        IntervalsThenANewSymbol(s, w, {"KO"}, {"MSFT", "KO"}, "KO typed into the chart");
        s.ExitByMenu();
    });
    EXPECT_EQ(status, 0);
}

// The symbol typed into the prompt of a time and sales or a bar list: the list keeps it
// through the interval changes.
TEST_F(IntervalChangeSessionTest, TypedIntoATimeAndSalesList)
{
    const int status = RunWorkstation(
        [&](CSession& s) { TypedIntoAList<CTimeSalesView>(s, "&Quotes|&Time && Sales", "Enter Symbol"); });
    EXPECT_EQ(status, 0);
}

TEST_F(IntervalChangeSessionTest, TypedIntoABarList)
{
    const int status = RunWorkstation(
        [&](CSession& s) { TypedIntoAList<CBarView>(s, "&Quotes|&Bar Table", "Enter Symbol and Interval"); });
    EXPECT_EQ(status, 0);
}

// A chart of KO brought to the front puts KO back into the box after another chart's IBM.
TEST_F(IntervalChangeSessionTest, AWindowsActivation)
{
    const int status = RunWorkstation([&](CSession& s) {
        const Windows w = OpenWindows(s);
        ASSERT_NE(w.chart, nullptr);
        ASSERT_TRUE(Prompted(s, w.chart, "KO"));
        CGraphsView* other = OpenAnotherChart(s);
        ASSERT_NE(other, nullptr);
        ASSERT_TRUE(Prompted(s, other, "IBM"));
        ASSERT_TRUE(BoxShows(s, "IBM"));
        s.RaiseFrame(FrameOf(s, w.chart));
        ASSERT_TRUE(BoxShows(s, "KO"));
        IntervalsThenANewSymbol(s, w, {"KO"}, {"MSFT", "KO"}, "the chart of KO activated");
        s.ExitByMenu();
    });
    EXPECT_EQ(status, 0);
}

// KO clicked in the first Level I: the link gives the second one a KO row more.
TEST_F(IntervalChangeSessionTest, ALinkFromAnotherWindow)
{
    const int status = RunWorkstation([&](CSession& s) {
        const Windows w = OpenWindows(s);
        ASSERT_NE(w.chart, nullptr);
        s.RaiseFrame(FrameOf(s, w.first));
        s.ClickRow(&w.first->Grid(), "KO", "Symbol");
        ASSERT_TRUE(s.WaitFor("the chart of KO", [&] { return w.chart->GetGraphsDoc()->GetSymbol() == "KO"; }));
        ASSERT_TRUE(BoxShows(s, "KO"));
        IntervalsThenANewSymbol(s, w, {"KO"}, {"MSFT", "KO", "KO"}, "KO clicked in the first window");
        s.ExitByMenu();
    });
    EXPECT_EQ(status, 0);
}

}  // namespace
}  // namespace qx::sessions
