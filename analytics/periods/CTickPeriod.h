// Two-second slots inside the sessions (tick series).
#pragma once

#include "analytics/periods/CBarPeriod.h"

#include <cstdint>

class CTickPeriod : public CBarPeriod {
public:
    CTickPeriod(const CSessionRules* rules, int extended, int align) : CBarPeriod(rules, extended, align) {}
    bool StepBack() override;
    bool StepForward() override;

protected:
    bool Init(CTime time) override;

private:
    bool Place(int64_t day, CTime start);
    int64_t m_day = 0;
    CTime m_open;
    CTime m_close;
};
