// What a window whose lists follow the user's list font and colours implements; the
// application calls it on every open window after the Fonts and Colors commands.
#pragma once

#include "common/services/CFontInfo.h"
#include "platform/core/WinTypes.h"

#include <array>

class IListAppearance {
public:
    virtual ~IListAppearance() = default;
    // The quote-list font and the text colour of unstriped rows.
    virtual void SetListFont(const CFontInfo& font, COLORREF textColor) = 0;
    // The eight quote-list colours (0 background ... 7 text of the selected row).
    virtual void SetListColors(const std::array<COLORREF, 8>& colors) = 0;
};
