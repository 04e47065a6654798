#include "imaging/CQxImageTransformSampler.h"

#include "imaging/CQxRect2.h"

#include <cmath>

namespace {

// Coordinates beyond this are treated as far outside before any integer conversion.
constexpr float kFarLimit = 1.0e8f;

bool IsUsable(float v)
{
    return v > -kFarLimit && v < kFarLimit;
}

BYTE ClampChannel(float v)
{
    if (!(v > 0.0f))
        return 0;
    if (v >= 255.0f)
        return 255;
    return static_cast<BYTE>(v);
}

struct Sums {
    float r = 0, g = 0, b = 0, a = 0;
    void Add(const RGBQUAD& c, float w)
    {
        r += c.rgbRed * w;
        g += c.rgbGreen * w;
        b += c.rgbBlue * w;
        a += c.rgbReserved * w;
    }
};

} // namespace

CQxImageTransformSampler::CQxImageTransformSampler(const CQxImage& img, int method, int overflow,
                                                   const RGBQUAD* replacement)
    : m_view(img), m_method(method), m_overflow(overflow)
{
    m_replacement = replacement ? *replacement : QxMakeQuad(255, 255, 255, 0);
    m_overflowColor = m_replacement;
    CQxImage& src = const_cast<CQxImage&>(img);
    if (!src.IsValid())
        return;
    m_fastBilinear = !m_view.HasPalette() && method != 1 && !IsKernelMethod(method);
    m_lastX = static_cast<float>(m_view.Width() - 1);
    m_lastY = static_cast<float>(m_view.Height() - 1);
    const bool hasTransIndex = src.GetTransIndex() >= 0;
    switch (overflow) {
    case 2: // background
        if (hasTransIndex)
            m_overflowColor = src.GetTransColor();
        break;
    case 3: // transparent
        if (m_view.HasAlpha()) {
            m_overflowColor = m_replacement;
            m_overflowColor.rgbReserved = 0;
        } else if (hasTransIndex) {
            m_overflowColor = src.GetTransColor();
        }
        break;
    default:
        break;
    }
}

float CQxImageTransformSampler::Kernel(int method, float x)
{
    switch (method) {
    case 3: return CQxImage::KernelBSpline(x);
    case 4: return CQxImage::KernelCubic(x);
    case 5: return CQxImage::KernelGeneralizedCubic(x, -0.5f);
    case 6: return CQxImage::KernelLanczosSinc(x, 6.0f);
    case 7: return CQxImage::KernelBox(x);
    case 8: return CQxImage::KernelHermite(x);
    case 9: return CQxImage::KernelHamming(x);
    case 10: return CQxImage::KernelSinc(x);
    case 11: return CQxImage::KernelBlackman(x);
    case 12: return CQxImage::KernelBessel(x);
    case 13: return CQxImage::KernelGaussian(x);
    case 14: return CQxImage::KernelQuadratic(x);
    case 15: return CQxImage::KernelMitchell(x);
    case 16: return CQxImage::KernelCatrom(x);
    default: return CQxImage::KernelLinear(x);
    }
}

bool CQxImageTransformSampler::MapOutside(float& x, float& y, int64_t& xi, int64_t& yi) const
{
    if (!MapsCoordinates())
        return false;
    MapCoordinates(x, y);
    if (!IsUsable(x) || !IsUsable(y))
        return false;
    xi = FloorIndex(x);
    yi = FloorIndex(y);
    return true;
}

void CQxImageTransformSampler::MapCoordinates(int64_t& x, int64_t& y) const
{
    const int64_t w = m_view.Width();
    const int64_t h = m_view.Height();
    if (w <= 0 || h <= 0 || m_view.IsInside(x, y))
        return;
    auto map = [this](int64_t c, int64_t size) -> int64_t {
        switch (m_overflow) {
        case 4: { // wrap
            int64_t r = c % size;
            return r < 0 ? r + size : r;
        }
        case 5: // repeat
            return c < 0 ? 0 : (c >= size ? size - 1 : c);
        case 6: // mirror
            if (c < 0)
                return (-c) % size;
            if (c >= size)
                return size - (c % size) - 1;
            return c;
        default:
            return c;
        }
    };
    x = map(x, w);
    y = map(y, h);
}

void CQxImageTransformSampler::MapCoordinates(float& x, float& y) const
{
    const float w = static_cast<float>(m_view.Width());
    const float h = static_cast<float>(m_view.Height());
    if (w <= 0 || h <= 0)
        return;
    if (x >= 0 && y >= 0 && x < w && y < h)
        return;
    auto map = [this](float c, float size) -> float {
        switch (m_overflow) {
        case 4: { // wrap
            float r = std::fmod(c, size);
            if (r < 0)
                r += size;
            return r >= size ? 0.0f : r;
        }
        case 5: // repeat
            return c < 0 ? 0.0f : (c > size - 1 ? size - 1 : c);
        case 6: // mirror
            if (c < 0)
                return std::fmod(-c, size);
            if (c >= size)
                return size - std::fmod(c, size) - 1;
            return c;
        default:
            return c;
        }
    };
    x = map(x, w);
    y = map(y, h);
}

RGBQUAD CQxImageTransformSampler::PixelWithOverflow(int64_t x, int64_t y) const
{
    if (!m_view.IsValid())
        return m_replacement;
    if (m_view.IsInside(x, y))
        return m_view.Color(x, y);
    if (!MapsCoordinates())
        return m_overflowColor;
    MapCoordinates(x, y);
    return m_view.Color(x, y);
}

bool CQxImageTransformSampler::FarOutside(float x, float y, float margin) const
{
    return !(x > -margin && y > -margin && x < m_view.Width() + margin && y < m_view.Height() + margin);
}

RGBQUAD CQxImageTransformSampler::InterpolatedAny(float x, float y) const
{
    if (!m_view.IsValid())
        return m_replacement;
    if (m_method == 1) {
        float fx = x + 0.5f;
        float fy = y + 0.5f;
        if (!IsUsable(fx) || !IsUsable(fy)) {
            if (!MapsCoordinates())
                return m_overflowColor;
            MapCoordinates(x, y);
            if (!IsUsable(x) || !IsUsable(y))
                return m_overflowColor;
            fx = x + 0.5f;
            fy = y + 0.5f;
        }
        return PixelWithOverflow(static_cast<int64_t>(fx), static_cast<int64_t>(fy));
    }
    if (IsKernelMethod(m_method))
        return KernelAt(x, y);
    return Bilinear(x, y);
}

RGBQUAD CQxImageTransformSampler::Bilinear(float x, float y) const
{
    const int64_t w = m_view.Width();
    const int64_t h = m_view.Height();
    bool outside = FarOutside(x, y, 4.0f);
    int64_t xi = 0, yi = 0;
    if (!outside) {
        xi = FloorIndex(x);
        yi = FloorIndex(y);
        outside = xi < -1 || xi >= w || yi < -1 || yi >= h;
    }
    if (outside && !MapOutside(x, y, xi, yi))
        return m_overflowColor;

    if (!m_view.HasPalette() && xi >= 0 && yi >= 0 && xi + 1 < w && yi + 1 < h)
        return BilinearFixed(x, y, xi, yi);

    const float dx = x - static_cast<float>(xi);
    const float dy = y - static_cast<float>(yi);
    Sums s;
    s.Add(PixelWithOverflow(xi, yi), (1 - dx) * (1 - dy));
    s.Add(PixelWithOverflow(xi + 1, yi), dx * (1 - dy));
    s.Add(PixelWithOverflow(xi, yi + 1), (1 - dx) * dy);
    s.Add(PixelWithOverflow(xi + 1, yi + 1), dx * dy);
    return QxMakeQuad(ClampChannel(s.r), ClampChannel(s.g), ClampChannel(s.b),
                      m_view.HasAlpha() ? ClampChannel(s.a) : 0);
}

RGBQUAD CQxImageTransformSampler::KernelAt(float x, float y) const
{
    const int taps = KernelTaps(m_method);
    const int before = KernelBefore(m_method);
    const int64_t w = m_view.Width();
    const int64_t h = m_view.Height();
    bool outside = FarOutside(x, y, static_cast<float>(taps + 2));
    int64_t xi = 0, yi = 0;
    if (!outside) {
        xi = FloorIndex(x);
        yi = FloorIndex(y);
        outside = xi - before + taps <= 0 || xi - before >= w || yi - before + taps <= 0 || yi - before >= h;
    }
    if (outside && !MapOutside(x, y, xi, yi))
        return m_overflowColor;
    float wx[12];
    float wy[12];
    for (int i = 0; i < taps; ++i) {
        wx[i] = Kernel(m_method, static_cast<float>(xi - before + i) - x);
        wy[i] = Kernel(m_method, static_cast<float>(yi - before + i) - y);
    }
    return KernelWithWeights(xi, yi, wx, wy, taps);
}

RGBQUAD CQxImageTransformSampler::KernelWithWeights(int64_t xi, int64_t yi, const float* wx, const float* wy,
                                                    int taps) const
{
    const int before = KernelBefore(m_method);
    const int64_t x0 = xi - before;
    const int64_t y0 = yi - before;
    Sums s;
    const bool direct = !m_view.HasPalette() && x0 >= 0 && y0 >= 0 && x0 + taps <= m_view.Width() &&
                        y0 + taps <= m_view.Height();
    if (direct) {
        const bool alpha = m_view.HasAlpha();
        for (int j = 0; j < taps; ++j) {
            const BYTE* p = m_view.Row(y0 + j) + x0 * 3;
            const BYTE* a = alpha ? m_view.AlphaRow(y0 + j) + x0 : nullptr;
            for (int i = 0; i < taps; ++i, p += 3) {
                const float wt = wx[i] * wy[j];
                s.b += p[0] * wt;
                s.g += p[1] * wt;
                s.r += p[2] * wt;
                if (a)
                    s.a += a[i] * wt;
            }
        }
    } else {
        for (int j = 0; j < taps; ++j)
            for (int i = 0; i < taps; ++i)
                s.Add(PixelWithOverflow(x0 + i, y0 + j), wx[i] * wy[j]);
    }
    return QxMakeQuad(ClampChannel(s.r), ClampChannel(s.g), ClampChannel(s.b),
                      m_view.HasAlpha() ? ClampChannel(s.a) : 0);
}

RGBQUAD CQxImageTransformSampler::AreaInterpolated(float cx, float cy, float w, float h) const
{
    if (w <= 1 && h <= 1)
        return Interpolated(cx, cy);
    const CQxRect2 area(cx - w / 2, cy - h / 2, cx + w / 2, cy + h / 2);
    const float surface = area.Surface();
    if (!(surface > 0) || !IsUsable(area.botLeft.x) || !IsUsable(area.botLeft.y) ||
        !IsUsable(area.topRight.x) || !IsUsable(area.topRight.y))
        return Interpolated(cx, cy);

    const int64_t x0 = static_cast<int64_t>(std::floor(area.botLeft.x + 0.5f));
    const int64_t y0 = static_cast<int64_t>(std::floor(area.botLeft.y + 0.5f));
    const int64_t x1 = static_cast<int64_t>(std::floor(area.topRight.x + 0.5f));
    const int64_t y1 = static_cast<int64_t>(std::floor(area.topRight.y + 0.5f));
    auto unitSquare = [](int64_t px, int64_t py) {
        const float fx = static_cast<float>(px);
        const float fy = static_cast<float>(py);
        return CQxRect2(fx - 0.5f, fy - 0.5f, fx + 0.5f, fy + 0.5f);
    };

    Sums s;
    if (w > 1 && h > 1 && x1 > x0 && y1 > y0) {
        const CQxRect2 first = unitSquare(x0, y0).CrossSection(area);
        const CQxRect2 last = unitSquare(x1, y1).CrossSection(area);
        const float wl = first.Width(), hb = first.Height();
        const float wr = last.Width(), ht = last.Height();
        s.Add(PixelWithOverflow(x0, y0), wl * hb);
        s.Add(PixelWithOverflow(x1, y0), wr * hb);
        s.Add(PixelWithOverflow(x0, y1), wl * ht);
        s.Add(PixelWithOverflow(x1, y1), wr * ht);
        for (int64_t x = x0 + 1; x < x1; ++x) {
            s.Add(PixelWithOverflow(x, y0), hb);
            s.Add(PixelWithOverflow(x, y1), ht);
        }
        for (int64_t y = y0 + 1; y < y1; ++y) {
            s.Add(PixelWithOverflow(x0, y), wl);
            s.Add(PixelWithOverflow(x1, y), wr);
        }
        const bool direct = !m_view.HasPalette() && x0 + 1 >= 0 && y0 + 1 >= 0 && x1 <= m_view.Width() &&
                            y1 <= m_view.Height();
        if (direct) {
            const bool alpha = m_view.HasAlpha();
            for (int64_t y = y0 + 1; y < y1; ++y) {
                const BYTE* p = m_view.Row(y) + (x0 + 1) * 3;
                const BYTE* a = alpha ? m_view.AlphaRow(y) + x0 + 1 : nullptr;
                for (int64_t x = x0 + 1; x < x1; ++x, p += 3) {
                    s.b += p[0];
                    s.g += p[1];
                    s.r += p[2];
                    if (a)
                        s.a += *a++;
                }
            }
        } else {
            for (int64_t y = y0 + 1; y < y1; ++y)
                for (int64_t x = x0 + 1; x < x1; ++x)
                    s.Add(PixelWithOverflow(x, y), 1.0f);
        }
    } else {
        for (int64_t y = y0; y <= y1; ++y) {
            for (int64_t x = x0; x <= x1; ++x) {
                const CQxRect2 part = unitSquare(x, y).CrossSection(area);
                const float partSurface = part.Surface();
                if (partSurface <= 0)
                    continue;
                const CQxPoint2 c = part.Center();
                s.Add(Interpolated(c.x, c.y), partSurface);
            }
        }
    }
    return QxMakeQuad(ClampChannel(s.r / surface), ClampChannel(s.g / surface), ClampChannel(s.b / surface),
                      m_view.HasAlpha() ? ClampChannel(s.a / surface) : 0);
}
