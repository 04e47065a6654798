#include "backtest/ui/BacktestChartHook.h"

#include "studies/CStudyDefinition.h"

#include <utility>

namespace {

BacktestChartOpener& Opener()
{
    static BacktestChartOpener opener;
    return opener;
}

}  // namespace

void SetBacktestChartOpener(BacktestChartOpener opener)
{
    Opener() = std::move(opener);
}

bool OpenBacktestChart(CBacktestChartRequest& request)
{
    return Opener() ? Opener()(request) : false;
}
