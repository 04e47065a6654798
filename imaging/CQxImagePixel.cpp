// Pixel access at 1, 4, 8 and 24 bits, blending and line drawing.
#include "imaging/CQxImage.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

BYTE CQxImage::BlindGetPixelIndex(LONG x, LONG y)
{
    const BYTE* row = m_info.pImage + static_cast<size_t>(y) * m_info.dwEffWidth;
    switch (m_head.biBitCount) {
    case 8: return row[x];
    case 4: {
        const BYTE b = row[x >> 1];
        return (x & 1) ? static_cast<BYTE>(b & 0x0F) : static_cast<BYTE>(b >> 4);
    }
    case 1: return static_cast<BYTE>((row[x >> 3] >> (7 - (x & 7))) & 1);
    default: return 0;
    }
}

void CQxImage::BlindSetPixelIndex(LONG x, LONG y, BYTE i)
{
    BYTE* row = m_info.pImage + static_cast<size_t>(y) * m_info.dwEffWidth;
    switch (m_head.biBitCount) {
    case 8: row[x] = i; break;
    case 4: {
        BYTE& b = row[x >> 1];
        if (x & 1)
            b = static_cast<BYTE>((b & 0xF0) | (i & 0x0F));
        else
            b = static_cast<BYTE>((b & 0x0F) | ((i & 0x0F) << 4));
        break;
    }
    case 1: {
        BYTE& b = row[x >> 3];
        const BYTE mask = static_cast<BYTE>(0x80 >> (x & 7));
        if (i & 1)
            b = static_cast<BYTE>(b | mask);
        else
            b = static_cast<BYTE>(b & ~mask);
        break;
    }
    default: break;
    }
}

BYTE CQxImage::GetPixelIndex(LONG x, LONG y)
{
    if (m_pDib == nullptr || m_head.biClrUsed == 0)
        return 0;
    if (!IsInside(x, y)) {
        if (m_info.nBkgndIndex >= 0)
            return static_cast<BYTE>(m_info.nBkgndIndex);
        return BlindGetPixelIndex(0, 0);
    }
    return BlindGetPixelIndex(x, y);
}

void CQxImage::SetPixelIndex(LONG x, LONG y, BYTE i)
{
    if (m_pDib == nullptr || m_head.biClrUsed == 0 || !IsInside(x, y))
        return;
    BlindSetPixelIndex(x, y, i);
}

RGBQUAD CQxImage::BlindGetPixelColor(LONG x, LONG y)
{
    RGBQUAD rgb;
    if (m_head.biClrUsed != 0) {
        rgb = GetPaletteColor(BlindGetPixelIndex(x, y));
    } else {
        const BYTE* p = m_info.pImage + static_cast<size_t>(y) * m_info.dwEffWidth + static_cast<size_t>(x) * 3;
        rgb.rgbBlue = p[0];
        rgb.rgbGreen = p[1];
        rgb.rgbRed = p[2];
        rgb.rgbReserved = 0;
    }
    if (m_pAlpha != nullptr)
        rgb.rgbReserved = BlindAlphaGet(x, y);
    return rgb;
}

RGBQUAD CQxImage::GetPixelColor(LONG x, LONG y, bool bGetAlpha)
{
    RGBQUAD rgb = m_info.nBkgndColor;
    if (m_pDib == nullptr || !IsInside(x, y)) {
        if (m_info.nBkgndIndex < 0) {
            if (m_pDib != nullptr)
                return GetPixelColor(0, 0, true);
            return rgb;
        }
        if (m_head.biBitCount < 24) {
            if (static_cast<DWORD>(m_info.nBkgndIndex) < m_head.biClrUsed)
                return GetPaletteColor(static_cast<BYTE>(m_info.nBkgndIndex));
            return RGBQUAD{0, 0, 0, 0};
        }
        return rgb;
    }
    if (m_head.biClrUsed != 0) {
        rgb = GetPaletteColor(BlindGetPixelIndex(x, y));
    } else {
        const BYTE* p = m_info.pImage + static_cast<size_t>(y) * m_info.dwEffWidth + static_cast<size_t>(x) * 3;
        rgb.rgbBlue = p[0];
        rgb.rgbGreen = p[1];
        rgb.rgbRed = p[2];
    }
    if (m_pAlpha != nullptr && bGetAlpha)
        rgb.rgbReserved = BlindAlphaGet(x, y);
    return rgb;
}

BYTE CQxImage::GetPixelGray(LONG x, LONG y)
{
    const RGBQUAD c = GetPixelColor(x, y, true);
    return static_cast<BYTE>((306 * c.rgbRed + 601 * c.rgbGreen + 117 * c.rgbBlue) >> 10);
}

BYTE* CQxImage::BlindGetPixelPointer(LONG x, LONG y)
{
    if (m_head.biClrUsed != 0)
        return nullptr;
    return m_info.pImage + static_cast<size_t>(y) * m_info.dwEffWidth + static_cast<size_t>(x) * 3;
}

void CQxImage::SetPixelColor(LONG x, LONG y, COLORREF cr)
{
    SetPixelColor(x, y, RGBtoRGBQUAD(cr), false);
}

void CQxImage::BlindStoreColor(LONG x, LONG y, RGBQUAD c, BYTE alpha, bool bSetAlpha)
{
    if (m_head.biClrUsed != 0) {
        BlindSetPixelIndex(x, y, GetNearestIndex(c));
    } else {
        BYTE* p = BlindGetPixelPointer(x, y);
        p[0] = c.rgbBlue;
        p[1] = c.rgbGreen;
        p[2] = c.rgbRed;
        if (bSetAlpha)
            AlphaSet(x, y, alpha);
    }
}

void CQxImage::SetPixelColor(LONG x, LONG y, RGBQUAD c, bool bSetAlpha)
{
    if (m_pDib == nullptr || !IsInside(x, y))
        return;
    BlindStoreColor(x, y, c, c.rgbReserved, bSetAlpha);
}

void CQxImage::BlendPixelColor(LONG x, LONG y, RGBQUAD c, float blend, bool bSetAlpha)
{
    if (m_pDib == nullptr || !IsInside(x, y))
        return;
    const int a1 = static_cast<int>(blend * 256);
    const int a0 = 256 - a1;
    RGBQUAD c0 = BlindGetPixelColor(x, y);
    c0.rgbBlue = static_cast<BYTE>((c0.rgbBlue * a0 + c.rgbBlue * a1) >> 8);
    c0.rgbGreen = static_cast<BYTE>((c0.rgbGreen * a0 + c.rgbGreen * a1) >> 8);
    c0.rgbRed = static_cast<BYTE>((c0.rgbRed * a0 + c.rgbRed * a1) >> 8);
    BlindStoreColor(x, y, c0, c.rgbReserved, bSetAlpha);
}

bool CQxImage::IsTransparent(LONG x, LONG y)
{
    if (m_pDib == nullptr)
        return false;
    if (m_info.nBkgndIndex >= 0) {
        if (m_head.biClrUsed != 0)
            return GetPixelIndex(x, y) == m_info.nBkgndIndex;
        const RGBQUAD ct = m_info.nBkgndColor;
        const RGBQUAD c = GetPixelColor(x, y, false);
        return std::memcmp(&c, &ct, sizeof(RGBQUAD)) == 0;
    }
    if (m_pAlpha != nullptr)
        return AlphaGet(x, y) == 0;
    return false;
}

void CQxImage::RGBtoBGR(BYTE* buffer, int length)
{
    if (buffer == nullptr || m_head.biClrUsed != 0)
        return;
    const int limit = std::min(length, static_cast<int>(m_info.dwEffWidth));
    for (int i = 0; i < limit; i += 3) {
        if (i + 2 >= length)
            break;
        const BYTE temp = buffer[i];
        buffer[i] = buffer[i + 2];
        buffer[i + 2] = temp;
    }
}

void CQxImage::DrawLine(int StartX, int EndX, int StartY, int EndY, COLORREF cr)
{
    DrawLine(StartX, EndX, StartY, EndY, RGBtoRGBQUAD(cr), false);
}

void CQxImage::DrawLine(int StartX, int EndX, int StartY, int EndY, RGBQUAD color, bool bSetAlpha)
{
    if (m_pDib == nullptr)
        return;
    // Integer stepping along the longer axis; the shorter axis moves when the
    // accumulator (starting at half the denominator) overflows. After k steps
    // it has moved floor((den / 2 + k * add) / den) times, so only the steps
    // that fall inside the image are visited, however long the line.
    const int64_t deltax = std::llabs(static_cast<int64_t>(EndX) - StartX);
    const int64_t deltay = std::llabs(static_cast<int64_t>(EndY) - StartY);
    const int xinc = EndX < StartX ? -1 : 1;
    const int yinc = EndY < StartY ? -1 : 1;
    const bool xMajor = deltax >= deltay;
    const int64_t den = xMajor ? deltax : deltay;
    const int64_t add = xMajor ? deltay : deltax;
    const int64_t major0 = xMajor ? StartX : StartY;
    const int64_t minor0 = xMajor ? StartY : StartX;
    const int majorInc = xMajor ? xinc : yinc;
    const int minorInc = xMajor ? yinc : xinc;
    const int64_t majorSize = xMajor ? m_head.biWidth : m_head.biHeight;

    // Steps k in [0, den] whose major coordinate lies in [0, majorSize).
    int64_t kFrom, kTo;
    if (majorInc > 0) {
        kFrom = -major0;
        kTo = majorSize - 1 - major0;
    } else {
        kFrom = major0 - (majorSize - 1);
        kTo = major0;
    }
    kFrom = std::max<int64_t>(kFrom, 0);
    kTo = std::min<int64_t>(kTo, den);
    for (int64_t k = kFrom; k <= kTo; ++k) {
        const int64_t steps =
            den == 0 ? 0 : static_cast<int64_t>((static_cast<__int128>(den / 2) + static_cast<__int128>(k) * add) / den);
        const int64_t major = major0 + k * majorInc;
        const int64_t minor = minor0 + steps * minorInc;
        if (minor < INT32_MIN || minor > INT32_MAX)
            continue;
        const LONG x = static_cast<LONG>(xMajor ? major : minor);
        const LONG y = static_cast<LONG>(xMajor ? minor : major);
        SetPixelColor(x, y, color, bSetAlpha);
    }
}
