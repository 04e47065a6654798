#include "chart/CChartWorkspaceRecord.h"

#include "platform/core/CArchive.h"
#include "platform/core/CException.h"

bool CChartWorkspaceRecord::Store(CArchive& ar) const
{
    if (!links.Save(ar))
        return false;
    try {
        ar << symbol << interval;
    } catch (CException&) {
        return false;
    }
    return true;
}

bool CChartWorkspaceRecord::Load(CArchive& ar)
{
    CLinkState readLinks = links;
    CString readSymbol, readInterval;
    if (!readLinks.Load(ar))
        return false;
    try {
        ar >> readSymbol >> readInterval;
    } catch (CException&) {
        return false;
    }
    if (readSymbol.GetLength() > kMaxTextLength || readInterval.GetLength() > kMaxTextLength)
        return false;
    links = readLinks;
    symbol = readSymbol;
    interval = readInterval;
    return true;
}
