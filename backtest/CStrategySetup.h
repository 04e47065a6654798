// One backtest job: the symbols, the strategies, the tested period and the options that
// change the trade rules. Stored in workspaces and chart layouts as an archive record
// (Store/Load, three layout versions) and in results files as a "StrategySetup" element.
#pragma once

#include "backtest/CStrategyDefinition.h"
#include "platform/core/CString.h"
#include "platform/core/WinTypes.h"

#include <memory>
#include <vector>

class CArchive;
class TiXmlElement;

class CStrategySetup {
public:
    CStrategySetup() = default;
    // Every field; the strategies deep-copied.
    CStrategySetup(const CStrategySetup& other);
    CStrategySetup& operator=(const CStrategySetup& other);
    ~CStrategySetup();

    int GetStrategyCount() const { return static_cast<int>(m_strategies.size()); }
    CStrategyDefinition& GetStrategy(int i) { return *m_strategies[static_cast<size_t>(i)]; }
    const CStrategyDefinition& GetStrategy(int i) const { return *m_strategies[static_cast<size_t>(i)]; }
    void AddStrategy(const CStrategyDefinition& strategy);
    void RemoveAllStrategies() { m_strategies.clear(); }
    // The strategy of that name (exact), or null.
    const CStrategyDefinition* FindStrategy(const char* name) const;
    // The first name that two strategies share, or empty.
    CString FindDuplicateName() const;
    // The symbols text split at blanks, empty pieces dropped.
    std::vector<CString> GetSymbolList() const;

    // The strategy count, then the rest in the newest layout.
    void Store(CArchive& ar) const;
    // The rest, after the count the caller read, in the layout of the version. A count
    // that the archive cannot hold, or a damaged archive, throws.
    void Load(CArchive& ar, int strategyCount, DWORD version);
    // The "StrategySetup" element (no line end after it).
    CString ToXml() const;
    // The fields of the children present; the strategies replaced by the element's.
    void FromXml(const TiXmlElement* setup);

    static constexpr DWORD kArchiveVersion = 19;

    CString m_symbols;
    DWORD m_startTime = 0;  // feed times
    DWORD m_endTime = 0;
    double m_comission = 0.0;
    int m_nIntraday = 0;
    int m_nMinuteBars = 1;
    int m_nUntilNow = 1;
    int m_nExitAtEnd = 0;
    int m_nTStop = 0;
    int m_nTStopType = 0;  // 0 an amount, 1 a percentage
    double m_tStopParam = 0.0;
    int m_nPortfolio = 0;
    double m_capital = 0.0;

private:
    std::vector<std::unique_ptr<CStrategyDefinition>> m_strategies;
};
