// Scoped hold of one CSyncObject; released on destruction if still held.
#pragma once

#include "platform/core/CSyncObject.h"

class CSingleLock {
public:
    explicit CSingleLock(CSyncObject* object, BOOL initialLock = FALSE);
    CSingleLock(const CSingleLock&) = delete;
    CSingleLock& operator=(const CSingleLock&) = delete;
    ~CSingleLock();

    // Takes the object unless this lock already holds it.
    BOOL Lock(DWORD timeoutMs = INFINITE);
    BOOL Unlock();
    BOOL IsLocked() const { return m_locked ? TRUE : FALSE; }

private:
    CSyncObject* m_object;
    bool m_locked = false;
};
