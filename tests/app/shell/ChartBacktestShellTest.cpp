// A chart's own backtest in the running workstation against the test broker: a strategy
// set up in the chart's Strategy Setup dialog runs on the chart's symbol and interval;
// its trade markers, cumulative profit and equity curve agree with the BackTesting
// window that "Backtesting Report" opens for the same strategy, which lists the same
// trades; a new interval runs it again, and a layout keeps it.
#include "ShellBrokerFixture.h"
#include "tests/trading/ui/UiDriving.h"

#include "analytics/series/CPriceSeries.h"
#include "app/shell/CWorkstationApp.h"
#include "backtest/CStrategySetup.h"
#include "backtest/ui/BacktestUiIds.h"
#include "backtest/ui/CBackTestView.h"
#include "backtest/ui/CStrategySetupDlg.h"
#include "chart/ui/CChartController.h"
#include "chart/ui/CGraphsDoc.h"
#include "chart/ui/CGraphsView.h"
#include "chart/ui/ChartIds.h"
#include "common/windows/ShellIds.h"
#include "platform/core/CArchive.h"
#include "platform/core/CMemFile.h"
#include "platform/ui/CMenu.h"
#include "studies/CStudyDefinition.h"
#include "studies/StudyFactory.h"
#include "studies/plots/CPricePlot.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

namespace {

class ChartBacktestShell : public ShellBrokerFixture {};

bool Loaded(CGraphsView* pane)
{
    CPricePlot* price = pane ? pane->GetPricePlot() : nullptr;
    return price && price->GetPriceSeries() && !price->GetPriceSeries()->IsWaitingForData() && price->IsReady() &&
           pane->IsInitialised();
}

// The chart's Strategy Setup dialog: a strategy that goes long when the close is above
// its 3-day average and leaves when it is below, tested over the last year.
void SetUpStrategy(CChartController& chart)
{
    bool shown = false;
    uitest::WhenModalIs<CStrategySetupDlg>([&](CStrategySetupDlg& d) {
        shown = true;
        // The chart's symbol is the only one: the symbol fields are hidden.
        EXPECT_FALSE(d.GetDlgItem(static_cast<int>(IDC_SS_SYMBOLS))->IsWindowVisible());
        const int year = std::atoi(d.GetDlgItemText(static_cast<int>(IDC_SS_FROM_YEAR)).GetString());
        uitest::Type(d, IDC_SS_FROM_YEAR, std::to_string(year - 1).c_str());
        uitest::Type(d, IDC_SS_COMISSION, "1.5");
        uitest::Type(d, IDC_SS_NAME, "Above Average");
        uitest::Type(d, IDC_SS_ENTRY_NAME, "Close over MA");
        uitest::Type(d, IDC_SS_EXIT_NAME, "Close under MA");
        d.m_entryExpression = "Bar[Close,D]>MovingAverage[MA,Close,3,0,D]";
        d.m_exitExpression = "Bar[Close,D]<MovingAverage[MA,Close,3,0,D]";
        uitest::Type(d, IDC_SS_QUANTITY, "100");
        uitest::Type(d, IDC_SS_INTERVAL, "Daily");
        uitest::Click(d, IDC_SS_ADD);
        EXPECT_EQ(1, d.GetStrategyCount());
        uitest::Click(d, IDOK);
    });
    chart.GetFrame()->SendMessage(WM_COMMAND, MAKEWPARAM(ID_STRATEGY_SETUP, 0), 0);
    EXPECT_TRUE(shown);
}

} // namespace

TEST_F(ChartBacktestShell, MarkersProfitAndEquityMatchTheBacktestingReport)
{
    CScopedUiResponder responder(std::make_unique<uitest::AnsweringResponder>());
    CWorkstationApp app;
    app.m_arguments = {"--home", m_home.Path(), "--user", "demo", "--password", "demo"};
    ASSERT_TRUE(app.InitInstance());
    CGraphsView* pane = dynamic_cast<CGraphsView*>(app.OpenWindowOfKind(kKindChart, false)->GetFirstView());
    ASSERT_NE(nullptr, pane);
    pane->ChangeSymbolInterval("IBM", "D", false);
    ASSERT_TRUE(uitest::PumpUntil([&] { return Loaded(pane); }, 60000));
    CChartController* chart = GetChartController(pane->GetParentFrame());
    ASSERT_NE(nullptr, chart);
    chart->AddStudy(CreateStudyById(kStudyEquityCurve, CString()));
    ASSERT_EQ(2, chart->GetPaneCount());

    // The price pane's menu offers the report only once the chart has a strategy.
    const auto menuHas = [&](UINT id) {
        CMenu menu;
        menu.CreatePopupMenu();
        pane->BuildContextMenu(menu);
        CString text;
        return menu.GetMenuString(id, text, MF_BYCOMMAND) > 0;
    };
    EXPECT_TRUE(menuHas(ID_STRATEGY_SETUP));
    EXPECT_FALSE(menuHas(ID_BACKTEST_REPORT));
    SetUpStrategy(*chart);
    ASSERT_NE(nullptr, chart->GetStrategySetup());
    EXPECT_TRUE(menuHas(ID_BACKTEST_REPORT));
    ASSERT_TRUE(uitest::PumpUntil([&] { return !chart->IsBacktestRunning(); }, 120000));
    PumpFor(300);
    const auto& fills = chart->GetBacktest().GetFills();
    ASSERT_GE(fills.size(), 4u);
    EXPECT_NE(-1, pane->GetParentFrame()->GetWindowText().Find("IBM"));
    EXPECT_EQ(-1, pane->GetParentFrame()->GetWindowText().Find("Backtesting..."));

    // The report: a BackTesting window running the same strategy on IBM, daily.
    CBackTestView* report = dynamic_cast<CBackTestView*>(chart->OnBacktestReport());
    ASSERT_NE(nullptr, report);
    ASSERT_TRUE(uitest::PumpUntil([&] { return !report->IsRunning(); }, 120000));
    PumpFor(200);
    ASSERT_NE(nullptr, report->GetSetup());
    EXPECT_EQ(CString("IBM"), report->GetSetup()->m_symbols);
    const CBackTestResults::EntryList* listed = report->GetResults().FindList("IBM", "Above Average");
    ASSERT_NE(nullptr, listed);
    ASSERT_EQ(fills.size(), listed->size());
    EXPECT_EQ(static_cast<int>(fills.size()), report->GetList().GetItemCount());
    for (size_t i = 0; i < fills.size(); ++i) {
        const BackTestEntry& mine = *fills[i];
        const BackTestEntry& theirs = *(*listed)[i];
        EXPECT_EQ(theirs.m_nTime, mine.m_nTime) << i;
        EXPECT_EQ(theirs.m_nAction, mine.m_nAction) << i;
        EXPECT_EQ(theirs.m_price, mine.m_price) << i;
        EXPECT_NEAR(theirs.m_cumulativeProfit, mine.m_cumulativeProfit, 1e-9) << i;
    }

    // Every fill is marked on its bar with its action (the last of the bar's fills).
    CPricePlot* price = pane->GetPricePlot();
    const auto& markers = chart->GetTradeMarkers();
    ASSERT_EQ(fills.size(), markers.size());
    for (size_t i = 0; i < listed->size(); ++i) {
        int bar = -1;
        ASSERT_TRUE(price->FindBarByTime(static_cast<DWORD>((*listed)[i]->m_nTime), bar)) << i;
        int lastOfBar = (*listed)[i]->m_nAction;
        DWORD start = 0, end = 0;
        ASSERT_TRUE(price->GetBarTime(bar, CStudyPlot::kBarStart, start));
        ASSERT_TRUE(price->GetBarTime(bar, CStudyPlot::kBarEnd, end));
        for (size_t j = i + 1; j < listed->size(); ++j)
            if (static_cast<DWORD>((*listed)[j]->m_nTime) <= end)
                lastOfBar = (*listed)[j]->m_nAction;
        EXPECT_EQ(lastOfBar, price->GetTradeMarkerAt(bar)) << i;
    }

    // The equity curve: on the bar of a fill that leaves the position flat it is the
    // window's cumulative profit; on a bar held long, that plus 100 x (close - entry).
    CGraphsView* equityPane = chart->GetPane(1);
    ASSERT_NE(nullptr, equityPane);
    ASSERT_GE(equityPane->GetPlotCount(), 1);
    CStudyPlot* equity = equityPane->GetPlot(0);
    ASSERT_TRUE(uitest::PumpUntil([&] { double v = 0; return equity->ReadValue(equity->GetLastVisibleBar(), 0, v); }, 20000));
    int checkedFlat = 0, checkedLong = 0;
    for (size_t i = 0; i < listed->size(); ++i) {
        const BackTestEntry& e = *(*listed)[i];
        int bar = -1;
        ASSERT_TRUE(equity->FindBarByTime(static_cast<DWORD>(e.m_nTime), bar));
        DWORD end = 0;
        ASSERT_TRUE(price->GetBarTime(bar, CStudyPlot::kBarEnd, end));
        if (i + 1 < listed->size() && static_cast<DWORD>((*listed)[i + 1]->m_nTime) <= end)
            continue;  // another fill on the same bar
        double value = 0;
        ASSERT_TRUE(equity->ReadValue(bar, 0, value)) << i;
        if (e.m_nAction == kActionSell) {
            EXPECT_NEAR(e.m_cumulativeProfit, value, 1e-6) << i;
            ++checkedFlat;
        } else if (e.m_nAction == kActionBuy) {
            double close = 0;
            ASSERT_TRUE(price->ReadValue(bar, price->GetFieldIndex("Close"), close));
            EXPECT_NEAR(e.m_cumulativeProfit + 100.0 * (close - e.m_price), value, 1e-6) << i;
            ++checkedLong;
        }
    }
    EXPECT_GT(checkedFlat, 0);
    EXPECT_GT(checkedLong, 0);

    // A layout keeps the strategy; a new chart loading it runs it on its own symbol.
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        ASSERT_TRUE(chart->StoreLayout(ar));
        ar.Close();
    }
    CGraphsView* other = dynamic_cast<CGraphsView*>(app.OpenWindowOfKind(kKindChart, true)->GetFirstView());
    ASSERT_NE(nullptr, other);
    CChartController* copy = GetChartController(other->GetParentFrame());
    file.SeekToBegin();
    {
        CArchive ar(&file, CArchive::load);
        ASSERT_TRUE(copy->LoadLayout(ar));
    }
    ASSERT_NE(nullptr, copy->GetStrategySetup());
    EXPECT_EQ(CString("Above Average"), copy->GetStrategySetup()->GetStrategy(0).m_name);
    ASSERT_TRUE(uitest::PumpUntil([&] { return !copy->IsBacktestRunning() && copy->GetEquityRecords(); }, 120000));
    EXPECT_EQ(fills.size(), copy->GetBacktest().GetFills().size());

    // A weekly interval tests the strategy again at that interval; a stop asked for after
    // the last run ended does not stop it.
    std::vector<int> dailyTimes;
    for (const auto& fill : fills)
        dailyTimes.push_back(fill->m_nTime);
    chart->StopBacktest();
    pane->ChangeSymbolInterval("IBM", "W", false);
    ASSERT_TRUE(uitest::PumpUntil([&] { return !chart->IsBacktestRunning() && chart->GetEquityRecords(); }, 120000));
    std::vector<int> weeklyTimes;
    for (const auto& fill : chart->GetBacktest().GetFills())
        weeklyTimes.push_back(fill->m_nTime);
    EXPECT_FALSE(weeklyTimes.empty());
    EXPECT_NE(dailyTimes, weeklyTimes);

    // A symbol chosen while a run works restarts it: only the new symbol's fills stay.
    pane->ChangeSymbolInterval("IBM", "D", false);
    pane->ChangeSymbolInterval("MSFT", "D", false);
    ASSERT_TRUE(uitest::PumpUntil([&] { return !chart->IsBacktestRunning() && chart->GetEquityRecords(); }, 120000));
    PumpFor(200);
    ASSERT_FALSE(chart->GetBacktest().GetFills().empty());
    for (const auto& fill : chart->GetBacktest().GetFills())
        EXPECT_EQ(CString("MSFT"), fill->m_symbol);
    EXPECT_EQ(chart->GetBacktest().GetFills().size(), chart->GetTradeMarkers().size());

    // A chart whose strategy is taken away keeps no results.
    chart->SetStrategySetup(nullptr);
    PumpFor(100);
    EXPECT_TRUE(chart->GetBacktest().GetFills().empty());
    EXPECT_TRUE(chart->GetTradeMarkers().empty());
    EXPECT_EQ(nullptr, chart->GetEquityRecords());
    CloseAndExit(app);
}
