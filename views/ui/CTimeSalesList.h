// The owner-drawn list of a series' ticks (time and sales) or bars (bar table), newest
// first. It holds an item without texts per record of the series (1024 at first); each
// item, when drawn, is built from the series record it stands for, so a repaint costs what
// is visible. Scrolling a line past either end asks the series for one more record there.
// Ticks are drawn on their flags' background colours.
#pragma once

#include "platform/ui/CListCtrl.h"
#include "views/ListLayout.h"
#include "views/TickRows.h"
#include "views/ui/IListCellText.h"
#include "views/ui/ListCells.h"

#include <QFont>

#include <array>
#include <functional>
#include <vector>

class CFont;
class CPriceSeries;

class CTimeSalesList : public CListCtrl, public IListCellText {
public:
    // Records the windows ask their series for, and items the list holds at least.
    static constexpr int kItems = 1024;
    // Lines a notch of the mouse wheel scrolls.
    static constexpr int kWheelLines = 3;

    using TypedCharFn = std::function<void(char)>;
    BOOL CreateList(CWnd* parent, UINT id, TypedCharFn typed);

    // Tick (1) or bar (0) mode: the column titles and kinds.
    void SetMode(bool tickMode);
    bool IsTickMode() const { return m_bTickMode; }
    // The series stays the window's. A new one shows from its newest record, at the top.
    void SetSeries(CPriceSeries* series, const CString& key);
    CPriceSeries* GetSeries() const { return m_pSeries; }
    const CString& GetKey() const { return m_key; }
    // The series' records changed: rows are built anew.
    void SeriesChanged();
    void DeleteAllRows();
    // A placeholder item per record of the series, at least kItems.
    void FillItems();

    // Columns: the layout's kinds with their widths, in order; display order and widths.
    void ApplyLayout(const std::vector<CListColumn>& columns);
    std::vector<CListColumn> GetLayout() const;
    bool IsColumnShown(int kind) const;
    // Shows a hidden kind at the end (50 pixels wide) or removes a shown one.
    void ToggleColumn(int kind);

    void SetLook(CFont* font, CFont* struckFont, int rowHeight, int blankWidth, COLORREF textColor);
    void SetColors(const std::array<COLORREF, 11>& colors);
    void SetGridLines(bool on);

    // The row item i shows (false without a series or for an item beyond its records).
    bool RowOfItem(int item, CListRow& row);
    // A cell's text as drawn: empty for a record without data.
    CString GetShownText(int item, int column) override;

    void DrawItem(LPDRAWITEMSTRUCT draw) override;
    void MeasureItem(LPMEASUREITEMSTRUCT measure) override;
    const CMessageMap& GetMessageMap() const override;

    // Line up at the top asks for a newer record, line down at the end for an older one.
    void OnVScroll(UINT code, UINT pos, CWnd* bar) override;

protected:
    void OnChar(UINT ch, UINT repeat, UINT flags) override;
    void OnKeyDown(UINT key, UINT repeat, UINT flags) override;
    BOOL OnMouseWheel(UINT flags, short delta, CPoint screenPoint) override;

private:
    void OnHeaderChanged(NMHDR*, LRESULT* result);

    // The series' visible index of an item: the newest record at the top.
    bool IndexOfItem(int item, int& index) const;
    // Items the series' records need.
    int WantedItems() const;
    // One more record at the newer (n > 0) or older end; false when none came.
    bool ExtendSeries(int n);
    // Scrolled back from the newest row: the series keeps the records from the top row down
    // while new ones come in, and the rows in view stay where they are.
    bool IsScrolledBack() const;
    void KeepOldestWhileScrolledBack();
    // The top row in view; no row stays selected, and the focus, when a row had it, goes to the top.
    void ShowTopRow();
    // The rows kept moved by `shift` (records came in after the newest, or went between the
    // kept ones and the newest): while scrolled back, the view, the focus and the selection
    // move with the rows they showed.
    void FollowShiftedRows(int shift);

    bool m_bTickMode = true;
    std::array<bool, kTickKindCount> m_shown{};
    CPriceSeries* m_pSeries = nullptr;
    CString m_key;
    std::array<COLORREF, 11> m_colors{};
    COLORREF m_textColor = 0;
    QFont m_font;
    QFont m_struckFont;
    CCellGeometry m_cells;
    int m_nRowHeight = 16;
    int m_nBlankWidth = 3;
    int m_nWheelDelta = 0; // of a notch not yet scrolled
    int m_nLiveAppends = 0; // the series' count of records come in live, as last shown
    TypedCharFn m_typed;
    // The row drawn last, kept while the series is unchanged (a row is drawn cell by cell).
    int m_nCachedItem = -1;
    bool m_bCachedValid = false;
    CListRow m_cached;
};
