// Subscription counts per symbol and stream service (0 to 11).
#pragma once

#include "platform/core/CString.h"

#include <map>
#include <mutex>
#include <utility>
#include <vector>

class CSubscriptionTable {
public:
    // Counts up; true when the symbol is new on the service (the stream must request it).
    bool Add(const CString& symbol, int service);
    // Counts down; true when the count reached zero (the stream must drop it). Unknown: false.
    bool Remove(const CString& symbol, int service);
    int GetCount(const CString& symbol, int service) const;
    // Every symbol with a count on the service, for resubscribing after a reconnect.
    std::vector<CString> GetSymbols(int service) const;

private:
    mutable std::mutex m_lock;
    std::map<std::pair<int, CString>, int> m_counts;
};
