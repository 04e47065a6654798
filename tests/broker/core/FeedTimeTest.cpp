#include "broker/core/FeedTime.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {
struct Parts {
    int year, month, day, hour, minute, second;
    bool operator==(const Parts&) const = default;
};

Parts split(FEEDTIME t)
{
    Parts p{};
    FeedTimeToDate(t, p.year, p.month, p.day);
    FeedTimeToTimeOfDay(t, p.hour, p.minute, p.second);
    return p;
}
}  // namespace

TEST(FeedTime, EpochAndUnits)
{
    EXPECT_EQ(DateTimeToFeedTime(1950, 1, 1, 0, 0, 2), 1u);
    EXPECT_EQ(DateTimeToFeedTime(1950, 1, 2, 0, 0, 0), 43200u);
    // Odd seconds round down to the 2-second unit.
    EXPECT_EQ(DateTimeToFeedTime(1950, 1, 1, 0, 0, 3), 1u);
    // 1970-01-01 is 7305 days after 1950-01-01.
    EXPECT_EQ(DateTimeToFeedTime(1970, 1, 1, 0, 0, 0), 7305u * 43200u);
}

TEST(FeedTime, RoundTripsAcrossCenturiesAnd2038)
{
    const Parts cases[] = {
        {1950, 1, 1, 0, 0, 2},    {1999, 12, 31, 23, 59, 58}, {2000, 2, 29, 12, 0, 0},
        {2038, 1, 19, 3, 14, 8},  {2038, 1, 19, 3, 14, 10},   {2100, 3, 1, 9, 30, 0},
        {2200, 12, 31, 16, 0, 0},
    };
    for (const Parts& p : cases) {
        const FEEDTIME t = DateTimeToFeedTime(p.year, p.month, p.day, p.hour, p.minute, p.second);
        ASSERT_NE(t, 0u) << p.year;
        EXPECT_EQ(split(t), p) << p.year << "-" << p.month << "-" << p.day;
    }
}

TEST(FeedTime, RefusesInvalidAndOutOfRangeDates)
{
    EXPECT_EQ(DateTimeToFeedTime(1949, 12, 31, 23, 59, 58), 0u);
    EXPECT_EQ(DateTimeToFeedTime(2023, 2, 29, 0, 0, 0), 0u);
    EXPECT_EQ(DateTimeToFeedTime(2024, 13, 1, 0, 0, 0), 0u);
    EXPECT_EQ(DateTimeToFeedTime(2024, 4, 31, 0, 0, 0), 0u);
    EXPECT_EQ(DateTimeToFeedTime(2024, 4, 30, 24, 0, 0), 0u);
    EXPECT_EQ(DateTimeToFeedTime(2024, 4, 30, 0, 60, 0), 0u);
    // 2^32 units of 2 s end in 2222.
    EXPECT_EQ(DateTimeToFeedTime(2300, 1, 1, 0, 0, 0), 0u);
    EXPECT_NE(DateTimeToFeedTime(2222, 1, 1, 0, 0, 0), 0u);
}

TEST(FeedTime, LastRepresentableStampSplits)
{
    const Parts last = split(0xFFFFFFFFu);
    EXPECT_EQ(last.year, 2222);
    EXPECT_EQ(DateTimeToFeedTime(last.year, last.month, last.day, last.hour, last.minute, last.second),
              0xFFFFFFFFu);
}

TEST(FeedTime, CTimeKeepsCalendarFieldsBeyond2038)
{
    const CTime t = FeedTimeToCTime(DateTimeToFeedTime(2041, 7, 4, 9, 30, 0));
    EXPECT_EQ(t.GetYear(), 2041);
    EXPECT_EQ(t.GetMonth(), 7);
    EXPECT_EQ(t.GetDay(), 4);
    EXPECT_EQ(t.GetHour(), 9);
    EXPECT_EQ(t.GetMinute(), 30);
    EXPECT_GT(t.GetTime(), int64_t{1} << 31);
    EXPECT_EQ(MakeDateNumber(2041, 7, 4), 20410704);
}
