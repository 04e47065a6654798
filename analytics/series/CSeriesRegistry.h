// The live price series of the process by symbol, so that a series laid out anew can find
// another one holding the same bars. Visits run under the registry's lock; a series leaves
// the registry before it is destroyed, so a visited series stays alive for the visit.
#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <unordered_map>

class CPriceSeries;

class CSeriesRegistry {
public:
    static CSeriesRegistry& Instance();

    void Add(const std::string& symbol, CPriceSeries* series);
    void Remove(const std::string& symbol, CPriceSeries* series);
    // Calls `visit` for each registered series of the symbol until it returns true.
    void Visit(const std::string& symbol, const std::function<bool(CPriceSeries&)>& visit) const;

private:
    mutable std::mutex m_lock;
    std::unordered_multimap<std::string, CPriceSeries*> m_series;
};
