#include "chart/ui/CGraphsView.h"

#include "analytics/formula/CFormulaSeries.h"
#include "analytics/series/CPriceSeries.h"
#include "chart/ui/CChartController.h"
#include "chart/ui/CDrawingTool.h"
#include "chart/ui/CGraphsDoc.h"
#include "common/services/TextHelpers.h"
#include "common/services/CAppSettings.h"
#include "common/windows/CCommonDoc.h"
#include "common/windows/IWorkstationFrame.h"
#include "common/windows/ShellIds.h"
#include "platform/ui/CFrameWnd.h"
#include "platform/ui/CWinApp.h"
#include "platform/ui/CWndMessage.h"
#include "studies/plots/CPlotFormulaListener.h"
#include "studies/plots/CPricePlot.h"
#include "studies/plots/CPriceScale.h"

#include <algorithm>
#include <cmath>

CGraphsView::CGraphsView() = default;

CGraphsView::~CGraphsView()
{
    if (CGraphsDoc* doc = GetGraphsDoc(); doc && doc->GetBarSeries() == GetPricePlot())
        doc->SetPricePlot(nullptr);
    // Tools refer to the price plot: they go first.
    m_tools.Clear();
    m_plots.clear();
}

CGraphsDoc* CGraphsView::GetGraphsDoc() const
{
    return dynamic_cast<CGraphsDoc*>(GetDocument());
}

CChartController* CGraphsView::GetChart() const
{
    return GetChartController(GetParentFrame());
}

IPlotChart* CGraphsView::GetPlotChart() const
{
    return GetChart();
}

// ---------------------------------------------------------------- plots

CStudyPlot* CGraphsView::GetPlot(int index) const
{
    return index >= 0 && index < GetPlotCount() ? m_plots[static_cast<size_t>(index)].get() : nullptr;
}

int CGraphsView::FindPlot(const CStudyPlot* plot) const
{
    for (int i = 0; i < GetPlotCount(); ++i)
        if (m_plots[static_cast<size_t>(i)].get() == plot)
            return i;
    return -1;
}

CPricePlot* CGraphsView::GetPricePlot() const
{
    return m_plots.empty() ? nullptr : dynamic_cast<CPricePlot*>(m_plots.front().get());
}

CStudyPlot* CGraphsView::GetDataPlot() const
{
    for (const auto& plot : m_plots)
        if (plot->IsReady())
            return plot.get();
    return m_plots.empty() ? nullptr : m_plots.back().get();
}

CStudyPlot* CGraphsView::GetSeriesPlot() const
{
    if (CGraphsDoc* doc = GetGraphsDoc(); doc && doc->GetBarSeries() && doc->GetBarSeries()->IsReady())
        return doc->GetBarSeries();
    return GetDataPlot();
}

int CGraphsView::AddPlot(std::unique_ptr<CStudyPlot> plot)
{
    if (!plot)
        return -1;
    const int studies = GetPlotCount() - (GetPricePlot() ? 1 : 0);
    if (!plot->IsPricePlot() && studies >= kMaxPaneStudyPlots) {
        CString text;
        text.Format("This pane holds the most studies it can (%d). Add the study to another pane.",
                    kMaxPaneStudyPlots);
        AfxMessageBox(text, MB_OK | MB_ICONEXCLAMATION);
        return -1;
    }
    CGraphsDoc* doc = GetGraphsDoc();
    plot->SetDocument(doc);
    plot->SetChart(GetChart());
    CStudyPlot* added = plot.get();
    m_plots.push_back(std::move(plot));
    if (auto* price = dynamic_cast<CPricePlot*>(added); price && doc)
        doc->SetPricePlot(price);
    if (m_hWnd)
        InitPlots(added);
    return GetPlotCount() - 1;
}

void CGraphsView::RemovePlot(int index)
{
    if (index < 0 || index >= GetPlotCount())
        return;
    CStudyPlot* plot = m_plots[static_cast<size_t>(index)].get();
    if (CGraphsDoc* doc = GetGraphsDoc(); doc && doc->GetBarSeries() == plot)
        doc->SetPricePlot(nullptr);
    m_plots.erase(m_plots.begin() + index);
    m_bPictureValid = false;
    Invalidate(FALSE);
}

void CGraphsView::SetShowsTimeAxis(bool on)
{
    m_bTimeAxis = on;
    RecalcLayout();
    m_bPictureValid = false;
    if (m_hWnd)
        Invalidate(FALSE);
}

// ---------------------------------------------------------------- layout

void CGraphsView::RecalcLayout()
{
    GetClientRect(&m_client);
    const CGraphsDoc* doc = GetGraphsDoc();
    const CAxisMetrics metrics = doc ? doc->GetMetrics() : CAxisMetrics();
    CChartController* chart = GetChart();
    const int margin = m_bPricePane && chart && !chart->GetTradeMarkers().empty() ? 15 : kPlotMargin;
    const int axisHeight = m_bTimeAxis ? metrics.labelHeight : 0;
    m_plotRect = CRect(0, margin, m_client.right - metrics.labelWidth, m_client.bottom - margin - axisHeight);
    m_bTimeAxisSuppressed = false;
    if (m_bTimeAxis && m_plotRect.Height() < 1) {
        m_bTimeAxisSuppressed = true;
        m_plotRect.bottom += axisHeight;
    }
    const bool axisShown = m_bTimeAxis && !m_bTimeAxisSuppressed;
    m_crossRect = CRect(0, 0, m_client.right - metrics.labelWidth, m_client.bottom - (axisShown ? axisHeight : 0));
}

void CGraphsView::InitPlots(CStudyPlot* only)
{
    GetClientRect(&m_client);
    RecalcLayout();
    CGraphsDoc* doc = GetGraphsDoc();
    if (!doc)
        return;
    if (m_bTimeAxis) {
        doc->SetVisibleBarCount(std::max(0, static_cast<int>(m_plotRect.Width() / doc->GetBarSpacing())));
        if (!only)
            doc->SetScrollOffset(0);
    }
    // A plot added later lays out its bars up to the price series' newest one.
    if (only && !only->IsPricePlot())
        if (CPricePlot* price = doc->GetBarSeries(); price && price->GetPriceSeries())
            doc->SetEndTimeAnchor(price->GetPriceSeries()->GetLastBarTime());
    const int points = GetMaxChartWidth();
    bool any = false;
    for (const auto& plot : m_plots) {
        if (only && plot.get() != only)
            continue;
        plot->SetDocument(doc);
        plot->SetChart(GetChart());
        any = plot->Attach(points, this) || any;
    }
    if (any)
        m_bInitialised = true;
    m_bPictureValid = false;
    Invalidate(FALSE);
}

void CGraphsView::ComputePriceRange()
{
    double lowest = 2147483647.0, highest = -2147483647.0;
    for (const auto& plot : m_plots) {
        double low = 0, high = 0;
        if (!plot->IsAutoscaled() || !plot->GetValueRange(low, high) || low > high)
            continue;
        lowest = std::min(lowest, low);
        highest = std::max(highest, high);
    }
    if (lowest > highest) {
        for (const auto& plot : m_plots) {
            double low = 0, high = 0;
            if (plot->GetValueRange(low, high) && low <= high) {
                lowest = low;
                highest = high;
                break;
            }
        }
    }
    if (lowest > highest) {
        lowest = 0;
        highest = 10;
    } else if (lowest == highest) {
        lowest -= 5;
        highest += 5;
    }
    const double f = std::pow(1.1, m_nZoom);
    const double widen = (f - 1) * (highest - lowest) * 0.5;
    m_lowest = lowest - widen;
    m_highest = highest + widen;
}

CPriceScale CGraphsView::MakeScale() const
{
    // The price offset moves the whole scale up or down by pixels.
    return CPriceScale(m_bLogScale && m_bPricePane, m_lowest, m_highest, m_plotRect.top + m_nPriceOffset,
                       m_plotRect.bottom + m_nPriceOffset, this);
}

CToolGeometry CGraphsView::GetToolGeometry() const
{
    CToolGeometry g{m_plotRect, 6.0, 0, nullptr};
    if (CGraphsDoc* doc = GetGraphsDoc()) {
        g.spacing = doc->GetBarSpacing();
        g.font = &doc->GetChartFont();
    }
    if (CStudyPlot* data = GetSeriesPlot())
        g.firstBar = data->GetFirstVisibleBar();
    return g;
}

// ---------------------------------------------------------------- workspaces

BOOL CGraphsView::SaveToWorkspace(CArchive& ar)
{
    CChartController* chart = GetChart();
    return chart && chart->StoreLayout(ar) ? TRUE : FALSE;
}

BOOL CGraphsView::LoadFromWorkspace(CArchive& ar, DWORD)
{
    // The workspace tells its own error.
    CChartController* chart = GetChart();
    return chart && chart->LoadLayout(ar) ? TRUE : FALSE;
}

// ---------------------------------------------------------------- updates

void CGraphsView::OnInitialUpdate()
{
    m_bRecreateBitmap = true;
    CGraphsDoc* doc = GetGraphsDoc();
    if (doc && !doc->IsDefaultLoaded()) {
        if (CChartController* chart = GetChart())
            chart->LoadDefaultLayout();
        doc->SetDefaultLoaded();
    }
    if (doc && m_bTimeAxis && (doc->GetSymbol().IsEmpty() || doc->GetInterval().IsEmpty())) {
        if (IWorkstationFrame* main = GetWorkstationFrame()) {
            const CString symbol = main->GetSymbolBox();
            // Only an interval the box names rightly; the chart's own otherwise.
            CString interval = main->GetIntervalBox();
            if (!IsPeriodText(interval))
                interval.Empty();
            if (!symbol.IsEmpty() || !interval.IsEmpty()) {
                ChangeSymbolInterval(symbol.IsEmpty() ? doc->GetSymbol() : symbol,
                                     interval.IsEmpty() ? doc->GetInterval() : interval, main->IsExtSession() != FALSE);
                return;
            }
        }
    }
    InitPlots();
}

void CGraphsView::OnUpdate(CView*, LPARAM hint, CUpdateHint* hintObject)
{
    switch (hint) {
    case kHintBarsAdded:
        if (auto* added = dynamic_cast<CBarsAddedHint*>(hintObject))
            for (const auto& plot : m_plots)
                plot->AddBars(added->m_nBars);
        m_bPictureValid = false;
        Invalidate(FALSE);
        break;
    case kHintReinitialise:
        m_dragAnchor = CPoint();
        m_nPriceOffset = 0;
        m_bInitialised = false;
        InitPlots();
        break;
    case kHintCrosshair:
        if (CChartController* chart = GetChart(); chart && chart->m_pCrosshairPane == nullptr)
            chart->m_pCrosshairPane = this;
        ShowOverlay(static_cast<int>(hint));
        break;
    case kHintCrosshairOff:
        ShowOverlay(static_cast<int>(hint));
        break;
    default:
        m_bPictureValid = false;
        Invalidate(FALSE);
        break;
    }
}

void CGraphsView::ShowOverlay(int)
{
    // The picture of plots and axes stays; only tools and the cross-hair are drawn again.
    Invalidate(FALSE);
}

void CGraphsView::RedrawTools()
{
    Invalidate(FALSE);
}

void CGraphsView::OnSize(UINT type, int cx, int cy)
{
    CView::OnSize(type, cx, cy);
    m_bRecreateBitmap = true;
    OnMetricsChanged();
}

void CGraphsView::OnMetricsChanged()
{
    m_bPictureValid = false;
    RecalcLayout();
    if (m_bTimeAxis && m_bInitialised)
        FitBarsToWidth();
    Invalidate(FALSE);
}

BOOL CGraphsView::OnEraseBkgnd(CDC*)
{
    return TRUE;
}

LRESULT CGraphsView::OnFormulaResult(CWndMessage& message)
{
    const auto* block = message.Peek<CFormulaResultBlock>();
    if (!block)
        return 1;
    const int index = FindPlot(block->plot);
    if (index < 0 || m_plots[static_cast<size_t>(index)]->GetFormulaSeries() != block->formula)
        return 1;
    switch (static_cast<int>(message.wParam)) {
    case kFormulaClearRange: block->formula->ClearCacheRange(block->from, block->to); break;
    case kFormulaClearAll: block->formula->ClearCache(); break;
    default:
        block->formula->ClearCache();
        block->formula->Resync();
        break;
    }
    if (CChartController* chart = GetChart()) {
        chart->m_bRecalc = true;
        chart->GetSignals()->redraw.store(true);
    }
    return 0;
}

const CMessageMap& CGraphsView::GetMessageMap() const
{
    static const CMessageMap map = MessageMapFor<CGraphsView>(CView::GetMessageMap())
                                       .Message(WM_SET_SYMBOL_INTERVAL, &CGraphsView::OnSetSymbolInterval)
                                       .Message(WM_CHART_FORMULA_RESULT, &CGraphsView::OnFormulaResult)
                                       .Build();
    return map;
}
