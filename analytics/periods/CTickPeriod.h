// Two-second slots inside the sessions (tick series).
#pragma once

#include "analytics/periods/CBarPeriod.h"

#include <cstdint>
#include <functional>

class CTickPeriod : public CBarPeriod {
public:
    CTickPeriod(const CSessionRules* rules, int extended, int align) : CBarPeriod(rules, extended, align) {}
    bool StepBack() override;
    bool StepForward() override;
    // Across a session in one jump: a year of slots takes a step a day.
    int StepBackBy(int n) override;
    int StepBackTo(CTime time, int most) override;
    int StepForwardBy(int n) override;
    int StepForwardTo(CTime time, int most) override;

protected:
    bool Init(CTime time) override;

private:
    bool Place(int64_t day, CTime start);
    // Slots of the session before and after this one.
    int64_t SlotsBefore() const;
    int64_t SlotsAfter() const;
    // Steps at most `most` slots back (or forward), jumping inside the session as far as
    // jumpFor(slots left) says (0: one step, over the session's edge; below 0: stop here).
    int StepJumping(bool back, int most, const std::function<int64_t(int left)>& jumpFor);
    int64_t m_day = 0;
    CTime m_open;
    CTime m_close;
};
