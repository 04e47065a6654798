// A chart's backtest figures without windows: cumulative profit of fills worked out by
// hand, and the equity records that carry it with the open position.
#include "chart/ChartBacktest.h"

#include <gtest/gtest.h>

namespace {

CChartFill Fill(DWORD time, int action, DWORD quantity, double price, double commission)
{
    CChartFill fill;
    fill.time = time;
    fill.action = action;
    fill.quantity = quantity;
    fill.price = price;
    fill.commission = commission;
    fill.cumulativeProfit = 999;  // whatever was there
    return fill;
}

} // namespace

TEST(ChartBacktest, CumulativeProfitOfLongAndShortTradesLessTwoCommissions)
{
    std::vector<CChartFill> fills = {
        Fill(100, 0, 100, 10.0, 1.0),  // Buy
        Fill(200, 2, 100, 12.0, 1.0),  // Sell: 100 x 2 - 2 = 198
        Fill(300, 3, 50, 15.0, 1.0),   // Sell Short
        Fill(400, 1, 50, 13.0, 1.0),   // Buy to Cover: 50 x 2 - 2 = 98
        Fill(500, 0, 10, 20.0, 0.5),   // Buy
        Fill(600, 2, 10, 19.0, 0.5),   // Sell at a loss: -10 - 1
    };
    ComputeCumulativeProfit(fills);
    EXPECT_EQ(0.0, fills[0].cumulativeProfit);
    EXPECT_EQ(198.0, fills[1].cumulativeProfit);
    EXPECT_EQ(198.0, fills[2].cumulativeProfit);
    EXPECT_EQ(296.0, fills[3].cumulativeProfit);
    EXPECT_EQ(296.0, fills[4].cumulativeProfit);
    EXPECT_EQ(285.0, fills[5].cumulativeProfit);

    // The quantity counts unsigned: 3,000,000,000 shares up a cent.
    std::vector<CChartFill> big = {Fill(1, 0, 3000000000u, 1.00, 0), Fill(2, 2, 3000000000u, 1.01, 0)};
    ComputeCumulativeProfit(big);
    EXPECT_NEAR(30000000.0, big[1].cumulativeProfit, 1e-3);

    // One fill, or none: nothing to add up.
    std::vector<CChartFill> one = {Fill(1, 2, 10, 5, 1)};
    ComputeCumulativeProfit(one);
    EXPECT_EQ(0.0, one[0].cumulativeProfit);
    std::vector<CChartFill> none;
    ComputeCumulativeProfit(none);
}

TEST(ChartBacktest, EquityRecordsCarryTheProfitAndTheOpenPosition)
{
    std::vector<CChartFill> fills = {Fill(100, 0, 100, 10.0, 1.0), Fill(200, 2, 100, 12.0, 1.0),
                                     Fill(300, 3, 50, 15.0, 1.0), Fill(400, 1, 50, 13.0, 1.0)};
    ComputeCumulativeProfit(fills);
    const std::vector<CEquityRecord> records = MakeEquityRecords(fills);
    ASSERT_EQ(4u, records.size());
    EXPECT_EQ(100u, records[0].m_time);
    EXPECT_EQ(0, records[0].m_nPositionKind);
    EXPECT_EQ(100u, records[0].m_nQuantity);
    EXPECT_EQ(10.0, records[0].m_entryPrice);
    EXPECT_EQ(0.0, records[0].m_equity);
    EXPECT_NE(0, records[1].m_nPositionKind);
    EXPECT_NE(3, records[1].m_nPositionKind);
    EXPECT_EQ(198.0, records[1].m_equity);
    EXPECT_EQ(3, records[2].m_nPositionKind);
    EXPECT_EQ(15.0, records[2].m_entryPrice);
    EXPECT_EQ(50u, records[2].m_nQuantity);
    EXPECT_EQ(296.0, records[3].m_equity);
}
