// TGA codec: pixel formats, origins, run-length packets across rows, header
// checks that keep the format probe from taking other files, and writing.
#include "tests/imaging/CodecTestSupport.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<uint8_t> Header(int type, int w, int h, int depth, int descriptor = 0, int mapType = 0, int mapLen = 0,
                            int mapBits = 0)
{
    return {0, static_cast<uint8_t>(mapType), static_cast<uint8_t>(type), 0, 0,
            static_cast<uint8_t>(mapLen), static_cast<uint8_t>(mapLen >> 8), static_cast<uint8_t>(mapBits), 0, 0, 0, 0,
            static_cast<uint8_t>(w), static_cast<uint8_t>(w >> 8), static_cast<uint8_t>(h), static_cast<uint8_t>(h >> 8),
            static_cast<uint8_t>(depth), static_cast<uint8_t>(descriptor)};
}

TEST(TgaCodecTest, SixteenBitPixelsAndTopDownAlpha)
{
    auto f = Header(2, 2, 1, 16);
    f.insert(f.end(), {0xFF, 0x7F, 0x1F, 0x00});
    CQxImage img;
    ASSERT_TRUE(qxtest::DecodeBytes(img, f, QXIMAGE_FORMAT_TGA)) << img.GetLastError();
    RGBQUAD c = img.GetPixelColor(0, 0, false);
    EXPECT_TRUE(c.rgbRed == 248 && c.rgbGreen == 248 && c.rgbBlue == 248);
    c = img.GetPixelColor(1, 0, false);
    EXPECT_TRUE(c.rgbRed == 0 && c.rgbGreen == 0 && c.rgbBlue == 248);

    // Top-left origin, 32 bits: first file row is the top row, alpha with it.
    auto g = Header(2, 1, 2, 32, 0x28);
    g.insert(g.end(), {0, 0, 255, 10, 255, 0, 0, 200});
    CQxImage top;
    ASSERT_TRUE(qxtest::DecodeBytes(top, g, QXIMAGE_FORMAT_TGA));
    EXPECT_EQ(top.GetPixelColor(0, 1, false).rgbRed, 255) << "top row red";
    EXPECT_EQ(top.AlphaGet(0, 1), 10);
    EXPECT_EQ(top.GetPixelColor(0, 0, false).rgbBlue, 255);
    EXPECT_EQ(top.AlphaGet(0, 0), 200);

    // Right-to-left rows are mirrored.
    auto m = Header(3, 3, 1, 8, 0x10);
    m.insert(m.end(), {1, 2, 3});
    CQxImage mirrored;
    ASSERT_TRUE(qxtest::DecodeBytes(mirrored, m, QXIMAGE_FORMAT_TGA));
    EXPECT_EQ(mirrored.GetPixelIndex(0, 0), 3);
    EXPECT_EQ(mirrored.GetPixelIndex(2, 0), 1);
    EXPECT_TRUE(mirrored.IsGrayScale());
}

TEST(TgaCodecTest, RunLengthPacketsMayCrossRows)
{
    // 3 x 2 grey: one run of 4 and one raw packet of 2, against per-row packets.
    auto across = Header(11, 3, 2, 8);
    across.insert(across.end(), {0x83, 9, 0x01, 4, 5});
    auto split = Header(11, 3, 2, 8);
    split.insert(split.end(), {0x82, 9, 0x80, 9, 0x01, 4, 5});
    CQxImage a;
    CQxImage b;
    ASSERT_TRUE(qxtest::DecodeBytes(a, across, QXIMAGE_FORMAT_TGA));
    ASSERT_TRUE(qxtest::DecodeBytes(b, split, QXIMAGE_FORMAT_TGA));
    for (LONG y = 0; y < 2; ++y)
        for (LONG x = 0; x < 3; ++x)
            EXPECT_EQ(a.GetPixelIndex(x, y), b.GetPixelIndex(x, y)) << x << "," << y;
    EXPECT_EQ(a.GetPixelIndex(0, 1), 9);
    EXPECT_EQ(a.GetPixelIndex(2, 1), 5);
}

TEST(TgaCodecTest, HeadersThatCannotBeTgaAreRefused)
{
    CQxImage img;
    EXPECT_FALSE(qxtest::DecodeBytes(img, Header(1, 4, 4, 8, 0, 1, 257, 24), QXIMAGE_FORMAT_TGA));
    EXPECT_STREQ(img.GetLastError(), "bad TGA header");
    EXPECT_FALSE(qxtest::DecodeBytes(img, Header(7, 4, 4, 8), QXIMAGE_FORMAT_TGA));
    EXPECT_STREQ(img.GetLastError(), "Unknown TGA image type");
    // A header promising more pixels than the stream holds.
    auto huge = Header(2, 65535, 65535, 24);
    huge.resize(200, 0x55);
    EXPECT_FALSE(qxtest::DecodeBytes(img, huge, QXIMAGE_FORMAT_TGA));
    EXPECT_STREQ(img.GetLastError(), "corrupted TGA");
    // Plain text is claimed by no format.
    const std::string text = "Hello, this is just a text file and no picture at all.\n";
    CQxImage probed;
    EXPECT_FALSE(qxtest::DecodeBytes(probed, std::vector<uint8_t>(text.begin(), text.end()), 0));
}

TEST(TgaCodecTest, WritingNeedsEightBitsAndKeepsAlpha)
{
    CQxImage mono(8, 8, 1);
    qxtest::CFailingFile sink(1 << 20);
    EXPECT_FALSE(mono.Encode(&sink, QXIMAGE_FORMAT_TGA));
    EXPECT_STREQ(mono.GetLastError(), "Bit depth must be 8 or 24");

    CQxImage rgba(3, 2, 24);
    ASSERT_TRUE(rgba.AlphaCreate());
    rgba.AlphaSet(1, 1, 77);
    const auto f = qxtest::EncodeBytes(rgba, QXIMAGE_FORMAT_TGA);
    ASSERT_GE(f.size(), 18u + 24u);
    EXPECT_EQ(f[16], 32);
    CQxImage back;
    ASSERT_TRUE(qxtest::DecodeBytes(back, f, QXIMAGE_FORMAT_TGA));
    EXPECT_EQ(back.AlphaGet(1, 1), 77);

    qxtest::CFailingFile shortSink(30);
    EXPECT_FALSE(rgba.Encode(&shortSink, QXIMAGE_FORMAT_TGA));
}

}  // namespace
