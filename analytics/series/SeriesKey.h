// The request key of a price series: symbol and interval, or a built-in study call, with
// the optional ":255", "&Filter" pairs and "EndETime=" suffixes.
#pragma once

#include "analytics/series/CTickFilter.h"
#include "platform/core/CString.h"
#include "platform/core/WinTypes.h"

#include <optional>

struct CSeriesKey {
    CString symbol;          // normalised
    CString interval;        // "0", minutes, "D", "W", "M", "Q", "Y"
    int extendedSession = 0; // ":255" on an intraday interval
    int studyType = -1;      // built-in study type 0-28, -1 for a plain series
    double params[4] = {0, 0, 0, 0};
    std::optional<CTickFilter> filter;
    DWORD endFeedTime = 0;   // "EndETime=", 0 when none
};

// Normalised interval text: upper-cased, cut at the first ':' or '&', "0" when empty.
CString NormalizeInterval(const char* text);
// True for "D", "W", "M", "Q" and "Y".
bool IsDailyOrLongerInterval(const CString& interval);

// Symbols: letters, digits and . _ $ + / - # only, 1 to 31 characters.
bool IsSeriesSymbolText(const char* text);

// Parses a key; false for a symbol with characters no symbol uses, and for a study call
// whose parameters are missing, empty, too many, name no price field or lie outside their
// ranges.
bool ParseSeriesKey(const char* key, CSeriesKey& out);

// Study call texts: the study type whose name starts the text followed by "(", -1 when none
// (types 0-29 with includeBar, else 0-28).
int FindStudyCallType(const char* text, bool includeBar);
// Reads "NAME(SYMBOL,p1,...),INTERVAL" of a known type: symbol, parameters and the
// interval token (suffixes kept). The call holds exactly the row's parameters before its
// ")"; false for an empty, missing, extra or refused parameter and for a bad symbol.
bool ParseStudyCallText(const char* text, int type, CString& symbol, double params[4], CString& intervalToken);
