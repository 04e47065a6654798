#include "platform/ui/DesktopPlacement.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScreen>
#include <QStyle>
#include <QWidget>
#include <QWindow>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>

namespace {

// Whether something draws frames around top-level windows. On X11 that is a window
// manager, which holds the root windows' substructure redirect; other systems are taken
// to frame them.
bool SystemFramesWindows()
{
    if (QGuiApplication::platformName() != "xcb")
        return true;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return true;
    bool managed = false;
    for (auto it = xcb_setup_roots_iterator(xcb_get_setup(connection)); it.rem > 0 && !managed;
         xcb_screen_next(&it)) {
        const auto cookie = xcb_get_window_attributes(connection, it.data->root);
        xcb_get_window_attributes_reply_t* reply = xcb_get_window_attributes_reply(connection, cookie, nullptr);
        managed = reply && (reply->all_event_masks & XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT);
        std::free(reply);
    }
    return managed;
}

// Frame margins of a window: those the system reports, guessed while a window manager
// has not framed it yet, none where nothing frames windows.
QMargins FrameMargins(const QWidget* window)
{
    const QRect frame = window->frameGeometry();
    const QRect inner = window->geometry();
    if (window->isVisible() && frame != inner)
        return QMargins(inner.left() - frame.left(), inner.top() - frame.top(), frame.right() - inner.right(),
                        frame.bottom() - inner.bottom());
    if ((window->windowFlags() & Qt::FramelessWindowHint) || !SystemFramesWindows())
        return QMargins();
    return QMargins(4, 28, 4, 4);
}

class DesktopKeeper final : public QObject {
public:
    explicit DesktopKeeper(QWidget* window) : QObject(window) {}

    bool eventFilter(QObject* watched, QEvent* e) override
    {
        if (m_fitting || !watched->isWidgetType() || e->spontaneous())
            return false;
        switch (e->type()) {
        case QEvent::Show:
        case QEvent::Move:
        case QEvent::Resize: {
            auto* w = static_cast<QWidget*>(watched);
            if (!w->isWindow() || w->isMaximized() || w->isFullScreen() || w->isMinimized())
                return false;
            m_fitting = true;
            FitOnDesktop(w);
            m_fitting = false;
            return false;
        }
        default:
            return false;
        }
    }

private:
    bool m_fitting = false;
};

// An MDI child the program shows or makes larger than its area is put inside it.
class AreaKeeper final : public QObject {
public:
    explicit AreaKeeper(QMdiSubWindow* sub) : QObject(sub), m_sub(sub) {}

    bool eventFilter(QObject*, QEvent* e) override
    {
        if (m_fitting || e->spontaneous() || (e->type() != QEvent::Show && e->type() != QEvent::Resize))
            return false;
        QMdiArea* area = m_sub->mdiArea();
        if (!area || m_sub->isMaximized() || m_sub->isMinimized())
            return false;
        const QRect space(QPoint(0, 0), area->contentsRect().size());
        if (space.isEmpty())
            return false;
        const QRect now = m_sub->geometry();
        const bool tooLarge = now.width() > space.width() || now.height() > space.height();
        if (e->type() == QEvent::Resize && !tooLarge)
            return false;
        const QRect fitted = FitRect(now, space);
        if (fitted != now) {
            m_fitting = true;
            m_sub->setGeometry(fitted);
            m_fitting = false;
        }
        return false;
    }

private:
    QMdiSubWindow* m_sub;  // the parent
    bool m_fitting = false;
};

}  // namespace

void KeepInsideArea(QMdiSubWindow* sub)
{
    if (sub)
        sub->installEventFilter(new AreaKeeper(sub));  // owned by the window
}

QRect FitRect(QRect r, const QRect& area)
{
    if (!area.isValid() || !r.isValid())
        return r;
    r.setWidth(std::min(r.width(), area.width()));
    r.setHeight(std::min(r.height(), area.height()));
    if (r.right() > area.right())
        r.moveRight(area.right());
    if (r.bottom() > area.bottom())
        r.moveBottom(area.bottom());
    if (r.left() < area.left())
        r.moveLeft(area.left());
    if (r.top() < area.top())
        r.moveTop(area.top());
    return r;
}

QRect DesktopArea(const QWidget* near)
{
    QScreen* screen = near ? near->screen() : nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

void FitOnDesktop(QWidget* window)
{
    if (!window || !window->isWindow())
        return;
    const QRect desktop = DesktopArea(window->parentWidget() ? window->parentWidget() : window);
    if (!desktop.isValid())
        return;
    const QMargins margins = FrameMargins(window);
    const QRect frame = window->geometry().marginsAdded(margins);
    const QRect fitted = FitRect(frame, desktop).marginsRemoved(margins);
    if (fitted != window->geometry())
        window->setGeometry(fitted);
}

void KeepOnDesktop(QWidget* window)
{
    if (!window)
        return;
    window->installEventFilter(new DesktopKeeper(window));  // owned by the window
}

void CascadeInside(QMdiArea* area)
{
    if (!area)
        return;
    QList<QMdiSubWindow*> windows;
    for (QMdiSubWindow* sub : area->subWindowList(QMdiArea::StackingOrder))
        if (sub->isVisible() && !sub->isMinimized())
            windows << sub;
    if (windows.isEmpty())
        return;
    // The whole area: once the windows fit in it no scroll bar takes room.
    const QRect space(QPoint(0, 0), area->contentsRect().size());
    const int step = std::max(area->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, windows.front()), 16);
    const int n = static_cast<int>(windows.size());
    const QSize size(std::max(space.width() - (n - 1) * step, space.width() * 2 / 3),
                     std::max(space.height() - (n - 1) * step, space.height() * 2 / 3));
    // Down and to the right, starting over at the top when the next would leave the area.
    const int perRun = std::max(1, std::min((space.width() - size.width()) / step, (space.height() - size.height()) / step) + 1);
    int i = 0;
    for (QMdiSubWindow* sub : windows) {
        if (sub->isMaximized())
            sub->showNormal();
        const int k = i++ % perRun;
        sub->setGeometry(QRect(QPoint(k * step, k * step), size));
        sub->raise();
    }
    area->setActiveSubWindow(windows.back());
}
