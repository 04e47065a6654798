#include "platform/ui/ModalKeyRouting.h"

#include "platform/core/AppLog.h"

#include <QApplication>
#include <QDialog>
#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

#include <xcb/xcb.h>

#include <string_view>

#if defined(QX_KEY_ROUTING)
#include <QAbstractEventDispatcher>
#include <QAbstractNativeEventFilter>
#include <QPointer>
#include <QTimer>

#include <QtGui/private/qguiapplication_p.h>
#include <QtGui/qpa/qwindowsysteminterface_p.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>
#endif

namespace {

xcb_connection_t* X11Connection()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

}  // namespace

#if defined(QX_KEY_ROUTING)
namespace {

using WindowSystem = QWindowSystemInterfacePrivate;
using KeyEvent = WindowSystem::KeyEvent;

// How long keys wait for a window that the window manager does not activate.
constexpr int kActivationWaitMs = 2000;

// Keys taken out of the window-system queue while they wait; released, they go back to its
// front in their order, ahead of the keys typed after them. A key that follows the window
// the program activates keeps the window it was typed into, for when that one is not
// activated after all.
class CHeldKeys {
public:
    bool Empty() const { return m_keys.empty(); }
    void Hold(const KeyEvent& key, bool followed, QWindow* typedInto)
    {
        m_keys.push_back({std::make_unique<KeyEvent>(key), followed, typedInto});
    }
    // The keys that followed an activation go back to the windows they were typed into.
    void Unfollow()
    {
        for (Held& held : m_keys)
            if (held.followed)
                held.key->window = held.typedInto;
    }
    void Release()
    {
        for (auto held = m_keys.rbegin(); held != m_keys.rend(); ++held)
            WindowSystem::windowSystemEventQueue.prepend(held->key.release());
        m_keys.clear();
        if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance())
            dispatcher->wakeUp();
    }

private:
    struct Held {
        std::unique_ptr<KeyEvent> key;
        bool followed;
        QPointer<QWindow> typedInto;
    };
    std::vector<Held> m_keys;
};

bool IsModal(QWindow* window)
{
    return window && QGuiApplicationPrivate::instance()->modalWindowList.contains(window);
}

QWindow* Shown(QWindow* window)
{
    return window && window->isVisible() ? window : nullptr;
}

// The window a window belongs to: a dialog's parent window, a popup menu's.
QWindow* OwnerOf(QWindow* window)
{
    if (!window)
        return nullptr;
    if (QWindow* parent = window->transientParent())
        return parent;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->windowHandle() == window && widget->parentWidget())
            return widget->parentWidget()->window()->windowHandle();
    return nullptr;
}

// The windows that had the focus, the latest last.
class CFocusHistory {
public:
    explicit CFocusHistory(QGuiApplication* app)
    {
        Add(QGuiApplication::focusWindow());
        QObject::connect(app, &QGuiApplication::focusWindowChanged, &m_context, [this](QWindow* w) { Add(w); });
    }
    QWindow* LatestShown() const
    {
        for (auto w = m_windows.rbegin(); w != m_windows.rend(); ++w)
            if (Shown(*w))
                return *w;
        return nullptr;
    }

private:
    void Add(QWindow* window)
    {
        std::erase_if(m_windows, [window](const QPointer<QWindow>& w) { return !w || w == window; });
        if (window)
            m_windows.emplace_back(window);
    }

    QObject m_context;
    std::vector<QPointer<QWindow>> m_windows;
};

// Where a key for a window hidden or gone goes (a popup menu or a dialog just closed, with
// keys typed behind the one that closed it still on their way): the first shown of the
// focus window, the window it belonged to, the window that had the focus last and the
// modal window.
QWindow* TakerInstead(QWindow* gone, const CFocusHistory& history)
{
    for (QWindow* other : {QGuiApplication::focusWindow(), OwnerOf(gone), history.LatestShown(),
                           QGuiApplication::modalWindow()})
        if (Shown(other))
            return other;
    return nullptr;
}

// The top-level window the program activates, while keys typed go to it: from the
// activation until it has the focus (reached), or until the wait for that is over, another
// window of the program gets the focus or the user presses a mouse button (not reached).
// Another window: not a popup menu, which takes the keyboard only while it is open, nor one
// no longer shown, nor the one that had the focus at the activation or the one that owns
// it: the focus passes by them as a menu or a dialog closes. The widget is kept: its native
// window may be made anew (a page view gives it an OpenGL surface).
class CActivationTarget final : public QObject {
public:
    CActivationTarget(const CFocusHistory& history, std::function<void(bool reached)> ended)
        : m_history(history), m_ended(std::move(ended))
    {
        m_wait.setSingleShot(true);
        m_wait.setInterval(kActivationWaitMs);
        connect(&m_wait, &QTimer::timeout, this, [this] { End(false); });
        connect(qGuiApp, &QGuiApplication::focusWindowChanged, this, [this](QWindow* focus) {
            if (!Shown(focus) || focus->type() == Qt::Popup)
                return;
            if (m_window && focus == m_window->windowHandle())
                End(true);
            else if (focus != m_origin && focus != m_originOwner)
                End(false);
        });
    }

    void Start(QWidget* window)
    {
        End(false);
        m_window = window;
        m_origin = Shown(QGuiApplication::focusWindow()) ? QGuiApplication::focusWindow() : m_history.LatestShown();
        m_originOwner = OwnerOf(m_origin);
        m_live = true;
        m_wait.start();
        QCoreApplication::instance()->installEventFilter(this);
    }
    void Stop() { End(false); }
    // Shown, while it is the target.
    QWindow* Window() const { return m_window ? Shown(m_window->windowHandle()) : nullptr; }
    // A target hidden or gone is one no more.
    void EndIfGone()
    {
        if (!Window())
            End(false);
    }

private:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->spontaneous() &&
            (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick))
            End(false);
        return false;
    }
    void End(bool reached)
    {
        if (!m_live)
            return;
        m_live = false;
        m_window = nullptr;
        m_wait.stop();
        QCoreApplication::instance()->removeEventFilter(this);
        m_ended(reached);
    }

    const CFocusHistory& m_history;
    std::function<void(bool)> m_ended;
    QPointer<QWidget> m_window;
    // The window that had the focus at the activation (the one before a popup menu or a
    // dialog just closed), and the one it belongs to: the focus coming back to them on the
    // way ends nothing.
    QPointer<QWindow> m_origin;
    QPointer<QWindow> m_originOwner;
    QTimer m_wait;
    bool m_live = false;
};

// Sees every window-system event before the application handles it, in the order they
// came. A key for a window hidden or gone goes elsewhere (TakerInstead); a key for a blocked
// window goes to the modal window that blocks it, and one for another window of ours to the
// window the program activates, while it is the target. Keys wait, in their order, while a
// modal window they go to is not yet active (its focus is not yet where it will be), while
// the window the program activates is the target, and after a key that ends a modal
// dialog, until its loop has returned and the code that ran it has taken its answer.
class CModalKeyRouter final : public QWindowSystemEventHandler {
public:
    explicit CModalKeyRouter(const CFocusHistory& history)
        : m_history(history), m_target(history, [this](bool reached) { TargetEnded(reached); })
    {
        m_activationWait.setSingleShot(true);
        m_activationWait.setInterval(kActivationWaitMs);
        QObject::connect(&m_activationWait, &QTimer::timeout, &m_context, [this] {
            m_unactivated = m_awaited;
            m_awaited = nullptr;
            ReleaseWhenDue();
        });
    }

    bool sendEvent(WindowSystem::WindowSystemEvent* event) override
    {
        m_target.EndIfGone();
        if (event->type != WindowSystem::Key) {
            const bool sent = QWindowSystemEventHandler::sendEvent(event);
            ReleaseWhenDue();
            return sent;
        }
        auto& key = *static_cast<KeyEvent*>(event);
        Readdress(key);
        QWindow* typedInto = key.window;
        const bool followed = FollowActivation(key);
        if (!m_held.Empty() || Waiting() || AwaitActivation(key.window)) {
            m_held.Hold(key, followed, typedInto);
            return true;
        }
        QPointer<QWindow> modal = QGuiApplication::modalWindow();
        QDialog* ran = RunningDialog(modal);
        const bool sent = QWindowSystemEventHandler::sendEvent(event);
        if (ran && (!modal || !modal->isVisible())) {
            m_closing = true;
            m_closingDialog = ran;
        }
        return sent;
    }

    // The program activates a window of its own: the keys typed from now on go to it, though
    // the window system still addresses them to the window that has the focus.
    void Activating(QWidget* window)
    {
        if (window->windowHandle() == QGuiApplication::focusWindow())
            m_target.Stop();
        else
            m_target.Start(window);
    }

    // ExecModalDialog runs a dialog's loop.
    void LoopStarts(QDialog* dialog) { m_loops.emplace_back(dialog); }
    // Once it has returned, the keys behind the one that ended it go on when the code that
    // ran it is back in an event loop.
    void LoopReturned(const QDialog* dialog)
    {
        std::erase_if(m_loops, [dialog](const QPointer<QDialog>& d) { return !d || d == dialog; });
        if (m_closingDialog != dialog)
            return;
        m_closingDialog = nullptr;
        ReleaseLater();
    }

private:
    void Readdress(KeyEvent& key) const
    {
        QWindow* window = key.nullWindow() ? QGuiApplication::focusWindow() : key.window.data();
        if (!Shown(window))
            window = TakerInstead(window, m_history);
        QWindow* blocking = nullptr;
        if (window && QGuiApplicationPrivate::instance()->isWindowBlocked(window, &blocking) && blocking)
            window = blocking;
        if (!window)
            return;
        key.window = window;
        key.flags &= ~WindowSystem::WindowSystemEvent::NullWindow;
    }

    // A key for another window of ours, while the window the program activates is the target
    // and no modal window runs, goes to that window.
    bool FollowActivation(KeyEvent& key) const
    {
        QWindow* target = m_target.Window();
        if (!target || QGuiApplication::modalWindow() || IsModal(key.window))
            return false;
        key.window = target;
        return true;
    }

    void TargetEnded(bool reached)
    {
        if (!reached)
            m_held.Unfollow();
        ReleaseWhenDue();
    }

    QDialog* RunningDialog(QWindow* window) const
    {
        for (const QPointer<QDialog>& dialog : m_loops)
            if (dialog && window && dialog->windowHandle() == window)
                return dialog;
        return nullptr;
    }

    bool Waiting() const
    {
        return m_closing || m_awaited != nullptr || m_target.Window() != nullptr;
    }

    // A modal window that keys go to before it has the focus, taken from the window the user
    // typed into: they wait until it is activated.
    bool AwaitActivation(QWindow* window)
    {
        QWindow* focus = Shown(QGuiApplication::focusWindow());
        if (!IsModal(window) || window == focus || window == m_unactivated)
            return false;
        if (focus && !QGuiApplicationPrivate::instance()->isWindowBlocked(focus))
            return false;
        m_awaited = window;
        m_activationWait.start();
        return true;
    }

    // A key ended a modal dialog and its loop has returned: the keys behind it go on once the
    // code that ran it is back in an event loop.
    void ReleaseLater()
    {
        QMetaObject::invokeMethod(
            &m_context,
            [this] {
                m_closing = false;
                ReleaseWhenDue();
            },
            Qt::QueuedConnection);
    }

    void ReleaseWhenDue()
    {
        if (m_awaited && (!m_awaited->isVisible() || m_awaited == QGuiApplication::focusWindow())) {
            m_awaited = nullptr;
            m_activationWait.stop();
        }
        if (!Waiting() && !m_held.Empty())
            m_held.Release();
    }

    const CFocusHistory& m_history;
    QObject m_context;
    CHeldKeys m_held;
    CActivationTarget m_target;
    std::vector<QPointer<QDialog>> m_loops;  // run by ExecModalDialog, the innermost last
    const QDialog* m_closingDialog = nullptr;  // one of them that a key ended
    QPointer<QWindow> m_awaited;      // the modal window whose activation keys wait for
    QPointer<QWindow> m_unactivated;  // one that kept them waiting in vain: no more waits
    QTimer m_activationWait;
    bool m_closing = false;           // a key ended a modal dialog; the code that ran it goes on
};

// Keys the X server addressed to a window of ours that is gone: a popup menu closed by the
// key before them, with them still on their way. Qt drops those; they go where a key for a
// hidden window goes.
class CGoneWindowKeys final : public QAbstractNativeEventFilter {
public:
    explicit CGoneWindowKeys(const CFocusHistory& history) : m_history(history) {}

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override
    {
        if (type != "xcb_generic_event_t")
            return false;
        auto* event = static_cast<xcb_generic_event_t*>(message);
        const uint8_t kind = event->response_type & ~0x80;
        if (kind != XCB_KEY_PRESS && kind != XCB_KEY_RELEASE)
            return false;
        auto* key = static_cast<xcb_key_press_event_t*>(message);
        if (Known(key->event))
            return false;
        if (QWindow* instead = TakerInstead(nullptr, m_history); instead && instead->handle())
            key->event = static_cast<xcb_window_t>(instead->winId());
        return false;
    }

private:
    static bool Known(xcb_window_t id)
    {
        const QWindowList windows = QGuiApplication::allWindows();
        return std::any_of(windows.begin(), windows.end(),
                           [id](QWindow* w) { return w->handle() && static_cast<xcb_window_t>(w->winId()) == id; });
    }

    const CFocusHistory& m_history;
};

// Qt sees its own request to the window manager to activate a window (a _NET_ACTIVE_WINDOW
// message to the root window) and takes it for the activation: it would send the keys typed
// into the window that has the focus to the other one, though the manager may never give it
// the focus. Dropped, Qt's focus window is the X server's.
class CActivationRequests final : public QAbstractNativeEventFilter {
public:
    explicit CActivationRequests(xcb_connection_t* connection)
    {
        constexpr std::string_view name = "_NET_ACTIVE_WINDOW";
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
            connection, xcb_intern_atom(connection, 0, static_cast<uint16_t>(name.size()), name.data()), nullptr);
        m_activeWindow = reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
        std::free(reply);
    }

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override
    {
        if (type != "xcb_generic_event_t" || m_activeWindow == XCB_ATOM_NONE)
            return false;
        auto* event = static_cast<xcb_generic_event_t*>(message);
        return (event->response_type & ~0x80) == XCB_CLIENT_MESSAGE &&
               static_cast<xcb_client_message_event_t*>(message)->type == m_activeWindow;
    }

private:
    xcb_atom_t m_activeWindow = XCB_ATOM_NONE;
};

// Keys on their way, from the X server to the windows that take them.
struct CKeyRouting {
    explicit CKeyRouting(QGuiApplication* app) : history(app), router(history), goneWindowKeys(history)
    {
        WindowSystem::installWindowSystemEventHandler(&router);
        app->installNativeEventFilter(&goneWindowKeys);
        if (xcb_connection_t* connection = X11Connection()) {
            activationRequests = std::make_unique<CActivationRequests>(connection);
            app->installNativeEventFilter(activationRequests.get());
        }
    }
    ~CKeyRouting() { WindowSystem::removeWindowSystemEventhandler(&router); }

    CFocusHistory history;
    CModalKeyRouter router;
    CGoneWindowKeys goneWindowKeys;
    std::unique_ptr<CActivationRequests> activationRequests;
};

std::unique_ptr<CKeyRouting> g_routing;

}  // namespace
#endif  // QX_KEY_ROUTING

void HandKeyboardToOwner(QWidget* window)
{
    xcb_connection_t* connection = X11Connection();
    QWidget* owner = window && window->parentWidget() ? window->parentWidget()->window() : nullptr;
    if (!connection || !owner || !window->windowHandle() || window->windowHandle() != QGuiApplication::focusWindow() ||
        !owner->windowHandle() || !owner->windowHandle()->isExposed())
        return;
    xcb_set_input_focus(connection, XCB_INPUT_FOCUS_PARENT, static_cast<xcb_window_t>(owner->winId()),
                        XCB_CURRENT_TIME);
    xcb_flush(connection);
}

void KeysFollowActivation(QWidget* window)
{
#if defined(QX_KEY_ROUTING)
    if (g_routing && window && window->isWindow())
        g_routing->router.Activating(window);
#else
    (void)window;
#endif
}

void RouteBlockedKeysToModalWindows()
{
#if defined(QX_KEY_ROUTING)
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (!app || g_routing)
        return;
    static const bool sameQt = [] {
        const bool same = SameQtRelease(qVersion(), QT_VERSION_STR);
        if (!same)
            AppLog("Qt %s runs, the program was built with Qt %s: keys typed ahead of a window are not routed to it",
                   qVersion(), QT_VERSION_STR);
        return same;
    }();
    if (!sameQt)
        return;
    g_routing = std::make_unique<CKeyRouting>(app);
    QObject::connect(app, &QObject::destroyed, [] { g_routing.reset(); });
#endif
}

bool SameQtRelease(std::string_view running, std::string_view built)
{
    return !running.empty() && running == built;
}

int ExecModalDialog(QDialog& dialog)
{
    RouteBlockedKeysToModalWindows();
#if defined(QX_KEY_ROUTING)
    if (g_routing) {
        const QDialog* self = &dialog;
        g_routing->router.LoopStarts(&dialog);
        const int result = dialog.exec();
        if (g_routing)
            g_routing->router.LoopReturned(self);
        return result;
    }
#endif
    return dialog.exec();
}
