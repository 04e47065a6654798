// Fuzz target: the PNG decoder on arbitrary bytes. libpng refuses a chunk whose
// CRC does not match before it looks at the chunk's data, so the fuzzer's own
// mutator is followed by a repair of the signature and of every chunk's CRC:
// mutations then reach the decoder's logic instead of the CRC check.
#include "tests/fuzz/imaging/FuzzCodecDecode.h"

#include <zlib.h>

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return QxFuzzDecode(data, size, QXIMAGE_FORMAT_PNG);
}

#ifdef QX_FUZZING
extern "C" size_t LLVMFuzzerMutate(uint8_t* data, size_t size, size_t maxSize);

extern "C" size_t LLVMFuzzerCustomMutator(uint8_t* data, size_t size, size_t maxSize, unsigned int seed)
{
    size = LLVMFuzzerMutate(data, size, maxSize);
    static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (size < 8)
        return size;
    // Now and then a damaged signature is kept, so that the refusal stays tested.
    if (seed % 16 != 0)
        std::memcpy(data, kSignature, 8);
    size_t pos = 8;
    while (pos + 12 <= size) {
        const uint32_t length = static_cast<uint32_t>(data[pos]) << 24 | static_cast<uint32_t>(data[pos + 1]) << 16 |
                                static_cast<uint32_t>(data[pos + 2]) << 8 | data[pos + 3];
        if (length > size - pos - 12)
            break;
        const uLong crc = crc32(0, data + pos + 4, static_cast<uInt>(length + 4));
        uint8_t* out = data + pos + 8 + length;
        for (int i = 0; i < 4; ++i)
            out[i] = static_cast<uint8_t>(crc >> (24 - 8 * i));
        pos += 12 + length;
    }
    return size;
}
#endif
