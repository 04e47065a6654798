// Kernels, overflow rules and interpolated reads.
#include "tests/imaging/ImageTransformTestImages.h"

#include <cmath>
#include <limits>

namespace {

TEST(ImageKernels, ValuesAtTheirEdges)
{
    EXPECT_EQ(CQxImage::KernelBox(0.5f), 0.0f);
    EXPECT_EQ(CQxImage::KernelBox(-0.5f), 1.0f);
    EXPECT_EQ(CQxImage::KernelCubic(0.0f), 1.0f);
    EXPECT_EQ(CQxImage::KernelCubic(1.0f), 0.0f);
    EXPECT_EQ(CQxImage::KernelCubic(2.0f), 0.0f);
    EXPECT_EQ(CQxImage::KernelLanczosSinc(0.0f, 6.0f), 1.0f);
    EXPECT_EQ(CQxImage::KernelLanczosSinc(7.0f, 6.0f), 0.0f);
    EXPECT_FLOAT_EQ(CQxImage::KernelBessel(0.0f), 0.7853982f);
    EXPECT_FLOAT_EQ(CQxImage::KernelGaussian(0.0f), 0.7978846f);
    EXPECT_EQ(CQxImage::KernelLinear(0.25f), 0.75f);
    EXPECT_EQ(CQxImage::KernelLinear(-1.0f), 0.0f);
    EXPECT_FLOAT_EQ(CQxImage::KernelQuadratic(0.0f), 0.75f);
    EXPECT_FLOAT_EQ(CQxImage::KernelQuadratic(1.0f), 0.125f);
    EXPECT_FLOAT_EQ(CQxImage::KernelHermite(0.5f), 0.5f);
    EXPECT_FLOAT_EQ(CQxImage::KernelSinc(1.0f) + 1.0f, 1.0f);
    EXPECT_FLOAT_EQ(CQxImage::KernelBSpline(0.0f), 2.0f / 3.0f);
    EXPECT_EQ(CQxImage::KernelBSpline(2.5f), 0.0f);
    EXPECT_EQ(CQxImage::KernelBSpline(-2.5f), 0.0f);
    EXPECT_FLOAT_EQ(CQxImage::KernelMitchell(0.0f), 0.8888889f);
    EXPECT_FLOAT_EQ(CQxImage::KernelCatrom(0.0f), 1.0f);
    EXPECT_FLOAT_EQ(CQxImage::KernelGeneralizedCubic(1.0f, -0.5f), 0.0f);
}

TEST(ImageKernels, PartitionOfUnityWhereTheKernelHasIt)
{
    // Shifted copies of these kernels sum to 1 at any offset.
    for (float t : {0.0f, 0.2f, 0.5f, 0.9f}) {
        float cubic = 0, bspline = 0, catrom = 0, mitchell = 0, general = 0;
        for (int k = -2; k <= 2; ++k) {
            const float x = static_cast<float>(k) - t;
            cubic += CQxImage::KernelCubic(x);
            bspline += CQxImage::KernelBSpline(x);
            catrom += CQxImage::KernelCatrom(x);
            mitchell += CQxImage::KernelMitchell(x);
            general += CQxImage::KernelGeneralizedCubic(x, -0.5f);
        }
        EXPECT_NEAR(cubic, 1.0f, 1e-5f) << t;
        EXPECT_NEAR(bspline, 1.0f, 1e-5f) << t;
        EXPECT_NEAR(catrom, 1.0f, 1e-5f) << t;
        EXPECT_NEAR(mitchell, 1.0f, 1e-5f) << t;
        EXPECT_NEAR(general, 1.0f, 1e-5f) << t;
    }
}

TEST(ImageKernels, BesselFollowsTheFirstOrderFunctionOnBothBranches)
{
    // J1 at known points: J1(1) = 0.44005059, J1(10) = 0.04347275 (the asymptotic branch).
    EXPECT_NEAR(CQxImage::KernelBessel_Order1(1.0f), 0.44005059f, 1e-5f);
    EXPECT_NEAR(CQxImage::KernelBessel_Order1(10.0f), 0.04347275f, 1e-5f);
    EXPECT_NEAR(CQxImage::KernelBessel_Order1(-10.0f), -0.04347275f, 1e-5f);
    EXPECT_EQ(CQxImage::KernelBessel_Order1(0.0f), 0.0f);
}

TEST(ImageOverflow, CoordinatesAreMappedBackIntoTheImage)
{
    CQxImage img(10, 4, 24);
    LONG x = -1, y = 0;
    img.OverflowCoordinates(x, y, CQxImage::OM_WRAP);
    EXPECT_EQ(x, 9);
    x = -1;
    img.OverflowCoordinates(x, y, CQxImage::OM_MIRROR);
    EXPECT_EQ(x, 1);
    x = -1;
    img.OverflowCoordinates(x, y, CQxImage::OM_REPEAT);
    EXPECT_EQ(x, 0);
    x = 12;
    y = 5;
    img.OverflowCoordinates(x, y, CQxImage::OM_MIRROR);
    EXPECT_EQ(x, 7);
    EXPECT_EQ(y, 2);
    x = 3;
    y = 2;
    img.OverflowCoordinates(x, y, CQxImage::OM_WRAP);
    EXPECT_EQ(x, 3) << "inside nothing changes";
    x = INT32_MIN;
    y = INT32_MIN;
    img.OverflowCoordinates(x, y, CQxImage::OM_MIRROR);
    EXPECT_TRUE(img.IsInside(x, y));

    float fx = -0.25f, fy = 1.0f;
    img.OverflowCoordinates(fx, fy, CQxImage::OM_WRAP);
    EXPECT_FLOAT_EQ(fx, 9.75f);
    fx = 11.5f;
    img.OverflowCoordinates(fx, fy, CQxImage::OM_REPEAT);
    EXPECT_FLOAT_EQ(fx, 9.0f);
    fx = -1e-9f;
    img.OverflowCoordinates(fx, fy, CQxImage::OM_WRAP);
    EXPECT_GE(fx, 0.0f);
    EXPECT_LT(fx, 10.0f);
}

TEST(ImageOverflow, OutsideColoursFollowTheMethod)
{
    CQxImage img;
    qxtest::MakeFlat(img, 4, 4, 10, 20, 30);
    img.SetPixelColor(3, 1, RGBQUAD{1, 2, 3, 0});
    RGBQUAD repl{40, 50, 60, 70};
    EXPECT_TRUE(qxtest::SameRgb(img.GetPixelColorWithOverflow(-5, 0, CQxImage::OM_COLOR, &repl), repl));
    const RGBQUAD white = img.GetPixelColorWithOverflow(-5, 0, CQxImage::OM_COLOR);
    EXPECT_EQ(white.rgbRed, 255);
    EXPECT_EQ(white.rgbBlue, 255);
    // Background without a transparent index is the replacement; with one, the transparent colour.
    EXPECT_TRUE(qxtest::SameRgb(img.GetPixelColorWithOverflow(9, 9, CQxImage::OM_BACKGROUND, &repl), repl));
    img.SetTransColor(RGBQUAD{5, 6, 7, 0});
    ASSERT_TRUE(img.SetTransIndex(0));
    const RGBQUAD bg = img.GetPixelColorWithOverflow(9, 9, CQxImage::OM_BACKGROUND, &repl);
    EXPECT_EQ(bg.rgbBlue, 5);
    EXPECT_EQ(bg.rgbRed, 7);
    // Wrap reads the mapped pixel.
    EXPECT_EQ(img.GetPixelColorWithOverflow(-1, 5, CQxImage::OM_WRAP).rgbBlue, 1);
    // Transparent with an alpha channel: the replacement with alpha 0.
    ASSERT_TRUE(img.AlphaCreate());
    const RGBQUAD tr = img.GetPixelColorWithOverflow(-1, 0, CQxImage::OM_TRANSPARENT, &repl);
    EXPECT_EQ(tr.rgbBlue, 40);
    EXPECT_EQ(tr.rgbReserved, 0);

    CQxImage pal;
    qxtest::MakeImage(pal, 4, 4, qxtest::Depth{8, false});
    ASSERT_TRUE(pal.SetTransIndex(9));
    EXPECT_TRUE(qxtest::SameRgb(pal.GetPixelColorWithOverflow(-1, -1, CQxImage::OM_BACKGROUND),
                                pal.GetPaletteColor(9)));
}

TEST(ImageInterpolation, NearestNeighbourRoundsHalfUpAndTruncatesTowardZero)
{
    CQxImage img;
    qxtest::MakeFlat(img, 5, 1, 0, 0, 0);
    for (LONG x = 0; x < 5; ++x)
        img.SetPixelColor(x, 0, RGBQUAD{static_cast<BYTE>(x * 10 + 1), 0, 0, 0});
    RGBQUAD repl{222, 0, 0, 0};
    auto at = [&](float x) {
        return img.GetPixelColorInterpolated(x, 0, CQxImage::IM_NEAREST_NEIGHBOUR, CQxImage::OM_COLOR, &repl).rgbBlue;
    };
    EXPECT_EQ(at(2.5f), 31);
    EXPECT_EQ(at(2.49f), 21);
    EXPECT_EQ(at(-0.6f), 1);
    EXPECT_EQ(at(-1.6f), 222);
}

TEST(ImageInterpolation, BilinearByHandOnATwoByTwoImage)
{
    // Grey levels: (0,0) 0, (1,0) 100, (0,1) 200, (1,1) 40.
    CQxImage img;
    qxtest::MakeFlat(img, 2, 2, 0, 0, 0);
    img.SetPixelColor(1, 0, RGBQUAD{100, 100, 100, 0});
    img.SetPixelColor(0, 1, RGBQUAD{200, 200, 200, 0});
    img.SetPixelColor(1, 1, RGBQUAD{40, 40, 40, 0});
    // Centre: every weight a quarter: (0 + 100 + 200 + 40) / 4 = 85.
    EXPECT_EQ(img.GetPixelColorInterpolated(0.5f, 0.5f).rgbGreen, 85);
    // (0.25, 0.5): 0.375 * 0 + 0.125 * 100 + 0.375 * 200 + 0.125 * 40 = 92.5, truncated.
    EXPECT_EQ(img.GetPixelColorInterpolated(0.25f, 0.5f).rgbGreen, 92);
    // Integer positions give the pixels themselves.
    EXPECT_EQ(img.GetPixelColorInterpolated(1.0f, 0.0f).rgbGreen, 100);
    EXPECT_EQ(img.GetPixelColorInterpolated(0.0f, 1.0f).rgbGreen, 200);
    // Half outside with repeat: the edge pixels blend with themselves.
    EXPECT_EQ(img.GetPixelColorInterpolated(1.5f, 0.0f, CQxImage::IM_BILINEAR, CQxImage::OM_REPEAT).rgbGreen, 100);
}

TEST(ImageInterpolation, EveryMethodReturnsThePixelAtIntegerPositionsOfAFlatImage)
{
    CQxImage img;
    qxtest::MakeFlat(img, 16, 16, 90, 120, 150);
    // Kernels that reproduce constants exactly (within float rounding).
    for (auto m : {CQxImage::IM_NEAREST_NEIGHBOUR, CQxImage::IM_BILINEAR, CQxImage::IM_BSPLINE, CQxImage::IM_BICUBIC,
                   CQxImage::IM_BICUBIC2, CQxImage::IM_LANCZOS, CQxImage::IM_MITCHELL, CQxImage::IM_CATROM,
                   CQxImage::IM_HERMITE}) {
        const RGBQUAD c = img.GetPixelColorInterpolated(7.0f, 8.0f, m, CQxImage::OM_REPEAT);
        EXPECT_NEAR(c.rgbRed, 90, 1) << m;
        EXPECT_NEAR(c.rgbGreen, 120, 1) << m;
        EXPECT_NEAR(c.rgbBlue, 150, 1) << m;
        const RGBQUAD e = img.GetPixelColorInterpolated(0.3f, 15.7f, m, CQxImage::OM_REPEAT);
        EXPECT_NEAR(e.rgbGreen, 120, 2) << m << " at the edge";
    }
}

TEST(ImageInterpolation, KernelMethodsReadPalettesAndAlpha)
{
    CQxImage img;
    qxtest::MakeImage(img, 12, 12, qxtest::Depth{8, true}, 3);
    for (LONG y = 0; y < 12; ++y)
        for (LONG x = 0; x < 12; ++x) {
            img.SetPixelIndex(x, y, 40);
            img.AlphaSet(x, y, 100);
        }
    const RGBQUAD pal = img.GetPaletteColor(40);
    const RGBQUAD c = img.GetPixelColorInterpolated(5.0f, 6.0f, CQxImage::IM_LANCZOS, CQxImage::OM_REPEAT);
    EXPECT_NEAR(c.rgbRed, pal.rgbRed, 1);
    EXPECT_NEAR(c.rgbGreen, pal.rgbGreen, 1);
    EXPECT_NEAR(c.rgbReserved, 100, 1);
    const RGBQUAD b = img.GetPixelColorInterpolated(5.5f, 6.5f, CQxImage::IM_BILINEAR);
    EXPECT_EQ(b.rgbReserved, 100);
}

TEST(ImageInterpolation, WhollyOutsideGivesTheOverflowColourAndHostileCoordinatesAreSafe)
{
    CQxImage img;
    qxtest::MakeFlat(img, 8, 8, 10, 10, 10);
    RGBQUAD repl{1, 2, 3, 4};
    for (auto m : {CQxImage::IM_NEAREST_NEIGHBOUR, CQxImage::IM_BILINEAR, CQxImage::IM_BICUBIC, CQxImage::IM_LANCZOS}) {
        EXPECT_TRUE(qxtest::SameRgb(img.GetPixelColorInterpolated(-50.0f, 3.0f, m, CQxImage::OM_COLOR, &repl), repl));
        for (float v : {1e30f, -1e30f, std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity()})
            for (auto o : {CQxImage::OM_COLOR, CQxImage::OM_WRAP, CQxImage::OM_REPEAT, CQxImage::OM_MIRROR}) {
                const RGBQUAD c = img.GetPixelColorInterpolated(v, 2.0f, m, o, &repl);
                EXPECT_TRUE(qxtest::SameRgb(c, repl) || c.rgbRed == 10) << m << " " << o;
            }
        // Wrap maps a far point back onto the picture.
        EXPECT_EQ(img.GetPixelColorInterpolated(-50.0f, 3.0f, m, CQxImage::OM_WRAP).rgbRed, 10);
    }
}

TEST(ImageInterpolation, AreaAverageOfABlock)
{
    CQxImage img;
    qxtest::MakeFlat(img, 4, 4, 0, 0, 0);
    img.SetPixelColor(0, 0, RGBQUAD{40, 40, 40, 0});
    img.SetPixelColor(1, 0, RGBQUAD{80, 80, 80, 0});
    img.SetPixelColor(0, 1, RGBQUAD{120, 120, 120, 0});
    img.SetPixelColor(1, 1, RGBQUAD{160, 160, 160, 0});
    // The 2 x 2 block centred on (0.5, 0.5): the mean, 100.
    EXPECT_EQ(img.GetAreaColorInterpolated(0.5f, 0.5f, 2.0f, 2.0f, CQxImage::IM_BILINEAR).rgbRed, 100);
    // Half a pixel more on the right: (40 + 80 + 0 / 2 + 120 + 160 + 0 / 2) / 5 = 80.
    EXPECT_EQ(img.GetAreaColorInterpolated(0.75f, 0.5f, 2.5f, 2.0f, CQxImage::IM_BILINEAR).rgbRed, 80);
    // Areas of at most one pixel fall back to point interpolation.
    EXPECT_EQ(img.GetAreaColorInterpolated(1.0f, 1.0f, 1.0f, 0.5f, CQxImage::IM_BILINEAR).rgbRed, 160);
    // A thin area averages along its length: row 1, columns 0 .. 1 with halves at the ends.
    const RGBQUAD thin = img.GetAreaColorInterpolated(0.5f, 1.0f, 2.0f, 1.0f, CQxImage::IM_NEAREST_NEIGHBOUR);
    EXPECT_EQ(thin.rgbRed, 140);
}

} // namespace
