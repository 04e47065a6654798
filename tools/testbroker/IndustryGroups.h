// The test broker's symbol sets: one industry group per sector of the simulated market,
// one set per industry in it, holding the stocks of that industry (the Sector Name and
// Industry Name of their quotes).
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace qx::testbroker {

class CSimMarket;

struct IndustryGroup {
    std::string name;              // the sector
    std::vector<std::string> sets; // its industries, sorted
};

// Every sector with stocks, sorted by name.
std::vector<IndustryGroup> IndustryGroupsOf(const CSimMarket& market);

// The stocks of the industry a set name names, in the market's order. Blanks do not count
// ("Oil&Gas" names "Oil & Gas"); none for a name no industry has.
std::optional<std::vector<std::string>> IndustrySymbols(const CSimMarket& market, const std::string& setName);

} // namespace qx::testbroker
