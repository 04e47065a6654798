// The chart's layout: gathered from the windows into a CChartLayout to be written, and
// applied to them only after a layout was read whole; ".chl" files, the default layout
// and their commands.
#include "chart/ui/CChartController.h"

#include "backtest/CStrategySetup.h"
#include "chart/ui/CDrawingTool.h"
#include "chart/ui/CDrawingToolList.h"
#include "chart/ui/CGraphsDoc.h"
#include "chart/ui/CGraphsView.h"
#include "common/services/CAppSettings.h"
#include "common/windows/CPaneSplitterWnd.h"
#include "common/windows/CSheetsWnd.h"
#include "platform/core/CArchive.h"
#include "platform/core/CException.h"
#include "platform/core/CFile.h"
#include "platform/core/CFileException.h"
#include "platform/core/CMemFile.h"
#include "platform/core/CSafeFile.h"
#include "platform/ui/CFrameWnd.h"
#include "platform/ui/CUiResponder.h"
#include "platform/ui/CWinApp.h"
#include "platform/ui/CommonDialogs.h"
#include "studies/CStudyDefinition.h"
#include "studies/plots/CPricePlot.h"
#include "views/ui/CSnapshotFieldPanel.h"
#include "views/ui/CTrackingFieldPanel.h"

#include <cmath>
#include <filesystem>

namespace {

constexpr const char* kLayoutFilter = "Chart Layout Files (*.chl)|*.chl||";
constexpr const char* kLayoutFolder = "Layouts";

CTabStripForm TabsOf(const CSheetsWnd* strip)
{
    CTabStripForm form;
    if (!strip)
        return form;
    form.names = strip->GetTabNames();
    form.selected = strip->GetCurSel() < 0 ? 0 : static_cast<DWORD>(strip->GetCurSel());
    return form;
}

// A layout without interval tabs keeps the strip's own.
void ApplyTabs(CSheetsWnd* strip, const CTabStripForm& form, bool keepWhenEmpty)
{
    if (!strip || (keepWhenEmpty && form.names.empty()))
        return;
    strip->DeleteAllItems();
    for (const CString& name : form.names)
        strip->AddTab(name);
    if (!form.names.empty())
        strip->SetCurSel(static_cast<int>(form.selected));
}

CString LayoutFolder()
{
    const CAppSettings* settings = CAppSettings::Instance();
    const CString folder = settings ? settings->GetFilePath(kLayoutFolder) : CString(kLayoutFolder);
    std::error_code ec;
    std::filesystem::create_directories(folder.GetString(), ec);
    return folder;
}

void Tell(const CString& text)
{
    CWinApp* app = AfxGetApp();
    CUiResponder::Current().MessageBox(app ? app->m_pMainWnd : nullptr, text, "", MB_OK);
}

} // namespace

// ---------------------------------------------------------------- gathering and applying

CChartLayout CChartController::BuildLayout() const
{
    CChartLayout layout;
    if (CGraphsDoc* doc = GetDocument()) {
        layout.extendedSession = doc->IsExtendedSession();
        layout.interval = doc->GetInterval();
        layout.barSpacing = doc->GetBarSpacing();
        layout.dateRange = static_cast<DWORD>(doc->GetDateRange());
        layout.links = doc->GetLinkState();
    }
    if (CGraphsView* price = GetPricePane(); price && price->IsPricePane()) {
        if (CPricePlot* plot = price->GetPricePlot()) {
            layout.drawStyle = plot->GetDrawStyle();
            layout.penWidth = static_cast<DWORD>(plot->GetPenWidth());
            if (plot->HasColorRules())
                layout.colorRules = plot->GetColorRules();
        }
        layout.logScale = price->IsLogScale();
        layout.priceOffset = price->GetPriceOffset();
        layout.autoScale = price->IsAutoScale();
    }
    for (const auto& study : m_studies)
        layout.studies.push_back(study->Clone());
    if (m_pSplitter && m_pSplitter->m_hWnd) {
        layout.proportions = m_pSplitter->GetProportions();
        // Panes laid out by a layout and not moved since (a pixel of rounding aside)
        // keep that layout's fractions, so that loading and saving changes nothing.
        const std::vector<int> sizes = m_pSplitter->GetPaneSizes();
        double total = 0;
        for (int size : sizes)
            total += size;
        bool same = m_appliedProportions.size() == layout.proportions.size() && total > 0;
        for (size_t i = 0; same && i < layout.proportions.size(); ++i)
            same = std::fabs(layout.proportions[i] - m_appliedProportions[i]) * total <= 1.01;
        if (same)
            layout.proportions = m_appliedProportions;
    }
    layout.trackingShown = m_bTrackingShown && m_pTracking;
    if (layout.trackingShown)
        layout.tracking = {true, m_pTracking->GetRect().TopLeft()};
    layout.crosshairs = m_bCrosshair;
    layout.snapshotShown = m_pSnapshot != nullptr;
    if (m_pSnapshot) {
        layout.snapshotFields = m_pSnapshot->Fields();
        layout.snapshot = {true, m_pSnapshot->GetRect().TopLeft()};
    }
    if (m_pStrategy)
        layout.backtest = std::make_unique<CStrategySetup>(*m_pStrategy);
    layout.tabWindow = m_bTabWindow;
    layout.tabs1 = TabsOf(m_pTabs[0].get());
    layout.tabs2 = TabsOf(m_pTabs[1].get());
    for (int p = 0; p < GetPaneCount(); ++p) {
        CPaneToolMap map;
        if (CGraphsView* pane = GetPane(p))
            for (const auto& [key, tools] : pane->GetToolLists().Lists()) {
                std::vector<CStoredTool> stored(tools.size());
                for (size_t i = 0; i < tools.size(); ++i)
                    tools[i]->ToStored(stored[i]);
                map.emplace_back(CString(key.c_str()), std::move(stored));
            }
        layout.paneTools.push_back(std::move(map));
    }
    return layout;
}

void CChartController::ApplyLayout(CChartLayout&& layout)
{
    CGraphsDoc* doc = GetDocument();
    RemoveAllStudies();
    if (doc) {
        doc->SetExtendedSession(layout.extendedSession);
        if (!layout.interval.IsEmpty())
            doc->SetInterval(layout.interval);
        doc->SetBarSpacing(layout.barSpacing);
        doc->SetDateRange(static_cast<int>(layout.dateRange));
    }
    if (CGraphsView* price = GetPricePane(); price && price->IsPricePane()) {
        if (CPricePlot* plot = price->GetPricePlot()) {
            plot->SetDrawStyle(layout.drawStyle);
            plot->SetPenWidth(static_cast<int>(layout.penWidth));
            if (!plot->HasColorRules() || !(plot->GetColorRules() == layout.colorRules))
                plot->SetColorRules(layout.colorRules);
        }
        price->SetLogScale(layout.logScale);
        price->SetPriceOffset(layout.priceOffset);
        price->SetAutoScale(layout.autoScale);
    }

    for (auto& study : layout.studies)
        m_studies.push_back(std::move(study));
    for (size_t i = 0; i < m_studies.size();) {
        CStudyDefinition* study = m_studies[i].get();
        try {
            PlaceStudy(static_cast<int>(i));
        } catch (CException&) {
        }
        // A refused study left the array.
        if (i < m_studies.size() && m_studies[i].get() == study)
            ++i;
    }
    // The panes load their bars again. The spacing and the date range stay as stored
    // (choosing the range anew would measure a new spacing on today's bars), and the
    // price offset, which re-initialising the panes clears, is set again.
    if (doc)
        doc->SetIntervalKind(FALSE);
    if (CGraphsView* price = GetPricePane(); price && price->IsPricePane())
        price->SetPriceOffset(layout.priceOffset);
    m_bRecalc = true;

    ShowTrackingWindow(layout.trackingShown);
    if (m_pTracking && layout.tracking.hasPosition)
        m_pTracking->MoveTo(layout.tracking.topLeft);
    if (layout.crosshairs != m_bCrosshair)
        ToggleCrosshairs();
    if (layout.snapshotShown) {
        if (!m_pSnapshot)
            ToggleSnapshotWindow();
        if (m_pSnapshot) {
            // The panel reads its fields from their stored form.
            CMemFile form;
            {
                CArchive ar(&form, CArchive::store);
                StoreSnapshotFieldSet(ar, layout.snapshotFields);
                StorePanelPosition(ar, layout.snapshot.hasPosition ? layout.snapshot.topLeft
                                                                   : m_pSnapshot->GetRect().TopLeft());
                ar.Close();
            }
            form.SeekToBegin();
            CArchive ar(&form, CArchive::load);
            m_pSnapshot->Load(ar, kChartLayoutVersion);
            SeparateSideWindows();
        }
    } else if (m_pSnapshot) {
        ToggleSnapshotWindow();
    }
    if (doc) {
        SetSnapshotSymbol(doc->GetSymbol());
        doc->GetLinkState() = layout.links;
        doc->UpdateLinkButtons();
    }
    // The layout's strategy (or none) replaces the chart's and runs on its bars.
    SetStrategySetup(std::move(layout.backtest));
    ApplyTabs(m_pTabs[0].get(), layout.tabs1, false);
    ApplyTabs(m_pTabs[1].get(), layout.tabs2, true);
    SetTabWindow(layout.tabWindow);

    SelectDrawingLists(true);
    CPricePlot* pricePlot = doc ? doc->GetBarSeries() : nullptr;
    const int panes = std::min(GetPaneCount(), static_cast<int>(layout.paneTools.size()));
    for (int p = 0; p < panes; ++p) {
        CGraphsView* pane = GetPane(p);
        if (!pane)
            continue;
        for (const auto& [key, tools] : layout.paneTools[static_cast<size_t>(p)]) {
            CToolVector& list = pane->GetToolLists().Lists()[key.str()];
            for (const CStoredTool& stored : tools) {
                std::unique_ptr<CDrawingTool> tool = CreateToolForTag(stored.tag);
                if (!tool)
                    continue;
                tool->FromStored(stored);
                if (!tool->AnchorsArePixels())
                    tool->SetPricePlot(pricePlot);
                list.push_back(std::move(tool));
            }
        }
        pane->RedrawTools();
    }
    if (doc)
        SelectTabs(doc->GetSymbol(), doc->GetInterval());
    if (m_pTracking)
        UpdateTrackingRows(true);
    // Last: the panes' heights once the frame's bars are in place.
    m_appliedProportions.clear();
    if (m_pSplitter && m_pSplitter->m_hWnd && m_pSplitter->SetProportions(layout.proportions))
        m_appliedProportions = layout.proportions;
}

// ---------------------------------------------------------------- archives

bool CChartController::WriteLayoutBody(CArchive& ar) const
{
    StoreChartLayout(ar, BuildLayout());
    return GetDocument() != nullptr;
}

bool CChartController::StoreLayout(CArchive& ar) const
{
    CGraphsDoc* doc = GetDocument();
    StoreChartRecord(ar, doc ? doc->GetSymbol() : CString(), BuildLayout());
    return doc != nullptr;
}

bool CChartController::LoadLayout(CArchive& ar, const CString& source)
{
    CGraphsDoc* doc = GetDocument();
    CChartLayout layout;
    if (doc)
        layout.links = doc->GetLinkState();
    CString symbol;
    DWORD version = 0;
    const ELayoutError error = LoadChartRecord(ar, symbol, layout, &version);
    if (error != ELayoutError::kNone) {
        if (!source.IsEmpty())
            TellLayoutError(error, version, source);
        return false;
    }
    if (!doc)
        return false;
    symbol.Trim();
    symbol.MakeUpper();
    if (!symbol.IsEmpty())
        doc->SetSymbol(symbol);
    ApplyLayout(std::move(layout));
    return true;
}

void CChartController::TellLayoutError(ELayoutError error, DWORD version, const CString& source) const
{
    CString text;
    if (error == ELayoutError::kNewVersion)
        text.Format("Error reading layout %s: incompatible version (v%u).\nPlease upgrade to the latest version of "
                    "Quorvantelix.",
                    source.GetString(), static_cast<unsigned>(version));
    else if (error == ELayoutError::kUnknownStudy)
        text = "Could not load chart layout from " + source + ": it holds a study this version does not know.";
    else
        text = "Could not load chart layout from " + source;
    Tell(text);
}

// ---------------------------------------------------------------- files and commands

bool CChartController::SaveLayoutFile(const CString& path) const
{
    const bool written = GetDocument() && SaveFileSafely(path, [this](CArchive& ar) {
        if (!WriteLayoutBody(ar))
            throw CArchiveException(CArchiveException::genericException);
    });
    if (!written)
        Tell("Could not save chart layout to " + path);
    return written;
}

bool CChartController::LoadLayoutFile(const CString& path, bool quietWhenMissing)
{
    std::error_code ec;
    if (quietWhenMissing && !std::filesystem::exists(path.GetString(), ec))
        return false;
    CFile file;
    CFileException openError;
    if (!file.Open(path, CFile::modeRead | CFile::shareDenyWrite, &openError)) {
        Tell("Could not load chart layout from " + path);
        return false;
    }
    CChartLayout layout;
    if (CGraphsDoc* doc = GetDocument())
        layout.links = doc->GetLinkState();
    DWORD version = 0;
    ELayoutError error = ELayoutError::kDamaged;
    try {
        CArchive ar(&file, CArchive::load);
        error = LoadChartLayout(ar, layout, &version);
    } catch (CException&) {
        error = ELayoutError::kDamaged;
    }
    if (error != ELayoutError::kNone || !GetDocument()) {
        TellLayoutError(error == ELayoutError::kNone ? ELayoutError::kDamaged : error, version, path);
        return false;
    }
    ApplyLayout(std::move(layout));
    return true;
}

void CChartController::OnSaveLayout()
{
    CFileDialog dialog(FALSE, "chl", nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, kLayoutFilter, m_pFrame);
    dialog.m_request.title = "Save Layout As";
    dialog.m_request.initialDir = LayoutFolder();
    if (dialog.DoModal() == IDOK)
        SaveLayoutFile(dialog.GetPathName());
}

void CChartController::OnLoadLayout()
{
    CFileDialog dialog(TRUE, "chl", nullptr, OFN_HIDEREADONLY | OFN_FILEMUSTEXIST, kLayoutFilter, m_pFrame);
    dialog.m_request.title = "Load Layout";
    dialog.m_request.initialDir = LayoutFolder();
    if (dialog.DoModal() == IDOK)
        LoadLayoutFile(dialog.GetPathName());
}

CString CChartController::DefaultLayoutPath()
{
    return LayoutFolder() + "/default.chl";
}

void CChartController::OnSetLayoutAsDefault()
{
    SaveLayoutFile(DefaultLayoutPath());
}

void CChartController::LoadDefaultLayout()
{
    CGraphsDoc* doc = GetDocument();
    if (!doc || doc->IsDefaultLoaded())
        return;
    doc->SetDefaultLoaded();
    LoadLayoutFile(DefaultLayoutPath(), true);
}
