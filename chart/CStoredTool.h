// The stored form of a pane's drawing tools, read and written without the windows: a
// DWORD count, then per tool its tag, its anchors and state, and the settings of its kind.
#pragma once

#include "common/services/CAppSettings.h"
#include "platform/core/WinTypes.h"

#include <vector>

class CArchive;

// Tags of the stored forms, in front of each tool.
enum EToolTag : DWORD {
    kTagSegment = 0,
    kTagRay = 1,
    kTagLine = 2,
    kTagRegression = 3,
    kTagRetracement = 4,
    kTagNote = 5,
};

// States: 0 an anchor follows the mouse, 1 normal, 2 selected, 3 removed.
enum EToolState : DWORD {
    kToolPlacing = 0,
    kToolNormal = 1,
    kToolSelected = 2,
    kToolRemoved = 3,
};

// A bar's feed time and a price (a note keeps pixel points here).
struct CToolAnchor {
    DWORD time = 0;
    double price = 0;
    bool operator==(const CToolAnchor&) const = default;
};

// One tool as stored; only the settings of its tag are read and written.
struct CStoredTool {
    EToolTag tag = kTagSegment;
    CToolAnchor anchor1;
    CToolAnchor anchor2;
    DWORD state = kToolNormal;
    DWORD following = 0;  // 1 the first anchor follows the mouse, 0 the second
    CLineToolSettings line;
    CRegressionSettings regression;
    CRetracementSettings retracement;
    CNoteSettings note;

    // The same tag, anchors, state and settings of that tag.
    bool operator==(const CStoredTool& other) const;
};

// Line thickness the reader accepts at most.
inline constexpr DWORD kMaxStoredThickness = 100;

void StoreTool(CArchive& ar, const CStoredTool& tool);
// Reads one tool, its tag first. An unknown tag, a price that is not finite, a state or
// a thickness out of range, or a regression source other than Open, High, Low or Close
// throws an archive error.
CStoredTool LoadTool(CArchive& ar);

void StoreToolRecords(CArchive& ar, const std::vector<CStoredTool>& tools);
// Appends the stored tools to `tools`, all or none: a count larger than the rest of
// the archive can hold, or a damaged tool, throws and appends nothing.
void LoadToolRecords(CArchive& ar, std::vector<CStoredTool>& tools);
