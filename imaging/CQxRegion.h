// Region made of rows of rectangles: the stand-in for a GDI region handle that
// the selection converts into. Each row of pixels holds sorted, disjoint spans.
#pragma once

#include "imaging/QxTypes.h"

#include <map>
#include <utility>
#include <vector>

class CQxRegion {
public:
    // Adds (OR) the half-open rectangle [left, right) x [top, bottom) with
    // top < bottom in region rows; empty rectangles add nothing.
    void CombineRect(const RECT& r);
    bool PtInRegion(LONG x, LONG y) const;
    bool IsEmpty() const;
    void Clear();
    // One rectangle per span and row, ordered by row and then by x.
    std::vector<RECT> GetRects() const;
    // Bounding box; all zero when empty.
    RECT GetBox() const;

private:
    using Span = std::pair<LONG, LONG>;  // [first, second)
    void AddSpan(LONG y, LONG x0, LONG x1);
    std::map<LONG, std::vector<Span>> m_rows;
};

using HRGN = CQxRegion*;
