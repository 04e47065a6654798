#include "broker/session/CHistoryCoverage.h"

#include <algorithm>

void CHistoryCoverage::Add(DWORD start, DWORD end)
{
    if (end <= start)
        return;
    // The spans that overlap or touch [start, end) merge into it.
    auto first = std::lower_bound(m_spans.begin(), m_spans.end(), start,
                                  [](const std::pair<DWORD, DWORD>& s, DWORD t) { return s.second < t; });
    auto last = first;
    while (last != m_spans.end() && last->first <= end) {
        start = std::min(start, last->first);
        end = std::max(end, last->second);
        ++last;
    }
    first = m_spans.erase(first, last);
    m_spans.insert(first, {start, end});
}

bool CHistoryCoverage::Holds(DWORD start, DWORD end) const
{
    auto it = std::upper_bound(m_spans.begin(), m_spans.end(), start,
                               [](DWORD t, const std::pair<DWORD, DWORD>& s) { return t < s.first; });
    if (it == m_spans.begin())
        return false;
    --it;
    return start >= it->first && end <= it->second;
}
