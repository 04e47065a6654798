// Prices as order forms show and send them.
#pragma once

#include "platform/core/CString.h"

// A stock price below 1.0 with 2 to 4 decimals; every other price with two.
CString FormatOrderPrice(double price, int securityKind);
