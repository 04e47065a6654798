// The quote grid: an owner-drawn report list with one row per symbol and one column per
// quote field or computed value. It draws the cells of its model (CQuoteGridModel) with
// highlights, colour rules and colour boxes, keeps the sort column, and repaints, sorts
// and checks column alerts on its 500 ms timer rather than on every quote.
#pragma once

#include "common/services/CFontInfo.h"
#include "platform/ui/CFont.h"
#include "platform/ui/CListCtrl.h"
#include "views/CQuoteGridModel.h"
#include "views/Level1Layout.h"

#include <array>
#include <map>
#include <memory>
#include <string>
#include <vector>

class CActivesHandle;
class COrderRecord;
class CMenu;
class CView;
struct CWndMessage;

// What the grid asks of the window that holds it.
class IQuoteGridOwner {
public:
    virtual ~IQuoteGridOwner() = default;
    // Rows came or went (the window title may change).
    virtual void OnGridRowsChanged() = 0;
    // A character typed into the grid: the symbol entry starts with it.
    virtual void OnGridCharTyped(char c) = 0;
    // An add-column command chosen from the header menu: insert after that list column.
    virtual void OnGridAddColumn(UINT command, int afterListColumn) = 0;
    // The view whose link group the grid's symbol broadcasts use.
    virtual CView* GetGridView() = 0;
};

class CListCtrlEx : public CListCtrl {
public:
    CListCtrlEx();
    ~CListCtrlEx() override;

    BOOL CreateGrid(CWnd* parent, UINT id, IQuoteGridOwner* owner);
    CQuoteGridModel& Model() { return m_model; }
    const CQuoteGridModel& Model() const { return m_model; }

    // Columns. Positions and indexes are list column indexes; -1 appends.
    int InsertGridColumn(int position, int width, const CGridColumn& column);
    // Inserts the column right after that list column in the header's order (-1: the end).
    int InsertGridColumnAfter(int listColumn, int width, const CGridColumn& column);
    void DeleteGridColumn(int listColumn);
    void DeleteAllGridColumns();
    int ModelOf(int listColumn) const;
    int ListColumnOf(int model) const;
    const CGridColumn* ColumnAt(int listColumn) const;
    void SetColumnProperties(int listColumn, int alignment, int fixedDecimals, int decimals,
                             const std::vector<CColorRule>& rules, const CColumnAlertState alerts[2]);
    // Re-creates a column in place with the same width (a colour field edited).
    void ReplaceColumn(int listColumn, const CGridColumn& column);
    // The columns in header display order, with their widths.
    std::vector<CLayoutColumn> GetLayout() const;
    // Deletes every column and inserts these in order.
    void ApplyLayout(const std::vector<CLayoutColumn>& columns);
    // Header display position of a list column.
    int DisplayPositionOf(int listColumn) const;

    // Rows. False when no quote handle can be made for the symbol.
    bool InsertRow(const CString& symbol, const CPortfolioPosition* position, int tag, int index = -1);
    void InsertTotalsRow();
    void DeleteRow(int index);
    void DeleteAllRows();
    CGridRow* RowAt(int index) const;
    CString GetRowSymbol(int index) const;
    int GetSelectedRow() const;
    // The selected row's symbol without an exchange.
    CString GetSelectedSymbol() const;
    // Symbols of the rows that have a quote handle, top to bottom.
    std::vector<CString> GetRowSymbols() const;
    // Keeps exactly the rows of these symbols (and the totals row), in this order unless a
    // sort column is set.
    void SyncRows(const std::vector<CString>& symbols);

    // Cell text as drawn ("" without data).
    CString GetCellText(int row, int listColumn) const;
    // Copies every cell text into the list items (for the list printer).
    void StoreCellTexts();

    // Sort column (list column, -1 none). A header click cycles ascending, descending, none.
    void SetSortColumn(int listColumn, bool ascending);
    int GetSortColumn() const;
    bool IsSortAscending() const { return m_model.IsAscending(); }
    void ClickHeader(int listColumn);
    void Resort();

    // Off: no sorting and no painting until switched on again (which sorts).
    void SetGridRedraw(bool on);
    bool IsRedrawSuspended() const { return m_bRedrawSuspended; }

    // The 500 ms refresh: column order, alerts, sort and repaint.
    void StartRefresh();
    void StopRefresh();
    void RefreshNow();

    void SetGridFont(const CFontInfo& font, COLORREF textColor);
    void SetGridColors(const std::array<COLORREF, 8>& colors, int stripeInterval);
    void SetGridLines(bool on);
    bool HasGridLines() const;
    // The window's actives list (Activity and % of Total); may be null.
    void SetActives(CActivesHandle* handle);

    // Moves a row to another index (drag within the grid).
    void MoveRow(int from, int to);
    // The order a trade from a row starts with: the action (0 Buy, 1 Sell, 2 Sell Short,
    // 3 Buy to Cover) at the price, for the position's shares or the default quantity of
    // the symbol's kind. False for the totals row.
    bool MakeRowOrder(int index, int action, double price, COrderRecord& order) const;
    // Opens the notes dialog of a row's symbol.
    void EditNotes(int index);

    void DrawItem(LPDRAWITEMSTRUCT draw) override;
    void MeasureItem(LPMEASUREITEMSTRUCT measure) override;
    bool DrawItemFillsRow() const override { return true; }
    const CMessageMap& GetMessageMap() const override;

    // The Column Properties sheet of a column (also the header menu's command).
    void EditColumnProperties(int listColumn);

protected:
    void OnTimer(UINT_PTR id) override;
    void OnDestroy() override;
    void OnChar(UINT ch, UINT repeat, UINT flags) override;

private:
    // A column in header display order: its place from the left edge of the first
    // column (unscrolled) and its width.
    struct CachedColumn {
        int listColumn;
        int model;
        int left;
        int width;
        bool operator==(const CachedColumn&) const = default;
    };

    void RebuildColumnCache();
    bool IsStriped(int index) const;
    // Draws a cell (dc null: only its look) and appends its look: what it shows.
    void DrawCell(CDC* dc, const CGridRow& row, int index, const CachedColumn& cached, const CRect& cell,
                  bool highlighted, bool striped, std::string& look);
    void DrawColorBoxes(CDC* dc, const CGridRow& row, int model, const CGridColumn& column, const CRect& cell,
                        std::string& look);
    // The look of a row as DrawItem would draw it now.
    void AppendRowLook(const CGridRow& row, int index, bool highlighted, std::string& look);
    // Repaints the visible rows that the window shows, in some part, with another look
    // than they have now.
    void RedrawChangedRows();
    int InsetWidth(CDC* dc) const;
    // Columns that show their texts whole (all but free text, such as descriptions) widen to
    // the widest text a painted row holds in them, drawn or scrolled aside: a text wider than
    // any the column held before and than its room is kept and the widening posted. A column
    // the trader narrows stays so until a wider text comes.
    void NoteText(int model, const CString& text, int width, int room);
    static bool ShowsWhole(const CGridColumn& column);
    void NoteUndrawnText(CDC& dc, const CGridRow& row, int index, const CachedColumn& cached);
    LRESULT OnWiden(WPARAM, LPARAM);
    void BroadcastSymbol(int index);
    void SelectRow(int index);
    void ShowHeaderMenu();
    void ShowRowMenu(int index, CPoint screen);
    void ShowLevel1Menu(CPoint screen);
    void FillColumnMenus(CMenu& columns);
    void OnRowCommand(UINT command, int index);
    void ModifyRow(int index);
    void TradeRow(int index, int action);
    void TradeFromCell(int index, int fieldId);

    void OnDeleteItem(NMHDR* header, LRESULT* result);
    void OnColumnClick(NMHDR* header, LRESULT* result);
    void OnClick(NMHDR* header, LRESULT* result);
    void OnDoubleClick(NMHDR* header, LRESULT* result);
    void OnRightClick(NMHDR* header, LRESULT* result);
    void OnKeyDown(NMHDR* header, LRESULT* result);
    void OnItemChanged(NMHDR* header, LRESULT* result);
    void OnHeaderChanged(NMHDR* header, LRESULT* result);
    void OnHeaderRightClick(NMHDR* header, LRESULT* result);
    void OnDividerDoubleClick(NMHDR* header, LRESULT* result);
    LRESULT OnSymbols(CWndMessage& message);
    LRESULT OnRowChanged(WPARAM, LPARAM);

    CQuoteGridModel m_model;
    IQuoteGridOwner* m_pOwner = nullptr;
    CActivesHandle* m_pActives = nullptr;
    std::vector<CachedColumn> m_cache;
    bool m_bRedrawSuspended = false;
    bool m_bTimer = false;
    bool m_bSelecting = false;
    int m_nSelectedByUser = -1; // the row a selection change just broadcast
    bool m_bMoving = false; // rows taken out to move are not destroyed
    CFont m_font;
    bool m_bWidgetFont = false; // the rows are painted in the widget's font, which is m_font
    COLORREF m_textColor = RGB(0, 0, 0);
    std::array<COLORREF, 8> m_colors;
    int m_nStripe = 0;
    int m_nItemHeight = 16;
    int m_nBlankWidth = 4; // a blank of the font, for the insets of cell texts
    std::map<int, int> m_widestHeld;   // model column -> the widest text it has held
    std::map<int, CString> m_widen;    // model column -> the text it widens to
    bool m_bWidenPosted = false;
};
