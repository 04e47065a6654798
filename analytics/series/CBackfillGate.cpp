#include "analytics/series/CBackfillGate.h"

#include <algorithm>

void CBackfillGate::Keep(const Trade& trade)
{
    if (trade.sequence && m_kept.size() < kMaxKept)
        m_kept.push_back(trade);
}

void CBackfillGate::Filled(CTime barStart, uint64_t asOf)
{
    for (auto& [start, mark] : m_marks)
        if (start == barStart) {
            mark = asOf;
            return;
        }
    m_marks.emplace_back(barStart, asOf);
    if (m_marks.size() > kMarkedBars)
        m_marks.erase(std::min_element(m_marks.begin(), m_marks.end(),
                                       [](const auto& a, const auto& b) { return a.first < b.first; }));
}

void CBackfillGate::Answered(bool marked)
{
    if (!marked)
        m_bUnmarked = true;
}

bool CBackfillGate::Holds(CTime barStart, uint64_t sequence) const
{
    if (!sequence)
        return false;
    for (const auto& [start, mark] : m_marks)
        if (start == barStart)
            return sequence <= mark;
    return false;
}

std::vector<CBackfillGate::Trade> CBackfillGate::TakeKept()
{
    std::vector<Trade> kept;
    kept.swap(m_kept);
    if (std::exchange(m_bUnmarked, false))
        kept.clear();
    return kept;
}

void CBackfillGate::ForgetFrom(CTime from)
{
    std::erase_if(m_marks, [from](const auto& m) { return m.first >= from; });
}

void CBackfillGate::Clear()
{
    m_marks.clear();
    m_kept.clear();
    m_bUnmarked = false;
    m_bRestoreDeferred = false;
}
