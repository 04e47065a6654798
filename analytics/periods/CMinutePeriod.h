// Bars of n minutes laid from each session's open; the last bar of a session ends at
// the close and may be shorter.
#pragma once

#include "analytics/periods/CBarPeriod.h"

#include <cstdint>
#include <functional>

class CMinutePeriod : public CBarPeriod {
public:
    CMinutePeriod(const CSessionRules* rules, int extended, int align, int minutes)
        : CBarPeriod(rules, extended, align), m_nMinutes(minutes)
    {
    }
    bool StepBack() override;
    bool StepForward() override;
    // A session's bars at a time, its open and close looked up once.
    int FillBack(int count, int64_t* starts, int64_t* ends) override;
    // Across a session in one jump.
    int StepBackBy(int n) override;
    int StepBackTo(CTime time, int most) override;

    int GetMinutes() const { return m_nMinutes; }
    int GetBarsInSession() const { return m_nBars; }
    int GetBarIndex() const { return m_nIndex; }

protected:
    bool Init(CTime time) override;

private:
    // Places the period on bar `index` of a day's session (-1: the last bar); the session
    // of the day it stands on is not looked up again.
    bool Place(int64_t day, int index);
    // Steps back at most `most` bars, jumping inside a session as far as jumpFor(bars left)
    // says (0: one step; below 0: stop here).
    int StepBackJumping(int most, const std::function<int(int left)>& jumpFor);
    // Bar `index` of the session open .. close.
    void BarTimes(CTime open, CTime close, int index, CTime& start, CTime& end) const;

    int m_nMinutes;
    int m_nBars = 0;
    int m_nIndex = 0;
    int64_t m_day = 0;
    CTime m_open;
    CTime m_close;
};
