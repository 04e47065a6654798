#include "chart/CChartLayout.h"

#include "backtest/CStrategySetup.h"
#include "platform/core/CArchive.h"
#include "platform/core/CException.h"
#include "studies/CStudyDefinition.h"
#include "studies/StudyFactory.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

// A study takes at least its type id, pane index and override.
constexpr UINT kMinStudyBytes = 9;
constexpr UINT kMinToolMapEntryBytes = 5;
// The backtest request's marker for "none".
constexpr DWORD kNoBacktest = 0xFFFFFFFFu;

[[noreturn]] void Damaged()
{
    throw CArchiveException(CArchiveException::badSchema);
}

bool ReadFlag(CArchive& ar)
{
    DWORD v = 0;
    ar >> v;
    return v != 0;
}

struct CUnknownStudy {};
struct CNewVersion {};

std::unique_ptr<CStudyDefinition> ReadStudy(CArchive& ar, int version)
{
    DWORD typeId = 0;
    ar >> typeId;
    if (typeId < static_cast<DWORD>(kFirstStudyType) || typeId > static_cast<DWORD>(kLastStudyType))
        throw CUnknownStudy();
    std::unique_ptr<CStudyDefinition> study = CreateStudyById(static_cast<WORD>(typeId), CString());
    if (!study)
        throw CUnknownStudy();
    if (!study->Load(ar, version))
        Damaged();
    return study;
}

// Inserted after every study whose pane is not after its own.
void InsertByPane(std::vector<std::unique_ptr<CStudyDefinition>>& studies, std::unique_ptr<CStudyDefinition> study)
{
    const int pane = study->GetPaneIndex();
    auto at = std::find_if(studies.begin(), studies.end(), [pane](const auto& s) { return s->GetPaneIndex() > pane; });
    studies.insert(at, std::move(study));
}

void StoreToolMap(CArchive& ar, const CPaneToolMap& map)
{
    ar << static_cast<DWORD>(map.size());
    for (const auto& [key, tools] : map) {
        ar << key;
        StoreToolRecords(ar, tools);
    }
}

// Entries of the same key add to one list, as the pane keeps one list per symbol.
void LoadToolMap(CArchive& ar, CPaneToolMap& map)
{
    const DWORD count = ar.ReadBoundedCount(kMinToolMapEntryBytes);
    for (DWORD i = 0; i < count; ++i) {
        CString key;
        ar >> key;
        key.MakeUpper();
        auto it = std::find_if(map.begin(), map.end(), [&](const auto& entry) { return entry.first == key; });
        if (it == map.end()) {
            map.emplace_back(key, std::vector<CStoredTool>());
            it = map.end() - 1;
        }
        LoadToolRecords(ar, it->second);
    }
}

void ReadPricePart(CArchive& ar, DWORD version, CChartLayout& layout)
{
    ar >> layout.drawStyle;
    ar >> layout.penWidth;
    if (layout.drawStyle > 3)
        Damaged();
    layout.penWidth = std::clamp<DWORD>(layout.penWidth, 1, 15);
    if (version < 10) {
        DWORD spacing = 0;
        ar >> spacing;
        layout.barSpacing = spacing;
        layout.dateRange = 0;
    } else {
        ar >> layout.barSpacing >> layout.dateRange;
    }
    if (!std::isfinite(layout.barSpacing) || layout.barSpacing <= 0 || layout.dateRange > 8)
        Damaged();
    layout.barSpacing = std::clamp(layout.barSpacing, 2.0, 30.0);
    layout.logScale = false;
    layout.priceOffset = 0;
    layout.autoScale = true;
    if (version >= 3) {
        layout.logScale = ReadFlag(ar);
        if (version < 6) {
            BYTE skipped[8];
            ar.ReadExact(skipped, sizeof skipped);
        } else {
            ar >> layout.priceOffset;
        }
    }
    if (version >= 5)
        layout.autoScale = ReadFlag(ar);
    CColorRuleSet rules;
    rules.Load(ar);
    layout.colorRules = std::move(rules);
}

void ReadPanel(CArchive& ar, DWORD version, CPanelPlacement& placement)
{
    placement = CPanelPlacement();
    CPoint topLeft;
    if (LoadPanelPosition(ar, version, topLeft)) {
        placement.hasPosition = true;
        placement.topLeft = topLeft;
    }
}

void StorePanel(CArchive& ar, const CPanelPlacement& placement)
{
    StorePanelPosition(ar, placement.topLeft);
}

void ReadBody(CArchive& ar, CChartLayout& layout, DWORD& versionOut)
{
    DWORD word = 0;
    ar >> word;
    const DWORD version = word / 2;
    versionOut = version;
    if (version >= kFirstRefusedLayoutVersion)
        throw CNewVersion();
    layout.version = version;
    layout.extendedSession = (word & 1) != 0;
    ar >> layout.interval;
    if (layout.interval.GetLength() > kMaxLayoutText)
        Damaged();
    ReadPricePart(ar, version, layout);

    const DWORD studies = ar.ReadBoundedCount(kMinStudyBytes);
    layout.studies.clear();
    for (DWORD i = 0; i < studies; ++i)
        InsertByPane(layout.studies, ReadStudy(ar, static_cast<int>(version)));

    const DWORD proportions = ar.ReadBoundedCount(sizeof(double));
    layout.proportions.resize(proportions);
    for (double& p : layout.proportions)
        ar >> p;

    layout.trackingShown = ReadFlag(ar);
    layout.tracking = CPanelPlacement();
    if (layout.trackingShown)
        ReadPanel(ar, version, layout.tracking);
    layout.crosshairs = ReadFlag(ar);
    layout.snapshotShown = ReadFlag(ar);
    layout.snapshot = CPanelPlacement();
    if (layout.snapshotShown) {
        LoadSnapshotFieldSet(ar, layout.snapshotFields);
        ReadPanel(ar, version, layout.snapshot);
    }
    DWORD backtest = 0;
    ar >> backtest;
    layout.backtest.reset();
    if (backtest != kNoBacktest) {
        if (backtest > static_cast<DWORD>(INT_MAX))
            Damaged();
        auto setup = std::make_unique<CStrategySetup>();
        setup->Load(ar, static_cast<int>(backtest), version);
        layout.backtest = std::move(setup);
    }
    if (!layout.links.Load(ar))
        Damaged();
    if (version >= 4) {
        layout.tabWindow = ReadFlag(ar);
        LoadTabStrip(ar, layout.tabs1);
        LoadTabStrip(ar, layout.tabs2);
    } else {
        DWORD skipped = 0;
        ar >> skipped;
        layout.tabWindow = true;
        layout.tabs1 = CTabStripForm();
        layout.tabs2 = CTabStripForm();
    }
}

void ReadTools(CArchive& ar, CChartLayout& layout)
{
    layout.paneTools.clear();
    layout.paneTools.resize(static_cast<size_t>(CountLayoutPanes(layout.studies)));
    if (layout.version < 5) {
        // One map for the whole chart: read and dropped.
        CPaneToolMap dropped;
        LoadToolMap(ar, dropped);
        return;
    }
    for (CPaneToolMap& map : layout.paneTools)
        LoadToolMap(ar, map);
}

template <class F>
ELayoutError Guarded(F&& read)
{
    try {
        read();
    } catch (const CNewVersion&) {
        return ELayoutError::kNewVersion;
    } catch (const CUnknownStudy&) {
        return ELayoutError::kUnknownStudy;
    } catch (CException&) {
        return ELayoutError::kDamaged;
    } catch (const std::bad_alloc&) {
        return ELayoutError::kDamaged;
    }
    return ELayoutError::kNone;
}

} // namespace

CChartLayout::CChartLayout() = default;
CChartLayout::~CChartLayout() = default;
CChartLayout::CChartLayout(CChartLayout&&) noexcept = default;
CChartLayout& CChartLayout::operator=(CChartLayout&&) noexcept = default;

void StoreTabStrip(CArchive& ar, const CTabStripForm& tabs)
{
    ar << static_cast<DWORD>(tabs.names.size());
    for (const CString& name : tabs.names)
        ar << name;
    ar << tabs.selected;
}

void LoadTabStrip(CArchive& ar, CTabStripForm& tabs)
{
    CTabStripForm read;
    const DWORD count = ar.ReadBoundedCount(1);
    if (count > CTabStripForm::kMaxTabs)
        Damaged();
    read.names.resize(count);
    for (CString& name : read.names)
        ar >> name;
    ar >> read.selected;
    if (!read.names.empty() && read.selected >= read.names.size())
        Damaged();
    tabs = std::move(read);
}

int CountLayoutPanes(const std::vector<std::unique_ptr<CStudyDefinition>>& studies)
{
    // In the order the reader keeps them: by pane, stable.
    std::vector<int> order;
    for (const auto& study : studies)
        order.push_back(study->GetPaneIndex());
    std::stable_sort(order.begin(), order.end());
    int panes = 1;
    for (int pane : order)
        if ((pane < 0 || pane >= panes) && panes < kMaxLayoutPanes)
            ++panes;
    return panes;
}

void StoreChartLayout(CArchive& ar, const CChartLayout& layout)
{
    ar << static_cast<DWORD>(2 * kChartLayoutVersion + (layout.extendedSession ? 1 : 0));
    ar << layout.interval;
    ar << layout.drawStyle << layout.penWidth << layout.barSpacing << layout.dateRange;
    ar << static_cast<DWORD>(layout.logScale ? 1 : 0) << layout.priceOffset
       << static_cast<DWORD>(layout.autoScale ? 1 : 0);
    layout.colorRules.Store(ar);
    ar << static_cast<DWORD>(layout.studies.size());
    for (const auto& study : layout.studies)
        StoreStudy(ar, *study);
    ar << static_cast<DWORD>(layout.proportions.size());
    for (double p : layout.proportions)
        ar << p;
    ar << static_cast<DWORD>(layout.trackingShown ? 1 : 0);
    if (layout.trackingShown)
        StorePanel(ar, layout.tracking);
    ar << static_cast<DWORD>(layout.crosshairs ? 1 : 0);
    ar << static_cast<DWORD>(layout.snapshotShown ? 1 : 0);
    if (layout.snapshotShown) {
        StoreSnapshotFieldSet(ar, layout.snapshotFields);
        StorePanel(ar, layout.snapshot);
    }
    if (layout.backtest)
        layout.backtest->Store(ar);
    else
        ar << kNoBacktest;
    if (!layout.links.Save(ar))
        Damaged();
    ar << static_cast<DWORD>(layout.tabWindow ? 1 : 0);
    StoreTabStrip(ar, layout.tabs1);
    StoreTabStrip(ar, layout.tabs2);
    // One map for every pane the reader will count.
    const size_t panes = static_cast<size_t>(CountLayoutPanes(layout.studies));
    for (size_t p = 0; p < panes; ++p)
        StoreToolMap(ar, p < layout.paneTools.size() ? layout.paneTools[p] : CPaneToolMap());
}

ELayoutError LoadChartLayout(CArchive& ar, CChartLayout& layout, DWORD* versionRead)
{
    DWORD version = 0;
    const ELayoutError error = Guarded([&] {
        ReadBody(ar, layout, version);
        ReadTools(ar, layout);
    });
    if (versionRead)
        *versionRead = version;
    return error;
}

void StoreChartRecord(CArchive& ar, const CString& symbol, const CChartLayout& layout)
{
    ar << symbol;
    StoreChartLayout(ar, layout);
}

ELayoutError LoadChartRecord(CArchive& ar, CString& symbol, CChartLayout& layout, DWORD* versionRead)
{
    CString read;
    const ELayoutError error = Guarded([&] {
        ar >> read;
        if (read.GetLength() > kMaxLayoutText)
            Damaged();
    });
    if (error != ELayoutError::kNone)
        return error;
    const ELayoutError body = LoadChartLayout(ar, layout, versionRead);
    if (body == ELayoutError::kNone)
        symbol = read;
    return body;
}
