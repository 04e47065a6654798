// Feeds a formula's Level II items from one book and notifies the owner or callback.
#pragma once

#include "analytics/formula/CFormulaListenerBase.h"
#include "broker/session/CMarketDepthHandle.h"

#include <vector>

class CFormulaDepthItem;

class CFormulaDepthListener : public CMarketDepthListener, public CFormulaListenerBase {
public:
    using CFormulaListenerBase::CFormulaListenerBase;
    void OnDepthChange(CMarketDepthHandle* handle, DWORD kind, DWORD side, DWORD index, DWORD flags) override;

    std::vector<CFormulaDepthItem*> m_items;
};
