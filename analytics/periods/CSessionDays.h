// The trading days of one symbol's session rules: weekdays, less the closed special days,
// each with its open and close (regular or extended session).
#pragma once

#include "platform/core/CTime.h"

#include <cstdint>

struct CSessionRules;

class CSessionDays {
public:
    CSessionDays(const CSessionRules* rules, bool extended) : m_pRules(rules), m_bExtended(extended) {}

    // Open and close of a day (local day number); false for a day without trading.
    bool GetSession(int64_t day, CTime& open, CTime& close) const;

    // The trading day whose session holds the time, searching backward: a time before a
    // day's open (or on a closed day) belongs to the previous trading day. The time is not
    // clamped. False when no trading day lies inside the time limits within a year.
    bool FindSessionBackward(CTime time, int64_t& day) const;
    // The same forward: a time after a day's close belongs to the next trading day.
    bool FindSessionForward(CTime time, int64_t& day) const;

    // The previous or next trading day; false at the time limits.
    bool PreviousTradingDay(int64_t day, int64_t& out) const;
    bool NextTradingDay(int64_t day, int64_t& out) const;

private:
    const CSessionRules* m_pRules;
    bool m_bExtended;
};
