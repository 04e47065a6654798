// The columns of the order status, saved orders and balances windows: header texts,
// the menu command that shows or hides each column and how the column sorts.
#pragma once

#include "platform/core/WinTypes.h"

#include <span>

enum class EReportSort { kText, kNumber, kDateTime };

struct CReportColumn {
    const char* header;  // empty: the field is never shown as a column
    UINT command;        // 0: no menu item
    EReportSort sort;
    int width = 0;       // a new column's width in pixels; 0: by the sort kind
};

inline constexpr int kOrderStatusFieldCount = 18;
inline constexpr int kSavedOrderFieldCount = 13;
inline constexpr int kBalanceColumnCount = 3;
inline constexpr int kDefaultColumnWidth = 80;
// Dates and times need more room to show whole.
inline constexpr int kDefaultDateColumnWidth = 150;

// Indexed by the record's field index.
std::span<const CReportColumn> OrderStatusColumns();
std::span<const CReportColumn> SavedOrderColumns();

struct CBalanceColumn {
    const char* header;
    bool rightAligned;
    int width;
};
std::span<const CBalanceColumn> BalanceColumns();

// The column's entry, or null for a field outside the table.
const CReportColumn* FindReportColumn(std::span<const CReportColumn> columns, int field);
// The width a new column of the field gets.
int DefaultColumnWidth(std::span<const CReportColumn> columns, int field);
