#include "views/Level1Workspace.h"

#include "common/services/CLinkState.h"
#include "platform/core/CArchive.h"

namespace {

// Portfolio and symbol-set modes store this in place of a menu command id, then the name.
constexpr DWORD kNamedParameter = 0xFFFFFFFFu;

bool StoresNamedParameter(int mode)
{
    return mode == kModePortfolio || mode == kModeSymbolSet;
}

bool StoresDefinition(int mode)
{
    return mode == kModeOptionChain || mode == kModeActives || mode == kModeSymbolList || mode == kModeWatchList;
}

} // namespace

bool IsLevel1Mode(int mode)
{
    return (mode >= kModeNone && mode <= kModeSymbolList) || mode == kModePositions || mode == kModeWatchList;
}

bool WriteLevel1Record(CArchive& ar, const CLevel1Record& record, const CLinkState& links)
{
    WriteColumnBlock(ar, record.columns);
    ar << record.sortColumn << record.ascending;
    if (!links.Save(ar))
        return false;
    ar << record.userTitle << record.gridLines << record.mode;
    if (StoresNamedParameter(record.mode))
        ar << kNamedParameter << record.parameter;
    else if (StoresDefinition(record.mode))
        ar << record.parameter;
    ar << static_cast<DWORD>(record.screener ? 1 : 0);
    if (record.screener)
        ar << record.screenerSymbols << record.screenerFormula;
    const auto& rows = record.screener ? std::vector<CString>() : record.userRows;
    ar << static_cast<DWORD>(rows.size());
    for (const CString& symbol : rows)
        ar << symbol;
    return true;
}

bool ReadLevel1Record(CArchive& ar, DWORD version, CLevel1Record& record, CLinkState& links)
{
    ReadColumnBlock(ar, version, record.columns);
    ar >> record.sortColumn >> record.ascending;
    if (version >= kFirstWorkspaceWithLinks) {
        if (!links.Load(ar))
            return false;
        ar >> record.userTitle;
    }
    if (version >= kFirstWorkspaceWithGridLines)
        ar >> record.gridLines;
    int mode = 0;
    ar >> mode;
    record.mode = IsLevel1Mode(mode) ? mode : kModeNone;
    if (StoresNamedParameter(mode)) {
        DWORD id = 0;
        ar >> id;
        if (id == kNamedParameter)
            ar >> record.parameter;
        else
            record.legacyCommandId = id;
    } else if (StoresDefinition(mode)) {
        ar >> record.parameter;
    }
    DWORD screener = 0;
    ar >> screener;
    record.screener = screener == 1;
    if (record.screener)
        ar >> record.screenerSymbols >> record.screenerFormula;
    const DWORD rows = ar.ReadBoundedCount(1);
    record.userRows.reserve(rows);
    for (DWORD i = 0; i < rows; ++i) {
        CString symbol;
        ar >> symbol;
        record.userRows.push_back(std::move(symbol));
    }
    return true;
}
