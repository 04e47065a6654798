#include "views/ui/CTimeSalesList.h"

#include "analytics/series/CPriceSeries.h"
#include "platform/ui/CDC.h"
#include "platform/ui/CFont.h"
#include "platform/ui/CMessageQueue.h"
#include "views/ui/ReadableColor.h"

#include <QAbstractScrollArea>
#include <QScrollBar>
#include <QTreeView>

#include <algorithm>
#include <cstdlib>
#include <mutex>

BOOL CTimeSalesList::CreateList(CWnd* parent, UINT id, TypedCharFn typed)
{
    m_typed = std::move(typed);
    if (!Create(WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDRAWFIXED | LVS_SINGLESEL | LVS_NOSORTHEADER,
                CRect(0, 0, 100, 100), parent, id))
        return FALSE;
    SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP);
    // The scroll bar's arrows at either end scroll a line as the keys and the wheel do.
    // Posted to the window's handle: dropped when the list is gone by then.
    if (auto* area = qobject_cast<QAbstractScrollArea*>(GetWidget())) {
        QScrollBar* bar = area->verticalScrollBar();
        const HWND self = m_hWnd;
        QObject::connect(bar, &QAbstractSlider::actionTriggered, area, [self, bar](int action) {
            const bool down = action == QAbstractSlider::SliderSingleStepAdd && bar->value() >= bar->maximum();
            const bool up = action == QAbstractSlider::SliderSingleStepSub && bar->value() <= bar->minimum();
            if (down || up)
                ::PostMessage(self, WM_VSCROLL, down ? SB_LINEDOWN : SB_LINEUP);
        });
        // However the rows were scrolled (keys, wheel, arrows, thumb).
        QObject::connect(bar, &QAbstractSlider::valueChanged, area, [self](int) {
            if (auto* list = dynamic_cast<CTimeSalesList*>(CWnd::FromHandle(self)))
                list->KeepOldestWhileScrolledBack();
        });
    }
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
    m_nLiveAppends = series ? series->GetLiveAppends() : 0;
    if (series)
        ShowTopRow();
    KeepOldestWhileScrolledBack();
    SeriesChanged();
}

void CTimeSalesList::SeriesChanged()
{
    m_bCachedValid = false;
    m_nCachedItem = -1;
    const int appends = m_pSeries ? m_pSeries->GetLiveAppends() : 0;
    const int shift = appends - m_nLiveAppends;
    m_nLiveAppends = appends;
    if (m_hWnd) {
        // Rows dropped between the kept ones and the newest: followed before the items past
        // the records go.
        if (shift < 0)
            FollowShiftedRows(shift);
        FillItems();
        if (shift > 0)
            FollowShiftedRows(shift);
    }
    Invalidate();
}

bool CTimeSalesList::IsScrolledBack() const
{
    const auto* area = qobject_cast<const QAbstractScrollArea*>(GetWidget());
    return area && area->verticalScrollBar()->value() > area->verticalScrollBar()->minimum();
}

void CTimeSalesList::KeepOldestWhileScrolledBack()
{
    if (!m_pSeries)
        return;
    // The top row's record read and kept in one go: no trade moves it in between.
    const std::lock_guard<CPriceSeries> lock(*m_pSeries);
    int index = 0;
    if (!IsScrolledBack())
        m_pSeries->StopKeeping();
    else if (IndexOfItem(GetTopIndex(), index))
        m_pSeries->KeepThrough(index);
}

void CTimeSalesList::ShowTopRow()
{
    auto* tree = qobject_cast<QTreeView*>(GetWidget());
    if (!tree)
        return;
    tree->verticalScrollBar()->setValue(tree->verticalScrollBar()->minimum());
    // The rows stand for other records now.
    const int focused = GetNextItem(-1, LVNI_FOCUSED);
    SetItemState(-1, 0, LVIS_SELECTED);
    if (focused > 0)
        SetItemState(0, LVIS_FOCUSED, LVIS_FOCUSED);
}

void CTimeSalesList::FollowShiftedRows(int shift)
{
    auto* tree = qobject_cast<QTreeView*>(GetWidget());
    if (!tree || !IsScrolledBack())
        return;
    const int top = GetTopIndex();
    const int focused = GetNextItem(-1, LVNI_FOCUSED);
    const int selected = GetNextItem(-1, LVNI_SELECTED);
    const int count = GetItemCount();
    const auto inside = [&](int item) { return item >= 0 && item < count; };
    if (inside(top + shift))
        tree->scrollTo(tree->model()->index(top + shift, 0), QAbstractItemView::PositionAtTop);
    // Moved without scrolling to them: the view stays on the rows it showed.
    const bool autoScroll = tree->hasAutoScroll();
    tree->setAutoScroll(false);
    if (selected >= 0 && inside(selected + shift))
        SetItemState(selected + shift, LVIS_SELECTED, LVIS_SELECTED);
    if (focused >= 0 && inside(focused + shift))
        SetItemState(focused + shift, LVIS_FOCUSED, LVIS_FOCUSED);
    tree->setAutoScroll(autoScroll);
}

void CTimeSalesList::DeleteAllRows()
{
    if (m_hWnd)
        DeleteAllItems();
    m_bCachedValid = false;
    m_nCachedItem = -1;
}

int CTimeSalesList::WantedItems() const
{
    if (!m_pSeries)
        return kItems;
    const std::lock_guard<CPriceSeries> lock(*m_pSeries);
    return std::max(kItems, m_pSeries->GetRecordCount());
}

void CTimeSalesList::FillItems()
{
    const int wanted = WantedItems();
    for (int i = GetItemCount(); i < wanted; ++i)
        InsertItem(i, "");
    // A series laid out anew holds fewer records than were scrolled to.
    for (int i = GetItemCount(); i > wanted; --i)
        DeleteItem(i - 1);
}

bool CTimeSalesList::ExtendSeries(int n)
{
    if (!m_pSeries || m_pSeries->ExtendBars(n, 1) == 0)
        return false;
    m_bCachedValid = false;
    m_nCachedItem = -1;
    FillItems();
    Invalidate();
    return true;
}

void CTimeSalesList::OnVScroll(UINT code, UINT pos, CWnd* bar)
{
    switch (code) {
    case SB_LINEUP:
        if (GetTopIndex() == 0)
            ExtendSeries(1);
        Scroll(CSize(0, -m_nRowHeight));
        break;
    case SB_LINEDOWN: {
        const int top = GetTopIndex();
        Scroll(CSize(0, m_nRowHeight));
        // At the end: the older record comes in below and into view.
        if (GetTopIndex() == top && ExtendSeries(-1))
            EnsureVisible(GetItemCount() - 1, FALSE);
        break;
    }
    default: CListCtrl::OnVScroll(code, pos, bar); break;
    }
}

void CTimeSalesList::OnKeyDown(UINT key, UINT repeat, UINT flags)
{
    // The arrow keys move the focus; past the last item or above the first they scroll a
    // line, which brings the record there, and the focus moves onto it.
    const int focused = GetNextItem(-1, LVNI_FOCUSED);
    if (key == VK_DOWN && focused >= 0 && focused == GetItemCount() - 1)
        OnVScroll(SB_LINEDOWN, 0, nullptr);
    else if (key == VK_UP && focused == 0 && GetTopIndex() == 0)
        OnVScroll(SB_LINEUP, 0, nullptr);
    CListCtrl::OnKeyDown(key, repeat, flags);
}

BOOL CTimeSalesList::OnMouseWheel(UINT, short delta, CPoint)
{
    m_nWheelDelta += delta;
    const int lines = m_nWheelDelta / WHEEL_DELTA * kWheelLines;
    m_nWheelDelta %= WHEEL_DELTA;
    for (int i = 0; i < std::abs(lines) && m_hWnd; ++i)
        OnVScroll(lines > 0 ? SB_LINEUP : SB_LINEDOWN, 0, nullptr);
    return TRUE;
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
    const std::lock_guard<CPriceSeries> lock(*m_pSeries);
    int first = 0, last = 0;
    // Records added in front of the window lie below it, at negative indexes.
    if (m_pSeries->GetVisibleRange(first, last) <= 0 || item >= std::max(last - first + 1, m_pSeries->GetRecordCount()))
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
