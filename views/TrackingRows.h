// The rows of a Tracking Window: a name and a value in a colour each, and the panel's
// size for them. Measuring text is left to the caller.
#pragma once

#include "platform/core/CSize.h"
#include "platform/core/CString.h"
#include "platform/core/WinTypes.h"

#include <functional>
#include <vector>

struct CTrackingRow {
    CString name;
    CString value;
    COLORREF color = RGB(0, 0, 0);

    bool operator==(const CTrackingRow&) const = default;
};

// Width of the widest "name:value" + 4 and one row height per row; without rows the
// width of "None" + 4 and one row.
CSize LayOutTrackingRows(const std::vector<CTrackingRow>& rows, int rowHeight,
                         const std::function<int(const CString&)>& textWidth);
