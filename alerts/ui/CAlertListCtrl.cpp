#include "alerts/ui/CAlertListCtrl.h"

#include "platform/ui/CDC.h"
#include "platform/ui/CHeaderCtrl.h"

#include <vector>

CAlertListCtrl::CAlertListCtrl() : CReportListCtrl(AlertListColumns()) {}

void CAlertListCtrl::SetRows(const std::vector<Row>& rows)
{
    DeleteAllItems();
    m_texts.clear();
    for (const Row& row : rows)
        AppendRow(row);
    Resort();
}

int CAlertListCtrl::FindRow(AlertId id) const
{
    for (int item = 0; item < GetItemCount(); ++item)
        if (GetRowId(item) == id)
            return item;
    return -1;
}

bool CAlertListCtrl::UpdateRow(const Row& row)
{
    const int item = FindRow(row.id);
    if (item < 0)
        return false;
    m_texts[row.id] = row.texts;
    FillItemTexts(item);
    return true;
}

void CAlertListCtrl::AppendRow(const Row& row)
{
    m_texts[row.id] = row.texts;
    const int item = InsertItem(LVIF_PARAM, GetItemCount(), nullptr, 0, 0, -1, static_cast<LPARAM>(row.id));
    FillItemTexts(item);
}

void CAlertListCtrl::DeleteRow(int item)
{
    if (item < 0 || item >= GetItemCount())
        return;
    m_texts.erase(GetRowId(item));
    DeleteItem(item);
}

AlertId CAlertListCtrl::GetRowId(int item) const
{
    return item >= 0 && item < GetItemCount() ? static_cast<AlertId>(GetItemData(item)) : 0;
}

std::vector<AlertId> CAlertListCtrl::GetSelectedIds() const
{
    std::vector<AlertId> ids;
    for (int item = 0; item < GetItemCount(); ++item)
        if (GetItemState(item, LVIS_SELECTED) & LVIS_SELECTED)
            ids.push_back(GetRowId(item));
    return ids;
}

void CAlertListCtrl::SetColors(const std::array<COLORREF, 3>& colors)
{
    m_colors = colors;
    SetBkColor(colors[0]);
    Invalidate();
}

CString CAlertListCtrl::GetFieldText(DWORD_PTR data, int field) const
{
    const auto found = m_texts.find(static_cast<AlertId>(data));
    if (found == m_texts.end() || field < 0 || field >= kAlertFieldCount)
        return CString();
    return found->second[static_cast<size_t>(field)];
}

int CAlertListCtrl::CompareRecords(DWORD_PTR first, DWORD_PTR second, int field) const
{
    // Byte by byte, so "Last Triggered" sorts by its text.
    const std::string a = GetFieldText(first, field).str();
    const std::string b = GetFieldText(second, field).str();
    const int order = a.compare(b);
    return order < 0 ? -1 : order > 0 ? 1 : 0;
}

void CAlertListCtrl::DrawItem(LPDRAWITEMSTRUCT draw)
{
    CDC* dc = CDC::FromHandle(draw->hDC);
    if (!dc)
        return;
    const int item = static_cast<int>(draw->itemID);
    const UINT state = GetItemState(item, LVIS_SELECTED | LVIS_FOCUSED | LVIS_DROPHILITED);
    const bool focused = GetFocus() == this;
    const bool highlighted = (state & LVIS_DROPHILITED) ||
                             ((state & LVIS_SELECTED) && (focused || (GetStyle() & LVS_SHOWSELALWAYS)));
    const CRect row(draw->rcItem);
    dc->FillSolidRect(&row, highlighted ? m_colors[1] : m_colors[0]);
    dc->SetBkMode(TRANSPARENT);
    dc->SetTextColor(highlighted ? m_colors[2] : m_normalText);
    CFont* oldFont = GetFont() ? dc->SelectObject(GetFont()) : nullptr;
    const int blank = dc->GetTextExtent(" ").cx;
    std::vector<int> order(static_cast<size_t>(GetColumnCount()));
    if (!order.empty())
        GetColumnOrderArray(order.data(), static_cast<int>(order.size()));
    CHeaderCtrl* header = GetHeaderCtrl();
    for (int column : order) {
        RECT span;
        if (!header || !header->GetItemRect(column, &span))
            continue;
        CRect cell(span.left + 2 * blank, row.top, span.right - 2 * blank, row.bottom);
        if (cell.right <= cell.left)
            continue;
        dc->DrawText(GetItemText(item, column), &cell, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    }
    if (oldFont)
        dc->SelectObject(oldFont);
    if ((state & LVIS_FOCUSED) && focused)
        dc->DrawFocusRect(&row);
}
