#include "views/PendingFieldIds.h"

#include <utility>

void CPendingFieldIds::SetNotifier(std::function<bool()> notify)
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_notify = std::move(notify);
    m_ids.clear();
}

void CPendingFieldIds::Add(int count, const BYTE* ids)
{
    if (count <= 0 || !ids)
        return;
    std::lock_guard<std::mutex> lock(m_lock);
    const bool wasEmpty = m_ids.empty();
    m_ids.insert(ids, ids + count);
    if (wasEmpty && (!m_notify || !m_notify()))
        m_ids.clear();
}

std::set<int> CPendingFieldIds::Take()
{
    std::lock_guard<std::mutex> lock(m_lock);
    return std::exchange(m_ids, {});
}

void CPendingFieldIds::Clear()
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_ids.clear();
}
