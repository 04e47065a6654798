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

    std::vector<CFormulaValueItem*> m_items;
};
