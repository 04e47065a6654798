// The positions list of the account data store, live or as a snapshot.
#pragma once

#include "broker/session/CAccountListHandle.h"

class CPositionListHandle : public CAccountListHandle<CPositionRecord> {
public:
    explicit CPositionListHandle(CAccountDataStore& store) : CAccountListHandle(store, kAccountPositions, &CAccountDataStore::Positions) {}
};
