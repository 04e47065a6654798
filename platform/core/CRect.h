// A rectangle; right and bottom lie outside it (PtInRect is half-open).
#pragma once

#include "platform/core/CPoint.h"
#include "platform/core/CSize.h"

class CRect : public RECT {
public:
    constexpr CRect() : RECT{0, 0, 0, 0} {}
    constexpr CRect(int l, int t, int r, int b) : RECT{l, t, r, b} {}
    constexpr CRect(const RECT& r) : RECT(r) {}
    constexpr CRect(const POINT& topLeft, const SIZE& size)
        : RECT{topLeft.x, topLeft.y, topLeft.x + size.cx, topLeft.y + size.cy}
    {
    }
    constexpr CRect(const POINT& topLeft, const POINT& bottomRight)
        : RECT{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y}
    {
    }

    constexpr int Width() const { return right - left; }
    constexpr int Height() const { return bottom - top; }
    constexpr CSize Size() const { return CSize(Width(), Height()); }
    constexpr CPoint TopLeft() const { return CPoint(left, top); }
    constexpr CPoint BottomRight() const { return CPoint(right, bottom); }
    constexpr CPoint CenterPoint() const { return CPoint((left + right) / 2, (top + bottom) / 2); }

    constexpr bool IsRectEmpty() const { return right <= left || bottom <= top; }
    constexpr bool IsRectNull() const { return left == 0 && top == 0 && right == 0 && bottom == 0; }
    constexpr bool PtInRect(const POINT& p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
    constexpr bool EqualRect(const RECT& r) const
    {
        return left == r.left && top == r.top && right == r.right && bottom == r.bottom;
    }

    constexpr void SetRect(int l, int t, int r, int b)
    {
        left = l;
        top = t;
        right = r;
        bottom = b;
    }
    constexpr void SetRectEmpty() { SetRect(0, 0, 0, 0); }
    constexpr void CopyRect(const RECT& r) { SetRect(r.left, r.top, r.right, r.bottom); }
    void NormalizeRect();

    void InflateRect(int dx, int dy) { InflateRect(dx, dy, dx, dy); }
    void InflateRect(const SIZE& s) { InflateRect(s.cx, s.cy); }
    void InflateRect(const RECT& r) { InflateRect(r.left, r.top, r.right, r.bottom); }
    void InflateRect(int l, int t, int r, int b);
    void DeflateRect(int dx, int dy) { InflateRect(-dx, -dy); }
    void DeflateRect(const SIZE& s) { InflateRect(-s.cx, -s.cy); }
    void DeflateRect(const RECT& r) { InflateRect(-r.left, -r.top, -r.right, -r.bottom); }
    void DeflateRect(int l, int t, int r, int b) { InflateRect(-l, -t, -r, -b); }

    void OffsetRect(int dx, int dy);
    void OffsetRect(const POINT& p) { OffsetRect(p.x, p.y); }
    void OffsetRect(const SIZE& s) { OffsetRect(s.cx, s.cy); }
    void MoveToXY(int x, int y) { OffsetRect(x - left, y - top); }
    void MoveToX(int x) { OffsetRect(x - left, 0); }
    void MoveToY(int y) { OffsetRect(0, y - top); }

    // Both set this rectangle and report whether it is non-empty; an empty
    // intersection leaves all four sides 0.
    bool IntersectRect(const RECT& a, const RECT& b);
    bool UnionRect(const RECT& a, const RECT& b);

    operator RECT*() { return this; }
    operator const RECT*() const { return this; }

    bool operator==(const RECT& r) const { return EqualRect(r); }
    CRect& operator&=(const RECT& r)
    {
        IntersectRect(*this, r);
        return *this;
    }
    CRect& operator|=(const RECT& r)
    {
        UnionRect(*this, r);
        return *this;
    }
    CRect operator&(const RECT& r) const
    {
        CRect out;
        out.IntersectRect(*this, r);
        return out;
    }
    CRect operator|(const RECT& r) const
    {
        CRect out;
        out.UnionRect(*this, r);
        return out;
    }
    CRect& operator+=(const POINT& p)
    {
        OffsetRect(p);
        return *this;
    }
    CRect& operator-=(const POINT& p)
    {
        OffsetRect(-p.x, -p.y);
        return *this;
    }
};
