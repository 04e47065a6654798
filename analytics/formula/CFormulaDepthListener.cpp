#include "analytics/formula/CFormulaDepthListener.h"

#include "analytics/formula/CCompiledFormula.h"
#include "analytics/series/CSeriesListener.h"

void CFormulaDepthListener::OnDepthChange(CMarketDepthHandle* handle, DWORD, DWORD, DWORD, DWORD)
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
    for (CFormulaDepthItem* item : m_items)
        changed = UpdateDepthItem(handle, *item) || changed;
    if (changed)
        EvaluateAndFire();
}
