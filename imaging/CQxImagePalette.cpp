// Palette access: entries, gray/blended/standard palettes, nearest colour.
#include "imaging/CQxImage.h"

#include <algorithm>
#include <cstring>

namespace {
// (red, green, blue) of the standard 16-colour palette.
const BYTE kStd16[16][3] = {{0, 0, 0},     {128, 0, 0},   {0, 128, 0},     {128, 128, 0},
                            {0, 0, 128},   {128, 0, 128}, {0, 128, 128},   {192, 192, 192},
                            {128, 128, 128}, {255, 0, 0}, {0, 255, 0},     {255, 255, 0},
                            {0, 0, 255},   {255, 0, 255}, {0, 255, 255},   {255, 255, 255}};

// Entries 10 to 225 of the standard 256-colour palette: 18 groups of 12.
const BYTE kStdGroups[216][3] = {
    {255, 240, 212}, {255, 226, 177}, {255, 212, 142}, {255, 198, 107}, {255, 184, 72},  {255, 170, 37},
    {255, 170, 0},   {220, 146, 0},   {185, 122, 0},   {150, 98, 0},    {115, 74, 0},    {80, 50, 0},
    {255, 227, 212}, {255, 199, 177}, {255, 171, 142}, {255, 143, 107}, {255, 115, 72},  {255, 87, 37},
    {255, 85, 0},    {220, 73, 0},    {185, 61, 0},    {150, 49, 0},    {115, 37, 0},    {80, 25, 0},
    {255, 212, 212}, {255, 177, 177}, {255, 142, 142}, {255, 107, 107}, {255, 72, 72},   {255, 37, 37},
    {254, 0, 0},     {220, 0, 0},     {185, 0, 0},     {150, 0, 0},     {115, 0, 0},     {80, 0, 0},
    {255, 212, 227}, {255, 177, 199}, {255, 142, 171}, {255, 107, 143}, {255, 72, 115},  {255, 37, 87},
    {255, 0, 85},    {220, 0, 73},    {185, 0, 61},    {150, 0, 49},    {115, 0, 37},    {80, 0, 25},
    {255, 212, 240}, {255, 177, 226}, {255, 142, 212}, {255, 107, 198}, {255, 72, 184},  {255, 37, 170},
    {255, 0, 170},   {220, 0, 146},   {185, 0, 122},   {150, 0, 98},    {115, 0, 74},    {80, 0, 50},
    {255, 212, 255}, {255, 177, 255}, {255, 142, 255}, {255, 107, 255}, {255, 72, 255},  {255, 37, 255},
    {254, 0, 254},   {220, 0, 220},   {185, 0, 185},   {150, 0, 150},   {115, 0, 115},   {80, 0, 80},
    {240, 212, 255}, {226, 177, 255}, {212, 142, 255}, {198, 107, 255}, {184, 72, 255},  {170, 37, 255},
    {170, 0, 255},   {146, 0, 220},   {122, 0, 185},   {98, 0, 150},    {74, 0, 115},    {50, 0, 80},
    {227, 212, 255}, {199, 177, 255}, {171, 142, 255}, {143, 107, 255}, {115, 72, 255},  {87, 37, 255},
    {85, 0, 255},    {73, 0, 220},    {61, 0, 185},    {49, 0, 150},    {37, 0, 115},    {25, 0, 80},
    {212, 212, 255}, {177, 177, 255}, {142, 142, 255}, {107, 107, 255}, {72, 72, 255},   {37, 37, 255},
    {0, 0, 254},     {0, 0, 220},     {0, 0, 185},     {0, 0, 150},     {0, 0, 115},     {0, 0, 80},
    {212, 227, 255}, {177, 199, 255}, {142, 171, 255}, {107, 143, 255}, {72, 115, 255},  {37, 87, 255},
    {0, 85, 255},    {0, 73, 220},    {0, 61, 185},    {0, 49, 150},    {0, 37, 115},    {0, 25, 80},
    {212, 240, 255}, {177, 226, 255}, {142, 212, 255}, {107, 198, 255}, {72, 184, 255},  {37, 170, 255},
    {0, 170, 255},   {0, 146, 220},   {0, 122, 185},   {0, 98, 150},    {0, 74, 115},    {0, 50, 80},
    {212, 255, 255}, {177, 255, 255}, {142, 255, 255}, {107, 255, 255}, {72, 255, 255},  {37, 255, 255},
    {0, 254, 254},   {0, 220, 220},   {0, 185, 185},   {0, 150, 150},   {0, 115, 115},   {0, 80, 80},
    {212, 255, 240}, {177, 255, 226}, {142, 255, 212}, {107, 255, 198}, {72, 255, 184},  {37, 255, 170},
    {0, 255, 170},   {0, 220, 146},   {0, 185, 122},   {0, 150, 98},    {0, 115, 74},    {0, 80, 50},
    {212, 255, 227}, {177, 255, 199}, {142, 255, 171}, {107, 255, 143}, {72, 255, 115},  {37, 255, 87},
    {0, 255, 85},    {0, 220, 73},    {0, 185, 61},    {0, 150, 49},    {0, 115, 37},    {0, 80, 25},
    {212, 255, 212}, {177, 255, 177}, {142, 255, 142}, {107, 255, 107}, {72, 255, 72},   {37, 255, 37},
    {0, 254, 0},     {0, 220, 0},     {0, 185, 0},     {0, 150, 0},     {0, 115, 0},     {0, 80, 0},
    {227, 255, 212}, {199, 255, 177}, {171, 255, 142}, {143, 255, 107}, {115, 255, 72},  {87, 255, 37},
    {85, 255, 0},    {73, 220, 0},    {61, 185, 0},    {49, 150, 0},    {37, 115, 0},    {25, 80, 0},
    {240, 255, 212}, {226, 255, 177}, {212, 255, 142}, {198, 255, 107}, {184, 255, 72},  {170, 255, 37},
    {170, 255, 0},   {146, 220, 0},   {122, 185, 0},   {98, 150, 0},    {74, 115, 0},    {50, 80, 0},
    {255, 255, 212}, {255, 255, 177}, {255, 255, 142}, {255, 255, 107}, {255, 255, 72},  {255, 255, 37},
    {254, 254, 0},   {220, 220, 0},   {185, 185, 0},   {150, 150, 0},   {115, 115, 0},   {80, 80, 0}};

RGBQUAD Quad(BYTE r, BYTE g, BYTE b)
{
    return RGBQUAD{b, g, r, 0};
}
}  // namespace

DWORD CQxImage::GetPaletteSize() const
{
    return m_head.biClrUsed * static_cast<DWORD>(sizeof(RGBQUAD));
}

RGBQUAD* CQxImage::GetPalette() const
{
    if (m_pDib == nullptr || m_head.biClrUsed == 0)
        return nullptr;
    return reinterpret_cast<RGBQUAD*>(static_cast<BYTE*>(m_pDib) + sizeof(BITMAPINFOHEADER));
}

RGBQUAD CQxImage::GetPaletteColor(BYTE idx) const
{
    RGBQUAD* pal = GetPalette();
    if (pal == nullptr || idx >= m_head.biClrUsed)
        return RGBQUAD{0, 0, 0, 0};
    return pal[idx];
}

bool CQxImage::GetPaletteColor(BYTE idx, BYTE* r, BYTE* g, BYTE* b) const
{
    RGBQUAD* pal = GetPalette();
    if (pal == nullptr || idx >= m_head.biClrUsed)
        return false;
    if (r != nullptr)
        *r = pal[idx].rgbRed;
    if (g != nullptr)
        *g = pal[idx].rgbGreen;
    if (b != nullptr)
        *b = pal[idx].rgbBlue;
    return true;
}

void CQxImage::SetPaletteColor(BYTE idx, BYTE r, BYTE g, BYTE b, BYTE alpha)
{
    RGBQUAD* pal = GetPalette();
    if (pal == nullptr || idx >= m_head.biClrUsed)
        return;
    pal[idx] = RGBQUAD{b, g, r, alpha};
    m_info.last_c_isvalid = false;
}

void CQxImage::SetPaletteColor(BYTE idx, RGBQUAD c)
{
    RGBQUAD* pal = GetPalette();
    if (pal == nullptr || idx >= m_head.biClrUsed)
        return;
    pal[idx] = c;
    m_info.last_c_isvalid = false;
}

void CQxImage::SetPaletteColor(BYTE idx, COLORREF cr)
{
    SetPaletteColor(idx, QxGetRValue(cr), QxGetGValue(cr), QxGetBValue(cr), 0);
}

void CQxImage::SetPalette(const RGBQUAD* pPal, DWORD nColors)
{
    RGBQUAD* pal = GetPalette();
    if (pPal == nullptr || pal == nullptr)
        return;
    const DWORD n = std::min(nColors, m_head.biClrUsed);
    std::memcpy(pal, pPal, static_cast<size_t>(n) * sizeof(RGBQUAD));
    m_info.last_c_isvalid = false;
}

void CQxImage::SetPalette(const rgb_color* rgb, DWORD nColors)
{
    RGBQUAD* pal = GetPalette();
    if (rgb == nullptr || pal == nullptr)
        return;
    const DWORD n = std::min(nColors, m_head.biClrUsed);
    for (DWORD i = 0; i < n; ++i) {
        pal[i].rgbRed = rgb[i].r;
        pal[i].rgbGreen = rgb[i].g;
        pal[i].rgbBlue = rgb[i].b;
    }
    m_info.last_c_isvalid = false;
}

void CQxImage::SetPalette(DWORD n, const BYTE* r, const BYTE* g, const BYTE* b)
{
    RGBQUAD* pal = GetPalette();
    if (r == nullptr || pal == nullptr)
        return;
    if (g == nullptr)
        g = r;
    if (b == nullptr)
        b = g;
    const DWORD m = std::min(n, m_head.biClrUsed);
    for (DWORD i = 0; i < m; ++i) {
        pal[i].rgbRed = r[i];
        pal[i].rgbGreen = g[i];
        pal[i].rgbBlue = b[i];
    }
    m_info.last_c_isvalid = false;
}

void CQxImage::SetGrayPalette()
{
    RGBQUAD* pal = GetPalette();
    if (pal == nullptr)
        return;
    const DWORD n = m_head.biClrUsed;
    if (n == 1) {
        pal[0].rgbBlue = pal[0].rgbGreen = pal[0].rgbRed = 0;
    } else {
        const DWORD step = 255 / (n - 1);
        for (DWORD i = 0; i < n; ++i) {
            const BYTE v = static_cast<BYTE>(i * step);
            pal[i].rgbBlue = pal[i].rgbGreen = pal[i].rgbRed = v;
        }
    }
    m_info.last_c_isvalid = false;
}

void CQxImage::BlendPalette(COLORREF cr, LONG perc)
{
    RGBQUAD* pal = GetPalette();
    if (pal == nullptr)
        return;
    perc = std::clamp<LONG>(perc, 0, 100);
    const LONG r = QxGetRValue(cr);
    const LONG g = QxGetGValue(cr);
    const LONG b = QxGetBValue(cr);
    for (DWORD i = 0; i < m_head.biClrUsed; ++i) {
        pal[i].rgbBlue = static_cast<BYTE>((pal[i].rgbBlue * (100 - perc) + b * perc) / 100);
        pal[i].rgbGreen = static_cast<BYTE>((pal[i].rgbGreen * (100 - perc) + g * perc) / 100);
        pal[i].rgbRed = static_cast<BYTE>((pal[i].rgbRed * (100 - perc) + r * perc) / 100);
    }
    m_info.last_c_isvalid = false;
}

void CQxImage::SetStdPalette()
{
    if (m_pDib == nullptr)
        return;
    RGBQUAD pal[256];
    std::memset(pal, 0, sizeof(pal));
    switch (m_head.biBitCount) {
    case 4:
        for (int i = 0; i < 16; ++i)
            pal[i] = Quad(kStd16[i][0], kStd16[i][1], kStd16[i][2]);
        SetPalette(pal, 16);
        break;
    case 8:
        for (int i = 0; i < 8; ++i)
            pal[i] = Quad(kStd16[i][0], kStd16[i][1], kStd16[i][2]);
        pal[8] = Quad(192, 220, 192);
        pal[9] = Quad(166, 202, 240);
        for (int i = 0; i < 216; ++i)
            pal[10 + i] = Quad(kStdGroups[i][0], kStdGroups[i][1], kStdGroups[i][2]);
        for (int i = 0; i < 20; ++i) {
            const BYTE v = static_cast<BYTE>(242 - 12 * i);
            pal[226 + i] = Quad(v, v, v);
        }
        pal[246] = Quad(255, 251, 240);
        pal[247] = Quad(160, 160, 164);
        for (int i = 0; i < 8; ++i)
            pal[248 + i] = Quad(kStd16[8 + i][0], kStd16[8 + i][1], kStd16[8 + i][2]);
        SetPalette(pal, 256);
        break;
    default: break;
    }
    m_info.last_c_isvalid = false;
}

bool CQxImage::IsGrayScale() const
{
    RGBQUAD* pal = GetPalette();
    if (pal == nullptr)
        return false;
    for (DWORD i = 0; i < m_head.biClrUsed; ++i)
        if (pal[i].rgbBlue != i || pal[i].rgbGreen != i || pal[i].rgbRed != i)
            return false;
    return true;
}

bool CQxImage::IsSamePalette(const CQxImage& img, bool bCheckAlpha) const
{
    if (m_head.biClrUsed != img.m_head.biClrUsed || m_head.biClrUsed == 0)
        return false;
    const RGBQUAD* p1 = GetPalette();
    const RGBQUAD* p2 = img.GetPalette();
    if (p1 == nullptr || p2 == nullptr)
        return false;
    for (DWORD n = 0; n < m_head.biClrUsed; ++n) {
        if (p1[n].rgbBlue != p2[n].rgbBlue || p1[n].rgbGreen != p2[n].rgbGreen || p1[n].rgbRed != p2[n].rgbRed)
            return false;
        if (bCheckAlpha && p1[n].rgbReserved != p2[n].rgbReserved)
            return false;
    }
    return true;
}

bool CQxImage::SwapIndex(BYTE idx1, BYTE idx2)
{
    RGBQUAD* pal = GetPalette();
    if (pal == nullptr || idx1 >= m_head.biClrUsed || idx2 >= m_head.biClrUsed)
        return false;
    std::swap(pal[idx1], pal[idx2]);
    m_info.last_c_isvalid = false;
    const LONG width = m_head.biWidth;
    const LONG height = m_head.biHeight;
    for (LONG y = 0; y < height; ++y) {
        for (LONG x = 0; x < width; ++x) {
            const BYTE idx = BlindGetPixelIndex(x, y);
            if (idx == idx1)
                BlindSetPixelIndex(x, y, idx2);
            else if (idx == idx2)
                BlindSetPixelIndex(x, y, idx1);
        }
    }
    return true;
}

void CQxImage::SetClrImportant(DWORD ncolors)
{
    if (ncolors == 0 || ncolors > 256) {
        m_head.biClrImportant = 0;
        return;
    }
    switch (m_head.biBitCount) {
    case 1: m_head.biClrImportant = std::min<DWORD>(ncolors, 2); break;
    case 4: m_head.biClrImportant = std::min<DWORD>(ncolors, 16); break;
    case 8: m_head.biClrImportant = ncolors; break;
    default: break;
    }
}

BYTE CQxImage::GetNearestIndex(RGBQUAD c)
{
    RGBQUAD* pal = GetPalette();
    if (pal == nullptr)
        return 0;
    if (m_info.last_c_isvalid && std::memcmp(&m_info.last_c, &c, sizeof(c)) == 0)
        return m_info.last_c_index;
    m_info.last_c = c;
    m_info.last_c_isvalid = true;

    DWORD nMax = m_head.biClrUsed;
    if (m_head.biClrImportant != 0 && m_head.biClrImportant < nMax)
        nMax = m_head.biClrImportant;
    LONG distance = 200000;
    BYTE found = 0;
    for (DWORD i = 0; i < nMax; ++i) {
        const LONG db = static_cast<LONG>(pal[i].rgbBlue) - c.rgbBlue;
        const LONG dg = static_cast<LONG>(pal[i].rgbGreen) - c.rgbGreen;
        const LONG dr = static_cast<LONG>(pal[i].rgbRed) - c.rgbRed;
        const LONG k = db * db + dg * dg + dr * dr;
        if (k == 0) {
            found = static_cast<BYTE>(i);
            break;
        }
        if (k < distance) {
            distance = k;
            found = static_cast<BYTE>(i);
        }
    }
    m_info.last_c_index = found;
    return found;
}

RGBQUAD CQxImage::RGBtoRGBQUAD(COLORREF cr)
{
    return RGBQUAD{QxGetBValue(cr), QxGetGValue(cr), QxGetRValue(cr), 0};
}

COLORREF CQxImage::RGBQUADtoRGB(RGBQUAD c)
{
    return QxRGB(c.rgbRed, c.rgbGreen, c.rgbBlue);
}
