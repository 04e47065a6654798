// The news subscriptions of one headline window: one registry listener per key. Changes
// the registry reports (on the session's thread, under its lock) wait in a queue; the
// window is woken when the queue fills and takes them on its own thread, copying only
// the headlines that changed.
#pragma once

#include "broker/session/CNewsRegistry.h"
#include "platform/core/CString.h"

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

class CNewsSubscriptions {
public:
    // wake is called (any thread) when changes start waiting in an empty queue.
    CNewsSubscriptions(CNewsRegistry& registry, std::function<void()> wake);
    ~CNewsSubscriptions();
    CNewsSubscriptions(const CNewsSubscriptions&) = delete;
    CNewsSubscriptions& operator=(const CNewsSubscriptions&) = delete;

    // Subscribes the keys and drops every earlier subscription with its waiting changes;
    // the headlines the registry already holds for a key wait as a change at once.
    void Resubscribe(const std::vector<CString>& keys);
    void RemoveAll();
    std::vector<CString> GetKeys() const;

    // The headlines of the waiting changes, in the order they were reported; the queue
    // is empty afterwards.
    std::vector<CNewsHeadline> TakeChanges();
    bool HasWaitingChanges() const;

private:
    struct CSubscription;
    struct CChange {
        const CSubscription* subscription;
        int first;
        int last;
    };

    void Queue(const CSubscription* subscription, int first, int last);
    // Takes the subscriptions out of the registry and their changes out of the queue.
    void Drop(std::map<CString, std::unique_ptr<CSubscription>>& subscriptions);

    CNewsRegistry& m_registry;
    std::function<void()> m_wake;
    std::map<CString, std::unique_ptr<CSubscription>> m_subscriptions;
    mutable std::mutex m_queueLock;
    std::vector<CChange> m_queue;
};
