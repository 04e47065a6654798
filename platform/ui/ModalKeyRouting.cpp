#include "platform/ui/ModalKeyRouting.h"

#include <QGuiApplication>
#include <QWindow>

#include <QtGui/private/qguiapplication_p.h>
#include <QtGui/qpa/qwindowsysteminterface_p.h>

#include <memory>

namespace {

using WindowSystem = QWindowSystemInterfacePrivate;

// Sees every window-system event before the application handles it, in the order they
// came: a key for a blocked window is readdressed to the modal window that blocks it.
// Being in that queue, it keeps its place among the keys that follow.
class CModalKeyRouter final : public QWindowSystemEventHandler {
public:
    bool sendEvent(WindowSystem::WindowSystemEvent* event) override
    {
        if (event->type == WindowSystem::Key)
            Readdress(*static_cast<WindowSystem::KeyEvent*>(event));
        return QWindowSystemEventHandler::sendEvent(event);
    }

private:
    static void Readdress(WindowSystem::KeyEvent& key)
    {
        QGuiApplicationPrivate* app = QGuiApplicationPrivate::instance();
        // A key without a window goes to the focus window, which may be the blocked one.
        QWindow* window = key.nullWindow() ? QGuiApplication::focusWindow() : key.window.data();
        QWindow* blocking = nullptr;
        if (!app || !window || !app->isWindowBlocked(window, &blocking) || !blocking)
            return;
        key.window = blocking;
        key.flags &= ~WindowSystem::WindowSystemEvent::NullWindow;
    }
};

std::unique_ptr<CModalKeyRouter> g_router;

}  // namespace

void RouteBlockedKeysToModalWindows()
{
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (!app || g_router)
        return;
    g_router = std::make_unique<CModalKeyRouter>();
    WindowSystem::installWindowSystemEventHandler(g_router.get());
    QObject::connect(app, &QObject::destroyed, [] {
        WindowSystem::removeWindowSystemEventhandler(g_router.get());
        g_router.reset();
    });
}
