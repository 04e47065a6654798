#include "FakeSeriesServices.h"

#include "analytics/series/CPriceSeries.h"
#include "analytics/series/CStudySource.h"
#include "analytics/series/SeriesTime.h"
#include "analytics/series/TimeUnitNames.h"
#include "analytics/studies/StudyTable.h"
#include "broker/session/SessionMessages.h"

#include <gtest/gtest.h>

namespace {

DWORD F(int y, int mo, int d, int h, int mi)
{
    return CTimeToFeedTime(CTime(y, mo, d, h, mi, 0));
}

// One-minute rows 09:30 .. 12:07 on 2026-03-04: close = minutes since 09:30, high = close
// + 0.5, low = close - 0.5, volume 10.
std::vector<CHistoryRow> MinuteRows()
{
    std::vector<CHistoryRow> rows;
    for (int m = 0; m <= 157; ++m) {
        CHistoryRow r;
        r.feedTime = F(2026, 3, 4, 9 + (30 + m) / 60, (30 + m) % 60);
        r.close = m;
        r.open = m;
        r.high = m + 0.5;
        r.low = m - 0.5;
        r.volume = 10;
        rows.push_back(r);
    }
    return rows;
}

} // namespace

TEST(StudySource, PlainKeysAndFieldNames)
{
    FakeSeriesServices services;
    std::unique_ptr<CStudySource, decltype(&DeleteStudyCall)> rsi(ParseStudyCall("RSI(IBM,14),5", 0, 0, 0),
                                                                   &DeleteStudyCall);
    ASSERT_TRUE(rsi);
    EXPECT_EQ(nullptr, rsi->GetSpec());
    EXPECT_EQ(0, rsi->FindField("RSI"));
    EXPECT_EQ(108, rsi->FindField("DayOfWeek"));
    EXPECT_EQ(1u, rsi->GetBaseSeries()->GetContext()); // mode 0
    EXPECT_EQ(0.0, rsi->GetHighest(0, -1, 0));
    // A refused key opens nothing.
    EXPECT_EQ(nullptr, ParseStudyCall("RSI(IBM,0),5", 0, 0, 0));
    EXPECT_EQ(nullptr, ParseStudyCall("MA(IBM,Clos,3,0),5", 1, 0, 0));
    InitTimeUnitNames();
    EXPECT_EQ(106, FindTimeUnitField("Date"));
    EXPECT_EQ(-1, FindTimeUnitField("date"));
}

TEST(StudySource, AsOfBarsAreComputedOnACopy)
{
    FakeSeriesServices services;
    std::unique_ptr<CStudySource, decltype(&DeleteStudyCall)> src(ParseStudyCall("MA(IBM,Close,3,0),5", 1, 0, 4),
                                                                   &DeleteStudyCall);
    ASSERT_TRUE(src);
    ASSERT_NE(nullptr, src->GetSpec());
    EXPECT_EQ(2u, src->GetBaseSeries()->GetContext()); // mode 4
    EXPECT_EQ(4, src->GetFieldKind(0));
    EXPECT_EQ(-1, src->FindField("Close")); // not an output of MA
    EXPECT_EQ(108, src->FindField("DayOfWeek"));
    CPriceSeries* base = src->GetBaseSeries();
    base->SetWindowMode(1);
    ASSERT_TRUE(src->Prepare(10, 0));
    CPriceSeries* companion = src->GetSpec()->m_pCompanion;
    ASSERT_NE(nullptr, companion);
    const auto rows = MinuteRows();
    base->OnIntradayHistory(rows);
    companion->OnIntradayHistory(rows);
    int first = 0, last = 0;
    ASSERT_EQ(10, src->GetVisibleRange(first, last));
    // Not partial: the study series' own value. Newest bar 12:05 closes at 12:07 (157).
    double v = 0;
    ASSERT_TRUE(src->GetValue(last, 0, v));
    // Closes of 11:55, 12:00 and 12:05 bars: minutes 149, 154, 157.
    EXPECT_DOUBLE_EQ((149 + 154 + 157) / 3.0, v);
    // As of the 12:06 companion record: the newest bar's close is 156.
    const int j = companion->FindBarByTime(F(2026, 3, 4, 12, 6), 0);
    CBarRecord at;
    ASSERT_TRUE(companion->GetRecord(j, at));
    ASSERT_TRUE(at.m_bValid);
    EXPECT_DOUBLE_EQ(156, at.Close());
    const CBarRecord before = *base->GetRecordAt(base->GetRecordCount() - 1);
    ASSERT_TRUE(src->GetValue(last, 0, v, j));
    EXPECT_DOUBLE_EQ((149 + 154 + 156) / 3.0, v);
    // The live record is untouched.
    const CBarRecord after = *base->GetRecordAt(base->GetRecordCount() - 1);
    EXPECT_EQ(before.Close(), after.Close());
    EXPECT_EQ(before.High(), after.High());
    ASSERT_TRUE(src->GetValue(last, 0, v));
    EXPECT_DOUBLE_EQ((149 + 154 + 157) / 3.0, v);
    // Time units of the bar.
    ASSERT_TRUE(src->GetValue(last, 102, v));
    EXPECT_EQ(12, v);
    ASSERT_TRUE(src->GetValue(last, 108, v));
    EXPECT_EQ(3, v); // Wednesday
    EXPECT_EQ(-1000000.0, src->GetHighest(5, 4, 0));
    EXPECT_GT(src->GetHighest(first, last, 0), 100.0);
}

TEST(StudySource, WindowStudiesReadConsecutiveBars)
{
    FakeSeriesServices services;
    std::unique_ptr<CStudySource, decltype(&DeleteStudyCall)> src(ParseStudyCall("ATR(IBM,3),5", 1, 0, 1),
                                                                   &DeleteStudyCall);
    ASSERT_TRUE(src);
    EXPECT_EQ(3, src->GetSpec()->m_nDisplacement);
    CPriceSeries* base = src->GetBaseSeries();
    base->SetWindowMode(1);
    ASSERT_TRUE(src->Prepare(5, 0));
    EXPECT_EQ(8, base->GetRecordCount());
    const auto rows = MinuteRows();
    base->OnIntradayHistory(rows);
    src->GetSpec()->m_pCompanion->OnIntradayHistory(rows);
    int first = 0, last = 0;
    ASSERT_EQ(5, src->GetVisibleRange(first, last));
    EXPECT_EQ(4, last);
    double v;
    // A full 5-minute bar from minute m: High m + 4.5, Low m - 0.5, previous Close m - 1,
    // so its true range is |High - previous Close| = 5.5.
    ASSERT_TRUE(src->GetValue(last - 1, 0, v));
    EXPECT_DOUBLE_EQ(5.5, v);
}

TEST(StudySource, RsiAsOfStepsThePreviousBarsAverages)
{
    FakeSeriesServices services;
    std::unique_ptr<CStudySource, decltype(&DeleteStudyCall)> src(ParseStudyCall("RSI(IBM,2),5", 1, 0, 0),
                                                                   &DeleteStudyCall);
    ASSERT_TRUE(src);
    CPriceSeries* base = src->GetBaseSeries();
    CPriceSeries* study = src->GetSpec()->m_pStudySeries;
    ASSERT_NE(nullptr, study);
    base->SetWindowMode(1);
    ASSERT_TRUE(src->Prepare(6, 0));
    // Closes that zig-zag, so both averages stay above 0.
    std::vector<CHistoryRow> rows = MinuteRows();
    for (auto& r : rows)
        r.close = r.open = (static_cast<int>(r.close) % 3 == 0) ? 50 - r.close * 0.1 : 50 + r.close * 0.2;
    for (auto& r : rows) {
        r.high = r.close + 0.5;
        r.low = r.close - 0.5;
    }
    base->OnIntradayHistory(rows);
    study->OnIntradayHistory(rows);
    CPriceSeries* companion = src->GetSpec()->m_pCompanion;
    companion->OnIntradayHistory(rows);
    int first = 0, last = 0;
    ASSERT_EQ(6, src->GetVisibleRange(first, last));
    // Not partial: the study series' own value at the same bar.
    double v = 0, own = 0;
    ASSERT_TRUE(src->GetValue(last, 0, v));
    DWORD start = 0;
    ASSERT_TRUE(src->GetBarTime(last, 0, start));
    ASSERT_TRUE(study->GetValue(study->FindBarByTime(start, 0), 0, own));
    EXPECT_DOUBLE_EQ(own, v);
    // As of the 12:06 record: step the previous bar's averages with the as-of close.
    const int j = companion->FindBarByTime(F(2026, 3, 4, 12, 6), 0);
    CBarRecord at;
    ASSERT_TRUE(companion->GetRecord(j, at));
    double prevClose = 0, h = 0, l = 0;
    ASSERT_TRUE(src->GetBarTime(last - 1, 0, start));
    const int prev = study->FindBarByTime(start, 0);
    ASSERT_TRUE(study->GetValue(prev, 1, h));
    ASSERT_TRUE(study->GetValue(prev, 2, l));
    ASSERT_TRUE(base->GetValue(base->FindBarByTime(start, 0), kBarClose, prevClose));
    const double c = at.Close();
    h = 0.5 * h + (c > prevClose ? c - prevClose : 0) / 2;
    l = 0.5 * l + (c < prevClose ? prevClose - c : 0) / 2;
    ASSERT_GT(l, 0);
    ASSERT_TRUE(src->GetValue(last, 0, v, j));
    EXPECT_NEAR(100 - 100 / (h / l + 1), v, 1e-9);
}

// A block read gives, index by index, what GetValue gives: inside and outside the
// records, for plain series, series studies, displaced and as-of sources and time units.
TEST(StudySource, ReadValuesGivesWhatGetValueGives)
{
    FakeSeriesServices services;
    struct Case {
        const char* key;
        int sourceOption;
        std::vector<int> fields;
    };
    const Case cases[] = {
        {"IBM,5", 0, {kBarOpen, kBarHigh, kBarLow, kBarClose, kBarVolume, 108}},
        {"MA(IBM,Close,3,0),5", 0, {0, 1}},
        {"MA(IBM,Close,3,0),5", 1, {0, 102}},
        {"RSI(IBM,2),5", 1, {0, 1}},
        {"ATR(IBM,3),5", 1, {0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        std::unique_ptr<CStudySource, decltype(&DeleteStudyCall)> src(ParseStudyCall(c.key, c.sourceOption, 0, 0),
                                                                       &DeleteStudyCall);
        ASSERT_TRUE(src);
        CPriceSeries* base = src->GetBaseSeries();
        base->SetWindowMode(1);
        ASSERT_TRUE(src->Prepare(12, 0));
        // Closes that zig-zag (RSI has both averages), and a gap: bars without a record.
        std::vector<CHistoryRow> rows = MinuteRows();
        for (auto& r : rows) {
            r.close = r.open = (static_cast<int>(r.close) % 3 == 0) ? 50 - r.close * 0.1 : 50 + r.close * 0.2;
            r.high = r.close + 0.5;
            r.low = r.close - 0.5;
        }
        rows.erase(rows.begin() + 100, rows.begin() + 110);
        base->OnIntradayHistory(rows);
        if (const CStudyEvaluation* spec = src->GetSpec()) {
            if (spec->m_pCompanion)
                spec->m_pCompanion->OnIntradayHistory(rows);
            if (spec->m_pStudySeries)
                spec->m_pStudySeries->OnIntradayHistory(rows);
        }
        int first = 0, last = 0;
        src->GetVisibleRange(first, last);
        const int from = first - 30, count = last - from + 4;
        for (int field : c.fields) {
            SCOPED_TRACE(field);
            std::vector<double> values(static_cast<size_t>(count), -1.0);
            std::vector<BYTE> ok(static_cast<size_t>(count), 7);
            src->ReadValues(from, count, field, values.data(), ok.data());
            int withValue = 0;
            for (int k = 0; k < count; ++k) {
                double v = 0;
                const bool has = src->GetValue(from + k, field, v, -1);
                ASSERT_EQ(has ? 1 : 0, ok[static_cast<size_t>(k)]) << "index " << from + k;
                if (has) {
                    EXPECT_EQ(v, values[static_cast<size_t>(k)]) << "index " << from + k;
                    ++withValue;
                }
            }
            EXPECT_GT(withValue, 0);
        }
    }
}
