#include "views/ui/CTimeSalesList.h"

#include "analytics/series/CPriceSeries.h"
#include "platform/ui/CDC.h"
#include "platform/ui/CFont.h"
#include "views/ui/ReadableColor.h"

BOOL CTimeSalesList::CreateList(CWnd* parent, UINT id, TypedCharFn typed)
{
    m_typed = std::move(typed);
    if (!Create(WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDRAWFIXED | LVS_SINGLESEL | LVS_NOSORTHEADER,
                CRect(0, 0, 100, 100), parent, id))
        return FALSE;
    SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP);
    return TRUE;
}

void CTimeSalesList::SetMode(bool tickMode)
{
    m_bTickMode = tickMode;
    m_shown.fill(false);
}

void CTimeSalesList::SetSeries(CPriceSeries* series, const CString& key)
{
    m_pSeries = series;
    m_key = key;
    SeriesChanged();
}

void CTimeSalesList::SeriesChanged()
{
    m_bCachedValid = false;
    m_nCachedItem = -1;
    Invalidate();
}

void CTimeSalesList::DeleteAllRows()
{
    if (m_hWnd)
        DeleteAllItems();
    m_bCachedValid = false;
    m_nCachedItem = -1;
}

void CTimeSalesList::FillItems()
{
    for (int i = GetItemCount(); i < kItems; ++i)
        InsertItem(i, "");
}

void CTimeSalesList::ApplyLayout(const std::vector<CListColumn>& columns)
{
    while (GetColumnCount() > 0)
        DeleteColumn(0);
    m_cells.Invalidate();
    m_shown.fill(false);
    int at = 0;
    for (const CListColumn& column : columns) {
        if (column.kind < 0 || column.kind >= KindCount(m_bTickMode) || m_shown[static_cast<size_t>(column.kind)])
            continue;
        InsertColumn(at++, ListColumnTitle(m_bTickMode, column.kind), LVCFMT_LEFT, column.width, column.kind);
        m_shown[static_cast<size_t>(column.kind)] = true;
    }
    Invalidate();
}

std::vector<CListColumn> CTimeSalesList::GetLayout() const
{
    std::vector<CListColumn> columns;
    const int count = GetColumnCount();
    std::vector<int> order(static_cast<size_t>(count));
    if (count > 0)
        GetColumnOrderArray(order.data(), count);
    for (int column : order) {
        LVCOLUMN info{};
        info.mask = LVCF_SUBITEM;
        GetColumn(column, &info);
        columns.push_back({info.iSubItem, GetColumnWidth(column)});
    }
    return columns;
}

bool CTimeSalesList::IsColumnShown(int kind) const
{
    return kind >= 0 && kind < kTickKindCount && m_shown[static_cast<size_t>(kind)];
}

void CTimeSalesList::ToggleColumn(int kind)
{
    if (kind < 0 || kind >= KindCount(m_bTickMode))
        return;
    if (!m_shown[static_cast<size_t>(kind)]) {
        InsertColumn(GetColumnCount(), ListColumnTitle(m_bTickMode, kind), LVCFMT_LEFT, kListColumnWidth, kind);
        m_shown[static_cast<size_t>(kind)] = true;
    } else {
        for (int column = 0; column < GetColumnCount(); ++column) {
            LVCOLUMN info{};
            info.mask = LVCF_SUBITEM;
            GetColumn(column, &info);
            if (info.iSubItem == kind) {
                DeleteColumn(column);
                break;
            }
        }
        m_shown[static_cast<size_t>(kind)] = false;
    }
    m_cells.Invalidate();
    Invalidate();
}

void CTimeSalesList::SetLook(CFont* font, CFont* struckFont, int rowHeight, int blankWidth, COLORREF textColor)
{
    m_font = font ? font->ToQFont() : QFont();
    m_struckFont = struckFont ? struckFont->ToQFont() : m_font;
    m_struckFont.setStrikeOut(true);
    m_nRowHeight = rowHeight;
    m_nBlankWidth = blankWidth;
    m_textColor = textColor;
    if (font && m_hWnd)
        SetFont(font, TRUE);
    Invalidate();
}

void CTimeSalesList::SetColors(const std::array<COLORREF, 11>& colors)
{
    m_colors = colors;
    if (m_hWnd)
        SetBkColor(colors[0]);
    Invalidate();
}

void CTimeSalesList::SetGridLines(bool on)
{
    const DWORD style = GetExtendedStyle();
    SetExtendedStyle(on ? style | LVS_EX_GRIDLINES : style & ~LVS_EX_GRIDLINES);
}

bool CTimeSalesList::IndexOfItem(int item, int& index) const
{
    if (!m_pSeries || item < 0)
        return false;
    int first = 0, last = 0;
    if (m_pSeries->GetVisibleRange(first, last) <= 0 || item > last - first)
        return false;
    index = last - item;
    return true;
}

bool CTimeSalesList::RowOfItem(int item, CListRow& row)
{
    int index = 0;
    if (!IndexOfItem(item, index))
        return false;
    return m_bTickMode ? BuildTickRow(*m_pSeries, index, row) : BuildBarRow(*m_pSeries, index, row);
}

CString CTimeSalesList::GetShownText(int item, int column)
{
    LVCOLUMN info{};
    info.mask = LVCF_SUBITEM;
    CListRow row;
    if (!GetColumn(column, &info) || info.iSubItem < 0 || info.iSubItem >= kTickKindCount || !RowOfItem(item, row) ||
        (m_bTickMode && row.texts[6].IsEmpty()))
        return CString();
    return row.texts[static_cast<size_t>(info.iSubItem)];
}

void CTimeSalesList::DrawItem(LPDRAWITEMSTRUCT draw)
{
    CDC* dc = CDC::FromHandle(draw->hDC);
    const int item = static_cast<int>(draw->itemID);
    QPainter* painter = dc ? dc->GetPainter() : nullptr;
    if (!painter || item < 0 || !m_pSeries)
        return;
    if (!m_bCachedValid || m_nCachedItem != item) {
        m_nCachedItem = item;
        m_bCachedValid = RowOfItem(item, m_cached);
    }
    if (!m_bCachedValid)
        return;
    const CListRow& row = m_cached;
    const CRect rowRect(draw->rcItem);
    const CRect part = PaintedPart(*dc, rowRect);
    COLORREF text = m_textColor;
    bool struck = false;
    if (m_bTickMode) {
        const COLORREF background = m_colors[static_cast<size_t>(TickBackgroundIndex(row.flags))];
        painter->fillRect(ToQRect(part), ToQColor(background));
        if (row.texts[6].IsEmpty()) // no trade, bid or ask here
            return;
        const int textIndex = TickTextIndex(row.flags);
        if (textIndex >= 0)
            text = m_colors[static_cast<size_t>(textIndex)];
        text = Readable(text, background);
        struck = TickStruckOut(row.flags);
    }
    painter->setFont(struck ? m_struckFont : m_font);
    painter->setPen(ToQColor(text));
    m_cells.ForEachPainted(*this, part, rowRect, [&](int kind, const CRect& cell) {
        if (kind >= 0 && kind < kTickKindCount)
            PaintCellText(*painter, row.texts[static_cast<size_t>(kind)], cell, 2 * m_nBlankWidth, true);
    });
}

void CTimeSalesList::OnHeaderChanged(NMHDR*, LRESULT* result)
{
    *result = 0;
    m_cells.Invalidate();
}

const CMessageMap& CTimeSalesList::GetMessageMap() const
{
    static const CMessageMap map = MessageMapFor<CTimeSalesList>(CListCtrl::GetMessageMap())
                                       .Notify(HDN_ENDTRACK, 0, &CTimeSalesList::OnHeaderChanged)
                                       .Notify(HDN_ENDDRAG, 0, &CTimeSalesList::OnHeaderChanged)
                                       .Build();
    return map;
}

void CTimeSalesList::MeasureItem(LPMEASUREITEMSTRUCT measure)
{
    measure->itemHeight = static_cast<UINT>(m_nRowHeight);
}

void CTimeSalesList::OnChar(UINT ch, UINT repeat, UINT flags)
{
    if (ch >= 0x20 && ch <= 0x7E && m_typed)
        m_typed(static_cast<char>(ch));
    else
        CListCtrl::OnChar(ch, repeat, flags);
}
