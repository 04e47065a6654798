// The column set of a Level I window as stored in a layout file (".lil") and in the
// Level I record of a workspace, with one column encoding for both.
#pragma once

#include "views/CGridColumn.h"

#include <vector>

class CArchive;

// A column as stored: its definition and its width in pixels.
struct CLayoutColumn {
    CGridColumn column;
    int width = 50;

    bool operator==(const CLayoutColumn&) const = default;
};

inline constexpr DWORD kLayoutVersion = 19;
// Layouts before this version carry no alert states.
inline constexpr DWORD kFirstVersionWithAlerts = 4;
inline constexpr int kMaxLayoutColumnWidth = 4000;

// Appends the columns of a column block to out, one by one, so that a damaged block
// leaves the columns before the damage. Throws CArchiveException on damage: counts
// beyond the data, a field id outside the catalogue, an unknown comparison.
void ReadColumnBlock(CArchive& ar, DWORD version, std::vector<CLayoutColumn>& out);
// The block in header display order, alert states always written.
void WriteColumnBlock(CArchive& ar, const std::vector<CLayoutColumn>& columns);

enum class ELayoutRead { kLoaded, kCannotOpen, kIncompatible, kDamaged };

// A ".lil" file: DWORD version (19) and the column block. The message (for a failure)
// is the one the window shows; with kDamaged the columns read before the damage are kept.
ELayoutRead ReadLayoutFile(const CString& path, std::vector<CLayoutColumn>& out, CString& message);
// Written through a temporary file; false with "Error saving layout to <path>".
bool WriteLayoutFile(const CString& path, const std::vector<CLayoutColumn>& columns, CString& message);
