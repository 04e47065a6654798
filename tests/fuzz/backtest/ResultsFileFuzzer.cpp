// Arbitrary bytes read as a backtest results file (.btr). Reading never crashes; what is
// read is turned into figures, written and read again with the same entries and groups.
#include "backtest/BackTestStatistics.h"
#include "backtest/CBackTestResults.h"
#include "backtest/CStrategySetup.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    CLoadedResults loaded;
    CString error;
    if (!ParseResultsText(text, loaded, error)) {
        if (error.Find("Error parsing results: ") != 0)
            std::abort();
        return 0;
    }
    if (!loaded.setup)
        std::abort();
    CBackTestResults results;
    BackTestSummary total;
    size_t entries = 0;
    for (auto& group : loaded.groups) {
        for (auto& entry : group.entries) {
            if (!std::isfinite(entry->m_price))
                std::abort();
            BackTestEntry* previous = results.AddEntry(std::make_unique<BackTestEntry>(*entry));
            ComputeTradeRow(*entry, previous);
            ++entries;
        }
        const EntryGroup& stored = results.AddGroup(group.group);
        if (const auto* list = results.FindList(stored.m_symbol, stored.m_strategy))
            AccumulateTotal(total, ComputeSummary(*list, stored), loaded.setup.get());
    }
    if (results.GetEntryCount() != entries)
        std::abort();
    CLoadedResults again;
    if (!ParseResultsText(results.ToText(loaded.setup.get()).view(), again, error))
        std::abort();
    size_t againEntries = 0;
    for (const auto& group : again.groups)
        againEntries += group.entries.size();
    if (againEntries != entries)
        std::abort();
    return 0;
}
