// Option-chain definition texts ("OptionChain,UNDERLYING,TYPE,RANGE,EXPIRATION,STRIKE[,INTERVAL]")
// and the vocabulary of the Option Chains dialog: chain types, ranges, expirations and
// intervals with their display names and codes.
#pragma once

#include "platform/core/CString.h"
#include "platform/core/CTime.h"

#include <vector>

inline constexpr const char* kOptionChainKind = "OptionChain";

inline constexpr int kChainTypeCount = 10;
// The dialog offers the first three.
inline constexpr int kDialogChainTypes = 3;
inline constexpr int kRangeCount = 4;
inline constexpr int kSpecialExpirationCount = 4;
inline constexpr int kIntervalCount = 7;
inline constexpr int kExpirationMonths = 12;

// Display names and codes by index; "" outside the tables.
const char* ChainTypeName(int index);
const char* ChainTypeCode(int index);
const char* RangeName(int index);
const char* RangeCode(int index);
// "Weekly", "All", "Leaps", "All + Leaps" and "W", "A", "L", "AL".
const char* SpecialExpirationName(int index);
const char* SpecialExpirationCode(int index);
const char* ChainIntervalText(int index);
// "January" .. "December" for 1..12; "" otherwise.
const char* MonthName(int month);

// Index of a code in its table, -1 when it is none of them.
int FindChainTypeCode(const CString& code);
int FindRangeCode(const CString& code);
int FindSpecialExpirationCode(const CString& code);
int FindChainInterval(const CString& text);

// The twelve month entries "%s %d" from the month of now on.
std::vector<CString> ExpirationMonthEntries(const CTime& now);

// What the Option Chains dialog holds: indexes into the tables, the expiration's
// display text, the symbol and the strike text as typed.
struct COptionChainChoice {
    CString symbol;
    int chainType = 0;
    int range = 0;
    CString expiration; // a month entry ("March 2026") or a special entry's name
    CString strike;
    int interval = 0;
    bool intervalShown = false;
};

// The choice a definition gives the dialog; false for a definition it cannot show (not
// an option chain, missing fields, a chain type beyond the dialog's three, a month 13).
bool ChoiceFromDefinition(const CString& definition, COptionChainChoice& choice);
// "Please specify a symbol", the filter message, or "" when the choice is acceptable.
CString CheckChoice(const COptionChainChoice& choice);
// The definition text of a choice; "" when a field cannot be encoded (an unknown
// expiration text, a chain type or range outside the tables, a strike that is no number).
CString BuildDefinition(const COptionChainChoice& choice);

// The parsed fields of a definition (fields that are absent stay empty).
struct COptionChainFields {
    CString kind;
    CString underlying;
    CString chainType;
    CString range;
    CString expiration;
    double strike = 0;
    CString strikeText;
    CString interval;
    int fieldCount = 0;
};
// Splits at "," skipping empty fields; stops at the first missing field.
COptionChainFields ParseChainDefinition(const CString& definition);
// A definition the window may apply: kind "OptionChain", underlying, type, range,
// expiration, a numeric strike, known codes and a real month.
bool IsValidChainDefinition(const CString& definition, CString* why = nullptr);
