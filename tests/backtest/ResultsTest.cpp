// Backtest results: a fill's profit, the statistics of a symbol and strategy and the
// Total, worked out by hand; the results file and the column layouts as stored; the
// list's cell texts and comparisons.
#include "backtest/BackTestColumns.h"
#include "backtest/BackTestStatistics.h"
#include "backtest/CBackTestResults.h"
#include "backtest/CStrategySetup.h"
#include "broker/core/FeedTime.h"
#include "tests/support/ArchiveBytes.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

DWORD Day(int month, int day)
{
    return DateTimeToFeedTime(2026, month, day, 0, 0, 0);
}

std::unique_ptr<BackTestEntry> Fill(int action, int quantity, double price, DWORD time, double high = 0,
                                    double low = 0, DWORD highDate = 0, DWORD lowDate = 0)
{
    auto e = std::make_unique<BackTestEntry>();
    e->m_symbol = "IBM";
    e->m_strategy = "Cross";
    e->m_formula = action == kActionBuy ? "In" : "Out";
    e->m_nAction = action;
    e->m_nQuantity = quantity;
    e->m_price = price;
    e->m_nTime = static_cast<int>(time);
    e->m_comission = 1;
    e->m_nStartTime = static_cast<int>(Day(1, 1));
    e->m_nEndTime = static_cast<int>(Day(3, 1));
    e->m_highPrice = high;
    e->m_lowPrice = low;
    e->m_nHighDate = static_cast<int>(highDate);
    e->m_nLowDate = static_cast<int>(lowDate);
    return e;
}

// Four round trips, commission 1 a side:
//   buy 100 @ 10 on 1/5, sell @ 12 on 1/15 (high 12.5 on 1/12, low 9.5 on 1/6):  +198, 19.8 %
//   buy 100 @ 12 on 1/20, sell @ 11 on 1/25 (high 12.2, low 10.8):              -102, -8.5 %
//   buy 100 @ 11 on 2/1, sell @ 10.5 on 2/3 (high 11.3, low 10.5):               -52, -4.7272...%
//   buy 50 @ 10 on 2/10, sell @ 10.03125 on 2/11 (no high or low recorded):   -0.4375, -0.0875 %
//     (up per share, so a win for the streaks, but a loser after commissions)
std::vector<std::unique_ptr<BackTestEntry>> FourTrips()
{
    std::vector<std::unique_ptr<BackTestEntry>> v;
    v.push_back(Fill(kActionBuy, 100, 10, Day(1, 5)));
    v.push_back(Fill(kActionSell, 100, 12, Day(1, 15), 12.5, 9.5, Day(1, 12), Day(1, 6)));
    v.push_back(Fill(kActionBuy, 100, 12, Day(1, 20)));
    v.push_back(Fill(kActionSell, 100, 11, Day(1, 25), 12.2, 10.8, Day(1, 21), Day(1, 24)));
    v.push_back(Fill(kActionBuy, 100, 11, Day(2, 1)));
    v.push_back(Fill(kActionSell, 100, 10.5, Day(2, 3), 11.3, 10.5, Day(2, 2), Day(2, 3)));
    v.push_back(Fill(kActionBuy, 50, 10, Day(2, 10)));
    v.push_back(Fill(kActionSell, 50, 10.03125, Day(2, 11)));
    return v;
}

EntryGroup Group(const char* symbol, double start, double end)
{
    EntryGroup g;
    g.m_symbol = symbol;
    g.m_strategy = "Cross";
    g.m_startPrice = start;
    g.m_endPrice = end;
    return g;
}

std::filesystem::path TempPath(const char* name)
{
    return std::filesystem::temp_directory_path() / (std::string("qx_results_") + std::to_string(getpid()) + name);
}

}  // namespace

TEST(BackTestFigures, TradeRowsCarryProfitAndItsRunningSum)
{
    auto trips = FourTrips();
    const BackTestEntry* previous = nullptr;
    std::vector<double> profit, cumulative;
    for (auto& e : trips) {
        ComputeTradeRow(*e, previous);
        profit.push_back(e->m_profit);
        cumulative.push_back(e->m_cumulativeProfit);
        previous = e.get();
    }
    EXPECT_EQ(std::vector<double>({0, 198, 0, -102, 0, -52, 0, -0.4375}), profit);
    EXPECT_EQ(std::vector<double>({0, 198, 198, 96, 96, 44, 44, 43.5625}), cumulative);
    EXPECT_DOUBLE_EQ(19.8, trips[1]->m_profitPercent);
    EXPECT_DOUBLE_EQ(-8.5, trips[3]->m_profitPercent);
    // A fill after one of another symbol starts afresh.
    auto other = Fill(kActionSell, 100, 50, Day(2, 12));
    other->m_symbol = "MSFT";
    ComputeTradeRow(*other, trips.back().get());
    EXPECT_EQ(0, other->m_profit);
    EXPECT_EQ(0, other->m_cumulativeProfit);
    // A short closed lower gains.
    auto shortIn = Fill(kActionSellShort, 10, 20, Day(1, 5));
    auto shortOut = Fill(kActionBuyToCover, 10, 18, Day(1, 6));
    ComputeTradeRow(*shortOut, shortIn.get());
    EXPECT_EQ(18, shortOut->m_profit);
}

TEST(BackTestFigures, SummaryOfFourRoundTripsWorkedByHand)
{
    const auto trips = FourTrips();
    const BackTestSummary s = ComputeSummary(trips, Group("IBM", 20, 25));
    EXPECT_EQ(1, s.m_nWinners);
    EXPECT_EQ(3, s.m_nLosers);
    EXPECT_EQ(4, s.GetNumTrades());
    EXPECT_DOUBLE_EQ(43.5625, s.m_profitLoss);
    EXPECT_DOUBLE_EQ(198, s.m_totalProfit);
    EXPECT_DOUBLE_EQ(-154.4375, s.m_totalLoss);
    EXPECT_DOUBLE_EQ(198, s.m_largestWinner);
    EXPECT_DOUBLE_EQ(-102, s.m_largestLoser);
    // Signs per share: +, -, -, +: one win, then two losses, then a win.
    EXPECT_EQ(1u, s.m_nMaxConsecWinners);
    EXPECT_EQ(2u, s.m_nMaxConsecLosers);
    EXPECT_NEAR(19.8 - 8.5 - 52.0 / 11 - 0.0875, s.m_profitLossPercent, 1e-9);
    // Drawdown: 100 * (9.5 - 10) + 0 = -50 on the first trip; the others stay above.
    EXPECT_DOUBLE_EQ(-50, s.m_maxDrawdown);
    EXPECT_EQ(static_cast<int>(Day(1, 6)), s.m_nDrawdownDate);
    EXPECT_DOUBLE_EQ(250, s.m_maxRunup);
    EXPECT_EQ(static_cast<int>(Day(1, 12)), s.m_nRunupDate);
    EXPECT_DOUBLE_EQ(198.0 / 154.4375, s.GetProfitFactor());
    EXPECT_DOUBLE_EQ(198.0 / (154.4375 / 3), s.GetPayoffRatio());
    EXPECT_DOUBLE_EQ(43.5625 / 4, s.GetAvgTrade());
    EXPECT_DOUBLE_EQ(25, s.GetPctWinners());
    EXPECT_DOUBLE_EQ(25, s.GetBuyHoldReturn());
    // 37 days from the first buy to the last sell, 18 of them in the market, of a
    // 59-day range.
    EXPECT_NEAR(s.m_profitLossPercent / (37.0 / 365), s.m_annualReturn, 1e-9);
    EXPECT_NEAR(s.m_profitLossPercent / (18.0 / 365), s.m_annualReturnInMarket, 1e-9);
    EXPECT_NEAR(18.0 / 59 * 100, s.m_pctTimeInMarket, 1e-9);
    EXPECT_EQ(static_cast<int>(Day(1, 1)), s.m_nStartDate);
    EXPECT_EQ(static_cast<int>(Day(3, 1)), s.m_nEndDate);
}

TEST(BackTestFigures, EdgesOfTheFigures)
{
    // A single fill: no annual returns and no time in the market.
    std::vector<std::unique_ptr<BackTestEntry>> one;
    one.push_back(Fill(kActionBuy, 100, 10, Day(1, 5)));
    const BackTestSummary single = ComputeSummary(one, Group("IBM", 0, 10));
    EXPECT_EQ(0, single.m_annualReturn);
    EXPECT_EQ(0, single.m_pctTimeInMarket);
    EXPECT_EQ(0, single.GetBuyHoldReturn());  // start price 0

    // A trade of exactly 0 is in no count, but a zero move leaves the streaks alone.
    std::vector<std::unique_ptr<BackTestEntry>> flat;
    flat.push_back(Fill(kActionBuy, 4, 10, Day(1, 5)));
    flat.push_back(Fill(kActionSell, 4, 10.5, Day(1, 6)));  // +2 - 2 = 0
    const BackTestSummary zero = ComputeSummary(flat, Group("IBM", 1, 1));
    EXPECT_EQ(0, zero.GetNumTrades());
    EXPECT_EQ(1u, zero.m_nMaxConsecWinners);
    EXPECT_EQ(0, zero.m_largestWinner);

    // Profit Factor and Payoff Ratio divide whenever there is a loss, however small.
    BackTestSummary f;
    f.m_nWinners = 2;
    f.m_nLosers = 2;
    f.m_totalProfit = 30;
    f.m_totalLoss = -1;
    EXPECT_DOUBLE_EQ(30, f.GetProfitFactor());
    f.m_totalLoss = -0.5;
    EXPECT_DOUBLE_EQ(60, f.GetProfitFactor());
    EXPECT_DOUBLE_EQ(15 / 0.25, f.GetPayoffRatio());
    f.m_totalLoss = 0;
    f.m_nLosers = 0;
    EXPECT_EQ(0, f.GetProfitFactor());
    EXPECT_EQ(0, f.GetPayoffRatio());

    // An exit with no entry before it is priced from 0.
    std::vector<std::unique_ptr<BackTestEntry>> orphan;
    orphan.push_back(Fill(kActionSell, 10, 5, Day(1, 5)));
    const BackTestSummary lone = ComputeSummary(orphan, Group("IBM", 1, 1));
    EXPECT_EQ(50 - 2, lone.m_profitLoss);
    EXPECT_EQ(0, lone.m_pctTimeInMarket);
}

TEST(BackTestFigures, TotalGathersTheRowsAndShowsPortfolioPercent)
{
    const auto trips = FourTrips();
    const BackTestSummary ibm = ComputeSummary(trips, Group("IBM", 20, 25));
    std::vector<std::unique_ptr<BackTestEntry>> msftTrips;
    msftTrips.push_back(Fill(kActionBuy, 10, 100, Day(1, 5)));
    msftTrips.push_back(Fill(kActionSell, 10, 130, Day(1, 9), 140, 80, Day(1, 7), Day(1, 6)));
    for (auto& e : msftTrips)
        e->m_symbol = "MSFT";
    const BackTestSummary msft = ComputeSummary(msftTrips, Group("MSFT", 1, 1));
    // 10 * 30 - 2 = 298; drawdown 10 * (80 - 100) = -200, run-up 10 * 40 = 400.
    EXPECT_EQ(298, msft.m_profitLoss);
    EXPECT_EQ(-200, msft.m_maxDrawdown);

    BackTestSummary total;
    total.m_symbol = "Total";
    CStrategySetup setup;
    EXPECT_FALSE(AccumulateTotal(total, ibm, &setup));
    EXPECT_FALSE(AccumulateTotal(total, msft, &setup));
    EXPECT_EQ(2, total.m_nWinners);
    EXPECT_EQ(3, total.m_nLosers);
    EXPECT_DOUBLE_EQ(43.5625 + 298, total.m_profitLoss);
    EXPECT_DOUBLE_EQ(198 + 298, total.m_totalProfit);
    EXPECT_DOUBLE_EQ(-154.4375, total.m_totalLoss);
    EXPECT_DOUBLE_EQ(298, total.m_largestWinner);
    EXPECT_DOUBLE_EQ(-102, total.m_largestLoser);
    EXPECT_EQ(2u, total.m_nMaxConsecLosers);
    EXPECT_DOUBLE_EQ(-200, total.m_maxDrawdown);
    EXPECT_DOUBLE_EQ(400, total.m_maxRunup);
    EXPECT_DOUBLE_EQ(496.0 / 154.4375, total.GetProfitFactor());
    EXPECT_EQ(CString("Total"), TotalCellText(total, 0, false));
    EXPECT_EQ(CString("341.56"), TotalCellText(total, 2, false));
    EXPECT_EQ(CString(""), TotalCellText(total, 3, false));
    EXPECT_EQ(CString("5"), TotalCellText(total, 19, false));
    EXPECT_EQ(CString(""), TotalCellText(total, 6, false));  // no start date in the Total
    EXPECT_EQ(CString(""), TotalCellText(total, 18, false));

    setup.m_nPortfolio = 1;
    setup.m_capital = 10000;
    ResetTotal(total);
    EXPECT_EQ(CString("Total"), total.m_symbol);
    EXPECT_EQ(0, total.m_nWinners);
    AccumulateTotal(total, ibm, &setup);
    EXPECT_TRUE(AccumulateTotal(total, msft, &setup));
    EXPECT_DOUBLE_EQ(341.5625 / 10000 * 100, total.m_profitLossPercent);
    EXPECT_EQ(CString("3.42"), TotalCellText(total, 3, true));
}

TEST(BackTestFigures, CellTextsAndComparisons)
{
    auto e = Fill(kActionBuyToCover, 300, 0.5, DateTimeToFeedTime(2005, 3, 7, 9, 30, 0));
    e->m_priceStr = "0.5000";
    EXPECT_EQ(CString("3/7/2005"), TradeCellText(*e, 3));
    EXPECT_EQ(CString("09:30:00"), TradeCellText(*e, 4));
    EXPECT_EQ(CString("Buy to Cover"), TradeCellText(*e, 5));
    EXPECT_EQ(CString("300"), TradeCellText(*e, 6));
    EXPECT_EQ(CString("0.5000"), TradeCellText(*e, 7));
    EXPECT_EQ(CString("0.50"), TradeCellText(*e, 7, true));

    auto later = Fill(kActionBuy, 300, 0.5, DateTimeToFeedTime(2005, 3, 7, 9, 31, 0));
    // Date and Time both order by the fill time; equal values compare equal.
    EXPECT_EQ(-1, CompareTradeRows(*e, *later, 3));
    EXPECT_EQ(-1, CompareTradeRows(*e, *later, 4));
    EXPECT_EQ(0, CompareTradeRows(*e, *later, 7));
    EXPECT_EQ(1, CompareTradeRows(*e, *later, 5));  // "Buy to Cover" after "Buy"
    EXPECT_EQ(0, CompareTradeRows(*e, *later, 42));

    BackTestSummary a, b;
    a.m_symbol = "A";
    b.m_symbol = "B";
    a.m_profitLoss = 5;
    b.m_profitLoss = 5;
    EXPECT_EQ(0, CompareSummaryRows(&a, &b, 2, true));
    EXPECT_EQ(-1, CompareSummaryRows(&a, &b, 0, true));
    EXPECT_EQ(1, CompareSummaryRows(&a, &b, 0, false));
    // The Total row (no record) sorts last either way.
    EXPECT_EQ(1, CompareSummaryRows(nullptr, &a, 0, true));
    EXPECT_EQ(1, CompareSummaryRows(nullptr, &a, 0, false));
    EXPECT_EQ(-1, CompareSummaryRows(&a, nullptr, 2, false));
    EXPECT_EQ(0, CompareSummaryRows(nullptr, nullptr, 2, false));
    EXPECT_EQ(CString(""), SummaryCellText(a, 27));  // a drawdown date of 0
    EXPECT_EQ(CString("5.00"), SummaryCellText(a, 2));
}

TEST(BackTestResultsFile, RoundTripsEntriesGroupsAndTheJob)
{
    CBackTestResults results;
    auto trips = FourTrips();
    const BackTestEntry* previous = nullptr;
    for (auto& e : trips) {
        e->m_strategy = "Cross ]]> <&>";
        e->m_priceStr = "12.00";
        ComputeTradeRow(*e, previous);
        previous = e.get();
    }
    for (auto& e : trips)
        results.AddEntry(std::make_unique<BackTestEntry>(*e));
    EntryGroup g = Group("IBM", 20.25, 25.5);
    g.m_strategy = "Cross ]]> <&>";
    results.AddGroup(g);
    CStrategySetup setup;
    CStrategyDefinition s;
    s.m_name = "Cross ]]> <&>";
    s.m_entryExpression = "Close>1";
    setup.AddStrategy(s);
    setup.m_symbols = "IBM";
    setup.m_nPortfolio = 1;
    setup.m_capital = 1000;

    const auto path = TempPath("run.btr");
    CString error;
    ASSERT_TRUE(WriteResultsFile(path.c_str(), results, &setup, error)) << error.GetString();
    CLoadedResults loaded;
    ASSERT_TRUE(ReadResultsFile(path.c_str(), loaded, error)) << error.GetString();
    std::filesystem::remove(path);
    ASSERT_TRUE(loaded.setup);
    EXPECT_EQ(setup.GetStrategy(0), loaded.setup->GetStrategy(0));
    EXPECT_EQ(1, loaded.setup->m_nPortfolio);
    ASSERT_EQ(1u, loaded.groups.size());
    EXPECT_EQ(g.m_strategy, loaded.groups[0].group.m_strategy);
    EXPECT_EQ(20.25, loaded.groups[0].group.m_startPrice);
    ASSERT_EQ(trips.size(), loaded.groups[0].entries.size());
    for (size_t i = 0; i < trips.size(); ++i) {
        const BackTestEntry& a = *trips[i];
        const BackTestEntry& b = *loaded.groups[0].entries[i];
        EXPECT_EQ(a.m_strategy, b.m_strategy);
        EXPECT_EQ(a.m_formula, b.m_formula);
        EXPECT_EQ(a.m_nAction, b.m_nAction);
        EXPECT_EQ(a.m_nTime, b.m_nTime);
        EXPECT_NEAR(a.m_price, b.m_price, 0.00005);  // four decimals in the file
        EXPECT_EQ(a.m_priceStr, b.m_priceStr);
        EXPECT_NEAR(a.m_cumulativeProfit, b.m_cumulativeProfit, 0.005);  // two decimals in the file
        EXPECT_EQ(a.m_nHighDate, b.m_nHighDate);
        EXPECT_EQ(a.m_lowPrice, b.m_lowPrice);
    }
}

TEST(BackTestResultsFile, GroupWithoutItsOwnNamesTakesThemFromItsFirstEntry)
{
    CLoadedResults loaded;
    CString error;
    ASSERT_TRUE(ParseResultsText("<Backtest><EntryGroup><BackTestEntry><Symbol>MSFT</Symbol>"
                                 "<Strategy>S</Strategy><Action>0</Action></BackTestEntry></EntryGroup>"
                                 "<EntryGroup></EntryGroup></Backtest>",
                                 loaded, error));
    ASSERT_EQ(2u, loaded.groups.size());
    EXPECT_EQ(CString("MSFT"), loaded.groups[0].group.m_symbol);
    EXPECT_EQ(0, loaded.groups[0].group.m_startPrice);
    EXPECT_TRUE(loaded.groups[1].entries.empty());
    EXPECT_EQ(0, loaded.setup->GetStrategyCount());
}

TEST(BackTestResultsFile, DamagedFilesFailAndLeaveWhatWasRead)
{
    CLoadedResults loaded;
    loaded.groups.resize(3);
    CString error;
    EXPECT_FALSE(ParseResultsText("<Backtest><EntryGroup><BackTestEntry>", loaded, error));
    EXPECT_EQ(0, error.Find("Error parsing results: "));
    EXPECT_EQ(3u, loaded.groups.size());
    EXPECT_FALSE(ReadResultsFile("/nonexistent/r.btr", loaded, error));
    EXPECT_EQ(CString("Error opening file /nonexistent/r.btr"), error);
    CBackTestResults empty;
    EXPECT_FALSE(WriteResultsFile("/nonexistent/dir/r.btr", empty, nullptr, error));
    EXPECT_EQ(CString("Error opening file /nonexistent/dir/r.btr for writing"), error);
    // Numbers that are no numbers read as 0; a huge one is not carried as infinity.
    ASSERT_TRUE(ParseResultsText("<Backtest><EntryGroup><BackTestEntry><Price>1e999</Price><Time>x</Time>"
                                 "</BackTestEntry></EntryGroup></Backtest>",
                                 loaded, error));
    EXPECT_EQ(0, loaded.groups[0].entries[0]->m_price);
    EXPECT_EQ(0, loaded.groups[0].entries[0]->m_nTime);
}

TEST(BackTestLayoutFile, TwoModesRoundTripAndOverlongCountsAreRefused)
{
    std::array<CBackTestLayout, 2> layouts = {CBackTestLayout{{3, 60}, {0, 80}, {42, 50}},
                                              DefaultBackTestLayout(kSummaryMode)};
    const auto bytes = StoreToBytes([&](CArchive& ar) { WriteBackTestLayouts(ar, layouts); });
    EXPECT_EQ(4u * (2 + 2 * 3 + 2 * 29), bytes.size());
    std::array<CBackTestLayout, 2> back;
    EXPECT_EQ(0u, LoadFromBytes(bytes, [&](CArchive& ar) { back = ReadBackTestLayouts(ar); }));
    EXPECT_EQ(layouts, back);

    ByteWriter overlong;
    overlong.Dword(30);
    for (int i = 0; i < 60; ++i)
        overlong.Dword(0);
    EXPECT_THROW(LoadFromBytes(overlong.Bytes(), [&](CArchive& ar) { ReadBackTestLayouts(ar); }), CArchiveException);
    ByteWriter negative;
    negative.Dword(0xFFFFFFFFu);
    EXPECT_THROW(LoadFromBytes(negative.Bytes(), [&](CArchive& ar) { ReadBackTestLayouts(ar); }), CArchiveException);
    std::vector<BYTE> cut(bytes.begin(), bytes.begin() + 20);
    EXPECT_THROW(LoadFromBytes(cut, [&](CArchive& ar) { ReadBackTestLayouts(ar); }), CArchiveException);
}

TEST(BackTestFigures, PriceTextFormattedWhenShownOrStoredUnlessReadFromAFile)
{
    BackTestEntry e;
    e.m_price = 104.5;
    EXPECT_EQ(CString("104.50"), e.GetPriceText());
    EXPECT_EQ(CString("104.50"), TradeCellText(e, 7, false));
    EXPECT_NE(-1, e.ToXml().Find("<PriceStr>104.50</PriceStr>"));
    e.m_price = 12.345678;
    EXPECT_EQ(CString("12.35"), e.GetPriceText());
    e.m_price = 0.123456;
    EXPECT_EQ(CString("0.1235"), e.GetPriceText());  // up to four places below 1
    e.m_priceStr = "1/2";  // as read from a file: kept
    EXPECT_EQ(CString("1/2"), TradeCellText(e, 7, false));
    EXPECT_NE(-1, e.ToXml().Find("<PriceStr>1/2</PriceStr>"));
}
