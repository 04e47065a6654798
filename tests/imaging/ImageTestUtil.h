// Helpers shared by the image library tests: temporary folders, PPM reading,
// hand-built BMP streams.
#pragma once

#include "imaging/CQxImage.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace qx_imaging_test {

// A fresh folder under the system temp folder, removed with the object.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return m_path; }
    std::string file(const std::string& name) const { return (m_path / name).string(); }

private:
    std::filesystem::path m_path;
};

// Binary PPM (P6, maxval 255), rows top first.
struct Ppm {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;
    bool Read(const std::string& path);
};

// Folder of these tests' sources (scripts live there).
std::string TestSourceDir();
// Whether a shell command is available.
bool HaveTool(const char* name);
// Runs a shell command; true when it exited with 0.
bool Run(const std::string& command);
std::vector<uint8_t> ReadFileBytes(const std::string& path);
bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);

// Little-endian appenders for building files by hand.
void Put16(std::vector<uint8_t>& v, uint32_t x);
void Put32(std::vector<uint8_t>& v, uint32_t x);
// File header + 40-byte info header (+ palette entries as 0x00RRGGBB values).
std::vector<uint8_t> BmpHeader(int32_t width, int32_t height, uint16_t bpp, uint32_t compression,
                               const std::vector<uint32_t>& palette, uint32_t pixelBytes,
                               uint32_t clrUsed = 0);

// Fills an image with a deterministic pattern that uses every index/colour bit.
void FillPattern(CQxImage& img, unsigned seed);
// Pixel-by-pixel equality of colour (RGB) and, for palette images, indexes.
::testing::AssertionResult SamePixels(CQxImage& a, CQxImage& b);

}  // namespace qx_imaging_test
