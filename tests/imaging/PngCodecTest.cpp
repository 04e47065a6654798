// PNG codec: depths and transparency on reading, palette size, transparent
// index and interlacing on writing, write failures, and that encoding leaves
// the caller's image as it was.
#include "tests/imaging/CodecTestSupport.h"

#include "imaging/CQxImagePNG.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

// Chunk type to data of a PNG file.
std::map<std::string, std::vector<uint8_t>> Chunks(const std::vector<uint8_t>& f)
{
    std::map<std::string, std::vector<uint8_t>> out;
    size_t p = 8;
    while (p + 12 <= f.size()) {
        const size_t len = static_cast<size_t>(f[p]) << 24 | f[p + 1] << 16 | f[p + 2] << 8 | f[p + 3];
        const std::string type(f.begin() + static_cast<long>(p) + 4, f.begin() + static_cast<long>(p) + 8);
        if (p + 12 + len > f.size())
            break;
        out[type].assign(f.begin() + static_cast<long>(p) + 8, f.begin() + static_cast<long>(p + 8 + len));
        p += 12 + len;
    }
    return out;
}

CQxImage Indexed(DWORD w, DWORD h, int usedColours)
{
    CQxImage img(w, h, 8);
    for (int i = 0; i < 256; ++i)
        img.SetPaletteColor(static_cast<BYTE>(i), static_cast<BYTE>(i), static_cast<BYTE>(255 - i), 7);
    for (DWORD y = 0; y < h; ++y)
        for (DWORD x = 0; x < w; ++x)
            img.SetPixelIndex(static_cast<LONG>(x), static_cast<LONG>(y), static_cast<BYTE>((x + y) % usedColours));
    return img;
}

TEST(PngCodecTest, ReadingMapsDepthsAndAlpha)
{
    CQxImage gray2;
    ASSERT_TRUE(gray2.Load((qxtest::SamplesDir() + "/png_im_gray2.png").c_str(), QXIMAGE_FORMAT_PNG));
    EXPECT_EQ(gray2.GetBpp(), 4);
    const BYTE greys[4] = {0, 85, 170, 255};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(gray2.GetPaletteColor(static_cast<BYTE>(i)).rgbRed, greys[i]);

    CQxImage rgba16;
    ASSERT_TRUE(rgba16.Load((qxtest::SamplesDir() + "/png_im_rgba16.png").c_str(), QXIMAGE_FORMAT_PNG));
    EXPECT_EQ(rgba16.GetBpp(), 24);
    EXPECT_TRUE(rgba16.AlphaIsValid()) << "16-bit RGBA keeps its alpha at 8 bits";

    CQxImage ga8;
    ASSERT_TRUE(ga8.Load((qxtest::SamplesDir() + "/png_im_ga8.png").c_str(), QXIMAGE_FORMAT_PNG));
    EXPECT_EQ(ga8.GetBpp(), 8);
    EXPECT_FALSE(ga8.AlphaIsValid()) << "8-bit grey + alpha is composited";
    EXPECT_EQ(ga8.GetPixelColor(0, 0).rgbRed, 192) << "a transparent corner shows the grey 192";
}

TEST(PngCodecTest, InterlacedWritingReadsBackAlikeAndIsRemembered)
{
    CQxImage img = Indexed(37, 29, 200);
    img.SetCodecOption(1, QXIMAGE_FORMAT_PNG);
    const auto interlaced = qxtest::EncodeBytes(img, QXIMAGE_FORMAT_PNG);
    img.SetCodecOption(0, QXIMAGE_FORMAT_PNG);
    const auto plain = qxtest::EncodeBytes(img, QXIMAGE_FORMAT_PNG);
    ASSERT_EQ(Chunks(interlaced)["IHDR"].at(12), 1);
    ASSERT_EQ(Chunks(plain)["IHDR"].at(12), 0);
    CQxImage a;
    CQxImage b;
    ASSERT_TRUE(qxtest::DecodeBytes(a, interlaced, QXIMAGE_FORMAT_PNG));
    ASSERT_TRUE(qxtest::DecodeBytes(b, plain, QXIMAGE_FORMAT_PNG));
    EXPECT_EQ(a.GetCodecOption(QXIMAGE_FORMAT_PNG), 1u);
    EXPECT_EQ(b.GetCodecOption(QXIMAGE_FORMAT_PNG), 0u);
    for (LONG y = 0; y < 29; ++y)
        for (LONG x = 0; x < 37; ++x)
            ASSERT_EQ(a.GetPixelIndex(x, y), b.GetPixelIndex(x, y));
}

TEST(PngCodecTest, PaletteHoldsTheColoursUsedInSmallImages)
{
    CQxImage small = Indexed(100, 100, 10);
    EXPECT_EQ(Chunks(qxtest::EncodeBytes(small, QXIMAGE_FORMAT_PNG))["PLTE"].size(), 30u);
    CQxImage large = Indexed(300, 300, 10);
    EXPECT_EQ(Chunks(qxtest::EncodeBytes(large, QXIMAGE_FORMAT_PNG))["PLTE"].size(), 768u);
}

TEST(PngCodecTest, TransparentIndexIsWrittenAsIndexZeroWithoutChangingTheImage)
{
    CQxImage img = Indexed(20, 10, 12);
    ASSERT_TRUE(img.SetTransIndex(5));
    const RGBQUAD entry0 = img.GetPaletteColor(0);
    const BYTE pixel = img.GetPixelIndex(5, 0);
    const auto f = qxtest::EncodeBytes(img, QXIMAGE_FORMAT_PNG);
    auto chunks = Chunks(f);
    ASSERT_EQ(chunks["tRNS"].size(), 1u);
    EXPECT_EQ(chunks["tRNS"][0], 0);
    EXPECT_EQ(chunks["PLTE"][0], 5) << "entry 5 moved to the front";
    // The caller's image is untouched.
    EXPECT_EQ(img.GetTransIndex(), 5);
    EXPECT_EQ(img.GetPaletteColor(0).rgbRed, entry0.rgbRed);
    EXPECT_EQ(img.GetPixelIndex(5, 0), pixel);
    CQxImage back;
    ASSERT_TRUE(qxtest::DecodeBytes(back, f, QXIMAGE_FORMAT_PNG));
    EXPECT_EQ(back.GetTransIndex(), 0);
    EXPECT_FALSE(back.AlphaPaletteIsEnabled());
    EXPECT_TRUE(back.IsTransparent(5, 0)) << "pixels of the old index 5 are the transparent ones";
    EXPECT_FALSE(back.IsTransparent(0, 0));

    // A true-colour image with a transparent colour and an alpha channel keeps both.
    CQxImage rgb(4, 1, 24);
    rgb.SetPixelColor(1, 0, QxRGB(9, 8, 7));
    rgb.SetTransColor(CQxImage::RGBtoRGBQUAD(QxRGB(9, 8, 7)));
    rgb.SetTransIndex(0);
    ASSERT_TRUE(rgb.AlphaCreate());
    rgb.AlphaSet(3, 0, 100);
    const auto g = qxtest::EncodeBytes(rgb, QXIMAGE_FORMAT_PNG);
    EXPECT_EQ(rgb.AlphaGet(1, 0), 255) << "the encoder does not write into the caller's alpha";
    CQxImage rgbBack;
    ASSERT_TRUE(qxtest::DecodeBytes(rgbBack, g, QXIMAGE_FORMAT_PNG));
    EXPECT_EQ(rgbBack.AlphaGet(1, 0), 0);
    EXPECT_EQ(rgbBack.AlphaGet(3, 0), 100);
    EXPECT_EQ(rgbBack.AlphaGet(0, 0), 255);
}

TEST(PngCodecTest, WriteFailuresAreReported)
{
    CQxImage img = Indexed(64, 64, 256);
    const size_t full = qxtest::EncodeBytes(img, QXIMAGE_FORMAT_PNG).size();
    for (size_t limit : {size_t(0), size_t(8), size_t(40), full / 2, full - 1}) {
        qxtest::CFailingFile sink(limit);
        EXPECT_FALSE(img.Encode(&sink, QXIMAGE_FORMAT_PNG)) << limit;
        EXPECT_STREQ(img.GetLastError(), "Error saving PNG file");
    }
    qxtest::CFailingFile enough(full);
    EXPECT_TRUE(img.Encode(&enough, QXIMAGE_FORMAT_PNG));
    EXPECT_FALSE(img.Save("/nonexistent-folder/x.png", QXIMAGE_FORMAT_PNG));
}

TEST(PngCodecTest, ResolutionIsWrittenAndRead)
{
    CQxImage img = Indexed(4, 4, 4);
    img.SetXDPI(300);
    img.SetYDPI(150);
    CQxImage back;
    ASSERT_TRUE(qxtest::DecodeBytes(back, qxtest::EncodeBytes(img, QXIMAGE_FORMAT_PNG), QXIMAGE_FORMAT_PNG));
    EXPECT_EQ(back.GetXDPI(), 300);
    EXPECT_EQ(back.GetYDPI(), 150);
}

}  // namespace
