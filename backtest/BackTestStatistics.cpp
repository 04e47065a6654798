#include "backtest/BackTestStatistics.h"

#include "backtest/CStrategySetup.h"
#include "broker/core/FeedTime.h"

#include <algorithm>

namespace {

int64_t CalendarSeconds(int feedTime)
{
    return static_cast<int64_t>(FeedTimeToCTime(static_cast<FEEDTIME>(feedTime)).GetTime());
}

// Whole days and minutes of a span, seconds dropped.
double SpanDays(int64_t seconds)
{
    const int64_t days = seconds / 86400;
    const int64_t minutes = seconds / 60 - days * 1440;
    return static_cast<double>(days) + static_cast<double>(minutes) / 1440.0;
}

}  // namespace

void ComputeTradeRow(BackTestEntry& entry, const BackTestEntry* previous)
{
    entry.m_profit = 0;
    entry.m_profitPercent = 0;
    entry.m_cumulativeProfit = 0;
    if (!previous || previous->m_strategy != entry.m_strategy || previous->m_symbol != entry.m_symbol)
        return;
    if (entry.m_nAction == kActionSell || entry.m_nAction == kActionBuyToCover) {
        double d = entry.m_price - previous->m_price;
        if (entry.m_nAction == kActionBuyToCover)
            d = -d;
        const double q = static_cast<double>(static_cast<DWORD>(entry.m_nQuantity));
        entry.m_profit = d * q - 2 * entry.m_comission;
        const double cost = q * previous->m_price;
        if (cost != 0)
            entry.m_profitPercent = entry.m_profit / cost * 100.0;
        entry.m_cumulativeProfit = entry.m_profit + previous->m_cumulativeProfit;
    } else {
        entry.m_cumulativeProfit = previous->m_cumulativeProfit;
    }
}

BackTestSummary ComputeSummary(const std::vector<std::unique_ptr<BackTestEntry>>& entries, const EntryGroup& group)
{
    BackTestSummary s;
    s.m_symbol = group.m_symbol;
    s.m_strategy = group.m_strategy;
    s.m_startPrice = group.m_startPrice;
    s.m_endPrice = group.m_endPrice;
    if (entries.empty())
        return s;
    double entryPrice = 0;
    int64_t entryTime = 0;
    bool entered = false;
    double cumulative = 0, percentSum = 0;
    DWORD winStreak = 0, lossStreak = 0, longestWin = 0, longestLoss = 0;
    int lastSign = 0;
    int64_t secondsInMarket = 0;
    for (const auto& owned : entries) {
        const BackTestEntry& e = *owned;
        if (IsEntryAction(e.m_nAction)) {
            entryPrice = e.m_price;
            entryTime = CalendarSeconds(e.m_nTime);
            entered = true;
            continue;
        }
        if (e.m_nAction != kActionSell && e.m_nAction != kActionBuyToCover)
            continue;
        // An exit without an entry before it: priced from 0, no time in the market.
        if (!entered)
            entryTime = CalendarSeconds(e.m_nTime);
        double d = e.m_price - entryPrice;
        const bool sellExit = e.m_nAction == kActionSell;
        if (!sellExit)
            d = -d;
        if (d > 0) {
            if (lastSign < 0) {
                longestLoss = std::max(longestLoss, lossStreak);
                winStreak = 1;
            } else {
                ++winStreak;
            }
            lastSign = 1;
        } else if (d < 0) {
            if (lastSign > 0) {
                longestWin = std::max(longestWin, winStreak);
                lossStreak = 1;
            } else {
                ++lossStreak;
            }
            lastSign = -1;
        }
        const double q = static_cast<double>(static_cast<DWORD>(e.m_nQuantity));
        if (e.m_highPrice != 0 && e.m_lowPrice != 0 && e.m_nHighDate != 0 && e.m_nLowDate != 0) {
            const double adverse = sellExit ? e.m_lowPrice - entryPrice : entryPrice - e.m_highPrice;
            const double favourable = sellExit ? e.m_highPrice - entryPrice : entryPrice - e.m_lowPrice;
            const double dd = q * adverse + cumulative;
            const double ru = q * favourable + cumulative;
            if (dd < s.m_maxDrawdown) {
                s.m_maxDrawdown = dd;
                s.m_nDrawdownDate = sellExit ? e.m_nLowDate : e.m_nHighDate;
            }
            if (ru > s.m_maxRunup) {
                s.m_maxRunup = ru;
                s.m_nRunupDate = sellExit ? e.m_nHighDate : e.m_nLowDate;
            }
        }
        const double p = q * d - 2 * e.m_comission;
        cumulative += p;
        const double cost = q * entryPrice;
        percentSum += cost != 0 ? p / cost * 100.0 : 0.0;
        s.m_largestWinner = std::max(s.m_largestWinner, p);
        s.m_largestLoser = std::min(s.m_largestLoser, p);
        if (p > 0) {
            s.m_totalProfit += p;
            ++s.m_nWinners;
        } else if (p < 0) {
            s.m_totalLoss += p;
            ++s.m_nLosers;
        }
        secondsInMarket += CalendarSeconds(e.m_nTime) - entryTime;
        entered = false;
    }
    longestWin = std::max(longestWin, winStreak);
    longestLoss = std::max(longestLoss, lossStreak);
    s.m_nMaxConsecWinners = longestWin;
    s.m_nMaxConsecLosers = longestLoss;
    s.m_profitLoss = cumulative;
    s.m_profitLossPercent = percentSum;
    s.m_nStartDate = entries.front()->m_nStartTime;
    s.m_nEndDate = entries.front()->m_nEndTime;
    if (entries.size() > 1) {
        const BackTestEntry& first = *entries.front();
        double totalDays = 0;
        for (size_t i = entries.size() - 1; i >= 1; --i)
            if (entries[i]->m_nAction != first.m_nAction) {
                totalDays = SpanDays(CalendarSeconds(entries[i]->m_nTime) - CalendarSeconds(first.m_nTime));
                break;
            }
        const double daysInMarket = SpanDays(secondsInMarket);
        if (totalDays != 0)
            s.m_annualReturn = percentSum / (totalDays / 365.0);
        if (daysInMarket != 0)
            s.m_annualReturnInMarket = percentSum / (daysInMarket / 365.0);
        const double rangeDays = SpanDays(CalendarSeconds(first.m_nEndTime) - CalendarSeconds(first.m_nStartTime));
        if (rangeDays != 0)
            s.m_pctTimeInMarket = daysInMarket / rangeDays * 100.0;
    }
    return s;
}

bool AccumulateTotal(BackTestSummary& total, const BackTestSummary& row, const CStrategySetup* setup)
{
    total.m_nWinners += row.m_nWinners;
    total.m_nLosers += row.m_nLosers;
    total.m_profitLoss += row.m_profitLoss;
    total.m_totalProfit += row.m_totalProfit;
    total.m_totalLoss += row.m_totalLoss;
    total.m_largestWinner = std::max(total.m_largestWinner, row.m_largestWinner);
    total.m_largestLoser = std::min(total.m_largestLoser, row.m_largestLoser);
    total.m_nMaxConsecWinners = std::max(total.m_nMaxConsecWinners, row.m_nMaxConsecWinners);
    total.m_nMaxConsecLosers = std::max(total.m_nMaxConsecLosers, row.m_nMaxConsecLosers);
    total.m_maxDrawdown = std::min(total.m_maxDrawdown, row.m_maxDrawdown);
    total.m_maxRunup = std::max(total.m_maxRunup, row.m_maxRunup);
    total.m_profitLossPercent = 0;
    if (setup && setup->m_nPortfolio && setup->m_capital != 0) {
        total.m_profitLossPercent = total.m_profitLoss / setup->m_capital * 100.0;
        return true;
    }
    return false;
}

void ResetTotal(BackTestSummary& total)
{
    const CString name = total.m_symbol;
    total = BackTestSummary();
    total.m_symbol = name;
}
