#include "imaging/CQxImage.h"
#include "tests/imaging/ImageTestUtil.h"

#include <gtest/gtest.h>

TEST(ImagePixel, IndexLayoutAtEachDepth)
{
    CQxImage mono(17, 2, 1, 0);
    mono.SetPixelIndex(9, 0, 1);
    EXPECT_EQ(mono.GetBits(0)[1], 0x40);  // bit 6 of the second byte
    EXPECT_EQ(mono.GetPixelIndex(9, 0), 1);
    mono.SetPixelIndex(9, 0, 2);  // only the low bit counts
    EXPECT_EQ(mono.GetPixelIndex(9, 0), 0);

    CQxImage nib(5, 2, 4, 0);
    nib.SetPixelIndex(2, 1, 0xB);
    nib.SetPixelIndex(3, 1, 0x1C);
    EXPECT_EQ(nib.GetBits(1)[1], 0xBC);  // even x in the high nibble
    EXPECT_EQ(nib.GetPixelIndex(2, 1), 0xB);
    EXPECT_EQ(nib.GetPixelIndex(3, 1), 0xC);

    CQxImage byte(3, 3, 8, 0);
    byte.SetPixelIndex(2, 2, 200);
    EXPECT_EQ(byte.GetBits(2)[2], 200);
    byte.SetPixelIndex(3, 0, 1);  // outside: nothing
    EXPECT_EQ(byte.GetBits(0)[3], 0);  // padding untouched

    CQxImage rgb(2, 2, 24, 0);
    rgb.SetPixelIndex(0, 0, 5);  // no palette: nothing
    EXPECT_EQ(rgb.GetPixelIndex(0, 0), 0);
    rgb.SetPixelColor(1, 1, QxRGB(10, 20, 30));
    const BYTE* p = rgb.GetBits(1) + 3;
    EXPECT_EQ(p[0], 30);
    EXPECT_EQ(p[1], 20);
    EXPECT_EQ(p[2], 10);
}

TEST(ImagePixel, RoundTripEveryPixelAtEveryDepth)
{
    for (DWORD bpp : {1u, 4u, 8u, 24u}) {
        CQxImage img(13, 5, bpp, 0);
        qx_imaging_test::FillPattern(img, bpp);
        CQxImage copy(img);
        for (LONG y = 0; y < 5; ++y)
            for (LONG x = 0; x < 13; ++x) {
                if (img.IsIndexed())
                    copy.SetPixelIndex(x, y, img.GetPixelIndex(x, y));
                else
                    copy.SetPixelColor(x, y, img.GetPixelColor(x, y));
            }
        EXPECT_TRUE(qx_imaging_test::SamePixels(img, copy)) << bpp;
    }
}

TEST(ImagePixel, OutsideReadsFollowTransparency)
{
    CQxImage img(4, 4, 8, 0);
    img.SetPixelIndex(0, 0, 7);
    EXPECT_EQ(img.GetPixelIndex(-1, 0), 7);  // pixel (0, 0)
    img.SetTransIndex(3);
    EXPECT_EQ(img.GetPixelIndex(-1, 0), 3);
    img.SetPaletteColor(3, 1, 2, 3);
    EXPECT_EQ(img.GetPixelColor(9, 9).rgbBlue, 3);

    CQxImage rgb(2, 2, 24, 0);
    rgb.SetPixelColor(0, 0, QxRGB(50, 60, 70));
    EXPECT_EQ(rgb.GetPixelColor(-5, 0).rgbRed, 50);
    rgb.SetTransIndex(0);
    rgb.SetTransColor(RGBQUAD{9, 8, 7, 0});
    EXPECT_EQ(rgb.GetPixelColor(-5, 0).rgbBlue, 9);
    CQxImage empty;
    EXPECT_EQ(empty.GetPixelIndex(0, 0), 0);
    EXPECT_EQ(empty.GetPixelColor(0, 0).rgbRed, 0);
}

TEST(ImagePixel, GrayBlendAndTransparencyTests)
{
    CQxImage rgb(3, 1, 24, 0);
    rgb.SetPixelColor(0, 0, QxRGB(255, 255, 255));
    EXPECT_EQ(rgb.GetPixelGray(0, 0), 255);
    rgb.SetPixelColor(1, 0, QxRGB(100, 0, 0));
    EXPECT_EQ(rgb.GetPixelGray(1, 0), (306 * 100) >> 10);

    rgb.BlendPixelColor(1, 0, RGBQUAD{40, 40, 40, 0}, 1.0f);
    EXPECT_EQ(rgb.GetPixelColor(1, 0).rgbRed, 40);
    rgb.BlendPixelColor(1, 0, RGBQUAD{200, 200, 200, 0}, 0.0f);
    EXPECT_EQ(rgb.GetPixelColor(1, 0).rgbRed, 40);
    rgb.BlendPixelColor(1, 0, RGBQUAD{0, 0, 0, 0}, 0.5f);
    EXPECT_EQ(rgb.GetPixelColor(1, 0).rgbRed, 20);

    EXPECT_FALSE(rgb.IsTransparent(0, 0));
    rgb.AlphaCreate();
    rgb.AlphaSet(2, 0, 0);
    EXPECT_TRUE(rgb.IsTransparent(2, 0));
    rgb.SetTransIndex(0);
    rgb.SetTransColor(RGBQUAD{255, 255, 255, 0});
    EXPECT_TRUE(rgb.IsTransparent(0, 0));
    EXPECT_FALSE(rgb.IsTransparent(2, 0));

    CQxImage pal(2, 1, 8, 0);
    pal.SetPixelIndex(1, 0, 5);
    pal.SetTransIndex(5);
    EXPECT_TRUE(pal.IsTransparent(1, 0));
    EXPECT_FALSE(pal.IsTransparent(0, 0));
}

TEST(ImagePixel, DrawLineStepsAndClips)
{
    CQxImage img(4, 2, 8, 0);
    img.SetGrayPalette();
    img.DrawLine(0, 3, 0, 1, QxRGB(255, 255, 255));
    EXPECT_EQ(img.GetPixelIndex(0, 0), 255);
    EXPECT_EQ(img.GetPixelIndex(1, 0), 255);
    EXPECT_EQ(img.GetPixelIndex(2, 1), 255);
    EXPECT_EQ(img.GetPixelIndex(3, 1), 255);
    EXPECT_EQ(img.GetPixelIndex(2, 0), 0);
    EXPECT_EQ(img.GetPixelIndex(1, 1), 0);
    img.DrawLine(-10, 10, 1, 1, QxRGB(1, 1, 1));  // mostly outside: no harm
    EXPECT_EQ(img.GetPixelIndex(0, 1), 1);
}

TEST(ImagePalette, EntriesAndBounds)
{
    CQxImage img(2, 2, 4, 0);
    EXPECT_EQ(img.GetPaletteSize(), 64u);
    img.SetPaletteColor(15, 1, 2, 3, 4);
    BYTE r = 0, g = 0, b = 0;
    EXPECT_TRUE(img.GetPaletteColor(15, &r, &g, &b));
    EXPECT_EQ(r, 1);
    EXPECT_EQ(img.GetPaletteColor(15).rgbReserved, 4);
    EXPECT_FALSE(img.GetPaletteColor(16, &r, &g, &b));
    EXPECT_EQ(img.GetPaletteColor(16).rgbRed, 0);
    img.SetPaletteColor(16, 9, 9, 9);  // beyond: ignored
    img.SetPaletteColor(3, QxRGB(7, 8, 9));
    EXPECT_EQ(img.GetPaletteColor(3).rgbBlue, 9);

    CQxImage::rgb_color tri[2] = {{10, 20, 30}, {40, 50, 60}};
    img.SetPalette(tri, 2);
    EXPECT_EQ(img.GetPaletteColor(1).rgbGreen, 50);
    const BYTE levels[3] = {5, 6, 7};
    img.SetPalette(3, levels);
    EXPECT_EQ(img.GetPaletteColor(2).rgbBlue, 7);
    EXPECT_EQ(img.GetPaletteColor(2).rgbRed, 7);

    CQxImage rgb(2, 2, 24, 0);
    EXPECT_EQ(rgb.GetPalette(), nullptr);
    rgb.SetPaletteColor(0, 1, 1, 1);  // no palette: no write anywhere
}

TEST(ImagePalette, GrayStandardBlendAndCompare)
{
    CQxImage g16(1, 1, 4, 0);
    g16.SetGrayPalette();
    EXPECT_EQ(g16.GetPaletteColor(1).rgbRed, 17);
    EXPECT_FALSE(g16.IsGrayScale());  // evenly spaced, not entry i = i
    CQxImage g256(1, 1, 8, 0);
    g256.SetGrayPalette();
    EXPECT_TRUE(g256.IsGrayScale());

    CQxImage s8(1, 1, 8, 0);
    s8.SetStdPalette();
    EXPECT_EQ(s8.GetPaletteColor(9).rgbBlue, 240);
    EXPECT_EQ(s8.GetPaletteColor(40).rgbRed, 254);
    EXPECT_EQ(s8.GetPaletteColor(226).rgbGreen, 242);
    EXPECT_EQ(s8.GetPaletteColor(245).rgbGreen, 14);
    EXPECT_EQ(s8.GetPaletteColor(255).rgbRed, 255);
    CQxImage s4(1, 1, 4, 0);
    s4.SetStdPalette();
    EXPECT_EQ(s4.GetPaletteColor(7).rgbRed, 192);

    s4.BlendPalette(QxRGB(255, 255, 255), 150);  // counts as 100
    EXPECT_EQ(s4.GetPaletteColor(0).rgbRed, 255);
    s8.BlendPalette(QxRGB(0, 0, 0), 50);
    EXPECT_EQ(s8.GetPaletteColor(15 + 240).rgbRed, 127);

    CQxImage other(1, 1, 8, 0);
    other.SetGrayPalette();
    EXPECT_TRUE(other.IsSamePalette(g256));
    other.SetPaletteColor(3, 3, 3, 3, 1);
    EXPECT_TRUE(other.IsSamePalette(g256));
    EXPECT_FALSE(other.IsSamePalette(g256, true));
    EXPECT_FALSE(g16.IsSamePalette(g256));

    RGBQUAD dark{0, 0, 10, 0}, light{0, 0, 200, 0};
    EXPECT_LT(CQxImage::CompareColors(&dark, &light), 0);
}

TEST(ImagePalette, NearestIndexCacheAndImportantColours)
{
    CQxImage img(1, 1, 8, 0);
    img.SetGrayPalette();
    img.SetPaletteColor(9, 100, 100, 100);  // duplicate of entry 100
    EXPECT_EQ(img.GetNearestIndex(RGBQUAD{100, 100, 100, 0}), 9);
    img.SetGrayPalette();  // invalidates the cache
    EXPECT_EQ(img.GetNearestIndex(RGBQUAD{100, 100, 100, 0}), 100);
    EXPECT_EQ(img.GetNearestIndex(RGBQUAD{101, 101, 99, 0}), 100);
    img.SetClrImportant(50);
    EXPECT_EQ(img.GetNearestIndex(RGBQUAD{200, 200, 200, 0}), 49);
    img.SetClrImportant(300);
    EXPECT_EQ(img.GetClrImportant(), 0u);
    CQxImage mono(1, 1, 1, 0);
    mono.SetClrImportant(5);
    EXPECT_EQ(mono.GetClrImportant(), 2u);
    CQxImage rgb(1, 1, 24, 0);
    EXPECT_EQ(rgb.GetNearestIndex(RGBQUAD{1, 1, 1, 0}), 0);
    // Palette images map colours through the nearest entry.
    img.SetClrImportant(0);
    img.SetPixelColor(0, 0, RGBQUAD{30, 30, 31, 0});
    EXPECT_EQ(img.GetPixelIndex(0, 0), 30);
}

TEST(ImagePalette, SwapIndexSwapsEntriesAndPixelsOnce)
{
    CQxImage img(3, 2, 4, 0);
    img.SetStdPalette();
    img.SetPixelIndex(0, 0, 1);
    img.SetPixelIndex(1, 0, 2);
    img.SetPixelIndex(2, 1, 1);
    const RGBQUAD c1 = img.GetPixelColor(0, 0);
    EXPECT_TRUE(img.SwapIndex(1, 2));
    EXPECT_EQ(img.GetPixelIndex(0, 0), 2);
    EXPECT_EQ(img.GetPixelIndex(1, 0), 1);
    EXPECT_EQ(img.GetPixelIndex(2, 1), 2);
    EXPECT_EQ(img.GetPixelColor(0, 0).rgbRed, c1.rgbRed);  // colours stay
    EXPECT_FALSE(img.SwapIndex(1, 16));
    EXPECT_EQ(img.GetPixelIndex(0, 0), 2);
    CQxImage rgb(1, 1, 24, 0);
    EXPECT_FALSE(rgb.SwapIndex(0, 1));
}

TEST(ImagePixel, DrawLineMatchesStepwiseWalkForLongLines)
{
    // A stepwise walk as reference, over lines of every direction and slope,
    // some starting far outside the image.
    auto reference = [](CQxImage& img, int x0, int x1, int y0, int y1) {
        const long dx = std::labs(long(x1) - x0), dy = std::labs(long(y1) - y0);
        const int sx = x1 < x0 ? -1 : 1, sy = y1 < y0 ? -1 : 1;
        long x = x0, y = y0;
        const bool xm = dx >= dy;
        const long den = xm ? dx : dy, add = xm ? dy : dx;
        long num = den / 2;
        for (long i = 0; i <= den; ++i) {
            img.SetPixelColor(x, y, QxRGB(255, 255, 255));
            num += add;
            if (num >= den) {
                num -= den;
                if (xm)
                    y += sy;
                else
                    x += sx;
            }
            if (xm)
                x += sx;
            else
                y += sy;
        }
    };
    const int lines[][4] = {{0, 30, 0, 7}, {30, 0, 7, 0}, {-500, 700, -90, 300}, {5, 5, -1000, 1000},
                            {29, -3, 1, 20}, {-1000, 1000, 3, 3}, {2, 2, 2, 2}, {40, -17, 25, -9}};
    for (const auto& l : lines) {
        CQxImage a(31, 21, 8, 0), b(31, 21, 8, 0);
        a.SetGrayPalette();
        b.SetGrayPalette();
        a.DrawLine(l[0], l[1], l[2], l[3], QxRGB(255, 255, 255));
        reference(b, l[0], l[1], l[2], l[3]);
        EXPECT_TRUE(qx_imaging_test::SamePixels(a, b)) << l[0] << "," << l[1] << "," << l[2] << "," << l[3];
    }
    CQxImage c(8, 8, 24, 0);
    // The full diagonal of the 32-bit plane: only the 8 steps inside are visited.
    c.DrawLine(INT32_MIN, INT32_MAX, INT32_MIN, INT32_MAX, QxRGB(9, 9, 9));
    EXPECT_EQ(c.GetPixelColor(3, 3).rgbRed, 9);
    EXPECT_EQ(c.GetPixelColor(3, 4).rgbRed, 0);
}
