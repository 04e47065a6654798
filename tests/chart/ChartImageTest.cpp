// The chart picture's files without windows: the packed bitmap of known pixels byte by
// byte, where a BMP file's pixels start for every kind of header, and the PNG made by
// the image library read back by libpng.
#include "chart/ChartImage.h"

#include <gtest/gtest.h>

#include <png.h>

#include <cstring>
#include <filesystem>
#include <fstream>

namespace {

std::vector<uint8_t> Header(uint32_t size, int32_t width, int32_t height, uint16_t bits, uint32_t compression,
                            uint32_t used)
{
    std::vector<uint8_t> h(size, 0);
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            h[at + static_cast<size_t>(i)] = static_cast<uint8_t>(v >> (8 * i));
    };
    put32(0, size);
    put32(4, static_cast<uint32_t>(width));
    put32(8, static_cast<uint32_t>(height));
    h[12] = 1;
    h[14] = static_cast<uint8_t>(bits);
    put32(16, compression);
    put32(32, used);
    return h;
}

// A packed bitmap: the header, a table of n entries and the rows (zeros).
std::vector<uint8_t> Dib(uint32_t size, int32_t width, int32_t height, uint16_t bits, uint32_t compression,
                         uint32_t used, uint32_t tableBytes)
{
    std::vector<uint8_t> dib = Header(size, width, height, bits, compression, used);
    const uint32_t row = ((static_cast<uint32_t>(width) * bits + 31) / 32) * 4;
    dib.resize(dib.size() + tableBytes + row * static_cast<uint32_t>(height), 0);
    return dib;
}

uint32_t Le32(const std::vector<uint8_t>& b, size_t at)
{
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}

} // namespace

TEST(ChartImage, PackedBitmapOfKnownPixels)
{
    // Two rows of three pixels, top row red, green, blue; bottom row white, black, grey.
    const uint32_t pixels[] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF, 0xFF000000, 0xFF808080};
    const std::vector<uint8_t> dib = PackDib24(pixels, 3, 2, 3);
    ASSERT_EQ(40u + 2 * 12, dib.size());  // rows of 9 bytes padded to 12
    EXPECT_EQ(40u, Le32(dib, 0));
    EXPECT_EQ(3u, Le32(dib, 4));
    EXPECT_EQ(2u, Le32(dib, 8));
    EXPECT_EQ(24, dib[14]);
    EXPECT_EQ(24u, Le32(dib, 20));
    // Bottom-up: the bottom row first, blue-green-red.
    const std::vector<uint8_t> rows(dib.begin() + 40, dib.end());
    const std::vector<uint8_t> expected = {0xFF, 0xFF, 0xFF, 0, 0, 0, 0x80, 0x80, 0x80, 0, 0, 0,
                                           0, 0, 0xFF, 0, 0xFF, 0, 0xFF, 0, 0, 0, 0, 0};
    EXPECT_EQ(expected, rows);

    std::vector<uint8_t> file;
    ASSERT_TRUE(MakeBitmapFile(dib, file));
    EXPECT_EQ('B', file[0]);
    EXPECT_EQ('M', file[1]);
    EXPECT_EQ(14u + dib.size(), Le32(file, 2));
    EXPECT_EQ(0u, Le32(file, 6));
    EXPECT_EQ(54u, Le32(file, 10));
    EXPECT_TRUE(std::equal(dib.begin(), dib.end(), file.begin() + 14));
}

TEST(ChartImage, PixelsStartAfterTheTableThatIsThere)
{
    // 8 bits with a table of two entries: 14 + 40 + 8.
    EXPECT_EQ(62u, BitmapPixelOffset(Dib(40, 8, 2, 8, 0, 2, 8)));
    // 8 bits without a count: the whole table of 256.
    EXPECT_EQ(1078u, BitmapPixelOffset(Dib(40, 8, 2, 8, 0, 0, 1024)));
    // 4 bits: 16 entries.
    EXPECT_EQ(118u, BitmapPixelOffset(Dib(40, 8, 2, 4, 0, 0, 64)));
    // 32-bit bit fields after a 40-byte header: three masks.
    EXPECT_EQ(66u, BitmapPixelOffset(Dib(40, 4, 4, 32, 3, 0, 12)));
    // A 124-byte header holds its masks itself.
    EXPECT_EQ(138u, BitmapPixelOffset(Dib(124, 4, 4, 32, 3, 0, 0)));
    EXPECT_EQ(54u, BitmapPixelOffset(Dib(40, 4, 4, 24, 0, 0, 0)));
    // A two-entry table of an 8-bit bitmap gives a file whose pixels start at 62.
    std::vector<uint8_t> file;
    ASSERT_TRUE(MakeBitmapFile(Dib(40, 8, 2, 8, 0, 2, 8), file));
    EXPECT_EQ(62u, Le32(file, 10));
    // Headers that say nothing readable, more colours than the bits allow, rows cut short.
    EXPECT_EQ(0u, BitmapPixelOffset(std::vector<uint8_t>(10, 0)));
    EXPECT_EQ(0u, BitmapPixelOffset(Header(39, 4, 4, 24, 0, 0)));
    EXPECT_EQ(0u, BitmapPixelOffset(Dib(40, 8, 2, 8, 0, 300, 1200)));
    std::vector<uint8_t> cut = Dib(40, 4, 4, 24, 0, 0, 0);
    cut.resize(cut.size() - 1);
    EXPECT_FALSE(MakeBitmapFile(cut, file));
    EXPECT_TRUE(file.empty());
}

TEST(ChartImage, PngWrittenThroughTheImageLibraryReadsBackWithLibpng)
{
    std::vector<uint32_t> pixels(7 * 5);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x)
            pixels[static_cast<size_t>(y * 7 + x)] = 0xFF000000u | (static_cast<uint32_t>(x * 30) << 16) |
                                                    (static_cast<uint32_t>(y * 50) << 8) | 0x40u;
    const std::vector<uint8_t> dib = PackDib24(pixels.data(), 7, 5, 7);
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "qx_chart_image_test";
    std::filesystem::create_directories(folder);
    const std::filesystem::path png = folder / "chart.png";
    ASSERT_TRUE(WritePngFile(png.string().c_str(), dib));

    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&image, png.string().c_str()));
    image.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr));
    ASSERT_EQ(7u, image.width);
    ASSERT_EQ(5u, image.height);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x) {
            const size_t at = static_cast<size_t>((y * 7 + x) * 3);
            EXPECT_EQ(x * 30, rgb[at]);
            EXPECT_EQ(y * 50, rgb[at + 1]);
            EXPECT_EQ(0x40, rgb[at + 2]);
        }

    // A bitmap that is not whole writes nothing and leaves the old file.
    const auto before = std::filesystem::file_size(png);
    std::vector<uint8_t> cut = dib;
    cut.resize(50);
    EXPECT_FALSE(WritePngFile(png.string().c_str(), cut));
    EXPECT_FALSE(WriteBitmapFile(png.string().c_str(), cut));
    EXPECT_EQ(before, std::filesystem::file_size(png));
    std::filesystem::remove_all(folder);
}
