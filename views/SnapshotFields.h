// The fields of a snapshot panel: their records, tick directions, label and value boxes,
// hit test and the panel's stored form inside a chart layout. Measuring text is left to
// the caller, so all of it works without a display.
#pragma once

#include "platform/core/CPoint.h"
#include "platform/core/CRect.h"
#include "platform/core/CSize.h"
#include "platform/core/CString.h"
#include "platform/core/WinTypes.h"

#include <functional>
#include <optional>
#include <vector>

class CArchive;

// How a field's value box is coloured after an update.
enum ETickMode : int {
    kTickAgainstPrevious = 0, // up or down against the value before
    kTickAgainstZero = 1,     // up above 0, down below 0
    kTickNever = 2,
};
enum ETickDirection : int { kTickUp = 0, kTickDown = 1, kTickFlat = 2 };

struct CSnapshotField {
    int labelWidth = 0;
    int valueWidth = 0;
    int fieldId = 0;
    CString valueText;
    int tickMode = kTickNever;
    int tickDirection = kTickFlat;
    double previousValue = 0.0;
};

// Price fields tick against their previous value, Change and % Change against zero,
// every other field never.
int TickModeOfField(int fieldId);
CSnapshotField MakeSnapshotField(int fieldId);

// A new reading of the field: its double and its text, each absent when the record
// cannot give it. Sets the direction and the value text ("n/a" without a text, at most
// 30 characters; Symbol and Exchange keep what follows the ":" of a qualified text).
void UpdateSnapshotField(CSnapshotField& field, std::optional<double> value, const std::optional<CString>& text);

// "Last:" or "Lst:".
CString SnapshotLabel(int fieldId, bool abbreviated);

// The Snapshot Window's field set: the default one is horizontal, with full labels and
// Last, Bid, Ask, High, Low, Volume.
struct CSnapshotFieldSet {
    bool vertical = false;
    bool abbreviated = false;
    std::vector<CSnapshotField> fields;

    static CSnapshotFieldSet Defaults();
    int IndexOf(int fieldId) const;
    bool operator==(const CSnapshotFieldSet& other) const;
};

// Width of a text in the panel's font.
using TextWidthFn = std::function<int(const CString&)>;

// Sets every field's label and value widths (label text + 2, value text + 6) and gives
// the panel's size: vertical one row per field (widest label plus widest value), else
// the fields side by side in one row; without fields the width of "None" + 4, one row.
CSize LayOutSnapshotFields(CSnapshotFieldSet& set, int rowHeight, const TextWidthFn& textWidth);

// The boxes of field i after LayOutSnapshotFields: label box, then value box.
struct CSnapshotBoxes {
    CRect label;
    CRect value;
};
CSnapshotBoxes SnapshotFieldBoxes(const CSnapshotFieldSet& set, int index, int rowHeight);

// The field under a point (in panel coordinates): vertical by row, horizontal the first
// whose right edge lies beyond x; past the last field the last; -1 without fields.
int HitTestSnapshotField(const CSnapshotFieldSet& set, int rowHeight, CPoint point);

// Stored form inside a chart layout: DWORD abbreviated, DWORD vertical, DWORD count and
// the field ids. The reader refuses ids outside the quote field table and counts beyond
// the data (CArchiveException); an id given twice is kept once.
void StoreSnapshotFieldSet(CArchive& ar, const CSnapshotFieldSet& set);
void LoadSnapshotFieldSet(CArchive& ar, CSnapshotFieldSet& set);

// Every panel stores its top-left corner (relative to the owner view) after its own form;
// layouts before this version carry no position.
inline constexpr DWORD kFirstLayoutWithPanelPosition = 5;
void StorePanelPosition(CArchive& ar, CPoint topLeft);
// False (nothing read) for a layout before kFirstLayoutWithPanelPosition.
bool LoadPanelPosition(CArchive& ar, DWORD version, CPoint& topLeft);

// The label boxes' colour: the face colour with 30 taken from red, green and blue, each
// modulo 256.
COLORREF LabelBoxColor(COLORREF face);
