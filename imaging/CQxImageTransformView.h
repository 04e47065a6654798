// Raw view of an image's pixel rows, palette and alpha plane for the transformation loops.
// Private to the imaging library: the view borrows the image's buffers and must not
// outlive them or any call that reallocates them.
#pragma once

#include "imaging/CQxImage.h"

#include <algorithm>
#include <cstdint>

// Index of pixel x in a packed row of 1, 4 or 8 bits per pixel.
inline BYTE QxRowGetIndex(const BYTE* row, int bpp, int64_t x)
{
    switch (bpp) {
    case 8:
        return row[x];
    case 4: {
        const BYTE b = row[x >> 1];
        return (x & 1) ? static_cast<BYTE>(b & 0x0F) : static_cast<BYTE>(b >> 4);
    }
    case 1:
        return static_cast<BYTE>((row[x >> 3] >> (7 - (x & 7))) & 1);
    default:
        return 0;
    }
}

// Stores index v for pixel x in a packed row of 1, 4 or 8 bits per pixel.
inline void QxRowSetIndex(BYTE* row, int bpp, int64_t x, BYTE v)
{
    switch (bpp) {
    case 8:
        row[x] = v;
        break;
    case 4: {
        BYTE& b = row[x >> 1];
        if (x & 1)
            b = static_cast<BYTE>((b & 0xF0) | (v & 0x0F));
        else
            b = static_cast<BYTE>((b & 0x0F) | ((v & 0x0F) << 4));
        break;
    }
    case 1: {
        BYTE& b = row[x >> 3];
        const BYTE mask = static_cast<BYTE>(0x80 >> (x & 7));
        b = (v & 1) ? static_cast<BYTE>(b | mask) : static_cast<BYTE>(b & ~mask);
        break;
    }
    default:
        break;
    }
}

inline RGBQUAD QxMakeQuad(BYTE r, BYTE g, BYTE b, BYTE a)
{
    RGBQUAD q;
    q.rgbBlue = b;
    q.rgbGreen = g;
    q.rgbRed = r;
    q.rgbReserved = a;
    return q;
}

inline bool QxSameQuad(const RGBQUAD& a, const RGBQUAD& b)
{
    return a.rgbBlue == b.rgbBlue && a.rgbGreen == b.rgbGreen && a.rgbRed == b.rgbRed &&
           a.rgbReserved == b.rgbReserved;
}

inline BYTE QxClampByte(int64_t v)
{
    return static_cast<BYTE>(v < 0 ? 0 : (v > 255 ? 255 : v));
}

// Grey level of a colour: (306 R + 601 G + 117 B) / 1024.
inline BYTE QxGreyLevel(BYTE r, BYTE g, BYTE b)
{
    return static_cast<BYTE>((306 * r + 601 * g + 117 * b) >> 10);
}

// Writes the width pixels of row s to row d in reverse order (1, 4, 8 or 24 bits per
// pixel); s and d are different rows.
inline void QxRowReverse(const BYTE* s, BYTE* d, int bpp, int64_t width)
{
    if (bpp == 24) {
        for (int64_t x = 0; x < width; ++x, d += 3) {
            const BYTE* sp = s + (width - 1 - x) * 3;
            d[0] = sp[0];
            d[1] = sp[1];
            d[2] = sp[2];
        }
    } else if (bpp == 8) {
        std::reverse_copy(s, s + width, d);
    } else {
        for (int64_t x = 0; x < width; ++x)
            QxRowSetIndex(d, bpp, x, QxRowGetIndex(s, bpp, width - 1 - x));
    }
}

class CQxImageTransformView
{
public:
    explicit CQxImageTransformView(const CQxImage& img);

    bool IsValid() const { return m_bits != nullptr; }
    bool IsInside(int64_t x, int64_t y) const
    {
        return x >= 0 && y >= 0 && x < m_width && y < m_height;
    }
    BYTE* Row(int64_t y) const { return m_bits + y * m_effWidth; }
    BYTE* AlphaRow(int64_t y) const { return m_alpha + y * m_width; }

    BYTE Index(int64_t x, int64_t y) const { return QxRowGetIndex(Row(y), m_bpp, x); }
    RGBQUAD PaletteEntry(BYTE index) const
    {
        return index < m_numColors ? m_palette[index] : QxMakeQuad(0, 0, 0, 0);
    }

    // Colour of an inside pixel: the palette entry, or the three bytes of a true-colour
    // pixel; the reserved byte carries the alpha value when the image has an alpha plane.
    RGBQUAD Color(int64_t x, int64_t y) const
    {
        RGBQUAD c;
        if (m_palette) {
            c = PaletteEntry(Index(x, y));
        } else {
            const BYTE* p = Row(y) + x * 3;
            c = QxMakeQuad(p[2], p[1], p[0], 0);
        }
        if (m_alpha)
            c.rgbReserved = m_alpha[y * m_width + x];
        else if (!m_palette)
            c.rgbReserved = 0;
        return c;
    }

    // What the pixel accessors give for a point outside the image.
    RGBQUAD OutsideColor() const { return m_outsideColor; }
    BYTE OutsideIndex() const { return m_outsideIndex; }

    // Checked reads with the accessors' outside rule.
    RGBQUAD ColorOrOutside(int64_t x, int64_t y) const
    {
        return IsInside(x, y) ? Color(x, y) : m_outsideColor;
    }
    BYTE IndexOrOutside(int64_t x, int64_t y) const
    {
        return IsInside(x, y) ? Index(x, y) : m_outsideIndex;
    }
    BYTE AlphaOrZero(int64_t x, int64_t y) const
    {
        return (m_alpha && IsInside(x, y)) ? m_alpha[y * m_width + x] : 0;
    }

    int64_t Width() const { return m_width; }
    int64_t Height() const { return m_height; }
    int Bpp() const { return m_bpp; }
    int64_t EffWidth() const { return m_effWidth; }
    bool HasPalette() const { return m_palette != nullptr; }
    bool HasAlpha() const { return m_alpha != nullptr; }
    const RGBQUAD* Palette() const { return m_palette; }
    unsigned NumColors() const { return m_numColors; }
    BYTE* Alpha() const { return m_alpha; }

private:
    int64_t m_width = 0;
    int64_t m_height = 0;
    int m_bpp = 0;
    int64_t m_effWidth = 0;
    BYTE* m_bits = nullptr;
    const RGBQUAD* m_palette = nullptr;
    unsigned m_numColors = 0;
    BYTE* m_alpha = nullptr;
    RGBQUAD m_outsideColor{};
    BYTE m_outsideIndex = 0;
};
