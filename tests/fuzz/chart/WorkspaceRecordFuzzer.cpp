// Arbitrary bytes read as a chart window's workspace record; the first byte says which
// link buttons the window has. A record that does not read leaves the target as it was;
// one that reads is stored and read again to the same values.
#include "chart/CChartWorkspaceRecord.h"
#include "platform/core/CArchive.h"
#include "platform/core/CMemFile.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

bool Same(const CChartWorkspaceRecord& a, const CChartWorkspaceRecord& b)
{
    return a.symbol == b.symbol && a.interval == b.interval && a.links.GetSymbolGroup() == b.links.GetSymbolGroup() &&
           a.links.GetIntervalGroup() == b.links.GetIntervalGroup();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    CChartWorkspaceRecord record;
    record.links.SetButtons((data[0] & 1) != 0, (data[0] & 2) != 0);
    record.links.SetSymbolGroup(3);
    record.symbol = "BEFORE";
    const CChartWorkspaceRecord before = record;
    CMemFile file(data + 1, size - 1);
    CArchive ar(&file, CArchive::load);
    if (!record.Load(ar)) {
        if (!Same(record, before))
            std::abort();
        return 0;
    }
    if (record.symbol.GetLength() > CChartWorkspaceRecord::kMaxTextLength ||
        record.interval.GetLength() > CChartWorkspaceRecord::kMaxTextLength)
        std::abort();
    CMemFile out;
    {
        CArchive store(&out, CArchive::store);
        if (!record.Store(store))
            std::abort();
        store.Close();
    }
    const std::vector<BYTE> bytes = out.Detach();
    CChartWorkspaceRecord again;
    again.links = before.links;
    CMemFile in(bytes.data(), bytes.size());
    CArchive load(&in, CArchive::load);
    if (!again.Load(load) || !Same(again, record))
        std::abort();
    return 0;
}
