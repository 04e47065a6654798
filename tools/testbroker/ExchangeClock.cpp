#include "tools/testbroker/ExchangeClock.h"

#include "broker/protocol/HistoryFormat.h"

#include <chrono>

namespace qx::testbroker {

namespace {

// Day of month of the n-th (1-based) Sunday of a month, or the last one for n = 0.
int NthSunday(int year, int month, int n)
{
    const int64_t first = DaysFromDate(year, month, 1);
    const int firstSunday = 1 + (7 - WeekdayOfDays(first)) % 7;
    if (n > 0)
        return firstSunday + 7 * (n - 1);
    int y = year, m = month + 1;
    if (m > 12) {
        m = 1;
        ++y;
    }
    const int64_t last = DaysFromDate(y, m, 1) - 1;
    int ly, lm, ld;
    DateFromDays(last, ly, lm, ld);
    return ld - WeekdayOfDays(last);
}

bool InDaylightSaving(int64_t unixSeconds)
{
    // Decide with standard time; the switch happens at 02:00 local.
    const int64_t local = unixSeconds - 5 * 3600;
    int y, m, d;
    DateFromDays(local >= 0 ? local / 86400 : (local - 86399) / 86400, y, m, d);
    int startMonth, startDay, endMonth, endDay;
    if (y > 2006) {
        startMonth = 3, startDay = NthSunday(y, 3, 2);
        endMonth = 11, endDay = NthSunday(y, 11, 1);
    } else {
        startMonth = 4, startDay = NthSunday(y, 4, 1);
        endMonth = 10, endDay = NthSunday(y, 10, 0);
    }
    const int64_t start = DaysFromDate(y, startMonth, startDay) * 86400 + 2 * 3600;
    const int64_t end = DaysFromDate(y, endMonth, endDay) * 86400 + 1 * 3600;  // 02:00 daylight time
    return local >= start && local < end;
}

}  // namespace

int64_t NowUnixMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

int64_t DaysFromDate(int year, int month, int day)
{
    int64_t y = year;
    const unsigned m = static_cast<unsigned>(month), d = static_cast<unsigned>(day);
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void DateFromDays(int64_t z, int& year, int& month, int& day)
{
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(static_cast<int64_t>(yoe) + era * 400 + (month <= 2));
}

int WeekdayOfDays(int64_t days)
{
    const int64_t w = (days + 4) % 7;  // 1970-01-01 was a Thursday
    return static_cast<int>(w < 0 ? w + 7 : w);
}

ExchangeTime UnixToExchange(int64_t unixSeconds)
{
    const int64_t local = unixSeconds - (InDaylightSaving(unixSeconds) ? 4 : 5) * 3600;
    const int64_t days = local >= 0 ? local / 86400 : (local - 86399) / 86400;
    const int64_t rest = local - days * 86400;
    ExchangeTime t;
    DateFromDays(days, t.year, t.month, t.day);
    t.hour = static_cast<int>(rest / 3600);
    t.minute = static_cast<int>(rest / 60 % 60);
    t.second = static_cast<int>(rest % 60);
    t.weekday = WeekdayOfDays(days);
    return t;
}

uint32_t UnixToFeedTime(int64_t unixSeconds)
{
    const ExchangeTime t = UnixToExchange(unixSeconds);
    return protocol::HistoryFeedTime(t.year, t.month, t.day, t.hour, t.minute, t.second);
}

}  // namespace qx::testbroker
