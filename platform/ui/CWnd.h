// A window: a Qt widget with the handlers, messages, timers and geometry calls of the
// workstation's window classes. Standard events reach the virtual handlers below; a
// handler that calls its base class version (or Default()) lets the widget do its own
// processing too. Commands, notifications and private messages go through the class's
// message map (CMessageMap).
#pragma once

#include "platform/core/CPoint.h"
#include "platform/core/CRect.h"
#include "platform/core/CString.h"
#include "platform/ui/CCmdTarget.h"
#include "platform/ui/CMessageQueue.h"
#include "platform/ui/CWndMessage.h"
#include "platform/ui/WinGdi.h"
#include "platform/ui/WinUser.h"

#include <memory>
#include <vector>

class CBitmap;
class CDC;
class CDataExchange;
class CFont;
class CFrameWnd;
class CMenu;
class QEvent;
class QImage;
class QWidget;

class CWnd;

// For its lifetime the window counts as running a handler, as it does while an event
// routed to it is handled: destroying it, or a window that holds it, waits until the
// scope has ended. For commands that one window hands to another (a frame to its view,
// the main frame to its active child), so that a window closed while its command waits
// in a modal loop stays until the command returned.
class CHandlerScope {
public:
    explicit CHandlerScope(const CWnd* wnd);
    ~CHandlerScope();
    CHandlerScope(const CHandlerScope&) = delete;
    CHandlerScope& operator=(const CHandlerScope&) = delete;
};

class CWnd : public CCmdTarget {
public:
    CWnd();
    ~CWnd() override;

    // Handle of the live window (null before Create and after destruction).
    HWND m_hWnd;
    HWND GetSafeHwnd() const { return m_hWnd; }
    static CWnd* FromHandle(HWND handle);
    static CWnd* FromWidget(const QWidget* widget);
    // The widget of the client area, and the outermost widget of the window.
    QWidget* GetWidget() const;
    virtual QWidget* GetOuterWidget() const;

    // Creation and destruction.
    virtual BOOL Create(const char* className, const char* windowName, DWORD style, const RECT& rect,
                        CWnd* parent, UINT id);
    // Asked inside a handler of the window (or of a window inside it), the window is
    // hidden at once and destroyed by the event loop after the handlers returned.
    virtual BOOL DestroyWindow();
    bool IsDestroyPending() const;
    // Whether a handler of any window is running (an event, message or command).
    static bool IsHandlingMessage();
    // Takes over a control window already created (e.g. by a dialog template).
    BOOL SubclassDlgItem(UINT id, CWnd* parent);
    BOOL SubclassWindow(HWND handle);
    // Adopts a widget made elsewhere as this window.
    void AttachWidget(QWidget* widget, UINT id, DWORD style);

    // Family.
    CWnd* GetParent() const;
    CWnd* SetParent(CWnd* newParent);
    CFrameWnd* GetParentFrame() const;
    CFrameWnd* GetTopLevelFrame() const;
    CWnd* GetTopLevelParent() const;
    CWnd* GetDlgItem(int id) const;
    std::vector<CWnd*> GetChildWindows() const;
    int GetDlgCtrlID() const { return static_cast<int>(m_id); }
    void SetDlgCtrlID(int id) { m_id = static_cast<UINT>(id); }
    BOOL IsChild(const CWnd* other) const;

    // Messages.
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0,
                     std::unique_ptr<CMessagePayload> payload = nullptr) const;
    // Delivery entry of the message queue and of SendMessage.
    LRESULT DeliverMessage(CWndMessage& message);
    // Sends a WM_NOTIFY from this control: first to the control's own reflected
    // handlers, then to the parent. Fills hwndFrom, idFrom and code.
    LRESULT NotifyParent(UINT code, NMHDR* header = nullptr);
    // Sends a control command (WM_COMMAND with the code) to the parent.
    void CommandParent(UINT code);
    BOOL OnCmdMsg(UINT id, UINT code, CCmdUI* ui) override;

    // Geometry, in pixels. Client coordinates have the client area's top left as origin.
    void GetClientRect(LPRECT rect) const;
    void GetWindowRect(LPRECT rect) const;
    void ClientToScreen(LPPOINT point) const;
    void ClientToScreen(LPRECT rect) const;
    void ScreenToClient(LPPOINT point) const;
    void ScreenToClient(LPRECT rect) const;
    void MoveWindow(int x, int y, int width, int height, BOOL repaint = TRUE);
    void MoveWindow(LPCRECT rect, BOOL repaint = TRUE);
    BOOL SetWindowPos(const CWnd* insertAfter, int x, int y, int cx, int cy, UINT flags);
    void SetZOrder(ZOrder where);
    // A top-level window above all windows that are not (or no longer); changed in place,
    // without hiding and showing the window again.
    void SetTopMost(bool on);
    bool IsTopMost() const;
    BOOL ShowWindow(int command);
    BOOL IsWindowVisible() const;
    BOOL IsIconic() const;
    BOOL IsZoomed() const;
    BOOL EnableWindow(BOOL enable = TRUE);
    BOOL IsWindowEnabled() const;
    void BringWindowToTop();
    void CenterWindow(CWnd* alternateOwner = nullptr);
    virtual BOOL GetWindowPlacement(WINDOWPLACEMENT* placement) const;
    virtual BOOL SetWindowPlacement(const WINDOWPLACEMENT* placement);

    // Focus, text, font, style.
    CWnd* SetFocus();
    static CWnd* GetFocus();
    // The window under a screen point (the innermost one), or null.
    static CWnd* WindowFromPoint(POINT screenPoint);
    void SetWindowText(const char* text);
    void GetWindowText(CString& text) const;
    CString GetWindowText() const;
    int GetWindowTextLength() const;
    void SetFont(const CFont* font, BOOL redraw = TRUE);
    CFont* GetFont() const;
    DWORD GetStyle() const { return m_style; }
    BOOL ModifyStyle(DWORD remove, DWORD add, UINT flags = 0);

    // Painting.
    void Invalidate(BOOL erase = TRUE);
    void InvalidateRect(LPCRECT rect, BOOL erase = TRUE);
    void UpdateWindow();
    void RedrawWindow();
    void SetRedraw(BOOL redraw = TRUE);
    void SetBackgroundColor(COLORREF color);
    COLORREF GetBackgroundColor() const { return m_background; }

    // Timers: OnTimer(id) runs every elapse milliseconds until KillTimer.
    UINT_PTR SetTimer(UINT_PTR id, UINT elapse, void* unused = nullptr);
    BOOL KillTimer(UINT_PTR id);

    // Mouse capture and cursor.
    CWnd* SetCapture();
    static BOOL ReleaseCapture();
    static CWnd* GetCapture();
    // Cursor shown over this window (IDC_ARROW by default).
    void SetWindowCursor(HCURSOR cursor);

    // Scroll bars of a plain window (SB_HORZ, SB_VERT).
    BOOL SetScrollInfo(int bar, const SCROLLINFO* info, BOOL redraw = TRUE);
    BOOL GetScrollInfo(int bar, SCROLLINFO* info, UINT mask = SIF_ALL) const;
    int SetScrollPos(int bar, int pos, BOOL redraw = TRUE);
    int GetScrollPos(int bar) const;
    void SetScrollRange(int bar, int minPos, int maxPos, BOOL redraw = TRUE);
    void GetScrollRange(int bar, int* minPos, int* maxPos) const;
    void ShowScrollBar(UINT bar, BOOL show = TRUE);

    // Child control helpers (by control id).
    void SetDlgItemText(int id, const char* text);
    int GetDlgItemText(int id, CString& text) const;
    CString GetDlgItemText(int id) const;
    void SetDlgItemInt(int id, UINT value, BOOL isSigned = TRUE);
    UINT GetDlgItemInt(int id, BOOL* translated = nullptr, BOOL isSigned = TRUE) const;
    void CheckDlgButton(int id, UINT check);
    UINT IsDlgButtonChecked(int id) const;
    void CheckRadioButton(int firstId, int lastId, int checkId);
    int GetCheckedRadioButton(int firstId, int lastId) const;

    // Data exchange between member variables and controls: save TRUE reads the
    // controls (and validates), FALSE fills them. False when a validation failed.
    BOOL UpdateData(BOOL save = TRUE);
    virtual void DoDataExchange(CDataExchange* dx);

    // Drawing context for measuring outside OnPaint, owned by the window until
    // ReleaseDC (see CClientDC for what drawing through it does).
    CDC* GetDC();
    int ReleaseDC(CDC* dc);
    // The window as it looks now (child windows included), for printing or export.
    BOOL CaptureToBitmap(CBitmap& bitmap);
    // Asks for the user's attention (task bar flash) until the window is activated.
    BOOL FlashWindow(BOOL invert);

    // Message box owned by this window (through the replaceable responder).
    int MessageBox(const char* text, const char* caption = nullptr, UINT type = MB_OK);
    // Runs update-UI handlers for the items of the popup before it shows.
    virtual void OnInitMenuPopup(CMenu* popup, UINT index, BOOL sysMenu);

    // Internal: the routed Qt event of the widget (or of its viewport).
    bool RouteEvent(QWidget* source, QEvent* event);
    void WidgetDestroyed(QWidget* widget);
    // Internal: the picture of a self-painting window. OnPaint draws into it, and so do
    // window contexts (CClientDC) between paints; the screen shows it.
    QImage* PaintSurface();
    bool IsPainting() const;
    QImage* BeginClientDraw();
    void EndClientDraw();

protected:
    // Makes the widget of this window. Plain windows get a painted surface; controls
    // override this to make their Qt control; frames also make an outer widget and
    // hand it over with SetPendingOuter.
    virtual QWidget* CreateWidget(QWidget* parent);
    void SetPendingOuter(QWidget* outer);
    // True for windows that paint themselves through OnPaint.
    virtual bool PaintsItself() const { return true; }
    virtual void SetTextOfWidget(const CString& text);
    virtual CString GetTextOfWidget() const;
    // The parent widget under which this window's children and frames are put.
    virtual QWidget* GetContainerWidget() const;
    // Widgets whose events are routed besides the widget itself (e.g. a viewport).
    void RouteEventsOf(QWidget* widget);
    void Register(QWidget* widget, QWidget* outer);

    virtual LRESULT WindowProc(CWndMessage& message);
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result);
    // Reflected notifications from this control's own sends; true when handled.
    virtual BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    // Asks for the widget's own processing of the event being handled.
    void Default();

    // Handlers.
    virtual int OnCreate(LPCREATESTRUCT create);
    virtual void OnDestroy();
    virtual void OnNcDestroy();
    virtual void PostNcDestroy();
    virtual void OnClose();
    virtual void OnSize(UINT type, int cx, int cy);
    virtual void OnMove(int x, int y);
    virtual void OnPaint();
    virtual BOOL OnEraseBkgnd(CDC* dc);
    virtual void OnTimer(UINT_PTR id);
    virtual void OnLButtonDown(UINT flags, CPoint point);
    virtual void OnLButtonUp(UINT flags, CPoint point);
    virtual void OnLButtonDblClk(UINT flags, CPoint point);
    virtual void OnRButtonDown(UINT flags, CPoint point);
    virtual void OnRButtonUp(UINT flags, CPoint point);
    virtual void OnRButtonDblClk(UINT flags, CPoint point);
    virtual void OnMButtonDown(UINT flags, CPoint point);
    virtual void OnMButtonUp(UINT flags, CPoint point);
    virtual void OnMouseMove(UINT flags, CPoint point);
    virtual BOOL OnMouseWheel(UINT flags, short delta, CPoint screenPoint);
    virtual void OnKeyDown(UINT key, UINT repeat, UINT flags);
    virtual void OnKeyUp(UINT key, UINT repeat, UINT flags);
    virtual void OnChar(UINT ch, UINT repeat, UINT flags);
    virtual void OnContextMenu(CWnd* wnd, CPoint screenPoint);
    virtual void OnHScroll(UINT code, UINT pos, CWnd* bar);
    virtual void OnVScroll(UINT code, UINT pos, CWnd* bar);
    virtual void OnActivate(UINT state, CWnd* other, BOOL minimized);
    virtual void OnChildActivate();
    virtual void OnSysCommand(UINT id, LPARAM lParam);
    virtual void OnSetFocus(CWnd* oldWnd);
    virtual void OnKillFocus(CWnd* newWnd);
    virtual void OnShowWindow(BOOL show, UINT status);
    virtual void OnCaptureChanged(CWnd* wnd);

    UINT m_id = 0;
    DWORD m_style = 0;
    COLORREF m_background;

private:
    struct Impl;
    friend struct Impl;
    bool DestroyInternal(bool widgetDying);
    void StopTimers();
    bool DispatchStandardEvent(QWidget* source, QEvent* event);
    void LayoutScrollBars();

    std::unique_ptr<Impl> m_impl;
    std::shared_ptr<int> m_life;
};

// A process-wide message id for the name, the same for every caller (0xC000 upward).
UINT RegisterWindowMessage(const char* name);

// Shows a wait cursor for its lifetime.
class CWaitCursor {
public:
    CWaitCursor();
    ~CWaitCursor();
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;
    void Restore();

private:
    bool m_active = true;
};
