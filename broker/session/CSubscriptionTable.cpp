#include "broker/session/CSubscriptionTable.h"

bool CSubscriptionTable::Add(const CString& symbol, int service)
{
    std::lock_guard<std::mutex> lock(m_lock);
    return ++m_counts[{service, symbol}] == 1;
}

bool CSubscriptionTable::Remove(const CString& symbol, int service)
{
    std::lock_guard<std::mutex> lock(m_lock);
    auto it = m_counts.find({service, symbol});
    if (it == m_counts.end())
        return false;
    if (--it->second > 0)
        return false;
    m_counts.erase(it);
    return true;
}

int CSubscriptionTable::GetCount(const CString& symbol, int service) const
{
    std::lock_guard<std::mutex> lock(m_lock);
    auto it = m_counts.find({service, symbol});
    return it == m_counts.end() ? 0 : it->second;
}

std::vector<CString> CSubscriptionTable::GetSymbols(int service) const
{
    std::lock_guard<std::mutex> lock(m_lock);
    std::vector<CString> symbols;
    for (auto it = m_counts.lower_bound({service, CString()}); it != m_counts.end() && it->first.first == service; ++it)
        symbols.push_back(it->first.second);
    return symbols;
}
