// Combo box: drop-down list (CBS_DROPDOWNLIST), editable drop-down (CBS_DROPDOWN) or
// simple; items with data; owner-drawn items through DrawItem / MeasureItem when
// created with CBS_OWNERDRAWFIXED. Sends CBN_SELCHANGE on user selection, CBN_EDITCHANGE
// on typing, CBN_DROPDOWN / CBN_CLOSEUP.
#pragma once

#include "platform/ui/CDC.h"
#include "platform/ui/CWnd.h"
#include "platform/ui/WinCtrl.h"

class CComboBox : public CWnd {
public:
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);

    int AddString(const char* text);
    int InsertString(int index, const char* text);
    int DeleteString(UINT index);
    void ResetContent();
    int GetCount() const;
    int GetCurSel() const;
    int SetCurSel(int index);
    int GetLBText(int index, CString& text) const;
    CString GetLBText(int index) const;
    int GetLBTextLen(int index) const;
    int SetItemData(int index, DWORD_PTR data);
    DWORD_PTR GetItemData(int index) const;
    // First item starting with text (case-insensitive) after start; CB_ERR when none.
    int FindString(int start, const char* text) const;
    // First item equal to text ignoring case after start; CB_ERR when none.
    int FindStringExact(int start, const char* text) const;
    int SelectString(int start, const char* text);
    void ShowDropDown(BOOL show = TRUE);
    BOOL GetDroppedState() const;
    BOOL LimitText(int max);
    int SetItemHeight(int index, UINT height);
    void SetEditSel(int start, int end);

    virtual void DrawItem(LPDRAWITEMSTRUCT draw);
    virtual void MeasureItem(LPMEASUREITEMSTRUCT measure);

    // Internal: from the Qt combo.
    void NotifyPopup(bool shown);

protected:
    QWidget* CreateWidget(QWidget* parent) override;
    bool PaintsItself() const override { return false; }
    void SetTextOfWidget(const CString& text) override;
    CString GetTextOfWidget() const override;
    bool IsOwnerDraw() const { return (m_style & (CBS_OWNERDRAWFIXED | CBS_OWNERDRAWVARIABLE)) != 0; }
    void PaintClosedOwnerDraw();
};
