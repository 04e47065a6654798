#include "analytics/periods/CBarPeriod.h"
#include "analytics/periods/CNaiveTimeCache.h"
#include "analytics/periods/CMinutePeriod.h"
#include "analytics/periods/CMonthlyPeriod.h"
#include "analytics/periods/PeriodTime.h"
#include "broker/session/CMarketCalendar.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <thread>
#include <vector>

namespace {

CSessionRules Rules(int offset = 0)
{
    CSessionRules r;
    r.regular = {1, 9 * 60 + 30, 16 * 60};
    r.extended = {1, 4 * 60, 20 * 60};
    r.offsetMinutes = offset;
    r.specialDays[20260119] = CSpecialDay{};                        // Monday holiday
    r.specialDays[20261127] = CSpecialDay{{1, 9 * 60 + 30, 13 * 60}, {}}; // half day
    return r;
}

CTime T(int y, int mo, int d, int h, int mi, int s = 0)
{
    return CTime(y, mo, d, h, mi, s);
}

#define EXPECT_BAR(period, startTime, endTime)       \
    do {                                              \
        EXPECT_EQ((startTime), (period).GetStart());  \
        EXPECT_EQ((endTime), (period).GetEnd());      \
    } while (0)

} // namespace

TEST(BarPeriod, ThirtyMinuteBarsTileTheSession)
{
    const CSessionRules rules = Rules();
    auto p = CreateBarPeriod(T(2026, 3, 4, 10, 15), "30", &rules, 0, 1);
    ASSERT_TRUE(p);
    EXPECT_BAR(*p, T(2026, 3, 4, 10, 0), T(2026, 3, 4, 10, 30));
    EXPECT_EQ(13, static_cast<CMinutePeriod&>(*p).GetBarsInSession());
    // From the first bar, 13 steps reach the next day's first bar.
    p = CreateBarPeriod(T(2026, 3, 4, 9, 30), "30", &rules, 0, 1);
    EXPECT_BAR(*p, T(2026, 3, 4, 9, 30), T(2026, 3, 4, 10, 0));
    CTime lastEnd = p->GetEnd();
    for (int i = 0; i < 12; ++i) {
        ASSERT_TRUE(p->StepForward());
        EXPECT_EQ(lastEnd, p->GetStart()); // no gaps inside the session
        lastEnd = p->GetEnd();
    }
    EXPECT_BAR(*p, T(2026, 3, 4, 15, 30), T(2026, 3, 4, 16, 0));
    ASSERT_TRUE(p->StepForward());
    EXPECT_BAR(*p, T(2026, 3, 5, 9, 30), T(2026, 3, 5, 10, 0));
}

TEST(BarPeriod, FortyFiveMinuteBarsEndWithAShortOne)
{
    const CSessionRules rules = Rules();
    auto p = CreateBarPeriod(T(2026, 3, 4, 15, 59), "45", &rules, 0, 1);
    ASSERT_TRUE(p);
    EXPECT_EQ(9, static_cast<CMinutePeriod&>(*p).GetBarsInSession());
    EXPECT_BAR(*p, T(2026, 3, 4, 15, 30), T(2026, 3, 4, 16, 0));
    ASSERT_TRUE(p->StepBack());
    EXPECT_BAR(*p, T(2026, 3, 4, 14, 45), T(2026, 3, 4, 15, 30));
}

TEST(BarPeriod, StepsCrossWeekendsAndHolidays)
{
    const CSessionRules rules = Rules();
    // Monday 2026-03-09 first bar -> Friday 2026-03-06 last bar.
    auto p = CreateBarPeriod(T(2026, 3, 9, 9, 30), "30", &rules, 0, 1);
    ASSERT_TRUE(p);
    ASSERT_TRUE(p->StepBack());
    EXPECT_BAR(*p, T(2026, 3, 6, 15, 30), T(2026, 3, 6, 16, 0));
    ASSERT_TRUE(p->StepForward());
    EXPECT_BAR(*p, T(2026, 3, 9, 9, 30), T(2026, 3, 9, 10, 0));
    // Tuesday after the Monday holiday 2026-01-19 -> Friday 2026-01-16.
    p = CreateBarPeriod(T(2026, 1, 20, 9, 45), "30", &rules, 0, 1);
    ASSERT_TRUE(p->StepBack());
    EXPECT_BAR(*p, T(2026, 1, 16, 15, 30), T(2026, 1, 16, 16, 0));
    // Daily bars skip the holiday too; a time on the holiday belongs to the Friday.
    auto d = CreateBarPeriod(T(2026, 1, 19, 12, 0), "D", &rules, 0, 1);
    EXPECT_BAR(*d, T(2026, 1, 16, 9, 30), T(2026, 1, 16, 16, 0));
    ASSERT_TRUE(d->StepForward());
    EXPECT_BAR(*d, T(2026, 1, 20, 9, 30), T(2026, 1, 20, 16, 0));
    // A Saturday and a time before Monday's open belong to Friday's last bar.
    auto s = CreateBarPeriod(T(2026, 3, 7, 12, 0), "30", &rules, 0, 1);
    EXPECT_BAR(*s, T(2026, 3, 6, 15, 30), T(2026, 3, 6, 16, 0));
    auto m = CreateBarPeriod(T(2026, 3, 9, 8, 0), "60", &rules, 0, 1);
    EXPECT_BAR(*m, T(2026, 3, 6, 15, 30), T(2026, 3, 6, 16, 0));
    // The shortened day closes at 13:00.
    auto h = CreateBarPeriod(T(2026, 11, 27, 15, 0), "D", &rules, 0, 1);
    EXPECT_BAR(*h, T(2026, 11, 27, 9, 30), T(2026, 11, 27, 13, 0));
}

TEST(BarPeriod, ExtendedSessionAndTimeOffset)
{
    const CSessionRules rules = Rules();
    auto p = CreateBarPeriod(T(2026, 3, 4, 5, 10), "60", &rules, 1, 1);
    EXPECT_BAR(*p, T(2026, 3, 4, 5, 0), T(2026, 3, 4, 6, 0));
    // A symbol one hour behind exchange time sees its bars one hour earlier.
    const CSessionRules shifted = Rules(60);
    auto q = CreateBarPeriod(T(2026, 3, 4, 8, 40), "30", &shifted, 0, 1);
    EXPECT_BAR(*q, T(2026, 3, 4, 8, 30), T(2026, 3, 4, 9, 0));
}

TEST(BarPeriod, WeeksMonthsQuartersAndYears)
{
    const CSessionRules rules = Rules();
    auto w = CreateBarPeriod(T(2026, 3, 4, 12, 0), "W", &rules, 0, 1);
    EXPECT_BAR(*w, T(2026, 3, 1, 0, 0), T(2026, 3, 8, 0, 0));
    // Aligned: a Sunday belongs to the week before.
    auto ws = CreateBarPeriod(T(2026, 3, 8, 12, 0), "W", &rules, 0, 1);
    EXPECT_BAR(*ws, T(2026, 3, 1, 0, 0), T(2026, 3, 8, 0, 0));
    auto wu = CreateBarPeriod(T(2026, 3, 8, 12, 0), "W", &rules, 0, 0);
    EXPECT_BAR(*wu, T(2026, 3, 8, 0, 0), T(2026, 3, 15, 0, 0));
    ASSERT_TRUE(w->StepBack());
    EXPECT_BAR(*w, T(2026, 2, 22, 0, 0), T(2026, 3, 1, 0, 0));

    auto m = CreateBarPeriod(T(2026, 12, 10, 12, 0), "M", &rules, 0, 1);
    EXPECT_BAR(*m, T(2026, 12, 1, 0, 0), T(2027, 1, 1, 0, 0));
    ASSERT_TRUE(m->StepForward());
    EXPECT_BAR(*m, T(2027, 1, 1, 0, 0), T(2027, 2, 1, 0, 0));
    // Aligned: before the month's first session (Monday 2026-06-01 09:30) is the month before.
    auto early = CreateBarPeriod(T(2026, 6, 1, 9, 0), "M", &rules, 0, 1);
    EXPECT_BAR(*early, T(2026, 5, 1, 0, 0), T(2026, 6, 1, 0, 0));

    auto q = CreateBarPeriod(T(2026, 8, 20, 12, 0), "Q", &rules, 0, 1);
    EXPECT_BAR(*q, T(2026, 7, 1, 0, 0), T(2026, 10, 1, 0, 0));
    ASSERT_TRUE(q->StepForward());
    EXPECT_BAR(*q, T(2026, 10, 1, 0, 0), T(2027, 1, 1, 0, 0));
    ASSERT_TRUE(q->StepBack());
    ASSERT_TRUE(q->StepBack());
    EXPECT_BAR(*q, T(2026, 4, 1, 0, 0), T(2026, 7, 1, 0, 0));
    auto y = CreateBarPeriod(T(2026, 8, 20, 12, 0), "Y", &rules, 0, 1);
    EXPECT_BAR(*y, T(2026, 1, 1, 0, 0), T(2027, 1, 1, 0, 0));
    ASSERT_TRUE(y->StepBack());
    EXPECT_BAR(*y, T(2025, 1, 1, 0, 0), T(2026, 1, 1, 0, 0));
}

TEST(BarPeriod, TickSlotsAndFactoryKinds)
{
    const CSessionRules rules = Rules();
    auto t = CreateBarPeriod(T(2026, 3, 9, 9, 30, 1), "0", &rules, 0, 1);
    EXPECT_BAR(*t, T(2026, 3, 9, 9, 30, 0), T(2026, 3, 9, 9, 30, 2));
    ASSERT_TRUE(t->StepBack());
    EXPECT_BAR(*t, T(2026, 3, 6, 15, 59, 58), T(2026, 3, 6, 16, 0, 0));
    ASSERT_TRUE(t->StepForward());
    EXPECT_BAR(*t, T(2026, 3, 9, 9, 30, 0), T(2026, 3, 9, 9, 30, 2));
    auto five = CreateBarPeriod(T(2026, 3, 9, 10, 7), "5", &rules, 0, 1);
    ASSERT_NE(nullptr, dynamic_cast<CMinutePeriod*>(five.get()));
    EXPECT_BAR(*five, T(2026, 3, 9, 10, 5), T(2026, 3, 9, 10, 10));
    EXPECT_NE(nullptr, dynamic_cast<CMonthlyPeriod*>(CreateBarPeriod(T(2026, 3, 9, 10, 7), "M", &rules, 0, 1).get()));
    EXPECT_EQ(nullptr, dynamic_cast<CMinutePeriod*>(CreateBarPeriod(T(2026, 3, 9, 10, 7), "0", &rules, 0, 1).get()));
    EXPECT_EQ(nullptr, dynamic_cast<CMinutePeriod*>(CreateBarPeriod(T(2026, 3, 9, 10, 7), "D", &rules, 0, 1).get()));
}

TEST(BarPeriod, StepsStopAtTheTimeLimits)
{
    const CSessionRules rules = Rules();
    // Friday 1970-01-02 is the first day inside the limits.
    auto d = CreateBarPeriod(T(1970, 1, 2, 12, 0), "D", &rules, 0, 1);
    ASSERT_TRUE(d);
    const CTime start = d->GetStart(), end = d->GetEnd();
    EXPECT_FALSE(d->StepBack());
    EXPECT_EQ(start, d->GetStart());
    EXPECT_EQ(end, d->GetEnd());
    auto m = CreateBarPeriod(T(1970, 2, 10, 12, 0), "M", &rules, 0, 1);
    ASSERT_TRUE(m);
    EXPECT_FALSE(m->StepBack()); // into the month of the lower limit
    EXPECT_EQ(T(1970, 2, 1, 0, 0), m->GetStart());
    auto dec = CreateBarPeriod(T(2037, 12, 10, 12, 0), "M", &rules, 0, 1);
    ASSERT_TRUE(dec);
    EXPECT_FALSE(dec->StepForward());
    auto w = CreateBarPeriod(T(2037, 12, 23, 12, 0), "W", &rules, 0, 1);
    ASSERT_TRUE(w);
    EXPECT_FALSE(w->StepForward());
}

TEST(PeriodTime, DayWeekAndMonthComparisons)
{
    using namespace periods;
    EXPECT_EQ(0, CompareDay(T(2026, 3, 4, 1, 0), T(2026, 3, 4, 23, 0)));
    EXPECT_EQ(-1, CompareDay(T(2026, 3, 3, 23, 0), T(2026, 3, 4, 1, 0)));
    EXPECT_EQ(0, CompareWeek(T(2026, 3, 1, 0, 0), T(2026, 3, 7, 23, 0)));
    EXPECT_EQ(1, CompareWeek(T(2026, 3, 8, 0, 0), T(2026, 3, 7, 23, 0)));
    EXPECT_EQ(0, CompareMonth(T(2026, 3, 1, 0, 0), T(2026, 3, 31, 23, 0)));
    EXPECT_EQ(-1, CompareMonth(T(2025, 12, 31, 0, 0), T(2026, 1, 1, 0, 0)));
    EXPECT_EQ(1, CompareTimeOfDay(T(2026, 1, 1, 10, 0, 1), T(2026, 5, 1, 10, 0, 0)));
    EXPECT_TRUE(IsTimeBetween(T(2026, 1, 1, 10, 0), T(2026, 1, 1, 10, 0), T(2026, 1, 1, 11, 0)));
}

TEST(BarPeriod, DaylightSavingChangesKeepMidnightsAndSessions)
{
    // Run in a zone with daylight saving, whatever the suite's zone is.
    const char* old = std::getenv("TZ");
    const std::string saved = old ? old : "";
    setenv("TZ", "America/New_York", 1);
    tzset();
    const CSessionRules rules = Rules();
    // The week of the spring change (Sunday 2026-03-08) is an hour short.
    auto w = CreateBarPeriod(T(2026, 3, 10, 12, 0), "W", &rules, 0, 1);
    EXPECT_BAR(*w, T(2026, 3, 8, 0, 0), T(2026, 3, 15, 0, 0));
    EXPECT_EQ(7 * 24 * 3600 - 3600, w->GetEnd().GetTime() - w->GetStart().GetTime());
    ASSERT_TRUE(w->StepBack());
    EXPECT_BAR(*w, T(2026, 3, 1, 0, 0), T(2026, 3, 8, 0, 0));
    // Sessions stay at 09:30 local on both sides of the change.
    auto d = CreateBarPeriod(T(2026, 3, 9, 12, 0), "D", &rules, 0, 1);
    EXPECT_BAR(*d, T(2026, 3, 9, 9, 30), T(2026, 3, 9, 16, 0));
    ASSERT_TRUE(d->StepBack());
    EXPECT_BAR(*d, T(2026, 3, 6, 9, 30), T(2026, 3, 6, 16, 0));
    auto m = CreateBarPeriod(T(2026, 11, 15, 12, 0), "M", &rules, 0, 1);
    EXPECT_BAR(*m, T(2026, 11, 1, 0, 0), T(2026, 12, 1, 0, 0));
    setenv("TZ", saved.empty() ? "UTC" : saved.c_str(), 1);
    tzset();
}

namespace {

// Sets the process's zone for a test and puts the old one back.
class ZoneScope {
public:
    explicit ZoneScope(const char* zone)
    {
        const char* old = std::getenv("TZ");
        m_saved = old ? old : "";
        setenv("TZ", zone, 1);
        tzset();
    }
    ~ZoneScope()
    {
        setenv("TZ", m_saved.empty() ? "UTC" : m_saved.c_str(), 1);
        tzset();
    }

private:
    std::string m_saved;
};

} // namespace

TEST(BarPeriod, FillBackLaysOutWhatStepBackGives)
{
    // Against stepping back bar by bar: across weekends, the holiday, the half day, both
    // sessions, a time offset and the spring and autumn clock changes.
    const ZoneScope zone("America/New_York");
    for (int offset : {0, 90}) {
        const CSessionRules rules = Rules(offset);
        for (const char* interval : {"1", "7", "45", "390", "D", "W"})
            for (int extended : {0, 1})
                for (CTime from : {T(2026, 1, 21, 11, 2), T(2026, 3, 10, 10, 0), T(2026, 11, 30, 15, 59)}) {
                    const int count = 3000;
                    auto filled = CreateBarPeriod(from, interval, &rules, extended, 1);
                    auto stepped = CreateBarPeriod(from, interval, &rules, extended, 1);
                    ASSERT_TRUE(filled && stepped);
                    std::vector<int64_t> starts(count, -1), ends(count, -1);
                    // Weekly bars reach the lower time limit first.
                    const int written = filled->FillBack(count, starts.data(), ends.data());
                    if (std::strcmp(interval, "W") == 0) {
                        ASSERT_LT(written, count);
                    } else {
                        ASSERT_EQ(count, written) << interval;
                    }
                    for (int r = count - 1; r >= count - written; --r) {
                        ASSERT_EQ(stepped->GetStart().GetTime(), starts[r]) << interval << " " << r;
                        ASSERT_EQ(stepped->GetEnd().GetTime(), ends[r]) << interval << " " << r;
                        if (r > count - written) {
                            ASSERT_TRUE(stepped->StepBack());
                        }
                    }
                    if (written < count) {
                        EXPECT_EQ(-1, starts[count - written - 1]);
                        EXPECT_FALSE(stepped->StepBack());
                    }
                    EXPECT_EQ(stepped->GetStart(), filled->GetStart()); // left on the oldest
                }
    }
}

TEST(BarPeriod, LongStepsLandWhereSingleStepsDo)
{
    // StepBackBy, StepBackTo, StepForwardBy and StepForwardTo against StepBack and
    // StepForward one bar at a time, across the holiday, the half day and both clock
    // changes, with and without an offset; times inside and outside sessions, and counts
    // the time limits cut short.
    const ZoneScope zone("America/New_York");
    struct Walk {
        bool back;
        CTime from;
        std::vector<CTime> to;
    };
    const std::vector<Walk> walks = {
        {true, T(2026, 3, 10, 12, 1),
         {T(2026, 3, 10, 11, 59, 59), T(2026, 3, 9, 8, 0), T(2026, 3, 6, 15, 59, 31), T(2026, 1, 19, 12, 0),
          T(2025, 6, 1, 3, 0), T(1960, 1, 1, 0, 0)}},
        {true, T(2026, 11, 30, 12, 1), {T(2026, 11, 27, 14, 0), T(2026, 11, 27, 12, 59, 59)}},
        {false, T(2026, 1, 16, 12, 1, 7), {T(2026, 1, 16, 12, 1, 8), T(2026, 1, 20, 8, 0), T(2040, 1, 1, 0, 0)}},
        {false, T(2026, 3, 6, 15, 59, 31), {T(2026, 3, 9, 9, 30, 3)}},
        {false, T(2026, 11, 25, 12, 1, 7), {T(2026, 11, 27, 14, 0), T(2026, 12, 1, 15, 59, 59)}},
    };
    const auto single = [](bool back, CBarPeriod& p) { return back ? p.StepBack() : p.StepForward(); };
    for (int offset : {0, 90}) {
        const CSessionRules rules = Rules(offset);
        for (const char* interval : {"0", "1", "7", "45", "D"})
            for (int extended : {0, 1})
                for (const Walk& walk : walks) {
                    // Down to the time limits only for the coarser bars, and ticks not far:
                    // single steps take long.
                    const bool coarse = std::strcmp(interval, "45") == 0 || std::strcmp(interval, "D") == 0;
                    const bool ticks = std::strcmp(interval, "0") == 0;
                    for (int n : {1, 5, 389, 390, 391, 5000, 11700, 40000, 9000000}) {
                        if ((n > 5000 && !coarse && !ticks) || (n > 40000 && !coarse))
                            continue;
                        auto jumped = CreateBarPeriod(walk.from, interval, &rules, extended, 1);
                        auto stepped = CreateBarPeriod(walk.from, interval, &rules, extended, 1);
                        int steps = 0;
                        while (steps < n && single(walk.back, *stepped))
                            ++steps;
                        ASSERT_EQ(steps, walk.back ? jumped->StepBackBy(n) : jumped->StepForwardBy(n))
                            << interval << " " << n << (walk.back ? " back" : " forward");
                        EXPECT_EQ(stepped->GetStart(), jumped->GetStart()) << interval << " " << n;
                        EXPECT_EQ(stepped->GetEnd(), jumped->GetEnd()) << interval << " " << n;
                    }
                    for (CTime to : walk.to)
                        for (int most : {3, 4000000}) {
                            const bool limit = to.GetTime() < 0 || to > T(2038, 1, 1, 0, 0);
                            const bool far = std::llabs(to.GetTime() - walk.from.GetTime()) > 12 * 86400;
                            if ((limit && !coarse) || (far && ticks && most > 3))
                                continue;
                            auto jumped = CreateBarPeriod(walk.from, interval, &rules, extended, 1);
                            auto stepped = CreateBarPeriod(walk.from, interval, &rules, extended, 1);
                            int steps = 0;
                            while (steps < most &&
                                   (walk.back ? stepped->GetStart() > to : stepped->GetEnd() <= to) &&
                                   single(walk.back, *stepped))
                                ++steps;
                            ASSERT_EQ(steps, walk.back ? jumped->StepBackTo(to, most) : jumped->StepForwardTo(to, most))
                                << interval << " " << most << (walk.back ? " back" : " forward");
                            EXPECT_EQ(stepped->GetStart(), jumped->GetStart()) << interval << " " << most;
                        }
                }
    }
}

TEST(BarPeriod, FillBackStopsAtTheLowerTimeLimit)
{
    const CSessionRules rules = Rules();
    // Monday 1970-01-05 10:00 is its second 30-minute bar; Friday 1970-01-02 has 13; the
    // day before is outside the limits.
    auto p = CreateBarPeriod(T(1970, 1, 5, 10, 10), "30", &rules, 0, 1);
    ASSERT_TRUE(p);
    std::vector<int64_t> starts(20, -1), ends(20, -1);
    ASSERT_EQ(15, p->FillBack(20, starts.data(), ends.data()));
    EXPECT_EQ(-1, starts[4]);
    EXPECT_EQ(T(1970, 1, 2, 9, 30).GetTime(), starts[5]);
    EXPECT_EQ(T(1970, 1, 2, 10, 0).GetTime(), ends[5]);
    EXPECT_EQ(T(1970, 1, 2, 15, 30).GetTime(), starts[17]);
    EXPECT_EQ(T(1970, 1, 5, 9, 30).GetTime(), starts[18]);
    EXPECT_EQ(T(1970, 1, 5, 10, 30).GetTime(), ends[19]);
    // The half day's 45-minute bars end with a short one at its 13:00 close.
    auto half = CreateBarPeriod(T(2026, 11, 27, 12, 50), "45", &rules, 0, 1);
    ASSERT_TRUE(half);
    ASSERT_EQ(2, half->FillBack(2, starts.data(), ends.data()));
    EXPECT_EQ(T(2026, 11, 27, 11, 45).GetTime(), starts[0]);
    EXPECT_EQ(T(2026, 11, 27, 12, 30).GetTime(), ends[0]);
    EXPECT_EQ(T(2026, 11, 27, 12, 30).GetTime(), starts[1]);
    EXPECT_EQ(T(2026, 11, 27, 13, 0).GetTime(), ends[1]);
}

TEST(PeriodTime, NaiveTimeCacheGivesTheTimesOfTheDay)
{
    // Every 20 minutes over days with and without a clock change, forward and back.
    const ZoneScope zone("America/New_York");
    std::vector<int64_t> naive;
    for (CTime day : {T(2026, 3, 6, 0, 0), T(2026, 10, 30, 0, 0)})
        for (int64_t m = 0; m < 4 * 24 * 60; m += 20)
            naive.push_back(periods::LocalNaiveSeconds(day) + m * 60);
    CNaiveTimeCache forward, backward;
    for (int64_t t : naive)
        ASSERT_EQ(periods::TimeOfLocalNaiveSeconds(t), forward.Of(t)) << t;
    for (auto it = naive.rbegin(); it != naive.rend(); ++it)
        ASSERT_EQ(periods::TimeOfLocalNaiveSeconds(*it), backward.Of(*it)) << *it;
    // Noon of Friday 2026-03-06 (EST) is 17:00 UTC; noon of Monday 03-09 (EDT) is 16:00 UTC.
    EXPECT_EQ(1772816400, forward.Of(1772798400).GetTime());
    EXPECT_EQ(1773072000, forward.Of(1773057600).GetTime());
}

TEST(PeriodTime, EveryThreadReadsTheZoneInForceWhateverAnotherLearnedBefore)
{
    // 2026-07-01 12:00 UTC, in two zones with summer time, on a new thread each time.
    const int64_t t = 1782907200;
    const auto naiveOnNewThread = [t] {
        int64_t naive = 0;
        std::thread([&] { naive = periods::LocalNaiveSeconds(CTime(t)); }).join();
        return naive;
    };
    {
        ZoneScope zone("EST5EDT,M3.2.0,M11.1.0");
        EXPECT_EQ(t - 4 * 3600, naiveOnNewThread());
        EXPECT_EQ(t - 4 * 3600, naiveOnNewThread());
    }
    {
        // The same names and offsets, but summer time ends on 2026-06-28.
        ZoneScope zone("EST5EDT,M3.2.0,M6.4.0");
        EXPECT_EQ(t - 5 * 3600, naiveOnNewThread());
    }
    {
        ZoneScope zone("CET-1CEST,M3.5.0,M10.5.0/3");
        EXPECT_EQ(t + 2 * 3600, naiveOnNewThread());
    }
}
