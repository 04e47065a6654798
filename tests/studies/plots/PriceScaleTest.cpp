// The price scale and the bar layout, against rows worked out by hand.
#include "studies/plots/CPriceScale.h"

#include <gtest/gtest.h>

TEST(PriceScale, LinearRows)
{
    const CPriceScale scale(false, 100, 200, 10, 110);
    EXPECT_EQ(110, scale.PriceToY(100));
    EXPECT_EQ(10, scale.PriceToY(200));
    EXPECT_EQ(60, scale.PriceToY(150));
    EXPECT_EQ(85, scale.PriceToY(125));
    // Three rows over 0..2: d = 1.5 x price; half a pixel rounds away from zero.
    const CPriceScale small(false, 0, 2, 0, 3);
    EXPECT_EQ(0, small.PriceToY(2.0));
    EXPECT_EQ(1, small.PriceToY(1.4)); // d = 2.1 -> 2
    EXPECT_EQ(1, small.PriceToY(1.0)); // d = 1.5 -> 2 (half away from zero)
    EXPECT_DOUBLE_EQ(150.0, scale.YToPrice(60));
    EXPECT_DOUBLE_EQ(200.0, scale.YToPrice(10));
}

TEST(PriceScale, FlatRangePutsEveryPriceInTheMiddle)
{
    const CPriceScale flat(false, 50, 50, 0, 101);
    // (101 - 0) / 2 = 50.5 -> 51 above the bottom.
    EXPECT_EQ(50, flat.PriceToY(50));
    EXPECT_EQ(50, flat.PriceToY(10));
    EXPECT_EQ(50, flat.PriceToY(1e9));
}

TEST(PriceScale, LogScale)
{
    // The geometric mean of 100 and 400 is 200: the middle row.
    const CPriceScale scale(true, 100, 400, 0, 100);
    EXPECT_EQ(50, scale.PriceToY(200));
    EXPECT_EQ(100, scale.PriceToY(100));
    EXPECT_EQ(0, scale.PriceToY(400));
    EXPECT_NEAR(200.0, scale.YToPrice(50), 1e-9);
    // Rows for 150..270 over rows 10..290, from ln by hand.
    const CPriceScale chart(true, 150, 270, 10, 290);
    EXPECT_EQ(49, chart.PriceToY(249));
    EXPECT_EQ(54, chart.PriceToY(246));
    // A price at or below 0 has no logarithm: far below the pane, never a crash.
    EXPECT_GT(chart.PriceToY(0), 290);
    EXPECT_GT(chart.PriceToY(-5), 290);
}

TEST(PriceScale, ANewRangeMovesEveryRow)
{
    // A custom study rescales a copy of the pane's scale: rows follow the new range.
    CPriceScale scale(false, 100, 200, 10, 110);
    scale.SetRange(0, 50);
    EXPECT_EQ(110, scale.PriceToY(0));
    EXPECT_EQ(10, scale.PriceToY(50));
    EXPECT_EQ(60, scale.PriceToY(25));
    EXPECT_DOUBLE_EQ(25.0, scale.YToPrice(60));
    CPriceScale log(true, 1, 2, 0, 100);
    log.SetRange(100, 400);
    EXPECT_EQ(50, log.PriceToY(200));
    EXPECT_NEAR(200.0, log.YToPrice(50), 1e-9);
    log.SetRange(7, 7);
    EXPECT_EQ(50, log.PriceToY(3));
}

TEST(PriceScale, BarLayoutRoundTrips)
{
    // (bar - first) x spacing + left + spacing - 5.
    EXPECT_EQ(235, BarIndexToX(6.0, -10, -49, 0));
    EXPECT_EQ(11, BarIndexToX(6.0, 0, 0, 10));
    EXPECT_EQ(11, BarIndexToX(2.5, 4, 0, 4)); // 10 + 4 + 2.5 - 5 = 11.5, truncated
    for (double spacing = 3.0; spacing <= 30.0; spacing += 0.5)
        for (int bar = -300; bar <= 20; ++bar)
            ASSERT_EQ(bar, XToBarIndex(spacing, BarIndexToX(spacing, bar, -250, 7), -250, 7))
                << "spacing " << spacing << " bar " << bar;
}
