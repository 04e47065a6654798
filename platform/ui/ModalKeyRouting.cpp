#include "platform/ui/ModalKeyRouting.h"

#include <QAbstractEventDispatcher>
#include <QAbstractNativeEventFilter>
#include <QApplication>
#include <QDialog>
#include <QEventLoop>
#include <QGuiApplication>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <QtGui/private/qguiapplication_p.h>
#include <QtGui/qpa/qwindowsysteminterface_p.h>
#include <QtWidgets/private/qdialog_p.h>

#include <xcb/xcb.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

using WindowSystem = QWindowSystemInterfacePrivate;
using KeyEvent = WindowSystem::KeyEvent;

// How long keys wait for a modal window that the window manager does not activate.
constexpr int kActivationWaitMs = 2000;

// Keys taken out of the window-system queue while they wait; released, they go back to its
// front in their order, ahead of the keys typed after them.
class CHeldKeys {
public:
    bool Empty() const { return m_keys.empty(); }
    void Hold(const KeyEvent& key) { m_keys.push_back(std::make_unique<KeyEvent>(key)); }
    void Release()
    {
        for (auto key = m_keys.rbegin(); key != m_keys.rend(); ++key)
            WindowSystem::windowSystemEventQueue.prepend(key->release());
        m_keys.clear();
        if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance())
            dispatcher->wakeUp();
    }

private:
    std::vector<std::unique_ptr<KeyEvent>> m_keys;
};

bool IsModal(QWindow* window)
{
    return window && QGuiApplicationPrivate::instance()->modalWindowList.contains(window);
}

// The loop a modal dialog runs, while it runs.
QEventLoop* LoopOf(QWindow* window)
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* dialog = qobject_cast<QDialog*>(widget); dialog && dialog->windowHandle() == window)
            return static_cast<QDialogPrivate*>(QObjectPrivate::get(dialog))->eventLoop;
    return nullptr;
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

// Sees every window-system event before the application handles it, in the order they
// came. A key for a window hidden or gone goes elsewhere (TakerInstead); a key for a blocked
// window goes to the modal window that blocks it. Keys wait, in their order, while a modal
// window they go to is not yet active (its focus is not yet where it will be), and after a
// key that ends a modal dialog, until its loop has returned and the code that ran it has
// taken its answer.
class CModalKeyRouter final : public QWindowSystemEventHandler {
public:
    explicit CModalKeyRouter(const CFocusHistory& history) : m_history(history)
    {
        m_activationWait.setSingleShot(true);
        m_activationWait.setInterval(kActivationWaitMs);
        QObject::connect(&m_activationWait, &QTimer::timeout, &m_context, [this] {
            m_unactivated = m_awaited;
            m_awaited = nullptr;
            ReleaseWhenDue();
        });
        // Once the window the program activates has had the focus, keys go where the focus
        // is: a window the user activates after it takes them.
        QObject::connect(qGuiApp, &QGuiApplication::focusWindowChanged, &m_context, [this](QWindow* focus) {
            if (focus && focus == Activated())
                m_activating = nullptr;
        });
    }

    bool sendEvent(WindowSystem::WindowSystemEvent* event) override
    {
        if (event->type != WindowSystem::Key) {
            const bool sent = QWindowSystemEventHandler::sendEvent(event);
            ReleaseWhenDue();
            return sent;
        }
        auto& key = *static_cast<KeyEvent*>(event);
        Readdress(key);
        FollowActivation(key);
        if (!m_held.Empty() || Waiting() || AwaitActivation(key.window)) {
            m_held.Hold(key);
            return true;
        }
        QPointer<QWindow> modal = QGuiApplication::modalWindow();
        QPointer<QEventLoop> loop = LoopOf(modal);
        const bool sent = QWindowSystemEventHandler::sendEvent(event);
        if (loop && (!modal || !modal->isVisible()))
            AwaitEndOf(loop);
        return sent;
    }

    // The program activates a window of its own: the keys typed from now on go to it, though
    // the window system still addresses them to the window that has the focus. The widget is
    // kept: its native window may be made anew (a page view gives it an OpenGL surface).
    void Activating(QWidget* window)
    {
        if (window && window->windowHandle() != QGuiApplication::focusWindow())
            m_activating = window;
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

    // A key for another window of ours, while the window the program activates is not yet
    // active and no modal window runs, goes to that window.
    void FollowActivation(KeyEvent& key)
    {
        QWindow* target = Activated();
        if (!target)
            return;
        if (!target->isVisible() || target == QGuiApplication::focusWindow() || target == m_unactivated) {
            m_activating = nullptr;
            return;
        }
        if (!QGuiApplication::modalWindow() && !IsModal(key.window))
            key.window = target;
    }
    QWindow* Activated() const { return m_activating ? m_activating->windowHandle() : nullptr; }

    bool Waiting() const { return m_closing || m_awaited != nullptr; }

    // A modal window, or one the program activates, that keys go to before it has the
    // focus, taken from the window the user typed into: they wait until it is activated.
    bool AwaitActivation(QWindow* window)
    {
        QWindow* focus = Shown(QGuiApplication::focusWindow());
        const bool activating = window && window == Activated();
        if ((!IsModal(window) && !activating) || window == focus || window == m_unactivated)
            return false;
        if (!activating && focus && !QGuiApplicationPrivate::instance()->isWindowBlocked(focus))
            return false;
        m_awaited = window;
        m_activationWait.start();
        return true;
    }

    // The keys after the one that ended a modal dialog wait until its loop has returned and
    // the code that ran it has gone back to an event loop.
    void AwaitEndOf(QEventLoop* loop)
    {
        m_closing = true;
        QObject::connect(loop, &QObject::destroyed, &m_context, [this] {
            QMetaObject::invokeMethod(
                &m_context,
                [this] {
                    m_closing = false;
                    ReleaseWhenDue();
                },
                Qt::QueuedConnection);
        });
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
    QPointer<QWidget> m_activating;   // the window the program activates, not yet active
    QPointer<QWindow> m_awaited;      // the modal window whose activation keys wait for
    QPointer<QWindow> m_unactivated;  // one that kept them waiting in vain: no more waits
    QTimer m_activationWait;
    bool m_closing = false;           // a key ended a modal dialog whose loop has not returned
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

// Keys on their way, from the X server to the windows that take them.
struct CKeyRouting {
    explicit CKeyRouting(QGuiApplication* app) : history(app), router(history), goneWindowKeys(history)
    {
        WindowSystem::installWindowSystemEventHandler(&router);
        app->installNativeEventFilter(&goneWindowKeys);
    }
    ~CKeyRouting() { WindowSystem::removeWindowSystemEventhandler(&router); }

    CFocusHistory history;
    CModalKeyRouter router;
    CGoneWindowKeys goneWindowKeys;
};

std::unique_ptr<CKeyRouting> g_routing;

}  // namespace

void HandKeyboardToOwner(QWidget* window)
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
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
    if (g_routing && window && window->isWindow())
        g_routing->router.Activating(window);
}

void RouteBlockedKeysToModalWindows()
{
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (!app || g_routing)
        return;
    g_routing = std::make_unique<CKeyRouting>(app);
    QObject::connect(app, &QObject::destroyed, [] { g_routing.reset(); });
}
