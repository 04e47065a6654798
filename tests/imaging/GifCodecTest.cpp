// GIF codec: what the writer puts in the file, frames, loop extension,
// comments, dimensions-only reading and write failures.
#include "tests/imaging/CodecTestSupport.h"

#include "imaging/CQxImageGIF.h"
#include "imaging/CQxMemFile.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

CQxImage PaletteImage(DWORD w, DWORD h, DWORD bpp)
{
    CQxImage img(w, h, bpp);
    for (DWORD i = 0; i < img.GetNumColors(); ++i)
        img.SetPaletteColor(static_cast<BYTE>(i), static_cast<BYTE>(i * 7), static_cast<BYTE>(255 - i),
                            static_cast<BYTE>(i * 3));
    for (DWORD y = 0; y < h; ++y)
        for (DWORD x = 0; x < w; ++x)
            img.SetPixelIndex(static_cast<LONG>(x), static_cast<LONG>(y), static_cast<BYTE>((x * 5 + y * 3) % img.GetNumColors()));
    return img;
}

struct Descriptor {
    int left, top, width, height;
};

// The image descriptors of a GIF written by us (no stray bytes).
std::vector<Descriptor> Descriptors(const std::vector<uint8_t>& f)
{
    std::vector<Descriptor> out;
    size_t p = 13;
    if (f[10] & 0x80)
        p += 3u * (2u << (f[10] & 7));
    auto skipBlocks = [&] {
        while (p < f.size() && f[p] != 0)
            p += f[p] + 1;
        ++p;
    };
    while (p < f.size() && f[p] != 0x3B) {
        if (f[p] == 0x21) {
            p += 2;
            skipBlocks();
        } else if (f[p] == 0x2C) {
            out.push_back({f[p + 1] | f[p + 2] << 8, f[p + 3] | f[p + 4] << 8, f[p + 5] | f[p + 6] << 8,
                           f[p + 7] | f[p + 8] << 8});
            const uint8_t flags = f[p + 9];
            p += 10;
            if (flags & 0x80)
                p += 3u * (2u << (flags & 7));
            ++p;  // code size
            skipBlocks();
        } else {
            break;
        }
    }
    return out;
}

TEST(GifCodecTest, SmallPaletteImageHasHeaderGlobalTableAndTrailer)
{
    CQxImage img = PaletteImage(1, 1, 8);
    const auto f = qxtest::EncodeBytes(img, QXIMAGE_FORMAT_GIF);
    ASSERT_GT(f.size(), 13u + 768u);
    EXPECT_EQ(std::string(f.begin(), f.begin() + 6), "GIF89a");
    EXPECT_EQ(f[10], 0xE7) << "global table of 256 entries";
    EXPECT_EQ(f[13 + 3 * 5], 5 * 7) << "entry 5, red";
    EXPECT_EQ(f.back(), 0x3B);
}

TEST(GifCodecTest, TrueColourImageIsWrittenAsTilesAndReadBack)
{
    CQxImage img(18, 16, 24);
    for (LONG y = 0; y < 16; ++y)
        for (LONG x = 0; x < 18; ++x)
            img.SetPixelColor(x, y, QxRGB(static_cast<BYTE>(x * 13), static_cast<BYTE>(y * 15), static_cast<BYTE>(x * y)));
    const auto f = qxtest::EncodeBytes(img, QXIMAGE_FORMAT_GIF);
    const auto d = Descriptors(f);
    ASSERT_EQ(d.size(), 4u);
    EXPECT_TRUE(d[0].left == 0 && d[0].top == 0 && d[0].width == 17 && d[0].height == 15);
    EXPECT_TRUE(d[1].left == 17 && d[1].top == 0 && d[1].width == 1 && d[1].height == 15);
    EXPECT_TRUE(d[2].left == 0 && d[2].top == 15 && d[2].width == 17 && d[2].height == 1);
    EXPECT_TRUE(d[3].left == 17 && d[3].top == 15 && d[3].width == 1 && d[3].height == 1);

    CQxImage back;
    ASSERT_TRUE(qxtest::DecodeBytes(back, f, QXIMAGE_FORMAT_GIF)) << back.GetLastError();
    ASSERT_EQ(back.GetBpp(), 24);
    for (LONG y = 0; y < 16; ++y)
        for (LONG x = 0; x < 18; ++x) {
            const RGBQUAD a = img.GetPixelColor(x, y, false);
            const RGBQUAD b = back.GetPixelColor(x, y, false);
            ASSERT_TRUE(a.rgbRed == b.rgbRed && a.rgbGreen == b.rgbGreen && a.rgbBlue == b.rgbBlue) << x << "," << y;
        }
}

TEST(GifCodecTest, ShortAndNarrowTrueColourPicturesReadBackWhole)
{
    for (auto [w, h] : {std::pair<DWORD, DWORD>{40, 5}, {5, 40}, {17, 15}}) {
        CQxImage img(w, h, 24);
        for (LONG y = 0; y < static_cast<LONG>(h); ++y)
            for (LONG x = 0; x < static_cast<LONG>(w); ++x)
                img.SetPixelColor(x, y, QxRGB(static_cast<BYTE>(x * 6), static_cast<BYTE>(y * 6), 99));
        CQxImage back;
        ASSERT_TRUE(qxtest::DecodeBytes(back, qxtest::EncodeBytes(img, QXIMAGE_FORMAT_GIF), QXIMAGE_FORMAT_GIF));
        ASSERT_EQ(back.GetWidth(), w);
        for (LONG y = 0; y < static_cast<LONG>(h); ++y)
            for (LONG x = 0; x < static_cast<LONG>(w); ++x)
                ASSERT_EQ(back.GetPixelColor(x, y, false).rgbRed, x * 6) << w << "x" << h << " at " << x << "," << y;
    }
}

TEST(GifCodecTest, EveryCompressorReadsBackAtEveryDepth)
{
    for (DWORD bpp : {1u, 4u, 8u}) {
        for (DWORD option : {0u, 1u, 2u}) {
            // Long runs and noise, so that run codes, table growth and clears all occur.
            CQxImage img = PaletteImage(300, 40, bpp);
            for (LONG x = 0; x < 300; ++x)
                img.SetPixelIndex(x, 10, 1);
            img.SetCodecOption(option, QXIMAGE_FORMAT_GIF);
            const auto f = qxtest::EncodeBytes(img, QXIMAGE_FORMAT_GIF);
            CQxImage back;
            ASSERT_TRUE(qxtest::DecodeBytes(back, f, QXIMAGE_FORMAT_GIF));
            ASSERT_EQ(back.GetBpp(), bpp);
            for (LONG y = 0; y < 40; ++y)
                for (LONG x = 0; x < 300; ++x)
                    ASSERT_EQ(back.GetPixelIndex(x, y), img.GetPixelIndex(x, y))
                        << "bpp " << bpp << " option " << option << " at " << x << "," << y;
        }
    }
}

TEST(GifCodecTest, FramesCarryTheLoopExtensionAndAreReadBySelection)
{
    CQxImage a = PaletteImage(20, 10, 8);
    CQxImage b = PaletteImage(20, 10, 8);
    b.SetPixelIndex(3, 3, 200);
    CQxImage* pages[] = {&a, &b};
    auto find = [](const std::vector<uint8_t>& f) {
        const std::string s(f.begin(), f.end());
        return s.find("NETSCAPE2.0");
    };
    for (int loops : {0, 1, 3}) {
        CQxImageGIF gif;
        gif.SetLoops(loops);
        CQxMemFile mem;
        mem.Open();
        ASSERT_TRUE(gif.Encode(&mem, pages, 2));
        std::vector<uint8_t> f(mem.GetBuffer(false), mem.GetBuffer(false) + mem.Size());
        const size_t at = find(f);
        if (loops == 1) {
            EXPECT_EQ(at, std::string::npos);
            continue;
        }
        ASSERT_NE(at, std::string::npos);
        EXPECT_EQ(f[at + 13], loops == 0 ? 0 : 2) << "loop count minus one";
        CQxImage second;
        second.SetFrame(1);
        ASSERT_TRUE(qxtest::DecodeBytes(second, f, QXIMAGE_FORMAT_GIF));
        EXPECT_EQ(second.GetPixelIndex(3, 3), 200);
        EXPECT_EQ(second.GetNumFrames(), 2);
        CQxImage beyond;
        beyond.SetFrame(5);
        EXPECT_FALSE(qxtest::DecodeBytes(beyond, f, QXIMAGE_FORMAT_GIF));
        EXPECT_EQ(beyond.GetNumFrames(), 2) << "the frame count survives a failed decode";
    }
    CQxImageGIF gif;
    CQxMemFile mem;
    mem.Open();
    EXPECT_FALSE(gif.Encode(&mem, pages, 0));
    EXPECT_STREQ(gif.GetLastError(), "multipage GIF, no images!");
    CQxImage* holes[] = {&a, nullptr};
    EXPECT_FALSE(gif.Encode(&mem, holes, 2));
    EXPECT_STREQ(gif.GetLastError(), "Bad image pointer");
}

TEST(GifCodecTest, ALateFrameCostsEveryEarlierOneAndStopsAtTheWorkBudget)
{
    // 40 full-screen frames of 200 x 200; frame k marks pixel (k, 0).
    std::vector<CQxImage> frames;
    for (int k = 0; k < 40; ++k) {
        frames.push_back(PaletteImage(200, 200, 8));
        frames.back().SetPixelIndex(k, 0, 250);
    }
    std::vector<CQxImage*> pages;
    for (CQxImage& frame : frames)
        pages.push_back(&frame);
    CQxImageGIF writer;
    CQxMemFile out;
    out.Open();
    ASSERT_TRUE(writer.Encode(&out, pages.data(), static_cast<int>(pages.size())));
    std::vector<BYTE> f(out.GetBuffer(false), out.GetBuffer(false) + out.Size());
    auto decode = [&](CQxImageGIF& gif, int frame, uint64_t budget) {
        gif.SetFrameWorkBudget(budget);
        gif.SetFrame(frame);
        CQxMemFile in(f.data(), static_cast<DWORD>(f.size()));
        return gif.Decode(&in);
    };
    // Reaching frame k decodes and paints k + 1 frames of 40,000 pixels: 80,000 units each.
    CQxImageGIF early;
    ASSERT_TRUE(decode(early, 3, 1000000));
    EXPECT_EQ(early.GetPixelIndex(3, 0), 250);
    CQxImageGIF late;
    EXPECT_FALSE(decode(late, 39, 1000000));
    EXPECT_STREQ(late.GetLastError(), "GIF frame beyond the work budget");
    CQxImageGIF edge;
    EXPECT_TRUE(decode(edge, 11, 12 * 80000));
    EXPECT_FALSE(decode(edge, 12, 12 * 80000));
    // The default budget holds a long animation of this size.
    CQxImageGIF roomy;
    ASSERT_TRUE(decode(roomy, 39, 0));
    EXPECT_EQ(roomy.GetPixelIndex(39, 0), 250);
}

TEST(GifCodecTest, CommentAndTransparencyRoundTrip)
{
    CQxImage img = PaletteImage(8, 8, 4);
    ASSERT_TRUE(img.SetTransIndex(3));
    CQxImageGIF gif;
    std::string longText(300, 'c');
    gif.SetComment(longText.c_str());
    char buf[300] = {};
    gif.GetComment(buf);
    EXPECT_EQ(std::strlen(buf), 255u);
    gif.SetComment("chart export");
    gif.Copy(img);
    CQxMemFile mem;
    mem.Open();
    ASSERT_TRUE(gif.Encode(&mem));
    mem.Seek(0, 0);
    CQxImageGIF back;
    ASSERT_TRUE(back.Decode(&mem));
    back.GetComment(buf);
    EXPECT_STREQ(buf, "chart export");
    EXPECT_EQ(back.GetTransIndex(), 3);
}

TEST(GifCodecTest, DimensionsOnlyReadingGivesTheScreenSize)
{
    CQxImage img = PaletteImage(33, 21, 8);
    auto f = qxtest::EncodeBytes(img, QXIMAGE_FORMAT_GIF);
    CQxMemFile mem(f.data(), static_cast<DWORD>(f.size()));
    CQxImageGIF gif;
    gif.SetEscape(-1);
    ASSERT_TRUE(gif.Decode(&mem));
    EXPECT_EQ(gif.GetWidth(), 33u);
    EXPECT_EQ(gif.GetHeight(), 21u);
    EXPECT_FALSE(gif.IsValid());
}

TEST(GifCodecTest, NoSuccessAfterAWriteError)
{
    for (bool trueColour : {false, true}) {
        CQxImage img = trueColour ? CQxImage(40, 30, 24) : PaletteImage(40, 30, 8);
        const size_t full = qxtest::EncodeBytes(img, QXIMAGE_FORMAT_GIF).size();
        for (size_t limit = 0; limit < full; limit += 1 + limit / 3) {
            qxtest::CFailingFile sink(limit);
            EXPECT_FALSE(img.Encode(&sink, QXIMAGE_FORMAT_GIF)) << "limit " << limit;
        }
        qxtest::CFailingFile enough(full);
        EXPECT_TRUE(img.Encode(&enough, QXIMAGE_FORMAT_GIF));
        CQxImageGIF gif;
        gif.Copy(img);
        qxtest::CFailingFile small(20);
        EXPECT_FALSE(gif.Encode(&small));
        EXPECT_STREQ(gif.GetLastError(), "Write Error in GIF file");
    }
}

}  // namespace
