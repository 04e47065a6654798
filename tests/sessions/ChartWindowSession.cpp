// A trader's chart: a symbol typed on the chart, intervals picked from the tool bar's
// list, studies through the Study Manager, a trend line drawn with the mouse, the window
// detached and attached, the chart's symbol and interval saved in a workspace and opened
// again.
#include "tests/sessions/SessionHarness.h"

#include "app/shell/CMainFrame.h"
#include "chart/ui/CChartController.h"
#include "chart/ui/CGraphsDoc.h"
#include "chart/ui/CGraphsView.h"
#include "common/services/TextHelpers.h"
#include "common/windows/CSheetsWnd.h"
#include "platform/ui/CFrameWnd.h"
#include "studies/plots/CPricePlot.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QMdiSubWindow>
#include <QScreen>
#include <QTabBar>

#include <cctype>
#include <cmath>

namespace qx::sessions {
namespace {

using namespace std::chrono_literals;

constexpr int kSymbolEdit = 1090;     // Enter Symbol and Interval: the symbol
constexpr int kIntervalCombo = 1092;  // and the interval

class ChartWindowSessionTest : public SessionTest {
protected:
    // The chart's price pane (null when no chart is open).
    static CGraphsView* PricePane(CSession& s)
    {
        for (CGraphsView* view : s.Views<CGraphsView>())
            if (CChartController* chart = view->GetChart())
                return chart->GetPricePane();
        return nullptr;
    }
    static CGraphsView* WaitChart(CSession& s, const std::string& what)
    {
        CGraphsView* pane = nullptr;
        s.WaitFor(what, [&] { return (pane = PricePane(s)) != nullptr; });
        return pane;
    }
    static QWidget* FrameOf(CSession& s, CView* view)
    {
        return s.OnUi([&] { return view->GetParentFrame()->GetOuterWidget(); });
    }
    static QString Title(CSession& s, CGraphsView* pane)
    {
        return s.OnUi([&] { return QString::fromUtf8(pane->GetGraphsDoc()->GetTitle().GetString()); });
    }
    // The last close the chart shows, 0 while it has no bars.
    static double LastClose(CSession& s, CGraphsView* pane)
    {
        return s.OnUi([&] {
            CPricePlot* price = pane->GetPricePlot();
            int bar = -1;
            const double close = price ? price->GetLastClose(bar) : 0.0;
            return bar >= 0 ? close : 0.0;
        });
    }
    static QRect Desktop(CSession& s)
    {
        return s.OnUi([] { return QGuiApplication::primaryScreen()->availableGeometry(); });
    }
};

TEST_F(ChartWindowSessionTest, TypedSymbolIntervalsStudiesTrendLineDetachAndWorkspace)
{
    const double last = Broker().Symbol("MSFT")->last;
    const std::string workspace = (Home() / "trader.swp").string();
    const int status = RunWorkstation([&](CSession& s) {
        s.ChooseMenu("&Charts|&Chart");
        CGraphsView* pane = WaitChart(s, "a chart");
        ASSERT_NE(pane, nullptr);
        QWidget* paneWidget = s.OnUi([&] { return pane->GetWidget(); });

        // Typed on the chart: the symbol entry opens holding the first key, the rest
        // follow it there, Return applies it.
        s.Click(paneWidget, s.OnUi([&] { return QPoint(paneWidget->width() / 3, paneWidget->height() / 2); }));
        s.TypeText("M");
        QWidget* entry = s.WaitModal("Enter Symbol and Interval");
        ASSERT_NE(entry, nullptr);
        s.TypeText("SFT");
        EXPECT_EQ(s.ControlText(entry, kSymbolEdit).toStdString(), "MSFT");
        s.TypeText("\n");
        ASSERT_TRUE(s.WaitFor("the chart of MSFT", [&] { return pane->GetGraphsDoc()->GetSymbol() == "MSFT"; }));
        EXPECT_EQ(s.OnUi([&] { return s.App().MainFrame()->GetSymbolBox(); }), "MSFT");

        // Intervals from the tool bar's list apply at once, titles with one unit word.
        QWidget* intervals = s.OnUi([&] { return s.App().MainFrame()->GetIntervalCombo().GetWidget(); });
        ASSERT_NE(intervals, nullptr);
        EXPECT_GE(s.OnUi([&] { return qobject_cast<QComboBox*>(intervals)->findText("1 minute"); }), 0);
        s.ChooseComboItem(intervals, "5 minutes");
        EXPECT_TRUE(s.WaitFor("5-minute bars", [&] { return pane->GetGraphsDoc()->GetInterval() == "5"; }));
        // "MSFT, 5 minutes - Chart", or with the description once the quote came.
        EXPECT_TRUE(s.WaitFor("the 5-minute title", [&] {
            const QString title = Title(s, pane);
            return title.startsWith("MSFT") && title.endsWith(", 5 minutes - Chart");
        })) << Title(s, pane).toStdString();
        s.ChooseComboItem(intervals, "Daily");
        EXPECT_TRUE(s.WaitFor("daily bars", [&] { return pane->GetGraphsDoc()->GetInterval() == "D"; }));
        EXPECT_TRUE(s.WaitFor("the daily title", [&] {
            const QString title = Title(s, pane);
            return title.startsWith("MSFT") && title.endsWith(", Daily - Chart");
        })) << Title(s, pane).toStdString();
        EXPECT_TRUE(s.WaitFor("today's close at the broker's last price",
                              [&] { return std::abs(LastClose(s, pane) - last) < 0.005; }, 30s))
            << LastClose(s, pane) << " instead of " << last;

        // Studies through the Study Manager: RSI in a pane of its own, a moving average
        // over the prices.
        CChartController* chart = s.OnUi([&] { return pane->GetChart(); });
        for (const char* study : {"RSI", "Moving Averages (SMA, EMA, WMA)"}) {
            s.ChooseMenu("Cha&rt|Study &Manager...");
            QWidget* manager = s.WaitModal("Study Manager");
            ASSERT_NE(manager, nullptr);
            s.PressButton(manager, "Add...");
            s.ChoosePopup(study);
            QWidget* settings = s.WaitModal(study == std::string("RSI") ? "RSI" : "Moving Averages");
            ASSERT_NE(settings, nullptr);
            s.PressButton(settings, "OK");
            ASSERT_TRUE(s.WaitFor("back in the Study Manager", [&] { return s.ActiveModal() == manager; }));
            s.PressButton(manager, "Close");
            s.WaitFor("the Study Manager closed", [&] { return s.ActiveModal() == nullptr; });
        }
        EXPECT_EQ(s.OnUi([&] { return chart->GetStudyCount(); }), 2);
        EXPECT_EQ(s.OnUi([&] { return chart->GetPaneCount(); }), 2);
        EXPECT_EQ(s.OnUi([&] { return pane->GetPlotCount(); }), 2) << "the price and its moving average";

        // A trend line drawn with the mouse on the price pane.
        s.ChooseMenu("&Drawing|&Line");
        const QSize size = s.OnUi([&] { return paneWidget->size(); });
        s.Drag(paneWidget, QPoint(size.width() / 5, size.height() * 2 / 3), QPoint(size.width() / 2, size.height() / 3));
        ASSERT_TRUE(s.WaitFor("one drawn line", [&] {
            return pane->CurrentTools().size() == 1 && pane->CurrentTools().front()->m_nState != kToolPlacing;
        })) << s.OnUi([&] { return pane->CurrentTools().size(); });
        s.ChooseMenu("&Drawing|&Pointer");

        // Detached: a floating window inside the desktop, as large as the MDI window was
        // (or the desktop); attached again: the MDI state it had.
        QWidget* mdi = FrameOf(s, pane);
        s.OnUi([&] { qobject_cast<QMdiSubWindow*>(mdi)->showMaximized(); });
        const QRect mdiNormal = s.OnUi([&] { return mdi->normalGeometry(); });
        const QSize mdiSize = s.OnUi([&] { return mdi->size(); });
        s.PressButton(mdi, "Detach");
        ASSERT_TRUE(s.WaitFor("a floating chart", [&] {
            CGraphsView* p = PricePane(s);
            return p && p->GetParentFrame()->GetOuterWidget()->isWindow();
        }));
        pane = PricePane(s);
        QWidget* floating = FrameOf(s, pane);
        const QRect desktop = Desktop(s);
        const QRect placed = s.OnUi([&] { return floating->frameGeometry(); });
        EXPECT_TRUE(desktop.contains(placed)) << placed.x() << "," << placed.y() << " " << placed.width() << "x"
                                              << placed.height() << " outside the desktop";
        EXPECT_GE(placed.width(), std::min(mdiSize.width(), desktop.width()) - 16);
        EXPECT_GE(placed.height(), std::min(mdiSize.height(), desktop.height()) - 40);
        EXPECT_EQ(s.OnUi([&] { return pane->GetChart()->GetStudyCount(); }), 2);
        EXPECT_EQ(s.OnUi([&] { return pane->CurrentTools().size(); }), 1u);
        EXPECT_EQ(s.OnUi([&] { return pane->GetGraphsDoc()->GetSymbol(); }), "MSFT");
        s.PressButton(floating, "Attach");
        ASSERT_TRUE(s.WaitFor("the chart back in the main window", [&] {
            CGraphsView* p = PricePane(s);
            return p && !p->GetParentFrame()->GetOuterWidget()->isWindow();
        }));
        pane = PricePane(s);
        mdi = FrameOf(s, pane);
        EXPECT_TRUE(s.OnUi([&] { return mdi->isMaximized(); })) << "the MDI state it had";
        EXPECT_EQ(s.OnUi([&] { return mdi->normalGeometry(); }), mdiNormal);
        EXPECT_EQ(s.OnUi([&] { return pane->GetChart()->GetStudyCount(); }), 2);

        // A workspace saved, the chart closed, the workspace opened again.
        s.ChooseMenu("&File|Save Workspace &As...");
        ASSERT_TRUE(s.AnswerFileDialog(QString::fromStdString(workspace)));
        ASSERT_TRUE(s.WaitFor("the workspace file", [&] { return std::filesystem::exists(workspace); }));
        s.CloseFrame(mdi);
        ASSERT_TRUE(s.WaitFor("no chart", [&] { return PricePane(s) == nullptr; }));
        s.ChooseMenu("&File|&Open Workspace...");
        ASSERT_TRUE(s.AnswerFileDialog(QString::fromStdString(workspace)));
        pane = WaitChart(s, "the chart of the workspace");
        ASSERT_NE(pane, nullptr);
        // The workspace's chart record holds the symbol, the interval and the links.
        EXPECT_TRUE(s.WaitFor("its symbol and interval", [&] {
            CGraphsDoc* doc = pane->GetGraphsDoc();
            return doc->GetSymbol() == "MSFT" && doc->GetInterval() == "D";
        })) << s.OnUi([&] {
            CGraphsDoc* doc = pane->GetGraphsDoc();
            return std::string(doc->GetSymbol().GetString()) + " " + doc->GetInterval().GetString();
        });
        EXPECT_TRUE(s.WaitFor("its prices", [&] { return std::abs(LastClose(s, pane) - last) < 0.005; }, 30s));
        s.ExitByMenu();
    });
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(TemporaryFiles().empty());
}

// The chart's own tab strips, clicked with the mouse, put the chart's symbol and interval
// into the tool bar's boxes as its Symbol & Interval prompt does; a floating chart's tabs
// leave the boxes to the main window's charts.
TEST_F(ChartWindowSessionTest, TheChartsOwnTabsPutItsSymbolAndIntervalIntoTheToolBar)
{
    const int status = RunWorkstation([&](CSession& s) {
        auto boxes = [&] {
            return s.OnUi([&] {
                CMainFrame* main = s.App().MainFrame();
                return std::string(main->GetSymbolBox().GetString()) + ", " + main->GetIntervalBox().GetString();
            });
        };
        // The tab of that name in the chart's symbol (0) or interval (1) strip, clicked.
        auto clickTab = [&](CGraphsView* pane, int strip, const QString& name) {
            QTabBar* tabs = s.OnUi([&] {
                CSheetsWnd* sheets = pane->GetChart()->GetTabStrip(strip);
                return sheets ? qobject_cast<QTabBar*>(sheets->GetWidget()) : nullptr;
            });
            ASSERT_NE(tabs, nullptr);
            const QPoint at = s.OnUi([&] {
                for (int i = 0; i < tabs->count(); ++i)
                    if (tabs->tabText(i) == name)
                        return tabs->tabRect(i).center();
                return QPoint(-1, -1);
            });
            ASSERT_NE(at, QPoint(-1, -1)) << "no tab " << name.toStdString();
            s.Click(tabs, at);
        };
        auto prompt = [&](const QString& symbol, const QString& interval, QWidget* frame = nullptr) {
            s.ChooseMenu("Cha&rt|Symbol && &Interval...", frame);
            QWidget* entry = s.WaitModal("Enter Symbol and Interval");
            ASSERT_NE(entry, nullptr);
            s.FillControl(entry, kSymbolEdit, symbol);
            s.FillControl(entry, kIntervalCombo, interval);
            s.PressButton(entry, "OK");
        };
        auto shows = [&](CGraphsView* pane, const char* symbol, const char* interval) {
            return s.WaitFor(std::string("the chart of ") + symbol + " in " + interval, [&] {
                const CGraphsDoc* doc = pane->GetGraphsDoc();
                return doc->GetSymbol() == symbol && doc->GetInterval() == interval;
            });
        };

        s.ChooseMenu("&Charts|&Chart");
        CGraphsView* pane = WaitChart(s, "a chart");
        ASSERT_NE(pane, nullptr);
        prompt("IBM", "5");
        ASSERT_TRUE(shows(pane, "IBM", "5"));
        prompt("MSFT", "5");
        ASSERT_TRUE(shows(pane, "MSFT", "5"));
        EXPECT_EQ(boxes(), "MSFT, 5 minutes");

        clickTab(pane, 1, "1 min");
        ASSERT_TRUE(shows(pane, "MSFT", "1"));
        EXPECT_TRUE(s.WaitFor("the boxes showing MSFT, 1 minute", [&] { return boxes() == "MSFT, 1 minute"; }))
            << boxes();
        clickTab(pane, 1, "Daily");
        ASSERT_TRUE(shows(pane, "MSFT", "D"));
        EXPECT_TRUE(s.WaitFor("the boxes showing MSFT, Daily", [&] { return boxes() == "MSFT, Daily"; })) << boxes();
        clickTab(pane, 0, "IBM");
        ASSERT_TRUE(shows(pane, "IBM", "D"));
        EXPECT_TRUE(s.WaitFor("the boxes showing IBM, Daily", [&] { return boxes() == "IBM, Daily"; })) << boxes();

        // One day of a daily chart: the interval steps to minutes until the bars fit, and the
        // box follows it there.
        s.RightClick(s.OnUi([&] { return pane->GetWidget(); }));
        s.ChoosePopup("Date Range|1 Day");
        ASSERT_TRUE(s.WaitFor("the chart in minutes", [&] {
            const CString interval = pane->GetGraphsDoc()->GetInterval();
            return !interval.IsEmpty() && std::isdigit(static_cast<unsigned char>(interval[0]));
        }));
        s.Settle();
        const std::string stepped = s.OnUi(
            [&] { return "IBM, " + std::string(PeriodDisplayName(pane->GetGraphsDoc()->GetInterval()).GetString()); });
        EXPECT_TRUE(s.WaitFor("the boxes showing " + stepped, [&] { return boxes() == stepped; })) << boxes();
        EXPECT_NE(stepped, "IBM, Daily");

        // A floating chart's tabs change that chart alone.
        s.ChooseMenu("F&loating|&Chart");
        CGraphsView* floating = nullptr;
        ASSERT_TRUE(s.WaitFor("a floating chart", [&] {
            for (CGraphsView* view : s.Views<CGraphsView>())
                if (CChartController* chart = view->GetChart(); chart && view->GetGraphsDoc()->IsDetached())
                    floating = chart->GetPricePane();
            return floating != nullptr;
        }));
        prompt("KO", "Daily", FrameOf(s, floating));
        ASSERT_TRUE(shows(floating, "KO", "D"));
        clickTab(floating, 1, "15 min");
        ASSERT_TRUE(shows(floating, "KO", "15"));
        s.Settle();
        EXPECT_EQ(boxes(), stepped);
        s.ExitByMenu();
    });
    EXPECT_EQ(status, 0);
}

}  // namespace
}  // namespace qx::sessions
