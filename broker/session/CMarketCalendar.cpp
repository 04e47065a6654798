#include "broker/session/CMarketCalendar.h"

#include <cctype>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace {

bool ParseClock(const std::string& text, int& minutes)
{
    int h = -1, m = -1;
    char tail = 0;
    if (std::sscanf(text.c_str(), "%d:%d%c", &h, &m, &tail) != 2)
        return false;
    if (h < 0 || h > 24 || m < 0 || m > 59 || (h == 24 && m != 0))
        return false;
    minutes = h * 60 + m;
    return true;
}

bool ParseSession(const std::string& open, const std::string& close, CSessionEntry& entry)
{
    int o = 0, c = 0;
    if (!ParseClock(open, o) || !ParseClock(close, c) || c <= o)
        return false;
    entry = {1, o, c};
    return true;
}

bool ParseDate(const std::string& text, int& number)
{
    int y = 0, m = 0, d = 0;
    char tail = 0;
    if (std::sscanf(text.c_str(), "%d-%d-%d%c", &y, &m, &d, &tail) != 3)
        return false;
    if (y < 1950 || y > 2200 || m < 1 || m > 12 || d < 1 || d > 31)
        return false;
    number = y * 10000 + m * 100 + d;
    return true;
}

CSessionRules UsEquityHours()
{
    CSessionRules rules;
    rules.name = "default";
    rules.regular = {1, 9 * 60 + 30, 16 * 60};
    rules.extended = {1, 4 * 60, 20 * 60};
    return rules;
}

} // namespace

CMarketCalendar::CMarketCalendar() : m_fallback(UsEquityHours()) {}

bool CMarketCalendar::MatchPattern(const char* pattern, const char* text)
{
    // Iterative wildcard match with back-tracking to the last '*'.
    const char* star = nullptr;
    const char* resume = nullptr;
    while (*text) {
        if (*pattern == '*') {
            star = pattern++;
            resume = text;
        } else if (*pattern == '?' ||
                   std::toupper(static_cast<unsigned char>(*pattern)) == std::toupper(static_cast<unsigned char>(*text))) {
            ++pattern;
            ++text;
        } else if (star) {
            pattern = star + 1;
            text = ++resume;
        } else {
            return false;
        }
    }
    while (*pattern == '*')
        ++pattern;
    return *pattern == '\0';
}

bool CMarketCalendar::Load(const char* path)
{
    std::ifstream in(path ? path : "", std::ios::binary);
    if (!in) {
        m_errors.assign(1, std::string("cannot open ") + (path ? path : "(none)"));
        return false;
    }
    std::ostringstream text;
    text << in.rdbuf();
    return LoadText(text.str());
}

bool CMarketCalendar::LoadText(const std::string& text)
{
    std::vector<CSessionRules> rules;
    std::vector<std::string> errors;
    CSessionRules* current = nullptr;
    std::istringstream lines(text);
    std::string line;
    int number = 0;
    auto fail = [&](const std::string& why) {
        errors.push_back("line " + std::to_string(number) + ": " + why + ": " + line);
    };
    while (std::getline(lines, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const size_t hash = line.find('#');
        std::istringstream words(hash == std::string::npos ? line : line.substr(0, hash));
        std::vector<std::string> w;
        for (std::string word; words >> word;)
            w.push_back(word);
        if (w.empty())
            continue;
        const std::string& key = w[0];
        if (key == "rules") {
            if (w.size() != 2) {
                fail("expected: rules NAME");
                current = nullptr;
                continue;
            }
            rules.emplace_back();
            current = &rules.back();
            current->name = CString(w[1]);
            continue;
        }
        if (!current) {
            fail("outside a rule set");
            continue;
        }
        if (key == "symbols" && w.size() >= 2) {
            for (size_t i = 1; i < w.size(); ++i)
                current->patterns.emplace_back(w[i]);
        } else if (key == "offset" && w.size() == 2) {
            char* end = nullptr;
            const long minutes = std::strtol(w[1].c_str(), &end, 10);
            if (*end || minutes < -24 * 60 || minutes > 24 * 60)
                fail("bad offset");
            else
                current->offsetMinutes = static_cast<int>(minutes);
        } else if ((key == "regular" || key == "extended") && w.size() == 3) {
            CSessionEntry entry;
            if (!ParseSession(w[1], w[2], entry))
                fail("bad session times");
            else
                (key == "regular" ? current->regular : current->extended) = entry;
        } else if ((key == "regular" || key == "extended") && w.size() == 2 && w[1] == "none") {
            (key == "regular" ? current->regular : current->extended) = CSessionEntry{};
        } else if (key == "day" && (w.size() == 3 || w.size() == 4 || w.size() == 6)) {
            int date = 0;
            CSpecialDay day;
            if (!ParseDate(w[1], date)) {
                fail("bad date");
            } else if (w.size() == 3) {
                if (w[2] == "closed")
                    current->specialDays[date] = day;
                else
                    fail("expected: day DATE closed");
            } else if (w.size() == 4) {
                if (ParseSession(w[2], w[3], day.regular))
                    current->specialDays[date] = day;
                else
                    fail("bad session times");
            } else if (ParseSession(w[2], w[3], day.regular) && ParseSession(w[4], w[5], day.extended)) {
                current->specialDays[date] = day;
            } else {
                fail("bad session times");
            }
        } else {
            fail("unknown or malformed line");
        }
    }
    std::erase_if(rules, [&](const CSessionRules& r) {
        if (!r.patterns.empty())
            return false;
        errors.push_back("rule set " + r.name.str() + " has no symbols line");
        return true;
    });
    m_errors = std::move(errors);
    if (rules.empty())
        return false;
    m_rules = std::move(rules);
    return true;
}

const CSessionRules* CMarketCalendar::FindSessionRules(const char* exchangeAndSymbol) const
{
    const char* key = exchangeAndSymbol ? exchangeAndSymbol : "";
    for (const CSessionRules& rules : m_rules)
        for (const CString& pattern : rules.patterns)
            if (MatchPattern(pattern, key))
                return &rules;
    return &m_fallback;
}
