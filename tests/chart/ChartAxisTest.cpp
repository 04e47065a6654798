// Price-axis steps, time-label spacing and interval kinds; expected values worked out by
// hand from the step rule.
#include "chart/IntervalKind.h"
#include "common/services/ChartAxis.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<double> Labels(double low, double high, int wanted)
{
    const AxisLabels a = ChooseAxisStep(low, high, wanted, 10.0);
    std::vector<double> out;
    for (int i = 0; i <= a.count; ++i)
        out.push_back(a.first + i * a.step);
    return out;
}

void ExpectLabels(const std::vector<double>& want, const std::vector<double>& got)
{
    ASSERT_EQ(want.size(), got.size());
    for (size_t i = 0; i < want.size(); ++i)
        EXPECT_NEAR(want[i], got[i], 1e-9) << "label " << i;
}

} // namespace

TEST(ChartAxis, StepRuleOnOrdinaryRanges)
{
    // d = 2: the smallest multiple of 1 not below d; the label at the low end is skipped.
    ExpectLabels({12, 14, 16, 18, 20}, Labels(10, 20, 6));
    // Negative low: first is the multiple toward zero.
    ExpectLabels({-6, -3, 0}, Labels(-7.3, 2.1, 5));
    // half x big below the range: the power itself is the step.
    ExpectLabels({10}, Labels(0, 12, 3));
    ExpectLabels({0.6, 0.7, 0.8, 0.9}, Labels(0.5, 0.9, 5));
}

TEST(ChartAxis, PowersOfTenAndRangesJustBelowThem)
{
    // 0..100 and 0..1000 behave alike whatever the logarithm's last bit says.
    ExpectLabels({100}, Labels(0, 100, 2));
    ExpectLabels({1000}, Labels(0, 1000, 2));
    ExpectLabels({0.01}, Labels(0, 0.01, 2));
    // A range just below a power of ten still gets a label (at half the power).
    ExpectLabels({50}, Labels(0, 95, 2));
    ExpectLabels({0.5}, Labels(0, 0.95, 2));
}

TEST(ChartAxis, NoRoomOrNoRangeGivesNoLabels)
{
    EXPECT_EQ(-1, ChooseAxisStep(0, 10, 0, 10).count);
    EXPECT_EQ(-1, ChooseAxisStep(0, 10, -4, 10).count); // a pane lower than its margins
    EXPECT_EQ(-1, ChooseAxisStep(5, 5, 4, 10).count);
    EXPECT_EQ(-1, ChooseAxisStep(10, 5, 4, 10).count);
    EXPECT_EQ(-1, ChooseAxisStep(0, 10, 4, 1.0).count);
    // No multiple of the step inside the range.
    EXPECT_EQ(-1, ChooseAxisStep(3, 98, 1, 10).count);
}

TEST(ChartAxis, TimeLabelSpacing)
{
    // w 30, s 6: half 15 -> offset 3; step ceil((30 + 8) / 6) = 7; count 96 / 7 = 13.
    TimeLabelBars t = ComputeTimeLabelSpacing(-99, 0, 30, 6.0);
    EXPECT_EQ(-96, t.first);
    EXPECT_EQ(7, t.step);
    EXPECT_EQ(13, t.count);
    EXPECT_LE(t.first + t.count * t.step, 0);
    // half a multiple of the spacing: no extra bar.
    t = ComputeTimeLabelSpacing(0, 100, 12, 6.0);
    EXPECT_EQ(1, t.first);
    EXPECT_EQ(3, t.step); // ceil((12 + 3) / 6)
    // Fewer visible bars than the first label needs: no label past the last bar.
    t = ComputeTimeLabelSpacing(0, 2, 40, 6.0);
    EXPECT_EQ(-1, t.count);
    EXPECT_EQ(-1, ComputeTimeLabelSpacing(0, 50, 20, 0.5).count);
}

TEST(ChartAxis, RoundsHalfAwayFromZero)
{
    EXPECT_EQ(3, RoundHalfAway(2.5));
    EXPECT_EQ(-3, RoundHalfAway(-2.5));
    EXPECT_EQ(2, RoundHalfAway(2.49));
}

TEST(IntervalKind, Grammar)
{
    IntervalKind k = ParseIntervalKind("5");
    EXPECT_EQ(kPeriodIntraday, k.periodKind);
    EXPECT_EQ(kLabelDayChange, k.labelStyle);
    EXPECT_EQ(CString("23:17"), k.shortSample);
    EXPECT_EQ(CString("Wed, 27 Mar, 2002"), k.longSample);
    EXPECT_EQ(kPeriodIntraday, ParseIntervalKind("0").periodKind);
    k = ParseIntervalKind("d");
    EXPECT_EQ(kPeriodDaily, k.periodKind);
    EXPECT_EQ(CString("27"), k.shortSample);
    k = ParseIntervalKind("W");
    EXPECT_EQ(kPeriodWeekly, k.periodKind);
    EXPECT_EQ(kLabelYearChange, k.labelStyle);
    EXPECT_EQ(CString("Mar"), k.shortSample);
    EXPECT_EQ(kPeriodMonthly, ParseIntervalKind("M").periodKind);
    EXPECT_EQ(CString("**"), ParseIntervalKind("M").shortSample);
    // Quarterly and yearly charts label the upper row by year.
    for (const char* text : {"Q", "y"}) {
        k = ParseIntervalKind(text);
        EXPECT_EQ(kLabelYearChange, k.labelStyle) << text;
        EXPECT_EQ(CString("2002"), k.longSample) << text;
    }
    EXPECT_EQ(kPeriodQuarterly, ParseIntervalKind("Q").periodKind);
    EXPECT_EQ(kPeriodYearly, ParseIntervalKind("Y").periodKind);
    k = ParseIntervalKind("X");
    EXPECT_EQ(kPeriodDaily, k.periodKind);
    EXPECT_EQ(CString("**"), k.shortSample);
    k = ParseIntervalKind("DX");
    EXPECT_EQ(kPeriodDaily, k.periodKind);
    EXPECT_EQ(CString("27"), k.shortSample);
    EXPECT_EQ(kPeriodDaily, ParseIntervalKind("").periodKind);
}

TEST(ChartAxis, TimeBoundaryLabels)
{
    EXPECT_EQ(CString("Wed, 27 Mar, 2002"), FormatTimeBoundary(2002, 3, 27, 1));
    EXPECT_EQ(CString("Thu, 01 Jan, 1970"), FormatTimeBoundary(1970, 1, 1, 1));
    EXPECT_EQ(CString("Mon, 01 Mar, 2038"), FormatTimeBoundary(2038, 3, 1, 1));
    // Outside 1970..2038 or not a date: numbers.
    EXPECT_EQ(CString("1969/12/31"), FormatTimeBoundary(1969, 12, 31, 1));
    EXPECT_EQ(CString("2039/01/03"), FormatTimeBoundary(2039, 1, 3, 1));
    EXPECT_EQ(CString("2002/13/01"), FormatTimeBoundary(2002, 13, 1, 1));
    EXPECT_EQ(CString("Mar 2002"), FormatTimeBoundary(2002, 3, 27, 3));
    EXPECT_EQ(CString("2002"), FormatTimeBoundary(2002, 3, 27, 5));
    EXPECT_EQ(0, DayOfWeek(2026, 3, 1)); // a Sunday
    EXPECT_EQ(3, DayOfWeek(2026, 3, 4));
}
