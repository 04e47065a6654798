// Base of the report lists: a header click sorts by that column (again: the other way)
// with an arrow in the header; the column display order for printing and layouts.
#pragma once

#include "platform/ui/CListCtrl.h"

#include <vector>

class CColumnListCtrl : public CListCtrl {
public:
    // Column display order (indexes of the columns, leftmost first).
    void GetColumnOrder(std::vector<int>& order) const;
    // Sorts by the current column and repaints.
    void Refresh();
    void SortByColumn(int column, bool ascending);
    int GetSortColumn() const { return m_nSortColumn; }
    bool IsSortAscending() const { return m_bAscending; }

    const CMessageMap& GetMessageMap() const override;

protected:
    // Three-way compare of two rows (item indexes) in the column; the default compares
    // numbers as numbers and other texts without case.
    virtual int CompareRows(int first, int second, int column) const;

private:
    void OnColumnClick(NMHDR* header, LRESULT* result);

    int m_nSortColumn = -1;
    bool m_bAscending = true;
};
