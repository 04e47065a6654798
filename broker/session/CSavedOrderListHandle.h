// The savedorders list of the account data store, live or as a snapshot.
#pragma once

#include "broker/session/CAccountListHandle.h"

class CSavedOrderListHandle : public CAccountListHandle<CSavedOrderRecord> {
public:
    explicit CSavedOrderListHandle(CAccountDataStore& store) : CAccountListHandle(store, kAccountSavedOrders, &CAccountDataStore::SavedOrders) {}
};
