#include "trading/ui/CReportListCtrl.h"

#include "platform/ui/CDC.h"
#include "common/windows/ColumnFit.h"
#include "common/windows/ListRowCells.h"
#include "platform/ui/CHeaderCtrl.h"

#include <vector>

CReportListCtrl::CReportListCtrl(std::span<const CReportColumn> columns) : m_table(columns) {}

void CReportListCtrl::InsertFieldColumn(int position, int field, int width)
{
    const CReportColumn* c = FindReportColumn(m_table, field);
    InsertColumn(position, c ? c->header : "", LVCFMT_LEFT, width, field);
}

void CReportListCtrl::ShowDefaultColumns()
{
    CReportLayout layout;
    for (int field = 0; field < GetFieldCount(); ++field)
        if (*m_table[static_cast<size_t>(field)].header)
            layout.push_back({field, DefaultFieldWidth(field)});
    ApplyLayout(layout);
}

int CReportListCtrl::DefaultFieldWidth(int field)
{
    const CReportColumn* c = FindReportColumn(m_table, field);
    return FittedColumnWidth(*this, {c ? c->header : ""}, DefaultColumnWidth(m_table, field));
}

void CReportListCtrl::ApplyLayout(const CReportLayout& layout)
{
    SetSort(-1, true);
    while (GetColumnCount() > 0)
        DeleteColumn(0);
    for (const CReportLayoutColumn& c : layout)
        if (c.field >= 0 && c.field < GetFieldCount() && FindFieldColumn(c.field) < 0)
            InsertFieldColumn(GetColumnCount(), c.field, c.width);
    for (int item = 0; item < GetItemCount(); ++item)
        FillItemTexts(item);
}

CReportLayout CReportListCtrl::GetLayout() const
{
    std::vector<int> order(static_cast<size_t>(GetColumnCount()));
    if (!order.empty())
        GetColumnOrderArray(order.data(), static_cast<int>(order.size()));
    CReportLayout layout;
    for (int column : order)
        layout.push_back({GetColumnField(column), GetColumnWidth(column)});
    return layout;
}

int CReportListCtrl::GetColumnField(int column) const
{
    LVCOLUMN info;
    info.mask = LVCF_SUBITEM;
    return GetColumn(column, &info) ? info.iSubItem : -1;
}

int CReportListCtrl::FindFieldColumn(int field) const
{
    for (int column = 0; column < GetColumnCount(); ++column)
        if (GetColumnField(column) == field)
            return column;
    return -1;
}

void CReportListCtrl::ToggleField(int field)
{
    if (field < 0 || field >= GetFieldCount())
        return;
    const int column = FindFieldColumn(field);
    if (column >= 0) {
        DeleteColumn(column);
        if (column == m_nSortColumn) {
            m_nSortColumn = -1;
            m_nSortField = -1;
        } else if (column < m_nSortColumn) {
            --m_nSortColumn;
        }
        ShowSortArrow();
    } else {
        InsertFieldColumn(GetColumnCount(), field, DefaultFieldWidth(field));
    }
}

void CReportListCtrl::FillItemTexts(int item)
{
    const DWORD_PTR data = GetItemData(item);
    if (!data)
        return;
    for (int column = 0; column < GetColumnCount(); ++column)
        SetItemText(item, column, GetFieldText(data, GetColumnField(column)));
}

void CReportListCtrl::SetSort(int column, bool ascending)
{
    if (column < 0 || column >= GetColumnCount()) {
        m_nSortColumn = -1;
        m_nSortField = -1;
        m_bAscending = true;
    } else {
        m_nSortColumn = column;
        m_nSortField = GetColumnField(column);
        m_bAscending = ascending;
    }
    ShowSortArrow();
    Resort();
}

int CReportListCtrl::GetSortDisplayPosition() const
{
    if (m_nSortColumn < 0)
        return -1;
    const CReportLayout layout = GetLayout();
    for (size_t i = 0; i < layout.size(); ++i)
        if (layout[i].field == m_nSortField)
            return static_cast<int>(i);
    return -1;
}

void CReportListCtrl::Resort()
{
    if (m_nSortColumn >= 0 && m_nSortField >= 0) {
        const int field = m_nSortField;
        const int direction = m_bAscending ? 1 : -1;
        SortItems([this, field, direction](DWORD_PTR a, DWORD_PTR b) {
            return CompareRecords(a, b, field) * direction;
        });
    }
    Invalidate();
}

void CReportListCtrl::ShowSortArrow()
{
    SetSortArrow(m_nSortColumn, m_bAscending);
}

void CReportListCtrl::OnColumnClick(NMHDR* header, LRESULT* result)
{
    const int column = reinterpret_cast<const NMLISTVIEW*>(header)->iSubItem;
    if (column != m_nSortColumn)
        SetSort(column, true);
    else if (m_bAscending)
        SetSort(column, false);
    else
        SetSort(-1, true);
    *result = 0;
}

void CReportListCtrl::OnHeaderChanged(NMHDR*, LRESULT* result)
{
    Resort();
    *result = 0;
}

const CMessageMap& CReportListCtrl::GetMessageMap() const
{
    static const CMessageMap map = MessageMapFor<CReportListCtrl>(CListCtrl::GetMessageMap())
                                       .ReflectNotify(LVN_COLUMNCLICK, &CReportListCtrl::OnColumnClick)
                                       .Notify(HDN_ENDTRACK, 0, &CReportListCtrl::OnHeaderChanged)
                                       .Notify(HDN_ENDDRAG, 0, &CReportListCtrl::OnHeaderChanged)
                                       .Build();
    return map;
}

void CReportListCtrl::DrawColoredRow(LPDRAWITEMSTRUCT draw, const std::array<COLORREF, 3>& colors, COLORREF normalText,
                                     const std::function<CString(int item, int column)>& cellText)
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
    dc->FillSolidRect(&row, highlighted ? colors[1] : colors[0]);
    dc->SetBkMode(TRANSPARENT);
    dc->SetTextColor(highlighted ? colors[2] : normalText);
    CFont* oldFont = GetFont() ? dc->SelectObject(GetFont()) : nullptr;
    const int blank = dc->GetTextExtent(" ").cx;
    DrawListRowCells(*this, *dc, row, blank, [&](int column) { return cellText(item, column); });
    if (oldFont)
        dc->SelectObject(oldFont);
    if ((state & LVIS_FOCUSED) && focused)
        dc->DrawFocusRect(&row);
}
