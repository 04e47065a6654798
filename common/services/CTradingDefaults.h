// The trading-defaults table: two rows, chosen by the integrated-trading setting, each
// with the order type, route, instructions and expire of three order-entry groups and the
// row's four switches. Stored in trading.dat.
#pragma once

#include "platform/core/CString.h"
#include "platform/core/WinTypes.h"

#include <array>

class CArchive;

// 0 "Trade Ticket, Level I, Charts", 1 "Level II", 2 "INET Book".
inline constexpr int kTradingGroupCount = 3;

struct CTradingDefaultsRow {
    std::array<CString, kTradingGroupCount> orderTypes;
    std::array<CString, kTradingGroupCount> routes;
    std::array<CString, kTradingGroupCount> instructions;
    std::array<CString, kTradingGroupCount> expires;
    int inetBookEntry = 1;
    int level2Entry = 1;
    int confirmOrders = 1;   // popup a confirmation before submitting orders
    int programTrading = 0;  // an alert's order: 1 placed, 0 added to the saved orders

    CTradingDefaultsRow();
    bool operator==(const CTradingDefaultsRow&) const = default;
};

class CTradingDefaults {
public:
    // The row of an integrated-trading setting (any non-zero value is row 1).
    CTradingDefaultsRow& Row(int broker) { return m_rows[broker ? 1 : 0]; }
    const CTradingDefaultsRow& Row(int broker) const { return m_rows[broker ? 1 : 0]; }

    // The records after the file's version: both rows in order.
    void Write(CArchive& ar) const;
    // Reads both rows; on an exception the table is unchanged.
    void Read(CArchive& ar);

    bool operator==(const CTradingDefaults&) const = default;

    std::array<CTradingDefaultsRow, 2> m_rows;
};
