#include "imaging/CQxImageBMP.h"
#include "imaging/CQxMemFile.h"
#include "tests/imaging/ImageTestUtil.h"

#include <gtest/gtest.h>

#include <vector>

using qx_imaging_test::BmpHeader;
using qx_imaging_test::Put16;
using qx_imaging_test::Put32;

namespace {
bool DecodeBytes(CQxImage& img, std::vector<uint8_t> bytes)
{
    return img.Decode(bytes.data(), static_cast<DWORD>(bytes.size()), QXIMAGE_FORMAT_BMP);
}

std::vector<uint8_t> Encoded(CQxImage& img)
{
    BYTE* buf = nullptr;
    int32_t size = 0;
    EXPECT_TRUE(img.Encode(buf, size, QXIMAGE_FORMAT_BMP));
    std::vector<uint8_t> out(buf, buf + size);
    CQxImage::FreeMemory(buf);
    return out;
}

const std::vector<uint32_t> kGray16 = {0x000000, 0x111111, 0x222222, 0x333333, 0x444444, 0x555555,
                                      0x666666, 0x777777, 0x888888, 0x999999, 0xAAAAAA, 0xBBBBBB,
                                      0xCCCCCC, 0xDDDDDD, 0xEEEEEE, 0xFFFFFF};

std::vector<uint32_t> Gray256()
{
    std::vector<uint32_t> pal;
    for (uint32_t i = 0; i < 256; ++i)
        pal.push_back(i * 0x010101u);
    return pal;
}
}  // namespace

TEST(ImageBmp, RoundTripAtEveryDepthKeepsPixelsPaletteAndResolution)
{
    for (DWORD bpp : {1u, 4u, 8u, 24u}) {
        for (DWORD width : {1u, 3u, 31u, 33u}) {
            CQxImage img(width, 5, bpp, 0);
            qx_imaging_test::FillPattern(img, bpp * 100 + width);
            img.SetXDPI(150);
            img.SetYDPI(72);
            std::vector<uint8_t> bytes = Encoded(img);
            ASSERT_EQ(bytes.size(), 14u + img.GetSize());
            EXPECT_EQ(QxGetLE32(&bytes[2]), bytes.size());
            EXPECT_EQ(QxGetLE32(&bytes[10]), 54u + img.GetPaletteSize());
            CQxImage back;
            ASSERT_TRUE(DecodeBytes(back, bytes)) << back.GetLastError();
            EXPECT_EQ(back.GetBpp(), bpp);
            EXPECT_EQ(back.GetType(), QXIMAGE_FORMAT_BMP);
            EXPECT_TRUE(qx_imaging_test::SamePixels(img, back)) << bpp << " " << width;
            if (bpp <= 8) {
                EXPECT_TRUE(back.IsSamePalette(img));
            }
            EXPECT_EQ(back.GetXDPI(), 150);
            EXPECT_EQ(back.GetYDPI(), 72);
        }
    }
}

TEST(ImageBmp, ThirtyTwoBitsBecomeTwentyFourWithoutAlpha)
{
    std::vector<uint8_t> f = BmpHeader(2, 2, 32, 0, {}, 16);
    const uint8_t px[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    f.insert(f.end(), px, px + 16);
    CQxImage img;
    ASSERT_TRUE(DecodeBytes(img, f));
    EXPECT_EQ(img.GetBpp(), 24);
    EXPECT_FALSE(img.AlphaIsValid());
    EXPECT_EQ(img.GetPixelColor(1, 0).rgbBlue, 5);
    EXPECT_EQ(img.GetPixelColor(0, 1).rgbRed, 11);
    std::vector<uint8_t> rle = BmpHeader(2, 2, 32, 1, {}, 16);
    rle.insert(rle.end(), px, px + 16);
    EXPECT_FALSE(DecodeBytes(img, rle));
    EXPECT_STREQ(img.GetLastError(), "unknown compression");
}

TEST(ImageBmp, SixteenBitsDefaultAndBitfields)
{
    // 5-5-5 without masks: pure red and pure blue.
    std::vector<uint8_t> f = BmpHeader(2, 1, 16, 0, {}, 4);
    Put16(f, 0x7C00);
    Put16(f, 0x001F);
    CQxImage img;
    ASSERT_TRUE(DecodeBytes(img, f));
    EXPECT_EQ(img.GetBpp(), 24);
    EXPECT_EQ(img.GetPixelColor(0, 0).rgbRed, 0xF8);
    EXPECT_EQ(img.GetPixelColor(1, 0).rgbBlue, 0xF8);

    // 5-6-5 masks right behind the header (pixel offset counts them).
    std::vector<uint8_t> g = BmpHeader(2, 1, 16, 3, {}, 4);
    QxPutLE32(&g[10], 54 + 12);
    Put32(g, 0xF800);
    Put32(g, 0x07E0);
    Put32(g, 0x001F);
    Put16(g, 0x07E0);
    Put16(g, 0xF800);
    ASSERT_TRUE(DecodeBytes(img, g));
    EXPECT_EQ(img.GetPixelColor(0, 0).rgbGreen, 0xFC);
    EXPECT_EQ(img.GetPixelColor(1, 0).rgbRed, 0xF8);
}

TEST(ImageBmp, BareInfoHeaderAndCoreHeaderDecodeAlike)
{
    // 40-byte header without the file header: pixels right behind the table.
    std::vector<uint8_t> full = BmpHeader(3, 2, 8, 0, Gray256(), 8);
    const uint8_t px[8] = {10, 20, 30, 0, 40, 50, 60, 0};
    full.insert(full.end(), px, px + 8);
    std::vector<uint8_t> bare(full.begin() + 14, full.end());
    CQxImage a, b;
    ASSERT_TRUE(DecodeBytes(a, full));
    ASSERT_TRUE(DecodeBytes(b, bare));
    EXPECT_TRUE(qx_imaging_test::SamePixels(a, b));
    EXPECT_EQ(b.GetPixelIndex(2, 1), 60);
    // Without "BM", a stream too short for the announced rows is not a bitmap,
    // so the probe does not let it pass as one.
    std::vector<uint8_t> cut(bare.begin(), bare.end() - 1);
    EXPECT_FALSE(DecodeBytes(b, cut));
    EXPECT_STREQ(b.GetLastError(), "Error reading BMP info");
    CQxImage probed;
    EXPECT_FALSE(probed.Decode(cut.data(), static_cast<DWORD>(cut.size()), QXIMAGE_FORMAT_UNKNOWN));
    // With "BM" the same shortage is a short read, not a failure.
    std::vector<uint8_t> shortFull(full.begin(), full.end() - 1);
    EXPECT_TRUE(DecodeBytes(b, shortFull));

    // The same picture with a 12-byte core header and 3-byte table entries:
    // 26 + 2 x 3 + 4 bytes, shorter than a 40-byte header.
    std::vector<uint8_t> core;
    Put16(core, 0x4D42);
    Put32(core, 36);
    Put32(core, 0);
    Put32(core, 32);
    Put32(core, 12);
    Put16(core, 3);
    Put16(core, 1);
    Put16(core, 1);
    Put16(core, 1);
    core.insert(core.end(), {0, 0, 0, 0xFF, 0xFF, 0xFF});
    core.insert(core.end(), {0xA0, 0, 0, 0});
    CQxImage c;
    ASSERT_TRUE(DecodeBytes(c, core)) << c.GetLastError();
    EXPECT_EQ(c.GetPixelIndex(0, 0), 1);
    EXPECT_EQ(c.GetPixelIndex(1, 0), 0);
    EXPECT_EQ(c.GetPixelIndex(2, 0), 1);
    EXPECT_EQ(c.GetPaletteColor(1).rgbRed, 255);
    EXPECT_EQ(c.GetPaletteColor(1).rgbReserved, 0);
}

TEST(ImageBmp, TopDownComesOutUpright)
{
    std::vector<uint8_t> f = BmpHeader(1, -3, 24, 0, {}, 12);
    f.insert(f.end(), {1, 1, 1, 0, 2, 2, 2, 0, 3, 3, 3, 0});
    CQxImage img;
    ASSERT_TRUE(DecodeBytes(img, f));
    EXPECT_EQ(img.GetHeight(), 3u);
    EXPECT_EQ(img.GetPixelColor(0, 2).rgbRed, 1);  // first stored row is the top
    EXPECT_EQ(img.GetPixelColor(0, 0).rgbRed, 3);
}

TEST(ImageBmp, Rle8EndOfLineDeltaAndOddLiterals)
{
    std::vector<uint8_t> rle = {
        3, 7,           // run of three 7s
        0, 3, 1, 2, 3,  // literal of three, odd: one pad byte
        0,              // (pad)
        0, 0,           // end of line
        0, 2, 2, 1,     // delta: two right, one up -> row 2, column 2
        2, 9,           // two 9s
        0, 1};          // end of bitmap
    std::vector<uint8_t> f = BmpHeader(8, 3, 8, 1, Gray256(), static_cast<uint32_t>(rle.size()));
    f.insert(f.end(), rle.begin(), rle.end());
    CQxImage img;
    ASSERT_TRUE(DecodeBytes(img, f)) << img.GetLastError();
    const BYTE row0[8] = {7, 7, 7, 1, 2, 3, 0, 0};
    for (LONG x = 0; x < 8; ++x)
        EXPECT_EQ(img.GetPixelIndex(x, 0), row0[x]) << x;
    EXPECT_EQ(img.GetPixelIndex(1, 1), 0);
    EXPECT_EQ(img.GetPixelIndex(2, 2), 9);
    EXPECT_EQ(img.GetPixelIndex(3, 2), 9);
    EXPECT_EQ(img.GetPixelIndex(4, 2), 0);
}

TEST(ImageBmp, Rle8RunThatFillsTheRowKeepsDecoding)
{
    // Width 4 = padded length: the run ends exactly at the row end.
    std::vector<uint8_t> rle = {4, 5, 0, 0, 4, 6, 0, 1};
    std::vector<uint8_t> f = BmpHeader(4, 2, 8, 1, Gray256(), static_cast<uint32_t>(rle.size()));
    f.insert(f.end(), rle.begin(), rle.end());
    CQxImage img;
    ASSERT_TRUE(DecodeBytes(img, f));
    EXPECT_EQ(img.GetPixelIndex(3, 0), 5);
    EXPECT_EQ(img.GetPixelIndex(3, 1), 6);
}

TEST(ImageBmp, Rle4NibblesDeltaAndLiterals)
{
    std::vector<uint8_t> rle = {
        5, 0x12,             // 1 2 1 2 1
        0, 0,                // end of line
        0, 3, 0xAB, 0xC0,    // literal A B C; (3+1)/2 = 2 bytes, even: no pad
        0, 2, 4, 0,          // delta 4 pixels right (2 bytes)
        1, 0xEE,             // one E at x = 7
        0, 1};
    std::vector<uint8_t> f = BmpHeader(9, 2, 4, 2, kGray16, static_cast<uint32_t>(rle.size()));
    f.insert(f.end(), rle.begin(), rle.end());
    CQxImage img;
    ASSERT_TRUE(DecodeBytes(img, f)) << img.GetLastError();
    const BYTE row0[5] = {1, 2, 1, 2, 1};
    for (LONG x = 0; x < 5; ++x)
        EXPECT_EQ(img.GetPixelIndex(x, 0), row0[x]) << x;
    EXPECT_EQ(img.GetPixelIndex(5, 0), 0);
    EXPECT_EQ(img.GetPixelIndex(0, 1), 0xA);
    EXPECT_EQ(img.GetPixelIndex(1, 1), 0xB);
    EXPECT_EQ(img.GetPixelIndex(2, 1), 0xC);
    EXPECT_EQ(img.GetPixelIndex(7, 1), 0xE);
    EXPECT_EQ(img.GetPixelIndex(6, 1), 0);

    // A literal of 5 takes 3 bytes, odd: one pad byte follows.
    std::vector<uint8_t> odd = {0, 5, 0x12, 0x34, 0x50, 0xFF, 2, 0x77, 0, 1};
    std::vector<uint8_t> g = BmpHeader(9, 1, 4, 2, kGray16, static_cast<uint32_t>(odd.size()));
    g.insert(g.end(), odd.begin(), odd.end());
    ASSERT_TRUE(DecodeBytes(img, g));
    EXPECT_EQ(img.GetPixelIndex(4, 0), 5);
    EXPECT_EQ(img.GetPixelIndex(5, 0), 7);
    EXPECT_EQ(img.GetPixelIndex(6, 0), 7);
}

TEST(ImageBmp, RleStreamsThatOverrunStayInsideTheImage)
{
    // Runs past the row, deltas past the image, literals past the end and a
    // stream cut short: all consumed, nothing written outside (ASan checks).
    std::vector<uint8_t> rle = {255, 1, 0, 2, 255, 255, 0, 255};
    for (int i = 0; i < 255; ++i)
        rle.push_back(3);
    std::vector<uint8_t> f = BmpHeader(3, 2, 8, 1, Gray256(), static_cast<uint32_t>(rle.size()));
    f.insert(f.end(), rle.begin(), rle.end());
    CQxImage img;
    ASSERT_TRUE(DecodeBytes(img, f));
    EXPECT_EQ(img.GetPixelIndex(2, 0), 1);
    EXPECT_EQ(img.GetPixelIndex(0, 1), 0);

    std::vector<uint8_t> rle4 = {255, 0x11, 0, 255};
    for (int i = 0; i < 128; ++i)
        rle4.push_back(0x22);
    rle4.insert(rle4.end(), {0, 0, 0, 0, 0, 0, 3});
    std::vector<uint8_t> g = BmpHeader(5, 2, 4, 2, kGray16, static_cast<uint32_t>(rle4.size()));
    g.insert(g.end(), rle4.begin(), rle4.end());
    ASSERT_TRUE(DecodeBytes(img, g));
    EXPECT_EQ(img.GetPixelIndex(4, 0), 1);

    std::vector<uint8_t> cut = BmpHeader(4, 4, 8, 1, Gray256(), 3);
    cut.insert(cut.end(), {2, 9, 0});
    ASSERT_TRUE(DecodeBytes(img, cut));
    EXPECT_EQ(img.GetPixelIndex(1, 0), 9);
}

TEST(ImageBmp, HostileHeadersAreRefusedBeforeAllocating)
{
    CQxImage img;
    // Dimensions far over the budget: refused with no allocation attempt.
    EXPECT_FALSE(DecodeBytes(img, BmpHeader(0x7FFFFFFF, 0x7FFFFFFF, 24, 0, {}, 0)));
    EXPECT_STREQ(img.GetLastError(),
                 "Image of 2147483647 x 2147483647 pixels exceeds the pixel budget of 256000000");
    EXPECT_FALSE(DecodeBytes(img, BmpHeader(-5, 5, 24, 0, {}, 0)));
    EXPECT_STREQ(img.GetLastError(), "Error reading BMP info");
    EXPECT_FALSE(DecodeBytes(img, BmpHeader(5, INT32_MIN, 24, 0, {}, 0)));
    EXPECT_FALSE(DecodeBytes(img, BmpHeader(5, 0, 24, 0, {}, 0)));
    EXPECT_FALSE(DecodeBytes(img, BmpHeader(4, 4, 4, 3, kGray16, 8)));
    EXPECT_STREQ(img.GetLastError(), "compression type not supported");
    EXPECT_FALSE(DecodeBytes(img, BmpHeader(4, 4, 24, 1, {}, 48)));
    EXPECT_STREQ(img.GetLastError(), "unknown compression");

    // Header sizes: too small, absurdly large, unknown with inconsistent fields.
    for (uint32_t size : {0u, 39u, 0xFFFFFFFFu, 4000u}) {
        std::vector<uint8_t> f = BmpHeader(4, 4, 8, 0, {}, 16);
        QxPutLE32(&f[14], size);
        f.insert(f.end(), 16, 0);
        EXPECT_FALSE(DecodeBytes(img, f)) << size;
        EXPECT_STREQ(img.GetLastError(), "Error reading BMP info");
    }
    std::vector<uint8_t> inconsistent = BmpHeader(4, 4, 8, 0, {}, 15);
    QxPutLE32(&inconsistent[14], 41);
    inconsistent.insert(inconsistent.end(), 20, 0);
    EXPECT_FALSE(DecodeBytes(img, inconsistent));
    // Unknown header size with dimensions whose padded size overflows 64 bits.
    std::vector<uint8_t> vast = BmpHeader(0x7FFFFFFF, 0x7FFFFFFF, 0xFFFF, 0, {}, 0x12345678);
    QxPutLE32(&vast[14], 100);
    vast.insert(vast.end(), 100, 0);
    EXPECT_FALSE(DecodeBytes(img, vast));
    std::vector<uint8_t> vastBare(vast.begin() + 14, vast.end());
    QxPutLE32(&vastBare[0], 40);
    EXPECT_FALSE(DecodeBytes(img, vastBare));
    EXPECT_FALSE(DecodeBytes(img, {0x42, 0x4D, 1, 2}));
    EXPECT_STREQ(img.GetLastError(), "Not a BMP");
}

TEST(ImageBmp, HostileCountsAndOffsetsAreBounded)
{
    CQxImage img;
    // Colour count far beyond the palette: only 256 entries are stored.
    std::vector<uint8_t> f = BmpHeader(2, 2, 8, 0, Gray256(), 8, 0xFFFFFFFFu);
    f.insert(f.end(), {1, 2, 0, 0, 3, 4, 0, 0});
    ASSERT_TRUE(DecodeBytes(img, f));
    EXPECT_EQ(img.GetNumColors(), 256u);
    EXPECT_EQ(img.GetPixelIndex(1, 1), 4);
    // Without the file header the rows would follow all those entries: not there.
    std::vector<uint8_t> bare(f.begin() + 14, f.end());
    EXPECT_FALSE(DecodeBytes(img, bare));

    // Pixel offset past the end (and past 2 GB): no rows, no image.
    std::vector<uint8_t> g = BmpHeader(2, 2, 24, 0, {}, 16);
    QxPutLE32(&g[10], 0xFFFFFFF0u);
    g.insert(g.end(), 16, 0x55);
    EXPECT_FALSE(DecodeBytes(img, g));
    EXPECT_STREQ(img.GetLastError(), "BMP pixel data shorter than the image");

    // Truncated pixel data is refused; only the last row's padding may be missing.
    std::vector<uint8_t> h = BmpHeader(2, 2, 24, 0, {}, 16);
    h.insert(h.end(), {9, 9, 9});
    EXPECT_FALSE(DecodeBytes(img, h));
    EXPECT_STREQ(img.GetLastError(), "BMP pixel data shorter than the image");
    h.insert(h.end(), {9, 9, 9, 0, 0, 7, 7, 7, 8, 8, 8});
    ASSERT_TRUE(DecodeBytes(img, h)) << img.GetLastError();
    EXPECT_EQ(img.GetPixelColor(0, 0).rgbRed, 9);
    EXPECT_EQ(img.GetPixelColor(1, 1).rgbRed, 8);

    // Bit-field masks that would shift out of range.
    std::vector<uint8_t> m = BmpHeader(1, 1, 16, 3, {}, 4);
    QxPutLE32(&m[10], 54 + 12);
    Put32(m, 0xFFFFFFFFu);
    Put32(m, 0);
    Put32(m, 0x80000000u);
    Put32(m, 0x1234);
    EXPECT_TRUE(DecodeBytes(img, m));
}

TEST(ImageBmp, ReadInfoHeaderAcceptsTheKnownForms)
{
    std::vector<uint8_t> v;
    Put32(v, 64);
    Put32(v, 7);
    Put32(v, 3);
    Put16(v, 1);
    Put16(v, 8);
    v.resize(40, 0);
    v.resize(64 + 4, 0xCC);
    CQxMemFile mem(v.data(), static_cast<DWORD>(v.size()));
    BITMAPINFOHEADER h;
    ASSERT_TRUE(CQxImageBMP::ReadInfoHeader(&mem, h));
    EXPECT_EQ(mem.Tell(), 64);
    EXPECT_EQ(h.biWidth, 7);
    EXPECT_EQ(h.biClrUsed, 256u);
    EXPECT_EQ(h.biSizeImage, 8u * 3u);
}
