// Feeds a formula's quote items from one symbol handle and notifies the owner or callback.
#pragma once

#include "analytics/formula/CFormulaListenerBase.h"
#include "broker/session/CQuoteListener.h"

#include <vector>

class CFormulaValueItem;

class CFormulaQuoteListener : public CQuoteListener, public CFormulaListenerBase {
public:
    using CFormulaListenerBase::CFormulaListenerBase;
    void OnQuoteChange(CSymbolHandle* handle, int count, const BYTE* ids) override;
    // Takes the values the quote already holds into items that have none yet; true when
    // any was taken. Called without the form's call lock.
    bool TakeCurrentValues();

    std::vector<CFormulaValueItem*> m_items;
};
