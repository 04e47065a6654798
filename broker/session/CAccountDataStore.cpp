#include "broker/session/CAccountDataStore.h"

#include "broker/session/COrderStatusListHandle.h"

#include <algorithm>

void CAccountDataStore::AddListener(int kind, CAccountDataListener* listener)
{
    if (kind < 0 || kind >= kAccountKindCount || !listener)
        return;
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    m_listeners[kind].push_back(listener);
    if (kind == kAccountOrders)
        RecheckLiveOrders();
}

void CAccountDataStore::RemoveListener(int kind, CAccountDataListener* listener)
{
    if (kind < 0 || kind >= kAccountKindCount)
        return;
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    auto& list = m_listeners[kind];
    auto it = std::find(list.begin(), list.end(), listener);
    if (it != list.end())
        list.erase(it);
    if (kind == kAccountOrders)
        RecheckLiveOrders();
}

template <class T>
bool CAccountDataStore::Replace(List<T>& list, std::vector<T>&& records, int kind)
{
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    if (list.present && list.records == records)
        return false;
    list.present = true;
    list.records = std::move(records);
    // Index loop: an observer may unregister itself from its notification.
    for (size_t i = 0; i < m_listeners[kind].size(); ++i)
        m_listeners[kind][i]->OnAccountDataChanged(kind);
    return true;
}

bool CAccountDataStore::SetPositions(std::vector<CPositionRecord> records)
{
    return Replace(m_positions, std::move(records), kAccountPositions);
}

bool CAccountDataStore::SetBalances(std::vector<CBalanceRecord> records)
{
    return Replace(m_balances, std::move(records), kAccountBalances);
}

bool CAccountDataStore::SetOrders(std::vector<COrderStatusRecord> records)
{
    return Replace(m_orders, std::move(records), kAccountOrders);
}

bool CAccountDataStore::SetSavedOrders(std::vector<CSavedOrderRecord> records)
{
    return Replace(m_savedOrders, std::move(records), kAccountSavedOrders);
}

bool CAccountDataStore::SetWatchlists(std::vector<CWatchlistRecord> records)
{
    return Replace(m_watchlists, std::move(records), kAccountWatchlists);
}

void CAccountDataStore::ApplyMessage(CSessionMessage& message)
{
    switch (message.m_nCode) {
    case kMsgPositions: SetPositions(std::move(static_cast<CPositionsMessage&>(message).m_records)); break;
    case kMsgBalances: SetBalances(std::move(static_cast<CBalancesMessage&>(message).m_records)); break;
    case kMsgOrderStatus: SetOrders(std::move(static_cast<COrderStatusMessage&>(message).m_records)); break;
    case kMsgSavedOrders: SetSavedOrders(std::move(static_cast<CSavedOrdersMessage&>(message).m_records)); break;
    case kMsgWatchlists: SetWatchlists(std::move(static_cast<CWatchlistsMessage&>(message).m_records)); break;
    default: break;
    }
}

void CAccountDataStore::AddOrderHandle(COrderStatusListHandle* handle)
{
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    m_orderHandles.push_back(handle);
}

void CAccountDataStore::RemoveOrderHandle(COrderStatusListHandle* handle)
{
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    std::erase(m_orderHandles, handle);
    RecheckLiveOrders();
}

void CAccountDataStore::RecheckLiveOrders()
{
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    bool live = false;
    for (COrderStatusListHandle* handle : m_orderHandles)
        if (handle->GetListener() && handle->ShowsOpenOrders())
            live = true;
    if (live == m_bLiveOrders)
        return;
    m_bLiveOrders = live;
    if (m_liveOrdersCallback)
        m_liveOrdersCallback(live);
}

bool CAccountDataStore::WantsLiveOrders()
{
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    return m_bLiveOrders;
}

void CAccountDataStore::SetLiveOrdersCallback(std::function<void(bool)> callback)
{
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    m_liveOrdersCallback = std::move(callback);
}
