// One trading day's session, open to close.
#pragma once

#include "analytics/periods/CBarPeriod.h"

#include <cstdint>

class CDailyPeriod : public CBarPeriod {
public:
    CDailyPeriod(const CSessionRules* rules, int extended, int align) : CBarPeriod(rules, extended, align) {}
    bool StepBack() override;
    bool StepForward() override;

protected:
    bool Init(CTime time) override;

private:
    bool Place(int64_t day);
    int64_t m_day = 0;
};
