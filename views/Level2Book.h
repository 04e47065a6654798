// What the Level II window shows of a book, worked out without a display: the rows of each
// side with their colour bands, the depth bar's blocks, the quote summary's cells, the
// title, the handle text of a symbol and source choice, the window's layout and the order
// a double-clicked row opens.
#pragma once

#include "platform/core/CRect.h"
#include "platform/core/CString.h"
#include "platform/core/WinTypes.h"
#include "trading/COrderRecord.h"
#include "views/SnapshotFields.h"

#include <array>
#include <optional>
#include <vector>

class CAppSettings;
class CMarketDepthHandle;

// Book source choices of the window.
enum ELevel2Source : int { kSourceInet = 0, kSourceAuto = 1, kSourceLevel2 = 2, kSourceTotalView = 3 };

// The texts of a row, by the handle's text and value fields.
enum EBookText : int {
    kBookTime = 0,
    kBookPrice = 1,
    kBookSize = 2,
    kBookParticipant = 3,
    kBookSizeMark = 4,
    kBookPriceMark = 5,
    kBookTextCount = 6
};

struct CBookRow {
    std::array<CString, kBookTextCount> texts;
    COLORREF color = 0;
    int band = 0;
    // The level's price as the book holds it (the order price of a double click).
    std::optional<double> price;
};

struct CBookColumn {
    const char* title;
    int width;
    int text;
};

// The columns of a book list: MPID, price, price mark, shares, size mark; in time mode
// (TotalView) MPID, price, shares, time. The price column is titled "Bid" or "Ask".
std::vector<CBookColumn> BookColumns(bool timeMode, int side);

// The level colour index of each row: 0 for the first row; from then on one further (after
// the fifth back to the first) wherever the price text differs from the row above, so rows
// of one price share a band.
std::vector<int> BookBands(const std::vector<CString>& priceTexts);

// The rows of side 0 (bids) or 1 (asks) in the book's order, read through the handle; the
// caller holds a CDepthReadScope on it. Marks are "+" and "-" by the signed directions.
void ReadBookRows(const CMarketDepthHandle& handle, int side, bool timeMode,
                  const std::array<COLORREF, 5>& levelColors, std::vector<CBookRow>& rows);

// Sizes of the depth bar's groups: consecutive levels of one price form a group, at most
// ten a side; levels whose price or size cannot be read are skipped.
struct CDepthGroups {
    std::vector<long long> bids;
    std::vector<long long> asks;
    long long total = 0;
};
inline constexpr size_t kMaxDepthGroups = 10;
// The caller holds a CDepthReadScope on the handle.
CDepthGroups GroupDepth(const CMarketDepthHandle& handle);

// One block of the depth bar: a group in level colour colorIndex, or the black separator
// (colorIndex -1) between best bid and best ask.
struct CDepthBlock {
    int left;
    int width;
    int colorIndex;
};
inline constexpr int kDepthSeparatorWidth = 5;
// The bids from the deepest group to the best from the left edge, the separator, then the
// asks from the best out; each group's width its share of the width left beside the
// separator, at least 2. Nothing when there is nothing to show or no room for the separator.
std::vector<CDepthBlock> LayOutDepthBar(const CDepthGroups& groups, int itemWidth);

// The quote fields of the summary: Last, Change, Open, High, Low, Volume.
inline constexpr std::array<int, 6> kSummaryFields = {3, 35, 0, 1, 2, 10};
// A new reading of a summary cell: the value text ("   " when there is none) and its tick.
// A price field turns up or down against its previous value and keeps its direction while
// the value stays (High and Low lose it); Change turns by its sign and keeps it at 0.
void UpdateSummaryCell(CSnapshotField& cell, std::optional<double> value, const std::optional<CString>& text);

// The handle text of a symbol text ("SOURCE:SYMBOL" or "SYMBOL") under a source choice.
CString Level2HandleText(const CString& symbolText, int sourceChoice);

// "Level II" without a book, else the handle's title, ", " and "TotalView", "INET Book" or
// "Level II" by its source.
CString Level2Title(const CString& handleTitle, const CString& source, bool hasHandle);

// Where the window's parts lie in a client area of cx x cy with a font h pixels high.
struct CLevel2Layout {
    CRect summary;
    CRect bar;
    CRect bids;
    CRect asks;
    CRect log;
};
CLevel2Layout LayOutLevel2(int cx, int cy, int fontHeight, bool logShown);

// The ticket's leg for a double click on a row: Sell at a bid, Buy at an ask, the row's
// price, the Level II (or, on an INET book, the INET Book) trading defaults, and route
// "NSDQ (INET)" for an INET row or "ARCA" for an ARCA row.
COrderRecord MakeBookOrder(const CString& symbol, const CString& source, int side, double price,
                           const CString& participant, const CAppSettings& settings);
