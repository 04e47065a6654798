// Trading sessions by symbol pattern, read from the text file "Sessions.dat".
#pragma once

#include "platform/core/CString.h"

#include <map>
#include <string>
#include <vector>

// One session: flag 0 = no session; open and close in minutes after midnight, exchange time.
struct CSessionEntry {
    int flag = 0;
    int open = 0;
    int close = 0;
    bool operator==(const CSessionEntry&) const = default;
};

struct CSpecialDay {
    CSessionEntry regular;
    CSessionEntry extended;
    bool operator==(const CSpecialDay&) const = default;
};

struct CSessionRules {
    CString name;
    std::vector<CString> patterns; // "EXCHANGE:SYMBOL" with '*' and '?' wildcards
    int offsetMinutes = 0;         // the symbol's time offset from exchange time
    CSessionEntry regular;
    CSessionEntry extended;
    std::map<int, CSpecialDay> specialDays; // by date number yyyymmdd
};

class CMarketCalendar {
public:
    CMarketCalendar();

    // Replaces the rules with those of the file; false when it cannot be read or holds no rule
    // set. Malformed lines are skipped and listed in GetErrors().
    bool Load(const char* path);
    bool LoadText(const std::string& text);

    // The first rule set with a pattern matching "exchange:symbol" (case-insensitive); the
    // built-in US equity hours when none matches. Never null.
    const CSessionRules* FindSessionRules(const char* exchangeAndSymbol) const;

    size_t GetRuleCount() const { return m_rules.size(); }
    const std::vector<std::string>& GetErrors() const { return m_errors; }

    static bool MatchPattern(const char* pattern, const char* text);

private:
    std::vector<CSessionRules> m_rules;
    std::vector<std::string> m_errors;
    CSessionRules m_fallback;
};
