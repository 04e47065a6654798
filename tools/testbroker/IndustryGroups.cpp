#include "tools/testbroker/IndustryGroups.h"

#include "tools/testbroker/CSimMarket.h"

#include <algorithm>
#include <map>
#include <set>

namespace qx::testbroker {

namespace {

std::string WithoutBlanks(std::string text)
{
    std::erase(text, ' ');
    return text;
}

} // namespace

std::vector<IndustryGroup> IndustryGroupsOf(const CSimMarket& market)
{
    std::map<std::string, std::set<std::string>> sectors;
    for (const std::string& symbol : market.Symbols()) {
        const SimSymbol* s = market.Find(symbol);
        if (s && s->kind == SymbolKind::Stock && !s->sector.empty() && !s->industry.empty())
            sectors[s->sector].insert(s->industry);
    }
    std::vector<IndustryGroup> groups;
    for (const auto& [sector, industries] : sectors)
        groups.push_back({sector, std::vector<std::string>(industries.begin(), industries.end())});
    return groups;
}

std::optional<std::vector<std::string>> IndustrySymbols(const CSimMarket& market, const std::string& setName)
{
    const std::string wanted = WithoutBlanks(setName);
    if (wanted.empty())
        return std::nullopt;
    std::vector<std::string> symbols;
    for (const std::string& symbol : market.Symbols()) {
        const SimSymbol* s = market.Find(symbol);
        if (!s || s->kind != SymbolKind::Stock || WithoutBlanks(s->industry) != wanted)
            continue;
        symbols.push_back(symbol);
    }
    if (symbols.empty())
        return std::nullopt;
    return symbols;
}

} // namespace qx::testbroker
