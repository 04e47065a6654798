// Positions, balances, orders, saved orders and watch lists of the session, with change
// detection: observers of a kind hear of a new list only when it differs from the stored one.
#pragma once

#include "broker/session/AccountRecords.h"
#include "broker/session/COrderStatusRecord.h"
#include "broker/session/CSavedOrderRecord.h"
#include "broker/session/SessionMessages.h"

#include <functional>
#include <mutex>
#include <vector>

enum EAccountDataKind : int {
    kAccountPositions = 0,
    kAccountBalances = 1,
    kAccountOrders = 2,
    kAccountSavedOrders = 3,
    kAccountWatchlists = 4,
    kAccountKindCount = 5
};

// Slot 0 the deleting destructor, slot 1 the change notification.
class CAccountDataListener {
public:
    virtual ~CAccountDataListener() = default;
    virtual void OnAccountDataChanged(int kind) = 0;
};

class COrderStatusListHandle;

class CAccountDataStore {
public:
    template <class T>
    struct List {
        bool present = false;
        std::vector<T> records;
    };

    std::recursive_mutex& GetLock() { return m_lock; }

    void AddListener(int kind, CAccountDataListener* listener);
    void RemoveListener(int kind, CAccountDataListener* listener);

    // Replace a list; observers of the kind are called (store locked) only when it differs.
    // Returns whether it differed.
    bool SetPositions(std::vector<CPositionRecord> records);
    bool SetBalances(std::vector<CBalanceRecord> records);
    bool SetOrders(std::vector<COrderStatusRecord> records);
    bool SetSavedOrders(std::vector<CSavedOrderRecord> records);
    bool SetWatchlists(std::vector<CWatchlistRecord> records);

    // Applies codes 7 to 11.
    void ApplyMessage(CSessionMessage& message);

    // Live lists: read with the store lock held.
    const List<CPositionRecord>& Positions() const { return m_positions; }
    const List<CBalanceRecord>& Balances() const { return m_balances; }
    const List<COrderStatusRecord>& Orders() const { return m_orders; }
    const List<CSavedOrderRecord>& SavedOrders() const { return m_savedOrders; }
    const List<CWatchlistRecord>& Watchlists() const { return m_watchlists; }

    // Order handles register here so the store knows whether open orders are being watched.
    void AddOrderHandle(COrderStatusListHandle* handle);
    void RemoveOrderHandle(COrderStatusListHandle* handle);
    // Re-checks whether some order observer wants live order refresh; tells the callback on change.
    void RecheckLiveOrders();
    bool WantsLiveOrders();
    void SetLiveOrdersCallback(std::function<void(bool)> callback);

private:
    template <class T>
    bool Replace(List<T>& list, std::vector<T>&& records, int kind);

    std::recursive_mutex m_lock;
    List<CPositionRecord> m_positions;
    List<CBalanceRecord> m_balances;
    List<COrderStatusRecord> m_orders;
    List<CSavedOrderRecord> m_savedOrders;
    List<CWatchlistRecord> m_watchlists;
    std::vector<CAccountDataListener*> m_listeners[kAccountKindCount];
    std::vector<COrderStatusListHandle*> m_orderHandles;
    bool m_bLiveOrders = false;
    std::function<void(bool)> m_liveOrdersCallback;
};
