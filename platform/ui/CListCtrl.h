// Report list control over a model of its own rows: columns with order, widths and
// header bitmaps, item texts, data and states, hit tests, sorting with a three-way
// callback, owner drawing (LVS_OWNERDRAWFIXED: DrawItem gets the whole row), label
// editing and drag start. Sends NM_CLICK, NM_DBLCLK, NM_RCLICK, LVN_ITEMCHANGED,
// LVN_COLUMNCLICK, LVN_BEGINDRAG, LVN_BEGINLABELEDIT, LVN_ENDLABELEDIT, LVN_KEYDOWN,
// LVN_DELETEITEM and LVN_DELETEALLITEMS; forwards its header's notifications.
#pragma once

#include "platform/ui/CHeaderCtrl.h"
#include "platform/ui/CDC.h"
#include "platform/ui/CWnd.h"
#include "platform/ui/WinCtrl.h"

#include <functional>
#include <string>

class CBitmap;

class CListCtrl : public CWnd {
public:
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);

    // Columns.
    int InsertColumn(int column, const char* heading, int format = LVCFMT_LEFT, int width = -1, int subItem = -1);
    int InsertColumn(int column, const LVCOLUMN* info);
    BOOL DeleteColumn(int column);
    BOOL GetColumn(int column, LVCOLUMN* info) const;
    BOOL SetColumn(int column, const LVCOLUMN* info);
    int GetColumnCount() const;
    int GetColumnWidth(int column) const;
    BOOL SetColumnWidth(int column, int width);
    BOOL GetColumnOrderArray(int* order, int count = -1) const;
    BOOL SetColumnOrderArray(int count, const int* order);
    // Picture shown in the column's header (e.g. a sort arrow); null removes it.
    BOOL SetHeaderBitmap(int column, const CBitmap* bitmap);
    // The header's own sort arrow: ascending, descending, or none for column -1.
    void SetSortArrow(int column, bool ascending);
    CHeaderCtrl* GetHeaderCtrl() const;

    // Items.
    int InsertItem(int index, const char* text);
    int InsertItem(const LVITEM* item);
    int InsertItem(UINT mask, int index, const char* text, UINT state, UINT stateMask, int image, LPARAM data);
    BOOL SetItem(const LVITEM* item);
    BOOL GetItem(LVITEM* item) const;
    BOOL SetItemText(int item, int subItem, const char* text);
    CString GetItemText(int item, int subItem) const;
    int GetItemText(int item, int subItem, char* buffer, int length) const;
    BOOL SetItemData(int item, DWORD_PTR data);
    DWORD_PTR GetItemData(int item) const;
    // LVIS_SELECTED / LVIS_FOCUSED and the other state bits; item -1 means every item.
    BOOL SetItemState(int item, UINT state, UINT mask);
    UINT GetItemState(int item, UINT mask) const;
    BOOL DeleteItem(int item);
    BOOL DeleteAllItems();
    int GetItemCount() const;
    void SetItemCount(int count);
    int GetNextItem(int start, UINT flags) const;
    UINT GetSelectedCount() const;
    POSITION GetFirstSelectedItemPosition() const;
    int GetNextSelectedItem(POSITION& pos) const;
    int FindItem(const LVFINDINFO* find, int start = -1) const;

    // Geometry, in client coordinates (the header is part of the client area).
    BOOL GetItemRect(int item, LPRECT rect, UINT code) const;
    BOOL GetSubItemRect(int item, int subItem, UINT code, CRect& rect) const;
    int HitTest(CPoint point, UINT* flags = nullptr) const;
    int HitTest(LVHITTESTINFO* info) const;
    int SubItemHitTest(LVHITTESTINFO* info) const;
    BOOL EnsureVisible(int item, BOOL partialOk);
    int GetTopIndex() const;
    int GetCountPerPage() const;
    BOOL Scroll(CSize size);
    BOOL RedrawItems(int first, int last);
    BOOL Update(int item);

    // Sorting: compare gets two items' data and the parameter and returns <0, 0 or >0. Rows
    // that move are laid out at once: the next repaint paints each of them once.
    BOOL SortItems(PFNLVCOMPARE compare, DWORD_PTR parameter);
    BOOL SortItems(const std::function<int(DWORD_PTR, DWORD_PTR)>& compare);
    // As SortItems, with the items' indexes before sorting instead of their data.
    BOOL SortItemsEx(PFNLVCOMPARE compare, DWORD_PTR parameter);

    // Appearance.
    DWORD SetExtendedStyle(DWORD style);
    DWORD GetExtendedStyle() const;
    BOOL SetTextColor(COLORREF color);
    COLORREF GetTextColor() const;
    BOOL SetBkColor(COLORREF color);
    COLORREF GetBkColor() const;
    BOOL SetTextBkColor(COLORREF color);

    // Starts editing the item's label (LVS_EDITLABELS); false when refused.
    BOOL EditLabel(int item);

    // Owner drawing of a whole row, and the height of the rows (asked again when the
    // font changes).
    virtual void DrawItem(LPDRAWITEMSTRUCT draw);
    virtual void MeasureItem(LPMEASUREITEMSTRUCT measure);
    // True when DrawItem paints every pixel of its row under the columns, opaquely: the
    // list's background is then not painted under the rows first.
    virtual bool DrawItemFillsRow() const { return false; }
    // Repainting only the rows that changed. DrawItem names the look it draws its row with
    // (bytes that differ whenever the row would show something else); the list keeps, per
    // item, that look and the part of the row on screen painted with it. Called outside a
    // paint of the window (a drag image, say), it does nothing.
    void SetDrawnLook(const DRAWITEMSTRUCT* draw, std::string look);
    // Whether the window shows the item in this look wherever a repaint of it would reach
    // now: the part in view that no other window covers (a part that a window leaves when
    // it goes is repainted then). True when none of the item shows.
    bool ShowsLook(int item, const std::string& look) const;

    // During LVN_ITEMCHANGED: whether the user made the change with the mouse or the keys
    // in the list. Changes the program makes (rows inserted, removed or sorted, states set)
    // are not the user's, even while a click of the user is being handled.
    bool IsUserChange() const;

    // Internal: notification helpers used by the Qt side.
    LRESULT SendListNotify(UINT code, NMHDR* header);
    bool OwnerDraws() const { return (m_style & LVS_OWNERDRAWFIXED) != 0; }

protected:
    QWidget* CreateWidget(QWidget* parent) override;
    bool PaintsItself() const override { return false; }
    void OnDestroy() override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
};
