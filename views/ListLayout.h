// Column layouts of the time and sales and bar lists: one line of "kind|width" pairs in
// display order, kept in "\Layouts\default.tsl" and "default.bl" and in workspace records.
#pragma once

#include "platform/core/CString.h"

#include <cstdio>
#include <functional>
#include <vector>

struct CListColumn {
    int kind = 0;
    int width = 0;
    bool operator==(const CListColumn&) const = default;
};

inline constexpr int kListColumnWidth = 50;
inline constexpr int kMaxColumnWidth = 2000;
// The longest first line a layout file may have.
inline constexpr int kMaxLayoutLine = 4096;

// "0|60|1|60|2|50" for the columns in order.
CString FormatListLayout(const std::vector<CListColumn>& columns);
// The pairs of a layout text in order. A kind outside 0..kinds-1, a missing width or a
// part that is no whole number ends the text; a kind given again is skipped, so each kind
// shows once; widths lie in 0..kMaxColumnWidth.
std::vector<CListColumn> ParseListLayout(const char* text, int kinds);
// Every kind in order, kListColumnWidth wide, or as wide as widthOf(kind) says when that
// is wider.
std::vector<CListColumn> DefaultListLayout(int kinds, const std::function<int(int kind)>& widthOf = {});

enum class ELayoutFile { kMissing, kRead, kDamaged };
// The file's first line, white space cut at its end. A first line longer than
// kMaxLayoutLine, or one holding a NUL byte, makes the file damaged.
ELayoutFile ReadListLayoutFile(const CString& path, CString& text);
// The same from an open file (kRead or kDamaged).
ELayoutFile ReadListLayoutLine(std::FILE* file, CString& text);
// Writes the text and a line end through a temporary file; false with the error text.
bool WriteListLayoutFile(const CString& path, const CString& text, CString& error);
