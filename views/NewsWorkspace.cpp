#include "views/NewsWorkspace.h"

#include "common/services/CLinkState.h"
#include "platform/core/CArchive.h"

bool WriteNewsRecord(CArchive& ar, const CNewsRecord& record, const CLinkState& links)
{
    ar << record.symbols << static_cast<DWORD>(record.alertOnNews ? 1 : 0);
    if (!links.Save(ar))
        return false;
    ar << static_cast<DWORD>(record.hotNews ? 1 : 0) << static_cast<DWORD>(record.allNews ? 1 : 0);
    WriteNewsLayoutBody(ar, record.layout);
    return true;
}

bool ReadNewsRecord(CArchive& ar, DWORD version, CNewsRecord& record, CLinkState& links)
{
    DWORD alert = 0;
    ar >> record.symbols >> alert;
    if (record.symbols.GetLength() > kMaxNewsSymbolsText)
        return false;
    record.alertOnNews = alert != 0;
    if (!links.Load(ar))
        return false;
    record.hasLayout = false;
    if (version < kFirstNewsRecordWithLayout)
        return true;
    DWORD hot = 0, all = 0;
    ar >> hot >> all;
    record.hotNews = hot != 0;
    record.allNews = all != 0;
    record.layout = ReadNewsLayoutBody(ar);
    record.hasLayout = true;
    return true;
}
