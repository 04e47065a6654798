// One point of a backtest's equity curve, as the "EQTY" study reads it.
#pragma once

#include "platform/core/WinTypes.h"

#include <vector>

struct CEquityRecord {
    DWORD m_time = 0;          // feed time
    int m_nPositionKind = 1;   // 0 long, 3 short, other flat
    unsigned int m_nQuantity = 0;
    double m_entryPrice = 0;
    double m_equity = 0;
};

// The backtest results own the records and keep them alive while a series reads them.
using CEquityRecordArray = std::vector<const CEquityRecord*>;
