// Axis-aligned rectangle given by its lower-left and upper-right corners
// (y counts upward, as image rows do).
#pragma once

#include "imaging/CQxPoint2.h"

class CQxRect2 {
public:
    CQxRect2();
    CQxRect2(float x1_, float y1_, float x2_, float y2_);
    CQxRect2(const CQxRect2&) = default;
    CQxRect2& operator=(const CQxRect2&) = default;

    float Width() const;
    float Height() const;
    float Surface() const;
    CQxPoint2 Center() const;
    // Intersection; (0, 0, 0, 0) when the two do not meet. Touching edges give
    // a rectangle of zero width or height.
    CQxRect2 CrossSection(const CQxRect2& r2) const;

    CQxPoint2 botLeft;
    CQxPoint2 topRight;
};
