// Opening a chart for a backtest row: the chart windows stand above the backtest window,
// so the shell installs the opener and the backtest window calls it through here.
#pragma once

#include "backtest/CStrategySetup.h"
#include "platform/core/CString.h"

#include <functional>
#include <memory>
#include <vector>

class CStudyDefinition;

struct CBacktestChartRequest {
    CString symbol;
    CString interval;  // the strategy's interval code
    bool floating = false;
    std::unique_ptr<CStrategySetup> setup;  // one strategy, for the chart's own backtest
    // A custom chart: the chart's studies are replaced by these (when replaceStudies) and
    // these are added.
    bool replaceStudies = false;
    std::vector<std::unique_ptr<CStudyDefinition>> studies;
};

using BacktestChartOpener = std::function<bool(CBacktestChartRequest& request)>;
void SetBacktestChartOpener(BacktestChartOpener opener);
// False when no opener is installed or no chart could be opened.
bool OpenBacktestChart(CBacktestChartRequest& request);
