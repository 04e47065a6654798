#include "platform/core/SystemTime.h"

#include "platform/core/CivilDate.h"

namespace {

constexpr int64_t kSecondsPerDay = 86400;

} // namespace

int64_t WallClockSeconds(const SYSTEMTIME& time)
{
    return DaysFromCivil(time.wYear, time.wMonth, time.wDay) * kSecondsPerDay + time.wHour * 3600 +
           time.wMinute * 60 + time.wSecond;
}

SYSTEMTIME WallClockOfSeconds(int64_t seconds)
{
    const int64_t days = (seconds >= 0 ? seconds : seconds - (kSecondsPerDay - 1)) / kSecondsPerDay;
    const int64_t ofDay = seconds - days * kSecondsPerDay;
    const CivilDate date = CivilFromDays(days);
    SYSTEMTIME out{};
    out.wYear = static_cast<WORD>(date.year);
    out.wMonth = static_cast<WORD>(date.month);
    out.wDay = static_cast<WORD>(date.day);
    out.wDayOfWeek = static_cast<WORD>(WeekdayFromDays(days));
    out.wHour = static_cast<WORD>(ofDay / 3600);
    out.wMinute = static_cast<WORD>(ofDay / 60 % 60);
    out.wSecond = static_cast<WORD>(ofDay % 60);
    return out;
}

SYSTEMTIME CombineDateAndTime(const SYSTEMTIME& date, const SYSTEMTIME& time)
{
    SYSTEMTIME out = date;
    out.wHour = time.wHour;
    out.wMinute = time.wMinute;
    out.wSecond = time.wSecond;
    out.wMilliseconds = 0;
    return out;
}
