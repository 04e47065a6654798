// The test broker's own parsers, on arbitrary text (the first byte picks one):
// the stream connection's line framing, order strings with their legs, option
// chain definitions, history intervals and watch list symbol lists.
#include "tools/testbroker/CBrokerCore.h"
#include "tests/fuzz/FuzzCheck.h"
#include "tools/testbroker/CHistoryGenerator.h"
#include "tools/testbroker/CRequestLineFramer.h"
#include "tools/testbroker/CWatchlistStore.h"
#include "tools/testbroker/OrderString.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using namespace qx::testbroker;

// Fed in uneven pieces, the framer gives the lines that splitting the whole text gives.
void Framing(const std::string& text)
{
    constexpr size_t kMax = 64;
    CRequestLineFramer framer(kMax);
    std::vector<std::string> lines;
    size_t pos = 0;
    size_t step = 1;
    bool open = true;
    while (pos < text.size() && open) {
        const size_t n = std::min(step, text.size() - pos);
        open = framer.Feed(text.data() + pos, n, [&](const std::string& line) { lines.push_back(line); });
        pos += n;
        step = step * 5 % 17 + 1;
    }
    std::vector<std::string> expected;
    size_t start = 0;
    for (size_t eol = text.find('\n'); eol != std::string::npos && eol < pos; eol = text.find('\n', start)) {
        expected.push_back(text.substr(start, eol - start));
        start = eol + 1;
    }
    FuzzCheck(lines == expected);
    FuzzCheck(open == (pos - start <= kMax));
}

void Orders(const std::string& text)
{
    OrderFields fields;
    std::string error;
    if (!ParseOrderString(text, fields, error)) {
        FuzzCheck(!error.empty());
        return;
    }
    for (bool option : {false, true}) {
        std::vector<OrderLeg> legs;
        std::string ticket;
        if (ReadOrderLegs(fields, option, legs, ticket, error))
            FuzzCheck(!legs.empty() && legs.size() <= fields.size());
    }
}

void Chain(const std::string& text)
{
    ChainQuery query;
    // Empty items between commas are skipped; the first item names the request.
    if (ParseChainDefinition(text, query))
        FuzzCheck(text.find("OptionChain") != std::string::npos && !query.underlying.empty());
}

void Interval(const std::string& text)
{
    HistoryInterval interval;
    if (ParseHistoryInterval(text, interval) && interval.kind == HistoryInterval::Minutes)
        FuzzCheck(interval.minutes >= 1 && interval.minutes <= 1440);
}

void Symbols(const std::string& text)
{
    const CWatchlistStore store([](const std::string& symbol) { return symbol.size() <= 5; });
    std::vector<WatchedSymbol> symbols;
    std::string error;
    if (store.ParseSymbolList(text, symbols, error))
        FuzzCheck(symbols.size() <= text.size());
    else
        FuzzCheck(!error.empty());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    switch (data[0] % 5) {
    case 0: Framing(text); break;
    case 1: Orders(text); break;
    case 2: Chain(text); break;
    case 3: Interval(text); break;
    default: Symbols(text); break;
    }
    return 0;
}
