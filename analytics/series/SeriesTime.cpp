#include "analytics/series/SeriesTime.h"

DWORD CTimeToFeedTime(CTime time)
{
    const struct tm t = time.GetLocalTm();
    return DateTimeToFeedTime(t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
}

CTime FeedTimeToRecordTime(DWORD feedTime)
{
    return FeedTimeToCTime(feedTime);
}
