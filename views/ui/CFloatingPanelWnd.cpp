#include "views/ui/CFloatingPanelWnd.h"

#include "broker/session/QuoteFields.h"
#include "platform/ui/CDC.h"
#include "platform/ui/QtConvert.h"
#include "platform/ui/QxWindowHost.h"
#include "views/ui/CFloatingWnd.h"
#include "views/ui/PanelIds.h"

#include <QEvent>
#include <QGuiApplication>
#include <QWindow>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace {

xcb_atom_t InternAtom(xcb_connection_t* connection, const char* name)
{
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
    const xcb_atom_t atom = reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
    std::free(reply);
    return atom;
}

// The window never takes the keyboard focus, so the window manager neither activates it on
// a click nor offers it when the user switches windows (Alt+Tab): it declines input and
// drops WM_TAKE_FOCUS, which the toolkit announces for every window. Done as the window is
// shown: it exists then and is not mapped yet. Asking for its widget's id earlier (winId)
// would mark it native, and the toolkit then makes every child of the owner window native
// too, which stops an owner that paints through OpenGL (the main window) from painting.
void NeverTakeFocus(WId window)
{
    if (!window || QGuiApplication::platformName() != QLatin1String("xcb"))
        return;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    const auto id = static_cast<xcb_window_t>(window);
    if (!connection)
        return;
    const xcb_atom_t protocols = InternAtom(connection, "WM_PROTOCOLS");
    const xcb_atom_t takeFocus = InternAtom(connection, "WM_TAKE_FOCUS");
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, id, protocols, XCB_ATOM_ATOM, 0, 32), nullptr);
    std::vector<xcb_atom_t> kept;
    if (reply && reply->format == 32) {
        const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply));
        kept.assign(atoms, atoms + xcb_get_property_value_length(reply) / 4);
    }
    std::free(reply);
    const auto gone = std::remove(kept.begin(), kept.end(), takeFocus);
    if (gone == kept.end())
        return;
    kept.erase(gone, kept.end());
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, protocols, XCB_ATOM_ATOM, 32,
                        static_cast<uint32_t>(kept.size()), kept.data());
    xcb_flush(connection);
}

} // namespace

// Keeps the window from taking the focus (NeverTakeFocus) as it is shown. Shown again after
// its top-most state changed, it gets a new X window from the toolkit, which announces
// WM_TAKE_FOCUS again: that one is told once it is on the screen.
class CFloatingPanelWnd::CFocusDecliner : public QObject {
public:
    void Showing(QWindow* window)
    {
        m_told = window->winId();
        NeverTakeFocus(m_told);
        window->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Expose)
            if (auto* window = static_cast<QWindow*>(watched); window->isExposed() && window->winId() != m_told) {
                m_told = window->winId();
                NeverTakeFocus(m_told);
            }
        return false;
    }

private:
    WId m_told = 0;
};

CFloatingPanelWnd::CFloatingPanelWnd(CFloatingWnd& panel)
    : m_pPanel(&panel), m_pFocusDecliner(std::make_unique<CFocusDecliner>())
{
}

CFloatingPanelWnd::~CFloatingPanelWnd() = default;

BOOL CFloatingPanelWnd::CreatePanelWindow(const char* title, CWnd* owner)
{
    if (!Create(nullptr, title, WS_POPUP, CRect(), owner, 0))
        return FALSE;
    GetOuterWidget()->setWindowTitle(ToQString(CString(title ? title : "")));
    return TRUE;
}

QWidget* CFloatingPanelWnd::CreateWidget(QWidget* parent)
{
    // Above its owner window only; top-most while its owner asks for it (SetTopMost). Clicks
    // and drags reach it; the keyboard focus stays with the window the user works in.
    auto* client = new QxWindowHost<QWidget>(this, parent ? parent->window() : nullptr,
                                             Qt::Tool | Qt::WindowDoesNotAcceptFocus);
    client->setAttribute(Qt::WA_ShowWithoutActivating);
    client->setMouseTracking(true);
    client->setFocusPolicy(Qt::NoFocus);
    client->setAttribute(Qt::WA_OpaquePaintEvent);
    return client;
}

void CFloatingPanelWnd::PlaceClient(CPoint screenTopLeft, CSize clientSize)
{
    QWidget* client = GetWidget();
    QWidget* outer = GetOuterWidget();
    if (!client || !outer)
        return;
    client->setFixedSize(std::max(1, static_cast<int>(clientSize.cx)), std::max(1, static_cast<int>(clientSize.cy)));
    // The client area (what the panel paints) goes to the point; a frame lies around it.
    const QPoint global(screenTopLeft.x, screenTopLeft.y);
    outer->setGeometry(QRect(global, client->size()));
}

void CFloatingPanelWnd::Raise()
{
    if (QWidget* outer = GetOuterWidget())
        outer->raise();
}

void CFloatingPanelWnd::OnShowWindow(BOOL show, UINT status)
{
    if (show) {
        // The window manager minimises the window with its owner, and a window hidden meanwhile
        // keeps that state. Mapped minimised, it would have the manager minimise its owner
        // again: it is always shown in its normal state.
        if (QWidget* window = GetOuterWidget()) {
            if (window->isMinimized())
                window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
            if (QWindow* handle = window->windowHandle())
                m_pFocusDecliner->Showing(handle);
        }
    }
    CWnd::OnShowWindow(show, status);
}

void CFloatingPanelWnd::OnPaint()
{
    CPaintDC dc(this);
    if (m_pPanel)
        m_pPanel->Paint(dc);
}

void CFloatingPanelWnd::OnLButtonDown(UINT, CPoint point)
{
    if (m_pPanel)
        m_pPanel->OnButtonDown(point);
}

void CFloatingPanelWnd::OnLButtonUp(UINT, CPoint point)
{
    if (m_pPanel)
        m_pPanel->OnButtonUp(point);
}

void CFloatingPanelWnd::OnMouseMove(UINT, CPoint point)
{
    if (m_pPanel)
        m_pPanel->OnMouseMove(point);
}

void CFloatingPanelWnd::OnMove(int, int)
{
    if (m_pPanel)
        m_pPanel->OnWindowMoved();
}

void CFloatingPanelWnd::OnContextMenu(CWnd*, CPoint screenPoint)
{
    if (m_pPanel)
        m_pPanel->OnContextMenu(screenPoint);
}

void CFloatingPanelWnd::OnPanelCommand(UINT id)
{
    if (m_pPanel)
        m_pPanel->OnCommand(id);
}

LRESULT CFloatingPanelWnd::OnPanelMessage(WPARAM wParam, LPARAM lParam)
{
    return m_pPanel ? m_pPanel->OnPanelMessage(WM_SNAPSHOT_QUOTE, wParam, lParam) : 0;
}

void CFloatingPanelWnd::PostNcDestroy()
{
    if (m_bOrphan)
        delete this;
}

const CMessageMap& CFloatingPanelWnd::GetMessageMap() const
{
    static const CMessageMap map =
        MessageMapFor<CFloatingPanelWnd>(CWnd::GetMessageMap())
            .CommandRange(ID_SNAPSHOT_DELETE_FIELD, ID_SNAPSHOT_RESET_DEFAULTS, &CFloatingPanelWnd::OnPanelCommand)
            .CommandRange(ID_SNAPSHOT_INSERT_FIELD_FIRST, ID_SNAPSHOT_INSERT_FIELD_FIRST + kQuoteFieldCount - 1,
                          &CFloatingPanelWnd::OnPanelCommand)
            .Message(WM_SNAPSHOT_QUOTE, &CFloatingPanelWnd::OnPanelMessage)
            .Build();
    return map;
}
