// Arbitrary bytes read as a backtest job record (the first byte picks the layout version,
// the rest is the record) and as the backtest window's workspace record. A damaged record
// ends in an archive error and leaves the job as it was; a job read is stored and read
// again to the same bytes.
#include "backtest/BackTestViewState.h"
#include "backtest/CStrategySetup.h"
#include "platform/core/CArchive.h"
#include "platform/core/CException.h"
#include "platform/core/CMemFile.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

std::vector<BYTE> Stored(const CStrategySetup& job)
{
    CMemFile file;
    CArchive ar(&file, CArchive::store);
    job.Store(ar);
    ar.Close();
    return file.Detach();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    static const DWORD kVersions[] = {3, 9, 13, 19};
    const DWORD version = kVersions[data[0] % 4];
    CStrategySetup job;
    job.m_symbols = "KEPT";
    const std::vector<BYTE> before = Stored(job);
    bool read = false;
    {
        CMemFile file(data + 1, size - 1);
        try {
            CArchive ar(&file, CArchive::load);
            int count = 0;
            ar >> count;
            if (count != -1) {
                job.Load(ar, count, version);
                read = true;
            }
        } catch (CException&) {
            if (Stored(job) != before)
                std::abort();
        }
    }
    if (read) {
        const std::vector<BYTE> bytes = Stored(job);
        CStrategySetup again;
        CMemFile file(bytes.data(), bytes.size());
        CArchive ar(&file, CArchive::load);
        int count = 0;
        ar >> count;
        again.Load(ar, count, CStrategySetup::kArchiveVersion);
        if (Stored(again) != bytes)
            std::abort();
    }

    CBackTestViewState state;
    CLinkState link;
    CMemFile file(data + 1, size - 1);
    try {
        CArchive ar(&file, CArchive::load);
        LoadBackTestViewState(ar, version, state, link);
    } catch (CException&) {
    }
    return 0;
}
