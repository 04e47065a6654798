// Image object: lifetime, creation, copying, hand-over and plain accessors.
#include "imaging/CQxImage.h"

#include "imaging/CQxIOFile.h"
#include "imaging/CQxMemFile.h"

#include <algorithm>
#include <atomic>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
constexpr DWORD kHeaderSize = sizeof(BITMAPINFOHEADER);

std::atomic<uint64_t> g_decodePixelBudget{QXIMAGE_DEFAULT_DECODE_PIXELS};

// Pixels per metre for a resolution in dots per inch, limited to the header's range.
LONG PelsPerMeter(LONG dpi)
{
    const double v = std::floor(dpi * 39.37007874015748 + 0.5);
    return v >= static_cast<double>(INT32_MAX) ? INT32_MAX : static_cast<LONG>(v);
}

uint64_t EffWidthFor(uint64_t width, uint64_t bpp)
{
    return ((width * bpp + 31) / 32) * 4;
}

// Number of set bits and position of the lowest one.
void MaskShape(DWORD mask, int& low, int& count)
{
    low = 0;
    count = 0;
    if (mask == 0)
        return;
    while ((mask & 1u) == 0) {
        mask >>= 1;
        ++low;
    }
    while (mask != 0) {
        count += static_cast<int>(mask & 1u);
        mask >>= 1;
    }
}

// Scales the masked field of a pixel to 8 bits, whatever the mask.
BYTE MaskedChannel(DWORD value, DWORD mask, int low, int count)
{
    if (count == 0)
        return 0;
    DWORD v = (value & mask) >> low;
    if (count < 8)
        v <<= (8 - count);
    else if (count > 8)
        v >>= (count - 8);
    return static_cast<BYTE>(v);
}
// Creates the image for CreateFromArray and CreateFromMatrix: 1, 4, 8, 24 or 32 bits,
// a grey palette below 24 bits, an alpha layer for 32 bits.
bool CreateForRows(CQxImage& image, DWORD width, DWORD height, DWORD bpp)
{
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24 && bpp != 32)
        return false;
    if (image.Create(width, height, bpp, 0) == nullptr)
        return false;
    if (bpp < 24)
        image.SetGrayPalette();
    if (bpp == 32)
        image.AlphaCreate();
    return true;
}

// Copies one caller row into image row `row`; a 32-bit row gives its fourth bytes to
// the alpha layer.
void CopyRowFrom(CQxImage& image, DWORD row, const BYTE* src, DWORD width, DWORD bpp, DWORD bytesPerLine)
{
    BYTE* dst = image.GetBits(row);
    if (bpp == 32) {
        for (DWORD x = 0; x < width; ++x) {
            dst[3 * x] = src[4 * x];
            dst[3 * x + 1] = src[4 * x + 1];
            dst[3 * x + 2] = src[4 * x + 2];
            image.AlphaSet(static_cast<LONG>(x), static_cast<LONG>(row), src[4 * x + 3]);
        }
    } else {
        std::memcpy(dst, src, std::min(image.GetEffWidth(), bytesPerLine));
    }
}

}  // namespace

CQxImage::CQxImage(DWORD imagetype)
{
    Startup(imagetype);
}

CQxImage::CQxImage(DWORD dwWidth, DWORD dwHeight, DWORD wBpp, DWORD imagetype)
{
    Startup(imagetype);
    Create(dwWidth, dwHeight, wBpp, imagetype);
}

CQxImage::CQxImage(const CQxImage& src, bool copypixels, bool copyselection, bool copyalpha)
{
    Startup(src.GetType());
    Copy(src, copypixels, copyselection, copyalpha);
}

CQxImage::CQxImage(const CQxImage& src)
{
    Startup(src.GetType());
    Copy(src, true, true, true);
}

CQxImage::CQxImage(const char* filename, DWORD imagetype)
{
    Startup(imagetype);
    Load(filename, imagetype);
}

CQxImage::CQxImage(FILE* stream, DWORD imagetype)
{
    Startup(imagetype);
    Decode(stream, imagetype);
}

CQxImage::CQxImage(CQxFile* stream, DWORD imagetype)
{
    Startup(imagetype);
    Decode(stream, imagetype);
}

CQxImage::CQxImage(BYTE* buffer, DWORD size, DWORD imagetype)
{
    Startup(imagetype);
    CQxMemFile stream(buffer, size);
    Decode(&stream, imagetype);
}

CQxImage::~CQxImage()
{
    Destroy();
}

CQxImage& CQxImage::operator=(const CQxImage& src)
{
    if (this != &src)
        Copy(src, true, true, true);
    return *this;
}

void CQxImage::Startup(DWORD imagetype)
{
    m_pDib = nullptr;
    m_pSelection = nullptr;
    m_pAlpha = nullptr;
    m_ppLayers = nullptr;
    std::memset(&m_head, 0, sizeof(m_head));
    std::memset(&m_info, 0, sizeof(m_info));
    m_info.dwType = imagetype;
    m_info.nQuality = 90;
    m_info.nAlphaMax = 255;
    m_info.nBkgndIndex = -1;
    m_info.bEnabled = true;
    SetXDPI(96);
    SetYDPI(96);
}

bool CQxImage::Destroy()
{
    if (m_info.pGhost != nullptr)
        return false;
    if (m_ppLayers != nullptr) {
        for (int32_t n = 0; n < m_info.nNumLayers; ++n)
            delete m_ppLayers[n];
        delete[] m_ppLayers;
        m_ppLayers = nullptr;
        m_info.nNumLayers = 0;
    }
    std::free(m_pSelection);
    m_pSelection = nullptr;
    std::free(m_pAlpha);
    m_pAlpha = nullptr;
    std::free(m_pDib);
    m_pDib = nullptr;
    m_info.pImage = nullptr;
    return true;
}

bool CQxImage::IsSizeAllowed(uint64_t width, uint64_t height, uint64_t bpp)
{
    if (width == 0 || height == 0 || bpp == 0)
        return false;
    if (width > static_cast<uint64_t>(INT32_MAX) || height > static_cast<uint64_t>(INT32_MAX) || bpp > 64)
        return false;
    const uint64_t pixels = width * height;  // < 2^62
    if (pixels > UINT64_MAX / bpp)
        return false;
    if (((pixels * bpp) >> 8) > static_cast<uint64_t>(QXIMAGE_MAX_MEMORY))
        return false;
    // Whole block (header, largest palette, rows) must fit a signed 32-bit size.
    const uint64_t eff = EffWidthFor(width, bpp);
    if (eff > static_cast<uint64_t>(INT32_MAX) / height)
        return false;
    return eff * height + kHeaderSize + 256 * sizeof(RGBQUAD) <= static_cast<uint64_t>(INT32_MAX);
}

void CQxImage::SetDecodePixelBudget(uint64_t pixels)
{
    g_decodePixelBudget.store(pixels != 0 ? pixels : QXIMAGE_DEFAULT_DECODE_PIXELS, std::memory_order_relaxed);
}

uint64_t CQxImage::GetDecodePixelBudget()
{
    return g_decodePixelBudget.load(std::memory_order_relaxed);
}

bool CQxImage::DecodeSizeAllowed(uint64_t width, uint64_t height)
{
    const uint64_t budget = GetDecodePixelBudget();
    // Sides are at most 32 bits wide, so the product cannot wrap.
    if (width <= UINT32_MAX && height <= UINT32_MAX && width * height <= budget)
        return true;
    char text[160];
    std::snprintf(text, sizeof(text), "Image of %" PRIu64 " x %" PRIu64 " pixels exceeds the pixel budget of %" PRIu64,
                  width, height, budget);
    SetLastErrorText(text);
    return false;
}

void* CQxImage::Create(DWORD dwWidth, DWORD dwHeight, DWORD wBpp, DWORD imagetype)
{
    if (!Destroy())
        return nullptr;
    if (dwWidth == 0 || dwHeight == 0) {
        SetLastErrorText("CQxImage::Create : width and height must be greater than zero");
        return nullptr;
    }
    if (wBpp <= 1)
        wBpp = 1;
    else if (wBpp <= 4)
        wBpp = 4;
    else if (wBpp <= 8)
        wBpp = 8;
    else
        wBpp = 24;

    if (!IsSizeAllowed(dwWidth, dwHeight, wBpp)) {
        SetLastErrorText("QXIMAGE_MAX_MEMORY exceeded");
        return nullptr;
    }

    switch (wBpp) {
    case 1: m_head.biClrUsed = 2; break;
    case 4: m_head.biClrUsed = 16; break;
    case 8: m_head.biClrUsed = 256; break;
    default: m_head.biClrUsed = 0; break;
    }
    m_info.dwType = imagetype;
    m_info.dwEffWidth = static_cast<DWORD>(EffWidthFor(dwWidth, wBpp));
    m_head.biSize = kHeaderSize;
    m_head.biWidth = static_cast<LONG>(dwWidth);
    m_head.biHeight = static_cast<LONG>(dwHeight);
    m_head.biPlanes = 1;
    m_head.biBitCount = static_cast<WORD>(wBpp);
    m_head.biCompression = QX_BI_RGB;
    m_head.biSizeImage = m_info.dwEffWidth * dwHeight;
    m_head.biClrImportant = 0;

    // Zero-filled: header, palette and rows start defined.
    m_pDib = std::calloc(GetSize(), 1);
    if (m_pDib == nullptr) {
        SetLastErrorText("CQxImage::Create can't allocate memory");
        return nullptr;
    }
    QxWriteInfoHeader(static_cast<BYTE*>(m_pDib), m_head);
    m_info.pImage = static_cast<BYTE*>(m_pDib) + kHeaderSize + GetPaletteSize();
    return m_pDib;
}

void CQxImage::Copy(const CQxImage& src, bool copypixels, bool copyselection, bool copyalpha)
{
    // Copying onto itself changes nothing; a ghost never replaces shared buffers.
    if (this == &src || IsGhost())
        return;
    std::memcpy(&m_info, &src.m_info, sizeof(m_info));
    m_info.pGhost = nullptr;  // a copy owns what it holds
    m_info.pImage = nullptr;
    m_info.nNumLayers = 0;    // layers are not copied
    m_info.last_c_isvalid = false;
    if (!src.IsValid()) {
        Destroy();
        std::memset(&m_head, 0, sizeof(m_head));
        m_info.dwEffWidth = 0;
        return;
    }
    if (Create(src.GetWidth(), src.GetHeight(), src.GetBpp(), src.GetType()) == nullptr)
        return;
    if (copypixels && src.m_pDib != nullptr) {
        std::memcpy(m_pDib, src.m_pDib, GetSize());
        m_head = src.m_head;
    } else {
        SetPalette(src.GetPalette(), 256);
    }
    // Resolution and other header fields follow the source.
    m_head.biXPelsPerMeter = src.m_head.biXPelsPerMeter;
    m_head.biYPelsPerMeter = src.m_head.biYPelsPerMeter;
    m_head.biClrImportant = src.m_head.biClrImportant;
    const size_t nSize = static_cast<size_t>(GetWidth()) * GetHeight();
    if (copyselection && src.m_pSelection != nullptr) {
        BYTE* p = static_cast<BYTE*>(std::malloc(nSize));
        if (p != nullptr) {
            std::memcpy(p, src.m_pSelection, nSize);
            std::free(m_pSelection);
            m_pSelection = p;
        }
    }
    if (copyalpha && src.m_pAlpha != nullptr) {
        BYTE* p = static_cast<BYTE*>(std::malloc(nSize));
        if (p != nullptr) {
            std::memcpy(p, src.m_pAlpha, nSize);
            std::free(m_pAlpha);
            m_pAlpha = p;
        }
    }
}

void CQxImage::CopyInfo(const CQxImage& src)
{
    if (m_pDib != nullptr || this == &src)
        return;
    std::memcpy(&m_info, &src.m_info, sizeof(m_info));
    m_info.pGhost = nullptr;
    m_info.pImage = nullptr;
    m_info.nNumLayers = 0;
}

bool CQxImage::Transfer(CQxImage& from)
{
    if (this == &from)
        return true;
    if (!Destroy())
        return false;
    // A ghost's info keeps its owner, so an image that takes a ghost's buffers
    // becomes a ghost too and never frees them.
    m_head = from.m_head;
    std::memcpy(&m_info, &from.m_info, sizeof(m_info));
    m_pDib = from.m_pDib;
    m_pSelection = from.m_pSelection;
    m_pAlpha = from.m_pAlpha;
    m_ppLayers = from.m_ppLayers;

    std::memset(&from.m_head, 0, sizeof(from.m_head));
    std::memset(&from.m_info, 0, sizeof(from.m_info));
    from.m_pDib = nullptr;
    from.m_pSelection = nullptr;
    from.m_pAlpha = nullptr;
    from.m_ppLayers = nullptr;
    return true;
}

void CQxImage::Ghost(const CQxImage* from)
{
    if (from == nullptr || from == this)
        return;
    Destroy();
    m_head = from->m_head;
    std::memcpy(&m_info, &from->m_info, sizeof(m_info));
    m_pDib = from->m_pDib;
    m_pSelection = from->m_pSelection;
    m_pAlpha = from->m_pAlpha;
    m_ppLayers = from->m_ppLayers;
    m_info.pGhost = const_cast<CQxImage*>(from);
}

void CQxImage::FreeMemory(void* memblock)
{
    std::free(memblock);
}

BYTE* CQxImage::GetBits(DWORD row)
{
    if (m_pDib == nullptr)
        return nullptr;
    if (row == 0)
        return static_cast<BYTE*>(m_pDib) + kHeaderSize + GetPaletteSize();
    if (row < GetHeight())
        return m_info.pImage + static_cast<size_t>(row) * m_info.dwEffWidth;
    return nullptr;
}

DWORD CQxImage::GetSize() const
{
    return m_head.biSize + m_head.biSizeImage + GetPaletteSize();
}

bool CQxImage::IsInside(LONG x, LONG y) const
{
    return 0 <= y && y < m_head.biHeight && 0 <= x && x < m_head.biWidth;
}

void CQxImage::Clear(BYTE bval)
{
    if (m_pDib == nullptr)
        return;
    if (GetBpp() == 1 && bval > 0)
        bval = 255;
    if (GetBpp() == 4)
        bval = static_cast<BYTE>(17 * (0x0F & bval));
    std::memset(m_info.pImage, bval, m_head.biSizeImage);
}

BYTE CQxImage::GetColorType() const
{
    if (AlphaIsValid())
        return 4;
    return GetBpp() > 8 ? 2 : 1;
}

bool CQxImage::SetTransIndex(LONG idx)
{
    if (idx < -1)
        return false;
    if (idx >= 0 && IsIndexed() && static_cast<DWORD>(idx) >= GetNumColors())
        return false;
    m_info.nBkgndIndex = idx;
    return true;
}

RGBQUAD CQxImage::GetTransColor()
{
    if (m_head.biBitCount < 24 && m_info.nBkgndIndex != -1) {
        if (m_info.nBkgndIndex >= 0 && static_cast<DWORD>(m_info.nBkgndIndex) < GetNumColors())
            return GetPaletteColor(static_cast<BYTE>(m_info.nBkgndIndex));
        return RGBQUAD{0, 0, 0, 0};
    }
    return m_info.nBkgndColor;
}

void CQxImage::SetTransColor(RGBQUAD rgb)
{
    rgb.rgbReserved = 0;
    m_info.nBkgndColor = rgb;
}

void CQxImage::SetXDPI(LONG dpi)
{
    if (dpi <= 0)
        dpi = 96;
    m_info.xDPI = dpi;
    m_head.biXPelsPerMeter = PelsPerMeter(dpi);
}

void CQxImage::SetYDPI(LONG dpi)
{
    if (dpi <= 0)
        dpi = 96;
    m_info.yDPI = dpi;
    m_head.biYPelsPerMeter = PelsPerMeter(dpi);
}

void CQxImage::SetFlags(DWORD flags, bool bLockReservedFlags)
{
    if (bLockReservedFlags)
        m_info.dwFlags = flags & 0x0000FFFFu;
    else
        m_info.dwFlags = flags;
}

DWORD CQxImage::GetCodecOption(DWORD imagetype) const
{
    if (imagetype >= QXIMAGE_MAX_FORMATS)
        return 0;
    if (imagetype == 0)
        imagetype = GetType();
    if (imagetype >= QXIMAGE_MAX_FORMATS)
        return 0;
    return m_info.dwCodecOpt[imagetype];
}

bool CQxImage::SetCodecOption(DWORD opt, DWORD imagetype)
{
    if (imagetype >= QXIMAGE_MAX_FORMATS)
        return false;
    if (imagetype == 0)
        imagetype = GetType();
    if (imagetype >= QXIMAGE_MAX_FORMATS)
        return false;
    m_info.dwCodecOpt[imagetype] = opt;
    return true;
}

void CQxImage::GetOffset(LONG* x, LONG* y) const
{
    if (x != nullptr)
        *x = m_info.xOffset;
    if (y != nullptr)
        *y = m_info.yOffset;
}

void CQxImage::SetOffset(LONG x, LONG y)
{
    m_info.xOffset = x;
    m_info.yOffset = y;
}

const char* CQxImage::GetVersion()
{
    return "CQxImage 5.99c";
}

float CQxImage::GetVersionNumber()
{
    return 5.99003f;
}

void CQxImage::SetLastErrorText(const char* text)
{
    if (text == nullptr)
        text = "";
    std::strncpy(m_info.szLastError, text, sizeof(m_info.szLastError) - 1);
    m_info.szLastError[sizeof(m_info.szLastError) - 1] = '\0';
}

int CQxImage::CompareColors(const void* elem1, const void* elem2)
{
    const RGBQUAD* c1 = static_cast<const RGBQUAD*>(elem1);
    const RGBQUAD* c2 = static_cast<const RGBQUAD*>(elem2);
    const int g1 = (c1->rgbRed * 306 + c1->rgbGreen * 601 + c1->rgbBlue * 117) >> 10;
    const int g2 = (c2->rgbRed * 306 + c2->rgbGreen * 601 + c2->rgbBlue * 117) >> 10;
    return g1 - g2;
}

bool CQxImage::CreateFromArray(const BYTE* pArray, DWORD dwWidth, DWORD dwHeight, DWORD dwBitsperpixel,
                               DWORD dwBytesperline, bool bFlipImage)
{
    if (pArray == nullptr)
        return false;
    if (!CreateForRows(*this, dwWidth, dwHeight, dwBitsperpixel))
        return false;

    for (DWORD y = 0; y < dwHeight; ++y) {
        const DWORD row = bFlipImage ? (dwHeight - 1 - y) : y;
        const BYTE* src = pArray + static_cast<size_t>(y) * dwBytesperline;
        CopyRowFrom(*this, row, src, dwWidth, dwBitsperpixel, dwBytesperline);
    }
    return true;
}

bool CQxImage::CreateFromMatrix(BYTE** ppMatrix, DWORD dwWidth, DWORD dwHeight, DWORD dwBitsperpixel,
                                DWORD dwBytesperline, bool bFlipImage)
{
    if (ppMatrix == nullptr)
        return false;
    if (!CreateForRows(*this, dwWidth, dwHeight, dwBitsperpixel))
        return false;

    for (DWORD y = 0; y < dwHeight; ++y) {
        const DWORD row = bFlipImage ? (dwHeight - 1 - y) : y;
        const BYTE* src = ppMatrix[y];
        if (src == nullptr)
            continue;
        CopyRowFrom(*this, row, src, dwWidth, dwBitsperpixel, dwBytesperline);
    }
    return true;
}

void CQxImage::Bitfield2RGB(BYTE* src, DWORD redmask, DWORD greenmask, DWORD bluemask, BYTE bpp)
{
    if (src == nullptr || m_pDib == nullptr || GetBpp() != 24)
        return;
    const LONG width = m_head.biWidth;
    const LONG height = m_head.biHeight;
    BYTE* dst = m_info.pImage;
    switch (bpp) {
    case 16: {
        int rl, rn, gl, gn, bl, bn;
        MaskShape(redmask & 0xFFFFu, rl, rn);
        MaskShape(greenmask & 0xFFFFu, gl, gn);
        MaskShape(bluemask & 0xFFFFu, bl, bn);
        const size_t srcStride = static_cast<size_t>((width + 1) / 2) * 4;
        // Backwards, so that the conversion may run in place.
        for (LONG y = height - 1; y >= 0; --y) {
            const size_t ys = srcStride * static_cast<size_t>(y);
            const size_t yd = static_cast<size_t>(m_info.dwEffWidth) * static_cast<size_t>(y);
            for (LONG x = width - 1; x >= 0; --x) {
                const DWORD w = QxGetLE16(src + ys + 2 * static_cast<size_t>(x));
                BYTE* p = dst + yd + 3 * static_cast<size_t>(x);
                p[0] = MaskedChannel(w, bluemask & 0xFFFFu, bl, bn);
                p[1] = MaskedChannel(w, greenmask & 0xFFFFu, gl, gn);
                p[2] = MaskedChannel(w, redmask & 0xFFFFu, rl, rn);
            }
        }
        break;
    }
    case 32: {
        const size_t srcStride = static_cast<size_t>(width) * 4;
        for (LONG y = height - 1; y >= 0; --y) {
            const size_t ys = srcStride * static_cast<size_t>(y);
            const size_t yd = static_cast<size_t>(m_info.dwEffWidth) * static_cast<size_t>(y);
            for (LONG x = width - 1; x >= 0; --x) {
                const BYTE* s = src + ys + 4 * static_cast<size_t>(x);
                BYTE* p = dst + yd + 3 * static_cast<size_t>(x);
                p[0] = s[0];
                p[1] = s[1];
                p[2] = s[2];
            }
        }
        break;
    }
    default: break;
    }
}
