#include "broker/session/CWatchlistListHandle.h"

bool CWatchlistListHandle::FindByName(const CString& name, CWatchlistRecord& out) const
{
    CArray<CWatchlistRecord> lists;
    if (!CopyRecords(lists))
        return false;
    for (INT_PTR i = 0; i < lists.GetSize(); ++i)
        if (lists[i].name.CompareNoCase(name) == 0) {
            out = lists[i];
            return true;
        }
    return false;
}
