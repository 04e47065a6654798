// Mouse, wheel and keys of a chart pane; scrolling, zoom and bar spacing; the symbol
// and interval, date ranges, drawing tools and trading from the chart.
#include "chart/ui/CGraphsView.h"

#include "analytics/series/CPriceSeries.h"
#include "analytics/series/CStudySource.h"
#include "analytics/series/ISeriesServices.h"
#include "analytics/series/SeriesFactory.h"
#include "analytics/series/SeriesTime.h"
#include "chart/ui/CChartController.h"
#include "chart/ui/CDrawingTool.h"
#include "chart/ui/CDrawingToolList.h"
#include "chart/ui/CGraphsDoc.h"
#include "chart/ui/CNoteTool.h"
#include "common/services/CAppSettings.h"
#include "common/services/TextHelpers.h"
#include "common/windows/CDateTimeDlg.h"
#include "common/windows/IWorkstationFrame.h"
#include "common/windows/ShellIds.h"
#include "common/windows/SymbolEntryDialog.h"
#include "platform/ui/CFrameWnd.h"
#include "platform/ui/CMenu.h"
#include "platform/ui/CPropertySheet.h"
#include "platform/ui/CUiResponder.h"
#include "platform/ui/CWinApp.h"
#include "studies/plots/CPricePlot.h"
#include "studies/plots/CPriceScale.h"
#include "trading/COrderRecord.h"
#include "trading/ui/COrderPropertySheet.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>

namespace {

constexpr int kMaxZoom = 40;
constexpr double kMinSpacing = 2.0;
constexpr double kMaxSpacing = 30.0;

bool ControlHeld()
{
    return (GetKeyState(VK_CONTROL) & 0x8000) != 0;
}

} // namespace

int CGraphsView::SnapX(int x) const
{
    const CGraphsDoc* doc = GetGraphsDoc();
    CStudyPlot* data = GetSeriesPlot();
    if (!doc || !data)
        return x;
    const int first = data->GetFirstVisibleBar();
    return BarIndexToX(doc->GetBarSpacing(), XToBarIndex(doc->GetBarSpacing(), x, first, m_plotRect.left), first,
                       m_plotRect.left);
}

bool CGraphsView::ToolBeingPlaced() const
{
    for (const auto& tool : const_cast<CGraphsView*>(this)->m_tools.Current())
        if (tool->m_nState == kToolPlacing)
            return true;
    return false;
}

CDrawingTool* CGraphsView::SelectedTool() const
{
    for (const auto& tool : const_cast<CGraphsView*>(this)->m_tools.Current())
        if (tool->m_nState == kToolSelected)
            return tool.get();
    return nullptr;
}

CDrawingTool* CGraphsView::AddTool(std::unique_ptr<CDrawingTool> tool)
{
    if (!tool)
        return nullptr;
    if (!tool->AnchorsArePixels())
        tool->SetPricePlot(GetGraphsDoc() ? GetGraphsDoc()->GetBarSeries() : nullptr);
    m_tools.Current().push_back(std::move(tool));
    return m_tools.Current().back().get();
}

// ---------------------------------------------------------------- scrolling and scale

void CGraphsView::ScrollBars(int amount)
{
    if (ScrollWithin(amount))
        return;
    // Far off: the bars are laid out afresh at the one scrolled to.
    CStudyPlot* data = GetSeriesPlot();
    DWORD time = 0;
    if (data && data->GetBarTime(data->GetLastVisibleBar() + amount, CStudyPlot::kBarStart, time))
        ShowBarAt(time);
}

void CGraphsView::ShowBarAt(DWORD feedTime)
{
    CGraphsDoc* doc = GetGraphsDoc();
    if (!doc || ScrollToTime(feedTime))
        return;
    // Laid out for a time long past: a time near now is reached from the live bars.
    if (doc->GetFixedEndTime() != 0) {
        LayOutEndingAt(0);
        if (ScrollToTime(feedTime))
            return;
    }
    LayOutEndingAt(feedTime);
}

bool CGraphsView::ScrollToTime(DWORD feedTime)
{
    CStudyPlot* data = GetSeriesPlot();
    int bar = 0;
    // The bar holding the time, or the newest begun by then (as a layout ending there has it
    // newest): a time between sessions, now among them, shows the session before it.
    if (!data || !data->GetSeries() || !data->FindBarByTime(feedTime, bar, CStudyPlot::kBarStart))
        return false;
    const int amount = bar - data->GetLastVisibleBar();
    return amount == 0 || ScrollWithin(amount);
}

void CGraphsView::LayOutEndingAt(DWORD feedTime)
{
    CGraphsDoc* doc = GetGraphsDoc();
    if (!doc)
        return;
    // A time not yet past is now: the live bars.
    if (feedTime >= CTimeToFeedTime(GetSeriesServices().GetExchangeTime()))
        feedTime = 0;
    doc->SetFixedEndTime(feedTime);
    doc->SetEndTimeAnchor(feedTime);
    doc->UpdateAllViews(nullptr, kHintReinitialise);
    if (CChartController* chart = GetChart())
        chart->OnBarsScrolled();
    doc->UpdateAllViews(nullptr, kHintRepaint);
}

bool CGraphsView::ScrollWithin(int amount)
{
    CGraphsDoc* doc = GetGraphsDoc();
    CStudyPlot* data = GetSeriesPlot();
    if (!doc || !data || amount == 0 || !data->GetSeries())
        return true;
    // Records the scroll adds take memory and history requests: a bound on them.
    const int overrun = data->GetScrollOverrun(amount, true);
    const CPriceSeries* series = data->GetPriceSeries();
    if (overrun != 0 && (series ? series->GetRecordCount() : 0) + std::abs(overrun) > kMostScrolledRecords)
        return false;
    auto sourceLast = [data]() {
        int first = 0, last = 0;
        data->GetSeries()->GetVisibleRange(first, last);
        return last;
    };
    const int before = sourceLast();
    if (overrun != 0) {
        CBarsAddedHint hint(overrun);
        doc->UpdateAllViews(nullptr, kHintBarsAdded, &hint);
    }
    // Bars added after the last one move its index: the view keeps its place.
    doc->SetScrollOffset(doc->GetScrollOffset() + amount - (sourceLast() - before));
    if (CChartController* chart = GetChart())
        chart->OnBarsScrolled();
    doc->UpdateAllViews(nullptr, kHintRepaint);
    return true;
}

void CGraphsView::FitBarsToWidth()
{
    CGraphsDoc* doc = GetGraphsDoc();
    CStudyPlot* data = GetSeriesPlot();
    if (!doc || doc->GetBarSpacing() <= 0)
        return;
    const int bars = std::max(0, static_cast<int>(m_plotRect.Width() / doc->GetBarSpacing()));
    if (data && data->GetSeries() && bars > doc->GetVisibleBarCount()) {
        const int overrun = data->GetScrollOverrun(doc->GetVisibleBarCount() - bars, false);
        if (overrun != 0) {
            CBarsAddedHint hint(overrun);
            doc->UpdateAllViews(nullptr, kHintBarsAdded, &hint);
        }
    }
    doc->SetVisibleBarCount(bars);
    doc->UpdateAllViews(nullptr, kHintRepaint);
}

void CGraphsView::ChangeSpacing(double delta)
{
    CGraphsDoc* doc = GetGraphsDoc();
    if (!doc)
        return;
    const double spacing = doc->GetBarSpacing();
    if ((delta > 0 && spacing > kMaxSpacing - 1.0) || (delta < 0 && spacing < kMinSpacing + 1.0))
        return;
    doc->SetBarSpacing(std::clamp(spacing + delta, kMinSpacing, kMaxSpacing));
    doc->SetDateRange(0);
    FitBarsToWidth();
}

void CGraphsView::AddZoom(int steps)
{
    if (!m_bPricePane)
        return;
    m_nZoom = std::clamp(m_nZoom + steps, -kMaxZoom, kMaxZoom);
    if (m_bAutoScale && m_nZoom != 0) {
        m_bAutoScale = false;
        m_nPriceOffset = 0;
    }
    m_bPictureValid = false;
    Invalidate(FALSE);
}

void CGraphsView::ShiftPrices(bool up, bool fast)
{
    if (!m_bPricePane)
        return;
    m_bAutoScale = false;
    int shift = m_plotRect.Height() < 21 ? 1 : m_plotRect.Height() / 20;
    if (fast)
        shift *= 6;
    m_nPriceOffset += up ? shift : -shift;
    m_bPictureValid = false;
    Invalidate(FALSE);
}

void CGraphsView::ResetScale()
{
    CGraphsDoc* doc = GetGraphsDoc();
    if (CPricePlot* price = GetPricePlot()) {
        price->SetPenWidth(1);
        price->SetDrawStyle(kStyleBar);
    }
    m_nZoom = 0;
    m_nPriceOffset = 0;
    m_bAutoScale = true;
    if (doc) {
        doc->SetBarSpacing(6.0);
        doc->SetDateRange(0);
    }
    FitBarsToWidth();
}

// ---------------------------------------------------------------- symbol, interval, date range

LRESULT CGraphsView::OnSetSymbolInterval(WPARAM group, LPARAM message)
{
    const auto* msg = reinterpret_cast<const CSymbolIntervalMsg*>(message);
    CGraphsDoc* doc = GetGraphsDoc();
    if (!msg || !doc)
        return 0;
    const int g = static_cast<int>(static_cast<LONG_PTR>(group));
    const bool symbol = doc->GetLinkState().AcceptsSymbolGroup(g) && !msg->symbol.IsEmpty();
    const bool interval = doc->GetLinkState().AcceptsIntervalGroup(g) && !msg->interval.IsEmpty();
    if (symbol || interval)
        ChangeSymbolInterval(symbol ? msg->symbol : doc->GetSymbol(), interval ? msg->interval : doc->GetInterval(),
                             msg->extSession);
    return 1;
}

void CGraphsView::ChangeSymbolInterval(const CString& symbolText, const CString& intervalText, bool extended)
{
    CGraphsDoc* doc = GetGraphsDoc();
    if (!doc)
        return;
    bool changed = false;
    bool retest = false;
    CString symbol = symbolText;
    symbol.Trim();
    symbol.MakeUpper();
    if (!symbol.IsEmpty() && symbol.CompareNoCase(doc->GetSymbol()) != 0) {
        doc->SetSymbol(symbol);
        if (CChartController* chart = GetChart())
            chart->SetSnapshotSymbol(symbol);
        changed = retest = true;
    }
    CString interval = PeriodNameToCode(intervalText);
    interval.Trim();
    if (!interval.IsEmpty() && !IsPeriodText(interval)) {
        // The chart keeps its interval; the trader learns why.
        if (IWorkstationFrame* main = GetWorkstationFrame())
            main->SetMessageText("Unknown interval \"" + interval.Left(32) + "\": the chart keeps " +
                                 PeriodDisplayName(doc->GetInterval()) + ".");
        interval.Empty();
    }
    if (!interval.IsEmpty() && interval.CompareNoCase(doc->GetInterval()) != 0) {
        doc->SetInterval(interval);
        changed = retest = true;
    }
    if (extended != doc->IsExtendedSession()) {
        doc->SetExtendedSession(extended);
        changed = true;
    }
    if (!changed && m_bInitialised)
        return;
    if (CChartController* chart = GetChart()) {
        chart->SelectDrawingLists(false);
        chart->SelectTabs(doc->GetSymbol(), doc->GetInterval());
        if (retest)
            chart->StartBacktest(doc->GetSymbol(), doc->GetInterval());
    }
    doc->SetIntervalKind(FALSE);
    if (doc->GetDateRange() != 0)
        ApplyDateRange(doc->GetDateRange(), false);
}

void CGraphsView::ApplyDateRange(int index, bool intervalChange)
{
    CGraphsDoc* doc = GetGraphsDoc();
    if (!doc || index < 0 || index > 8)
        return;
    if (index == 0) {
        doc->SetDateRange(0);
        return;
    }
    static const int kUnits[] = {0, 1, 2, 5, 10, 1, 3, 6, 12};
    const bool months = index >= 5;
    CPricePlot* price = doc->GetBarSeries();
    if (!price || !price->GetPriceSeries() || doc->GetSymbol().IsEmpty() || doc->GetInterval().IsEmpty() ||
        m_plotRect.Width() <= 0)
        return;
    // The range's first day from the symbol's daily bars (laid out on the calendar).
    std::unique_ptr<CPriceSeries, void (*)(CPriceSeries*)> daily(OpenPriceSeries(doc->GetSymbol() + ",D", 0),
                                                                 &ReleasePriceSeries);
    if (!daily)
        return;
    daily->SetBarCount(months ? 1 : kUnits[index], 0);
    int first = 0, last = 0;
    if (daily->GetVisibleRange(first, last) == 0)
        return;
    DWORD start = 0;
    if (months) {
        DWORD end = 0;
        if (!daily->GetBarTime(last, 0, end))
            return;
        int year = 0, month = 0, day = 0;
        FeedTimeToDate(end, year, month, day);
        month -= kUnits[index];
        while (month < 1) {
            month += 12;
            --year;
        }
        start = DateTimeToFeedTime(year, month, std::min(day, 28), 0, 0, 0);
    } else if (!daily->GetBarTime(first, 0, start)) {
        return;
    }
    if (start == 0)
        return;
    static const char* const kSteps[] = {"1", "5", "15", "30", "60", "D", "W", "M"};
    for (int attempt = 0; attempt < 16; ++attempt) {
        int startBar = 0;
        price->FindBarByTime(start, startBar);
        const int lastBar = price->GetLastVisibleBar() - doc->GetScrollOffset();
        const int n = std::max(1, lastBar - startBar + 1);
        const double spacing = m_plotRect.Width() / static_cast<double>(n) - 0.01;
        if (spacing >= kMinSpacing && spacing <= kMaxSpacing) {
            doc->SetBarSpacing(spacing);
            FitBarsToWidth();
            doc->SetDateRange(index);
            return;
        }
        if (!intervalChange) {
            doc->SetDateRange(0);
            doc->SetBarSpacing(6.0);
            FitBarsToWidth();
            return;
        }
        // Coarser when the bars do not fit, finer when they are too few.
        const CString current = doc->GetInterval();
        int at = -1;
        for (int i = 0; i < 8; ++i)
            if (current.CompareNoCase(kSteps[i]) == 0)
                at = i;
        if (at < 0 && !current.IsEmpty() && std::isdigit(static_cast<unsigned char>(current[0]))) {
            const int minutes = std::atoi(current);
            at = 5;
            for (int i = 4; i >= 0; --i)
                if (minutes < std::atoi(kSteps[i]))
                    at = i;
            at = spacing < kMinSpacing ? at - 1 : at;
        }
        const int next = spacing < kMinSpacing ? at + 1 : at - 1;
        if (next < 0 || next >= 8)
            return;
        ApplyChosenSymbolInterval(doc->GetSymbol(), kSteps[next], doc->IsExtendedSession());
    }
}

void CGraphsView::OnSymbolInterval()
{
    CGraphsDoc* doc = GetGraphsDoc();
    if (!doc)
        return;
    SymbolEntryDialog dlg(TRUE, GetParentFrame());
    dlg.SetSymbol(doc->GetSymbol());
    dlg.SetInterval(PeriodDisplayName(doc->GetInterval()));
    dlg.SetExtSession(doc->IsExtendedSession());
    if (dlg.DoModal() != IDOK)
        return;
    ApplyChosenSymbolInterval(dlg.GetSymbol(), dlg.GetInterval(), dlg.GetExtSession() != FALSE);
}

void CGraphsView::ApplyChosenSymbolInterval(const CString& symbol, const CString& interval, bool extended)
{
    ChangeSymbolInterval(symbol, interval, extended);
    CGraphsDoc* doc = GetGraphsDoc();
    if (IWorkstationFrame* main = GetWorkstationFrame(); main && doc && !doc->IsDetached()) {
        main->SetSymbolBox(doc->GetSymbol(), TRUE);
        main->SetIntervalBox(PeriodDisplayName(doc->GetInterval()), FALSE);
    }
}

void CGraphsView::OnActivateView(BOOL activate, CView* activated, CView* deactivated)
{
    CView::OnActivateView(activate, activated, deactivated);
    CGraphsDoc* doc = GetGraphsDoc();
    if (!activate || !doc || doc->IsDetached() || doc->GetSymbol().IsEmpty())
        return;
    if (IWorkstationFrame* main = GetWorkstationFrame()) {
        main->SetSymbolBox(doc->GetSymbol(), FALSE);
        main->SetIntervalBox(PeriodDisplayName(doc->GetInterval()), FALSE);
    }
}

// ---------------------------------------------------------------- trading

void CGraphsView::TradeFromChart(int action)
{
    CGraphsDoc* doc = GetGraphsDoc();
    if (!doc || doc->GetSymbol().IsEmpty() || action < 0 || action > 3)
        return;
    const CString symbol = doc->GetSymbol();
    const int kind = GetSymbolKind(symbol) == kSymbolOption ? 1 : 0;
    COrderRecord record(kind);
    record.symbol = symbol;
    record.action = action;
    if (const CAppSettings* settings = CAppSettings::Instance())
        record.quantity = kind == 1 ? settings->m_nOptionContracts : settings->m_nStockShares;
    double price = 0;
    CSeriesQuote quote;
    if (GetSeriesServices().LookupQuote(symbol, quote))
        price = action == 0 || action == 3 ? quote.ask : quote.bid;
    CChartController* chart = GetChart();
    if (chart && chart->IsCrosshairOn() && chart->m_pCrosshairPane == this && chart->m_nCrosshairRow >= m_plotRect.top &&
        chart->m_nCrosshairRow < m_plotRect.bottom)
        price = std::round(MakeScale().YToPrice(chart->m_nCrosshairRow) * 100.0) / 100.0;
    record.price = price;
    OpenTradeTicket(record, GetParentFrame());
}

// ---------------------------------------------------------------- drawing tools

void CGraphsView::OnDrawingTool(UINT id)
{
    if (CGraphsDoc* doc = GetGraphsDoc())
        doc->SetToolCommand(id);
    m_bWholeToolMove = false;
    if (CGraphsDoc* doc = GetGraphsDoc())
        SetWindowCursor(doc->GetCursorFor(id));
}

void CGraphsView::OpenNoteSheets()
{
    for (auto& tool : m_tools.Current()) {
        auto* note = dynamic_cast<CNoteTool*>(tool.get());
        if (!note || note->m_nState != kToolPlacing)
            continue;
        CPropertySheet sheet("Preferences", GetParentFrame());
        if (!note->EditPreferences(sheet))
            note->m_nState = note->m_settings.text.IsEmpty() ? kToolRemoved : kToolNormal;
    }
    RedrawTools();
}

void CGraphsView::HandleToolMenu(CDrawingTool* tool, CPoint screen)
{
    CMenu menu;
    if (!menu.LoadMenu(tool->GetContextMenuId()))
        return;
    CMenu* popup = menu.GetSubMenu(0);
    if (!popup)
        return;
    if (!m_bPricePane)
        popup->DeleteMenu(3, MF_BYPOSITION); // the Trade submenu
    tool->AddMenuItems(*popup);
    const UINT command = CUiResponder::Current().TrackPopupMenu(*popup, screen, this);
    const CToolGeometry geometry = GetToolGeometry();
    const CPriceScale scale = MakeScale();
    auto& tools = m_tools.Current();
    switch (command) {
    case ID_TOOL_REMOVE:
        tools.erase(std::remove_if(tools.begin(), tools.end(), [tool](const auto& t) { return t.get() == tool; }),
                    tools.end());
        break;
    case ID_TOOL_CLONE: {
        CPoint p1, p2;
        tool->AnchorsToPixels(p1, p2, geometry, &scale);
        int dx = 20, dy = 0;
        if (p1.x != p2.x) {
            const double m = static_cast<double>(p2.y - p1.y) / (p2.x - p1.x);
            dx = m == 0 ? 20 : static_cast<int>(m_plotRect.Height() / m * 0.05);
            dy = static_cast<int>(dx * m + 20.0);
        }
        auto copy = tool->CreateLike(CPoint(p1.x + dx, p1.y + dy), CPoint(p2.x + dx, p2.y + dy), kToolSelected,
                                     geometry, &scale);
        tool->m_nState = kToolNormal;
        if (copy) {
            AddTool(std::move(copy));
            m_bWholeToolMove = true;
            m_lastToolPoint = CPoint(p2.x + dx, p2.y + dy);
        }
        break;
    }
    case ID_TOOL_EDIT: {
        CPropertySheet sheet("Preferences", GetParentFrame());
        tool->EditPreferences(sheet);
        break;
    }
    case ID_TOOL_MINIMIZE:
    case ID_TOOL_RESTORE: tool->ToggleMinimized(); break;
    case ID_TRADE_BUY:
    case ID_TRADE_SELL:
    case ID_TRADE_SELL_SHORT:
    case ID_TRADE_BUY_TO_COVER: TradeFromChart(static_cast<int>(command - ID_TRADE_BUY)); break;
    case ID_TOOL_ADD_ALERT: {
        const int made = tool->AddAlerts(geometry, &scale);
        if (made == 0) {
            AfxMessageBox("No alert was made: the line crosses no bar from now on that the chart shows.",
                          MB_OK | MB_ICONINFORMATION);
            break;
        }
        if (CAppSettings* settings = CAppSettings::Instance())
            settings->SaveAlerts();
        if (IWorkstationFrame* main = GetWorkstationFrame())
            main->SetMessageText(made == 1 ? CString("An alert was added.") : CString("Alerts were added."));
        break;
    }
    default: break;
    }
    RedrawTools();
}

// ---------------------------------------------------------------- mouse

void CGraphsView::OnLButtonDown(UINT flags, CPoint point)
{
    CGraphsDoc* doc = GetGraphsDoc();
    if (!m_bInitialised || !doc || !m_client.PtInRect(point)) {
        CView::OnLButtonDown(flags, point);
        return;
    }
    SetCapture();
    m_bCaptured = true;
    SetFocus();
    const CAxisMetrics& metrics = doc->GetMetrics();
    m_bPressedInPlot = point.x < m_client.right - metrics.labelWidth;
    m_bPressedAboveAxis = !m_bTimeAxis || m_bTimeAxisSuppressed || point.y <= m_client.bottom - metrics.labelHeight;
    const CToolGeometry geometry = GetToolGeometry();
    const CPriceScale scale = MakeScale();
    auto& tools = m_tools.Current();
    const UINT command = doc->GetToolCommand();
    if (command == kCmdPointer) {
        CDrawingTool* hit = nullptr;
        for (auto& tool : tools) {
            if (hit || !tool->HitTest(point, geometry, &scale)) {
                if (tool->m_nState == kToolSelected)
                    tool->m_nState = kToolNormal;
                continue;
            }
            hit = tool.get();
            CPoint p1, p2;
            tool->AnchorsToPixels(p1, p2, geometry, &scale);
            if (tool->IsNearAnchor(point, p1)) {
                tool->m_nState = kToolPlacing;
                tool->m_nFollowing = 1;
            } else if (tool->IsNearAnchor(point, p2)) {
                tool->m_nState = kToolPlacing;
                tool->m_nFollowing = 0;
            } else {
                tool->m_nState = kToolSelected;
                m_bWholeToolMove = true;
                m_bToolMoved = false;
            }
        }
        if (hit) {
            m_lastToolPoint = point;
            m_bHasPreviousToolPoint = false;
            RedrawTools();
            return;
        }
        SetWindowCursor(doc->GetDragCursor());
        m_dragAnchor = point;
        RedrawTools();
        return;
    }
    // A drawing tool: on the centre of the bar under the point.
    const CPoint at(SnapX(point.x), point.y);
    for (auto& tool : tools)
        if (tool->m_nState == kToolPlacing) {
            tool->m_nState = kToolNormal;
            RedrawTools();
            return;
        }
    for (auto& tool : tools)
        if (tool->m_nState == kToolSelected)
            tool->m_nState = kToolNormal;
    std::unique_ptr<CDrawingTool> tool = CreateToolForCommand(command);
    if (!tool)
        return;
    if (!tool->AnchorsArePixels())
        tool->SetPricePlot(GetGraphsDoc() ? GetGraphsDoc()->GetBarSeries() : nullptr);
    const CPoint second = command == kCmdNote ? CPoint(at.x + 100, at.y + 20) : at;
    tool->SetAnchorFromPixel(true, at, geometry, &scale);
    tool->SetAnchorFromPixel(false, second, geometry, &scale);
    tool->m_nState = kToolPlacing;
    tool->m_nFollowing = 0;
    AddTool(std::move(tool));
    // No drag point yet: the release decides by the anchors' distance alone.
    m_lastToolPoint = CPoint(-100000, -100000);
    m_bHasPreviousToolPoint = false;
    RedrawTools();
}

void CGraphsView::OnMouseMove(UINT flags, CPoint point)
{
    CGraphsDoc* doc = GetGraphsDoc();
    CChartController* chart = GetChart();
    if (!m_bInitialised || !doc) {
        CView::OnMouseMove(flags, point);
        return;
    }
    const CToolGeometry geometry = GetToolGeometry();
    const CPriceScale scale = MakeScale();
    if (m_bWholeToolMove && m_bCaptured) {
        if (CDrawingTool* tool = SelectedTool()) {
            const CPoint at(SnapX(point.x), point.y);
            const int bars = XToBarIndex(geometry.spacing, at.x, geometry.firstBar, geometry.plot.left) -
                             XToBarIndex(geometry.spacing, m_lastToolPoint.x, geometry.firstBar, geometry.plot.left);
            if (tool->AnchorsArePixels()) {
                const int dx = at.x - m_lastToolPoint.x, dy = at.y - m_lastToolPoint.y;
                tool->m_anchor1.time = static_cast<DWORD>(std::max(0, static_cast<int>(tool->m_anchor1.time) + dx));
                tool->m_anchor2.time = static_cast<DWORD>(std::max(0, static_cast<int>(tool->m_anchor2.time) + dx));
                tool->m_anchor1.price += dy;
                tool->m_anchor2.price += dy;
            } else if (CPricePlot* price = tool->GetPricePlot()) {
                const double dp = scale.YToPrice(at.y) - scale.YToPrice(m_lastToolPoint.y);
                for (CToolAnchor* anchor : {&tool->m_anchor1, &tool->m_anchor2}) {
                    int bar = 0;
                    price->FindBarByTime(anchor->time, bar);
                    DWORD time = 0;
                    if (price->GetBarTime(bar + bars, CStudyPlot::kBarStart, time))
                        anchor->time = time;
                    anchor->price += dp;
                }
            }
            if (at != m_lastToolPoint)
                m_bToolMoved = true;
            m_previousToolPoint = m_lastToolPoint;
            m_bHasPreviousToolPoint = true;
            m_lastToolPoint = at;
            RedrawTools();
        }
        return;
    }
    for (auto& tool : m_tools.Current())
        if (tool->m_nState == kToolPlacing) {
            tool->SetAnchorFromPixel(tool->m_nFollowing == 1, CPoint(SnapX(point.x), point.y), geometry, &scale);
            RedrawTools();
            return;
        }
    if (m_bCaptured && doc->GetToolCommand() == kCmdPointer) {
        const int dx = point.x - m_dragAnchor.x;
        const int dy = point.y - m_dragAnchor.y;
        if (m_bPressedInPlot) {
            m_nPriceOffset += dy;
            m_bPictureValid = false;
        } else if (dy != 0) {
            AddZoom(dy < 0 ? -1 : 1);
        }
        if (!m_bPressedAboveAxis && dx != 0) {
            ChangeSpacing(dx < 0 ? 1.0 : -1.0);
            m_dragAnchor = point;
            return;
        }
        const int bars = static_cast<int>(-dx / doc->GetBarSpacing());
        m_dragAnchor.x += static_cast<int>(-bars * doc->GetBarSpacing());
        m_dragAnchor.y = point.y;
        if (bars != 0 && m_bPressedInPlot && m_bPressedAboveAxis)
            ScrollBars(bars);
        if (chart && chart->IsCrosshairOn())
            chart->m_nCrosshairRow = point.y;
        Invalidate(FALSE);
        return;
    }
    if (m_crossRect.PtInRect(point)) {
        SetWindowCursor(doc->GetCursorFor(doc->GetToolCommand()));
        if (chart && (chart->IsCrosshairOn() || chart->IsTrackingShown()) && !m_bWholeToolMove) {
            if (CStudyPlot* data = GetSeriesPlot())
                chart->m_nCrosshairBar =
                    XToBarIndex(doc->GetBarSpacing(), point.x, data->GetFirstVisibleBar(), m_plotRect.left);
            chart->m_nCrosshairRow = point.y;
            chart->m_pCrosshairPane = this;
            chart->GetSignals()->trackingRefresh.store(true);
            if (chart->IsCrosshairOn()) {
                doc->UpdateAllViews(nullptr, kHintCrosshair);
                chart->BroadcastCrosshair();
            }
        }
    }
}

void CGraphsView::OnLButtonUp(UINT flags, CPoint point)
{
    if (m_bCaptured) {
        ReleaseCapture();
        m_bCaptured = false;
    }
    CGraphsDoc* doc = GetGraphsDoc();
    if (!m_bInitialised || !doc) {
        CView::OnLButtonUp(flags, point);
        return;
    }
    SetWindowCursor(doc->GetCursorFor(doc->GetToolCommand()));
    const bool placing = ToolBeingPlaced();
    if (doc->GetToolCommand() == kCmdPointer && !m_bWholeToolMove && !placing) {
        // "# Bars" of the Tracking Window counts from the bar clicked.
        CChartController* chart = GetChart();
        if (CStudyPlot* data = GetSeriesPlot(); chart && data && chart->IsTrackingShown()) {
            chart->SetTrackingAnchor(
                XToBarIndex(doc->GetBarSpacing(), point.x, data->GetFirstVisibleBar(), m_plotRect.left));
            chart->GetSignals()->trackingRefresh.store(true);
        }
        RedrawTools();
        return;
    }
    const CPoint at(SnapX(point.x), point.y);
    if (m_bWholeToolMove && m_bToolMoved)
        if (CDrawingTool* tool = SelectedTool())
            tool->m_nState = kToolNormal;
    const CToolGeometry geometry = GetToolGeometry();
    const CPriceScale scale = MakeScale();
    bool notePlaced = false;
    for (auto& tool : m_tools.Current()) {
        if (tool->m_nState != kToolPlacing)
            continue;
        if (tool->AnchorsArePixels()) {
            notePlaced = true;
            continue;
        }
        CPoint p1, p2;
        tool->AnchorsToPixels(p1, p2, geometry, &scale);
        const CPoint fixed = tool->m_nFollowing == 1 ? p2 : p1;
        const CPoint following = tool->m_nFollowing == 1 ? p1 : p2;
        if (std::hypot(at.x - m_lastToolPoint.x, at.y - m_lastToolPoint.y) <= 2.0)
            tool->m_nState = kToolSelected;
        else if (std::hypot(following.x - fixed.x, following.y - fixed.y) > 4.0)
            tool->m_nState = kToolNormal;
    }
    m_bWholeToolMove = false;
    m_bToolMoved = false;
    RedrawTools();
    // A new note asks for its text once the button is up.
    if (notePlaced)
        OpenNoteSheets();
}

BOOL CGraphsView::OnMouseWheel(UINT, short delta, CPoint)
{
    if (!m_bInitialised)
        return FALSE;
    const UINT repeat = static_cast<UINT>(std::abs(delta) / 25);
    if (repeat > 0)
        OnKeyDown(delta < 1 ? VK_LEFT : VK_RIGHT, repeat, 0);
    return TRUE;
}

void CGraphsView::OnKeyDown(UINT key, UINT repeat, UINT flags)
{
    CGraphsDoc* doc = GetGraphsDoc();
    if (!m_bInitialised || !doc) {
        CView::OnKeyDown(key, repeat, flags);
        return;
    }
    const bool fast = ControlHeld();
    switch (key) {
    case VK_LEFT:
    case VK_RIGHT: {
        const int visible = doc->GetVisibleBarCount();
        const int bars = fast && visible >= 5 ? static_cast<int>(visible * 0.8) : 1;
        const int amount = bars * static_cast<int>(std::max(1u, repeat));
        ScrollBars(key == VK_LEFT ? -amount : amount);
        break;
    }
    case VK_UP:
    case VK_DOWN: ShiftPrices(key == VK_UP, fast); break;
    case VK_RETURN:
        if (m_bPricePane && !m_bAutoScale) {
            m_nPriceOffset = 0;
            m_nZoom = 0;
            m_bPictureValid = false;
            Invalidate(FALSE);
        }
        break;
    default: CView::OnKeyDown(key, repeat, flags); break;
    }
}

void CGraphsView::OnChar(UINT ch, UINT repeat, UINT flags)
{
    CGraphsDoc* doc = GetGraphsDoc();
    if (!doc || ch < 0x20 || ch > 0x7E) {
        CView::OnChar(ch, repeat, flags);
        return;
    }
    // The symbol entry opens holding the character (a digit in the interval field); the
    // keys that follow go there, and Return applies it, attached or detached.
    const char text[2] = {static_cast<char>(ch), '\0'};
    const bool digit = ch >= '0' && ch <= '9';
    SymbolEntryDialog dlg(FALSE, GetParentFrame());
    dlg.SetSymbol(digit ? doc->GetSymbol().GetString() : text);
    dlg.SetInterval(digit ? CString(text) : PeriodDisplayName(doc->GetInterval()));
    dlg.SetExtSession(doc->IsExtendedSession());
    if (digit)
        dlg.FocusInterval();
    if (dlg.DoModal() != IDOK)
        return;
    ApplyChosenSymbolInterval(dlg.GetSymbol(), dlg.GetInterval(), dlg.GetExtSession() != FALSE);
}

void CGraphsView::OnRButtonUp(UINT flags, CPoint point)
{
    if (!m_bInitialised) {
        CView::OnRButtonUp(flags, point);
        return;
    }
    const CToolGeometry geometry = GetToolGeometry();
    const CPriceScale scale = MakeScale();
    CDrawingTool* hit = nullptr;
    for (auto& tool : m_tools.Current()) {
        if (!hit && tool->HitTest(point, geometry, &scale)) {
            hit = tool.get();
            tool->m_nState = kToolSelected;
        } else if (tool->m_nState != kToolPlacing) {
            tool->m_nState = kToolNormal;
        }
    }
    CPoint screen = point;
    ClientToScreen(&screen);
    if (hit) {
        RedrawTools();
        HandleToolMenu(hit, screen);
        return;
    }
    CMenu menu;
    menu.CreatePopupMenu();
    BuildContextMenu(menu);
    const UINT command = CUiResponder::Current().TrackPopupMenu(menu, screen, this);
    if (command)
        OnPaneCommand(command);
}
