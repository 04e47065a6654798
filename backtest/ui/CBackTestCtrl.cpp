#include "backtest/ui/CBackTestCtrl.h"

#include <vector>

void CBackTestCtrl::InsertTableColumn(int position, int index, int width)
{
    const auto table = GetBackTestColumns(m_nMode);
    if (index < 0 || index >= static_cast<int>(table.size()))
        return;
    const int format = table[static_cast<size_t>(index)].kind == EColumnKind::kText ? LVCFMT_LEFT : LVCFMT_RIGHT;
    InsertColumn(position, table[static_cast<size_t>(index)].title, format, width, index);
}

int CBackTestCtrl::GetColumnIndex(int column) const
{
    LVCOLUMN info;
    info.mask = LVCF_SUBITEM;
    return GetColumn(column, &info) ? info.iSubItem : -1;
}

int CBackTestCtrl::FindIndexColumn(int index) const
{
    for (int column = 0; column < GetColumnCount(); ++column)
        if (GetColumnIndex(column) == index)
            return column;
    return -1;
}

CBackTestLayout CBackTestCtrl::GetLayout() const
{
    std::vector<int> order(static_cast<size_t>(GetColumnCount()));
    if (!order.empty())
        GetColumnOrderArray(order.data(), static_cast<int>(order.size()));
    CBackTestLayout layout;
    for (int column : order)
        layout.emplace_back(GetColumnIndex(column), GetColumnWidth(column));
    return layout;
}

void CBackTestCtrl::DeleteAllColumns()
{
    while (GetColumnCount() > 0)
        DeleteColumn(0);
}

void CBackTestCtrl::SetSort(int column, bool ascending)
{
    SortState& sort = GetSort(m_nMode);
    if (column < 0 || column >= GetColumnCount()) {
        sort = SortState();
    } else {
        sort.column = column;
        sort.index = GetColumnIndex(column);
        sort.ascending = ascending;
    }
    ApplySort();
}

void CBackTestCtrl::ApplySort()
{
    SortState& sort = GetSort(m_nMode);
    if (sort.column >= GetColumnCount())
        sort = SortState();
    if (sort.column >= 0)
        sort.index = GetColumnIndex(sort.column);
    SetSortArrow(sort.column, sort.ascending);
    if (sort.column >= 0 && sort.index >= 0) {
        const int index = sort.index;
        const bool ascending = sort.ascending;
        if (m_nMode == kTradeMode)
            SortItems([index, ascending](DWORD_PTR a, DWORD_PTR b) {
                if (!a || !b)
                    return 0;
                const int c = CompareTradeRows(*reinterpret_cast<const BackTestEntry*>(a),
                                               *reinterpret_cast<const BackTestEntry*>(b), index);
                return ascending ? c : -c;
            });
        else
            SortItems([index, ascending](DWORD_PTR a, DWORD_PTR b) {
                return CompareSummaryRows(reinterpret_cast<const BackTestSummary*>(a),
                                          reinterpret_cast<const BackTestSummary*>(b), index, ascending);
            });
    }
    Invalidate();
}

void CBackTestCtrl::OnColumnClick(NMHDR* header, LRESULT* result)
{
    *result = 0;
    const int column = reinterpret_cast<const NMLISTVIEW*>(header)->iSubItem;
    const SortState& sort = GetSort(m_nMode);
    if (column != sort.column)
        SetSort(column, true);
    else if (sort.ascending)
        SetSort(column, false);
    else
        SetSort(-1, true);
}

void CBackTestCtrl::OnHeaderChanged(NMHDR*, LRESULT* result)
{
    *result = 0;
    ApplySort();
}

void CBackTestCtrl::OnChar(UINT ch, UINT repeat, UINT flags)
{
    if (ch > 0x20 && ch < 0x7F && m_typed)
        m_typed(static_cast<char>(ch));
    else
        CListCtrl::OnChar(ch, repeat, flags);
}

const CMessageMap& CBackTestCtrl::GetMessageMap() const
{
    static const CMessageMap map = MessageMapFor<CBackTestCtrl>(CListCtrl::GetMessageMap())
                                       .ReflectNotify(LVN_COLUMNCLICK, &CBackTestCtrl::OnColumnClick)
                                       .Notify(HDN_ENDTRACK, 0, &CBackTestCtrl::OnHeaderChanged)
                                       .Notify(HDN_ENDDRAG, 0, &CBackTestCtrl::OnHeaderChanged)
                                       .Build();
    return map;
}
