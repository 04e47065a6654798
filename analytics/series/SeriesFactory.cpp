#include "analytics/series/SeriesFactory.h"

#include "analytics/series/CPriceSeries.h"
#include "broker/session/CSessionManager.h"
#include "broker/session/PriceSeriesHooks.h"

#include <memory>

CPriceSeries* OpenPriceSeries(const char* key, DWORD context)
{
    CSessionManager* manager = CSessionManager::Instance();
    if (manager && GetPriceSeriesHooks().create)
        return manager->CreatePriceSeries(key, context);
    auto series = std::make_unique<CPriceSeries>(key, context);
    return series->IsKeyValid() ? series.release() : nullptr;
}

void ReleasePriceSeries(CPriceSeries* series)
{
    if (!series)
        return;
    CSessionManager* manager = CSessionManager::Instance();
    if (manager && GetPriceSeriesHooks().destroy)
        manager->DeletePriceSeries(series);
    else
        delete series;
}
