// Series services without a broker: a fixed clock, one calendar rule set, quotes set by
// the test, and a log of the history requests.
#pragma once

#include "analytics/series/ISeriesServices.h"
#include "broker/session/CMarketCalendar.h"

#include <map>
#include <mutex>
#include <vector>

class FakeSeriesServices : public ISeriesServices {
public:
    struct Request {
        CPriceSeries* series;
        DWORD start;
        DWORD end;
    };

    FakeSeriesServices()
    {
        rules.regular = {1, 9 * 60 + 30, 16 * 60};
        rules.extended = {1, 4 * 60, 20 * 60};
        SetSeriesServices(this);
    }
    ~FakeSeriesServices() override { SetSeriesServices(nullptr); }

    CTime GetExchangeTime() override
    {
        std::lock_guard<std::mutex> g(lock);
        return now;
    }
    const CSessionRules* FindSessionRules(const char*) override { return &rules; }
    bool LookupQuote(const CString& symbol, CSeriesQuote& out) override
    {
        std::lock_guard<std::mutex> g(lock);
        auto it = quotes.find(symbol.str());
        if (it == quotes.end())
            return false;
        out = it->second;
        return true;
    }
    bool AddSeriesListener(CPriceSeries*) override { return false; }
    void RemoveSeriesListener(const CString&, CPriceSeries*) override {}
    void FillSeries(CPriceSeries*, int, int) override {}
    int RequestHistory(CPriceSeries* series, DWORD start, DWORD end) override
    {
        std::lock_guard<std::mutex> g(lock);
        requests.push_back({series, start, end});
        return 1;
    }
    void RemoveSeries(CPriceSeries*) override {}

    std::mutex lock;
    CTime now = CTime(2026, 3, 4, 12, 7, 0); // Wednesday
    CSessionRules rules;
    std::map<std::string, CSeriesQuote> quotes;
    std::vector<Request> requests;
};
