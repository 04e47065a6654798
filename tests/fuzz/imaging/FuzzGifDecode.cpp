// Fuzz target: the GIF decoder on arbitrary bytes, the first frames and the last one
// (which composes every frame before it).
#include "tests/fuzz/imaging/FuzzCodecDecode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    QxFuzzDecode(data, size, QXIMAGE_FORMAT_GIF);
    if (size == 0)
        return 0;
    std::vector<BYTE> bytes(data, data + size);
    CQxMemFile probe(bytes.data(), static_cast<DWORD>(bytes.size()));
    CQxImage first;
    if (!first.Decode(&probe, QXIMAGE_FORMAT_GIF) || first.GetNumFrames() <= 3)
        return 0;
    CQxMemFile in(bytes.data(), static_cast<DWORD>(bytes.size()));
    CQxImage last;
    last.SetFrame(first.GetNumFrames() - 1);
    if (last.Decode(&in, QXIMAGE_FORMAT_GIF)) {
        if (!last.IsValid())
            std::abort();
        QxFuzzTouchPixels(last);
    }
    return 0;
}
