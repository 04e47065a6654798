// Calendar months, quarters or years: from the 1st of the period's first month 00:00 to
// the 1st of the month after its last.
#pragma once

#include "analytics/periods/CBarPeriod.h"

class CMonthlyPeriod : public CBarPeriod {
public:
    // months: 1 monthly, 3 quarterly, 12 yearly.
    CMonthlyPeriod(const CSessionRules* rules, int extended, int align, int months)
        : CBarPeriod(rules, extended, align), m_nMonths(months)
    {
    }
    bool StepBack() override;
    bool StepForward() override;

    int GetMonths() const { return m_nMonths; }

protected:
    bool Init(CTime time) override;

private:
    // Places the period starting at month index (year x 12 + month - 1).
    bool Place(int monthIndex);

    int m_nMonths;
    int m_nMonthIndex = 0;
};
