// Fuzz target: the metafile reader (placeable WMF and EMF) on arbitrary bytes,
// at the metafile's own size and at a small forced size.
#include "imaging/CQxImageWMF.h"
#include "imaging/CQxMemFile.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    std::vector<BYTE> bytes(data, data + size);
    for (LONG forced : {0, 64}) {
        CQxMemFile in(bytes.data(), static_cast<DWORD>(bytes.size()));
        CQxImageWMF img;
        if (img.Decode(&in, forced, forced) && !img.IsValid())
            std::abort();
    }
    return 0;
}
