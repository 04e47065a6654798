// One bar or one tick of a price series; copied by value.
#pragma once

#include "platform/core/CString.h"
#include "platform/core/CTime.h"
#include "platform/core/WinTypes.h"

// Field numbers of bar records.
enum BarField : int { kBarOpen = 0, kBarHigh = 1, kBarLow = 2, kBarClose = 3, kBarVolume = 4 };
// Field numbers of tick records.
enum TickField : int {
    kTickBASCodes = 0,
    kTickIndicator = 1,
    kTickSeconds = 2,
    kTickPrice = 3,
    kTickSize = 4,
    kTickPriceType = 5,
    kTickFlags = 6,
    kTickExchange = 7,
};

struct CBarRecord {
    CTime m_startTime;       // start of the bar's period
    CTime m_endTime;         // end of the bar's period
    double m_fields[7] = {0, 0, 0, 0, 0, 0, 0};
    BYTE m_bValid = 0;       // 0 while the slot's data has not arrived
    CString m_exchange;      // ticks: the exchange text

    double Open() const { return m_fields[kBarOpen]; }
    double High() const { return m_fields[kBarHigh]; }
    double Low() const { return m_fields[kBarLow]; }
    double Close() const { return m_fields[kBarClose]; }
    double Volume() const { return m_fields[kBarVolume]; }
};
