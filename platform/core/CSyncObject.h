// Something a CSingleLock can take: a critical section or a waitable object.
#pragma once

#include "platform/core/WinTypes.h"

inline constexpr DWORD INFINITE = 0xFFFFFFFFu;

class CSyncObject {
public:
    CSyncObject() = default;
    CSyncObject(const CSyncObject&) = delete;
    CSyncObject& operator=(const CSyncObject&) = delete;
    virtual ~CSyncObject() = default;

    virtual BOOL Lock(DWORD timeoutMs = INFINITE) = 0;
    virtual BOOL Unlock() = 0;
};
