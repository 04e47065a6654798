// Text helpers shared by every window and engine.
#pragma once

#include "platform/core/CString.h"

// Symbol kinds.
enum : int {
    kSymbolStock = 0,
    kSymbolOption = 1,
    kSymbolIndex = 3,
};

// The name with every character of "+-*/%^<=>&|() " removed, except "%", which becomes "Pct".
CString EscapeOperatorChars(const char* name);
// "%.4lf" with trailing zeros and then a trailing point removed.
CString FormatTrimmedDouble(double value);
// 0 stock; 1 option (a "+" prefix, or "_" after the first character of a symbol of 10 or
// more characters); 3 index (a "$" prefix).
int GetSymbolKind(const char* symbol);
// A whole number, a whole number, a blank and a fraction, a fraction alone, or a decimal.
// A zero denominator contributes nothing; text that is no number gives 0.
double ParseMixedFraction(const char* text);
// "Tick" -> "0"; "Daily", "Weekly", "Monthly", "Quarterly", "Yearly" (any case) -> their
// upper-case first letter; "5 minutes" (or "1 minute") -> "5"; anything else unchanged.
CString PeriodNameToCode(const char* name);
// A count of minutes -> "<count> minutes" ("1 minute"), a name of minutes stays one;
// "D", "W", "M", "Q", "Y" -> the period's name; else unchanged.
CString PeriodCodeToName(const char* code);
// The name the interval list gives a period: "Tick" for the tick code "0", else as
// PeriodCodeToName.
CString PeriodDisplayName(const char* code);
// Whether the text names a bar interval: a period name (Tick, Daily... Yearly), its code,
// or a count of minutes as PeriodCodeToName writes it ("5 minutes") or as a code ("5").
bool IsPeriodText(const char* text);
// Trims blanks on both sides in place; true when anything is left.
bool TrimAndTest(CString& text);
// Equal ignoring case and a " (main)" suffix.
bool SameAccountName(const char* a, const char* b);
// "ROOT Mon DD YYYY STRIKE Call/Put" for an option symbol "+ROOTYYMMDD(C|P)SSSSSSSS" (the
// strike in thousandths, eight digits); any other text unchanged.
CString DescribeOptionSymbol(const char* symbol);
// The formula library record: Version, Name and Expression, names and texts in CDATA.
CString FormatFormulaXml(const char* name, const char* expression);
// A CDATA section holding text; "]]>" inside the text is split across two sections.
CString MakeCData(const char* text);
// Compares two version texts part by part as numbers ("0.10.0" after "0.9.1"; a missing
// part counts 0; a part's digits end at its first other character): <0, 0 or >0.
int CompareVersions(const char* a, const char* b);
