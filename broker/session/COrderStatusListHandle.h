// The order status list of the account data store with its filter.
#pragma once

#include "broker/session/CAccountListHandle.h"

#include <cstdint>

struct COrderListFilter {
    int status = 0;   // 0 all, 1 open, 2 filled, 3 filled or open, 4 canceled, 5 expired, 6 pending, 7 exercised
    int type = 0;     // 0 all, 1 single-leg only, 2 multi-leg only
    int dateMode = 0; // 0 today, 1 yesterday, 2 the last Days days, 3 From..To
    int days = 0;
    int64_t from = 0; // calendar seconds
    int64_t to = 0;

    static COrderListFilter Default(int64_t now);
};

// Whether a record passes the filter, with M the local midnight of 'now'.
bool OrderPassesFilter(const COrderStatusRecord& record, const COrderListFilter& filter, int64_t now);

class COrderStatusListHandle : public CAccountListHandle<COrderStatusRecord> {
public:
    explicit COrderStatusListHandle(CAccountDataStore& store);
    ~COrderStatusListHandle() override;

    void SetFilter(int status, int type, int dateMode, int days, int64_t from, int64_t to);
    void SetFilter(const COrderListFilter& filter);
    COrderListFilter GetFilter() const;
    // Whether the filter can show orders that are still working (the store refreshes those live).
    bool ShowsOpenOrders() const;

protected:
    bool Accept(const COrderStatusRecord& record) const override;

private:
    mutable std::mutex m_filterLock;
    COrderListFilter m_filter;
};
