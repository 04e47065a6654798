// Arbitrary bytes read as a backtest column layout (.btl): a count above 29 or a short file
// ends in an archive error; a layout read is written and read again unchanged.
#include "backtest/BackTestColumns.h"
#include "platform/core/CArchive.h"
#include "platform/core/CException.h"
#include "platform/core/CMemFile.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CMemFile file(data, size);
    std::array<CBackTestLayout, 2> layouts;
    try {
        CArchive ar(&file, CArchive::load);
        layouts = ReadBackTestLayouts(ar);
    } catch (CException&) {
        return 0;
    }
    for (const CBackTestLayout& layout : layouts)
        if (layout.size() > static_cast<size_t>(kMaxLayoutColumns))
            std::abort();
    CMemFile out;
    {
        CArchive ar(&out, CArchive::store);
        WriteBackTestLayouts(ar, layouts);
        ar.Close();
    }
    out.SeekToBegin();
    CArchive ar(&out, CArchive::load);
    if (ReadBackTestLayouts(ar) != layouts)
        std::abort();
    return 0;
}
