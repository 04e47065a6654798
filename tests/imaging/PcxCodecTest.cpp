// PCX codec: run-length coding, line padding, palette marker, bounds of runs
// and truncated files.
#include "tests/imaging/CodecTestSupport.h"

#include "imaging/CQxImagePCX.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<uint8_t> Header(int bpp, int planes, int w, int h, int bytesPerLine)
{
    std::vector<uint8_t> hdr(128, 0);
    hdr[0] = 10;
    hdr[1] = 5;
    hdr[2] = 1;
    hdr[3] = static_cast<uint8_t>(bpp);
    hdr[8] = static_cast<uint8_t>(w - 1);
    hdr[9] = static_cast<uint8_t>((w - 1) >> 8);
    hdr[10] = static_cast<uint8_t>(h - 1);
    hdr[11] = static_cast<uint8_t>((h - 1) >> 8);
    hdr[65] = static_cast<uint8_t>(planes);
    hdr[66] = static_cast<uint8_t>(bytesPerLine);
    hdr[67] = static_cast<uint8_t>(bytesPerLine >> 8);
    return hdr;
}

TEST(PcxCodecTest, LongRunsSplitAtSixtyThree)
{
    const std::vector<BYTE> line(100, 0x21);
    std::vector<BYTE> out;
    CQxImagePCX::PackPlaneLine(line.data(), static_cast<DWORD>(line.size()), out);
    EXPECT_EQ(out, (std::vector<BYTE>{0xFF, 0x21, 0xE5, 0x21}));
    const BYTE high[1] = {0xC5};
    out.clear();
    CQxImagePCX::PackPlaneLine(high, 1, out);
    EXPECT_EQ(out, (std::vector<BYTE>{0xC1, 0xC5})) << "a single byte with both top bits set is a run";
}

TEST(PcxCodecTest, OddWidthLinesArePaddedAndReadBack)
{
    CQxImage img(5, 3, 24);
    for (LONG x = 0; x < 5; ++x)
        img.SetPixelColor(x, 1, QxRGB(static_cast<BYTE>(x * 40), 200, 0xC7));
    const auto f = qxtest::EncodeBytes(img, QXIMAGE_FORMAT_PCX);
    ASSERT_GT(f.size(), 128u);
    EXPECT_EQ(f[66] | f[67] << 8, 6) << "bytes per line rounded up to even";
    EXPECT_EQ(f[65], 3);
    CQxImage back;
    ASSERT_TRUE(qxtest::DecodeBytes(back, f, QXIMAGE_FORMAT_PCX));
    for (LONG x = 0; x < 5; ++x)
        EXPECT_EQ(back.GetPixelColor(x, 1).rgbRed, x * 40);

    // One pixel: each plane line is the value and a closing 0 byte.
    CQxImage one(1, 1, 24);
    one.SetPixelColor(0, 0, QxRGB(5, 6, 0xC9));
    const auto g = qxtest::EncodeBytes(one, QXIMAGE_FORMAT_PCX);
    ASSERT_EQ(g.size(), 128u + 7u);
    EXPECT_EQ(std::vector<uint8_t>(g.begin() + 128, g.end()), (std::vector<uint8_t>{5, 0, 6, 0, 0xC1, 0xC9, 0}));
}

TEST(PcxCodecTest, BrokenFilesFailWithTheirReason)
{
    // 8-bit picture whose palette marker is missing.
    auto f = Header(8, 1, 2, 1, 2);
    f.insert(f.end(), {1, 2});
    f.insert(f.end(), 769, 0);
    CQxImage img;
    EXPECT_FALSE(qxtest::DecodeBytes(img, f, QXIMAGE_FORMAT_PCX));
    EXPECT_STREQ(img.GetLastError(), "bad color map signature");
    f[130] = 0x0C;
    EXPECT_TRUE(qxtest::DecodeBytes(img, f, QXIMAGE_FORMAT_PCX)) << img.GetLastError();

    auto overrun = Header(8, 1, 2, 1, 2);
    overrun.insert(overrun.end(), {0xC5, 7});
    overrun.insert(overrun.end(), 769, 0);
    EXPECT_FALSE(qxtest::DecodeBytes(img, overrun, QXIMAGE_FORMAT_PCX));
    EXPECT_STREQ(img.GetLastError(), "repeat count spans end of image");

    auto truncated = Header(8, 3, 4, 4, 4);
    truncated.insert(truncated.end(), {1, 2, 3});
    EXPECT_FALSE(qxtest::DecodeBytes(img, truncated, QXIMAGE_FORMAT_PCX));
    EXPECT_STREQ(img.GetLastError(), "corrupted PCX");

    auto narrow = Header(8, 1, 100, 1, 10);
    narrow.resize(2000, 0);
    EXPECT_FALSE(qxtest::DecodeBytes(img, narrow, QXIMAGE_FORMAT_PCX)) << "bytes per line below the width";

    auto huge = Header(8, 1, 65535, 65535, 65535);
    huge.resize(1000, 0);
    EXPECT_FALSE(qxtest::DecodeBytes(img, huge, QXIMAGE_FORMAT_PCX));
}

TEST(PcxCodecTest, WhiteFirstMonochromeKeepsItsLook)
{
    CQxImage img(10, 2, 1);
    img.SetPaletteColor(0, 255, 255, 255);
    img.SetPaletteColor(1, 0, 0, 0);
    img.SetPixelIndex(3, 0, 1);
    CQxImage back;
    ASSERT_TRUE(qxtest::DecodeBytes(back, qxtest::EncodeBytes(img, QXIMAGE_FORMAT_PCX), QXIMAGE_FORMAT_PCX));
    EXPECT_EQ(back.GetPaletteColor(0).rgbRed, 0) << "the file's entry 0 stays black";
    EXPECT_EQ(back.GetPixelColor(3, 0).rgbRed, 0);
    EXPECT_EQ(back.GetPixelColor(4, 0).rgbRed, 255);
}

}  // namespace
