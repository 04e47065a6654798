#include "analytics/periods/CTickPeriod.h"

#include "analytics/periods/CSessionDays.h"

#include <algorithm>

namespace {
constexpr int64_t kSlotSeconds = 2;
}

bool CTickPeriod::Place(int64_t day, CTime start)
{
    CTime open, close;
    if (!CSessionDays(m_pRules, m_bExtended != 0).GetSession(day, open, close))
        return false;
    const CTime end(start.GetTime() + kSlotSeconds);
    if (!InsideLimits(start, end))
        return false;
    m_day = day;
    m_open = open;
    m_close = close;
    m_start = start;
    m_end = end;
    return true;
}

bool CTickPeriod::Init(CTime time)
{
    const CSessionDays days(m_pRules, m_bExtended != 0);
    int64_t day;
    CTime open, close;
    if (!days.FindSessionBackward(time, day) || !days.GetSession(day, open, close))
        return false;
    const int64_t t = std::clamp(time.GetTime(), open.GetTime(), close.GetTime() - kSlotSeconds);
    const int64_t start = open.GetTime() + (t - open.GetTime()) / kSlotSeconds * kSlotSeconds;
    return Place(day, CTime(start));
}

bool CTickPeriod::StepBack()
{
    if (m_start.GetTime() - kSlotSeconds >= m_open.GetTime())
        return Place(m_day, CTime(m_start.GetTime() - kSlotSeconds));
    const CSessionDays days(m_pRules, m_bExtended != 0);
    int64_t day;
    CTime open, close;
    if (!days.PreviousTradingDay(m_day, day) || !days.GetSession(day, open, close))
        return false;
    return Place(day, CTime(close.GetTime() - kSlotSeconds));
}

bool CTickPeriod::StepForward()
{
    if (m_end.GetTime() + kSlotSeconds <= m_close.GetTime())
        return Place(m_day, m_end);
    const CSessionDays days(m_pRules, m_bExtended != 0);
    int64_t day;
    CTime open, close;
    if (!days.NextTradingDay(m_day, day) || !days.GetSession(day, open, close))
        return false;
    return Place(day, open);
}
