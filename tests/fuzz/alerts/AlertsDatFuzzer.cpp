// Arbitrary bytes read as alerts.dat. A damaged file ends in an archive error, never in a
// crash or an unbounded allocation; a file that converts gives text that reads as alerts.
#include "alerts/CAlertBook.h"
#include "common/services/CAppSettings.h"
#include "platform/core/CArchive.h"
#include "platform/core/CException.h"
#include "platform/core/CMemFile.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static CAppSettings settings;
    CMemFile file(data, size);
    CString xml;
    DWORD version = 0;
    bool converted = false;
    try {
        CArchive ar(&file, CArchive::load);
        converted = OldAlertsToXml(ar, xml, version);
    } catch (CException&) {
        return 0;
    }
    if (!converted) {
        if (version < 20)
            std::abort();
        return 0;
    }
    CAlertBook book(settings);
    CString error;
    book.FromXmlText(xml, &error);
    return 0;
}
