// The figures of backtest results: a fill's profit in the trade rows, the statistics of
// one symbol and strategy, and the Total over the summary rows.
#pragma once

#include "backtest/BackTestRecords.h"

#include <memory>
#include <vector>

class CStrategySetup;

// Profit, ProfitPercent and CumulativeProfit of a fill, given the fill before it in its
// symbol-and-strategy list (null for the first), written into the entry.
void ComputeTradeRow(BackTestEntry& entry, const BackTestEntry* previous);

// The statistics of one symbol and strategy from its fills in arrival order, with the
// prices of its group.
BackTestSummary ComputeSummary(const std::vector<std::unique_ptr<BackTestEntry>>& entries, const EntryGroup& group);

// Adds a summary row to the Total record. Returns true when the Total's "Profit-Loss %"
// is to be shown: a portfolio job with capital, where it is the total profit over the
// capital.
bool AccumulateTotal(BackTestSummary& total, const BackTestSummary& row, const CStrategySetup* setup);
// Every figure of the Total record back to 0 (its name stays).
void ResetTotal(BackTestSummary& total);
