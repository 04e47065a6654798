#include "common/windows/CColumnListCtrl.h"

#include <cerrno>
#include <cstdlib>

namespace {

bool AsNumber(const CString& text, double& value)
{
    CString t = text;
    t.Remove(',');
    t.Trim();
    if (t.IsEmpty())
        return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtod(t, &end);
    return errno == 0 && end && *end == '\0';
}

}  // namespace

void CColumnListCtrl::GetColumnOrder(std::vector<int>& order) const
{
    const int count = GetColumnCount();
    order.assign(static_cast<size_t>(count), 0);
    if (count > 0)
        GetColumnOrderArray(order.data(), count);
}

int CColumnListCtrl::CompareRows(int first, int second, int column) const
{
    const CString a = GetItemText(first, column);
    const CString b = GetItemText(second, column);
    double x = 0;
    double y = 0;
    if (AsNumber(a, x) && AsNumber(b, y))
        return x < y ? -1 : (x > y ? 1 : 0);
    return a.CompareNoCase(b);
}

void CColumnListCtrl::SortByColumn(int column, bool ascending)
{
    if (column < 0 || column >= GetColumnCount())
        return;
    m_nSortColumn = column;
    m_bAscending = ascending;
    SetSortArrow(column, ascending);
    Refresh();
}

void CColumnListCtrl::Refresh()
{
    if (m_nSortColumn >= 0 && m_nSortColumn < GetColumnCount()) {
        SortItemsEx(
            [](LPARAM a, LPARAM b, LPARAM self) -> int {
                auto* list = reinterpret_cast<CColumnListCtrl*>(self);
                const int r = list->CompareRows(static_cast<int>(a), static_cast<int>(b), list->m_nSortColumn);
                return list->m_bAscending ? r : -r;
            },
            reinterpret_cast<DWORD_PTR>(this));
    }
    Invalidate();
}

void CColumnListCtrl::OnColumnClick(NMHDR* header, LRESULT* result)
{
    const auto* info = reinterpret_cast<const NMLISTVIEW*>(header);
    const int column = info->iSubItem;
    SortByColumn(column, column == m_nSortColumn ? !m_bAscending : true);
    *result = 0;
}

const CMessageMap& CColumnListCtrl::GetMessageMap() const
{
    static const CMessageMap map = MessageMapFor<CColumnListCtrl>(CListCtrl::GetMessageMap())
                                       .ReflectNotify(LVN_COLUMNCLICK, &CColumnListCtrl::OnColumnClick)
                                       .Build();
    return map;
}
