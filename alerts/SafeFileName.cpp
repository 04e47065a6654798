#include "alerts/SafeFileName.h"

#include <cstring>

CString MakeSafeFileName(const char* name)
{
    CString safe;
    for (const char* p = name ? name : ""; *p; ++p)
        safe += std::strchr("\\/:*?\"<>|", *p) ? '-' : *p;
    if (safe.IsEmpty())
        safe = "File";
    if (safe.GetLength() > 200)
        safe = safe.Left(200);
    return safe;
}
