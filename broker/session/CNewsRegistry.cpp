#include "broker/session/CNewsRegistry.h"

#include "broker/session/IStreamSubscriber.h"

#include <algorithm>

void CNewsEntry::CopyFrom(const CNewsEntry& other)
{
    if (this == &other)
        return;
    key = other.key;
    pending = other.pending;
    base = other.base;
    headlines = other.headlines;
    storyIndex.clear();
    for (size_t i = 0; i < headlines.size(); ++i)
        storyIndex[headlines[i].storyId] = base + static_cast<int>(i);
}

CNewsRegistry::CNewsRegistry(IStreamSubscriber* subscriber, int historyLimit)
    : m_pSubscriber(subscriber), m_limit(std::max(historyLimit, 1))
{
}

CNewsRegistry::~CNewsRegistry() = default;

void CNewsRegistry::SetSubscriber(IStreamSubscriber* subscriber)
{
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    m_pSubscriber = subscriber;
}

CNewsEntry* CNewsRegistry::AddListener(const CString& key, CNewsListener* listener, bool* existed)
{
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    auto it = m_entries.find(key);
    if (existed)
        *existed = it != m_entries.end();
    if (it == m_entries.end()) {
        auto entry = std::make_unique<CNewsEntry>();
        entry->key = key;
        it = m_entries.emplace(key, std::move(entry)).first;
        if (m_pSubscriber) {
            m_pSubscriber->Subscribe(key, kServiceNews);
            m_pSubscriber->RequestNewsHistory(key);
        }
    }
    it->second->listeners.push_back(listener);
    return it->second.get();
}

void CNewsRegistry::RemoveListener(const CString& key, CNewsListener* listener)
{
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    auto it = m_entries.find(key);
    if (it == m_entries.end())
        return;
    auto& listeners = it->second->listeners;
    auto pos = std::find(listeners.begin(), listeners.end(), listener);
    if (pos != listeners.end())
        listeners.erase(pos);
    if (!listeners.empty())
        return;
    if (m_pSubscriber)
        m_pSubscriber->Unsubscribe(key, kServiceNews);
    m_entries.erase(it);
}

CNewsEntry* CNewsRegistry::Lookup(const CString& key)
{
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    auto it = m_entries.find(key);
    return it == m_entries.end() ? nullptr : it->second.get();
}

void CNewsRegistry::CopyHeadlines(const CNewsEntry& entry, int first, int last, std::vector<CNewsHeadline>& out,
                                  int* firstCopied)
{
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    out.clear();
    const int from = std::max(first, entry.base);
    const int to = std::min(last, entry.End() - 1);
    if (firstCopied)
        *firstCopied = from;
    if (from > to)
        return;
    const auto begin = entry.headlines.begin() + (from - entry.base);
    out.assign(begin, begin + (to - from + 1));
}

void CNewsRegistry::DropOldest(CNewsEntry& entry)
{
    while (static_cast<int>(entry.headlines.size()) > m_limit) {
        const auto found = entry.storyIndex.find(entry.headlines.front().storyId);
        if (found != entry.storyIndex.end() && found->second == entry.base)
            entry.storyIndex.erase(found);
        entry.headlines.pop_front();
        ++entry.base;
    }
}

void CNewsRegistry::DispatchNews(const CNewsMessage& message)
{
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    auto it = m_entries.find(message.m_key);
    if (it == m_entries.end())
        return;
    CNewsEntry& entry = *it->second;
    std::vector<int> changed;
    for (const CNewsHeadline& incoming : message.m_headlines) {
        int index;
        auto found = entry.storyIndex.find(incoming.storyId);
        if (found != entry.storyIndex.end() && found->second >= entry.base && found->second < entry.End()) {
            if (incoming.keep)
                continue;
            index = found->second;
            CNewsHeadline& stored = entry.headlines[static_cast<size_t>(index - entry.base)];
            stored = incoming;
            stored.updated = 1;
        } else {
            index = entry.End();
            entry.headlines.push_back(incoming);
            entry.storyIndex[incoming.storyId] = index;
            DropOldest(entry);
        }
        changed.push_back(index);
    }
    entry.pending = 0;
    // Only the rows this message touched are told, in runs of adjacent indexes; rows it
    // appended and dropped again within the bound are not.
    std::sort(changed.begin(), changed.end());
    changed.erase(std::unique(changed.begin(), changed.end()), changed.end());
    changed.erase(changed.begin(), std::lower_bound(changed.begin(), changed.end(), entry.base));
    if (changed.empty())
        return;
    std::vector<std::pair<int, int>> runs;
    for (int index : changed) {
        if (!runs.empty() && runs.back().second + 1 == index)
            runs.back().second = index;
        else
            runs.emplace_back(index, index);
    }
    for (size_t i = 0; i < entry.listeners.size(); ++i) {
        CNewsListener* listener = entry.listeners[i];
        if (!listener || !listener->callback)
            continue;
        for (const auto& [first, last] : runs)
            listener->callback->OnNewsChange(listener, first, last);
    }
}
