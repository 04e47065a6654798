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

int64_t CTickPeriod::SlotsBefore() const
{
    return (m_start.GetTime() - m_open.GetTime()) / kSlotSeconds;
}

int64_t CTickPeriod::SlotsAfter() const
{
    return (m_close.GetTime() - m_end.GetTime()) / kSlotSeconds;
}

int CTickPeriod::StepJumping(bool back, int most, const std::function<int64_t(int left)>& jumpFor)
{
    int steps = 0;
    while (steps < most) {
        const int64_t jump = jumpFor(most - steps);
        if (jump < 0)
            break;
        const int64_t start = m_start.GetTime() + (back ? -jump : jump) * kSlotSeconds;
        if (jump > 0 && Place(m_day, CTime(start))) {
            steps += static_cast<int>(jump);
            continue;
        }
        if (!(back ? StepBack() : StepForward()))
            break;
        ++steps;
    }
    return steps;
}

int CTickPeriod::StepBackBy(int n)
{
    return StepJumping(true, n, [this](int left) { return std::min<int64_t>(left, SlotsBefore()); });
}

int CTickPeriod::StepForwardBy(int n)
{
    return StepJumping(false, n, [this](int left) { return std::min<int64_t>(left, SlotsAfter()); });
}

int CTickPeriod::StepBackTo(CTime time, int most)
{
    const int64_t target = ShiftTimeByZoneOffset(time, 1).GetTime();
    return StepJumping(true, most, [&](int left) -> int64_t {
        if (m_start.GetTime() <= target)
            return -1;
        // The slot of the session holding the time, else the session's first.
        const int64_t open = m_open.GetTime();
        const int64_t to = target >= open ? (target - open) / kSlotSeconds : 0;
        return std::min<int64_t>(SlotsBefore() - to, left);
    });
}

int CTickPeriod::StepForwardTo(CTime time, int most)
{
    const int64_t target = ShiftTimeByZoneOffset(time, 1).GetTime();
    return StepJumping(false, most, [&](int left) -> int64_t {
        if (m_end.GetTime() > target)
            return -1;
        // The slot of the session holding the time, else the session's last.
        const int64_t open = m_open.GetTime();
        const int64_t to = target < m_close.GetTime() ? (target - open) / kSlotSeconds : SlotsBefore() + SlotsAfter();
        return std::min<int64_t>(to - SlotsBefore(), left);
    });
}
