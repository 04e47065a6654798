// The figures a chart draws from its backtest: the cumulative profit of its fills and
// the equity records its Equity Curve studies read.
#pragma once

#include "analytics/studies/CEquityRecord.h"
#include "platform/core/WinTypes.h"

#include <vector>

// Fill actions: 0 Buy, 1 Buy to Cover, 2 Sell, 3 Sell Short.
struct CChartFill {
    DWORD time = 0;  // feed time
    int action = 0;
    DWORD quantity = 0;  // shares, unsigned
    double price = 0;
    double commission = 0;  // one side
    double cumulativeProfit = 0;
};

// In arrival order: a Sell takes quantity x (its price - the fill before's), a Buy to
// Cover quantity x (the fill before's - its price), each less two commissions, added to
// the cumulative profit of the fill before; other fills keep it. The first fill's is 0.
void ComputeCumulativeProfit(std::vector<CChartFill>& fills);

// One record per fill, after it: the cumulative profit and the position the fill leaves
// (0 long after a Buy, 3 short after a Sell Short, flat after a closing fill).
std::vector<CEquityRecord> MakeEquityRecords(const std::vector<CChartFill>& fills);
