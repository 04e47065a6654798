#include "analytics/formula/CFormulaQuoteListener.h"

#include "analytics/formula/CCompiledFormula.h"
#include "analytics/series/CSeriesListener.h"
#include "broker/session/CSymbolHandle.h"

#include <utility>
#include <vector>

bool CFormulaQuoteListener::TakeCurrentValues()
{
    if (IsGone() || m_items.empty())
        return false;
    // Read first: the store's lock is never taken under the form's call lock.
    std::vector<std::pair<bool, double>> read(m_items.size());
    for (size_t i = 0; i < m_items.size(); ++i)
        read[i].first = m_items[i]->m_pInput->GetField(m_items[i]->m_nIndex, read[i].second);
    std::lock_guard<std::recursive_mutex> lock(m_pForm->CallLock());
    bool taken = false;
    for (size_t i = 0; i < m_items.size(); ++i) {
        CFormulaValueItem* item = m_items[i];
        // A value the listener stored meanwhile is newer.
        if (read[i].first && !item->m_bValid) {
            item->m_value = read[i].second;
            item->m_bValid = true;
            taken = true;
        }
    }
    return taken;
}

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
