// The font and colours of the snapshot and tracking panels (and of the field cells of
// other windows): the face colour is the system button face read at start-up, the value
// boxes turn the up or down colour after a tick.
#pragma once

#include "common/services/CFontInfo.h"
#include "platform/core/WinTypes.h"

struct CFieldPanelLook {
    CFontInfo font;
    COLORREF text = RGB(0, 0, 0);
    COLORREF face = RGB(240, 240, 240);
    COLORREF up = 0x0000FF00;
    COLORREF down = 0x000000FF;

    // The face with 30 taken from each of red, green and blue.
    COLORREF LabelBox() const;
    bool operator==(const CFieldPanelLook&) const = default;
};

// The process-wide look (user-interface thread); the first call reads the face colour.
CFieldPanelLook& SharedFieldPanelLook();
