#include "imaging/CQxPoint2.h"

#include <cmath>

CQxPoint2::CQxPoint2() : x(0.0f), y(0.0f) {}

CQxPoint2::CQxPoint2(float x_, float y_) : x(x_), y(y_) {}

float CQxPoint2::Distance(const CQxPoint2& p) const
{
    return Distance(p.x, p.y);
}

float CQxPoint2::Distance(float x_, float y_) const
{
    const double dx = static_cast<double>(x) - x_;
    const double dy = static_cast<double>(y) - y_;
    return static_cast<float>(std::sqrt(dx * dx + dy * dy));
}
