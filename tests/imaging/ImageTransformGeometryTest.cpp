// Crop, expand, skew, circle transform, resampling, quick shrink and thumbnails.
#include "tests/imaging/ImageTransformTestImages.h"

#include <cstring>

using qxtest::Depth;
using qxtest::MakeFlat;
using qxtest::MakeImage;
using qxtest::SameImage;

namespace {

BYTE Grey(CQxImage& img, LONG x, LONG y)
{
    return img.GetPixelColor(x, y).rgbGreen;
}

void SetGrey(CQxImage& img, LONG x, LONG y, BYTE v)
{
    img.SetPixelColor(x, y, RGBQUAD{v, v, v, 0});
}

TEST(Crop, TopIsMeasuredFromTheTopEdge)
{
    CQxImage img;
    MakeImage(img, 100, 50, Depth{24, true}, 41);
    CQxImage dst;
    ASSERT_TRUE(img.Crop(10, 0, 20, 5, &dst));
    ASSERT_EQ(dst.GetWidth(), 10u);
    ASSERT_EQ(dst.GetHeight(), 5u);
    EXPECT_EQ(img.GetWidth(), 100u) << "the source stays";
    for (LONG y = 0; y < 5; ++y)
        for (LONG x = 0; x < 10; ++x) {
            ASSERT_TRUE(qxtest::SameRgb(dst.GetPixelColor(x, y), img.GetPixelColor(10 + x, 45 + y)));
            ASSERT_EQ(dst.AlphaGet(x, y), img.AlphaGet(10 + x, 45 + y));
        }
}

TEST(Crop, SwappedEdgesAreOrderedAndEmptyRectanglesRefused)
{
    CQxImage img, a, b;
    MakeImage(img, 30, 20, Depth{4, false}, 42);
    ASSERT_TRUE(img.SetTransIndex(6));
    ASSERT_TRUE(img.Crop(3, 4, 11, 9, &a));
    ASSERT_TRUE(img.Crop(RECT{11, 9, 3, 4}, &b));
    EXPECT_TRUE(SameImage(a, b));
    EXPECT_EQ(a.GetTransIndex(), 6);
    EXPECT_FALSE(img.Crop(5, 0, 5, 10));
    EXPECT_FALSE(img.Crop(0, 7, 10, 7));
    // Edges beyond the image are clamped to it.
    CQxImage all;
    ASSERT_TRUE(img.Crop(-10, -10, 100, 100, &all));
    EXPECT_TRUE(SameImage(all, img));
}

TEST(Crop, RotatedRectangleWithATinyAngleIsAPlainCrop)
{
    CQxImage img, a, b;
    MakeImage(img, 30, 20, Depth{8, false}, 43);
    ASSERT_TRUE(img.CropRotatedRectangle(4, 3, 10, 6, 0.0001f, &a));
    ASSERT_TRUE(img.Crop(4, 3, 14, 9, &b));
    EXPECT_TRUE(SameImage(a, b));
    // A turned rectangle is cut out at the requested size.
    CQxImage c;
    ASSERT_TRUE(img.CropRotatedRectangle(8, 2, 10, 6, 0.3f, &c));
    EXPECT_EQ(c.GetWidth(), 10u);
    EXPECT_EQ(c.GetHeight(), 6u);
    EXPECT_FALSE(img.CropRotatedRectangle(25, 2, 10, 6, 0.3f)) << "reaches past the right edge";
}

TEST(Expand, ExtraPixelsGoRightAndBelow)
{
    CQxImage img;
    MakeImage(img, 100, 100, Depth{24, true}, 44);
    CQxImage dst;
    const RGBQUAD canvas{1, 2, 3, 0};
    ASSERT_TRUE(img.Expand(101, 101, canvas, &dst));
    ASSERT_EQ(dst.GetWidth(), 101u);
    ASSERT_EQ(dst.GetHeight(), 101u);
    EXPECT_FALSE(dst.AlphaIsValid());
    for (LONG i = 0; i < 101; ++i) {
        ASSERT_TRUE(qxtest::SameRgb(dst.GetPixelColor(100, i), canvas));
        ASSERT_TRUE(qxtest::SameRgb(dst.GetPixelColor(i, 0), canvas));
    }
    EXPECT_TRUE(qxtest::SameRgb(dst.GetPixelColor(0, 1), img.GetPixelColor(0, 0)));
    EXPECT_TRUE(qxtest::SameRgb(dst.GetPixelColor(99, 100), img.GetPixelColor(99, 99)));
}

TEST(Expand, PaletteImagesUseTheNearestEntryForTheCanvas)
{
    for (DWORD bpp : {1u, 4u, 8u}) {
        CQxImage img;
        MakeImage(img, 5, 3, Depth{bpp, false}, 45);
        const RGBQUAD canvas = img.GetPaletteColor(1);
        ASSERT_TRUE(img.Expand(2, 1, 3, 4, canvas));
        ASSERT_EQ(img.GetWidth(), 10u);
        ASSERT_EQ(img.GetHeight(), 8u);
        const BYTE expected = img.GetNearestIndex(canvas);
        EXPECT_EQ(img.GetPixelIndex(0, 0), expected) << bpp;
        EXPECT_EQ(img.GetPixelIndex(9, 7), expected) << bpp;
        EXPECT_EQ(img.GetPixelIndex(1, 5), expected) << bpp;
    }
}

TEST(Skew, ZeroGainsLeaveTheImage)
{
    for (const Depth& d : qxtest::kAllDepths) {
        for (bool interpolate : {false, true}) {
            if (interpolate && d.bpp != 24)
                continue; // palette images go through the nearest entry
            CQxImage img, orig;
            MakeImage(img, 9, 7, d, 46);
            orig.Copy(img);
            ASSERT_TRUE(img.Skew(0.0f, 0.0f, 0, 0, interpolate));
            EXPECT_TRUE(SameImage(img, orig)) << d << " " << interpolate;
        }
    }
}

TEST(Skew, ShearsRowsByTheirDistanceFromThePivot)
{
    CQxImage img;
    MakeImage(img, 10, 4, Depth{8, false}, 47);
    CQxImage orig;
    orig.Copy(img);
    ASSERT_TRUE(img.Skew(1.0f, 0.0f, 0, 1));
    // Row y reads source x + (y - 1).
    for (LONG y = 0; y < 4; ++y)
        for (LONG x = 0; x < 10; ++x) {
            const LONG sx = x + (y - 1);
            if (sx >= 0 && sx < 10) {
                ASSERT_EQ(img.GetPixelIndex(x, y), orig.GetPixelIndex(sx, y)) << x << "," << y;
            }
        }
}

TEST(Skew, OnlyTheSelectionMoves)
{
    CQxImage img, orig;
    MakeImage(img, 10, 10, Depth{24, false}, 48);
    orig.Copy(img);
    ASSERT_TRUE(img.SelectionAddRect(RECT{0, 5, 10, 0}));
    ASSERT_TRUE(img.Skew(0.5f, 0.0f, 0, 0));
    for (LONG x = 0; x < 10; ++x)
        EXPECT_TRUE(qxtest::SameRgb(img.GetPixelColor(x, 8), orig.GetPixelColor(x, 8)));
    EXPECT_TRUE(img.SelectionIsValid());
}

TEST(CircleTransform, TwistWithoutTurnKeepsThePictureTheRightWayRound)
{
    // Left half black, right half white. A coefficient so large that the twist adds no
    // angle reads every pixel back along its own ray, so the halves stay where they are.
    CQxImage img;
    MakeFlat(img, 21, 21, 0, 0, 0);
    for (LONG y = 0; y < 21; ++y)
        for (LONG x = 11; x < 21; ++x)
            SetGrey(img, x, y, 255);
    for (int type : {0, 1, 2}) {
        CQxImage c;
        c.Copy(img);
        ASSERT_TRUE(c.CircleTransform(type, 8, 1.0e9f));
        for (LONG y = 0; y < 21; ++y)
            for (LONG x = 0; x < 21; ++x) {
                const double dx = 10 - x, dy = 10 - y;
                if (dx * dx + dy * dy >= 64 || (x > 7 && x < 13))
                    continue;
                ASSERT_EQ(Grey(c, x, y), x < 10 ? 0 : 255) << type << " at " << x << "," << y;
            }
    }
}

TEST(CircleTransform, PixelsBeyondTheRadiusTakeTheOutsideValueAndKoeffZeroIsOne)
{
    CQxImage img;
    MakeImage(img, 16, 16, Depth{8, false}, 50);
    ASSERT_TRUE(img.SetTransIndex(200));
    CQxImage a, b;
    a.Copy(img);
    b.Copy(img);
    ASSERT_TRUE(a.CircleTransform(2, 5, 0.0f));
    ASSERT_TRUE(b.CircleTransform(2, 5, 1.0f));
    EXPECT_TRUE(SameImage(a, b));
    EXPECT_EQ(a.GetPixelIndex(0, 0), 200);
    EXPECT_EQ(a.GetPixelIndex(15, 15), 200);
    // The centre stays where it is for the radial types.
    for (int type : {0, 1, 2}) {
        CQxImage c;
        c.Copy(img);
        ASSERT_TRUE(c.CircleTransform(type));
        EXPECT_EQ(c.GetPixelIndex(8, 8), img.GetPixelIndex(8, 8)) << type;
    }
    for (int type : {3, 4, 7}) {
        CQxImage c;
        c.Copy(img);
        EXPECT_TRUE(c.CircleTransform(type)) << type;
    }
}

TEST(Resample, BoxShrinkAveragesBlocks)
{
    CQxImage img;
    MakeImage(img, 400, 300, Depth{24, false}, 51);
    CQxImage dst;
    ASSERT_TRUE(img.Resample(100, 75, 0, &dst));
    for (LONG y : {0L, 37L, 74L})
        for (LONG x : {0L, 50L, 99L}) {
            int sum = 0;
            for (LONG j = 0; j < 4; ++j)
                for (LONG i = 0; i < 4; ++i)
                    sum += img.GetPixelColor(x * 4 + i, y * 4 + j).rgbRed;
            EXPECT_EQ(dst.GetPixelColor(x, y).rgbRed, sum / 16) << x << "," << y;
        }
}

TEST(Resample, BoxShrinkOfUnevenFactorsStaysWithinTheSourceRange)
{
    CQxImage img;
    MakeFlat(img, 97, 61, 200, 100, 50);
    ASSERT_TRUE(img.Resample(13, 7, 0));
    for (LONG y = 0; y < 7; ++y)
        for (LONG x = 0; x < 13; ++x) {
            const RGBQUAD c = img.GetPixelColor(x, y);
            ASSERT_NEAR(c.rgbRed, 200, 2) << x << "," << y;
            ASSERT_NEAR(c.rgbBlue, 50, 2) << x << "," << y;
        }
}

TEST(Resample, BilinearEnlargementByHand)
{
    // 2 x 2 grey levels: (0,0) 0, (1,0) 100, (0,1) 200, (1,1) 40; enlarged to 4 x 4 the
    // scale is 0.5 and destination x reads source x / 2.
    CQxImage img;
    MakeFlat(img, 2, 2, 0, 0, 0);
    SetGrey(img, 1, 0, 100);
    SetGrey(img, 0, 1, 200);
    SetGrey(img, 1, 1, 40);
    ASSERT_TRUE(img.Resample(4, 4, 0));
    EXPECT_EQ(Grey(img, 0, 0), 0);
    EXPECT_EQ(Grey(img, 1, 0), 50);  // halfway from 0 to 100
    EXPECT_EQ(Grey(img, 0, 1), 100); // halfway from 0 to 200
    EXPECT_EQ(Grey(img, 1, 1), 85);  // (0 + 200) / 2 and (100 + 40) / 2, then halfway
    EXPECT_EQ(Grey(img, 2, 1), 70);  // last column: (100 + 40) / 2
    EXPECT_EQ(Grey(img, 3, 3), 40);
}

TEST(Resample, NearestAndBSplineModes)
{
    CQxImage img;
    MakeImage(img, 4, 4, Depth{8, false}, 52);
    CQxImage nearest;
    ASSERT_TRUE(img.Resample(2, 2, 1, &nearest));
    EXPECT_EQ(nearest.GetPixelIndex(1, 0), img.GetPixelIndex(2, 0));
    EXPECT_EQ(nearest.GetPixelIndex(1, 1), img.GetPixelIndex(2, 2));

    CQxImage flat;
    MakeFlat(flat, 10, 10, 120, 60, 30);
    ASSERT_TRUE(flat.AlphaCreate());
    flat.AlphaSet(0, 0, 9);
    ASSERT_TRUE(flat.Resample(23, 17, 2));
    for (LONG y = 0; y < 17; ++y)
        for (LONG x = 0; x < 23; ++x) {
            ASSERT_NEAR(Grey(flat, x, y), 60, 1);
            ASSERT_NEAR(flat.GetPixelColor(x, y).rgbRed, 120, 1);
        }
    // Alpha follows the nearest pixel in every mode.
    EXPECT_EQ(flat.AlphaGet(0, 0), 9);
    EXPECT_EQ(flat.AlphaGet(3, 0), 255);
}

TEST(Resample, PaletteImagesKeepTheirPalette)
{
    CQxImage img, orig;
    MakeImage(img, 12, 12, Depth{4, false}, 53);
    orig.Copy(img);
    ASSERT_TRUE(img.Resample(7, 9, 0));
    EXPECT_EQ(img.GetBpp(), 4);
    EXPECT_TRUE(img.IsSamePalette(orig));
    ASSERT_TRUE(img.Resample(20, 20, 2));
    EXPECT_TRUE(img.IsSamePalette(orig));
}

TEST(Resample2, EveryMethodKeepsAFlatImageFlatWhenEnlarging)
{
    for (int m = 1; m <= 16; ++m) {
        CQxImage img;
        MakeFlat(img, 6, 5, 100, 150, 200);
        ASSERT_TRUE(img.Resample2(13, 11, static_cast<CQxImage::InterpolationMethod>(m), CQxImage::OM_REPEAT));
        ASSERT_EQ(img.GetWidth(), 13u);
        const bool normalised = m <= 5 || m == 8 || m == 15 || m == 16;
        if (normalised) {
            for (LONG y = 0; y < 11; ++y)
                for (LONG x = 0; x < 13; ++x)
                    ASSERT_NEAR(Grey(img, x, y), 150, 2) << m << " at " << x << "," << y;
        }
    }
}

TEST(Resample2, KernelResultsMatchThePointInterpolator)
{
    CQxImage img;
    MakeImage(img, 9, 7, Depth{24, true}, 54);
    for (auto m : {CQxImage::IM_BICUBIC2, CQxImage::IM_LANCZOS, CQxImage::IM_MITCHELL}) {
        CQxImage dst;
        ASSERT_TRUE(img.Resample2(20, 15, m, CQxImage::OM_MIRROR, &dst));
        const float xs = 9.0f / 20.0f, ys = 7.0f / 15.0f;
        for (LONG y = 0; y < 15; y += 4)
            for (LONG x = 0; x < 20; x += 3) {
                const RGBQUAD want = img.GetPixelColorInterpolated((static_cast<float>(x) + 0.5f) * xs - 0.5f,
                                                                   (static_cast<float>(y) + 0.5f) * ys - 0.5f, m,
                                                                   CQxImage::OM_MIRROR);
                const RGBQUAD got = dst.GetPixelColor(x, y);
                ASSERT_TRUE(qxtest::SameRgb(got, want)) << m << " at " << x << "," << y;
                ASSERT_EQ(got.rgbReserved, want.rgbReserved);
            }
    }
}

TEST(Resample2, ReductionAveragesAreas)
{
    CQxImage img;
    MakeImage(img, 40, 40, Depth{24, false}, 55);
    CQxImage dst;
    ASSERT_TRUE(img.Resample2(10, 10, CQxImage::IM_BILINEAR, CQxImage::OM_REPEAT, &dst));
    for (LONG y : {0L, 5L, 9L})
        for (LONG x : {0L, 4L, 9L}) {
            int sum = 0;
            for (LONG j = 0; j < 4; ++j)
                for (LONG i = 0; i < 4; ++i)
                    sum += img.GetPixelColor(x * 4 + i, y * 4 + j).rgbBlue;
            EXPECT_NEAR(dst.GetPixelColor(x, y).rgbBlue, sum / 16, 1) << x << "," << y;
        }
    // With averaging disabled the interpolator samples the destination pixel centres.
    CQxImage point;
    ASSERT_TRUE(img.Resample2(20, 20, CQxImage::IM_NEAREST_NEIGHBOUR, CQxImage::OM_REPEAT, &point, true));
    EXPECT_TRUE(qxtest::SameRgb(point.GetPixelColor(3, 5), img.GetPixelColor(7, 11)));
}

TEST(QIShrink, BlocksOfFourThreeAndThree)
{
    CQxImage img;
    MakeImage(img, 10, 10, Depth{24, true}, 56);
    CQxImage dst;
    ASSERT_TRUE(img.QIShrink(3, 3, &dst));
    const LONG start[3] = {0, 4, 7}, size[3] = {4, 3, 3};
    for (int cy = 0; cy < 3; ++cy)
        for (int cx = 0; cx < 3; ++cx) {
            int sum = 0, alpha = 0;
            for (LONG j = 0; j < size[cy]; ++j)
                for (LONG i = 0; i < size[cx]; ++i) {
                    sum += img.GetPixelColor(start[cx] + i, start[cy] + j).rgbGreen;
                    alpha += img.AlphaGet(start[cx] + i, start[cy] + j);
                }
            const int n = size[cx] * size[cy];
            EXPECT_EQ(Grey(dst, cx, cy), sum / n) << cx << "," << cy;
            EXPECT_EQ(dst.AlphaGet(cx, cy), alpha / n) << cx << "," << cy;
        }
    EXPECT_FALSE(img.QIShrink(11, 3));
    EXPECT_STREQ(img.GetLastError(), "QIShrink can't enlarge image");
}

TEST(QIShrink, PaletteImagesPickTheNearestEntry)
{
    CQxImage img;
    MakeImage(img, 8, 8, Depth{8, false}, 57);
    for (LONG y = 0; y < 8; ++y)
        for (LONG x = 0; x < 8; ++x)
            img.SetPixelIndex(x, y, static_cast<BYTE>(x < 4 ? 10 : 20));
    ASSERT_TRUE(img.QIShrink(2, 2));
    EXPECT_EQ(img.GetPixelIndex(0, 0), 10);
    EXPECT_EQ(img.GetPixelIndex(1, 1), 20);
}

TEST(Thumbnail, FitsTheBoxAndCentresOnTheCanvas)
{
    CQxImage img;
    MakeFlat(img, 400, 100, 10, 200, 30);
    const RGBQUAD canvas{7, 7, 7, 0};
    CQxImage dst;
    ASSERT_TRUE(img.Thumbnail(100, 100, canvas, &dst));
    ASSERT_EQ(dst.GetWidth(), 100u);
    ASSERT_EQ(dst.GetHeight(), 100u);
    EXPECT_EQ(img.GetWidth(), 400u);
    // The 100 x 25 picture sits on rows 38 .. 62 (37 rows above it, 38 below).
    EXPECT_EQ(Grey(dst, 50, 37), 7);
    EXPECT_EQ(Grey(dst, 50, 38), 200);
    EXPECT_EQ(Grey(dst, 50, 62), 200);
    EXPECT_EQ(Grey(dst, 50, 63), 7);
    EXPECT_EQ(Grey(dst, 0, 50), 200);

    // A picture smaller than the box is only padded; an extreme one keeps at least a pixel.
    CQxImage small;
    MakeFlat(small, 10, 10, 1, 2, 3);
    ASSERT_TRUE(small.Thumbnail(20, 30, canvas));
    EXPECT_EQ(small.GetWidth(), 20u);
    CQxImage line;
    MakeFlat(line, 1000, 1, 1, 2, 3);
    ASSERT_TRUE(line.Thumbnail(50, 50, canvas));
    EXPECT_EQ(line.GetHeight(), 50u);
}

TEST(Transforms, InformationStaysWithTheImage)
{
    // A transformed image keeps the information block's format and resolution.
    CQxImage img;
    MakeImage(img, 8, 8, Depth{24, false});
    img.SetYDPI(150);
    ASSERT_TRUE(img.Resample2(16, 16));
    EXPECT_EQ(img.GetYDPI(), 150);
    EXPECT_EQ(img.GetType(), QXIMAGE_FORMAT_BMP);
    ASSERT_TRUE(img.GrayScale());
    EXPECT_EQ(img.GetYDPI(), 150);
}

} // namespace
