// The texts of the "Symbol Settings" form of a web watch list item, their checks, and the
// cell texts of an item in the Web Watch List Manager's symbol list.
#pragma once

#include "broker/session/AccountRecords.h"
#include "platform/core/CString.h"

#include <vector>

// The fields as typed; the date is three fields.
struct CWatchedSymbolForm {
    CString symbol;
    CString quantity;
    CString price;
    CString commission;
    CString month;
    CString day;
    CString year;
};

// The form field a check failed on.
enum EWatchedSymbolField : int {
    kWatchedSymbol,
    kWatchedQuantity,
    kWatchedPrice,
    kWatchedCommission,
    kWatchedMonth,
    kWatchedDay,
    kWatchedYear,
    kWatchedDate, // the date as a whole (no single field)
};

// Checks the form in order (symbol, quantity, price, commission, month, day, year,
// complete date) and fills the item: numbers left empty are 0, the date
// "MM-DD-YYYY" when all three fields are given, else empty. On failure the message to
// show and the field it concerns.
bool ReadWatchedSymbolForm(const CWatchedSymbolForm& form, CWatchedSymbol& out, CString& message,
                           EWatchedSymbolField& badField);

// The form of an item: numbers as plain decimals (empty for 0); a 10-character date is
// split into month (first 2), day (characters 4-5) and year (last 4).
CWatchedSymbolForm FormOfWatchedSymbol(const CWatchedSymbol& item);

// Cells of the symbol list: symbol; quantity "%g"; price with 2 to 4 decimals;
// commission "%.2lf" (each empty when 0); date.
std::vector<CString> WatchedSymbolRowTexts(const CWatchedSymbol& item);
