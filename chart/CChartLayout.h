// The chart layout: the whole setup of one chart window as one archive body, used by
// ".chl" files, the default layout, workspace records and the copy of a chart between
// frames. Read into this model first and only then applied, so that a damaged layout
// changes nothing.
//
// Body: version word (2 x version + extended-session flag), interval, price pane (style,
// pen width, spacing, date range, log scale, offset, auto scale, colour-bar rules),
// studies, pane proportions, Tracking Window, crosshairs, Snapshot Window, backtest
// request, link state, tab window and two tab strips, then the drawing tools of every
// pane. Older layouts (versions 0 to 18) are read by the per-field rules below.
#pragma once

#include "chart/CStoredTool.h"
#include "common/services/CColorRuleSet.h"
#include "common/services/CLinkState.h"
#include "platform/core/CPoint.h"
#include "platform/core/CString.h"
#include "platform/core/WinTypes.h"
#include "views/SnapshotFields.h"

#include <memory>
#include <utility>
#include <vector>

class CArchive;
class CStrategySetup;
class CStudyDefinition;

// The version this program writes; 20 and above are refused.
inline constexpr DWORD kChartLayoutVersion = 19;
inline constexpr DWORD kFirstRefusedLayoutVersion = 20;
inline constexpr int kMaxLayoutPanes = 16;
// Longest symbol or interval a layout may hold.
inline constexpr int kMaxLayoutText = 64;

// A tab strip's stored form: DWORD count, each name, the selected index.
struct CTabStripForm {
    static constexpr DWORD kMaxTabs = 256;
    std::vector<CString> names;
    DWORD selected = 0;
    bool operator==(const CTabStripForm&) const = default;
};

// A floating panel's position (layouts from version 5 carry one).
struct CPanelPlacement {
    bool hasPosition = false;
    CPoint topLeft;
    bool operator==(const CPanelPlacement&) const = default;
};

// One pane's drawing tools: (upper-case symbol, tools) in the order written.
using CPaneToolMap = std::vector<std::pair<CString, std::vector<CStoredTool>>>;

struct CChartLayout {
    CChartLayout();
    ~CChartLayout();
    CChartLayout(CChartLayout&&) noexcept;
    CChartLayout& operator=(CChartLayout&&) noexcept;

    // Fields 1 and 2.
    DWORD version = kChartLayoutVersion;
    bool extendedSession = false;
    CString interval = "D";
    // Fields 3 to 10: the price pane (a new chart's values by default).
    BYTE drawStyle = 1;
    DWORD penWidth = 1;
    double barSpacing = 6.0;
    DWORD dateRange = 0;
    bool logScale = false;
    int priceOffset = 0;
    bool autoScale = true;
    CColorRuleSet colorRules;
    // Fields 11 and 12, in the order written (the reader keeps them ordered by pane).
    std::vector<std::unique_ptr<CStudyDefinition>> studies;
    // Field 13.
    std::vector<double> proportions;
    // Fields 14 to 16.
    bool trackingShown = false;
    CPanelPlacement tracking;
    bool crosshairs = false;
    bool snapshotShown = false;
    CSnapshotFieldSet snapshotFields = CSnapshotFieldSet::Defaults();
    CPanelPlacement snapshot;
    // Field 17: the strategy the chart backtests (written as -1 when none).
    std::unique_ptr<CStrategySetup> backtest;
    // Field 18: the groups of the buttons links has (set before reading).
    CLinkState links;
    // Fields 19 to 21.
    bool tabWindow = true;
    CTabStripForm tabs1;
    CTabStripForm tabs2;
    // Field 22: one map per pane, pane 0 first (missing ones are written empty).
    std::vector<CPaneToolMap> paneTools;
};

// Why a layout could not be read.
enum class ELayoutError {
    kNone,
    kDamaged,      // the bytes do not hold a layout (truncated, bad counts or values)
    kNewVersion,   // version 20 or above
    kUnknownStudy, // a study type this program does not know
};

// Writes fields 1 to 22. Archive errors throw.
void StoreChartLayout(CArchive& ar, const CChartLayout& layout);
// Reads fields 1 to 22 into layout (whose links say which buttons the chart has).
// Anything else than kNone leaves layout undefined (the caller drops it); the archive
// may have been read partly.
ELayoutError LoadChartLayout(CArchive& ar, CChartLayout& layout,
                             DWORD* versionRead = nullptr);

// The workspace record and the chart copy: the symbol, then the body.
void StoreChartRecord(CArchive& ar, const CString& symbol, const CChartLayout& layout);
ELayoutError LoadChartRecord(CArchive& ar, CString& symbol, CChartLayout& layout, DWORD* versionRead = nullptr);

// The panes a chart has after its studies were placed ordered by pane (each study of an
// unknown pane or one past the last opens the next pane, at most 16): the number of tool
// maps the layout holds, written and read.
int CountLayoutPanes(const std::vector<std::unique_ptr<CStudyDefinition>>& studies);

void StoreTabStrip(CArchive& ar, const CTabStripForm& tabs);
// Throws an archive error for a count beyond kMaxTabs or the data, or a selected index
// outside the tabs.
void LoadTabStrip(CArchive& ar, CTabStripForm& tabs);
