// Which ticks a tick series keeps, from the "&Filter" pairs of its request key.
#pragma once

#include "platform/core/CString.h"
#include "platform/core/WinTypes.h"

class CTickFilter {
public:
    // Reads the "&Filter" pairs of a request key (from the first "&Filter" on); pairs
    // without '=' and unknown names are ignored. False when the key holds none.
    bool Parse(const char* key);

    // True when the tick is dropped. Kind: 0 trade, 1 bid, 3 ask, others pass the kind test.
    bool Drops(int kind, double price, unsigned int size, const char* exchange) const;

    BYTE m_bKindFilter = 0;
    BYTE m_bPassBid = 0;
    BYTE m_bPassAsk = 0;
    BYTE m_bPassTrade = 0;
    BYTE m_bPassInfo = 0;
    BYTE m_bPriceRange = 0;
    // A bound that the key does not set does not limit the range.
    BYTE m_bHasMinPrice = 0;
    BYTE m_bHasMaxPrice = 0;
    double m_minPrice = 0;
    double m_maxPrice = 0;
    BYTE m_bVolume = 0;
    unsigned int m_nMinSize = 0;
    BYTE m_bExchange = 0;
    CString m_exchange;
};
