#include "backtest/BackTestColumns.h"

#include "platform/core/CArchive.h"

#include <algorithm>
#include <cstring>

namespace {

using K = EColumnKind;

constexpr CBackTestColumn kTradeColumns[kTradeColumnCount] = {
    {34230, "Symbol", "Symbol", K::kText},
    {34231, "Strategy", "Strategy", K::kText},
    {34232, "Signal", "Signal", K::kText},
    {34233, "Date", "Date", K::kInteger},
    {34234, "Time", "Time", K::kInteger},
    {34235, "Action", "Action", K::kText},
    {34236, "Quantity", "Quantity", K::kInteger},
    {34237, "Price", "Price", K::kNumber},
    {34238, "Profit-Loss", "Profit && Loss", K::kNumber},
    {34239, "Profit-Loss %", "Profit && Loss %", K::kNumber},
    {34240, "Cumulative P&L", "Cumulative P&&L", K::kNumber},
};

constexpr CBackTestColumn kSummaryColumns[kSummaryColumnCount] = {
    {34451, "Symbol", "Symbol", K::kText},
    {34452, "Strategy", "Strategy", K::kText},
    {34453, "Profit-Loss", "Profit && Loss", K::kNumber},
    {34454, "Profit-Loss %", "Profit && Loss %", K::kNumber},
    {34455, "# Winners", "Winning Trades", K::kInteger},
    {34456, "# Losers", "Losing Trades", K::kInteger},
    {34457, "Start Date", "Start Date", K::kInteger},
    {34458, "End Date", "End Date", K::kInteger},
    {34459, "Largest Winner", "Largest Winner", K::kNumber},
    {34460, "Largest Loser", "Largest Loser", K::kNumber},
    {34461, "Max Consec. Winners", "Max Consecutive Winners", K::kInteger},
    {34462, "Max Consec. Losers", "Max Consecutive Losers", K::kInteger},
    {34463, "Annual Return", "Annual Return", K::kNumber},
    {34464, "Total Profit", "Total Profit", K::kNumber},
    {34465, "Total Loss", "Total Loss", K::kNumber},
    {34466, "Profit Factor", "Profit Factor", K::kNumber},
    {34467, "Avg Winner", "Average Winner", K::kNumber},
    {34468, "Avg Loser", "Average Loser", K::kNumber},
    {34469, "Buy&Hold Return", "Buy && Hold Return", K::kNumber},
    {34470, "# Trades", "# Trades", K::kInteger},
    {34471, "Avg Trade", "Average Trade", K::kNumber},
    {34472, "% Winners", "% Winners", K::kNumber},
    {34473, "Annual Return (in-market)", "Annual Return (in-market)", K::kNumber},
    {34474, "% Time in Market", "% Time in Market", K::kNumber},
    {34475, "Payoff Ratio", "Payoff Ratio", K::kNumber},
    {34476, "Max Drawdown", "Max Drawdown", K::kNumber},
    {34477, "Max Runup", "Max Runup", K::kNumber},
    {34478, "Drawdown Date", "Max Drawdown Date", K::kInteger},
    {34479, "Runup Date", "Max Runup Date", K::kInteger},
};

CString Money(double value)
{
    CString text;
    text.Format("%.2f", value);
    return text;
}

CString Count(long long value)
{
    CString text;
    text.Format("%lld", value);
    return text;
}

// Texts and values of a summary column.
CString SummaryText(const BackTestSummary& s, int column)
{
    switch (column) {
    case 0: return s.m_symbol;
    case 1: return s.m_strategy;
    default: return CString();
    }
}

long long SummaryInteger(const BackTestSummary& s, int column)
{
    switch (column) {
    case 4: return s.m_nWinners;
    case 5: return s.m_nLosers;
    case 6: return static_cast<DWORD>(s.m_nStartDate);
    case 7: return static_cast<DWORD>(s.m_nEndDate);
    case 10: return s.m_nMaxConsecWinners;
    case 11: return s.m_nMaxConsecLosers;
    case 19: return s.GetNumTrades();
    case 27: return static_cast<DWORD>(s.m_nDrawdownDate);
    case 28: return static_cast<DWORD>(s.m_nRunupDate);
    default: return 0;
    }
}

double SummaryNumber(const BackTestSummary& s, int column)
{
    switch (column) {
    case 2: return s.m_profitLoss;
    case 3: return s.m_profitLossPercent;
    case 8: return s.m_largestWinner;
    case 9: return s.m_largestLoser;
    case 12: return s.m_annualReturn;
    case 13: return s.m_totalProfit;
    case 14: return s.m_totalLoss;
    case 15: return s.GetProfitFactor();
    case 16: return s.GetAvgWinner();
    case 17: return s.GetAvgLoser();
    case 18: return s.GetBuyHoldReturn();
    case 20: return s.GetAvgTrade();
    case 21: return s.GetPctWinners();
    case 22: return s.m_annualReturnInMarket;
    case 23: return s.m_pctTimeInMarket;
    case 24: return s.GetPayoffRatio();
    case 25: return s.m_maxDrawdown;
    case 26: return s.m_maxRunup;
    default: return 0;
    }
}

bool IsDateColumn(int column)
{
    return column == 6 || column == 7 || column == 27 || column == 28;
}

long long TradeInteger(const BackTestEntry& e, int column)
{
    switch (column) {
    case 3:
    case 4: return static_cast<DWORD>(e.m_nTime);
    case 6: return static_cast<DWORD>(e.m_nQuantity);
    default: return 0;
    }
}

double TradeNumber(const BackTestEntry& e, int column)
{
    switch (column) {
    case 7: return e.m_price;
    case 8: return e.m_profit;
    case 9: return e.m_profitPercent;
    case 10: return e.m_cumulativeProfit;
    default: return 0;
    }
}

CString TradeText(const BackTestEntry& e, int column)
{
    switch (column) {
    case 0: return e.m_symbol;
    case 1: return e.m_strategy;
    case 2: return e.m_formula;
    case 5: return BackTestActionText(e.m_nAction);
    default: return CString();
    }
}

template <class T>
int Three(T a, T b)
{
    return a < b ? -1 : (b < a ? 1 : 0);
}

int CompareTexts(const CString& a, const CString& b)
{
    const int c = a.str().compare(b.str());
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

}  // namespace

std::span<const CBackTestColumn> GetBackTestColumns(int mode)
{
    if (mode == kTradeMode)
        return kTradeColumns;
    return kSummaryColumns;
}

CString TradeCellText(const BackTestEntry& entry, int column, bool priceAsNumber)
{
    switch (column) {
    case 3: return FeedDateText(static_cast<DWORD>(entry.m_nTime));
    case 4: return FeedTimeText(static_cast<DWORD>(entry.m_nTime));
    case 6: return Count(static_cast<DWORD>(entry.m_nQuantity));
    case 7: return priceAsNumber ? Money(entry.m_price) : entry.GetPriceText();
    case 8:
    case 9:
    case 10: return Money(TradeNumber(entry, column));
    default: return TradeText(entry, column);
    }
}

CString SummaryCellText(const BackTestSummary& summary, int column)
{
    if (column < 0 || column >= kSummaryColumnCount)
        return CString();
    if (IsDateColumn(column)) {
        const DWORD t = static_cast<DWORD>(SummaryInteger(summary, column));
        return t ? FeedDateTimeText(t) : CString();
    }
    switch (kSummaryColumns[column].kind) {
    case K::kText: return SummaryText(summary, column);
    case K::kInteger: return Count(SummaryInteger(summary, column));
    default: return Money(SummaryNumber(summary, column));
    }
}

CString TotalCellText(const BackTestSummary& total, int column, bool showPercent)
{
    switch (column) {
    case 0: return "Total";
    case 3: return showPercent ? Money(total.m_profitLossPercent) : CString();
    case 2:
    case 4:
    case 5:
    case 8:
    case 9:
    case 10:
    case 11:
    case 13:
    case 14:
    case 15:
    case 16:
    case 17:
    case 19:
    case 20:
    case 21:
    case 24:
    case 25:
    case 26: return SummaryCellText(total, column);
    default: return CString();
    }
}

int CompareTradeRows(const BackTestEntry& a, const BackTestEntry& b, int column)
{
    if (column < 0 || column >= kTradeColumnCount)
        return 0;
    switch (kTradeColumns[column].kind) {
    case K::kText: return CompareTexts(TradeText(a, column), TradeText(b, column));
    case K::kInteger: return Three(TradeInteger(a, column), TradeInteger(b, column));
    default: return Three(TradeNumber(a, column), TradeNumber(b, column));
    }
}

int CompareSummaryRows(const BackTestSummary* a, const BackTestSummary* b, int column, bool ascending)
{
    if (!a || !b)
        return !a && !b ? 0 : (!a ? 1 : -1);
    if (column < 0 || column >= kSummaryColumnCount)
        return 0;
    int c = 0;
    switch (kSummaryColumns[column].kind) {
    case K::kText: c = CompareTexts(SummaryText(*a, column), SummaryText(*b, column)); break;
    case K::kInteger: c = Three(SummaryInteger(*a, column), SummaryInteger(*b, column)); break;
    default: c = Three(SummaryNumber(*a, column), SummaryNumber(*b, column)); break;
    }
    return ascending ? c : -c;
}

void WriteBackTestLayouts(CArchive& ar, const std::array<CBackTestLayout, 2>& layouts)
{
    for (const CBackTestLayout& layout : layouts) {
        const size_t n = std::min<size_t>(layout.size(), kMaxLayoutColumns);
        ar << static_cast<int>(n);
        for (size_t i = 0; i < n; ++i)
            ar << layout[i].first << layout[i].second;
    }
}

std::array<CBackTestLayout, 2> ReadBackTestLayouts(CArchive& ar)
{
    std::array<CBackTestLayout, 2> layouts;
    for (CBackTestLayout& layout : layouts) {
        int count = 0;
        ar >> count;
        if (count < 0 || count > kMaxLayoutColumns)
            throw CArchiveException(CArchiveException::badIndex);
        for (int i = 0; i < count; ++i) {
            int column = 0, width = 0;
            ar >> column >> width;
            layout.emplace_back(column, width);
        }
    }
    return layouts;
}

int DefaultBackTestColumnWidth(int mode, int index)
{
    const auto table = GetBackTestColumns(mode);
    if (index < 0 || index >= static_cast<int>(table.size()))
        return kBackTestColumnWidth;
    const CBackTestColumn& c = table[static_cast<size_t>(index)];
    int values = 80;  // money with two decimals
    if (mode == kSummaryMode && IsDateColumn(index))
        values = 130;  // date and time
    else if (index <= 1 || (mode == kTradeMode && index == 2))
        values = index == 0 ? 64 : 120;  // symbol, strategy and signal names
    else if (c.kind == K::kInteger)
        values = 64;
    const int title = 6 * static_cast<int>(std::strlen(c.title)) + 18;
    return std::max(values, title);
}

CString BackTestColumnSample(int mode, int index)
{
    const auto table = GetBackTestColumns(mode);
    if (index < 0 || index >= static_cast<int>(table.size()))
        return CString();
    if (mode == kSummaryMode && IsDateColumn(index))
        return "12/31/2099 23:59:59";
    if (mode == kTradeMode && index == 3)
        return "12/31/2099";
    if (mode == kTradeMode && index == 4)
        return "23:59:59";
    switch (table[static_cast<size_t>(index)].kind) {
    case K::kInteger: return "-999999";
    case K::kNumber: return "-99999.99";
    default: return CString();
    }
}

CBackTestLayout DefaultBackTestLayout(int mode)
{
    CBackTestLayout layout;
    for (int i = 0; i < GetBackTestColumnCount(mode); ++i)
        layout.emplace_back(i, DefaultBackTestColumnWidth(mode, i));
    return layout;
}
