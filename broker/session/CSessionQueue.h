// The session's message queue: any thread posts, the dispatcher drains.
#pragma once

#include "broker/session/CSessionMessage.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

class CSessionQueue {
public:
    using MessagePtr = std::unique_ptr<CSessionMessage>;
    static constexpr uint64_t kMarkInterval = 100;

    // Appends the message under the queue lock; every hundredth post also appends a time mark.
    void Post(MessagePtr message);

    // Moves every queued message into 'out' (which is cleared first). Waits up to 'timeout'
    // when the queue is empty. Returns false when nothing arrived.
    bool Drain(std::vector<MessagePtr>& out, std::chrono::milliseconds timeout);

    // Wakes a waiting Drain without a message (used when stopping).
    void Wake();

    uint64_t GetPostCount() const;
    size_t GetPending() const;

    static int64_t NowNanos();

private:
    mutable std::mutex m_lock;
    std::condition_variable m_ready;
    std::vector<MessagePtr> m_messages;
    uint64_t m_nPosts = 0;
    bool m_bWoken = false;
};
