#include "analytics/periods/CMinutePeriod.h"

#include "analytics/periods/CSessionDays.h"
#include "analytics/periods/PeriodTime.h"

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
    const int64_t lower = periods::GetLowerTimeLimit().GetTime();
    const int64_t step = static_cast<int64_t>(m_nMinutes) * 60;
    int written = 0;
    for (;;) {
        // This bar and the ones before it in its session. The bar it stands on was placed,
        // so those before it end inside the upper limit; their starts fall from it.
        const int64_t open = m_open.GetTime(), close = m_close.GetTime();
        const int index = m_nIndex;
        int oldest = std::max(0, index - (count - written - 1));
        if (open + oldest * step < lower)
            oldest = std::min(index, static_cast<int>((lower - open + step - 1) / step));
        for (int i = index; i >= oldest; --i, ++written) {
            const int64_t start = open + i * step;
            starts[count - 1 - written] = start + shift;
            ends[count - 1 - written] = std::min(start + step, close) + shift;
        }
        if (oldest != index) {
            m_nIndex = oldest;
            BarTimes(m_open, m_close, oldest, m_start, m_end);
        }
        if (written == count || oldest > 0 || !StepBack())
            return written;
    }
}

int CMinutePeriod::StepBackBy(int n)
{
    return StepBackJumping(n, [this](int left) { return std::min(left, m_nIndex); });
}

int CMinutePeriod::StepBackTo(CTime time, int most)
{
    const int64_t target = ShiftTimeByZoneOffset(time, 1).GetTime();
    const int64_t step = static_cast<int64_t>(m_nMinutes) * 60;
    return StepBackJumping(most, [&](int left) {
        if (m_start.GetTime() <= target)
            return -1;
        // The newest bar of the session that starts at or before the time, else its first.
        const int64_t open = m_open.GetTime();
        const int to = target >= open ? static_cast<int>((target - open) / step) : 0;
        return std::min(m_nIndex - std::min(to, m_nIndex), left);
    });
}

int CMinutePeriod::StepBackJumping(int most, const std::function<int(int left)>& jumpFor)
{
    int steps = 0;
    while (steps < most) {
        // Inside the session a jump to the bar; over a session's open one step at a time.
        const int jump = jumpFor(most - steps);
        if (jump < 0)
            break;
        if (jump > 0 && Place(m_day, m_nIndex - jump)) {
            steps += jump;
            continue;
        }
        if (!StepBack())
            break;
        ++steps;
    }
    return steps;
}
