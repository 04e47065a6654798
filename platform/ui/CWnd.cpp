#include "platform/ui/CWnd.h"

#include "platform/ui/CBitmap.h"
#include "platform/ui/CDC.h"
#include "platform/ui/CFont.h"
#include "platform/ui/CFrameWnd.h"
#include "platform/ui/CMenu.h"
#include "platform/ui/CResourceStore.h"
#include "platform/ui/CUiResponder.h"
#include "platform/ui/CWindowRegistry.h"
#include "platform/ui/ModalKeyRouting.h"
#include "platform/ui/ModalLoops.h"
#include "platform/ui/QtConvert.h"
#include "platform/ui/QxWindowHost.h"
#include "platform/ui/WinGdi.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QCursor>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QMoveEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QResizeEvent>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>
#include <QWheelEvent>
#include <QWindow>

#include <map>
#include <mutex>
#include <string>

namespace {

int g_routeDepth = 0;      // routed events on the stack
CWnd* g_eventWnd = nullptr;  // window whose handler runs (for SetCursor)
QPointer<QWidget> g_captureWidget;

constexpr HCURSOR kResourceCursorBase = 0x10000;

Qt::CursorShape ToCursorShape(HCURSOR c)
{
    switch (static_cast<StandardCursor>(c)) {
    case StandardCursor::IBeam: return Qt::IBeamCursor;
    case StandardCursor::Wait: return Qt::WaitCursor;
    case StandardCursor::Cross: return Qt::CrossCursor;
    case StandardCursor::UpArrow: return Qt::UpArrowCursor;
    case StandardCursor::SizeAll: return Qt::SizeAllCursor;
    case StandardCursor::SizeNWSE: return Qt::SizeFDiagCursor;
    case StandardCursor::SizeNESW: return Qt::SizeBDiagCursor;
    case StandardCursor::SizeWE: return Qt::SizeHorCursor;
    case StandardCursor::SizeNS: return Qt::SizeVerCursor;
    case StandardCursor::No: return Qt::ForbiddenCursor;
    case StandardCursor::Hand: return Qt::PointingHandCursor;
    case StandardCursor::AppStarting: return Qt::BusyCursor;
    case StandardCursor::Arrow: break;
    }
    return Qt::ArrowCursor;
}

QCursor ToQCursor(HCURSOR c)
{
    if (c >= kResourceCursorBase) {
        int hx = 0;
        int hy = 0;
        if (const std::string* data = CResourceStore::Instance().FindCursorData(static_cast<UINT>(c - kResourceCursorBase), hx, hy)) {
            QPixmap p;
            if (p.loadFromData(reinterpret_cast<const uchar*>(data->data()), static_cast<uint>(data->size())))
                return QCursor(p, hx, hy);
        }
        return QCursor(Qt::ArrowCursor);
    }
    return QCursor(ToCursorShape(c));
}

HCURSOR FromCursorShape(Qt::CursorShape s)
{
    switch (s) {
    case Qt::IBeamCursor: return IDC_IBEAM;
    case Qt::WaitCursor: return IDC_WAIT;
    case Qt::CrossCursor: return IDC_CROSS;
    case Qt::UpArrowCursor: return IDC_UPARROW;
    case Qt::SizeAllCursor: return IDC_SIZEALL;
    case Qt::SizeFDiagCursor: return IDC_SIZENWSE;
    case Qt::SizeBDiagCursor: return IDC_SIZENESW;
    case Qt::SizeHorCursor: return IDC_SIZEWE;
    case Qt::SizeVerCursor: return IDC_SIZENS;
    case Qt::ForbiddenCursor: return IDC_NO;
    case Qt::PointingHandCursor: return IDC_HAND;
    case Qt::BusyCursor: return IDC_APPSTARTING;
    default: return IDC_ARROW;
    }
}

UINT VirtualKeyFromQt(int key)
{
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return static_cast<UINT>('A' + (key - Qt::Key_A));
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return static_cast<UINT>('0' + (key - Qt::Key_0));
    if (key >= Qt::Key_F1 && key <= Qt::Key_F12)
        return VK_F1 + static_cast<UINT>(key - Qt::Key_F1);
    switch (key) {
    case Qt::Key_Backspace: return VK_BACK;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return VK_TAB;
    case Qt::Key_Return:
    case Qt::Key_Enter: return VK_RETURN;
    case Qt::Key_Shift: return VK_SHIFT;
    case Qt::Key_Control: return VK_CONTROL;
    case Qt::Key_Alt: return VK_MENU;
    case Qt::Key_Escape: return VK_ESCAPE;
    case Qt::Key_Space: return VK_SPACE;
    case Qt::Key_PageUp: return VK_PRIOR;
    case Qt::Key_PageDown: return VK_NEXT;
    case Qt::Key_End: return VK_END;
    case Qt::Key_Home: return VK_HOME;
    case Qt::Key_Left: return VK_LEFT;
    case Qt::Key_Up: return VK_UP;
    case Qt::Key_Right: return VK_RIGHT;
    case Qt::Key_Down: return VK_DOWN;
    case Qt::Key_Insert: return VK_INSERT;
    case Qt::Key_Delete: return VK_DELETE;
    case Qt::Key_Plus: return VK_ADD;
    case Qt::Key_Minus: return VK_SUBTRACT;
    default: return static_cast<UINT>(key & 0xFFFF);
    }
}

UINT MouseFlags(Qt::MouseButtons buttons, Qt::KeyboardModifiers mods)
{
    UINT f = 0;
    if (buttons & Qt::LeftButton)
        f |= MK_LBUTTON;
    if (buttons & Qt::RightButton)
        f |= MK_RBUTTON;
    if (buttons & Qt::MiddleButton)
        f |= MK_MBUTTON;
    if (mods & Qt::ShiftModifier)
        f |= MK_SHIFT;
    if (mods & Qt::ControlModifier)
        f |= MK_CONTROL;
    return f;
}

std::vector<HWND> g_handlerWindows;  // windows whose handlers run, innermost last
std::vector<HWND> g_pendingDestroys;  // windows to destroy once their handlers returned
bool g_destroyScheduled = false;

void SchedulePendingDestroys();

class RouteScope {
public:
    explicit RouteScope(CWnd* wnd) : m_saved(g_eventWnd), m_handler(wnd)
    {
        ++g_routeDepth;
        g_eventWnd = wnd;
    }
    ~RouteScope()
    {
        --g_routeDepth;
        g_eventWnd = m_saved;
    }
    RouteScope(const RouteScope&) = delete;
    RouteScope& operator=(const RouteScope&) = delete;

private:
    CWnd* m_saved;
    CHandlerScope m_handler;
};

}  // namespace

CHandlerScope::CHandlerScope(const CWnd* wnd)
{
    g_handlerWindows.push_back(wnd ? wnd->m_hWnd : HWND());
}

CHandlerScope::~CHandlerScope()
{
    g_handlerWindows.pop_back();
    if (!g_pendingDestroys.empty())
        SchedulePendingDestroys();
}

namespace {

// Whether a handler of the window, or of a window inside it, is running.
bool IsInHandler(const CWnd* wnd)
{
    for (HWND h : g_handlerWindows) {
        CWnd* running = CWnd::FromHandle(h);
        if (running && (running == wnd || wnd->IsChild(running)))
            return true;
    }
    return false;
}

void RunPendingDestroys()
{
    g_destroyScheduled = false;
    std::vector<HWND> pending;
    pending.swap(g_pendingDestroys);
    for (HWND h : pending) {
        CWnd* wnd = CWnd::FromHandle(h);
        if (!wnd)
            continue;
        if (IsInHandler(wnd))
            g_pendingDestroys.push_back(h);  // a nested loop ran this: wait for the handler
        else
            wnd->DestroyWindow();
    }
}

void SchedulePendingDestroys()
{
    if (g_destroyScheduled || !QCoreApplication::instance())
        return;
    g_destroyScheduled = true;
    QTimer::singleShot(0, QCoreApplication::instance(), [] { RunPendingDestroys(); });
}

void DeleteWidget(QWidget* w)
{
    if (!w)
        return;
    if (g_routeDepth > 0) {
        w->hide();
        w->deleteLater();
    } else {
        delete w;
    }
}

}  // namespace

struct CWnd::Impl {
    QPointer<QWidget> widget;
    QPointer<QWidget> outer;
    QPointer<QWidget> pendingOuter;
    std::vector<QPointer<QxEventForwarder>> forwarders;
    std::map<UINT_PTR, std::unique_ptr<QTimer>> timers;
    QPointer<QScrollBar> scroll[2];
    bool scrollShown[2] = {false, false};
    const CFont* font = nullptr;
    bool destroying = false;
    bool destroyPending = false;  // asked inside its own handler: the event loop destroys it
    bool callDefault = false;
    HCURSOR cursor = IDC_ARROW;
    std::vector<std::unique_ptr<CDC>> dcs;
    QImage surface;
    bool paintPending = true;  // OnPaint must run at the next paint
    bool clientDrawn = false;  // a window context drew since the last paint
    bool painting = false;
    int clientPainters = 0;
};

CWnd::CWnd() : m_background(GetSysColor(COLOR_WINDOW)), m_impl(std::make_unique<Impl>()), m_life(std::make_shared<int>(0))
{
}

CWnd::~CWnd()
{
    if (m_impl->widget && !m_impl->destroying) {
        // A window object going away before its window: tear the window down without
        // calling back into the (already destroyed) derived class.
        StopTimers();
        if (g_captureWidget && g_captureWidget == m_impl->widget)
            ReleaseCapture();
        for (auto& f : m_impl->forwarders)
            if (f)
                f->SetOwner(nullptr);
        if (auto* link = dynamic_cast<QxHostLink*>(m_impl->widget.data()))
            link->SetOwner(nullptr);
        CWindowRegistry::Instance().Unregister(m_hWnd);
        m_hWnd = nullptr;
        QWidget* outer = m_impl->outer ? m_impl->outer.data() : m_impl->widget.data();
        DeleteWidget(outer);
    }
}

CWnd* CWnd::FromHandle(HWND handle)
{
    return CWindowRegistry::Instance().Lookup(handle);
}

CWnd* CWnd::FromWidget(const QWidget* widget)
{
    return CWindowRegistry::Instance().FromWidget(widget);
}

QWidget* CWnd::GetWidget() const
{
    return m_impl->widget.data();
}

QWidget* CWnd::GetOuterWidget() const
{
    return m_impl->outer ? m_impl->outer.data() : m_impl->widget.data();
}

QWidget* CWnd::GetContainerWidget() const
{
    return GetWidget();
}

QWidget* CWnd::CreateWidget(QWidget* parent)
{
    auto* w = new QxWindowHost<QWidget>(this, parent);
    w->setMouseTracking(true);
    w->setFocusPolicy(Qt::StrongFocus);
    w->setAttribute(Qt::WA_OpaquePaintEvent);
    return w;
}

static bool EnsureSurface(QImage& surface, QWidget* w, COLORREF background)
{
    const qreal dpr = w->devicePixelRatioF();
    const QSize pixels = (QSizeF(w->size()) * dpr).toSize().expandedTo(QSize(1, 1));
    if (surface.size() == pixels)
        return false;
    QImage fresh(pixels, QImage::Format_RGB32);
    fresh.setDevicePixelRatio(dpr);
    fresh.fill(ToQColor(background));
    surface = std::move(fresh);
    return true;
}

QImage* CWnd::PaintSurface()
{
    return m_impl->widget && PaintsItself() ? &m_impl->surface : nullptr;
}

bool CWnd::IsPainting() const
{
    return m_impl->painting;
}

QImage* CWnd::BeginClientDraw()
{
    QWidget* w = m_impl->widget;
    if (!w || !PaintsItself() || m_impl->painting)
        return nullptr;
    if (EnsureSurface(m_impl->surface, w, m_background))
        m_impl->paintPending = true;  // a new picture still needs the window's own paint
    ++m_impl->clientPainters;
    return &m_impl->surface;
}

void CWnd::EndClientDraw()
{
    if (m_impl->clientPainters > 0)
        --m_impl->clientPainters;
    m_impl->clientDrawn = true;
    if (QWidget* w = m_impl->widget)
        w->update();
}

void CWnd::Register(QWidget* widget, QWidget* outer)
{
    CMessageQueue::Initialize();
    m_impl->widget = widget;
    m_impl->outer = outer && outer != widget ? outer : nullptr;
    m_hWnd = CWindowRegistry::Instance().Register(this, widget);
    if (m_impl->outer)
        CWindowRegistry::Instance().SetOuter(m_hWnd, m_impl->outer);
}

void CWnd::SetPendingOuter(QWidget* outer)
{
    m_impl->pendingOuter = outer;
}

void CWnd::RouteEventsOf(QWidget* widget)
{
    auto* f = new QxEventForwarder(this, widget);  // owned by the widget
    widget->installEventFilter(f);
    m_impl->forwarders.emplace_back(f);
}

BOOL CWnd::Create(const char* /*className*/, const char* windowName, DWORD style, const RECT& rect, CWnd* parent,
                  UINT id)
{
    if (m_impl->widget)
        return FALSE;
    QWidget* parentWidget = parent ? parent->GetContainerWidget() : nullptr;
    m_id = id;
    m_style = style;
    m_impl->pendingOuter = nullptr;
    QWidget* w = CreateWidget(parentWidget);
    if (!w)
        return FALSE;
    Register(w, m_impl->pendingOuter);
    m_impl->pendingOuter = nullptr;
    if (windowName && *windowName)
        SetTextOfWidget(windowName);
    const CRect r(rect);
    if (!r.IsRectNull())
        GetOuterWidget()->setGeometry(ToQRect(r));
    if (style & WS_DISABLED)
        w->setEnabled(false);
    CREATESTRUCT cs;
    cs.x = r.left;
    cs.y = r.top;
    cs.cx = r.Width();
    cs.cy = r.Height();
    cs.style = style;
    cs.lpszName = windowName;
    cs.hwndParent = parent ? parent->m_hWnd : HWND();
    cs.id = id;
    std::weak_ptr<int> alive = m_life;
    if (OnCreate(&cs) == -1) {
        if (!alive.expired())
            DestroyWindow();
        return FALSE;
    }
    if (alive.expired() || !m_impl->widget)
        return FALSE;
    // A child made without the visible style stays hidden until shown in code; a widget
    // left unmarked would show with its parent.
    if (style & WS_VISIBLE)
        GetOuterWidget()->show();
    else if (style & WS_CHILD)
        GetOuterWidget()->hide();
    return TRUE;
}

void CWnd::AttachWidget(QWidget* widget, UINT id, DWORD style)
{
    m_id = id;
    m_style = style;
    Register(widget, nullptr);
}

BOOL CWnd::DestroyWindow()
{
    if (!m_impl->widget || m_impl->destroying)
        return FALSE;
    if (IsInHandler(this)) {
        // Destroying it now would free the window, its widgets and menus under the
        // handler that is still using them: hide it and let the event loop destroy it.
        if (!m_impl->destroyPending) {
            m_impl->destroyPending = true;
            if (QWidget* outer = GetOuterWidget())
                outer->hide();
            g_pendingDestroys.push_back(m_hWnd);
        }
        SchedulePendingDestroys();
        return TRUE;
    }
    return DestroyInternal(false) ? TRUE : FALSE;
}

bool CWnd::IsDestroyPending() const
{
    return m_impl->destroyPending;
}

bool CWnd::IsHandlingMessage()
{
    return g_routeDepth > 0;
}

bool CWnd::DestroyInternal(bool widgetDying)
{
    if (!m_impl->widget || m_impl->destroying)
        return false;
    m_impl->destroying = true;
    m_impl->destroyPending = false;
    std::weak_ptr<int> alive = m_life;
    OnDestroy();
    for (CWnd* child : GetChildWindows())
        child->DestroyWindow();
    StopTimers();
    if (g_captureWidget && g_captureWidget == m_impl->widget)
        ReleaseCapture();
    for (auto& f : m_impl->forwarders)
        if (f)
            f->SetOwner(nullptr);
    m_impl->forwarders.clear();
    if (auto* link = dynamic_cast<QxHostLink*>(m_impl->widget.data()))
        link->SetOwner(nullptr);
    CWindowRegistry::Instance().Unregister(m_hWnd);
    m_hWnd = nullptr;
    QWidget* outer = m_impl->outer ? m_impl->outer.data() : m_impl->widget.data();
    m_impl->widget = nullptr;
    m_impl->outer = nullptr;
    if (!widgetDying)
        DeleteWidget(outer);
    m_impl->destroying = false;
    OnNcDestroy();  // may delete this
    return true;
}

void CWnd::WidgetDestroyed(QWidget* widget)
{
    if (widget == m_impl->widget)
        DestroyInternal(true);
}

BOOL CWnd::SubclassDlgItem(UINT id, CWnd* parent)
{
    if (!parent)
        return FALSE;
    CWnd* existing = parent->GetDlgItem(static_cast<int>(id));
    if (!existing)
        return FALSE;
    return SubclassWindow(existing->m_hWnd);
}

BOOL CWnd::SubclassWindow(HWND handle)
{
    CWnd* old = FromHandle(handle);
    if (!old || old == this || m_impl->widget)
        return FALSE;
    // The window keeps its handle and widget; this object becomes its owner.
    std::swap(m_impl, old->m_impl);
    m_hWnd = old->m_hWnd;
    old->m_hWnd = nullptr;
    m_id = old->m_id;
    m_style = old->m_style;
    m_background = old->m_background;
    CWindowRegistry::Instance().Rebind(m_hWnd, this);
    if (auto* link = dynamic_cast<QxHostLink*>(m_impl->widget.data()))
        link->SetOwner(this);
    for (auto& f : m_impl->forwarders)
        if (f)
            f->SetOwner(this);
    return TRUE;
}

CWnd* CWnd::GetParent() const
{
    QWidget* w = GetOuterWidget();
    for (QWidget* p = w ? w->parentWidget() : nullptr; p; p = p->parentWidget())
        if (CWnd* wnd = FromWidget(p))
            return wnd;
    return nullptr;
}

CWnd* CWnd::SetParent(CWnd* newParent)
{
    CWnd* old = GetParent();
    QWidget* w = GetOuterWidget();
    if (!w)
        return old;
    const bool visible = !w->isHidden();
    const QRect g = w->geometry();
    w->setParent(newParent ? newParent->GetContainerWidget() : nullptr);
    w->setGeometry(g);
    if (visible)
        w->show();
    return old;
}

CFrameWnd* CWnd::GetParentFrame() const
{
    for (CWnd* p = GetParent(); p; p = p->GetParent())
        if (auto* f = dynamic_cast<CFrameWnd*>(p))
            return f;
    return nullptr;
}

CFrameWnd* CWnd::GetTopLevelFrame() const
{
    CFrameWnd* top = dynamic_cast<CFrameWnd*>(const_cast<CWnd*>(this));
    for (CFrameWnd* f = GetParentFrame(); f; f = f->GetParentFrame())
        top = f;
    return top;
}

CWnd* CWnd::GetTopLevelParent() const
{
    CWnd* top = const_cast<CWnd*>(this);
    for (CWnd* p = GetParent(); p; p = p->GetParent())
        top = p;
    return top;
}

std::vector<CWnd*> CWnd::GetChildWindows() const
{
    std::vector<CWnd*> out;
    QWidget* root = GetOuterWidget();
    if (!root)
        return out;
    std::vector<QObject*> pending(root->children().begin(), root->children().end());
    for (size_t i = 0; i < pending.size(); ++i) {
        QObject* o = pending[i];
        if (!o->isWidgetType())
            continue;
        auto* w = static_cast<QWidget*>(o);
        if (w == GetWidget())
            ;  // the client of a frame: look inside it
        else if (CWnd* wnd = FromWidget(w)) {
            out.push_back(wnd);
            continue;
        }
        for (QObject* c : w->children())
            pending.push_back(c);
    }
    return out;
}

CWnd* CWnd::GetDlgItem(int id) const
{
    std::vector<CWnd*> level = GetChildWindows();
    while (!level.empty()) {
        for (CWnd* c : level)
            if (c->GetDlgCtrlID() == id)
                return c;
        std::vector<CWnd*> next;
        for (CWnd* c : level)
            for (CWnd* g : c->GetChildWindows())
                next.push_back(g);
        level.swap(next);
    }
    return nullptr;
}

BOOL CWnd::IsChild(const CWnd* other) const
{
    for (CWnd* p = other ? other->GetParent() : nullptr; p; p = p->GetParent())
        if (p == this)
            return TRUE;
    return FALSE;
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!CMessageQueue::IsUiThread())
        return ::SendMessage(m_hWnd, message, wParam, lParam);
    CWndMessage m{message, wParam, lParam, nullptr};
    return DeliverMessage(m);
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam, std::unique_ptr<CMessagePayload> payload) const
{
    return ::PostMessage(m_hWnd, message, wParam, lParam, std::move(payload)) ? TRUE : FALSE;
}

LRESULT CWnd::DeliverMessage(CWndMessage& message)
{
    RouteScope scope(this);
    return WindowProc(message);
}

LRESULT CWnd::WindowProc(CWndMessage& m)
{
    if (const auto* e = GetMessageMap().FindMessage(m.message))
        return e->fn(*this, m);
    switch (m.message) {
    case WM_COMMAND:
        return OnCommand(m.wParam, m.lParam);
    case WM_NOTIFY: {
        LRESULT r = 0;
        OnNotify(m.wParam, m.lParam, &r);
        return r;
    }
    case WM_TIMER:
        OnTimer(m.wParam);
        return 0;
    case WM_CLOSE:
        OnClose();
        return 0;
    case WM_SYSCOMMAND:
        OnSysCommand(static_cast<UINT>(m.wParam), m.lParam);
        return 0;
    case WM_SIZE:
        OnSize(static_cast<UINT>(m.wParam), LOWORD(static_cast<DWORD_PTR>(m.lParam)), HIWORD(static_cast<DWORD_PTR>(m.lParam)));
        return 0;
    case WM_CHILDACTIVATE:
        OnChildActivate();
        return 0;
    case WM_HSCROLL:
    case WM_VSCROLL: {
        CWnd* bar = FromHandle(HWND::FromValue(static_cast<uint64_t>(m.lParam)));
        const UINT code = LOWORD(m.wParam);
        const UINT pos = HIWORD(m.wParam);
        if (m.message == WM_HSCROLL)
            OnHScroll(code, pos, bar);
        else
            OnVScroll(code, pos, bar);
        return 0;
    }
    case WM_SETTEXT:
        SetWindowText(reinterpret_cast<const char*>(m.lParam));
        return TRUE;
    case WM_SETFONT:
        SetFont(reinterpret_cast<const CFont*>(m.wParam), static_cast<BOOL>(m.lParam));
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(GetFont());
    default:
        return 0;
    }
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam)
{
    const UINT id = LOWORD(wParam);
    const UINT code = HIWORD(wParam);
    // A control's own reflected handler goes first.
    if (lParam != 0 && code != 0) {
        if (CWnd* control = FromHandle(HWND::FromValue(static_cast<uint64_t>(lParam))))
            if (const auto* e = control->GetMessageMap().FindCommand(id, code, true)) {
                e->fn(*control, id);
                return TRUE;
            }
    }
    return OnCmdMsg(id, code, nullptr);
}

BOOL CWnd::OnCmdMsg(UINT id, UINT code, CCmdUI* ui)
{
    return CCmdTarget::OnCmdMsg(id, code, ui);
}

BOOL CWnd::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    if (!header)
        return FALSE;
    LRESULT r = 0;
    if (const auto* e = GetMessageMap().FindNotify(static_cast<UINT>(wParam), header->code, false)) {
        e->fn(*this, static_cast<UINT>(wParam), *header, r);
        if (result)
            *result = r;
        return TRUE;
    }
    return FALSE;
}

BOOL CWnd::OnChildNotify(UINT message, WPARAM, LPARAM lParam, LRESULT* result)
{
    if (message != WM_NOTIFY)
        return FALSE;
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    if (const auto* e = GetMessageMap().FindNotify(0, header->code, true)) {
        LRESULT r = 0;
        e->fn(*this, static_cast<UINT>(header->idFrom), *header, r);
        if (result)
            *result = r;
        return TRUE;
    }
    return FALSE;
}

LRESULT CWnd::NotifyParent(UINT code, NMHDR* header)
{
    NMHDR local;
    NMHDR* h = header ? header : &local;
    h->hwndFrom = m_hWnd;
    h->idFrom = m_id;
    h->code = code;
    LRESULT r = 0;
    std::weak_ptr<int> alive = m_life;
    {
        RouteScope scope(this);
        if (OnChildNotify(WM_NOTIFY, m_id, reinterpret_cast<LPARAM>(h), &r))
            return r;
    }
    if (alive.expired())
        return r;
    if (CWnd* parent = GetParent()) {
        RouteScope scope(parent);
        parent->OnNotify(m_id, reinterpret_cast<LPARAM>(h), &r);
    }
    return r;
}

void CWnd::CommandParent(UINT code)
{
    if (CWnd* parent = GetParent()) {
        CWndMessage m{WM_COMMAND, MAKEWPARAM(static_cast<WORD>(m_id), static_cast<WORD>(code)),
                      static_cast<LPARAM>(m_hWnd.Value()), nullptr};
        parent->DeliverMessage(m);
    }
}

// Geometry.

void CWnd::GetClientRect(LPRECT rect) const
{
    QWidget* w = GetWidget();
    if (!rect)
        return;
    if (!w) {
        *rect = CRect();
        return;
    }
    int cx = w->width();
    int cy = w->height();
    if (m_impl->scroll[SB_VERT] && m_impl->scrollShown[SB_VERT])
        cx -= m_impl->scroll[SB_VERT]->sizeHint().width();
    if (m_impl->scroll[SB_HORZ] && m_impl->scrollShown[SB_HORZ])
        cy -= m_impl->scroll[SB_HORZ]->sizeHint().height();
    *rect = CRect(0, 0, std::max(cx, 0), std::max(cy, 0));
}

void CWnd::GetWindowRect(LPRECT rect) const
{
    QWidget* w = GetOuterWidget();
    if (!rect)
        return;
    if (!w) {
        *rect = CRect();
        return;
    }
    const QRect frame = w->isWindow() ? w->frameGeometry() : w->geometry();
    const QPoint topLeft = w->isWindow() ? frame.topLeft()
                                         : (w->parentWidget() ? w->parentWidget()->mapToGlobal(frame.topLeft()) : frame.topLeft());
    *rect = CRect(topLeft.x(), topLeft.y(), topLeft.x() + frame.width(), topLeft.y() + frame.height());
}

void CWnd::ClientToScreen(LPPOINT point) const
{
    if (QWidget* w = GetWidget(); w && point) {
        const QPoint g = w->mapToGlobal(QPoint(point->x, point->y));
        point->x = g.x();
        point->y = g.y();
    }
}

void CWnd::ClientToScreen(LPRECT rect) const
{
    if (!rect)
        return;
    CPoint tl(rect->left, rect->top);
    CPoint br(rect->right, rect->bottom);
    ClientToScreen(&tl);
    ClientToScreen(&br);
    *rect = CRect(tl, br);
}

void CWnd::ScreenToClient(LPPOINT point) const
{
    if (QWidget* w = GetWidget(); w && point) {
        const QPoint l = w->mapFromGlobal(QPoint(point->x, point->y));
        point->x = l.x();
        point->y = l.y();
    }
}

void CWnd::ScreenToClient(LPRECT rect) const
{
    if (!rect)
        return;
    CPoint tl(rect->left, rect->top);
    CPoint br(rect->right, rect->bottom);
    ScreenToClient(&tl);
    ScreenToClient(&br);
    *rect = CRect(tl, br);
}

void CWnd::MoveWindow(int x, int y, int width, int height, BOOL repaint)
{
    if (QWidget* w = GetOuterWidget()) {
        w->setGeometry(x, y, std::max(width, 0), std::max(height, 0));
        if (repaint)
            w->update();
    }
}

void CWnd::MoveWindow(LPCRECT rect, BOOL repaint)
{
    if (rect)
        MoveWindow(rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, repaint);
}

BOOL CWnd::SetWindowPos(const CWnd* insertAfter, int x, int y, int cx, int cy, UINT flags)
{
    QWidget* w = GetOuterWidget();
    if (!w)
        return FALSE;
    if (!(flags & SWP_NOMOVE))
        w->move(x, y);
    if (!(flags & SWP_NOSIZE))
        w->resize(std::max(cx, 0), std::max(cy, 0));
    if (!(flags & SWP_NOZORDER)) {
        if (!insertAfter)
            w->raise();
        else if (QWidget* other = insertAfter->GetOuterWidget())
            w->stackUnder(other);
    }
    if (flags & SWP_SHOWWINDOW)
        w->show();
    if (flags & SWP_HIDEWINDOW)
        w->hide();
    return TRUE;
}

void CWnd::SetZOrder(ZOrder where)
{
    if (QWidget* w = GetOuterWidget()) {
        if (where == ZOrder::Top)
            w->raise();
        else
            w->lower();
    }
}

void CWnd::SetTopMost(bool on)
{
    QWidget* w = GetOuterWidget();
    if (!w || !w->isWindow() || IsTopMost() == on)
        return;
    Qt::WindowFlags flags = w->windowFlags();
    flags.setFlag(Qt::WindowStaysOnTopHint, on);
    // setWindowFlags would unmap the window and map it anew: the widget keeps the flags
    // and the window system is told through the window alone.
    w->overrideWindowFlags(flags);
    if (QWindow* handle = w->windowHandle())
        handle->setFlags(flags);
}

bool CWnd::IsTopMost() const
{
    const QWidget* w = GetOuterWidget();
    return w && w->isWindow() && w->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

BOOL CWnd::ShowWindow(int command)
{
    QWidget* w = GetOuterWidget();
    if (!w)
        return FALSE;
    const BOOL wasVisible = w->isVisible();
    switch (command) {
    case SW_HIDE: w->hide(); break;
    case SW_SHOWMINIMIZED:
    case SW_MINIMIZE: w->showMinimized(); break;
    case SW_SHOWMAXIMIZED: w->showMaximized(); break;
    case SW_RESTORE:
    case SW_SHOWNORMAL: w->showNormal(); break;
    default: w->show(); break;
    }
    if (command == SW_HIDE)
        m_style &= ~WS_VISIBLE;
    else
        m_style |= WS_VISIBLE;
    return wasVisible;
}

BOOL CWnd::IsWindowVisible() const
{
    QWidget* w = GetOuterWidget();
    return w && w->isVisible();
}

BOOL CWnd::IsIconic() const
{
    QWidget* w = GetOuterWidget();
    return w && w->isMinimized();
}

BOOL CWnd::IsZoomed() const
{
    QWidget* w = GetOuterWidget();
    return w && w->isMaximized();
}

BOOL CWnd::EnableWindow(BOOL enable)
{
    QWidget* w = GetWidget();
    if (!w)
        return FALSE;
    const BOOL wasDisabled = !w->isEnabled();
    w->setEnabled(enable != FALSE);
    return wasDisabled;
}

BOOL CWnd::IsWindowEnabled() const
{
    QWidget* w = GetWidget();
    return w && w->isEnabled();
}

void CWnd::BringWindowToTop()
{
    if (QWidget* w = GetOuterWidget()) {
        w->raise();
        w->activateWindow();
        KeysFollowActivation(w);
    }
}

void CWnd::CenterWindow(CWnd* alternateOwner)
{
    QWidget* w = GetOuterWidget();
    if (!w)
        return;
    QRect area;
    CWnd* owner = alternateOwner ? alternateOwner : GetParent();
    if (owner && owner->GetOuterWidget()) {
        QWidget* o = owner->GetOuterWidget();
        area = QRect(o->mapToGlobal(QPoint(0, 0)), o->size());
    } else if (QScreen* s = QGuiApplication::primaryScreen()) {
        area = s->availableGeometry();
    }
    QRect g = w->frameGeometry();
    g.moveCenter(area.center());
    if (w->isWindow())
        w->move(g.topLeft());
    else if (w->parentWidget())
        w->move(w->parentWidget()->mapFromGlobal(g.topLeft()));
}

BOOL CWnd::GetWindowPlacement(WINDOWPLACEMENT* placement) const
{
    QWidget* w = GetOuterWidget();
    if (!w || !placement)
        return FALSE;
    placement->showCmd = w->isMinimized() ? SW_SHOWMINIMIZED : w->isMaximized() ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL;
    const QRect r = w->isWindow() ? w->normalGeometry() : w->geometry();
    placement->rcNormalPosition = CRect(r.x(), r.y(), r.x() + r.width(), r.y() + r.height());
    return TRUE;
}

BOOL CWnd::SetWindowPlacement(const WINDOWPLACEMENT* placement)
{
    QWidget* w = GetOuterWidget();
    if (!w || !placement)
        return FALSE;
    const CRect r(placement->rcNormalPosition);
    if (!r.IsRectEmpty())
        w->setGeometry(ToQRect(r));
    ShowWindow(static_cast<int>(placement->showCmd));
    return TRUE;
}

CWnd* CWnd::SetFocus()
{
    CWnd* old = GetFocus();
    if (QWidget* w = GetWidget())
        w->setFocus(Qt::OtherFocusReason);
    return old;
}

CWnd* CWnd::GetFocus()
{
    for (QWidget* w = QApplication::focusWidget(); w; w = w->parentWidget())
        if (CWnd* wnd = FromWidget(w))
            return wnd;
    return nullptr;
}

CWnd* CWnd::WindowFromPoint(POINT screenPoint)
{
    for (QWidget* w = QApplication::widgetAt(QPoint(screenPoint.x, screenPoint.y)); w; w = w->parentWidget())
        if (CWnd* wnd = FromWidget(w))
            return wnd;
    return nullptr;
}

void CWnd::SetWindowText(const char* text)
{
    SetTextOfWidget(CString(text ? text : ""));
}

void CWnd::GetWindowText(CString& text) const
{
    text = GetTextOfWidget();
}

CString CWnd::GetWindowText() const
{
    return GetTextOfWidget();
}

int CWnd::GetWindowTextLength() const
{
    return GetTextOfWidget().GetLength();
}

void CWnd::SetTextOfWidget(const CString& text)
{
    if (QWidget* w = GetOuterWidget())
        w->setWindowTitle(ToQString(text));
}

CString CWnd::GetTextOfWidget() const
{
    QWidget* w = GetOuterWidget();
    return w ? FromQString(w->windowTitle()) : CString();
}

void CWnd::SetFont(const CFont* font, BOOL redraw)
{
    m_impl->font = font;
    if (QWidget* w = GetWidget()) {
        w->setFont(font ? font->ToQFont() : QApplication::font());
        if (redraw)
            w->update();
    }
}

CFont* CWnd::GetFont() const
{
    return const_cast<CFont*>(m_impl->font);
}

BOOL CWnd::ModifyStyle(DWORD remove, DWORD add, UINT)
{
    const DWORD before = m_style;
    m_style = (m_style & ~remove) | add;
    if ((before ^ m_style) & WS_DISABLED)
        EnableWindow(!(m_style & WS_DISABLED));
    if ((before ^ m_style) & WS_VISIBLE)
        ShowWindow((m_style & WS_VISIBLE) ? SW_SHOW : SW_HIDE);
    return before != m_style;
}

void CWnd::Invalidate(BOOL)
{
    m_impl->paintPending = true;
    QWidget* w = GetWidget();
    if (!w)
        return;
    // Lists and other scrolled controls paint in their viewport, their client area; frame,
    // scroll bars and header repaint themselves when they change. Updating the control
    // itself would repaint all of them and the parent under them.
    if (auto* area = qobject_cast<QAbstractScrollArea*>(w))
        area->viewport()->update();
    else
        w->update();
}

void CWnd::InvalidateRect(LPCRECT rect, BOOL erase)
{
    QWidget* w = GetWidget();
    if (!w)
        return;
    if (!rect) {
        Invalidate(erase);
    } else {
        m_impl->paintPending = true;
        if (auto* area = qobject_cast<QAbstractScrollArea*>(w))
            area->viewport()->update();
        else
            w->update(ToQRect(*rect));
    }
}

void CWnd::UpdateWindow()
{
    if (QWidget* w = GetWidget(); w && w->isVisible())
        w->repaint();
}

void CWnd::RedrawWindow()
{
    if (QWidget* w = GetWidget())
        w->repaint();
}

void CWnd::SetRedraw(BOOL redraw)
{
    if (QWidget* w = GetWidget())
        w->setUpdatesEnabled(redraw != FALSE);
}

void CWnd::SetBackgroundColor(COLORREF color)
{
    m_background = color;
    Invalidate();
}

// Timers.

void CWnd::StopTimers()
{
    // A timer may be the one whose signal is running now: delete them later.
    for (auto& [id, timer] : m_impl->timers) {
        timer->stop();
        timer.release()->deleteLater();
    }
    m_impl->timers.clear();
}

UINT_PTR CWnd::SetTimer(UINT_PTR id, UINT elapse, void*)
{
    if (!m_impl->widget)
        return 0;
    auto& slot = m_impl->timers[id];
    if (!slot) {
        slot = std::make_unique<QTimer>();
        std::weak_ptr<int> alive = m_life;
        QObject::connect(slot.get(), &QTimer::timeout, [this, id, alive] {
            if (alive.expired() || !m_impl->widget)
                return;
            CWndMessage m{WM_TIMER, id, 0, nullptr};
            DeliverMessage(m);
        });
    }
    slot->start(static_cast<int>(elapse));
    return id;
}

BOOL CWnd::KillTimer(UINT_PTR id)
{
    auto it = m_impl->timers.find(id);
    if (it == m_impl->timers.end())
        return FALSE;
    it->second->stop();
    // The timer may be the one whose signal is running now: delete it later.
    it->second.release()->deleteLater();
    m_impl->timers.erase(it);
    return TRUE;
}

// Capture and cursor.

CWnd* CWnd::SetCapture()
{
    CWnd* old = GetCapture();
    if (QWidget* w = GetWidget()) {
        if (g_captureWidget && g_captureWidget != w)
            g_captureWidget->releaseMouse();
        w->grabMouse();
        g_captureWidget = w;
    }
    return old;
}

BOOL CWnd::ReleaseCapture()
{
    if (!g_captureWidget)
        return FALSE;
    QPointer<QWidget> w = g_captureWidget;
    g_captureWidget = nullptr;
    w->releaseMouse();
    if (CWnd* wnd = FromWidget(w)) {
        RouteScope scope(wnd);
        wnd->OnCaptureChanged(nullptr);
    }
    return TRUE;
}

CWnd* CWnd::GetCapture()
{
    return g_captureWidget ? FromWidget(g_captureWidget) : nullptr;
}

void CWnd::SetWindowCursor(HCURSOR cursor)
{
    m_impl->cursor = cursor;
    if (QWidget* w = GetWidget()) {
        w->setCursor(ToQCursor(cursor));
        w->setProperty("qxCursor", cursor);
    }
}

// Scroll bars.

void CWnd::LayoutScrollBars()
{
    QWidget* w = GetWidget();
    if (!w)
        return;
    const bool v = m_impl->scroll[SB_VERT] && m_impl->scrollShown[SB_VERT];
    const bool h = m_impl->scroll[SB_HORZ] && m_impl->scrollShown[SB_HORZ];
    const int vw = v ? m_impl->scroll[SB_VERT]->sizeHint().width() : 0;
    const int hh = h ? m_impl->scroll[SB_HORZ]->sizeHint().height() : 0;
    if (v)
        m_impl->scroll[SB_VERT]->setGeometry(w->width() - vw, 0, vw, w->height() - hh);
    if (h)
        m_impl->scroll[SB_HORZ]->setGeometry(0, w->height() - hh, w->width() - vw, hh);
}

void CWnd::ShowScrollBar(UINT bar, BOOL show)
{
    QWidget* w = GetWidget();
    if (!w || bar > SB_VERT)
        return;
    auto& sb = m_impl->scroll[bar];
    if (!sb && show) {
        sb = new QScrollBar(bar == SB_VERT ? Qt::Vertical : Qt::Horizontal, w);  // owned by the widget
        const int which = static_cast<int>(bar);
        std::weak_ptr<int> alive = m_life;
        QObject::connect(sb.data(), &QScrollBar::actionTriggered, [this, which, alive](int action) {
            if (alive.expired())
                return;
            QScrollBar* s = m_impl->scroll[which];
            UINT code = SB_ENDSCROLL;
            switch (action) {
            case QAbstractSlider::SliderSingleStepAdd: code = SB_LINEDOWN; break;
            case QAbstractSlider::SliderSingleStepSub: code = SB_LINEUP; break;
            case QAbstractSlider::SliderPageStepAdd: code = SB_PAGEDOWN; break;
            case QAbstractSlider::SliderPageStepSub: code = SB_PAGEUP; break;
            case QAbstractSlider::SliderToMinimum: code = SB_TOP; break;
            case QAbstractSlider::SliderToMaximum: code = SB_BOTTOM; break;
            case QAbstractSlider::SliderMove: code = SB_THUMBTRACK; break;
            default: return;
            }
            const int pos = s ? s->sliderPosition() : 0;
            // The window decides the position: undo Qt's own move.
            if (s && code != SB_THUMBTRACK)
                s->setSliderPosition(s->value());
            RouteScope scope(this);
            if (which == SB_VERT)
                OnVScroll(code, static_cast<UINT>(pos), nullptr);
            else
                OnHScroll(code, static_cast<UINT>(pos), nullptr);
        });
        QObject::connect(sb.data(), &QScrollBar::sliderReleased, [this, which, alive] {
            if (alive.expired())
                return;
            QScrollBar* s = m_impl->scroll[which];
            const UINT pos = s ? static_cast<UINT>(s->sliderPosition()) : 0;
            RouteScope scope(this);
            if (which == SB_VERT)
                OnVScroll(SB_THUMBPOSITION, pos, nullptr);
            else
                OnHScroll(SB_THUMBPOSITION, pos, nullptr);
        });
    }
    if (!sb)
        return;
    const bool changed = m_impl->scrollShown[bar] != (show != FALSE);
    m_impl->scrollShown[bar] = show != FALSE;
    sb->setVisible(show != FALSE);
    LayoutScrollBars();
    if (changed) {
        CRect r;
        GetClientRect(&r);
        RouteScope scope(this);
        OnSize(SIZE_RESTORED, r.Width(), r.Height());
    }
}

BOOL CWnd::SetScrollInfo(int bar, const SCROLLINFO* info, BOOL)
{
    if (!info || bar < 0 || bar > 1)
        return FALSE;
    if (!m_impl->scroll[bar])
        ShowScrollBar(static_cast<UINT>(bar), TRUE);
    QScrollBar* sb = m_impl->scroll[bar];
    if (!sb)
        return FALSE;
    QSignalBlocker block(sb);
    if (info->fMask & SIF_PAGE)
        sb->setPageStep(static_cast<int>(std::max<UINT>(info->nPage, 1)));
    if (info->fMask & SIF_RANGE) {
        // The slider's range ends where the last page starts.
        const int page = static_cast<int>(info->nPage);
        sb->setRange(info->nMin, std::max(info->nMin, info->nMax - std::max(page - 1, 0)));
    }
    if (info->fMask & SIF_POS)
        sb->setValue(info->nPos);
    return TRUE;
}

BOOL CWnd::GetScrollInfo(int bar, SCROLLINFO* info, UINT mask) const
{
    if (!info || bar < 0 || bar > 1 || !m_impl->scroll[bar])
        return FALSE;
    QScrollBar* sb = m_impl->scroll[bar];
    info->fMask = mask;
    info->nMin = sb->minimum();
    info->nPage = static_cast<UINT>(sb->pageStep());
    info->nMax = sb->maximum() + std::max(sb->pageStep() - 1, 0);
    info->nPos = sb->value();
    info->nTrackPos = sb->sliderPosition();
    return TRUE;
}

int CWnd::SetScrollPos(int bar, int pos, BOOL)
{
    if (bar < 0 || bar > 1)
        return 0;
    if (!m_impl->scroll[bar])
        ShowScrollBar(static_cast<UINT>(bar), TRUE);
    QScrollBar* sb = m_impl->scroll[bar];
    if (!sb)
        return 0;
    const int old = sb->value();
    QSignalBlocker block(sb);
    sb->setValue(pos);
    return old;
}

int CWnd::GetScrollPos(int bar) const
{
    if (bar < 0 || bar > 1 || !m_impl->scroll[bar])
        return 0;
    return m_impl->scroll[bar]->value();
}

void CWnd::SetScrollRange(int bar, int minPos, int maxPos, BOOL redraw)
{
    SCROLLINFO si;
    si.fMask = SIF_RANGE;
    si.nMin = minPos;
    si.nMax = maxPos;
    SetScrollInfo(bar, &si, redraw);
}

void CWnd::GetScrollRange(int bar, int* minPos, int* maxPos) const
{
    SCROLLINFO si;
    const bool ok = GetScrollInfo(bar, &si, SIF_RANGE);
    if (minPos)
        *minPos = ok ? si.nMin : 0;
    if (maxPos)
        *maxPos = ok ? si.nMax : 0;
}

CDC* CWnd::GetDC()
{
    m_impl->dcs.push_back(std::make_unique<CClientDC>(this));
    return m_impl->dcs.back().get();
}

int CWnd::ReleaseDC(CDC* dc)
{
    auto& dcs = m_impl->dcs;
    for (auto it = dcs.begin(); it != dcs.end(); ++it)
        if (it->get() == dc) {
            dcs.erase(it);
            return 1;
        }
    return 0;
}

BOOL CWnd::CaptureToBitmap(CBitmap& bitmap)
{
    QWidget* w = GetOuterWidget();
    if (!w)
        return FALSE;
    const QImage image = w->grab().toImage();
    if (image.isNull())
        return FALSE;
    bitmap.SetImage(image);
    return TRUE;
}

BOOL CWnd::FlashWindow(BOOL invert)
{
    QWidget* w = GetOuterWidget();
    if (!w)
        return FALSE;
    if (invert)
        QApplication::alert(w->window());
    return w->window()->isActiveWindow();
}

UINT RegisterWindowMessage(const char* name)
{
    static std::mutex lock;
    static std::map<std::string, UINT> ids;
    std::lock_guard guard(lock);
    const std::string key = name ? name : "";
    auto it = ids.find(key);
    if (it != ids.end())
        return it->second;
    const UINT id = 0xC000u + static_cast<UINT>(ids.size());
    if (id > 0xFFFFu)
        return 0;
    ids.emplace(key, id);
    return id;
}

int CWnd::MessageBox(const char* text, const char* caption, UINT type)
{
    if (AreModalLoopsRefused())
        return AnswerRefusedMessageBox(text, type);
    return CUiResponder::Current().MessageBox(this, text ? text : "", caption ? caption : "", type);
}

void CWnd::OnInitMenuPopup(CMenu* popup, UINT, BOOL)
{
    if (!popup)
        return;
    popup->UpdateCommandUI(this);
}

// Event routing.

void CWnd::Default()
{
    m_impl->callDefault = true;
}

bool CWnd::RouteEvent(QWidget* source, QEvent* event)
{
    if (!m_impl->widget || m_impl->destroying)
        return false;
    RouteScope scope(this);
    std::weak_ptr<int> alive = m_life;
    const bool savedDefault = m_impl->callDefault;
    m_impl->callDefault = false;
    const bool handled = DispatchStandardEvent(source, event);
    if (alive.expired())
        return true;  // the window object went away inside its handler
    const bool eaten = handled && !m_impl->callDefault;
    m_impl->callDefault = savedDefault;
    return eaten;
}

bool CWnd::DispatchStandardEvent(QWidget* source, QEvent* event)
{
    QWidget* w = m_impl->widget;
    if (source != w && source == m_impl->outer) {
        // The outer widget of a frame: only closing and activation concern the window.
        const auto t = event->type();
        if (t != QEvent::Close && t != QEvent::WindowActivate && t != QEvent::WindowDeactivate)
            return false;
    }
    auto toClient = [&](const QPointF& p) {
        const QPoint local = p.toPoint();
        return source == w ? FromQPoint(local) : FromQPoint(source->mapTo(w, local));
    };
    switch (event->type()) {
    case QEvent::Paint: {
        if (!PaintsItself() || source != w)
            return false;
        const QRect area = static_cast<QPaintEvent*>(event)->rect();
        const bool resized = EnsureSurface(m_impl->surface, w, m_background);
        const bool full = resized || m_impl->paintPending || !m_impl->clientDrawn;
        if (full && m_impl->clientPainters == 0) {
            std::weak_ptr<int> alive = m_life;
            m_impl->painting = true;
            {
                CDC erase;
                erase.AttachDevice(&m_impl->surface);
                erase.IntersectClipRect(area.x(), area.y(), area.x() + area.width(), area.y() + area.height());
                erase.SetPaintRect(FromQRect(area));
                OnEraseBkgnd(&erase);
            }
            CDC::SetCurrentPaintRect(FromQRect(area));
            OnPaint();
            if (alive.expired() || !m_impl->widget)
                return true;
            m_impl->painting = false;
            m_impl->paintPending = false;
        }
        m_impl->clientDrawn = false;
        QPainter screen(w);
        const qreal dpr = m_impl->surface.devicePixelRatio();
        screen.drawImage(QRectF(area), m_impl->surface,
                         QRectF(area.x() * dpr, area.y() * dpr, area.width() * dpr, area.height() * dpr));
        return true;
    }
    case QEvent::Resize: {
        if (source != w)
            return false;
        LayoutScrollBars();
        CRect r;
        GetClientRect(&r);
        const QWidget* outer = GetOuterWidget();
        const UINT type = outer && outer->isMaximized() ? SIZE_MAXIMIZED : outer && outer->isMinimized() ? SIZE_MINIMIZED : SIZE_RESTORED;
        OnSize(type, r.Width(), r.Height());
        return false;
    }
    case QEvent::Move: {
        if (source != w)
            return false;
        const QPoint p = static_cast<QMoveEvent*>(event)->pos();
        OnMove(p.x(), p.y());
        return false;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick: {
        auto* me = static_cast<QMouseEvent*>(event);
        const CPoint pt = toClient(me->position());
        const UINT flags = MouseFlags(me->buttons(), me->modifiers());
        const auto type = event->type();
        switch (me->button()) {
        case Qt::LeftButton:
            if (type == QEvent::MouseButtonPress) OnLButtonDown(flags, pt);
            else if (type == QEvent::MouseButtonRelease) OnLButtonUp(flags, pt);
            else OnLButtonDblClk(flags, pt);
            return true;
        case Qt::RightButton:
            if (type == QEvent::MouseButtonPress) OnRButtonDown(flags, pt);
            else if (type == QEvent::MouseButtonRelease) OnRButtonUp(flags, pt);
            else OnRButtonDblClk(flags, pt);
            return true;
        case Qt::MiddleButton:
            if (type == QEvent::MouseButtonPress) OnMButtonDown(flags, pt);
            else if (type == QEvent::MouseButtonRelease) OnMButtonUp(flags, pt);
            else OnMButtonDown(flags, pt);
            return true;
        default:
            return false;
        }
    }
    case QEvent::MouseMove: {
        auto* me = static_cast<QMouseEvent*>(event);
        OnMouseMove(MouseFlags(me->buttons(), me->modifiers()), toClient(me->position()));
        return true;
    }
    case QEvent::Wheel: {
        auto* we = static_cast<QWheelEvent*>(event);
        const QPoint g = we->globalPosition().toPoint();
        OnMouseWheel(MouseFlags(we->buttons(), we->modifiers()), static_cast<short>(we->angleDelta().y()), CPoint(g.x(), g.y()));
        return true;
    }
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        auto* ke = static_cast<QKeyEvent*>(event);
        const UINT vk = VirtualKeyFromQt(ke->key());
        const UINT repeat = static_cast<UINT>(std::max(ke->count(), 1));
        const UINT flags = ke->isAutoRepeat() ? 0x4000u : 0u;
        if (event->type() == QEvent::KeyRelease) {
            OnKeyUp(vk, repeat, flags);
            return true;
        }
        std::weak_ptr<int> alive = m_life;
        OnKeyDown(vk, repeat, flags);
        if (alive.expired())
            return true;
        const bool keyDefault = m_impl->callDefault;
        // Alt and a letter is a menu's key, never a typed character, even when no menu has it.
        const bool menuKey = (ke->modifiers() & Qt::AltModifier) && !(ke->modifiers() & Qt::ControlModifier);
        const QString text = menuKey ? QString() : ke->text();
        const QChar c = text.isEmpty() ? QChar() : text[0];
        if (!text.isEmpty() && (c.unicode() >= 0x20 || c == QChar('\r') || c == QChar('\b') || c == QChar('\t') || c == QChar(0x1B))) {
            m_impl->callDefault = false;
            const QByteArray bytes = text.toLatin1();
            OnChar(static_cast<UINT>(static_cast<unsigned char>(bytes.isEmpty() ? 0 : bytes[0])), repeat, flags);
            if (alive.expired())
                return true;
            // Eaten when either handler did not ask for the default processing.
            m_impl->callDefault = keyDefault && m_impl->callDefault;
        }
        return true;
    }
    case QEvent::ContextMenu: {
        auto* ce = static_cast<QContextMenuEvent*>(event);
        CPoint screen(ce->globalPos().x(), ce->globalPos().y());
        if (ce->reason() == QContextMenuEvent::Keyboard)
            screen = CPoint(-1, -1);
        OnContextMenu(this, screen);
        return true;
    }
    case QEvent::FocusIn:
        if (source != w)
            return false;
        OnSetFocus(nullptr);
        return false;
    case QEvent::FocusOut:
        if (source != w)
            return false;
        OnKillFocus(nullptr);
        return false;
    case QEvent::Show:
    case QEvent::Hide:
        if (source != w)
            return false;
        OnShowWindow(event->type() == QEvent::Show, 0);
        return false;
    case QEvent::WindowActivate:
    case QEvent::WindowDeactivate: {
        QWidget* top = GetOuterWidget();
        if (source != top || !top->isWindow())
            return false;
        OnActivate(event->type() == QEvent::WindowActivate ? WA_ACTIVE : WA_INACTIVE, nullptr, top->isMinimized());
        return false;
    }
    case QEvent::Close: {
        if (source != GetOuterWidget() && source != w)
            return false;
        // Only a window or an MDI child is closed; close() of a control (a tool bar
        // hidden from its frame's menu) only hides it.
        if (!source->isWindow() && !qobject_cast<QMdiSubWindow*>(source))
            return false;
        event->ignore();
        OnClose();
        return true;
    }
    case QEvent::Enter:
        if (source == w && !(w->testAttribute(Qt::WA_SetCursor)))
            w->setCursor(ToQCursor(m_impl->cursor));
        return false;
    default:
        return false;
    }
}

// Default handlers.

int CWnd::OnCreate(LPCREATESTRUCT)
{
    return 0;
}
void CWnd::OnDestroy() {}
void CWnd::OnNcDestroy()
{
    PostNcDestroy();
}
void CWnd::PostNcDestroy() {}
void CWnd::OnClose()
{
    DestroyWindow();
}
void CWnd::OnSize(UINT, int, int)
{
    Default();
}
void CWnd::OnMove(int, int)
{
    Default();
}
void CWnd::OnPaint()
{
    Default();
}
BOOL CWnd::OnEraseBkgnd(CDC* dc)
{
    if (dc && PaintsItself()) {
        CRect r;
        GetClientRect(&r);
        dc->FillSolidRect(&r, m_background);
    }
    return TRUE;
}
void CWnd::OnTimer(UINT_PTR)
{
    Default();
}
void CWnd::OnLButtonDown(UINT, CPoint)
{
    Default();
}
void CWnd::OnLButtonUp(UINT, CPoint)
{
    Default();
}
void CWnd::OnLButtonDblClk(UINT, CPoint)
{
    Default();
}
void CWnd::OnRButtonDown(UINT, CPoint)
{
    Default();
}
void CWnd::OnRButtonUp(UINT, CPoint)
{
    Default();
}
void CWnd::OnRButtonDblClk(UINT, CPoint)
{
    Default();
}
void CWnd::OnMButtonDown(UINT, CPoint)
{
    Default();
}
void CWnd::OnMButtonUp(UINT, CPoint)
{
    Default();
}
void CWnd::OnMouseMove(UINT, CPoint)
{
    Default();
}
BOOL CWnd::OnMouseWheel(UINT, short, CPoint)
{
    Default();
    return FALSE;
}
void CWnd::OnKeyDown(UINT, UINT, UINT)
{
    Default();
}
void CWnd::OnKeyUp(UINT, UINT, UINT)
{
    Default();
}
void CWnd::OnChar(UINT, UINT, UINT)
{
    Default();
}
void CWnd::OnContextMenu(CWnd*, CPoint)
{
    Default();
}
void CWnd::OnHScroll(UINT, UINT, CWnd*) {}
void CWnd::OnVScroll(UINT, UINT, CWnd*) {}
void CWnd::OnActivate(UINT, CWnd*, BOOL)
{
    Default();
}
void CWnd::OnChildActivate()
{
    Default();
}
void CWnd::OnSysCommand(UINT id, LPARAM)
{
    switch (id & 0xFFF0) {
    case SC_MINIMIZE: ShowWindow(SW_MINIMIZE); break;
    case SC_MAXIMIZE: ShowWindow(SW_SHOWMAXIMIZED); break;
    case SC_RESTORE: ShowWindow(SW_RESTORE); break;
    case SC_CLOSE: OnClose(); break;
    default: break;
    }
}
void CWnd::OnSetFocus(CWnd*)
{
    Default();
}
void CWnd::OnKillFocus(CWnd*)
{
    Default();
}
void CWnd::OnShowWindow(BOOL, UINT)
{
    Default();
}
void CWnd::OnCaptureChanged(CWnd*) {}

// Free functions of the input state.

SHORT GetKeyState(int virtualKey)
{
    const Qt::KeyboardModifiers mods = QGuiApplication::queryKeyboardModifiers();
    const Qt::MouseButtons buttons = QGuiApplication::mouseButtons();
    bool down = false;
    switch (static_cast<UINT>(virtualKey)) {
    case VK_SHIFT: down = mods & Qt::ShiftModifier; break;
    case VK_CONTROL: down = mods & Qt::ControlModifier; break;
    case VK_MENU: down = mods & Qt::AltModifier; break;
    case VK_LBUTTON: down = buttons & Qt::LeftButton; break;
    case VK_RBUTTON: down = buttons & Qt::RightButton; break;
    case VK_MBUTTON: down = buttons & Qt::MiddleButton; break;
    default: break;
    }
    return down ? static_cast<SHORT>(0x8000) : 0;
}

void GetCursorPos(POINT* screenPoint)
{
    if (!screenPoint)
        return;
    const QPoint p = QCursor::pos();
    screenPoint->x = p.x();
    screenPoint->y = p.y();
}

HCURSOR SetCursor(HCURSOR cursor)
{
    QWidget* w = g_captureWidget ? g_captureWidget.data() : (g_eventWnd ? g_eventWnd->GetWidget() : nullptr);
    if (!w)
        return IDC_ARROW;
    const QVariant known = w->property("qxCursor");
    const HCURSOR old = known.isValid() ? known.toInt() : FromCursorShape(w->cursor().shape());
    w->setCursor(ToQCursor(cursor));
    w->setProperty("qxCursor", cursor);
    return old;
}

HCURSOR LoadStandardCursor(HCURSOR id)
{
    return id;
}

HCURSOR LoadCursorResource(UINT resourceId)
{
    int hx = 0;
    int hy = 0;
    return CResourceStore::Instance().FindCursorData(resourceId, hx, hy) ? kResourceCursorBase + static_cast<HCURSOR>(resourceId) : 0;
}

void MessageBeep(UINT)
{
    QApplication::beep();
}

CWaitCursor::CWaitCursor()
{
    QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

CWaitCursor::~CWaitCursor()
{
    Restore();
}

void CWaitCursor::Restore()
{
    if (m_active) {
        m_active = false;
        QGuiApplication::restoreOverrideCursor();
    }
}
