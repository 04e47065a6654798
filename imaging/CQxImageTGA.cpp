#include "imaging/CQxImageTGA.h"

#include <algorithm>
#include <vector>

namespace {

constexpr DWORD kTga = QXIMAGE_FORMAT_TGA;

// One stored pixel to blue, green, red (and alpha for 32 bits).
void ConvertPixel(const BYTE* src, int depth, BYTE* bgr, BYTE* alpha)
{
    switch (depth) {
    case 8:
        bgr[0] = src[0];
        break;
    case 15:
    case 16: {
        const unsigned v = QxGetLE16(src);
        bgr[0] = static_cast<BYTE>((v & 0x1F) << 3);
        bgr[1] = static_cast<BYTE>((v >> 2) & 0xF8);
        bgr[2] = static_cast<BYTE>((v >> 7) & 0xF8);
        break;
    }
    case 24:
        bgr[0] = src[0];
        bgr[1] = src[1];
        bgr[2] = src[2];
        break;
    default:
        bgr[0] = src[0];
        bgr[1] = src[1];
        bgr[2] = src[2];
        if (alpha != nullptr)
            *alpha = src[3];
        break;
    }
}

int StoredBytes(int depth)
{
    return (depth + 7) / 8;
}

}  // namespace

CQxImageTGA::CQxImageTGA() : CQxImage(kTga) {}

CQxImageTGA::~CQxImageTGA() = default;

bool CQxImageTGA::Fail(const char* text)
{
    SetLastErrorText(text);
    return false;
}

bool CQxImageTGA::ReadRawLine(CQxFile* hFile, const Header& h, BYTE* bgr, BYTE* alpha, DWORD count)
{
    const int bytes = StoredBytes(h.pixelDepth);
    std::vector<BYTE> raw(static_cast<size_t>(count) * bytes);
    const size_t got = hFile->Read(raw.data(), 1, raw.size());
    const int step = h.pixelDepth == 8 ? 1 : 3;
    for (DWORD i = 0; i < count && (i + 1) * static_cast<size_t>(bytes) <= got; ++i)
        ConvertPixel(&raw[i * bytes], h.pixelDepth, bgr + i * step, alpha != nullptr ? alpha + i : nullptr);
    return got == raw.size();
}

bool CQxImageTGA::ReadRleLine(CQxFile* hFile, const Header& h, BYTE* bgr, BYTE* alpha, DWORD count,
                              RleState& state)
{
    const int bytes = StoredBytes(h.pixelDepth);
    const int step = h.pixelDepth == 8 ? 1 : 3;
    DWORD x = 0;
    while (x < count) {
        if (state.remaining == 0) {
            const int packet = hFile->GetC();
            if (packet < 0)
                return false;
            state.run = packet >= 128;
            state.remaining = (packet & 0x7F) + 1;
            if (state.run && hFile->Read(state.value, 1, static_cast<size_t>(bytes)) != static_cast<size_t>(bytes))
                return false;
        }
        const DWORD n = std::min<DWORD>(static_cast<DWORD>(state.remaining), count - x);
        if (state.run) {
            for (DWORD i = 0; i < n; ++i)
                ConvertPixel(state.value, h.pixelDepth, bgr + (x + i) * step,
                             alpha != nullptr ? alpha + x + i : nullptr);
        } else if (!ReadRawLine(hFile, h, bgr + x * step, alpha != nullptr ? alpha + x : nullptr, n)) {
            return false;
        }
        x += n;
        state.remaining -= static_cast<int>(n);
    }
    return true;
}

bool CQxImageTGA::Decode(CQxFile* hFile)
{
    if (hFile == nullptr)
        return false;
    BYTE raw[18];
    if (hFile->Read(raw, 1, 18) != 18)
        return Fail("Not a TGA");
    Header h{};
    h.idLength = raw[0];
    h.colorMapType = raw[1];
    h.imageType = raw[2];
    h.colorMapFirst = QxGetLE16(raw + 3);
    h.colorMapLength = QxGetLE16(raw + 5);
    h.colorMapEntrySize = raw[7];
    h.xOrigin = QxGetLE16(raw + 8);
    h.yOrigin = QxGetLE16(raw + 10);
    h.width = QxGetLE16(raw + 12);
    h.height = QxGetLE16(raw + 14);
    h.pixelDepth = raw[16];
    h.descriptor = raw[17];

    const bool rle = h.imageType >= 9;
    const int baseType = rle ? h.imageType - 8 : h.imageType;
    if (baseType < 1 || baseType > 3)
        return Fail("Unknown TGA image type");
    if (h.width == 0 || h.height == 0 || h.pixelDepth == 0 || h.colorMapLength > 256)
        return Fail("bad TGA header");
    if (h.pixelDepth != 8 && h.pixelDepth != 15 && h.pixelDepth != 16 && h.pixelDepth != 24 && h.pixelDepth != 32)
        return Fail("bad TGA header");
    // There is no signature: the header must describe a file that can exist.
    const int mapEntryBytes = (h.colorMapEntrySize + 7) / 8;
    if (h.colorMapType > 1 || (baseType == 1 && (h.colorMapType != 1 || h.pixelDepth != 8)) ||
        (baseType == 3 && h.pixelDepth != 8) || (baseType == 2 && h.pixelDepth == 8) ||
        (h.colorMapType == 1 && (mapEntryBytes < 2 || mapEntryBytes > 4 || h.colorMapFirst + h.colorMapLength > 256)))
        return Fail("bad TGA header");
    const int pixelBytes = StoredBytes(h.pixelDepth);
    const uint64_t pixels = static_cast<uint64_t>(h.width) * h.height;
    const uint64_t mapBytes = h.colorMapType == 1 ? static_cast<uint64_t>(h.colorMapLength) * mapEntryBytes : 0;
    // Raw data must be all there; a run-length packet covers at most 128 pixels.
    const uint64_t minData = rle ? (pixels + 127) / 128 * (1 + pixelBytes) : pixels * pixelBytes;
    const int32_t size = hFile->Size();
    const int32_t pos = hFile->Tell();
    if (size < 0 || pos < 0 || static_cast<uint64_t>(size - pos) < h.idLength + mapBytes + minData)
        return Fail("corrupted TGA");

    if (!hFile->Seek(h.idLength, 1))
        return Fail("corrupted TGA");
    if (!DecodeSizeAllowed(h.width, h.height))
        return false;
    if (!IsSizeAllowed(h.width, h.height, h.pixelDepth == 8 ? 8 : 24) ||
        Create(h.width, h.height, h.pixelDepth, kTga) == nullptr)
        return Fail("TGA Create failed");
    const bool hasAlpha = h.pixelDepth == 32;
    if (hasAlpha && !AlphaCreate())
        return Fail("TGA Create failed");
    if (GetEscape())
        return Fail("Cancelled");

    if (h.colorMapType == 1) {
        std::vector<BYTE> map(static_cast<size_t>(mapBytes));
        if (hFile->Read(map.data(), 1, map.size()) != map.size())
            return Fail("corrupted TGA");
        for (int i = 0; i < h.colorMapLength; ++i) {
            BYTE bgr[3] = {};
            const BYTE* e = &map[static_cast<size_t>(i) * mapEntryBytes];
            ConvertPixel(e, mapEntryBytes == 2 ? 16 : mapEntryBytes * 8, bgr, nullptr);
            SetPaletteColor(static_cast<BYTE>(h.colorMapFirst + i), bgr[2], bgr[1], bgr[0]);
        }
    }
    if (baseType == 3)
        SetGrayPalette();

    const bool topDown = (h.descriptor & 0x20) != 0;
    const bool rightToLeft = (h.descriptor & 0x10) != 0;
    const int step = h.pixelDepth == 8 ? 1 : 3;
    std::vector<BYTE> line(static_cast<size_t>(h.width) * step);
    std::vector<BYTE> alphaLine(hasAlpha ? h.width : 0);
    RleState state;
    for (DWORD y = 0; y < h.height; ++y) {
        if (GetEscape())
            return Fail("Cancelled");
        if (hFile->Eof())
            return Fail("corrupted TGA");
        std::fill(line.begin(), line.end(), 0);
        std::fill(alphaLine.begin(), alphaLine.end(), 255);
        BYTE* a = hasAlpha ? alphaLine.data() : nullptr;
        if (rle)
            ReadRleLine(hFile, h, line.data(), a, h.width, state);
        else
            ReadRawLine(hFile, h, line.data(), a, h.width);
        const DWORD row = topDown ? h.height - 1 - y : y;
        BYTE* dst = GetBits(row);
        BYTE* alphaRow = hasAlpha ? AlphaGetPointer(0, static_cast<LONG>(row)) : nullptr;
        for (DWORD x = 0; x < h.width; ++x) {
            const DWORD tx = rightToLeft ? h.width - 1 - x : x;
            for (int k = 0; k < step; ++k)
                dst[tx * step + k] = line[x * step + k];
            if (alphaRow != nullptr)
                alphaRow[tx] = alphaLine[x];
        }
    }
    return true;
}

bool CQxImageTGA::Encode(CQxFile* hFile)
{
    if (EncodeSafeCheck(hFile))
        return false;
    const DWORD bpp = GetBpp();
    if (bpp < 8)
        return Fail("Bit depth must be 8 or 24");
    if (GetWidth() > 0xFFFF || GetHeight() > 0xFFFF)
        return Fail("Image too large for TGA");
    const bool alpha = bpp == 24 && AlphaIsValid();
    const bool palette = GetNumColors() > 0;
    BYTE h[18] = {};
    h[1] = palette ? 1 : 0;
    h[2] = bpp == 8 ? 1 : 2;
    QxPutLE16(h + 5, bpp == 8 ? 256 : 0);
    h[7] = bpp == 8 ? 24 : 0;
    QxPutLE16(h + 12, static_cast<WORD>(GetWidth()));
    QxPutLE16(h + 14, static_cast<WORD>(GetHeight()));
    h[16] = static_cast<BYTE>(alpha ? 32 : bpp);
    bool ok = hFile->Write(h, 1, 18) == 18;
    if (ok && bpp == 8) {
        BYTE map[256 * 3];
        const RGBQUAD* pal = GetPalette();
        for (int i = 0; i < 256; ++i) {
            map[3 * i] = pal[i].rgbBlue;
            map[3 * i + 1] = pal[i].rgbGreen;
            map[3 * i + 2] = pal[i].rgbRed;
        }
        ok = hFile->Write(map, 1, sizeof(map)) == sizeof(map);
    }
    const DWORD width = GetWidth();
    const DWORD alphaMax = AlphaGetMax();
    std::vector<BYTE> row(static_cast<size_t>(width) * 4);
    for (DWORD y = 0; ok && y < GetHeight(); ++y) {
        const BYTE* src = GetBits(y);
        size_t n;
        if (alpha) {
            const BYTE* a = AlphaGetPointer(0, static_cast<LONG>(y));
            for (DWORD x = 0; x < width; ++x) {
                row[4 * x] = src[3 * x];
                row[4 * x + 1] = src[3 * x + 1];
                row[4 * x + 2] = src[3 * x + 2];
                row[4 * x + 3] = static_cast<BYTE>(a[x] * alphaMax / 255);
            }
            n = static_cast<size_t>(width) * 4;
        } else {
            n = static_cast<size_t>(width) * (bpp / 8);
            std::copy(src, src + n, row.begin());
        }
        ok = hFile->Write(row.data(), 1, n) == n;
    }
    if (ok)
        ok = hFile->Flush();
    if (!ok)
        return Fail("Write Error in TGA file");
    return true;
}
