#include "analytics/formula/CFormulaEngine.h"

#include "analytics/formula/CCompiledFormula.h"
#include "analytics/formula/CFormulaRequest.h"
#include "analytics/formula/CFormulaTimer.h"
#include "analytics/series/CSeriesListener.h"

#include <atomic>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

std::atomic<CFormulaEngine*> g_engine{nullptr};

void LowestPriority()
{
    // On Linux the nice value of a thread id applies to that thread alone.
    setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), 19);
}

} // namespace

CFormulaEngine::CFormulaEngine() = default;

CFormulaEngine::~CFormulaEngine()
{
    Stop();
    if (Instance() == this)
        Install(nullptr);
    FreeReleased(m_live);
    FreeReleased(m_pending);
    // A formula still alive keeps pointing at its compiled form: those stay allocated.
    for (auto* list : {&m_live, &m_pending})
        for (auto& request : *list)
            static_cast<void>(request.release());
}

CFormulaEngine* CFormulaEngine::Instance()
{
    return g_engine.load();
}

void CFormulaEngine::Install(CFormulaEngine* engine)
{
    g_engine.store(engine);
}

void CFormulaEngine::Start()
{
    if (IsRunning())
        return;
    {
        std::lock_guard<std::mutex> lock(m_eventLock);
        m_bStop = false;
    }
    m_input = std::thread([this] { FormulaInputThread(); });
    m_cleanup = std::thread([this] { FormulaCleanupThread(); });
    m_poll = std::thread([this] { FormulaPollThread(); });
}

void CFormulaEngine::Stop()
{
    {
        std::lock_guard<std::mutex> lock(m_eventLock);
        m_bStop = true;
    }
    m_event.notify_all();
    for (std::thread* thread : {&m_input, &m_cleanup, &m_poll})
        if (thread->joinable())
            thread->join();
}

bool CFormulaEngine::IsRunning() const
{
    return m_input.joinable();
}

void CFormulaEngine::AddRequest(std::unique_ptr<CFormulaRequest> request)
{
    {
        std::lock_guard<std::mutex> lock(m_pendingLock);
        m_pending.push_front(std::move(request));
    }
    {
        std::lock_guard<std::mutex> lock(m_eventLock);
        m_bInputWake = true;
    }
    m_event.notify_all();
}

void CFormulaEngine::WakeCleanup()
{
    {
        std::lock_guard<std::mutex> lock(m_eventLock);
        m_bCleanupWake = true;
    }
    m_event.notify_all();
}

bool CFormulaEngine::WaitFor(bool& wake, std::chrono::milliseconds timeout)
{
    std::unique_lock<std::mutex> lock(m_eventLock);
    m_event.wait_for(lock, timeout, [&] { return wake || m_bStop; });
    if (m_bStop)
        return false;
    wake = false;
    return true;
}

void CFormulaEngine::RegisterPolled(CFormulaTimer* timer)
{
    std::lock_guard<std::mutex> lock(m_polledLock);
    m_polled.insert(timer);
}

void CFormulaEngine::UnregisterPolled(CFormulaTimer* timer)
{
    std::lock_guard<std::mutex> lock(m_polledLock);
    m_polled.erase(timer);
}

void CFormulaEngine::PollOnce()
{
    std::lock_guard<std::mutex> lock(m_polledLock);
    for (CFormulaTimer* timer : m_polled)
        timer->OnTimer();
}

void CFormulaEngine::FormulaInputThread()
{
    LowestPriority();
    for (;;) {
        std::unique_ptr<CFormulaRequest> request;
        {
            std::lock_guard<std::mutex> lock(m_pendingLock);
            if (!m_pending.empty()) {
                request = std::move(m_pending.back());
                m_pending.pop_back();
            }
        }
        if (!request) {
            if (!WaitFor(m_bInputWake, std::chrono::hours(1)))
                return;
            continue;
        }
        CCompiledFormula& form = *request->m_pCompiled;
        if (!form.IsReleased())
            form.ResolveInputs(*request, *this);
        if (form.IsCompiled() && request->m_pCallback && !form.IsReleased())
            request->m_pCallback->OnValuesChanged(nullptr, 1, 0, 0);
        else if (request->m_nMode == 0 && !form.IsReleased())
            form.EvaluateResolved(request->m_pOwner);
        bool disowned = false;
        {
            // Under the lock the clean-up thread cannot free the form yet.
            std::lock_guard<std::mutex> lock(m_liveLock);
            m_live.push_front(std::move(request));
            disowned = form.IsDisowned();
        }
        // Let go of while it was being resolved: the clean-up pass may have missed it.
        if (disowned)
            WakeCleanup();
        {
            std::lock_guard<std::mutex> lock(m_eventLock);
            if (m_bStop)
                return;
        }
    }
}

void CFormulaEngine::FreeReleased(std::list<std::unique_ptr<CFormulaRequest>>& list)
{
    std::list<std::unique_ptr<CFormulaRequest>> released;
    {
        std::lock_guard<std::mutex> lock(&list == &m_live ? m_liveLock : m_pendingLock);
        for (auto it = list.begin(); it != list.end();) {
            if ((*it)->m_pCompiled->IsDisowned())
                released.splice(released.end(), list, it++);
            else
                ++it;
        }
    }
    // Outside the lock: the request's destructor releases the inputs, then frees the
    // compiled form and the callback.
    released.clear();
}

void CFormulaEngine::FormulaCleanupThread()
{
    LowestPriority();
    while (WaitFor(m_bCleanupWake, std::chrono::hours(1)))
        FreeReleased(m_live);
}

void CFormulaEngine::FormulaPollThread()
{
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(m_eventLock);
            if (m_event.wait_for(lock, kPollInterval, [&] { return m_bStop; }))
                return;
        }
        PollOnce();
    }
}

size_t CFormulaEngine::GetPendingCount() const
{
    std::lock_guard<std::mutex> lock(m_pendingLock);
    return m_pending.size();
}

size_t CFormulaEngine::GetLiveCount() const
{
    std::lock_guard<std::mutex> lock(m_liveLock);
    return m_live.size();
}
