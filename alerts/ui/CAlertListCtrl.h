// The alert list: one owner-drawn row per alert, each keeping the alert's id and a copy
// of the texts it showed when it was filled; sorted by those texts byte by byte.
#pragma once

#include "alerts/AlertListText.h"
#include "alerts/CAlert.h"
#include "trading/ui/CReportListCtrl.h"

#include <array>
#include <map>
#include <vector>

class CAlertListCtrl : public CReportListCtrl {
public:
    CAlertListCtrl();

    struct Row {
        AlertId id = 0;
        CAlertRowTexts texts;
    };
    // Replaces every row, in the given order, then sorts again.
    void SetRows(const std::vector<Row>& rows);
    // The row of the alert, -1 when it has none.
    int FindRow(AlertId id) const;
    // Rewrites the texts of the alert's row; false when it has none.
    bool UpdateRow(const Row& row);
    // Appends a row.
    void AppendRow(const Row& row);
    void DeleteRow(int item);
    AlertId GetRowId(int item) const;
    // The ids of the selected rows, in list order.
    std::vector<AlertId> GetSelectedIds() const;

    // 0 normal background, 1 highlighted background, 2 highlighted text.
    void SetColors(const std::array<COLORREF, 3>& colors);
    const std::array<COLORREF, 3>& GetColors() const { return m_colors; }
    void SetNormalTextColor(COLORREF color) { m_normalText = color; }
    COLORREF GetNormalTextColor() const { return m_normalText; }

    void DrawItem(LPDRAWITEMSTRUCT draw) override;

protected:
    CString GetFieldText(DWORD_PTR data, int field) const override;
    int CompareRecords(DWORD_PTR first, DWORD_PTR second, int field) const override;

private:
    std::map<AlertId, CAlertRowTexts> m_texts;
    std::array<COLORREF, 3> m_colors = {RGB(255, 255, 255), RGB(0, 0, 128), RGB(255, 255, 255)};
    COLORREF m_normalText = RGB(0, 0, 0);
};
