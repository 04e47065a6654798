// The workspace records of the order status, saved orders and balances windows. The
// readers fill what they are given as they read: callers read into copies and keep them
// only when the whole record was read.
#pragma once

#include "broker/session/COrderStatusListHandle.h"
#include "common/services/CLinkState.h"
#include "platform/core/WinTypes.h"
#include "trading/ReportColumns.h"
#include "trading/ReportLayout.h"

#include <array>

class CArchive;

// A report list's record: the layout, sort column and direction, the link groups, the
// grid flag. False when the link groups could not be written or read; archive errors
// throw. On reading, a sort column outside the layout reads as none.
bool StoreReportListState(CArchive& ar, const CReportListState& state, const CLinkState& link);
bool LoadReportListState(CArchive& ar, int fieldCount, CReportListState& state, CLinkState& link);

// Order status: the layout, sort column (-1 none) and direction (1 ascending), the
// filter's six words (From and To as 32-bit times), the link groups, the grid flag.
struct COrderStatusViewState : CReportListState {
    COrderListFilter filter;
};
// False when the link groups could not be written; archive errors throw.
bool StoreOrderStatusState(CArchive& ar, const COrderStatusViewState& state, const CLinkState& link);
// The filter's Type word is read only for versions above 14, the grid flag above 9.
// Archive errors throw; false when the link groups could not be read. Values out of
// their ranges are read as the defaults.
bool LoadOrderStatusState(CArchive& ar, DWORD version, COrderStatusViewState& state, CLinkState& link);

// Saved orders: the layout, sort column and direction, the link groups, the grid flag.
struct CSavedOrdersViewState : CReportListState {};
bool StoreSavedOrdersState(CArchive& ar, const CSavedOrdersViewState& state, const CLinkState& link);
bool LoadSavedOrdersState(CArchive& ar, CSavedOrdersViewState& state, CLinkState& link);

// Balances: the grid flag and the three column widths.
struct CBalanceViewState {
    int grid = 1;
    std::array<int, 3> widths = {150, 100, 100};
};
void StoreBalanceState(CArchive& ar, const CBalanceViewState& state);
// The grid flag from version 10, the widths (their low 16 bits) from version 18.
void LoadBalanceState(CArchive& ar, DWORD version, CBalanceViewState& state);
