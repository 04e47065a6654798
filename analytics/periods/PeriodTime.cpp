#include "analytics/periods/PeriodTime.h"

#include "platform/core/CivilDate.h"

#include <ctime>

namespace periods {

CTime GetLowerTimeLimit()
{
    static const CTime limit(1970, 1, 2, 0, 0, 0);
    return limit;
}

CTime GetUpperTimeLimit()
{
    static const CTime limit(2038, 1, 2, 0, 0, 0);
    return limit;
}

int64_t LocalDayNumber(CTime time)
{
    const struct tm t = time.GetLocalTm();
    return DaysFromCivil(t.tm_year + 1900, static_cast<unsigned>(t.tm_mon + 1), static_cast<unsigned>(t.tm_mday));
}

void DayFields(int64_t day, int& year, int& month, int& dayOfMonth)
{
    const CivilDate d = CivilFromDays(day);
    year = d.year;
    month = d.month;
    dayOfMonth = d.day;
}

int DayOfWeek(int64_t day)
{
    return WeekdayFromDays(day);
}

CTime TimeOnDay(int64_t day, int minutes)
{
    int y, m, d;
    DayFields(day, y, m, d);
    return CTime(y, m, d, minutes / 60, minutes % 60, 0);
}

int SecondsOfDay(CTime time)
{
    const struct tm t = time.GetLocalTm();
    return t.tm_hour * 3600 + t.tm_min * 60 + t.tm_sec;
}

namespace {

int Sign(int64_t v)
{
    return v < 0 ? -1 : (v > 0 ? 1 : 0);
}

} // namespace

int CompareDay(CTime a, CTime b)
{
    return Sign(LocalDayNumber(a) - LocalDayNumber(b));
}

int CompareWeek(CTime a, CTime b)
{
    const int64_t da = LocalDayNumber(a), db = LocalDayNumber(b);
    return Sign((da - DayOfWeek(da)) - (db - DayOfWeek(db)));
}

int CompareMonth(CTime a, CTime b)
{
    const struct tm ta = a.GetLocalTm(), tb = b.GetLocalTm();
    return Sign((ta.tm_year * 12 + ta.tm_mon) - static_cast<int64_t>(tb.tm_year * 12 + tb.tm_mon));
}

int CompareTimeOfDay(CTime a, CTime b)
{
    return Sign(SecondsOfDay(a) - SecondsOfDay(b));
}

bool IsTimeBetween(CTime time, CTime first, CTime last)
{
    return first <= time && time <= last;
}

} // namespace periods
