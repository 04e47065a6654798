// Where a trader's keys go on a real X server under openbox, typed with xdotool 150 ms a key
// (10 ms too where said) and right behind the keys that open a window: a window opened from
// the keyboard, a menu or a tool-bar button takes the symbol typed next, and so does one
// brought to the front by a click on its title bar, Ctrl+F6, Ctrl+Tab or the Window menu; a
// symbol typed into any pane of a window, or into Add Alert, arrives whole; a second symbol
// typed after Return replaces the first. Runs as x11_sessions.KeyboardFocus.*.
#include "tests/sessions/SessionHarness.h"
#include "tests/support/X11Windows.h"
#include "tests/ui/X11Keys.h"

#include "app/shell/CMainFrame.h"
#include "backtest/ui/CBackTestView.h"
#include "chart/ui/CChartController.h"
#include "chart/ui/CGraphsDoc.h"
#include "chart/ui/CGraphsView.h"
#include "common/windows/CCommonDoc.h"
#include "platform/ui/CFrameWnd.h"
#include "platform/ui/CRuntimeClass.h"
#include "views/ui/CLevel2View.h"
#include "views/ui/HeadlinesView.h"

#include <QAbstractButton>
#include <QApplication>
#include <QGuiApplication>
#include <QMainWindow>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QSplitter>
#include <QToolBar>
#include <QToolButton>
#include <QWindow>

#include <map>
#include <set>
#include <typeinfo>

namespace qx::sessions {
namespace {

using namespace std::chrono_literals;

class KeyboardFocusSessionTest : public ManagedSessionTest {
protected:
    void SetUp() override
    {
        if (!x11::HaveXdotool())
            GTEST_SKIP() << "no xdotool";
        ManagedSessionTest::SetUp();
    }

    // xdotool's keys, 150 ms apart (or as many as given), or a click at a point of the screen.
    static void Press(CSession& s, const QStringList& keys, int delayMs = 150)
    {
        s.Step("xdotool key " + keys.join(' ').toStdString() + " " + std::to_string(delayMs) + " ms apart");
        ASSERT_EQ(QProcess::execute("xdotool", QStringList{"key", "--delay", QString::number(delayMs)} + keys), 0);
    }
    static void Click(QPoint at)
    {
        ASSERT_EQ(QProcess::execute("xdotool", x11::ClickCommands(at)), 0);
    }
    static QPoint Centre(CSession& s, const std::function<QWidget*()>& widget)
    {
        return s.OnUi([&] { return widget()->mapToGlobal(widget()->rect().center()); });
    }
    // The middle of an MDI child's title bar.
    static QPoint TitleBar(CSession& s, CView* view)
    {
        return s.OnUi([&] {
            auto* sub = static_cast<QMdiSubWindow*>(view->GetParentFrame()->GetOuterWidget());
            return sub->mapToGlobal(QPoint(sub->width() / 2, sub->widget()->geometry().top() / 2));
        });
    }

    static std::function<CString()> SymbolBox(CSession& s)
    {
        return [&s] { return s.App().MainFrame()->GetSymbolBox(); };
    }
    // Waits until the text is the one typed; a prompt left open is cancelled.
    static void Expect(CSession& s, const std::string& what, const std::function<CString()>& text, const char* typed)
    {
        EXPECT_TRUE(s.WaitFor(what + " shows " + typed, [&] { return text() == typed && !s.ActiveModal(); }))
            << what << " shows \"" << s.OnUi(text).GetString() << "\"";
        if (s.ActiveModal())
            Press(s, {"Escape"});
    }
    // Two symbols typed with Return behind each: the box shows the second, and its list of
    // recent symbols has both, the second on top.
    static void ExpectAppliedInTurn(CSession& s, const std::string& what, const char* first, const char* second)
    {
        Expect(s, "the tool bar's box after " + what, SymbolBox(s), second);
        const std::vector<CString> recent = s.OnUi([&] { return s.App().MainFrame()->GetRecentSymbols(); });
        ASSERT_GE(recent.size(), 2u) << what;
        EXPECT_EQ(std::string(recent[0].GetString()), second) << what;
        EXPECT_EQ(std::string(recent[1].GetString()), first) << what;
    }
    // The prompt of that title holds the typed text in its field; it is then cancelled.
    static void ExpectPrompt(CSession& s, const char* title, int field, const char* typed,
                             const std::string& after = std::string())
    {
        QWidget* prompt = s.WaitModal(title);
        ASSERT_NE(prompt, nullptr) << "no " << title << " after " << after << "; the tool bar's box shows \""
                                   << s.OnUi(SymbolBox(s)).GetString() << "\"";
        const auto holds = [&] { return s.ControlText(prompt, field) == typed; };
        EXPECT_TRUE(s.WaitFor(std::string(title) + " holds " + typed, holds))
            << title << " holds \"" << s.ControlText(prompt, field).toStdString() << "\" after " << after;
        Press(s, {"Escape"});
        ASSERT_TRUE(s.WaitFor("the prompt closed", [&] { return s.ActiveModal() == nullptr; }));
    }

    template <class V>
    static V* View(CSession& s, bool floating)
    {
        for (V* view : s.Views<V>())
            if (auto* doc = dynamic_cast<CCommonDoc*>(view->GetDocument()); doc && doc->IsDetached() == floating)
                return view;
        return nullptr;
    }
    static CGraphsView* Chart(CSession& s, bool floating)
    {
        for (CGraphsView* view : s.Views<CGraphsView>())
            if (view->GetGraphsDoc()->IsDetached() == floating && view->GetChart())
                return view->GetChart()->GetPricePane();
        return nullptr;
    }
    static std::function<CString()> ChartSymbol(CSession& s, bool floating)
    {
        return [&s, floating] {
            CGraphsView* chart = Chart(s, floating);
            return chart ? chart->GetGraphsDoc()->GetSymbol() : CString();
        };
    }
    static std::function<CString()> Level2Symbol(CSession& s, bool floating)
    {
        return [&s, floating] {
            CLevel2View* view = View<CLevel2View>(s, floating);
            return view ? view->GetSymbolText() : CString();
        };
    }
    // The main window's menu of that title opened with a click, then its item clicked.
    static void ClickMenu(CSession& s, const QString& title, const QString& item)
    {
        s.Step("click " + title.toStdString() + " | " + item.toStdString());
        const QPoint titleAt = s.OnUi([&] {
            return MenuEntryPoint(qobject_cast<QMainWindow*>(s.App().MainFrame()->GetOuterWidget())->menuBar(), title);
        });
        ASSERT_FALSE(titleAt.isNull()) << "no menu " << title.toStdString();
        Click(titleAt);
        QMenu* menu = nullptr;
        ASSERT_TRUE(s.WaitFor("the menu on the screen", [&] {
            menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            return menu && x11::Viewable(static_cast<xcb_window_t>(menu->winId()));
        }));
        const QPoint itemAt = s.OnUi([&] { return MenuEntryPoint(menu, item); });
        ASSERT_FALSE(itemAt.isNull()) << "no item " << item.toStdString();
        Click(itemAt);
    }
    // A pane a trader can click to type into, and where it is on the screen.
    struct Pane {
        std::string name;
        QPoint at;
    };
    // The panes of a window: the splitters' handles, then the widgets that take the focus on
    // a click (one for those under one point), where nothing covers them. UI thread.
    static std::vector<Pane> PanesOf(QWidget* frame)
    {
        std::vector<Pane> panes;
        std::set<QWidget*> taken;
        for (QWidget* w : frame->findChildren<QWidget*>()) {
            const bool handle = qobject_cast<QSplitterHandle*>(w) != nullptr;
            if (!w->isVisible() || (!handle && (!(w->focusPolicy() & Qt::ClickFocus) || w->width() < 8 ||
                                                w->height() < 8 || qobject_cast<QAbstractButton*>(w))))
                continue;
            const QPoint at = w->mapToGlobal(w->rect().center());
            QWidget* hit = QApplication::widgetAt(at);
            while (hit && !handle && !(hit->focusPolicy() & Qt::ClickFocus))
                hit = hit->parentWidget();
            if (!hit || (handle && hit != w) || !frame->isAncestorOf(hit) || !taken.insert(hit).second)
                continue;
            CWnd* wnd = nullptr;
            for (QWidget* p = hit; p && !wnd; p = p->parentWidget())
                wnd = CWnd::FromWidget(p);
            if (handle)  // first, so that the keys go where the window has put the focus
                panes.insert(panes.begin(), {"a splitter's handle", at});
            else
                panes.push_back({"the " + (wnd ? CRuntimeClass::DemangledName(typeid(*wnd)) : std::string()), at});
        }
        return panes;
    }
    // The X window of a top-level widget, the main window's for null.
    static xcb_window_t WindowId(CSession& s, QWidget* window)
    {
        return s.OnUi([&] {
            QWidget* w = window ? window : s.App().MainFrame()->GetOuterWidget();
            return static_cast<xcb_window_t>(w->window()->winId());
        });
    }
    static void WaitMainWindowFocused(CSession& s)
    {
        QWindow* main = s.OnUi([&] { return s.App().MainFrame()->GetOuterWidget()->windowHandle(); });
        ASSERT_TRUE(s.WaitFor("the main window focused", [&] { return QGuiApplication::focusWindow() == main; }));
    }
};

TEST_F(KeyboardFocusSessionTest, MdiWindowsTakeTheSymbolTypedNext)
{
    const int status = RunWorkstation([&](CSession& s) {
        WaitMainWindowFocused(s);
        Press(s, QStringList{"ctrl+2"} + KeysOf("IBM\n"));
        Expect(s, "Level II opened by Ctrl+2", Level2Symbol(s, false), "IBM");
        Press(s, QStringList{"ctrl+4"} + KeysOf("MSFT\n"));
        Expect(s, "the chart opened by Ctrl+4", ChartSymbol(s, false), "MSFT");

        // Side by side; the tool bar's box clicked, then the active chart's title bar, then
        // that of Level II behind it.
        CLevel2View* level2 = s.OnUi([&] { return View<CLevel2View>(s, false); });
        CGraphsView* chart = s.OnUi([&] { return Chart(s, false); });
        ASSERT_TRUE(level2 && chart);
        s.OnUi([&] {
            level2->GetParentFrame()->GetOuterWidget()->setGeometry(0, 0, 480, 320);
            chart->GetParentFrame()->GetOuterWidget()->setGeometry(490, 0, 480, 320);
        });
        QWidget* box = s.OnUi([&] { return s.App().MainFrame()->GetSymbolCombo().GetWidget(); });
        Click(Centre(s, [&] { return box; }));
        ASSERT_TRUE(s.WaitFor("the symbol box focused", [&] { return box->hasFocus(); }));
        Click(TitleBar(s, chart));
        Press(s, KeysOf("AAPL\n"));
        Expect(s, "the active chart after a click on its title bar", ChartSymbol(s, false), "AAPL");
        Click(TitleBar(s, level2));
        Press(s, KeysOf("GE\n"));
        Expect(s, "Level II after a click on its title bar", Level2Symbol(s, false), "GE");

        Press(s, QStringList{"ctrl+F6"} + KeysOf("INTC\n"));
        Expect(s, "the chart after Ctrl+F6", ChartSymbol(s, false), "INTC");
        Press(s, QStringList{"ctrl+Tab"} + KeysOf("CSCO\n"));
        Expect(s, "Level II after Ctrl+Tab", Level2Symbol(s, false), "CSCO");
        Press(s, QStringList{"alt+w", "2"} + KeysOf("ORCL\n"));  // 1 Level II, 2 the chart
        Expect(s, "the chart chosen from the Window menu", ChartSymbol(s, false), "ORCL");
        s.ExitByMenu();
    });
    EXPECT_EQ(status, 0);
}

// Floating windows from the Floating menu's keys, the chart's from the floating Level II;
// the title bar of the one behind; an MDI chart from the tool bar's button.
TEST_F(KeyboardFocusSessionTest, FloatingAndToolBarWindowsTakeTheSymbolTypedNext)
{
    const int status = RunWorkstation([&](CSession& s) {
        WaitMainWindowFocused(s);
        Press(s, QStringList{"alt+l", "i"} + KeysOf("IBM\n"));
        Expect(s, "a floating Level II", Level2Symbol(s, true), "IBM");
        Press(s, QStringList{"alt+l", "c"} + KeysOf("MSFT\n"));
        Expect(s, "a floating chart", ChartSymbol(s, true), "MSFT");

        const auto level2 = s.OnUi([&] {
            return static_cast<xcb_window_t>(View<CLevel2View>(s, true)->GetParentFrame()->GetOuterWidget()->winId());
        });
        Click(x11::TitleBarPoint(level2));
        ASSERT_TRUE(s.WaitFor("the floating Level II active", [&] { return x11::ActiveWindow() == level2; }));
        Press(s, KeysOf("GE\n"));
        Expect(s, "the floating Level II after a click on its title bar", Level2Symbol(s, true), "GE");

        Click(Centre(s, [&]() -> QWidget* {
            for (QToolButton* b : s.App().MainFrame()->GetOuterWidget()->findChildren<QToolButton*>())
                if (b->text() == "Chart" && qobject_cast<QToolBar*>(b->parentWidget()))
                    return b;
            return nullptr;
        }));
        ASSERT_NE(s.WaitView<CGraphsView>("a chart from the tool bar"), nullptr);
        Press(s, KeysOf("AAPL\n"));
        Expect(s, "the chart from the tool bar's button", ChartSymbol(s, false), "AAPL");

        // A floating News opened over the MDI chart takes the symbol typed right behind its
        // menu keys, before the window manager has given it the focus.
        Press(s, QStringList{"alt+l", "n"} + KeysOf("GE"));
        ExpectPrompt(s, "Symbols", 1070, "GE");  // the floating News's own prompt
        Expect(s, "the MDI chart", ChartSymbol(s, false), "AAPL");

        // Another opened with the mouse has the focus before a key is typed; the MDI chart's
        // title bar clicked, the chart takes the keys.
        const int floatingNews = s.OnUi([&] { return static_cast<int>(s.Views<HeadlinesView>().size()); });
        ClickMenu(s, "Floating", "News");
        xcb_window_t news = 0;
        ASSERT_TRUE(s.WaitFor("a second floating News active", [&] {
            const std::vector<HeadlinesView*> views = s.Views<HeadlinesView>();
            if (static_cast<int>(views.size()) <= floatingNews)
                return false;
            news = static_cast<xcb_window_t>(views.back()->GetParentFrame()->GetOuterWidget()->winId());
            return x11::ActiveWindow() == news;
        }));
        Click(TitleBar(s, s.OnUi([&] { return Chart(s, false); })));
        WaitMainWindowFocused(s);
        Press(s, KeysOf("INTC\n"));
        Expect(s, "the MDI chart clicked after a floating News opened", ChartSymbol(s, false), "INTC");
        s.ExitByMenu();
    });
    EXPECT_EQ(status, 0);
}

// News and BackTesting hand a symbol typed into them (a new window, or its list clicked) to
// the tool bar's box, and Return sends it to the window; the next symbol typed replaces it.
// Floating, their own prompt takes it. Add Alert, from its menu keys, takes one typed over
// the tool bar's symbol.
TEST_F(KeyboardFocusSessionTest, TypedSymbolsArriveWhole)
{
    const int status = RunWorkstation([&](CSession& s) {
        WaitMainWindowFocused(s);
        Press(s, QStringList{"alt+q", "n"} + KeysOf("GE"));
        Expect(s, "the tool bar's box after GE typed into a new News window", SymbolBox(s), "GE");
        HeadlinesView* news = s.OnUi([&] { return View<HeadlinesView>(s, false); });
        ASSERT_NE(news, nullptr);
        Press(s, {"Return"});
        Expect(s, "the News window", [&] { return news->GetSymbols(); }, "GE");
        // A second symbol typed after Return replaces the first, straight in the box too.
        Click(Centre(s, [&] { return news->List().GetWidget(); }));
        Press(s, KeysOf("IBM\nKO\n"), 10);
        ExpectAppliedInTurn(s, "IBM then KO typed into the News list", "IBM", "KO");
        const auto newsTitle = [&] {
            return CString(news->GetParentFrame()->GetOuterWidget()->windowTitle().toUtf8());
        };
        Expect(s, "the News window's title", newsTitle, "News - KO (Alert Off)");
        QWidget* box = s.OnUi([&] { return s.App().MainFrame()->GetSymbolCombo().GetWidget(); });
        Click(Centre(s, [&] { return box; }));
        Press(s, QStringList{"ctrl+a"} + KeysOf("CSCO\nGE\n"), 10);
        ExpectAppliedInTurn(s, "CSCO then GE typed into the box", "CSCO", "GE");
        Expect(s, "the News window's title", newsTitle, "News - GE (Alert Off)");
        Click(Centre(s, [&] { return news->List().GetWidget(); }));
        Press(s, KeysOf("$COMPX"));  // Shift for its first character
        Expect(s, "the tool bar's box after $COMPX typed into the News list", SymbolBox(s), "$COMPX");

        Press(s, QStringList{"alt+c", "b"} + KeysOf("CSCO"));
        Expect(s, "the tool bar's box after CSCO typed into a new BackTesting window", SymbolBox(s), "CSCO");
        CBackTestView* backtest = s.OnUi([&] { return View<CBackTestView>(s, false); });
        ASSERT_NE(backtest, nullptr);
        Click(Centre(s, [&] { return backtest->GetList().GetWidget(); }));
        Press(s, KeysOf("IBM"));
        Expect(s, "the tool bar's box after IBM typed into the BackTesting list", SymbolBox(s), "IBM");
        Click(Centre(s, [&] { return backtest->GetList().GetWidget(); }));
        Press(s, KeysOf("GE\nKO\n"));
        ExpectAppliedInTurn(s, "GE then KO typed into the BackTesting list", "GE", "KO");
        s.OnUi([&] { s.App().MainFrame()->SetSymbolBox("MSFT", TRUE); });
        Press(s, QStringList{"alt+a", "a"} + KeysOf("INTC"));
        ExpectPrompt(s, "Trade Alert Setup", 1503, "INTC");  // the symbols

        Press(s, {"alt+l", "n"});
        ASSERT_TRUE(s.WaitFor("a floating News", [&] { return (news = View<HeadlinesView>(s, true)) != nullptr; }));
        Click(Centre(s, [&] { return news->List().GetWidget(); }));
        Press(s, KeysOf("GE"));
        ExpectPrompt(s, "Symbols", 1070, "GE");  // the symbols' text
        Press(s, {"alt+l", "a"});
        ASSERT_TRUE(s.WaitFor("a floating BackTesting",
                              [&] { return (backtest = View<CBackTestView>(s, true)) != nullptr; }));
        Click(Centre(s, [&] { return backtest->GetList().GetWidget(); }));
        Press(s, KeysOf("CSCO"));
        ExpectPrompt(s, "Strategy Setup", 1199, "CSCO");  // the symbols
        s.ExitByMenu();
    });
    EXPECT_EQ(status, 0);
}

// Every pane of every window kind that takes a typed symbol, MDI and floating, clicked and
// typed into at 10 ms and 150 ms a key: the symbol arrives whole where the window sends
// symbols, its prompt or the tool bar's box. Level II shows its market-maker log and the
// chart an RSI pane; the splitters' handles are clicked too. The order windows and the
// Alert Manager take no symbol, and the ticket's fields take text.
TEST_F(KeyboardFocusSessionTest, EveryPaneTakesATypedSymbolWhole)
{
    // Each window kind, by its menu item's name: its prompt and the prompt's symbol field (the
    // tool bar's box without one), and how many panes it shows.
    struct Kind {
        const char* prompt;
        int field;
        size_t panes;
    };
    const std::map<QString, Kind> kinds = {
        {"Level I", {"Enter Symbol", 1090, 1}},   // the list
        {"Level II", {"Enter Symbol", 1090, 6}},  // the view, summary, depth bar, two sides, log
        {"Time & Sales", {"Enter Symbol", 1090, 1}},
        {"Bar Table", {"Enter Symbol and Interval", 1090, 1}},
        {"Chart", {"Enter Symbol and Interval", 1090, 3}},  // price, RSI, the handle between
        {"News", {nullptr, 0, 3}},                          // list, story, the handle between
        {"Browser", {nullptr, 0, 1}},
        {"BackTesting", {nullptr, 0, 1}}};
    const std::map<QString, Kind> floatingKinds = {{"News", {"Symbols", 1070, 3}},
                                                   {"BackTesting", {"Strategy Setup", 1199, 1}}};
    const char* const symbols[] = {"GE", "KO", "IBM", "CSCO", "MSFT", "INTC"};
    int typed = 0;
    const int status = RunWorkstation([&](CSession& s) {
        WaitMainWindowFocused(s);
        for (const bool floating : {false, true}) {
            for (const QString& path : WindowKindMenuItems(floating)) {
                const QString kind = PlainMenuText(path.section('|', -1));
                if (!kinds.count(kind))
                    continue;
                const Kind& k = floating && floatingKinds.count(kind) ? floatingKinds.at(kind) : kinds.at(kind);
                const std::string name = (floating ? "floating " : "") + kind.toStdString();
                const std::vector<CView*> before = s.OnUi([&] { return s.App().GetWindowViews(); });
                s.ChooseMenu(path);
                QWidget* frame = nullptr;
                ASSERT_TRUE(s.WaitFor("a new " + name, [&] {
                    for (CView* v : s.App().GetWindowViews())
                        if (std::find(before.begin(), before.end(), v) == before.end())
                            frame = v->GetParentFrame()->GetOuterWidget();
                    return frame != nullptr;
                }));
                if (!floating)
                    s.OnUi([&] { frame->setGeometry(0, 0, 900, 640); });
                if (kind == "Level II")
                    s.ChooseMenu("Level &II|&Display MM Log", floating ? frame : nullptr);
                if (kind == "Chart") {
                    s.ChooseMenu("C&hart|&Add Study|RSI", floating ? frame : nullptr);
                    s.PressButton(s.WaitModal("RSI"), "OK");
                    ASSERT_TRUE(s.WaitFor("the RSI pane",
                                          [&] { return Chart(s, floating)->GetChart()->GetPaneCount() == 2; }));
                }
                s.Pause(300ms);  // laid out
                const std::vector<Pane> panes = s.OnUi([&] { return PanesOf(frame); });
                EXPECT_EQ(panes.size(), k.panes) << name;
                for (const Pane& pane : panes) {
                    // Floating, every pane at both paces; attached, at one and the other in turn.
                    const std::vector<int> delays =
                        floating ? std::vector<int>{10, 150} : std::vector<int>{typed % 2 ? 150 : 10};
                    for (const int delay : delays) {
                        const char* symbol = symbols[typed++ % std::size(symbols)];
                        const std::string what = name + ", " + pane.name + ", " + std::to_string(delay) + " ms a key";
                        s.Step("click " + what);
                        Click(pane.at);
                        Press(s, KeysOf(symbol), delay);
                        if (k.prompt) {
                            ExpectPrompt(s, k.prompt, k.field, symbol, what);
                            continue;
                        }
                        Expect(s, "the tool bar's box after " + what, SymbolBox(s), symbol);
                        // The main window has the keys; the floating one stays in front of it.
                        const xcb_window_t typedInto = WindowId(s, frame), main = WindowId(s, nullptr);
                        EXPECT_TRUE(!floating || s.WaitFor(name + " in front of the main window", [&] {
                            return x11::StackingLevel(typedInto) > x11::StackingLevel(main);
                        })) << what;
                    }
                }
                s.CloseFrame(frame);
            }
        }
        s.ExitByMenu();
    });
    EXPECT_EQ(status, 0);
}

}  // namespace
}  // namespace qx::sessions
