#include "platform/core/CThread.h"

#include <cstdio>
#include <exception>
#include <sys/resource.h>
#include <unistd.h>

namespace {
// Nice value for a priority hint; raising priority needs privileges and may be refused.
int niceFor(int priority)
{
    if (priority <= THREAD_PRIORITY_IDLE)
        return 19;
    if (priority >= THREAD_PRIORITY_TIME_CRITICAL)
        return -10;
    return -5 * priority;
}
}  // namespace

CThread::~CThread()
{
    if (m_thread.joinable() && m_thread.get_id() == std::this_thread::get_id())
        m_thread.detach();  // a routine that destroys its own thread object
    Join();
}

bool CThread::Start(LPTHREAD_START_ROUTINE fn, void* param, int priority)
{
    if (!fn)
        return false;
    return Start([fn, param] { return fn(param); }, priority);
}

bool CThread::Start(std::function<DWORD()> body, int priority)
{
    if (!body || IsRunning())
        return false;
    Join();
    {
        std::lock_guard lock(WaitLock());
        m_started = true;
        m_finished = false;
        m_exitCode = STILL_ACTIVE;
    }
    m_thread = std::thread([this, body = std::move(body), priority] { Run(body, priority); });
    return true;
}

void CThread::Run(const std::function<DWORD()>& body, int priority)
{
    if (priority != THREAD_PRIORITY_NORMAL)
        setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), niceFor(priority));
    DWORD code = 0xFFFFFFFFu;
    try {
        code = body();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "worker thread ended by exception: %s\n", e.what());
    } catch (...) {
        std::fprintf(stderr, "worker thread ended by an unknown exception\n");
    }
    {
        std::lock_guard lock(WaitLock());
        m_exitCode = code;
        m_finished = true;
    }
    NotifyWaiters();
}

void CThread::Join()
{
    if (m_thread.joinable() && m_thread.get_id() != std::this_thread::get_id())
        m_thread.join();
}

bool CThread::IsRunning() const
{
    std::lock_guard lock(WaitLock());
    return m_started && !m_finished;
}

DWORD CThread::GetExitCode() const
{
    std::lock_guard lock(WaitLock());
    return m_exitCode;
}

bool CThread::IsReady(uint64_t) const
{
    return m_finished;
}

std::unique_ptr<CThread> StartThread(LPTHREAD_START_ROUTINE fn, void* param, int priority)
{
    auto thread = std::make_unique<CThread>();
    if (!thread->Start(fn, param, priority))
        return nullptr;
    return thread;
}
