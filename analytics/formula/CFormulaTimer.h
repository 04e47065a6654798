// Re-evaluates a formula that reads clock values on the engine's 900 ms poll.
#pragma once

#include "analytics/formula/CFormulaListenerBase.h"

class CFormulaTimer : public CFormulaListenerBase {
public:
    using CFormulaListenerBase::CFormulaListenerBase;
    // Called by the poll thread while the timer is registered.
    void OnTimer();
};
