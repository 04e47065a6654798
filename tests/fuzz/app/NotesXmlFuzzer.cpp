// notes.xml as arbitrary text. Notes that are read are written out and read back
// to the same notes.
#include "common/services/CNoteMap.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CNoteMap notes;
    notes.SetAt("KEEP", "unchanged");
    CString error;
    const CNoteMap before = notes;
    if (!notes.FromXml(CString(std::string(reinterpret_cast<const char*>(data), size)), &error)) {
        // A refused text leaves the notes as they were.
        if (notes.GetNotes() != before.GetNotes() || error.IsEmpty())
            std::abort();
        return 0;
    }
    CNoteMap again;
    if (!again.FromXml(notes.ToXml(), &error) || again.GetNotes() != notes.GetNotes())
        std::abort();
    return 0;
}
