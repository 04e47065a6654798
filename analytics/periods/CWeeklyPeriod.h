// Sunday 00:00 to the next Sunday 00:00.
#pragma once

#include "analytics/periods/CBarPeriod.h"

#include <cstdint>

class CWeeklyPeriod : public CBarPeriod {
public:
    CWeeklyPeriod(const CSessionRules* rules, int extended, int align) : CBarPeriod(rules, extended, align) {}
    bool StepBack() override;
    bool StepForward() override;

protected:
    bool Init(CTime time) override;

private:
    bool Place(int64_t sunday);
    int64_t m_sunday = 0;
};
