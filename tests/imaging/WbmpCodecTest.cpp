// WBMP codec: multi-byte sizes, header checks against the stream, writing.
#include "tests/imaging/CodecTestSupport.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(WbmpCodecTest, RowsReadFromTheTopWithBlackAsZero)
{
    CQxImage img;
    ASSERT_TRUE(qxtest::DecodeBytes(img, {0, 0, 8, 2, 0x0F, 0xF0}, QXIMAGE_FORMAT_WBMP)) << img.GetLastError();
    ASSERT_EQ(img.GetWidth(), 8u);
    ASSERT_EQ(img.GetHeight(), 2u);
    for (LONG x = 0; x < 8; ++x)
        EXPECT_EQ(img.GetPixelColor(x, 1).rgbRed, x < 4 ? 0 : 255) << x;
    EXPECT_EQ(img.GetPixelColor(0, 0).rgbRed, 255);
}

TEST(WbmpCodecTest, HeadersAreCheckedAgainstTheStream)
{
    CQxImage img;
    EXPECT_FALSE(qxtest::DecodeBytes(img, {1, 0, 8, 2, 0, 0}, QXIMAGE_FORMAT_WBMP));
    EXPECT_STREQ(img.GetLastError(), "Unsupported WBMP type");
    EXPECT_FALSE(qxtest::DecodeBytes(img, {0, 0, 0, 2, 0, 0}, QXIMAGE_FORMAT_WBMP));
    EXPECT_STREQ(img.GetLastError(), "Corrupted WBMP");
    // 100 x 100 promised, 2 bytes given: no WBMP, and the probe does not take it.
    EXPECT_FALSE(qxtest::DecodeBytes(img, {0, 0, 100, 100, 0, 0}, QXIMAGE_FORMAT_WBMP));
    CQxImage probed;
    EXPECT_FALSE(qxtest::DecodeBytes(probed, {0, 0, 100, 100, 0, 0}, 0));
    // A size of 2^28 in five bytes is refused, not allocated.
    EXPECT_FALSE(qxtest::DecodeBytes(img, {0, 0, 0x81, 0x80, 0x80, 0x80, 0x00, 1, 0}, QXIMAGE_FORMAT_WBMP));
}

TEST(WbmpCodecTest, WideImagesUseMultiByteSizes)
{
    CQxImage img(300, 3, 1);
    img.SetGrayPalette();
    img.SetPixelIndex(299, 2, 1);
    const auto f = qxtest::EncodeBytes(img, QXIMAGE_FORMAT_WBMP);
    ASSERT_GE(f.size(), 5u);
    EXPECT_EQ(f[2], 0x82);
    EXPECT_EQ(f[3], 0x2C);
    EXPECT_EQ(f[4], 3);
    CQxImage back;
    ASSERT_TRUE(qxtest::DecodeBytes(back, f, QXIMAGE_FORMAT_WBMP));
    EXPECT_EQ(back.GetWidth(), 300u);
    EXPECT_EQ(back.GetPixelIndex(299, 2), 1);
    EXPECT_EQ(back.GetPixelIndex(298, 2), 0);

    CQxImage deep(8, 8, 8);
    qxtest::CFailingFile sink(1 << 20);
    EXPECT_FALSE(deep.Encode(&sink, QXIMAGE_FORMAT_WBMP));
    EXPECT_STREQ(deep.GetLastError(), "Can't save this image as WBMP");
    qxtest::CFailingFile shortSink(4);
    EXPECT_FALSE(img.Encode(&shortSink, QXIMAGE_FORMAT_WBMP));
}

}  // namespace
