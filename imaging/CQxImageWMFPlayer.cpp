#include "imaging/CQxImageWMFPlayer.h"

#include "imaging/CQxImageBMP.h"
#include "imaging/CQxMemFile.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// Canvas coordinates as ints, far outside the canvas when they are huge.
int PixelCoord(double v)
{
    if (!(v > -1e7))
        return -10000000;
    if (!(v < 1e7))
        return 10000000;
    return static_cast<int>(std::floor(v));
}

constexpr size_t kMaxObjects = 65535;
constexpr size_t kMaxSavedStates = 1024;
constexpr DWORD kRopBlackness = 0x00000042;
constexpr DWORD kRopWhiteness = 0x00FF0062;
constexpr DWORD kRopPatCopy = 0x00F00021;

// Bounds-checked little-endian reads inside one record.
struct Reader {
    const BYTE* p;
    size_t size;
    int32_t I32(size_t off) const { return off + 4 <= size ? static_cast<int32_t>(QxGetLE32(p + off)) : 0; }
    uint32_t U32(size_t off) const { return off + 4 <= size ? QxGetLE32(p + off) : 0; }
    int16_t I16(size_t off) const { return off + 2 <= size ? static_cast<int16_t>(QxGetLE16(p + off)) : 0; }
    float F32(size_t off) const
    {
        const uint32_t v = U32(off);
        float f;
        std::memcpy(&f, &v, sizeof(f));
        return std::isfinite(f) ? f : 0.0f;
    }
};

double SafeDiv(double a, double b)
{
    return b == 0 ? a : a / b;
}

}  // namespace

CQxImageWMFPlayer::CQxImageWMFPlayer(CQxImageWMFCanvas& canvas) : m_canvas(canvas)
{
    m_dc.pen.color = 0;
    m_dc.pen.width = 0;
    m_dc.brush.color = 0xFFFFFF;
}

// ------------------------------------------------------------ mapping

QxPointF CQxImageWMFPlayer::Map(double x, double y) const
{
    const DcState& dc = m_dc;
    if (m_emf) {
        const Xform& m = dc.xform;
        const double wx = x * m.m11 + y * m.m21 + m.dx;
        const double wy = x * m.m12 + y * m.m22 + m.dy;
        x = wx;
        y = wy;
    }
    double dx;
    double dy;
    const double wex = dc.winExtX == 0 ? 1 : dc.winExtX;
    const double wey = dc.winExtY == 0 ? 1 : dc.winExtY;
    if (!m_emf) {
        dx = (x - dc.winOrgX) * m_canvas.Width() / wex;
        dy = (y - dc.winOrgY) * m_canvas.Height() / wey;
        return {dx, dy};
    }
    double sx = 1;
    double sy = 1;
    switch (dc.mapMode) {
    case 2: sx = 0.1 * m_devPxPerMmX; sy = -0.1 * m_devPxPerMmY; break;
    case 3: sx = 0.01 * m_devPxPerMmX; sy = -0.01 * m_devPxPerMmY; break;
    case 4: sx = 0.254 * m_devPxPerMmX; sy = -0.254 * m_devPxPerMmY; break;
    case 5: sx = 0.0254 * m_devPxPerMmX; sy = -0.0254 * m_devPxPerMmY; break;
    case 6: sx = 25.4 / 1440 * m_devPxPerMmX; sy = -25.4 / 1440 * m_devPxPerMmY; break;
    case 7: {
        sx = dc.vpExtX / wex;
        sy = dc.vpExtY / wey;
        const double s = std::min(std::fabs(sx), std::fabs(sy));
        sx = sx < 0 ? -s : s;
        sy = sy < 0 ? -s : s;
        break;
    }
    case 8: sx = dc.vpExtX / wex; sy = dc.vpExtY / wey; break;
    default: break;
    }
    dx = (x - dc.winOrgX) * sx + dc.vpOrgX;
    dy = (y - dc.winOrgY) * sy + dc.vpOrgY;
    return {dx * m_devScaleX + m_devOffX, dy * m_devScaleY + m_devOffY};
}

double CQxImageWMFPlayer::MapWidth(double w) const
{
    const QxPointF a = Map(0, 0);
    const QxPointF b = Map(w, 0);
    const double d = std::hypot(b.x - a.x, b.y - a.y);
    return std::isfinite(d) ? d : 1.0;
}

// ------------------------------------------------------------ objects

void CQxImageWMFPlayer::AddObject(const Object& obj)
{
    // A new object takes the lowest free slot; the table grows up to the header's count.
    if (!m_freeSlots.empty()) {
        m_objects[*m_freeSlots.begin()] = obj;
        m_freeSlots.erase(m_freeSlots.begin());
    } else if (m_objects.size() < m_maxObjects) {
        m_objects.push_back(obj);
    }
}

void CQxImageWMFPlayer::SelectObject(unsigned index)
{
    if (m_emf && (index & 0x80000000u)) {
        StockObject(index & 0x7FFFFFFFu);
        return;
    }
    if (index >= m_objects.size())
        return;
    const Object& o = m_objects[index];
    if (o.kind == 1)
        m_dc.pen = o.pen;
    else if (o.kind == 2)
        m_dc.brush = o.brush;
}

void CQxImageWMFPlayer::DeleteObject(unsigned index)
{
    if (index >= m_objects.size())
        return;
    m_objects[index] = Object{};
    if (!m_emf)
        m_freeSlots.insert(index);
}

void CQxImageWMFPlayer::StockObject(unsigned id)
{
    switch (id) {
    case 0: m_dc.brush = Brush{0, 0xFFFFFF, 0}; break;
    case 1: m_dc.brush = Brush{0, QxRGB(192, 192, 192), 0}; break;
    case 2: m_dc.brush = Brush{0, QxRGB(128, 128, 128), 0}; break;
    case 3: m_dc.brush = Brush{0, QxRGB(64, 64, 64), 0}; break;
    case 4: m_dc.brush = Brush{0, 0, 0}; break;
    case 5: m_dc.brush = Brush{1, 0, 0}; break;
    case 6: m_dc.pen = Pen{0, 0, 0xFFFFFF}; break;
    case 7: m_dc.pen = Pen{0, 0, 0}; break;
    case 8: m_dc.pen = Pen{5, 0, 0}; break;
    default: break;  // fonts and the default palette
    }
}

// ------------------------------------------------------------ drawing

CQxImageWMFCanvas::Fill CQxImageWMFPlayer::CurrentFill() const
{
    CQxImageWMFCanvas::Fill f;
    f.color = m_dc.brush.color;
    f.opaqueBack = m_dc.bkMode != 1;
    f.backColor = m_dc.bkColor;
    if (m_dc.brush.style == 2)
        f.hatch = std::clamp(m_dc.brush.hatch, 0, 5);
    else if (m_dc.brush.style != 0)
        f.color = QxRGB(128, 128, 128);  // pattern brushes: their mean grey
    return f;
}

void CQxImageWMFPlayer::DrawShape(std::vector<QxPointF> logical, bool fill, bool stroke)
{
    if (logical.empty())
        return;
    if (m_inPath) {
        m_path.push_back(std::move(logical));
        m_pathClosed.push_back(true);
        return;
    }
    std::vector<QxPointF> dev;
    dev.reserve(logical.size());
    for (const auto& p : logical)
        dev.push_back(Map(p.x, p.y));
    if (fill && m_dc.brush.style != 1)
        m_canvas.FillPolygons({dev}, CurrentFill(), m_dc.fillMode == 2);
    if (stroke && m_dc.pen.style != 5)
        m_canvas.StrokePolyline(dev, true, m_dc.pen.color, MapWidth(m_dc.pen.width));
}

void CQxImageWMFPlayer::DrawPolyline(const std::vector<QxPointF>& logical)
{
    if (logical.empty())
        return;
    if (m_inPath) {
        m_path.push_back(logical);
        m_pathClosed.push_back(false);
        return;
    }
    if (m_dc.pen.style == 5)
        return;
    std::vector<QxPointF> dev;
    dev.reserve(logical.size());
    for (const auto& p : logical)
        dev.push_back(Map(p.x, p.y));
    m_canvas.StrokePolyline(dev, false, m_dc.pen.color, MapWidth(m_dc.pen.width));
}

void CQxImageWMFPlayer::DrawPolyPolygon(const std::vector<std::vector<QxPointF>>& logical)
{
    if (m_inPath) {
        for (const auto& f : logical) {
            m_path.push_back(f);
            m_pathClosed.push_back(true);
        }
        return;
    }
    std::vector<std::vector<QxPointF>> dev;
    for (const auto& f : logical) {
        std::vector<QxPointF> d;
        for (const auto& p : f)
            d.push_back(Map(p.x, p.y));
        dev.push_back(std::move(d));
    }
    if (m_dc.brush.style != 1)
        m_canvas.FillPolygons(dev, CurrentFill(), m_dc.fillMode == 2);
    if (m_dc.pen.style != 5)
        for (const auto& d : dev)
            m_canvas.StrokePolyline(d, true, m_dc.pen.color, MapWidth(m_dc.pen.width));
}

void CQxImageWMFPlayer::DrawRect(double l, double t, double r, double b)
{
    DrawShape({{l, t}, {r, t}, {r, b}, {l, b}}, true, true);
}

void CQxImageWMFPlayer::FillRectWithBrush(double l, double t, double r, double b)
{
    const QxPointF a = Map(l, t);
    const QxPointF c = Map(r, b);
    m_canvas.FillPolygons({{{a.x, a.y}, {c.x, a.y}, {c.x, c.y}, {a.x, c.y}}}, CurrentFill(), false);
}

namespace {

int Segments(double rx, double ry)
{
    const double perimeter = 2 * M_PI * std::sqrt((rx * rx + ry * ry) / 2);
    if (!std::isfinite(perimeter))
        return 16;
    return static_cast<int>(std::clamp(perimeter / 2, 16.0, 720.0));
}

}  // namespace

void CQxImageWMFPlayer::DrawEllipse(double l, double t, double r, double b)
{
    const double cx = (l + r) / 2;
    const double cy = (t + b) / 2;
    const double rx = std::fabs(r - l) / 2;
    const double ry = std::fabs(b - t) / 2;
    const QxPointF d0 = Map(l, t);
    const QxPointF d1 = Map(r, b);
    const int n = Segments(std::fabs(d1.x - d0.x) / 2, std::fabs(d1.y - d0.y) / 2);
    if (!m_canvas.Charge(static_cast<uint64_t>(n)))
        return;
    std::vector<QxPointF> pts;
    for (int i = 0; i < n; ++i) {
        const double a = 2 * M_PI * i / n;
        pts.push_back({cx + rx * std::cos(a), cy + ry * std::sin(a)});
    }
    DrawShape(std::move(pts), true, true);
}

void CQxImageWMFPlayer::DrawRoundRect(double l, double t, double r, double b, double w, double h)
{
    if (l > r)
        std::swap(l, r);
    if (t > b)
        std::swap(t, b);
    const double rx = std::min(std::fabs(w) / 2, (r - l) / 2);
    const double ry = std::min(std::fabs(h) / 2, (b - t) / 2);
    const int n = 8;
    std::vector<QxPointF> pts;
    const double cxs[4] = {r - rx, l + rx, l + rx, r - rx};
    const double cys[4] = {t + ry, t + ry, b - ry, b - ry};
    for (int c = 0; c < 4; ++c)
        for (int i = 0; i <= n; ++i) {
            const double a = M_PI / 2 * c + M_PI / 2 * i / n;
            pts.push_back({cxs[c] + rx * std::cos(a), cys[c] - ry * std::sin(a)});
        }
    DrawShape(std::move(pts), true, true);
}

void CQxImageWMFPlayer::DrawArc(double l, double t, double r, double b, double xs, double ys, double xe, double ye,
                                int kind)
{
    const double cx = (l + r) / 2;
    const double cy = (t + b) / 2;
    const double rx = std::fabs(r - l) / 2;
    const double ry = std::fabs(b - t) / 2;
    if (rx == 0 || ry == 0)
        return;
    // Counter-clockwise as seen on the canvas.
    const QxPointF o = Map(0, 0);
    const QxPointF down = Map(0, 1);
    const double ysign = down.y >= o.y ? -1 : 1;
    const double a0 = std::atan2(ysign * (ys - cy) / ry, (xs - cx) / rx);
    double a1 = std::atan2(ysign * (ye - cy) / ry, (xe - cx) / rx);
    if (m_dc.clockwise) {
        // Drawn the other way round: from the end back to the start.
        if (a0 <= a1)
            a1 -= 2 * M_PI;
    } else if (a1 <= a0) {
        a1 += 2 * M_PI;
    }
    const QxPointF d0 = Map(l, t);
    const QxPointF d1 = Map(r, b);
    const int n = std::max(2, static_cast<int>(Segments(std::fabs(d1.x - d0.x) / 2, std::fabs(d1.y - d0.y) / 2) *
                                               std::fabs(a1 - a0) / (2 * M_PI)));
    if (!m_canvas.Charge(static_cast<uint64_t>(n)))
        return;
    std::vector<QxPointF> pts;
    for (int i = 0; i <= n; ++i) {
        const double a = a0 + (a1 - a0) * i / n;
        pts.push_back({cx + rx * std::cos(a), cy + ysign * ry * std::sin(a)});
    }
    if (kind == 3) {
        // ARCTO: a line from the current position to the arc, which then
        // leaves the current position at its end.
        for (const auto& p : pts)
            LineTo(p.x, p.y);
        return;
    }
    if (kind == 0) {
        DrawPolyline(pts);
        return;
    }
    if (kind == 2)
        pts.push_back({cx, cy});
    DrawShape(std::move(pts), true, true);
}

void CQxImageWMFPlayer::LineTo(double x, double y)
{
    if (m_inPath) {
        if (m_path.empty() || m_pathClosed.back()) {
            m_path.push_back({{m_dc.curX, m_dc.curY}});
            m_pathClosed.push_back(false);
        }
        m_path.back().push_back({x, y});
    } else if (m_dc.pen.style != 5) {
        const QxPointF a = Map(m_dc.curX, m_dc.curY);
        const QxPointF b = Map(x, y);
        m_canvas.StrokePolyline({a, b}, false, m_dc.pen.color, MapWidth(m_dc.pen.width));
    }
    m_dc.curX = x;
    m_dc.curY = y;
}

std::vector<QxPointF> CQxImageWMFPlayer::Bezier(const std::vector<QxPointF>& pts, bool startAtCurrent)
{
    std::vector<QxPointF> ctl;
    if (startAtCurrent)
        ctl.push_back({m_dc.curX, m_dc.curY});
    ctl.insert(ctl.end(), pts.begin(), pts.end());
    std::vector<QxPointF> out;
    if (ctl.empty())
        return out;
    // Points made here are paid for like pixels, so records cannot multiply them for free.
    if (!m_canvas.Charge(ctl.size() / 3 * 16 + 1))
        return out;
    out.push_back(ctl[0]);
    for (size_t i = 0; i + 3 < ctl.size(); i += 3) {
        const QxPointF& p0 = ctl[i];
        const QxPointF& p1 = ctl[i + 1];
        const QxPointF& p2 = ctl[i + 2];
        const QxPointF& p3 = ctl[i + 3];
        for (int k = 1; k <= 16; ++k) {
            const double t = k / 16.0;
            const double u = 1 - t;
            out.push_back({u * u * u * p0.x + 3 * u * u * t * p1.x + 3 * u * t * t * p2.x + t * t * t * p3.x,
                           u * u * u * p0.y + 3 * u * u * t * p1.y + 3 * u * t * t * p2.y + t * t * t * p3.y});
        }
    }
    return out;
}

void CQxImageWMFPlayer::DrawDib(const BYTE* bmi, size_t bmiSize, const BYTE* bits, size_t bitsSize, int srcX,
                                int srcY, int srcW, int srcH, double dstX, double dstY, double dstW, double dstH,
                                DWORD rop, bool srcFromTop)
{
    if (rop == kRopBlackness || rop == kRopWhiteness || rop == kRopPatCopy) {
        const Brush saved = m_dc.brush;
        if (rop != kRopPatCopy)
            m_dc.brush = Brush{0, rop == kRopBlackness ? 0u : 0xFFFFFFu, 0};
        FillRectWithBrush(dstX, dstY, dstX + dstW, dstY + dstH);
        m_dc.brush = saved;
        return;
    }
    if (bmi == nullptr || bmiSize < 12)
        return;
    // A bare info header with its colour table, the pixels right behind.
    std::vector<BYTE> dib(bmi, bmi + bmiSize);
    if (bits != nullptr)
        dib.insert(dib.end(), bits, bits + bitsSize);
    CQxMemFile file(dib.data(), static_cast<DWORD>(dib.size()));
    CQxImageBMP bmp;
    if (!bmp.Decode(&file) || !bmp.IsValid() ||
        !m_canvas.Charge(static_cast<uint64_t>(bmp.GetWidth()) * bmp.GetHeight()))
        return;
    if (srcFromTop) {
        const int64_t y = static_cast<int64_t>(bmp.GetHeight()) - srcY - std::llabs(static_cast<int64_t>(srcH));
        srcY = static_cast<int>(std::clamp<int64_t>(y, INT32_MIN + 1, INT32_MAX));
    }
    const QxPointF a = Map(dstX, dstY);
    const QxPointF b = Map(dstX + dstW, dstY + dstH);
    m_canvas.DrawBitmap(bmp, srcX, srcY, srcW, srcH, a.x, a.y, b.x - a.x, b.y - a.y);
}

// ------------------------------------------------------------ EMF

void CQxImageWMFPlayer::PlayEmf(const BYTE* data, size_t size)
{
    m_emf = true;
    const Reader h{data, size};
    if (size < 88)
        return;
    const double bl = h.I32(8), bt = h.I32(12), br = h.I32(16), bb = h.I32(20);
    const double fl = h.I32(24), ft = h.I32(28), fr = h.I32(32), fb = h.I32(36);
    const double devCx = h.I32(72), devCy = h.I32(76), mmCx = h.I32(80), mmCy = h.I32(84);
    if (devCx > 0 && mmCx > 0)
        m_devPxPerMmX = devCx / mmCx;
    if (devCy > 0 && mmCy > 0)
        m_devPxPerMmY = devCy / mmCy;
    m_maxObjects = std::min<size_t>(std::max<size_t>(h.U32(56) & 0xFFFF, 1), kMaxObjects);
    m_objects.assign(1, Object{});  // handle 0 is the metafile itself
    m_objects[0].kind = 3;
    // The picture frame (hundredths of a millimetre) in reference-device
    // pixels fills the canvas; without one, the bounds (whose width and
    // height give the picture's size) do.
    double x0 = fl * m_devPxPerMmX / 100;
    double y0 = ft * m_devPxPerMmY / 100;
    double x1 = fr * m_devPxPerMmX / 100;
    double y1 = fb * m_devPxPerMmY / 100;
    if (!(x1 > x0) || !(y1 > y0)) {
        x0 = bl;
        y0 = bt;
        x1 = br;
        y1 = bb;
    }
    if (!(x1 > x0) || !(y1 > y0))
        return;
    m_devScaleX = m_canvas.Width() / (x1 - x0);
    m_devScaleY = m_canvas.Height() / (y1 - y0);
    m_devOffX = -x0 * m_devScaleX;
    m_devOffY = -y0 * m_devScaleY;

    size_t pos = 0;
    while (pos + 8 <= size && !m_canvas.BudgetExceeded()) {
        const unsigned type = QxGetLE32(data + pos);
        const size_t recSize = QxGetLE32(data + pos + 4);
        if (recSize < 8 || recSize > size - pos || (recSize & 3) != 0)
            break;
        if (type == 14)  // EMR_EOF
            break;
        PlayEmfRecord(type, data + pos, recSize);
        pos += recSize;
    }
}

void CQxImageWMFPlayer::PlayEmfRecord(unsigned type, const BYTE* rec, size_t size)
{
    const Reader r{rec, size};
    auto points32 = [&](size_t countOff, size_t ptsOff) {
        std::vector<QxPointF> pts;
        const size_t count = std::min<size_t>(r.U32(countOff), size > ptsOff ? (size - ptsOff) / 8 : 0);
        for (size_t i = 0; i < count; ++i)
            pts.push_back({static_cast<double>(r.I32(ptsOff + 8 * i)), static_cast<double>(r.I32(ptsOff + 8 * i + 4))});
        return pts;
    };
    auto points16 = [&](size_t countOff, size_t ptsOff) {
        std::vector<QxPointF> pts;
        const size_t count = std::min<size_t>(r.U32(countOff), size > ptsOff ? (size - ptsOff) / 4 : 0);
        for (size_t i = 0; i < count; ++i)
            pts.push_back({static_cast<double>(r.I16(ptsOff + 4 * i)), static_cast<double>(r.I16(ptsOff + 4 * i + 2))});
        return pts;
    };
    auto polyPoly = [&](bool wide) {
        std::vector<std::vector<QxPointF>> figs;
        const size_t n = r.U32(8 + 16);
        const size_t total = r.U32(28);
        const size_t countsOff = 32;
        const size_t ptSize = wide ? 8 : 4;
        // A record too short for its own header holds no figure (and must not
        // make the bounds below wrap).
        if (size < countsOff || n > (size - countsOff) / 4)
            return figs;
        size_t ptsOff = countsOff + 4 * n;
        if (total > (size - ptsOff) / ptSize)
            return figs;
        size_t used = 0;
        for (size_t i = 0; i < n; ++i) {
            const size_t c = r.U32(countsOff + 4 * i);
            if (c > total - used)
                break;
            std::vector<QxPointF> f;
            for (size_t k = 0; k < c; ++k, ++used) {
                const size_t o = ptsOff + ptSize * used;
                f.push_back(wide ? QxPointF{static_cast<double>(r.I32(o)), static_cast<double>(r.I32(o + 4))}
                                 : QxPointF{static_cast<double>(r.I16(o)), static_cast<double>(r.I16(o + 2))});
            }
            figs.push_back(std::move(f));
        }
        return figs;
    };
    auto appendTo = [&](const std::vector<QxPointF>& pts) {
        for (const auto& p : pts)
            LineTo(p.x, p.y);
    };
    auto dib = [&](size_t offBmi, size_t cbBmi, size_t offBits, size_t cbBits, const BYTE*& bmi, size_t& bmiSize,
                   const BYTE*& bits, size_t& bitsSize) {
        bmi = nullptr;
        bits = nullptr;
        bmiSize = bitsSize = 0;
        if (cbBmi > 0 && offBmi <= size && cbBmi <= size - offBmi) {
            bmi = rec + offBmi;
            bmiSize = cbBmi;
        }
        if (cbBits > 0 && offBits <= size && cbBits <= size - offBits) {
            bits = rec + offBits;
            bitsSize = cbBits;
        }
    };

    switch (type) {
    case 1: break;  // header
    case 2: case 85: {  // POLYBEZIER(16)
        const auto pts = type == 2 ? points32(24, 28) : points16(24, 28);
        DrawPolyline(Bezier(pts, false));
        break;
    }
    case 3: case 86:  // POLYGON(16)
        DrawShape(type == 3 ? points32(24, 28) : points16(24, 28), true, true);
        break;
    case 4: case 87:  // POLYLINE(16)
        DrawPolyline(type == 4 ? points32(24, 28) : points16(24, 28));
        break;
    case 5: case 88: {  // POLYBEZIERTO(16)
        const auto pts = Bezier(type == 5 ? points32(24, 28) : points16(24, 28), true);
        if (pts.size() > 1)
            appendTo(std::vector<QxPointF>(pts.begin() + 1, pts.end()));
        break;
    }
    case 6: case 89:  // POLYLINETO(16)
        appendTo(type == 6 ? points32(24, 28) : points16(24, 28));
        break;
    case 7: case 90:  // POLYPOLYLINE(16)
        for (const auto& f : polyPoly(type == 7))
            DrawPolyline(f);
        break;
    case 8: case 91:  // POLYPOLYGON(16)
        DrawPolyPolygon(polyPoly(type == 8));
        break;
    case 9: m_dc.winExtX = r.I32(8); m_dc.winExtY = r.I32(12); break;
    case 10: m_dc.winOrgX = r.I32(8); m_dc.winOrgY = r.I32(12); break;
    case 11: m_dc.vpExtX = r.I32(8); m_dc.vpExtY = r.I32(12); break;
    case 12: m_dc.vpOrgX = r.I32(8); m_dc.vpOrgY = r.I32(12); break;
    case 15: {  // SETPIXELV
        const QxPointF p = Map(r.I32(8), r.I32(12));
        m_canvas.SetPixel(PixelCoord(p.x), PixelCoord(p.y), r.U32(16) & 0xFFFFFF);
        break;
    }
    case 17: m_dc.mapMode = r.I32(8); break;
    case 18: m_dc.bkMode = r.I32(8); break;
    case 19: m_dc.fillMode = r.I32(8); break;
    case 25: m_dc.bkColor = r.U32(8) & 0xFFFFFF; break;
    case 27: {  // MOVETOEX
        m_dc.curX = r.I32(8);
        m_dc.curY = r.I32(12);
        if (m_inPath) {
            m_path.push_back({{m_dc.curX, m_dc.curY}});
            m_pathClosed.push_back(false);
        }
        break;
    }
    case 31: case 32: {  // SCALEVIEWPORTEXTEX, SCALEWINDOWEXTEX
        double& ex = type == 31 ? m_dc.vpExtX : m_dc.winExtX;
        double& ey = type == 31 ? m_dc.vpExtY : m_dc.winExtY;
        ex = SafeDiv(ex * r.I32(8), r.I32(12));
        ey = SafeDiv(ey * r.I32(16), r.I32(20));
        break;
    }
    case 33:  // SAVEDC
        if (m_saved.size() < kMaxSavedStates)
            m_saved.push_back(m_dc);
        break;
    case 34: {  // RESTOREDC
        const int32_t rel = r.I32(8);
        if (rel < 0 && static_cast<size_t>(-static_cast<int64_t>(rel)) <= m_saved.size()) {
            m_saved.resize(m_saved.size() - static_cast<size_t>(-static_cast<int64_t>(rel)) + 1);
            m_dc = m_saved.back();
            m_saved.pop_back();
        } else if (rel > 0 && static_cast<size_t>(rel) <= m_saved.size()) {
            m_saved.resize(static_cast<size_t>(rel));
            m_dc = m_saved.back();
            m_saved.pop_back();
        }
        break;
    }
    case 35: {  // SETWORLDTRANSFORM
        m_dc.xform = Xform{r.F32(8), r.F32(12), r.F32(16), r.F32(20), r.F32(24), r.F32(28)};
        break;
    }
    case 36: {  // MODIFYWORLDTRANSFORM
        const Xform x{r.F32(8), r.F32(12), r.F32(16), r.F32(20), r.F32(24), r.F32(28)};
        const Xform& c = m_dc.xform;
        auto mul = [](const Xform& a, const Xform& b) {  // a then b
            return Xform{a.m11 * b.m11 + a.m12 * b.m21, a.m11 * b.m12 + a.m12 * b.m22,
                         a.m21 * b.m11 + a.m22 * b.m21, a.m21 * b.m12 + a.m22 * b.m22,
                         a.dx * b.m11 + a.dy * b.m21 + b.dx, a.dx * b.m12 + a.dy * b.m22 + b.dy};
        };
        switch (r.U32(32)) {
        case 1: m_dc.xform = Xform{}; break;
        case 2: m_dc.xform = mul(x, c); break;
        case 3: m_dc.xform = mul(c, x); break;
        case 4: m_dc.xform = x; break;
        default: break;
        }
        break;
    }
    case 37: SelectObject(r.U32(8)); break;
    case 38: case 95: {  // CREATEPEN, EXTCREATEPEN
        const uint32_t ih = r.U32(8);
        Object o;
        o.kind = 1;
        if (type == 38) {
            o.pen.style = r.I32(12) & 0xF;
            o.pen.width = r.I32(16);
            o.pen.color = r.U32(24) & 0xFFFFFF;
        } else {
            o.pen.style = r.I32(28) & 0xF;
            o.pen.width = (r.I32(28) & 0x10000) ? r.I32(32) : 0;  // geometric pens have a width
            o.pen.color = r.U32(40) & 0xFFFFFF;
            if (r.U32(36) == 1)
                o.pen.style = 5;  // null brush: nothing drawn
        }
        if (ih > 0 && ih < m_maxObjects) {
            if (ih >= m_objects.size())
                m_objects.resize(ih + 1);
            m_objects[ih] = o;
        }
        break;
    }
    case 39: case 93: case 94: {  // CREATEBRUSHINDIRECT, CREATEMONOBRUSH, CREATEDIBPATTERNBRUSHPT
        const uint32_t ih = r.U32(8);
        Object o;
        o.kind = 2;
        if (type == 39) {
            o.brush.style = r.I32(12);
            o.brush.color = r.U32(16) & 0xFFFFFF;
            o.brush.hatch = r.I32(20);
        } else {
            o.brush.style = 3;
            Skip(type);
        }
        if (ih > 0 && ih < m_maxObjects) {
            if (ih >= m_objects.size())
                m_objects.resize(ih + 1);
            m_objects[ih] = o;
        }
        break;
    }
    case 49: case 82: {  // CREATEPALETTE, EXTCREATEFONTINDIRECTW: hold their handle only
        const uint32_t ih = r.U32(8);
        if (ih > 0 && ih < m_maxObjects) {
            if (ih >= m_objects.size())
                m_objects.resize(ih + 1);
            m_objects[ih] = Object{};
            m_objects[ih].kind = 3;
        }
        break;
    }
    case 40: DeleteObject(r.U32(8)); break;
    case 42: DrawEllipse(r.I32(8), r.I32(12), r.I32(16), r.I32(20)); break;
    case 43: DrawRect(r.I32(8), r.I32(12), r.I32(16), r.I32(20)); break;
    case 44: DrawRoundRect(r.I32(8), r.I32(12), r.I32(16), r.I32(20), r.I32(24), r.I32(28)); break;
    case 45: case 46: case 47:  // ARC, CHORD, PIE
        DrawArc(r.I32(8), r.I32(12), r.I32(16), r.I32(20), r.I32(24), r.I32(28), r.I32(32), r.I32(36), type - 45);
        break;
    case 54: LineTo(r.I32(8), r.I32(12)); break;
    case 55:  // ARCTO
        DrawArc(r.I32(8), r.I32(12), r.I32(16), r.I32(20), r.I32(24), r.I32(28), r.I32(32), r.I32(36), 3);
        break;
    case 57: m_dc.clockwise = r.I32(8) == 2; break;  // SETARCDIRECTION
    case 41: {  // ANGLEARC: centre, radius, start and sweep angles in degrees
        const double cx = r.I32(8);
        const double cy = r.I32(12);
        const double rad = r.U32(16);
        const double start = r.F32(20) * M_PI / 180;
        const double sweep = std::clamp(static_cast<double>(r.F32(24)), -3600.0, 3600.0) * M_PI / 180;
        const int n = std::clamp(static_cast<int>(std::fabs(sweep) * 16), 2, 720);
        if (!m_canvas.Charge(static_cast<uint64_t>(n)))
            break;
        for (int i = 0; i <= n; ++i) {
            const double a = start + sweep * i / n;
            LineTo(cx + rad * std::cos(a), cy - rad * std::sin(a));
        }
        break;
    }
    case 59:  // BEGINPATH
        m_inPath = true;
        m_path.clear();
        m_pathClosed.clear();
        break;
    case 60: m_inPath = false; break;  // ENDPATH
    case 61:  // CLOSEFIGURE
        if (!m_pathClosed.empty())
            m_pathClosed.back() = true;
        break;
    case 68:  // ABORTPATH
        m_inPath = false;
        m_path.clear();
        m_pathClosed.clear();
        break;
    case 62: case 63: case 64: {  // FILLPATH, STROKEANDFILLPATH, STROKEPATH
        m_inPath = false;
        std::vector<std::vector<QxPointF>> dev;
        for (const auto& f : m_path) {
            std::vector<QxPointF> d;
            for (const auto& p : f)
                d.push_back(Map(p.x, p.y));
            dev.push_back(std::move(d));
        }
        if (type != 64 && m_dc.brush.style != 1)
            m_canvas.FillPolygons(dev, CurrentFill(), m_dc.fillMode == 2);
        if (type != 62 && m_dc.pen.style != 5)
            for (size_t i = 0; i < dev.size(); ++i)
                m_canvas.StrokePolyline(dev[i], m_pathClosed[i], m_dc.pen.color, MapWidth(m_dc.pen.width));
        m_path.clear();
        m_pathClosed.clear();
        break;
    }
    case 76: case 77: {  // BITBLT, STRETCHBLT
        const double x = r.I32(24), y = r.I32(28), w = r.I32(32), hgt = r.I32(36);
        const DWORD rop = r.U32(40);
        const int sx = r.I32(44), sy = r.I32(48);
        const BYTE* bmi;
        const BYTE* bits;
        size_t bmiSize;
        size_t bitsSize;
        dib(r.U32(84), r.U32(88), r.U32(92), r.U32(96), bmi, bmiSize, bits, bitsSize);
        const int sw = type == 77 ? r.I32(100) : static_cast<int>(w);
        const int sh = type == 77 ? r.I32(104) : static_cast<int>(hgt);
        if (bmi == nullptr) {
            const Brush saved = m_dc.brush;
            if (rop == kRopBlackness || rop == kRopWhiteness)
                m_dc.brush = Brush{0, rop == kRopBlackness ? 0u : 0xFFFFFFu, 0};
            FillRectWithBrush(x, y, x + w, y + hgt);
            m_dc.brush = saved;
        } else {
            // The source rectangle is counted from the top of the bitmap here.
            DrawDib(bmi, bmiSize, bits, bitsSize, sx, sy, sw, sh, x, y, w, hgt, rop, true);
        }
        break;
    }
    case 81: {  // STRETCHDIBITS
        const BYTE* bmi;
        const BYTE* bits;
        size_t bmiSize;
        size_t bitsSize;
        dib(r.U32(48), r.U32(52), r.U32(56), r.U32(60), bmi, bmiSize, bits, bitsSize);
        DrawDib(bmi, bmiSize, bits, bitsSize, r.I32(32), r.I32(36), r.I32(40), r.I32(44), r.I32(8 + 16),
                r.I32(12 + 16), r.I32(72), r.I32(76), r.U32(68), false);
        break;
    }
    // State without a visible effect here.
    case 13: case 16: case 20: case 21: case 22: case 24: case 48: case 52: case 58: case 70: case 98: case 115:
        break;
    default:
        Skip(type);
        break;
    }
}

// ------------------------------------------------------------ WMF

void CQxImageWMFPlayer::PlayWmf(const BYTE* data, size_t size, int objectCount, int left, int top, int right,
                                int bottom)
{
    m_emf = false;
    m_maxObjects = std::min<size_t>(static_cast<size_t>(std::max(objectCount, 0)), kMaxObjects);
    m_objects.clear();
    m_freeSlots.clear();
    m_dc.winOrgX = left;
    m_dc.winOrgY = top;
    m_dc.winExtX = right - left;
    m_dc.winExtY = bottom - top;
    size_t pos = 0;
    while (pos + 6 <= size && !m_canvas.BudgetExceeded()) {
        const uint64_t words = QxGetLE32(data + pos);
        const unsigned func = QxGetLE16(data + pos + 4);
        if (words < 3 || words * 2 > size - pos)
            break;
        if (func == 0)
            break;
        PlayWmfRecord(func, data + pos + 6, static_cast<size_t>(words - 3));
        pos += static_cast<size_t>(words * 2);
    }
}

void CQxImageWMFPlayer::PlayWmfRecord(unsigned func, const BYTE* params, size_t words)
{
    const Reader r{params, words * 2};
    auto P = [&](size_t i) -> double { return r.I16(2 * i); };
    auto color = [&](size_t i) -> COLORREF { return r.U32(2 * i) & 0xFFFFFF; };
    switch (func) {
    case 0x0201: m_dc.bkColor = color(0); break;
    case 0x0102: m_dc.bkMode = static_cast<int>(P(0)); break;
    case 0x0103: m_dc.mapMode = static_cast<int>(P(0)); break;
    case 0x0106: m_dc.fillMode = static_cast<int>(P(0)); break;
    case 0x020B: m_dc.winOrgY = P(0); m_dc.winOrgX = P(1); break;
    case 0x020C: m_dc.winExtY = P(0); m_dc.winExtX = P(1); break;
    case 0x020F: m_dc.winOrgY += P(0); m_dc.winOrgX += P(1); break;
    case 0x0410:
        m_dc.winExtY = SafeDiv(m_dc.winExtY * P(1), P(0));
        m_dc.winExtX = SafeDiv(m_dc.winExtX * P(3), P(2));
        break;
    case 0x0214: m_dc.curY = P(0); m_dc.curX = P(1); break;
    case 0x0213: LineTo(P(1), P(0)); break;
    case 0x041B: DrawRect(P(3), P(2), P(1), P(0)); break;
    case 0x0418: DrawEllipse(P(3), P(2), P(1), P(0)); break;
    case 0x061C: DrawRoundRect(P(5), P(4), P(3), P(2), P(1), P(0)); break;
    case 0x0817: case 0x0830: case 0x081A:
        DrawArc(P(7), P(6), P(5), P(4), P(3), P(2), P(1), P(0), func == 0x0817 ? 0 : (func == 0x0830 ? 1 : 2));
        break;
    case 0x041F: {
        const QxPointF p = Map(P(3), P(2));
        m_canvas.SetPixel(PixelCoord(p.x), PixelCoord(p.y), color(0));
        break;
    }
    case 0x0324: case 0x0325: {
        const size_t n = std::min<size_t>(static_cast<size_t>(std::max(0.0, P(0))), words > 1 ? (words - 1) / 2 : 0);
        std::vector<QxPointF> pts;
        for (size_t i = 0; i < n; ++i)
            pts.push_back({P(1 + 2 * i), P(2 + 2 * i)});
        if (func == 0x0324)
            DrawShape(std::move(pts), true, true);
        else
            DrawPolyline(pts);
        break;
    }
    case 0x0538: {
        const size_t n = static_cast<size_t>(std::max(0.0, P(0)));
        if (n + 1 > words)
            break;
        std::vector<std::vector<QxPointF>> figs;
        size_t at = 1 + n;
        for (size_t i = 0; i < n; ++i) {
            const size_t c = static_cast<size_t>(std::max(0.0, P(1 + i)));
            if (at + 2 * c > words)
                break;
            std::vector<QxPointF> f;
            for (size_t k = 0; k < c; ++k)
                f.push_back({P(at + 2 * k), P(at + 2 * k + 1)});
            at += 2 * c;
            figs.push_back(std::move(f));
        }
        DrawPolyPolygon(figs);
        break;
    }
    case 0x001E:
        if (m_saved.size() < kMaxSavedStates)
            m_saved.push_back(m_dc);
        break;
    case 0x0127: {
        const int rel = static_cast<int>(P(0));
        if (rel < 0 && static_cast<size_t>(-rel) <= m_saved.size()) {
            m_saved.resize(m_saved.size() - static_cast<size_t>(-rel) + 1);
            m_dc = m_saved.back();
            m_saved.pop_back();
        }
        break;
    }
    case 0x012D: SelectObject(static_cast<unsigned>(r.I16(0) & 0xFFFF)); break;
    case 0x01F0: DeleteObject(static_cast<unsigned>(r.I16(0) & 0xFFFF)); break;
    case 0x02FA: {
        Object o;
        o.kind = 1;
        o.pen.style = static_cast<int>(P(0)) & 0xF;
        o.pen.width = P(1);
        o.pen.color = color(3);
        AddObject(o);
        break;
    }
    case 0x02FC: {
        Object o;
        o.kind = 2;
        o.brush.style = static_cast<int>(P(0));
        o.brush.color = color(1);
        o.brush.hatch = static_cast<int>(P(3));
        AddObject(o);
        break;
    }
    case 0x0142: case 0x01F9: {  // pattern brushes
        Object o;
        o.kind = 2;
        o.brush.style = 3;
        AddObject(o);
        Skip(func);
        break;
    }
    case 0x02FB: case 0x00F7: case 0x06FF: {  // font, palette, region: hold a slot
        Object o;
        o.kind = 3;
        AddObject(o);
        break;
    }
    case 0x0F43: {  // STRETCHDIB
        if (words <= 11)
            break;
        const DWORD rop = r.U32(0);
        DrawDib(params + 22, words * 2 - 22, nullptr, 0, static_cast<int>(P(6)), static_cast<int>(P(5)),
                static_cast<int>(P(4)), static_cast<int>(P(3)), P(10), P(9), P(8), P(7), rop, false);
        break;
    }
    case 0x0B41: {  // DIBSTRETCHBLT
        const DWORD rop = r.U32(0);
        if (words <= 10) {
            DrawDib(nullptr, 0, nullptr, 0, 0, 0, 0, 0, P(8), P(7), P(6), P(5), rop, false);
            break;
        }
        DrawDib(params + 20, words * 2 - 20, nullptr, 0, static_cast<int>(P(5)), static_cast<int>(P(4)),
                static_cast<int>(P(3)), static_cast<int>(P(2)), P(9), P(8), P(7), P(6), rop, true);
        break;
    }
    case 0x0940: {  // DIBBITBLT
        const DWORD rop = r.U32(0);
        if (words <= 8) {
            DrawDib(nullptr, 0, nullptr, 0, 0, 0, 0, 0, P(6), P(5), P(4), P(3), rop, false);
            break;
        }
        DrawDib(params + 16, words * 2 - 16, nullptr, 0, static_cast<int>(P(3)), static_cast<int>(P(2)),
                static_cast<int>(P(5)), static_cast<int>(P(4)), P(7), P(6), P(5), P(4), rop, true);
        break;
    }
    // Viewport and state records without an effect on a picture played into a rectangle.
    case 0x020D: case 0x020E: case 0x0211: case 0x0412: case 0x0104: case 0x0107: case 0x0209: case 0x012E:
    case 0x0234: case 0x0035: case 0x0626: case 0x0231:
        break;
    default:
        Skip(func);
        break;
    }
}
