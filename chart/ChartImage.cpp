#include "chart/ChartImage.h"

#include "imaging/CQxImage.h"

namespace {

constexpr uint32_t kFileHeaderBytes = 14;
constexpr uint32_t kInfoHeaderBytes = 40;
constexpr uint32_t kCoreHeaderBytes = 12;

uint32_t Le32(const std::vector<uint8_t>& b, size_t at)
{
    return static_cast<uint32_t>(b[at]) | (static_cast<uint32_t>(b[at + 1]) << 8) |
           (static_cast<uint32_t>(b[at + 2]) << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}

uint16_t Le16(const std::vector<uint8_t>& b, size_t at)
{
    return static_cast<uint16_t>(b[at] | (b[at + 1] << 8));
}

void Put32(std::vector<uint8_t>& b, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void Put16(std::vector<uint8_t>& b, uint16_t v)
{
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
}

// Bytes of the pixel rows the header describes; 0 when it cannot say.
uint64_t PixelBytes(const std::vector<uint8_t>& dib)
{
    const uint32_t size = Le32(dib, 0);
    if (size == kCoreHeaderBytes) {
        const uint64_t width = Le16(dib, 4), height = Le16(dib, 6), bits = Le16(dib, 10);
        return ((width * bits + 31) / 32) * 4 * height;
    }
    const int32_t width = static_cast<int32_t>(Le32(dib, 4));
    const int32_t height = static_cast<int32_t>(Le32(dib, 8));
    const uint64_t bits = Le16(dib, 14);
    const uint32_t compression = Le32(dib, 16);
    if (compression == 1 || compression == 2)  // run-length: the header gives the size
        return Le32(dib, 20);
    if (width <= 0 || height == 0 || bits == 0)
        return 0;
    const uint64_t rows = height < 0 ? static_cast<uint64_t>(-static_cast<int64_t>(height)) : height;
    return ((static_cast<uint64_t>(width) * bits + 31) / 32) * 4 * rows;
}

} // namespace

std::vector<uint8_t> PackDib24(const uint32_t* pixels, int width, int height, int stridePixels)
{
    std::vector<uint8_t> dib;
    if (!pixels || width <= 0 || height <= 0 || stridePixels < width)
        return dib;
    const uint32_t rowBytes = (static_cast<uint32_t>(width) * 3 + 3) & ~3u;
    const uint32_t imageBytes = rowBytes * static_cast<uint32_t>(height);
    dib.reserve(kInfoHeaderBytes + imageBytes);
    Put32(dib, kInfoHeaderBytes);
    Put32(dib, static_cast<uint32_t>(width));
    Put32(dib, static_cast<uint32_t>(height));
    Put16(dib, 1);
    Put16(dib, 24);
    Put32(dib, 0);  // uncompressed
    Put32(dib, imageBytes);
    Put32(dib, 3780);  // 96 dots per inch
    Put32(dib, 3780);
    Put32(dib, 0);
    Put32(dib, 0);
    // Bottom-up rows of blue, green, red.
    for (int y = height - 1; y >= 0; --y) {
        const uint32_t* row = pixels + static_cast<size_t>(y) * static_cast<size_t>(stridePixels);
        for (int x = 0; x < width; ++x) {
            dib.push_back(static_cast<uint8_t>(row[x]));
            dib.push_back(static_cast<uint8_t>(row[x] >> 8));
            dib.push_back(static_cast<uint8_t>(row[x] >> 16));
        }
        for (uint32_t pad = static_cast<uint32_t>(width) * 3; pad < rowBytes; ++pad)
            dib.push_back(0);
    }
    return dib;
}

uint32_t BitmapPixelOffset(const std::vector<uint8_t>& dib)
{
    if (dib.size() < kCoreHeaderBytes)
        return 0;
    const uint32_t size = Le32(dib, 0);
    if (size == kCoreHeaderBytes) {
        // Old headers: three-byte colour entries.
        const uint32_t bits = Le16(dib, 10);
        return kFileHeaderBytes + size + (bits <= 8 ? 3u << bits : 0u);
    }
    if (size < kInfoHeaderBytes || size > dib.size())
        return 0;
    const uint32_t bits = Le16(dib, 14);
    const uint32_t compression = Le32(dib, 16);
    const uint32_t used = Le32(dib, 32);
    if (bits <= 8 && used > (1u << bits))
        return 0;
    if (used > (1u << 24))
        return 0;
    const uint32_t colors = used != 0 ? used : bits <= 8 ? 1u << bits : 0u;
    const uint32_t masks = compression == 3 && size == kInfoHeaderBytes ? 12u : 0u;
    return kFileHeaderBytes + size + masks + 4 * colors;
}

bool MakeBitmapFile(const std::vector<uint8_t>& dib, std::vector<uint8_t>& file)
{
    file.clear();
    const uint32_t offset = BitmapPixelOffset(dib);
    if (offset == 0 || dib.size() > 0xFFFFFFFFull - kFileHeaderBytes)
        return false;
    const uint64_t pixels = PixelBytes(dib);
    if (pixels == 0 || offset - kFileHeaderBytes + pixels > dib.size())
        return false;
    file.reserve(kFileHeaderBytes + dib.size());
    file.push_back('B');
    file.push_back('M');
    Put32(file, static_cast<uint32_t>(dib.size()) + kFileHeaderBytes);
    Put16(file, 0);
    Put16(file, 0);
    Put32(file, offset);
    file.insert(file.end(), dib.begin(), dib.end());
    return true;
}

bool ConvertBitmapToPng(const std::vector<uint8_t>& bmpFile, std::vector<uint8_t>& png)
{
    png.clear();
    if (bmpFile.empty() || bmpFile.size() > 0xFFFFFFFFull)
        return false;
    std::vector<uint8_t> input = bmpFile;
    CQxImage image(0);
    if (!image.Decode(input.data(), static_cast<DWORD>(input.size()), QXIMAGE_FORMAT_BMP) || !image.IsValid())
        return false;
    BYTE* buffer = nullptr;
    int32_t size = 0;
    const bool encoded = image.Encode(buffer, size, QXIMAGE_FORMAT_PNG) && buffer && size > 0;
    if (encoded)
        png.assign(buffer, buffer + size);
    if (buffer)
        CQxImage::FreeMemory(buffer);
    image.Destroy();
    return encoded;
}
