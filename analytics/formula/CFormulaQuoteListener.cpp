#include "analytics/formula/CFormulaQuoteListener.h"

#include "analytics/formula/CCompiledFormula.h"
#include "analytics/series/CSeriesListener.h"
#include "broker/session/CSymbolHandle.h"

void CFormulaQuoteListener::OnQuoteChange(CSymbolHandle* handle, int, const BYTE*)
{
    if (IsGone())
        return;
    if (m_pCallback) {
        m_pCallback->OnValuesChanged(nullptr, 1, 0, 0);
        return;
    }
    std::lock_guard<std::recursive_mutex> lock(m_pForm->CallLock());
    if (m_pForm->IsReleased() || !OwnerArmed())
        return;
    bool changed = false;
    for (CFormulaValueItem* item : m_items) {
        double value = 0;
        if (!handle->GetField(item->m_nIndex, value))
            continue;
        if (!item->m_bValid || item->m_value != value) {
            item->m_value = value;
            item->m_bValid = true;
            changed = true;
        }
    }
    if (changed)
        EvaluateAndFire();
}
