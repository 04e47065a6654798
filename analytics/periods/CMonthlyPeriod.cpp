#include "analytics/periods/CMonthlyPeriod.h"

#include "analytics/periods/CSessionDays.h"
#include "analytics/periods/PeriodTime.h"

namespace {

CTime MonthStart(int monthIndex)
{
    return CTime(monthIndex / 12, monthIndex % 12 + 1, 1, 0, 0, 0);
}

// Periods may not start in the month of the lower limit nor after December 2037.
constexpr int kFirstMonthIndex = 1970 * 12 + 1;
constexpr int kLastMonthIndex = 2037 * 12 + 11;

} // namespace

bool CMonthlyPeriod::Place(int monthIndex)
{
    if (monthIndex < kFirstMonthIndex || monthIndex > kLastMonthIndex)
        return false;
    m_nMonthIndex = monthIndex;
    m_start = MonthStart(monthIndex);
    m_end = MonthStart(monthIndex + m_nMonths);
    return true;
}

bool CMonthlyPeriod::Init(CTime time)
{
    const struct tm t = time.GetLocalTm();
    const int month = (t.tm_year + 1900) * 12 + t.tm_mon;
    int first = month - month % 12 + (month % 12) / m_nMonths * m_nMonths;
    if (m_nAlign) {
        // A time at the very start, or before the period's first session, belongs to the
        // period before.
        const CTime start = MonthStart(first);
        bool before = time <= start;
        if (!before) {
            const CSessionDays days(m_pRules, m_bExtended != 0);
            int64_t day;
            CTime open, close;
            if (days.FindSessionForward(start, day) && days.GetSession(day, open, close))
                before = time < open;
        }
        if (before)
            first -= m_nMonths;
    }
    return Place(first);
}

bool CMonthlyPeriod::StepBack()
{
    return Place(m_nMonthIndex - m_nMonths);
}

bool CMonthlyPeriod::StepForward()
{
    return Place(m_nMonthIndex + m_nMonths);
}
