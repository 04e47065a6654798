// Exported grid text: comma-, tab- or blank-separated lines,
// fields quoted as RFC 4180 does, and text that a spreadsheet would take for a formula
// made harmless.
#pragma once

#include "common/services/ExportFileType.h"
#include "platform/core/CString.h"

#include <vector>

// One field: a text beginning with "=", "+", "@" (or "-" when it is no number) gets a
// blank in front; a field holding the separator, a double quote or a line end is
// enclosed in double quotes with its double quotes doubled.
CString ExportField(const CString& text, char separator);
// The fields joined by the separator, ended by a line feed.
CString ExportLine(const std::vector<CString>& fields, char separator);
// The header line and one line per row joined by the separator, through a temporary
// file; false with the error text.
bool WriteExportFile(const CString& path, char separator, const std::vector<CString>& header,
                     const std::vector<std::vector<CString>>& rows, CString& error);
