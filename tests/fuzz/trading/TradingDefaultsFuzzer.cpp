// trading.dat's records as arbitrary bytes. A damaged record leaves the table
// unchanged; one that reads is written and read back to the same table.
#include "common/services/CTradingDefaults.h"
#include "platform/core/CArchive.h"
#include "platform/core/CException.h"
#include "platform/core/CMemFile.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CTradingDefaults table;
    table.Row(1).orderTypes[0] = "Limit";
    const CTradingDefaults before = table;
    CMemFile file(data, size);
    try {
        CArchive ar(&file, CArchive::load);
        table.Read(ar);
    } catch (CException&) {
        if (!(table == before))
            std::abort();
        return 0;
    }
    CMemFile copy;
    {
        CArchive out(&copy, CArchive::store);
        table.Write(out);
        out.Close();
    }
    copy.SeekToBegin();
    CTradingDefaults again;
    CArchive in(&copy, CArchive::load);
    again.Read(in);
    if (!(again == table))
        std::abort();
    return 0;
}
