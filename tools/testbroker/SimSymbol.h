// One symbol of the simulated market and the quote fields it answers.
#pragma once

#include "broker/protocol/HistoryFormat.h"
#include "broker/protocol/StreamRecord.h"
#include "tools/testbroker/CHistoryGenerator.h"
#include "tools/testbroker/SimBook.h"

#include <array>
#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace qx::testbroker {

enum class SymbolKind { Stock = 0, Option = 1, Index = 3 };

struct MinuteActivity {
    int64_t minute = -1;  // unix minute
    uint32_t trades = 0;
    uint64_t volume = 0;
};

struct SimSymbol {
    std::string symbol;
    std::string description;
    std::string exchange;  // "NASD", "NYSE", "AMEX", "OTC", "OPRA", "INDEX"
    SymbolKind kind = SymbolKind::Stock;
    PriceProfile profile;

    // Options.
    std::string underlying;
    char right = 'C';
    double strike = 0.0;
    int expiry = 0;           // YYYYMMDD
    int64_t expiryDays = 0;   // days since 1970
    double openInterest = 0.0;
    double iv = 0.0;
    bool leap = false;
    double underlyingLast = 0.0;

    // Day state.
    double last = 0.0, bid = 0.0, ask = 0.0;
    int32_t bidSize = 0, askSize = 0;
    double open = 0.0, high = 0.0, low = 0.0, prevClose = 0.0;
    double volume = 0.0, dayValue = 0.0;
    uint32_t trades = 0, tradeSize = 0, tradeTime = 0;
    uint64_t tradeSequence = 0;  // number of the newest trade record (counts from 1)
    int tick = 0;
    double tickMagnitude = 0.0;
    double upVolume = 0.0, upValue = 0.0, downVolume = 0.0, downValue = 0.0;
    uint32_t upTicks = 0, downTicks = 0;
    double volumeAtAsk = 0.0, volumeAtBid = 0.0, valueAtAsk = 0.0, valueAtBid = 0.0;
    uint32_t tradesAtAsk = 0, tradesAtBid = 0;
    double yearHigh = 0.0, yearLow = 0.0, avg200 = 0.0, avgVolume65 = 0.0;

    // Slow-moving company data, by quote field id.
    std::map<int, double> fundamentals;
    std::string industry, sector, financialsDate;
    // Injected values of fields without day state.
    std::map<int, protocol::QuoteField> overrides;
    // Injected books by source, until the symbol next moves.
    std::map<std::string, protocol::BookRecord> injectedBooks;
    uint64_t bookVersion = 0;
    // The depth of each book source the symbol has ("L2", "NYSE", "INET", "TV"; "OPRA").
    std::map<std::string, SimBook> books;

    std::array<MinuteActivity, 60> activity{};
    // Minute bars of today's live trades (exchange time), oldest first.
    std::vector<protocol::HistoryBar> todayBars;
    // Today's newest live trades as ticks (o = h = l = c = price), oldest first.
    std::deque<protocol::HistoryBar> todayTicks;
    static constexpr size_t kTodayTicks = 4096;
};

// The quote field of an id, when the symbol has it.
std::optional<protocol::QuoteField> QuoteFieldOf(const SimSymbol& s, int id, int64_t nowDays);
// Every field the symbol has (a snapshot image).
std::vector<protocol::QuoteField> AllQuoteFields(const SimSymbol& s, int64_t nowDays);
// Writes an injected field into the day state (or the overrides).
void ApplyQuoteField(SimSymbol& s, const protocol::QuoteField& f);

}  // namespace qx::testbroker
