// Study plots built by the plot factory from the studies' settings, drawn offscreen:
// lines through their computed values, histograms, levels, fixed ranges, legends, and a
// custom study whose formula does not compile.
#include "PlotTestSupport.h"

#include "studies/CBollingerStudy.h"
#include "studies/CCustomStudy.h"
#include "studies/CHorizontalLineStudy.h"
#include "studies/CMACDStudy.h"
#include "studies/CMomentumStudy.h"
#include "studies/CMovingAverageStudy.h"
#include "studies/CRSIStudy.h"
#include "studies/CStochRSIStudy.h"
#include "studies/CVolumeStudy.h"
#include "studies/StudyFactory.h"
#include "studies/plots/CPricePlot.h"
#include "studies/plots/CPriceScale.h"
#include "studies/plots/CStudyPlotFactory.h"
#include "studies/plots/StudyPlots.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);

// Closes 101 + m; odd minutes fall (open above close).
BarValues Minute(int m)
{
    BarValues v{100.0 + m, 102.0 + m, 99.0 + m, 101.0 + m, 1000.0 + 10 * m};
    if (m % 2)
        std::swap(v.open, v.close);
    return v;
}

class StudyPlotTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegisterStudyPlots();
        doc.pricePlot = &price;
        price.SetDocument(&doc);
        ASSERT_TRUE(price.Attach(100, &chart));
        price.GetPriceSeries()->OnIntradayHistory(MinuteRows(158, Minute));
    }
    // The study's plot attached to the test's chart and fed the same minutes.
    std::unique_ptr<CStudyPlot> PlotOf(CStudyDefinition& study, bool feed = true)
    {
        std::unique_ptr<CStudyPlot> plot(study.CreatePlot());
        if (!plot)
            return plot;
        plot->SetStudy(&study);
        plot->SetDocument(&doc);
        plot->SetChart(&chart);
        EXPECT_TRUE(plot->Attach(100, &chart));
        if (feed && plot->GetPriceSeries())
            plot->GetPriceSeries()->OnIntradayHistory(MinuteRows(158, Minute));
        return plot;
    }

    FakeSeriesServices services;
    FakePlotDocument doc;
    FakePlotChart chart;
    CPricePlot price;
};

} // namespace

TEST_F(StudyPlotTest, MovingAverageLineRunsThroughItsValues)
{
    CMovingAverageStudy ma;
    ma.m_length = "3";
    ma.m_color = RGB(0, 0, 255);
    auto plot = PlotOf(ma);
    ASSERT_TRUE(plot);
    // Mean of the last three closes: (closes of minutes m-2..m): both orders give 100 + m.
    double v = 0;
    ASSERT_TRUE(plot->ReadValue(0, plot->GetFieldIndex("MA"), v));
    // Minute 157 falls (close 257), 156 rises (close 257), 155 falls (close 255).
    EXPECT_NEAR((257.0 + 257.0 + 255.0) / 3.0, v, 1e-9);
    TestCanvas canvas(400, 300);
    CRect plotRect(0, 10, 340, 290);
    CRect label(300, 0, 400, 13);
    const CPriceScale scale(false, 200, 270, 10, 290);
    plot->Draw(canvas.DC(), &plotRect, &scale, &label);
    // At every bar's x the line passes within a pixel of its value's row.
    for (int bar = -30; bar <= -1; ++bar) {
        ASSERT_TRUE(plot->ReadValue(bar, plot->GetFieldIndex("MA"), v));
        const int x = BarIndexToX(6.0, bar, -49, 0), y = scale.PriceToY(v);
        bool onLine = false;
        for (int dy = -1; dy <= 1; ++dy)
            onLine = onLine || canvas.Pixel(x, y + dy) == RGB(0, 0, 255);
        EXPECT_TRUE(onLine) << "bar " << bar;
    }
    // The legend: the type name and the parameters.
    CLegendRow row;
    plot->GetLegendEntries(0, &row);
    EXPECT_EQ(CString("MA(3)"), row.name);
    EXPECT_TRUE(plot->GetLegendValues(0, 0, &row));
    EXPECT_EQ(CString("256.33"), row.value);
}

TEST_F(StudyPlotTest, BollingerBandsRangeAndLegend)
{
    CBollingerStudy bb;
    auto plot = PlotOf(bb);
    double low = 0, high = 0;
    ASSERT_TRUE(plot->GetValueRange(low, high));
    EXPECT_LT(low, high);
    std::vector<CLegendRow> rows(static_cast<size_t>(plot->GetLegendCount()));
    ASSERT_EQ(3u, rows.size());
    plot->GetLegendEntries(0, rows.data());
    EXPECT_EQ(CString("BB Upp(20,2)"), rows[0].name);
    EXPECT_EQ(CString("BB Low(20,2)"), rows[1].name);
    EXPECT_EQ(CString("BB Mid(20,2)"), rows[2].name);
    EXPECT_EQ(bb.m_bandColor, rows[0].color);
    EXPECT_EQ(bb.m_middleColor, rows[2].color);
    // Without the middle line: two rows.
    bb.m_bShowMiddle = false;
    auto bands = PlotOf(bb);
    EXPECT_EQ(2, bands->GetLegendCount());
}

TEST_F(StudyPlotTest, VolumeBarsUpAndDownAndTheirRange)
{
    CVolumeStudy volume;
    volume.m_upColor = RGB(0, 200, 0);
    volume.m_downColor = RGB(200, 0, 0);
    auto plot = PlotOf(volume);
    double low = 5, high = 0;
    ASSERT_TRUE(plot->GetValueRange(low, high));
    EXPECT_EQ(0.0, low);
    EXPECT_DOUBLE_EQ(1000.0 + 10 * 157, high);
    TestCanvas canvas(400, 300);
    CRect plotRect(0, 10, 340, 290);
    CRect label(300, 0, 400, 13);
    const CPriceScale scale(false, 0, high, 10, 290);
    plot->Draw(canvas.DC(), &plotRect, &scale, &label);
    // Against the open: minute 156 rises (bar -1), 157 falls (bar 0).
    const int xUp = BarIndexToX(6.0, -1, -49, 0), xDown = BarIndexToX(6.0, 0, -49, 0);
    EXPECT_EQ(RGB(0, 200, 0), canvas.Pixel(xUp, scale.PriceToY(1000.0 + 1560) + 2));
    EXPECT_EQ(RGB(200, 0, 0), canvas.Pixel(xDown, scale.PriceToY(1000.0 + 1570) + 2));
    EXPECT_EQ(kWhite, canvas.Pixel(xDown, scale.PriceToY(1000.0 + 1570) - 2));
    CLegendRow row;
    plot->GetLegendEntries(0, &row);
    EXPECT_EQ(CString("Volume"), row.name);
}

TEST_F(StudyPlotTest, MacdHistogramOnlyHasOneLegendRow)
{
    CMACDStudy macd;
    macd.m_bOverlay = false;
    auto plot = PlotOf(macd);
    auto* m = dynamic_cast<CMACDPlot*>(plot.get());
    ASSERT_NE(nullptr, m);
    EXPECT_TRUE(m->HistogramOn());
    EXPECT_FALSE(m->LinesOn());
    ASSERT_EQ(1, plot->GetLegendCount());
    CLegendRow row;
    plot->GetLegendEntries(0, &row);
    EXPECT_EQ(CString("Diff."), row.name);
    EXPECT_EQ(macd.m_histogramColor, row.color);
    macd.m_bOverlay = true;
    EXPECT_EQ(3, PlotOf(macd)->GetLegendCount());
    macd.m_bShowHistogram = false;
    EXPECT_EQ(2, PlotOf(macd)->GetLegendCount());
}

TEST_F(StudyPlotTest, FixedRangesAndTheHorizontalLine)
{
    CRSIStudy rsi;
    auto plot = PlotOf(rsi);
    double low = -1, high = -1;
    ASSERT_TRUE(plot->GetValueRange(low, high));
    EXPECT_EQ(0.0, low);
    EXPECT_EQ(100.0, high);
    CStochRSIStudy srsi;
    ASSERT_TRUE(PlotOf(srsi)->GetValueRange(low, high));
    EXPECT_EQ(1.0, high);
    // Not attached: no range.
    std::unique_ptr<CStudyPlot> detached(rsi.CreatePlot());
    EXPECT_FALSE(detached->GetValueRange(low, high));

    CHorizontalLineStudy line;
    line.m_value = 150;
    line.m_color = RGB(9, 99, 199);
    std::unique_ptr<CStudyPlot> level(line.CreatePlot());
    ASSERT_TRUE(level->GetValueRange(low, high));
    EXPECT_EQ(150.0, low);
    EXPECT_EQ(150.0, high);
    EXPECT_EQ(0, level->GetLegendCount());
    CRect plotRect(0, 10, 340, 290);
    CRect label(300, 0, 400, 13);
    TestCanvas inside(400, 300);
    const CPriceScale scale(false, 100, 200, 10, 290);
    level->Draw(inside.DC(), &plotRect, &scale, &label);
    EXPECT_EQ(RGB(9, 99, 199), inside.Pixel(5, scale.PriceToY(150)));
    EXPECT_EQ(RGB(9, 99, 199), inside.Pixel(339, scale.PriceToY(150)));
    // Below the plot's bottom edge it is not drawn.
    TestCanvas below(400, 300);
    const CPriceScale high150(false, 160, 200, 10, 290);
    ASSERT_GE(high150.PriceToY(150), 290);
    level->Draw(below.DC(), &plotRect, &high150, &label);
    for (int y = 0; y < 300; ++y)
        ASSERT_EQ(kWhite, below.Pixel(5, y)) << y;
}

TEST_F(StudyPlotTest, MomentumZeroLineStaysOnceSeen)
{
    CMomentumStudy momentum;
    auto plot = PlotOf(momentum, false);
    auto* m = dynamic_cast<CMomentumPlot*>(plot.get());
    ASSERT_NE(nullptr, m);
    // Closes rise until minute 100 and fall after it.
    plot->GetPriceSeries()->OnIntradayHistory(MinuteRows(158, [](int i) {
        const double c = i <= 100 ? 100.0 + 2 * i : 300.0 - 2 * (i - 100);
        return BarValues{c, c + 1, c - 1, c, 10};
    }));
    // Minutes 48..97 in view: every momentum is positive, no zero line yet.
    doc.offset = -60;
    double low = 0, high = 0;
    ASSERT_TRUE(plot->GetValueRange(low, high));
    EXPECT_GT(low, 0);
    EXPECT_FALSE(m->HasZeroFlag());
    // Minutes 88..137: the turn is in view, the range reaches across 0; the flag is set
    // and stays.
    doc.offset = -20;
    ASSERT_TRUE(plot->GetValueRange(low, high));
    EXPECT_LT(low, 0);
    EXPECT_GT(high, 0);
    EXPECT_TRUE(m->HasZeroFlag());
    doc.offset = -60;
    ASSERT_TRUE(plot->GetValueRange(low, high));
    EXPECT_TRUE(m->HasZeroFlag());
}

TEST_F(StudyPlotTest, CustomStudyShowsWhyItsFormulaCannotBeUsed)
{
    CCustomStudy custom;
    custom.SetStudyName("Broken");
    custom.SetFormulaText("Bar[Close,D] +* 2");
    std::unique_ptr<CStudyPlot> plot(custom.CreatePlot());
    ASSERT_TRUE(plot);
    plot->SetStudy(&custom);
    plot->SetDocument(&doc);
    EXPECT_FALSE(plot->Attach(100, &chart));
    EXPECT_FALSE(plot->IsReady());
    CLegendRow row;
    plot->GetLegendEntries(0, &row);
    EXPECT_EQ(CString("Broken"), row.name);
    EXPECT_FALSE(plot->GetLegendValues(0, 0, &row));
    EXPECT_FALSE(row.value.IsEmpty());
    EXPECT_EQ(row.value, plot->GetStatusText());
    double low = 0, high = 0;
    EXPECT_FALSE(plot->GetValueRange(low, high));
    // Nothing drawn, no crash.
    TestCanvas canvas(100, 100);
    CRect plotRect(0, 0, 80, 100);
    CRect label(80, 0, 100, 13);
    const CPriceScale scale(false, 0, 10, 0, 100);
    plot->Draw(canvas.DC(), &plotRect, &scale, &label);
    EXPECT_EQ(kWhite, canvas.Pixel(40, 50));
}
