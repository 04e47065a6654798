// The simulated market of the test broker: a seeded, deterministic set of
// stocks, indices and options whose quotes move one random step at a time.
// Not thread-safe; the broker serialises every call.
#pragma once

#include "broker/protocol/StreamRecord.h"
#include "tools/testbroker/CHistoryGenerator.h"
#include "tools/testbroker/SimSymbol.h"

#include <cstdint>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace qx::testbroker {

// What one change of the market did to a symbol.
struct SimEvent {
    std::string symbol;
    std::vector<uint8_t> fields;                      // changed quote field ids
    std::vector<protocol::QuoteField> exactFields;    // injected values, sent as they are
    std::optional<protocol::TradeRecord> trade;
    bool bidAskChanged = false;                       // a bid or ask tick for time and sales
    bool booksChanged = false;
    std::optional<protocol::BookRecord> injectedBook; // a book set from outside
};

struct ChainQuery {
    std::string underlying;
    std::string type = "CP";   // CP, C, P and the spread codes (both sides)
    std::string range = "ALL"; // N, I, O, ALL
    std::string expire = "AL"; // W, A, L, AL, YYYYMM
    double strike = 0.0;
};

class CSimMarket {
public:
    CSimMarket(uint64_t seed, int stockCount, int64_t nowUnixSeconds);

    const SimSymbol* Find(const std::string& symbol) const;
    const std::vector<std::string>& Symbols() const { return m_order; }
    std::vector<std::string> OptionRoots() const;
    int64_t Today() const { return m_today; }  // exchange date, days since 1970
    const CHistoryGenerator& History() const { return m_history; }

    // Moves that many randomly chosen symbols one step.
    std::vector<SimEvent> Step(int moves, int64_t nowUnixMs);
    // Outside changes (the scripting interface and the order engine).
    std::optional<SimEvent> ApplyQuote(const std::string& symbol, const std::vector<protocol::QuoteField>& fields);
    std::optional<SimEvent> ApplyTrade(const std::string& symbol, double price, uint32_t size,
                                       const std::string& exchange, int64_t nowUnixMs);
    std::optional<SimEvent> ApplyBook(const protocol::BookRecord& book);

    // The current book of a source ("L2", "NYSE", "INET", "OPRA", "TV").
    std::optional<protocol::BookRecord> Book(const std::string& symbol, const std::string& source,
                                             int64_t nowUnixMs) const;
    // Option symbols matching a chain query, sorted by expiry, strike, calls first.
    std::vector<std::string> Chain(const ChainQuery& query) const;
    // Ranked actives of a key "EXCHANGE-INTERVAL"; nothing for an unknown key.
    std::optional<protocol::ActivesRecord> Actives(const std::string& key, int64_t nowUnixMs) const;

private:
    SimSymbol& AddSymbol(SimSymbol s);
    // The symbol's books around its inside, and their moves with the market.
    void StartBooks(SimSymbol& s) const;
    void MoveBooks(SimSymbol& s, int64_t nowUnixMs) const;
    void MakeStocks(int count);
    void MakeIndices();
    void MakeOptions(const std::string& root);
    void InitDay(SimSymbol& s);
    void MoveStock(SimSymbol& s, SimEvent& e, int64_t nowUnixMs);
    void MoveOption(SimSymbol& s, SimEvent& e, int64_t nowUnixMs);
    void Trade(SimSymbol& s, double price, uint32_t size, const std::string& exchange, int64_t nowUnixMs,
               SimEvent& e);
    void SetBidAsk(SimSymbol& s, double bid, double ask, SimEvent& e);
    double OptionMid(const SimSymbol& option) const;

    std::mt19937_64 m_rng;
    uint64_t m_seed;
    int64_t m_startUnix = 0;
    int64_t m_today;
    CHistoryGenerator m_history;
    std::map<std::string, SimSymbol> m_symbols;
    std::vector<std::string> m_order;   // every symbol, in creation order
    std::vector<std::string> m_movers;  // stocks and indices, which move on their own
    std::vector<std::string> m_options;
};

}  // namespace qx::testbroker
