// The columns of the backtest list: the trade mode's 11 and the summary mode's 29, their
// cell texts and their comparisons, and the column layout of both modes (.btl files and
// the workspace record).
#pragma once

#include "backtest/BackTestRecords.h"
#include "platform/core/CString.h"
#include "platform/core/WinTypes.h"

#include <array>
#include <span>
#include <utility>
#include <vector>

class CArchive;

enum EBackTestMode : int { kTradeMode = 0, kSummaryMode = 1 };
enum class EColumnKind { kText, kInteger, kNumber };

struct CBackTestColumn {
    UINT id;            // the column's menu command
    const char* title;  // header
    const char* menu;   // menu text
    EColumnKind kind;
};

inline constexpr int kTradeColumnCount = 11;
inline constexpr int kSummaryColumnCount = 29;
inline constexpr UINT kFirstTradeColumnId = 34230;
inline constexpr UINT kFirstSummaryColumnId = 34451;
inline constexpr int kBackTestColumnWidth = 50;

std::span<const CBackTestColumn> GetBackTestColumns(int mode);
inline int GetBackTestColumnCount(int mode)
{
    return mode == kTradeMode ? kTradeColumnCount : kSummaryColumnCount;
}

// Cell text of a fill; the price column shows the worker's text, or "%.2f" of the price
// when priceAsNumber (a column added to existing rows).
CString TradeCellText(const BackTestEntry& entry, int column, bool priceAsNumber = false);
CString SummaryCellText(const BackTestSummary& summary, int column);
// Cell text of the Total row; showPercent: its "Profit-Loss %" is set. Cells the Total
// does not show are empty.
CString TotalCellText(const BackTestSummary& total, int column, bool showPercent);

// Three-way comparison (-1, 0, 1) of two rows by the column, ascending; a null summary
// (the Total row) after every other row in either direction.
int CompareTradeRows(const BackTestEntry& a, const BackTestEntry& b, int column);
int CompareSummaryRows(const BackTestSummary* a, const BackTestSummary* b, int column, bool ascending);

// A mode's columns in display order: (column index, width) pairs.
using CBackTestLayout = std::vector<std::pair<int, int>>;
inline constexpr int kMaxLayoutColumns = 29;

// The two layouts, trade mode first. The reader refuses (throws) a count above 29;
// pairs whose column index lies outside the mode's table are kept as read.
void WriteBackTestLayouts(CArchive& ar, const std::array<CBackTestLayout, 2>& layouts);
std::array<CBackTestLayout, 2> ReadBackTestLayouts(CArchive& ar);
// A width that shows the column's title and its usual values whole.
int DefaultBackTestColumnWidth(int mode, int index);
// Every column of the mode in table order, each of its default width.
CBackTestLayout DefaultBackTestLayout(int mode);
// The widest usual value of the column ("12/31/2099" for a date, say), empty for names;
// windows measure it in their font to widen the default width.
CString BackTestColumnSample(int mode, int index);
