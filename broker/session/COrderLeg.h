// One order leg as the broker session sends it. The order forms' record carries these fields.
#pragma once

#include "platform/core/CString.h"

struct COrderLeg {
    CString orderId;      // the open order a replacement changes; empty for new orders
    CString symbol;       // a "SOURCE:" prefix is dropped when sent
    int action = 0;       // 0..3: stock Buy, Sell, Sell Short, Buy to Cover; option Buy to Open,
                          // Sell to Close, Sell to Open, Buy to Close
    double quantity = 0;  // sent truncated to a whole number
    CString orderType;    // "Limit", "Market", "StopMarket", "StopLimit", "T-Stop%", "T-Stop$"
    CString expire;       // "DAY", "DAY+EXT", "GTC", "GTC+EXT", "ExtAM", "ExtPM", "MktClose"
    CString instructions; // "None", "AON", "FOK", "DNR", "AON/DNR"
    CString route;        // "Auto", "Default", "NSDQ (INET)", "ARCA", option exchanges
    double price = 0;     // limit price, or the trailing amount of the T-Stop types
    double activationPrice = 0;
    CString expirationDay;
    CString expirationMonth;
    CString expirationYear;
    int quantityMode = 1;
    int priceSource = 0;
    double priceOffset = 0;
};
