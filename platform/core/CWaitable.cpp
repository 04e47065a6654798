#include "platform/core/CWaitable.h"

#include <chrono>
#include <vector>

namespace {
std::condition_variable& waitCondition()
{
    static std::condition_variable cv;
    return cv;
}
}  // namespace

std::mutex& CWaitable::WaitLock()
{
    static std::mutex m;
    return m;
}

void CWaitable::NotifyWaiters()
{
    waitCondition().notify_all();
}

int CWaitable::GetWaitingThreads() const
{
    std::lock_guard lock(WaitLock());
    return m_waiters;
}

BOOL CWaitable::Lock(DWORD timeoutMs)
{
    return WaitForSingleObject(this, timeoutMs) == WAIT_OBJECT_0 ? TRUE : FALSE;
}

DWORD WaitForSingleObject(HANDLE object, DWORD timeoutMs)
{
    return WaitForMultipleObjects(1, &object, FALSE, timeoutMs);
}

DWORD WaitForMultipleObjects(DWORD count, const HANDLE* objects, BOOL waitAll, DWORD timeoutMs)
{
    if (count == 0 || count > MAXIMUM_WAIT_OBJECTS || !objects)
        return WAIT_FAILED;
    for (DWORD i = 0; i < count; ++i) {
        if (!objects[i])
            return WAIT_FAILED;
    }
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);

    std::unique_lock lock(CWaitable::WaitLock());
    std::vector<uint64_t> seen(count);
    for (DWORD i = 0; i < count; ++i) {
        seen[i] = objects[i]->Generation();
        ++objects[i]->m_waiters;
    }
    DWORD result = WAIT_TIMEOUT;
    while (true) {
        if (waitAll) {
            bool all = true;
            for (DWORD i = 0; i < count && all; ++i)
                all = objects[i]->IsReady(seen[i]);
            if (all) {
                for (DWORD i = 0; i < count; ++i)
                    objects[i]->Consume(seen[i]);
                result = WAIT_OBJECT_0;
                break;
            }
        } else {
            bool done = false;
            for (DWORD i = 0; i < count; ++i) {
                if (objects[i]->IsReady(seen[i])) {
                    objects[i]->Consume(seen[i]);
                    result = WAIT_OBJECT_0 + i;
                    done = true;
                    break;
                }
            }
            if (done)
                break;
        }
        // Pulses that passed without releasing this waiter are over for it.
        for (DWORD i = 0; i < count; ++i)
            seen[i] = objects[i]->Generation();
        if (timeoutMs == 0)
            break;
        if (timeoutMs == INFINITE) {
            waitCondition().wait(lock);
        } else if (waitCondition().wait_until(lock, deadline) == std::cv_status::timeout) {
            // One last look before giving up.
            timeoutMs = 0;
        }
    }
    for (DWORD i = 0; i < count; ++i)
        --objects[i]->m_waiters;
    return result;
}
