// A historical intraday series laid out while another one of the same symbol, interval and
// end time holds its bars takes them instead of asking history again; anything that could
// make the bars differ (answers still on their way, a failed download, an owner's edit,
// records no one asked for, another end time, a live series) leaves it to ask as usual.
#include "FakeSeriesServices.h"

#include "analytics/series/CPriceSeries.h"
#include "analytics/series/SeriesTime.h"
#include "analytics/studies/CBarRecord.h"
#include "broker/session/SessionMessages.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

DWORD F(int y, int mo, int d, int h, int mi)
{
    return CTimeToFeedTime(CTime(y, mo, d, h, mi, 0));
}

CString HistoricalKey(const char* prefix, DWORD end)
{
    CString key;
    key.Format("%s&EndETime=%u", prefix, end);
    return key;
}

double CloseOf(int k)
{
    return 20 + (k % 4) * 0.25 + k * 0.5;
}

// Rows for every record of the series but `gap`: record r's close is CloseOf(r + shift).
std::vector<CHistoryRow> RowsFor(const CPriceSeries& s, int shift, int gap = -1)
{
    std::vector<CHistoryRow> rows;
    for (int r = 0; r < s.GetRecordCount(); ++r) {
        if (r == gap)
            continue;
        const double c = CloseOf(r + shift);
        rows.push_back({CTimeToFeedTime(s.GetRecordAt(r)->m_startTime), c - 0.125, c + 1, c - 1, c, 100.0 + r});
    }
    return rows;
}

// A loaded historical series of ten 5-minute bars ending Tuesday 15:00, record `gap`
// without a row.
struct Loaded {
    explicit Loaded(FakeSeriesServices& services, int gap = 4)
        : series(std::make_unique<CPriceSeries>(HistoricalKey("IBM,5", F(2026, 3, 3, 15, 0)), 0))
    {
        series->SetWindowMode(1);
        series->SetBarCount(10, 0);
        series->OnIntradayHistory(RowsFor(*series, 0, gap));
        services.requests.clear();
    }
    std::unique_ptr<CPriceSeries> series;
};

void ExpectSameRecord(const CBarRecord& a, const CBarRecord& b, int r)
{
    EXPECT_EQ(a.m_startTime, b.m_startTime) << r;
    EXPECT_EQ(a.m_endTime, b.m_endTime) << r;
    EXPECT_EQ(a.m_bValid, b.m_bValid) << r;
    for (int f = kBarOpen; f <= kBarVolume; ++f)
        EXPECT_EQ(a.m_fields[f], b.m_fields[f]) << r << " field " << f;
}

} // namespace

TEST(TwinSeries, SameBarsAreTakenWholeWithoutARequest)
{
    FakeSeriesServices services;
    Loaded donor(services);
    ASSERT_FALSE(donor.series->IsWaitingForData());

    CPriceSeries twin(HistoricalKey("IBM,5", F(2026, 3, 3, 15, 0)), 0);
    twin.SetWindowMode(1);
    twin.SetBarCount(10, 0);
    EXPECT_TRUE(services.requests.empty());
    EXPECT_EQ(0, twin.GetOutstandingRequests());
    EXPECT_FALSE(twin.IsWaitingForData());
    ASSERT_EQ(10, twin.GetRecordCount());
    for (int r = 0; r < 10; ++r)
        ExpectSameRecord(*donor.series->GetRecordAt(r), *twin.GetRecordAt(r), r);
    // The record without a row stays empty; the others hold their rows.
    EXPECT_FALSE(twin.GetRecordAt(4)->m_bValid);
    EXPECT_EQ(CloseOf(9), twin.GetRecordAt(9)->m_fields[kBarClose]);
    EXPECT_EQ(108.0, twin.GetRecordAt(8)->m_fields[kBarVolume]);

    // Fewer bars: the newest five, again without a request.
    CPriceSeries shorter(HistoricalKey("IBM,5", F(2026, 3, 3, 15, 0)), 0);
    shorter.SetBarCount(5, 0);
    EXPECT_TRUE(services.requests.empty());
    for (int r = 0; r < 5; ++r)
        ExpectSameRecord(*donor.series->GetRecordAt(r + 5), *shorter.GetRecordAt(r), r);
}

TEST(TwinSeries, AStudySeriesAsksOnlyForItsWarmUpBarsAndAveragesAllOfThem)
{
    FakeSeriesServices services;
    Loaded donor(services, -1);
    CPriceSeries ma(HistoricalKey("MA(IBM,Close,3,0),5", F(2026, 3, 3, 15, 0)), 0);
    ma.SetWindowMode(1);
    ma.SetBarCount(10, 0); // 10 + warm-up 3
    ASSERT_EQ(13, ma.GetRecordCount());
    // Only the three bars in front of the donor's are asked for.
    ASSERT_EQ(1u, services.requests.size());
    EXPECT_EQ(CTimeToFeedTime(ma.GetRecordAt(0)->m_startTime), services.requests[0].start);
    EXPECT_EQ(CTimeToFeedTime(ma.GetRecordAt(2)->m_endTime), services.requests[0].end);
    EXPECT_TRUE(ma.IsWaitingForData());
    // Their rows continue the donor's closes backwards.
    std::vector<CHistoryRow> front = RowsFor(ma, -3);
    front.resize(3);
    ma.OnIntradayHistory(front);
    EXPECT_FALSE(ma.IsWaitingForData());

    // Record r closes at CloseOf(r - 3); visible bar i is record i + 3.
    ma.Lock();
    for (int i = 0; i < 10; ++i) {
        const int r = i + 3;
        double v = 0;
        ASSERT_TRUE(ma.GetValue(i, 0, v)) << i;
        EXPECT_DOUBLE_EQ((CloseOf(r - 3) + CloseOf(r - 4) + CloseOf(r - 5)) / 3, v) << i;
    }
    ma.Unlock();
}

TEST(TwinSeries, BarsThatMayDifferAreAskedForAsUsual)
{
    FakeSeriesServices services;
    const DWORD end = F(2026, 3, 3, 15, 0);
    const auto asksForAll = [&](const char* prefix, DWORD endTime) {
        services.requests.clear();
        CPriceSeries s(endTime ? HistoricalKey(prefix, endTime) : CString(prefix), 0);
        s.SetWindowMode(1);
        s.SetBarCount(10, 0);
        const bool all = services.requests.size() == 1 &&
                         services.requests[0].start == CTimeToFeedTime(s.GetRecordAt(0)->m_startTime);
        services.requests.clear();
        return all;
    };
    {
        // Answers still on their way.
        CPriceSeries waiting(HistoricalKey("IBM,5", end), 0);
        waiting.SetBarCount(10, 0);
        EXPECT_TRUE(asksForAll("IBM,5", end));
        waiting.OnIntradayHistory(RowsFor(waiting, 0));
        EXPECT_FALSE(asksForAll("IBM,5", end));
    }
    {
        // An empty answer that came of a failed download.
        CPriceSeries failed(HistoricalKey("IBM,5", end), 0);
        failed.SetWindowMode(1);
        failed.SetBarCount(10, 0);
        ASSERT_FALSE(services.requests.empty());
        failed.OnHistoryFailed(services.requests.back().start, services.requests.back().end);
        failed.OnIntradayHistory({});
        EXPECT_TRUE(asksForAll("IBM,5", end));
        // Laid out and answered anew, it lends.
        failed.SetBarCount(10, 0);
        failed.OnIntradayHistory(RowsFor(failed, 0));
        EXPECT_FALSE(asksForAll("IBM,5", end));
    }
    {
        // An owner's edit.
        Loaded edited(services);
        CBarRecord record = *edited.series->GetRecordAt(9);
        record.m_fields[kBarClose] = 99;
        edited.series->SetRecord(9, record);
        EXPECT_TRUE(asksForAll("IBM,5", end));
    }
    {
        // Empty bars added in front that nobody asked for.
        Loaded grown(services);
        grown.series->AddEmptyBars(-3, 0);
        EXPECT_TRUE(asksForAll("IBM,5", end));
        // Laid out anew, it lends again.
        grown.series->SetBarCount(10, 0);
        grown.series->OnIntradayHistory(RowsFor(*grown.series, 0));
        EXPECT_FALSE(asksForAll("IBM,5", end));
    }
    {
        Loaded donor(services);
        // Another end time, interval, symbol or session; a live series.
        EXPECT_TRUE(asksForAll("IBM,5", F(2026, 3, 3, 14, 0)));
        EXPECT_TRUE(asksForAll("IBM,10", end));
        EXPECT_TRUE(asksForAll("MSFT,5", end));
        EXPECT_TRUE(asksForAll("IBM,5:255", end));
        EXPECT_TRUE(asksForAll("IBM,5", 0));
        EXPECT_FALSE(asksForAll("IBM,5", end));
    }
    // Gone with its owner.
    EXPECT_TRUE(asksForAll("IBM,5", end));
}

TEST(TwinSeries, AStudyWithinTheDonorsRecordsSharesThemAndNeitherSeesTheOthersChanges)
{
    FakeSeriesServices services;
    const DWORD end = F(2026, 3, 3, 15, 0);
    // Ten bars shown and three laid out ahead of them.
    auto donor = std::make_unique<CPriceSeries>(HistoricalKey("IBM,5", end), 0);
    donor->SetWindowMode(1);
    donor->SetBarCount(10, 0, 3);
    ASSERT_EQ(13, donor->GetRecordCount());
    int first = 0, last = 0;
    EXPECT_EQ(10, donor->GetVisibleRange(first, last));
    ASSERT_EQ(1u, services.requests.size());
    EXPECT_EQ(CTimeToFeedTime(donor->GetRecordAt(0)->m_startTime), services.requests[0].start);
    donor->OnIntradayHistory(RowsFor(*donor, 0));
    services.requests.clear();
    // Visible bar 0 is record 3.
    DWORD shown = 0;
    ASSERT_TRUE(donor->GetBarTime(0, 0, shown));
    EXPECT_EQ(CTimeToFeedTime(donor->GetRecordAt(3)->m_startTime), shown);

    // An average of three needs the ten bars and three before them: all the donor's.
    CPriceSeries ma(HistoricalKey("MA(IBM,Close,3,0),5", end), 0);
    ma.SetWindowMode(1);
    ma.SetBarCount(10, 0);
    EXPECT_TRUE(services.requests.empty());
    EXPECT_FALSE(ma.IsWaitingForData());
    ASSERT_EQ(13, ma.GetRecordCount());
    const auto expectAverages = [&] {
        ma.Lock();
        for (int i = 0; i < 10; ++i) {
            const int r = i + 3;
            double v = 0;
            ASSERT_TRUE(ma.GetValue(i, 0, v)) << i;
            EXPECT_DOUBLE_EQ((CloseOf(r) + CloseOf(r - 1) + CloseOf(r - 2)) / 3, v) << i;
        }
        ma.Unlock();
    };
    expectAverages();

    // The donor's edit stays its own.
    CBarRecord edited = *donor->GetRecordAt(12);
    edited.m_fields[kBarClose] = 99;
    donor->SetRecord(9, edited);
    EXPECT_EQ(99, donor->GetRecordAt(12)->m_fields[kBarClose]);
    EXPECT_EQ(CloseOf(12), ma.GetRecordAt(12)->m_fields[kBarClose]);
    expectAverages();

    // And the study's own records stay readable once the donor is gone.
    donor.reset();
    EXPECT_EQ(CloseOf(0), ma.GetRecordAt(0)->m_fields[kBarClose]);
    EXPECT_EQ(CloseOf(12), ma.GetRecordAt(12)->m_fields[kBarClose]);
    expectAverages();
}

