#include "imaging/CQxIOFile.h"
#include "imaging/CQxImage.h"
#include "imaging/CQxMemFile.h"
#include "tests/imaging/ImageTestUtil.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using qx_imaging_test::TempDir;

namespace {
std::vector<uint8_t> EncodeBmp(CQxImage& img)
{
    BYTE* buf = nullptr;
    int32_t size = 0;
    EXPECT_TRUE(img.Encode(buf, size, QXIMAGE_FORMAT_BMP));
    std::vector<uint8_t> out(buf, buf + size);
    CQxImage::FreeMemory(buf);
    return out;
}
}  // namespace

TEST(ImageDispatch, UnknownIdsFailWithTheirTexts)
{
    CQxImage img(2, 2, 24, 0);
    CQxMemFile mem;
    mem.Open();
    EXPECT_FALSE(img.Encode(&mem, 0));
    EXPECT_STREQ(img.GetLastError(), "Encode: Unknown format");
    EXPECT_FALSE(img.Encode(&mem, 9));
    EXPECT_STREQ(img.GetLastError(), "Encode: Unknown format");
    BYTE junk[4] = {1, 2, 3, 4};
    EXPECT_FALSE(img.Decode(junk, sizeof(junk), 9));
    EXPECT_STREQ(img.GetLastError(), "Decode: Unknown or wrong format");
    EXPECT_TRUE(img.IsValid());  // a failed decode leaves the image
    EXPECT_FALSE(img.Encode(&mem, nullptr, 0, 3));
    EXPECT_STREQ(img.GetLastError(), "Multipage Encode, Unsupported operation for this format");
    CQxImage empty;
    EXPECT_FALSE(empty.Encode(&mem, QXIMAGE_FORMAT_BMP));
    EXPECT_STREQ(empty.GetLastError(), "null image!!!");
    EXPECT_FALSE(img.Encode(static_cast<CQxFile*>(nullptr), QXIMAGE_FORMAT_BMP));
    EXPECT_STREQ(img.GetLastError(), "null file handler");
}

TEST(ImageDispatch, EncodeToMemoryNeedsAnEmptyPointer)
{
    CQxImage img(3, 3, 8, 0);
    BYTE dummy = 0;
    BYTE* buf = &dummy;
    int32_t size = 5;
    EXPECT_FALSE(img.Encode(buf, size, QXIMAGE_FORMAT_BMP));
    EXPECT_STREQ(img.GetLastError(), "the buffer must be empty");
    EXPECT_EQ(buf, &dummy);
    EXPECT_EQ(size, 5);
    buf = nullptr;
    EXPECT_FALSE(img.Encode(buf, size, 0));
    EXPECT_EQ(buf, nullptr);
}

TEST(ImageDispatch, ProbeFindsBmpFromTheStartingPosition)
{
    CQxImage src(6, 4, 24, 0);
    qx_imaging_test::FillPattern(src, 11);
    std::vector<uint8_t> bytes = {0xEE, 0xEE, 0xEE};
    const std::vector<uint8_t> bmp = EncodeBmp(src);
    bytes.insert(bytes.end(), bmp.begin(), bmp.end());
    CQxMemFile mem(bytes.data(), static_cast<DWORD>(bytes.size()));
    mem.Seek(3, SEEK_SET);
    CQxImage out;
    ASSERT_TRUE(out.Decode(&mem, 0));
    EXPECT_EQ(out.GetType(), QXIMAGE_FORMAT_BMP);
    EXPECT_TRUE(qx_imaging_test::SamePixels(src, out));
}

TEST(ImageDispatch, ProbeRefusesNoiseAndKeepsTheImage)
{
    std::vector<uint8_t> noise(300);
    for (size_t i = 0; i < noise.size(); ++i)
        noise[i] = static_cast<uint8_t>(i * 37 + 11);
    CQxImage img(2, 2, 8, 0);
    EXPECT_FALSE(img.Decode(noise.data(), static_cast<DWORD>(noise.size()), 0));
    EXPECT_STREQ(img.GetLastError(), "Decode: Unknown or wrong format");
    EXPECT_TRUE(img.IsValid());
    EXPECT_EQ(img.GetWidth(), 2u);
}

TEST(ImageDispatch, SaveAndLoadByPath)
{
    TempDir dir;
    CQxImage img(7, 5, 4, 0);
    qx_imaging_test::FillPattern(img, 5);
    const std::string path = dir.file("a.bmp");
    ASSERT_TRUE(img.Save(path.c_str(), QXIMAGE_FORMAT_BMP));

    CQxImage loaded;
    ASSERT_TRUE(loaded.Load(path.c_str(), QXIMAGE_FORMAT_BMP));
    EXPECT_TRUE(qx_imaging_test::SamePixels(img, loaded));
    // Asked for another format, the content still decides.
    CQxImage viaProbe;
    ASSERT_TRUE(viaProbe.Load(path.c_str(), QXIMAGE_FORMAT_PNG));
    EXPECT_EQ(viaProbe.GetType(), QXIMAGE_FORMAT_BMP);
    CQxImage ctor(path.c_str(), QXIMAGE_FORMAT_UNKNOWN);
    EXPECT_TRUE(ctor.IsValid());

    // Nothing readable: with an id the codec's reason stays; with 0 the probe's.
    const std::string junk = dir.file("junk.bin");
    ASSERT_TRUE(qx_imaging_test::WriteFileBytes(junk, {'n', 'o', 'p', 'e'}));
    CQxImage none;
    EXPECT_FALSE(none.Load(junk.c_str(), QXIMAGE_FORMAT_BMP));
    EXPECT_STREQ(none.GetLastError(), "Not a BMP");
    EXPECT_FALSE(none.Load(junk.c_str(), 0));
    EXPECT_STREQ(none.GetLastError(), "Decode: Unknown or wrong format");
    EXPECT_FALSE(none.Load(dir.file("missing.bmp").c_str(), 0));
}

TEST(ImageDispatch, SaveReportsFailuresWithoutTouchingTheText)
{
    TempDir dir;
    CQxImage img(2, 2, 24, 0);
    img.Decode(static_cast<BYTE*>(nullptr), 0, 9);  // leaves a known text
    EXPECT_FALSE(img.Save(dir.file("no/such/dir/x.bmp").c_str(), QXIMAGE_FORMAT_BMP));
    EXPECT_STREQ(img.GetLastError(), "Decode: Unknown or wrong format");
}

TEST(ImageDispatch, SaveToAFullDeviceFails)
{
    // /dev/full accepts the open and fails every write, so only the flush
    // or close reports the loss.
    FILE* probe = std::fopen("/dev/full", "wb");
    if (probe == nullptr)
        GTEST_SKIP() << "/dev/full not available";
    std::fclose(probe);
    CQxImage img(64, 64, 24, 0);
    EXPECT_FALSE(img.Save("/dev/full", QXIMAGE_FORMAT_BMP));
    EXPECT_STRNE(img.GetLastError(), "");
}

TEST(ImageDispatch, EncodeToAStreamThatCannotGrowFails)
{
    CQxImage img(8, 8, 24, 0);
    CQxIOFile noHandle;
    EXPECT_FALSE(img.Encode(&noHandle, QXIMAGE_FORMAT_BMP));
}

TEST(ImageDispatch, RawRgbaDump)
{
    CQxImage img(2, 1, 24, 0);
    img.SetPixelColor(0, 0, QxRGB(1, 2, 3));
    img.SetPixelColor(1, 0, QxRGB(4, 5, 6));
    img.AlphaCreate();
    img.AlphaSet(1, 0, 9);
    BYTE* buf = nullptr;
    int32_t size = 0;
    ASSERT_TRUE(img.Encode2RGBA(buf, size));
    ASSERT_EQ(size, 8);
    const BYTE expect[8] = {1, 2, 3, 255, 4, 5, 6, 9};
    EXPECT_EQ(std::memcmp(buf, expect, 8), 0);
    CQxImage::FreeMemory(buf);
    CQxImage empty;
    buf = nullptr;
    EXPECT_FALSE(empty.Encode2RGBA(buf, size));
}

TEST(ImageDispatch, LoadResourceDecodesUnownedBytes)
{
    CQxImage src(5, 5, 8, 0);
    qx_imaging_test::FillPattern(src, 21);
    const std::vector<uint8_t> bmp = EncodeBmp(src);
    const QxResource entries[] = {{"chart.bmp", bmp.data(), static_cast<DWORD>(bmp.size())}};
    const QxResourceModule module{entries, 1};
    CQxImage img;
    EXPECT_FALSE(img.LoadResource(nullptr, 0, &module));
    EXPECT_STREQ(img.GetLastError(), "Unable to load resource!");
    ASSERT_TRUE(img.LoadResource(QxFindResource(&module, "chart.bmp"), QXIMAGE_FORMAT_BMP, &module));
    EXPECT_TRUE(qx_imaging_test::SamePixels(src, img));
}

TEST(ImageDispatch, DecodeCarriesSettingsIntoTheCodec)
{
    CQxImage src(9, 4, 24, 0);
    const std::vector<uint8_t> bmp = EncodeBmp(src);
    CQxImage img;
    img.SetEscape(-1);  // dimensions only
    std::vector<uint8_t> copy = bmp;
    ASSERT_TRUE(img.Decode(copy.data(), static_cast<DWORD>(copy.size()), QXIMAGE_FORMAT_BMP));
    EXPECT_EQ(img.GetWidth(), 9u);
    EXPECT_EQ(img.GetHeight(), 4u);
    EXPECT_FALSE(img.IsValid());
    CQxImage cancelled;
    cancelled.SetEscape(1);
    EXPECT_FALSE(cancelled.Decode(copy.data(), static_cast<DWORD>(copy.size()), QXIMAGE_FORMAT_BMP));
    EXPECT_STREQ(cancelled.GetLastError(), "Cancelled");
}

TEST(ImageDispatch, ChartExportLoadsItsBitmapAsPngIdAndSavesPng)
{
    // The chart export writes a 32-bit packed bitmap with its own file header,
    // loads it with the PNG id (the probe finds the bitmap) and saves PNG over it.
    TempDir dir;
    const std::string path = dir.file("chart.png");
    const int32_t w = 5, h = 3;
    std::vector<uint8_t> f = qx_imaging_test::BmpHeader(w, h, 32, 0, {}, w * h * 4);
    for (int i = 0; i < w * h; ++i)
        f.insert(f.end(), {static_cast<uint8_t>(i), static_cast<uint8_t>(2 * i), static_cast<uint8_t>(3 * i), 0});
    ASSERT_TRUE(qx_imaging_test::WriteFileBytes(path, f));

    CQxImage img;
    ASSERT_TRUE(img.Load(path.c_str(), QXIMAGE_FORMAT_PNG));
    EXPECT_EQ(img.GetType(), QXIMAGE_FORMAT_BMP);
    ASSERT_TRUE(img.Save(path.c_str(), QXIMAGE_FORMAT_PNG)) << img.GetLastError();
    img.Destroy();

    const std::vector<uint8_t> png = qx_imaging_test::ReadFileBytes(path);
    ASSERT_GE(png.size(), 8u);
    EXPECT_EQ(png[1], 'P');
    CQxImage back;
    ASSERT_TRUE(back.Load(path.c_str(), QXIMAGE_FORMAT_PNG));
    EXPECT_EQ(back.GetType(), QXIMAGE_FORMAT_PNG);
    ASSERT_EQ(back.GetWidth(), 5u);
    const RGBQUAD c = back.GetPixelColor(4, 2, false);
    EXPECT_EQ(c.rgbBlue, 14);
    EXPECT_EQ(c.rgbGreen, 28);
    EXPECT_EQ(c.rgbRed, 42);
}
