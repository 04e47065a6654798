// The one thread that applies queued session messages to their stores.
#pragma once

#include "broker/session/CSessionQueue.h"

#include <atomic>
#include <functional>
#include <thread>

// What the dispatcher hands every message (except time marks) to.
class ISessionMessageHandler {
public:
    virtual ~ISessionMessageHandler() = default;
    virtual void ApplyMessage(CSessionMessage& message) = 0;
};

class CSessionDispatcher {
public:
    static constexpr int64_t kLagLimitNanos = 2'000'000'000; // 2 s

    CSessionDispatcher(CSessionQueue& queue, ISessionMessageHandler& handler);
    ~CSessionDispatcher();
    CSessionDispatcher(const CSessionDispatcher&) = delete;
    CSessionDispatcher& operator=(const CSessionDispatcher&) = delete;

    // Starts the thread once; later calls do nothing.
    void Start();
    void Stop();
    bool IsRunning() const { return m_thread.joinable(); }

    // Applies whatever is queued on the calling thread (tests and benchmarks without the thread).
    size_t RunOnce(std::chrono::milliseconds wait);

    // Called on the dispatcher thread with the lag in seconds when a time mark is 2 s late.
    void SetLagReporter(std::function<void(double)> reporter) { m_lagReporter = std::move(reporter); }
    uint64_t GetLagReports() const { return m_nLagReports.load(); }
    uint64_t GetApplied() const { return m_nApplied.load(std::memory_order_relaxed); }

private:
    void ThreadMain();
    void Apply(CSessionMessage& message);

    CSessionQueue& m_queue;
    ISessionMessageHandler& m_handler;
    std::function<void(double)> m_lagReporter;
    std::atomic<bool> m_bStop{false};
    std::atomic<uint64_t> m_nLagReports{0};
    std::atomic<uint64_t> m_nApplied{0};
    std::thread m_thread;
    std::vector<CSessionQueue::MessagePtr> m_batch;
};
