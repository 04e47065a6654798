// What the quote grid computes, without its window: the column slots, the rows with
// their quote handles and formula cells, cell texts and values by the catalogue's rules,
// the totals, the sort order and the column alerts of custom fields.
#pragma once

#include "views/CGridColumn.h"
#include "views/CGridRow.h"

#include <map>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

class CActivesHandle;
class CQuoteStore;

class CQuoteGridModel {
public:
    // Rows take their quote handles from the store (none: no row can be made).
    explicit CQuoteGridModel(CQuoteStore* store = nullptr);
    ~CQuoteGridModel();
    CQuoteGridModel(const CQuoteGridModel&) = delete;
    CQuoteGridModel& operator=(const CQuoteGridModel&) = delete;

    void SetQuoteStore(CQuoteStore* store) { m_pStore = store; }
    // The window's actives list for Activity and % of Total (snapshot taken by the caller).
    void SetActives(const CActivesHandle* handle) { m_pActives = handle; }

    // Columns live in slots (the model index); a removed column frees its slot for the next.
    int AddColumn(const CGridColumn& column);
    void RemoveColumn(int model);
    const CGridColumn* Column(int model) const;
    // Changes of a column's appearance and alert states (not its formula).
    CGridColumn* MutableColumn(int model);
    int SlotCount() const { return static_cast<int>(m_columns.size()); }

    // Rows are owned here; the window keeps their order. Null when no quote handle can be
    // made for the symbol.
    CGridRow* CreateRow(const CString& symbol, const CPortfolioPosition* position, int tag);
    CGridRow* CreateTotalsRow();
    void DestroyRow(CGridRow* row);
    void DestroyAllRows();
    const std::vector<std::unique_ptr<CGridRow>>& Rows() const { return m_rows; }

    // Text and value of a cell; false when it has no data. value is 0 for text cells.
    bool GetCell(const CGridRow& row, int rowIndex, int model, CString& text, double& value, int barOffset = 0) const;
    // Whether the column shows a quote field as a number: its text follows from the value
    // alone (and the column's decimals), so equal values show equal texts.
    bool ShowsQuoteNumber(int model) const;
    // The quote field value such a column shows for a row (not the totals row); none when
    // the cell has no data.
    std::optional<double> QuoteNumber(const CGridRow& row, int model) const;
    // The value of a custom column's formula for the row at a bar offset, if any.
    std::optional<double> EvaluateCustom(const CGridRow& row, int model, int barOffset) const;
    // Between the two, a formula is evaluated once per row at the newest bar: the
    // column alerts, the sort and the rows' looks of one refresh see the same value.
    void BeginRefresh();
    void EndRefresh();
    // The box colour of a colour field: the first colour of the first rule that holds.
    std::optional<COLORREF> ColorBox(const CGridRow& row, int model, int box) const;
    // The price a position is valued at: Last, for an option Bid (long) or Ask (short).
    std::optional<double> MarkPrice(const CGridRow& row) const;

    // Whether the totals row has a value for the field, and that value.
    static bool HasTotal(int fieldId);
    double Total(int fieldId) const;

    // Sort column (model index, -1 none) and direction.
    void SetSort(int model, bool ascending);
    int GetSortModel() const { return m_nSortModel; }
    bool IsAscending() const { return m_bAscending; }
    // Works out every row's sort key; call before a run of CompareRows.
    void PrepareSortKeys();
    // Three-way order of two rows for the sort column: the totals row last in either
    // direction; equal keys compare equal.
    int CompareRows(const CGridRow& a, const CGridRow& b) const;

    // Evaluates every custom field with an alert for every row and raises a column
    // alert where the value changed since the last check. Returns how many were raised.
    int CheckColumnAlerts();

private:
    std::unique_ptr<CFormula> MakeFormula(const CGridColumn& column, const CGridRow& row) const;
    bool GetCustomCell(const CGridRow& row, const CGridColumn& column, int model, CString& text, double& value,
                       int barOffset) const;
    // A custom cell's text for its value: the display text of the value's state, or the number.
    static CString CustomCellText(const CGridColumn& column, double value);
    bool GetPositionCell(const CGridRow& row, int id, int decimals, CString& text, double& value) const;
    bool GetActivesCell(const CGridRow& row, int id, CString& text, double& value) const;
    std::optional<double> Field(const CGridRow& row, int id) const;
    CGridRow::SortKey MakeSortKey(const CGridRow& row) const;
    CString QualifiedSymbol(const CGridRow& row) const;

    CQuoteStore* m_pStore;
    const CActivesHandle* m_pActives = nullptr;
    std::vector<std::optional<CGridColumn>> m_columns;
    std::vector<std::unique_ptr<CGridRow>> m_rows;
    unsigned m_nRefresh = 0; // the refresh under way (odd), or the last one (even)
    int m_nSortModel = -1;
    bool m_bAscending = true;
    // Last checked value of a custom field per column and symbol: kept across row rebuilds.
    std::map<std::pair<int, CString>, double> m_alertValues;
};

// "%.Nlf" of the value.
CString FixedPointText(double value, int decimals);
