#include "common/windows/CColorCombo.h"

#include "platform/ui/CDC.h"

void CColorCombo::FillColors(COLORREF color)
{
    ResetContent();
    auto add = [this](COLORREF c) {
        CString text;
        text.Format("RGB(%d,%d,%d)", GetRValue(c), GetGValue(c), GetBValue(c));
        const int index = AddString(text);
        SetItemData(index, c);
    };
    add(color & 0x00FFFFFFu);
    static constexpr BYTE kLevels[] = {1, 128, 255};
    for (BYTE r : kLevels)
        for (BYTE g : kLevels)
            for (BYTE b : kLevels)
                add(RGB(r, g, b));
    const int other = AddString("Other...");
    SetItemData(other, kOtherColor);
    SetCurSel(0);
}

bool CColorCombo::GetSelectedColor(COLORREF& color) const
{
    const int sel = GetCurSel();
    if (sel < 0)
        return false;
    const DWORD_PTR data = GetItemData(sel);
    if (data == kOtherColor)
        return false;
    color = static_cast<COLORREF>(data);
    return true;
}

void CColorCombo::DrawItem(LPDRAWITEMSTRUCT draw)
{
    CDC* dc = draw->hDC;
    if (!dc)
        return;
    CRect r(draw->rcItem);
    const bool selected = (draw->itemState & ODS_SELECTED) != 0;
    dc->FillSolidRect(&r, selected ? RGB(0, 120, 215) : RGB(255, 255, 255));
    if (draw->itemData == kOtherColor) {
        dc->SetBkMode(TRANSPARENT);
        dc->SetTextColor(selected ? RGB(255, 255, 255) : RGB(0, 0, 0));
        CRect text = r;
        text.left += 4;
        dc->DrawText("Other...", &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
        return;
    }
    CRect swatch = r;
    swatch.DeflateRect(3, 2);
    dc->FillSolidRect(&swatch, static_cast<COLORREF>(draw->itemData));
    dc->Draw3dRect(&swatch, RGB(0, 0, 0), RGB(0, 0, 0));
}
