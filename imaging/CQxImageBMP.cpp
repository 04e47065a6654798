// BMP codec: reads 1, 4, 8, 16, 24 and 32-bit bitmaps (RLE4, RLE8, bit fields,
// top-down, core and extended headers) and writes the image at its own depth.
#include "imaging/CQxImageBMP.h"

#include "imaging/CQxIOFile.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace {
const char kNotBmp[] = "Not a BMP";
const char kBadInfo[] = "Error reading BMP info";
const char kDimensions[] = "output dimensions returned";
const char kNoMemory[] = "Can't allocate memory";
const char kCancelled[] = "Cancelled";
const char kUnknownCompression[] = "unknown compression";
const char kNoMemoryPixels[] = "can't allocate memory";
const char kCompressionNotSupported[] = "compression type not supported";
const char kWriteError[] = "Error writing BMP file";
const char kShortPixels[] = "BMP pixel data shorter than the image";

// Most pixels a run-length stream may declare per byte it holds.
constexpr uint64_t kMaxRunPixelsPerByte = 2048;

constexpr DWORD kCoreHeaderSize = 12;
constexpr DWORD kInfoHeaderSize = 40;
constexpr DWORD kOs2HeaderSize = 64;

// Header sizes of the later Windows versions: the first 40 bytes are the
// classic header; version 2 and later carry the bit-field masks at offset 40.
bool IsWindowsHeaderVersion(DWORD size)
{
    return size == 52 || size == 56 || size == 108 || size == 124;
}

uint64_t PaddedRow(uint64_t width, uint64_t bpp)
{
    return ((width * bpp + 31) / 32) * 4;
}

// Moves the stream forward by n bytes without passing its end.
void SkipForward(CQxFile* hFile, uint64_t n)
{
    const int64_t pos = hFile->Tell();
    const int64_t size = hFile->Size();
    int64_t target = pos + static_cast<int64_t>(std::min<uint64_t>(n, INT32_MAX));
    if (size >= 0 && target > size)
        target = size;
    if (target > INT32_MAX)
        target = INT32_MAX;
    hFile->Seek(static_cast<int32_t>(target), SEEK_SET);
}

// Reads the info header in any accepted form; masks are filled when the
// header itself carries them (versions 2 and later).
bool ReadHeader(CQxFile* hFile, BITMAPINFOHEADER& bmih, DWORD masks[3], bool& bHeaderMasks)
{
    bHeaderMasks = false;
    BYTE raw[kInfoHeaderSize];
    std::memset(raw, 0, sizeof(raw));
    if (hFile == nullptr || hFile->Read(raw, 4, 1) != 1)
        return false;
    const DWORD size = QxGetLE32(raw);
    // The header must fit in what the stream holds.
    const int64_t streamSize = hFile->Size();
    if (streamSize >= 0 && static_cast<int64_t>(size) - 4 > streamSize - hFile->Tell())
        return false;
    if (size == kCoreHeaderSize) {
        if (hFile->Read(raw + 4, 8, 1) != 1)
            return false;
        std::memset(&bmih, 0, sizeof(bmih));
        bmih.biSize = kCoreHeaderSize;
        bmih.biWidth = QxGetLE16(raw + 4);
        bmih.biHeight = QxGetLE16(raw + 6);
        bmih.biPlanes = QxGetLE16(raw + 8);
        bmih.biBitCount = QxGetLE16(raw + 10);
    } else {
        if (size < kInfoHeaderSize)
            return false;
        if (hFile->Read(raw + 4, kInfoHeaderSize - 4, 1) != 1)
            return false;
        QxReadInfoHeader(raw, bmih);
        if (size == kOs2HeaderSize) {
            SkipForward(hFile, kOs2HeaderSize - kInfoHeaderSize);
        } else if (IsWindowsHeaderVersion(size)) {
            BYTE extra[12];
            if (hFile->Read(extra, sizeof(extra), 1) != 1)
                return false;
            masks[0] = QxGetLE32(extra);
            masks[1] = QxGetLE32(extra + 4);
            masks[2] = QxGetLE32(extra + 8);
            bHeaderMasks = true;
            SkipForward(hFile, size - kInfoHeaderSize - sizeof(extra));
        } else if (size > kInfoHeaderSize) {
            // Image size must equal the padded rows of a bottom-up bitmap.
            if (bmih.biWidth < 0 || bmih.biHeight < 0)
                return false;
            const unsigned __int128 expect =
                static_cast<unsigned __int128>(PaddedRow(static_cast<uint64_t>(bmih.biWidth), bmih.biBitCount)) *
                static_cast<uint64_t>(bmih.biHeight);
            if (expect != bmih.biSizeImage || bmih.biPlanes != 1 || bmih.biCompression != QX_BI_RGB ||
                bmih.biClrUsed != 0)
                return false;
            SkipForward(hFile, size - kInfoHeaderSize);
        }
    }
    if (bmih.biSizeImage == 0 && bmih.biWidth > 0) {
        const uint64_t rowBytes = ((static_cast<uint64_t>(bmih.biWidth) * bmih.biBitCount + 31) / 8) & ~uint64_t{3};
        const unsigned __int128 total = static_cast<unsigned __int128>(rowBytes) *
                                        static_cast<uint64_t>(std::llabs(static_cast<int64_t>(bmih.biHeight)));
        bmih.biSizeImage = total > UINT32_MAX ? UINT32_MAX : static_cast<DWORD>(total);
    }
    if (bmih.biClrUsed == 0 && bmih.biBitCount <= 8)
        bmih.biClrUsed = 1u << bmih.biBitCount;
    return true;
}
}  // namespace

CQxImageBMP::CQxImageBMP() : CQxImage(QXIMAGE_FORMAT_BMP) {}

CQxImageBMP::~CQxImageBMP() = default;

bool CQxImageBMP::ReadInfoHeader(CQxFile* hFile, BITMAPINFOHEADER& pbmih)
{
    DWORD masks[3] = {0, 0, 0};
    bool bHeaderMasks = false;
    return ReadHeader(hFile, pbmih, masks, bHeaderMasks);
}

bool CQxImageBMP::Decode(FILE* hFile)
{
    CQxIOFile file(hFile);
    return Decode(&file);
}

bool CQxImageBMP::Encode(FILE* hFile)
{
    CQxIOFile file(hFile);
    return Encode(&file);
}

bool CQxImageBMP::Decode(CQxFile* hFile)
{
    if (hFile == nullptr)
        return false;
    auto fail = [&](const char* text) {
        SetLastErrorText(text);
        return false;
    };

    const int32_t off = hFile->Tell();
    BITMAPFILEHEADER bf;
    BYTE rawFile[14];
    if (hFile->Read(rawFile, sizeof(rawFile), 1) != 1)
        return fail(kNotBmp);
    QxReadFileHeader(rawFile, bf);
    if (bf.bfType != QX_BFT_BITMAP) {
        // A bare info header without the file header.
        bf.bfOffBits = 0;
        hFile->Seek(off, SEEK_SET);
    }

    BITMAPINFOHEADER bmpHeader;
    DWORD masks[3] = {0, 0, 0};
    bool bHeaderMasks = false;
    if (!ReadHeader(hFile, bmpHeader, masks, bHeaderMasks))
        return fail(kBadInfo);

    const bool bIsOldBmp = bmpHeader.biSize == kCoreHeaderSize;
    bool bTopDownDib = false;
    if (bmpHeader.biHeight < 0) {
        if (bmpHeader.biHeight == INT32_MIN)
            return fail(kBadInfo);
        bTopDownDib = true;
        bmpHeader.biHeight = -bmpHeader.biHeight;
    }
    if (bmpHeader.biWidth <= 0 || bmpHeader.biHeight == 0)
        return fail(kBadInfo);

    // Where the pixels start and how many bytes the stream has from there.
    const DWORD entrySize = bIsOldBmp ? 3 : 4;
    uint64_t tableBytes = 0;
    if (bmpHeader.biBitCount <= 8) {
        const uint64_t nColors = bmpHeader.biClrUsed != 0 ? bmpHeader.biClrUsed : (1u << bmpHeader.biBitCount);
        tableBytes = nColors * entrySize;
    }
    const bool separateMasks = bmpHeader.biBitCount == 16 && bmpHeader.biCompression == QX_BI_BITFIELDS && !bHeaderMasks;
    const bool runLength = bmpHeader.biBitCount <= 8 &&
                           (bmpHeader.biCompression == QX_BI_RLE8 || bmpHeader.biCompression == QX_BI_RLE4);
    const int64_t streamSize = hFile->Size();
    const int64_t dataStart = bf.bfOffBits != 0
                                  ? static_cast<int64_t>(off) + bf.bfOffBits
                                  : hFile->Tell() + static_cast<int64_t>(tableBytes) + (separateMasks ? 12 : 0);
    const uint64_t available =
        streamSize >= 0 ? static_cast<uint64_t>(std::max<int64_t>(0, streamSize - dataStart)) : UINT64_MAX;
    const uint64_t rowBytes = PaddedRow(static_cast<uint64_t>(bmpHeader.biWidth), bmpHeader.biBitCount);
    const uint64_t height = static_cast<uint64_t>(bmpHeader.biHeight);

    if (bf.bfType != QX_BFT_BITMAP) {
        // Without the file header nothing marks the stream as a bitmap: it is
        // taken as one only when it holds the colour table and the rows the
        // header announces, so that other formats are not claimed by mistake.
        const unsigned __int128 need = runLength ? 2 : static_cast<unsigned __int128>(rowBytes) * height;
        if (need > available)
            return fail(kBadInfo);
    }

    if (m_info.nEscape == -1) {
        // Dimensions only: the header was read, the pixels are not wanted.
        m_head.biWidth = bmpHeader.biWidth;
        m_head.biHeight = bmpHeader.biHeight;
        SetLastErrorText(kDimensions);
        return true;
    }

    // Compressions that cannot be read fail before anything is allocated.
    switch (bmpHeader.biBitCount) {
    case 32:
        if (bmpHeader.biCompression != QX_BI_RGB && bmpHeader.biCompression != QX_BI_BITFIELDS)
            return fail(kUnknownCompression);
        break;
    case 24:
        if (bmpHeader.biCompression != QX_BI_RGB)
            return fail(kUnknownCompression);
        break;
    case 8:
    case 4:
    case 1:
        if (bmpHeader.biCompression != QX_BI_RGB && !runLength)
            return fail(kCompressionNotSupported);
        break;
    default: break;
    }

    // Memory follows the input: the pixels must be able to come from the stream.
    if (!DecodeSizeAllowed(static_cast<uint64_t>(bmpHeader.biWidth), height))
        return false;
    if (runLength) {
        // A run of two bytes covers at most 255 pixels; end-of-line and delta
        // commands skip more, hence the generous ratio.
        const unsigned __int128 pixels = static_cast<unsigned __int128>(bmpHeader.biWidth) * height;
        if (available != UINT64_MAX &&
            pixels > static_cast<unsigned __int128>(available) * kMaxRunPixelsPerByte + 65536)
            return fail(kShortPixels);
    } else {
        // Every row must be there; only the padding of the last one may be missing.
        const uint64_t lastRow = (static_cast<uint64_t>(bmpHeader.biWidth) * bmpHeader.biBitCount + 7) / 8;
        const unsigned __int128 need = static_cast<unsigned __int128>(rowBytes) * (height - 1) + lastRow;
        if (need > available)
            return fail(kShortPixels);
    }

    if (Create(static_cast<DWORD>(bmpHeader.biWidth), static_cast<DWORD>(bmpHeader.biHeight),
               bmpHeader.biBitCount, QXIMAGE_FORMAT_BMP) == nullptr)
        return fail(kNoMemory);

    SetXDPI(static_cast<LONG>(std::floor(bmpHeader.biXPelsPerMeter * 0.0254 + 0.5)));
    SetYDPI(static_cast<LONG>(std::floor(bmpHeader.biYPelsPerMeter * 0.0254 + 0.5)));
    m_head.biXPelsPerMeter = bmpHeader.biXPelsPerMeter;
    m_head.biYPelsPerMeter = bmpHeader.biYPelsPerMeter;

    if (m_info.nEscape != 0)
        return fail(kCancelled);

    RGBQUAD* pRgb = GetPalette();
    if (pRgb != nullptr) {
        DWORD nColors = bmpHeader.biClrUsed;
        if (nColors == 0 && bmpHeader.biBitCount <= 8)
            nColors = 1u << bmpHeader.biBitCount;
        const DWORD nStore = std::min(nColors, GetNumColors());
        std::vector<BYTE> table(static_cast<size_t>(nStore) * entrySize);
        const size_t got = table.empty() ? 0 : hFile->Read(table.data(), 1, table.size());
        std::memset(pRgb, 0, GetPaletteSize());
        const DWORD nRead = static_cast<DWORD>(got / entrySize);
        for (DWORD i = 0; i < nRead; ++i) {
            pRgb[i].rgbBlue = table[i * entrySize];
            pRgb[i].rgbGreen = table[i * entrySize + 1];
            pRgb[i].rgbRed = table[i * entrySize + 2];
            pRgb[i].rgbReserved = 0;
        }
        if (nColors > nStore && bf.bfOffBits == 0)
            SkipForward(hFile, static_cast<uint64_t>(nColors - nStore) * entrySize);
        if (m_info.nEscape != 0)
            return fail(kCancelled);
    }

    // Bit-field masks of 16-bit files stand right behind a classic header.
    DWORD bfmask[3] = {0x7C00, 0x03E0, 0x001F};
    if (bmpHeader.biBitCount == 16 && bmpHeader.biCompression == QX_BI_BITFIELDS) {
        if (bHeaderMasks) {
            std::memcpy(bfmask, masks, sizeof(bfmask));
        } else {
            BYTE rawMasks[12];
            if (hFile->Read(rawMasks, sizeof(rawMasks), 1) == 1) {
                bfmask[0] = QxGetLE32(rawMasks);
                bfmask[1] = QxGetLE32(rawMasks + 4);
                bfmask[2] = QxGetLE32(rawMasks + 8);
            }
        }
    }

    bool bPixels = true;
    if (bf.bfOffBits != 0) {
        const int64_t target = static_cast<int64_t>(off) + bf.bfOffBits;
        const int32_t size = hFile->Size();
        if (target > INT32_MAX || (size >= 0 && target > size))
            bPixels = false;  // no pixel data: the image stays as created
        else
            hFile->Seek(static_cast<int32_t>(target), SEEK_SET);
    }

    BYTE* pBits = GetBits();
    const size_t imageSize = m_head.biSizeImage;
    switch (bmpHeader.biBitCount) {
    case 32: {
        if (!bPixels)
            break;
        std::vector<BYTE> buff32;
        try {
            buff32.assign(static_cast<size_t>(GetWidth()) * GetHeight() * 4, 0);
        } catch (...) {
            return fail(kNoMemoryPixels);
        }
        hFile->Read(buff32.data(), 1, buff32.size());
        Bitfield2RGB(buff32.data(), 0, 0, 0, 32);
        break;
    }
    case 24:
        if (bPixels)
            hFile->Read(pBits, 1, imageSize);
        break;
    case 16:
        if (bPixels) {
            const size_t srcSize = static_cast<size_t>((GetWidth() + 1) / 2) * 4 * GetHeight();
            hFile->Read(pBits, 1, std::min(srcSize, imageSize));
        }
        Bitfield2RGB(pBits, bfmask[0], bfmask[1], bfmask[2], 16);
        break;
    case 8:
    case 4:
    case 1:
        switch (bmpHeader.biCompression) {
        case QX_BI_RGB:
            if (bPixels)
                hFile->Read(pBits, 1, imageSize);
            break;
        case QX_BI_RLE8:
            if (bPixels)
                DecodeRLE8(hFile);
            break;
        case QX_BI_RLE4:
            if (bPixels)
                DecodeRLE4(hFile);
            break;
        default: break;  // refused above
        }
        break;
    default: break;
    }

    if (bTopDownDib)
        FlipRows();
    return true;
}

bool CQxImageBMP::DecodeRLE8(CQxFile* hFile)
{
    BYTE* pBits = GetBits();
    const size_t eff = GetEffWidth();
    const size_t height = GetHeight();
    size_t row = 0;
    size_t col = 0;
    auto put = [&](BYTE v) {
        if (row < height && col < eff)
            pBits[row * eff + col] = v;
        ++col;
    };
    for (;;) {
        if (row >= height)
            return true;  // nothing more can land in the image
        const int32_t count = hFile->GetC();
        if (count < 0)
            return true;
        if (count > 0) {
            const int32_t value = hFile->GetC();
            if (value < 0)
                return true;
            // A run past the end of the padded row is cut there.
            for (int32_t i = 0; i < count; ++i)
                put(static_cast<BYTE>(value));
            continue;
        }
        const int32_t cmd = hFile->GetC();
        if (cmd < 0)
            return true;
        switch (cmd) {
        case 0:
            col = 0;
            ++row;
            break;
        case 1: return true;
        case 2: {
            const int32_t dx = hFile->GetC();
            const int32_t dy = hFile->GetC();
            if (dx < 0 || dy < 0)
                return true;
            col += static_cast<size_t>(dx);
            row += static_cast<size_t>(dy);
            break;
        }
        default: {
            for (int32_t i = 0; i < cmd; ++i) {
                const int32_t v = hFile->GetC();
                if (v < 0)
                    return true;
                put(static_cast<BYTE>(v));
            }
            if (cmd & 1)
                hFile->GetC();
            break;
        }
        }
    }
}

bool CQxImageBMP::DecodeRLE4(CQxFile* hFile)
{
    BYTE* pBits = GetBits();
    const size_t eff = GetEffWidth();
    const size_t height = GetHeight();
    size_t row = 0;
    size_t col = 0;
    bool lowNibble = false;
    auto put = [&](BYTE v) {
        if (row < height && col < eff) {
            BYTE& b = pBits[row * eff + col];
            if (lowNibble)
                b = static_cast<BYTE>((b & 0xF0) | (v & 0x0F));
            else
                b = static_cast<BYTE>((v & 0x0F) << 4);
        }
        if (lowNibble)
            ++col;
        lowNibble = !lowNibble;
    };
    for (;;) {
        if (row >= height)
            return true;
        const int32_t count = hFile->GetC();
        if (count < 0)
            return true;
        if (count > 0) {
            const int32_t value = hFile->GetC();
            if (value < 0)
                return true;
            for (int32_t i = 0; i < count; ++i)
                put(static_cast<BYTE>(lowNibble ? (value & 0x0F) : (value >> 4)));
            continue;
        }
        const int32_t cmd = hFile->GetC();
        if (cmd < 0)
            return true;
        switch (cmd) {
        case 0:
            col = 0;
            lowNibble = false;
            ++row;
            break;
        case 1: return true;
        case 2: {
            const int32_t dx = hFile->GetC();
            const int32_t dy = hFile->GetC();
            if (dx < 0 || dy < 0)
                return true;
            col += static_cast<size_t>(dx) / 2;
            row += static_cast<size_t>(dy);
            break;
        }
        default: {
            int32_t b = hFile->GetC();
            if (b < 0)
                return true;
            for (int32_t i = 0; i < cmd; ++i) {
                const bool toLow = lowNibble;
                put(static_cast<BYTE>(toLow ? (b & 0x0F) : (b >> 4)));
                if (toLow && i + 1 < cmd) {
                    b = hFile->GetC();
                    if (b < 0)
                        return true;
                }
            }
            if (((cmd + 1) / 2) & 1)
                hFile->GetC();
            break;
        }
        }
    }
}

void CQxImageBMP::FlipRows()
{
    const size_t eff = GetEffWidth();
    const DWORD height = GetHeight();
    std::vector<BYTE> tmp(eff);
    for (DWORD y = 0; y < height / 2; ++y) {
        BYTE* a = GetBits(y);
        BYTE* b = GetBits(height - 1 - y);
        std::memcpy(tmp.data(), a, eff);
        std::memcpy(a, b, eff);
        std::memcpy(b, tmp.data(), eff);
    }
}

bool CQxImageBMP::Encode(CQxFile* hFile)
{
    if (EncodeSafeCheck(hFile))
        return false;

    const size_t bodySize = static_cast<size_t>(GetPaletteSize()) + m_head.biSizeImage;
    BITMAPFILEHEADER hdr;
    hdr.bfType = QX_BFT_BITMAP;
    hdr.bfSize = static_cast<DWORD>(14 + sizeof(BITMAPINFOHEADER) + bodySize);
    hdr.bfReserved1 = 0;
    hdr.bfReserved2 = 0;
    hdr.bfOffBits = static_cast<DWORD>(14 + sizeof(BITMAPINFOHEADER) + GetPaletteSize());

    // The header is written from the image's current fields; the shared bitmap
    // block is not touched, so a ghost encode leaves its owner unchanged.
    BITMAPINFOHEADER head = m_head;
    head.biSize = sizeof(BITMAPINFOHEADER);
    head.biCompression = QX_BI_RGB;
    BYTE raw[14 + sizeof(BITMAPINFOHEADER)];
    QxWriteFileHeader(raw, hdr);
    QxWriteInfoHeader(raw + 14, head);

    const BYTE* body = static_cast<const BYTE*>(GetDIB()) + sizeof(BITMAPINFOHEADER);
    if (hFile->Write(raw, sizeof(raw), 1) != 1 || hFile->Write(body, bodySize, 1) != 1) {
        SetLastErrorText(kWriteError);
        return false;
    }
    return true;
}
