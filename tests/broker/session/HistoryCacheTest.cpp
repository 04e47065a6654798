#include "broker/session/CHistoryCache.h"
#include "broker/session/PriceSeriesHooks.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

constexpr DWORD kDay = 43200; // feed-time units

// A stand-in series: what the cache hands to a series is recorded here.
struct FakeSeries {
    const char* symbol = "MSFT";
    const char* interval = "5";
    bool extended = false;
    int updates = 0;
    std::vector<CHistoryRow> lastRows;
    bool lastDaily = false;
    std::optional<uint64_t> lastAsOf;
    int fills = 0;
    int failures = 0;
    int updatesWhenFailed = -1; // answers heard before the failure was told
    std::pair<DWORD, DWORD> failedSpan;
    int fillFirst = -1, fillLast = -1;
    CHistoryCoverage lastComplete;
};

FakeSeries* Fake(const CPriceSeries* s)
{
    return reinterpret_cast<FakeSeries*>(const_cast<CPriceSeries*>(s));
}
CPriceSeries* AsSeries(FakeSeries& s)
{
    return reinterpret_cast<CPriceSeries*>(&s);
}

class Requests : public IHistoryRequester {
public:
    void QueueHistoryRequest(const CHistoryRequest& request) override { made.push_back(request); }
    std::vector<CHistoryRequest> made;
};

class HistoryCacheTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CPriceSeriesHooks hooks;
        hooks.symbol = [](const CPriceSeries* s) { return Fake(s)->symbol; };
        hooks.interval = [](const CPriceSeries* s) { return Fake(s)->interval; };
        hooks.extendedSession = [](const CPriceSeries* s) { return Fake(s)->extended; };
        hooks.historyUpdate = [](CPriceSeries* s, const std::vector<CHistoryRow>& rows, bool daily,
                                 std::optional<uint64_t> asOf) {
            Fake(s)->updates++;
            Fake(s)->lastAsOf = asOf;
            Fake(s)->lastRows = rows;
            Fake(s)->lastDaily = daily;
        };
        hooks.historyFailed = [](CPriceSeries* s, DWORD start, DWORD end) {
            Fake(s)->failures++;
            Fake(s)->failedSpan = {start, end};
            Fake(s)->updatesWhenFailed = Fake(s)->updates;
        };
        hooks.cachedFill = [](CPriceSeries* s, const std::vector<CHistoryRow>& rows, const CHistoryCoverage& complete,
                              bool daily, int first, int last) {
            Fake(s)->fills++;
            Fake(s)->lastRows = rows;
            Fake(s)->lastComplete = complete;
            Fake(s)->lastDaily = daily;
            Fake(s)->fillFirst = first;
            Fake(s)->fillLast = last;
        };
        SetPriceSeriesHooks(hooks);
    }
    void TearDown() override { SetPriceSeriesHooks({}); }

    static CHistoryMessage Answer(DWORD id, std::vector<CHistoryRow> rows)
    {
        CHistoryMessage message;
        message.m_nRequestId = id;
        message.m_rows = std::move(rows);
        return message;
    }
};

} // namespace

TEST_F(HistoryCacheTest, AnswerReachesWaitingSeriesAndIsCached)
{
    Requests requests;
    CHistoryCache cache(&requests);
    FakeSeries a, b;
    EXPECT_EQ(cache.RequestHistory(AsSeries(a), 1000, 2000), 1);
    EXPECT_EQ(cache.RequestHistory(AsSeries(b), 1000, 2000), 1); // same span: waits for the same answer
    ASSERT_EQ(requests.made.size(), 1u);
    EXPECT_EQ(requests.made[0].symbol, "MSFT");
    EXPECT_FALSE(requests.made[0].daily);
    EXPECT_EQ(cache.RequestHistory(AsSeries(a), 3000, 2000), 0); // empty span asks nothing

    // Rows out of order are handed over sorted, with the newest trade they hold.
    CHistoryMessage answer = Answer(requests.made[0].id, {{1060, 2, 3, 1, 2.5, 200}, {1030, 1, 2, 0.5, 1.5, 100}});
    answer.m_asOf = 41;
    cache.ApplyHistory(answer);
    EXPECT_EQ(a.updates, 1);
    EXPECT_EQ(b.updates, 1);
    EXPECT_EQ(b.lastAsOf, std::optional<uint64_t>(41));
    ASSERT_EQ(a.lastRows.size(), 2u);
    EXPECT_EQ(a.lastRows[0].feedTime, 1030u);
    EXPECT_EQ(cache.GetPendingRequests(), 0u);

    // The next series of the symbol fills from the cache.
    FakeSeries c;
    cache.FillSeries(AsSeries(c), 3, 9);
    EXPECT_EQ(c.fills, 1);
    EXPECT_EQ(c.lastRows.size(), 2u);
    EXPECT_EQ(c.fillFirst, 3);
    EXPECT_EQ(c.fillLast, 9);

    // Newer rows replace rows of the same time.
    EXPECT_EQ(cache.RequestHistory(AsSeries(a), 1000, 1100), 1);
    cache.ApplyHistory(Answer(requests.made[1].id, {{1030, 9, 9, 9, 9, 9}, {1090, 4, 4, 4, 4, 4}}));
    const auto rows = cache.GetRows("MSFT", false);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].close, 9);
    EXPECT_EQ(rows[2].feedTime, 1090u);
}

TEST_F(HistoryCacheTest, RemovedSeriesHearsNothingAndFailedAnswersStillCount)
{
    Requests requests;
    CHistoryCache cache(&requests);
    FakeSeries gone, daily;
    daily.symbol = "IBM";
    daily.interval = "D";
    cache.RequestHistory(AsSeries(gone), 10, 20);
    cache.RemoveSeries(AsSeries(gone));
    cache.ApplyHistory(Answer(requests.made[0].id, {{15, 1, 1, 1, 1, 1}}));
    EXPECT_EQ(gone.updates, 0);

    cache.RequestHistory(AsSeries(daily), 10, 20);
    ASSERT_TRUE(requests.made[1].daily);
    CHistoryMessage failed = Answer(requests.made[1].id, {});
    failed.m_bFailed = true;
    failed.m_asOf = 7;
    cache.ApplyHistory(failed);
    EXPECT_EQ(daily.updates, 1); // the series' outstanding count can fall
    EXPECT_EQ(daily.failures, 1); // told of the failure before its empty answer
    EXPECT_EQ(daily.updatesWhenFailed, 0);
    // The span that failed, as asked for: daily rows from the first day's midnight.
    EXPECT_EQ(std::make_pair(DWORD(0), DWORD(20)), daily.failedSpan);
    EXPECT_FALSE(daily.lastAsOf); // and it holds no trade
    EXPECT_TRUE(daily.lastRows.empty());
    EXPECT_TRUE(daily.lastDaily);

    // Extended-session rows are asked for and kept apart from the regular session's.
    FakeSeries extended;
    extended.symbol = "AAPL";
    extended.extended = true;
    cache.RequestHistory(AsSeries(extended), 10, 20);
    ASSERT_TRUE(requests.made[2].extended);
    cache.ApplyHistory(Answer(requests.made[2].id, {{12, 1, 1, 1, 1, 1}}));
    EXPECT_EQ(cache.GetRows("AAPL", false, true).size(), 1u);
    EXPECT_EQ(extended.failures, 0);
    FakeSeries regular;
    regular.symbol = "AAPL";
    cache.FillSeries(AsSeries(regular), 0, 5);
    EXPECT_EQ(regular.fills, 0); // nothing cached for the regular session
    cache.FillSeries(AsSeries(extended), 0, 5);
    EXPECT_EQ(extended.fills, 1);

    // An answer nobody asked for is ignored.
    cache.ApplyHistory(Answer(999, {{1, 1, 1, 1, 1, 1}}));
    EXPECT_TRUE(CHistoryCache::IsDailyInterval("W"));
    EXPECT_FALSE(CHistoryCache::IsDailyInterval("15"));
    EXPECT_FALSE(CHistoryCache::IsDailyInterval("0"));
}

TEST_F(HistoryCacheTest, DailyRowsAreAskedForFromMidnightAndMakeQuartersAndYears)
{
    Requests requests;
    CHistoryCache cache(&requests);
    // A daily bar starts at the session's open, its row at midnight: the first day is asked for.
    FakeSeries daily;
    daily.interval = "D";
    cache.RequestHistory(AsSeries(daily), 10 * kDay + 17100, 14 * kDay + 28800);
    ASSERT_EQ(1u, requests.made.size());
    EXPECT_TRUE(requests.made[0].daily);
    EXPECT_EQ(10 * kDay, requests.made[0].startFeedTime);
    EXPECT_EQ(14 * kDay + 28800, requests.made[0].endFeedTime);
    for (const char* interval : {"Q", "Y", "q"})
        EXPECT_TRUE(CHistoryCache::IsDailyInterval(interval)) << interval;
    EXPECT_FALSE(CHistoryCache::IsDailyInterval("QQ"));
    FakeSeries yearly;
    yearly.interval = "Y";
    cache.RequestHistory(AsSeries(yearly), 20 * kDay, 30 * kDay);
    ASSERT_EQ(2u, requests.made.size());
    EXPECT_TRUE(requests.made[1].daily);
}

TEST(HistoryCoverage, SpansJoinAndHoldWhatLiesInsideOne)
{
    CHistoryCoverage c;
    EXPECT_FALSE(c.Holds(0, 1));
    c.Add(100, 200);
    c.Add(300, 400);
    c.Add(50, 50); // empty
    EXPECT_EQ(2u, c.Spans().size());
    EXPECT_TRUE(c.Holds(100, 200));
    EXPECT_TRUE(c.Holds(150, 160));
    EXPECT_FALSE(c.Holds(150, 201));
    EXPECT_FALSE(c.Holds(99, 150));
    EXPECT_FALSE(c.Holds(190, 310));
    c.Add(200, 300); // touches both
    ASSERT_EQ(1u, c.Spans().size());
    EXPECT_TRUE(c.Holds(190, 310));
    c.Add(20, 30);
    c.Add(10, 120);
    ASSERT_EQ(1u, c.Spans().size());
    EXPECT_EQ(10u, c.Spans()[0].first);
    EXPECT_EQ(400u, c.Spans()[0].second);
}

TEST_F(HistoryCacheTest, RowsAreCompleteBeforeTheNewestMinuteAndThroughTheNewestDay)
{
    Requests requests;
    CHistoryCache cache(&requests);
    FakeSeries minutes;
    cache.RequestHistory(AsSeries(minutes), 1000, 2000);
    cache.ApplyHistory(Answer(requests.made[0].id, {{1060, 2, 3, 1, 2.5, 200}, {1030, 1, 2, 0.5, 1.5, 100}}));
    // The newest minute may have been in progress: a bar holding it is asked for.
    FakeSeries later;
    cache.FillSeries(AsSeries(later), 0, 9);
    EXPECT_TRUE(later.lastComplete.Holds(1000, 1060));
    EXPECT_FALSE(later.lastComplete.Holds(1030, 1090));
    EXPECT_FALSE(cache.GetCoverage("MSFT", false).Holds(999, 1030));
    // A failed answer and one nobody waits for add nothing.
    cache.RequestHistory(AsSeries(minutes), 2000, 3000);
    CHistoryMessage failed = Answer(requests.made[1].id, {{2500, 1, 1, 1, 1, 1}});
    failed.m_bFailed = true;
    cache.ApplyHistory(failed);
    cache.ApplyHistory(Answer(777, {{2600, 1, 1, 1, 1, 1}}));
    EXPECT_EQ(1u, cache.GetCoverage("MSFT", false).Spans().size());

    // The broker serves no day in progress, so the newest daily row is a whole day.
    FakeSeries daily;
    daily.interval = "D";
    cache.RequestHistory(AsSeries(daily), 10 * kDay, 14 * kDay + 28800);
    cache.ApplyHistory(Answer(requests.made[2].id, {{10 * kDay, 1, 1, 1, 1, 1}, {12 * kDay, 1, 1, 1, 1, 1}}));
    const CHistoryCoverage days = cache.GetCoverage("MSFT", true);
    EXPECT_TRUE(days.Holds(10 * kDay + 17100, 12 * kDay + 28800));
    EXPECT_FALSE(days.Holds(13 * kDay + 17100, 13 * kDay + 28800));
}
