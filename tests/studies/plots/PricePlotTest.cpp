// The price plot drawn offscreen: bars and candles on the rows the scale gives, the
// curve bridging a missing bar, trade markers, labels, and the drawing tools' numbers.
#include "PlotTestSupport.h"

#include "studies/plots/CPricePlot.h"
#include "studies/plots/CPriceScale.h"
#include "studies/plots/TradeMarkers.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);

// Minute m: open 100 + m, high 102 + m, low 99 + m, close 101 + m (down bars where
// asked: open and close swapped). Bar 0 is minute 157, bar -10 minute 147.
BarValues Rising(int m)
{
    return BarValues{100.0 + m, 102.0 + m, 99.0 + m, 101.0 + m, 1000.0 + m};
}

class PricePlotTest : public ::testing::Test {
protected:
    void Load(const std::function<BarValues(int)>& bar = Rising, const std::vector<int>& skip = {})
    {
        plot.SetDocument(&doc);
        plot.SetChart(&chart);
        doc.pricePlot = &plot;
        ASSERT_TRUE(plot.Attach(100, &chart));
        plot.GetPriceSeries()->OnIntradayHistory(MinuteRows(158, bar, skip));
        ASSERT_EQ(-49, plot.GetFirstVisibleBar());
        ASSERT_EQ(0, plot.GetLastVisibleBar());
    }
    void Draw(const CPriceScale& scale)
    {
        CRect plotRect(0, 10, 340, 290);
        CRect label(300, 0, 400, 13);
        plot.Draw(canvas.DC(), &plotRect, &scale, &label);
    }

    FakeSeriesServices services;
    FakePlotDocument doc;
    FakePlotChart chart;
    CPricePlot plot;
    TestCanvas canvas{400, 300};
};

} // namespace

TEST_F(PricePlotTest, BarLandsOnTheRowsOfItsHighAndLow)
{
    Load();
    plot.SetDrawStyle(kStyleBar);
    // x of bar -10: 39 x 6 + 6 - 5 = 235. Minute 147: high 249, low 246, open 247, close 248.
    const int x = 235;
    struct Case {
        bool log;
        int yHigh, yLow;
    };
    // Linear: 290 - round(280 x (p - 150) / 120); log: the same on ln p (worked out by hand).
    for (const Case c : {Case{false, 59, 66}, Case{true, 49, 54}}) {
        TestCanvas fresh(400, 300);
        CRect plotRect(0, 10, 340, 290);
        CRect label(300, 0, 400, 13);
        const CPriceScale scale(c.log, 150, 270, 10, 290);
        ASSERT_EQ(c.yHigh, scale.PriceToY(249));
        ASSERT_EQ(c.yLow, scale.PriceToY(246));
        plot.Draw(fresh.DC(), &plotRect, &scale, &label);
        EXPECT_EQ(kBlack, fresh.Pixel(x, c.yHigh)) << c.log;
        EXPECT_EQ(kBlack, fresh.Pixel(x, c.yLow)) << c.log;
        EXPECT_EQ(kWhite, fresh.Pixel(x, c.yHigh - 1)) << c.log;
        EXPECT_EQ(kWhite, fresh.Pixel(x, c.yLow + 1)) << c.log;
        // Pen width 1: two-pixel ticks, open to the left and close to the right.
        const int yOpen = scale.PriceToY(247), yClose = scale.PriceToY(248);
        EXPECT_EQ(kBlack, fresh.Pixel(x - 2, yOpen));
        EXPECT_EQ(kBlack, fresh.Pixel(x - 1, yOpen));
        EXPECT_EQ(kWhite, fresh.Pixel(x - 3, yOpen));
        EXPECT_EQ(kBlack, fresh.Pixel(x + 2, yClose));
        EXPECT_EQ(kWhite, fresh.Pixel(x + 3, yClose));
        EXPECT_EQ(kWhite, fresh.Pixel(x - 2, yClose));
    }
}

TEST_F(PricePlotTest, CandleBodiesAndWicks)
{
    // Odd minutes fall: open 101 + m, close 100 + m.
    Load([](int m) {
        BarValues v = Rising(m);
        if (m % 2)
            std::swap(v.open, v.close);
        return v;
    });
    plot.SetDrawStyle(kStyleCandle);
    const CPriceScale scale(false, 150, 270, 10, 290);
    Draw(scale);
    const COLORREF up = SchemeColor(kSchemeCandleUp);
    const COLORREF down = SchemeColor(kSchemeCandleDown);
    // Bar -10, minute 147 (odd): down, body from open 248 down to close 247.
    int x = 235;
    int top = scale.PriceToY(248), bottom = scale.PriceToY(247);
    ASSERT_LT(top + 1, bottom);
    EXPECT_EQ(kBlack, canvas.Pixel(x - 2, top));      // frame
    EXPECT_EQ(kBlack, canvas.Pixel(x + 2, bottom));   // frame, bottom row included
    EXPECT_EQ(down, canvas.Pixel(x, (top + bottom) / 2));
    EXPECT_EQ(down, canvas.Pixel(x - 1, top + 1));
    EXPECT_EQ(kWhite, canvas.Pixel(x + 3, top + 1));
    // Wicks up to the high (249) and down to the low (246), one pixel wide.
    EXPECT_EQ(kBlack, canvas.Pixel(x, scale.PriceToY(249)));
    EXPECT_EQ(kWhite, canvas.Pixel(x, scale.PriceToY(249) - 1));
    EXPECT_EQ(kWhite, canvas.Pixel(x - 1, scale.PriceToY(249)));
    EXPECT_EQ(kBlack, canvas.Pixel(x, scale.PriceToY(246)));
    EXPECT_EQ(kWhite, canvas.Pixel(x, scale.PriceToY(246) + 1));
    // Bar -9, minute 148 (even): up, body from close 249 down to open 248.
    x = 241;
    top = scale.PriceToY(249);
    bottom = scale.PriceToY(248);
    EXPECT_EQ(up, canvas.Pixel(x, (top + bottom) / 2));
}

TEST_F(PricePlotTest, DojiIsAnUpCandleOneRowHigh)
{
    Load([](int m) { return BarValues{100.0 + m, 102.0 + m, 99.0 + m, 100.0 + m, 10}; });
    plot.SetDrawStyle(kStyleCandle);
    const CPriceScale scale(false, 150, 270, 10, 290);
    Draw(scale);
    const int y = scale.PriceToY(247); // minute 147 opens and closes at 247
    EXPECT_EQ(kBlack, canvas.Pixel(233, y));
    EXPECT_EQ(kBlack, canvas.Pixel(237, y));
    EXPECT_EQ(kBlack, canvas.Pixel(235, y - 1)); // the upper wick
    EXPECT_EQ(kWhite, canvas.Pixel(233, y - 1));
    EXPECT_EQ(kWhite, canvas.Pixel(233, y + 1));
}

TEST_F(PricePlotTest, CurveBridgesAMissingBarAndLabelsTheLastClose)
{
    Load(Rising, {147});
    plot.SetDrawStyle(kStyleCurve);
    double v = 0;
    EXPECT_FALSE(plot.ReadValue(-10, plot.GetFieldIndex("Close"), v));
    const CPriceScale scale(false, 150, 270, 10, 290);
    Draw(scale);
    // The line from bar -11 (close 247) to bar -9 (249) passes bar -10's x at 248.
    const int y = scale.PriceToY(248);
    bool found = false;
    for (int dy = -1; dy <= 1; ++dy)
        found = found || canvas.Pixel(235, y + dy) == kBlack;
    EXPECT_TRUE(found);
    // The label of the last close (258) is centred on its row, in the "Bars" colour.
    const int yLast = scale.PriceToY(258);
    EXPECT_EQ(kBlack, canvas.Pixel(398, yLast));
    CString text;
    ASSERT_TRUE(plot.GetValueText(0, "Close", text));
    EXPECT_EQ(CString("258.0000"), text);
}

TEST_F(PricePlotTest, TradeMarkersBelowAndAboveTheBar)
{
    Load();
    plot.SetDrawStyle(kStyleBar);
    const DWORD start = MinuteFeedTime(147);
    chart.markers = {{start + 5, 0}};
    EXPECT_EQ(0, plot.GetTradeMarkerAt(-10));
    EXPECT_EQ(-1, plot.GetTradeMarkerAt(-11));
    EXPECT_EQ(-1, plot.GetTradeMarkerAt(-9));
    const CPriceScale scale(false, 150, 270, 10, 290);
    Draw(scale);
    const int yLow = scale.PriceToY(246);
    const COLORREF buy = SchemeColor(kSchemeMarkerBuy);
    const COLORREF background = SchemeColor(kSchemeMarkerBackground);
    for (int row = 0; row < kTradeMarkerHeight; ++row)
        for (int column = 0; column < kTradeMarkerWidth; ++column)
            ASSERT_EQ(TradeMarkerPixel(0, column, row) ? buy : background,
                      canvas.Pixel(235 - 4 + column, yLow + 2 + row))
                << column << "," << row;
    // Two trades in one bar: the later one's glyph, above the bar for a sale.
    chart.markers = {{start + 5, 0}, {start + 20, 3}};
    EXPECT_EQ(3, plot.GetTradeMarkerAt(-10));
    TestCanvas other(400, 300);
    CRect plotRect(0, 10, 340, 290);
    CRect label(300, 0, 400, 13);
    plot.Draw(other.DC(), &plotRect, &scale, &label);
    const int yHigh = scale.PriceToY(249);
    EXPECT_EQ(SchemeColor(kSchemeMarkerSell), other.Pixel(235 - 4 + 1, yHigh - 16)); // ".##...##." row 1
    EXPECT_EQ(background, other.Pixel(235 - 4, yHigh - 16));
    EXPECT_EQ(kWhite, other.Pixel(235, yLow + 4)); // nothing below
    // The bar's end belongs to it; a trade at its start belongs to the bar before.
    chart.markers = {{MinuteFeedTime(148), 2}};
    EXPECT_EQ(2, plot.GetTradeMarkerAt(-10));
    EXPECT_EQ(-1, plot.GetTradeMarkerAt(-9));
}

TEST_F(PricePlotTest, ValueLabelTextIsBlackOnLightColours)
{
    const CPriceScale scale(false, 0, 100, 0, 100);
    auto darkestAndLightest = [&](COLORREF color) {
        TestCanvas c(120, 120);
        CRect rect(10, 0, 110, 16);
        plot.DrawValueLabel(c.DC(), 50, &scale, color, &rect, "8888");
        EXPECT_EQ(42, rect.top); // centred on row 50
        int dark = 255, light = 0;
        for (int y = rect.top; y < rect.bottom; ++y)
            for (int x = rect.left; x < rect.right; ++x) {
                const COLORREF p = c.Pixel(x, y);
                dark = std::min<int>(dark, GetRValue(p));
                light = std::max<int>(light, GetRValue(p));
            }
        return std::make_pair(dark, light);
    };
    EXPECT_LT(darkestAndLightest(RGB(128, 128, 127)).first, 60);  // sum 383: black text
    EXPECT_GT(darkestAndLightest(RGB(128, 127, 127)).second, 200); // sum 382: white text
}

TEST_F(PricePlotTest, ValueLabelsAtTheScalesEdgesStayInsideIt)
{
    const CPriceScale scale(false, 0, 100, 0, 100);
    TestCanvas c(120, 120);
    for (const auto& [value, top] : {std::pair{0.0, 84}, {100.0, 0}, {99.0, 0}, {1.0, 84}, {20.0, 72}}) {
        CRect rect(10, 0, 110, 16);
        plot.DrawValueLabel(c.DC(), value, &scale, RGB(0, 0, 255), &rect, "8888");
        EXPECT_EQ(top, rect.top) << value; // the value's row minus 8, kept within 0..84
        EXPECT_EQ(16, rect.Height()) << value;
    }
}

TEST_F(PricePlotTest, DrawingToolNumbers)
{
    Load();
    int bar = 99;
    EXPECT_DOUBLE_EQ(258.0, plot.GetLastClose(bar));
    EXPECT_EQ(0, bar);
    // Closes 256, 257, 258 at bars -2..0: population deviation sqrt(2/3).
    EXPECT_NEAR(std::sqrt(2.0 / 3.0), plot.GetFieldStdDev(-2, 0, 3), 1e-12);
    EXPECT_NEAR(std::sqrt(2.0 / 3.0), plot.GetFieldStdDev(0, -2, 1), 1e-12);
    EXPECT_DOUBLE_EQ(-1.0, plot.GetFieldStdDev(-2, 0, 7)); // no such price field
    EXPECT_DOUBLE_EQ(-1.0, plot.GetFieldStdDev(-2, 0, -1));
    double slope = 0, intercept = 0;
    ASSERT_TRUE(plot.FitLeastSquares(-2, 0, slope, intercept));
    EXPECT_NEAR(1.0, slope, 1e-12);
    EXPECT_NEAR(258.0, intercept, 1e-9);
    double a = -1, b = -1;
    plot.GetRegressionLine(-2, 0, a, b);
    EXPECT_NEAR(256.0, a, 1e-9);
    EXPECT_NEAR(258.0, b, 1e-9);
    // One bar cannot be fitted: nothing written.
    a = b = -1;
    EXPECT_FALSE(plot.FitLeastSquares(-3, -3, slope, intercept));
    plot.GetRegressionLine(-3, -3, a, b);
    EXPECT_EQ(-1, a);
    EXPECT_EQ(-1, b);
}

TEST(LeastSquares, SumsDoNotOverflowOnLongRanges)
{
    // y = 2x + 1 over x = 100000 .. 199999: integer sums of x squared would overflow.
    std::vector<double> xs, ys;
    for (int x = 100000; x < 200000; ++x) {
        xs.push_back(x);
        ys.push_back(2.0 * x + 1.0);
    }
    double slope = 0, intercept = 0;
    ASSERT_TRUE(FitLine(xs.data(), ys.data(), static_cast<int>(xs.size()), slope, intercept));
    EXPECT_NEAR(2.0, slope, 1e-9);
    EXPECT_NEAR(1.0, intercept, 1e-3);
    const double x3[] = {0, 1, 2}, y3[] = {1, 3, 5};
    ASSERT_TRUE(FitLine(x3, y3, 3, slope, intercept));
    EXPECT_DOUBLE_EQ(2.0, slope);
    EXPECT_DOUBLE_EQ(1.0, intercept);
    EXPECT_FALSE(FitLine(x3, y3, 0, slope, intercept));
}

TEST_F(PricePlotTest, ScrollOverrunAndLegend)
{
    Load();
    // The last visible bar 2 bars before the series' last: forward by 5 needs 3 more.
    doc.offset = -2;
    EXPECT_EQ(3, plot.GetScrollOverrun(5, true));
    EXPECT_EQ(0, plot.GetScrollOverrun(2, true));
    doc.offset = 0;
    // 100 records: the oldest is bar -99; the first visible -49.
    EXPECT_EQ(-10, plot.GetScrollOverrun(-60, true));
    EXPECT_EQ(0, plot.GetScrollOverrun(-50, true));
    plot.AddBars(-10);
    EXPECT_EQ(0, plot.GetScrollOverrun(-60, true));
    EXPECT_EQ(0, plot.GetScrollOverrun(0, true));

    std::vector<CLegendRow> rows(static_cast<size_t>(plot.GetLegendCount()));
    ASSERT_EQ(6u, rows.size());
    plot.GetLegendEntries(0, rows.data());
    EXPECT_EQ(CString("Date"), rows[0].name);
    EXPECT_EQ(CString("Low"), rows[5].name);
    EXPECT_TRUE(plot.GetLegendValues(-10, 0, rows.data()));
    EXPECT_EQ(CString("2026/03/04"), rows[0].value);
    EXPECT_EQ(CString("11:57:00"), rows[1].value);
    EXPECT_EQ(CString("247.0000"), rows[2].value);
    EXPECT_EQ(CString("248.0000"), rows[3].value);
    EXPECT_EQ(CString("249.0000"), rows[4].value);
    EXPECT_EQ(CString("246.0000"), rows[5].value);
}

TEST_F(PricePlotTest, TitleNamesSymbolIntervalAndTicks)
{
    Load();
    plot.UpdateTitle();
    EXPECT_EQ(CString("IBM, 1 minute - Chart"), doc.title);
    doc.interval = "0";
    plot.UpdateTitle();
    EXPECT_EQ(CString("IBM, Tick - Chart"), doc.title);
    double low = 0, high = 0;
    plot.SetDrawStyle(kStyleBar);
    ASSERT_TRUE(plot.GetValueRange(low, high));
    // Minutes 108..157 visible: lows from 207, highs up to 259.
    EXPECT_DOUBLE_EQ(207.0, low);
    EXPECT_DOUBLE_EQ(259.0, high);
    plot.SetDrawStyle(kStyleCurve);
    ASSERT_TRUE(plot.GetValueRange(low, high));
    EXPECT_DOUBLE_EQ(209.0, low);
    EXPECT_DOUBLE_EQ(258.0, high);
}
