// Arbitrary bytes read as a Snapshot Window's stored form inside a chart layout: a layout
// version word, the field set and the position. Damage ends in an archive error; every
// field read is one of the quote field table, none twice, and a set that reads writes
// back to the same words.
#include "broker/session/QuoteFields.h"
#include "platform/core/CArchive.h"
#include "platform/core/CException.h"
#include "platform/core/CMemFile.h"
#include "views/SnapshotFields.h"

#include <cstdint>
#include <cstdlib>
#include <set>

namespace {

std::vector<BYTE> Written(const CSnapshotFieldSet& set)
{
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        StoreSnapshotFieldSet(ar, set);
        ar.Close();
    }
    return file.Detach();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CSnapshotFieldSet set;
    try {
        CMemFile file(data, size);
        CArchive ar(&file, CArchive::load);
        DWORD version = 0;
        ar >> version;
        LoadSnapshotFieldSet(ar, set);
        CPoint topLeft;
        LoadPanelPosition(ar, version, topLeft);
    } catch (CException&) {
    }
    std::set<int> seen;
    for (const CSnapshotField& field : set.fields)
        if (field.fieldId < 0 || field.fieldId >= kQuoteFieldCount || !seen.insert(field.fieldId).second)
            std::abort();
    const std::vector<BYTE> bytes = Written(set);
    CSnapshotFieldSet again;
    CMemFile file(bytes.data(), bytes.size());
    CArchive ar(&file, CArchive::load);
    LoadSnapshotFieldSet(ar, again);
    if (!(again == set) || Written(again) != bytes)
        std::abort();
    return 0;
}
