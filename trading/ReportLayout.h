// Column layouts of the report windows ("\Layouts\default.osl", "default.sol" and the
// first part of their workspace records): a 32-bit count, then per column in display
// order its 32-bit field index and width in pixels.
#pragma once

#include "platform/core/CString.h"

#include <vector>

class CArchive;

struct CReportLayoutColumn {
    int field = 0;
    int width = 0;
    bool operator==(const CReportLayoutColumn&) const = default;
};
using CReportLayout = std::vector<CReportLayoutColumn>;

inline constexpr int kMaxReportColumnWidth = 4000;

// What a workspace keeps of a report list: its layout, sort column (-1 none) and
// direction (1 ascending), and the grid flag.
struct CReportListState {
    CReportLayout layout;
    int sortColumn = -1;
    int sortAscending = 1;
    int grid = 1;
};

void WriteReportLayout(CArchive& ar, const CReportLayout& layout);
// Reads a whole layout; throws CArchiveException when the record is short or its count
// cannot fit in the rest of the archive. Columns of fields outside 0..fieldCount-1 and
// repeated fields are left out; widths are kept within 0..kMaxReportColumnWidth.
CReportLayout ReadReportLayout(CArchive& ar, int fieldCount);

enum class ELayoutFileState { kLoaded, kMissing, kDamaged };

// A layout file; out is changed only when it loaded.
ELayoutFileState LoadReportLayoutFile(const CString& path, int fieldCount, CReportLayout& out);
// Through a temporary file that replaces path; false with the reason in error.
bool SaveReportLayoutFile(const CString& path, const CReportLayout& layout, CString& error);
