#include "analytics/series/SeriesTime.h"

#include "analytics/periods/PeriodTime.h"
#include "platform/core/CivilDate.h"

DWORD CTimeToFeedTime(CTime time)
{
    const int64_t naive = periods::LocalNaiveSeconds(time);
    const int64_t day = periods::LocalDayNumber(time);
    const int64_t ofDay = naive - day * 86400;
    const CivilDate d = CivilFromDays(day);
    return DateTimeToFeedTime(d.year, d.month, d.day, static_cast<int>(ofDay / 3600), static_cast<int>(ofDay / 60 % 60),
                              static_cast<int>(ofDay % 60));
}

CTime FeedTimeToRecordTime(DWORD feedTime)
{
    return periods::TimeOfLocalNaiveSeconds(FeedTimeToNaiveSeconds(feedTime));
}
