#include "analytics/formula/CFormulaSeriesListener.h"

#include "analytics/formula/CCompiledFormula.h"
#include "analytics/series/CPriceSeries.h"
#include "analytics/series/CStudySource.h"

#include <utility>
#include <vector>

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

bool CFormulaSeriesListener::TakeCurrentValues()
{
    if (IsGone() || m_items.empty())
        return false;
    // Read first: a series' lock is never taken under the form's call lock.
    std::vector<std::pair<bool, double>> read(m_items.size());
    for (size_t i = 0; i < m_items.size(); ++i) {
        const CFormulaSeriesItem* item = m_items[i];
        read[i].first =
            item->m_nFieldIndex >= 0 && item->m_pInput->GetValue(0, item->m_nFieldIndex, read[i].second, -1);
    }
    std::lock_guard<std::recursive_mutex> lock(m_pForm->CallLock());
    bool taken = false;
    for (size_t i = 0; i < m_items.size(); ++i) {
        CFormulaSeriesItem* item = m_items[i];
        if (read[i].first && !item->m_bValid) {
            item->m_value = read[i].second;
            item->m_bValid = true;
            taken = true;
        }
    }
    return taken;
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
