#include "chart/ToolGeometry.h"

#include "common/services/ChartAxis.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

int HalfThickness(int thickness)
{
    return (std::max(thickness, 0) + 1) / 2;
}

namespace {

struct Box {
    double left, top, right, bottom;
};

bool ClipIntoBox(double& x, double& y, double slope, double intercept, const Box& box)
{
    if (x < box.left || x > box.right) {
        x = x < box.left ? box.left : box.right;
        y = slope * x + intercept;
    }
    if (y < box.top || y > box.bottom) {
        if (slope == 0)
            return false;
        y = y < box.top ? box.top : box.bottom;
        x = (y - intercept) / slope;
        if (x < box.left - 0.5 || x > box.right + 0.5)
            return false;
    }
    return true;
}

} // namespace

bool ClipToolLine(CPoint& p1, CPoint& p2, const CRect& pane, int extendMode, int thickness)
{
    const int h = HalfThickness(thickness);
    const Box box{static_cast<double>(pane.left + h), static_cast<double>(pane.top + h),
                  static_cast<double>(pane.right - 1 - h), static_cast<double>(pane.bottom - 1 - h)};
    if (box.left > box.right || box.top > box.bottom)
        return false;
    if (extendMode == kExtendSegment) {
        if (std::max(p1.x, p2.x) < box.left || std::min(p1.x, p2.x) > box.right || std::max(p1.y, p2.y) < box.top ||
            std::min(p1.y, p2.y) > box.bottom)
            return false;
    }
    if (p1.x == p2.x) {
        if (p1.x < box.left || p1.x > box.right)
            return false;
        const int top = static_cast<int>(box.top), bottom = static_cast<int>(box.bottom);
        if (extendMode == kExtendRay) {
            p2.y = p1.y < p2.y ? bottom : top;
            p1.y = std::clamp(static_cast<int>(p1.y), top, bottom);
        } else if (extendMode == kExtendLine) {
            p1.y = bottom;
            p2.y = top;
        } else {
            p1.y = std::clamp(static_cast<int>(p1.y), top, bottom);
            p2.y = std::clamp(static_cast<int>(p2.y), top, bottom);
        }
        return true;
    }
    const double slope = static_cast<double>(p2.y - p1.y) / (p2.x - p1.x);
    const double intercept = p2.y - p2.x * slope;
    double x1 = p1.x, y1 = p1.y, x2 = p2.x, y2 = p2.y;
    if (extendMode != kExtendSegment) {
        double ax, ay, bx, by; // left/top candidate, right/bottom candidate
        if (std::fabs(slope) <= 1) {
            ax = box.left;
            ay = slope * ax + intercept;
            bx = box.right;
            by = slope * bx + intercept;
        } else {
            ay = box.top;
            ax = (ay - intercept) / slope;
            by = box.bottom;
            bx = (by - intercept) / slope;
        }
        if (extendMode == kExtendLine) {
            x1 = ax, y1 = ay, x2 = bx, y2 = by;
        } else {
            const bool towardsB = std::fabs(slope) <= 1 ? p1.x < p2.x : p1.y < p2.y;
            x2 = towardsB ? bx : ax;
            y2 = towardsB ? by : ay;
        }
    }
    if (!ClipIntoBox(x1, y1, slope, intercept, box) || !ClipIntoBox(x2, y2, slope, intercept, box))
        return false;
    p1 = CPoint(RoundHalfAway(x1), RoundHalfAway(y1));
    p2 = CPoint(RoundHalfAway(x2), RoundHalfAway(y2));
    return true;
}

double DistanceToLine(int x, int y, double slope, double intercept)
{
    const double footX = RoundHalfAway((x + slope * (y - intercept)) / (1 + slope * slope));
    const double footY = RoundHalfAway(slope * footX + intercept);
    return std::hypot(x - footX, y - footY);
}

bool HitsClippedLine(CPoint point, CPoint c1, CPoint c2, int thickness)
{
    const int t = HalfThickness(thickness) + 1;
    if (point.x < std::min(c1.x, c2.x) - t || point.x > std::max(c1.x, c2.x) + t ||
        point.y < std::min(c1.y, c2.y) - t || point.y > std::max(c1.y, c2.y) + t)
        return false;
    if (c1.x == c2.x)
        return std::abs(point.x - c1.x) <= t;
    const double slope = static_cast<double>(c2.y - c1.y) / (c2.x - c1.x);
    return DistanceToLine(point.x, point.y, slope, c2.y - c2.x * slope) <= t;
}

bool IsNearAnchorPoint(CPoint point, CPoint anchor, int thickness)
{
    const int h = HalfThickness(thickness);
    return point.x >= anchor.x - h - 2 && point.x <= anchor.x + h + 1 && point.y >= anchor.y - h - 1 &&
           point.y <= anchor.y + h + 2;
}

double RetracementLevelPrice(double high, double low, double percent, double pixelSlope)
{
    if (pixelSlope <= 0)
        return high - (high - low) * percent * 0.01;
    return low + (high - low) * percent * 0.01;
}

void FormatShortFloat(char* buffer, int size, double value)
{
    std::snprintf(buffer, static_cast<size_t>(size), "%f", value);
    if (std::strchr(buffer, '.')) {
        size_t n = std::strlen(buffer);
        while (n > 0 && buffer[n - 1] == '0')
            buffer[--n] = '\0';
        if (n > 0 && buffer[n - 1] == '.')
            buffer[--n] = '\0';
    }
}
