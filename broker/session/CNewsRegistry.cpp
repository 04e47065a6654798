#include "broker/session/CNewsRegistry.h"

#include "broker/session/IStreamSubscriber.h"

#include <algorithm>

void CNewsEntry::CopyFrom(const CNewsEntry& other)
{
    if (this == &other)
        return;
    key = other.key;
    pending = other.pending;
    headlines = other.headlines;
    storyIndex.clear();
    for (size_t i = 0; i < headlines.size(); ++i)
        storyIndex[headlines[i].storyId] = static_cast<int>(i);
}

CNewsRegistry::CNewsRegistry(IStreamSubscriber* subscriber) : m_pSubscriber(subscriber) {}

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

void CNewsRegistry::DispatchNews(const CNewsMessage& message)
{
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    auto it = m_entries.find(message.m_key);
    if (it == m_entries.end())
        return;
    CNewsEntry& entry = *it->second;
    int low = static_cast<int>(entry.headlines.size());
    int high = -1;
    for (const CNewsHeadline& incoming : message.m_headlines) {
        int index;
        auto found = entry.storyIndex.find(incoming.storyId);
        if (found != entry.storyIndex.end() && found->second >= 0 &&
            found->second < static_cast<int>(entry.headlines.size())) {
            if (incoming.keep)
                continue;
            index = found->second;
            entry.headlines[static_cast<size_t>(index)] = incoming;
            entry.headlines[static_cast<size_t>(index)].updated = 1;
        } else {
            index = static_cast<int>(entry.headlines.size());
            entry.headlines.push_back(incoming);
            entry.storyIndex[incoming.storyId] = index;
        }
        low = std::min(low, index);
        high = std::max(high, index);
    }
    entry.pending = 0;
    if (high < low)
        return;
    for (size_t i = 0; i < entry.listeners.size(); ++i) {
        CNewsListener* listener = entry.listeners[i];
        if (listener && listener->callback)
            listener->callback->OnNewsChange(listener, low, high);
    }
}
