#include "views/CCustomColumn.h"

#include "common/services/CAppSettings.h"
#include "platform/core/CArchive.h"
#include "platform/core/CException.h"
#include "platform/core/CMemFile.h"

namespace {

constexpr UINT kMinColumnBytes = 1 + 1 + 4 + 4;

} // namespace

void ReadCustomColumns(CArchive& ar, DWORD, CCustomColumnLists& out)
{
    for (auto& list : out.lists)
        list.clear();
    for (auto& list : out.lists) {
        if (ar.GetRemaining() == 0)
            break; // files of older versions may end before the last lists
        const DWORD count = ar.ReadBoundedCount(kMinColumnBytes);
        list.reserve(count);
        for (DWORD i = 0; i < count; ++i) {
            CCustomColumn column;
            column.Load(ar);
            list.push_back(std::move(column));
        }
    }
}

void WriteCustomColumns(CArchive& ar, const CCustomColumnLists& lists)
{
    for (const auto& list : lists.lists) {
        ar << static_cast<DWORD>(list.size());
        for (const CCustomColumn& column : list)
            column.Store(ar);
    }
}

bool LoadCustomColumns(const CAppSettings& settings, CCustomColumnLists& out, CString* error)
{
    for (auto& list : out.lists)
        list.clear();
    const CKeptRecords& kept = settings.m_columns;
    if (kept.body.empty())
        return true;
    try {
        CMemFile file(kept.body.data(), kept.body.size());
        CArchive ar(&file, CArchive::load);
        ReadCustomColumns(ar, kept.version, out);
    } catch (CException&) {
        for (auto& list : out.lists)
            list.clear();
        if (error)
            *error = "Error reading file columns.dat: the file is damaged. It is kept unchanged; your custom "
                     "columns are not loaded.";
        return false;
    }
    return true;
}

void StoreCustomColumns(CAppSettings& settings, const CCustomColumnLists& lists)
{
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        WriteCustomColumns(ar, lists);
        ar.Close();
    }
    settings.m_columns.body = file.Detach();
    settings.m_columns.version = kUserFileVersion;
}
