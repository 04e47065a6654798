#include "broker/core/ExchangeTime.h"

#include "platform/core/CivilDate.h"
#include "tests/support/ScopedTimeZone.h"

#include <gtest/gtest.h>

#include <ctime>

namespace {
int64_t utc(int year, int month, int day, int hour, int minute = 0, int second = 0)
{
    return DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) * 86400 + hour * 3600 +
           minute * 60 + second;
}

// Uses the system's time zone database for New York as an independent reference.
class NewYorkZone {
public:
    static bool IsDst(int64_t t)
    {
        const time_t value = static_cast<time_t>(t);
        struct tm parts {};
        localtime_r(&value, &parts);
        return parts.tm_isdst > 0;
    }

private:
    ScopedTimeZone m_zone{"America/New_York"};
};
}  // namespace

TEST(ExchangeTime, SwitchesAtTwoInTheMorningInBothEras)
{
    // 2007 onwards: second Sunday of March to first Sunday of November.
    EXPECT_FALSE(IsExchangeDaylightTime(utc(2007, 3, 11, 6, 59, 59)));
    EXPECT_TRUE(IsExchangeDaylightTime(utc(2007, 3, 11, 7)));
    EXPECT_TRUE(IsExchangeDaylightTime(utc(2007, 11, 4, 5, 59, 59)));
    EXPECT_FALSE(IsExchangeDaylightTime(utc(2007, 11, 4, 6)));
    // Up to 2006: first Sunday of April to last Sunday of October.
    EXPECT_FALSE(IsExchangeDaylightTime(utc(2006, 4, 2, 6, 59, 59)));
    EXPECT_TRUE(IsExchangeDaylightTime(utc(2006, 4, 2, 7)));
    EXPECT_TRUE(IsExchangeDaylightTime(utc(2006, 10, 29, 5, 59, 59)));
    EXPECT_FALSE(IsExchangeDaylightTime(utc(2006, 10, 29, 6)));
    // Past 2038.
    EXPECT_FALSE(IsExchangeDaylightTime(utc(2040, 3, 11, 6, 59, 59)));
    EXPECT_TRUE(IsExchangeDaylightTime(utc(2040, 3, 11, 7)));
}

TEST(ExchangeTime, AgreesWithTheTimeZoneDatabaseEveryHourOfTransitionDays)
{
    NewYorkZone zone;
    for (int year = 1987; year <= 2036; ++year) {
        int64_t start = 0, end = 0;
        ExchangeDaylightBounds(year, start, end);
        for (int64_t t = start - 86400; t <= start + 86400; t += 1800)
            ASSERT_EQ(IsExchangeDaylightTime(t), NewYorkZone::IsDst(t)) << year << " start " << t;
        for (int64_t t = end - 86400; t <= end + 86400; t += 1800)
            ASSERT_EQ(IsExchangeDaylightTime(t), NewYorkZone::IsDst(t)) << year << " end " << t;
    }
}

TEST(ExchangeTime, SystemTimeFields)
{
    SYSTEMTIME st{};
    // 2024-07-01 13:30 UTC is 09:30 EDT, a Monday.
    ExchangeSystemTime(utc(2024, 7, 1, 13, 30), st);
    EXPECT_EQ(st.wYear, 2024);
    EXPECT_EQ(st.wMonth, 7);
    EXPECT_EQ(st.wDay, 1);
    EXPECT_EQ(st.wHour, 9);
    EXPECT_EQ(st.wMinute, 30);
    EXPECT_EQ(st.wDayOfWeek, 1);
    // New Year in UTC is still the old year in New York.
    ExchangeSystemTime(utc(2025, 1, 1, 3, 0), st);
    EXPECT_EQ(st.wYear, 2024);
    EXPECT_EQ(st.wMonth, 12);
    EXPECT_EQ(st.wDay, 31);
    EXPECT_EQ(st.wHour, 22);
    EXPECT_EQ(st.wDayOfWeek, 2);
}
