#include "common/windows/ListRowCells.h"

#include <vector>

void DrawListRowCells(CListCtrl& list, CDC& dc, const CRect& row, int blank,
                      const std::function<CString(int column)>& cellText)
{
    std::vector<int> order(static_cast<size_t>(list.GetColumnCount()));
    if (!order.empty())
        list.GetColumnOrderArray(order.data(), static_cast<int>(order.size()));
    CHeaderCtrl* header = list.GetHeaderCtrl();
    for (int column : order) {
        RECT span;
        if (!header || !header->GetItemRect(column, &span))
            continue;
        CRect cell(span.left + 2 * blank, row.top, span.right - 2 * blank, row.bottom);
        if (cell.right <= cell.left)
            continue;
        dc.DrawText(cellText(column), &cell, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    }
}
