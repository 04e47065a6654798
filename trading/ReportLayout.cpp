#include "trading/ReportLayout.h"

#include "platform/core/CArchive.h"
#include "platform/core/CFile.h"
#include "platform/core/CFileException.h"
#include "platform/core/CSafeFile.h"

#include <algorithm>
#include <cstring>
#include <set>

void WriteReportLayout(CArchive& ar, const CReportLayout& layout)
{
    ar << static_cast<DWORD>(layout.size());
    for (const CReportLayoutColumn& c : layout)
        ar << c.field << c.width;
}

CReportLayout ReadReportLayout(CArchive& ar, int fieldCount)
{
    const DWORD count = ar.ReadBoundedCount(8);
    CReportLayout layout;
    std::set<int> seen;
    for (DWORD i = 0; i < count; ++i) {
        CReportLayoutColumn c;
        ar >> c.field >> c.width;
        if (c.field < 0 || c.field >= fieldCount || !seen.insert(c.field).second)
            continue;
        c.width = std::clamp(c.width, 0, kMaxReportColumnWidth);
        layout.push_back(c);
    }
    return layout;
}

ELayoutFileState LoadReportLayoutFile(const CString& path, int fieldCount, CReportLayout& out)
{
    CFile file;
    if (!file.Open(path, CFile::modeRead))
        return ELayoutFileState::kMissing;
    try {
        CArchive ar(&file, CArchive::load);
        out = ReadReportLayout(ar, fieldCount);
        return ELayoutFileState::kLoaded;
    } catch (CException&) {
        return ELayoutFileState::kDamaged;
    }
}

bool SaveReportLayoutFile(const CString& path, const CReportLayout& layout, CString& error)
{
    int osError = 0;
    if (SaveFileSafely(path, [&](CArchive& ar) { WriteReportLayout(ar, layout); }, &osError)) {
        error.Empty();
        return true;
    }
    error = osError > 0 ? CString(std::strerror(osError)) : CString("the file could not be written");
    return false;
}
