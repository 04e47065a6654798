#include "views/CNewsSubscriptions.h"

struct CNewsSubscriptions::CSubscription final : CNewsCallback {
    CSubscription(CNewsSubscriptions& owner, const CString& key) : owner(owner), key(key)
    {
        listener.owner = this;
        listener.callback = this;
    }
    void OnNewsChange(CNewsListener*, int first, int last) override { owner.Queue(this, first, last); }

    CNewsSubscriptions& owner;
    CString key;
    CNewsListener listener;
    CNewsEntry* entry = nullptr;
};

CNewsSubscriptions::CNewsSubscriptions(CNewsRegistry& registry, std::function<void()> wake)
    : m_registry(registry), m_wake(std::move(wake))
{
}

CNewsSubscriptions::~CNewsSubscriptions()
{
    RemoveAll();
}

void CNewsSubscriptions::Queue(const CSubscription* subscription, int first, int last)
{
    bool wasEmpty;
    {
        std::lock_guard<std::mutex> lock(m_queueLock);
        wasEmpty = m_queue.empty();
        m_queue.push_back({subscription, first, last});
    }
    if (wasEmpty && m_wake)
        m_wake();
}

void CNewsSubscriptions::RemoveAll()
{
    auto old = std::move(m_subscriptions);
    m_subscriptions.clear();
    Drop(old);
}

void CNewsSubscriptions::Resubscribe(const std::vector<CString>& keys)
{
    // The new listeners come before the old ones go, so a key kept keeps its stream
    // subscription and the headlines the registry holds.
    auto old = std::move(m_subscriptions);
    m_subscriptions.clear();
    for (const CString& key : keys) {
        if (m_subscriptions.count(key))
            continue;
        auto subscription = std::make_unique<CSubscription>(*this, key);
        CSubscription* raw = subscription.get();
        m_subscriptions.emplace(key, std::move(subscription));
        // Registered and read in one go, so no message falls between the two.
        std::lock_guard<std::recursive_mutex> lock(m_registry.GetLock());
        bool existed = false;
        raw->entry = m_registry.AddListener(key, &raw->listener, &existed);
        if (existed && raw->entry && raw->entry->End() > raw->entry->base)
            Queue(raw, raw->entry->base, raw->entry->End() - 1);
    }
    Drop(old);
}

void CNewsSubscriptions::Drop(std::map<CString, std::unique_ptr<CSubscription>>& subscriptions)
{
    // Once a listener is out of the registry (under its lock) it is not called again.
    for (auto& [key, subscription] : subscriptions)
        m_registry.RemoveListener(key, &subscription->listener);
    {
        std::lock_guard<std::mutex> lock(m_queueLock);
        std::erase_if(m_queue, [&](const CChange& change) {
            const auto it = subscriptions.find(change.subscription->key);
            return it != subscriptions.end() && it->second.get() == change.subscription;
        });
    }
    subscriptions.clear();
}

std::vector<CString> CNewsSubscriptions::GetKeys() const
{
    std::vector<CString> keys;
    for (const auto& [key, subscription] : m_subscriptions)
        keys.push_back(key);
    return keys;
}

bool CNewsSubscriptions::HasWaitingChanges() const
{
    std::lock_guard<std::mutex> lock(m_queueLock);
    return !m_queue.empty();
}

std::vector<CNewsHeadline> CNewsSubscriptions::TakeChanges()
{
    std::vector<CChange> changes;
    {
        std::lock_guard<std::mutex> lock(m_queueLock);
        changes.swap(m_queue);
    }
    std::vector<CNewsHeadline> out;
    std::vector<CNewsHeadline> part;
    for (const CChange& change : changes) {
        // Subscriptions change only on this thread: one named in the queue is alive.
        if (!change.subscription->entry)
            continue;
        m_registry.CopyHeadlines(*change.subscription->entry, change.first, change.last, part);
        out.insert(out.end(), std::make_move_iterator(part.begin()), std::make_move_iterator(part.end()));
    }
    return out;
}
