// The spans of time over which cached history rows are complete: a bar lying wholly inside
// one of them can be made from the cache; any other bar is asked for.
#pragma once

#include "platform/core/WinTypes.h"

#include <utility>
#include <vector>

class CHistoryCoverage {
public:
    // [start, end) in feed times; overlapping and touching spans join.
    void Add(DWORD start, DWORD end);
    // True when [start, end) lies inside one span.
    bool Holds(DWORD start, DWORD end) const;
    // The spans, oldest first, disjoint.
    const std::vector<std::pair<DWORD, DWORD>>& Spans() const { return m_spans; }

private:
    std::vector<std::pair<DWORD, DWORD>> m_spans;
};
