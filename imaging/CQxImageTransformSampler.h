// Colour of an image at non-integer positions: overflow rules, the interpolation methods
// and area averaging. Private to the imaging library; the public entry points of
// CQxImage forward here, and the transformation loops keep one sampler per call so
// that nothing is looked up per pixel.
#pragma once

#include "imaging/CQxImageTransformView.h"

class CQxImageTransformSampler
{
public:
    // method and overflow are the numeric values of CQxImage::InterpolationMethod and
    // CQxImage::OverflowMethod; replacement may be null.
    CQxImageTransformSampler(const CQxImage& img, int method, int overflow, const RGBQUAD* replacement);

    const CQxImageTransformView& View() const { return m_view; }

    // Colour given for a point outside the image by overflow methods 1 to 3 (and any
    // other method that does not map coordinates).
    RGBQUAD OverflowColor() const { return m_overflowColor; }

    // True for the overflow methods that map coordinates back into the image.
    bool MapsCoordinates() const { return m_overflow >= 4 && m_overflow <= 6; }

    void MapCoordinates(int64_t& x, int64_t& y) const;
    void MapCoordinates(float& x, float& y) const;

    RGBQUAD PixelWithOverflow(int64_t x, int64_t y) const;
    RGBQUAD Interpolated(float x, float y) const
    {
        // Bilinear inside a true-colour image is the common case of the warps; it is
        // answered here without a call.
        if (m_fastBilinear && x >= 0 && y >= 0 && x < m_lastX && y < m_lastY)
            return BilinearFixed(x, y, static_cast<int64_t>(x), static_cast<int64_t>(y));
        return InterpolatedAny(x, y);
    }
    RGBQUAD AreaInterpolated(float cx, float cy, float w, float h) const;

    // Kernel interpolation with weights computed by the caller: wx[i] is the weight of
    // column xi - before + i, wy[j] that of row yi - before + j, taps per side.
    RGBQUAD KernelWithWeights(int64_t xi, int64_t yi, const float* wx, const float* wy, int taps) const;

    // Taps per side of a kernel method and how far the neighbourhood reaches before
    // the integer position (1 for the 4 x 4 kernels, 5 for Lanczos).
    static int KernelTaps(int method) { return method == 6 ? 12 : 4; }
    static int KernelBefore(int method) { return method == 6 ? 5 : 1; }
    static bool IsKernelMethod(int method) { return method >= 3 && method <= 16; }
    static float Kernel(int method, float x);

    // Integer part as the interpolators take it: toward zero, minus one below zero.
    static int64_t FloorIndex(float v)
    {
        const int64_t i = static_cast<int64_t>(v);
        return v < 0 ? i - 1 : i;
    }

    int Method() const { return m_method; }

private:
    // Maps a point far outside the image back in by the overflow method and gives its
    // whole-pixel corner; false when the overflow colour stands for it.
    bool MapOutside(float& x, float& y, int64_t& xi, int64_t& yi) const;
    RGBQUAD InterpolatedAny(float x, float y) const;
    RGBQUAD Bilinear(float x, float y) const;
    // Fixed-point bilinear of a true-colour image; the 2 x 2 block at (xi, yi) is inside.
    RGBQUAD BilinearFixed(float x, float y, int64_t xi, int64_t yi) const
    {
        const int fx = static_cast<int>((x - static_cast<float>(xi)) * 256.0f);
        const int fy = static_cast<int>((y - static_cast<float>(yi)) * 256.0f);
        const int d = (fx * fy) >> 8;
        const int w00 = 256 - fx - fy + d;
        const int w10 = fx - d;
        const int w01 = fy - d;
        const int w11 = d;
        const BYTE* p0 = m_view.Row(yi) + xi * 3;
        const BYTE* p1 = m_view.Row(yi + 1) + xi * 3;
        RGBQUAD c;
        c.rgbBlue = static_cast<BYTE>((p0[0] * w00 + p0[3] * w10 + p1[0] * w01 + p1[3] * w11) >> 8);
        c.rgbGreen = static_cast<BYTE>((p0[1] * w00 + p0[4] * w10 + p1[1] * w01 + p1[4] * w11) >> 8);
        c.rgbRed = static_cast<BYTE>((p0[2] * w00 + p0[5] * w10 + p1[2] * w01 + p1[5] * w11) >> 8);
        if (m_view.HasAlpha()) {
            const BYTE* a0 = m_view.AlphaRow(yi) + xi;
            const BYTE* a1 = m_view.AlphaRow(yi + 1) + xi;
            c.rgbReserved = static_cast<BYTE>((a0[0] * w00 + a0[1] * w10 + a1[0] * w01 + a1[1] * w11) >> 8);
        } else {
            c.rgbReserved = 0;
        }
        return c;
    }
    RGBQUAD KernelAt(float x, float y) const;
    bool FarOutside(float x, float y, float margin) const;

    CQxImageTransformView m_view;
    int m_method;
    int m_overflow;
    RGBQUAD m_replacement;
    RGBQUAD m_overflowColor;
    bool m_fastBilinear = false;
    float m_lastX = 0; // width - 1: the fast path needs x + 1 inside
    float m_lastY = 0;
};
