#include "views/NewsLayout.h"

#include "platform/core/CArchive.h"
#include "platform/core/CException.h"
#include "platform/core/CFile.h"
#include "platform/core/CSafeFile.h"
#include "views/NewsColumns.h"

CNewsLayout DefaultNewsLayout()
{
    CNewsLayout layout;
    for (int id = 0; id < kNewsColumnCount; ++id)
        layout.columns.push_back({id, DefaultColumnWidth(NewsColumns(), id)});
    // Newest first, whichever key brought a headline.
    layout.sortPosition = kNewsTime;
    layout.sortDirection = -1;
    return layout;
}

void WriteNewsLayoutBody(CArchive& ar, const CNewsLayout& layout)
{
    WriteReportLayout(ar, layout.columns);
    const int position =
        layout.sortPosition >= 0 && layout.sortPosition < static_cast<int>(layout.columns.size()) ? layout.sortPosition : -1;
    ar << static_cast<DWORD>(position) << static_cast<DWORD>(layout.sortDirection < 0 ? -1 : 1);
}

CNewsLayout ReadNewsLayoutBody(CArchive& ar)
{
    CNewsLayout layout;
    layout.columns = ReadReportLayout(ar, kNewsColumnCount);
    int position = -1;
    int direction = 1;
    ar >> position >> direction;
    layout.sortPosition = position >= 0 && position < static_cast<int>(layout.columns.size()) ? position : -1;
    layout.sortDirection = direction < 0 ? -1 : 1;
    return layout;
}

ENewsLayoutRead ReadNewsLayout(CArchive& ar, const CString& path, CNewsLayout& out, CString& message)
{
    try {
        DWORD version = 0;
        ar >> version;
        if (version >= 20) {
            message.Format("Error reading layout %s: incompatible version (v%d).\nPlease upgrade to the latest "
                           "version of Quorvantelix.",
                           path.GetString(), static_cast<int>(version));
            return ENewsLayoutRead::kIncompatible;
        }
        CNewsLayout layout = ReadNewsLayoutBody(ar);
        out = std::move(layout);
    } catch (CException&) {
        message = "Error reading layout " + path + ": the file is damaged.";
        return ENewsLayoutRead::kDamaged;
    }
    return ENewsLayoutRead::kLoaded;
}

ENewsLayoutRead ReadNewsLayoutFile(const CString& path, CNewsLayout& out, CString& message)
{
    CFile file;
    if (!file.Open(path, CFile::modeRead | CFile::shareDenyWrite)) {
        message = "Error reading layout " + path;
        return ENewsLayoutRead::kCannotOpen;
    }
    try {
        CArchive ar(&file, CArchive::load);
        return ReadNewsLayout(ar, path, out, message);
    } catch (CException&) {
        message = "Error reading layout " + path + ": the file is damaged.";
        return ENewsLayoutRead::kDamaged;
    }
}

bool WriteNewsLayoutFile(const CString& path, const CNewsLayout& layout, CString& message)
{
    const bool ok = SaveFileSafely(path, [&](CArchive& ar) {
        ar << kNewsLayoutVersion;
        WriteNewsLayoutBody(ar, layout);
    });
    if (!ok)
        message = "Error saving layout to " + path;
    return ok;
}
