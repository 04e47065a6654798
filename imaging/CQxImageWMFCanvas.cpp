#include "imaging/CQxImageWMFCanvas.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

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

struct Box {
    double x0, y0, x1, y1;
};

// Clips a closed figure to the box, one side after the other. Inside the box
// every point keeps its winding number, so both fill rules give what the whole
// figure gives there, and nothing outside costs any work.
void ClipFigure(const std::vector<QxPointF>& in, const Box& box, std::vector<QxPointF>& out)
{
    out.clear();
    double minX = std::numeric_limits<double>::infinity();
    double maxX = -minX;
    double minY = minX;
    double maxY = -minX;
    for (const QxPointF& p : in) {
        const QxPointF c{ClampCoord(p.x), ClampCoord(p.y)};
        minX = std::min(minX, c.x);
        maxX = std::max(maxX, c.x);
        minY = std::min(minY, c.y);
        maxY = std::max(maxY, c.y);
        out.push_back(c);
    }
    if (out.empty() || maxX < box.x0 || minX > box.x1 || maxY < box.y0 || minY > box.y1) {
        out.clear();
        return;
    }
    if (minX >= box.x0 && maxX <= box.x1 && minY >= box.y0 && maxY <= box.y1)
        return;
    std::vector<QxPointF> next;
    for (int side = 0; side < 4 && !out.empty(); ++side) {
        // Signed distance inside the side: >= 0 keeps the point.
        auto inside = [&](const QxPointF& p) {
            switch (side) {
            case 0: return p.x - box.x0;
            case 1: return box.x1 - p.x;
            case 2: return p.y - box.y0;
            default: return box.y1 - p.y;
            }
        };
        next.clear();
        const size_t n = out.size();
        for (size_t i = 0; i < n; ++i) {
            const QxPointF& prev = out[(i + n - 1) % n];
            const QxPointF& cur = out[i];
            const double dp = inside(prev);
            const double dc = inside(cur);
            if ((dp >= 0) != (dc >= 0)) {
                const double t = dp / (dp - dc);
                next.push_back({prev.x + t * (cur.x - prev.x), prev.y + t * (cur.y - prev.y)});
            }
            if (dc >= 0)
                next.push_back(cur);
        }
        out.swap(next);
    }
}

double SignedArea(const std::vector<QxPointF>& f)
{
    double a = 0;
    for (size_t i = 0, n = f.size(); i < n; ++i) {
        const QxPointF& p = f[i];
        const QxPointF& q = f[(i + 1) % n];
        a += p.x * q.y - q.x * p.y;
    }
    return a / 2;
}

}  // namespace

CQxImageWMFCanvas::CQxImageWMFCanvas(CQxImage& img, uint64_t workBudget)
    : m_img(img),
      m_width(static_cast<int>(img.GetWidth())),
      m_height(static_cast<int>(img.GetHeight())),
      m_budget(workBudget)
{
}

bool CQxImageWMFCanvas::Charge(uint64_t units)
{
    if (m_exhausted || units > m_budget - m_work) {
        m_exhausted = true;
        return false;
    }
    m_work += units;
    return true;
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
    if (Charge(1))
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

// Pixels xa..xb of canvas row y (whose bytes start at row), both inside the canvas.
void CQxImageWMFCanvas::FillSpan(BYTE* row, int y, int xa, int xb, const Fill& fill)
{
    BYTE* p = row + 3 * xa;
    for (int x = xa; x <= xb; ++x, p += 3) {
        COLORREF c = fill.color;
        if (fill.hatch >= 0 && !HatchHit(x, y, fill.hatch)) {
            if (!fill.opaqueBack)
                continue;
            c = fill.backColor;
        }
        p[0] = QxGetBValue(c);
        p[1] = QxGetGValue(c);
        p[2] = QxGetRValue(c);
    }
}

void CQxImageWMFCanvas::FillPolygons(const std::vector<std::vector<QxPointF>>& figures, const Fill& fill,
                                     bool winding)
{
    if (m_exhausted || m_width <= 0 || m_height <= 0)
        return;
    // An edge covers the rows whose centre lies in [y0, y1) and moves the fill
    // state at the first pixel whose centre is right of its crossing.
    struct Edge {
        double x0, y0, dxdy;
        int first, last;
        int dir;
    };
    const Box box{-1.0, -1.0, m_width + 1.0, m_height + 1.0};
    std::vector<Edge> edges;
    std::vector<QxPointF> clipped;
    double minX = std::numeric_limits<double>::infinity();
    double maxX = -minX;
    uint64_t edgeRows = 0;
    for (const auto& fig : figures) {
        if (fig.size() < 2)
            continue;
        ClipFigure(fig, box, clipped);
        const size_t n = clipped.size();
        for (size_t i = 0; i < n; ++i) {
            QxPointF a = clipped[i];
            QxPointF b = clipped[(i + 1) % n];
            minX = std::min(minX, a.x);
            maxX = std::max(maxX, a.x);
            if (a.y == b.y)
                continue;
            const int dir = a.y < b.y ? 1 : -1;
            if (a.y > b.y)
                std::swap(a, b);
            // Right of the canvas an edge changes no pixel's fill state.
            if (std::min(a.x, b.x) > m_width - 0.5)
                continue;
            const int first = std::max(0, static_cast<int>(std::ceil(a.y - 0.5)));
            const int last = std::min(m_height - 1, static_cast<int>(std::ceil(b.y - 0.5)) - 1);
            if (first > last)
                continue;
            edges.push_back({a.x, a.y, (b.x - a.x) / (b.y - a.y), first, last, dir});
            edgeRows += static_cast<uint64_t>(last - first + 1);
        }
    }
    if (edges.empty())
        return;
    // Pixels right of the rightmost vertex are outside: the crossings of a row cancel out.
    const int sx0 = std::clamp(static_cast<int>(std::ceil(minX - 0.5)), 0, m_width - 1);
    const int sx1 = std::clamp(static_cast<int>(std::ceil(maxX - 0.5)) - 1, -1, m_width - 1);
    if (sx1 < sx0)
        return;
    std::sort(edges.begin(), edges.end(), [](const Edge& a, const Edge& b) { return a.first < b.first; });
    int yEnd = 0;
    for (const Edge& e : edges)
        yEnd = std::max(yEnd, e.last);
    const uint64_t span = static_cast<uint64_t>(sx1 - sx0 + 1);
    if (!Charge(edgeRows + static_cast<uint64_t>(yEnd - edges.front().first + 1) * span))
        return;

    // Each row: every active edge adds its direction (or, even-odd, one) at the
    // pixel where it crosses; a running sum over the row gives the fill state.
    // No sorting per row, so a row costs its active edges plus its width.
    // Crossings step down the rows in fixed point (32 fraction bits): exact adds,
    // and the pixel index is a shift. An edge steep enough to overflow the step
    // covers one row only, so its step is never taken.
    struct Active {
        int64_t x;  // crossing at the current row's centre minus half a pixel
        int64_t dx;
        int last;
        int dir;
    };
    constexpr double kOne = 4294967296.0;
    auto fixed = [](double v) { return static_cast<int64_t>(std::clamp(v, -2e9, 2e9) * kOne); };
    std::vector<int> delta(span + 1, 0);
    std::vector<Active> active;
    size_t next = 0;
    for (int y = edges.front().first; y <= yEnd; ++y) {
        for (; next < edges.size() && edges[next].first <= y; ++next) {
            const Edge& e = edges[next];
            active.push_back({fixed(e.x0 + (y + 0.5 - e.y0) * e.dxdy - 0.5), fixed(e.dxdy), e.last,
                              winding ? e.dir : 1});
        }
        if (active.empty()) {
            if (next >= edges.size())
                break;
            y = edges[next].first - 1;
            continue;
        }
        int* const d = delta.data();
        for (size_t k = 0; k < active.size();) {
            Active& a = active[k];
            // ceil of the crossing minus half a pixel: the first pixel whose centre is right of it.
            const int64_t cross = (a.x + (int64_t{1} << 32) - 1) >> 32;
            if (cross <= sx1)
                d[cross <= sx0 ? 0 : cross - sx0] += a.dir;
            if (a.last <= y) {
                a = active.back();
                active.pop_back();
            } else {
                a.x += a.dx;
                ++k;
            }
        }
        BYTE* row = m_img.GetBits(static_cast<DWORD>(m_height - 1 - y));
        int wind = 0;
        int runStart = -1;
        for (size_t i = 0; i < span; ++i) {
            wind += delta[i];
            delta[i] = 0;
            const bool inside = winding ? wind != 0 : (wind & 1) != 0;
            if (inside && runStart < 0) {
                runStart = static_cast<int>(i);
            } else if (!inside && runStart >= 0) {
                FillSpan(row, y, sx0 + runStart, sx0 + static_cast<int>(i) - 1, fill);
                runStart = -1;
            }
        }
        if (runStart >= 0)
            FillSpan(row, y, sx0 + runStart, sx1, fill);
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
    if (!Charge(static_cast<uint64_t>(steps) + 1))
        return;
    for (int i = 0; i <= steps; ++i) {
        const double t = steps == 0 ? 0.0 : static_cast<double>(i) / steps;
        Plot(static_cast<int>(std::floor(ax + t * (bx - ax))), static_cast<int>(std::floor(ay + t * (by - ay))), color);
    }
}

void CQxImageWMFCanvas::StrokePolyline(const std::vector<QxPointF>& points, bool closed, COLORREF color, double width)
{
    const size_t n = points.size();
    if (n == 0 || m_exhausted)
        return;
    const size_t segments = closed ? n : n - 1;
    if (width < 1.5) {
        if (n == 1 && Charge(1))
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
    // The pen covers the union of the pieces: turned the same way round, each
    // adds one to the winding number where it lies, so one fill by the winding
    // rule paints every covered pixel once, however much the pieces overlap.
    for (auto& shape : shapes)
        if (SignedArea(shape) < 0)
            std::reverse(shape.begin(), shape.end());
    FillPolygons(shapes, fill, true);
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
    if (xa > xb || ya > yb || !Charge(static_cast<uint64_t>(xb - xa + 1) * static_cast<uint64_t>(yb - ya + 1)))
        return;
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
