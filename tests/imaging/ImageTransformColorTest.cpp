// Grey scale, negative, colour depth changes and dithering.
#include "tests/imaging/ImageTransformTestImages.h"

#include <string>

using qxtest::Depth;
using qxtest::MakeImage;
using qxtest::SameColors;
using qxtest::SameImage;

namespace {

class ColorAtEveryDepth : public ::testing::TestWithParam<Depth>
{
};

TEST_P(ColorAtEveryDepth, NegativeTwiceRestoresTheImage)
{
    CQxImage img, orig;
    MakeImage(img, 13, 6, GetParam(), 21);
    orig.Copy(img);
    ASSERT_TRUE(img.Negative());
    EXPECT_FALSE(SameColors(img, orig));
    ASSERT_TRUE(img.Negative());
    EXPECT_TRUE(SameImage(img, orig));
}

TEST_P(ColorAtEveryDepth, NegativeInvertsEveryColour)
{
    CQxImage img, orig;
    MakeImage(img, 9, 4, GetParam(), 22);
    orig.Copy(img);
    ASSERT_TRUE(img.Negative());
    for (LONG y = 0; y < 4; ++y)
        for (LONG x = 0; x < 9; ++x) {
            const RGBQUAD a = img.GetPixelColor(x, y), b = orig.GetPixelColor(x, y);
            ASSERT_EQ(a.rgbRed, 255 - b.rgbRed);
            ASSERT_EQ(a.rgbBlue, 255 - b.rgbBlue);
            ASSERT_EQ(img.AlphaGet(x, y), orig.AlphaGet(x, y)) << "alpha untouched";
        }
}

TEST_P(ColorAtEveryDepth, GrayScaleKeepsAGreyImageAndGivesGreyLevels)
{
    CQxImage img, orig;
    MakeImage(img, 11, 5, GetParam(), 23);
    orig.Copy(img);
    ASSERT_TRUE(img.GrayScale());
    EXPECT_EQ(img.GetBpp(), 8);
    EXPECT_TRUE(img.IsGrayScale());
    EXPECT_EQ(img.AlphaIsValid(), GetParam().alpha);
    for (LONG y = 0; y < 5; ++y)
        for (LONG x = 0; x < 11; ++x) {
            const RGBQUAD c = orig.GetPixelColor(x, y);
            ASSERT_EQ(img.GetPixelIndex(x, y), (306 * c.rgbRed + 601 * c.rgbGreen + 117 * c.rgbBlue) >> 10);
            ASSERT_EQ(img.AlphaGet(x, y), orig.AlphaGet(x, y));
        }
    CQxImage grey;
    grey.Copy(img);
    ASSERT_TRUE(img.GrayScale());
    EXPECT_TRUE(SameImage(img, grey));
}

TEST_P(ColorAtEveryDepth, DepthDownAndUpKeepsPaletteColoursExact)
{
    const Depth d = GetParam();
    if (d.bpp == 24)
        GTEST_SKIP() << "covered by the true-colour case below";
    // A palette image goes up to 24 bits and back down onto its own palette.
    CQxImage img, orig;
    MakeImage(img, 10, 7, d, 24);
    orig.Copy(img);
    RGBQUAD pal[256];
    for (DWORD i = 0; i < img.GetNumColors(); ++i)
        pal[i] = img.GetPaletteColor(static_cast<BYTE>(i));
    ASSERT_TRUE(img.IncreaseBpp(24));
    EXPECT_EQ(img.GetBpp(), 24);
    EXPECT_TRUE(SameColors(img, orig));
    ASSERT_TRUE(img.DecreaseBpp(d.bpp, false, pal));
    EXPECT_TRUE(SameImage(img, orig));
}

TEST_P(ColorAtEveryDepth, IncreaseStepsKeepIndexesAndRefuseGoingDown)
{
    CQxImage img, orig;
    MakeImage(img, 10, 3, GetParam(), 25);
    orig.Copy(img);
    const DWORD bpp = GetParam().bpp;
    EXPECT_FALSE(img.IncreaseBpp(16));
    if (bpp != 1) {
        EXPECT_TRUE(img.IncreaseBpp(bpp)) << "already at the target depth";
    }
    if (bpp > 4) {
        EXPECT_FALSE(img.IncreaseBpp(4));
    }
    if (bpp == 24) {
        EXPECT_FALSE(img.IncreaseBpp(8));
    }
    EXPECT_TRUE(SameImage(img, orig));
    for (DWORD target : {4u, 8u}) {
        if (target <= bpp)
            continue;
        ASSERT_TRUE(img.IncreaseBpp(target));
        EXPECT_EQ(img.GetBpp(), target);
        EXPECT_TRUE(SameColors(img, orig));
        EXPECT_EQ(img.AlphaIsValid(), GetParam().alpha);
    }
}

INSTANTIATE_TEST_SUITE_P(Depths, ColorAtEveryDepth, ::testing::ValuesIn(qxtest::kAllDepths), qxtest::DepthName);

TEST(ColorHandChecked, NegativeWithASelectionChangesOnlySelectedPixels)
{
    CQxImage img, orig;
    MakeImage(img, 8, 8, Depth{24, false}, 26);
    orig.Copy(img);
    RECT r{2, 5, 5, 1}; // x 2 .. 4, y 1 .. 4
    ASSERT_TRUE(img.SelectionAddRect(r));
    ASSERT_TRUE(img.Negative());
    for (LONG y = 0; y < 8; ++y)
        for (LONG x = 0; x < 8; ++x) {
            const bool in = x >= 2 && x < 5 && y >= 1 && y < 5;
            const RGBQUAD a = img.GetPixelColor(x, y), b = orig.GetPixelColor(x, y);
            ASSERT_EQ(a.rgbGreen, in ? 255 - b.rgbGreen : b.rgbGreen) << x << "," << y;
        }

    // A grey palette image inverts indexes inside the selection, palette untouched.
    CQxImage grey;
    MakeImage(grey, 8, 8, Depth{8, false}, 27);
    grey.SetGrayPalette();
    CQxImage greyOrig;
    greyOrig.Copy(grey);
    ASSERT_TRUE(grey.SelectionAddRect(r));
    ASSERT_TRUE(grey.Negative());
    EXPECT_TRUE(grey.IsGrayScale());
    EXPECT_EQ(grey.GetPixelIndex(3, 2), 255 - greyOrig.GetPixelIndex(3, 2));
    EXPECT_EQ(grey.GetPixelIndex(6, 6), greyOrig.GetPixelIndex(6, 6));
}

TEST(ColorHandChecked, DepthChangesCarryTheSelectionAndAlpha)
{
    const RECT r{1, 4, 3, 2};
    auto check = [&](const char* name, auto op, DWORD bpp) {
        CQxImage img;
        MakeImage(img, 6, 5, Depth{bpp, true}, 35);
        ASSERT_TRUE(img.SelectionAddRect(r));
        CQxImage orig;
        orig.Copy(img);
        ASSERT_TRUE(op(img)) << name;
        ASSERT_TRUE(img.SelectionIsValid()) << name;
        for (LONG y = 0; y < 5; ++y)
            for (LONG x = 0; x < 6; ++x) {
                ASSERT_EQ(img.SelectionIsInside(x, y), orig.SelectionIsInside(x, y)) << name;
                // A warp moves alpha with the pixels, but only inside the selection.
                if (!orig.SelectionIsInside(x, y) || std::string(name) != "CircleTransform") {
                    ASSERT_EQ(img.AlphaGet(x, y), orig.AlphaGet(x, y)) << name;
                }
            }
    };
    check("GrayScale", [](CQxImage& i) { return i.GrayScale(); }, 24);
    check("IncreaseBpp", [](CQxImage& i) { return i.IncreaseBpp(24); }, 4);
    check("DecreaseBpp", [](CQxImage& i) { return i.DecreaseBpp(4, true); }, 24);
    check("Dither", [](CQxImage& i) { return i.Dither(4); }, 8);
    check("CircleTransform", [](CQxImage& i) { return i.CircleTransform(1); }, 8);
}

TEST(ColorHandChecked, NegativeInvertsTheTransparentColourOfTrueColour)
{
    CQxImage img;
    qxtest::MakeFlat(img, 2, 2, 0, 0, 0);
    img.SetTransColor(RGBQUAD{10, 20, 30, 0});
    ASSERT_TRUE(img.Negative());
    const RGBQUAD t = img.GetTransColor();
    EXPECT_EQ(t.rgbBlue, 245);
    EXPECT_EQ(t.rgbRed, 225);
}

TEST(ColorHandChecked, GrayScaleOfAFourBitImageMapsTheTransparentIndex)
{
    CQxImage img;
    MakeImage(img, 5, 5, Depth{4, false}, 28);
    ASSERT_TRUE(img.SetTransIndex(3)); // standard entry 3: (128, 128, 0)
    ASSERT_TRUE(img.GrayScale());
    EXPECT_EQ(img.GetBpp(), 8);
    EXPECT_EQ(img.GetTransIndex(), (306 * 128 + 601 * 128) >> 10);
}

TEST(ColorHandChecked, GrayScaleOfPureColours)
{
    CQxImage img;
    qxtest::MakeFlat(img, 3, 1, 0, 0, 0);
    img.SetPixelColor(0, 0, RGBQUAD{0, 0, 255, 0});
    img.SetPixelColor(1, 0, RGBQUAD{0, 255, 0, 0});
    img.SetPixelColor(2, 0, RGBQUAD{255, 0, 0, 0});
    ASSERT_TRUE(img.GrayScale());
    EXPECT_EQ(img.GetPixelIndex(0, 0), 76);
    EXPECT_EQ(img.GetPixelIndex(1, 0), 149);
    EXPECT_EQ(img.GetPixelIndex(2, 0), 29);
}

TEST(ColorHandChecked, IncreaseToTrueColourKeepsTransparencyAndPaletteAlpha)
{
    CQxImage img;
    MakeImage(img, 6, 6, Depth{8, false}, 29);
    ASSERT_TRUE(img.SetTransIndex(17));
    img.SetPaletteColor(17, 1, 2, 3, 0);
    img.SetPaletteColor(18, 4, 5, 6, 77);
    img.SetPixelIndex(2, 2, 18);
    ASSERT_TRUE(img.IncreaseBpp(24));
    const RGBQUAD t = img.GetTransColor();
    EXPECT_EQ(t.rgbRed, 1);
    EXPECT_EQ(t.rgbBlue, 3);
    ASSERT_TRUE(img.AlphaIsValid());
    EXPECT_EQ(img.AlphaGet(2, 2), 77);
}

TEST(ColorHandChecked, DecreaseToTheStandardPaletteAndBack)
{
    // Colours taken from the standard palette come back exactly, with or without diffusion.
    CQxImage std8;
    ASSERT_NE(std8.Create(1, 1, 8), nullptr);
    std8.SetStdPalette();
    for (bool diffusion : {false, true}) {
        CQxImage img;
        ASSERT_NE(img.Create(16, 16, 24), nullptr);
        for (LONG i = 0; i < 256; ++i)
            img.SetPixelColor(i % 16, i / 16, std8.GetPaletteColor(static_cast<BYTE>((i * 37) & 255)));
        CQxImage orig;
        orig.Copy(img);
        ASSERT_TRUE(img.DecreaseBpp(8, diffusion));
        EXPECT_EQ(img.GetBpp(), 8);
        EXPECT_TRUE(SameColors(img, orig)) << diffusion;
        ASSERT_TRUE(img.IncreaseBpp(24));
        EXPECT_TRUE(SameImage(img, orig)) << diffusion;
    }
    CQxImage img;
    MakeImage(img, 4, 4, Depth{8, false});
    EXPECT_FALSE(img.DecreaseBpp(24, false));
    EXPECT_FALSE(img.DecreaseBpp(2, false));
}

TEST(ColorHandChecked, DecreaseWithoutDiffusionPicksTheNearestEntryForEveryPixel)
{
    CQxImage img, orig, std8;
    MakeImage(img, 64, 64, Depth{24, false}, 34);
    orig.Copy(img);
    ASSERT_NE(std8.Create(1, 1, 8), nullptr);
    std8.SetStdPalette();
    ASSERT_TRUE(img.DecreaseBpp(8, false));
    for (LONG y = 0; y < 64; ++y)
        for (LONG x = 0; x < 64; ++x)
            ASSERT_EQ(img.GetPixelIndex(x, y), std8.GetNearestIndex(orig.GetPixelColor(x, y, false))) << x << "," << y;
}

TEST(ColorHandChecked, DecreaseWithColoursImportantAtTheSameDepthRequantises)
{
    CQxImage img;
    MakeImage(img, 16, 16, Depth{8, false}, 30);
    ASSERT_TRUE(img.DecreaseBpp(8, false, nullptr, 16));
    EXPECT_EQ(img.GetClrImportant(), 16u);
    for (LONG y = 0; y < 16; ++y)
        for (LONG x = 0; x < 16; ++x)
            ASSERT_LT(img.GetPixelIndex(x, y), 16);
    // Already within fewer important colours: nothing to do.
    CQxImage before;
    before.Copy(img);
    ASSERT_TRUE(img.DecreaseBpp(8, false, nullptr, 32));
    EXPECT_TRUE(SameImage(img, before));
}

TEST(ColorHandChecked, DecreaseToOneBitUsesTheGivenPalette)
{
    CQxImage img;
    MakeImage(img, 8, 2, Depth{1, false}, 31);
    CQxImage orig;
    orig.Copy(img);
    RGBQUAD pal[2] = {{0, 0, 60, 0}, {0, 200, 0, 0}}; // dark red, green
    ASSERT_TRUE(img.DecreaseBpp(1, false, pal, 2));
    EXPECT_EQ(img.GetPaletteColor(0).rgbRed, 60);
    EXPECT_EQ(img.GetPaletteColor(1).rgbGreen, 200);
    // Black is nearer the dark red, white nearer the green.
    for (LONG x = 0; x < 8; ++x)
        EXPECT_EQ(img.GetPixelIndex(x, 0), orig.GetPixelIndex(x, 0));
}

TEST(ColorHandChecked, ErrorDiffusionSpreadsTheRemainder)
{
    // Mid grey onto black and white: plain mapping gives one colour, diffusion a mix.
    CQxImage plain, diffused;
    qxtest::MakeFlat(plain, 16, 16, 100, 100, 100);
    diffused.Copy(plain);
    ASSERT_TRUE(plain.DecreaseBpp(1, false));
    ASSERT_TRUE(diffused.DecreaseBpp(1, true));
    int plainWhite = 0, diffusedWhite = 0;
    for (LONG y = 0; y < 16; ++y)
        for (LONG x = 0; x < 16; ++x) {
            plainWhite += plain.GetPixelIndex(x, y);
            diffusedWhite += diffused.GetPixelIndex(x, y);
        }
    EXPECT_EQ(plainWhite, 0);
    EXPECT_GT(diffusedWhite, 40);
    EXPECT_LT(diffusedWhite, 200);
}

int CountWhite(CQxImage& img)
{
    int n = 0;
    for (LONG y = 0; y < static_cast<LONG>(img.GetHeight()); ++y)
        for (LONG x = 0; x < static_cast<LONG>(img.GetWidth()); ++x)
            n += img.GetPixelIndex(x, y);
    return n;
}

TEST(DitherHandChecked, FlatGreyGivesHalfWhite)
{
    // Ordered: d = 128 * 16 / 255 = 8; white where the matrix entry is below 8.
    CQxImage img;
    qxtest::MakeFlat(img, 8, 8, 128, 128, 128);
    ASSERT_TRUE(img.Dither(1));
    ASSERT_EQ(img.GetBpp(), 1);
    EXPECT_EQ(img.GetPaletteColor(0).rgbRed, 0);
    EXPECT_EQ(img.GetPaletteColor(1).rgbRed, 255);
    EXPECT_EQ(CountWhite(img), 32);
    EXPECT_EQ(img.GetPixelIndex(0, 0), 1);  // matrix 0
    EXPECT_EQ(img.GetPixelIndex(1, 0), 0);  // matrix 8
    EXPECT_EQ(img.GetPixelIndex(0, 1), 0);  // matrix 12
    EXPECT_EQ(img.GetPixelIndex(1, 1), 1);  // matrix 4
    EXPECT_EQ(img.GetPixelIndex(4, 4), 1);  // the pattern repeats every 4 pixels

    CQxImage bayer;
    qxtest::MakeFlat(bayer, 8, 8, 128, 128, 128);
    ASSERT_TRUE(bayer.Dither(7));
    EXPECT_EQ(CountWhite(bayer), 32);
    EXPECT_EQ(bayer.GetPixelIndex(1, 0), 0);  // threshold 192
    EXPECT_EQ(bayer.GetPixelIndex(2, 0), 1);  // threshold 48

    for (LONG method : {0L, 2L, 3L, 4L, 5L, 6L}) {
        CQxImage diff;
        qxtest::MakeFlat(diff, 32, 32, 128, 128, 128);
        ASSERT_TRUE(diff.Dither(method));
        const int white = CountWhite(diff);
        EXPECT_GT(white, 1024 * 4 / 10) << method;
        EXPECT_LT(white, 1024 * 6 / 10) << method;
    }
}

TEST(DitherHandChecked, BlackAndWhiteStayAndUnknownMethodsAreFloydSteinberg)
{
    for (LONG method = 0; method <= 7; ++method) {
        CQxImage white, black;
        qxtest::MakeFlat(white, 9, 9, 255, 255, 255);
        qxtest::MakeFlat(black, 9, 9, 0, 0, 0);
        ASSERT_TRUE(white.Dither(method));
        ASSERT_TRUE(black.Dither(method));
        EXPECT_EQ(CountWhite(white), 81) << method;
        EXPECT_EQ(CountWhite(black), 0) << method;
    }
    CQxImage a, b;
    MakeImage(a, 20, 20, Depth{24, true}, 32);
    b.Copy(a);
    ASSERT_TRUE(a.Dither(9));
    ASSERT_TRUE(b.Dither(0));
    EXPECT_TRUE(SameImage(a, b));
    EXPECT_TRUE(a.AlphaIsValid());

    CQxImage one, oneOrig;
    MakeImage(one, 9, 3, Depth{1, false});
    oneOrig.Copy(one);
    ASSERT_TRUE(one.Dither(3));
    EXPECT_TRUE(SameImage(one, oneOrig));
}

TEST(DitherHandChecked, PaletteImagesDitherFromTheirGreyLevels)
{
    CQxImage img;
    MakeImage(img, 8, 8, Depth{8, false}, 33);
    for (LONG y = 0; y < 8; ++y)
        for (LONG x = 0; x < 8; ++x)
            img.SetPixelIndex(x, y, 0); // entry 0: red 0, green 255, blue 0: grey 149
    ASSERT_TRUE(img.Dither(1));
    // d = 149 * 16 / 255 = 9: entries 0 .. 8 of the matrix are below it.
    EXPECT_EQ(CountWhite(img), 9 * 4);
}

} // namespace
