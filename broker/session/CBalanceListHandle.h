// The balances list of the account data store, live or as a snapshot.
#pragma once

#include "broker/session/CAccountListHandle.h"

class CBalanceListHandle : public CAccountListHandle<CBalanceRecord> {
public:
    explicit CBalanceListHandle(CAccountDataStore& store) : CAccountListHandle(store, kAccountBalances, &CAccountDataStore::Balances) {}
};
