// Event-loop and mouse helpers shared by the offscreen window tests.
#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QMouseEvent>
#include <QPoint>
#include <QWidget>
#include <QWindow>

#include <functional>

// Runs the event loop, with deferred deletes, until done() or timeoutMs have passed;
// returns done().
inline bool PumpEventsUntil(const std::function<bool()>& done, int timeoutMs)
{
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < timeoutMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    return done();
}

inline void PumpFor(int ms)
{
    PumpEventsUntil([] { return false; }, ms);
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
