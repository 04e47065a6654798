// Flips, mirror and rotations: identities at every depth, hand-checked turns, and
// cancelled or refused transformations leaving the image as it was.
#include "tests/imaging/ImageTransformTestImages.h"

#include <functional>
#include <limits>
#include <string>
#include <vector>

using qxtest::Depth;
using qxtest::MakeImage;
using qxtest::SameImage;

namespace {

class TransformIdentity : public ::testing::TestWithParam<Depth>
{
};

TEST_P(TransformIdentity, QuarterTurnsBackAndForthRestoreTheImage)
{
    for (auto [w, h] : {std::pair<DWORD, DWORD>{65, 3}, {7, 130}, {1, 1}}) {
        CQxImage img, orig;
        MakeImage(img, w, h, GetParam(), w * 31 + h);
        orig.Copy(img);
        ASSERT_TRUE(img.RotateLeft());
        EXPECT_EQ(img.GetWidth(), h);
        EXPECT_EQ(img.GetHeight(), w);
        ASSERT_TRUE(img.RotateRight());
        EXPECT_TRUE(SameImage(img, orig)) << w << "x" << h;

        ASSERT_TRUE(img.RotateRight());
        ASSERT_TRUE(img.RotateLeft());
        EXPECT_TRUE(SameImage(img, orig)) << w << "x" << h;
    }
}

TEST_P(TransformIdentity, FourQuarterTurnsAndTwoHalfTurnsRestoreTheImage)
{
    CQxImage img, orig;
    MakeImage(img, 67, 66, GetParam(), 3);
    orig.Copy(img);
    for (int i = 0; i < 4; ++i)
        ASSERT_TRUE(img.RotateRight());
    EXPECT_TRUE(SameImage(img, orig));
    ASSERT_TRUE(img.Rotate180());
    EXPECT_FALSE(SameImage(img, orig));
    ASSERT_TRUE(img.Rotate180());
    EXPECT_TRUE(SameImage(img, orig));
}

TEST_P(TransformIdentity, HalfTurnEqualsTwoQuarterTurns)
{
    CQxImage a, b;
    MakeImage(a, 13, 9, GetParam(), 4);
    b.Copy(a);
    ASSERT_TRUE(a.Rotate180());
    ASSERT_TRUE(b.RotateLeft());
    ASSERT_TRUE(b.RotateLeft());
    EXPECT_TRUE(SameImage(a, b));
}

TEST_P(TransformIdentity, FlipAndMirrorTwiceRestoreTheImageAndMoveAlphaWithColours)
{
    CQxImage img, orig;
    MakeImage(img, 13, 7, GetParam(), 5);
    orig.Copy(img);

    ASSERT_TRUE(img.Flip());
    for (LONG y = 0; y < 7; ++y)
        for (LONG x = 0; x < 13; ++x) {
            ASSERT_TRUE(qxtest::SameRgb(img.GetPixelColor(x, y), orig.GetPixelColor(x, 6 - y)));
            ASSERT_EQ(img.AlphaGet(x, y), orig.AlphaGet(x, 6 - y));
        }
    ASSERT_TRUE(img.Flip());
    EXPECT_TRUE(SameImage(img, orig));

    ASSERT_TRUE(img.Mirror());
    for (LONG y = 0; y < 7; ++y)
        for (LONG x = 0; x < 13; ++x) {
            ASSERT_TRUE(qxtest::SameRgb(img.GetPixelColor(x, y), orig.GetPixelColor(12 - x, y)));
            ASSERT_EQ(img.AlphaGet(x, y), orig.AlphaGet(12 - x, y));
        }
    ASSERT_TRUE(img.Mirror());
    EXPECT_TRUE(SameImage(img, orig));
}

TEST_P(TransformIdentity, ResamplingToTheSameSizeCopiesIntoTheDestination)
{
    CQxImage img, orig;
    MakeImage(img, 9, 5, GetParam(), 6);
    ASSERT_TRUE(img.SelectionCreate());
    orig.Copy(img);
    for (int mode : {0, 1, 2}) {
        CQxImage dst;
        ASSERT_TRUE(img.Resample(9, 5, mode, &dst));
        EXPECT_TRUE(SameImage(dst, orig));
        EXPECT_TRUE(dst.SelectionIsValid());
    }
    CQxImage dst2, dst3;
    ASSERT_TRUE(img.Resample2(9, 5, CQxImage::IM_LANCZOS, CQxImage::OM_REPEAT, &dst2));
    EXPECT_TRUE(SameImage(dst2, orig));
    ASSERT_TRUE(img.QIShrink(9, 5, &dst3));
    EXPECT_TRUE(SameImage(dst3, orig));
    ASSERT_TRUE(img.Resample(9, 5, 0));
    EXPECT_TRUE(SameImage(img, orig));
}

TEST_P(TransformIdentity, CropThenExpandRestoresTheInnerPixels)
{
    CQxImage img, orig;
    MakeImage(img, 20, 11, GetParam(), 7);
    orig.Copy(img);
    // Left 3, top 2 (from the top edge), right 17, bottom 8: rows 3 .. 8 from the bottom.
    ASSERT_TRUE(img.Crop(3, 2, 17, 8));
    ASSERT_EQ(img.GetWidth(), 14u);
    ASSERT_EQ(img.GetHeight(), 6u);
    EXPECT_EQ(img.AlphaIsValid(), GetParam().alpha);
    ASSERT_TRUE(img.Expand(3, 2, 3, 3, RGBQUAD{1, 2, 3, 0}));
    ASSERT_EQ(img.GetWidth(), 20u);
    ASSERT_EQ(img.GetHeight(), 11u);
    for (LONG y = 3; y < 9; ++y)
        for (LONG x = 3; x < 17; ++x) {
            if (img.IsIndexed())
                ASSERT_EQ(img.GetPixelIndex(x, y), orig.GetPixelIndex(x, y)) << x << "," << y;
            else
                ASSERT_TRUE(qxtest::SameRgb(img.GetPixelColor(x, y), orig.GetPixelColor(x, y))) << x << "," << y;
        }
}

TEST_P(TransformIdentity, RotateByAnyAngleOfZeroKeepsThePixelsInATwoPixelLargerFrame)
{
    CQxImage img, orig;
    MakeImage(img, 10, 6, GetParam(), 8);
    orig.Copy(img);
    ASSERT_TRUE(img.Rotate(0.0f));
    ASSERT_EQ(img.GetWidth(), 12u);
    ASSERT_EQ(img.GetHeight(), 8u);
    // Destination x + 1 samples source x (the half-pixel shift truncates toward zero).
    for (LONG y = 0; y < 6; ++y)
        for (LONG x = 0; x < 10; ++x) {
            ASSERT_TRUE(qxtest::SameRgb(img.GetPixelColor(x + 1, y + 1), orig.GetPixelColor(x, y)));
            ASSERT_EQ(img.AlphaGet(x + 1, y + 1), orig.AlphaGet(x, y));
        }
}

TEST_P(TransformIdentity, Rotate2NearRightAnglesUsesTheExactTurns)
{
    CQxImage img, right, same;
    MakeImage(img, 10, 10, GetParam(), 9);
    right.Copy(img);
    ASSERT_TRUE(right.RotateRight());
    CQxImage dst;
    ASSERT_TRUE(img.Rotate2(90.1f, &dst));
    EXPECT_TRUE(SameImage(dst, right));

    same.Copy(img);
    ASSERT_TRUE(img.Rotate2(0.01f));
    EXPECT_TRUE(SameImage(img, same));
    CQxImage copy;
    ASSERT_TRUE(img.Rotate2(0.01f, &copy));
    EXPECT_TRUE(SameImage(copy, same));
}

TEST_P(TransformIdentity, Rotate2KeepingTheSizeAtZeroDegreesIsExact)
{
    if (GetParam().bpp != 24)
        GTEST_SKIP() << "palette images go through the nearest palette entry";
    CQxImage img, orig;
    MakeImage(img, 11, 7, GetParam(), 10);
    orig.Copy(img);
    ASSERT_TRUE(img.Rotate2(0.0f, nullptr, CQxImage::IM_BILINEAR, CQxImage::OM_BACKGROUND, nullptr, false, true));
    EXPECT_TRUE(SameImage(img, orig));
}

INSTANTIATE_TEST_SUITE_P(Depths, TransformIdentity, ::testing::ValuesIn(qxtest::kAllDepths), qxtest::DepthName);

// 3 x 2 picture, rows from the bottom:   D E F  (y = 1)
//                                         A B C  (y = 0)
void MakeLetters(CQxImage& img)
{
    ASSERT_NE(img.Create(3, 2, 24), nullptr);
    const char* letters = "ABCDEF";
    for (LONG i = 0; i < 6; ++i)
        img.SetPixelColor(i % 3, i / 3, RGBQUAD{static_cast<BYTE>(letters[i]), 0, 0, 0});
}

std::string Letters(CQxImage& img)
{
    std::string s;
    for (LONG y = static_cast<LONG>(img.GetHeight()) - 1; y >= 0; --y) {
        for (LONG x = 0; x < static_cast<LONG>(img.GetWidth()); ++x)
            s += static_cast<char>(img.GetPixelColor(x, y).rgbBlue);
        if (y)
            s += '/';
    }
    return s;
}

TEST(TransformHandChecked, ThreeByTwoTurnsAsSeenOnScreen)
{
    CQxImage img;
    MakeLetters(img);
    ASSERT_EQ(Letters(img), "DEF/ABC");

    CQxImage right;
    ASSERT_TRUE(img.RotateRight(&right));
    EXPECT_EQ(Letters(right), "AD/BE/CF");
    EXPECT_EQ(Letters(img), "DEF/ABC") << "the source stays as it was";

    CQxImage left;
    ASSERT_TRUE(img.RotateLeft(&left));
    EXPECT_EQ(Letters(left), "FC/EB/DA");

    CQxImage half;
    ASSERT_TRUE(img.Rotate180(&half));
    EXPECT_EQ(Letters(half), "CBA/FED");

    ASSERT_TRUE(img.Flip());
    EXPECT_EQ(Letters(img), "ABC/DEF");
    ASSERT_TRUE(img.Mirror());
    EXPECT_EQ(Letters(img), "CBA/FED");
}

TEST(TransformHandChecked, QuarterTurnsOfOneBitRowsCrossByteBoundaries)
{
    CQxImage img;
    ASSERT_NE(img.Create(9, 2, 1), nullptr);
    img.SetPaletteColor(1, 255, 255, 255);
    img.SetPixelIndex(8, 0, 1); // bottom right, in the row's second byte
    img.SetPixelIndex(0, 1, 1); // top left
    ASSERT_TRUE(img.RotateRight());
    ASSERT_EQ(img.GetWidth(), 2u);
    ASSERT_EQ(img.GetHeight(), 9u);
    // Bottom right goes to bottom left, top left to top right.
    EXPECT_EQ(img.GetPixelIndex(0, 0), 1);
    EXPECT_EQ(img.GetPixelIndex(1, 8), 1);
    int set = 0;
    for (LONG y = 0; y < 9; ++y)
        for (LONG x = 0; x < 2; ++x)
            set += img.GetPixelIndex(x, y);
    EXPECT_EQ(set, 2);
}

TEST(TransformHandChecked, RotationsKeepInformationAndDropTheSelection)
{
    CQxImage img;
    MakeImage(img, 6, 4, Depth{8, false});
    img.SetXDPI(300);
    ASSERT_TRUE(img.SetTransIndex(5));
    ASSERT_TRUE(img.SelectionCreate());
    ASSERT_TRUE(img.RotateLeft());
    EXPECT_EQ(img.GetXDPI(), 300);
    EXPECT_EQ(img.GetTransIndex(), 5);
    EXPECT_EQ(img.GetType(), QXIMAGE_FORMAT_BMP);
    EXPECT_FALSE(img.SelectionIsValid());
    ASSERT_TRUE(img.Flip());
    EXPECT_EQ(img.GetXDPI(), 300);
}

TEST(TransformHandChecked, RotateByAQuarterTurnCoversTheWholePicture)
{
    CQxImage img;
    MakeImage(img, 40, 20, Depth{24, true});
    ASSERT_TRUE(img.Rotate(90.0f));
    EXPECT_EQ(img.GetWidth(), 22u);
    EXPECT_EQ(img.GetHeight(), 42u);
    EXPECT_TRUE(img.AlphaIsValid());
}

TEST(TransformHandChecked, Rotate2FillsOutsideWithTheReplacementColour)
{
    CQxImage img;
    qxtest::MakeFlat(img, 20, 20, 10, 20, 30);
    ASSERT_TRUE(img.AlphaCreate());
    RGBQUAD repl{200, 100, 50, 7};
    ASSERT_TRUE(img.Rotate2(45.0f, nullptr, CQxImage::IM_BILINEAR, CQxImage::OM_COLOR, &repl));
    EXPECT_GT(img.GetWidth(), 27u);
    const RGBQUAD corner = img.GetPixelColor(0, 0);
    EXPECT_EQ(corner.rgbBlue, 200);
    EXPECT_EQ(corner.rgbRed, 50);
    EXPECT_EQ(img.AlphaGet(0, 0), 7);
    const LONG cx = static_cast<LONG>(img.GetWidth() / 2), cy = static_cast<LONG>(img.GetHeight() / 2);
    const RGBQUAD centre = img.GetPixelColor(cx, cy);
    EXPECT_EQ(centre.rgbRed, 10);
    EXPECT_EQ(centre.rgbGreen, 20);
    EXPECT_EQ(img.AlphaGet(cx, cy), 255);
}

TEST(TransformHandChecked, RotateOfAPaletteImageKeepsItsPalette)
{
    CQxImage img, orig;
    MakeImage(img, 15, 9, Depth{4, false});
    orig.Copy(img);
    ASSERT_TRUE(img.Rotate2(30.0f, nullptr, CQxImage::IM_NEAREST_NEIGHBOUR));
    ASSERT_EQ(img.GetBpp(), 4);
    EXPECT_TRUE(img.IsSamePalette(orig));
}

// Every transformation, called on a cancelled image, returns false and changes nothing.
struct Cancellable {
    const char* name;
    std::function<bool(CQxImage&)> run;
};

class CancelledTransform : public ::testing::TestWithParam<Depth>
{
};

TEST_P(CancelledTransform, LeavesTheImageUnchanged)
{
    CQxImage dst;
    const std::vector<Cancellable> all = {
        {"RotateLeft", [](CQxImage& i) { return i.RotateLeft(); }},
        {"RotateRight", [](CQxImage& i) { return i.RotateRight(); }},
        {"Rotate180", [](CQxImage& i) { return i.Rotate180(); }},
        {"Rotate", [](CQxImage& i) { return i.Rotate(33.0f); }},
        {"Rotate2", [](CQxImage& i) { return i.Rotate2(33.0f); }},
        {"Rotate2Dst", [&dst](CQxImage& i) { return i.Rotate2(33.0f, &dst); }},
        {"Resample0", [](CQxImage& i) { return i.Resample(7, 5, 0); }},
        {"Resample1", [](CQxImage& i) { return i.Resample(30, 20, 1); }},
        {"Resample2Mode", [](CQxImage& i) { return i.Resample(30, 20, 2); }},
        {"Resample2", [](CQxImage& i) { return i.Resample2(30, 20); }},
        {"Resample2Reduce", [](CQxImage& i) { return i.Resample2(5, 4); }},
        {"QIShrink", [](CQxImage& i) { return i.QIShrink(5, 4); }},
        {"Thumbnail", [](CQxImage& i) { return i.Thumbnail(8, 8, RGBQUAD{0, 0, 0, 0}); }},
        {"GrayScale", [](CQxImage& i) { return i.GrayScale(); }},
        {"IncreaseBpp", [](CQxImage& i) { return i.IncreaseBpp(24); }},
        {"DecreaseBpp", [](CQxImage& i) { return i.DecreaseBpp(1, true); }},
        {"Dither", [](CQxImage& i) { return i.Dither(3); }},
        {"Skew", [](CQxImage& i) { return i.Skew(0.3f, 0.1f, 2, 2, true); }},
        {"CircleTransform", [](CQxImage& i) { return i.CircleTransform(2); }},
        {"CropRotatedRectangle", [](CQxImage& i) { return i.CropRotatedRectangle(2, 2, 8, 5, 0.3f); }},
    };
    for (const Cancellable& t : all) {
        CQxImage img, orig;
        MakeImage(img, 17, 13, GetParam(), 11);
        if (GetParam().bpp == 24 && std::string(t.name) == "IncreaseBpp")
            continue; // nothing to do: true at once
        if (GetParam().bpp == 1 && (std::string(t.name) == "Dither" || std::string(t.name) == "DecreaseBpp"))
            continue; // nothing to do: true at once
        orig.Copy(img);
        img.SetEscape(1);
        EXPECT_FALSE(t.run(img)) << t.name;
        EXPECT_TRUE(SameImage(img, orig)) << t.name;
        EXPECT_TRUE(img.IsSamePalette(orig) || !img.IsIndexed()) << t.name;
        img.SetEscape(0);
    }
    EXPECT_FALSE(dst.IsValid());
}

INSTANTIATE_TEST_SUITE_P(Depths, CancelledTransform, ::testing::ValuesIn(qxtest::kAllDepths), qxtest::DepthName);

TEST(RandomTransform, OddSizesAndArgumentsStayInsideTheBuffers)
{
    // Random small images and arguments, run under the sanitizers: every call either
    // fails cleanly or leaves a valid image.
    qxtest::TestRandom rnd(77);
    for (int round = 0; round < 300; ++round) {
        const Depth d = qxtest::kAllDepths[rnd.Next() % 6];
        CQxImage img;
        MakeImage(img, 1 + rnd.Next() % 19, 1 + rnd.Next() % 19, d, round);
        if (rnd.Next() % 3 == 0) {
            ASSERT_TRUE(img.SelectionAddRect(RECT{static_cast<LONG>(rnd.Next() % 10), static_cast<LONG>(rnd.Next() % 10),
                                                  static_cast<LONG>(rnd.Next() % 20), 0}));
        }
        const auto arg = [&rnd](int range) { return static_cast<LONG>(rnd.Next() % (2 * range + 1)) - range; };
        const float angle = static_cast<float>(arg(400)) + 0.37f;
        const auto method = static_cast<CQxImage::InterpolationMethod>(rnd.Next() % 18);
        const auto overflow = static_cast<CQxImage::OverflowMethod>(rnd.Next() % 8);
        bool ok = false;
        switch (rnd.Next() % 12) {
        case 0: ok = img.Rotate(angle); break;
        case 1: ok = img.Rotate2(angle, nullptr, method, overflow, nullptr, rnd.Next() % 2, rnd.Next() % 2); break;
        case 2: ok = img.Resample(arg(30), arg(30), static_cast<int>(rnd.Next() % 4)); break;
        case 3: ok = img.Resample2(arg(30), arg(30), method, overflow, nullptr, rnd.Next() % 2); break;
        case 4: ok = img.QIShrink(arg(20), arg(20)); break;
        case 5: ok = img.Thumbnail(arg(25), arg(25), RGBQUAD{9, 9, 9, 0}); break;
        case 6: ok = img.Crop(arg(25), arg(25), arg(25), arg(25)); break;
        case 7: ok = img.CropRotatedRectangle(arg(10), arg(10), arg(10), arg(10), static_cast<float>(arg(6)) / 3.0f); break;
        case 8: ok = img.Expand(arg(5), arg(5), arg(5), arg(5), RGBQUAD{1, 2, 3, 0}); break;
        case 9: ok = img.Skew(static_cast<float>(arg(4)) / 3.0f, static_cast<float>(arg(4)) / 3.0f, arg(10), arg(10), rnd.Next() % 2); break;
        case 10: ok = img.CircleTransform(static_cast<int>(rnd.Next() % 6), arg(12), static_cast<float>(arg(3))); break;
        default: ok = img.DecreaseBpp(1u << (rnd.Next() % 4), rnd.Next() % 2, nullptr, rnd.Next() % 300); break;
        }
        EXPECT_TRUE(img.IsValid()) << "round " << round << (ok ? " (succeeded)" : " (refused)");
    }
}

TEST(RefusedTransform, EmptyImagesAndBadArgumentsChangeNothing)
{
    CQxImage empty;
    EXPECT_FALSE(empty.Flip());
    EXPECT_FALSE(empty.Mirror());
    EXPECT_FALSE(empty.RotateLeft());
    EXPECT_FALSE(empty.Rotate2(10.0f));
    EXPECT_FALSE(empty.Resample(4, 4));
    EXPECT_FALSE(empty.GrayScale());
    EXPECT_FALSE(empty.Negative());
    EXPECT_FALSE(empty.Crop(0, 0, 1, 1));
    EXPECT_FALSE(empty.Skew(1, 1));

    CQxImage img, orig;
    MakeImage(img, 8, 6, Depth{24, true});
    orig.Copy(img);
    EXPECT_FALSE(img.Resample(0, 5));
    EXPECT_FALSE(img.Resample2(-3, 5));
    EXPECT_FALSE(img.Crop(4, 0, 4, 6));
    EXPECT_FALSE(img.Expand(-1, 0, 0, 0, RGBQUAD{}));
    EXPECT_FALSE(img.Expand(7, 6, RGBQUAD{}));
    EXPECT_FALSE(img.Thumbnail(0, 4, RGBQUAD{}));
    EXPECT_FALSE(img.CircleTransform(-1));
    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_FALSE(img.Rotate(nan));
    EXPECT_FALSE(img.Rotate2(std::numeric_limits<float>::infinity()));
    EXPECT_FALSE(img.CropRotatedRectangle(1, 1, 3, 3, nan));
    CQxImage warp(img);
    EXPECT_TRUE(warp.Skew(nan, 0.5f, 0, 0, false)) << "points it cannot place read as outside";
    EXPECT_TRUE(warp.Skew(nan, 0.5f, 0, 0, true));
    // Sizes beyond the memory budget are refused before anything is allocated.
    EXPECT_FALSE(img.Resample(2000000000, 2000000000));
    EXPECT_FALSE(img.Expand(2000000000, 2000000000, 0, 0, RGBQUAD{}));
    EXPECT_TRUE(SameImage(img, orig));
}

} // namespace
