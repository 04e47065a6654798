#include "tests/support/WeekdayShift.h"

#include "platform/core/CivilDate.h"

#include <gtest/gtest.h>

namespace {

// Unix seconds of a UTC date and time.
int64_t Utc(int year, unsigned month, unsigned day, int hour, int minute)
{
    return DaysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60;
}

} // namespace

TEST(DaysBackToWeekday, WeekendsGoBackToFridayByTheExchangeDate)
{
    // December: exchange time is UTC - 5 h. 2026-12-04 is a Friday.
    EXPECT_EQ(0, qx::testsupport::DaysBackToWeekday(Utc(2026, 12, 7, 15, 0)));  // Monday
    EXPECT_EQ(0, qx::testsupport::DaysBackToWeekday(Utc(2026, 12, 4, 15, 0)));  // Friday
    EXPECT_EQ(-1, qx::testsupport::DaysBackToWeekday(Utc(2026, 12, 5, 15, 0))); // Saturday
    EXPECT_EQ(-2, qx::testsupport::DaysBackToWeekday(Utc(2026, 12, 6, 15, 0))); // Sunday
    // Around midnight the exchange date, not the UTC date, counts.
    EXPECT_EQ(0, qx::testsupport::DaysBackToWeekday(Utc(2026, 12, 5, 4, 30)));  // Friday 23:30
    EXPECT_EQ(-1, qx::testsupport::DaysBackToWeekday(Utc(2026, 12, 5, 5, 30))); // Saturday 00:30
    EXPECT_EQ(-2, qx::testsupport::DaysBackToWeekday(Utc(2026, 12, 7, 4, 59))); // Sunday 23:59
    EXPECT_EQ(0, qx::testsupport::DaysBackToWeekday(Utc(2026, 12, 7, 5, 0)));   // Monday 00:00
    // July: daylight time, UTC - 4 h. 2026-07-04 is a Saturday.
    EXPECT_EQ(0, qx::testsupport::DaysBackToWeekday(Utc(2026, 7, 4, 3, 59)));   // Friday 23:59
    EXPECT_EQ(-1, qx::testsupport::DaysBackToWeekday(Utc(2026, 7, 4, 4, 0)));   // Saturday 00:00
}
