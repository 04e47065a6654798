#include <gtest/gtest.h>

#include "tests/imaging/ImageTestUtil.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>

namespace qx_imaging_test {

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "qximgXXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr)
        m_path = pattern;
}

TempDir::~TempDir()
{
    std::error_code ec;
    if (!m_path.empty())
        std::filesystem::remove_all(m_path, ec);
}

namespace {
bool ReadToken(std::istream& in, int& value)
{
    in >> std::ws;
    while (in.peek() == '#') {
        std::string line;
        std::getline(in, line);
        in >> std::ws;
    }
    return static_cast<bool>(in >> value);
}
}  // namespace

bool Ppm::Read(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    if (!(in >> magic) || magic != "P6")
        return false;
    int maxval = 0;
    if (!ReadToken(in, width) || !ReadToken(in, height) || !ReadToken(in, maxval) || maxval != 255)
        return false;
    in.get();
    rgb.resize(static_cast<size_t>(width) * height * 3);
    in.read(reinterpret_cast<char*>(rgb.data()), static_cast<std::streamsize>(rgb.size()));
    return static_cast<size_t>(in.gcount()) == rgb.size();
}

std::string TestSourceDir()
{
    // ctest passes no environment reliably; the build names the folder.
    return QX_IMAGING_TEST_DIR;
}

bool HaveTool(const char* name)
{
    return Run(std::string("command -v ") + name + " >/dev/null 2>&1");
}

bool Run(const std::string& command)
{
    return std::system(command.c_str()) == 0;
}

std::vector<uint8_t> ReadFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>{std::istreambuf_iterator<char>(in), {}};
}

bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

void Put16(std::vector<uint8_t>& v, uint32_t x)
{
    v.push_back(static_cast<uint8_t>(x));
    v.push_back(static_cast<uint8_t>(x >> 8));
}

void Put32(std::vector<uint8_t>& v, uint32_t x)
{
    Put16(v, x & 0xFFFF);
    Put16(v, x >> 16);
}

std::vector<uint8_t> BmpHeader(int32_t width, int32_t height, uint16_t bpp, uint32_t compression,
                               const std::vector<uint32_t>& palette, uint32_t pixelBytes, uint32_t clrUsed)
{
    std::vector<uint8_t> v;
    const uint32_t offset = 14 + 40 + static_cast<uint32_t>(palette.size()) * 4;
    Put16(v, 0x4D42);
    Put32(v, offset + pixelBytes);
    Put32(v, 0);
    Put32(v, offset);
    Put32(v, 40);
    Put32(v, static_cast<uint32_t>(width));
    Put32(v, static_cast<uint32_t>(height));
    Put16(v, 1);
    Put16(v, bpp);
    Put32(v, compression);
    Put32(v, pixelBytes);
    Put32(v, 2835);
    Put32(v, 2835);
    Put32(v, clrUsed);
    Put32(v, 0);
    for (uint32_t c : palette)
        Put32(v, c);
    return v;
}

void FillPattern(CQxImage& img, unsigned seed)
{
    std::mt19937 rng(seed);
    if (img.IsIndexed()) {
        for (DWORD i = 0; i < img.GetNumColors(); ++i)
            img.SetPaletteColor(static_cast<BYTE>(i), static_cast<BYTE>(rng()), static_cast<BYTE>(rng()),
                                static_cast<BYTE>(rng()));
        for (LONG y = 0; y < static_cast<LONG>(img.GetHeight()); ++y)
            for (LONG x = 0; x < static_cast<LONG>(img.GetWidth()); ++x)
                img.SetPixelIndex(x, y, static_cast<BYTE>(rng() % img.GetNumColors()));
    } else {
        for (LONG y = 0; y < static_cast<LONG>(img.GetHeight()); ++y)
            for (LONG x = 0; x < static_cast<LONG>(img.GetWidth()); ++x)
                img.SetPixelColor(x, y, RGBQUAD{static_cast<BYTE>(rng()), static_cast<BYTE>(rng()),
                                                static_cast<BYTE>(rng()), 0});
    }
}

::testing::AssertionResult SamePixels(CQxImage& a, CQxImage& b)
{
    if (a.GetWidth() != b.GetWidth() || a.GetHeight() != b.GetHeight())
        return ::testing::AssertionFailure() << "size " << a.GetWidth() << "x" << a.GetHeight() << " vs "
                                             << b.GetWidth() << "x" << b.GetHeight();
    for (LONG y = 0; y < static_cast<LONG>(a.GetHeight()); ++y) {
        for (LONG x = 0; x < static_cast<LONG>(a.GetWidth()); ++x) {
            const RGBQUAD ca = a.GetPixelColor(x, y, false);
            const RGBQUAD cb = b.GetPixelColor(x, y, false);
            if (ca.rgbRed != cb.rgbRed || ca.rgbGreen != cb.rgbGreen || ca.rgbBlue != cb.rgbBlue)
                return ::testing::AssertionFailure() << "pixel (" << x << "," << y << ")";
            if (a.IsIndexed() && b.IsIndexed() && a.GetPixelIndex(x, y) != b.GetPixelIndex(x, y))
                return ::testing::AssertionFailure() << "index (" << x << "," << y << ")";
        }
    }
    return ::testing::AssertionSuccess();
}

}  // namespace qx_imaging_test
