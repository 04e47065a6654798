#include "analytics/periods/CSessionDays.h"

#include "analytics/periods/PeriodTime.h"
#include "broker/session/CMarketCalendar.h"

namespace {

// A search gives up after this many calendar days without a session.
constexpr int kMaxDaysWithoutSession = 400;

} // namespace

bool CSessionDays::GetSession(int64_t day, CTime& open, CTime& close) const
{
    const int weekday = periods::DayOfWeek(day);
    if (!m_pRules || weekday == 0 || weekday == 6)
        return false;
    int y, m, d;
    periods::DayFields(day, y, m, d);
    CSessionEntry entry = m_pRules->regular;
    if (m_bExtended && m_pRules->extended.flag)
        entry = m_pRules->extended;
    const auto special = m_pRules->specialDays.find(y * 10000 + m * 100 + d);
    if (special != m_pRules->specialDays.end()) {
        entry = special->second.regular;
        if (m_bExtended && special->second.extended.flag)
            entry = special->second.extended;
    }
    if (!entry.flag || entry.close <= entry.open)
        return false;
    open = periods::TimeOnDay(day, entry.open);
    close = periods::TimeOnDay(day, entry.close);
    return true;
}

bool CSessionDays::PreviousTradingDay(int64_t day, int64_t& out) const
{
    const int64_t lower = periods::LocalDayNumber(periods::GetLowerTimeLimit());
    CTime open, close;
    for (int i = 0; i < kMaxDaysWithoutSession; ++i) {
        --day;
        if (day < lower)
            return false;
        if (GetSession(day, open, close)) {
            out = day;
            return true;
        }
    }
    return false;
}

bool CSessionDays::NextTradingDay(int64_t day, int64_t& out) const
{
    const int64_t upper = periods::LocalDayNumber(periods::GetUpperTimeLimit());
    CTime open, close;
    for (int i = 0; i < kMaxDaysWithoutSession; ++i) {
        ++day;
        if (day >= upper)
            return false;
        if (GetSession(day, open, close)) {
            out = day;
            return true;
        }
    }
    return false;
}

bool CSessionDays::FindSessionBackward(CTime time, int64_t& day) const
{
    const int64_t d = periods::LocalDayNumber(time);
    CTime open, close;
    if (GetSession(d, open, close) && time >= open) {
        day = d;
        return true;
    }
    return PreviousTradingDay(d, day);
}

bool CSessionDays::FindSessionForward(CTime time, int64_t& day) const
{
    const int64_t d = periods::LocalDayNumber(time);
    CTime open, close;
    if (GetSession(d, open, close) && time < close) {
        day = d;
        return true;
    }
    return NextTradingDay(d, day);
}
