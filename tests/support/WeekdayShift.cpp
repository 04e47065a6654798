#include "tests/support/WeekdayShift.h"

#include "broker/core/ExchangeTime.h"
#include "platform/core/CivilDate.h"

namespace qx::testsupport {

int DaysBackToWeekday(int64_t unixSeconds)
{
    const int64_t local = UtcToExchangeSeconds(unixSeconds);
    const int64_t days = local >= 0 ? local / 86400 : (local - 86399) / 86400;
    const int weekday = WeekdayFromDays(days); // 0 Sunday
    if (weekday == 6)
        return -1;
    if (weekday == 0)
        return -2;
    return 0;
}

int64_t SecondsToNoon(int64_t unixSeconds)
{
    const int64_t local = UtcToExchangeSeconds(unixSeconds);
    const int64_t ofDay = ((local % 86400) + 86400) % 86400;
    return 12 * 3600 - ofDay;
}

} // namespace qx::testsupport
