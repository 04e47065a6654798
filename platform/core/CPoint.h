// A point in device or logical coordinates.
#pragma once

#include "platform/core/WinTypes.h"

class CSize;

class CPoint : public POINT {
public:
    constexpr CPoint() : POINT{0, 0} {}
    constexpr CPoint(int x0, int y0) : POINT{x0, y0} {}
    constexpr CPoint(const POINT& p) : POINT(p) {}

    constexpr void Offset(int dx, int dy)
    {
        x += dx;
        y += dy;
    }
    constexpr void SetPoint(int x0, int y0)
    {
        x = x0;
        y = y0;
    }

    constexpr CPoint operator+(const CPoint& p) const { return CPoint(x + p.x, y + p.y); }
    constexpr CPoint operator-(const CPoint& p) const { return CPoint(x - p.x, y - p.y); }
    constexpr CPoint operator-() const { return CPoint(-x, -y); }
    constexpr CPoint& operator+=(const CPoint& p)
    {
        Offset(p.x, p.y);
        return *this;
    }
    constexpr CPoint& operator-=(const CPoint& p)
    {
        Offset(-p.x, -p.y);
        return *this;
    }
    constexpr bool operator==(const CPoint& p) const { return x == p.x && y == p.y; }
};
