#include "platform/core/CEvent.h"

CEvent::CEvent(BOOL initiallyOwn, BOOL manualReset, const char*, void*)
    : m_manual(manualReset != FALSE), m_signaled(initiallyOwn != FALSE)
{
}

BOOL CEvent::SetEvent()
{
    {
        std::lock_guard lock(WaitLock());
        m_signaled = true;
    }
    NotifyWaiters();
    return TRUE;
}

BOOL CEvent::ResetEvent()
{
    std::lock_guard lock(WaitLock());
    m_signaled = false;
    return TRUE;
}

BOOL CEvent::PulseEvent()
{
    {
        std::lock_guard lock(WaitLock());
        m_signaled = false;
        if (m_waiters == 0)
            return TRUE;
        ++m_generation;
        m_pulseTokens = m_manual ? m_waiters : 1;
    }
    NotifyWaiters();
    return TRUE;
}

bool CEvent::IsReady(uint64_t seen) const
{
    return m_signaled || (seen != m_generation && m_pulseTokens > 0);
}

void CEvent::Consume(uint64_t seen)
{
    if (m_signaled) {
        if (!m_manual)
            m_signaled = false;
    } else if (seen != m_generation && m_pulseTokens > 0) {
        --m_pulseTokens;
    }
}

BOOL SetEvent(CEvent& event)
{
    return event.SetEvent();
}

BOOL ResetEvent(CEvent& event)
{
    return event.ResetEvent();
}
