#include "analytics/periods/CMinutePeriod.h"

#include "analytics/periods/CSessionDays.h"

#include <algorithm>

void CMinutePeriod::BarTimes(CTime open, CTime close, int index, CTime& start, CTime& end) const
{
    start = CTime(open.GetTime() + static_cast<int64_t>(index) * m_nMinutes * 60);
    end = CTime(std::min(start.GetTime() + static_cast<int64_t>(m_nMinutes) * 60, close.GetTime()));
}

bool CMinutePeriod::Place(int64_t day, int index)
{
    CTime open = m_open, close = m_close;
    if ((day != m_day || m_nBars == 0) && !CSessionDays(m_pRules, m_bExtended != 0).GetSession(day, open, close))
        return false;
    const int64_t length = (close.GetTime() - open.GetTime()) / 60;
    const int bars = static_cast<int>(length / m_nMinutes + (length % m_nMinutes ? 1 : 0));
    if (index < 0 || index >= bars)
        index = bars - 1;
    CTime start, end;
    BarTimes(open, close, index, start, end);
    if (!InsideLimits(start, end))
        return false;
    m_day = day;
    m_open = open;
    m_close = close;
    m_nBars = bars;
    m_nIndex = index;
    m_start = start;
    m_end = end;
    return true;
}

bool CMinutePeriod::Init(CTime time)
{
    const CSessionDays days(m_pRules, m_bExtended != 0);
    int64_t day;
    CTime open, close;
    if (!days.FindSessionBackward(time, day) || !days.GetSession(day, open, close))
        return false;
    const CTime clamped = std::clamp(time, open, close);
    const int index = static_cast<int>((clamped.GetTime() - open.GetTime()) / (static_cast<int64_t>(m_nMinutes) * 60));
    return Place(day, index);
}

bool CMinutePeriod::StepBack()
{
    if (m_nIndex > 0)
        return Place(m_day, m_nIndex - 1);
    int64_t day;
    if (!CSessionDays(m_pRules, m_bExtended != 0).PreviousTradingDay(m_day, day))
        return false;
    return Place(day, -1);
}

bool CMinutePeriod::StepForward()
{
    if (m_nIndex + 1 < m_nBars)
        return Place(m_day, m_nIndex + 1);
    int64_t day;
    if (!CSessionDays(m_pRules, m_bExtended != 0).NextTradingDay(m_day, day))
        return false;
    return Place(day, 0);
}

int CMinutePeriod::FillBack(int count, int64_t* starts, int64_t* ends)
{
    const int64_t shift = ShiftTimeByZoneOffset(CTime(0), -1).GetTime();
    int written = 0;
    while (written < count) {
        starts[count - 1 - written] = m_start.GetTime() + shift;
        ends[count - 1 - written] = m_end.GetTime() + shift;
        if (++written == count)
            break;
        if (m_nIndex == 0) {
            if (!StepBack())
                break;
            continue;
        }
        // The bar before in the same session, as Place gives it.
        CTime start, end;
        BarTimes(m_open, m_close, m_nIndex - 1, start, end);
        if (!InsideLimits(start, end))
            break;
        --m_nIndex;
        m_start = start;
        m_end = end;
    }
    return written;
}
