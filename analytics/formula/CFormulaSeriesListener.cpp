#include "analytics/formula/CFormulaSeriesListener.h"

#include "analytics/formula/CCompiledFormula.h"
#include "analytics/series/CPriceSeries.h"
#include "analytics/series/CStudySource.h"

void CFormulaSeriesListener::OnValuesChanged(CPriceSeries* series, int mode, int first, int last)
{
    if (IsGone())
        return;
    if (m_pCallback) {
        CStudySource* chart = m_pForm->m_pChartSource;
        if (chart && series) {
            DWORD end = 0, start = 0;
            series->GetBarTime(first, 1, end);
            series->GetBarTime(last, 0, start);
            first = chart->FindBarByTime(end, 1);
            last = chart->FindBarByTime(start, 0);
        }
        m_pCallback->OnValuesChanged(series, mode, first, last);
        return;
    }
    std::lock_guard<std::recursive_mutex> lock(m_pForm->CallLock());
    if (m_pForm->IsReleased() || !OwnerArmed())
        return;
    m_bChanged = false;
    for (CFormulaSeriesItem* item : m_items) {
        double value = 0;
        if (item->m_nFieldIndex < 0 || !item->m_pInput->GetValue(0, item->m_nFieldIndex, value, -1))
            break;
        if (!item->m_bValid || item->m_value != value) {
            item->m_value = value;
            item->m_bValid = true;
            m_bChanged = true;
        }
    }
    if (m_bChanged && !m_bSuspended)
        EvaluateAndFire();
}

void CFormulaSeriesListener::OnOwnerEvent1()
{
    if (IsGone())
        return;
    std::lock_guard<std::recursive_mutex> lock(m_pForm->CallLock());
    m_bSuspended = true;
    m_bChanged = false;
}

void CFormulaSeriesListener::OnOwnerEvent2()
{
    if (IsGone())
        return;
    std::lock_guard<std::recursive_mutex> lock(m_pForm->CallLock());
    m_bSuspended = false;
    if (!m_pForm->IsReleased() && !m_pCallback && OwnerArmed() && m_bChanged)
        EvaluateAndFire();
}
