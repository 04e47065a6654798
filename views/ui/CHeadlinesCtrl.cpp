#include "views/ui/CHeadlinesCtrl.h"

#include "platform/ui/CDC.h"
#include "common/windows/ListRowCells.h"
#include "platform/ui/CHeaderCtrl.h"
#include "views/NewsColumns.h"

#include <algorithm>
#include <cstdlib>

CHeadlinesCtrl::CHeadlinesCtrl() : CReportListCtrl(NewsColumns()) {}

CHeadlinesCtrl::~CHeadlinesCtrl() = default;

BOOL CHeadlinesCtrl::CreateList(CWnd* parent, UINT id, TypedCharFn typed)
{
    m_typed = std::move(typed);
    if (!Create(WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDRAWFIXED | LVS_SHOWSELALWAYS | LVS_SINGLESEL,
                CRect(0, 0, 100, 100), parent, id))
        return FALSE;
    SetExtendedStyle(GetExtendedStyle() | LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES | LVS_EX_HEADERDRAGDROP);
    MakeFonts();
    return TRUE;
}

void CHeadlinesCtrl::OnChar(UINT ch, UINT repeat, UINT flags)
{
    if (ch > 0x20 && ch < 0x7F && m_typed)
        m_typed(static_cast<char>(ch));
    else
        CReportListCtrl::OnChar(ch, repeat, flags);
}

void CHeadlinesCtrl::MakeFonts()
{
    const int height = -std::abs(m_fontInfo.height);
    m_normal.DeleteObject();
    m_bold.DeleteObject();
    m_normal.CreateFont(height, 0, 0, 0, 400, m_fontInfo.italic ? 1 : 0, 0, m_fontInfo.strikeOut ? 1 : 0, 0, 0, 0, 0, 0,
                        m_fontInfo.face);
    m_bold.CreateFont(height, 0, 0, 0, 700, m_fontInfo.italic ? 1 : 0, 0, m_fontInfo.strikeOut ? 1 : 0, 0, 0, 0, 0, 0,
                      m_fontInfo.face);
    if (!m_hWnd)
        return;
    CClientDC dc(this);
    CFont* old = dc.SelectObject(&m_bold);
    TEXTMETRIC tm{};
    dc.GetTextMetrics(&tm);
    dc.SelectObject(old);
    m_nItemHeight = std::max(static_cast<int>(tm.tmHeight + tm.tmExternalLeading + 1), 8);
    SetFont(&m_normal, TRUE);
    Invalidate();
}

void CHeadlinesCtrl::SetListFont(const CFontInfo& font, COLORREF textColor)
{
    m_fontInfo = font;
    m_textColor = textColor;
    MakeFonts();
}

void CHeadlinesCtrl::SetBackground(COLORREF color)
{
    m_background = color;
    if (m_hWnd)
        SetBkColor(color);
    Invalidate();
}

void CHeadlinesCtrl::SetNewsColors(const std::array<COLORREF, 4>& colors)
{
    m_colors = colors;
    Invalidate();
}

const CNewsHeadline* CHeadlinesCtrl::GetHeadline(int item) const
{
    return item >= 0 && item < GetItemCount() ? reinterpret_cast<const CNewsHeadline*>(GetItemData(item)) : nullptr;
}

CNewsHeadline* CHeadlinesCtrl::GetHeadline(int item)
{
    return item >= 0 && item < GetItemCount() ? reinterpret_cast<CNewsHeadline*>(GetItemData(item)) : nullptr;
}

int CHeadlinesCtrl::FindStory(const CString& storyId) const
{
    const CNewsHeadline* record = m_rows.Find(storyId);
    if (!record)
        return -1;
    LVFINDINFO find{};
    find.flags = LVFI_PARAM;
    find.lParam = reinterpret_cast<LPARAM>(record);
    return FindItem(&find);
}

CString CHeadlinesCtrl::GetCellText(int item, int column) const
{
    const CNewsHeadline* record = GetHeadline(item);
    return record ? NewsCellText(*record, GetColumnField(column)) : CString();
}

std::vector<CString> CHeadlinesCtrl::MergeHeadlines(const std::vector<CNewsHeadline>& headlines)
{
    CHeadlineRows::CMerge merge = m_rows.Merge(headlines);
    LVFINDINFO find{};
    find.flags = LVFI_PARAM;
    for (const auto& removed : merge.removed) {
        find.lParam = reinterpret_cast<LPARAM>(removed.get());
        const int item = FindItem(&find);
        if (item >= 0)
            DeleteItem(item);
    }
    for (CNewsHeadline* record : merge.updated) {
        find.lParam = reinterpret_cast<LPARAM>(record);
        const int item = FindItem(&find);
        if (item >= 0)
            FillItemTexts(item);
    }
    for (CNewsHeadline* record : merge.inserted) {
        const int item = InsertItem(LVIF_PARAM, 0, nullptr, 0, 0, -1, reinterpret_cast<LPARAM>(record));
        if (item >= 0)
            FillItemTexts(item);
    }
    if (!merge.inserted.empty() || !merge.updated.empty() || !merge.removed.empty())
        Resort();
    return std::move(merge.alertSymbols);
}

void CHeadlinesCtrl::RemoveAllHeadlines()
{
    DeleteAllItems();
    m_rows.Clear();
}

CNewsLayout CHeadlinesCtrl::GetNewsLayout() const
{
    CNewsLayout layout;
    layout.columns = GetLayout();
    layout.sortPosition = GetSortDisplayPosition();
    layout.sortDirection = IsSortAscending() ? 1 : -1;
    return layout;
}

void CHeadlinesCtrl::ApplyNewsLayout(const CNewsLayout& layout)
{
    ApplyLayout(layout.columns);
    if (layout.sortPosition >= 0 && layout.sortPosition < static_cast<int>(layout.columns.size()))
        SetSort(FindFieldColumn(layout.columns[static_cast<size_t>(layout.sortPosition)].field), layout.sortDirection >= 0);
    Invalidate();
}

CString CHeadlinesCtrl::GetFieldText(DWORD_PTR data, int field) const
{
    return NewsCellText(*reinterpret_cast<const CNewsHeadline*>(data), field);
}

int CHeadlinesCtrl::CompareRecords(DWORD_PTR first, DWORD_PTR second, int field) const
{
    return CompareNewsCells(*reinterpret_cast<const CNewsHeadline*>(first),
                            *reinterpret_cast<const CNewsHeadline*>(second), field);
}

void CHeadlinesCtrl::MeasureItem(LPMEASUREITEMSTRUCT measure)
{
    measure->itemHeight = static_cast<UINT>(m_nItemHeight);
}

void CHeadlinesCtrl::DrawItem(LPDRAWITEMSTRUCT draw)
{
    CDC* dc = CDC::FromHandle(draw->hDC);
    const auto* record = reinterpret_cast<const CNewsHeadline*>(draw->itemData);
    if (!dc || !record)
        return;
    const int item = static_cast<int>(draw->itemID);
    const UINT state = GetItemState(item, LVIS_SELECTED | LVIS_FOCUSED);
    const bool focused = GetFocus() == this;
    const bool selected = (state & LVIS_SELECTED) != 0;
    const CRect row(draw->rcItem);
    dc->FillSolidRect(&row, selected ? m_colors[1] : m_background);
    dc->SetBkMode(TRANSPARENT);
    dc->SetTextColor(selected ? m_colors[2] : IsHotNews(*record) ? m_colors[3] : m_textColor);
    CFont* old = dc->SelectObject(record->read ? &m_normal : &m_bold);
    const int blank = std::max(static_cast<int>(dc->GetTextExtent(" ").cx), 1);
    DrawListRowCells(*this, *dc, row, blank,
                     [&](int column) { return NewsCellText(*record, GetColumnField(column)); });
    dc->SelectObject(old);
    if ((state & LVIS_FOCUSED) && focused)
        dc->DrawFocusRect(&row);
}
