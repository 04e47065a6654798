#include "analytics/periods/CDailyPeriod.h"

#include "analytics/periods/CSessionDays.h"

bool CDailyPeriod::Place(int64_t day)
{
    CTime open, close;
    if (!CSessionDays(m_pRules, m_bExtended != 0).GetSession(day, open, close) || !InsideLimits(open, close))
        return false;
    m_day = day;
    m_start = open;
    m_end = close;
    return true;
}

bool CDailyPeriod::Init(CTime time)
{
    int64_t day;
    return CSessionDays(m_pRules, m_bExtended != 0).FindSessionBackward(time, day) && Place(day);
}

bool CDailyPeriod::StepBack()
{
    int64_t day;
    return CSessionDays(m_pRules, m_bExtended != 0).PreviousTradingDay(m_day, day) && Place(day);
}

bool CDailyPeriod::StepForward()
{
    int64_t day;
    return CSessionDays(m_pRules, m_bExtended != 0).NextTradingDay(m_day, day) && Place(day);
}
