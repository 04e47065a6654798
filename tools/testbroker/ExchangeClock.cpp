#include "tools/testbroker/ExchangeClock.h"

#include "broker/core/ExchangeTime.h"
#include "broker/protocol/HistoryFormat.h"
#include "platform/core/CivilDate.h"

#include <chrono>

namespace qx::testbroker {

int64_t NowUnixMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

int64_t ShiftedNowUnixMs(int shiftDays)
{
    return NowUnixMs() + static_cast<int64_t>(shiftDays) * 86400000;
}

int64_t DaysFromDate(int year, int month, int day)
{
    return DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day));
}

void DateFromDays(int64_t days, int& year, int& month, int& day)
{
    const CivilDate date = CivilFromDays(days);
    year = date.year;
    month = date.month;
    day = date.day;
}

int WeekdayOfDays(int64_t days)
{
    return WeekdayFromDays(days);
}

ExchangeTime UnixToExchange(int64_t unixSeconds)
{
    const int64_t local = UtcToExchangeSeconds(unixSeconds);
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
