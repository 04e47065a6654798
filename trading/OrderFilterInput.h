// What the order status filter dialog checks before the window takes its filter.
#pragma once

#include "broker/session/COrderStatusListHandle.h"
#include "platform/core/CString.h"

#include <cstdint>
#include <span>

// The dialog's list texts, in the order of the filter's words.
std::span<const char* const> OrderFilterStatusNames();  // "All", "Open", ... "Exercised"
std::span<const char* const> OrderFilterTypeNames();    // "All", "Standard", "Multi-Leg"
std::span<const char* const> OrderFilterMonthNames();   // "JAN" ... "DEC"

inline constexpr int kOrderFilterMaxDays = 60;

// The controls as the user left them: a combo's selection (-1 none) and its typed text,
// the edits' texts.
struct COrderFilterInput {
    int statusSel = -1;
    CString statusText;
    int typeSel = -1;
    CString typeText;
    int dateMode = 0;
    CString days;
    CString fromDay;
    int fromMonthSel = -1;
    CString fromYear;
    CString toDay;
    int toMonthSel = -1;
    CString toYear;
};

// Checks the entries in the dialog's order and, when all are good, stores them into
// filter (DateModes 0 and 1 keep Days and the range). Returns the message of the first
// bad entry, empty when there is none. now is the current calendar time.
CString ApplyOrderFilterInput(const COrderFilterInput& input, int64_t now, COrderListFilter& filter);
