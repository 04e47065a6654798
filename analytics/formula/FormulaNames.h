// The formula language's name tables: time and trade names, quote fields and functions.
// Lookups are exact and case-sensitive.
#pragma once

#include <array>

// Time and trade names by index.
enum EFormulaTimeName : int {
    kTimeYear = 0, kTimeMonth, kTimeDayOfWeek, kTimeDay, kTimeHour, kTimeMinute, kTimeSecond,
    kTradeNumTriggered, kTradeEntryPrice, kTradeEntryShares, kTradeEntryDate, kTradeEntryTime,
    kTimeNameCount
};

// Parameter types of a function row.
enum EFormulaParamType : int {
    kParamSource = 0, kParamNumber = 1, kParamInteger = 2, kParamBoolean = 3, kParamText = 4, kParamInterval = 5,
};

constexpr int kMaxFunctionParams = 5;
constexpr int kMaxFunctionOutputs = 14;

struct CFormulaFunction {
    const char* longName;
    const char* shortName;
    int paramCount;
    std::array<int, kMaxFunctionParams> params;
    int outputCount;
    std::array<const char*, kMaxFunctionOutputs> outputs;
};

// Builds the three name maps (and the study sources' time-unit names). Lookups build the
// maps on first use as well, so calling it is only needed to do the work at start-up.
void InitFormulaNames();

// Index of a time or trade name, -1 when none.
int FindFormulaTimeName(const char* name);
// Quote field identifier of a formula field name, -1 when none.
int FindFormulaQuoteField(const char* name);
// Function row of a long name, nullptr when none.
const CFormulaFunction* FindFormulaFunction(const char* longName);
// True when the name is one of the row's outputs.
bool IsFunctionOutput(const CFormulaFunction& function, const char* name);

// Digits and "." only, with one optional leading "-" (an empty text passes).
bool IsNumberText(const char* text);
