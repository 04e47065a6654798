#include "imaging/CQxImagePNG.h"

#include "imaging/CQxIOFile.h"

#include <png.h>

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdlib>
#include <cstring>

namespace {

constexpr DWORD kFormatPNG = QXIMAGE_FORMAT_PNG;

// Deflate never expands data by more than this factor; a header that promises
// more pixel bytes than the rest of the stream can hold is refused before any
// allocation.
constexpr uint64_t kMaxInflateRatio = 1100;

void ReadCallback(png_structp png, png_bytep data, size_t length)
{
    auto* file = static_cast<CQxFile*>(png_get_io_ptr(png));
    if (file == nullptr || file->Read(data, 1, length) != length)
        png_error(png, "Read Error");
}

void WriteCallback(png_structp png, png_bytep data, size_t length)
{
    auto* file = static_cast<CQxFile*>(png_get_io_ptr(png));
    if (file == nullptr || file->Write(data, 1, length) != length)
        png_error(png, "Write Error");
}

void FlushCallback(png_structp png)
{
    auto* file = static_cast<CQxFile*>(png_get_io_ptr(png));
    if (file == nullptr || !file->Flush())
        png_error(png, "Flush Error");
}

// Copies libpng's message into the image's error text and returns to the codec.
void ErrorCallback(png_structp png, png_const_charp message)
{
    auto* text = static_cast<char*>(png_get_error_ptr(png));
    if (text != nullptr && message != nullptr) {
        std::strncpy(text, message, 255);
        text[255] = 0;
    }
    png_longjmp(png, 1);
}

// Warnings are not errors and the library never prints them. The one
// exception: a chunk longer than the whole stream, which libpng would
// otherwise allocate and try to read before giving up.
void WarningCallback(png_structp png, png_const_charp message)
{
    if (message != nullptr && std::strstr(message, "chunk data is too large") != nullptr)
        png_error(png, message);
}

// Widens a row of 2-bit pixels in place to 4 bits per pixel, last pixel first.
void Widen2To4(BYTE* row, DWORD width)
{
    for (DWORD i = width; i-- > 0;) {
        const BYTE v = static_cast<BYTE>((row[i >> 2] >> (6 - 2 * (i & 3))) & 3);
        BYTE& dst = row[i >> 1];
        if (i & 1)
            dst = static_cast<BYTE>((dst & 0xF0) | v);
        else
            dst = static_cast<BYTE>((dst & 0x0F) | (v << 4));
    }
}

// Swaps the palette indexes 0 and t in one packed row (used to move the
// transparent index to 0 without touching the image).
void SwapRowIndex(BYTE* row, DWORD width, DWORD bpp, BYTE t)
{
    switch (bpp) {
    case 8:
        for (DWORD x = 0; x < width; ++x) {
            if (row[x] == 0)
                row[x] = t;
            else if (row[x] == t)
                row[x] = 0;
        }
        break;
    case 4:
        for (DWORD x = 0; x < width; ++x) {
            BYTE& b = row[x >> 1];
            const int shift = (x & 1) ? 0 : 4;
            const BYTE v = static_cast<BYTE>((b >> shift) & 15);
            const BYTE n = v == 0 ? t : (v == t ? 0 : v);
            b = static_cast<BYTE>((b & ~(15 << shift)) | (n << shift));
        }
        break;
    case 1:
        if (t == 1)
            for (DWORD i = 0; i < (width + 7) / 8; ++i)
                row[i] = static_cast<BYTE>(~row[i]);
        break;
    default:
        break;
    }
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

}  // namespace

struct CQxImagePNG::DecodeState {
    CQxFile* file;
    png_structp png;
    png_infop info;
    BYTE* row;
};

struct CQxImagePNG::EncodeState {
    CQxFile* file;
    png_structp png;
    png_infop info;
    BYTE* row;
    png_color palette[256];
    BYTE trans[256];
};

CQxImagePNG::CQxImagePNG() : CQxImage(kFormatPNG) {}

CQxImagePNG::~CQxImagePNG() = default;

bool CQxImagePNG::SetError(const char* text)
{
    SetLastErrorText(text);
    return false;
}

bool CQxImagePNG::Decode(FILE* hFile)
{
    CQxIOFile file(hFile);
    return Decode(&file);
}

bool CQxImagePNG::Encode(FILE* hFile)
{
    CQxIOFile file(hFile);
    return Encode(&file);
}

bool CQxImagePNG::Decode(CQxFile* hFile)
{
    if (hFile == nullptr)
        return false;
    DecodeState st{};
    st.file = hFile;
    st.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (st.png == nullptr)
        return SetError("Failed to create PNG structure");
    st.info = png_create_info_struct(st.png);
    if (st.info == nullptr) {
        png_destroy_read_struct(&st.png, nullptr, nullptr);
        return SetError("Failed to initialize PNG info structure");
    }
    const bool ok = DecodeRows(st);
    std::free(st.row);
    png_destroy_read_struct(&st.png, &st.info, nullptr);
    return ok;
}

// Everything between setjmp and the end lives in st or in plain locals that are
// not read after a long jump; no object with a destructor is alive here.
bool CQxImagePNG::DecodeRows(DecodeState& st)
{
    png_structp png = st.png;
    png_infop pinfo = st.info;
    if (setjmp(png_jmpbuf(png)))
        return false;

    png_set_read_fn(png, st.file, ReadCallback);
    png_set_error_fn(png, m_info.szLastError, ErrorCallback, WarningCallback);
    // No chunk that libpng keeps in memory may be larger than the stream itself.
    const int32_t streamSize = st.file->Size();
    png_set_chunk_malloc_max(png, streamSize > 0 ? static_cast<png_alloc_size_t>(streamSize) + 1024 : 1024);
    png_read_info(png, pinfo);

    const png_uint_32 width = png_get_image_width(png, pinfo);
    const png_uint_32 height = png_get_image_height(png, pinfo);
    const int colorType = png_get_color_type(png, pinfo);
    const int bitDepth = png_get_bit_depth(png, pinfo);
    const int pixelDepth = bitDepth * png_get_channels(png, pinfo);

    // The transparency of palette entries, as the file has it (compositing
    // below changes libpng's copy).
    BYTE transValues[256];
    int transCount = 0;
    {
        png_bytep transAlpha = nullptr;
        png_color_16p transColor = nullptr;
        int count = 0;
        if (colorType == PNG_COLOR_TYPE_PALETTE &&
            png_get_tRNS(png, pinfo, &transAlpha, &count, &transColor) != 0 && transAlpha != nullptr) {
            transCount = std::min(count, 256);
            std::memcpy(transValues, transAlpha, static_cast<size_t>(transCount));
        }
    }

    // The pixel budget and the plausibility of the size against the stream,
    // before anything is allocated.
    if (!DecodeSizeAllowed(width, height))
        png_longjmp(png, 1);
    const int32_t size = st.file->Size();
    const int32_t pos = st.file->Tell();
    if (size >= 0 && pos >= 0 && size >= pos) {
        const uint64_t rawBytes = ((static_cast<uint64_t>(width) * pixelDepth + 7) / 8 + 1) * height;
        if (rawBytes > static_cast<uint64_t>(size - pos) * kMaxInflateRatio + 4096)
            png_error(png, "PNG data too short for its size");
    }

    // Alpha stays as a channel for RGBA (8 or 16 bits) and 16-bit grey + alpha;
    // everything else is composited by libpng.
    const bool keepAlpha = colorType == PNG_COLOR_TYPE_RGB_ALPHA ||
                           (colorType == PNG_COLOR_TYPE_GRAY_ALPHA && pixelDepth == 32);
    png_color_16p fileBackground = nullptr;
    const bool hasBackground = png_get_bKGD(png, pinfo, &fileBackground) != 0 && fileBackground != nullptr;
    if (!keepAlpha) {
        if (hasBackground) {
            png_set_background(png, fileBackground, PNG_BACKGROUND_GAMMA_FILE, 1, 1.0);
        } else {
            png_color_16 grey{};
            grey.red = grey.green = grey.blue = grey.gray = 192;
            png_set_background(png, &grey, PNG_BACKGROUND_GAMMA_SCREEN, 0, 1.0);
        }
    } else if (hasBackground) {
        RGBQUAD c{};
        c.rgbRed = static_cast<BYTE>(fileBackground->red & 0xFF);
        c.rgbGreen = static_cast<BYTE>(fileBackground->green & 0xFF);
        c.rgbBlue = static_cast<BYTE>(fileBackground->blue & 0xFF);
        SetTransColor(c);
    }
    if (bitDepth == 16)
        png_set_strip_16(png);

    const DWORD bpp = keepAlpha || pixelDepth > 16 ? 24 : (pixelDepth == 16 ? 8 : static_cast<DWORD>(pixelDepth));
    if (keepAlpha) {
        if (colorType == PNG_COLOR_TYPE_GRAY_ALPHA) {
            png_set_gray_to_rgb(png);
            png_set_expand(png);
        }
        png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    }
    if (colorType & PNG_COLOR_MASK_COLOR)
        png_set_bgr(png);
    const int passes = png_set_interlace_handling(png);
    png_read_update_info(png, pinfo);

    // What libpng delivers after the transformations must be what the rows expect.
    const int outChannels = png_get_channels(png, pinfo);
    const int outDepth = png_get_bit_depth(png, pinfo);
    const bool layoutOk = keepAlpha   ? (outChannels == 4 && outDepth == 8)
                          : bpp == 24 ? (outChannels == 3 && outDepth == 8)
                                      : (outChannels == 1 && static_cast<DWORD>(outDepth) == (bpp == 4 && pixelDepth == 2 ? 2 : bpp));
    if (!layoutOk)
        png_error(png, "Unsupported PNG pixel layout");

    if (Create(width, height, bpp == 2 ? 4 : bpp, kFormatPNG) == nullptr)
        png_longjmp(png, 1);

    png_uint_32 resX = 0;
    png_uint_32 resY = 0;
    int unit = 0;
    if (png_get_pHYs(png, pinfo, &resX, &resY, &unit) != 0) {
        if (unit == PNG_RESOLUTION_UNKNOWN) {
            SetXDPI(static_cast<LONG>(std::min<png_uint_32>(resX, 0x7FFFFFFF)));
            SetYDPI(static_cast<LONG>(std::min<png_uint_32>(resY, 0x7FFFFFFF)));
        } else if (unit == PNG_RESOLUTION_METER) {
            SetXDPI(static_cast<LONG>(std::floor(resX * 0.0254 + 0.5)));
            SetYDPI(static_cast<LONG>(std::floor(resY * 0.0254 + 0.5)));
        }
    }

    png_colorp plte = nullptr;
    int plteCount = 0;
    if (png_get_PLTE(png, pinfo, &plte, &plteCount) != 0 && plteCount > 0 && plte != nullptr) {
        const int n = std::min<int>(plteCount, static_cast<int>(GetNumColors()));
        for (int i = 0; i < n; ++i)
            SetPaletteColor(static_cast<BYTE>(i), plte[i].red, plte[i].green, plte[i].blue);
    } else if (pixelDepth == 2 && !keepAlpha) {
        static const BYTE greys[4] = {0, 85, 170, 255};
        for (int i = 0; i < 4; ++i)
            SetPaletteColor(static_cast<BYTE>(i), greys[i], greys[i], greys[i]);
    } else {
        SetGrayPalette();
    }

    if (GetNumColors() > 0 && transCount > 0) {
        RGBQUAD* pal = GetPalette();
        const int n = std::min<int>(transCount, static_cast<int>(GetNumColors()));
        for (int i = 0; i < n; ++i)
            pal[i].rgbReserved = transValues[i];
        if (transCount == 1 && transValues[0] == 0) {
            SetTransIndex(0);
        } else {
            AlphaPaletteEnable(true);
            for (DWORD i = static_cast<DWORD>(n); i < GetNumColors(); ++i)
                pal[i].rgbReserved = 255;
        }
    }

    if (keepAlpha)
        AlphaCreate();
    if (keepAlpha && !AlphaIsValid())
        png_error(png, "Can't allocate alpha channel");
    if (GetEscape())
        png_longjmp(png, 1);

    SetCodecOption(passes > 1 ? 1 : 0, kFormatPNG);

    const size_t rowBytes = png_get_rowbytes(png, pinfo);
    const size_t bufferSize = std::max<size_t>({rowBytes, GetEffWidth(), static_cast<size_t>(width) * 4}) + 10;
    st.row = static_cast<BYTE*>(std::malloc(bufferSize));
    if (st.row == nullptr)
        png_error(png, "Can't allocate PNG row buffer");
    std::memset(st.row, 0, bufferSize);
    BYTE* row = st.row;
    const DWORD effWidth = GetEffWidth();

    for (int pass = 0; pass < passes; ++pass) {
        for (png_uint_32 y = 0; y < height; ++y) {
            if (GetEscape())
                png_longjmp(png, 1);
            const DWORD ay = height - 1 - y;
            BYTE* dst = GetBits(ay);
            if (keepAlpha) {
                BYTE* alpha = AlphaGetPointer(0, static_cast<LONG>(ay));
                if (pass > 0) {
                    for (png_uint_32 x = 0; x < width; ++x) {
                        row[4 * x] = dst[3 * x];
                        row[4 * x + 1] = dst[3 * x + 1];
                        row[4 * x + 2] = dst[3 * x + 2];
                        row[4 * x + 3] = alpha[x];
                    }
                }
                png_read_row(png, row, nullptr);
                for (png_uint_32 x = 0; x < width; ++x) {
                    dst[3 * x] = row[4 * x];
                    dst[3 * x + 1] = row[4 * x + 1];
                    dst[3 * x + 2] = row[4 * x + 2];
                    alpha[x] = row[4 * x + 3];
                }
            } else {
                if (pass > 0)
                    std::memcpy(row, dst, effWidth);
                png_read_row(png, row, nullptr);
                if (pixelDepth == 2 && pass == passes - 1)
                    Widen2To4(row, width);
                std::memcpy(dst, row, effWidth);
            }
        }
    }
    png_read_end(png, nullptr);
    return true;
}

bool CQxImagePNG::Encode(CQxFile* hFile)
{
    if (EncodeSafeCheck(hFile))
        return false;
    // The state holds 1 KB of tables; it lives on the heap so that the frame
    // with setjmp stays small.
    auto* st = static_cast<EncodeState*>(std::calloc(1, sizeof(EncodeState)));
    if (st == nullptr)
        return SetError("Error saving PNG file");
    st->file = hFile;
    st->png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    bool ok = false;
    if (st->png == nullptr) {
        SetError("Failed to create PNG structure");
    } else {
        st->info = png_create_info_struct(st->png);
        if (st->info == nullptr) {
            SetError("Failed to initialize PNG info structure");
        } else {
            ok = EncodeRows(*st);
            if (!ok)
                SetError("Error saving PNG file");
        }
    }
    std::free(st->row);
    if (st->png != nullptr)
        png_destroy_write_struct(&st->png, st->info != nullptr ? &st->info : nullptr);
    std::free(st);
    // Data that libpng handed over must also have reached the stream.
    if (ok && !hFile->Flush())
        ok = SetError("Error saving PNG file");
    return ok;
}

// The image is only read: a transparent index is moved to 0 and a transparent
// colour becomes alpha row by row, in the buffer that goes to libpng.
bool CQxImagePNG::EncodeRows(EncodeState& st)
{
    png_structp png = st.png;
    png_infop pinfo = st.info;
    if (setjmp(png_jmpbuf(png)))
        return false;

    png_set_write_fn(png, st.file, WriteCallback, FlushCallback);
    png_set_error_fn(png, nullptr, ErrorCallback, WarningCallback);

    const DWORD width = GetWidth();
    const DWORD height = GetHeight();
    const DWORD bpp = GetBpp();
    const bool paletteImage = GetNumColors() > 0;
    const LONG transIndex = GetTransIndex();
    const bool hasTransIndex = transIndex >= 0 && (!paletteImage || static_cast<DWORD>(transIndex) < GetNumColors());
    const bool hasAlpha = AlphaIsValid();
    const RGBQUAD transColor = GetTransColor();
    const bool rgbaOut = hasAlpha || (!paletteImage && hasTransIndex);
    const int interlace = GetCodecOption(kFormatPNG) == 1 ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE;

    png_color_16 background{};
    if (hasTransIndex) {
        background.red = transColor.rgbRed;
        background.green = transColor.rgbGreen;
        background.blue = transColor.rgbBlue;
    } else {
        background.red = background.green = background.blue = 255;
    }

    const RGBQUAD* pal = GetPalette();
    BYTE swapTo = 0;  // the index that is exchanged with 0, or 0 for none
    if (rgbaOut) {
        png_set_IHDR(png, pinfo, width, height, 8, PNG_COLOR_TYPE_RGB_ALPHA, interlace,
                     PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_set_bKGD(png, pinfo, &background);
    } else if (paletteImage) {
        png_set_IHDR(png, pinfo, width, height, static_cast<int>(bpp), PNG_COLOR_TYPE_PALETTE, interlace,
                     PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        if (hasTransIndex)
            swapTo = static_cast<BYTE>(transIndex);
        DWORD count = GetNumColors();
        if (count > 2 && static_cast<uint64_t>(width) * height < 65536) {
            DWORD highest = 0;
            for (DWORD y = 0; y < height; ++y) {
                const BYTE* src = GetBits(y);
                for (DWORD x = 0; x < width; ++x) {
                    BYTE v = RowIndex(src, x, bpp);
                    if (swapTo != 0)
                        v = v == 0 ? swapTo : (v == swapTo ? 0 : v);
                    highest = std::max<DWORD>(highest, v);
                }
            }
            count = highest + 1;
        }
        for (DWORD i = 0; i < count; ++i) {
            const DWORD from = swapTo != 0 ? (i == 0 ? swapTo : (i == swapTo ? 0 : i)) : i;
            st.palette[i].red = pal[from].rgbRed;
            st.palette[i].green = pal[from].rgbGreen;
            st.palette[i].blue = pal[from].rgbBlue;
            st.trans[i] = pal[from].rgbReserved;
        }
        png_set_PLTE(png, pinfo, st.palette, static_cast<int>(count));
        if (AlphaPaletteIsEnabled()) {
            png_set_tRNS(png, pinfo, st.trans, static_cast<int>(count), nullptr);
        } else if (hasTransIndex) {
            st.trans[0] = 0;
            png_set_tRNS(png, pinfo, st.trans, 1, nullptr);
        }
        // bKGD of a palette image is an index: the transparent entry, else the
        // entry nearest to white.
        png_color_16 indexBackground{};
        if (!hasTransIndex) {
            int best = 1 << 30;
            for (DWORD i = 0; i < count; ++i) {
                const int d = (255 - st.palette[i].red) * (255 - st.palette[i].red) +
                              (255 - st.palette[i].green) * (255 - st.palette[i].green) +
                              (255 - st.palette[i].blue) * (255 - st.palette[i].blue);
                if (d < best) {
                    best = d;
                    indexBackground.index = static_cast<png_byte>(i);
                }
            }
        }
        png_set_bKGD(png, pinfo, &indexBackground);
    } else {
        png_set_IHDR(png, pinfo, width, height, 8, PNG_COLOR_TYPE_RGB, interlace, PNG_COMPRESSION_TYPE_DEFAULT,
                     PNG_FILTER_TYPE_DEFAULT);
        png_set_bKGD(png, pinfo, &background);
    }
    if (m_head.biXPelsPerMeter > 0 && m_head.biYPelsPerMeter > 0)
        png_set_pHYs(png, pinfo, static_cast<png_uint_32>(m_head.biXPelsPerMeter),
                     static_cast<png_uint_32>(m_head.biYPelsPerMeter), PNG_RESOLUTION_METER);

    png_write_info(png, pinfo);
    const int passes = png_set_interlace_handling(png);
    // libpng turns blue-green-red rows around on its own copy of each row.
    const bool rgbOut = !rgbaOut && !paletteImage;
    if (rgbOut)
        png_set_bgr(png);

    const size_t bufferSize = std::max<size_t>(GetEffWidth(), static_cast<size_t>(width) * 4) + 10;
    st.row = static_cast<BYTE*>(std::malloc(bufferSize));
    if (st.row == nullptr)
        png_error(png, "Can't allocate PNG row buffer");
    std::memset(st.row, 0, bufferSize);
    BYTE* row = st.row;
    const DWORD alphaMax = AlphaGetMax();
    const DWORD effWidth = GetEffWidth();

    for (int pass = 0; pass < passes; ++pass) {
        for (DWORD y = height; y-- > 0;) {
            const BYTE* src = GetBits(y);
            if (rgbaOut) {
                const BYTE* alpha = hasAlpha ? AlphaGetPointer(0, static_cast<LONG>(y)) : nullptr;
                for (DWORD x = 0; x < width; ++x) {
                    BYTE b;
                    BYTE g;
                    BYTE r;
                    if (paletteImage) {
                        const RGBQUAD& c = pal[RowIndex(src, x, bpp)];
                        b = c.rgbBlue;
                        g = c.rgbGreen;
                        r = c.rgbRed;
                    } else {
                        b = src[3 * x];
                        g = src[3 * x + 1];
                        r = src[3 * x + 2];
                    }
                    DWORD a = alpha != nullptr ? alpha[x] : 255;
                    if (hasTransIndex && !paletteImage && b == transColor.rgbBlue && g == transColor.rgbGreen &&
                        r == transColor.rgbRed)
                        a = 0;
                    row[4 * x] = r;
                    row[4 * x + 1] = g;
                    row[4 * x + 2] = b;
                    row[4 * x + 3] = static_cast<BYTE>(a * alphaMax / 255);
                }
            } else if (swapTo != 0) {
                std::memcpy(row, src, effWidth);
                SwapRowIndex(row, width, bpp, swapTo);
            } else {
                // libpng reads the row and writes nothing into it.
                png_write_row(png, src);
                continue;
            }
            png_write_row(png, row);
        }
    }
    png_write_end(png, pinfo);
    return true;
}
