// A small panel painted by hand into a window of its own that the user drags around,
// owned by a view (the chart's Snapshot and Tracking Windows). The rectangle is kept in
// the owner view's client coordinates; the panel's stored form ends with its top left.
#pragma once

#include "platform/core/CRect.h"
#include "platform/core/CString.h"
#include "platform/ui/CFont.h"
#include "platform/ui/WinUser.h"
#include "views/ui/FieldPanelLook.h"

#include <memory>
#include <vector>

class CArchive;
class CDC;
class CFloatingPanelWnd;
class CWnd;

class CFloatingWnd {
public:
    explicit CFloatingWnd(const CRect& rect = CRect(0, 0, 60, 16));
    virtual ~CFloatingWnd();
    CFloatingWnd(const CFloatingWnd&) = delete;
    CFloatingWnd& operator=(const CFloatingWnd&) = delete;

    // A tool window with the title, owned by the owner window (the main frame when none),
    // which it stays above; shown without activation. False without a main frame.
    virtual BOOL CreateWnd(const char* title, CWnd* owner = nullptr);
    virtual void Save(CArchive& ar) const;
    // Layouts before version 5 carry no position: the panel then keeps its place.
    virtual void Load(CArchive& ar, DWORD version);
    // Measures the contents and sizes the rectangle and the window.
    virtual void LayOut();
    virtual void Paint(CDC& dc);
    virtual void OnButtonDown(CPoint point);
    virtual void OnButtonUp(CPoint point);
    virtual void RequestPaint();
    virtual void OnMouseMove(CPoint point);
    virtual void BringToFront();
    // From the window: the context menu, the panel's commands and private messages.
    virtual void OnContextMenu(CPoint /*screenPoint*/) {}
    virtual bool OnCommand(UINT /*id*/) { return false; }
    virtual LRESULT OnPanelMessage(UINT /*message*/, WPARAM, LPARAM) { return 0; }

    void SetOwnerView(CWnd* view);
    CWnd* GetOwnerView() const { return m_pOwnerView; }
    // Moves the rectangle and the window.
    void Offset(int dx, int dy);
    // Puts the top left at a point of the owner view.
    void MoveTo(CPoint topLeft);
    // The window moved: where the user put it (by its title bar) becomes the rectangle's
    // place; the window's answers to the panel's own placing, and moves while it is hidden
    // or minimised, change nothing.
    void OnWindowMoved();
    const CRect& GetRect() const { return m_rect; }
    // The panel's window while it exists, else null.
    CWnd* GetWnd() const;
    void DestroyWnd();

    // Font and colours; Refresh lays out again and repaints (after they changed).
    void SetLook(const CFieldPanelLook& look);
    const CFieldPanelLook& GetLook() const { return m_look; }
    void Refresh();
    bool IsDragging() const { return m_bDragging; }

protected:
    virtual const char* ClassName() const { return "CFloatingWnd"; }
    // The panel's font in the window's context: width of a text and height of a line.
    int TextWidth(const CString& text) const;
    int TextHeight(const CString& text) const;
    // Gives the rectangle that size (top left kept) and fits the window to it.
    void Resize(CSize size);
    void PlaceWindow();
    const CFont& GetFont() const { return m_font; }

private:
    std::unique_ptr<CFloatingPanelWnd> m_pWnd;
    CWnd* m_pOwnerView = nullptr;
    CRect m_rect;
    // Screen points the window was sent to and has not reported yet, oldest first.
    std::vector<CPoint> m_placing;
    bool m_bMoved = false;
    bool m_bDragging = false;
    CPoint m_dragStart;
    HCURSOR m_dragCursor = 0;
    HCURSOR m_savedCursor = IDC_ARROW;
    CFieldPanelLook m_look;
    CFont m_font;
};
