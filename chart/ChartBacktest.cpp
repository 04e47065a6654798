#include "chart/ChartBacktest.h"

#include <algorithm>

void ComputeCumulativeProfit(std::vector<std::unique_ptr<BackTestEntry>>& fills)
{
    if (fills.empty())
        return;
    fills[0]->m_cumulativeProfit = 0;
    for (size_t i = 1; i < fills.size(); ++i) {
        BackTestEntry& fill = *fills[i];
        const BackTestEntry& before = *fills[i - 1];
        const double quantity = static_cast<double>(static_cast<DWORD>(fill.m_nQuantity));
        double profit = 0;
        if (fill.m_nAction == kActionSell)
            profit = quantity * (fill.m_price - before.m_price);
        else if (fill.m_nAction == kActionBuyToCover)
            profit = quantity * (before.m_price - fill.m_price);
        else {
            fill.m_cumulativeProfit = before.m_cumulativeProfit;
            continue;
        }
        fill.m_cumulativeProfit = profit - 2 * fill.m_comission + before.m_cumulativeProfit;
    }
}

std::vector<CEquityRecord> MakeEquityRecords(const std::vector<std::unique_ptr<BackTestEntry>>& fills)
{
    std::vector<CEquityRecord> records;
    records.reserve(fills.size());
    for (const auto& fill : fills) {
        CEquityRecord record;
        record.m_time = static_cast<DWORD>(fill->m_nTime);
        record.m_equity = fill->m_cumulativeProfit;
        if (IsEntryAction(fill->m_nAction)) {
            record.m_nPositionKind = fill->m_nAction == kActionBuy ? 0 : 3;
            record.m_nQuantity = static_cast<unsigned int>(fill->m_nQuantity);
            record.m_entryPrice = fill->m_price;
        } else {
            record.m_nPositionKind = 1;
        }
        records.push_back(record);
    }
    return records;
}

std::vector<CBacktestMarker> MakeTradeMarkers(const std::vector<std::unique_ptr<BackTestEntry>>& fills)
{
    std::vector<CBacktestMarker> markers;
    markers.reserve(fills.size());
    for (const auto& fill : fills)
        markers.push_back({static_cast<DWORD>(fill->m_nTime) + 1, fill->m_nAction});
    std::stable_sort(markers.begin(), markers.end(), [](const auto& a, const auto& b) { return a.time < b.time; });
    return markers;
}

void CChartBacktest::Reset()
{
    m_fills.clear();
    m_markers.clear();
    m_pointers.clear();
    m_records.clear();
}

void CChartBacktest::AddFill(std::unique_ptr<BackTestEntry> fill)
{
    if (fill)
        m_fills.push_back(std::move(fill));
}

void CChartBacktest::Finish()
{
    ComputeCumulativeProfit(m_fills);
    m_markers = MakeTradeMarkers(m_fills);
    m_pointers.clear();
    m_records = MakeEquityRecords(m_fills);
    // The equity curve looks records up by time.
    std::stable_sort(m_records.begin(), m_records.end(),
                     [](const CEquityRecord& a, const CEquityRecord& b) { return a.m_time < b.m_time; });
    m_pointers.reserve(m_records.size());
    for (const CEquityRecord& record : m_records)
        m_pointers.push_back(&record);
}
