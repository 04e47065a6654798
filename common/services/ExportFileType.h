// The delimited text files that exports write: the file types a save dialog offers, and
// the file and separator that follow from the name typed and the type chosen there.
#pragma once

#include "platform/core/CString.h"

// Comma, tab and blank separated files, in this order (filter index 1, 2, 3).
inline constexpr const char* kExportFileFilter =
    "Excel Comma Delimited Files (*.csv)|*.csv|Tab Delimited Files (*.txt)|*.txt|Space Delimited Files (*.prn)|*.prn||";

struct CExportTarget {
    CString path;
    char separator = ',';
};

// ',' for ".csv", ' ' for ".prn", a tab otherwise (case-insensitive).
char ExportSeparatorForPath(const CString& path);

// The file an export writes for the name typed in the save dialog and the type chosen
// there (filter index; one outside 1..3 counts as the first). A name that already ends in
// ".csv", ".txt" or ".prn" keeps its extension and takes its separator; any other name
// gets the chosen type's extension, and the separator is the chosen type's.
CExportTarget ResolveExportTarget(const CString& typed, int filterIndex);
