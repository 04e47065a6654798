#include "platform/ui/CMessageQueue.h"

#include "platform/ui/CWindowRegistry.h"
#include "platform/ui/CWnd.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QThread>

#include <future>
#include <mutex>

namespace {

const QEvent::Type kPostedType = static_cast<QEvent::Type>(QEvent::registerEventType());
const QEvent::Type kSentType = static_cast<QEvent::Type>(QEvent::registerEventType());

class PostedEvent final : public QEvent {
public:
    PostedEvent(HWND target, CWndMessage message) : QEvent(kPostedType), target(target), message(std::move(message)) {}
    HWND target;
    CWndMessage message;
};

class SentEvent final : public QEvent {
public:
    SentEvent(HWND target, UINT message, WPARAM wParam, LPARAM lParam)
        : QEvent(kSentType), target(target), message(message), wParam(wParam), lParam(lParam)
    {
    }
    ~SentEvent() override
    {
        if (!answered)
            result.set_value(0);
    }
    HWND target;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    bool answered = false;
    std::promise<LRESULT> result;
};

class Dispatcher final : public QObject {
public:
    ~Dispatcher() override;
    bool event(QEvent* e) override
    {
        if (e->type() == kPostedType) {
            auto* posted = static_cast<PostedEvent*>(e);
            if (CWnd* wnd = CWindowRegistry::Instance().Lookup(posted->target))
                wnd->DeliverMessage(posted->message);
            return true;  // the event (and any payload left in it) is deleted by Qt
        }
        if (e->type() == kSentType) {
            auto* sent = static_cast<SentEvent*>(e);
            LRESULT r = 0;
            if (CWnd* wnd = CWindowRegistry::Instance().Lookup(sent->target)) {
                CWndMessage m{sent->message, sent->wParam, sent->lParam, nullptr};
                r = wnd->DeliverMessage(m);
            }
            sent->answered = true;
            sent->result.set_value(r);
            return true;
        }
        return QObject::event(e);
    }
};

std::mutex g_lock;
Dispatcher* g_dispatcher = nullptr;  // guarded by g_lock
QThread* g_uiThread = nullptr;

Dispatcher::~Dispatcher()
{
    std::lock_guard lock(g_lock);
    if (g_dispatcher == this)
        g_dispatcher = nullptr;
}

}  // namespace

void CMessageQueue::Initialize()
{
    std::lock_guard lock(g_lock);
    if (g_dispatcher || !QCoreApplication::instance())
        return;
    g_uiThread = QThread::currentThread();
    // Owned by the application object; the destroyed hook clears the pointer.
    g_dispatcher = new Dispatcher;
    g_dispatcher->setParent(QCoreApplication::instance());
}

void CMessageQueue::Shutdown()
{
    Dispatcher* d = nullptr;
    {
        std::lock_guard lock(g_lock);
        d = g_dispatcher;
        g_dispatcher = nullptr;
    }
    delete d;  // removes its queued events, which free their payloads
}

bool CMessageQueue::IsUiThread()
{
    return g_uiThread ? QThread::currentThread() == g_uiThread
                      : (QCoreApplication::instance() && QThread::currentThread() == QCoreApplication::instance()->thread());
}

bool CMessageQueue::Post(HWND target, UINT message, WPARAM wParam, LPARAM lParam,
                         std::unique_ptr<CMessagePayload> payload)
{
    if (!CWindowRegistry::Instance().IsAlive(target))
        return false;
    std::lock_guard lock(g_lock);
    if (!g_dispatcher)
        return false;
    // Qt's queue owns the event from here on.
    QCoreApplication::postEvent(g_dispatcher,
                                new PostedEvent(target, CWndMessage{message, wParam, lParam, std::move(payload)}));
    return true;
}

LRESULT CMessageQueue::Send(HWND target, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (IsUiThread()) {
        CWnd* wnd = CWindowRegistry::Instance().Lookup(target);
        if (!wnd)
            return 0;
        CWndMessage m{message, wParam, lParam, nullptr};
        return wnd->DeliverMessage(m);
    }
    std::future<LRESULT> answer;
    {
        std::lock_guard lock(g_lock);
        if (!g_dispatcher || !CWindowRegistry::Instance().IsAlive(target))
            return 0;
        auto* e = new SentEvent(target, message, wParam, lParam);
        answer = e->result.get_future();
        QCoreApplication::postEvent(g_dispatcher, e);
    }
    return answer.get();
}

void CMessageQueue::Flush()
{
    Dispatcher* d = nullptr;
    {
        std::lock_guard lock(g_lock);
        d = g_dispatcher;
    }
    if (d)
        QCoreApplication::sendPostedEvents(d, 0);
}

bool PostMessage(HWND target, UINT message, WPARAM wParam, LPARAM lParam, std::unique_ptr<CMessagePayload> payload)
{
    return CMessageQueue::Post(target, message, wParam, lParam, std::move(payload));
}

LRESULT SendMessage(HWND target, UINT message, WPARAM wParam, LPARAM lParam)
{
    return CMessageQueue::Send(target, message, wParam, lParam);
}

bool IsWindow(HWND target)
{
    return CWindowRegistry::Instance().IsAlive(target);
}
