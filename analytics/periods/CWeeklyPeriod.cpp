#include "analytics/periods/CWeeklyPeriod.h"

#include "analytics/periods/PeriodTime.h"

// Weeks are counted on local calendar days, so daylight-saving changes never move a
// week's start off midnight.
bool CWeeklyPeriod::Place(int64_t sunday)
{
    const CTime start = periods::TimeOnDay(sunday, 0);
    const CTime end = periods::TimeOnDay(sunday + 7, 0);
    if (!InsideLimits(start, end))
        return false;
    m_sunday = sunday;
    m_start = start;
    m_end = end;
    return true;
}

bool CWeeklyPeriod::Init(CTime time)
{
    const int64_t day = periods::LocalDayNumber(time);
    const int weekday = periods::DayOfWeek(day);
    int64_t sunday = day - weekday;
    if (m_nAlign && weekday == 0)
        sunday -= 7;
    return Place(sunday);
}

bool CWeeklyPeriod::StepBack()
{
    return Place(m_sunday - 7);
}

bool CWeeklyPeriod::StepForward()
{
    return Place(m_sunday + 7);
}
