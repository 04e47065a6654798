// The saved orders list: owner-drawn rows in the list's colours, the first ten rows'
// "Hot Key" cells reading Ctrl+1 ... Ctrl+9 and Ctrl+0, and those keys (on the main
// keyboard or the keypad) asking the window to place the row.
#pragma once

#include "broker/session/CSavedOrderRecord.h"
#include "trading/ui/CReportListCtrl.h"

#include <array>
#include <memory>

class QObject;

class CSavedOrdersListCtrl : public CRecordListCtrl<CSavedOrderRecord> {
public:
    CSavedOrdersListCtrl();
    ~CSavedOrdersListCtrl() override;

    // 0 normal background, 1 highlighted background, 2 highlighted text.
    void SetColors(const std::array<COLORREF, 3>& colors);
    const std::array<COLORREF, 3>& GetColors() const { return m_colors; }
    void SetNormalTextColor(COLORREF color) { m_normalText = color; }
    COLORREF GetNormalTextColor() const { return m_normalText; }

    // The text drawn in a cell.
    CString GetCellText(int item, int column) const;
    // Ctrl+digit keys post WM_SAVED_ORDER_HOTKEY with the row to the list's parent.
    void WatchHotKeys();

    void DrawItem(LPDRAWITEMSTRUCT draw) override;

protected:
    CString GetFieldText(DWORD_PTR data, int field) const override;
    int CompareRecords(DWORD_PTR first, DWORD_PTR second, int field) const override;

private:
    std::array<COLORREF, 3> m_colors = {RGB(255, 255, 255), RGB(0, 0, 128), RGB(255, 255, 255)};
    COLORREF m_normalText = RGB(0, 0, 0);
    QObject* m_keyWatcher = nullptr;  // owned by the list's widget
};

// The row a Ctrl+key places: "1" to "9" rows 0 to 8, "0" row 9; -1 for other keys.
int SavedOrderHotKeyRow(int key);
