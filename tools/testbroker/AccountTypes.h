// Records of the test broker's accounts.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace qx::testbroker {

// One order leg as the broker keeps it (broker words, see OrderWords.h).
struct OrderLeg {
    std::string action;        // "buy", "sellshort", "buytoopen", ...
    int64_t quantity = 0;      // remaining
    int64_t origQuantity = 0;
    std::string symbol;
    std::string ordtype;       // "limit", "market", ...
    double price = 0.0;
    double actprice = 0.0;
    double tsparam = 0.0;
    std::string expire = "day";
    std::string instructions = "none";
    std::string routing = "auto";
    std::string exmonth, exday, exyear;
    double origPrice = 0.0;
};

struct Order {
    std::string id;
    std::string account;
    OrderLeg leg;
    bool option = false;
    std::string status;        // "Open", "Pending", "Filled", "Canceled", "Replaced", ...
    int64_t entered = 0;       // unix seconds
    int64_t reported = 0;
    std::string ticket;        // "OCA 5" for a conditional leg, else empty
    int ticketId = 0;
    std::string ticketWord;    // "oca", "ota", ...
    int legIndex = 0;          // 0-based within the ticket
    double trailRef = 0.0;     // best price seen by a trailing stop
    bool triggered = false;    // a stop that reached its activation price
    double fillPrice = 0.0;
};

struct SavedOrder {
    std::string id;
    std::string account;
    OrderLeg leg;
    bool option = false;
    int64_t entered = 0;
    std::string hotKey;
};

struct Position {
    int64_t quantity = 0;  // negative: short
    double averagePrice = 0.0;
};

struct Account {
    std::string id;
    std::string name;
    bool expressTrading = false;
    double cash = 0.0;
    double startCash = 0.0;
    std::map<std::string, Position> positions;
};

struct WatchedSymbol {
    std::string symbol;
    double quantity = 0.0, price = 0.0, commission = 0.0;
    std::string purchaseDate;  // "MM-DD-YYYY" or empty
};

struct Watchlist {
    std::string id;
    std::string name;
    std::vector<WatchedSymbol> symbols;
};

// Prices the order engine sees.
struct MarketQuote {
    double bid = 0.0, ask = 0.0, last = 0.0, prevClose = 0.0;
    bool option = false;
    bool index = false;
};

}  // namespace qx::testbroker
