// A worker thread. It is waitable (signalled once finished) and joined on destruction.
#pragma once

#include "platform/core/CWaitable.h"

#include <functional>
#include <memory>
#include <thread>

inline constexpr int THREAD_PRIORITY_IDLE = -15;
inline constexpr int THREAD_PRIORITY_LOWEST = -2;
inline constexpr int THREAD_PRIORITY_BELOW_NORMAL = -1;
inline constexpr int THREAD_PRIORITY_NORMAL = 0;
inline constexpr int THREAD_PRIORITY_ABOVE_NORMAL = 1;
inline constexpr int THREAD_PRIORITY_HIGHEST = 2;
inline constexpr int THREAD_PRIORITY_TIME_CRITICAL = 15;
inline constexpr DWORD STILL_ACTIVE = 259;

using LPTHREAD_START_ROUTINE = DWORD (*)(void*);

class CThread : public CWaitable {
public:
    CThread() = default;
    ~CThread() override;

    // Starts fn(param) at the given priority hint. False if this thread is still running.
    bool Start(LPTHREAD_START_ROUTINE fn, void* param, int priority = THREAD_PRIORITY_NORMAL);
    bool Start(std::function<DWORD()> body, int priority = THREAD_PRIORITY_NORMAL);

    // Waits for the thread to end (no-op when not started or already joined).
    void Join();
    bool IsRunning() const;
    // The routine's result, STILL_ACTIVE while running, 0xFFFFFFFF if it threw.
    DWORD GetExitCode() const;

protected:
    bool IsReady(uint64_t seen) const override;

private:
    void Run(const std::function<DWORD()>& body, int priority);

    std::thread m_thread;
    bool m_started = false;
    bool m_finished = false;
    DWORD m_exitCode = STILL_ACTIVE;
};

// Starts a thread in the manner of CreateThread; the returned object owns it.
std::unique_ptr<CThread> StartThread(LPTHREAD_START_ROUTINE fn, void* param,
                                     int priority = THREAD_PRIORITY_NORMAL);
