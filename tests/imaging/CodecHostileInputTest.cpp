// Hostile input: truncated and damaged files of every codec, huge sizes in
// small files, bad LZW codes and indexes beyond the palette. Decoding must
// fail cleanly or give a valid image, and never allocate what the file cannot hold.
#include "tests/imaging/CodecTestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <set>
#include <vector>

namespace {

const std::map<std::string, DWORD> kFormats = {{"gif", QXIMAGE_FORMAT_GIF}, {"png", QXIMAGE_FORMAT_PNG},
                                               {"tga", QXIMAGE_FORMAT_TGA}, {"pcx", QXIMAGE_FORMAT_PCX},
                                               {"ico", QXIMAGE_FORMAT_ICO}, {"wbmp", QXIMAGE_FORMAT_WBMP}};

void DecodeChecked(const std::vector<uint8_t>& bytes, DWORD format)
{
    CQxImage img;
    if (qxtest::DecodeBytes(img, bytes, format)) {
        ASSERT_TRUE(img.IsValid());
        ASSERT_GT(img.GetWidth(), 0u);
        // Every pixel of an accepted image is readable.
        for (DWORD y = 0; y < img.GetHeight(); y += 1 + img.GetHeight() / 16)
            for (DWORD x = 0; x < img.GetWidth(); ++x)
                img.GetPixelColor(static_cast<LONG>(x), static_cast<LONG>(y));
    }
}

TEST(CodecHostileInputTest, TruncatedAndDamagedSamplesNeverCrash)
{
    for (const auto& [codec, format] : kFormats) {
        std::set<std::string> seen;
        for (const auto& s : qxtest::Samples(codec)) {
            if (!seen.insert(s.file).second)
                continue;
            SCOPED_TRACE(s.file);
            const auto bytes = qxtest::ReadBytes(s.file);
            ASSERT_FALSE(bytes.empty());
            for (size_t len : {size_t(1), size_t(6), size_t(13), size_t(20), bytes.size() / 3, bytes.size() / 2,
                               bytes.size() - 1}) {
                const std::vector<uint8_t> part(bytes.begin(), bytes.begin() + static_cast<long>(std::min(len, bytes.size())));
                DecodeChecked(part, format);
                DecodeChecked(part, QXIMAGE_FORMAT_UNKNOWN);
            }
            // Damage the header and the first data bytes, one byte at a time.
            for (size_t at = 0; at < std::min<size_t>(bytes.size(), 160); at += 3) {
                std::vector<uint8_t> bad = bytes;
                bad[at] ^= 0xA5;
                DecodeChecked(bad, format);
            }
        }
    }
}

TEST(CodecHostileInputTest, HugeSizesInSmallFilesAreRefusedQuickly)
{
    const auto start = std::chrono::steady_clock::now();
    // GIF: 65535 x 65535 screen and frame, a few data bytes.
    std::vector<uint8_t> gif = {'G', 'I', 'F', '8', '9', 'a', 0xFF, 0xFF, 0xFF, 0xFF, 0x80, 0, 0, 0, 0, 0, 255, 255, 255,
                                0x2C, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 2, 2, 0x4C, 0x01, 0, 0x3B};
    CQxImage img;
    EXPECT_FALSE(qxtest::DecodeBytes(img, gif, QXIMAGE_FORMAT_GIF));
    EXPECT_FALSE(img.IsValid());

    // PNG: IHDR of 100000 x 100000 RGBA and nothing behind it but IEND.
    CQxImage small(1, 1, 24);
    auto png = qxtest::EncodeBytes(small, QXIMAGE_FORMAT_PNG);
    ASSERT_GT(png.size(), 33u);
    png[16] = 0; png[17] = 1; png[18] = 0x86; png[19] = 0xA0;
    png[20] = 0; png[21] = 1; png[22] = 0x86; png[23] = 0xA0;
    EXPECT_FALSE(qxtest::DecodeBytes(img, png, QXIMAGE_FORMAT_PNG));

    // A PNG chunk that claims more bytes than the file has.
    auto longChunk = qxtest::EncodeBytes(small, QXIMAGE_FORMAT_PNG);
    longChunk[33] = 0x5D;
    EXPECT_FALSE(qxtest::DecodeBytes(img, longChunk, QXIMAGE_FORMAT_PNG));

    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_LT(std::chrono::duration_cast<std::chrono::seconds>(elapsed).count(), 5);
}

TEST(CodecHostileInputTest, BadLzwCodesAndIndexesBeyondThePalette)
{
    // 4 x 4 frame on a 2-colour palette; code size 2; then data with codes
    // far beyond the table, and a transparent index of 200.
    std::vector<uint8_t> head = {'G', 'I', 'F', '8', '9', 'a', 4, 0, 4, 0, 0x80, 0, 0, 0, 0, 0, 255, 255, 255,
                                 0x21, 0xF9, 4, 1, 0, 0, 200, 0,
                                 0x2C, 0, 0, 0, 0, 4, 0, 4, 0, 0, 2};
    for (uint8_t fill : {uint8_t(0xFF), uint8_t(0x5A), uint8_t(0x07), uint8_t(0xE3)}) {
        std::vector<uint8_t> gif = head;
        gif.push_back(20);
        gif.insert(gif.end(), 20, fill);
        gif.push_back(0);
        gif.push_back(0x3B);
        CQxImage img;
        if (qxtest::DecodeBytes(img, gif, QXIMAGE_FORMAT_GIF)) {
            EXPECT_EQ(img.GetWidth(), 4u);
            EXPECT_EQ(img.GetTransIndex(), -1) << "index 200 is beyond a 2-colour palette";
            for (LONG y = 0; y < 4; ++y)
                for (LONG x = 0; x < 4; ++x)
                    EXPECT_LT(img.GetPixelIndex(x, y), 2);
        }
    }
    // Code size bytes outside 1..8 decode nothing and do not crash.
    for (uint8_t codeSize : {uint8_t(0), uint8_t(9), uint8_t(12), uint8_t(255)}) {
        std::vector<uint8_t> gif = head;
        gif.back() = codeSize;
        gif.insert(gif.end(), {3, 1, 2, 3, 0, 0x3B});
        CQxImage img;
        qxtest::DecodeBytes(img, gif, QXIMAGE_FORMAT_GIF);
    }
}

}  // namespace
