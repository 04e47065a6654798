// A re-entrant lock: the owning thread may take it again, and must release it as often.
#pragma once

#include "platform/core/CSyncObject.h"

#include <mutex>

class CCriticalSection : public CSyncObject {
public:
    CCriticalSection() = default;

    // The time-out is ignored: a critical section is always waited for.
    BOOL Lock(DWORD timeoutMs = INFINITE) override
    {
        (void)timeoutMs;
        m_mutex.lock();
        return TRUE;
    }
    BOOL Unlock() override
    {
        m_mutex.unlock();
        return TRUE;
    }
    BOOL TryLock() { return m_mutex.try_lock() ? TRUE : FALSE; }

private:
    std::recursive_mutex m_mutex;
};
