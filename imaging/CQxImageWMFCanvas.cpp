#include "imaging/CQxImageWMFCanvas.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

// Keeps coordinates in a range where the arithmetic below is exact enough and
// cannot overflow an int.
double ClampCoord(double v)
{
    if (!(v > -1e7))
        return -1e7;
    if (!(v < 1e7))
        return 1e7;
    return v;
}

}  // namespace

CQxImageWMFCanvas::CQxImageWMFCanvas(CQxImage& img)
    : m_img(img), m_width(static_cast<int>(img.GetWidth())), m_height(static_cast<int>(img.GetHeight()))
{
}

void CQxImageWMFCanvas::Plot(int x, int y, COLORREF color)
{
    if (x < 0 || y < 0 || x >= m_width || y >= m_height)
        return;
    BYTE* p = m_img.GetBits(static_cast<DWORD>(m_height - 1 - y)) + 3 * x;
    p[0] = QxGetBValue(color);
    p[1] = QxGetGValue(color);
    p[2] = QxGetRValue(color);
}

void CQxImageWMFCanvas::SetPixel(int x, int y, COLORREF color)
{
    Plot(x, y, color);
}

bool CQxImageWMFCanvas::HatchHit(int x, int y, int hatch) const
{
    switch (hatch) {
    case 0:  // horizontal
        return (y & 7) == 0;
    case 1:  // vertical
        return (x & 7) == 0;
    case 2:  // downward diagonal
        return ((x - y) & 7) == 0;
    case 3:  // upward diagonal
        return ((x + y) & 7) == 0;
    case 4:  // cross
        return (y & 7) == 0 || (x & 7) == 0;
    case 5:  // diagonal cross
        return ((x - y) & 7) == 0 || ((x + y) & 7) == 0;
    default:
        return true;
    }
}

void CQxImageWMFCanvas::FillPolygons(const std::vector<std::vector<QxPointF>>& figures, const Fill& fill,
                                     bool winding)
{
    struct Edge {
        double x0, y0, x1, y1;
        int dir;
    };
    std::vector<Edge> edges;
    double minY = 1e18;
    double maxY = -1e18;
    for (const auto& fig : figures) {
        const size_t n = fig.size();
        if (n < 2)
            continue;
        for (size_t i = 0; i < n; ++i) {
            QxPointF a{ClampCoord(fig[i].x), ClampCoord(fig[i].y)};
            QxPointF b{ClampCoord(fig[(i + 1) % n].x), ClampCoord(fig[(i + 1) % n].y)};
            if (a.y == b.y)
                continue;
            const int dir = a.y < b.y ? 1 : -1;
            if (a.y > b.y)
                std::swap(a, b);
            edges.push_back({a.x, a.y, b.x, b.y, dir});
            minY = std::min(minY, a.y);
            maxY = std::max(maxY, b.y);
        }
    }
    if (edges.empty())
        return;
    std::sort(edges.begin(), edges.end(), [](const Edge& a, const Edge& b) { return a.y0 < b.y0; });
    const int yStart = std::max(0, static_cast<int>(std::floor(minY)));
    const int yEnd = std::min(m_height - 1, static_cast<int>(std::ceil(maxY)));
    std::vector<std::pair<double, int>> xs;
    // Active edges: those that began above this scan line and end below it.
    std::vector<size_t> active;
    size_t next = 0;
    for (int y = yStart; y <= yEnd; ++y) {
        const double sy = y + 0.5;
        while (next < edges.size() && edges[next].y0 <= sy)
            active.push_back(next++);
        active.erase(std::remove_if(active.begin(), active.end(), [&](size_t i) { return edges[i].y1 <= sy; }),
                     active.end());
        xs.clear();
        for (size_t i : active) {
            const Edge& e = edges[i];
            const double t = (sy - e.y0) / (e.y1 - e.y0);
            xs.emplace_back(e.x0 + t * (e.x1 - e.x0), e.dir);
        }
        if (xs.size() < 2)
            continue;
        std::sort(xs.begin(), xs.end());
        int wind = 0;
        for (size_t i = 0; i + 1 < xs.size(); ++i) {
            wind += winding ? xs[i].second : 1;
            const bool inside = winding ? wind != 0 : (wind & 1) != 0;
            if (!inside)
                continue;
            const int xa = std::max(0, static_cast<int>(std::ceil(xs[i].first - 0.5)));
            const int xb = std::min(m_width - 1, static_cast<int>(std::ceil(xs[i + 1].first - 0.5)) - 1);
            for (int x = xa; x <= xb; ++x) {
                if (fill.hatch < 0 || HatchHit(x, y, fill.hatch))
                    Plot(x, y, fill.color);
                else if (fill.opaqueBack)
                    Plot(x, y, fill.backColor);
            }
        }
    }
}

void CQxImageWMFCanvas::Line(double x0, double y0, double x1, double y1, COLORREF color)
{
    x0 = ClampCoord(x0);
    y0 = ClampCoord(y0);
    x1 = ClampCoord(x1);
    y1 = ClampCoord(y1);
    // Clip to the canvas (with a margin) so long lines cost only what is visible.
    const double lo = -2.0;
    const double hiX = m_width + 2.0;
    const double hiY = m_height + 2.0;
    double t0 = 0.0;
    double t1 = 1.0;
    const double dx = x1 - x0;
    const double dy = y1 - y0;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {x0 - lo, hiX - x0, y0 - lo, hiY - y0};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0)
                return;
            continue;
        }
        const double r = q[i] / p[i];
        if (p[i] < 0)
            t0 = std::max(t0, r);
        else
            t1 = std::min(t1, r);
        if (t0 > t1)
            return;
    }
    const double ax = x0 + t0 * dx;
    const double ay = y0 + t0 * dy;
    const double bx = x0 + t1 * dx;
    const double by = y0 + t1 * dy;
    const int steps = static_cast<int>(std::max(std::fabs(bx - ax), std::fabs(by - ay)));
    for (int i = 0; i <= steps; ++i) {
        const double t = steps == 0 ? 0.0 : static_cast<double>(i) / steps;
        Plot(static_cast<int>(std::floor(ax + t * (bx - ax))), static_cast<int>(std::floor(ay + t * (by - ay))), color);
    }
}

void CQxImageWMFCanvas::StrokePolyline(const std::vector<QxPointF>& points, bool closed, COLORREF color, double width)
{
    const size_t n = points.size();
    if (n == 0)
        return;
    const size_t segments = closed ? n : n - 1;
    if (width < 1.5) {
        if (n == 1)
            Plot(static_cast<int>(std::floor(ClampCoord(points[0].x))),
                 static_cast<int>(std::floor(ClampCoord(points[0].y))), color);
        for (size_t i = 0; i < segments; ++i) {
            const QxPointF& a = points[i];
            const QxPointF& b = points[(i + 1) % n];
            Line(a.x, a.y, b.x, b.y, color);
        }
        return;
    }
    // Wide pens: each segment as a rectangle, joints bevelled, round ends.
    // Beyond the canvas diagonal a pen cannot cover more.
    width = std::min(width, std::hypot(static_cast<double>(m_width), static_cast<double>(m_height)) * 2 + 2);
    const double r = width / 2;
    Fill fill;
    fill.color = color;
    std::vector<std::vector<QxPointF>> shapes;
    std::vector<QxPointF> normals;
    for (size_t i = 0; i < segments; ++i) {
        const QxPointF& a = points[i];
        const QxPointF& b = points[(i + 1) % n];
        const double dx = b.x - a.x;
        const double dy = b.y - a.y;
        const double len = std::sqrt(dx * dx + dy * dy);
        if (!(len > 0)) {
            normals.push_back({0, 0});
            continue;
        }
        const double nx = -dy / len * r;
        const double ny = dx / len * r;
        normals.push_back({nx, ny});
        shapes.push_back({{a.x + nx, a.y + ny}, {b.x + nx, b.y + ny}, {b.x - nx, b.y - ny}, {a.x - nx, a.y - ny}});
    }
    // Bevels close the wedge between two segments on both sides of a joint.
    for (size_t i = 0; i < segments; ++i) {
        if (!closed && i + 1 >= segments)
            break;
        const QxPointF& p = points[(i + 1) % n];
        const QxPointF& n1 = normals[i];
        const QxPointF& n2 = normals[(i + 1) % segments];
        shapes.push_back({{p.x, p.y}, {p.x + n1.x, p.y + n1.y}, {p.x + n2.x, p.y + n2.y}});
        shapes.push_back({{p.x, p.y}, {p.x - n1.x, p.y - n1.y}, {p.x - n2.x, p.y - n2.y}});
    }
    if (!closed || segments == 0) {
        const int sides = std::clamp(static_cast<int>(r), 8, 32);
        for (const QxPointF& c : {points.front(), points.back()}) {
            std::vector<QxPointF> dot;
            for (int k = 0; k < sides; ++k) {
                const double t = 2 * M_PI * k / sides;
                dot.push_back({c.x + r * std::cos(t), c.y + r * std::sin(t)});
            }
            shapes.push_back(std::move(dot));
        }
    }
    // Each piece on its own: one colour, so painting them one after the other
    // gives their union, and each costs only the rows it covers.
    for (const auto& shape : shapes)
        FillPolygons({shape}, fill, false);
}

void CQxImageWMFCanvas::DrawBitmap(CQxImage& src, int srcX, int srcY, int srcW, int srcH, double dstX, double dstY,
                                   double dstW, double dstH)
{
    if (srcW == 0 || srcH == 0 || dstW == 0 || dstH == 0 || !src.IsValid() || srcW == INT32_MIN ||
        srcH == INT32_MIN)
        return;
    double x0 = ClampCoord(std::min(dstX, dstX + dstW));
    double x1 = ClampCoord(std::max(dstX, dstX + dstW));
    double y0 = ClampCoord(std::min(dstY, dstY + dstH));
    double y1 = ClampCoord(std::max(dstY, dstY + dstH));
    const int xa = std::max(0, static_cast<int>(std::ceil(x0 - 0.5)));
    const int xb = std::min(m_width - 1, static_cast<int>(std::ceil(x1 - 0.5)) - 1);
    const int ya = std::max(0, static_cast<int>(std::ceil(y0 - 0.5)));
    const int yb = std::min(m_height - 1, static_cast<int>(std::ceil(y1 - 0.5)) - 1);
    const bool mirrorX = (dstW < 0) != (srcW < 0);
    const bool mirrorY = (dstH < 0) != (srcH < 0);
    const double aw = std::fabs(dstW);
    const double ah = std::fabs(dstH);
    const int sw = std::abs(srcW);
    const int sh = std::abs(srcH);
    for (int y = ya; y <= yb; ++y) {
        double fy = (y + 0.5 - y0) / ah;
        if (mirrorY)
            fy = 1 - fy;
        const int row = static_cast<int>(fy * sh);
        // Row 0 of the destination shows the top row of the source rectangle.
        const int64_t sy = static_cast<int64_t>(srcY) + sh - 1 - std::clamp(row, 0, sh - 1);
        if (sy < 0 || sy >= static_cast<int64_t>(src.GetHeight()))
            continue;
        for (int x = xa; x <= xb; ++x) {
            double fx = (x + 0.5 - x0) / aw;
            if (mirrorX)
                fx = 1 - fx;
            const int64_t sx = static_cast<int64_t>(srcX) + std::clamp(static_cast<int>(fx * sw), 0, sw - 1);
            if (sx < 0 || sx >= static_cast<int64_t>(src.GetWidth()))
                continue;
            const RGBQUAD c = src.GetPixelColor(static_cast<LONG>(sx), static_cast<LONG>(sy), false);
            Plot(x, y, QxRGB(c.rgbRed, c.rgbGreen, c.rgbBlue));
        }
    }
}
