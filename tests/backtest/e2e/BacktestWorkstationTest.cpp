// Backtests in the running workstation against the test broker: the Strategy Setup dialog
// starts two strategies (daily and 5-minute) over ten symbols, the window shows trades and
// summaries, a run is cancelled, a row opens a chart with the strategy's studies, a run
// whose history replies come cut short says so and shows no results, and a strategy
// traded live through the Strategy Trading Setup dialog places its entry order on the
// broker when its entry formula turns true.
#include "tests/app/shell/WorkstationFixture.h"
#include "tests/backtest/StrategySamples.h"
#include "tests/trading/ui/UiDriving.h"

#include "alerts/CAlertBook.h"
#include "alerts/CStrategyAlert.h"
#include "alerts/ui/CAlertPopupDlg.h"
#include "alerts/ui/AlertUiIds.h"
#include "alerts/ui/CTradeAlertSetupDlg.h"
#include "alerts/ui/EditAlertList.h"
#include "alerts/ui/StrategyTradingSetupHook.h"
#include "backtest/ui/BacktestUiIds.h"
#include "backtest/ui/CBackTestView.h"
#include "backtest/ui/CStrategySetupDlg.h"
#include "backtest/ui/CStrategyTradingSetupDlg.h"
#include "broker/core/FeedTime.h"
#include "chart/ui/CChartController.h"
#include "chart/ui/CGraphsDoc.h"
#include "chart/ui/CGraphsView.h"
#include "common/windows/ShellIds.h"
#include "platform/ui/CCmdUI.h"
#include "studies/CStudyDefinition.h"
#include "trading/OrderFormIds.h"

#include <gtest/gtest.h>

#include <chrono>
#include <set>

using namespace order_ids;
using qx::testbroker::ApiFault;

namespace {

const char* const kSymbols = "MSFT IBM AAPL INTC CSCO GE SPY QQQ F KO";

class BacktestWorkstation : public WorkstationFixture {
protected:
    CBackTestView& OpenBacktestWindow(CWorkstationApp& app)
    {
        CDocument* doc = app.OpenWindowOfKind(kKindBackTesting, false);
        auto* view = doc ? dynamic_cast<CBackTestView*>(doc->GetFirstView()) : nullptr;
        EXPECT_NE(view, nullptr);
        return *view;
    }
    // Fills the strategy fields and adds the strategy to the list.
    static void AddStrategy(CStrategySetupDlg& d, const char* name, const char* interval, const char* entry,
                            const char* exit)
    {
        uitest::Type(d, IDC_SS_NAME, name);
        uitest::Type(d, IDC_SS_ENTRY_NAME, "Fast over slow");
        uitest::Type(d, IDC_SS_EXIT_NAME, "Fast under slow");
        d.m_entryExpression = entry;
        d.m_exitExpression = exit;
        uitest::Type(d, IDC_SS_INTERVAL, interval);
        uitest::Click(d, IDC_SS_ADD);
    }
};

}  // namespace

TEST_F(BacktestWorkstation, TwoStrategiesOverTenSymbolsThenCancelAndAChartForARow)
{
    CWorkstationApp app;
    ASSERT_TRUE(Start(app));
    CBackTestView& view = OpenBacktestWindow(app);
    bool set = false;
    uitest::WhenModalIs<CStrategySetupDlg>([&](CStrategySetupDlg& d) {
        uitest::Type(d, IDC_SS_SYMBOLS, kSymbols);
        uitest::Type(d, IDC_SS_COMISSION, "4.95");
        AddStrategy(d, "Daily Cross", "Daily", "MovingAverage[MA,Close,5,0,D]>MovingAverage[MA,Close,20,0,D]",
                    "MovingAverage[MA,Close,5,0,D]<MovingAverage[MA,Close,20,0,D]");
        AddStrategy(d, "Five Minute Cross", "5", "MovingAverage[MA,Close,5,0,5]>MovingAverage[MA,Close,20,0,5]",
                    "MovingAverage[MA,Close,5,0,5]<MovingAverage[MA,Close,20,0,5]");
        EXPECT_EQ(2, d.GetStrategyCount());
        set = true;
        uitest::Click(d, IDOK);
    });
    view.SendMessage(WM_COMMAND, MAKEWPARAM(ID_BT_STRATEGY_SETUP, 0), 0);
    ASSERT_TRUE(set);
    ASSERT_TRUE(view.IsRunning() || view.GetResults().GetGroups().size() > 0);
    ASSERT_TRUE(uitest::PumpUntil([&] { return !view.IsRunning(); }, 170000));
    PumpFor(100);
    EXPECT_EQ(CString("BackTesting (2 Strategies)"), view.MakeTitle());
    // Every symbol and strategy has its group; both strategies traded.
    EXPECT_EQ(20u, view.GetResults().GetGroups().size());
    std::set<std::string> traded;
    for (const auto& [symbol, strategies] : view.GetResults().GetEntries())
        for (const auto& [strategy, list] : strategies)
            if (!list.empty())
                traded.insert(strategy.str());
    EXPECT_EQ((std::set<std::string>{"Daily Cross", "Five Minute Cross"}), traded);
    CBackTestCtrl& list = view.GetList();
    EXPECT_EQ(static_cast<int>(view.GetResults().GetEntryCount()), list.GetItemCount());
    view.SetMode(kSummaryMode);
    view.ToggleTotal();
    ASSERT_GT(list.GetItemCount(), 2);
    EXPECT_EQ(CString("Total"), list.GetItemText(list.GetItemCount() - 1, 0));

    // Run again on the same job and cancel it while it works.
    auto again = std::make_shared<CStrategySetup>(*view.GetSetup());
    ASSERT_TRUE(view.StartJob(again));
    PumpFor(300);
    const auto before = std::chrono::steady_clock::now();
    view.SendMessage(WM_COMMAND, MAKEWPARAM(ID_BT_CANCEL, 0), 0);
    const auto took = std::chrono::steady_clock::now() - before;
    std::cout << "cancel took " << std::chrono::duration_cast<std::chrono::microseconds>(took).count() << " us\n";
    EXPECT_FALSE(view.IsRunning());
    EXPECT_LT(took, std::chrono::seconds(2));
    PumpFor(100);
    EXPECT_EQ(CString("BackTesting (2 Strategies)"), view.MakeTitle());

    // The first run's results again, then a custom chart of a daily row.
    view.LoadResults(CString());  // no such file: told, nothing changes
    auto rerun = std::make_shared<CStrategySetup>(*view.GetSetup());
    rerun->RemoveAllStrategies();
    rerun->AddStrategy(view.GetSetup()->GetStrategy(0));
    rerun->m_symbols = "IBM";
    ASSERT_TRUE(view.StartJob(rerun));
    ASSERT_TRUE(uitest::PumpUntil([&] { return !view.IsRunning(); }, 60000));
    PumpFor(100);
    ASSERT_GE(list.GetItemCount(), 1);
    EXPECT_EQ(CString("IBM"), list.GetItemText(0, 0));
    ASSERT_TRUE(view.OpenChartForRow(0, true));
    PumpFor(200);
    CGraphsView* chartView = nullptr;
    for (CView* v : app.GetWindowViews())
        if (auto* g = dynamic_cast<CGraphsView*>(v))
            chartView = g;
    ASSERT_NE(chartView, nullptr);
    CChartController* chart = chartView->GetChart();
    ASSERT_NE(chart, nullptr);
    // The two averages of the formulas and the equity curve.
    EXPECT_EQ(3, chart->GetStudyCount());
    auto* doc = dynamic_cast<CGraphsDoc*>(chartView->GetDocument());
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(CString("IBM"), doc->GetSymbol());
    EXPECT_EQ(CString("D"), doc->GetInterval());
    CloseAndExit(app);
}

TEST_F(BacktestWorkstation, HistoryRepliesCutShortAreToldAndShowNoResults)
{
    CWorkstationApp app;
    ASSERT_TRUE(Start(app));
    CBackTestView& view = OpenBacktestWindow(app);
    // Monday 10/5/2026 to Friday 10/9/2026, a week of sessions; every history reply is cut
    // inside its first line.
    auto job = std::make_shared<CStrategySetup>();
    job->m_symbols = "IBM";
    job->m_startTime = DateTimeToFeedTime(2026, 10, 5, 0, 0, 0);
    job->m_endTime = DateTimeToFeedTime(2026, 10, 9, 23, 59, 58);
    job->m_nUntilNow = 0;
    job->AddStrategy(LongStrategy("Swing", "Bar[Close,D]>0", "Bar[Close,D]<0"));
    m_broker->FailReplies("history", ApiFault::CutReply, 1000, 10);
    m_responder->boxes.clear();
    ASSERT_TRUE(view.StartJob(job));
    ASSERT_TRUE(uitest::PumpUntil([&] { return !view.IsRunning() && !m_responder->boxes.empty(); }, 60000));
    EXPECT_EQ(std::vector<CString>{"Strategy \"Swing\" on IBM was not tested: the price history of IBM from "
                                   "10/5/2026 to 10/9/2026 could not be loaded."},
              m_responder->Texts());
    EXPECT_TRUE(view.GetResults().GetGroups().empty());
    EXPECT_EQ(0, view.GetList().GetItemCount());

    // Whole replies again: the same run has its results.
    m_broker->ClearFaults();
    m_responder->boxes.clear();
    ASSERT_TRUE(view.StartJob(std::make_shared<CStrategySetup>(*job)));
    ASSERT_TRUE(uitest::PumpUntil([&] { return !view.IsRunning(); }, 60000));
    PumpFor(100);
    EXPECT_TRUE(m_responder->boxes.empty()) << m_responder->LastText().GetString();
    EXPECT_EQ(1u, view.GetResults().GetGroups().size());
    CloseAndExit(app);
}

TEST_F(BacktestWorkstation, AStrategyTradedLivePlacesItsEntryOrder)
{
    CWorkstationApp app;
    ASSERT_TRUE(Start(app));
    app.Settings().m_tradingDefaults.Row(1).programTrading = 1;  // "Place Order"
    const auto alertWizard = [](const char* formula, bool order) {
        uitest::WhenModalIs<CTradeAlertSetupDlg>([formula, order](CTradeAlertSetupDlg& w) {
            uitest::Type(w, 1571, formula);
            if (order) {
                uitest::Click(w, 1581);
                ASSERT_TRUE(uitest::Choose(w, kOrderType, "Limit"));
                uitest::Type(w, kQuantity, "10");
                uitest::Type(w, kPrice, "1.25");
            }
            uitest::Click(w, IDOK);
        });
    };
    uitest::WhenModalIs<CStrategyTradingSetupDlg>([&](CStrategyTradingSetupDlg& d) {
        uitest::Type(d, IDC_ST_SYMBOLS, "msft");
        uitest::Type(d, IDC_ST_NAME, "Breakout");
        uitest::Type(d, IDC_ST_ENTRY_NAME, "Above 600");
        alertWizard("Last>600", true);
        uitest::Click(d, IDC_ST_ENTRY_WIZARD);
        uitest::Type(d, IDC_ST_EXIT_NAME, "Below 500");
        alertWizard("Last<500", false);
        uitest::Click(d, IDC_ST_EXIT_WIZARD);
        uitest::Click(d, IDOK);
    });
    ASSERT_TRUE(RunStrategyTradingSetup(app.MainFrame(), nullptr));
    CAlertBook* book = CAlertBook::Instance();
    ASSERT_NE(book, nullptr);
    ASSERT_EQ(book->Count(), 1u);
    auto* strategy = dynamic_cast<CStrategyAlert*>(book->At(0));
    ASSERT_NE(strategy, nullptr);
    EXPECT_EQ(CString("MSFT"), strategy->m_symbol);
    ASSERT_NE(strategy->GetEntryAlert(), nullptr);
    ASSERT_NE(strategy->GetEntryAlert()->GetTradeInfo(), nullptr);
    ASSERT_TRUE(m_broker->WaitForSubscription(0, "MSFT", 5000));
    PumpFor(300);
    // The entry alert's popup shows the firing; "Place Order" sends its order.
    bool popup = false;
    uitest::WhenModalIs<CAlertPopupDlg>([&popup](CAlertPopupDlg& d) {
        popup = true;
        uitest::Click(d, IDOK);
    });
    ASSERT_TRUE(m_broker->InjectTrade("MSFT", 601.0, 100));
    ASSERT_TRUE(uitest::PumpUntil([&] { return !m_broker->OrderRequests().empty(); }, 30000)) << popup;
    EXPECT_TRUE(popup);
    const auto requests = m_broker->OrderRequests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].name, "EquityTrade");
    EXPECT_NE(requests[0].orderString.find("MSFT"), std::string::npos);
    EXPECT_NE(requests[0].orderString.find("buy"), std::string::npos);
    CloseAndExit(app);
}

TEST_F(BacktestWorkstation, TheAlertManagersAddStrategyMakesAndEditsAStrategyAlert)
{
    CWorkstationApp app;
    ASSERT_TRUE(Start(app));
    CDocument* doc = app.OpenWindowOfKind(kKindAlertManager, false);
    auto* view = doc ? dynamic_cast<EditAlertList*>(doc->GetFirstView()) : nullptr;
    ASSERT_NE(view, nullptr);
    const auto command = [view](UINT id) { view->SendMessage(WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), 0), 0); };
    // The shell's hook enables "Add Strategy...".
    CCmdUI ui(ID_ALERT_ADD_STRATEGY);
    ui.DoUpdate(view, true);
    EXPECT_TRUE(ui.m_enabled);

    const auto alertWizard = [](const char* formula) {
        uitest::WhenModalIs<CTradeAlertSetupDlg>([formula](CTradeAlertSetupDlg& w) {
            uitest::Type(w, 1571, formula);
            uitest::Click(w, IDOK);
        });
    };
    uitest::WhenModalIs<CStrategyTradingSetupDlg>([&](CStrategyTradingSetupDlg& d) {
        uitest::Type(d, IDC_ST_SYMBOLS, "msft ibm");
        uitest::Type(d, IDC_ST_NAME, "Breakout");
        uitest::Type(d, IDC_ST_ENTRY_NAME, "Above 600");
        alertWizard("Last>600");
        uitest::Click(d, IDC_ST_ENTRY_WIZARD);
        uitest::Type(d, IDC_ST_EXIT_NAME, "Below 500");
        alertWizard("Last<500");
        uitest::Click(d, IDC_ST_EXIT_WIZARD);
        uitest::Type(d, IDC_ST_NUM_TRIPS, "7");
        uitest::Click(d, IDOK);
    });
    command(ID_ALERT_ADD_STRATEGY);
    CAlertBook* book = CAlertBook::Instance();
    ASSERT_NE(book, nullptr);
    ASSERT_EQ(book->Count(), 2u);
    CAlertListCtrl& list = view->GetList();
    ASSERT_TRUE(uitest::PumpUntil([&] { return list.GetItemCount() == 2; }, 5000));
    auto* msft = dynamic_cast<CStrategyAlert*>(book->At(0));
    ASSERT_NE(msft, nullptr);
    EXPECT_EQ(CString("MSFT"), msft->m_symbol);
    EXPECT_EQ(CString("Breakout"), msft->m_strategyName);
    EXPECT_EQ(7, msft->m_nNumRoundTrips);
    ASSERT_NE(msft->GetExitAlert(), nullptr);
    EXPECT_EQ(CString("MSFT"), msft->GetExitAlert()->m_symbol);
    const auto msftId = msft->GetId();
    msft->m_nNumTriggered = 2;

    // Editing the MSFT row (without reset) shows it in the dialog and replaces it,
    // keeping its round-trip count.
    CString shownName;
    CString shownSymbols;
    uitest::WhenModalIs<CStrategyTradingSetupDlg>([&](CStrategyTradingSetupDlg& d) {
        shownName = uitest::Text(d, IDC_ST_NAME);
        shownSymbols = uitest::Text(d, IDC_ST_SYMBOLS);
        uitest::Type(d, IDC_ST_NAME, "Breakout II");
        uitest::Click(d, IDOK);
    });
    int msftRow = -1;
    for (int row = 0; row < list.GetItemCount(); ++row)
        if (list.GetItemText(row, 0) == "MSFT")
            msftRow = row;
    ASSERT_GE(msftRow, 0);
    list.SetItemState(msftRow, LVIS_SELECTED, LVIS_SELECTED);
    command(ID_ALERT_EDIT_NO_RESET);
    EXPECT_EQ(shownName, "Breakout");
    EXPECT_EQ(shownSymbols, "MSFT");
    ASSERT_EQ(book->Count(), 2u);
    EXPECT_EQ(book->FindAlertIndex(msftId), -1);
    const CStrategyAlert* edited = nullptr;
    for (size_t i = 0; i < book->Count(); ++i)
        if (auto* s = dynamic_cast<CStrategyAlert*>(book->At(i)); s && s->m_symbol == "MSFT")
            edited = s;
    ASSERT_NE(edited, nullptr);
    EXPECT_EQ(CString("Breakout II"), edited->m_strategyName);
    EXPECT_EQ(2, edited->m_nNumTriggered.load());
    ASSERT_NE(edited->GetEntryAlert(), nullptr);
    EXPECT_EQ(CString("MSFT"), edited->GetEntryAlert()->m_symbol);
    ASSERT_TRUE(uitest::PumpUntil([&] { return list.GetItemCount() == 2; }, 5000));
    CloseAndExit(app);
}
