// Shared body of the per-decoder fuzz targets: decode arbitrary bytes with one
// format id, then touch every pixel of what was accepted.
#pragma once

#include "imaging/CQxImage.h"
#include "imaging/CQxMemFile.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

inline void QxFuzzTouchPixels(CQxImage& img)
{
    unsigned sum = 0;
    // Large images are sampled: the decoder is under test, not the accessors.
    const uint64_t pixels = static_cast<uint64_t>(img.GetWidth()) * img.GetHeight();
    const DWORD step = pixels > 65536 ? static_cast<DWORD>(pixels / 65536) + 1 : 1;
    for (DWORD y = 0; y < img.GetHeight(); y += step)
        for (DWORD x = 0; x < img.GetWidth(); ++x) {
            const RGBQUAD c = img.GetPixelColor(static_cast<LONG>(x), static_cast<LONG>(y), true);
            sum += c.rgbRed + c.rgbGreen + c.rgbBlue + c.rgbReserved;
        }
    if (sum == 0xFFFFFFFFu)
        std::abort();  // keeps the loop from being optimised away
}

inline int QxFuzzDecode(const uint8_t* data, size_t size, DWORD format)
{
    if (size == 0)
        return 0;
    std::vector<BYTE> bytes(data, data + size);
    for (LONG frame : {0, 1, 2}) {
        CQxMemFile in(bytes.data(), static_cast<DWORD>(bytes.size()));
        CQxImage img;
        img.SetFrame(frame);
        if (!img.Decode(&in, format))
            break;
        if (!img.IsValid())
            std::abort();  // success means pixels
        QxFuzzTouchPixels(img);
        if (img.GetNumFrames() <= frame + 1)
            break;
    }
    return 0;
}
