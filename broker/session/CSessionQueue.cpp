#include "broker/session/CSessionQueue.h"

#include "broker/session/SessionMessages.h"

int64_t CSessionQueue::NowNanos()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void CSessionQueue::Post(MessagePtr message)
{
    if (!message)
        return;
    bool wasEmpty;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        wasEmpty = m_messages.empty();
        m_messages.push_back(std::move(message));
        if (++m_nPosts % kMarkInterval == 0) {
            auto mark = std::make_unique<CTimeMarkMessage>();
            mark->m_postedAt = NowNanos();
            m_messages.push_back(std::move(mark));
        }
    }
    // The dispatcher only sleeps on an empty queue, so one wake-up per batch is enough.
    if (wasEmpty)
        m_ready.notify_one();
}

bool CSessionQueue::Drain(std::vector<MessagePtr>& out, std::chrono::milliseconds timeout)
{
    out.clear();
    std::unique_lock<std::mutex> lock(m_lock);
    if (m_messages.empty() && !m_bWoken)
        m_ready.wait_for(lock, timeout, [this] { return !m_messages.empty() || m_bWoken; });
    m_bWoken = false;
    out.swap(m_messages);
    return !out.empty();
}

void CSessionQueue::Wake()
{
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_bWoken = true;
    }
    m_ready.notify_all();
}

uint64_t CSessionQueue::GetPostCount() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_nPosts;
}

size_t CSessionQueue::GetPending() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_messages.size();
}
