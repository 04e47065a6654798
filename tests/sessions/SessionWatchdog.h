// Watches the program's event loop during a session: every quarter second it posts a
// ping to the main thread; when a ping stays unanswered for the limit (5 s), it prints
// what the session was doing and the main thread's stack, and ends the process with a
// failure status (the test fails; a hung loop cannot be unwound). Until the program's loop
// runs (start-up: libraries loaded, windows made, the login) the limit is that of the
// start-up, which a loaded machine can draw out.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <pthread.h>
#include <string>
#include <thread>

namespace qx::sessions {

class CSessionWatchdog {
public:
    // Construct on the main thread: that is the thread it watches.
    explicit CSessionWatchdog(std::chrono::milliseconds limit = std::chrono::seconds(5),
                              std::chrono::milliseconds startLimit = std::chrono::seconds(60));
    ~CSessionWatchdog();
    CSessionWatchdog(const CSessionWatchdog&) = delete;
    CSessionWatchdog& operator=(const CSessionWatchdog&) = delete;

    void Start();
    void Stop();
    // The program's loop runs: the session's limit applies from now on (any thread).
    void LoopRuns() { m_loopRuns = true; }
    // What the session does now (printed with a hang).
    void SetActivity(const std::string& text);

    // Prints the stack of the main thread on standard error (any thread).
    static void PrintMainThreadStack();

private:
    void Run();
    void Hang(std::chrono::milliseconds silent);

    const std::chrono::milliseconds m_limit;
    const std::chrono::milliseconds m_startLimit;
    std::atomic<bool> m_loopRuns{false};
    const pthread_t m_main;
    std::mutex m_lock;
    std::condition_variable m_wake;
    bool m_stop = false;
    std::string m_activity;
    std::thread m_thread;
};

}  // namespace qx::sessions
