// Order legs as the integration tests place them: a day order routed automatically.
#pragma once

#include "broker/session/COrderLeg.h"

namespace qx::testsupport {

// Action 0 (buy), "DAY", "None", "Auto"; price 0 unless given.
COrderLeg DayOrderLeg(const char* symbol, double quantity, const char* orderType, double price = 0);

}  // namespace qx::testsupport
