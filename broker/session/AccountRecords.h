// Plain records of the account data store: positions, balances, watch lists, accounts.
#pragma once

#include "platform/core/CString.h"
#include "platform/core/WinTypes.h"

#include <vector>

struct CPositionRecord {
    CString symbol;
    double quantity = 0;     // signed: negative for a short position
    double averagePrice = 0;
    CString account;

    bool operator==(const CPositionRecord&) const = default;
};

// Line name, amount, today's net change and one 32-bit value (the line's kind).
struct CBalanceRecord {
    CString name;
    CString amount;
    CString netChange;
    DWORD value = 0;

    bool operator==(const CBalanceRecord&) const = default;
};

struct CWatchedSymbol {
    CString symbol;
    double quantity = 0;
    double price = 0;
    double commission = 0;
    CString purchaseDate; // "%02d-%02d-%04d" of month, day, year, or empty

    bool operator==(const CWatchedSymbol&) const = default;
};

struct CWatchlistRecord {
    CString name;
    CString listId; // empty for a list not yet on the server
    std::vector<CWatchedSymbol> symbols;

    bool operator==(const CWatchlistRecord&) const = default;
};

// One account of the login reply.
struct CAccountInfo {
    CString number;
    CString name;
    bool express = false; // marked "express-trading": no confirmation before edits

    bool operator==(const CAccountInfo&) const = default;
};

// One entry of the web-update description.
struct CWebUpdateInfo {
    CString type;
    CString name;
    CString version;
    CString message;
    CString url;
};
