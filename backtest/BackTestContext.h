// The run context of a backtest: what the window that starts runs (the backtest window,
// a chart) shares with the worker thread of its current run.
//
// A window embeds one context, gives it a sink (where the worker's records go; the
// window's is CBackTestWindowSink, which posts them as window messages) and then:
//
//     StartBackTest(m_context, std::make_shared<const CStrategySetup>(job));
//     ...
//     CancelBackTest(m_context);   // before a new run, and before the window goes
//
// What the sink hears, in this order, on the worker's thread:
//     OnRunStarted(job)         WM_APP+4   once, before any data is asked for
//     OnTrade(entry)            WM_APP+2   each fill (portfolio runs: after the capital pass)
//     OnGroup(group)            WM_APP+3   per symbol and strategy (portfolio: all at the end)
//     OnProgress()              WM_APP+16  portfolio runs: after each symbol and strategy
//     OnProblem(text)           WM_APP+17  a strategy that cannot be run, once per text
//     OnRunEnded()              WM_APP+5   once, after IsRunning turned false and the
//                                          progress went back to 0
// Records are handed over: the sink owns them from then on.
#pragma once

#include "backtest/BackTestRecords.h"
#include "platform/core/CString.h"
#include "platform/core/WinTypes.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

class CStrategySetup;
class CThread;

inline constexpr UINT WM_BACKTEST_TRADE = WM_APP + 2;
inline constexpr UINT WM_BACKTEST_GROUP = WM_APP + 3;
inline constexpr UINT WM_BACKTEST_STARTED = WM_APP + 4;
inline constexpr UINT WM_BACKTEST_ENDED = WM_APP + 5;
inline constexpr UINT WM_BACKTEST_PROGRESS = WM_APP + 16;
inline constexpr UINT WM_BACKTEST_PROBLEM = WM_APP + 17;

class IBackTestSink {
public:
    virtual ~IBackTestSink() = default;
    virtual void OnRunStarted(std::shared_ptr<const CStrategySetup> job) = 0;
    virtual void OnTrade(std::unique_ptr<BackTestEntry> entry) = 0;
    virtual void OnGroup(std::unique_ptr<EntryGroup> group) = 0;
    virtual void OnProgress() = 0;
    virtual void OnProblem(const CString& text) = 0;
    virtual void OnRunEnded() = 0;
};

struct BackTestContext {
    BackTestContext();
    ~BackTestContext();  // cancels a running run
    BackTestContext(const BackTestContext&) = delete;
    BackTestContext& operator=(const BackTestContext&) = delete;

    // True from the start of a run until the worker has finished with it.
    bool IsRunning() const { return m_bRunning.load(std::memory_order_acquire); }
    // Percentage of the symbol-and-strategy pairs done.
    int GetProgress() const { return m_nProgress.load(std::memory_order_relaxed); }
    bool IsCancelled() const { return m_bCancel.load(std::memory_order_acquire); }
    // Wakes the worker when cancelled or when data it waits for arrived; false when
    // cancelled.
    bool WaitFor(int milliseconds);
    void Wake();
    // Wakes the worker like Wake, and may still be called once the context is gone (by
    // formulas freed after the run).
    std::function<void()> Waker() const;

    IBackTestSink* m_pSink = nullptr;  // set by the window before the first run

    // The worker's.
    std::atomic<bool> m_bRunning{false};
    std::atomic<bool> m_bCancel{false};
    std::atomic<int> m_nProgress{0};
    // What the current or last run did: bars walked (over all symbols and strategies) and
    // the time spent walking them, formulas included, data loading not.
    std::atomic<int64_t> m_nBarSteps{0};
    std::atomic<int64_t> m_nWalkNanoseconds{0};
    std::unique_ptr<CThread> m_thread;  // the starter's

private:
    struct WakeState {
        std::mutex lock;
        std::condition_variable wake;
        bool woken = false;
        void Wake();
    };
    const std::shared_ptr<WakeState> m_pWake = std::make_shared<WakeState>();
};

// Cancels a run that is going on, then starts the worker on the job. False when no
// thread could be started (nothing is posted then).
bool StartBackTest(BackTestContext& context, std::shared_ptr<const CStrategySetup> job);
// Asks the running worker to stop and waits for its thread; nothing when none runs.
void CancelBackTest(BackTestContext& context);
// The worker: runs the job to its end (or until cancelled) on the calling thread.
void BackTestThreadProc(BackTestContext& context, std::shared_ptr<const CStrategySetup> job);
