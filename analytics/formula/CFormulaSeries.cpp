#include "analytics/formula/CFormulaSeries.h"

#include "analytics/formula/CCompiledFormula.h"
#include "analytics/formula/FormulaColumns.h"
#include "analytics/series/CStudySource.h"

#include <algorithm>
#include <cstdlib>

CFormulaSeries::CFormulaSeries(const char* text, int mode, int barCount, DWORD endTime)
    : CFormula(text, mode, barCount, endTime)
{
    if (mode == 2 && GetBarCount() >= 1)
        m_ring.resize(static_cast<size_t>(GetBarCount()));
    m_nWindowFirst = 1 - static_cast<int>(m_ring.size());
}

CFormulaSeries::~CFormulaSeries() = default;

int CFormulaSeries::Physical(int logical) const
{
    const int size = static_cast<int>(m_ring.size());
    return ((m_nRingStart + logical) % size + size) % size;
}

bool CFormulaSeries::GetValue(double& result, int bar, int flag)
{
    const int size = static_cast<int>(m_ring.size());
    const long long offset = static_cast<long long>(bar) - m_nWindowFirst;
    if (size > 0 && offset >= 0 && offset <= size - 1) {
        Slot& slot = m_ring[static_cast<size_t>(Physical(static_cast<int>(offset)))];
        if (slot.valid) {
            result = slot.value;
            return true;
        }
        if (bar >= m_nPassFirst && bar < m_nPassEnd) {
            if (!Evaluate(&result, bar, flag))
                return false;
            slot.value = result;
            slot.valid = true;
            return true;
        }
        // The missing bars from here on, in one pass.
        int count = 1;
        while (count < kFormulaBlock && offset + count <= size - 1 &&
               !m_ring[static_cast<size_t>(Physical(static_cast<int>(offset) + count))].valid)
            ++count;
        double values[kFormulaBlock];
        BYTE valid[kFormulaBlock];
        EvaluateRange(bar, count, flag, values, valid);
        for (int k = 0; k < count; ++k)
            if (valid[k]) {
                Slot& s = m_ring[static_cast<size_t>(Physical(static_cast<int>(offset) + k))];
                s.value = values[k];
                s.valid = true;
            }
        m_nPassFirst = bar;
        m_nPassEnd = static_cast<long long>(bar) + count;
        if (!slot.valid)
            return false;
        result = slot.value;
        return true;
    }
    return Evaluate(&result, bar, flag);
}

int CFormulaSeries::GetWindow(int& first, int& last)
{
    const int size = static_cast<int>(m_ring.size());
    first = 1 - size;
    last = 0;
    if (IsResolved()) {
        const CCompiledFormula& form = Compiled();
        CStudySource* source = form.m_pChartSource;
        if (!source && !form.m_seriesInputs.empty())
            source = form.m_seriesInputs.front();
        int from = 0, to = 0;
        if (source && source->GetVisibleRange(from, to) > 0) {
            last = to;
            first = last - size + 1;
        }
    }
    return size;
}

void CFormulaSeries::SyncWindow(int& first, int& last)
{
    GetWindow(first, last);
    const int size = static_cast<int>(m_ring.size());
    if (size == 0 || first == m_nWindowFirst)
        return;
    const long long d = static_cast<long long>(first) - m_nWindowFirst;
    const int oldStart = m_nRingStart;
    m_nPassFirst = m_nPassEnd = 0;
    m_nRingStart = static_cast<int>(((oldStart + d) % size + size) % size);
    m_nWindowFirst = first;
    if (std::llabs(d) >= size) {
        ClearCache();
        return;
    }
    const int step = static_cast<int>(d);
    if (step > 0) {
        for (int i = 0; i < step; ++i)
            m_ring[static_cast<size_t>(((oldStart + i) % size + size) % size)] = Slot{};
    } else {
        for (int i = step; i < 0; ++i)
            m_ring[static_cast<size_t>(((oldStart + i) % size + size) % size)] = Slot{};
    }
}

void CFormulaSeries::ClearCache()
{
    m_nPassFirst = m_nPassEnd = 0;
    for (Slot& slot : m_ring)
        slot = Slot{};
}

void CFormulaSeries::ClearCacheRange(int firstBar, int lastBar)
{
    const int size = static_cast<int>(m_ring.size());
    if (size == 0)
        return;
    m_nPassFirst = m_nPassEnd = 0;
    const long long from = std::max<long long>(static_cast<long long>(firstBar) - m_nWindowFirst, 0);
    const long long to = std::min<long long>(static_cast<long long>(lastBar) - m_nWindowFirst, size - 1);
    for (long long i = from; i <= to; ++i)
        m_ring[static_cast<size_t>(Physical(static_cast<int>(i)))] = Slot{};
}

void CFormulaSeries::Resync()
{
    if (m_ring.empty())
        return;
    int first = 0, last = 0;
    SyncWindow(first, last);
}
