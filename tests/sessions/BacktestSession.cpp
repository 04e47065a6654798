// A trader's backtest session: the BackTesting window from the Charts menu, a strategy set
// up in the Strategy Setup dialog with the formula wizard, a run cancelled from the menu,
// a run to its end, a chart opened from a result row's context menu, File -> Exit.
#include "tests/sessions/SessionHarness.h"

#include "backtest/ui/BacktestUiIds.h"
#include "backtest/ui/CBackTestView.h"
#include "chart/ui/CGraphsDoc.h"
#include "chart/ui/CGraphsView.h"
#include "platform/ui/CFrameWnd.h"

namespace qx::sessions {
namespace {

using namespace std::chrono_literals;

constexpr int kWizardName = 1503;     // formula wizard: the formula's name
constexpr int kWizardFormula = 1571;  // formula wizard: the formula

// The formula wizard of one side of the strategy: name and formula typed, OK.
void SetFormula(CSession& s, QWidget* setup, const char* button, const char* name, const char* formula)
{
    s.PressButton(setup, button);
    QWidget* wizard = s.WaitModal("Formula Wizard");
    ASSERT_NE(wizard, nullptr);
    s.FillControl(wizard, kWizardName, name);
    s.FillControl(wizard, kWizardFormula, formula);
    s.PressButton(wizard, "OK");
    ASSERT_TRUE(s.WaitFor("back in Strategy Setup", [&] { return s.ActiveModal() == setup; }));
}

TEST_F(SessionTest, BacktestSetUpRunCancelledRunAgainChartForARowAndExit)
{
    const int status = RunWorkstation([&](CSession& s) {
        s.ChooseMenu("&Charts|&BackTesting");
        CBackTestView* view = nullptr;
        ASSERT_TRUE(s.WaitFor("a BackTesting window", [&] {
            const auto views = s.Views<CBackTestView>();
            view = views.empty() ? nullptr : views.front();
            return view != nullptr;
        }));

        // A five-minute strategy over ten symbols: long enough to be cancelled.
        s.ChooseMenu("&Backtest|&Strategy Setup...");
        QWidget* setup = s.WaitModal("Strategy Setup");
        ASSERT_NE(setup, nullptr);
        s.FillControl(setup, IDC_SS_SYMBOLS, "MSFT IBM AAPL INTC CSCO GE SPY QQQ F KO");
        s.FillControl(setup, IDC_SS_NAME, "Five Minute Cross");
        s.FillControl(setup, IDC_SS_INTERVAL, "5");
        SetFormula(s, setup, "Formula Wizard...", "Fast over slow",
                   "MovingAverage[MA,Close,5,0,5]>MovingAverage[MA,Close,20,0,5]");
        ASSERT_EQ(s.ControlText(setup, IDC_SS_ENTRY_NAME), "Fast over slow");
        // The second "Formula Wizard..." is the exit's.
        s.Click(s.Control(setup, IDC_SS_EXIT_WIZARD));
        QWidget* exitWizard = s.WaitModal("Formula Wizard");
        ASSERT_NE(exitWizard, nullptr);
        s.FillControl(exitWizard, kWizardName, "Fast under slow");
        s.FillControl(exitWizard, kWizardFormula, "MovingAverage[MA,Close,5,0,5]<MovingAverage[MA,Close,20,0,5]");
        s.PressButton(exitWizard, "OK");
        ASSERT_TRUE(s.WaitFor("back in Strategy Setup", [&] { return s.ActiveModal() == setup; }));
        s.PressButton(setup, "Add");
        ASSERT_TRUE(s.WaitFor("the strategy listed", [&] { return s.ControlText(setup, IDC_SS_NAME).isEmpty(); }));
        s.PressButton(setup, "Backtest");
        ASSERT_TRUE(s.WaitFor("the dialog closed", [&] { return s.ActiveModal() == nullptr; }));
        ASSERT_TRUE(s.WaitFor("the run going", [&] { return view->IsRunning(); }));
        EXPECT_TRUE(s.MenuItemEnabled("&Backtest|&Cancel Backtesting"));
        s.ChooseMenu("&Backtest|&Cancel Backtesting");
        ASSERT_TRUE(s.WaitFor("the run cancelled", [&] { return !view->IsRunning(); }));
        EXPECT_TRUE(s.WaitFor("the title without progress",
                              [&] { return view->MakeTitle() == CString("BackTesting (1 Strategies)"); }));

        // The same strategy on one symbol, to its end.
        s.ChooseMenu("&Backtest|&Strategy Setup...");
        setup = s.WaitModal("Strategy Setup");
        ASSERT_NE(setup, nullptr);
        s.FillControl(setup, IDC_SS_SYMBOLS, "IBM");
        s.PressButton(setup, "Backtest");
        ASSERT_TRUE(s.WaitFor("the run ended", [&] { return !view->IsRunning() && view->GetList().GetItemCount() > 0; },
                              120s));
        CListCtrl* list = &view->GetList();
        EXPECT_EQ(s.CellText(list, 0, "Symbol"), "IBM");
        EXPECT_EQ(s.CellText(list, 0, "Strategy"), "Five Minute Cross");
        EXPECT_EQ(s.CellText(list, 0, "Action"), "Buy");

        // A chart for the first row from its context menu.
        s.ClickCell(list, "IBM", "Symbol", Qt::RightButton);
        s.ChoosePopup("&View Default Chart");
        CGraphsView* chart = nullptr;
        ASSERT_TRUE(s.WaitFor("a chart window", [&] {
            const auto charts = s.Views<CGraphsView>();
            chart = charts.empty() ? nullptr : charts.front();
            return chart != nullptr;
        }));
        EXPECT_TRUE(s.WaitFor("the chart on IBM at 5 minutes", [&] {
            auto* doc = dynamic_cast<CGraphsDoc*>(chart->GetDocument());
            return doc && doc->GetSymbol() == "IBM" && doc->GetInterval() == "5";
        }));
        s.ExitByMenu();
    });
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(TemporaryFiles().empty());
}

}  // namespace
}  // namespace qx::sessions
