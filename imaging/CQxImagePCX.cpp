#include "imaging/CQxImagePCX.h"

#include "imaging/CQxMemFile.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr DWORD kPcx = QXIMAGE_FORMAT_PCX;

// A run byte holds at most 63 values, so the data cannot expand beyond this
// many bytes per stream byte.
constexpr uint64_t kMaxRunRatio = 32;

// Run-length decoder over the stream; a run may continue into the next line.
class RunReader {
public:
    explicit RunReader(CQxFile* file) : m_file(file) {}

    // Fills `count` bytes; false when the stream ends first.
    bool Read(BYTE* out, size_t count)
    {
        size_t i = 0;
        while (i < count) {
            if (m_left > 0) {
                const size_t n = std::min<size_t>(m_left, count - i);
                std::memset(out + i, m_value, n);
                i += n;
                m_left -= static_cast<int>(n);
                continue;
            }
            const int c = m_file->GetC();
            if (c < 0)
                return false;
            if ((c & 0xC0) == 0xC0) {
                const int v = m_file->GetC();
                if (v < 0)
                    return false;
                m_left = c & 0x3F;
                m_value = static_cast<BYTE>(v);
            } else {
                out[i++] = static_cast<BYTE>(c);
            }
        }
        return true;
    }

    int Pending() const { return m_left; }

private:
    CQxFile* m_file;
    int m_left = 0;
    BYTE m_value = 0;
};

}  // namespace

CQxImagePCX::CQxImagePCX() : CQxImage(kPcx) {}

CQxImagePCX::~CQxImagePCX() = default;

bool CQxImagePCX::Fail(const char* text)
{
    SetLastErrorText(text);
    return false;
}

bool CQxImagePCX::UnpackPlaneLine(const BYTE* line, int nplanes, int bitsPerPixel, DWORD bytesPerLine,
                                  BYTE* values)
{
    if (nplanes != 1)
        return false;
    switch (bitsPerPixel) {
    case 8:
        std::memcpy(values, line, bytesPerLine);
        return true;
    case 4:
        for (DWORD i = 0; i < bytesPerLine; ++i) {
            values[2 * i] = static_cast<BYTE>(line[i] >> 4);
            values[2 * i + 1] = static_cast<BYTE>(line[i] & 15);
        }
        return true;
    case 2:
        for (DWORD i = 0; i < bytesPerLine; ++i)
            for (int k = 0; k < 4; ++k)
                values[4 * i + k] = static_cast<BYTE>((line[i] >> (6 - 2 * k)) & 3);
        return true;
    case 1:
        for (DWORD i = 0; i < bytesPerLine; ++i)
            for (int k = 0; k < 8; ++k)
                values[8 * i + k] = static_cast<BYTE>((line[i] >> (7 - k)) & 1);
        return true;
    default:
        return false;
    }
}

bool CQxImagePCX::PlanesToIndices(const BYTE* planes, int nplanes, int bitsPerPixel, DWORD bytesPerLine,
                                  BYTE* indices)
{
    if (nplanes > 4 || bitsPerPixel != 1)
        return false;
    std::memset(indices, 0, static_cast<size_t>(bytesPerLine) * 8);
    for (int p = 0; p < nplanes; ++p) {
        const BYTE* plane = planes + static_cast<size_t>(p) * bytesPerLine;
        for (DWORD i = 0; i < bytesPerLine; ++i)
            for (int b = 0; b < 8; ++b)
                if (plane[i] & (0x80 >> b))
                    indices[8 * i + b] |= static_cast<BYTE>(1 << p);
    }
    return true;
}

void CQxImagePCX::PackRunValue(int p, int& c, int& n, std::vector<BYTE>& out)
{
    if (p != c && n != 0) {
        if (n == 1 && c < 0xC0) {
            out.push_back(static_cast<BYTE>(c));
        } else {
            out.push_back(static_cast<BYTE>(0xC0 | n));
            out.push_back(static_cast<BYTE>(c));
        }
        n = 0;
    }
    if (n == 63) {
        out.push_back(0xFF);
        out.push_back(static_cast<BYTE>(c));
        n = 0;
    }
    if (p == -2)
        out.push_back(0);
    c = p;
    ++n;
}

void CQxImagePCX::PackPlaneLine(const BYTE* line, DWORD length, std::vector<BYTE>& out)
{
    DWORD i = 0;
    while (i < length) {
        const BYTE v = line[i];
        DWORD run = 1;
        while (i + run < length && run < 63 && line[i + run] == v)
            ++run;
        if (run > 1 || (v & 0xC0) == 0xC0)
            out.push_back(static_cast<BYTE>(0xC0 | run));
        out.push_back(v);
        i += run;
    }
}

void CQxImagePCX::IndicesToPlane(const BYTE* indices, DWORD width, int plane, BYTE* out, DWORD bytesPerLine)
{
    std::memset(out, 0, bytesPerLine);
    for (DWORD x = 0; x < width && x / 8 < bytesPerLine; ++x)
        if (indices[x] & (1 << plane))
            out[x / 8] |= static_cast<BYTE>(0x80 >> (x & 7));
}

bool CQxImagePCX::Decode(CQxFile* hFile)
{
    if (hFile == nullptr)
        return false;
    BYTE h[128];
    if (hFile->Read(h, 1, 128) != 128)
        return Fail("Can't read PCX image");
    if (h[0] != 10)
        return Fail("Error: Not a PCX file");
    if (h[2] != 1)
        return Fail("PCX file has unknown encoding scheme");
    const int bitsPerPixel = h[3];
    const int xmin = QxGetLE16(h + 4);
    const int ymin = QxGetLE16(h + 6);
    const int xmax = QxGetLE16(h + 8);
    const int ymax = QxGetLE16(h + 10);
    const int planes = h[65];
    const DWORD bytesPerLine = QxGetLE16(h + 66);
    if (xmax < xmin || ymax < ymin)
        return Fail("bad PCX header");
    const DWORD width = static_cast<DWORD>(xmax - xmin + 1);
    const DWORD height = static_cast<DWORD>(ymax - ymin + 1);
    if (planes > 4)
        return Fail("Can't handle image with more than 4 planes");
    const bool planar1 = bitsPerPixel == 1 && planes >= 1;
    const bool packed = planes == 1 && (bitsPerPixel == 1 || bitsPerPixel == 2 || bitsPerPixel == 4 || bitsPerPixel == 8);
    const bool rgb = bitsPerPixel == 8 && (planes == 3 || planes == 4);
    if (!(planar1 || packed || rgb))
        return Fail("PCX: unsupported combination of planes and bits per pixel");
    if (static_cast<uint64_t>(bytesPerLine) * 8 < static_cast<uint64_t>(width) * bitsPerPixel)
        return Fail("PCX: bytes per line too small for the width");
    const uint64_t dataBytes = static_cast<uint64_t>(planes) * bytesPerLine * height;
    const int32_t size = hFile->Size();
    const int32_t pos = hFile->Tell();
    if (size < 0 || pos < 0 || dataBytes > static_cast<uint64_t>(size - pos) * kMaxRunRatio + 64)
        return Fail("corrupted PCX");

    DWORD bpp;
    if (rgb)
        bpp = 24;
    else if (bitsPerPixel == 1 && planes > 1)
        bpp = 4;
    else
        bpp = static_cast<DWORD>(bitsPerPixel);
    if (!DecodeSizeAllowed(width, height))
        return false;
    if (!IsSizeAllowed(width, height, bpp) || Create(width, height, bpp, kPcx) == nullptr)
        return false;
    SetXDPI(QxGetLE16(h + 12));
    SetYDPI(QxGetLE16(h + 14));
    if (planes == 4 && rgb && !AlphaCreate())
        return Fail("Can't allocate memory");
    if (GetEscape())
        return Fail("Cancelled");

    // Palette from the header; 1-bit single-plane pictures are black and white.
    RGBQUAD pal[256] = {};
    for (int i = 0; i < 16; ++i) {
        pal[i].rgbRed = h[16 + 3 * i];
        pal[i].rgbGreen = h[16 + 3 * i + 1];
        pal[i].rgbBlue = h[16 + 3 * i + 2];
    }
    if (bitsPerPixel == 1 && planes == 1) {
        pal[0] = RGBQUAD{0, 0, 0, 0};
        pal[1] = RGBQUAD{255, 255, 255, 0};
    }

    const size_t lineBytes = static_cast<size_t>(planes) * bytesPerLine;
    std::vector<BYTE> line(lineBytes);
    std::vector<BYTE> values(static_cast<size_t>(bytesPerLine) * 8 + width);
    RunReader reader(hFile);
    for (DWORD y = 0; y < height; ++y) {
        if (GetEscape())
            return Fail("Cancelled");
        if (!reader.Read(line.data(), lineBytes))
            return Fail("corrupted PCX");
        const LONG row = static_cast<LONG>(height - 1 - y);
        BYTE* dst = GetBits(static_cast<DWORD>(row));
        if (rgb) {
            const BYTE* r = line.data();
            const BYTE* g = r + bytesPerLine;
            const BYTE* b = g + bytesPerLine;
            for (DWORD x = 0; x < width; ++x) {
                dst[3 * x] = b[x];
                dst[3 * x + 1] = g[x];
                dst[3 * x + 2] = r[x];
            }
            if (planes == 4) {
                BYTE* a = AlphaGetPointer(0, row);
                std::memcpy(a, b + bytesPerLine, width);
            }
        } else {
            if (planes == 1)
                UnpackPlaneLine(line.data(), 1, bitsPerPixel, bytesPerLine, values.data());
            else
                PlanesToIndices(line.data(), planes, 1, bytesPerLine, values.data());
            for (DWORD x = 0; x < width; ++x)
                SetPixelIndex(static_cast<LONG>(x), row, values[x]);
        }
    }
    if (reader.Pending() > 0)
        return Fail("repeat count spans end of image");

    if (bitsPerPixel == 8 && planes == 1) {
        BYTE map[769];
        if (hFile->Read(map, 1, 769) != 769 || map[0] != 0x0C)
            return Fail("bad color map signature");
        for (int i = 0; i < 256; ++i) {
            pal[i].rgbRed = map[1 + 3 * i];
            pal[i].rgbGreen = map[2 + 3 * i];
            pal[i].rgbBlue = map[3 + 3 * i];
        }
    }
    if (GetNumColors() > 0)
        SetPalette(pal, GetNumColors());
    return true;
}

bool CQxImagePCX::Encode(CQxFile* hFile)
{
    if (EncodeSafeCheck(hFile))
        return false;
    const DWORD width = GetWidth();
    const DWORD height = GetHeight();
    if (width > 0xFFFF || height > 0xFFFF)
        return Fail("Image too large for PCX");
    const DWORD bpp = GetBpp();
    const bool palette = GetNumColors() > 0;
    BYTE h[128] = {};
    h[0] = 10;
    h[1] = 5;
    h[2] = 1;
    QxPutLE16(h + 8, static_cast<WORD>(width - 1));
    QxPutLE16(h + 10, static_cast<WORD>(height - 1));
    QxPutLE16(h + 12, static_cast<WORD>(GetXDPI()));
    QxPutLE16(h + 14, static_cast<WORD>(GetYDPI()));
    QxPutLE16(h + 68, palette ? 0 : 1);
    int planes;
    DWORD bytesPerLine;
    if (bpp == 8 || bpp == 24) {
        h[3] = 8;
        planes = palette ? 1 : (AlphaIsValid() ? 4 : 3);
        bytesPerLine = width;
    } else {
        h[3] = 1;
        planes = GetNumColors() == 16 ? 4 : 1;
        bytesPerLine = (width + 7) / 8;
    }
    bytesPerLine += bytesPerLine & 1;
    h[65] = static_cast<BYTE>(planes);
    QxPutLE16(h + 66, static_cast<WORD>(bytesPerLine));
    const RGBQUAD* pal = GetPalette();
    bool invert = false;
    if (h[3] == 1 && planes == 1) {
        h[16] = h[17] = h[18] = 0;
        h[19] = h[20] = h[21] = 255;
        invert = CompareColors(&pal[0], &pal[1]) > 0;
    } else if (h[3] == 1) {
        for (int i = 0; i < 16; ++i) {
            h[16 + 3 * i] = pal[i].rgbRed;
            h[17 + 3 * i] = pal[i].rgbGreen;
            h[18 + 3 * i] = pal[i].rgbBlue;
        }
    }

    CQxMemFile mem;
    if (!mem.Open())
        return Fail("cannot write PCX header");
    if (mem.Write(h, 1, 128) != 128)
        return Fail("cannot write PCX header");

    std::vector<BYTE> plane(bytesPerLine);
    std::vector<BYTE> indices(static_cast<size_t>(width) + 8);
    std::vector<BYTE> packed;
    packed.reserve(static_cast<size_t>(bytesPerLine) * 2 * planes + 16);
    bool ok = true;
    for (DWORD y = height; ok && y-- > 0;) {
        packed.clear();
        const BYTE* src = GetBits(y);
        const int flush = (width & 1) ? -2 : -1;
        if (!palette) {
            const BYTE* a = planes == 4 ? AlphaGetPointer(0, static_cast<LONG>(y)) : nullptr;
            for (int p = 0; p < planes; ++p) {
                int c = 0;
                int n = 0;
                for (DWORD x = 0; x < width; ++x)
                    PackRunValue(p == 3 ? a[x] : src[3 * x + (2 - p)], c, n, packed);
                PackRunValue(flush, c, n, packed);
            }
        } else if (bpp == 8) {
            int c = 0;
            int n = 0;
            for (DWORD x = 0; x < width; ++x)
                PackRunValue(src[x], c, n, packed);
            PackRunValue(flush, c, n, packed);
        } else {
            for (DWORD x = 0; x < width; ++x) {
                BYTE v = bpp == 4 ? static_cast<BYTE>((src[x >> 1] >> ((x & 1) ? 0 : 4)) & 15)
                                  : static_cast<BYTE>((src[x >> 3] >> (7 - (x & 7))) & 1);
                if (invert)
                    v ^= 1;
                indices[x] = v;
            }
            for (int p = 0; p < planes; ++p) {
                IndicesToPlane(indices.data(), width, p, plane.data(), bytesPerLine);
                PackPlaneLine(plane.data(), bytesPerLine, packed);
            }
        }
        ok = mem.Write(packed.data(), 1, packed.size()) == packed.size();
    }
    if (ok && palette && bpp == 8) {
        BYTE map[769];
        map[0] = 0x0C;
        for (int i = 0; i < 256; ++i) {
            map[1 + 3 * i] = pal[i].rgbRed;
            map[2 + 3 * i] = pal[i].rgbGreen;
            map[3 + 3 * i] = pal[i].rgbBlue;
        }
        ok = mem.Write(map, 1, sizeof(map)) == sizeof(map);
    }
    if (ok) {
        const size_t n = static_cast<size_t>(mem.Size());
        ok = hFile->Write(mem.GetBuffer(false), 1, n) == n && hFile->Flush();
    }
    if (!ok)
        return Fail("Write Error in PCX file");
    return true;
}
