// What surrounds a chart: the Tracking and Snapshot Windows kept in step with the frame,
// the process-wide cross-hair group and the two tab strips.
#include "chart/ui/CChartController.h"

#include "broker/core/Formatters.h"
#include "chart/ui/CGraphsDoc.h"
#include "chart/ui/CGraphsView.h"
#include "common/services/TextHelpers.h"
#include "common/windows/CSheetsWnd.h"
#include "platform/ui/CChildFrame.h"
#include "platform/ui/CFrameWnd.h"
#include "platform/ui/CMDIFrameWnd.h"
#include "platform/ui/CWinApp.h"
#include "platform/ui/CWndMessage.h"
#include "studies/plots/CPricePlot.h"
#include "studies/plots/CPriceScale.h"
#include "studies/plots/CStudyPlot.h"
#include "views/ui/CSnapshotFieldPanel.h"
#include "views/ui/CTrackingFieldPanel.h"

#include "platform/ui/QxWindowHost.h"

#include <QApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QMargins>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMetaObject>
#include <QObject>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kSideWindowMargin = 5;
// Between the frames of the Tracking and Snapshot Windows when they are moved apart.
constexpr int kSideWindowGap = 2;
// Symbols a chart's symbol strip keeps; the oldest goes first.
constexpr int kMaxSymbolTabs = 16;
// The interval strip: the chart's usual intervals, by their codes and tab names.
struct CIntervalTab {
    const char* code;
    const char* name;
};
const CIntervalTab kIntervalTabs[] = {{"1", "1 min"},  {"5", "5 min"},  {"15", "15 min"}, {"30", "30 min"},
                                      {"60", "60 min"}, {"D", "Daily"}, {"W", "Weekly"},  {"M", "Monthly"}};

CString IntervalTabName(const CString& code)
{
    for (const CIntervalTab& tab : kIntervalTabs)
        if (code.CompareNoCase(tab.code) == 0)
            return tab.name;
    return PeriodDisplayName(code);
}

CString IntervalOfTab(const CString& name)
{
    for (const CIntervalTab& tab : kIntervalTabs)
        if (name == tab.name)
            return tab.code;
    return PeriodNameToCode(name);
}

// Where a side window opens over the price pane: at its left, below the pane's title.
CPoint SideWindowOrigin(const CGraphsDoc* doc)
{
    return CPoint(kSideWindowMargin, doc ? doc->GetMetrics().ascent + 4 : kSideWindowMargin);
}

std::vector<CChartController*>& Group()
{
    static std::vector<CChartController*> group;
    return group;
}

// The application's top-level widget of a window, or null.
QWidget* TopLevelOf(const QWindow* window)
{
    if (!window)
        return nullptr;
    for (QWidget* top : QApplication::topLevelWidgets())
        if (top->windowHandle() == window)
            return top;
    return nullptr;
}

// Whether the window is owned by the frame's window, directly or through other windows.
bool OwnedBy(const QWidget* window, const QWidget* frame)
{
    for (const QWidget* owner = window ? window->parentWidget() : nullptr; owner; owner = owner->parentWidget())
        if (owner->window() == frame)
            return true;
    return false;
}

// How far the frame the window manager draws around a window (title bar, borders) reaches
// beyond its client area on each side; none before the window is framed.
QMargins FrameExtents(const QWidget* window)
{
    if (!window || !window->isWindow())
        return QMargins();
    const QRect frame = window->frameGeometry();
    const QRect client = window->geometry();
    return QMargins(client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
                    frame.bottom() - client.bottom());
}

QMargins Widest(const QMargins& a, const QMargins& b)
{
    return QMargins(std::max(a.left(), b.left()), std::max(a.top(), b.top()), std::max(a.right(), b.right()),
                    std::max(a.bottom(), b.bottom()));
}

// The frame of the side windows (both wear the same): that of the one the window manager has
// framed; none while neither is.
QMargins SideWindowFrame(const std::array<CFloatingWnd*, 2>& panels)
{
    QMargins frame;
    for (CFloatingWnd* panel : panels)
        if (CWnd* wnd = panel ? panel->GetWnd() : nullptr)
            frame = Widest(frame, FrameExtents(wnd->GetOuterWidget()));
    return frame;
}

CRect Framed(const CRect& client, const QMargins& frame)
{
    return CRect(client.left - frame.left(), client.top - frame.top(), client.right + frame.right(),
                 client.bottom + frame.bottom());
}

// "Price" with 2 decimals, 4 below 1.0.
CString PriceText(double price)
{
    CString text;
    text.Format(std::fabs(price) < 1.0 ? "%.4f" : "%.2f", price);
    return text;
}

} // namespace

// Follows the frame's outer window and the main window: moves, minimizing and restoring,
// the MDI window in front.
class CChartFrameWatcher : public QObject {
public:
    explicit CChartFrameWatcher(CChartController& chart) : m_chart(chart) {}

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched->isWindowType()) {
            // A side window on the screen: the window manager has framed it.
            if (event->type() == QEvent::Expose)
                m_chart.OnSideWindowExposed();
            return false;
        }
        if (event->type() == QEvent::Move || event->type() == QEvent::Resize)
            m_chart.OnFrameMoved();
        else if (event->type() == QEvent::WindowStateChange)
            m_chart.ShowSideWindowsWithChart();
        return false;
    }

    // Once the event in hand is done: the MDI area tells of its window deactivated with
    // the main window before it knows which one stays in front.
    void OnMdiActivation()
    {
        QMetaObject::invokeMethod(this, [this] { m_chart.ShowSideWindowsWithChart(); }, Qt::QueuedConnection);
    }

    // Once the activations in hand are done: the window that owns the side windows may
    // only pass through the activation on its way to another window.
    void RaiseLater()
    {
        QMetaObject::invokeMethod(this, [this] { m_chart.RaiseSideWindows(); }, Qt::QueuedConnection);
    }

private:
    CChartController& m_chart;
};

// The row along the frame's bottom that holds both tab strips: the symbols on the left,
// the intervals on the right.
class CChartTabBar : public CWnd {
protected:
    QWidget* CreateWidget(QWidget* parent) override
    {
        auto* bar = new QxWindowHost<QWidget>(this, parent);
        auto* row = new QHBoxLayout(bar);
        row->setContentsMargins(0, 0, 0, 0);
        row->setSpacing(12);
        return bar;
    }
    bool PaintsItself() const override { return false; }

public:
    void Hold(CWnd* strip, int stretch)
    {
        QWidget* bar = GetWidget();
        QWidget* widget = strip ? strip->GetOuterWidget() : nullptr;
        if (bar && widget)
            static_cast<QHBoxLayout*>(bar->layout())->addWidget(widget, stretch);
    }
};

// A tab strip of the chart: a chosen tab goes to the controller.
class CChartTabStrip : public CSheetsWnd {
public:
    CChartTabStrip(CChartController& chart, int index) : m_chart(chart), m_nIndex(index) {}

    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override
    {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (message == WM_NOTIFY && header && header->code == TCN_SELCHANGE && !m_bQuiet) {
            m_chart.OnTabChosen(m_nIndex, GetCurSel());
            return TRUE;
        }
        return CSheetsWnd::OnChildNotify(message, wParam, lParam, result);
    }
    // Selecting by the program does not apply the tab.
    bool m_bQuiet = false;

private:
    CChartController& m_chart;
    const int m_nIndex;
};

// ---------------------------------------------------------------- cross-hair group

const std::vector<CChartController*>& CChartController::CrosshairGroup()
{
    return Group();
}

void CChartController::SetCrosshairMember(bool on)
{
    std::vector<CChartController*>& group = Group();
    group.erase(std::remove(group.begin(), group.end(), this), group.end());
    if (on)
        group.push_back(this);
}

bool CChartController::ToggleCrosshairs()
{
    m_bCrosshair = !m_bCrosshair;
    SetCrosshairMember(m_bCrosshair);
    if (CGraphsDoc* doc = GetDocument())
        doc->UpdateAllViews(nullptr, m_bCrosshair ? kHintCrosshair : kHintCrosshairOff);
    return m_bCrosshair;
}

void CChartController::BroadcastCrosshair()
{
    const std::vector<CChartController*>& group = Group();
    if (group.size() < 2)
        return;
    CGraphsView* price = GetPricePane();
    CStudyPlot* data = price ? price->GetSeriesPlot() : nullptr;
    DWORD time = 0;
    if (!data || !data->GetBarTime(m_nCrosshairBar, CStudyPlot::kBarStart, time) || time == 0)
        return;
    for (CChartController* other : group)
        if (other != this && other->m_pFrame && other->m_pFrame->m_hWnd)
            ::PostMessage(other->m_pFrame->m_hWnd, WM_CHART_CROSSHAIR_TIME, time, 0);
}

LRESULT CChartController::OnCrosshairTime(DWORD feedTime)
{
    CGraphsView* price = GetPricePane();
    CStudyPlot* data = price ? price->GetSeriesPlot() : nullptr;
    int bar = 0;
    if (!data || !data->FindBarByTime(feedTime, bar))
        return -1;
    // The bar must hold the time (or be the last one before it, between sessions).
    DWORD start = 0, end = 0, next = 0;
    if (!data->GetBarTime(bar, CStudyPlot::kBarStart, start) || start == 0 || start > feedTime)
        return -1;
    if (data->GetBarTime(bar, CStudyPlot::kBarEnd, end) && feedTime > end &&
        data->GetBarTime(bar + 1, CStudyPlot::kBarStart, next) && next != 0 && next <= feedTime)
        return -1;
    m_nCrosshairBar = bar;
    // The mouse is in the other chart: no horizontal line and no price here.
    m_pCrosshairPane = nullptr;
    m_nCrosshairRow = -1;
    m_signals->trackingRefresh.store(true);
    if (CGraphsDoc* doc = GetDocument())
        doc->UpdateAllViews(nullptr, kHintCrosshair);
    return 0;
}

// ---------------------------------------------------------------- side windows

void CChartController::ShowTrackingWindow(bool show)
{
    if (!show) {
        if (m_pFrame)
            m_pFrame->KillTimer(kTimerTracking);
        m_pTracking.reset();
        m_bTrackingShown = false;
        return;
    }
    CGraphsDoc* doc = GetDocument();
    if (!m_pTracking) {
        const CPoint at = SideWindowOrigin(doc);
        auto panel = std::make_unique<CTrackingFieldPanel>(CRect(at.x, at.y, at.x + 60, at.y + 16));
        if (!panel->CreateWnd("Tracking Window", SideWindowOwner()))
            return;
        panel->SetOwnerView(GetPricePane());
        m_pTracking = std::move(panel);
        if (IsFloatingFrame())
            OnFloatingFrameActivated(m_pFrame->GetOuterWidget() && m_pFrame->GetOuterWidget()->isActiveWindow());
        ShowSideWindowsWithChart();
        SeparateSideWindows();
        m_nTrackingAnchor = 0;
        if (CPricePlot* price = doc ? doc->GetBarSeries() : nullptr)
            m_nTrackingAnchor = price->GetLastVisibleBar();
    }
    m_bTrackingShown = true;
    m_bRecalc = true;
    m_signals->trackingRefresh.store(true);
    if (m_pFrame) {
        m_pFrame->KillTimer(kTimerTracking);
        m_pFrame->SetTimer(kTimerTracking, 250);
    }
    UpdateTrackingRows(true);
}

void CChartController::UpdateTrackingRows(bool clear)
{
    if (!m_pTracking)
        return;
    std::vector<CTrackingRow>& rows = m_pTracking->Rows();
    std::vector<std::pair<CStudyPlot*, int>> plots; // each plot and its legend rows
    for (int p = 0; p < GetPaneCount(); ++p)
        if (CGraphsView* pane = GetPane(p))
            for (int i = 0; i < pane->GetPlotCount(); ++i)
                if (CStudyPlot* plot = pane->GetPlot(i))
                    plots.emplace_back(plot, std::max(0, plot->GetLegendCount()));
    if (m_bRecalc) {
        rows.clear();
        for (const auto& [plot, count] : plots) {
            std::vector<CLegendRow> legend(static_cast<size_t>(count));
            if (count > 0)
                plot->GetLegendEntries(0, legend.data());
            for (const CLegendRow& row : legend)
                rows.push_back({row.name, CString(), row.color});
        }
        const COLORREF text = m_pTracking->GetLook().text;
        rows.push_back({"HValue", CString(), text});
        rows.push_back({"# Bars", CString(), text});
        m_bRecalc = false;
    }
    if (clear) {
        for (CTrackingRow& row : rows)
            row.value.Empty();
    } else {
        size_t at = 0;
        for (const auto& [plot, count] : plots) {
            std::vector<CLegendRow> legend(static_cast<size_t>(count));
            if (count > 0) {
                plot->GetLegendEntries(0, legend.data());
                plot->GetLegendValues(m_nCrosshairBar, 0, legend.data());
            }
            for (const CLegendRow& row : legend)
                if (at < rows.size())
                    rows[at++].value = row.value;
        }
        if (rows.size() >= 2) {
            CString price;
            if (CGraphsView* pane = m_pCrosshairPane; pane && FindPane(pane) >= 0 && m_nCrosshairRow >= 0 &&
                                                   m_nCrosshairRow < pane->GetPlotRect().bottom)
                price = PriceText(pane->MakeScale().YToPrice(m_nCrosshairRow));
            rows[rows.size() - 2].value = price;
            rows.back().value.Format("%d", m_nCrosshairBar - m_nTrackingAnchor);
        }
    }
    m_pTracking->Refresh();
}

void CChartController::ToggleSnapshotWindow()
{
    if (m_pSnapshot) {
        m_pSnapshot.reset();
        return;
    }
    CGraphsDoc* doc = GetDocument();
    const CPoint at = SideWindowOrigin(doc);
    auto panel = std::make_unique<CSnapshotFieldPanel>(CRect(at.x, at.y, at.x + 60, at.y + 16));
    if (!panel->CreateWnd("Snapshot Window", SideWindowOwner()))
        return;
    panel->SetOwnerView(GetPricePane());
    m_pSnapshot = std::move(panel);
    if (IsFloatingFrame())
        OnFloatingFrameActivated(m_pFrame->GetOuterWidget() && m_pFrame->GetOuterWidget()->isActiveWindow());
    ShowSideWindowsWithChart();
    SeparateSideWindows();
    if (doc)
        m_pSnapshot->SetSymbol(doc->GetSymbol());
}

void CChartController::SetSnapshotSymbol(const CString& symbol)
{
    if (m_pSnapshot)
        m_pSnapshot->SetSymbol(symbol);
}

void CChartController::SeparateSideWindows()
{
    if (!m_pTracking || !m_pSnapshot)
        return;
    const QMargins frame = SideWindowFrame(SideWindows());
    // Opened together, neither is framed yet: once one shows, its frame is counted too.
    m_bSeparateWhenFramed = frame.isNull();
    if (m_bSeparateWhenFramed && m_pFrameWatcher)
        for (CFloatingWnd* panel : SideWindows())
            if (QWidget* window = panel->GetWnd() ? panel->GetWnd()->GetOuterWidget() : nullptr)
                if (QWindow* handle = window->windowHandle())
                    handle->installEventFilter(m_pFrameWatcher.get());
    const CRect tracking = m_pTracking->GetRect();
    const CRect trackingFrame = Framed(tracking, frame);
    const CRect snapshotFrame = Framed(m_pSnapshot->GetRect(), frame);
    CRect overlap;
    if (!overlap.IntersectRect(trackingFrame, snapshotFrame))
        return;
    // Below the Snapshot Window when the pane has room there, else above it.
    CRect client;
    if (CGraphsView* price = GetPricePane())
        price->GetClientRect(&client);
    const int below = snapshotFrame.bottom + kSideWindowGap - trackingFrame.top;
    const int above = snapshotFrame.top - kSideWindowGap - trackingFrame.bottom;
    const bool fitsBelow = client.IsRectEmpty() || tracking.bottom + below <= client.bottom;
    m_pTracking->Offset(0, fitsBelow || tracking.top + above < 0 ? below : above);
}

void CChartController::OnSideWindowExposed()
{
    if (m_bSeparateWhenFramed && !SideWindowFrame(SideWindows()).isNull())
        SeparateSideWindows();
}

void CChartController::RefreshSideWindows()
{
    if (m_pTracking) {
        m_bRecalc = true;
        m_pTracking->Refresh();
    }
    if (m_pSnapshot)
        m_pSnapshot->Refresh();
}

void CChartController::OnFrameMoved()
{
    // The panels keep their place over the price pane.
    for (CFloatingWnd* panel : SideWindows())
        if (panel)
            panel->MoveTo(panel->GetRect().TopLeft());
}

void CChartController::OnFrameActivated(bool active)
{
    if (!active)
        return;
    ShowSideWindowsWithChart();
    if (auto* watcher = static_cast<CChartFrameWatcher*>(m_pFrameWatcher.get()))
        watcher->RaiseLater();
}

void CChartController::RaiseSideWindows()
{
    // Raised while their owner is not the active window they would cover the dialog or the
    // window in front of it; the window manager keeps them just above their owner.
    const CWnd* owner = SideWindowOwner();
    const QWidget* window = owner ? owner->GetOuterWidget() : nullptr;
    if (!window || !window->isActiveWindow() || !IsChartInFront())
        return;
    for (CFloatingWnd* panel : SideWindows())
        if (panel)
            panel->BringToFront();
}

void CChartController::OnFloatingFrameActivated(bool active)
{
    // Inactive, they are ordinary windows that the window manager keeps just above the
    // frame that owns them: whatever the user brings forward covers both.
    for (CFloatingWnd* panel : SideWindows())
        if (CWnd* wnd = panel ? panel->GetWnd() : nullptr)
            wnd->SetTopMost(active);
}

bool CChartController::IsFloatingFrame() const
{
    return m_pFrame && m_pFrame->m_hWnd && !dynamic_cast<const CChildFrame*>(m_pFrame);
}

CWnd* CChartController::SideWindowOwner() const
{
    if (IsFloatingFrame())
        return m_pFrame;
    CWinApp* app = AfxGetApp();
    return app ? app->m_pMainWnd : nullptr;
}

std::array<CFloatingWnd*, 2> CChartController::SideWindows() const
{
    return {m_pTracking.get(), m_pSnapshot.get()};
}

bool CChartController::IsChartInFront() const
{
    const QWidget* outer = m_pFrame ? m_pFrame->GetOuterWidget() : nullptr;
    if (!outer || outer->isMinimized())
        return false;
    const CWinApp* app = AfxGetApp();
    const CWnd* main = app ? app->m_pMainWnd : nullptr;
    if (const QWidget* mainOuter = main ? main->GetOuterWidget() : nullptr; mainOuter && mainOuter->isMinimized())
        return false;
    const auto* child = dynamic_cast<const CChildFrame*>(m_pFrame);
    const CMDIFrameWnd* mdi = child ? child->GetMDIFrame() : nullptr;
    return !mdi || mdi->MDIGetActive() == child;
}

void CChartController::ShowSideWindowsWithChart()
{
    const bool shown = IsChartInFront();
    bool appearing = false;
    for (CFloatingWnd* panel : SideWindows())
        if (CWnd* wnd = panel ? panel->GetWnd() : nullptr; wnd && !wnd->IsWindowVisible() && shown)
            appearing = true;
    // In place before they show.
    if (appearing)
        OnFrameMoved();
    for (CFloatingWnd* panel : SideWindows())
        if (CWnd* wnd = panel ? panel->GetWnd() : nullptr; wnd && bool(wnd->IsWindowVisible()) != shown)
            wnd->ShowWindow(shown ? SW_SHOWNOACTIVATE : SW_HIDE);
    if (appearing)
        if (auto* watcher = static_cast<CChartFrameWatcher*>(m_pFrameWatcher.get()))
            watcher->RaiseLater();
}

void CChartController::OnWindowFocused(QWindow* focused)
{
    // Leaving the top-most layer, the side windows may have been put back above the
    // dialog that took the activation from their chart.
    if (!focused || !IsFloatingFrame() || (!m_pTracking && !m_pSnapshot))
        return;
    QWidget* window = TopLevelOf(focused);
    if (!window)
        return;
    for (CFloatingWnd* panel : SideWindows())
        if (CWnd* wnd = panel ? panel->GetWnd() : nullptr; wnd && wnd->GetOuterWidget() == window)
            return;
    if (OwnedBy(window, m_pFrame->GetOuterWidget()))
        window->raise();
}

void CChartController::WatchFrame()
{
    m_pFrameWatcher.reset();
    QWidget* outer = m_pFrame ? m_pFrame->GetOuterWidget() : nullptr;
    if (!outer)
        return;
    auto watcher = std::make_unique<CChartFrameWatcher>(*this);
    outer->installEventFilter(watcher.get());
    // A chart in the main window moves with it.
    if (CWinApp* app = AfxGetApp(); app && app->m_pMainWnd && app->m_pMainWnd != m_pFrame)
        if (QWidget* main = app->m_pMainWnd->GetOuterWidget(); main && main != outer)
            main->installEventFilter(watcher.get());
    CChartFrameWatcher* events = watcher.get();
    if (const auto* child = dynamic_cast<const CChildFrame*>(m_pFrame))
        if (QMdiArea* area = child->GetMDIFrame() ? child->GetMDIFrame()->GetMdiArea() : nullptr)
            QObject::connect(area, &QMdiArea::subWindowActivated, events, [events] { events->OnMdiActivation(); });
    if (qApp)
        QObject::connect(qApp, &QGuiApplication::focusWindowChanged, events,
                         [this](QWindow* window) { OnWindowFocused(window); });
    m_pFrameWatcher = std::move(watcher);
}

// ---------------------------------------------------------------- tab strips

CSheetsWnd* CChartController::GetTabStrip(int index) const
{
    return index >= 0 && index < 2 ? m_pTabs[index].get() : nullptr;
}

void CChartController::CreateTabStrips()
{
    if (!m_pFrame)
        return;
    auto bar = std::make_unique<CChartTabBar>();
    if (!bar->Create(nullptr, "", WS_CHILD, CRect(0, 0, 400, 24), m_pFrame, 0xE911))
        return;
    bar->SetBackgroundColor(GetSysColor(COLOR_BTNFACE));
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    for (int i = 0; i < 2; ++i) {
        auto strip = std::make_unique<CChartTabStrip>(*this, i);
        if (!strip->Create(m_pFrame, i == 0 ? TRUE : FALSE, face))
            continue;
        bar->Hold(strip.get(), i == 0 ? 1 : 0);
        m_pTabs[i] = std::move(strip);
    }
    if (auto* intervals = m_pTabs[1].get())
        for (const CIntervalTab& tab : kIntervalTabs)
            intervals->AddTab(tab.name);
    m_pTabBar = std::move(bar);
}

void CChartController::SetTabWindow(bool show)
{
    const bool changed = show != m_bTabWindow || !m_bTabBarPlaced;
    m_bTabWindow = show;
    if (!m_pFrame || !m_pTabBar || !changed)
        return;
    m_bTabBarPlaced = true;
    QWidget* outer = m_pFrame->GetOuterWidget();
    const bool maximized = outer && outer->isMaximized();
    for (auto& strip : m_pTabs)
        if (strip)
            strip->Attach(show ? TRUE : FALSE, m_pFrame);
    if (show)
        m_pFrame->DockBar(m_pTabBar.get(), true);
    else
        m_pFrame->UndockBar(m_pTabBar.get());
    // A maximized frame lays itself out again.
    if (maximized) {
        outer->showNormal();
        outer->showMaximized();
    }
    m_pFrame->RecalcLayout();
}

void CChartController::SelectTabs(const CString& symbol, const CString& interval)
{
    if (auto* symbols = static_cast<CChartTabStrip*>(m_pTabs[0].get()); symbols && !symbol.IsEmpty()) {
        symbols->m_bQuiet = true;
        if (!symbols->SelectTab(symbol)) {
            while (symbols->GetItemCount() >= kMaxSymbolTabs)
                symbols->DeleteItem(0);
            symbols->AddTab(symbol);
            symbols->SelectTab(symbol);
        }
        symbols->m_bQuiet = false;
    }
    if (auto* intervals = static_cast<CChartTabStrip*>(m_pTabs[1].get()); intervals && !interval.IsEmpty()) {
        intervals->m_bQuiet = true;
        if (!intervals->SelectTab(IntervalTabName(interval)))
            intervals->SetCurSel(-1);
        intervals->m_bQuiet = false;
    }
}

void CChartController::OnTabChosen(int strip, int index)
{
    CSheetsWnd* tabs = GetTabStrip(strip);
    CGraphsDoc* doc = GetDocument();
    CGraphsView* price = GetPricePane();
    if (!tabs || !doc || !price || index < 0 || index >= tabs->GetItemCount())
        return;
    const CString name = tabs->GetItemText(index);
    if (strip == 0)
        price->ApplyChosenSymbolInterval(name, doc->GetInterval(), doc->IsExtendedSession());
    else
        price->ApplyChosenSymbolInterval(doc->GetSymbol(), IntervalOfTab(name), doc->IsExtendedSession());
}
