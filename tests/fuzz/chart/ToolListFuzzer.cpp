// Arbitrary bytes read as a pane's stored drawing tools. A damaged list ends in an archive
// error and adds no tool; a list that reads is stored and read again to the same tools,
// and storing those gives the same bytes again.
#include "chart/CStoredTool.h"
#include "platform/core/CArchive.h"
#include "platform/core/CException.h"
#include "platform/core/CMemFile.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

std::vector<BYTE> Stored(const std::vector<CStoredTool>& tools)
{
    CMemFile out;
    {
        CArchive ar(&out, CArchive::store);
        StoreToolRecords(ar, tools);
        ar.Close();
    }
    return out.Detach();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<CStoredTool> tools;
    try {
        CMemFile file(data, size);
        CArchive ar(&file, CArchive::load);
        LoadToolRecords(ar, tools);
    } catch (CException&) {
        if (!tools.empty())
            std::abort();
        return 0;
    }
    const std::vector<BYTE> bytes = Stored(tools);
    std::vector<CStoredTool> again;
    try {
        CMemFile in(bytes.data(), bytes.size());
        CArchive ar(&in, CArchive::load);
        LoadToolRecords(ar, again);
        if (ar.GetRemaining() != 0)
            std::abort();
    } catch (CException&) {
        std::abort();
    }
    if (again != tools || Stored(again) != bytes)
        std::abort();
    return 0;
}
