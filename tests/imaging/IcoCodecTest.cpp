// ICO codec: image selection, masks turned into transparency, size limits and
// the 32-bit form for images with alpha.
#include "tests/imaging/CodecTestSupport.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(IcoCodecTest, FrameSelectsTheIconAndTheCountIsKept)
{
    const std::string file = qxtest::SamplesDir() + "/ico_im_multi.ico";
    CQxImage third;
    third.SetFrame(2);
    ASSERT_TRUE(third.Load(file.c_str(), QXIMAGE_FORMAT_ICO));
    EXPECT_EQ(third.GetWidth(), 16u);
    EXPECT_EQ(third.GetNumFrames(), 3);
    CQxImage none;
    none.SetFrame(3);
    EXPECT_FALSE(none.Load(file.c_str(), QXIMAGE_FORMAT_ICO));
    EXPECT_EQ(none.GetNumFrames(), 3);
}

TEST(IcoCodecTest, MasksBecomeTransparency)
{
    // 4-bit icon using indexes 0..2, its border transparent.
    CQxImage img(8, 8, 4);
    img.SetStdPalette();
    for (LONG y = 0; y < 8; ++y)
        for (LONG x = 0; x < 8; ++x)
            img.SetPixelIndex(x, y, static_cast<BYTE>(x == 0 || y == 0 || x == 7 || y == 7 ? 2 : (x + y) % 2));
    ASSERT_TRUE(img.SetTransIndex(2));
    CQxImage back;
    ASSERT_TRUE(qxtest::DecodeBytes(back, qxtest::EncodeBytes(img, QXIMAGE_FORMAT_ICO), QXIMAGE_FORMAT_ICO));
    // The masked pixels still hold index 2 in the file, so 3 is the first unused one.
    EXPECT_EQ(back.GetTransIndex(), 3) << "the first index no pixel uses";
    EXPECT_TRUE(back.IsTransparent(0, 0));
    EXPECT_FALSE(back.IsTransparent(3, 3));
    EXPECT_FALSE(back.AlphaIsValid());

    // A mask of nothing but set bits: an inverted image with transparent index 0.
    CQxImage mono(8, 2, 1);
    mono.SetGrayPalette();
    auto f1 = qxtest::EncodeBytes(mono, QXIMAGE_FORMAT_ICO);
    ASSERT_EQ(f1.size(), 22u + 40u + 8u + 8u + 8u);
    std::fill(f1.end() - 8, f1.end(), 0xFF);
    CQxImage inv;
    ASSERT_TRUE(qxtest::DecodeBytes(inv, f1, QXIMAGE_FORMAT_ICO));
    EXPECT_EQ(inv.GetTransIndex(), 0);
    EXPECT_EQ(inv.GetPixelColor(0, 0, false).rgbRed, 255) << "black became white";

    // 24 bits with alpha is written as a 32-bit icon and keeps its alpha.
    CQxImage rgba(4, 4, 24);
    ASSERT_TRUE(rgba.AlphaCreate());
    rgba.AlphaSet(1, 1, 0);
    rgba.AlphaSet(2, 2, 90);
    const auto f = qxtest::EncodeBytes(rgba, QXIMAGE_FORMAT_ICO);
    ASSERT_GT(f.size(), 22u);
    EXPECT_EQ(f[12], 32);
    CQxImage alpha;
    ASSERT_TRUE(qxtest::DecodeBytes(alpha, f, QXIMAGE_FORMAT_ICO));
    EXPECT_EQ(alpha.AlphaGet(1, 1), 0);
    EXPECT_EQ(alpha.AlphaGet(2, 2), 90);
    EXPECT_EQ(alpha.AlphaGet(3, 3), 255);
}

TEST(IcoCodecTest, SizeLimitsOnWritingAndHostileDirectories)
{
    CQxImage big(256, 256, 24);
    qxtest::CFailingFile sink(1 << 22);
    EXPECT_FALSE(big.Encode(&sink, QXIMAGE_FORMAT_ICO));
    EXPECT_STREQ(big.GetLastError(), "Can't save this image as icon");
    CQxImage fits(255, 255, 24);
    EXPECT_FALSE(qxtest::EncodeBytes(fits, QXIMAGE_FORMAT_ICO).empty());

    CQxImage img;
    // 65535 entries promised in 22 bytes.
    EXPECT_FALSE(qxtest::DecodeBytes(img, {0, 0, 1, 0, 0xFF, 0xFF, 16, 16, 0, 0, 1, 0, 8, 0, 0, 1, 0, 0, 22, 0, 0, 0},
                                     QXIMAGE_FORMAT_ICO));
    // An entry whose image lies beyond the end of the file.
    EXPECT_FALSE(qxtest::DecodeBytes(img, {0, 0, 1, 0, 1, 0, 16, 16, 0, 0, 1, 0, 8, 0, 0, 1, 0, 0, 0, 0, 0, 0x10},
                                     QXIMAGE_FORMAT_ICO));
    qxtest::CFailingFile tiny(10);
    EXPECT_FALSE(fits.Encode(&tiny, QXIMAGE_FORMAT_ICO));
}

}  // namespace
