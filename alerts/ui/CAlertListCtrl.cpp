#include "alerts/ui/CAlertListCtrl.h"


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
    DrawColoredRow(draw, m_colors, m_normalText, [this](int item, int column) { return GetItemText(item, column); });
}
