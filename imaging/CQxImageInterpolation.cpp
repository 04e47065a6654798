// Overflow rules, interpolated colour reads and the one-dimensional filter kernels.
#include "imaging/CQxImage.h"
#include "imaging/CQxImageTransformSampler.h"

#include <cmath>

namespace {

constexpr float kPi = 3.1415927f;
constexpr double kSqrt2 = 1.4142135623730951;

// Horner evaluation of a polynomial whose coefficients run from the highest power down.
template <int N>
double Horner(const double (&c)[N], double s)
{
    double v = c[0];
    for (int i = 1; i < N; ++i)
        v = v * s + c[i];
    return v;
}

float Cube(float t)
{
    return t > 0 ? t * t * t : 0.0f;
}

} // namespace

// ---- Overflow and interpolated reads ----

void CQxImage::OverflowCoordinates(LONG& x, LONG& y, OverflowMethod const ofMethod)
{
    const CQxImageTransformSampler sampler(*this, IM_NEAREST_NEIGHBOUR, ofMethod, nullptr);
    int64_t x64 = x, y64 = y;
    sampler.MapCoordinates(x64, y64);
    x = static_cast<LONG>(x64);
    y = static_cast<LONG>(y64);
}

void CQxImage::OverflowCoordinates(float& x, float& y, OverflowMethod const ofMethod)
{
    const CQxImageTransformSampler sampler(*this, IM_NEAREST_NEIGHBOUR, ofMethod, nullptr);
    sampler.MapCoordinates(x, y);
}

RGBQUAD CQxImage::GetPixelColorWithOverflow(LONG x, LONG y, OverflowMethod const ofMethod, RGBQUAD* const rplColor)
{
    const CQxImageTransformSampler sampler(*this, IM_NEAREST_NEIGHBOUR, ofMethod, rplColor);
    return sampler.PixelWithOverflow(x, y);
}

RGBQUAD CQxImage::GetPixelColorInterpolated(float x, float y, InterpolationMethod const inMethod,
                                            OverflowMethod const ofMethod, RGBQUAD* const rplColor)
{
    const CQxImageTransformSampler sampler(*this, inMethod, ofMethod, rplColor);
    return sampler.Interpolated(x, y);
}

RGBQUAD CQxImage::GetAreaColorInterpolated(float const xc, float const yc, float const w, float const h,
                                           InterpolationMethod const inMethod, OverflowMethod const ofMethod,
                                           RGBQUAD* const rplColor)
{
    const CQxImageTransformSampler sampler(*this, inMethod, ofMethod, rplColor);
    return sampler.AreaInterpolated(xc, yc, w, h);
}

void CQxImage::AddAveragingCont(RGBQUAD const& color, float const surf, float& rr, float& gg, float& bb, float& aa)
{
    rr += color.rgbRed * surf;
    gg += color.rgbGreen * surf;
    bb += color.rgbBlue * surf;
    aa += color.rgbReserved * surf;
}

// ---- Kernels ----

float CQxImage::KernelBox(const float x)
{
    return (x >= -0.5f && x < 0.5f) ? 1.0f : 0.0f;
}

float CQxImage::KernelLinear(const float t)
{
    if (t >= -1.0f && t < 0.0f)
        return 1.0f + t;
    if (t >= 0.0f && t < 1.0f)
        return 1.0f - t;
    return 0.0f;
}

float CQxImage::KernelCubic(const float t)
{
    const float a = std::fabs(t);
    const float t2 = t * t;
    const float a3 = a * t2;
    if (a < 1.0f)
        return 1.0f - 2.0f * t2 + a3;
    if (a < 2.0f)
        return 4.0f - 8.0f * a + 5.0f * t2 - a3;
    return 0.0f;
}

float CQxImage::KernelGeneralizedCubic(const float t, const float a)
{
    const float x = std::fabs(t);
    const float x2 = t * t;
    const float x3 = x * x2;
    if (x < 1.0f)
        return (a + 2.0f) * x3 - (a + 3.0f) * x2 + 1.0f;
    if (x < 2.0f)
        return a * x3 - 5.0f * a * x2 + 8.0f * a * x - 4.0f * a;
    return 0.0f;
}

float CQxImage::KernelBSpline(const float x)
{
    if (x > 2.0f)
        return 0.0f;
    return (Cube(x + 2.0f) - 4.0f * Cube(x + 1.0f) + 6.0f * Cube(x) - 4.0f * Cube(x - 1.0f)) * 0.16666667f;
}

float CQxImage::KernelLanczosSinc(const float t, const float r)
{
    if (std::fabs(t) > r)
        return 0.0f;
    if (t == 0.0f)
        return 1.0f;
    const float pit = kPi * t;
    const float pitr = pit / r;
    return (std::sin(pitr) / pitr) * (std::sin(pit) / pit);
}

float CQxImage::KernelHermite(const float x)
{
    if (x >= -1.0f && x < 0.0f)
        return (-2.0f * x - 3.0f) * x * x + 1.0f;
    if (x >= 0.0f && x < 1.0f)
        return (2.0f * x - 3.0f) * x * x + 1.0f;
    return 0.0f;
}

float CQxImage::KernelHamming(const float x)
{
    if (x >= -1.0f && x < 0.0f)
        return ((-2.0f * x - 3.0f) * x * x) * 0.92f + 1.0f;
    if (x >= 0.0f && x < 1.0f)
        return ((2.0f * x - 3.0f) * x * x) * 0.92f + 1.0f;
    return 0.0f;
}

float CQxImage::KernelSinc(const float x)
{
    if (x == 0.0f)
        return 1.0f;
    return std::sin(kPi * x) / (kPi * x);
}

float CQxImage::KernelBlackman(const float x)
{
    return 0.42f + 0.5f * std::cos(kPi * x) + 0.08f * std::cos(6.2831855f * x);
}

float CQxImage::KernelGaussian(const float x)
{
    return std::exp(-2.0f * x * x) * 0.7978845834732056f;
}

float CQxImage::KernelQuadratic(const float x)
{
    if (x >= -1.5f && x < -0.5f)
        return 0.5f * (x + 1.5f) * (x + 1.5f);
    if (x >= -0.5f && x < 0.5f)
        return 0.75f - x * x;
    if (x >= 0.5f && x < 1.5f)
        return 0.5f * (x - 1.5f) * (x - 1.5f);
    return 0.0f;
}

float CQxImage::KernelMitchell(const float x)
{
    constexpr float k16_9 = 1.7777778f;
    constexpr float k10_3 = 3.3333333f;
    constexpr float k7_18 = 0.3888889f;
    constexpr float k7_6 = 1.1666666f;
    constexpr float k8_9 = 0.8888889f;
    const float x2 = x * x;
    const float x3 = x2 * x;
    if (x >= -2.0f && x < -1.0f)
        return k7_18 * x3 + 2.0f * x2 + k10_3 * x + k16_9;
    if (x >= -1.0f && x < 0.0f)
        return -k7_6 * x3 - 2.0f * x2 + k8_9;
    if (x >= 0.0f && x < 1.0f)
        return k7_6 * x3 - 2.0f * x2 + k8_9;
    if (x >= 1.0f && x < 2.0f)
        return -k7_18 * x3 + 2.0f * x2 - k10_3 * x + k16_9;
    return 0.0f;
}

float CQxImage::KernelCatrom(const float x)
{
    if (x >= -2.0f && x < -1.0f)
        return 0.5f * (((x + 5.0f) * x + 8.0f) * x + 4.0f);
    if (x >= -1.0f && x < 0.0f)
        return 0.5f * ((-5.0f - 3.0f * x) * x * x + 2.0f);
    if (x >= 0.0f && x < 1.0f)
        return 0.5f * ((3.0f * x - 5.0f) * x * x + 2.0f);
    if (x >= 1.0f && x < 2.0f)
        return 0.5f * (((5.0f - x) * x - 8.0f) * x + 4.0f);
    return 0.0f;
}

float CQxImage::KernelBessel(const float x)
{
    if (x == 0.0f)
        return 0.7853982f;
    return KernelBessel_Order1(kPi * x) / (2.0f * x);
}

float CQxImage::KernelBessel_Order1(float x)
{
    if (x == 0.0f)
        return 0.0f;
    const float p = std::fabs(x);
    if (p < 8.0f)
        return x * KernelBessel_J1(p);
    const double pd = p;
    const double s = std::sin(pd);
    const double c = std::cos(pd);
    double q = std::sqrt(2.0 / (kPi * pd)) *
               (KernelBessel_P1(p) * (s - c) / kSqrt2 - (8.0 / pd) * KernelBessel_Q1(p) * (-(s + c) / kSqrt2));
    if (x < 0.0f)
        q = -q;
    return static_cast<float>(q);
}

float CQxImage::KernelBessel_J1(const float x)
{
    static const double n[] = {2701.1227108923235,      -4695753.5306429956,   3413234182.3017006,
                               -1322983480332.1265,     290879526383477.56,    -35888175699101060.0,
                               2.3164335806340024e18,   -6.6721065689249161e19, 5.8119935400160612e20};
    static const double d[] = {1.0,
                               1606.9315734814877,
                               1501793.5949985855,
                               1013863514.358674,
                               524371026216.76495,
                               208166122130760.75,
                               60920613989175216.0,
                               1.185770712190321e19,
                               1.1623987080032122e21};
    const double s = static_cast<double>(x) * x;
    return static_cast<float>(Horner(n, s) / Horner(d, s));
}

float CQxImage::KernelBessel_P1(const float x)
{
    static const double n[] = {1.2571716929145342, 211.15291828539623, 4985.4832060594335,
                               31353.963110915956, 62758.845247161284, 35224.664913367982};
    static const double d[] = {1.0, 203.07751891347593, 4930.3964901810887,
                               31240.406381904104, 62694.346959356051, 35224.664913367982};
    const double r = 8.0 / x;
    const double s = r * r;
    return static_cast<float>(Horner(n, s) / Horner(d, s));
}

float CQxImage::KernelBessel_Q1(const float x)
{
    static const double n[] = {0.03532840052740124, 4.5681716295512267, 83.189895767385082,
                               425.98730116544425,  721.03918049044751, 351.17519143035526};
    static const double d[] = {1.0, 103.81875854621337, 1811.1867005523513,
                               9152.231701516992, 15414.177339265098, 7491.7374171809124};
    const double r = 8.0 / x;
    const double s = r * r;
    return static_cast<float>(Horner(n, s) / Horner(d, s));
}
