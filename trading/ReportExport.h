// Delimited text exports of the report lists under "\SpreadSheets": comma, tab or blank
// separated, one line per row ending in a line feed.
#pragma once

#include "platform/core/CString.h"

#include <vector>

using CExportRow = std::vector<CString>;

// One cell as written. A text cell (one that is no number) beginning with "=", "+",
// "-", "@", a tab or a carriage return gets a "'" in front, so that spreadsheets take
// it as text; with blankBeforePlus a remaining cell that begins with "+" gets a blank
// in front. A cell holding the separator, a double quote, a carriage return or a line
// feed is put in double quotes, its double quotes doubled.
CString ExportCell(const CString& text, char separator, bool blankBeforePlus);

// The rows, their cells joined by the separator; false with the reason in error when the file
// could not be written (a file that was there stays as it was).
bool WriteReportExport(const CString& path, char separator, const std::vector<CExportRow>& rows,
                       bool blankBeforePlus, CString& error);
