// Tab strip. Sends TCN_SELCHANGING and TCN_SELCHANGE when the user picks a tab.
#pragma once

#include "platform/ui/CWnd.h"
#include "platform/ui/WinCtrl.h"

class CTabCtrl : public CWnd {
public:
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);

    int InsertItem(int index, const char* text);
    BOOL DeleteItem(int index);
    BOOL DeleteAllItems();
    int GetItemCount() const;
    // -1 while no tab is selected.
    int GetCurSel() const;
    // -1 selects none: every tab shows unselected until one is picked. Returns the
    // selection before, or -1 for an index out of range.
    int SetCurSel(int index);
    CString GetItemText(int index) const;
    BOOL SetItemText(int index, const char* text);
    BOOL GetItemRect(int index, LPRECT rect) const;
    int HitTest(CPoint point) const;

protected:
    QWidget* CreateWidget(QWidget* parent) override;
    bool PaintsItself() const override { return false; }
};
