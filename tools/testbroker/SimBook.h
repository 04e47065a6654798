// The depth of one symbol on one book source: market participants quoting a bid and an
// ask around the symbol's inside, several at each price, a few of them moving each time
// the market moves; or, for a venue's own book, its price levels.
#pragma once

#include "broker/protocol/StreamRecord.h"

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace qx::testbroker {

struct SimQuote {
    double price = 0.0;
    int32_t size = 0;
    int64_t time = 0; // unix seconds of the quote's last change
};

struct SimBookEntry {
    std::string participant;
    SimQuote bid;
    SimQuote ask;
};

class SimBook {
public:
    // Rows a side in a book record.
    static constexpr size_t kRows = 10;

    // A book around the inside. With levels the book is one venue's price levels (every row
    // the venue's name, one row per price); otherwise each name is a participant.
    static SimBook Start(const std::vector<std::string>& names, bool levels, double bid, double ask, double tick,
                         bool option, uint64_t seed, int64_t nowUnix);

    // The inside moved (or not): a few participants change their price or size, none stays
    // better than the inside, at least one stands at it, and nobody drifts far off.
    void Move(double bid, double ask, double tick, bool option, std::mt19937_64& rng, int64_t nowUnix);

    // Side 0 bids (highest first), 1 asks (lowest first); at most kRows; with times the
    // participants' quote times as "HH:MM:SS" exchange time.
    std::vector<protocol::BookRow> Rows(int side, bool times) const;

    const std::vector<SimBookEntry>& Entries() const { return m_entries; }

private:
    void MoveLevels(double bid, double ask, double tick, bool option, std::mt19937_64& rng, int64_t nowUnix);
    void MoveParticipants(int side, double inside, double tick, bool option, std::mt19937_64& rng, int64_t nowUnix);

    bool m_bLevels = false;
    std::vector<SimBookEntry> m_entries;
};

} // namespace qx::testbroker
