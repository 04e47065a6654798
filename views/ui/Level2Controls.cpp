#include "views/ui/Level2Controls.h"

#include "broker/session/CMarketDepthHandle.h"
#include "broker/session/CSymbolHandle.h"
#include "broker/session/QuoteFields.h"
#include "platform/ui/CDC.h"
#include "platform/ui/CFont.h"
#include "platform/ui/CWndMessage.h"
#include "views/ui/FieldPanelLook.h"
#include "views/ui/ListWindowIds.h"
#include "views/ui/ReadableColor.h"

#include <algorithm>

namespace {

constexpr int kSummaryBuffer = 30;

void HandChar(const TypedCharFn& typed, UINT ch)
{
    if (typed && ch >= 0x20 && ch <= 0x7E)
        typed(static_cast<char>(ch));
}

// Brings the list's item count to n without texts: items go from the top or come at the end.
void SetPlaceholderCount(CListCtrl& list, int n)
{
    int count = list.GetItemCount();
    if (n == 0) {
        if (count)
            list.DeleteAllItems();
        return;
    }
    while (count > n) {
        list.DeleteItem(0);
        --count;
    }
    while (count < n)
        list.InsertItem(count++, "");
}

} // namespace

// Book lists.

BOOL CBookSideList::CreateList(CWnd* parent, UINT id, TypedCharFn typed)
{
    m_typed = std::move(typed);
    if (!Create(WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDRAWFIXED | LVS_SINGLESEL | LVS_NOSORTHEADER,
                CRect(0, 0, 100, 100), parent, id))
        return FALSE;
    SetExtendedStyle(LVS_EX_FULLROWSELECT);
    return TRUE;
}

void CBookSideList::SetupColumns(bool timeMode)
{
    if (m_bColumnsMade && timeMode == m_bTimeMode)
        return;
    m_bTimeMode = timeMode;
    m_bColumnsMade = true;
    while (GetColumnCount() > 0)
        DeleteColumn(0);
    m_cells.Invalidate();
    m_columnTexts.clear();
    int at = 0;
    for (const CBookColumn& column : BookColumns(timeMode, m_nSide)) {
        InsertColumn(at++, column.title, LVCFMT_LEFT, column.width, column.text);
        m_columnTexts.push_back(column.text);
    }
    FitColumns();
    Invalidate();
}

void CBookSideList::Refresh(const std::array<COLORREF, 5>& levelColors)
{
    if (!m_pHandle)
        return;
    {
        const CDepthReadScope scope(*m_pHandle);
        ReadBookRows(*m_pHandle, m_nSide, m_bTimeMode, levelColors, m_rows);
    }
    const int count = GetItemCount();
    SetPlaceholderCount(*this, static_cast<int>(m_rows.size()));
    // The same number of rows: only they change, the header and the frame stay as they are.
    if (count == GetItemCount() && count > 0)
        RedrawItems(0, count - 1);
    else
        Invalidate();
}

void CBookSideList::SetLook(CFont* font, int rowHeight, int blankWidth, COLORREF textColor)
{
    m_pFont = font;
    m_nRowHeight = rowHeight;
    m_nBlankWidth = blankWidth;
    m_textColor = textColor;
    m_qfont = font ? font->ToQFont() : QFont();
    if (font && m_hWnd)
        SetFont(font, TRUE);
    FitColumns();
    Invalidate();
}

void CBookSideList::FitColumns()
{
    // Each column at least as wide as its title and its usual texts in this font.
    const QFontMetrics metrics(m_qfont);
    const std::vector<CBookColumn> columns = BookColumns(m_bTimeMode, m_nSide);
    for (int column = 0; column < GetColumnCount() && column < static_cast<int>(columns.size()); ++column) {
        const CBookColumn& c = columns[static_cast<size_t>(column)];
        const char* sample = c.text == kBookPrice ? "9999.99" : c.text == kBookSize ? "99,999" : c.text == kBookTime ? "00:00:00" : c.text == kBookParticipant ? "NSDQ" : "+";
        const int needed =
            std::max(metrics.horizontalAdvance(c.title), metrics.horizontalAdvance(sample)) + 4 * m_nBlankWidth + 2;
        SetColumnWidth(column, std::max(c.width, needed));
    }
    m_cells.Invalidate();
}

void CBookSideList::DrawItem(LPDRAWITEMSTRUCT draw)
{
    CDC* dc = CDC::FromHandle(draw->hDC);
    const int index = static_cast<int>(draw->itemID);
    QPainter* painter = dc ? dc->GetPainter() : nullptr;
    if (!painter || index < 0 || index >= static_cast<int>(m_rows.size()))
        return;
    const CBookRow& row = m_rows[static_cast<size_t>(index)];
    const CRect rowRect(draw->rcItem);
    const CRect part = PaintedPart(*dc, rowRect);
    painter->fillRect(ToQRect(part), ToQColor(row.color));
    painter->setFont(m_qfont);
    painter->setPen(ToQColor(m_textColor));
    m_cells.ForEachPainted(*this, part, rowRect, [&](int text, const CRect& cell) {
        if (text >= 0 && text < kBookTextCount)
            PaintCellText(*painter, row.texts[static_cast<size_t>(text)], cell, 2 * m_nBlankWidth);
    });
}

namespace {

int SubItemOf(const CListCtrl& list, int column)
{
    LVCOLUMN info{};
    info.mask = LVCF_SUBITEM;
    return list.GetColumn(column, &info) ? info.iSubItem : -1;
}

} // namespace

CString CBookSideList::GetShownText(int item, int column)
{
    const int text = SubItemOf(*this, column);
    if (item < 0 || item >= static_cast<int>(m_rows.size()) || text < 0 || text >= kBookTextCount)
        return CString();
    return m_rows[static_cast<size_t>(item)].texts[static_cast<size_t>(text)];
}

CString CMMLogList::GetShownText(int item, int column)
{
    if (item < 0 || static_cast<size_t>(item) >= m_log.Size())
        return CString();
    return MMLogColumnText(m_log.At(static_cast<size_t>(item)), SubItemOf(*this, column));
}

void CBookSideList::OnHeaderChanged(NMHDR*, LRESULT* result)
{
    *result = 0;
    m_cells.Invalidate();
}

const CMessageMap& CBookSideList::GetMessageMap() const
{
    static const CMessageMap map = MessageMapFor<CBookSideList>(CListCtrl::GetMessageMap())
                                       .Notify(HDN_ENDTRACK, 0, &CBookSideList::OnHeaderChanged)
                                       .Notify(HDN_ENDDRAG, 0, &CBookSideList::OnHeaderChanged)
                                       .Build();
    return map;
}

void CBookSideList::MeasureItem(LPMEASUREITEMSTRUCT measure)
{
    measure->itemHeight = static_cast<UINT>(m_nRowHeight);
}

void CBookSideList::OnChar(UINT ch, UINT repeat, UINT flags)
{
    if (ch >= 0x20 && ch <= 0x7E)
        HandChar(m_typed, ch);
    else
        CListCtrl::OnChar(ch, repeat, flags);
}

// Market-maker log.

BOOL CMMLogList::CreateList(CWnd* parent, UINT id, TypedCharFn typed)
{
    m_typed = std::move(typed);
    if (!Create(WS_CHILD | LVS_REPORT | LVS_OWNERDRAWFIXED | LVS_SINGLESEL | LVS_NOSORTHEADER, CRect(0, 0, 0, 0),
                parent, id))
        return FALSE;
    SetExtendedStyle(LVS_EX_FULLROWSELECT);
    int at = 0;
    for (const CMMLogColumn& column : kMMLogColumns) {
        InsertColumn(at, column.title, LVCFMT_LEFT, column.width, at);
        ++at;
    }
    return TRUE;
}

void CMMLogList::DeleteAllEntries()
{
    m_log.Clear();
    if (m_hWnd)
        DeleteAllItems();
}

void CMMLogList::SetLook(CFont* font, int rowHeight, int blankWidth)
{
    m_pFont = font;
    m_nRowHeight = rowHeight;
    m_nBlankWidth = blankWidth;
    m_qfont = font ? font->ToQFont() : QFont();
    if (font && m_hWnd)
        SetFont(font, TRUE);
    // Each column at least as wide as its title and its widest usual text in this font.
    static constexpr const char* kSamples[5] = {"NSDQ", "+99,999 x 99,999", "+999.99 x 999.99", "Ask Price Down",
                                                "00:00:00"};
    const QFontMetrics metrics(m_qfont);
    for (int column = 0; column < GetColumnCount() && column < 5; ++column) {
        const int needed = std::max(metrics.horizontalAdvance(kMMLogColumns[column].title),
                                    metrics.horizontalAdvance(kSamples[column])) +
                           4 * m_nBlankWidth + 2;
        SetColumnWidth(column, std::max(kMMLogColumns[column].width, needed));
    }
    m_cells.Invalidate();
    Invalidate();
}

void CMMLogList::OnHeaderChanged(NMHDR*, LRESULT* result)
{
    *result = 0;
    m_cells.Invalidate();
}

LRESULT CMMLogList::OnLogEntry(CWndMessage& message)
{
    auto payload = message.Take<std::unique_ptr<CMMLogEntry>>();
    if (!payload || !payload->value)
        return 0;
    m_log.Add(std::move(payload->value));
    InsertItem(0, "");
    while (GetItemCount() > static_cast<int>(m_log.Size()))
        DeleteItem(GetItemCount() - 1);
    Invalidate();
    return 0;
}

void CMMLogList::DrawItem(LPDRAWITEMSTRUCT draw)
{
    CDC* dc = CDC::FromHandle(draw->hDC);
    const size_t index = static_cast<size_t>(draw->itemID);
    if (!dc || static_cast<int>(draw->itemID) < 0 || index >= m_log.Size())
        return;
    QPainter* painter = dc->GetPainter();
    if (!painter)
        return;
    const CMMLogEntry& entry = m_log.At(index);
    const CRect rowRect(draw->rcItem);
    painter->setFont(m_qfont);
    painter->setPen(ToQColor(Legible(MMLogTextColor(entry), GetBkColor())));
    m_cells.ForEachPainted(*this, PaintedPart(*dc, rowRect), rowRect, [&](int column, const CRect& cell) {
        PaintCellText(*painter, MMLogColumnText(entry, column), cell, 2 * m_nBlankWidth);
    });
}

void CMMLogList::MeasureItem(LPMEASUREITEMSTRUCT measure)
{
    measure->itemHeight = static_cast<UINT>(m_nRowHeight);
}

void CMMLogList::OnChar(UINT ch, UINT repeat, UINT flags)
{
    if (ch >= 0x20 && ch <= 0x7E)
        HandChar(m_typed, ch);
    else
        CListCtrl::OnChar(ch, repeat, flags);
}

const CMessageMap& CMMLogList::GetMessageMap() const
{
    static const CMessageMap map = MessageMapFor<CMMLogList>(CListCtrl::GetMessageMap())
                                       .Message(WM_DEPTH_UPDATE, &CMMLogList::OnLogEntry)
                                       .Notify(HDN_ENDTRACK, 0, &CMMLogList::OnHeaderChanged)
                                       .Notify(HDN_ENDDRAG, 0, &CMMLogList::OnHeaderChanged)
                                       .Build();
    return map;
}

// Panels.

BOOL CLevel2Panel::CreatePanel(CWnd* parent, UINT id, TypedCharFn typed)
{
    m_typed = std::move(typed);
    return Create(nullptr, "", WS_CHILD | WS_VISIBLE, CRect(0, 0, 10, 10), parent, id);
}

void CLevel2Panel::OnChar(UINT ch, UINT repeat, UINT flags)
{
    if (ch >= 0x20 && ch <= 0x7E)
        HandChar(m_typed, ch);
    else
        CWnd::OnChar(ch, repeat, flags);
}

void CLevel2Panel::OnLButtonDown(UINT flags, CPoint point)
{
    SetFocus(); // so that typing reaches the window
    CWnd::OnLButtonDown(flags, point);
}

void CDepthBarPanel::OnPaint()
{
    CPaintDC dc(this);
    CRect client;
    GetClientRect(&client);
    dc.FillSolidRect(&client, SharedFieldPanelLook().face);
    m_blocks.clear();
    if (!m_pHandle)
        return;
    CDepthGroups groups;
    {
        const CDepthReadScope scope(*m_pHandle);
        groups = GroupDepth(*m_pHandle);
    }
    m_blocks = LayOutDepthBar(groups, client.Width());
    for (const CDepthBlock& block : m_blocks) {
        const COLORREF color = block.colorIndex < 0 ? RGB(0, 0, 0) : m_colors[static_cast<size_t>(block.colorIndex)];
        dc.FillSolidRect(client.left + block.left, client.top, block.width, client.Height(), color);
    }
}

CLevel2SummaryPanel::CLevel2SummaryPanel()
{
    for (size_t i = 0; i < m_cells.size(); ++i)
        m_cells[i] = MakeSnapshotField(kSummaryFields[i]);
}

void CLevel2SummaryPanel::SetSymbolHandle(CSymbolHandle* handle)
{
    m_pHandle = handle;
    for (size_t i = 0; i < m_cells.size(); ++i)
        m_cells[i] = MakeSnapshotField(kSummaryFields[i]);
    Invalidate();
}

void CLevel2SummaryPanel::SetLook(CFont* font, COLORREF textColor)
{
    m_pFont = font;
    m_textColor = textColor;
    Invalidate();
}

void CLevel2SummaryPanel::UpdateCells()
{
    if (!m_pHandle)
        return;
    m_pHandle->Snapshot();
    for (CSnapshotField& cell : m_cells) {
        char buffer[kSummaryBuffer];
        std::optional<CString> text;
        if (m_pHandle->FormatField(cell.fieldId, buffer, sizeof buffer))
            text = CString(buffer);
        double value = 0;
        std::optional<double> read;
        if (m_pHandle->GetField(cell.fieldId, value))
            read = value;
        UpdateSummaryCell(cell, read, text);
    }
    m_pHandle->Attach();
}

void CLevel2SummaryPanel::OnPaint()
{
    CPaintDC dc(this);
    const CFieldPanelLook& look = SharedFieldPanelLook();
    CRect client;
    GetClientRect(&client);
    dc.FillSolidRect(&client, look.face);
    UpdateCells();
    CFont* old = m_pFont ? dc.SelectObject(m_pFont) : nullptr;
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(m_textColor);
    int x = client.left;
    for (const CSnapshotField& cell : m_cells) {
        const CString label = SnapshotLabel(cell.fieldId, false);
        const int labelWidth = static_cast<int>(dc.GetTextExtent(label).cx) + 2;
        CRect box(x, client.top, x + labelWidth, client.bottom);
        dc.FillSolidRect(&box, look.LabelBox());
        dc.TextOut(x + 2, client.top, label);
        x += labelWidth;
        const int valueWidth = static_cast<int>(dc.GetTextExtent(cell.valueText).cx) + 6;
        box = CRect(x, client.top, x + valueWidth, client.bottom);
        const COLORREF fill = cell.tickDirection == kTickUp     ? look.up
                              : cell.tickDirection == kTickDown ? look.down
                                                                : look.face;
        dc.FillSolidRect(&box, fill);
        dc.TextOut(x + 2, client.top, cell.valueText);
        x += valueWidth;
    }
    if (old)
        dc.SelectObject(old);
}
