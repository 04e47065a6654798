#include "analytics/formula/CFormulaTimer.h"

#include "analytics/formula/CCompiledFormula.h"
#include "analytics/series/CSeriesListener.h"

void CFormulaTimer::OnTimer()
{
    if (IsGone())
        return;
    if (m_pCallback) {
        m_pCallback->OnValuesChanged(nullptr, 1, 0, 0);
        return;
    }
    std::lock_guard<std::recursive_mutex> lock(m_pForm->CallLock());
    if (!m_pForm->IsReleased() && OwnerArmed())
        EvaluateAndFire();
}
