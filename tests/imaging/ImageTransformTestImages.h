// Test images of every depth the transformations handle, and pixel-exact comparison.
#pragma once

#include "imaging/CQxImage.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>

namespace qxtest {

// A depth the image object holds: 1, 4, 8 bits with a palette or 24 bits, with or
// without an alpha channel (24 bits with alpha is the library's form of 32 bits).
struct Depth {
    DWORD bpp;
    bool alpha;
};

inline std::ostream& operator<<(std::ostream& os, const Depth& d)
{
    return os << d.bpp << (d.alpha ? "+alpha" : "");
}

inline std::string DepthName(const ::testing::TestParamInfo<Depth>& info)
{
    return "bpp" + std::to_string(info.param.bpp) + (info.param.alpha ? "_alpha" : "");
}

inline const Depth kAllDepths[] = {{1, false}, {4, false}, {8, false}, {8, true}, {24, false}, {24, true}};

// Small deterministic generator, so failures reproduce.
class TestRandom
{
public:
    explicit TestRandom(uint32_t seed) : m_state(seed * 2654435761u + 1) {}
    uint32_t Next()
    {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 17;
        m_state ^= m_state << 5;
        return m_state;
    }
    BYTE Byte() { return static_cast<BYTE>(Next() >> 24); }

private:
    uint32_t m_state;
};

// An image of the given depth filled with pseudo-random pixels (and alpha). Palettes
// hold distinct colours so that a colour names exactly one entry.
inline void MakeImage(CQxImage& img, DWORD width, DWORD height, const Depth& depth, uint32_t seed = 1)
{
    ASSERT_NE(img.Create(width, height, depth.bpp, QXIMAGE_FORMAT_BMP), nullptr);
    TestRandom rnd(seed);
    if (depth.bpp == 1) {
        img.SetPaletteColor(0, 0, 0, 0);
        img.SetPaletteColor(1, 255, 255, 255);
    } else if (depth.bpp == 4) {
        img.SetStdPalette();
    } else if (depth.bpp == 8) {
        for (int i = 0; i < 256; ++i)
            img.SetPaletteColor(static_cast<BYTE>(i), static_cast<BYTE>(i), static_cast<BYTE>(255 - i),
                                static_cast<BYTE>((i * 7) & 255));
    }
    for (DWORD y = 0; y < height; ++y) {
        for (DWORD x = 0; x < width; ++x) {
            const LONG lx = static_cast<LONG>(x), ly = static_cast<LONG>(y);
            if (depth.bpp == 24) {
                RGBQUAD c{rnd.Byte(), rnd.Byte(), rnd.Byte(), 0};
                img.SetPixelColor(lx, ly, c, false);
            } else {
                img.SetPixelIndex(lx, ly, static_cast<BYTE>(rnd.Next() % img.GetNumColors()));
            }
        }
    }
    if (depth.alpha) {
        ASSERT_TRUE(img.AlphaCreate());
        for (DWORD y = 0; y < height; ++y)
            for (DWORD x = 0; x < width; ++x)
                img.AlphaSet(static_cast<LONG>(x), static_cast<LONG>(y), rnd.Byte());
    }
}

// Flat 24-bit image of one colour.
inline void MakeFlat(CQxImage& img, DWORD width, DWORD height, BYTE r, BYTE g, BYTE b)
{
    ASSERT_NE(img.Create(width, height, 24, QXIMAGE_FORMAT_BMP), nullptr);
    for (DWORD y = 0; y < height; ++y)
        for (DWORD x = 0; x < width; ++x)
            img.SetPixelColor(static_cast<LONG>(x), static_cast<LONG>(y), RGBQUAD{b, g, r, 0}, false);
}

inline bool SameRgb(const RGBQUAD& a, const RGBQUAD& b)
{
    return a.rgbRed == b.rgbRed && a.rgbGreen == b.rgbGreen && a.rgbBlue == b.rgbBlue;
}

inline std::string Describe(const RGBQUAD& c)
{
    return "(" + std::to_string(c.rgbRed) + "," + std::to_string(c.rgbGreen) + "," + std::to_string(c.rgbBlue) +
           " a" + std::to_string(c.rgbReserved) + ")";
}

// Same size, depth, palette, pixels (indexes for palette images) and alpha channel.
inline ::testing::AssertionResult SameImage(CQxImage& a, CQxImage& b)
{
    if (a.IsValid() != b.IsValid())
        return ::testing::AssertionFailure() << "validity differs";
    if (a.GetWidth() != b.GetWidth() || a.GetHeight() != b.GetHeight() || a.GetBpp() != b.GetBpp())
        return ::testing::AssertionFailure() << "shape " << a.GetWidth() << "x" << a.GetHeight() << "x"
                                             << a.GetBpp() << " vs " << b.GetWidth() << "x" << b.GetHeight()
                                             << "x" << b.GetBpp();
    if (a.GetNumColors() != b.GetNumColors())
        return ::testing::AssertionFailure() << "palette size differs";
    for (DWORD i = 0; i < a.GetNumColors(); ++i)
        if (!SameRgb(a.GetPaletteColor(static_cast<BYTE>(i)), b.GetPaletteColor(static_cast<BYTE>(i))))
            return ::testing::AssertionFailure() << "palette entry " << i << " differs";
    if (a.AlphaIsValid() != b.AlphaIsValid())
        return ::testing::AssertionFailure() << "alpha presence differs";
    for (LONG y = 0; y < static_cast<LONG>(a.GetHeight()); ++y) {
        for (LONG x = 0; x < static_cast<LONG>(a.GetWidth()); ++x) {
            if (a.IsIndexed()) {
                if (a.GetPixelIndex(x, y) != b.GetPixelIndex(x, y))
                    return ::testing::AssertionFailure()
                           << "index at (" << x << "," << y << "): " << int(a.GetPixelIndex(x, y)) << " vs "
                           << int(b.GetPixelIndex(x, y));
            } else {
                const RGBQUAD ca = a.GetPixelColor(x, y, false), cb = b.GetPixelColor(x, y, false);
                if (!SameRgb(ca, cb))
                    return ::testing::AssertionFailure()
                           << "colour at (" << x << "," << y << "): " << Describe(ca) << " vs " << Describe(cb);
            }
            if (a.AlphaIsValid() && a.AlphaGet(x, y) != b.AlphaGet(x, y))
                return ::testing::AssertionFailure() << "alpha at (" << x << "," << y << ")";
        }
    }
    return ::testing::AssertionSuccess();
}

// Same colour (and alpha) at every pixel, whatever the storage.
inline ::testing::AssertionResult SameColors(CQxImage& a, CQxImage& b)
{
    if (a.GetWidth() != b.GetWidth() || a.GetHeight() != b.GetHeight())
        return ::testing::AssertionFailure() << "size differs";
    for (LONG y = 0; y < static_cast<LONG>(a.GetHeight()); ++y)
        for (LONG x = 0; x < static_cast<LONG>(a.GetWidth()); ++x) {
            const RGBQUAD ca = a.GetPixelColor(x, y, true), cb = b.GetPixelColor(x, y, true);
            if (!SameRgb(ca, cb) || (a.AlphaIsValid() && ca.rgbReserved != cb.rgbReserved))
                return ::testing::AssertionFailure()
                       << "colour at (" << x << "," << y << "): " << Describe(ca) << " vs " << Describe(cb);
        }
    return ::testing::AssertionSuccess();
}

} // namespace qxtest
