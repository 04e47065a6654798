#include "broker/session/CSessionDispatcher.h"

#include "platform/core/AppLog.h"

#include <cstdio>

CSessionDispatcher::CSessionDispatcher(CSessionQueue& queue, ISessionMessageHandler& handler)
    : m_queue(queue), m_handler(handler)
{
}

CSessionDispatcher::~CSessionDispatcher()
{
    Stop();
}

void CSessionDispatcher::Start()
{
    if (m_thread.joinable())
        return;
    m_bStop = false;
    m_thread = std::thread([this] { ThreadMain(); });
}

void CSessionDispatcher::Stop()
{
    if (!m_thread.joinable())
        return;
    m_bStop = true;
    m_queue.Wake();
    m_thread.join();
}

void CSessionDispatcher::ThreadMain()
{
    while (!m_bStop.load())
        RunOnce(std::chrono::milliseconds(250));
}

size_t CSessionDispatcher::RunOnce(std::chrono::milliseconds wait)
{
    if (!m_queue.Drain(m_batch, wait))
        return 0;
    const size_t n = m_batch.size();
    for (auto& message : m_batch)
        Apply(*message);
    m_batch.clear(); // frees the messages after they were applied
    return n;
}

void CSessionDispatcher::Apply(CSessionMessage& message)
{
    if (message.m_nCode == kMsgTimeMark) {
        const int64_t lag = CSessionQueue::NowNanos() - message.m_postedAt;
        if (lag >= kLagLimitNanos) {
            m_nLagReports.fetch_add(1);
            const double seconds = static_cast<double>(lag) / 1e9;
            if (m_lagReporter)
                m_lagReporter(seconds);
            else
                AppLog("session dispatcher lags %.1f s behind", seconds);
        }
        return;
    }
    m_handler.ApplyMessage(message);
    m_nApplied.fetch_add(1, std::memory_order_relaxed);
}
