// Fuzz target: format detection (id 0) over a memory buffer, as a caller that
// does not know the format would load it; also the dimensions-only mode.
#include "imaging/CQxImage.h"

#include <cstdint>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<BYTE> bytes(data, data + size);
    BYTE* p = bytes.empty() ? nullptr : bytes.data();
    CQxImage img;
    if (img.Decode(p, static_cast<DWORD>(bytes.size()), QXIMAGE_FORMAT_UNKNOWN) && img.IsValid()) {
        // Every row the image claims must be readable in full (ASan checks),
        // and so must the corners through the pixel accessors.
        std::vector<BYTE> row(img.GetEffWidth());
        for (DWORD y = 0; y < img.GetHeight(); ++y)
            std::memcpy(row.data(), img.GetBits(y), row.size());
        const LONG w = static_cast<LONG>(img.GetWidth()) - 1;
        const LONG h = static_cast<LONG>(img.GetHeight()) - 1;
        volatile BYTE sink = static_cast<BYTE>(img.GetPixelColor(0, 0).rgbRed + img.GetPixelColor(w, h).rgbBlue +
                                               img.AlphaGet(w, h));
        (void)sink;
    }
    CQxImage dims;
    dims.SetEscape(-1);
    dims.Decode(p, static_cast<DWORD>(bytes.size()), QXIMAGE_FORMAT_UNKNOWN);
    return 0;
}
