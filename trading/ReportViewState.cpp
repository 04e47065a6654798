#include "trading/ReportViewState.h"

#include "platform/core/CArchive.h"

#include <algorithm>

namespace {

int InRange(int value, int low, int high, int fallback)
{
    return value >= low && value <= high ? value : fallback;
}

// Sort column and direction as stored: the column must exist in the layout read.
void ReadSort(CArchive& ar, size_t columns, int& sortColumn, int& sortAscending)
{
    int column = -1;
    int direction = 1;
    ar >> column >> direction;
    sortColumn = column >= 0 && static_cast<size_t>(column) < columns ? column : -1;
    sortAscending = direction != 0 ? 1 : 0;
}

}  // namespace

bool StoreOrderStatusState(CArchive& ar, const COrderStatusViewState& state, const CLinkState& link)
{
    WriteReportLayout(ar, state.layout);
    ar << state.sortColumn << state.sortAscending;
    const COrderListFilter& f = state.filter;
    ar << f.status << f.type << f.dateMode << f.days;
    // 32-bit time values, unsigned so that they last beyond 2038.
    ar << static_cast<DWORD>(std::clamp<int64_t>(f.from, 0, 0xFFFFFFFF))
       << static_cast<DWORD>(std::clamp<int64_t>(f.to, 0, 0xFFFFFFFF));
    if (!link.Save(ar))
        return false;
    ar << state.grid;
    return true;
}

bool LoadOrderStatusState(CArchive& ar, DWORD version, COrderStatusViewState& state, CLinkState& link)
{
    state.layout = ReadReportLayout(ar, kOrderStatusFieldCount);
    ReadSort(ar, state.layout.size(), state.sortColumn, state.sortAscending);
    COrderListFilter& f = state.filter;
    int status = 0;
    int type = 0;
    int dateMode = 0;
    int days = 0;
    ar >> status;
    if (version > 14)
        ar >> type;
    ar >> dateMode >> days;
    DWORD from = 0;
    DWORD to = 0;
    ar >> from >> to;
    f.status = InRange(status, 0, 7, 0);
    f.type = InRange(type, 0, 2, 0);
    f.dateMode = InRange(dateMode, 0, 3, 0);
    f.days = InRange(days, 0, 60, 0);
    f.from = from;
    f.to = to;
    if (!link.Load(ar))
        return false;
    if (version > 9) {
        int grid = 1;
        ar >> grid;
        state.grid = grid != 0 ? 1 : 0;
    }
    return true;
}

bool StoreReportListState(CArchive& ar, const CReportListState& state, const CLinkState& link)
{
    WriteReportLayout(ar, state.layout);
    ar << state.sortColumn << state.sortAscending;
    if (!link.Save(ar))
        return false;
    ar << state.grid;
    return true;
}

bool LoadReportListState(CArchive& ar, int fieldCount, CReportListState& state, CLinkState& link)
{
    state.layout = ReadReportLayout(ar, fieldCount);
    ReadSort(ar, state.layout.size(), state.sortColumn, state.sortAscending);
    if (!link.Load(ar))
        return false;
    int grid = 1;
    ar >> grid;
    state.grid = grid != 0 ? 1 : 0;
    return true;
}

bool StoreSavedOrdersState(CArchive& ar, const CSavedOrdersViewState& state, const CLinkState& link)
{
    return StoreReportListState(ar, state, link);
}

bool LoadSavedOrdersState(CArchive& ar, CSavedOrdersViewState& state, CLinkState& link)
{
    return LoadReportListState(ar, kSavedOrderFieldCount, state, link);
}

void StoreBalanceState(CArchive& ar, const CBalanceViewState& state)
{
    ar << state.grid;
    for (int width : state.widths)
        ar << width;
}

void LoadBalanceState(CArchive& ar, DWORD version, CBalanceViewState& state)
{
    if (version >= 10) {
        int grid = 1;
        ar >> grid;
        state.grid = grid != 0 ? 1 : 0;
    }
    if (version >= 18)
        for (int& width : state.widths) {
            DWORD value = 0;
            ar >> value;
            width = std::min(static_cast<int>(value & 0xFFFF), kMaxReportColumnWidth);
        }
}
