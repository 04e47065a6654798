// Fuzz target: decode arbitrary bytes with the format probe, then encode what
// was accepted with every codec that can hold it and decode that again. The
// encoder must not change the image, and the second decoding must show the
// same visible pixels.
#include "tests/fuzz/imaging/FuzzCodecDecode.h"

#include <cstdint>
#include <cstdlib>
#include <vector>
#include <cstdio>

namespace {

std::vector<RGBQUAD> Snapshot(CQxImage& img)
{
    std::vector<RGBQUAD> out;
    out.reserve(static_cast<size_t>(img.GetWidth()) * img.GetHeight());
    for (DWORD y = 0; y < img.GetHeight(); ++y)
        for (DWORD x = 0; x < img.GetWidth(); ++x)
            out.push_back(img.GetPixelColor(static_cast<LONG>(x), static_cast<LONG>(y), true));
    return out;
}

bool SameColor(const RGBQUAD& a, const RGBQUAD& b)
{
    return a.rgbRed == b.rgbRed && a.rgbGreen == b.rgbGreen && a.rgbBlue == b.rgbBlue;
}

bool BlackAndWhite(CQxImage& img)
{
    const RGBQUAD a = img.GetPaletteColor(0);
    const RGBQUAD b = img.GetPaletteColor(1);
    const RGBQUAD black{0, 0, 0, 0};
    const RGBQUAD white{255, 255, 255, 0};
    return (SameColor(a, black) && SameColor(b, white)) || (SameColor(a, white) && SameColor(b, black));
}

void RoundTrip(CQxImage& img, DWORD format)
{
    const std::vector<RGBQUAD> before = Snapshot(img);
    const LONG transBefore = img.GetTransIndex();
    BYTE* encoded = nullptr;
    int32_t size = 0;
    if (!img.Encode(encoded, size, format))
        std::abort();  // every format here was chosen because it can hold the image
    const std::vector<RGBQUAD> after = Snapshot(img);
    for (size_t i = 0; i < before.size(); ++i)
        if (!SameColor(before[i], after[i]) || before[i].rgbReserved != after[i].rgbReserved)
            std::abort();  // encoding changed the caller's image
    if (img.GetTransIndex() != transBefore)
        std::abort();

    CQxImage back;
    const bool ok = back.Decode(encoded, static_cast<DWORD>(size), format);
    CQxImage::FreeMemory(encoded);
    if (!ok || back.GetWidth() != img.GetWidth() || back.GetHeight() != img.GetHeight())
        std::abort();
    if (format == QXIMAGE_FORMAT_PNG && img.AlphaPaletteIsEnabled())
        return;  // partly transparent palette entries are composited on reading
    bool anyVisible = false;
    for (DWORD y = 0; y < img.GetHeight(); ++y)
        for (DWORD x = 0; x < img.GetWidth(); ++x)
            anyVisible = anyVisible || !img.IsTransparent(static_cast<LONG>(x), static_cast<LONG>(y));
    if (format == QXIMAGE_FORMAT_ICO && !anyVisible)
        return;  // an all-transparent icon is an inverted one
    size_t i = 0;
    for (DWORD y = 0; y < img.GetHeight(); ++y)
        for (DWORD x = 0; x < img.GetWidth(); ++x, ++i) {
            const LONG lx = static_cast<LONG>(x);
            const LONG ly = static_cast<LONG>(y);
            const bool visible = !img.IsTransparent(lx, ly) && (!img.AlphaIsValid() || img.AlphaGet(lx, ly) == 255);
            if (!visible && format != QXIMAGE_FORMAT_GIF)
                continue;
            if (!SameColor(before[i], back.GetPixelColor(lx, ly, false))) {
                RGBQUAD b = back.GetPixelColor(lx, ly, false);
                fprintf(stderr, "fmt %u x %d y %d bpp %d trans %d idx %d before %d,%d,%d back %d,%d,%d backtrans %d backidx %d alpha %d\n", format, lx, ly, img.GetBpp(), img.GetTransIndex(), img.GetPixelIndex(lx,ly), before[i].rgbRed, before[i].rgbGreen, before[i].rgbBlue, b.rgbRed, b.rgbGreen, b.rgbBlue, back.GetTransIndex(), back.GetPixelIndex(lx,ly), img.AlphaIsValid());
                std::abort();
            }
        }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    std::vector<BYTE> bytes(data, data + size);
    CQxImage img;
    if (!img.Decode(bytes.data(), static_cast<DWORD>(bytes.size()), QXIMAGE_FORMAT_UNKNOWN))
        return 0;
    if (!img.IsValid())
        std::abort();
    if (static_cast<uint64_t>(img.GetWidth()) * img.GetHeight() > (1u << 18))
        return 0;
    const DWORD bpp = img.GetBpp();
    // GIF, TGA and PCX hold sizes in 16 bits.
    const bool small = img.GetWidth() <= 0xFFFF && img.GetHeight() <= 0xFFFF;
    RoundTrip(img, QXIMAGE_FORMAT_PNG);
    if (small)
        RoundTrip(img, QXIMAGE_FORMAT_GIF);
    if (small && bpp >= 8)
        RoundTrip(img, QXIMAGE_FORMAT_TGA);
    if (small && (bpp != 1 || BlackAndWhite(img)))
        RoundTrip(img, QXIMAGE_FORMAT_PCX);
    if (img.GetWidth() <= 255 && img.GetHeight() <= 255)
        RoundTrip(img, QXIMAGE_FORMAT_ICO);
    if (bpp == 1 && BlackAndWhite(img))
        RoundTrip(img, QXIMAGE_FORMAT_WBMP);
    return 0;
}
