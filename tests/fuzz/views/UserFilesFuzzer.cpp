// Arbitrary bytes read as the records of portfolios.dat and of columns.dat. Damage ends
// in an archive error; what reads writes back to the same bytes.
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

// The bytes that were read are the bytes written back.
void CheckSame(const uint8_t* data, size_t consumed, const std::vector<BYTE>& written)
{
    if (written.size() != consumed || std::memcmp(written.data(), data, consumed) != 0)
        std::abort();
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
        const size_t consumed = size - static_cast<size_t>(ar.GetRemaining());
        const std::vector<BYTE> written = Written([&](CArchive& out) { WriteCustomColumns(out, lists); });
        // A file that ends before its last lists is written with them (empty).
        if (written.size() == consumed)
            CheckSame(data, consumed, written);
    } catch (CException&) {
    }
    return 0;
}
