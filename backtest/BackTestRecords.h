// The records of a backtest: one BackTestEntry per fill, one EntryGroup per symbol and
// strategy with the prices that bound the tested range, and the BackTestSummary of a
// symbol and strategy with the figures the summary rows show.
#pragma once

#include "platform/core/CString.h"
#include "platform/core/WinTypes.h"

class TiXmlElement;

enum EBackTestAction : int {
    kActionBuy = 0,
    kActionBuyToCover = 1,
    kActionSell = 2,
    kActionSellShort = 3,
};

// "Buy", "Buy to Cover", "Sell", "Sell Short"; "" for any other code.
const char* BackTestActionText(int action);
inline bool IsEntryAction(int action)
{
    return action == kActionBuy || action == kActionSellShort;
}

struct BackTestEntry {
    // The "BackTestEntry" block of a results file, CR LF line ends.
    CString ToXml() const;
    // The fields of the children present (looked up depth first, without regard to case).
    void FromXml(const TiXmlElement* entry);
    // The price as shown and stored: m_priceStr, or when that is empty the price formatted.
    CString GetPriceText() const;

    CString m_symbol;
    CString m_strategy;
    CString m_formula;  // the entry or exit formula's name
    int m_nDate = 0;
    int m_nAction = 0;
    int m_nQuantity = 0;  // shares, used unsigned
    int m_nTime = 0;      // feed time of the fill
    double m_price = 0;
    CString m_priceStr;  // as read from a file; the worker leaves it empty
    double m_comission = 0;  // one side
    int m_nStartTime = 0;    // the tested range
    int m_nEndTime = 0;
    double m_profit = 0;
    double m_profitPercent = 0;
    double m_cumulativeProfit = 0;
    double m_highPrice = 0;  // while the position was open
    double m_lowPrice = 0;
    int m_nHighDate = 0;
    int m_nLowDate = 0;
};

struct EntryGroup {
    // The four inner elements, each on its line.
    CString ToXml() const;
    void FromXml(const TiXmlElement* group);
    // Symbol + "," + Strategy.
    CString GetKey() const { return m_symbol + "," + m_strategy; }

    CString m_symbol;
    CString m_strategy;
    double m_startPrice = 0;
    double m_endPrice = 0;
};

struct BackTestSummary {
    int GetNumTrades() const { return m_nWinners + m_nLosers; }
    double GetAvgWinner() const;
    double GetAvgLoser() const;
    double GetAvgTrade() const;
    double GetPctWinners() const;
    double GetProfitFactor() const;
    double GetPayoffRatio() const;
    double GetBuyHoldReturn() const;

    CString m_symbol;
    CString m_strategy;
    int m_nWinners = 0;
    int m_nLosers = 0;
    double m_profitLoss = 0;
    double m_profitLossPercent = 0;
    int m_nStartDate = 0;
    int m_nEndDate = 0;
    double m_largestWinner = 0;
    double m_largestLoser = 0;
    DWORD m_nMaxConsecWinners = 0;
    DWORD m_nMaxConsecLosers = 0;
    double m_annualReturn = 0;
    double m_annualReturnInMarket = 0;
    double m_totalProfit = 0;
    double m_totalLoss = 0;
    double m_startPrice = 0;
    double m_endPrice = 0;
    double m_pctTimeInMarket = 0;
    double m_maxDrawdown = 0;
    double m_maxRunup = 0;
    int m_nDrawdownDate = 0;
    int m_nRunupDate = 0;
};

// Feed time texts: "3/7/2005", "09:30:00", and both joined by a blank.
CString FeedDateText(DWORD feedTime);
CString FeedTimeText(DWORD feedTime);
CString FeedDateTimeText(DWORD feedTime);
