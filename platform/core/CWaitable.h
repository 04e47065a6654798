// Objects that WaitForSingleObject and WaitForMultipleObjects wait on (events and
// threads). All waitable state is guarded by one process-wide lock, so a wait on
// several objects sees them consistently.
#pragma once

#include "platform/core/CSyncObject.h"

#include <condition_variable>
#include <cstdint>
#include <mutex>

class CWaitable;
using HANDLE = CWaitable*;

inline constexpr DWORD WAIT_OBJECT_0 = 0;
inline constexpr DWORD WAIT_TIMEOUT = 258;
inline constexpr DWORD WAIT_FAILED = 0xFFFFFFFFu;
inline constexpr DWORD MAXIMUM_WAIT_OBJECTS = 64;

class CWaitable : public CSyncObject {
public:
    CWaitable() : m_hObject(this) {}

    operator HANDLE() { return this; }

    BOOL Lock(DWORD timeoutMs = INFINITE) override;
    BOOL Unlock() override { return TRUE; }

    // Threads waiting on this object right now.
    int GetWaitingThreads() const;

    const HANDLE m_hObject;

protected:
    friend DWORD WaitForMultipleObjects(DWORD, const HANDLE*, BOOL, DWORD);

    // All of these run under WaitLock().
    // Whether a waiter that has seen pulse generation `seen` may go on.
    virtual bool IsReady(uint64_t seen) const = 0;
    // Takes the signal after a successful wait (auto-reset events clear it).
    virtual void Consume(uint64_t seen) { (void)seen; }
    // Pulse generation; changes when the object is pulsed.
    virtual uint64_t Generation() const { return 0; }

    static std::mutex& WaitLock();
    // Wakes every waiter to look again; call after changing state under WaitLock().
    static void NotifyWaiters();

    int m_waiters = 0;  // threads currently waiting on this object
};

// WAIT_OBJECT_0 when signalled in time, WAIT_TIMEOUT, or WAIT_FAILED for no object.
DWORD WaitForSingleObject(HANDLE object, DWORD timeoutMs);
// waitAll: all objects at once, else the first signalled one (WAIT_OBJECT_0 + its index).
DWORD WaitForMultipleObjects(DWORD count, const HANDLE* objects, BOOL waitAll, DWORD timeoutMs);
