// Runs the Qt event loop until a condition holds, for programs that drive windows from outside
// (tests, screenshots).
#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>

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
