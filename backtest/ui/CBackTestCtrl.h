// The list of the backtest window: the fills of a run (trade mode, a BackTestEntry per
// row) or its statistics (summary mode, a BackTestSummary per row and the Total row,
// which has no record). Each column's sub-item is its index in the mode's column table.
// A header click sorts ascending, then descending, then not at all; the sort is stable
// and the Total row stays last.
#pragma once

#include "backtest/BackTestColumns.h"
#include "platform/ui/CListCtrl.h"

#include <array>
#include <functional>

class CBackTestCtrl : public CListCtrl {
public:
    struct SortState {
        int column = -1;  // header position
        int index = -1;   // column table index
        bool ascending = true;
    };

    void SetMode(int mode) { m_nMode = mode; }
    int GetMode() const { return m_nMode; }

    // Columns.
    void InsertTableColumn(int position, int index, int width);
    int GetColumnIndex(int column) const;
    int FindIndexColumn(int index) const;
    // Column indexes and widths in display order.
    CBackTestLayout GetLayout() const;
    void DeleteAllColumns();

    // Sorting of the shown mode.
    SortState& GetSort(int mode) { return m_sort[static_cast<size_t>(mode == kSummaryMode)]; }
    void SetSort(int column, bool ascending);
    // Shows the arrow and sorts the rows by the mode's state.
    void ApplySort();

    // Gets the printable characters typed into the list (a symbol starts).
    void SetTypedHandler(std::function<void(char)> typed) { m_typed = std::move(typed); }

    const CMessageMap& GetMessageMap() const override;

protected:
    void OnChar(UINT ch, UINT repeat, UINT flags) override;

private:
    void OnColumnClick(NMHDR* header, LRESULT* result);
    void OnHeaderChanged(NMHDR* header, LRESULT* result);

    std::function<void(char)> m_typed;
    int m_nMode = kTradeMode;
    std::array<SortState, 2> m_sort;
};
