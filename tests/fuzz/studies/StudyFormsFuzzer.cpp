// Arbitrary bytes read as saved studies: the first byte gives the layout version (0 to
// 20), then studies follow until the data ends. A damaged form ends in an archive error
// or no study, never in a crash or an unbounded allocation; a study that loads is written,
// read and written again to the same bytes.
#include "platform/core/CArchive.h"
#include "platform/core/CException.h"
#include "platform/core/CMemFile.h"
#include "studies/StudyFactory.h"

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {
std::vector<BYTE> Saved(const CStudyDefinition& study)
{
    CMemFile out;
    {
        CArchive ar(&out, CArchive::store);
        StoreStudy(ar, study);
        ar.Close();
    }
    return out.Detach();
}

std::unique_ptr<CStudyDefinition> Loaded(const std::vector<BYTE>& bytes)
{
    CMemFile file(bytes.data(), bytes.size());
    CArchive ar(&file, CArchive::load);
    return LoadStudy(ar, 19);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const int version = data[0] % 21;
    CMemFile file(data + 1, size - 1);
    try {
        CArchive ar(&file, CArchive::load);
        while (ar.GetRemaining() > 0) {
            std::unique_ptr<CStudyDefinition> study = LoadStudy(ar, version);
            if (!study)
                return 0;
            if (version >= 20)
                std::abort();
            // What this program writes it reads back under the current version (bytes are
            // compared: a NaN read from the data equals nothing, itself included).
            const std::vector<BYTE> bytes = Saved(*study);
            const std::unique_ptr<CStudyDefinition> again = Loaded(bytes);
            if (!again || Saved(*again) != bytes)
                std::abort();
        }
    } catch (CException&) {
    }
    return 0;
}
