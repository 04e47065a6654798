// The watch lists of the account data store, live or as a snapshot, with lookup by name.
#pragma once

#include "broker/session/CAccountListHandle.h"

class CWatchlistListHandle : public CAccountListHandle<CWatchlistRecord> {
public:
    explicit CWatchlistListHandle(CAccountDataStore& store)
        : CAccountListHandle(store, kAccountWatchlists, &CAccountDataStore::Watchlists)
    {
    }

    // The list of that name (case-insensitive) from the handle's current list.
    bool FindByName(const CString& name, CWatchlistRecord& out) const;
};
