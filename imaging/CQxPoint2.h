// Point with floating-point coordinates, for sub-pixel geometry.
#pragma once

class CQxPoint2 {
public:
    CQxPoint2();
    CQxPoint2(float x_, float y_);
    CQxPoint2(const CQxPoint2&) = default;
    CQxPoint2& operator=(const CQxPoint2&) = default;

    float Distance(const CQxPoint2& p) const;
    float Distance(float x_, float y_) const;

    float x;
    float y;
};
