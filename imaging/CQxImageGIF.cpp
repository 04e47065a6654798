#include "imaging/CQxImageGIF.h"

#include "imaging/CQxIOFile.h"
#include "imaging/CQxImageGIFCompressor.h"
#include "imaging/CQxImageGIFLzwReader.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr DWORD kGif = QXIMAGE_FORMAT_GIF;

// The most pixels LZW data of this many bytes can stand for: codes are at
// least 3 bits wide, and the k-th code after a clear stands for at most k
// pixels (at most 4096).
uint64_t MaxLzwPixels(uint64_t bytes)
{
    const uint64_t codes = bytes * 8 / 3;
    if (codes <= 4096)
        return codes * (codes + 1) / 2;
    return 4096ull * 4097 / 2 + (codes - 4096) * 4096;
}

bool PutWord(CQxFile* f, unsigned v)
{
    BYTE b[2];
    QxPutLE16(b, static_cast<WORD>(v));
    return f->Write(b, 1, 2) == 2;
}

bool PutBytes(CQxFile* f, const void* p, size_t n)
{
    return n == 0 || f->Write(p, 1, n) == n;
}

int DepthForColors(int n)
{
    return n <= 2 ? 1 : (n <= 16 ? 4 : 8);
}

BYTE RowIndex(const BYTE* row, DWORD x, DWORD bpp)
{
    switch (bpp) {
    case 8:
        return row[x];
    case 4:
        return static_cast<BYTE>((row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15);
    default:
        return static_cast<BYTE>((row[x >> 3] >> (7 - (x & 7))) & 1);
    }
}

void PutRowIndex(BYTE* row, DWORD x, DWORD bpp, BYTE idx)
{
    switch (bpp) {
    case 8:
        row[x] = idx;
        break;
    case 4: {
        BYTE& b = row[x >> 1];
        b = (x & 1) ? static_cast<BYTE>((b & 0xF0) | (idx & 0x0F)) : static_cast<BYTE>((b & 0x0F) | (idx << 4));
        break;
    }
    default: {
        const BYTE mask = static_cast<BYTE>(0x80 >> (x & 7));
        row[x >> 3] = (idx & 1) ? static_cast<BYTE>(row[x >> 3] | mask) : static_cast<BYTE>(row[x >> 3] & ~mask);
        break;
    }
    }
}

// Palette indexes of an image, top row first.
std::vector<BYTE> TopDownIndices(CQxImage& img)
{
    const DWORD w = img.GetWidth();
    const DWORD h = img.GetHeight();
    const DWORD bpp = img.GetBpp();
    std::vector<BYTE> out(static_cast<size_t>(w) * h);
    size_t k = 0;
    for (DWORD y = h; y-- > 0;) {
        const BYTE* row = img.GetBits(y);
        for (DWORD x = 0; x < w; ++x)
            out[k++] = RowIndex(row, x, bpp);
    }
    return out;
}

// File rows in the order an interlaced image sends them.
std::vector<DWORD> InterlacedRows(DWORD h)
{
    std::vector<DWORD> order;
    order.reserve(h);
    static const DWORD start[4] = {0, 4, 2, 1};
    static const DWORD step[4] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass)
        for (DWORD r = start[pass]; r < h; r += step[pass])
            order.push_back(r);
    return order;
}

}  // namespace

struct CQxImageGIF::ScreenInfo {
    DWORD width = 0;
    DWORD height = 0;
    bool hasGlobal = false;
    int globalCount = 0;
    BYTE global[256 * 3] = {};
};

CQxImageGIF::CQxImageGIF() : CQxImage(kGif) {}

CQxImageGIF::~CQxImageGIF() = default;

void CQxImageGIF::SetComment(const char* sz_comment_in)
{
    if (sz_comment_in == nullptr)
        return;
    std::strncpy(m_comment, sz_comment_in, 255);
    m_comment[255] = 0;
}

void CQxImageGIF::GetComment(char* sz_comment_out) const
{
    if (sz_comment_out == nullptr)
        return;
    std::strncpy(sz_comment_out, m_comment, 255);
    sz_comment_out[255] = 0;
}

bool CQxImageGIF::Decode(FILE* fp)
{
    CQxIOFile file(fp);
    return Decode(&file);
}

bool CQxImageGIF::Encode(FILE* fp)
{
    CQxIOFile file(fp);
    return Encode(&file);
}

bool CQxImageGIF::Encode(FILE* fp, CQxImage** pImages, int pagecount, bool bLocalColorMap)
{
    CQxIOFile file(fp);
    return Encode(fp != nullptr ? &file : nullptr, pImages, pagecount, bLocalColorMap);
}

// ---------------------------------------------------------------- reading

bool CQxImageGIF::Decode(CQxFile* fp)
{
    if (fp == nullptr)
        return false;
    BYTE hdr[13];
    if (fp->Read(hdr, 1, 13) != 13 || std::memcmp(hdr, "GIF8", 4) != 0)
        return false;
    ScreenInfo screen;
    screen.width = QxGetLE16(hdr + 6);
    screen.height = QxGetLE16(hdr + 8);
    if (GetEscape() == -1) {
        m_head.biWidth = static_cast<LONG>(screen.width);
        m_head.biHeight = static_cast<LONG>(screen.height);
        return true;
    }
    if (hdr[10] & 0x80) {
        screen.hasGlobal = true;
        screen.globalCount = 2 << (hdr[10] & 7);
        const size_t bytes = static_cast<size_t>(screen.globalCount) * 3;
        if (fp->Read(screen.global, 1, bytes) != bytes) {
            SetLastErrorText("corrupted GIF");
            return false;
        }
    }
    // The logical screen is allocated as a whole: it must be within what the
    // rest of the stream can describe.
    const int32_t size = fp->Size();
    const int32_t pos = fp->Tell();
    if (size >= pos && pos >= 0 &&
        static_cast<uint64_t>(screen.width) * screen.height > MaxLzwPixels(static_cast<uint64_t>(size - pos)) + 65536) {
        SetLastErrorText("corrupted GIF");
        return false;
    }
    return DecodeFrames(fp, screen);
}

bool CQxImageGIF::SkipStray(CQxFile* fp, int c)
{
    if (c == 0)
        return true;
    for (;;) {
        const int b = fp->GetC();
        if (b <= 0)
            return b == 0;
    }
}

bool CQxImageGIF::ReadExtension(CQxFile* fp, bool& haveGce)
{
    const int label = fp->GetC();
    if (label < 0)
        return false;
    BYTE block[256];
    switch (label) {
    case 0xF9: {
        const int size = fp->GetC();
        if (size < 0 || fp->Read(block, 1, static_cast<size_t>(size)) != static_cast<size_t>(size))
            return false;
        if (size == 4) {
            m_gce.flags = block[0];
            m_gce.delay = QxGetLE16(block + 1);
            m_gce.transIndex = block[3];
            m_info.dwFrameDelay = m_gce.delay;
            m_dispmeth = (m_gce.flags >> 2) & 7;
            haveGce = true;
        }
        break;
    }
    case 0xFE: {
        const int len = fp->GetC();
        if (len < 0 || fp->Read(block, 1, static_cast<size_t>(len)) != static_cast<size_t>(len))
            return false;
        std::memcpy(m_comment, block, static_cast<size_t>(len));
        m_comment[len] = 0;
        if (len == 0)
            return true;
        break;
    }
    case 0xFF: {
        if (fp->GetC() != 11 || fp->Read(block, 1, 11) != 11)
            return false;
        const int len = fp->GetC();
        if (len <= 0)
            return len == 0;
        if (fp->Read(block, 1, static_cast<size_t>(len)) != static_cast<size_t>(len))
            return false;
        if (len > 2)
            m_loops = block[1] | (block[2] << 8);
        break;
    }
    default:
        break;
    }
    CQxImageGIFLzwReader::SkipSubBlocks(fp);
    return true;
}

CQxImageGIF::Block CQxImageGIF::ReadBlock(CQxFile* fp, bool& haveGce, BYTE (&d)[9])
{
    const int c = fp->GetC();
    if (c < 0 || c == 0x3B)
        return Block::End;
    if (c == 0x21)
        return ReadExtension(fp, haveGce) ? Block::Other : Block::End;
    if (c != 0x2C) {
        SkipStray(fp, c);
        return Block::Other;
    }
    return fp->Read(d, 1, 9) == 9 ? Block::Image : Block::End;
}

int CQxImageGIF::CountFrames(CQxFile* fp)
{
    int count = 0;
    bool haveGce = false;
    for (;;) {
        BYTE d[9];
        const Block block = ReadBlock(fp, haveGce, d);
        if (block == Block::End)
            break;
        if (block == Block::Other)
            continue;
        if (d[8] & 0x80) {
            const int32_t skip = (2 << (d[8] & 7)) * 3;
            if (!fp->Seek(skip, 1))
                break;
        }
        if (fp->GetC() < 0)
            break;
        CQxImageGIFLzwReader::SkipSubBlocks(fp);
        ++count;
    }
    return count;
}

bool CQxImageGIF::ChargeWork(uint64_t units)
{
    if (units > m_workBudget - m_work) {
        SetLastErrorText("GIF frame beyond the work budget");
        m_work = m_workBudget;
        return false;
    }
    m_work += units;
    return true;
}

bool CQxImageGIF::DecodeFrames(CQxFile* fp, const ScreenInfo& screen)
{
    m_work = 0;
    m_screenWidth = screen.width;
    m_screenHeight = screen.height;
    int mosaic = screen.hasGlobal ? 0 : 1;
    const int32_t start = fp->Tell();
    const int frames = CountFrames(fp);
    m_info.nNumFrames = frames;
    if (!fp->Seek(start, 0))
        return false;
    if (m_info.nFrame < 0 || m_info.nFrame >= frames)
        return false;
    if (frames == 1)
        mosaic = 0;

    auto reader = std::make_unique<CQxImageGIFLzwReader>();
    CQxImageGIF result;
    bool haveResult = false;
    bool isMosaic = false;
    int firstTrans = -1;
    int prevDisposal = 0;
    int frameNo = 0;
    bool haveGce = false;
    bool lastTransparent = false;
    RGBQUAD lastTransColor{};
    DWORD decodedDelay = m_info.dwFrameDelay;
    DWORD prevRect[4] = {0, 0, 0, 0};
    std::vector<BYTE> pixels;

    for (;;) {
        if (GetEscape() > 0)
            return false;
        BYTE d[9];
        const Block block = ReadBlock(fp, haveGce, d);
        if (block == Block::End)
            break;
        if (block == Block::Other)
            continue;
        const DWORD left = QxGetLE16(d);
        const DWORD top = QxGetLE16(d + 2);
        const DWORD w = QxGetLE16(d + 4);
        const DWORD h = QxGetLE16(d + 6);
        const BYTE iflags = d[8];
        BYTE table[256 * 3];
        int ncolors = 0;
        const BYTE* colors = nullptr;
        if (iflags & 0x80) {
            ncolors = 2 << (iflags & 7);
            const size_t bytes = static_cast<size_t>(ncolors) * 3;
            if (fp->Read(table, 1, bytes) != bytes)
                break;
            colors = table;
        } else if (screen.hasGlobal) {
            ncolors = screen.globalCount;
            colors = screen.global;
        }
        const int trans = haveGce && (m_gce.flags & 1) ? m_gce.transIndex : -1;
        const int disposal = haveGce ? (m_gce.flags >> 2) & 7 : 0;
        const BYTE gceTransByte = haveGce ? m_gce.transIndex : 0;
        if (haveGce)
            decodedDelay = m_gce.delay;
        haveGce = false;

        if (frameNo == 0) {
            // A first tile smaller than the screen (our own tiles of a short or
            // narrow picture differ in one direction only).
            if (w != screen.width || h != screen.height)
                ++mosaic;
            isMosaic = mosaic >= 2;
        }
        const bool outside = w == 0 || h == 0 || left + w > screen.width || top + h > screen.height;
        if (outside) {
            if (fp->GetC() >= 0)
                CQxImageGIFLzwReader::SkipSubBlocks(fp);
        } else {
            if (!DecodeSizeAllowed(screen.width, screen.height))
                return false;
            if (!IsSizeAllowed(w, h, 8) || !IsSizeAllowed(screen.width, screen.height, isMosaic ? 24 : 8)) {
                SetLastErrorText("GIF image too large");
                return false;
            }
            const int32_t size = fp->Size();
            const int32_t pos = fp->Tell();
            if (size >= pos && pos >= 0 && static_cast<uint64_t>(w) * h > MaxLzwPixels(static_cast<uint64_t>(size - pos))) {
                SetLastErrorText("corrupted GIF");
                return false;
            }
            // Decoded, then painted.
            if (!ChargeWork(2 * static_cast<uint64_t>(w) * h))
                return false;
            pixels.assign(static_cast<size_t>(w) * h, 0);
            reader->Decode(fp, pixels.data(), pixels.size());

            const int bpp = ncolors > 0 ? DepthForColors(ncolors) : 8;
            CQxImageGIF frame;
            if (frame.Create(w, h, static_cast<DWORD>(bpp), kGif) == nullptr) {
                SetLastErrorText(frame.GetLastError());
                return false;
            }
            RGBQUAD pal[256] = {};
            for (int i = 0; i < ncolors; ++i) {
                pal[i].rgbRed = colors[3 * i];
                pal[i].rgbGreen = colors[3 * i + 1];
                pal[i].rgbBlue = colors[3 * i + 2];
            }
            DWORD palCount = static_cast<DWORD>(ncolors);
            if (trans >= 0 && ncolors < 256) {
                for (int i = ncolors; i < 256; ++i)
                    pal[i].rgbRed = pal[i].rgbGreen = pal[i].rgbBlue = 255;
                palCount = 256;
            }
            if (ncolors > 0)
                frame.SetPalette(pal, palCount);

            const bool interlaced = (iflags & 0x40) != 0;
            const std::vector<DWORD> order = interlaced ? InterlacedRows(h) : std::vector<DWORD>();
            for (DWORD i = 0; i < h; ++i) {
                const DWORD fileRow = interlaced ? order[i] : i;
                BYTE* dst = frame.GetBits(h - 1 - fileRow);
                const BYTE* src = pixels.data() + static_cast<size_t>(i) * w;
                if (bpp == 8) {
                    std::memcpy(dst, src, w);
                } else if (bpp == 4) {
                    for (DWORD x = 0; x < w; ++x) {
                        const BYTE v = src[x] & 15;
                        if (x & 1)
                            dst[x >> 1] = static_cast<BYTE>((dst[x >> 1] & 0xF0) | v);
                        else
                            dst[x >> 1] = static_cast<BYTE>((dst[x >> 1] & 0x0F) | (v << 4));
                    }
                } else {
                    for (DWORD x = 0; x < w; ++x) {
                        const BYTE mask = static_cast<BYTE>(0x80 >> (x & 7));
                        if (src[x] & 1)
                            dst[x >> 3] |= mask;
                        else
                            dst[x >> 3] &= static_cast<BYTE>(~mask);
                    }
                }
            }
            const int frameTrans = trans >= 0 && static_cast<DWORD>(trans) < (1u << bpp) ? trans : -1;

            if (isMosaic) {
                if (!haveResult) {
                    if (!ChargeWork(static_cast<uint64_t>(screen.width) * screen.height))
                        return false;
                    if (result.Create(screen.width, screen.height, 24, kGif) == nullptr) {
                        SetLastErrorText(result.GetLastError());
                        return false;
                    }
                    haveResult = true;
                }
                for (DWORD y = 0; y < h; ++y) {
                    const BYTE* src = frame.GetBits(y);
                    BYTE* dst = result.GetBits(screen.height - 1 - top - (h - 1 - y));
                    for (DWORD x = 0; x < w; ++x) {
                        const RGBQUAD& col = pal[RowIndex(src, x, static_cast<DWORD>(bpp))];
                        BYTE* p = dst + 3 * (left + x);
                        p[0] = col.rgbBlue;
                        p[1] = col.rgbGreen;
                        p[2] = col.rgbRed;
                    }
                }
                lastTransparent = trans >= 0;
                if (lastTransparent)
                    lastTransColor = pal[trans & 0xFF];
            } else {
                if (!ComposeFrame(result, frame, pal, left, top, frameTrans, gceTransByte, !haveResult, prevDisposal,
                                  prevRect, firstTrans)) {
                    return false;
                }
                haveResult = true;
            }
            prevRect[0] = left;
            prevRect[1] = top;
            prevRect[2] = w;
            prevRect[3] = h;
        }
        prevDisposal = disposal;
        if (!isMosaic && frameNo >= m_info.nFrame && haveResult)
            break;
        ++frameNo;
    }

    if (!haveResult) {
        SetLastErrorText("No image data in GIF");
        return false;
    }
    if (isMosaic) {
        m_info.nFrame = frameNo > 0 ? frameNo - 1 : 0;
        if (lastTransparent) {
            result.m_info.nBkgndColor = lastTransColor;
            result.m_info.nBkgndColor.rgbReserved = 0;
            result.m_info.nBkgndIndex = 0;
        }
    }
    QxImageInfo merged = m_info;
    merged.dwEffWidth = result.m_info.dwEffWidth;
    merged.pImage = result.m_info.pImage;
    merged.pGhost = nullptr;
    merged.nBkgndIndex = result.m_info.nBkgndIndex;
    merged.nBkgndColor = result.m_info.nBkgndColor;
    merged.dwType = kGif;
    merged.dwFrameDelay = decodedDelay;
    merged.last_c_isvalid = false;
    merged.nNumLayers = 0;
    if (!Transfer(result))
        return false;
    m_info = merged;
    return true;
}

// Paints one frame onto what was decoded so far. Frames that share the
// palette are composed by index; a frame with other colours turns the result
// into a 24-bit image so that earlier frames keep their colours.
bool CQxImageGIF::ComposeFrame(CQxImageGIF& result, CQxImageGIF& frame, const RGBQUAD* pal, DWORD left, DWORD top,
                               int frameTrans, BYTE clearIndex, bool first, int prevDisposal, const DWORD* prevRect,
                               int& firstTrans)
{
    const DWORD bpp = frame.GetBpp();
    const DWORD w = frame.GetWidth();
    const DWORD h = frame.GetHeight();
    if (first) {
        // A first frame that fills the screen and has no transparent index is
        // the picture itself.
        if (frameTrans < 0 && left == 0 && top == 0 && w == m_screenWidth && h == m_screenHeight) {
            if (!result.Transfer(frame))
                return false;
            result.SetPalette(pal, 256);
            firstTrans = -1;
            result.m_info.nBkgndIndex = -1;
            return true;
        }
        if (!ChargeWork(static_cast<uint64_t>(m_screenWidth) * m_screenHeight))
            return false;
        if (result.Create(m_screenWidth, m_screenHeight, bpp, kGif) == nullptr) {
            SetLastErrorText(result.GetLastError());
            return false;
        }
        result.Clear(clearIndex);
        result.SetPalette(pal, 256);
        firstTrans = frameTrans;
        if (firstTrans >= 0)
            result.m_info.nBkgndColor = pal[firstTrans];
    } else {
        const DWORD height = result.GetHeight();
        if (prevDisposal == 2) {
            if (!ChargeWork(static_cast<uint64_t>(prevRect[2]) * prevRect[3]))
                return false;
            // Restore the area of the previous frame to the background.
            const RGBQUAD bg = result.m_info.nBkgndColor;
            for (DWORD y = prevRect[1]; y < prevRect[1] + prevRect[3] && y < height; ++y)
                for (DWORD x = prevRect[0]; x < prevRect[0] + prevRect[2]; ++x) {
                    const LONG ix = static_cast<LONG>(x);
                    const LONG iy = static_cast<LONG>(height - 1 - y);
                    if (result.IsIndexed())
                        result.SetPixelIndex(ix, iy, static_cast<BYTE>(firstTrans >= 0 ? firstTrans : 0));
                    else
                        result.SetPixelColor(ix, iy, bg, false);
                }
        }
        bool samePalette = result.IsIndexed();
        const RGBQUAD* rp = result.GetPalette();
        for (DWORD i = 0; samePalette && i < frame.GetNumColors(); ++i)
            samePalette = i < result.GetNumColors() && rp[i].rgbRed == pal[i].rgbRed &&
                          rp[i].rgbGreen == pal[i].rgbGreen && rp[i].rgbBlue == pal[i].rgbBlue;
        if (result.IsIndexed() && (!samePalette || bpp > result.GetBpp())) {
            if (!ChargeWork(static_cast<uint64_t>(result.GetWidth()) * height))
                return false;
            CQxImageGIF wider;
            const DWORD newBpp = samePalette ? bpp : 24;
            if (wider.Create(result.GetWidth(), height, newBpp, kGif) == nullptr) {
                SetLastErrorText(wider.GetLastError());
                return false;
            }
            if (newBpp != 24)
                wider.SetPalette(rp, 256);
            const DWORD oldBpp = result.GetBpp();
            for (DWORD y = 0; y < height; ++y) {
                const BYTE* src = result.GetBits(y);
                for (DWORD x = 0; x < result.GetWidth(); ++x) {
                    const BYTE idx = RowIndex(src, x, oldBpp);
                    if (newBpp == 24)
                        wider.SetPixelColor(static_cast<LONG>(x), static_cast<LONG>(y), rp[idx], false);
                    else
                        wider.SetPixelIndex(static_cast<LONG>(x), static_cast<LONG>(y), idx);
                }
            }
            wider.m_info.nBkgndColor = result.m_info.nBkgndColor;
            result.Transfer(wider);
        }
    }
    // The frame lies inside the screen (frames reaching past it are skipped),
    // so its rows are written straight into the result's.
    const DWORD height = result.GetHeight();
    const bool indexed = result.IsIndexed();
    const DWORD resultBpp = result.GetBpp();
    for (DWORD y = 0; y < h; ++y) {
        const BYTE* src = frame.GetBits(y);
        BYTE* dst = result.GetBits(height - 1 - top - (h - 1 - y));
        if (indexed && bpp == 8 && resultBpp == 8 && frameTrans < 0) {
            std::memcpy(dst + left, src, w);
            continue;
        }
        for (DWORD x = 0; x < w; ++x) {
            const BYTE idx = RowIndex(src, x, bpp);
            if (static_cast<int>(idx) == frameTrans)
                continue;
            if (indexed) {
                PutRowIndex(dst, left + x, resultBpp, idx);
            } else {
                BYTE* p = dst + 3 * static_cast<size_t>(left + x);
                p[0] = pal[idx].rgbBlue;
                p[1] = pal[idx].rgbGreen;
                p[2] = pal[idx].rgbRed;
            }
        }
    }
    if (indexed) {
        result.SetPalette(pal, 256);
        result.m_info.nBkgndIndex =
            firstTrans >= 0 && static_cast<DWORD>(firstTrans) < result.GetNumColors() ? firstTrans : -1;
    } else {
        result.m_info.nBkgndIndex = firstTrans >= 0 ? firstTrans : -1;
        result.m_info.nBkgndColor.rgbReserved = 0;
    }
    return true;
}

// ---------------------------------------------------------------- writing

bool CQxImageGIF::Finish(CQxFile* fp, bool ok)
{
    if (ok)
        ok = fp->Flush() && fp->Error() == 0;
    if (!ok)
        SetLastErrorText("Write Error in GIF file");
    return ok;
}

bool CQxImageGIF::WriteHeader(CQxFile* fp, CQxImage& img)
{
    BYTE flags = 0x11;
    const DWORD colors = img.GetNumColors();
    if (colors > 0) {
        const DWORD bpp = img.GetBpp();
        flags = static_cast<BYTE>((((bpp + 7) << 5) | (bpp - 1) | 0x80) & 0xFF);
    }
    const BYTE tail[3] = {flags, 0, 0};
    if (!PutBytes(fp, "GIF89a", 6) || !PutWord(fp, img.GetWidth()) || !PutWord(fp, img.GetHeight()) ||
        !PutBytes(fp, tail, 3))
        return false;
    if (colors > 0) {
        std::vector<BYTE> table(static_cast<size_t>(colors) * 3);
        const RGBQUAD* pal = img.GetPalette();
        for (DWORD i = 0; i < colors; ++i) {
            table[3 * i] = pal[i].rgbRed;
            table[3 * i + 1] = pal[i].rgbGreen;
            table[3 * i + 2] = pal[i].rgbBlue;
        }
        return PutBytes(fp, table.data(), table.size());
    }
    return true;
}

bool CQxImageGIF::WriteControl(CQxFile* fp, CQxImage& img, int dispmeth)
{
    m_gce.flags = static_cast<BYTE>((dispmeth & 7) << 2);
    if (img.GetTransIndex() != -1)
        m_gce.flags |= 1;
    m_gce.delay = static_cast<WORD>(img.GetFrameDelay() & 0xFFFF);
    m_gce.transIndex = static_cast<BYTE>(img.GetTransIndex() & 0xFF);
    const BYTE b[8] = {0x21, 0xF9, 0x04, m_gce.flags, static_cast<BYTE>(m_gce.delay & 0xFF),
                       static_cast<BYTE>(m_gce.delay >> 8), m_gce.transIndex, 0};
    return PutBytes(fp, b, 8);
}

bool CQxImageGIF::WriteComment(CQxFile* fp)
{
    const size_t len = std::strlen(m_comment);
    if (len == 0)
        return true;
    const BYTE head[3] = {0x21, 0xFE, static_cast<BYTE>(len)};
    return PutBytes(fp, head, 3) && PutBytes(fp, m_comment, len) && fp->PutC(0);
}

bool CQxImageGIF::WriteLoops(CQxFile* fp, int loops)
{
    const BYTE head[3] = {0x21, 0xFF, 0x0B};
    const BYTE sub[2] = {0x03, 0x01};
    return PutBytes(fp, head, 3) && PutBytes(fp, "NETSCAPE2.0", 11) && PutBytes(fp, sub, 2) &&
           PutWord(fp, static_cast<unsigned>(loops)) && fp->PutC(0);
}

bool CQxImageGIF::WriteImage(CQxFile* fp, CQxImage& img, bool localColorMap)
{
    const DWORD bpp = img.GetBpp();
    LONG ox = 0;
    LONG oy = 0;
    img.GetOffset(&ox, &oy);
    const DWORD colors = img.GetNumColors();
    const bool local = localColorMap && colors > 0;
    const BYTE flags = local ? static_cast<BYTE>((bpp - 1) | 0x80) : 0;
    if (!fp->PutC(0x2C) || !PutWord(fp, static_cast<unsigned>(ox)) || !PutWord(fp, static_cast<unsigned>(oy)) ||
        !PutWord(fp, img.GetWidth()) || !PutWord(fp, img.GetHeight()) || !fp->PutC(flags))
        return false;
    if (local) {
        std::vector<BYTE> table(static_cast<size_t>(colors) * 3);
        const RGBQUAD* pal = img.GetPalette();
        for (DWORD i = 0; i < colors; ++i) {
            table[3 * i] = pal[i].rgbRed;
            table[3 * i + 1] = pal[i].rgbGreen;
            table[3 * i + 2] = pal[i].rgbBlue;
        }
        if (!PutBytes(fp, table.data(), table.size()))
            return false;
    }
    const int codeSize = bpp == 1 ? 2 : static_cast<int>(bpp);
    if (!fp->PutC(static_cast<unsigned char>(codeSize)))
        return false;
    const std::vector<BYTE> pixels = TopDownIndices(img);
    switch (GetCodecOption(kGif)) {
    case 1:
        return QxGifCompressor::CompressUncompressed(fp, pixels.data(), pixels.size(), codeSize);
    case 2:
        return QxGifCompressor::CompressRunLength(fp, pixels.data(), pixels.size(), codeSize);
    default:
        return QxGifCompressor::CompressLzw(fp, pixels.data(), pixels.size(), codeSize);
    }
}

bool CQxImageGIF::Encode(CQxFile* fp)
{
    if (EncodeSafeCheck(fp))
        return false;
    if (GetWidth() > 0xFFFF || GetHeight() > 0xFFFF) {
        SetLastErrorText("Image too large for GIF");
        return false;
    }
    if (GetNumColors() == 0)
        return Finish(fp, WriteMosaic(fp));
    const bool ok = WriteHeader(fp, *this) && WriteControl(fp, *this, m_dispmeth) && WriteComment(fp) &&
                    WriteImage(fp, *this, false) && fp->PutC(0x3B);
    return Finish(fp, ok);
}

// A 24-bit image as tiles of at most 17 x 15 pixels, each with its own
// 256-entry table (entry 0 the transparent colour when there is one).
bool CQxImageGIF::WriteMosaic(CQxFile* fp)
{
    if (!WriteHeader(fp, *this) || !WriteComment(fp))
        return false;
    const DWORD width = GetWidth();
    const DWORD height = GetHeight();
    const bool transparent = GetTransIndex() >= 0;
    const RGBQUAD transColor = GetTransColor();
    const WORD delay = static_cast<WORD>(GetFrameDelay() & 0xFFFF);
    const BYTE gceFlags = static_cast<BYTE>(((m_dispmeth & 7) << 2) | (transparent ? 1 : 0));
    const int compressor = static_cast<int>(GetCodecOption(kGif));

    BYTE table[256 * 3];
    BYTE indices[17 * 15];
    // Small open-addressing map from colour to the first entry that holds it.
    DWORD slotKey[1024];
    int slotIndex[1024];
    for (DWORD top = 0; top < height; top += 15) {
        const DWORD th = std::min<DWORD>(15, height - top);
        for (DWORD left = 0; left < width; left += 17) {
            const DWORD tw = std::min<DWORD>(17, width - left);
            std::memset(table, 0, sizeof(table));
            std::fill(std::begin(slotIndex), std::end(slotIndex), -1);
            auto lookup = [&](DWORD key, int entry) {
                DWORD slot = (key * 2654435761u) >> 22;
                while (slotIndex[slot] >= 0) {
                    if (slotKey[slot] == key)
                        return slotIndex[slot];
                    slot = (slot + 1) & 1023;
                }
                slotKey[slot] = key;
                slotIndex[slot] = entry;
                return entry;
            };
            if (transparent) {
                table[0] = transColor.rgbRed;
                table[1] = transColor.rgbGreen;
                table[2] = transColor.rgbBlue;
                lookup(QxRGB(transColor.rgbRed, transColor.rgbGreen, transColor.rgbBlue), 0);
            }
            for (DWORD j = 0; j < th; ++j) {
                const BYTE* row = GetBits(height - 1 - (top + j));
                for (DWORD k = 0; k < tw; ++k) {
                    const BYTE* p = row + 3 * (left + k);
                    const int entry = static_cast<int>(1 + 17 * j + k);
                    table[3 * entry] = p[2];
                    table[3 * entry + 1] = p[1];
                    table[3 * entry + 2] = p[0];
                    indices[j * tw + k] = static_cast<BYTE>(lookup(QxRGB(p[2], p[1], p[0]), entry));
                }
            }
            const BYTE gce[8] = {0x21, 0xF9, 0x04, gceFlags, static_cast<BYTE>(delay & 0xFF),
                                 static_cast<BYTE>(delay >> 8), 0, 0};
            if (!PutBytes(fp, gce, 8) || !fp->PutC(0x2C) || !PutWord(fp, left) || !PutWord(fp, top) ||
                !PutWord(fp, tw) || !PutWord(fp, th) || !fp->PutC(0x87) || !PutBytes(fp, table, sizeof(table)) ||
                !fp->PutC(8))
                return false;
            const size_t n = static_cast<size_t>(tw) * th;
            bool ok;
            if (compressor == 1)
                ok = QxGifCompressor::CompressUncompressed(fp, indices, n, 8);
            else if (compressor == 2)
                ok = QxGifCompressor::CompressRunLength(fp, indices, n, 8);
            else
                ok = QxGifCompressor::CompressLzw(fp, indices, n, 8);
            if (!ok)
                return false;
        }
    }
    m_gce.flags = gceFlags;
    m_gce.delay = delay;
    m_gce.transIndex = 0;
    return fp->PutC(0x3B);
}

bool CQxImageGIF::Encode(CQxFile* fp, CQxImage** pImages, int pagecount, bool bLocalColorMap)
{
    if (fp == nullptr) {
        SetLastErrorText("invalid file pointer");
        return false;
    }
    if (pImages == nullptr || pagecount <= 0 || pImages[0] == nullptr) {
        SetLastErrorText("multipage GIF, no images!");
        return false;
    }
    for (int i = 0; i < pagecount; ++i) {
        CQxImage* page = pImages[i];
        if (page == nullptr) {
            SetLastErrorText("Bad image pointer");
            return false;
        }
        if (!page->IsValid() || page->GetNumColors() == 0 || page->GetWidth() > 0xFFFF ||
            page->GetHeight() > 0xFFFF) {
            // The frames of a multi-frame file are palette images.
            SetLastErrorText("multipage GIF, every page needs a palette");
            return false;
        }
    }
    CQxImage& first = *pImages[0];
    bool ok = WriteHeader(fp, first);
    if (ok && m_loops != 1)
        ok = WriteLoops(fp, std::max(m_loops - 1, 0));
    ok = ok && WriteControl(fp, first, m_dispmeth) && WriteComment(fp) && WriteImage(fp, first, false);
    for (int i = 1; ok && i < pagecount; ++i)
        ok = WriteControl(fp, *pImages[i], m_dispmeth) && WriteImage(fp, *pImages[i], bLocalColorMap);
    ok = ok && fp->PutC(0x3B);
    return Finish(fp, ok);
}
