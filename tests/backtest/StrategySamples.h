// A long strategy for tests: 100 shares bought on the entry formula and sold on the exit
// formula, on daily bars at the close.
#pragma once

#include "backtest/CStrategyDefinition.h"

inline CStrategyDefinition LongStrategy(const char* name, const char* entry, const char* exit)
{
    CStrategyDefinition s;
    s.m_name = name;
    s.m_entryName = "In";
    s.m_exitName = "Out";
    s.m_entryExpression = entry;
    s.m_exitExpression = exit;
    s.m_nEntryQuantity = 100;
    s.m_entryFlag = kSharesFlag;
    s.m_entryAction = "Buy";
    s.m_exitAction = "Sell";
    s.m_interval = "D";
    s.m_nOverrideInterval = 0;
    s.m_entryPriceType = "Close";
    s.m_exitPriceType = "Close";
    return s;
}
