// What a chart keeps of its own backtest: the fills the worker posted, in arrival order,
// their cumulative profit, the trade markers of the price pane and the equity records
// its Equity Curve studies read.
#pragma once

#include "analytics/studies/CEquityRecord.h"
#include "backtest/BackTestRecords.h"
#include "studies/plots/PlotHost.h"

#include <memory>
#include <vector>

// In arrival order: a Sell adds quantity x (its price - the fill before's), a Buy to Cover
// quantity x (the fill before's - its price), each less two commissions, to the
// cumulative profit of the fill before; other fills keep it. The first fill's is 0.
void ComputeCumulativeProfit(std::vector<std::unique_ptr<BackTestEntry>>& fills);

// One record per fill, at its time: the cumulative profit and the position the fill
// leaves (0 long after a Buy, 3 short after a Sell Short, flat after a closing fill).
std::vector<CEquityRecord> MakeEquityRecords(const std::vector<std::unique_ptr<BackTestEntry>>& fills);

// One marker per fill, sorted by time (fills of the same time keep their order). A fill's
// time is the start of its bar, and the price plot marks a bar for times after its start
// up to its end: the marker is placed one feed-time step after the fill.
std::vector<CBacktestMarker> MakeTradeMarkers(const std::vector<std::unique_ptr<BackTestEntry>>& fills);

class CChartBacktest {
public:
    // A run starts: every fill, marker and record goes.
    void Reset();
    void AddFill(std::unique_ptr<BackTestEntry> fill);
    // The run ended: cumulative profit, markers and equity records of the fills.
    void Finish();

    const std::vector<std::unique_ptr<BackTestEntry>>& GetFills() const { return m_fills; }
    const std::vector<CBacktestMarker>& GetMarkers() const { return m_markers; }
    // Null until a run ended with fills; stays valid until the next Reset or Finish.
    const CEquityRecordArray* GetEquity() const { return m_pointers.empty() ? nullptr : &m_pointers; }

private:
    std::vector<std::unique_ptr<BackTestEntry>> m_fills;
    std::vector<CBacktestMarker> m_markers;
    std::vector<CEquityRecord> m_records;
    CEquityRecordArray m_pointers;
};
