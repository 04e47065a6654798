// Feeds bytes to the archive reader as the user data loaders do: version, counts,
// strings and numbers. Strings that were read must store and load back unchanged.
#include "platform/core/CArchive.h"
#include "platform/core/CMemFile.h"
#include "platform/core/FileVersion.h"

#include <cstdint>
#include <cstdlib>

namespace {
void checkRoundTrip(const CString& text)
{
    CMemFile file;
    {
        CArchive out(&file, CArchive::store);
        out << text;
        out.Close();
    }
    file.SeekToBegin();
    CArchive in(&file, CArchive::load);
    CString back;
    in >> back;
    if (back != text || in.GetRemaining() != 0)
        std::abort();
}

void readRecords(CArchive& ar)
{
    DWORD version = 0;
    ar >> version;
    if (!IsSupportedFileVersion(version))
        return;
    const DWORD count = ar.ReadBoundedCount(2);
    for (DWORD i = 0; i < count; ++i) {
        BYTE kind = 0;
        ar >> kind;
        switch (kind % 8) {
        case 0: {
            CString s;
            ar >> s;
            checkRoundTrip(s);
            break;
        }
        case 1: {
            WORD w;
            ar >> w;
            break;
        }
        case 2: {
            LONG l;
            ar >> l;
            break;
        }
        case 3: {
            double d;
            ar >> d;
            break;
        }
        case 4: {
            float f;
            ar >> f;
            break;
        }
        case 5: {
            const DWORD inner = ar.ReadBoundedCount(1);
            for (DWORD j = 0; j < inner; ++j) {
                CString s;
                ar >> s;
            }
            break;
        }
        case 6: {
            BYTE raw[16];
            ar.Read(raw, sizeof raw);
            break;
        }
        default: {
            int64_t v;
            bool b;
            ar >> v >> b;
            break;
        }
        }
    }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CMemFile file(data, size);
    try {
        CArchive ar(&file, CArchive::load, 128);
        readRecords(ar);
    } catch (const CArchiveException&) {
    } catch (const CFileException&) {
    }
    return 0;
}
