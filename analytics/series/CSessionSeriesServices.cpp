#include "analytics/series/CSessionSeriesServices.h"

#include "analytics/periods/PeriodTime.h"
#include "analytics/series/CPriceSeries.h"
#include "broker/session/CSessionManager.h"
#include "platform/core/CivilDate.h"

#include <mutex>

namespace {

CSessionSeriesServices g_sessionServices;
ISeriesServices* g_services = nullptr;

void CopyQuote(const CQuoteRecord& record, CSeriesQuote& out)
{
    out.pending = record.IsPending();
    out.last = record.GetLast();
    out.bid = record.GetBid();
    out.ask = record.GetAsk();
    out.high = record.GetHigh();
    out.low = record.GetLow();
    out.open = record.GetOpen();
    out.volume = record.GetVolume();
    out.tradeFeedTime = record.GetTradeFeedTime();
    out.timeOffsetMinutes = record.GetTimeOffset();
    out.exchange = record.GetExchange();
    out.description = record.GetDescription();
}

} // namespace

ISeriesServices& GetSeriesServices()
{
    return g_services ? *g_services : g_sessionServices;
}

void SetSeriesServices(ISeriesServices* services)
{
    g_services = services;
}

CTime CSessionSeriesServices::GetExchangeTime()
{
    CSessionManager* manager = CSessionManager::Instance();
    if (!manager)
        return CTime::GetCurrentTime();
    // The exchange's wall clock as a local time, without a C library call per reading.
    SYSTEMTIME st{};
    manager->GetExchangeTime(st);
    const int64_t day = DaysFromCivil(st.wYear, st.wMonth, st.wDay);
    return periods::TimeOfLocalNaiveSeconds(day * 86400 + st.wHour * 3600 + st.wMinute * 60 + st.wSecond);
}

const CSessionRules* CSessionSeriesServices::FindSessionRules(const char* exchangeAndSymbol)
{
    CSessionManager* manager = CSessionManager::Instance();
    return manager ? manager->GetCalendar().FindSessionRules(exchangeAndSymbol) : nullptr;
}

bool CSessionSeriesServices::LookupQuote(const CString& symbol, CSeriesQuote& out)
{
    CSessionManager* manager = CSessionManager::Instance();
    if (!manager)
        return false;
    CQuoteStore& store = manager->GetQuoteStore();
    std::lock_guard<std::recursive_mutex> lock(store.GetLock());
    const CQuoteRecord* record = store.Lookup(symbol);
    if (!record)
        return false;
    CopyQuote(*record, out);
    return true;
}

bool CSessionSeriesServices::AddSeriesListener(CPriceSeries* series)
{
    CSessionManager* manager = CSessionManager::Instance();
    if (!manager)
        return false;
    CQuoteStore& store = manager->GetQuoteStore();
    std::lock_guard<std::recursive_mutex> lock(store.GetLock());
    const CQuoteRecord* record = store.AddSeriesListener(series->GetSymbol(), series);
    return record && !record->IsPending();
}

void CSessionSeriesServices::RemoveSeriesListener(const CString& symbol, CPriceSeries* series)
{
    if (CSessionManager* manager = CSessionManager::Instance())
        manager->GetQuoteStore().RemoveSeriesListener(symbol, series);
}

void CSessionSeriesServices::FillSeries(CPriceSeries* series, int first, int last)
{
    if (CSessionManager* manager = CSessionManager::Instance())
        manager->GetHistoryCache().FillSeries(series, first, last);
}

int CSessionSeriesServices::RequestHistory(CPriceSeries* series, DWORD startFeedTime, DWORD endFeedTime)
{
    CSessionManager* manager = CSessionManager::Instance();
    return manager ? manager->GetHistoryCache().RequestHistory(series, startFeedTime, endFeedTime) : 0;
}

void CSessionSeriesServices::RemoveSeries(CPriceSeries* series)
{
    if (CSessionManager* manager = CSessionManager::Instance())
        manager->GetHistoryCache().RemoveSeries(series);
}
