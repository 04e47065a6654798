// Reading what a trader types into the order fields: numbers with thousands separators or
// a dollar sign, symbols, and good-till dates.
#pragma once

#include "broker/session/OrderRequest.h" // IsOrderSymbol, PrintableSymbol
#include "platform/core/CString.h"

// A number as it is shown: blanks around it, an optional "-", an optional "$", digits
// with or without "," between groups of three, an optional fraction. False for anything
// else ("1,0", "12a", "1.2.3", "", "$"), so that no text silently becomes 0 or 1.
bool ParseOrderNumber(const char* text, double& value);
// A whole number from 1 to 2147483647 as ParseOrderNumber reads it.
bool ParseOrderQuantity(const char* text, int& quantity);
// The largest quantity an order can carry.
inline constexpr double kMaxOrderQuantity = 2147483647.0;

// The text after the first ":" (a book-source prefix), or the text itself.
CString StripSymbolPrefix(const CString& symbol);

struct CCalendarDate {
    int year = 0;
    int month = 0;
    int day = 0;
    auto operator<=>(const CCalendarDate&) const = default;
};

// The local date today.
CCalendarDate LocalToday();
int DaysInMonth(int year, int month);
bool IsCalendarDate(int year, int month, int day);
// The same day of the month n months later; a day the month lacks becomes its last day.
CCalendarDate AddMonths(const CCalendarDate& date, int months);
// Day, month and year texts of a good-till date: all present, a real date, not before
// today and not after six months from today.
bool IsGoodTillDate(const char* day, const char* month, const char* year, const CCalendarDate& today);
