// The list of a report window: each column shows one field of the records, named by the
// column table; a header click sorts ascending, a second descending, a third not at all,
// with the arrow on the sorted header; resizing or moving a column sorts again. The
// column layout (fields and widths in display order) is read and written here.
#pragma once

#include "platform/ui/CListCtrl.h"
#include "trading/ReportColumns.h"
#include "trading/ReportLayout.h"

#include <array>
#include <functional>
#include <span>

class CReportListCtrl : public CListCtrl {
public:
    explicit CReportListCtrl(std::span<const CReportColumn> columns);

    std::span<const CReportColumn> GetColumnTable() const { return m_table; }
    int GetFieldCount() const { return static_cast<int>(m_table.size()); }

    // Columns.
    // Every field with a header, in field order, 80 pixels each (dates 150), or as wide as
    // the header's title takes in the list's font.
    void ShowDefaultColumns();
    // Removes every column, clears the sort and inserts the layout's columns.
    void ApplyLayout(const CReportLayout& layout);
    // Fields and widths in display order.
    CReportLayout GetLayout() const;
    int GetColumnField(int column) const;
    // The column showing the field, -1 when none does.
    int FindFieldColumn(int field) const;
    bool IsFieldShown(int field) const { return FindFieldColumn(field) >= 0; }
    // Deletes the field's column, or appends one at the end at its default width.
    void ToggleField(int field);
    // 80 pixels (dates 150), or as wide as the field's title takes in the list's font.
    int DefaultFieldWidth(int field);
    // Sets every cell of the item from its data.
    void FillItemTexts(int item);

    // Sorting: column -1 for none; the rows then keep their order.
    void SetSort(int column, bool ascending);
    int GetSortColumn() const { return m_nSortColumn; }
    int GetSortField() const { return m_nSortField; }
    bool IsSortAscending() const { return m_bAscending; }
    // Display position of the sort column, -1 when unsorted.
    int GetSortDisplayPosition() const;
    // Sorts the rows again by the current sort, if any, and repaints.
    void Resort();

    const CMessageMap& GetMessageMap() const override;

protected:
    // The field's text of the item's record.
    virtual CString GetFieldText(DWORD_PTR data, int field) const = 0;
    // -1, 0 or 1 for ascending order of two items' records by the field.
    virtual int CompareRecords(DWORD_PTR first, DWORD_PTR second, int field) const = 0;
    // An owner-drawn row: its background in colours 0 (normal) or 1 (highlighted), the
    // cells' texts in display order, two blanks in from their edges, in the normal text
    // colour or colour 2, and the focus rectangle.
    void DrawColoredRow(LPDRAWITEMSTRUCT draw, const std::array<COLORREF, 3>& colors, COLORREF normalText,
                        const std::function<CString(int item, int column)>& cellText);

private:
    void InsertFieldColumn(int position, int field, int width);
    void ShowSortArrow();
    void OnColumnClick(NMHDR* header, LRESULT* result);
    void OnHeaderChanged(NMHDR* header, LRESULT* result);

    std::span<const CReportColumn> m_table;
    int m_nSortColumn = -1;
    int m_nSortField = -1;
    bool m_bAscending = true;
};

// A report list whose items carry copies of their records, owned by the list.
template <class Record>
class CRecordListCtrl : public CReportListCtrl {
public:
    using CReportListCtrl::CReportListCtrl;

    // Replaces the items by copies of the records, in their order, then sorts again.
    template <class Range>
    void SetRecords(const Range& records)
    {
        DeleteAllItems();
        m_records.clear();
        for (const Record& r : records) {
            m_records.push_back(std::make_unique<Record>(r));
            const int item = InsertItem(LVIF_PARAM, GetItemCount(), nullptr, 0, 0, -1,
                                        reinterpret_cast<LPARAM>(m_records.back().get()));
            FillItemTexts(item);
        }
        Resort();
    }
    void ClearRecords()
    {
        DeleteAllItems();
        m_records.clear();
    }
    // The item's record, null for no item.
    const Record* GetRecord(int item) const
    {
        return item >= 0 && item < GetItemCount() ? reinterpret_cast<const Record*>(GetItemData(item)) : nullptr;
    }

protected:
    static const Record& RecordOf(DWORD_PTR data) { return *reinterpret_cast<const Record*>(data); }

private:
    std::vector<std::unique_ptr<Record>> m_records;
};
