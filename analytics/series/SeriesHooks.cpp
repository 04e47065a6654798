#include "analytics/series/SeriesHooks.h"

#include "analytics/series/CPriceSeries.h"
#include "broker/session/PriceSeriesHooks.h"
#include "broker/session/SessionMessages.h"

void RegisterPriceSeriesHooks()
{
    CPriceSeriesHooks hooks;
    hooks.create = [](const char* key, DWORD context) -> CPriceSeries* {
        auto series = std::make_unique<CPriceSeries>(key, context);
        return series->IsKeyValid() ? series.release() : nullptr;
    };
    hooks.destroy = [](CPriceSeries* series) { delete series; };
    hooks.symbol = [](const CPriceSeries* series) { return series->GetSymbol().GetString(); };
    hooks.interval = [](const CPriceSeries* series) { return series->GetInterval().GetString(); };
    hooks.liveTrade = [](CPriceSeries* series, const CTradeMessage& trade, DWORD feedTime) {
        series->OnLiveData(&trade, feedTime);
    };
    hooks.exchangeCheck = [](CPriceSeries* series) { series->OnExchangeCheck(); };
    hooks.streamRestored = [](CPriceSeries* series) { series->OnStreamRestored(); };
    hooks.historyUpdate = [](CPriceSeries* series, const std::vector<CHistoryRow>& rows, bool daily,
                             std::optional<uint64_t> asOf) {
        if (daily)
            series->OnDailyHistory(rows, asOf);
        else
            series->OnIntradayHistory(rows, asOf);
    };
    hooks.historyFailed = [](CPriceSeries* series, DWORD start, DWORD end) { series->OnHistoryFailed(start, end); };
    hooks.cachedFill = [](CPriceSeries* series, const std::vector<CHistoryRow>& rows, const CHistoryCoverage& complete,
                          bool daily, int first, int last) {
        if (daily)
            series->OnCachedDailyFill(rows, first, last, &complete);
        else
            series->OnCachedIntradayFill(rows, first, last, &complete);
    };
    SetPriceSeriesHooks(hooks);
}
