// What a price series uses of the broker session: exchange time, the trading calendar,
// the symbol's quote and the history cache. The session manager provides the real ones;
// tests install their own.
#pragma once

#include "platform/core/CString.h"
#include "platform/core/CTime.h"
#include "platform/core/WinTypes.h"

#include <cstdint>

class CPriceSeries;
struct CSessionRules;

// The quote fields a series reads, copied under the quote store's lock.
struct CSeriesQuote {
    bool pending = true;
    double last = 0, bid = 0, ask = 0, high = 0, low = 0, open = 0;
    uint64_t volume = 0;
    DWORD tradeFeedTime = 0;
    int timeOffsetMinutes = 0;
    CString exchange;
    CString description;
};

class ISeriesServices {
public:
    virtual ~ISeriesServices() = default;
    virtual CTime GetExchangeTime() = 0;
    // Never null for a loaded calendar.
    virtual const CSessionRules* FindSessionRules(const char* exchangeAndSymbol) = 0;
    // False when the symbol has no quote record.
    virtual bool LookupQuote(const CString& symbol, CSeriesQuote& out) = 0;
    // Adds the series to its symbol's series listeners; false when the record was missing
    // or pending.
    virtual bool AddSeriesListener(CPriceSeries* series) = 0;
    virtual void RemoveSeriesListener(const CString& symbol, CPriceSeries* series) = 0;
    virtual void FillSeries(CPriceSeries* series, int first, int last) = 0;
    // Returns the number of requests made.
    virtual int RequestHistory(CPriceSeries* series, DWORD startFeedTime, DWORD endFeedTime) = 0;
    virtual void RemoveSeries(CPriceSeries* series) = 0;
};

// The services series use; by default those of the installed session manager.
ISeriesServices& GetSeriesServices();
// Replaces them (tests); null restores the default.
void SetSeriesServices(ISeriesServices* services);
