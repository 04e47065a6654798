// Crop, expand, skew and circle transform.
#include "imaging/CQxImage.h"
#include "imaging/CQxImageTransformNearest.h"
#include "imaging/CQxImageTransformSampler.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

int64_t Clamp64(int64_t v, int64_t lo, int64_t hi)
{
    return v < lo ? lo : (v > hi ? hi : v);
}

LONG ToLong(int64_t v)
{
    return static_cast<LONG>(Clamp64(v, INT32_MIN, INT32_MAX));
}

// Integer part of a float coordinate; values that do not fit become a point far outside.
int64_t TruncCoordinate(double v)
{
    if (!(v > -1.0e9 && v < 1.0e9))
        return -1;
    return static_cast<int64_t>(v);
}

// Inclusive pixel range of the work area: the selection box, or the whole image.
struct Area {
    int64_t left, bottom, right, top;
};

// Copies source pixel (sx, sy), or the outside colour when it lies outside, to column x
// of destination row d (and its alpha to da when there is one).
inline void CopyNearest(const CQxImageTransformView& src, int64_t sx, int64_t sy, bool palette, int bpp,
                        const RGBQUAD& outside, BYTE* d, BYTE* da, int64_t x)
{
    const bool inside = src.IsInside(sx, sy);
    if (palette) {
        QxRowSetIndex(d, bpp, x, inside ? src.Index(sx, sy) : src.OutsideIndex());
    } else {
        const BYTE* s = inside ? src.Row(sy) + sx * 3 : nullptr;
        BYTE* p = d + x * 3;
        p[0] = s ? s[0] : outside.rgbBlue;
        p[1] = s ? s[1] : outside.rgbGreen;
        p[2] = s ? s[2] : outside.rgbRed;
    }
    if (da)
        da[x] = src.AlphaOrZero(sx, sy);
}

} // namespace

bool CQxImage::Crop(LONG left, LONG top, LONG right, LONG bottom, CQxImage* iDst)
{
    if (!IsValid())
        return false;
    const int64_t width = GetWidth();
    const int64_t height = GetHeight();
    int64_t x0 = Clamp64(left, 0, width);
    int64_t x1 = Clamp64(right, 0, width);
    int64_t y0 = height - Clamp64(bottom, 0, height);
    int64_t y1 = height - Clamp64(top, 0, height);
    if (x0 == x1 || y0 == y1)
        return false;
    if (x0 > x1)
        std::swap(x0, x1);
    if (y0 > y1)
        std::swap(y0, y1);
    const int64_t newWidth = x1 - x0;
    const int64_t newHeight = y1 - y0;

    CQxImage work;
    if (!TransformCreateWork(work, newWidth, newHeight, GetBpp(), false))
        return false;
    work.m_info.nBkgndIndex = m_info.nBkgndIndex;
    work.m_info.nBkgndColor = m_info.nBkgndColor;
    const CQxImageTransformView src(*this);
    const CQxImageTransformView dst(work);
    const int bpp = src.Bpp();
    for (int64_t y = 0; y < newHeight; ++y) {
        SetProgress(static_cast<LONG>(y * 100 / newHeight));
        const BYTE* s = src.Row(y0 + y);
        BYTE* d = dst.Row(y);
        if (bpp >= 8) {
            const int64_t bytes = bpp / 8;
            std::memcpy(d, s + x0 * bytes, static_cast<size_t>(newWidth * bytes));
        } else {
            for (int64_t x = 0; x < newWidth; ++x)
                QxRowSetIndex(d, bpp, x, QxRowGetIndex(s, bpp, x0 + x));
        }
    }
    if (src.HasAlpha()) {
        if (!work.AlphaCreate())
            return false;
        for (int64_t y = 0; y < newHeight; ++y)
            std::memcpy(work.m_pAlpha + y * newWidth, src.AlphaRow(y0 + y) + x0, static_cast<size_t>(newWidth));
    }
    return TransformDeliver(work, iDst);
}

bool CQxImage::Crop(const RECT& rect, CQxImage* iDst)
{
    return Crop(rect.left, rect.top, rect.right, rect.bottom, iDst);
}

bool CQxImage::CropRotatedRectangle(LONG topx, LONG topy, LONG width, LONG height, float angle, CQxImage* iDst)
{
    if (!IsValid() || width <= 0 || height <= 0 || !std::isfinite(angle))
        return false;
    if (std::fabs(angle) < 0.0002f)
        return Crop(topx, topy, ToLong(int64_t{topx} + width), ToLong(int64_t{topy} + height), iDst);
    const double s = std::sin(angle);
    const double c = std::cos(angle);
    const int64_t startX = std::min<int64_t>(topx, topx - static_cast<int64_t>(s * height));
    const int64_t endX = topx + static_cast<int64_t>(c * width);
    const int64_t endY = topy + static_cast<int64_t>(c * height + s * width);
    if (!IsInside(ToLong(startX), topy) || !IsInside(ToLong(endX), ToLong(endY)))
        return false;

    CQxImage work(*this, true, false, true);
    if (!work.IsValid() || (m_pAlpha && !work.m_pAlpha))
        return false;
    work.SetEscape(0);
    if (!work.Crop(ToLong(startX), topy, ToLong(endX), ToLong(endY)))
        return false;
    if (!work.Rotate(static_cast<float>(-angle * 57.29577951308232)) || GetEscape() > 0)
        return false;
    const int64_t nw = work.GetWidth();
    const int64_t nh = work.GetHeight();
    if (!work.Crop(ToLong((nw - width) / 2), ToLong((nh + height) / 2), ToLong((nw + width) / 2),
                   ToLong((nh - height) / 2)))
        return false;
    return TransformDeliver(work, iDst);
}

bool CQxImage::Expand(LONG left, LONG top, LONG right, LONG bottom, RGBQUAD canvascolor, CQxImage* iDst)
{
    if (!IsValid() || left < 0 || top < 0 || right < 0 || bottom < 0)
        return false;
    const int64_t width = GetWidth();
    const int64_t height = GetHeight();
    const int64_t newWidth = width + left + right;
    const int64_t newHeight = height + top + bottom;

    CQxImage work;
    if (!TransformCreateWork(work, newWidth, newHeight, GetBpp(), false))
        return false;
    const CQxImageTransformView src(*this);
    const CQxImageTransformView dst(work);
    const int bpp = src.Bpp();
    const BYTE canvasIndex = src.HasPalette() ? work.GetNearestIndex(canvascolor) : 0;
    for (int64_t y = 0; y < newHeight; ++y) {
        SetProgress(static_cast<LONG>(y * 100 / newHeight));
        BYTE* d = dst.Row(y);
        const int64_t sy = y - bottom;
        const bool sourceRow = sy >= 0 && sy < height;
        if (bpp == 24) {
            BYTE* p = d;
            for (int64_t x = 0; x < newWidth; ++x, p += 3) {
                p[0] = canvascolor.rgbBlue;
                p[1] = canvascolor.rgbGreen;
                p[2] = canvascolor.rgbRed;
            }
            if (sourceRow)
                std::memcpy(d + left * 3, src.Row(sy), static_cast<size_t>(width * 3));
        } else if (bpp == 8) {
            std::memset(d, canvasIndex, static_cast<size_t>(newWidth));
            if (sourceRow)
                std::memcpy(d + left, src.Row(sy), static_cast<size_t>(width));
        } else {
            const BYTE* s = sourceRow ? src.Row(sy) : nullptr;
            for (int64_t x = 0; x < newWidth; ++x) {
                const int64_t sx = x - left;
                const bool inside = s && sx >= 0 && sx < width;
                QxRowSetIndex(d, bpp, x, inside ? QxRowGetIndex(s, bpp, sx) : canvasIndex);
            }
        }
    }
    return TransformDeliver(work, iDst);
}

bool CQxImage::Expand(LONG newx, LONG newy, RGBQUAD canvascolor, CQxImage* iDst)
{
    if (!IsValid())
        return false;
    const int64_t width = GetWidth();
    const int64_t height = GetHeight();
    if (newx < width || newy < height)
        return false;
    const int64_t left = (newx - width) / 2;
    const int64_t right = newx - width - left;
    const int64_t top = (newy - height) / 2;
    const int64_t bottom = newy - height - top;
    return Expand(ToLong(left), ToLong(top), ToLong(right), ToLong(bottom), canvascolor, iDst);
}

bool CQxImage::Skew(float xgain, float ygain, LONG xpivot, LONG ypivot, bool bEnableInterpolation)
{
    if (!IsValid())
        return false;
    // Without a selection every pixel is rewritten, so the pixels need not be copied.
    CQxImage work(*this, m_pSelection != nullptr, true, true);
    if (!work.IsValid() || (m_pSelection && !work.m_pSelection) || (m_pAlpha && !work.m_pAlpha))
        return false;
    const CQxImageTransformSampler sampler(*this, IM_BILINEAR, OM_BACKGROUND, nullptr);
    const CQxImageTransformView& src = sampler.View();
    const CQxImageTransformView dst(work);
    const int64_t width = src.Width();
    const int64_t height = src.Height();
    Area area{0, 0, width - 1, height - 1};
    if (m_pSelection) {
        RECT box{};
        SelectionGetBox(box);
        area = {std::max<int64_t>(0, box.left), std::max<int64_t>(0, box.bottom),
                std::min<int64_t>(width - 1, box.right), std::min<int64_t>(height - 1, box.top)};
    }
    const bool palette = src.HasPalette();
    const int bpp = src.Bpp();
    const RGBQUAD outside = src.OutsideColor();
    CQxImageTransformNearest nearest(work);
    for (int64_t y = area.bottom; y <= area.top; ++y) {
        SetProgress(static_cast<LONG>((y - area.bottom) * 100 / (area.top - area.bottom + 1)));
        if (GetEscape() > 0)
            return false;
        BYTE* d = dst.Row(y);
        BYTE* da = dst.HasAlpha() ? dst.AlphaRow(y) : nullptr;
        for (int64_t x = area.left; x <= area.right; ++x) {
            if (m_pSelection && !m_pSelection[y * width + x])
                continue;
            const float nx = static_cast<float>(x) + xgain * static_cast<float>(y - ypivot);
            const float ny = static_cast<float>(y) + ygain * static_cast<float>(x - xpivot);
            if (bEnableInterpolation) {
                const RGBQUAD q = sampler.Interpolated(nx, ny);
                if (palette) {
                    QxRowSetIndex(d, bpp, x, nearest.Index(q));
                } else {
                    BYTE* p = d + x * 3;
                    p[0] = q.rgbBlue;
                    p[1] = q.rgbGreen;
                    p[2] = q.rgbRed;
                }
                if (da)
                    da[x] = q.rgbReserved;
                continue;
            }
            const int64_t sx = TruncCoordinate(nx);
            const int64_t sy = TruncCoordinate(ny);
            CopyNearest(src, sx, sy, palette, bpp, outside, d, da, x);
        }
    }
    return TransformDeliver(work, nullptr);
}

bool CQxImage::CircleTransform(int type, LONG rmax, float Koeff)
{
    if (!IsValid() || type < 0)
        return false;
    CQxImage work(*this, m_pSelection != nullptr, true, true);
    if (!work.IsValid() || (m_pSelection && !work.m_pSelection) || (m_pAlpha && !work.m_pAlpha))
        return false;
    const CQxImageTransformView src(*this);
    const CQxImageTransformView dst(work);
    const int64_t width = src.Width();
    const int64_t height = src.Height();
    // Box edges as the selection keeps them (right and top one past the last pixel
    // for a whole image).
    int64_t boxLeft = 0, boxBottom = 0, boxRight = width, boxTop = height;
    if (m_pSelection) {
        RECT box{};
        SelectionGetBox(box);
        boxLeft = box.left;
        boxBottom = box.bottom;
        boxRight = box.right;
        boxTop = box.top;
    }
    const int64_t xmid = width / 2;
    const int64_t ymid = height / 2;
    double radius = rmax;
    if (rmax == 0) {
        const double dx = static_cast<double>(xmid - boxLeft);
        const double dy = static_cast<double>(ymid - boxBottom);
        radius = static_cast<double>(static_cast<int64_t>(std::sqrt(dx * dx + dy * dy)));
    }
    const double koeff = Koeff == 0.0f ? 1.0 : static_cast<double>(Koeff);
    const bool palette = src.HasPalette();
    const int bpp = src.Bpp();
    const RGBQUAD outside = src.OutsideColor();
    const int64_t y0 = std::max<int64_t>(0, boxBottom);
    const int64_t y1 = std::min<int64_t>(height - 1, boxTop);
    const int64_t x0 = std::max<int64_t>(0, boxLeft);
    const int64_t x1 = std::min<int64_t>(width - 1, boxRight);

    for (int64_t y = y0; y <= y1; ++y) {
        SetProgress(static_cast<LONG>((y - y0) * 100 / (y1 - y0 + 1)));
        if (GetEscape() > 0)
            return false;
        BYTE* d = dst.Row(y);
        BYTE* da = dst.HasAlpha() ? dst.AlphaRow(y) : nullptr;
        for (int64_t x = x0; x <= x1; ++x) {
            if (m_pSelection && !m_pSelection[y * width + x])
                continue;
            const double nx = static_cast<double>(xmid - x);
            const double ny = static_cast<double>(ymid - y);
            const double r = std::sqrt(nx * nx + ny * ny);
            int64_t sx = -1, sy = -1;
            if (r < radius) {
                double angle = std::atan2(ny, nx);
                if (type <= 2) {
                    double rr = r;
                    if (type == 0)
                        rr = r * r / radius;
                    else if (type == 1)
                        rr = std::sqrt(r * radius);
                    else
                        angle += r / koeff;
                    // Back along the same ray from the centre.
                    sx = xmid - TruncCoordinate(rr * std::cos(angle));
                    sy = ymid - TruncCoordinate(rr * std::sin(angle));
                } else if (type == 3) {
                    sx = TruncCoordinate(std::fabs(static_cast<double>(boxRight) * angle * 0.15915494580678602));
                    sy = TruncCoordinate(std::fabs(static_cast<double>(boxTop) * r / radius));
                } else {
                    sx = x + (x % 32) - 16;
                    sy = y;
                }
            }
            CopyNearest(src, sx, sy, palette, bpp, outside, d, da, x);
        }
    }
    return TransformDeliver(work, nullptr);
}
