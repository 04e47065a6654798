// Arbitrary bytes read as the records of portfolios.dat and of columns.dat. Damage ends
// in an archive error; what reads is written, and that reads back to the same records (a
// file may hold a text in a longer form than the writer's, so the file's own bytes are not
// what comes back).
#include "platform/core/CArchive.h"
#include "platform/core/CException.h"
#include "platform/core/CMemFile.h"
#include "views/CCustomColumn.h"
#include "views/CPortfolio.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>

namespace {

std::vector<BYTE> Written(const std::function<void(CArchive&)>& write)
{
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        write(ar);
        ar.Close();
    }
    return file.Detach();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    try {
        CMemFile file(data, size);
        CArchive ar(&file, CArchive::load);
        CPortfolioList portfolios;
        ReadPortfolios(ar, 19, portfolios);
        // Written, read and written again: the same bytes.
        const std::vector<BYTE> written = Written([&](CArchive& out) { WritePortfolios(out, portfolios); });
        CPortfolioList again;
        CMemFile copy(written.data(), written.size());
        CArchive in(&copy, CArchive::load);
        ReadPortfolios(in, 19, again);
        if (Written([&](CArchive& out) { WritePortfolios(out, again); }) != written)
            std::abort();
    } catch (CException&) {
    }
    try {
        CMemFile file(data, size);
        CArchive ar(&file, CArchive::load);
        CCustomColumnLists lists;
        ReadCustomColumns(ar, 19, lists);
        const std::vector<BYTE> written = Written([&](CArchive& out) { WriteCustomColumns(out, lists); });
        // What was read, written and read again, is what was read.
        try {
            CCustomColumnLists again;
            CMemFile copy(written.data(), written.size());
            CArchive in(&copy, CArchive::load);
            ReadCustomColumns(in, 19, again);
            if (in.GetRemaining() != 0 || Written([&](CArchive& out) { WriteCustomColumns(out, again); }) != written)
                std::abort();
        } catch (CException&) {
            std::abort(); // what the writer wrote must read
        }
    } catch (CException&) {
    }
    return 0;
}
