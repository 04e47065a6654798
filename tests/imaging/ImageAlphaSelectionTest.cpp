#include "imaging/CQxImage.h"
#include "tests/imaging/ImageTestUtil.h"

#include <gtest/gtest.h>

TEST(ImageAlpha, CreateSetGetInvertAndBounds)
{
    CQxImage img(3, 2, 24, 0);
    EXPECT_TRUE(img.AlphaCreate());
    EXPECT_EQ(img.AlphaGet(2, 1), 255);
    EXPECT_EQ(img.AlphaGet(-1, 0), 0);
    img.AlphaSet(1, 1, 10);
    EXPECT_TRUE(img.AlphaCreate());  // keeps the values
    EXPECT_EQ(img.AlphaGet(1, 1), 10);
    img.AlphaSet(3, 0, 1);  // outside: ignored
    EXPECT_EQ(*img.AlphaGetPointer(1, 1), 10);
    EXPECT_EQ(img.AlphaGetPointer(3, 0), nullptr);
    img.AlphaInvert();
    EXPECT_EQ(img.AlphaGet(1, 1), 245);
    EXPECT_EQ(img.AlphaGet(0, 0), 0);
    img.AlphaSet(77);
    EXPECT_EQ(img.AlphaGet(2, 0), 77);
    img.AlphaClear();
    EXPECT_EQ(img.AlphaGet(2, 0), 0);
    EXPECT_EQ(img.GetPixelColor(0, 0, true).rgbReserved, 0);
    img.SetPixelColor(0, 0, RGBQUAD{1, 2, 3, 99}, true);
    EXPECT_EQ(img.AlphaGet(0, 0), 99);
    img.AlphaDelete();
    EXPECT_FALSE(img.AlphaIsValid());
    CQxImage empty;
    EXPECT_FALSE(empty.AlphaCreate());
}

TEST(ImageAlpha, FlipMirrorCopy)
{
    CQxImage img(3, 2, 8, 0);
    EXPECT_FALSE(img.AlphaFlip());
    img.AlphaCreate();
    img.AlphaSet(0, 0, 1);
    img.AlphaSet(2, 0, 3);
    EXPECT_TRUE(img.AlphaFlip());
    EXPECT_EQ(img.AlphaGet(0, 1), 1);
    EXPECT_EQ(img.AlphaGet(0, 0), 255);
    EXPECT_TRUE(img.AlphaMirror());
    EXPECT_EQ(img.AlphaGet(2, 1), 1);
    EXPECT_EQ(img.AlphaGet(0, 1), 3);

    CQxImage other(3, 2, 24, 0);
    img.AlphaSetMax(128);
    EXPECT_TRUE(other.AlphaCopy(img));
    EXPECT_EQ(other.AlphaGet(2, 1), 1);
    EXPECT_EQ(other.AlphaGetMax(), 128);
    CQxImage wrongSize(2, 2, 24, 0);
    EXPECT_FALSE(wrongSize.AlphaCopy(img));
    EXPECT_TRUE(img.AlphaCopy(img));
}

TEST(ImageAlpha, SetFromImageNeedsEightBitGray)
{
    CQxImage img(4, 3, 24, 0);
    CQxImage gray16(4, 3, 4, 0);
    gray16.SetGrayPalette();
    EXPECT_FALSE(img.AlphaSet(gray16));
    // A 4-bit palette holding 0..15 counts as gray scale, yet its rows have half
    // a byte per pixel: it must be refused rather than read past its rows.
    for (BYTE i = 0; i < 16; ++i)
        gray16.SetPaletteColor(i, i, i, i);
    ASSERT_TRUE(gray16.IsGrayScale());
    EXPECT_FALSE(img.AlphaSet(gray16));
    EXPECT_FALSE(img.AlphaIsValid());

    img.AlphaCreate();
    img.AlphaSet(1, 2, 33);
    img.AlphaSet(3, 0, 200);
    CQxImage split;
    ASSERT_TRUE(img.AlphaSplit(&split));
    EXPECT_EQ(split.GetBpp(), 8);
    EXPECT_TRUE(split.IsGrayScale());
    EXPECT_EQ(split.GetPixelIndex(1, 2), 33);
    CQxImage back(4, 3, 24, 0);
    ASSERT_TRUE(back.AlphaSet(split));
    for (LONG y = 0; y < 3; ++y)
        for (LONG x = 0; x < 4; ++x)
            EXPECT_EQ(back.AlphaGet(x, y), img.AlphaGet(x, y));
    CQxImage wrongSize(3, 3, 8, 0);
    wrongSize.SetGrayPalette();
    EXPECT_FALSE(back.AlphaSet(wrongSize));
    EXPECT_FALSE(img.AlphaSplit(nullptr));
}

TEST(ImageAlpha, StripBlendsTowardTransparentColour)
{
    CQxImage img(2, 1, 24, 0);
    img.SetPixelColor(0, 0, QxRGB(200, 100, 50));
    img.SetPixelColor(1, 0, QxRGB(200, 100, 50));
    img.SetTransColor(RGBQUAD{30, 20, 10, 0});
    img.AlphaCreate();
    img.AlphaSet(0, 0, 0);
    img.AlphaStrip();
    EXPECT_FALSE(img.AlphaIsValid());
    EXPECT_EQ(img.GetPixelColor(0, 0).rgbRed, 10);
    EXPECT_EQ(img.GetPixelColor(0, 0).rgbBlue, 30);
    EXPECT_EQ(img.GetPixelColor(1, 0).rgbRed, 200);

    CQxImage half(1, 1, 24, 0);
    half.SetPixelColor(0, 0, QxRGB(255, 255, 255));
    half.AlphaSetMax(128);
    half.AlphaStrip();  // neither channel nor palette alpha: unchanged
    EXPECT_EQ(half.GetPixelColor(0, 0).rgbRed, 255);

    CQxImage pal(2, 1, 8, 0);
    pal.SetPaletteColor(1, 255, 255, 255, 255);
    pal.SetPaletteColor(0, 255, 255, 255, 0);
    pal.SetPixelIndex(1, 0, 1);
    EXPECT_TRUE(pal.AlphaPaletteIsValid());
    CQxImage palSplit;
    EXPECT_TRUE(pal.AlphaPaletteSplit(&palSplit));
    EXPECT_EQ(palSplit.GetPixelIndex(1, 0), 255);
    pal.AlphaStrip();
    EXPECT_EQ(pal.GetBpp(), 24);
    EXPECT_EQ(pal.GetPixelColor(0, 0).rgbRed, 0);
    EXPECT_EQ(pal.GetPixelColor(1, 0).rgbRed, 255);
    CQxImage cleared(1, 1, 8, 0);
    cleared.SetPaletteColor(0, 1, 1, 1, 9);
    cleared.AlphaPaletteClear();
    EXPECT_FALSE(cleared.AlphaPaletteIsValid());
}

TEST(ImageSelection, RectBoxAndClamping)
{
    CQxImage img(8, 6, 24, 0);
    EXPECT_TRUE(img.SelectionIsInside(7, 5));  // no mask: all selected
    EXPECT_FALSE(img.SelectionIsInside(8, 5));
    ASSERT_TRUE(img.SelectionAddRect(RECT{2, 4, 5, 1}));
    for (LONG y = 0; y < 6; ++y)
        for (LONG x = 0; x < 8; ++x)
            EXPECT_EQ(img.SelectionIsInside(x, y), x >= 2 && x <= 4 && y >= 1 && y <= 3) << x << "," << y;
    RECT box;
    img.SelectionGetBox(box);
    EXPECT_EQ(box.left, 2);
    EXPECT_EQ(box.top, 4);
    EXPECT_EQ(box.right, 5);
    EXPECT_EQ(box.bottom, 1);

    CQxImage far(8, 6, 24, 0);
    ASSERT_TRUE(far.SelectionAddRect(RECT{100, 200, 120, 150}));
    far.SelectionGetBox(box);
    EXPECT_EQ(box.left, 8);
    EXPECT_EQ(box.right, 8);
    EXPECT_EQ(box.top, 6);
    for (LONG y = 0; y < 6; ++y)
        for (LONG x = 0; x < 8; ++x)
            EXPECT_FALSE(far.SelectionIsInside(x, y));
}

TEST(ImageSelection, EllipsePolygonColourPixel)
{
    CQxImage img(20, 20, 8, 0);
    EXPECT_FALSE(img.SelectionAddEllipse(RECT{3, 10, 4, 2}));
    ASSERT_TRUE(img.SelectionAddEllipse(RECT{2, 16, 18, 4}));
    EXPECT_TRUE(img.SelectionIsInside(10, 10));
    EXPECT_FALSE(img.SelectionIsInside(2, 4));
    EXPECT_FALSE(img.SelectionIsInside(17, 15));
    ASSERT_TRUE(img.SelectionAddEllipse(RECT{-30, 50, 40, -25}));  // mostly outside

    CQxImage poly(20, 20, 8, 0);
    const POINT two[2] = {{1, 1}, {5, 5}};
    EXPECT_FALSE(poly.SelectionAddPolygon(two, 2));
    const POINT tris[7] = {{1, 1}, {8, 1}, {1, 8}, {-1, -1}, {12, 12}, {18, 12}, {12, 18}};
    ASSERT_TRUE(poly.SelectionAddPolygon(tris, 7));
    EXPECT_TRUE(poly.SelectionIsInside(2, 2));    // first interior
    EXPECT_TRUE(poly.SelectionIsInside(8, 1));    // outline
    EXPECT_TRUE(poly.SelectionIsInside(13, 13));  // second interior
    EXPECT_FALSE(poly.SelectionIsInside(8, 8));
    EXPECT_FALSE(poly.SelectionIsInside(17, 17));
    EXPECT_FALSE(poly.SelectionIsInside(0, 19));
    const POINT outside[3] = {{-50, -50}, {60, -40}, {5, 70}};
    EXPECT_TRUE(poly.SelectionAddPolygon(outside, 3));
    // Extreme coordinates neither overflow nor walk billions of points.
    const POINT extreme[3] = {{INT32_MIN, INT32_MIN}, {INT32_MAX, INT32_MIN + 1}, {INT32_MAX, INT32_MAX}};
    CQxImage huge(20, 20, 8, 0);
    EXPECT_TRUE(huge.SelectionAddPolygon(extreme, 3));
    EXPECT_TRUE(huge.SelectionIsInside(7, 7));  // the diagonal edge crosses the image

    CQxImage col(4, 4, 24, 0);
    col.SetPixelColor(1, 2, QxRGB(9, 9, 9));
    col.SetPixelColor(3, 3, QxRGB(9, 9, 9));
    ASSERT_TRUE(col.SelectionAddColor(RGBQUAD{9, 9, 9, 77}));
    EXPECT_TRUE(col.SelectionIsInside(1, 2));
    EXPECT_FALSE(col.SelectionIsInside(0, 0));
    RECT box;
    col.SelectionGetBox(box);
    EXPECT_EQ(box.left, 1);
    EXPECT_EQ(box.right, 3);
    EXPECT_EQ(box.top, 3);
    EXPECT_EQ(box.bottom, 2);

    EXPECT_FALSE(col.SelectionAddPixel(4, 0));
    EXPECT_TRUE(col.SelectionAddPixel(0, 0));
    EXPECT_TRUE(col.SelectionIsInside(0, 0));
}

TEST(ImageSelection, InvertCopySplitClearAndRegion)
{
    CQxImage img(5, 3, 24, 0);
    EXPECT_FALSE(img.SelectionInvert());
    ASSERT_TRUE(img.SelectionCreate());
    EXPECT_TRUE(img.SelectionInvert());
    EXPECT_TRUE(img.SelectionIsInside(4, 2));
    img.SelectionClear();
    img.SelectionAddRect(RECT{1, 2, 4, 1});
    img.SelectionAddPixel(0, 0);

    CQxRegion region;
    HRGN h = &region;
    ASSERT_TRUE(img.SelectionToHRGN(h));
    const std::vector<RECT> rects = region.GetRects();
    ASSERT_EQ(rects.size(), 2u);
    EXPECT_EQ(rects[0].left, 0);
    EXPECT_EQ(rects[0].right, 1);
    EXPECT_EQ(rects[0].top, 0);
    EXPECT_EQ(rects[1].left, 1);
    EXPECT_EQ(rects[1].right, 4);
    EXPECT_EQ(rects[1].top, 1);
    HRGN none = nullptr;
    EXPECT_FALSE(img.SelectionToHRGN(none));

    CQxImage other(5, 3, 8, 0);
    ASSERT_TRUE(other.SelectionCopy(img));
    EXPECT_TRUE(other.SelectionIsInside(2, 1));
    CQxImage split;
    ASSERT_TRUE(img.SelectionSplit(&split));
    EXPECT_EQ(split.GetPixelIndex(3, 1), 255);
    EXPECT_EQ(split.GetPixelIndex(4, 1), 0);
    CQxImage small(4, 3, 8, 0);
    EXPECT_FALSE(small.SelectionCopy(img));
    EXPECT_TRUE(img.SelectionDelete());
    EXPECT_FALSE(img.SelectionIsValid());
    EXPECT_FALSE(img.SelectionClear());
}
