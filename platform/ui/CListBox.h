// List box: single, multiple (LBS_MULTIPLESEL) or extended (LBS_EXTENDEDSEL) selection,
// sorted (LBS_SORT), owner-drawn through DrawItem / MeasureItem. Sends LBN_SELCHANGE and
// LBN_DBLCLK.
#pragma once

#include "platform/ui/CDC.h"
#include "platform/ui/CWnd.h"
#include "platform/ui/WinCtrl.h"

class CListBox : public CWnd {
public:
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);

    int AddString(const char* text);
    int InsertString(int index, const char* text);
    int DeleteString(UINT index);
    void ResetContent();
    int GetCount() const;
    int GetCurSel() const;
    int SetCurSel(int index);
    int GetSel(int index) const;
    int SetSel(int index, BOOL select = TRUE);
    int GetSelCount() const;
    int GetSelItems(int max, int* indexes) const;
    int GetText(int index, CString& text) const;
    CString GetText(int index) const;
    int GetTextLen(int index) const;
    int SetItemData(int index, DWORD_PTR data);
    DWORD_PTR GetItemData(int index) const;
    int FindString(int start, const char* text) const;
    int FindStringExact(int start, const char* text) const;
    int SelectString(int start, const char* text);
    int GetTopIndex() const;
    int SetTopIndex(int index);
    int GetItemRect(int index, LPRECT rect) const;
    UINT ItemFromPoint(CPoint point, BOOL& outside) const;
    int SetItemHeight(int index, UINT height);

    virtual void DrawItem(LPDRAWITEMSTRUCT draw);
    virtual void MeasureItem(LPMEASUREITEMSTRUCT measure);

protected:
    QWidget* CreateWidget(QWidget* parent) override;
    bool PaintsItself() const override { return false; }
    bool IsOwnerDraw() const { return (m_style & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE)) != 0; }
};
