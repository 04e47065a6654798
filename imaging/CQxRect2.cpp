#include "imaging/CQxRect2.h"

#include <algorithm>

CQxRect2::CQxRect2() = default;

CQxRect2::CQxRect2(float x1_, float y1_, float x2_, float y2_) : botLeft(x1_, y1_), topRight(x2_, y2_) {}

float CQxRect2::Width() const
{
    return topRight.x - botLeft.x;
}

float CQxRect2::Height() const
{
    return topRight.y - botLeft.y;
}

float CQxRect2::Surface() const
{
    return (topRight.y - botLeft.y) * (topRight.x - botLeft.x);
}

CQxPoint2 CQxRect2::Center() const
{
    return CQxPoint2((topRight.x + botLeft.x) * 0.5f, (topRight.y + botLeft.y) * 0.5f);
}

CQxRect2 CQxRect2::CrossSection(const CQxRect2& r2) const
{
    CQxRect2 cs;
    cs.botLeft.x = std::max(botLeft.x, r2.botLeft.x);
    cs.botLeft.y = std::max(botLeft.y, r2.botLeft.y);
    cs.topRight.x = std::min(topRight.x, r2.topRight.x);
    cs.topRight.y = std::min(topRight.y, r2.topRight.y);
    if (cs.botLeft.x > cs.topRight.x || cs.botLeft.y > cs.topRight.y)
        return CQxRect2(0, 0, 0, 0);
    return cs;
}
