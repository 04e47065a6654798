// Arbitrary bytes read as a chart layout: the first byte says which link buttons the
// chart has and whether a symbol comes first (the workspace record and the chart copy).
// A layout that reads is written and read again: the second writing gives the same bytes
// as the first.
#include "chart/CChartLayout.h"
#include "platform/core/CArchive.h"
#include "platform/core/CMemFile.h"
#include "tests/fuzz/FuzzCheck.h"

#include <cstdint>
#include <vector>

namespace {

struct Options {
    bool symbolButton = false;
    bool intervalButton = false;
    bool record = false;
};

ELayoutError Read(const BYTE* data, size_t size, const Options& o, CString& symbol, CChartLayout& layout)
{
    layout.links.SetButtons(o.symbolButton, o.intervalButton);
    CMemFile file(data, size);
    CArchive ar(&file, CArchive::load);
    return o.record ? LoadChartRecord(ar, symbol, layout) : LoadChartLayout(ar, layout);
}

std::vector<BYTE> Write(const Options& o, const CString& symbol, const CChartLayout& layout)
{
    CMemFile out;
    {
        CArchive ar(&out, CArchive::store);
        if (o.record)
            StoreChartRecord(ar, symbol, layout);
        else
            StoreChartLayout(ar, layout);
        ar.Close();
    }
    return out.Detach();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const Options o{(data[0] & 1) != 0, (data[0] & 2) != 0, (data[0] & 4) != 0};
    CString symbol;
    CChartLayout layout;
    if (Read(data + 1, size - 1, o, symbol, layout) != ELayoutError::kNone)
        return 0;
    FuzzCheck(layout.version < kFirstRefusedLayoutVersion);
    FuzzCheck(static_cast<int>(layout.paneTools.size()) <= kMaxLayoutPanes);
    const std::vector<BYTE> first = Write(o, symbol, layout);
    CString again;
    CChartLayout reread;
    FuzzCheck(Read(first.data(), first.size(), o, again, reread) == ELayoutError::kNone);
    FuzzCheck(again == symbol);
    FuzzCheck(Write(o, again, reread) == first);
    return 0;
}
