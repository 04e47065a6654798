// Fixed-width stand-ins for the Windows types the image library is written in,
// the packed bitmap headers, and explicit little-endian readers and writers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

using BYTE = uint8_t;
using WORD = uint16_t;
using DWORD = uint32_t;
using LONG = int32_t;  // 32 bits on every platform we build for
using BOOL = int32_t;
using COLORREF = DWORD;

#pragma pack(push, 1)

struct RGBQUAD {
    BYTE rgbBlue;
    BYTE rgbGreen;
    BYTE rgbRed;
    BYTE rgbReserved;
};

struct RGBTRIPLE {
    BYTE rgbtBlue;
    BYTE rgbtGreen;
    BYTE rgbtRed;
};

struct BITMAPFILEHEADER {
    WORD bfType;
    DWORD bfSize;
    WORD bfReserved1;
    WORD bfReserved2;
    DWORD bfOffBits;
};

struct BITMAPINFOHEADER {
    DWORD biSize;
    LONG biWidth;
    LONG biHeight;
    WORD biPlanes;
    WORD biBitCount;
    DWORD biCompression;
    DWORD biSizeImage;
    LONG biXPelsPerMeter;
    LONG biYPelsPerMeter;
    DWORD biClrUsed;
    DWORD biClrImportant;
};

struct BITMAPCOREHEADER {
    DWORD bcSize;
    WORD bcWidth;
    WORD bcHeight;
    WORD bcPlanes;
    WORD bcBitCount;
};

#pragma pack(pop)

struct RECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};

struct POINT {
    LONG x;
    LONG y;
};

static_assert(sizeof(RGBQUAD) == 4);
static_assert(sizeof(RGBTRIPLE) == 3);
static_assert(sizeof(BITMAPFILEHEADER) == 14);
static_assert(sizeof(BITMAPINFOHEADER) == 40);
static_assert(sizeof(BITMAPCOREHEADER) == 12);
static_assert(sizeof(RECT) == 16);
static_assert(sizeof(POINT) == 8);

inline constexpr DWORD QX_BI_RGB = 0;
inline constexpr DWORD QX_BI_RLE8 = 1;
inline constexpr DWORD QX_BI_RLE4 = 2;
inline constexpr DWORD QX_BI_BITFIELDS = 3;
inline constexpr WORD QX_BFT_BITMAP = 0x4D42;  // "BM"

// COLORREF: red in the low byte, then green, then blue.
constexpr COLORREF QxRGB(BYTE r, BYTE g, BYTE b)
{
    return static_cast<COLORREF>(r) | (static_cast<COLORREF>(g) << 8) | (static_cast<COLORREF>(b) << 16);
}
constexpr BYTE QxGetRValue(COLORREF c) { return static_cast<BYTE>(c & 0xFF); }
constexpr BYTE QxGetGValue(COLORREF c) { return static_cast<BYTE>((c >> 8) & 0xFF); }
constexpr BYTE QxGetBValue(COLORREF c) { return static_cast<BYTE>((c >> 16) & 0xFF); }

// Little-endian access to byte buffers, independent of host order and alignment.
inline WORD QxGetLE16(const BYTE* p)
{
    return static_cast<WORD>(p[0] | (p[1] << 8));
}
inline DWORD QxGetLE32(const BYTE* p)
{
    return static_cast<DWORD>(p[0]) | (static_cast<DWORD>(p[1]) << 8) | (static_cast<DWORD>(p[2]) << 16) |
           (static_cast<DWORD>(p[3]) << 24);
}
inline void QxPutLE16(BYTE* p, WORD v)
{
    p[0] = static_cast<BYTE>(v);
    p[1] = static_cast<BYTE>(v >> 8);
}
inline void QxPutLE32(BYTE* p, DWORD v)
{
    p[0] = static_cast<BYTE>(v);
    p[1] = static_cast<BYTE>(v >> 8);
    p[2] = static_cast<BYTE>(v >> 16);
    p[3] = static_cast<BYTE>(v >> 24);
}

// Header (de)serialisation in file byte order. Each buffer holds exactly the
// header's file size (14, 40 or 12 bytes).
inline void QxReadFileHeader(const BYTE* p, BITMAPFILEHEADER& h)
{
    h.bfType = QxGetLE16(p);
    h.bfSize = QxGetLE32(p + 2);
    h.bfReserved1 = QxGetLE16(p + 6);
    h.bfReserved2 = QxGetLE16(p + 8);
    h.bfOffBits = QxGetLE32(p + 10);
}
inline void QxWriteFileHeader(BYTE* p, const BITMAPFILEHEADER& h)
{
    QxPutLE16(p, h.bfType);
    QxPutLE32(p + 2, h.bfSize);
    QxPutLE16(p + 6, h.bfReserved1);
    QxPutLE16(p + 8, h.bfReserved2);
    QxPutLE32(p + 10, h.bfOffBits);
}
inline void QxReadInfoHeader(const BYTE* p, BITMAPINFOHEADER& h)
{
    h.biSize = QxGetLE32(p);
    h.biWidth = static_cast<LONG>(QxGetLE32(p + 4));
    h.biHeight = static_cast<LONG>(QxGetLE32(p + 8));
    h.biPlanes = QxGetLE16(p + 12);
    h.biBitCount = QxGetLE16(p + 14);
    h.biCompression = QxGetLE32(p + 16);
    h.biSizeImage = QxGetLE32(p + 20);
    h.biXPelsPerMeter = static_cast<LONG>(QxGetLE32(p + 24));
    h.biYPelsPerMeter = static_cast<LONG>(QxGetLE32(p + 28));
    h.biClrUsed = QxGetLE32(p + 32);
    h.biClrImportant = QxGetLE32(p + 36);
}
inline void QxWriteInfoHeader(BYTE* p, const BITMAPINFOHEADER& h)
{
    QxPutLE32(p, h.biSize);
    QxPutLE32(p + 4, static_cast<DWORD>(h.biWidth));
    QxPutLE32(p + 8, static_cast<DWORD>(h.biHeight));
    QxPutLE16(p + 12, h.biPlanes);
    QxPutLE16(p + 14, h.biBitCount);
    QxPutLE32(p + 16, h.biCompression);
    QxPutLE32(p + 20, h.biSizeImage);
    QxPutLE32(p + 24, static_cast<DWORD>(h.biXPelsPerMeter));
    QxPutLE32(p + 28, static_cast<DWORD>(h.biYPelsPerMeter));
    QxPutLE32(p + 32, h.biClrUsed);
    QxPutLE32(p + 36, h.biClrImportant);
}
