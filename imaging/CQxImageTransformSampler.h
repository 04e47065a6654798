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
    RGBQUAD Interpolated(float x, float y) const;
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
    RGBQUAD Bilinear(float x, float y) const;
    RGBQUAD KernelAt(float x, float y) const;
    bool FarOutside(float x, float y, float margin) const;

    CQxImageTransformView m_view;
    int m_method;
    int m_overflow;
    RGBQUAD m_replacement;
    RGBQUAD m_overflowColor;
};
