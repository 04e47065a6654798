#include "broker/core/ExchangeTime.h"

#include "platform/core/CTime.h"
#include "platform/core/CivilDate.h"

namespace {
constexpr int64_t kHour = 3600;
constexpr int64_t kDay = 86400;

int64_t floorDiv(int64_t a, int64_t b)
{
    const int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

// Day number of the n-th Sunday (n >= 1) of a month, or of its last Sunday (n = 0).
int64_t sundayOf(int year, int month, int n)
{
    if (n == 0) {
        const int64_t last = DaysFromCivil(year, static_cast<unsigned>(month),
                                           static_cast<unsigned>(DaysInMonth(year, month)));
        return last - WeekdayFromDays(last);
    }
    const int64_t first = DaysFromCivil(year, static_cast<unsigned>(month), 1);
    return first + (7 - WeekdayFromDays(first)) % 7 + 7 * (n - 1);
}
}  // namespace

void ExchangeDaylightBounds(int year, int64_t& startUtc, int64_t& endUtc)
{
    const bool modern = year > 2006;
    const int64_t startDay = modern ? sundayOf(year, 3, 2) : sundayOf(year, 4, 1);
    const int64_t endDay = modern ? sundayOf(year, 11, 1) : sundayOf(year, 10, 0);
    // 02:00 standard time (UTC-5) and 02:00 daylight time (UTC-4).
    startUtc = startDay * kDay + 2 * kHour + 5 * kHour;
    endUtc = endDay * kDay + 2 * kHour + 4 * kHour;
}

bool IsExchangeDaylightTime(int64_t utcSeconds)
{
    const int year = CivilFromDays(floorDiv(utcSeconds - 5 * kHour, kDay)).year;
    int64_t start = 0, end = 0;
    ExchangeDaylightBounds(year, start, end);
    return utcSeconds >= start && utcSeconds < end;
}

int64_t UtcToExchangeSeconds(int64_t utcSeconds)
{
    return utcSeconds - (IsExchangeDaylightTime(utcSeconds) ? 4 : 5) * kHour;
}

void ExchangeSystemTime(int64_t utcSeconds, SYSTEMTIME& out)
{
    out = WallClockOfSeconds(UtcToExchangeSeconds(utcSeconds));
}

CString FormatExchangeTime(int64_t utcSeconds, const char* format)
{
    // The wall clock counted as if it were UTC: formatted with no zone in between.
    return CTime(UtcToExchangeSeconds(utcSeconds)).FormatGmt(format);
}
