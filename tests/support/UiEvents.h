// Event-loop and mouse helpers shared by the offscreen window tests.
#pragma once

#include "platform/ui/EventPump.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QMouseEvent>
#include <QPoint>
#include <QWidget>
#include <QWindow>

#include <functional>

inline void PumpFor(int ms)
{
    PumpEventsUntil([] { return false; }, ms);
}

// Delivers what is posted, the update requests among it, without waiting: a window then
// shows what it was asked to repaint.
inline void DeliverPosted()
{
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
}

// A left click at a point of the widget, sent to its window as a press and a release.
inline void MouseClick(QWidget* widget, const QPoint& at)
{
    QWindow* window = widget->window()->windowHandle();
    const QPoint inWindow = widget->mapTo(widget->window(), at);
    QMouseEvent press(QEvent::MouseButtonPress, inWindow, widget->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(window, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, inWindow, widget->mapToGlobal(at), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(window, &release);
}
