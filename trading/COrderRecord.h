// One order leg as the order forms, alerts, charts and lists build it. A new record takes
// its size from the default order sizes and its order type, expire, instructions and route
// from group 0 of the trading-defaults row that the integrated-trading setting selects.
#pragma once

#include "broker/session/COrderLeg.h"

class CAppSettings;

class COrderRecord : public COrderLeg {
public:
    // Security kind 1 is an option; every other kind a stock. Reads the installed settings
    // (built-in defaults when none is installed).
    explicit COrderRecord(int securityKind = 0);
    COrderRecord(int securityKind, const CAppSettings& settings);
};
