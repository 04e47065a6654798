// The formula engine's threads and shared state: the pending and live request lists with
// their locks, the input thread that resolves requests, the clean-up thread that frees
// released formulas, and the 900 ms poll of registered timers.
//
// The application creates one engine, installs it, calls Start after start-up and Stop
// (or destroys it) at exit, after the formulas that use it are gone.
#pragma once

#include <chrono>
#include <condition_variable>
#include <list>
#include <memory>
#include <mutex>
#include <set>
#include <thread>

class CFormulaRequest;
class CFormulaTimer;

class CFormulaEngine {
public:
    static constexpr std::chrono::milliseconds kPollInterval{900};

    CFormulaEngine();
    ~CFormulaEngine(); // stops the threads and frees the requests of released formulas
    CFormulaEngine(const CFormulaEngine&) = delete;
    CFormulaEngine& operator=(const CFormulaEngine&) = delete;

    // The engine formulas subscribe with; none until the application installs one.
    static CFormulaEngine* Instance();
    static void Install(CFormulaEngine* engine);

    // Starts the input, clean-up and poll threads (lowest priority). Once.
    void Start();
    // Sets the stop event and waits for the three threads.
    void Stop();
    bool IsRunning() const;

    // Subscribe: the request joins the pending list and the input thread wakes.
    void AddRequest(std::unique_ptr<CFormulaRequest> request);
    // A formula was released: the clean-up thread wakes.
    void WakeCleanup();

    // The polled-object map. Unregister waits for a running OnTimer of the object.
    void RegisterPolled(CFormulaTimer* timer);
    void UnregisterPolled(CFormulaTimer* timer);
    // One pass of the poll (the poll thread's work; tests may call it).
    void PollOnce();

    // Thread procedures.
    void FormulaInputThread();
    void FormulaCleanupThread();
    void FormulaPollThread();

    // For tests: requests on each list.
    size_t GetPendingCount() const;
    size_t GetLiveCount() const;

private:
    bool WaitFor(bool& wake, std::chrono::milliseconds timeout);
    void FreeReleased(std::list<std::unique_ptr<CFormulaRequest>>& list);

    mutable std::mutex m_pendingLock;
    mutable std::mutex m_liveLock;
    std::list<std::unique_ptr<CFormulaRequest>> m_pending; // newest at the front
    std::list<std::unique_ptr<CFormulaRequest>> m_live;

    std::mutex m_eventLock; // the wake flags and the stop event
    std::condition_variable m_event;
    bool m_bInputWake = false;
    bool m_bCleanupWake = false;
    bool m_bStop = false;

    std::mutex m_polledLock;
    std::set<CFormulaTimer*> m_polled;

    std::thread m_input;
    std::thread m_cleanup;
    std::thread m_poll;
};
