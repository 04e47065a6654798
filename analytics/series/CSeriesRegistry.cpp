#include "analytics/series/CSeriesRegistry.h"

CSeriesRegistry& CSeriesRegistry::Instance()
{
    static CSeriesRegistry registry;
    return registry;
}

void CSeriesRegistry::Add(const std::string& symbol, CPriceSeries* series)
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_series.emplace(symbol, series);
}

void CSeriesRegistry::Remove(const std::string& symbol, CPriceSeries* series)
{
    std::lock_guard<std::mutex> lock(m_lock);
    auto [it, end] = m_series.equal_range(symbol);
    for (; it != end; ++it)
        if (it->second == series) {
            m_series.erase(it);
            return;
        }
}

void CSeriesRegistry::Visit(const std::string& symbol, const std::function<bool(CPriceSeries&)>& visit) const
{
    std::lock_guard<std::mutex> lock(m_lock);
    auto [it, end] = m_series.equal_range(symbol);
    for (; it != end; ++it)
        if (visit(*it->second))
            return;
}
