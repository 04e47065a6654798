// Metafile playback: EMF and placeable WMF records built here, played onto an
// image, checked at pixels whose colour the records decide.
#include "tests/imaging/CodecTestSupport.h"
#include "tests/imaging/EmfBuilder.h"

#include "imaging/CQxImageWMF.h"
#include "imaging/CQxMemFile.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

using qxtest::EmfBuilder;

constexpr int32_t kRed = 0x0000FF;
constexpr int32_t kGreen = 0x00FF00;
constexpr int32_t kBlue = 0xFF0000;
constexpr int32_t kYellow = 0x00FFFF;

RGBQUAD At(CQxImage& img, int x, int yFromTop)
{
    return img.GetPixelColor(x, static_cast<LONG>(img.GetHeight()) - 1 - yFromTop, false);
}

bool Is(const RGBQUAD& c, int r, int g, int b)
{
    return c.rgbRed == r && c.rgbGreen == g && c.rgbBlue == b;
}

bool DecodeWmf(CQxImageWMF& img, std::vector<uint8_t> bytes, LONG w = 0, LONG h = 0)
{
    CQxMemFile file(bytes.data(), static_cast<DWORD>(bytes.size()));
    return img.Decode(&file, w, h);
}

std::vector<uint8_t> SampleEmf()
{
    EmfBuilder e(100, 50);
    e.Record(39, {1, 0, kRed, 0});         // solid red brush
    e.Record(37, {1});
    e.Record(37, {static_cast<int32_t>(0x80000008)});  // null pen
    e.Record(43, {10, 10, 30, 30});
    e.Record(39, {2, 2, kBlue, 4});        // hatched cross, blue
    e.Record(18, {1});                     // transparent background
    e.Record(37, {2});
    e.Record(43, {40, 0, 60, 20});
    e.Record(33, {});                      // save
    e.Record(39, {3, 0, kGreen, 0});
    e.Record(37, {3});
    e.Record(42, {60, 20, 100, 50});
    e.Record(34, {-1});                    // restore: hatched blue brush again
    e.Record(38, {4, 0, 0, 0, 0});         // black pen, one pixel
    e.Record(37, {4});
    e.Record(27, {0, 45});
    e.Record(54, {50, 45});
    // 2 x 2 DIB, 24 bits, bottom row blue/green, top row red/white.
    std::vector<uint8_t> dib = {40, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0, 1, 0, 24, 0, 0, 0, 0, 0, 16, 0, 0, 0,
                                0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                255, 0, 0, 0, 255, 0, 0, 0,     0, 0, 255, 255, 255, 255, 0, 0};
    std::vector<int32_t> sdib = {90, 0, 99, 9, 90, 0, 0, 0, 2, 2, 80, 40, 120, 16, 0, 0x00CC0020, 8, 8};
    std::vector<uint8_t> body;
    for (int32_t v : sdib)
        for (int i = 0; i < 4; ++i)
            body.push_back(static_cast<uint8_t>(static_cast<uint32_t>(v) >> (8 * i)));
    body.insert(body.end(), dib.begin(), dib.end());
    e.Raw(81, body);
    e.Record(17, {8});                     // anisotropic
    e.Record(9, {200, 100});
    e.Record(11, {100, 50});
    e.Record(39, {5, 0, kYellow, 0});
    e.Record(37, {5});
    e.Record(37, {static_cast<int32_t>(0x80000008)});
    e.Record(43, {100, 80, 140, 98});      // (50, 40) to (70, 49) on the canvas
    e.Record(84, {0, 0, 0, 0, 1, 0, 0});   // text: not played
    return e.Finish();
}

TEST(WmfReaderTest, EnhancedMetafileRecordsArePlayed)
{
    CQxImageWMF img;
    ASSERT_TRUE(DecodeWmf(img, SampleEmf())) << img.GetLastError();
    ASSERT_EQ(img.GetWidth(), 100u);
    ASSERT_EQ(img.GetHeight(), 50u);
    EXPECT_TRUE(Is(At(img, 20, 20), 255, 0, 0)) << "solid brush";
    EXPECT_TRUE(Is(At(img, 5, 5), 255, 255, 255)) << "window colour";
    EXPECT_TRUE(Is(At(img, 40, 8), 0, 0, 255)) << "hatch line";
    EXPECT_TRUE(Is(At(img, 43, 3), 255, 255, 255)) << "transparent hatch background";
    EXPECT_TRUE(Is(At(img, 80, 35), 0, 255, 0)) << "ellipse inside";
    EXPECT_TRUE(Is(At(img, 61, 21), 255, 255, 255)) << "ellipse corner";
    EXPECT_TRUE(Is(At(img, 25, 45), 0, 0, 0)) << "line";
    EXPECT_TRUE(Is(At(img, 91, 1), 255, 0, 0)) << "bitmap top left";
    EXPECT_TRUE(Is(At(img, 96, 6), 0, 255, 0)) << "bitmap bottom right";
    EXPECT_TRUE(Is(At(img, 60, 45), 255, 255, 0)) << "anisotropic mapping";
    EXPECT_TRUE(Is(At(img, 45, 45), 0, 0, 0)) << "mapped rectangle leaves the line";
    EXPECT_EQ(img.SkippedRecords().count(84), 1u) << "text is reported as not played";
}

TEST(WmfReaderTest, ArcsFollowTheArcDirection)
{
    for (bool clockwise : {false, true}) {
        EmfBuilder e(41, 41);
        e.Record(38, {1, 0, 2, 0, 0});  // black pen, two units wide
        e.Record(37, {1});
        if (clockwise)
            e.Record(57, {2});
        e.Record(45, {0, 0, 40, 40, 40, 20, 20, 0});  // from 3 o'clock to 12 o'clock
        CQxImageWMF img;
        ASSERT_TRUE(DecodeWmf(img, e.Finish()));
        const bool upperRight = Is(At(img, 34, 6), 0, 0, 0);
        const bool lowerRight = Is(At(img, 34, 34), 0, 0, 0);
        EXPECT_EQ(upperRight, !clockwise) << "counter-clockwise takes the short way up";
        EXPECT_EQ(lowerRight, clockwise);
    }
}

TEST(WmfReaderTest, PlaceableMetafileIsSizedByItsBoxAndPlayed)
{
    std::vector<uint16_t> w = {0xCDD7, 0x9AC6, 0, 0, 0, 1000, 500, 1000, 0, 0, 0};
    uint16_t sum = 0;
    for (int i = 0; i < 10; ++i)
        sum ^= w[i];
    w[10] = sum;
    std::vector<uint16_t> recs = {
        5, 0, 0x020B, 0, 0,             // window origin
        5, 0, 0x020C, 500, 1000,        // window extent
        7, 0, 0x02FC, 0, 0x00FF, 0, 0,  // solid red brush (slot 0)
        4, 0, 0x012D, 0,                // select it
        7, 0, 0x041B, 400, 500, 100, 100,  // rectangle l=100 t=100 r=500 b=400
        10, 0, 0x0324, 3, 600, 100, 900, 100, 750, 400,  // triangle
        3, 0, 0x0000};
    std::vector<uint16_t> header = {1, 9, 0x0300, 0, 0, 1, 0, 0, 0};
    const uint32_t words = static_cast<uint32_t>(header.size() + recs.size());
    header[3] = static_cast<uint16_t>(words & 0xFFFF);
    header[4] = static_cast<uint16_t>(words >> 16);
    std::vector<uint8_t> bytes;
    for (auto v : {&w, &header, &recs})
        for (uint16_t x : *v) {
            bytes.push_back(static_cast<uint8_t>(x));
            bytes.push_back(static_cast<uint8_t>(x >> 8));
        }
    CQxImage img;
    ASSERT_TRUE(qxtest::DecodeBytes(img, bytes, QXIMAGE_FORMAT_WMF)) << img.GetLastError();
    EXPECT_EQ(img.GetType(), QXIMAGE_FORMAT_WMF);
    ASSERT_EQ(img.GetWidth(), 96u);
    ASSERT_EQ(img.GetHeight(), 48u);
    EXPECT_TRUE(Is(At(img, 30, 20), 255, 0, 0));
    EXPECT_TRUE(Is(At(img, 72, 25), 255, 0, 0)) << "triangle";
    EXPECT_TRUE(Is(At(img, 5, 5), 255, 255, 255));
    // The probe reaches the metafile reader last and finds it too.
    CQxImage probed;
    ASSERT_TRUE(qxtest::DecodeBytes(probed, bytes, QXIMAGE_FORMAT_UNKNOWN));
    EXPECT_EQ(probed.GetType(), QXIMAGE_FORMAT_WMF);

    // Units per inch of 0 or 2541 do not make a placeable header.
    for (uint16_t inch : {uint16_t(0), uint16_t(2541)}) {
        std::vector<uint8_t> bad = bytes;
        bad[14] = static_cast<uint8_t>(inch);
        bad[15] = static_cast<uint8_t>(inch >> 8);
        uint16_t s = 0;
        for (int i = 0; i < 10; ++i)
            s ^= static_cast<uint16_t>(bad[2 * i] | bad[2 * i + 1] << 8);
        bad[20] = static_cast<uint8_t>(s);
        bad[21] = static_cast<uint8_t>(s >> 8);
        CQxImageWMF wmf;
        EXPECT_FALSE(DecodeWmf(wmf, bad));
        EXPECT_STREQ(wmf.GetLastError(), "corrupted WMF");
    }
}

TEST(WmfReaderTest, SizeIsClampedOrForcedAndNothingIsWritten)
{
    EmfBuilder big(8000, 2000);
    CQxImageWMF img;
    ASSERT_TRUE(DecodeWmf(img, big.Finish()));
    EXPECT_EQ(img.GetWidth(), 4000u);
    EXPECT_EQ(img.GetHeight(), 1000u);

    CQxImageWMF forced;
    ASSERT_TRUE(DecodeWmf(forced, SampleEmf(), 300, 200));
    EXPECT_EQ(forced.GetWidth(), 300u);
    EXPECT_EQ(forced.GetHeight(), 200u);
    EXPECT_TRUE(Is(At(forced, 60, 80), 255, 0, 0)) << "the picture is scaled to the forced size";

    EmfBuilder empty(0, 0);
    CQxImageWMF none;
    EXPECT_FALSE(DecodeWmf(none, empty.Finish()));
    EXPECT_STREQ(none.GetLastError(), "empty WMF");

    qxtest::CFailingFile sink(1 << 20);
    EXPECT_FALSE(forced.Encode(&sink));
    EXPECT_STREQ(forced.GetLastError(), "Save WMF not supported");
    EXPECT_EQ(sink.Size(), 0);
}

TEST(WmfReaderTest, HostileRecordsAreBoundedAndDoNotCrash)
{
    const std::vector<uint8_t> good = SampleEmf();
    // Every truncation and a corrupted size field in every record position.
    for (size_t cut = 0; cut < good.size(); cut += 7) {
        std::vector<uint8_t> part(good.begin(), good.begin() + static_cast<long>(cut));
        CQxImageWMF img;
        DecodeWmf(img, part);
    }
    for (size_t at = 88; at + 8 <= good.size(); at += 4) {
        std::vector<uint8_t> bad = good;
        bad[at] ^= 0xFF;
        bad[at + 3] ^= 0x7F;
        CQxImageWMF img;
        DecodeWmf(img, bad);
    }
    // A polygon claiming two billion points.
    EmfBuilder e(64, 64);
    e.Record(3, {0, 0, 10, 10, 0x7FFFFFFF, 1, 1, 5, 5});
    CQxImageWMF img;
    EXPECT_TRUE(DecodeWmf(img, e.Finish()));
    // Poly-polygons and poly-polylines whose records end before their counts,
    // claiming four billion figures.
    for (uint32_t type : {8u, 91u, 7u, 90u}) {
        EmfBuilder cut(64, 64);
        cut.Record(type, {0, 0, 0, 0, -1});  // bounds, then a count and nothing more
        CQxImageWMF played;
        EXPECT_TRUE(DecodeWmf(played, cut.Finish())) << type;
    }
}

}  // namespace
