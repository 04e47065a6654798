// Three-way comparison of report cells: dates as dates and numbers as numbers when both
// cells read as such, otherwise the texts byte by byte. Equal cells compare equal, so
// that a stable sort keeps their order.
#pragma once

#include "platform/core/CString.h"
#include "trading/ReportColumns.h"

// A number cell: one leading "$" and every "," dropped, then only digits and at most one
// ".", with an optional leading "-". An empty cell is 0.
bool ParseReportNumber(const CString& text, double& value);

// -1, 0 or 1 for ascending order.
int CompareReportCells(const CString& first, const CString& second, EReportSort sort);
