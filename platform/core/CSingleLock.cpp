#include "platform/core/CSingleLock.h"

CSingleLock::CSingleLock(CSyncObject* object, BOOL initialLock) : m_object(object)
{
    ASSERT(object != nullptr);
    if (initialLock)
        Lock();
}

CSingleLock::~CSingleLock()
{
    Unlock();
}

BOOL CSingleLock::Lock(DWORD timeoutMs)
{
    if (!m_object)
        return FALSE;
    if (!m_locked)
        m_locked = m_object->Lock(timeoutMs) != FALSE;
    return m_locked ? TRUE : FALSE;
}

BOOL CSingleLock::Unlock()
{
    if (m_locked && m_object) {
        m_locked = false;
        return m_object->Unlock();
    }
    return TRUE;
}
