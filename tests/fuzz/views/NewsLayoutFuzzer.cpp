// Arbitrary bytes read as a news layout (".nwl") and as a news window's workspace record.
// Damage and unknown versions end in a refusal, never in a crash or an unbounded
// allocation; what loads holds only known columns, each once, with widths in range and a
// sort inside them, and writes back to bytes that read the same.
#include "common/services/CLinkState.h"
#include "platform/core/CArchive.h"
#include "platform/core/CException.h"
#include "platform/core/CMemFile.h"
#include "tests/fuzz/FuzzCheck.h"
#include "views/NewsColumns.h"
#include "views/NewsLayout.h"
#include "views/NewsWorkspace.h"

#include <cstdint>
#include <set>

namespace {

void CheckLayout(const CNewsLayout& layout)
{
    std::set<int> seen;
    for (const CReportLayoutColumn& c : layout.columns) {
        FuzzCheck(c.field >= 0 && c.field < kNewsColumnCount && seen.insert(c.field).second);
        FuzzCheck(c.width >= 0 && c.width <= kMaxReportColumnWidth);
    }
    FuzzCheck(layout.sortPosition >= -1 && layout.sortPosition < static_cast<int>(layout.columns.size()));
    FuzzCheck(layout.sortDirection == 1 || layout.sortDirection == -1);
}

std::vector<BYTE> Written(const CNewsLayout& layout)
{
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        ar << kNewsLayoutVersion;
        WriteNewsLayoutBody(ar, layout);
        ar.Close();
    }
    return file.Detach();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CNewsLayout layout;
    CString message;
    ENewsLayoutRead read;
    {
        CMemFile file(data, size);
        CArchive ar(&file, CArchive::load);
        read = ReadNewsLayout(ar, "fuzz.nwl", layout, message);
    }
    if (read == ENewsLayoutRead::kLoaded) {
        CheckLayout(layout);
        const std::vector<BYTE> bytes = Written(layout);
        CNewsLayout again;
        CMemFile file(bytes.data(), bytes.size());
        CArchive ar(&file, CArchive::load);
        FuzzCheck(ReadNewsLayout(ar, "again.nwl", again, message) == ENewsLayoutRead::kLoaded);
        FuzzCheck(again == layout && Written(again) == bytes);
    } else {
        FuzzCheck(!message.IsEmpty() && layout == CNewsLayout());
    }

    // The same bytes as a workspace record of versions 10 and 19.
    for (DWORD version : {10u, 19u}) {
        try {
            CMemFile file(data, size);
            CArchive ar(&file, CArchive::load);
            CNewsRecord record;
            CLinkState links;
            links.SetButtons(true, false);
            if (ReadNewsRecord(ar, version, record, links)) {
                FuzzCheck(record.symbols.GetLength() <= kMaxNewsSymbolsText);
                FuzzCheck(record.hasLayout == (version >= kFirstNewsRecordWithLayout));
                CheckLayout(record.layout);
            }
        } catch (CException&) {
        }
    }
    return 0;
}
