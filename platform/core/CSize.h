// A width and height pair.
#pragma once

#include "platform/core/WinTypes.h"

class CSize : public SIZE {
public:
    constexpr CSize() : SIZE{0, 0} {}
    constexpr CSize(int cx0, int cy0) : SIZE{cx0, cy0} {}
    constexpr CSize(const SIZE& s) : SIZE(s) {}

    constexpr void SetSize(int cx0, int cy0)
    {
        cx = cx0;
        cy = cy0;
    }
    constexpr CSize operator+(const CSize& s) const { return CSize(cx + s.cx, cy + s.cy); }
    constexpr CSize operator-(const CSize& s) const { return CSize(cx - s.cx, cy - s.cy); }
    constexpr CSize operator-() const { return CSize(-cx, -cy); }
    constexpr CSize& operator+=(const CSize& s)
    {
        cx += s.cx;
        cy += s.cy;
        return *this;
    }
    constexpr CSize& operator-=(const CSize& s)
    {
        cx -= s.cx;
        cy -= s.cy;
        return *this;
    }
    constexpr bool operator==(const CSize& s) const { return cx == s.cx && cy == s.cy; }
};
