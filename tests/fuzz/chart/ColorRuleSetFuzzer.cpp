// Arbitrary bytes read as a colour rule set. A damaged set ends in an archive error and
// leaves the target unchanged; a set that reads is written back to the same bytes.
#include "common/services/CColorRuleSet.h"
#include "platform/core/CArchive.h"
#include "platform/core/CException.h"
#include "platform/core/CMemFile.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CColorRuleSet set;
    set.m_name = "before";
    ULONGLONG used = 0;
    try {
        CMemFile file(data, size);
        CArchive ar(&file, CArchive::load);
        set.Load(ar);
        used = size - ar.GetRemaining();
    } catch (CException&) {
        if (set.m_name != "before" || !set.m_rules.empty())
            std::abort();
        return 0;
    }
    CMemFile out;
    {
        CArchive ar(&out, CArchive::store);
        set.Store(ar);
        ar.Close();
    }
    // Strings of 255 characters and more may have been written with a longer prefix.
    if (out.GetLength() == used && std::memcmp(out.GetData(), data, used) != 0)
        std::abort();
    return 0;
}
