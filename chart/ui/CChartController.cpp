#include "chart/ui/CChartController.h"

#include "analytics/series/CPriceSeries.h"
#include "backtest/CStrategySetup.h"
#include "chart/ui/CColorBarSheet.h"
#include "chart/ui/CGraphsDoc.h"
#include "chart/ui/CGraphsView.h"
#include "common/windows/CPaneSplitterWnd.h"
#include "common/windows/CSheetsWnd.h"
#include "platform/core/CException.h"
#include "platform/ui/CCmdUI.h"
#include "platform/ui/CCreateContext.h"
#include "platform/ui/CFrameWnd.h"
#include "platform/ui/CMenu.h"
#include "platform/ui/CRuntimeClass.h"
#include "platform/ui/CUiResponder.h"
#include "platform/ui/CWinApp.h"
#include "studies/CCustomStudy.h"
#include "studies/ICustomStudyTable.h"
#include "studies/StudyFactory.h"
#include "studies/StudyMerge.h"
#include "studies/plots/CPricePlot.h"
#include "studies/plots/CStudyPlotFactory.h"
#include "studies/ui/CStudySettingsDlg.h"
#include "views/ui/CColumnWizardDlg.h"
#include "views/ui/CSnapshotFieldPanel.h"
#include "views/ui/CTrackingFieldPanel.h"

#include <QObject>

#include <algorithm>
#include <map>
#include <mutex>
#include <utility>

namespace {

constexpr const char* kPaneLimitText =
    "The limit for the number of panes (%d) has been reached.  Remove a study that uses a separate pane and try again.";
constexpr const char* kCannotPlaceText = "Cannot add study %s, because the maximum number of panes (%d) has been "
                                         "reached.  Remove some study(ies) to free up a pane and try again.";

} // namespace

CChartController::CChartController(CFrameWnd* frame) : m_pFrame(frame)
{
    RegisterStudyPlots();
}

CChartController::~CChartController()
{
    SetCrosshairMember(false);
    m_pFrameWatcher.reset();
}

void CChartController::SetFrame(CFrameWnd* frame)
{
    m_pFrame = frame;
    m_signals->frame.store(frame ? frame->m_hWnd.Value() : 0);
    WatchFrame();
}

HWND CChartController::GetFrameHandle() const
{
    return m_pFrame ? m_pFrame->m_hWnd : HWND();
}

CGraphsDoc* CChartController::GetDocument() const
{
    return m_pFrame ? dynamic_cast<CGraphsDoc*>(m_pFrame->GetActiveDocument()) : nullptr;
}

// ---------------------------------------------------------------- creation

BOOL CChartController::OnCreateClient(CCreateContext* context)
{
    if (context && context->m_pCurrentDoc)
        if (auto* doc = dynamic_cast<CCommonDoc*>(context->m_pCurrentDoc))
            doc->SetLinkButtons(m_pFrame, true, true, true);
    CreateTabStrips();
    m_pSplitter = std::make_unique<CPaneSplitterWnd>();
    m_pSplitter->MeasureMinHeight(40);
    if (!m_pSplitter->CreateStatic(m_pFrame, kMaxChartPanes, 1, WS_CHILD | WS_VISIBLE, AFX_IDW_PANE_FIRST))
        return FALSE;
    if (!context || !context->m_pNewViewClass)
        return TRUE; // the window moves here from another frame
    return m_pSplitter->CreateView(0, 0, RuntimeClassOf<CGraphsView>(), SIZE{0, 300}, context);
}

void CChartController::OnCreate()
{
    SetFrame(m_pFrame);
    if (CGraphsView* price = GetPane(0)) {
        price->SetPricePane(true);
        price->SetShowsTimeAxis(true);
        // A new chart draws bars.
        auto plot = std::make_unique<CPricePlot>();
        plot->SetDrawStyle(kStyleBar);
        price->AddPlot(std::move(plot));
    }
    if (m_pFrame)
        m_pFrame->SetTimer(kTimerRedraw, 250);
    SetTabWindow(m_bTabWindow);
}

void CChartController::OnDestroy()
{
    StopBacktest();
    if (m_pFrame) {
        m_pFrame->KillTimer(kTimerRedraw);
        m_pFrame->KillTimer(kTimerTracking);
    }
    m_pTracking.reset();
    m_bTrackingShown = false;
    m_pSnapshot.reset();
    m_bCrosshair = false;
    SetCrosshairMember(false);
    m_pFrameWatcher.reset();
    m_signals->frame.store(0);
}

bool CChartController::OnTimer(UINT_PTR id)
{
    if (id == kTimerRedraw) {
        // A side window the user closed by its own close box.
        if (m_pTracking && !m_pTracking->GetWnd())
            ShowTrackingWindow(false);
        if (m_pSnapshot && !m_pSnapshot->GetWnd())
            m_pSnapshot.reset();
        // Records that came in or went out of view tell no redraw: the view follows them on
        // every tick.
        FollowLiveRecords();
        if (!std::exchange(m_bScrolled, false))
            AskShownBars();
        if (m_signals->redraw.exchange(false))
            if (CGraphsDoc* doc = GetDocument())
                doc->UpdateAllViews(nullptr, kHintRepaint);
        return true;
    }
    if (id == kTimerTracking) {
        if (m_signals->trackingRefresh.exchange(false))
            UpdateTrackingRows(false);
        return true;
    }
    return false;
}

void CChartController::OnBarsScrolled()
{
    CGraphsDoc* doc = GetDocument();
    if (!doc)
        return;
    m_bScrolled = true;
    const int offset = doc->GetScrollOffset();
    // The offset was reckoned with the records there are now.
    CPricePlot* price = doc->GetBarSeries();
    m_pFollowed = price ? price->GetPriceSeries() : nullptr;
    m_nLiveAppends = m_pFollowed ? m_pFollowed->GetLiveAppends() : 0;
    // Scrolled back, each series keeps the bars from the newest in view back; newer ones
    // beyond its usual count go as trades come in.
    for (int i = 0; i < GetPaneCount(); ++i)
        if (CGraphsView* pane = GetPane(i))
            for (int k = 0; k < pane->GetPlotCount(); ++k)
                if (CPriceSeries* series = pane->GetPlot(k)->GetPriceSeries()) {
                    if (offset >= 0) {
                        series->StopKeeping();
                        continue;
                    }
                    const std::lock_guard<CPriceSeries> lock(*series);
                    int first = 0, last = 0;
                    series->GetVisibleRange(first, last);
                    series->KeepThrough(last + offset);
                }
}

void CChartController::AskShownBars()
{
    for (int i = 0; i < GetPaneCount(); ++i)
        if (CGraphsView* pane = GetPane(i))
            for (int k = 0; k < pane->GetPlotCount(); ++k)
                pane->GetPlot(k)->AskShownBars();
}

void CChartController::FollowLiveRecords()
{
    CGraphsDoc* doc = GetDocument();
    if (!doc)
        return;
    CPricePlot* price = doc->GetBarSeries();
    const CPriceSeries* series = price ? price->GetPriceSeries() : nullptr;
    const int appends = series ? series->GetLiveAppends() : 0;
    const int shift = series == m_pFollowed ? appends - m_nLiveAppends : 0;
    m_pFollowed = series;
    m_nLiveAppends = appends;
    // A record that came in after the newest moves every bar's index down by one; one dropped
    // between the kept bars and the newest moves them up by one.
    if (shift != 0 && doc->GetScrollOffset() < 0)
        doc->SetScrollOffset(std::min(-1, doc->GetScrollOffset() - shift));
}

// ---------------------------------------------------------------- panes

int CChartController::GetPaneCount() const
{
    return m_pSplitter && m_pSplitter->m_hWnd ? m_pSplitter->GetRowCount() : 0;
}

CGraphsView* CChartController::GetPane(int index) const
{
    return m_pSplitter && m_pSplitter->m_hWnd ? dynamic_cast<CGraphsView*>(m_pSplitter->GetPane(index, 0)) : nullptr;
}

int CChartController::FindPane(const CGraphsView* view) const
{
    for (int i = 0; i < GetPaneCount(); ++i)
        if (GetPane(i) == view)
            return i;
    return -1;
}

void CChartController::MarkBottomPane()
{
    const int count = GetPaneCount();
    for (int i = 0; i < count; ++i)
        if (CGraphsView* pane = GetPane(i))
            pane->SetShowsTimeAxis(i == count - 1);
}

CGraphsView* CChartController::InsertPane(int index)
{
    CCreateContext context;
    context.m_pCurrentDoc = GetDocument();
    context.m_pCurrentFrame = m_pFrame;
    if (!m_pSplitter || !m_pSplitter->InsertRow(RuntimeClassOf<CGraphsView>(), index, &context, ReadablePaneHeight()))
        return nullptr;
    CGraphsView* view = GetPane(index);
    if (view) {
        MarkBottomPane();
        view->OnInitialUpdate();
        // Every pane shows the chart's current drawing tools of its own.
        if (CGraphsDoc* doc = GetDocument())
            view->GetToolLists().Select(doc->GetSymbol());
    }
    return view;
}

int CChartController::ReadablePaneHeight() const
{
    // Three rows of price labels (fewer may leave the axis bare), the margins above and
    // below the plot, and the time axis of the bottom pane.
    const CGraphsDoc* doc = GetDocument();
    if (!doc)
        return 0;
    const CAxisMetrics& metrics = doc->GetMetrics();
    return 3 * metrics.LabelRowHeight() + 2 * CGraphsView::kPlotMargin + metrics.labelHeight;
}

void CChartController::RemovePane(int index)
{
    if (!m_pSplitter || index <= 0 || index >= GetPaneCount())
        return;
    m_pSplitter->DeleteRow(index);
    MarkBottomPane();
}

// ---------------------------------------------------------------- studies

CStudyDefinition* CChartController::GetStudy(int index) const
{
    return index >= 0 && index < GetStudyCount() ? m_studies[static_cast<size_t>(index)].get() : nullptr;
}

int CChartController::FindStudy(const CStudyDefinition* study) const
{
    for (int i = 0; i < GetStudyCount(); ++i)
        if (m_studies[static_cast<size_t>(i)].get() == study)
            return i;
    return -1;
}

bool CChartController::UsesSeparatePane(const CStudyDefinition& study) const
{
    if (study.GetPaneIndex() < 0)
        return study.NeedsSeparatePane();
    CGraphsView* pane = GetPane(study.GetPaneIndex());
    return pane && pane->GetPlotCount() == 1 && study.GetPaneIndex() > 0;
}

bool CChartController::PlaceStudy(int index)
{
    CStudyDefinition* study = GetStudy(index);
    if (!study)
        return false;
    const int panes = GetPaneCount();
    int target = study->GetPaneIndex();
    // Not placed yet, or a pane that is not there (any more): a new pane.
    if (target < 0 || target >= panes) {
        if (panes >= kMaxChartPanes) {
            CString text;
            text.Format(kCannotPlaceText, study->GetDisplayName().GetString(), kMaxChartPanes);
            AfxMessageBox(text, MB_OK);
            m_studies.erase(m_studies.begin() + index);
            return false;
        }
        if (!InsertPane(panes))
            return false;
        target = panes;
    }
    CGraphsView* pane = GetPane(target);
    std::unique_ptr<CStudyPlot> plot(study->CreatePlot());
    if (!pane || !plot)
        return true; // stays in the array, unplaced
    plot->SetStudy(study);
    const int plotIndex = pane->AddPlot(std::move(plot));
    if (plotIndex < 0) {
        // The pane holds no more studies: the study goes, and a pane made for it too.
        if (pane->GetPlotCount() == 0 && target > 0)
            RemovePane(target);
        m_studies.erase(m_studies.begin() + index);
        return false;
    }
    study->SetPaneIndex(target);
    study->SetPlotIndex(plotIndex);
    m_bRecalc = true;
    return true;
}

int CChartController::RemoveStudy(int index, bool collapse)
{
    CStudyDefinition* study = GetStudy(index);
    if (!study)
        return GetStudyCount();
    const int pane = study->GetPaneIndex();
    const int plot = study->GetPlotIndex();
    CGraphsView* view = pane >= 0 ? GetPane(pane) : nullptr;
    const bool removePane = view && pane > 0 && view->GetPlotCount() == 1 && collapse;
    for (const auto& other : m_studies) {
        if (other.get() == study)
            continue;
        if (other->GetPaneIndex() == pane && other->GetPlotIndex() > plot)
            other->SetPlotIndex(other->GetPlotIndex() - 1);
        else if (removePane && other->GetPaneIndex() > pane)
            other->SetPaneIndex(other->GetPaneIndex() - 1);
    }
    if (removePane)
        RemovePane(pane);
    else if (view && plot >= 0)
        view->RemovePlot(plot);
    m_studies.erase(m_studies.begin() + index);
    m_bRecalc = true;
    return GetStudyCount();
}

void CChartController::RemoveAllStudies()
{
    while (!m_studies.empty())
        RemoveStudy(GetStudyCount() - 1, true);
    m_bRecalc = true;
}

std::unique_ptr<CStudyDefinition> CChartController::MakeStudy(int typeId, int customIndex)
{
    std::unique_ptr<CStudyDefinition> study = CreateStudyById(static_cast<WORD>(typeId), CString());
    if (!study)
        return nullptr;
    if (auto* custom = dynamic_cast<CCustomStudy*>(study.get())) {
        // A custom study needs its row of the table (gone when the table changed since
        // the menu was built).
        CCustomStudyRow row;
        const ICustomStudyTable* table = GetCustomStudyTable();
        if (!table || !table->GetCustomStudy(customIndex, row))
            return nullptr;
        custom->SetStudyName(row.name);
        custom->SetFormulaText(row.formula);
        custom->SetCustomIndex(customIndex);
    }
    return study;
}

bool CChartController::RefusedForPaneLimit(const CStudyDefinition& study, bool tell)
{
    if (!study.NeedsSeparatePane() || GetPaneCount() < kMaxChartPanes)
        return false;
    if (tell) {
        CString text;
        text.Format(kPaneLimitText, kMaxChartPanes);
        CUiResponder::Current().MessageBox(m_pFrame, text, "", MB_OK);
    }
    return true;
}

bool CChartController::RunSettings(CStudyDefinition& study)
{
    try {
        CStudySettingsDlg dlg(study.GetDialogId(), &study, m_pFrame);
        return dlg.DoModal() != IDCANCEL;
    } catch (CException&) {
        return false;
    }
}

void CChartController::AddStudyById(int typeId, int customIndex)
{
    std::unique_ptr<CStudyDefinition> study = MakeStudy(typeId, customIndex);
    if (!study || RefusedForPaneLimit(*study, true))
        return;
    if (!RunSettings(*study))
        return;
    m_studies.push_back(std::move(study));
    if (PlaceStudy(GetStudyCount() - 1))
        RefreshData();
    m_bRecalc = true;
}

void CChartController::AddStudy(std::unique_ptr<CStudyDefinition> study)
{
    if (!study || RefusedForPaneLimit(*study, false))
        return;
    m_studies.push_back(std::move(study));
    if (PlaceStudy(GetStudyCount() - 1))
        RefreshData();
    m_bRecalc = true;
}

LRESULT CChartController::AddStudyToPane(const CAddToPaneRequest& request)
{
    CGraphsView* view = dynamic_cast<CGraphsView*>(CWnd::FromHandle(request.pane));
    const int pane = FindPane(view);
    if (pane < 0)
        return 1;
    std::unique_ptr<CStudyDefinition> study = MakeStudy(request.typeId, request.customIndex);
    if (!study)
        return 1;
    study->SetPaneIndex(pane);
    if (!RunSettings(*study))
        return 1;
    m_studies.push_back(std::move(study));
    if (PlaceStudy(GetStudyCount() - 1))
        RefreshData();
    m_bRecalc = true;
    return 0;
}

LRESULT CChartController::EditStudy(CStudyDefinition* study)
{
    const int index = FindStudy(study);
    if (index < 0)
        return -1;
    std::unique_ptr<CStudyDefinition> clone = study->Clone();
    if (!clone)
        return 1;
    if (!RunSettings(*clone) || clone->IsEqual(*study))
        return 0;
    const int pane = study->GetPaneIndex();
    RemoveStudy(index, false);
    clone->SetPaneIndex(pane);
    m_studies.insert(m_studies.begin() + index, std::move(clone));
    if (PlaceStudy(index))
        RefreshData();
    m_bRecalc = true;
    return 0;
}

LRESULT CChartController::DeleteStudy(CStudyDefinition* study)
{
    const int index = FindStudy(study);
    if (index < 0)
        return -1;
    RemoveStudy(index, true);
    m_bRecalc = true;
    return 0;
}

void CChartController::OnStudyManager()
{
    StudyArray edited;
    for (const auto& study : m_studies)
        edited.push_back(study->Clone());
    CStudyManagerDlg dlg(this, m_pFrame);
    dlg.SetStudies(&edited);
    // Cancel (Escape, the close box) keeps the chart's studies as they are.
    if (dlg.DoModal() != IDOK || !GetDocument())
        return;
    const CStudyMergePlan plan = PlanStudyMerge(m_studies, edited);
    // The panes the incoming studies name, by their views (removals renumber panes).
    std::map<int, CGraphsView*> paneOf;
    for (int i : plan.appended)
        paneOf[i] = GetPane(edited[static_cast<size_t>(i)]->GetPaneIndex());
    for (const CStudyMergePlan::Removal& removal : plan.removals)
        RemoveStudy(removal.index, removal.collapse);
    std::vector<CStudyDefinition*> incoming;
    for (int i : plan.appended) {
        std::unique_ptr<CStudyDefinition>& study = edited[static_cast<size_t>(i)];
        study->SetPaneIndex(paneOf[i] ? FindPane(paneOf[i]) : -1);
        incoming.push_back(study.get());
        m_studies.push_back(std::move(study));
    }
    for (CStudyDefinition* study : incoming) {
        const int index = FindStudy(study);
        if (index >= 0)
            PlaceStudy(index);
    }
    // A pane whose studies all went and none came back.
    for (int pane = GetPaneCount() - 1; pane > 0; --pane)
        if (CGraphsView* view = GetPane(pane); view && view->GetPlotCount() == 0) {
            for (const auto& other : m_studies)
                if (other->GetPaneIndex() > pane)
                    other->SetPaneIndex(other->GetPaneIndex() - 1);
            RemovePane(pane);
        }
    if (!incoming.empty())
        RefreshData();
    if (!incoming.empty() || !plan.removals.empty())
        m_bRecalc = true;
}

void CChartController::OnColorBarSetup()
{
    CGraphsView* price = GetPricePane();
    CPricePlot* plot = price ? price->GetPricePlot() : nullptr;
    CColorRuleSet rules;
    if (plot && plot->HasColorRules())
        rules = plot->GetColorRules();
    if (!RunColorBarSetup(rules, m_pFrame))
        return;
    // The panes may have changed while the sheet was up.
    price = GetPricePane();
    plot = price ? price->GetPricePlot() : nullptr;
    if (!plot || (plot->HasColorRules() && rules == plot->GetColorRules()))
        return;
    plot->SetColorRules(rules);
    if (plot->GetDrawStyle() == kStyleColorBar)
        price->OnUpdate(nullptr, kHintRepaint, nullptr);
}

void CChartController::OnCustomStudyWizard()
{
    CColumnWizardDlg wizard(kCustomStudies, m_pFrame);
    wizard.DoModal();
}

void CChartController::RefreshData()
{
    CGraphsDoc* doc = GetDocument();
    if (!doc)
        return;
    doc->SetIntervalKind(FALSE);
    if (CGraphsView* price = GetPricePane(); price && doc->GetDateRange() != 0)
        price->ApplyDateRange(doc->GetDateRange(), false);
}

void CChartController::SelectDrawingLists(bool clear)
{
    CGraphsDoc* doc = GetDocument();
    CString symbol = doc ? doc->GetSymbol() : CString();
    symbol.MakeUpper();
    for (int i = 0; i < GetPaneCount(); ++i) {
        CGraphsView* pane = GetPane(i);
        if (!pane)
            continue;
        if (clear)
            pane->GetToolLists().Clear();
        pane->GetToolLists().Select(symbol);
        pane->RedrawTools();
    }
}

// ---------------------------------------------------------------- commands

void CChartController::OnUpdateCustomStudies(CCmdUI* ui)
{
    const ICustomStudyTable* table = GetCustomStudyTable();
    const int count = table ? table->GetCustomStudyCount() : 0;
    ui->Enable(count > 0);
    CMenu* menu = ui->m_pMenu;
    if (!menu || count <= 0)
        return;
    CMenu* popup = menu->FindPopupOf(ID_FIRST_CUSTOM_STUDY);
    if (!popup)
        return;
    while (popup->GetMenuItemCount() > 0)
        popup->DeleteMenu(0, MF_BYPOSITION);
    for (int i = 0; i < count && i < kMaxCustomStudies; ++i) {
        CCustomStudyRow row;
        if (table->GetCustomStudy(i, row))
            popup->AppendMenu(MF_STRING, ID_FIRST_CUSTOM_STUDY + static_cast<UINT>(i), row.name);
    }
}

bool CChartController::OnCmdMsg(UINT id, UINT code, CCmdUI* ui)
{
    const bool update = code == CN_UPDATE_COMMAND_UI;
    if (update && !ui)
        return false;
    if (id >= ID_STYLE_CURVE && id <= ID_RESET_SCALE) {
        CGraphsView* price = GetPricePane();
        if (update) {
            if (price)
                price->OnUpdatePriceCommand(ui);
            else
                ui->Enable(FALSE);
        } else if (price) {
            price->OnPriceCommand(id);
        }
        return true;
    }
    if (id == ID_FIRST_CUSTOM_STUDY && update) {
        OnUpdateCustomStudies(ui);
        return true;
    }
    if ((id >= ID_FIRST_STUDY_TYPE && id <= ID_LAST_STUDY_TYPE) ||
        (id >= ID_FIRST_CUSTOM_STUDY && id <= ID_LAST_CUSTOM_STUDY)) {
        if (update)
            ui->Enable(TRUE);
        else if (id <= ID_LAST_STUDY_TYPE)
            AddStudyById(static_cast<int>(id), -1);
        else
            AddStudyById(kStudyCustom, static_cast<int>(id - ID_FIRST_CUSTOM_STUDY));
        return true;
    }
    switch (id) {
    case ID_STUDY_MANAGER:
        if (update)
            ui->Enable(TRUE);
        else
            OnStudyManager();
        return true;
    case ID_COLOR_BAR_SETUP:
        if (update)
            ui->Enable(GetPricePane() != nullptr);
        else
            OnColorBarSetup();
        return true;
    case ID_CUSTOM_STUDY_WIZARD:
        if (update)
            ui->Enable(TRUE);
        else
            OnCustomStudyWizard();
        return true;
    case ID_STRATEGY_SETUP:
        if (update)
            ui->Enable(GetDocument() != nullptr);
        else
            OnStrategySetup();
        return true;
    case ID_BACKTEST_REPORT:
        if (update)
            ui->Enable(GetDocument() != nullptr);
        else
            OnBacktestReport();
        return true;
    case ID_REMOVE_ALL_STUDIES:
        if (update)
            ui->Enable(!m_studies.empty());
        else
            RemoveAllStudies();
        return true;
    case ID_SYMBOL_INTERVAL:
        if (update)
            ui->Enable(GetPricePane() != nullptr);
        else if (CGraphsView* price = GetPricePane())
            price->OnSymbolInterval();
        return true;
    case ID_REMOVE_DRAWINGS_SYMBOL:
        if (update) {
            ui->Enable(TRUE);
        } else {
            for (int i = 0; i < GetPaneCount(); ++i)
                if (CGraphsView* pane = GetPane(i)) {
                    pane->CurrentTools().clear();
                    pane->RedrawTools();
                }
        }
        return true;
    case ID_REMOVE_DRAWINGS_ALL:
        if (update)
            ui->Enable(TRUE);
        else
            SelectDrawingLists(true);
        return true;
    case ID_SAVE_LAYOUT:
    case ID_LOAD_LAYOUT:
    case ID_SET_DEFAULT_LAYOUT:
        if (update)
            ui->Enable(GetDocument() != nullptr);
        else if (id == ID_SAVE_LAYOUT)
            OnSaveLayout();
        else if (id == ID_LOAD_LAYOUT)
            OnLoadLayout();
        else
            OnSetLayoutAsDefault();
        return true;
    case ID_CROSSHAIRS:
        if (update) {
            ui->Enable(TRUE);
            ui->SetCheck(m_bCrosshair ? 1 : 0);
        } else {
            ToggleCrosshairs();
        }
        return true;
    case ID_TRACKING_WINDOW:
        if (update) {
            ui->Enable(TRUE);
            ui->SetCheck(m_bTrackingShown ? 1 : 0);
        } else {
            ShowTrackingWindow(!m_bTrackingShown);
        }
        return true;
    case ID_SNAPSHOT_WINDOW:
        if (update) {
            ui->Enable(TRUE);
            ui->SetCheck(m_pSnapshot ? 1 : 0);
        } else {
            ToggleSnapshotWindow();
        }
        return true;
    case ID_TAB_WINDOW:
        if (update) {
            ui->Enable(TRUE);
            ui->SetCheck(m_bTabWindow ? 1 : 0);
        } else {
            SetTabWindow(!m_bTabWindow);
        }
        return true;
    default: return false;
    }
}

