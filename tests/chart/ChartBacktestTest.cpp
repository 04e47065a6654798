// A chart's backtest figures without windows: cumulative profit of fills worked out by
// hand, the trade markers and the equity records that carry it with the open position.
#include "chart/ChartBacktest.h"

#include <gtest/gtest.h>

namespace {

std::unique_ptr<BackTestEntry> Fill(int time, int action, DWORD quantity, double price, double commission)
{
    auto fill = std::make_unique<BackTestEntry>();
    fill->m_nTime = time;
    fill->m_nAction = action;
    fill->m_nQuantity = static_cast<int>(quantity);
    fill->m_price = price;
    fill->m_comission = commission;
    fill->m_cumulativeProfit = 999;  // whatever the worker left there
    return fill;
}

std::vector<std::unique_ptr<BackTestEntry>> Fills(std::initializer_list<BackTestEntry> list)
{
    std::vector<std::unique_ptr<BackTestEntry>> fills;
    for (const BackTestEntry& e : list)
        fills.push_back(std::make_unique<BackTestEntry>(e));
    return fills;
}

BackTestEntry E(int time, int action, DWORD quantity, double price, double commission)
{
    return *Fill(time, action, quantity, price, commission);
}

} // namespace

TEST(ChartBacktest, CumulativeProfitOfLongAndShortTradesLessTwoCommissions)
{
    auto fills = Fills({
        E(100, kActionBuy, 100, 10.0, 1.0),
        E(200, kActionSell, 100, 12.0, 1.0),  // 100 x 2 - 2 = 198
        E(300, kActionSellShort, 50, 15.0, 1.0),
        E(400, kActionBuyToCover, 50, 13.0, 1.0),  // 50 x 2 - 2 = 98
        E(500, kActionBuy, 10, 20.0, 0.5),
        E(600, kActionSell, 10, 19.0, 0.5),  // at a loss: -10 - 1
    });
    ComputeCumulativeProfit(fills);
    const double expected[] = {0, 198, 198, 296, 296, 285};
    for (size_t i = 0; i < fills.size(); ++i)
        EXPECT_EQ(expected[i], fills[i]->m_cumulativeProfit) << i;

    // The quantity counts unsigned: 3,000,000,000 shares up a cent.
    auto big = Fills({E(1, kActionBuy, 3000000000u, 1.00, 0), E(2, kActionSell, 3000000000u, 1.01, 0)});
    ComputeCumulativeProfit(big);
    EXPECT_NEAR(30000000.0, big[1]->m_cumulativeProfit, 1e-3);

    // One fill: whatever the worker wrote, it starts at 0. None: nothing.
    auto one = Fills({E(1, kActionSell, 10, 5, 1)});
    ComputeCumulativeProfit(one);
    EXPECT_EQ(0.0, one[0]->m_cumulativeProfit);
    std::vector<std::unique_ptr<BackTestEntry>> none;
    ComputeCumulativeProfit(none);
}

TEST(ChartBacktest, MarkersAndEquityRecordsOfARun)
{
    CChartBacktest run;
    EXPECT_EQ(nullptr, run.GetEquity());
    run.AddFill(Fill(300, kActionSellShort, 50, 15.0, 1.0));
    run.AddFill(Fill(400, kActionBuyToCover, 50, 13.0, 1.0));
    run.AddFill(Fill(400, kActionBuy, 100, 13.5, 1.0));  // reversed at the same time
    run.AddFill(nullptr);
    run.Finish();
    ASSERT_EQ(3u, run.GetFills().size());
    const auto& markers = run.GetMarkers();
    ASSERT_EQ(3u, markers.size());
    // Just after the start of the fill's bar.
    EXPECT_EQ(301u, markers[0].time);
    EXPECT_EQ(kActionSellShort, markers[0].kind);
    EXPECT_EQ(kActionBuyToCover, markers[1].kind);
    EXPECT_EQ(kActionBuy, markers[2].kind);

    const CEquityRecordArray* equity = run.GetEquity();
    ASSERT_NE(nullptr, equity);
    ASSERT_EQ(3u, equity->size());
    // Short 50 from 15; flat with 98 after covering; long 100 from 13.5 with 98 (the
    // opening fill takes no commission).
    EXPECT_EQ(3, (*equity)[0]->m_nPositionKind);
    EXPECT_EQ(50u, (*equity)[0]->m_nQuantity);
    EXPECT_EQ(15.0, (*equity)[0]->m_entryPrice);
    EXPECT_EQ(0.0, (*equity)[0]->m_equity);
    EXPECT_NE(0, (*equity)[1]->m_nPositionKind);
    EXPECT_NE(3, (*equity)[1]->m_nPositionKind);
    EXPECT_EQ(98.0, (*equity)[1]->m_equity);
    EXPECT_EQ(0, (*equity)[2]->m_nPositionKind);
    EXPECT_EQ(13.5, (*equity)[2]->m_entryPrice);
    EXPECT_EQ(98.0, (*equity)[2]->m_equity);

    // A new run drops everything of the last one.
    run.Reset();
    EXPECT_TRUE(run.GetFills().empty());
    EXPECT_TRUE(run.GetMarkers().empty());
    EXPECT_EQ(nullptr, run.GetEquity());
    run.Finish();
    EXPECT_EQ(nullptr, run.GetEquity());
}
