#include "analytics/formula/CFormulaInputShare.h"

std::shared_ptr<CStudySource> CFormulaInputShare::Find(const std::string& key) const
{
    std::lock_guard<std::mutex> lock(m_lock);
    const auto it = m_sources.find(key);
    return it != m_sources.end() ? it->second.lock() : nullptr;
}

void CFormulaInputShare::Keep(const std::string& key, const std::shared_ptr<CStudySource>& source)
{
    std::lock_guard<std::mutex> lock(m_lock);
    std::weak_ptr<CStudySource>& kept = m_sources[key];
    if (kept.expired())
        kept = source;
}
