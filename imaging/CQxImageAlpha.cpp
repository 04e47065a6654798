// Alpha channel: one opacity byte per pixel beside the rows, and palette alpha.
#include "imaging/CQxImage.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {
size_t PixelCount(const CQxImage& img)
{
    return static_cast<size_t>(img.GetWidth()) * img.GetHeight();
}
}  // namespace

bool CQxImage::AlphaCreate()
{
    if (m_pAlpha == nullptr && m_pDib != nullptr) {
        const size_t n = PixelCount(*this);
        m_pAlpha = static_cast<BYTE*>(std::malloc(n));
        if (m_pAlpha != nullptr)
            std::memset(m_pAlpha, 255, n);
    }
    return m_pAlpha != nullptr;
}

void CQxImage::AlphaDelete()
{
    std::free(m_pAlpha);
    m_pAlpha = nullptr;
}

void CQxImage::AlphaClear()
{
    if (m_pAlpha != nullptr)
        std::memset(m_pAlpha, 0, PixelCount(*this));
}

void CQxImage::AlphaSet(BYTE level)
{
    if (m_pAlpha != nullptr)
        std::memset(m_pAlpha, level, PixelCount(*this));
}

void CQxImage::AlphaSet(LONG x, LONG y, BYTE level)
{
    if (m_pAlpha != nullptr && IsInside(x, y))
        m_pAlpha[static_cast<size_t>(x) + static_cast<size_t>(y) * static_cast<size_t>(m_head.biWidth)] = level;
}

bool CQxImage::AlphaSet(CQxImage& from)
{
    // Only an 8-bit gray image has one byte per pixel to copy.
    if (from.GetBpp() != 8 || !from.IsGrayScale() || from.GetWidth() != GetWidth() ||
        from.GetHeight() != GetHeight())
        return false;
    if (!from.IsValid() || m_pDib == nullptr)
        return false;
    if (m_pAlpha == nullptr && !AlphaCreate())
        return false;
    const size_t width = GetWidth();
    for (DWORD y = 0; y < GetHeight(); ++y)
        std::memcpy(m_pAlpha + width * y, from.GetBits(y), width);
    return true;
}

BYTE CQxImage::BlindAlphaGet(LONG x, LONG y) const
{
    return m_pAlpha[static_cast<size_t>(x) + static_cast<size_t>(y) * static_cast<size_t>(m_head.biWidth)];
}

BYTE CQxImage::AlphaGet(LONG x, LONG y) const
{
    if (m_pAlpha != nullptr && IsInside(x, y))
        return BlindAlphaGet(x, y);
    return 0;
}

BYTE* CQxImage::AlphaGetPointer(LONG x, LONG y)
{
    if (m_pAlpha != nullptr && IsInside(x, y))
        return m_pAlpha + static_cast<size_t>(x) + static_cast<size_t>(y) * static_cast<size_t>(m_head.biWidth);
    return nullptr;
}

void CQxImage::AlphaInvert()
{
    if (m_pAlpha == nullptr)
        return;
    const size_t n = PixelCount(*this);
    for (size_t i = 0; i < n; ++i)
        m_pAlpha[i] = static_cast<BYTE>(255 - m_pAlpha[i]);
}

bool CQxImage::AlphaCopy(CQxImage& from)
{
    if (&from == this)
        return m_pAlpha != nullptr;
    if (from.m_pAlpha == nullptr || from.GetWidth() != GetWidth() || from.GetHeight() != GetHeight())
        return false;
    if (m_pAlpha == nullptr) {
        m_pAlpha = static_cast<BYTE*>(std::malloc(PixelCount(*this)));
        if (m_pAlpha == nullptr)
            return false;
    }
    std::memcpy(m_pAlpha, from.m_pAlpha, PixelCount(*this));
    m_info.nAlphaMax = from.m_info.nAlphaMax;
    return true;
}

bool CQxImage::AlphaFlip()
{
    if (m_pAlpha == nullptr)
        return false;
    const size_t width = GetWidth();
    const size_t height = GetHeight();
    BYTE* buff = static_cast<BYTE*>(std::malloc(width * height));
    if (buff == nullptr)
        return false;
    for (size_t y = 0; y < height; ++y)
        std::memcpy(buff + (height - 1 - y) * width, m_pAlpha + y * width, width);
    std::free(m_pAlpha);
    m_pAlpha = buff;
    return true;
}

bool CQxImage::AlphaMirror()
{
    if (m_pAlpha == nullptr)
        return false;
    const size_t width = GetWidth();
    const size_t height = GetHeight();
    BYTE* buff = static_cast<BYTE*>(std::malloc(width * height));
    if (buff == nullptr)
        return false;
    for (size_t y = 0; y < height; ++y)
        std::reverse_copy(m_pAlpha + y * width, m_pAlpha + (y + 1) * width, buff + y * width);
    std::free(m_pAlpha);
    m_pAlpha = buff;
    return true;
}

bool CQxImage::LayerSplit(const BYTE* layer, CQxImage* dest) const
{
    CQxImage tmp;
    if (tmp.Create(GetWidth(), GetHeight(), 8, 0) == nullptr)
        return false;
    const size_t width = GetWidth();
    for (DWORD y = 0; y < GetHeight(); ++y)
        std::memcpy(tmp.GetBits(y), layer + width * y, width);
    tmp.SetGrayPalette();
    dest->Transfer(tmp);
    return true;
}

bool CQxImage::AlphaSplit(CQxImage* dest)
{
    if (m_pAlpha == nullptr || dest == nullptr)
        return false;
    return LayerSplit(m_pAlpha, dest);
}

bool CQxImage::AlphaPaletteSplit(CQxImage* dest)
{
    if (!AlphaPaletteIsValid() || dest == nullptr)
        return false;
    CQxImage tmp;
    if (tmp.Create(GetWidth(), GetHeight(), 8, 0) == nullptr)
        return false;
    const LONG width = m_head.biWidth;
    const LONG height = m_head.biHeight;
    for (LONG y = 0; y < height; ++y)
        for (LONG x = 0; x < width; ++x)
            tmp.BlindSetPixelIndex(x, y, GetPixelColor(x, y, true).rgbReserved);
    tmp.SetGrayPalette();
    dest->Transfer(tmp);
    return true;
}

void CQxImage::AlphaPaletteClear()
{
    RGBQUAD* pal = GetPalette();
    if (pal == nullptr)
        return;
    for (DWORD i = 0; i < m_head.biClrUsed; ++i)
        pal[i].rgbReserved = 0;
    m_info.last_c_isvalid = false;
}

bool CQxImage::AlphaPaletteIsValid() const
{
    const RGBQUAD* pal = GetPalette();
    if (pal == nullptr)
        return false;
    for (DWORD i = 0; i < m_head.biClrUsed; ++i)
        if (pal[i].rgbReserved != 0)
            return true;
    return false;
}

void CQxImage::AlphaStrip()
{
    const bool bAlphaPaletteIsValid = AlphaPaletteIsValid();
    const bool bAlphaIsValid = AlphaIsValid();
    if (!(bAlphaIsValid || bAlphaPaletteIsValid) || m_pDib == nullptr)
        return;
    const RGBQUAD c0 = m_info.nBkgndColor;
    const LONG width = m_head.biWidth;
    const LONG height = m_head.biHeight;
    auto blend = [&](RGBQUAD c, LONG x, LONG y) {
        long a = bAlphaIsValid ? (static_cast<long>(BlindAlphaGet(x, y)) * m_info.nAlphaMax) / 255
                               : m_info.nAlphaMax;
        if (m_head.biBitCount < 24 && bAlphaPaletteIsValid)
            a = (static_cast<long>(c.rgbReserved) * a) / 255;
        const long a1 = 255 - a;
        c.rgbBlue = static_cast<BYTE>((c0.rgbBlue * a1 + c.rgbBlue * a) / 255);
        c.rgbGreen = static_cast<BYTE>((c0.rgbGreen * a1 + c.rgbGreen * a) / 255);
        c.rgbRed = static_cast<BYTE>((c0.rgbRed * a1 + c.rgbRed * a) / 255);
        return c;
    };
    if (m_head.biBitCount == 24) {
        for (LONG y = 0; y < height; ++y) {
            for (LONG x = 0; x < width; ++x) {
                const RGBQUAD c = blend(GetPixelColor(x, y, true), x, y);
                BYTE* p = BlindGetPixelPointer(x, y);
                p[0] = c.rgbBlue;
                p[1] = c.rgbGreen;
                p[2] = c.rgbRed;
            }
        }
        AlphaDelete();
        return;
    }
    CQxImage tmp;
    if (tmp.Create(GetWidth(), GetHeight(), 24, 0) == nullptr)
        return;
    for (LONG y = 0; y < height; ++y)
        for (LONG x = 0; x < width; ++x)
            tmp.SetPixelColor(x, y, blend(GetPixelColor(x, y, true), x, y), false);
    Transfer(tmp);
}
