// The backtest window's "View Default Chart" and "View Custom Chart": a new chart window
// on the row's symbol at the strategy's interval, with the strategy's studies when asked,
// running the row's strategy as the chart's own backtest.
#pragma once

struct CBacktestChartRequest;

bool OpenChartForBacktest(CBacktestChartRequest& request);
