// The order status filter dialog's checks, in its order and with its messages.
#include "trading/OrderFilterInput.h"

#include <gtest/gtest.h>

#include <ctime>

namespace {

int64_t Local(int year, int month, int day, int hour = 0, int minute = 0, int second = 0)
{
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    tm.tm_isdst = -1;
    return static_cast<int64_t>(mktime(&tm));
}

std::tm Parts(int64_t t)
{
    const time_t v = static_cast<time_t>(t);
    std::tm tm{};
    localtime_r(&v, &tm);
    return tm;
}

// The dialog with Status "All", Type "All" and a date range chosen.
COrderFilterInput Range(const char* fromDay, int fromMonth, const char* fromYear, const char* toDay, int toMonth,
                        const char* toYear)
{
    COrderFilterInput in;
    in.statusSel = 0;
    in.typeSel = 0;
    in.dateMode = 3;
    in.fromDay = fromDay;
    in.fromMonthSel = fromMonth - 1;
    in.fromYear = fromYear;
    in.toDay = toDay;
    in.toMonthSel = toMonth - 1;
    in.toYear = toYear;
    return in;
}

const int64_t kNow = Local(2026, 6, 15, 14, 30);

}  // namespace

TEST(OrderFilterInput, StatusAndTypeComeFromTheListOrAWholeTypedEntry)
{
    COrderListFilter filter;
    COrderFilterInput in;
    in.statusText = "filled";
    in.typeText = "MULTI-LEG";
    EXPECT_EQ(ApplyOrderFilterInput(in, kNow, filter), "");
    EXPECT_EQ(filter.status, 2);
    EXPECT_EQ(filter.type, 2);
    in.statusText = "Fill";
    EXPECT_EQ(ApplyOrderFilterInput(in, kNow, filter), "Status you entered is invalid");
    in.statusSel = 3;
    in.typeText = "Multi";
    EXPECT_EQ(ApplyOrderFilterInput(in, kNow, filter), "Type you entered is invalid");
    EXPECT_EQ(filter.status, 2);  // a refused entry changes nothing
}

TEST(OrderFilterInput, PastDaysRunFromZeroToSixty)
{
    COrderListFilter filter;
    COrderFilterInput in;
    in.statusSel = 0;
    in.typeSel = 0;
    in.dateMode = 2;
    for (const char* days : {"0", "60", " 7 "}) {
        in.days = days;
        EXPECT_EQ(ApplyOrderFilterInput(in, kNow, filter), "") << days;
    }
    EXPECT_EQ(filter.days, 7);
    EXPECT_EQ(filter.dateMode, 2);
    for (const char* days : {"-1", "61", "", "ten", "5x"}) {
        in.days = days;
        EXPECT_EQ(ApplyOrderFilterInput(in, kNow, filter), "Please enter number of days between 0 and 60") << days;
    }
    EXPECT_EQ(filter.days, 7);
}

TEST(OrderFilterInput, TodayAndYesterdayKeepTheDaysAndTheRange)
{
    COrderListFilter filter{0, 0, 3, 12, 1000, 2000};
    COrderFilterInput in;
    in.statusSel = 1;
    in.typeSel = 1;
    in.dateMode = 1;
    in.days = "nonsense";
    in.fromDay = "99";
    EXPECT_EQ(ApplyOrderFilterInput(in, kNow, filter), "");
    EXPECT_EQ(filter.status, 1);
    EXPECT_EQ(filter.type, 1);
    EXPECT_EQ(filter.dateMode, 1);
    EXPECT_EQ(filter.days, 12);
    EXPECT_EQ(filter.from, 1000);
    EXPECT_EQ(filter.to, 2000);
}

TEST(OrderFilterInput, ARangeRunsFromMidnightToOneMinuteBeforeTheNextDay)
{
    COrderListFilter filter;
    EXPECT_EQ(ApplyOrderFilterInput(Range("3", 6, "2026", "3", 6, "2026"), kNow, filter), "");
    const std::tm from = Parts(filter.from);
    const std::tm to = Parts(filter.to);
    EXPECT_EQ(from.tm_year + 1900, 2026);
    EXPECT_EQ(from.tm_mon + 1, 6);
    EXPECT_EQ(from.tm_mday, 3);
    EXPECT_EQ(from.tm_hour * 3600 + from.tm_min * 60 + from.tm_sec, 0);
    EXPECT_EQ(to.tm_mday, 3);
    EXPECT_EQ(to.tm_hour, 23);
    EXPECT_EQ(to.tm_min, 59);
    EXPECT_EQ(to.tm_sec, 0);
    EXPECT_EQ(filter.dateMode, 3);
}

TEST(OrderFilterInput, ARangeMayStartAtMostSixtyDaysAgo)
{
    // 15 June 14:30: 16 April is 60 days and 14.5 hours back, 15 April 61 days.
    COrderListFilter filter;
    EXPECT_EQ(ApplyOrderFilterInput(Range("16", 4, "2026", "15", 6, "2026"), kNow, filter), "");
    EXPECT_EQ(ApplyOrderFilterInput(Range("15", 4, "2026", "15", 6, "2026"), kNow, filter),
              "Date range must be within past 60 days");
    EXPECT_EQ(ApplyOrderFilterInput(Range("10", 6, "2026", "9", 6, "2026"), kNow, filter), "Date range is invalid");
}

TEST(OrderFilterInput, EachDateEntryIsCheckedInTurn)
{
    COrderListFilter filter;
    EXPECT_EQ(ApplyOrderFilterInput(Range("0", 6, "2026", "1", 6, "2026"), kNow, filter),
              "From day you entered is invalid");
    EXPECT_EQ(ApplyOrderFilterInput(Range("1", 0, "2026", "1", 6, "2026"), kNow, filter),
              "From month you entered is invalid");
    // Two years back is refused as a year before any range check.
    EXPECT_EQ(ApplyOrderFilterInput(Range("1", 6, "2024", "1", 6, "2026"), kNow, filter),
              "From year you entered is invalid");
    EXPECT_EQ(ApplyOrderFilterInput(Range("1", 6, "2027", "1", 6, "2026"), kNow, filter),
              "From year you entered is invalid");
    EXPECT_EQ(ApplyOrderFilterInput(Range("1", 6, "2026", "32", 6, "2026"), kNow, filter),
              "To day you entered is invalid");
    EXPECT_EQ(ApplyOrderFilterInput(Range("1", 6, "2026", "1", 13, "2026"), kNow, filter),
              "To month you entered is invalid");
    EXPECT_EQ(ApplyOrderFilterInput(Range("1", 6, "2026", "1", 6, "26"), kNow, filter),
              "To year you entered is invalid");
    // Last year is allowed.
    EXPECT_EQ(ApplyOrderFilterInput(Range("1", 12, "2025", "10", 1, "2026"), Local(2026, 1, 20), filter), "");
}

TEST(OrderFilterInput, DaysThatTheMonthLacksAreRefused)
{
    COrderListFilter filter;
    const int64_t now = Local(2026, 10, 20);
    EXPECT_EQ(ApplyOrderFilterInput(Range("31", 9, "2026", "1", 10, "2026"), now, filter),
              "From day you entered is invalid");
    EXPECT_EQ(ApplyOrderFilterInput(Range("1", 9, "2026", "31", 9, "2026"), now, filter),
              "To day you entered is invalid");
    EXPECT_EQ(ApplyOrderFilterInput(Range("30", 2, "2026", "1", 3, "2026"), Local(2026, 3, 10), filter),
              "From day you entered is invalid");
    // 29 February of a leap year is a day.
    EXPECT_EQ(ApplyOrderFilterInput(Range("29", 2, "2028", "1", 3, "2028"), Local(2028, 3, 10), filter), "");
    EXPECT_EQ(Parts(filter.from).tm_mday, 29);
}
