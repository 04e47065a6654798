// The time span of one bar of a series interval over a symbol's trading sessions, with
// steps to the previous and next bar.
#pragma once

#include "platform/core/CTime.h"

#include <cstdint>
#include <memory>

struct CSessionRules;

class CBarPeriod {
public:
    virtual ~CBarPeriod() = default;
    // Both return false at a time limit and then leave the period unchanged.
    virtual bool StepBack() = 0;
    virtual bool StepForward() = 0;
    // The times of this bar and of the bars before it, into starts[count - 1], ends[count - 1]
    // and down (caller's base), as StepBack would give them; stops at a time limit. Returns
    // how many were written and leaves the period on the oldest.
    virtual int FillBack(int count, int64_t* starts, int64_t* ends);
    // StepBack n times, or until it fails; returns the steps taken.
    virtual int StepBackBy(int n);
    // StepBack while the start is after the time (caller's base), at most `most` times, or
    // until it fails; returns the steps taken.
    virtual int StepBackTo(CTime time, int most);
    // StepForward n times, or until it fails; returns the steps taken.
    virtual int StepForwardBy(int n);
    // StepForward while the end is at or before the time (caller's base), at most `most`
    // times, or until it fails; returns the steps taken.
    virtual int StepForwardTo(CTime time, int most);

    // Start and end in the caller's time base (the symbol's time offset taken back).
    CTime GetStart() const { return ShiftTimeByZoneOffset(m_start, -1); }
    CTime GetEnd() const { return ShiftTimeByZoneOffset(m_end, -1); }
    // Moves a time by the rules' offset: direction 1 into the sessions' base, -1 back.
    CTime ShiftTimeByZoneOffset(CTime time, int direction) const;

protected:
    CBarPeriod(const CSessionRules* rules, int extended, int align)
        : m_pRules(rules), m_bExtended(extended), m_nAlign(align)
    {
    }
    // Places the period on the bar holding a time of the sessions' base.
    virtual bool Init(CTime time) = 0;
    // True when [start, end] lies inside the time limits.
    static bool InsideLimits(CTime start, CTime end);

    CTime m_start;
    CTime m_end;
    const CSessionRules* m_pRules;
    int m_bExtended;
    int m_nAlign;

    friend std::unique_ptr<CBarPeriod> CreateBarPeriod(CTime, const char*, const CSessionRules*, int, int);
};

// The period of the bar holding the time (caller's base). Interval texts: "W" weekly, "M"
// monthly, "Q" quarterly, "Y" yearly, "D" daily, a decimal count of minutes other than 0,
// anything else ticks (2-second slots). Null rules use the built-in US equity hours.
// Returns none when no bar can be placed inside the time limits.
std::unique_ptr<CBarPeriod> CreateBarPeriod(CTime time, const char* interval, const CSessionRules* rules,
                                            int extended, int align);
