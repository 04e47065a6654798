// What the alert list shows and exports of an alert: its columns, the cell texts of its
// row, its trigger history as export rows, and the window's workspace record.
#pragma once

#include "platform/core/CString.h"
#include "trading/ReportColumns.h"
#include "trading/ReportExport.h"
#include "trading/ReportLayout.h"

#include <array>
#include <span>
#include <vector>

class CAlert;
class CArchive;
class CLinkState;

enum EAlertField : int {
    kAlertFieldSymbol = 0,
    kAlertFieldDescription,
    kAlertFieldOrder,
    kAlertFieldLastTriggered,
    kAlertFieldStatus,
    kAlertFieldAccount,
    kAlertFieldCount
};

inline constexpr UINT kAlertColumnCommandFirst = 34425;  // + field

// Indexed by field: the header texts, the column commands, all sorted as text.
std::span<const CReportColumn> AlertListColumns();
// The default column widths by field.
int AlertColumnWidth(int field);

using CAlertRowTexts = std::array<CString, kAlertFieldCount>;
// The texts of the alert's row: symbol, condition, order of trigger 1, the newest firing
// with its price (" @ " and 2 to 4 decimals when not 0), "Paused", trade account.
CAlertRowTexts AlertRowTexts(const CAlert& alert);
// "Date", "Symbol", "Description", "Price".
CExportRow AlertHistoryHeader();
// The alert's firings from oldest to newest as date, symbol, description and price (empty
// for 0). A strategy gives its entry and exit histories, taken step by step together,
// the entry's line before the exit's, described by the strategy's formula names.
std::vector<CExportRow> AlertHistoryRows(const CAlert& alert);

// The alert list's workspace record: the column layout, sort column (-1 none) and
// direction, the link groups, the grid flag.
struct CAlertListState : CReportListState {};
// False when the link groups could not be written; archive errors throw.
bool StoreAlertListState(CArchive& ar, const CAlertListState& state, const CLinkState& link);
// Archive errors throw; false when the link groups could not be read. A sort column
// outside the layout reads as none.
bool LoadAlertListState(CArchive& ar, CAlertListState& state, CLinkState& link);
