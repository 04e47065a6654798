#include "views/GridColumnCatalogue.h"

#include "broker/session/QuoteFields.h"

namespace {

const char* const kComputedNames[] = {"Exchange",      "Comments",       "# Shares", "Base Price",
                                      "Long/Short",    "Position Date",  "Profit/Loss", "% Return",
                                      "Row #",         "Market Value",   "Activity", "% of Total",
                                      "Daily P&L",     "Notes"};

} // namespace

const char* GridColumnName(int id)
{
    if (id >= 0 && id <= 100)
        return QuoteFieldName(id);
    if (id > 100 && id < kGridFieldCount)
        return kComputedNames[id - 101];
    return "";
}

bool IsGridFieldId(int id)
{
    return id >= 0 && id < kGridFieldCount;
}

bool IsTextGridField(int id)
{
    switch (id) {
    case 18: case 27: case 32: case 33: case 64: case 81: case 82: case 83:
    case 101: case 102: case 105: case 106: case 114:
        return true;
    default:
        return false;
    }
}

bool IsFreeTextGridField(int id)
{
    switch (id) {
    case kGridDescription: case 82: case 83: case kGridComments: case kGridNotes:
        return true;
    default:
        return false;
    }
}

bool IsPositionGridField(int id)
{
    return (id >= kGridComments && id <= kGridReturn) || id == kGridMarketValue || id == kGridDailyPnl;
}

bool SortsByCellValue(int id)
{
    switch (id) {
    case 103: case 104: case 107: case 108: case 110: case 111: case 112: case 113:
        return true;
    default:
        return false;
    }
}

bool IsFixedPointGridField(int id)
{
    switch (id) {
    case 104: case 107: case 108: case 110: case 112: case 113:
        return true;
    default:
        return false;
    }
}
