// Resampling, quick shrink and thumbnails.
#include "imaging/CQxImage.h"
#include "imaging/CQxImageTransformNearest.h"
#include "imaging/CQxImageTransformSampler.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

BYTE TruncChannel(float v)
{
    if (!(v > 0.0f))
        return 0;
    if (v >= 255.0f)
        return 255;
    return static_cast<BYTE>(v);
}

int64_t ClampIndex(int64_t v, int64_t size)
{
    return v < 0 ? 0 : (v >= size ? size - 1 : v);
}

// Nearest source index for each destination index: truncate(i x scale).
std::vector<int64_t> NearestIndexes(int64_t newSize, float scale, int64_t oldSize)
{
    std::vector<int64_t> map(static_cast<size_t>(newSize));
    for (int64_t i = 0; i < newSize; ++i)
        map[static_cast<size_t>(i)] = ClampIndex(static_cast<int64_t>(static_cast<float>(i) * scale), oldSize);
    return map;
}

// Where each source pixel of one axis goes in a box shrink: into cell `cell` with
// weight `w` (of 1000), and the rest (1000 - w) into the next cell.
struct BoxShare {
    int64_t cell;
    int w;
};

std::vector<BoxShare> BoxShares(int64_t oldSize, int64_t newSize)
{
    std::vector<BoxShare> shares(static_cast<size_t>(oldSize));
    const double scale = static_cast<double>(oldSize) / static_cast<double>(newSize);
    for (int64_t i = 0; i < oldSize; ++i) {
        int64_t cell = static_cast<int64_t>(std::floor(static_cast<double>(i) / scale));
        cell = std::min(cell, newSize - 1);
        const double boundary = static_cast<double>(cell + 1) * scale;
        int w = 1000;
        if (static_cast<double>(i + 1) > boundary && cell + 1 < newSize) {
            w = static_cast<int>(std::lround((boundary - static_cast<double>(i)) * 1000.0));
            w = std::clamp(w, 0, 1000);
        }
        shares[static_cast<size_t>(i)] = {cell, w};
    }
    return shares;
}

// Result of a resampling to the image's own size: a copy into dst, or the image as it is.
bool DeliverUnscaled(const CQxImage& image, CQxImage* dst)
{
    if (dst && dst != &image) {
        dst->Copy(image, true, true, true);
        return dst->IsValid();
    }
    return true;
}

} // namespace

bool CQxImage::Resample(LONG newx, LONG newy, int mode, CQxImage* iDst)
{
    if (!IsValid() || newx <= 0 || newy <= 0)
        return false;
    const int64_t width = GetWidth();
    const int64_t height = GetHeight();
    if (newx == width && newy == height)
        return DeliverUnscaled(*this, iDst);
    const float xScale = static_cast<float>(width) / static_cast<float>(newx);
    const float yScale = static_cast<float>(height) / static_cast<float>(newy);

    CQxImage work;
    if (!TransformCreateWork(work, newx, newy, GetBpp(), true))
        return false;
    const CQxImageTransformView src(*this);
    const CQxImageTransformView dst(work);
    const bool palette = src.HasPalette();
    const int bpp = src.Bpp();
    auto cancelled = [this](int64_t y, int64_t total) {
        SetProgress(static_cast<LONG>(y * 100 / total));
        return GetEscape() > 0;
    };
    CQxImageTransformNearest nearest(work);
    auto writeColor = [&](int64_t y, int64_t x, float r, float g, float b) {
        if (palette) {
            QxRowSetIndex(dst.Row(y), bpp, x, nearest.Index(QxMakeQuad(TruncChannel(r), TruncChannel(g), TruncChannel(b), 0)));
        } else {
            BYTE* p = dst.Row(y) + x * 3;
            p[0] = TruncChannel(b);
            p[1] = TruncChannel(g);
            p[2] = TruncChannel(r);
        }
    };

    if (mode == 1) {
        const std::vector<int64_t> xs = NearestIndexes(newx, xScale, width);
        for (int64_t y = 0; y < newy; ++y) {
            if (cancelled(y, newy))
                return false;
            const BYTE* s = src.Row(ClampIndex(static_cast<int64_t>(static_cast<float>(y) * yScale), height));
            BYTE* d = dst.Row(y);
            if (bpp == 24) {
                for (int64_t x = 0; x < newx; ++x, d += 3) {
                    const BYTE* sp = s + xs[static_cast<size_t>(x)] * 3;
                    d[0] = sp[0];
                    d[1] = sp[1];
                    d[2] = sp[2];
                }
            } else {
                for (int64_t x = 0; x < newx; ++x)
                    QxRowSetIndex(d, bpp, x, QxRowGetIndex(s, bpp, xs[static_cast<size_t>(x)]));
            }
        }
    } else if (mode == 2) {
        // Bicubic B-spline over the 4 x 4 neighbourhood, coordinates clamped.
        struct Taps {
            int64_t i[4];
            float w[4];
        };
        std::vector<Taps> cols(static_cast<size_t>(newx));
        for (int64_t x = 0; x < newx; ++x) {
            const float fx = static_cast<float>(x) * xScale - 0.5f;
            const float ix = std::floor(fx);
            const float b = fx - ix;
            Taps& t = cols[static_cast<size_t>(x)];
            for (int n = -1; n <= 2; ++n) {
                t.i[n + 1] = ClampIndex(static_cast<int64_t>(ix) + n, width);
                t.w[n + 1] = KernelBSpline(b - static_cast<float>(n));
            }
        }
        for (int64_t y = 0; y < newy; ++y) {
            if (cancelled(y, newy))
                return false;
            const float fy = static_cast<float>(y) * yScale - 0.5f;
            const float iy = std::floor(fy);
            const float a = fy - iy;
            const BYTE* rows[4];
            float wy[4];
            int64_t ys[4];
            for (int m = -1; m <= 2; ++m) {
                ys[m + 1] = ClampIndex(static_cast<int64_t>(iy) + m, height);
                rows[m + 1] = src.Row(ys[m + 1]);
                wy[m + 1] = KernelBSpline(static_cast<float>(m) - a);
            }
            for (int64_t x = 0; x < newx; ++x) {
                const Taps& t = cols[static_cast<size_t>(x)];
                float r = 0, g = 0, b = 0;
                for (int m = 0; m < 4; ++m) {
                    for (int n = 0; n < 4; ++n) {
                        const float w = wy[m] * t.w[n];
                        if (palette) {
                            const RGBQUAD c = src.PaletteEntry(QxRowGetIndex(rows[m], bpp, t.i[n]));
                            r += c.rgbRed * w;
                            g += c.rgbGreen * w;
                            b += c.rgbBlue * w;
                        } else {
                            const BYTE* p = rows[m] + t.i[n] * 3;
                            b += p[0] * w;
                            g += p[1] * w;
                            r += p[2] * w;
                        }
                    }
                }
                writeColor(y, x, r, g, b);
            }
        }
    } else if (bpp == 24 && newx < width && newy < height) {
        // Box shrink: every source pixel is shared out by area, in thousandths.
        const std::vector<BoxShare> colShares = BoxShares(width, newx);
        const std::vector<BoxShare> rowShares = BoxShares(height, newy);
        const int64_t scaleFactor = static_cast<int64_t>(1000.0 * xScale * yScale);
        const int64_t divisor = std::max<int64_t>(1, scaleFactor * 1000);
        const size_t cells = static_cast<size_t>(newx) * 3;
        std::vector<int64_t> line(cells), cur(cells), next(cells);
        int64_t outRow = 0;
        auto flush = [&](const std::vector<int64_t>& acc, int64_t y) {
            BYTE* d = dst.Row(y);
            for (size_t i = 0; i < cells; ++i)
                d[i] = QxClampByte(acc[i] / divisor);
        };
        for (int64_t sy = 0; sy < height; ++sy) {
            if (cancelled(sy, height))
                return false;
            const BoxShare rs = rowShares[static_cast<size_t>(sy)];
            while (outRow < rs.cell) {
                flush(cur, outRow++);
                cur.swap(next);
                std::fill(next.begin(), next.end(), 0);
            }
            std::fill(line.begin(), line.end(), 0);
            const BYTE* s = src.Row(sy);
            for (int64_t sx = 0; sx < width; ++sx, s += 3) {
                const BoxShare cs = colShares[static_cast<size_t>(sx)];
                int64_t* l = &line[static_cast<size_t>(cs.cell) * 3];
                l[0] += s[0] * cs.w;
                l[1] += s[1] * cs.w;
                l[2] += s[2] * cs.w;
                if (cs.w < 1000) {
                    const int rest = 1000 - cs.w;
                    l[3] += s[0] * rest;
                    l[4] += s[1] * rest;
                    l[5] += s[2] * rest;
                }
            }
            for (size_t i = 0; i < cells; ++i)
                cur[i] += line[i] * rs.w;
            if (rs.w < 1000) {
                const int rest = 1000 - rs.w;
                for (size_t i = 0; i < cells; ++i)
                    next[i] += line[i] * rest;
            }
        }
        // Rows left open by rounding are written from what they hold.
        while (outRow < newy) {
            flush(cur, outRow++);
            cur.swap(next);
            std::fill(next.begin(), next.end(), 0);
        }
    } else {
        // Bilinear: blend the two rows first, then the two columns.
        struct Pair {
            int64_t i0, i1;
            float d;
        };
        std::vector<Pair> cols(static_cast<size_t>(newx));
        for (int64_t x = 0; x < newx; ++x) {
            const float fx = static_cast<float>(x) * xScale;
            const int64_t ix = ClampIndex(static_cast<int64_t>(fx), width);
            cols[static_cast<size_t>(x)] = {ix, std::min(ix + 1, width - 1), fx - static_cast<float>(ix)};
        }
        for (int64_t y = 0; y < newy; ++y) {
            if (cancelled(y, newy))
                return false;
            const float fy = static_cast<float>(y) * yScale;
            const int64_t iy = ClampIndex(static_cast<int64_t>(fy), height);
            const int64_t iy1 = std::min(iy + 1, height - 1);
            const float dy = fy - static_cast<float>(iy);
            const BYTE* r0 = src.Row(iy);
            const BYTE* r1 = src.Row(iy1);
            for (int64_t x = 0; x < newx; ++x) {
                const Pair& c = cols[static_cast<size_t>(x)];
                float p00[3], p01[3], p10[3], p11[3];
                auto fetch = [&](const BYTE* row, int64_t i, float* out) {
                    if (palette) {
                        const RGBQUAD q = src.PaletteEntry(QxRowGetIndex(row, bpp, i));
                        out[0] = q.rgbBlue;
                        out[1] = q.rgbGreen;
                        out[2] = q.rgbRed;
                    } else {
                        const BYTE* p = row + i * 3;
                        out[0] = p[0];
                        out[1] = p[1];
                        out[2] = p[2];
                    }
                };
                fetch(r0, c.i0, p00);
                fetch(r1, c.i0, p01);
                fetch(r0, c.i1, p10);
                fetch(r1, c.i1, p11);
                float out[3];
                for (int k = 0; k < 3; ++k) {
                    const float left = p00[k] + (p01[k] - p00[k]) * dy;
                    const float right = p10[k] + (p11[k] - p10[k]) * dy;
                    out[k] = left + (right - left) * c.d;
                }
                writeColor(y, x, out[2], out[1], out[0]);
            }
        }
    }

    if (src.HasAlpha()) {
        if (!work.AlphaCreate())
            return false;
        const std::vector<int64_t> xs = NearestIndexes(newx, xScale, width);
        for (int64_t y = 0; y < newy; ++y) {
            const BYTE* a = src.AlphaRow(ClampIndex(static_cast<int64_t>(static_cast<float>(y) * yScale), height));
            BYTE* da = work.m_pAlpha + y * newx;
            for (int64_t x = 0; x < newx; ++x)
                da[x] = a[xs[static_cast<size_t>(x)]];
        }
    }
    return TransformDeliver(work, iDst);
}

bool CQxImage::Resample2(LONG newx, LONG newy, InterpolationMethod const inMethod, OverflowMethod const ofMethod,
                         CQxImage* const iDst, bool const disableAveraging)
{
    if (!IsValid() || newx <= 0 || newy <= 0)
        return false;
    const int64_t width = GetWidth();
    const int64_t height = GetHeight();
    if (newx == width && newy == height)
        return DeliverUnscaled(*this, iDst);
    const float xScale = static_cast<float>(width) / static_cast<float>(newx);
    const float yScale = static_cast<float>(height) / static_cast<float>(newy);

    CQxImage work;
    if (!TransformCreateWork(work, newx, newy, GetBpp(), true))
        return false;
    if (m_pAlpha && !work.AlphaCreate())
        return false;
    const CQxImageTransformSampler sampler(*this, inMethod, ofMethod, nullptr);
    const CQxImageTransformView dst(work);
    const bool palette = dst.HasPalette();
    const bool alpha = dst.HasAlpha();
    const bool pointSampling = (xScale <= 1 && yScale <= 1) || disableAveraging;
    const int bpp = dst.Bpp();
    CQxImageTransformNearest nearest(work);

    // Kernel methods at point sampling: the weights of a column or a row are the same
    // for every pixel, so they are computed once per axis (the same floats the
    // per-pixel interpolator would compute).
    const int method = static_cast<int>(inMethod);
    const bool kernel = pointSampling && CQxImageTransformSampler::IsKernelMethod(method);
    const int taps = CQxImageTransformSampler::KernelTaps(method);
    const int before = CQxImageTransformSampler::KernelBefore(method);
    struct AxisTaps {
        int64_t i = 0;
        bool usable = false;
        float w[12] = {};
    };
    auto axisTaps = [&](float f, int64_t size) {
        AxisTaps t;
        const float margin = static_cast<float>(taps + 2);
        if (!(f > -margin && f < static_cast<float>(size) + margin))
            return t;
        t.i = CQxImageTransformSampler::FloorIndex(f);
        if (t.i - before + taps <= 0 || t.i - before >= size)
            return t;
        t.usable = true;
        for (int k = 0; k < taps; ++k)
            t.w[k] = CQxImageTransformSampler::Kernel(method, static_cast<float>(t.i - before + k) - f);
        return t;
    };
    std::vector<AxisTaps> cols;
    if (kernel) {
        cols.resize(static_cast<size_t>(newx));
        for (int64_t x = 0; x < newx; ++x)
            cols[static_cast<size_t>(x)] = axisTaps((static_cast<float>(x) + 0.5f) * xScale - 0.5f, width);
    }

    for (int64_t y = 0; y < newy; ++y) {
        SetProgress(static_cast<LONG>(y * 100 / newy));
        if (GetEscape() > 0)
            return false;
        const float sy = (static_cast<float>(y) + 0.5f) * yScale - 0.5f;
        AxisTaps rowTaps;
        if (kernel)
            rowTaps = axisTaps(sy, height);
        BYTE* d = dst.Row(y);
        BYTE* da = alpha ? dst.AlphaRow(y) : nullptr;
        for (int64_t x = 0; x < newx; ++x) {
            const float sx = (static_cast<float>(x) + 0.5f) * xScale - 0.5f;
            RGBQUAD q;
            if (!pointSampling) {
                q = sampler.AreaInterpolated(sx, sy, xScale, yScale);
            } else if (kernel && rowTaps.usable && cols[static_cast<size_t>(x)].usable) {
                const AxisTaps& ct = cols[static_cast<size_t>(x)];
                q = sampler.KernelWithWeights(ct.i, rowTaps.i, ct.w, rowTaps.w, taps);
            } else {
                q = sampler.Interpolated(sx, sy);
            }
            QxStoreColor(nearest, palette, bpp, q, d, da, x);
        }
    }
    return TransformDeliver(work, iDst);
}

bool CQxImage::QIShrink(LONG newx, LONG newy, CQxImage* const iDst)
{
    if (!IsValid())
        return false;
    const int64_t width = GetWidth();
    const int64_t height = GetHeight();
    if (newx > width || newy > height) {
        SetLastErrorText("QIShrink can't enlarge image");
        return false;
    }
    if (newx <= 0 || newy <= 0)
        return false;
    if (newx == width && newy == height)
        return DeliverUnscaled(*this, iDst);

    CQxImage work;
    if (!TransformCreateWork(work, newx, newy, GetBpp(), true))
        return false;
    if (m_pAlpha && !work.AlphaCreate())
        return false;
    const CQxImageTransformView src(*this);
    const CQxImageTransformView dst(work);
    const bool palette = src.HasPalette();
    const bool alpha = src.HasAlpha();
    // Per cell: blue, green, red, alpha sums and the pixel count.
    constexpr size_t kStride = 5;
    std::vector<uint64_t> acc(static_cast<size_t>(newx) * kStride, 0);
    CQxImageTransformNearest nearest(work);
    int64_t ey = 0;
    int64_t outRow = 0;
    for (int64_t y = 0; y < height && outRow < newy; ++y) {
        SetProgress(static_cast<LONG>(y * 100 / height));
        if (GetEscape() > 0)
            return false;
        ey += newy;
        int64_t ex = 0;
        int64_t cell = 0;
        const BYTE* s = src.Row(y);
        const BYTE* a = alpha ? src.AlphaRow(y) : nullptr;
        for (int64_t x = 0; x < width; ++x) {
            ex += newx;
            uint64_t* c = &acc[static_cast<size_t>(cell) * kStride];
            if (palette) {
                const RGBQUAD q = src.PaletteEntry(QxRowGetIndex(s, src.Bpp(), x));
                c[0] += q.rgbBlue;
                c[1] += q.rgbGreen;
                c[2] += q.rgbRed;
            } else {
                const BYTE* p = s + x * 3;
                c[0] += p[0];
                c[1] += p[1];
                c[2] += p[2];
            }
            if (a)
                c[3] += a[x];
            c[4] += 1;
            // At or past the old width the cell is full (an exact factor fills every
            // cell with the same number of pixels, as the rows do).
            if (ex >= width) {
                ex -= width;
                if (cell + 1 < newx)
                    ++cell;
            }
        }
        if (ey >= height) {
            ey -= height;
            BYTE* d = dst.Row(outRow);
            BYTE* da = alpha ? dst.AlphaRow(outRow) : nullptr;
            for (int64_t x = 0; x < newx; ++x) {
                const uint64_t* c = &acc[static_cast<size_t>(x) * kStride];
                const uint64_t n = c[4] ? c[4] : 1;
                const BYTE b = static_cast<BYTE>(c[0] / n);
                const BYTE g = static_cast<BYTE>(c[1] / n);
                const BYTE r = static_cast<BYTE>(c[2] / n);
                if (palette) {
                    QxRowSetIndex(d, src.Bpp(), x, nearest.Index(QxMakeQuad(r, g, b, 0)));
                } else {
                    BYTE* p = d + x * 3;
                    p[0] = b;
                    p[1] = g;
                    p[2] = r;
                }
                if (da)
                    da[x] = static_cast<BYTE>(c[3] / n);
            }
            std::fill(acc.begin(), acc.end(), 0);
            ++outRow;
        }
    }
    return TransformDeliver(work, iDst);
}

bool CQxImage::Thumbnail(LONG newx, LONG newy, RGBQUAD canvascolor, CQxImage* iDst)
{
    if (!IsValid() || newx <= 0 || newy <= 0)
        return false;
    CQxImage work(*this, true, true, true);
    if (!work.IsValid())
        return false;
    work.SetEscape(0);
    const int64_t width = GetWidth();
    const int64_t height = GetHeight();
    if (width > newx || height > newy) {
        const float aspect = static_cast<float>(newx) / static_cast<float>(newy);
        const float scale = aspect * static_cast<float>(height) > static_cast<float>(width)
                                ? static_cast<float>(newy) / static_cast<float>(height)
                                : static_cast<float>(newx) / static_cast<float>(width);
        // At least one pixel per side, never more than the box.
        const LONG fitx = static_cast<LONG>(std::clamp<int64_t>(
            static_cast<int64_t>(scale * static_cast<float>(width)), 1, newx));
        const LONG fity = static_cast<LONG>(std::clamp<int64_t>(
            static_cast<int64_t>(scale * static_cast<float>(height)), 1, newy));
        if (!work.Resample(fitx, fity, 0) || GetEscape() > 0)
            return false;
    }
    if (!work.Expand(newx, newy, canvascolor) || GetEscape() > 0)
        return false;
    return TransformDeliver(work, iDst);
}
