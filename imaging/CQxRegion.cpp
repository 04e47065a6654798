#include "imaging/CQxRegion.h"

#include <algorithm>

void CQxRegion::CombineRect(const RECT& r)
{
    if (r.left >= r.right || r.top >= r.bottom)
        return;
    for (LONG y = r.top; y < r.bottom; ++y)
        AddSpan(y, r.left, r.right);
}

void CQxRegion::AddSpan(LONG y, LONG x0, LONG x1)
{
    std::vector<Span>& row = m_rows[y];
    auto it = std::lower_bound(row.begin(), row.end(), Span{x0, x1});
    it = row.insert(it, Span{x0, x1});
    // Merge with the neighbour before, then swallow every span the new one reaches.
    if (it != row.begin() && std::prev(it)->second >= it->first) {
        auto prev = std::prev(it);
        prev->second = std::max(prev->second, it->second);
        it = row.erase(it);
        it = std::prev(it);
    }
    auto next = std::next(it);
    while (next != row.end() && next->first <= it->second) {
        it->second = std::max(it->second, next->second);
        next = row.erase(next);
        it = std::prev(next);
    }
}

bool CQxRegion::PtInRegion(LONG x, LONG y) const
{
    const auto row = m_rows.find(y);
    if (row == m_rows.end())
        return false;
    for (const Span& s : row->second) {
        if (x < s.first)
            return false;
        if (x < s.second)
            return true;
    }
    return false;
}

bool CQxRegion::IsEmpty() const
{
    return m_rows.empty();
}

void CQxRegion::Clear()
{
    m_rows.clear();
}

std::vector<RECT> CQxRegion::GetRects() const
{
    std::vector<RECT> rects;
    for (const auto& [y, spans] : m_rows)
        for (const Span& s : spans)
            rects.push_back(RECT{s.first, y, s.second, y + 1});
    return rects;
}

RECT CQxRegion::GetBox() const
{
    if (m_rows.empty())
        return RECT{0, 0, 0, 0};
    RECT box{INT32_MAX, m_rows.begin()->first, INT32_MIN, m_rows.rbegin()->first + 1};
    for (const auto& [y, spans] : m_rows) {
        box.left = std::min(box.left, spans.front().first);
        box.right = std::max(box.right, spans.back().second);
    }
    return box;
}
