// The column catalogue of the quote grid: ids 0 to 100 are quote fields, 101 to 114 are
// computed by the grid from the row's position, the actives list and the notes.
#pragma once

inline constexpr int kGridFieldCount = 115;
inline constexpr int kCustomFieldId = -1;

enum EGridField : int {
    kGridVolume = 10,
    kGridDescription = 32,
    kGridSymbol = 33,
    kGridChange = 35,
    kGridPercentChange = 36,
    kGridExchange = 101,
    kGridComments = 102,
    kGridShares = 103,
    kGridBasePrice = 104,
    kGridLongShort = 105,
    kGridPositionDate = 106,
    kGridProfitLoss = 107,
    kGridReturn = 108,
    kGridRowNumber = 109,
    kGridMarketValue = 110,
    kGridActivity = 111,
    kGridPercentOfTotal = 112,
    kGridDailyPnl = 113,
    kGridNotes = 114,
};

// Header text of a catalogue column; "" outside 0..114.
const char* GridColumnName(int id);
bool IsGridFieldId(int id);
// Columns whose cells sort by their text.
bool IsTextGridField(int id);
// Columns of free text (descriptions, names, comments, notes), which may end in an
// ellipsis; the other columns show their texts whole.
bool IsFreeTextGridField(int id);
// Columns that read the row's position record (blank on rows without one).
bool IsPositionGridField(int id);
// Columns that sort by the cell's computed value rather than the quote field.
bool SortsByCellValue(int id);
// Columns printed in fixed point with the column's decimals.
bool IsFixedPointGridField(int id);
