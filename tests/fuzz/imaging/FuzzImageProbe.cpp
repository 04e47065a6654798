// Fuzz target: format detection (id 0) over a memory buffer, as a caller that
// does not know the format would load it; also the dimensions-only mode.
#include "imaging/CQxImage.h"

#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<BYTE> bytes(data, data + size);
    BYTE* p = bytes.empty() ? nullptr : bytes.data();
    CQxImage img;
    if (img.Decode(p, static_cast<DWORD>(bytes.size()), QXIMAGE_FORMAT_UNKNOWN) && img.IsValid()) {
        // Touch every pixel the decoder claims to have made.
        unsigned sum = 0;
        for (LONG y = 0; y < static_cast<LONG>(img.GetHeight()); ++y)
            for (LONG x = 0; x < static_cast<LONG>(img.GetWidth()); ++x)
                sum += img.GetPixelColor(x, y).rgbRed;
        (void)sum;
    }
    CQxImage dims;
    dims.SetEscape(-1);
    dims.Decode(p, static_cast<DWORD>(bytes.size()), QXIMAGE_FORMAT_UNKNOWN);
    return 0;
}
