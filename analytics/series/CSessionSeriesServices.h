// Series services of the process-wide session manager.
#pragma once

#include "analytics/series/ISeriesServices.h"

class CSessionSeriesServices : public ISeriesServices {
public:
    CTime GetExchangeTime() override;
    const CSessionRules* FindSessionRules(const char* exchangeAndSymbol) override;
    bool LookupQuote(const CString& symbol, CSeriesQuote& out) override;
    bool AddSeriesListener(CPriceSeries* series) override;
    void RemoveSeriesListener(const CString& symbol, CPriceSeries* series) override;
    void FillSeries(CPriceSeries* series, int first, int last) override;
    int RequestHistory(CPriceSeries* series, DWORD startFeedTime, DWORD endFeedTime) override;
    void RemoveSeries(CPriceSeries* series) override;
};
