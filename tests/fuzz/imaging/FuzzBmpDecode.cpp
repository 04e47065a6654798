// Fuzz target: the BMP decoder on arbitrary bytes, then a round trip of what
// it accepted (encode, decode again, same pixels).
#include "imaging/CQxImageBMP.h"
#include "imaging/CQxMemFile.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<BYTE> bytes(data, data + size);
    CQxMemFile in(bytes.empty() ? nullptr : bytes.data(), static_cast<DWORD>(bytes.size()));
    CQxImage img;
    if (bytes.empty() || !img.Decode(&in, QXIMAGE_FORMAT_BMP) || !img.IsValid())
        return 0;

    BYTE* encoded = nullptr;
    int32_t encodedSize = 0;
    if (!img.Encode(encoded, encodedSize, QXIMAGE_FORMAT_BMP))
        std::abort();  // a decoded image must always encode
    CQxImage again;
    const bool ok = again.Decode(encoded, static_cast<DWORD>(encodedSize), QXIMAGE_FORMAT_BMP);
    CQxImage::FreeMemory(encoded);
    if (!ok || again.GetWidth() != img.GetWidth() || again.GetHeight() != img.GetHeight() ||
        again.GetBpp() != img.GetBpp())
        std::abort();
    // Same rows, ignoring the unused bits at the end of each row.
    const DWORD bits = img.GetWidth() * img.GetBpp();
    const DWORD whole = bits / 8;
    const BYTE mask = static_cast<BYTE>(0xFF00u >> (bits % 8));
    for (DWORD y = 0; y < img.GetHeight(); ++y) {
        const BYTE* a = img.GetBits(y);
        const BYTE* b = again.GetBits(y);
        if (std::memcmp(a, b, whole) != 0 || (bits % 8 != 0 && ((a[whole] ^ b[whole]) & mask) != 0))
            std::abort();
    }
    if (img.IsIndexed() && !again.IsSamePalette(img))
        std::abort();
    return 0;
}
