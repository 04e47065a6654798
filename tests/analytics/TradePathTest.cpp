// What a live trade and a roll cost a series: no call of the C library's time-zone functions
// once the day is known (the zone's offsets kept per day convert as the library does), and a
// roll on a series with empty bars packs only the new records.
#include "FakeSeriesServices.h"

#include "analytics/periods/PeriodTime.h"
#include "analytics/series/CBarStore.h"
#include "analytics/series/CPriceSeries.h"
#include "analytics/series/CSeriesStudy.h"
#include "analytics/series/SeriesTime.h"
#include "analytics/studies/StudyTable.h"
#include "broker/session/SessionMessages.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

namespace {

std::atomic<int> g_zoneCalls{0};

template <class F>
F Next(const char* name)
{
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

} // namespace

// The process's calls of the zone conversions are counted, then passed on.
extern "C" time_t mktime(struct tm* parts)
{
    static const auto next = Next<time_t (*)(struct tm*)>("mktime");
    ++g_zoneCalls;
    return next(parts);
}

extern "C" struct tm* localtime_r(const time_t* t, struct tm* out)
{
    static const auto next = Next<struct tm* (*)(const time_t*, struct tm*)>("localtime_r");
    ++g_zoneCalls;
    return next(t, out);
}

namespace {

CTradeMessage Trade(double price)
{
    CTradeMessage t;
    t.m_price = price;
    t.m_size = 1;
    t.m_exchange = "NASD";
    return t;
}

} // namespace

TEST(TradePath, TradesAndRollsCallNoTimeZoneFunctionOnceTheDayIsKnown)
{
    FakeSeriesServices services;
    CSeriesQuote quote;
    quote.pending = false;
    quote.exchange = "NASD";
    services.quotes["IBM"] = quote;
    CPriceSeries bars("IBM,1", 0), average("EMA(IBM,Close,20,0),1", 0);
    std::vector<CPriceSeries*> all{&bars, &average};
    for (CPriceSeries* s : all) {
        s->SetWindowMode(1);
        s->SetBarCount(300, 0);
        std::vector<CHistoryRow> rows;
        for (int r = 0; r < s->GetRecordCount(); ++r)
            rows.push_back({CTimeToFeedTime(s->GetRecordAt(r)->m_startTime), 50, 51, 49, 50.0 + r % 7, 100});
        s->OnIntradayHistory(rows);
        ASSERT_EQ(0, s->GetOutstandingRequests());
    }
    const CTime start = services.now; // 12:07
    const CTradeMessage trade = Trade(52.5);
    for (CPriceSeries* s : all)
        s->OnLiveData(&trade, CTimeToFeedTime(CTime(start.GetTime() + 10)));

    g_zoneCalls = 0;
    double value = 0;
    for (int minute = 0; minute < 30; ++minute) {
        const CTime now(start.GetTime() + 60 * minute);
        services.now = now;
        for (int k = 0; k < 20; ++k) {
            const CTradeMessage t = Trade(52 + 0.125 * (k % 5));
            for (CPriceSeries* s : all)
                s->OnLiveData(&t, CTimeToFeedTime(CTime(now.GetTime() + k)));
            ASSERT_TRUE(average.GetValue(299, 0, value));
        }
    }
    const int calls = g_zoneCalls;
    EXPECT_EQ(0, calls);
    // The trades went where the C library puts them: the newest bar is 12:36, 20 trades.
    EXPECT_EQ(CTime(2026, 3, 4, 12, 36, 0), bars.GetRecordAt(299)->m_startTime);
    EXPECT_EQ(2000, bars.GetRecordAt(299)->Volume());
    EXPECT_EQ(CTime(2026, 3, 4, 12, 35, 0), bars.GetRecordAt(298)->m_startTime);

    // 64 days later the series still knows its layout day, and trades read both days.
    const CTime later(2026, 5, 7, 12, 7, 0);
    services.now = later;
    for (CPriceSeries* s : all) {
        s->OnLiveData(&trade, CTimeToFeedTime(later));
        while (s->GetOutstandingRequests() > 0)
            s->OnIntradayHistory({});
        s->OnLiveData(&trade, CTimeToFeedTime(CTime(later.GetTime() + 1)));
    }
    g_zoneCalls = 0;
    for (int k = 0; k < 100; ++k) {
        const CTradeMessage t = Trade(52 + 0.125 * (k % 5));
        for (CPriceSeries* s : all)
            s->OnLiveData(&t, CTimeToFeedTime(CTime(later.GetTime() + 2 + k / 10)));
    }
    const int laterCalls = g_zoneCalls;
    EXPECT_EQ(0, laterCalls);
    EXPECT_EQ(later, bars.GetRecordAt(299)->m_startTime);
    EXPECT_EQ(10200, bars.GetRecordAt(299)->Volume());
}

TEST(TradePath, ARollOnASeriesWithEmptyBarsPacksOnlyTheNewRecords)
{
    constexpr int kCount = 100000;
    CBarStore store;
    store.Assign(kCount);
    auto fill = [&store](int r, int64_t minute) {
        const int64_t start = CTime(2026, 3, 2, 9, 30, 0).GetTime() + 60 * minute;
        store.SetTimes(r, CTime(start), CTime(start + 60));
        const double close = 100 + (minute * 7919 % 1000) / 100.0;
        for (int f = kBarOpen; f <= kBarClose; ++f)
            store.SetField(r, f, close + (f == kBarHigh) - (f == kBarLow));
        store.SetField(r, kBarVolume, 100);
        store.SetValid(r, minute % 100 != 37); // one bar in a hundred is empty
    };
    for (int r = 0; r < kCount; ++r)
        fill(r, r);
    const double params[4] = {3, 20, 0, 0};
    CSeriesStudy study(studies::kEMA, params, store);
    double value = 0;
    ASSERT_TRUE(study.Value(kCount - 1, 0, value));
    const int64_t packed = study.GetPackedCount();
    for (int roll = 1; roll <= 50; ++roll) {
        store.PopFront(1);
        store.InsertBack(1);
        fill(kCount - 1, kCount - 1 + roll);
        study.FrontRemoved(1);
        study.RecordsChanged(kCount - 1);
        const bool has = study.Value(kCount - 1, 0, value);
        // The same value computed afresh (over every record, so within rounding).
        CSeriesStudy fresh(studies::kEMA, params, store);
        double expected = 0;
        ASSERT_EQ(fresh.Value(kCount - 1, 0, expected), has) << roll;
        if (has) {
            EXPECT_NEAR(expected, value, 1e-9 * std::abs(expected)) << roll;
        }
    }
    EXPECT_LE(study.GetPackedCount() - packed, 50 * 2);
}

TEST(TradePath, DayOffsetsConvertAsTheCLibraryDoesThroughDaylightSaving)
{
    // A zone with daylight saving; every hour of two years and every minute around the switches.
    const char* saved = std::getenv("TZ");
    const std::string before = saved ? saved : "";
    setenv("TZ", "EST5EDT,M3.2.0,M11.1.0", 1);
    tzset();
    std::vector<int64_t> naives;
    const int64_t first = 20454LL * 86400; // 2026-01-01
    for (int64_t t = first; t < first + 730 * 86400; t += 3600)
        naives.push_back(t);
    for (int64_t day : {20522LL, 20760LL, 20893LL}) // four days before 2026-03-10, 2026-11-03, 2027-03-16
        for (int64_t t = (day - 4) * 86400; t < (day + 1) * 86400; t += 60)
            naives.push_back(t);
    int checked = 0;
    for (int64_t naive : naives) {
        struct tm fields {};
        const time_t seconds = static_cast<time_t>(naive);
        gmtime_r(&seconds, &fields);
        const CTime expected(fields.tm_year + 1900, fields.tm_mon + 1, fields.tm_mday, fields.tm_hour, fields.tm_min,
                             fields.tm_sec);
        ASSERT_EQ(expected, periods::TimeOfLocalNaiveSeconds(naive)) << naive;
        struct tm local {};
        const time_t t = static_cast<time_t>(expected.GetTime());
        ::localtime_r(&t, &local);
        const int64_t shown = timegm(&local);
        ASSERT_EQ(shown, periods::LocalNaiveSeconds(expected)) << naive;
        ASSERT_EQ(CTimeToFeedTime(expected), DateTimeToFeedTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                                                                 local.tm_hour, local.tm_min, local.tm_sec));
        ++checked;
    }
    EXPECT_GT(checked, 17000);
    if (saved)
        setenv("TZ", before.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
}
