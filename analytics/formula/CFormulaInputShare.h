// Series inputs that the formulas of one history run (a backtest's entry and exit formulas,
// say) open once. A formula resolved with the share hands its sources to it; a later one
// resolved for the same request (mode, symbol, interval, bars, end time, options) reads
// those instead of opening and loading its own. Sources are held weakly: each lives as long
// as a formula reads it. Formulas that share inputs never shift their bars (AddBars), which
// would move a shared source once for each.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>

class CStudySource;

class CFormulaInputShare {
public:
    // The source kept under the key, or none.
    std::shared_ptr<CStudySource> Find(const std::string& key) const;
    // Keeps the source under the key unless a live one is kept there.
    void Keep(const std::string& key, const std::shared_ptr<CStudySource>& source);

private:
    mutable std::mutex m_lock;
    std::map<std::string, std::weak_ptr<CStudySource>> m_sources;
};
