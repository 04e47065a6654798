// The column layout of a headline list: a ".nwl" file (DWORD version 19, then the body)
// and the body alone inside the news window's workspace record. The body: DWORD column
// count, per column in display order its DWORD id (0-4) and DWORD width in pixels, then
// DWORD sort position (display index of the sort column, -1 none) and DWORD direction
// (1 ascending, -1 descending).
#pragma once

#include "platform/core/CString.h"
#include "trading/ReportLayout.h"

class CArchive;

inline constexpr DWORD kNewsLayoutVersion = 19;

struct CNewsLayout {
    CReportLayout columns;
    int sortPosition = -1;
    int sortDirection = 1;
    bool operator==(const CNewsLayout&) const = default;
};

// The five columns with their default widths, sorted by Time, newest first.
CNewsLayout DefaultNewsLayout();

void WriteNewsLayoutBody(CArchive& ar, const CNewsLayout& layout);
// Throws CArchiveException when the body is short or its count cannot fit in the rest of
// the archive. Ids outside 0-4 and repeated ids are left out; a sort position outside
// the columns read means unsorted.
CNewsLayout ReadNewsLayoutBody(CArchive& ar);

enum class ENewsLayoutRead { kLoaded, kCannotOpen, kIncompatible, kDamaged };

// A ".nwl" file. On failure message holds what the window tells and out is unchanged:
// a version of 20 or more is incompatible; older versions read as the current one.
ENewsLayoutRead ReadNewsLayoutFile(const CString& path, CNewsLayout& out, CString& message);
// The same from an archive over the file's bytes (path only names it in the message).
ENewsLayoutRead ReadNewsLayout(CArchive& ar, const CString& path, CNewsLayout& out, CString& message);
// Through a temporary file that replaces path; false with "Error saving layout to <path>".
bool WriteNewsLayoutFile(const CString& path, const CNewsLayout& layout, CString& message);
