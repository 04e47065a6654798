// Owner-drawn colour combo box: item data are COLORREFs; the item whose data is
// kOtherColor is "Other...".
#pragma once

#include "platform/ui/CComboBox.h"

class CColorCombo : public CComboBox {
public:
    static constexpr DWORD_PTR kOtherColor = 0x1000000;

    // Empties the box, adds color, then the 27 colours of components 1, 128 and 255,
    // then "Other...", and selects the first item.
    void FillColors(COLORREF color);
    // The selected colour; false for no selection or "Other...".
    bool GetSelectedColor(COLORREF& color) const;
    void DrawItem(LPDRAWITEMSTRUCT draw) override;
};
