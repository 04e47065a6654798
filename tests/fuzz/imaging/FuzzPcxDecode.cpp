// Fuzz target: the PCX decoder on arbitrary bytes.
#include "tests/fuzz/imaging/FuzzCodecDecode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return QxFuzzDecode(data, size, QXIMAGE_FORMAT_PCX);
}
