// Quarter and half turns, and rotation by any angle.
#include "imaging/CQxImage.h"
#include "imaging/CQxImageTransformNearest.h"
#include "imaging/CQxImageTransformSampler.h"
#include "imaging/CQxPoint2.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr int64_t kTile = 64;
constexpr double kPi = 3.141592653589793;

// Source position of destination pixel (x, y) in a quarter turn:
// (x0 + xx x + xy y, y0 + yx x + yy y).
struct QuarterMap {
    int64_t x0, xx, xy;
    int64_t y0, yx, yy;
};

// One tile of destination rows ty .. yEnd - 1, columns tx .. xEnd - 1.
template <int Bpp>
void CopyTile(const CQxImageTransformView& src, const CQxImageTransformView& dst, const QuarterMap& m, int64_t tx,
              int64_t xEnd, int64_t ty, int64_t yEnd)
{
    const BYTE* bits = src.Row(0);
    const int64_t eff = src.EffWidth();
    const BYTE* alpha = src.Alpha();
    const int64_t alphaWidth = src.Width();
    for (int64_t y = ty; y < yEnd; ++y) {
        const int64_t sx = m.x0 + m.xx * tx + m.xy * y;
        const int64_t sy = m.y0 + m.yx * tx + m.yy * y;
        BYTE* d = dst.Row(y);
        if constexpr (Bpp == 24 || Bpp == 8) {
            constexpr int64_t bytes = Bpp / 8;
            const int64_t step = m.yx * eff + m.xx * bytes;
            int64_t at = sy * eff + sx * bytes;
            BYTE* dp = d + tx * bytes;
            for (int64_t x = tx; x < xEnd; ++x, at += step, dp += bytes) {
                dp[0] = bits[at];
                if constexpr (Bpp == 24) {
                    dp[1] = bits[at + 1];
                    dp[2] = bits[at + 2];
                }
            }
        } else {
            int64_t px = sx, py = sy;
            for (int64_t x = tx; x < xEnd; ++x, px += m.xx, py += m.yx)
                QxRowSetIndex(d, Bpp, x, QxRowGetIndex(bits + py * eff, Bpp, px));
        }
        if (alpha) {
            BYTE* da = dst.AlphaRow(y);
            const int64_t step = m.yx * alphaWidth + m.xx;
            int64_t at = sy * alphaWidth + sx;
            for (int64_t x = tx; x < xEnd; ++x, at += step)
                da[x] = alpha[at];
        }
    }
}

// Copies every destination pixel from its source pixel, walking the destination in
// 64 x 64 tiles so that the source rows a tile reads stay in cache. progress(done,
// total) is called per tile column and returns false to cancel.
template <class Progress>
bool CopyTiled(const CQxImageTransformView& src, const CQxImageTransformView& dst, const QuarterMap& m,
               Progress progress)
{
    const int64_t width = dst.Width();
    const int64_t height = dst.Height();
    for (int64_t tx = 0; tx < width; tx += kTile) {
        if (!progress(tx, width))
            return false;
        const int64_t xEnd = std::min(tx + kTile, width);
        for (int64_t ty = 0; ty < height; ty += kTile) {
            const int64_t yEnd = std::min(ty + kTile, height);
            switch (src.Bpp()) {
            case 24: CopyTile<24>(src, dst, m, tx, xEnd, ty, yEnd); break;
            case 8: CopyTile<8>(src, dst, m, tx, xEnd, ty, yEnd); break;
            case 4: CopyTile<4>(src, dst, m, tx, xEnd, ty, yEnd); break;
            default: CopyTile<1>(src, dst, m, tx, xEnd, ty, yEnd); break;
            }
        }
    }
    return true;
}

} // namespace

bool CQxImage::RotateQuarter(bool clockwise, CQxImage* iDst)
{
    if (!IsValid())
        return false;
    CQxImage work;
    if (!TransformCreateWork(work, GetHeight(), GetWidth(), GetBpp(), true))
        return false;
    if (m_pAlpha && !work.AlphaCreate())
        return false;
    const CQxImageTransformView src(*this);
    const CQxImageTransformView dst(work);
    // Right: destination (x, y) takes source (new height - 1 - y, x).
    // Left: destination (x, y) takes source (y, new width - 1 - x).
    const QuarterMap map = clockwise ? QuarterMap{dst.Height() - 1, 0, -1, 0, 1, 0}
                                     : QuarterMap{0, 0, 1, dst.Width() - 1, -1, 0};
    const bool done = CopyTiled(
        src, dst, map,
        [this](int64_t at, int64_t total) {
            SetProgress(static_cast<LONG>(at * 100 / total));
            return GetEscape() <= 0;
        });
    if (!done)
        return false;
    return TransformDeliver(work, iDst);
}

bool CQxImage::RotateLeft(CQxImage* iDst)
{
    return RotateQuarter(false, iDst);
}

bool CQxImage::RotateRight(CQxImage* iDst)
{
    return RotateQuarter(true, iDst);
}

bool CQxImage::Rotate180(CQxImage* iDst)
{
    if (!IsValid())
        return false;
    CQxImage work;
    if (!TransformCreateWork(work, GetWidth(), GetHeight(), GetBpp(), true))
        return false;
    if (m_pAlpha && !work.AlphaCreate())
        return false;
    const CQxImageTransformView src(*this);
    const CQxImageTransformView dst(work);
    const int64_t width = src.Width();
    const int64_t height = src.Height();
    const int bpp = src.Bpp();
    for (int64_t y = 0; y < height; ++y) {
        SetProgress(static_cast<LONG>(y * 100 / height));
        if (GetEscape() > 0)
            return false;
        QxRowReverse(src.Row(y), dst.Row(height - 1 - y), bpp, width);
    }
    if (src.HasAlpha()) {
        const BYTE* a = src.Alpha();
        std::reverse_copy(a, a + width * height, dst.Alpha());
    }
    return TransformDeliver(work, iDst);
}

bool CQxImage::Rotate(float angle, CQxImage* iDst)
{
    if (!IsValid() || !std::isfinite(angle))
        return false;
    const double ang = -static_cast<double>(angle) * (kPi / 2) / 90;
    const double c = std::cos(ang);
    const double s = std::sin(ang);
    const double width = GetWidth();
    const double height = GetHeight();

    const double cx[4] = {0, width, 0, width - 1};
    const double cy[4] = {0, 0, height, height};
    int64_t minX = INT64_MAX, minY = INT64_MAX, maxX = INT64_MIN, maxY = INT64_MIN;
    for (int i = 0; i < 4; ++i) {
        const int64_t x = static_cast<int64_t>(std::floor(cx[i] * c - cy[i] * s));
        const int64_t y = static_cast<int64_t>(std::floor(cx[i] * s + cy[i] * c));
        minX = std::min(minX, x);
        minY = std::min(minY, y);
        maxX = std::max(maxX, x);
        maxY = std::max(maxY, y);
    }
    const int64_t newWidth = maxX + 2 - minX;
    const int64_t newHeight = maxY + 2 - minY;

    CQxImage work;
    if (!TransformCreateWork(work, newWidth, newHeight, GetBpp(), true))
        return false;
    if (m_pAlpha) {
        if (!work.AlphaCreate())
            return false;
        work.AlphaClear();
    }
    const CQxImageTransformView src(*this);
    const CQxImageTransformView dst(work);
    const int bpp = src.Bpp();
    const bool palette = src.HasPalette();
    const RGBQUAD outside = src.OutsideColor();
    const BYTE outsideIndex = src.OutsideIndex();

    for (int64_t y = minY; y < maxY + 2; ++y) {
        const int64_t row = y - minY;
        SetProgress(static_cast<LONG>(row * 100 / newHeight));
        if (GetEscape() > 0)
            return false;
        BYTE* d = dst.Row(row);
        BYTE* da = dst.HasAlpha() ? dst.AlphaRow(row) : nullptr;
        for (int64_t x = minX; x < maxX + 2; ++x) {
            const int64_t col = x - minX;
            const int64_t sx = static_cast<int64_t>(x * c + y * s - 0.5);
            const int64_t sy = static_cast<int64_t>(y * c - x * s - 0.5);
            const bool inside = src.IsInside(sx, sy);
            if (palette) {
                QxRowSetIndex(d, bpp, col, inside ? src.Index(sx, sy) : outsideIndex);
            } else {
                BYTE* dp = d + col * 3;
                if (inside) {
                    const BYTE* sp = src.Row(sy) + sx * 3;
                    dp[0] = sp[0];
                    dp[1] = sp[1];
                    dp[2] = sp[2];
                } else {
                    dp[0] = outside.rgbBlue;
                    dp[1] = outside.rgbGreen;
                    dp[2] = outside.rgbRed;
                }
            }
            if (da)
                da[col] = inside ? src.AlphaRow(sy)[sx] : 0;
        }
    }
    return TransformDeliver(work, iDst);
}

bool CQxImage::Rotate2(float angle, CQxImage* iDst, InterpolationMethod inMethod, OverflowMethod ofMethod,
                       RGBQUAD* replColor, bool optimizeRightAngles, bool bKeepOriginalSize)
{
    if (!IsValid() || !std::isfinite(angle))
        return false;
    const double ang = -static_cast<double>(angle) * (kPi / 2) / 90;
    const float c = static_cast<float>(std::cos(ang));
    const float s = static_cast<float>(std::sin(ang));
    const float width = static_cast<float>(GetWidth());
    const float height = static_cast<float>(GetHeight());

    CQxPoint2 corners[4] = {CQxPoint2(-0.5f, -0.5f), CQxPoint2(width - 0.5f, -0.5f), CQxPoint2(-0.5f, height - 0.5f),
                            CQxPoint2(width - 0.5f, height - 0.5f)};
    if (!bKeepOriginalSize) {
        for (CQxPoint2& p : corners)
            p = CQxPoint2(p.x * c - p.y * s, p.x * s + p.y * c);
        if (optimizeRightAngles) {
            const CQxPoint2& last = corners[3];
            if (last.Distance(height - 0.5f, 0.5f - width) < 0.25f)
                return RotateRight(iDst);
            if (last.Distance(0.5f - height, width - 0.5f) < 0.25f)
                return RotateLeft(iDst);
            if (last.Distance(0.5f - width, 0.5f - height) < 0.25f)
                return Rotate180(iDst);
            if (last.Distance(width - 0.5f, height - 0.5f) < 0.25f) {
                if (iDst && iDst != this) {
                    iDst->Copy(*this, true, true, true);
                    return iDst->IsValid();
                }
                return true;
            }
        }
    }

    float minX = corners[0].x, maxX = corners[0].x, minY = corners[0].y, maxY = corners[0].y;
    for (const CQxPoint2& p : corners) {
        minX = std::min(minX, p.x);
        maxX = std::max(maxX, p.x);
        minY = std::min(minY, p.y);
        maxY = std::max(maxY, p.y);
    }
    const int64_t newWidth = static_cast<int64_t>(std::floor(maxX - minX + 0.5f));
    const int64_t newHeight = static_cast<int64_t>(std::floor(maxY - minY + 0.5f));
    float startX = ((maxX + minX) - static_cast<float>(newWidth - 1)) / 2;
    float startY = ((maxY + minY) - static_cast<float>(newHeight - 1)) / 2;
    float shiftX = 0, shiftY = 0;
    if (bKeepOriginalSize) {
        startX -= width / 2;
        startY -= height / 2;
        shiftX = static_cast<float>(newWidth) / 2;
        shiftY = static_cast<float>(newHeight) / 2;
    }

    CQxImage work;
    if (!TransformCreateWork(work, newWidth, newHeight, GetBpp(), true))
        return false;
    if (m_pAlpha && !work.AlphaCreate())
        return false;
    RGBQUAD replacement = replColor ? *replColor : QxMakeQuad(255, 255, 255, 0);
    const CQxImageTransformSampler sampler(*this, inMethod, ofMethod, &replacement);
    const CQxImageTransformView dst(work);
    const bool palette = dst.HasPalette();
    const bool alpha = dst.HasAlpha();
    const int bpp = dst.Bpp();
    CQxImageTransformNearest nearest(work);

    for (int64_t row = 0; row < newHeight; ++row) {
        SetProgress(static_cast<LONG>(row * 100 / newHeight));
        if (GetEscape() > 0)
            return false;
        const float y = startY + static_cast<float>(row);
        BYTE* d = dst.Row(row);
        BYTE* da = alpha ? dst.AlphaRow(row) : nullptr;
        for (int64_t col = 0; col < newWidth; ++col) {
            const float x = startX + static_cast<float>(col);
            const RGBQUAD q = sampler.Interpolated(c * x + s * y + shiftX, c * y - s * x + shiftY);
            QxStoreColor(nearest, palette, bpp, q, d, da, col);
        }
    }
    return TransformDeliver(work, iDst);
}
