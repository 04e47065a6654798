// An owner-drawn list whose items hold no texts tells the text a cell shows.
#pragma once

#include "platform/core/CString.h"

class IListCellText {
public:
    virtual ~IListCellText() = default;
    // The text drawn in the item's cell of list column `column` ("" when none).
    virtual CString GetShownText(int item, int column) = 0;
};
