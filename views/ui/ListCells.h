// Drawing the cells of an owner-drawn report row: the cells the paint touches, in the
// header's display order, and their texts inset from both sides.
#pragma once

#include "platform/core/CRect.h"
#include "platform/ui/CDC.h"
#include "platform/ui/CListCtrl.h"

#include <vector>

inline constexpr UINT kListCellText = DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS;

// fn(subItem, cell) for each cell of the row, from its left edge, that the paint touches.
template <class F>
void ForEachPaintedCell(CListCtrl& list, CDC& dc, const CRect& row, F fn)
{
    CRect clip;
    dc.GetClipBox(&clip);
    const int count = list.GetColumnCount();
    std::vector<int> order(static_cast<size_t>(count));
    if (count > 0)
        list.GetColumnOrderArray(order.data(), count);
    int x = row.left;
    for (int column : order) {
        const int width = list.GetColumnWidth(column);
        const CRect cell(x, row.top, x + width, row.bottom);
        x += width;
        if (cell.right <= clip.left || cell.left >= clip.right || width <= 0)
            continue;
        LVCOLUMN info{};
        info.mask = LVCF_SUBITEM;
        list.GetColumn(column, &info);
        fn(info.iSubItem, cell);
    }
}

inline void DrawCellText(CDC& dc, const CString& text, CRect cell, int inset, UINT format = kListCellText)
{
    cell.DeflateRect(inset, 0);
    if (cell.Width() > 0)
        dc.DrawText(text, &cell, format);
}
