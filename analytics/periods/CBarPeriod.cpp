#include "analytics/periods/CBarPeriod.h"

#include "analytics/periods/CDailyPeriod.h"
#include "analytics/periods/CMinutePeriod.h"
#include "analytics/periods/CMonthlyPeriod.h"
#include "analytics/periods/CTickPeriod.h"
#include "analytics/periods/CWeeklyPeriod.h"
#include "analytics/periods/PeriodTime.h"
#include "broker/session/CMarketCalendar.h"

#include <cstdlib>
#include <cstring>

namespace {

const CSessionRules& DefaultRules()
{
    static const CSessionRules rules = [] {
        CSessionRules r;
        r.name = "default";
        r.regular = {1, 9 * 60 + 30, 16 * 60};
        r.extended = {1, 4 * 60, 20 * 60};
        return r;
    }();
    return rules;
}

} // namespace

CTime CBarPeriod::ShiftTimeByZoneOffset(CTime time, int direction) const
{
    const int offset = m_pRules ? m_pRules->offsetMinutes : 0;
    if (offset == 0)
        return time;
    return CTime(time.GetTime() + static_cast<int64_t>(direction) * offset * 60);
}

int CBarPeriod::FillBack(int count, int64_t* starts, int64_t* ends)
{
    int written = 0;
    for (int r = count - 1; r >= 0; --r) {
        starts[r] = GetStart().GetTime();
        ends[r] = GetEnd().GetTime();
        ++written;
        if (r > 0 && !StepBack())
            break;
    }
    return written;
}

int CBarPeriod::StepBackBy(int n)
{
    int steps = 0;
    while (steps < n && StepBack())
        ++steps;
    return steps;
}

int CBarPeriod::StepBackTo(CTime time, int most)
{
    int steps = 0;
    while (steps < most && GetStart() > time && StepBack())
        ++steps;
    return steps;
}

int CBarPeriod::StepForwardBy(int n)
{
    int steps = 0;
    while (steps < n && StepForward())
        ++steps;
    return steps;
}

int CBarPeriod::StepForwardTo(CTime time, int most)
{
    int steps = 0;
    while (steps < most && GetEnd() <= time && StepForward())
        ++steps;
    return steps;
}

bool CBarPeriod::InsideLimits(CTime start, CTime end)
{
    return start >= periods::GetLowerTimeLimit() && end <= periods::GetUpperTimeLimit();
}

std::unique_ptr<CBarPeriod> CreateBarPeriod(CTime time, const char* interval, const CSessionRules* rules,
                                            int extended, int align)
{
    if (!rules)
        rules = &DefaultRules();
    const char* text = interval ? interval : "";
    std::unique_ptr<CBarPeriod> period;
    if (std::strcmp(text, "W") == 0)
        period = std::make_unique<CWeeklyPeriod>(rules, extended, align);
    else if (std::strcmp(text, "M") == 0)
        period = std::make_unique<CMonthlyPeriod>(rules, extended, align, 1);
    else if (std::strcmp(text, "Q") == 0)
        period = std::make_unique<CMonthlyPeriod>(rules, extended, align, 3);
    else if (std::strcmp(text, "Y") == 0)
        period = std::make_unique<CMonthlyPeriod>(rules, extended, align, 12);
    else if (std::strcmp(text, "D") == 0)
        period = std::make_unique<CDailyPeriod>(rules, extended, align);
    else if (const long minutes = std::strtol(text, nullptr, 10); minutes > 0 && minutes <= 1000000)
        period = std::make_unique<CMinutePeriod>(rules, extended, align, static_cast<int>(minutes));
    else
        period = std::make_unique<CTickPeriod>(rules, extended, align);
    if (!period->Init(period->ShiftTimeByZoneOffset(time, 1)))
        return nullptr;
    return period;
}
