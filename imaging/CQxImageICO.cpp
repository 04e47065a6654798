#include "imaging/CQxImageICO.h"

#include <cstring>
#include <vector>

namespace {

constexpr DWORD kIco = QXIMAGE_FORMAT_ICO;

bool MaskBit(const BYTE* mask, DWORD maskRow, DWORD x, DWORD y)
{
    return (mask[y * maskRow + (x >> 3)] >> (7 - (x & 7))) & 1;
}

}  // namespace

CQxImageICO::CQxImageICO() : CQxImage(kIco) {}

CQxImageICO::~CQxImageICO() = default;

bool CQxImageICO::Fail(const char* text)
{
    SetLastErrorText(text);
    return false;
}

bool CQxImageICO::Decode(CQxFile* hFile)
{
    if (hFile == nullptr)
        return false;
    const int32_t start = hFile->Tell();
    const int32_t size = hFile->Size();
    BYTE hdr[6];
    if (start < 0 || size < start || hFile->Read(hdr, 1, 6) != 6)
        return false;
    const WORD reserved = QxGetLE16(hdr);
    const WORD type = QxGetLE16(hdr + 2);
    const WORD count = QxGetLE16(hdr + 4);
    if (reserved != 0 || (type != 1 && type != 2) || count == 0)
        return false;
    // The directory must fit in the stream before it is read.
    if (static_cast<uint64_t>(count) * 16 > static_cast<uint64_t>(size - start - 6))
        return false;
    m_info.nNumFrames = count;
    std::vector<BYTE> dir(static_cast<size_t>(count) * 16);
    if (hFile->Read(dir.data(), 1, dir.size()) != dir.size())
        return false;
    if (m_info.nFrame < 0 || m_info.nFrame >= count)
        return false;
    const BYTE* entry = &dir[static_cast<size_t>(m_info.nFrame) * 16];
    const DWORD offset = QxGetLE32(entry + 12);
    if (static_cast<uint64_t>(offset) + 40 > static_cast<uint64_t>(size - start))
        return false;
    if (!hFile->Seek(start + static_cast<int32_t>(offset), 0))
        return false;
    BYTE raw[40];
    if (hFile->Read(raw, 1, 40) != 40)
        return false;
    BITMAPINFOHEADER bih;
    QxReadInfoHeader(raw, bih);
    if (bih.biSize < 40 || bih.biCompression != QX_BI_RGB)
        return false;
    const DWORD bitCount = bih.biBitCount;
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24 && bitCount != 32)
        return false;
    // A size byte of 0 stands for 256; the bitmap header tells the real size.
    DWORD width = entry[0] != 0 ? entry[0] : static_cast<DWORD>(bih.biWidth);
    DWORD height = entry[1] != 0 ? entry[1] : static_cast<DWORD>(bih.biHeight / 2);
    if (bih.biWidth > 0 && static_cast<DWORD>(bih.biWidth) != width)
        width = static_cast<DWORD>(bih.biWidth);
    if (bih.biHeight > 0 && static_cast<DWORD>(bih.biHeight) / 2 != height && bih.biHeight / 2 > 0)
        height = static_cast<DWORD>(bih.biHeight / 2);
    if (width == 0 || height == 0 || width > 4096 || height > 4096)
        return false;
    if (bih.biSize > 40 && !hFile->Seek(static_cast<int32_t>(bih.biSize - 40), 1))
        return false;

    const DWORD colors = bitCount <= 8 ? (1u << bitCount) : 0;
    const DWORD tableColors = bih.biClrUsed > 0 && bih.biClrUsed < colors ? bih.biClrUsed : colors;
    const uint64_t pixelBytes = bitCount > 24 ? static_cast<uint64_t>(width) * height * 4
                                              : ((static_cast<uint64_t>(width) * bitCount + 31) / 32) * 4 * height;
    const uint64_t needed = static_cast<uint64_t>(tableColors) * 4 + pixelBytes;
    if (needed > static_cast<uint64_t>(size - hFile->Tell()))
        return false;
    if (!DecodeSizeAllowed(width, height))
        return false;
    if (!IsSizeAllowed(width, height, bitCount) || Create(width, height, bitCount, kIco) == nullptr)
        return false;

    if (tableColors > 0) {
        std::vector<RGBQUAD> pal(tableColors);
        if (hFile->Read(pal.data(), 4, tableColors) != tableColors)
            return false;
        // The fourth byte of an icon's colour table is reserved, not alpha.
        for (auto& c : pal)
            c.rgbReserved = 0;
        SetPalette(pal.data(), tableColors);
        // A longer table than the depth can index: the rest is skipped.
        if (bih.biClrUsed > colors && bih.biClrUsed <= 65536 &&
            !hFile->Seek(static_cast<int32_t>((bih.biClrUsed - colors) * 4), 1))
            return false;
    }
    const bool hadAlpha = bitCount > 24;
    if (hadAlpha) {
        if (!AlphaCreate())
            return false;
        std::vector<BYTE> row(static_cast<size_t>(width) * 4);
        for (DWORD y = 0; y < height; ++y) {
            if (hFile->Read(row.data(), 1, row.size()) != row.size())
                return false;
            BYTE* dst = GetBits(y);
            BYTE* alpha = AlphaGetPointer(0, static_cast<LONG>(y));
            for (DWORD x = 0; x < width; ++x) {
                dst[3 * x] = row[4 * x];
                dst[3 * x + 1] = row[4 * x + 1];
                dst[3 * x + 2] = row[4 * x + 2];
                alpha[x] = row[4 * x + 3];
            }
        }
    } else {
        const size_t bytes = static_cast<size_t>(GetEffWidth()) * height;
        if (hFile->Read(GetBits(0), 1, bytes) != bytes)
            return false;
    }

    const DWORD maskRow = ((width + 31) / 32) * 4;
    std::vector<BYTE> mask(static_cast<size_t>(maskRow) * height);
    if (hFile->Read(mask.data(), 1, mask.size()) != mask.size())
        return true;
    ApplyMask(mask.data(), maskRow, hadAlpha);
    return true;
}

void CQxImageICO::ApplyMask(const BYTE* mask, DWORD maskRow, bool hadAlpha)
{
    const DWORD width = GetWidth();
    const DWORD height = GetHeight();
    bool allSet = true;
    for (DWORD y = 0; y < height && allSet; ++y)
        for (DWORD i = 0; i < maskRow; ++i)
            if (mask[y * maskRow + i] != 0xFF) {
                allSet = false;
                break;
            }
    if (allSet) {
        SetTransIndex(0);
        Negative();
        return;
    }
    if (!hadAlpha && !AlphaCreate())
        return;
    bool anyMasked = false;
    for (DWORD y = 0; y < height; ++y)
        for (DWORD x = 0; x < width; ++x)
            if (MaskBit(mask, maskRow, x, y)) {
                AlphaSet(static_cast<LONG>(x), static_cast<LONG>(y), 0);
                anyMasked = true;
            }
    if (!anyMasked && !hadAlpha) {
        AlphaDelete();
        return;
    }
    const DWORD bpp = GetBpp();
    if (hadAlpha || !anyMasked)
        return;
    if (bpp == 24) {
        bool first = true;
        bool same = true;
        RGBQUAD c0{};
        for (DWORD y = 0; y < height && same; ++y)
            for (DWORD x = 0; x < width; ++x) {
                if (!MaskBit(mask, maskRow, x, y))
                    continue;
                const RGBQUAD c = GetPixelColor(static_cast<LONG>(x), static_cast<LONG>(y), false);
                if (first) {
                    c0 = c;
                    first = false;
                } else if (std::memcmp(&c, &c0, sizeof(c)) != 0) {
                    same = false;
                    break;
                }
            }
        if (same) {
            SetTransColor(c0);
            m_info.nBkgndIndex = 0;
            AlphaDelete();
        }
        return;
    }
    // Palette images: masked pixels take the first index that no pixel uses.
    const DWORD colors = GetNumColors();
    std::vector<bool> used(colors, false);
    for (DWORD y = 0; y < height; ++y)
        for (DWORD x = 0; x < width; ++x)
            used[GetPixelIndex(static_cast<LONG>(x), static_cast<LONG>(y)) % colors] = true;
    DWORD unused = colors;
    for (DWORD i = 0; i < colors; ++i)
        if (!used[i]) {
            unused = i;
            break;
        }
    if (unused == colors)
        return;
    for (DWORD y = 0; y < height; ++y)
        for (DWORD x = 0; x < width; ++x)
            if (MaskBit(mask, maskRow, x, y))
                SetPixelIndex(static_cast<LONG>(x), static_cast<LONG>(y), static_cast<BYTE>(unused));
    SetTransIndex(static_cast<LONG>(unused));
    AlphaDelete();
}

bool CQxImageICO::Encode(CQxFile* hFile)
{
    if (EncodeSafeCheck(hFile))
        return false;
    const DWORD width = GetWidth();
    const DWORD height = GetHeight();
    if (width > 255 || height > 255)
        return Fail("Can't save this image as icon");
    const DWORD colors = GetNumColors();
    if (GetBpp() <= 8 && colors == 0)
        return false;
    const bool alpha32 = AlphaIsValid() && colors == 0;
    const DWORD bitCount = alpha32 ? 32 : GetBpp();
    const DWORD pixelSize = alpha32 ? width * height * 4 : GetEffWidth() * height;
    const DWORD maskRow = ((width + 31) / 32) * 4;
    const DWORD maskSize = maskRow * height;

    BYTE head[6 + 16 + 40] = {};
    QxPutLE16(head + 2, 1);
    QxPutLE16(head + 4, 1);
    BYTE* e = head + 6;
    e[0] = static_cast<BYTE>(width);
    e[1] = static_cast<BYTE>(height);
    e[2] = static_cast<BYTE>(colors >= 256 ? 0 : colors);
    QxPutLE16(e + 6, static_cast<WORD>(bitCount));
    QxPutLE32(e + 8, 40 + colors * 4 + pixelSize + maskSize);
    QxPutLE32(e + 12, 22);
    BITMAPINFOHEADER bih{};
    bih.biSize = 40;
    bih.biWidth = static_cast<LONG>(width);
    bih.biHeight = static_cast<LONG>(height * 2);
    bih.biPlanes = 1;
    bih.biBitCount = static_cast<WORD>(bitCount);
    bih.biSizeImage = pixelSize;
    QxWriteInfoHeader(head + 22, bih);
    bool ok = hFile->Write(head, 1, sizeof(head)) == sizeof(head);
    if (ok && colors > 0)
        ok = hFile->Write(GetPalette(), 4, colors) == colors;
    if (ok && alpha32) {
        std::vector<BYTE> row(static_cast<size_t>(width) * 4);
        for (DWORD y = 0; ok && y < height; ++y) {
            const BYTE* src = GetBits(y);
            for (DWORD x = 0; x < width; ++x) {
                row[4 * x] = src[3 * x];
                row[4 * x + 1] = src[3 * x + 1];
                row[4 * x + 2] = src[3 * x + 2];
                row[4 * x + 3] = AlphaGet(static_cast<LONG>(x), static_cast<LONG>(y));
            }
            ok = hFile->Write(row.data(), 1, row.size()) == row.size();
        }
    } else if (ok) {
        ok = hFile->Write(GetBits(0), 1, pixelSize) == pixelSize;
    }
    std::vector<BYTE> mask(maskSize, 0);
    const bool paletteAlpha = AlphaPaletteIsValid();
    const bool transparent = GetTransIndex() >= 0;
    const RGBQUAD trans = GetTransColor();
    for (DWORD y = 0; y < height; ++y)
        for (DWORD x = 0; x < width; ++x) {
            const LONG lx = static_cast<LONG>(x);
            const LONG ly = static_cast<LONG>(y);
            bool masked = AlphaIsValid() && AlphaGet(lx, ly) == 0;
            if (!masked && paletteAlpha)
                masked = GetPixelColor(lx, ly, true).rgbReserved == 0;
            if (!masked && transparent) {
                // A palette image marks its transparent index, not every entry
                // that happens to hold the same colour.
                if (colors > 0) {
                    masked = GetPixelIndex(lx, ly) == GetTransIndex();
                } else {
                    const RGBQUAD c = GetPixelColor(lx, ly, false);
                    masked = c.rgbBlue == trans.rgbBlue && c.rgbGreen == trans.rgbGreen && c.rgbRed == trans.rgbRed;
                }
            }
            if (masked)
                mask[y * maskRow + (x >> 3)] |= static_cast<BYTE>(0x80 >> (x & 7));
        }
    if (ok)
        ok = hFile->Write(mask.data(), 1, maskSize) == maskSize && hFile->Flush();
    if (!ok)
        return Fail("Write Error in ICO file");
    return true;
}
