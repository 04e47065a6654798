// Arbitrary bytes read as a Level I layout (version and column block) and as a Level I
// workspace record. Damage ends in an archive error, never in a crash or an unbounded
// allocation; a block that reads writes back to a block that reads the same.
#include "common/services/CLinkState.h"
#include "platform/core/CArchive.h"
#include "platform/core/CException.h"
#include "platform/core/CMemFile.h"
#include "views/Level1Layout.h"
#include "views/Level1Workspace.h"

#include <cstdint>
#include <cstdlib>

namespace {

std::vector<BYTE> Written(const std::vector<CLayoutColumn>& columns)
{
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        WriteColumnBlock(ar, columns);
        ar.Close();
    }
    return file.Detach();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<CLayoutColumn> columns;
    bool whole = false;
    DWORD version = 0;
    try {
        CMemFile file(data, size);
        CArchive ar(&file, CArchive::load);
        ar >> version;
        if (version < 20) {
            ReadColumnBlock(ar, version, columns);
            whole = true;
        }
    } catch (CException&) {
    }
    if (whole) {
        // Written, read and written again: the same bytes.
        const std::vector<BYTE> bytes = Written(columns);
        std::vector<CLayoutColumn> again;
        CMemFile file(bytes.data(), bytes.size());
        CArchive ar(&file, CArchive::load);
        ReadColumnBlock(ar, 19, again);
        if (Written(again) != bytes)
            std::abort();
    }
    try {
        CMemFile file(data, size);
        CArchive ar(&file, CArchive::load);
        CLevel1Record record;
        CLinkState links;
        links.SetButtons(true, false);
        ReadLevel1Record(ar, version % 20, record, links);
        if (!IsLevel1Mode(record.mode))
            std::abort();
    } catch (CException&) {
    }
    return 0;
}
