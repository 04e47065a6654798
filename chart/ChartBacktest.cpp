#include "chart/ChartBacktest.h"

namespace {

constexpr int kBuy = 0;
constexpr int kBuyToCover = 1;
constexpr int kSell = 2;
constexpr int kSellShort = 3;
constexpr int kFlat = 1;

} // namespace

void ComputeCumulativeProfit(std::vector<CChartFill>& fills)
{
    if (fills.empty())
        return;
    fills[0].cumulativeProfit = 0;
    for (size_t i = 1; i < fills.size(); ++i) {
        CChartFill& fill = fills[i];
        const CChartFill& before = fills[i - 1];
        const double quantity = static_cast<double>(fill.quantity);
        double profit = 0;
        if (fill.action == kSell)
            profit = quantity * (fill.price - before.price);
        else if (fill.action == kBuyToCover)
            profit = quantity * (before.price - fill.price);
        else {
            fill.cumulativeProfit = before.cumulativeProfit;
            continue;
        }
        fill.cumulativeProfit = profit - 2 * fill.commission + before.cumulativeProfit;
    }
}

std::vector<CEquityRecord> MakeEquityRecords(const std::vector<CChartFill>& fills)
{
    std::vector<CEquityRecord> records;
    records.reserve(fills.size());
    for (const CChartFill& fill : fills) {
        CEquityRecord record;
        record.m_time = fill.time;
        record.m_equity = fill.cumulativeProfit;
        if (fill.action == kBuy || fill.action == kSellShort) {
            record.m_nPositionKind = fill.action == kBuy ? 0 : 3;
            record.m_nQuantity = fill.quantity;
            record.m_entryPrice = fill.price;
        } else {
            record.m_nPositionKind = kFlat;
        }
        records.push_back(record);
    }
    return records;
}
