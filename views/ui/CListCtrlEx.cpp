#include "views/ui/CListCtrlEx.h"

#include "broker/session/CActivesHandle.h"
#include "broker/session/CSessionManager.h"
#include "broker/session/CSymbolHandle.h"
#include "broker/session/QuoteFields.h"
#include "common/services/CAppSettings.h"
#include "common/services/CLinkState.h"
#include "common/services/TextHelpers.h"
#include "common/windows/CEnterTitleDlg.h"
#include "common/windows/CSymbolsDlg.h"
#include "common/windows/ColumnFit.h"
#include "common/windows/IWorkstationFrame.h"
#include "common/windows/ShellIds.h"
#include "common/windows/SymbolEntryDialog.h"
#include "platform/ui/CDC.h"
#include "platform/ui/CHeaderCtrl.h"
#include "platform/ui/CMenu.h"
#include "platform/ui/CView.h"
#include "platform/ui/CWndMessage.h"
#include "platform/ui/ShellServices.h"
#include "trading/COrderRecord.h"
#include "trading/ui/COrderPropertySheet.h"
#include "views/CCustomColumn.h"
#include "views/ui/ColumnPages.h"
#include "views/ui/FormulaWizard.h"
#include "views/ui/Level1Ids.h"
#include "views/ui/Level1Menus.h"
#include "views/ui/ReadableColor.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <set>

namespace {

constexpr COLORREF kUpGreen = RGB(0, 175, 0);
constexpr COLORREF kDownRed = RGB(255, 0, 0);

UINT AlignmentFormat(int alignment)
{
    switch (alignment) {
    case kAlignCenter: return DT_CENTER;
    case kAlignRight: return DT_RIGHT;
    default: return DT_LEFT;
    }
}

// The header's title sits like the column's cells.
int HeaderFormat(int alignment)
{
    switch (alignment) {
    case kAlignCenter: return LVCFMT_CENTER;
    case kAlignRight: return LVCFMT_RIGHT;
    default: return LVCFMT_LEFT;
    }
}

CString WithoutExchange(const CString& symbol)
{
    const int colon = symbol.Find(':');
    return colon >= 0 ? symbol.Mid(colon + 1) : symbol;
}

std::array<COLORREF, 8> DefaultColors()
{
    return {RGB(255, 255, 255), RGB(240, 244, 250), RGB(0, 0, 0),     RGB(236, 236, 236),
            RGB(176, 236, 176), RGB(250, 180, 180), RGB(32, 64, 128), RGB(255, 255, 255)};
}

} // namespace

CListCtrlEx::CListCtrlEx() : m_colors(DefaultColors()) {}

CListCtrlEx::~CListCtrlEx()
{
    if (m_hWnd)
        DestroyWindow();
}

BOOL CListCtrlEx::CreateGrid(CWnd* parent, UINT id, IQuoteGridOwner* owner)
{
    m_pOwner = owner;
    if (CSessionManager* session = CSessionManager::Instance())
        m_model.SetQuoteStore(&session->GetQuoteStore());
    if (!Create(WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDRAWFIXED | LVS_SHOWSELALWAYS | LVS_SINGLESEL |
                    LVS_EDITLABELS,
                CRect(0, 0, 100, 100), parent, id))
        return FALSE;
    SetExtendedStyle(LVS_EX_HEADERDRAGDROP | LVS_EX_FULLROWSELECT);
    if (const CAppSettings* settings = CAppSettings::Instance()) {
        SetGridFont(settings->m_quoteFont, settings->m_quoteTextColor);
        SetGridColors(settings->m_quoteColors, settings->m_nStripeInterval);
    }
    return TRUE;
}

void CListCtrlEx::OnDestroy()
{
    StopRefresh();
    CListCtrl::OnDestroy(); // deletes the rows
    m_model.DestroyAllRows();
}

// Columns.

int CListCtrlEx::InsertGridColumn(int position, int width, const CGridColumn& column)
{
    const int model = m_model.AddColumn(column);
    const int at = position < 0 ? GetColumnCount() : std::min(position, GetColumnCount());
    const int inserted = InsertColumn(at, column.HeaderText(), HeaderFormat(column.alignment), width, model);
    if (inserted < 0) {
        m_model.RemoveColumn(model);
        return -1;
    }
    m_widestHeld.erase(model);
    m_widen.erase(model);
    RebuildColumnCache();
    Invalidate();
    return inserted;
}

void CListCtrlEx::DeleteGridColumn(int listColumn)
{
    const int model = ModelOf(listColumn);
    if (model < 0)
        return;
    const int sortModel = m_model.GetSortModel();
    DeleteColumn(listColumn);
    m_model.RemoveColumn(model);
    m_widestHeld.erase(model);
    m_widen.erase(model);
    if (sortModel == model)
        SetSortArrow(-1, true);
    RebuildColumnCache();
    Invalidate();
}

void CListCtrlEx::DeleteAllGridColumns()
{
    while (GetColumnCount() > 0)
        DeleteGridColumn(GetColumnCount() - 1);
}

int CListCtrlEx::ModelOf(int listColumn) const
{
    LVCOLUMN info;
    info.mask = LVCF_SUBITEM;
    if (!GetColumn(listColumn, &info))
        return -1;
    return info.iSubItem;
}

int CListCtrlEx::ListColumnOf(int model) const
{
    for (int c = 0; c < GetColumnCount(); ++c)
        if (ModelOf(c) == model)
            return c;
    return -1;
}

const CGridColumn* CListCtrlEx::ColumnAt(int listColumn) const
{
    return m_model.Column(ModelOf(listColumn));
}

void CListCtrlEx::SetColumnProperties(int listColumn, int alignment, int fixedDecimals, int decimals,
                                      const std::vector<CColorRule>& rules, const CColumnAlertState alerts[2])
{
    CGridColumn* column = m_model.MutableColumn(ModelOf(listColumn));
    if (!column)
        return;
    column->alignment = std::clamp(alignment, static_cast<int>(kAlignLeft), static_cast<int>(kAlignRight));
    LVCOLUMN header;
    header.mask = LVCF_FMT;
    header.fmt = HeaderFormat(column->alignment);
    SetColumn(listColumn, &header);
    column->fixedDecimals = fixedDecimals ? 1 : 0;
    column->decimals = std::clamp(decimals, 0, kMaxColumnDecimals);
    column->rules = rules;
    if (alerts) {
        column->alerts[0] = alerts[0];
        column->alerts[1] = alerts[1];
    }
    Invalidate();
}

int CListCtrlEx::InsertGridColumnAfter(int listColumn, int width, const CGridColumn& column)
{
    const int count = GetColumnCount();
    std::vector<int> order(static_cast<size_t>(count));
    if (count > 0)
        GetColumnOrderArray(order.data(), count);
    const int inserted = InsertGridColumn(-1, width, column);
    if (inserted < 0 || listColumn < 0 || listColumn >= count)
        return inserted;
    auto place = std::find(order.begin(), order.end(), listColumn);
    order.insert(place == order.end() ? order.end() : place + 1, inserted);
    SetColumnOrderArray(static_cast<int>(order.size()), order.data());
    RebuildColumnCache();
    return inserted;
}

void CListCtrlEx::ReplaceColumn(int listColumn, const CGridColumn& column)
{
    if (ModelOf(listColumn) < 0)
        return;
    const bool sorted = GetSortColumn() == listColumn;
    const bool ascending = IsSortAscending();
    if (InsertGridColumnAfter(listColumn, GetColumnWidth(listColumn), column) < 0)
        return;
    DeleteGridColumn(listColumn);
    if (sorted)
        SetSortColumn(GetColumnCount() - 1, ascending);
}

int CListCtrlEx::DisplayPositionOf(int listColumn) const
{
    const int count = GetColumnCount();
    std::vector<int> order(static_cast<size_t>(count));
    if (count == 0 || !GetColumnOrderArray(order.data(), count))
        return listColumn;
    auto it = std::find(order.begin(), order.end(), listColumn);
    return it == order.end() ? listColumn : static_cast<int>(it - order.begin());
}

std::vector<CLayoutColumn> CListCtrlEx::GetLayout() const
{
    std::vector<CLayoutColumn> layout;
    const int count = GetColumnCount();
    std::vector<int> order(static_cast<size_t>(count));
    if (count > 0)
        GetColumnOrderArray(order.data(), count);
    for (int listColumn : order)
        if (const CGridColumn* column = ColumnAt(listColumn))
            layout.push_back({*column, GetColumnWidth(listColumn)});
    return layout;
}

void CListCtrlEx::ApplyLayout(const std::vector<CLayoutColumn>& columns)
{
    SetSortColumn(-1, true);
    DeleteAllGridColumns();
    SetGridRedraw(false);
    for (const CLayoutColumn& stored : columns)
        InsertGridColumn(-1, stored.width, stored.column);
    SetGridRedraw(true);
}

void CListCtrlEx::RebuildColumnCache()
{
    m_cache.clear();
    const int count = GetColumnCount();
    std::vector<int> order(static_cast<size_t>(count));
    if (count > 0 && !GetColumnOrderArray(order.data(), count))
        for (int i = 0; i < count; ++i)
            order[static_cast<size_t>(i)] = i;
    int left = 0;
    for (int listColumn : order) {
        const int width = GetColumnWidth(listColumn);
        m_cache.push_back({listColumn, ModelOf(listColumn), left, width});
        left += width;
    }
}

// Rows.

bool CListCtrlEx::InsertRow(const CString& symbol, const CPortfolioPosition* position, int tag, int index)
{
    CGridRow* row = m_model.CreateRow(symbol, position, tag);
    if (!row)
        return false;
    const int at = index < 0 ? GetItemCount() : std::min(index, GetItemCount());
    if (InsertItem(LVIF_PARAM, at, nullptr, 0, 0, -1, reinterpret_cast<LPARAM>(row)) < 0) {
        m_model.DestroyRow(row);
        return false;
    }
    Resort();
    return true;
}

void CListCtrlEx::InsertTotalsRow()
{
    CGridRow* row = m_model.CreateTotalsRow();
    InsertItem(LVIF_PARAM, GetItemCount(), nullptr, 0, 0, -1, reinterpret_cast<LPARAM>(row));
    Invalidate();
}

void CListCtrlEx::DeleteRow(int index)
{
    DeleteItem(index); // the row goes with LVN_DELETEITEM
}

void CListCtrlEx::DeleteAllRows()
{
    const bool suspended = m_bRedrawSuspended;
    SetGridRedraw(false);
    DeleteAllItems(); // each row goes with LVN_DELETEITEM
    if (!suspended)
        SetGridRedraw(true);
    Invalidate();
}

void CListCtrlEx::OnDeleteItem(NMHDR* header, LRESULT* result)
{
    const auto* info = reinterpret_cast<const NMLISTVIEW*>(header);
    if (!m_bMoving)
        m_model.DestroyRow(reinterpret_cast<CGridRow*>(info->lParam));
    *result = 0;
}

void CListCtrlEx::MoveRow(int from, int to)
{
    CGridRow* row = RowAt(from);
    if (!row || from == to || to < 0)
        return;
    m_bMoving = true;
    DeleteItem(from);
    m_bMoving = false;
    const int at = std::min(to, GetItemCount());
    InsertItem(LVIF_PARAM, at, nullptr, 0, 0, -1, reinterpret_cast<LPARAM>(row));
    SelectRow(at);
    Invalidate();
}

CGridRow* CListCtrlEx::RowAt(int index) const
{
    return reinterpret_cast<CGridRow*>(GetItemData(index));
}

CString CListCtrlEx::GetRowSymbol(int index) const
{
    const CGridRow* row = RowAt(index);
    return row ? row->Symbol() : CString();
}

int CListCtrlEx::GetSelectedRow() const
{
    return GetNextItem(-1, LVNI_SELECTED);
}

CString CListCtrlEx::GetSelectedSymbol() const
{
    return WithoutExchange(GetRowSymbol(GetSelectedRow()));
}

std::vector<CString> CListCtrlEx::GetRowSymbols() const
{
    std::vector<CString> symbols;
    for (int i = 0; i < GetItemCount(); ++i)
        if (const CGridRow* row = RowAt(i); row && !row->IsTotals())
            symbols.push_back(row->Symbol());
    return symbols;
}

void CListCtrlEx::SyncRows(const std::vector<CString>& wanted)
{
    std::vector<CString> symbols;
    std::map<CString, size_t> position;
    for (const CString& text : wanted) {
        CString symbol = text;
        symbol.Trim();
        symbol.MakeUpper();
        if (!symbol.IsEmpty() && position.emplace(symbol, symbols.size()).second)
            symbols.push_back(symbol);
    }
    SetGridRedraw(false);
    std::set<CString> present;
    for (int i = GetItemCount() - 1; i >= 0; --i) {
        const CGridRow* row = RowAt(i);
        if (!row || row->IsTotals())
            continue;
        if (position.count(row->Symbol()) && present.insert(row->Symbol()).second)
            continue;
        DeleteItem(i);
    }
    bool appended = false;
    for (const CString& symbol : symbols)
        if (!present.count(symbol))
            appended = InsertRow(symbol, nullptr, 0) || appended;
    if (appended)
        SortItems([&](DWORD_PTR a, DWORD_PTR b) {
            auto rank = [&](DWORD_PTR data) {
                const auto* row = reinterpret_cast<const CGridRow*>(data);
                auto it = row && !row->IsTotals() ? position.find(row->Symbol()) : position.end();
                return it == position.end() ? symbols.size() : it->second;
            };
            const size_t x = rank(a), y = rank(b);
            return x < y ? -1 : (x > y ? 1 : 0);
        });
    SetGridRedraw(true);
    Invalidate();
    if (m_pOwner)
        m_pOwner->OnGridRowsChanged();
}

LRESULT CListCtrlEx::OnSymbols(CWndMessage& message)
{
    if (auto symbols = message.Take<std::vector<CString>>())
        SyncRows(symbols->value);
    return 0;
}

LRESULT CListCtrlEx::OnRowChanged(WPARAM, LPARAM)
{
    Resort();
    Invalidate();
    return 0;
}

// Cells.

CString CListCtrlEx::GetCellText(int row, int listColumn) const
{
    const CGridRow* data = RowAt(row);
    CString text;
    double value = 0;
    if (!data || !m_model.GetCell(*data, row, ModelOf(listColumn), text, value))
        return CString();
    return text;
}

void CListCtrlEx::StoreCellTexts()
{
    for (int row = 0; row < GetItemCount(); ++row)
        for (int column = 0; column < GetColumnCount(); ++column)
            SetItemText(row, column, GetCellText(row, column));
}

// Sorting.

void CListCtrlEx::SetSortColumn(int listColumn, bool ascending)
{
    const int model = ModelOf(listColumn);
    m_model.SetSort(model, ascending);
    if (m_model.GetSortModel() < 0) {
        SetSortArrow(-1, true);
        return;
    }
    SetSortArrow(listColumn, ascending);
    Resort();
}

int CListCtrlEx::GetSortColumn() const
{
    return ListColumnOf(m_model.GetSortModel());
}

void CListCtrlEx::ClickHeader(int listColumn)
{
    const CGridColumn* column = ColumnAt(listColumn);
    if (!column || (!column->IsCustom() && column->fieldId == kGridRowNumber))
        return;
    if (GetSortColumn() != listColumn)
        SetSortColumn(listColumn, true);
    else if (m_model.IsAscending())
        SetSortColumn(listColumn, false);
    else
        SetSortColumn(-1, true);
}

void CListCtrlEx::OnColumnClick(NMHDR* header, LRESULT* result)
{
    ClickHeader(reinterpret_cast<const NMLISTVIEW*>(header)->iSubItem);
    *result = 0;
}

void CListCtrlEx::Resort()
{
    if (m_bRedrawSuspended || m_model.GetSortModel() < 0)
        return;
    m_model.PrepareSortKeys();
    SortItems([this](DWORD_PTR a, DWORD_PTR b) {
        return m_model.CompareRows(*reinterpret_cast<const CGridRow*>(a), *reinterpret_cast<const CGridRow*>(b));
    });
}

void CListCtrlEx::SetGridRedraw(bool on)
{
    m_bRedrawSuspended = !on;
    SetRedraw(on ? TRUE : FALSE);
    if (on)
        Resort();
}

// Refresh.

void CListCtrlEx::StartRefresh()
{
    if (!m_bTimer && m_hWnd)
        m_bTimer = SetTimer(kGridTimerId, kGridTimerMillis) != 0;
}

void CListCtrlEx::StopRefresh()
{
    if (m_bTimer && m_hWnd)
        KillTimer(kGridTimerId);
    m_bTimer = false;
}

void CListCtrlEx::RefreshNow()
{
    const std::vector<CachedColumn> before = m_cache;
    RebuildColumnCache();
    if (m_pActives)
        m_pActives->TakeSnapshot();
    m_model.BeginRefresh();
    m_model.CheckColumnAlerts();
    // A new order repaints every row; otherwise only the rows whose cells changed.
    std::vector<DWORD_PTR> order(static_cast<size_t>(GetItemCount()));
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = GetItemData(static_cast<int>(i));
    Resort();
    bool moved = false;
    for (size_t i = 0; i < order.size() && !moved; ++i)
        moved = order[i] != GetItemData(static_cast<int>(i));
    if (m_cache != before || moved)
        Invalidate();
    else
        RedrawChangedRows();
    m_model.EndRefresh();
}

void CListCtrlEx::OnTimer(UINT_PTR id)
{
    if (id == kGridTimerId)
        RefreshNow();
    else
        CListCtrl::OnTimer(id);
}

void CListCtrlEx::OnHeaderChanged(NMHDR*, LRESULT* result)
{
    RebuildColumnCache();
    Resort();
    Invalidate();
    *result = 0;
}

void CListCtrlEx::OnDividerDoubleClick(NMHDR* header, LRESULT* result)
{
    const int listColumn = reinterpret_cast<const NMHEADER*>(header)->iItem;
    const CGridColumn* column = ColumnAt(listColumn);
    *result = 0;
    if (!column || column->IsColorField())
        return;
    CClientDC dc(this);
    CFont* old = dc.SelectObject(&m_font);
    int widest = dc.GetTextExtent(column->HeaderText()).cx;
    for (int row = 0; row < GetItemCount(); ++row)
        widest = std::max(widest, static_cast<int>(dc.GetTextExtent(GetCellText(row, listColumn)).cx));
    const int blanks = 4 * dc.GetTextExtent(" ").cx;
    dc.SelectObject(old);
    SetColumnWidth(listColumn, widest + blanks);
    RebuildColumnCache();
}

// Appearance.

void CListCtrlEx::SetGridFont(const CFontInfo& font, COLORREF textColor)
{
    m_font.DeleteObject();
    m_font.CreateFont(-std::abs(font.height), 0, 0, 0, font.weight, font.italic ? 1 : 0, 0, font.strikeOut ? 1 : 0,
                      0, 0, 0, 0, 0, font.face);
    m_textColor = textColor;
    // Texts are measured again in the new font.
    m_widestHeld.clear();
    if (m_hWnd) {
        CClientDC dc(this);
        CFont* old = dc.SelectObject(&m_font);
        TEXTMETRIC tm{};
        dc.GetTextMetrics(&tm);
        m_nBlankWidth = std::max(static_cast<int>(dc.GetTextExtent(" ").cx), 1);
        dc.SelectObject(old);
        m_nItemHeight = std::max(static_cast<int>(tm.tmHeight + tm.tmExternalLeading + 1), 8);
        SetFont(&m_font, TRUE);
        m_bWidgetFont = true;
    }
    Invalidate();
}

void CListCtrlEx::SetGridColors(const std::array<COLORREF, 8>& colors, int stripeInterval)
{
    m_colors = colors;
    m_nStripe = std::max(stripeInterval, 0);
    if (m_hWnd)
        SetBkColor(colors[0]);
    Invalidate();
}

void CListCtrlEx::SetGridLines(bool on)
{
    const DWORD style = GetExtendedStyle();
    SetExtendedStyle(on ? (style | LVS_EX_GRIDLINES) : (style & ~LVS_EX_GRIDLINES));
}

bool CListCtrlEx::HasGridLines() const
{
    return (GetExtendedStyle() & LVS_EX_GRIDLINES) != 0;
}

void CListCtrlEx::SetActives(CActivesHandle* handle)
{
    m_pActives = handle;
    m_model.SetActives(handle);
}

void CListCtrlEx::MeasureItem(LPMEASUREITEMSTRUCT measure)
{
    measure->itemHeight = static_cast<UINT>(m_nItemHeight);
}

// Painting.

int CListCtrlEx::InsetWidth(CDC*) const
{
    return 2 * m_nBlankWidth;
}

namespace {

// The look of a row is kept as bytes: flags, colours and texts one after another.
void AppendLook(std::string& look, COLORREF color)
{
    look.append(reinterpret_cast<const char*>(&color), sizeof color);
}

void AppendLook(std::string& look, const CString& text)
{
    const int length = text.GetLength();
    look.append(reinterpret_cast<const char*>(&length), sizeof length);
    look.append(text.view());
}

} // namespace

void CListCtrlEx::DrawItem(LPDRAWITEMSTRUCT draw)
{
    CDC* dc = CDC::FromHandle(draw->hDC);
    const int index = static_cast<int>(draw->itemID);
    CGridRow* row = reinterpret_cast<CGridRow*>(draw->itemData);
    if (!dc)
        return;
    const CRect rowRect(draw->rcItem);
    CRect clip;
    dc->GetClipBox(&clip);
    CRect paint;
    if (!paint.IntersectRect(clip, rowRect))
        paint = rowRect;
    if (!row) {
        // The list's background, which the view leaves to the rows (DrawItemFillsRow).
        dc->FillSolidRect(&paint, GetBkColor());
        return;
    }
    const bool highlighted = (draw->itemState & ODS_SELECTED) != 0;
    const bool striped = IsStriped(index);
    dc->FillSolidRect(&paint, highlighted ? m_colors[6] : (striped ? m_colors[1] : m_colors[0]));
    CFont* old = m_bWidgetFont ? nullptr : dc->SelectObject(&m_font);
    dc->SetBkMode(TRANSPARENT);
    std::string look;
    look.push_back(static_cast<char>((highlighted ? 1 : 0) | (striped ? 2 : 0)));
    // Only the cells inside the area being painted are drawn (the row's left edge carries
    // the scroll); the look takes in every cell.
    for (const CachedColumn& cached : m_cache) {
        const CRect cell(rowRect.left + cached.left, rowRect.top, rowRect.left + cached.left + cached.width,
                         rowRect.bottom);
        const bool inside = !(cell.right <= paint.left || cell.left >= paint.right || cell.Width() <= 0);
        DrawCell(inside ? dc : nullptr, *row, index, cached, cell, highlighted, striped, look);
        if (!inside)
            NoteUndrawnText(*dc, *row, index, cached);
    }
    SetDrawnLook(draw, std::move(look));
    if (old)
        dc->SelectObject(old);
}

bool CListCtrlEx::IsStriped(int index) const
{
    return m_nStripe > 0 && index % m_nStripe == 0;
}

void CListCtrlEx::AppendRowLook(const CGridRow& row, int index, bool highlighted, std::string& look)
{
    const bool striped = IsStriped(index);
    look.push_back(static_cast<char>((highlighted ? 1 : 0) | (striped ? 2 : 0)));
    for (const CachedColumn& cached : m_cache)
        DrawCell(nullptr, row, index, cached, CRect(), highlighted, striped, look);
}

void CListCtrlEx::RedrawChangedRows()
{
    const int count = GetItemCount();
    const int top = std::max(GetTopIndex(), 0);
    // The row cut by the bottom edge too.
    const int end = std::min(count, top + GetCountPerPage() + 2);
    std::string look;
    int changedFrom = -1;
    for (int i = top; i <= end; ++i) {
        bool changed = false;
        if (i < end) {
            if (const CGridRow* row = RowAt(i)) {
                look.clear();
                AppendRowLook(*row, i, (GetItemState(i, LVIS_SELECTED) & LVIS_SELECTED) != 0, look);
                changed = !ShowsLook(i, look);
            }
        }
        if (changed && changedFrom < 0)
            changedFrom = i;
        if (!changed && changedFrom >= 0) {
            RedrawItems(changedFrom, i - 1);
            changedFrom = -1;
        }
    }
}

// Draws one cell (nothing with a null dc) and appends what it shows to the look. A cell
// drawn remembers its highlighted values; a look alone leaves them as they are.
void CListCtrlEx::DrawCell(CDC* dc, const CGridRow& row, int index, const CachedColumn& cached, const CRect& cell,
                           bool highlighted, bool striped, std::string& look)
{
    const CGridColumn* column = m_model.Column(cached.model);
    if (!column) {
        look.push_back('\1');
        if (dc)
            dc->FillSolidRect(&cell, m_colors[3]);
        return;
    }
    if (column->IsColorField()) {
        look.push_back('\2');
        if (!row.IsTotals())
            DrawColorBoxes(dc, row, cached.model, *column, cell, look);
        return;
    }
    // A quote number's look is its value: the text follows from it, and is made only to be
    // drawn.
    const bool byValue = !row.IsTotals() && m_model.ShowsQuoteNumber(cached.model);
    CString text;
    double value = 0;
    bool has = false;
    if (byValue && !dc) {
        const std::optional<double> number = m_model.QuoteNumber(row, cached.model);
        has = number.has_value();
        value = number.value_or(0);
    } else {
        has = m_model.GetCell(row, index, cached.model, text, value);
    }
    if (!has) {
        look.push_back('\3');
        if (dc)
            dc->FillSolidRect(&cell, m_colors[3]);
        return;
    }
    const int id = column->IsCustom() ? kCustomFieldId : column->fieldId;
    std::optional<COLORREF> fill;
    if (HighlightSlotOf(id) >= 0) {
        std::optional<double> last;
        double lastValue = 0;
        if (row.Handle() && row.Handle()->GetField(kFieldLast, lastValue))
            last = lastValue;
        const int state = dc ? const_cast<CGridRow&>(row).UpdateHighlight(id, value, last)
                             : row.PeekHighlight(id, value, last);
        if (state == kHighlightUp)
            fill = m_colors[4];
        else if (state == kHighlightDown)
            fill = m_colors[5];
    }
    COLORREF color = highlighted ? m_colors[7] : (striped ? m_colors[2] : m_textColor);
    if (!highlighted && (id == kGridChange || id == kGridPercentChange) && value != 0)
        color = value > 0 ? kUpGreen : kDownRed;
    look.push_back('\4');
    if (fill) {
        look.push_back('f');
        AppendLook(look, *fill);
        if (dc)
            dc->FillSolidRect(&cell, *fill);
        color = Readable(color, *fill);
    }
    if (const CColorRule* rule = FirstHoldingRule(column->rules, value)) {
        look.push_back('r');
        AppendLook(look, rule->second);
        color = rule->first;
        if (dc)
            dc->FillSolidRect(&cell, rule->second);
    }
    AppendLook(look, color);
    if (byValue) {
        look.push_back(static_cast<char>(column->fixedDecimals ? 1 : 0));
        look.append(reinterpret_cast<const char*>(&column->decimals), sizeof column->decimals);
        look.append(reinterpret_cast<const char*>(&value), sizeof value);
    } else {
        AppendLook(look, text);
    }
    if (!dc)
        return;
    dc->SetTextColor(color);
    CRect textRect = cell;
    const int inset = InsetWidth(dc);
    textRect.DeflateRect(inset, 0);
    dc->DrawText(text, &textRect,
                 AlignmentFormat(column->alignment) | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    // Measured as drawn (the line just laid out): a text wider than any the column held,
    // and than the column, widens it.
    if (!text.IsEmpty() && ShowsWhole(*column))
        NoteText(cached.model, text, static_cast<int>(dc->GetTextExtent(text).cx), textRect.Width());
}

bool CListCtrlEx::ShowsWhole(const CGridColumn& column)
{
    return !column.IsColorField() && (column.IsCustom() || !IsFreeTextGridField(column.fieldId));
}

// A cell this paint leaves out (scrolled aside or covered) is measured too, so that its
// column is wide enough before the trader sees it.
void CListCtrlEx::NoteUndrawnText(CDC& dc, const CGridRow& row, int index, const CachedColumn& cached)
{
    const CGridColumn* column = m_model.Column(cached.model);
    if (!column || !ShowsWhole(*column))
        return;
    CString text;
    double value = 0;
    if (m_model.GetCell(row, index, cached.model, text, value) && !text.IsEmpty())
        NoteText(cached.model, text, static_cast<int>(dc.GetTextExtent(text).cx), cached.width - 2 * InsetWidth(&dc));
}

void CListCtrlEx::NoteText(int model, const CString& text, int width, int room)
{
    int& widest = m_widestHeld[model];
    if (width <= widest)
        return;
    widest = width;
    if (width <= room)
        return;
    m_widen[model] = text;
    // Not while the list paints.
    if (!m_bWidenPosted)
        m_bWidenPosted = PostMessage(WM_GRID_WIDEN) != FALSE;
}

LRESULT CListCtrlEx::OnWiden(WPARAM, LPARAM)
{
    m_bWidenPosted = false;
    std::map<int, CString> widen;
    widen.swap(m_widen);
    for (const auto& [model, text] : widen) {
        const int listColumn = ListColumnOf(model);
        if (listColumn >= 0)
            SetColumnWidth(listColumn, FittedColumnWidth(*this, {text}, GetColumnWidth(listColumn)));
    }
    RebuildColumnCache();
    Invalidate();
    return 0;
}

void CListCtrlEx::DrawColorBoxes(CDC* dc, const CGridRow& row, int model, const CGridColumn& column,
                                 const CRect& cell, std::string& look)
{
    const int boxes = std::max(column.barCount, 1);
    const int width = cell.Width() / boxes;
    if (width <= 0)
        dc = nullptr; // nothing to draw, the look all the same
    for (int k = 0; k < boxes; ++k) {
        const std::optional<COLORREF> color = m_model.ColorBox(row, model, k);
        look.push_back(color ? 'b' : '-');
        if (!color)
            continue;
        AppendLook(look, *color);
        if (!dc)
            continue;
        CRect box(cell.left + k * width, cell.top, cell.left + (k + 1) * width, cell.bottom);
        box.DeflateRect(1, 1);
        dc->FillSolidRect(&box, *color);
    }
}

// Mouse, keys and menus.

void CListCtrlEx::BroadcastSymbol(int index)
{
    const CString symbol = WithoutExchange(GetRowSymbol(index));
    IWorkstationFrame* frame = GetWorkstationFrame();
    if (symbol.IsEmpty() || !frame)
        return;
    frame->SetSymbolBox(symbol, TRUE);
    // The linked windows take it; this window has it already.
    frame->ApplySymbolInterval(m_pOwner ? m_pOwner->GetGridView() : nullptr, FALSE);
}

void CListCtrlEx::SelectRow(int index)
{
    // Selections the grid makes itself are no choice of the user: nothing is broadcast.
    m_bSelecting = true;
    SetItemState(index, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    m_bSelecting = false;
}

void CListCtrlEx::OnItemChanged(NMHDR* header, LRESULT* result)
{
    const auto* info = reinterpret_cast<const NMLISTVIEW*>(header);
    *result = 0;
    // Only a row the user chooses is broadcast: rows the program removes, rebuilds, sorts
    // or selects move the selection without telling anyone.
    if (m_bSelecting || !IsUserChange() || !(info->uNewState & LVIS_SELECTED) || (info->uOldState & LVIS_SELECTED))
        return;
    m_bSelecting = true;
    BroadcastSymbol(info->iItem);
    m_nSelectedByUser = info->iItem;
    SetFocus();
    m_bSelecting = false;
}

void CListCtrlEx::OnClick(NMHDR* header, LRESULT* result)
{
    const auto* info = reinterpret_cast<const NMITEMACTIVATE*>(header);
    *result = 0;
    // A click that selected the row has broadcast it already.
    const bool justSelected = m_nSelectedByUser == info->iItem;
    m_nSelectedByUser = -1;
    if (!justSelected && info->iItem >= 0 && info->iItem == GetSelectedRow())
        BroadcastSymbol(info->iItem);
}

bool CListCtrlEx::MakeRowOrder(int index, int action, double price, COrderRecord& order) const
{
    const CGridRow* row = RowAt(index);
    if (!row || row->IsTotals())
        return false;
    const CString symbol = WithoutExchange(row->Symbol());
    const int kind = GetSymbolKind(symbol);
    order = COrderRecord(kind == kSymbolOption ? 1 : 0);
    order.symbol = symbol;
    order.action = action;
    order.price = price;
    if (const CPortfolioPosition* position = row->Position()) {
        order.quantity = position->shares;
    } else {
        const CAppSettings* settings = CAppSettings::Instance();
        int quantity = 0;
        if (settings && kind == kSymbolStock)
            quantity = settings->m_nStockShares;
        else if (settings && kind == kSymbolOption)
            quantity = settings->m_nOptionContracts;
        else if (settings && kind == 2)
            quantity = settings->m_nFuturesContracts;
        order.quantity = quantity;
    }
    return true;
}

void CListCtrlEx::TradeRow(int index, int action)
{
    const CGridRow* row = RowAt(index);
    if (!row || !row->Handle())
        return;
    // Buying takes the Ask, selling the Bid.
    const int field = action == 0 || action == 3 ? kFieldAsk : kFieldBid;
    COrderRecord order;
    if (MakeRowOrder(index, action, row->Handle()->GetDouble(field), order))
        OpenTradeTicket(order, this);
}

void CListCtrlEx::TradeFromCell(int index, int fieldId)
{
    const CGridRow* row = RowAt(index);
    if (!row || !row->Handle())
        return;
    const bool isShort = row->Position() && row->Position()->IsShort();
    const bool bidSide = fieldId == kFieldBid || fieldId == kFieldBestBid;
    // The Bid sells (a short position sells short), the Ask buys (a short position covers).
    const int action = bidSide ? (isShort ? 2 : 1) : (isShort ? 3 : 0);
    COrderRecord order;
    if (MakeRowOrder(index, action, row->Handle()->GetDouble(fieldId), order))
        OpenTradeTicket(order, this);
}

void CListCtrlEx::OnDoubleClick(NMHDR* header, LRESULT* result)
{
    const auto* info = reinterpret_cast<const NMITEMACTIVATE*>(header);
    *result = 0;
    const CGridColumn* column = ColumnAt(info->iSubItem);
    const CGridRow* row = info->iItem >= 0 ? RowAt(info->iItem) : nullptr;
    if (!row || row->IsTotals() || !column)
        return;
    const int id = column->IsCustom() ? kCustomFieldId : column->fieldId;
    switch (id) {
    case kFieldBid:
    case kFieldBestBid:
    case kFieldAsk:
    case kFieldBestAsk:
        TradeFromCell(info->iItem, id);
        break;
    case kGridSymbol:
        BroadcastSymbol(info->iItem);
        break;
    case kGridNotes:
        EditNotes(info->iItem);
        break;
    default:
        // The main frame's alert setup, for the row's symbol.
        if (IWorkstationFrame* frame = GetWorkstationFrame()) {
            frame->SetSymbolBox(WithoutExchange(row->Symbol()), TRUE);
            frame->SetupTradeAlert(0, this);
        } else {
            RunAlertWizard(this, WithoutExchange(row->Symbol()));
        }
        break;
    }
}

void CListCtrlEx::OnKeyDown(NMHDR* header, LRESULT* result)
{
    const auto* info = reinterpret_cast<const NMLVKEYDOWN*>(header);
    *result = 0;
    if (info->wVKey == VK_DELETE) {
        const int index = GetSelectedRow();
        if (index < 0)
            return;
        DeleteRow(index);
        const int count = GetItemCount();
        if (count > 0)
            SelectRow(std::min(index, count - 1));
        if (m_pOwner)
            m_pOwner->OnGridRowsChanged();
    }
}

void CListCtrlEx::OnChar(UINT ch, UINT repeat, UINT flags)
{
    // A symbol's character starts the symbol entry with it (instead of the list's search).
    if (m_pOwner && ch > 0x20 && ch < 0x7F) {
        m_pOwner->OnGridCharTyped(static_cast<char>(std::toupper(static_cast<int>(ch))));
        return;
    }
    CListCtrl::OnChar(ch, repeat, flags);
}

void CListCtrlEx::EditNotes(int index)
{
    const CString symbol = WithoutExchange(GetRowSymbol(index));
    CAppSettings* settings = CAppSettings::Instance();
    if (symbol.IsEmpty() || !settings)
        return;
    CString note;
    settings->m_notes.Lookup(symbol, note);
    CString title;
    title.Format("Notes for %s", symbol.GetString());
    CEnterTitleDlg dlg(title, "Notes:", note, this);
    if (dlg.DoModal() != IDOK)
        return;
    settings->m_notes.SetAt(symbol, dlg.m_text); // an empty text removes the note
    settings->SaveNotes();
    Invalidate();
}

void CListCtrlEx::ModifyRow(int index)
{
    const CGridRow* row = RowAt(index);
    if (!row || row->IsTotals())
        return;
    SymbolEntryDialog dlg(TRUE, this);
    dlg.SetSymbol(WithoutExchange(row->Symbol()));
    if (dlg.DoModal() != IDOK)
        return;
    const std::vector<CString> symbols = SplitSymbols(dlg.GetSymbol());
    if (symbols.empty())
        return;
    SetGridRedraw(false);
    DeleteRow(index);
    int at = index;
    for (const CString& symbol : symbols)
        if (InsertRow(symbol, nullptr, 1, at))
            ++at;
    SetGridRedraw(true);
    if (m_pOwner)
        m_pOwner->OnGridRowsChanged();
}

void CListCtrlEx::OnRowCommand(UINT command, int index)
{
    switch (command) {
    case ID_ROW_DELETE:
        DeleteRow(index);
        if (m_pOwner)
            m_pOwner->OnGridRowsChanged();
        return;
    case ID_ROW_NOTES:
        EditNotes(index);
        return;
    case ID_ROW_MODIFY:
        ModifyRow(index);
        return;
    case ID_ROW_COPY:
        SetClipboardText(WithoutExchange(GetRowSymbol(index)));
        return;
    case ID_ROW_ADD_ALERT:
        RunAlertWizard(this, WithoutExchange(GetRowSymbol(index)));
        return;
    case ID_ROW_BUY:
    case ID_ROW_SELL:
    case ID_ROW_SELL_SHORT:
    case ID_ROW_BUY_TO_COVER:
        TradeRow(index, static_cast<int>(command - ID_ROW_BUY));
        return;
    default:
        break;
    }
    if (command >= ID_OPEN_KIND_FIRST && command < ID_OPEN_KIND_FIRST + kWindowKindCount) {
        // A window of that kind for the row's symbol.
        IWorkstationFrame* frame = GetWorkstationFrame();
        CDocument* doc = frame ? frame->OpenWindowOfKind(static_cast<int>(command - ID_OPEN_KIND_FIRST), false) : nullptr;
        CView* view = doc ? doc->GetFirstView() : nullptr;
        if (view) {
            CSymbolIntervalMsg msg{WithoutExchange(GetRowSymbol(index)), CString(), false};
            view->SendMessage(WM_SET_SYMBOL_INTERVAL, static_cast<WPARAM>(kLinkBroadcastAll),
                              reinterpret_cast<LPARAM>(&msg));
        }
        return;
    }
    if (CWnd* parent = GetParent())
        parent->PostMessage(WM_COMMAND, MAKEWPARAM(static_cast<WORD>(command), 0), 0);
}

void CListCtrlEx::ShowRowMenu(int index, CPoint screen)
{
    CMenu menu;
    if (!menu.LoadMenu(IDR_GRID_ROW_MENU))
        return;
    CMenu* popup = menu.GetSubMenu(0);
    if (!popup)
        return;
    popup->UpdateCommandUI(this, false);
    const UINT command = popup->TrackPopupMenu(TPM_RETURNCMD | TPM_RIGHTBUTTON, screen.x, screen.y, this);
    if (command)
        OnRowCommand(command, index);
}

void CListCtrlEx::FillColumnMenus(CMenu& columns)
{
    if (CMenu* custom = FindPopupByTitle(columns, "&Custom Fields"))
        FillListPopup(*custom, CustomColumnNames(kCustomFields), ID_ADD_CUSTOM_FIELD_FIRST,
                      ID_ADD_CUSTOM_FIELD_FIRST + kMaxCustomColumnsPerKind - 1);
    if (CMenu* color = FindPopupByTitle(columns, "C&olor Fields"))
        FillListPopup(*color, CustomColumnNames(kColorFields), ID_ADD_COLOR_FIELD_FIRST,
                      ID_ADD_COLOR_FIELD_FIRST + kMaxCustomColumnsPerKind - 1);
}

void CListCtrlEx::ShowLevel1Menu(CPoint screen)
{
    std::unique_ptr<CMenu> menu = LoadLevel1Menu();
    if (!menu)
        return;
    CMenu* level1 = FindPopupByTitle(*menu, "Level &I");
    const int screenerAt = FindPopupPosition(*menu, "&Screener");
    if (!level1 || screenerAt < 0)
        return;
    // The Screener popup goes into the Level I popup before "&Actives...".
    CMenu screener;
    screener.CreatePopupMenu();
    CMenu* source = menu->GetSubMenu(screenerAt);
    for (int i = 0; source && i < source->GetMenuItemCount(); ++i) {
        CString text;
        source->GetMenuString(static_cast<UINT>(i), text, MF_BYPOSITION);
        screener.AppendMenu(MF_STRING, source->GetMenuItemID(i), text);
    }
    level1->InsertMenu(ID_L1_ACTIVES, MF_BYCOMMAND, &screener, "&Screener");
    CWnd* parent = GetParent();
    if (auto* view = dynamic_cast<CView*>(parent))
        view->OnInitFrameMenu(level1);
    const UINT command = level1->TrackPopupMenu(TPM_RETURNCMD | TPM_RIGHTBUTTON, screen.x, screen.y, parent);
    if (command && parent)
        parent->PostMessage(WM_COMMAND, MAKEWPARAM(static_cast<WORD>(command), 0), 0);
}

void CListCtrlEx::OnRightClick(NMHDR* header, LRESULT* result)
{
    const auto* info = reinterpret_cast<const NMITEMACTIVATE*>(header);
    *result = 0;
    CPoint screen(info->ptAction);
    ClientToScreen(&screen);
    const CGridRow* row = info->iItem >= 0 ? RowAt(info->iItem) : nullptr;
    if (row && !row->IsTotals()) {
        SelectRow(info->iItem);
        ShowRowMenu(info->iItem, screen);
    } else {
        ShowLevel1Menu(screen);
    }
}

void CListCtrlEx::ShowHeaderMenu()
{
    CPoint screen;
    GetCursorPos(&screen);
    CHeaderCtrl* header = GetHeaderCtrl();
    CPoint point = screen;
    if (header)
        header->ScreenToClient(&point);
    const int clicked = header ? header->HitTest(point) : -1;
    std::unique_ptr<CMenu> menu = LoadLevel1Menu();
    CMenu* columns = menu ? FindPopupByTitle(*menu, "&Columns") : nullptr;
    if (!columns)
        return;
    FillColumnMenus(*columns);
    columns->InsertMenu(0, MF_BYPOSITION | MF_SEPARATOR);
    columns->InsertMenu(0, MF_BYPOSITION | (clicked < 0 ? MF_GRAYED : 0), ID_GRID_DELETE_COLUMN, "Delete Column");
    columns->InsertMenu(0, MF_BYPOSITION | (clicked < 0 ? MF_GRAYED : 0), ID_GRID_COLUMN_PROPERTIES,
                        "Column Properties...");
    const UINT command = columns->TrackPopupMenu(TPM_RETURNCMD | TPM_RIGHTBUTTON, screen.x, screen.y, this);
    if (!command)
        return;
    if (command == ID_GRID_DELETE_COLUMN && clicked >= 0)
        DeleteGridColumn(clicked);
    else if (command == ID_GRID_COLUMN_PROPERTIES && clicked >= 0)
        EditColumnProperties(clicked);
    else if (command >= ID_ADD_COLUMN_FIRST && command <= ID_ADD_COLUMN_LAST && m_pOwner)
        m_pOwner->OnGridAddColumn(command, clicked);
    else if (CWnd* parent = GetParent())
        parent->PostMessage(WM_COMMAND, MAKEWPARAM(static_cast<WORD>(command), 0), 0);
}

void CListCtrlEx::OnHeaderRightClick(NMHDR*, LRESULT* result)
{
    *result = 1;
    ShowHeaderMenu();
}

void CListCtrlEx::EditColumnProperties(int listColumn)
{
    const CGridColumn* column = ColumnAt(listColumn);
    if (!column)
        return;
    CGridColumn edited = *column;
    if (!RunColumnPropertiesSheet(edited, this))
        return;
    if (edited.IsColorField())
        ReplaceColumn(listColumn, edited);
    else
        SetColumnProperties(listColumn, edited.alignment, edited.fixedDecimals, edited.decimals, edited.rules,
                            edited.alerts);
}

const CMessageMap& CListCtrlEx::GetMessageMap() const
{
    static const CMessageMap map = MessageMapFor<CListCtrlEx>(CListCtrl::GetMessageMap())
                                       .ReflectNotify(LVN_DELETEITEM, &CListCtrlEx::OnDeleteItem)
                                       .ReflectNotify(LVN_COLUMNCLICK, &CListCtrlEx::OnColumnClick)
                                       .ReflectNotify(NM_CLICK, &CListCtrlEx::OnClick)
                                       .ReflectNotify(NM_DBLCLK, &CListCtrlEx::OnDoubleClick)
                                       .ReflectNotify(NM_RCLICK, &CListCtrlEx::OnRightClick)
                                       .ReflectNotify(LVN_KEYDOWN, &CListCtrlEx::OnKeyDown)
                                       .ReflectNotify(LVN_ITEMCHANGED, &CListCtrlEx::OnItemChanged)
                                       .Notify(HDN_ENDDRAG, 0, &CListCtrlEx::OnHeaderChanged)
                                       .Notify(HDN_ENDTRACK, 0, &CListCtrlEx::OnHeaderChanged)
                                       .Notify(HDN_DIVIDERDBLCLICK, 0, &CListCtrlEx::OnDividerDoubleClick)
                                       .Notify(NM_RCLICK, 0, &CListCtrlEx::OnHeaderRightClick)
                                       .Message(WM_GRID_SYMBOLS, &CListCtrlEx::OnSymbols)
                                       .Message(WM_GRID_ROW_CHANGED, &CListCtrlEx::OnRowChanged)
                                       .Message(WM_GRID_WIDEN, &CListCtrlEx::OnWiden)
                                       .Build();
    return map;
}
