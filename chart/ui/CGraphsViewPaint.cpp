// Painting of a chart pane: background, price axis with labels and grid, time axis with
// its two rows and grid, title, plots (last first), then drawing tools and cross-hair;
// all in an off-screen bitmap copied to the window in one block.
#include "chart/ui/CGraphsView.h"

#include "analytics/series/CSeriesReadLock.h"
#include "analytics/series/CStudySource.h"
#include "broker/core/FeedTime.h"
#include "broker/core/Formatters.h"
#include "chart/ui/CChartController.h"
#include "chart/ui/CDrawingTool.h"
#include "chart/ui/CGraphsDoc.h"
#include "common/services/CAppSettings.h"
#include "common/services/ChartAxis.h"
#include "platform/ui/CDC.h"
#include "platform/ui/CPen.h"
#include "studies/plots/CPricePlot.h"
#include "studies/plots/CPriceScale.h"

#include <algorithm>
#include <cmath>

// A bar's start as calendar fields.
struct CBarDate {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0;
    bool valid = false;
};

static CBarDate DateOfBar(CStudyPlot* plot, int bar)
{
    CBarDate date;
    DWORD start = 0;
    if (!plot->GetBarTime(bar, CStudyPlot::kBarStart, start) || start == 0)
        return date;
    int second = 0;
    FeedTimeToDate(start, date.year, date.month, date.day);
    FeedTimeToTimeOfDay(start, date.hour, date.minute, second);
    date.valid = true;
    return date;
}

// The dates of the bars first - 1 .. last, looked up once per paint.
class CBarDates {
public:
    CBarDates(CStudyPlot* plot, int first, int last) : m_first(first - 1)
    {
        for (int bar = first - 1; bar <= last; ++bar)
            m_dates.push_back(DateOfBar(plot, bar));
    }
    const CBarDate& At(int bar) const
    {
        static const CBarDate none;
        const int i = bar - m_first;
        return i >= 0 && i < static_cast<int>(m_dates.size()) ? m_dates[static_cast<size_t>(i)] : none;
    }

private:
    int m_first;
    std::vector<CBarDate> m_dates;
};

namespace {

COLORREF ChartColor(int index)
{
    if (const CAppSettings* settings = CAppSettings::Instance())
        return settings->m_chartColors[static_cast<size_t>(index)];
    static const CAppSettings defaults;
    return defaults.m_chartColors[static_cast<size_t>(index)];
}

const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

CString BoundaryLabel(const CBarDate& d, int style)
{
    return FormatTimeBoundary(d.year, d.month, d.day, style);
}

bool IsBoundary(const CBarDate& previous, const CBarDate& current, int style)
{
    switch (style) {
    case kLabelDayChange:
        return current.day != previous.day || current.month != previous.month || current.year != previous.year;
    case kLabelMonthChange: return current.month != previous.month || current.year != previous.year;
    default: return current.year != previous.year;
    }
}

// Every fourth pixel of a line.
void DottedHorizontal(CDC* dc, int x1, int x2, int y, COLORREF color)
{
    for (int x = x1; x <= x2; x += 4)
        dc->SetPixel(x, y, color);
}

void DottedVertical(CDC* dc, int x, int y1, int y2, COLORREF color)
{
    for (int y = y1; y <= y2; y += 4)
        dc->SetPixel(x, y, color);
}

} // namespace



std::vector<CPriceSeries*> CGraphsView::PaintedSeries() const
{
    std::vector<CPriceSeries*> series;
    for (const auto& plot : m_plots) {
        const CStudySource* source = plot->GetSeries();
        if (!source)
            continue;
        series.push_back(source->GetBaseSeries());
        if (const CStudyEvaluation* spec = source->GetSpec())
            series.push_back(spec->m_pStudySeries);
    }
    return series;
}

void CGraphsView::OnDraw(CDC* dc)
{
    GetClientRect(&m_client);
    if (m_client.IsRectEmpty())
        return;
    // One state of the series for the whole picture: trades wait until it is painted.
    const CSeriesReadLocks pass(PaintedSeries());
    BITMAP info{};
    if (m_bRecreateBitmap || !m_bitmap.GetSafeHandle() || m_bitmap.GetBitmap(&info) == 0 ||
        info.bmWidth != m_client.Width() || info.bmHeight != m_client.Height()) {
        CDC screen;
        m_base.DeleteObject();
        m_bitmap.DeleteObject();
        m_base.CreateCompatibleBitmap(&screen, m_client.Width(), m_client.Height());
        m_bitmap.CreateCompatibleBitmap(&screen, m_client.Width(), m_client.Height());
        m_bRecreateBitmap = false;
        m_bPictureValid = false;
    }
    if (!m_bPictureValid) {
        CDC base;
        base.CreateCompatibleDC(dc);
        base.SelectObject(&m_base);
        PaintBase(&base);
        if (FitAxesToTexts())
            PaintBase(&base);
        m_bPictureValid = true;
    }
    CDC base;
    base.CreateCompatibleDC(dc);
    base.SelectObject(&m_base);
    CDC memory;
    memory.CreateCompatibleDC(dc);
    memory.SelectObject(&m_bitmap);
    memory.BitBlt(0, 0, m_client.Width(), m_client.Height(), &base, 0, 0, SRCCOPY);
    PaintTools(&memory, MakeScale());
    PaintCrosshair(&memory);
    dc->BitBlt(0, 0, m_client.Width(), m_client.Height(), &memory, 0, 0, SRCCOPY);
}

void CGraphsView::PaintTo(CDC* dc)
{
    GetClientRect(&m_client);
    const CSeriesReadLocks pass(PaintedSeries());
    PaintBase(dc);
    if (FitAxesToTexts())
        PaintBase(dc);
    PaintTools(dc, MakeScale());
    PaintCrosshair(dc);
    m_bPictureValid = false;
}

bool CGraphsView::FitAxesToTexts()
{
    CGraphsDoc* doc = GetGraphsDoc();
    if (!doc || !doc->TakeAxisWidening())
        return false;
    for (CView* view : doc->GetViews())
        if (auto* pane = dynamic_cast<CGraphsView*>(view))
            pane->OnMetricsChanged();
    return true;
}

void CGraphsView::PaintBase(CDC* dc)
{
    RecalcLayout();
    ComputePriceRange();
    CGraphsDoc* doc = GetGraphsDoc();
    CAxisMetrics& metrics = doc ? doc->GetMetrics() : *std::make_unique<CAxisMetrics>();
    const int saved = dc->SaveDC();
    if (doc) {
        dc->SelectObject(&doc->GetChartFont());
        if (!metrics.samplesMeasured) {
            metrics.lowerWidth = dc->GetTextExtent(doc->GetShortSample()).cx;
            metrics.upperWidth = dc->GetTextExtent(doc->GetLongSample()).cx;
            metrics.samplesMeasured = true;
        }
    }
    dc->SetBkMode(TRANSPARENT);
    dc->FillSolidRect(&m_client, ChartColor(kChartColorBackground));
    const bool axisShown = m_bTimeAxis && !m_bTimeAxisSuppressed;
    const int separatorX = m_client.right - metrics.labelWidth;
    const int axisTop = m_client.bottom - metrics.labelHeight;
    CPen axisPen(PS_SOLID, 1, ChartColor(kChartColorAxis));
    DrawVertical(dc, axisPen, separatorX, 0, (axisShown ? axisTop : m_client.bottom) - 1);
    CStudyPlot* data = GetSeriesPlot();
    CStudyPlot* own = GetDataPlot();
    if (!m_plots.empty()) {
        if (axisShown)
            DrawHorizontal(dc, axisPen, 0, separatorX, axisTop);
        if (m_bInitialised && data && data->IsReady()) {
            for (const auto& plot : m_plots)
                plot->PrepareDraw();
            const CPriceScale scale = MakeScale();
            PaintPriceAxis(dc, scale, own);
            const CBarDates dates(data, data->GetFirstVisibleBar(), data->GetLastVisibleBar());
            PaintTimeAxis(dc, data, dates, true);
            // Title: the data plot's, and why a plot of the pane cannot draw.
            CString title = own ? own->GetTitle() : CString();
            for (const auto& plot : m_plots) {
                const CString status = plot->GetStatusText();
                if (!status.IsEmpty())
                    title += (title.IsEmpty() ? CString() : CString("  -  ")) + plot->GetTitle() + ": " + status;
            }
            dc->SetTextColor(ChartColor(kChartColorText));
            CRect titleRect(1, 1 - metrics.internalLeading, m_plotRect.right, 1 - metrics.internalLeading + metrics.sampleHeight);
            dc->DrawText(title, &titleRect, DT_LEFT | DT_TOP | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
            for (auto it = m_plots.rbegin(); it != m_plots.rend(); ++it) {
                CRect label(m_client.right - metrics.textWidth - 1, 0, m_client.right, metrics.sampleHeight);
                (*it)->Draw(dc, &m_plotRect, &scale, &label);
            }
            if (axisShown) {
                dc->FillSolidRect(0, axisTop, separatorX, m_client.bottom - axisTop, ChartColor(kChartColorBackground));
                PaintTimeAxis(dc, data, dates, false);
                DrawHorizontal(dc, axisPen, 0, separatorX, axisTop);
            }
        }
    }
    dc->RestoreDC(saved);
}

void CGraphsView::PaintPriceAxis(CDC* dc, const CPriceScale& scale, CStudyPlot* data)
{
    CGraphsDoc* doc = GetGraphsDoc();
    const CAxisMetrics metrics = doc ? doc->GetMetrics() : CAxisMetrics();
    const int rowHeight = metrics.LabelRowHeight();
    const int wanted = rowHeight > 0 ? (m_plotRect.bottom - m_plotRect.top) / rowHeight : 0;
    // The prices at the plot's bottom and top rows (the price offset shifts them).
    double low = scale.YToPrice(m_plotRect.bottom);
    double high = scale.YToPrice(m_plotRect.top);
    if (m_bAutoScale && m_nPriceOffset == 0) {
        low = m_lowest;
        high = m_highest;
    }
    const AxisLabels labels = ChooseAxisStep(low, high, wanted, 10.0);
    const int kind = data ? data->GetValueKind() : 0;
    int type = kind;
    if (labels.step > 0) {
        const int digits = static_cast<int>(std::ceil(std::log10(1.0 / labels.step)));
        if (type > 2 && digits > type - 2)
            type = digits + 2;
        type = std::min(type, 9);
    }
    const COLORREF grid = ChartColor(kChartColorGrid);
    dc->SetTextColor(ChartColor(kChartColorText));
    for (int i = 0; i <= labels.count; ++i) {
        const double price = labels.first + i * labels.step;
        const int y = scale.PriceToY(price);
        if (y < m_plotRect.top || y > m_plotRect.bottom)
            continue;
        DottedHorizontal(dc, m_plotRect.left, m_plotRect.right - 1, y, grid);
        CString text;
        FormatStudyValue(text, price, kind, type);
        if (doc)
            doc->FitAxisText(static_cast<int>(dc->GetTextExtent(text).cx));
        // Centred on its row, but whole inside the pane: the top and bottom labels sit at
        // the plot's edges, a margin narrower than half a label.
        const int top = std::max(0, std::min(y - metrics.sampleHeight / 2, m_client.bottom - metrics.sampleHeight));
        dc->TextOut(m_client.right - metrics.textWidth, top, text);
    }
}

void CGraphsView::PaintBoundaries(CDC* dc, const CBarDates& dates, int first, int last, int style, bool text,
                                  int upperWidth)
{
    if (style != kLabelDayChange && style != kLabelMonthChange && style != kLabelYearChange)
        return;
    const CGraphsDoc* doc = GetGraphsDoc();
    const CAxisMetrics metrics = doc ? doc->GetMetrics() : CAxisMetrics();
    const double spacing = doc ? doc->GetBarSpacing() : 6.0;
    const int row = m_client.bottom - metrics.ascent - 2;
    const COLORREF grid = ChartColor(kChartColorGrid);
    const CPen gridPen(PS_SOLID, 1, grid);
    CBarDate previous = dates.At(first - 1);
    const bool hasLeading = previous.valid;
    const CString leading = hasLeading ? BoundaryLabel(previous, style) : CString();
    int firstLabelX = -1;
    for (int bar = first; bar <= last; ++bar) {
        const CBarDate& date = dates.At(bar);
        if (!date.valid)
            continue;
        if (IsBoundary(previous, date, style) && (hasLeading || bar > first)) {
            const int x = BarIndexToX(spacing, bar, first, m_plotRect.left);
            if (text) {
                DrawVertical(dc, gridPen, x, m_plotRect.bottom + 4, m_client.bottom - 1);
                dc->TextOut(x + 2, row, BoundaryLabel(date, style));
                if (firstLabelX < 0)
                    firstLabelX = x + 2;
            } else {
                DrawVertical(dc, gridPen, x, 0, m_client.bottom - 1);
            }
        }
        previous = date;
    }
    if (text && hasLeading && !(firstLabelX >= 0 && firstLabelX < upperWidth))
        dc->TextOut(2, row, leading);
}

void CGraphsView::PaintTimeAxis(CDC* dc, CStudyPlot* data, const CBarDates& dates, bool gridOnly)
{
    const CGraphsDoc* doc = GetGraphsDoc();
    if (!doc)
        return;
    const CAxisMetrics metrics = doc->GetMetrics();
    const double spacing = doc->GetBarSpacing();
    const int first = data->GetFirstVisibleBar();
    const int last = data->GetLastVisibleBar();
    int kind = doc->GetPeriodKind();
    int style = doc->GetLabelStyle();
    int lowerWidth = metrics.lowerWidth;
    int upperWidth = metrics.upperWidth;
    if (gridOnly) {
        m_lowerBars.clear();
        bool crowded = false;
        if (kind == kPeriodIntraday) {
            // Day changes closer than the upper row's sample: label days, not hours.
            CBarDate previous = dates.At(first - 1);
            std::vector<int> changes;
            int previousX = 0;
            for (int bar = first; bar <= last; ++bar) {
                const CBarDate& date = dates.At(bar);
                if (!date.valid)
                    continue;
                if (date.day != previous.day || date.month != previous.month || date.year != previous.year) {
                    const int x = BarIndexToX(spacing, bar, first, m_plotRect.left);
                    if (!changes.empty() && x - previousX <= upperWidth)
                        crowded = true;
                    changes.push_back(bar);
                    previousX = x;
                }
                previous = date;
            }
            if (crowded && changes.size() >= 2) {
                kind = kPeriodDaily;
                m_lowerBars = changes;
            } else {
                crowded = false;
            }
        }
        if (!crowded) {
            const TimeLabelBars bars = ComputeTimeLabelSpacing(first, last, lowerWidth, spacing);
            for (int i = 0; i <= bars.count; ++i)
                m_lowerBars.push_back(bars.first + i * bars.step);
        }
        m_nPaintKind = kind;
        const COLORREF grid = ChartColor(kChartColorGrid);
        for (int bar : m_lowerBars)
            DottedVertical(dc, BarIndexToX(spacing, bar, first, m_plotRect.left), 0, m_client.bottom - 1, grid);
        if (kind != doc->GetPeriodKind())
            style = kLabelMonthChange;
        PaintBoundaries(dc, dates, first, last, style, false, upperWidth);
        return;
    }
    // The axis strip: boundaries with their labels, then the lower row.
    kind = m_nPaintKind;
    if (kind != doc->GetPeriodKind()) {
        style = kLabelMonthChange;
        lowerWidth = dc->GetTextExtent("27").cx;
        upperWidth = dc->GetTextExtent("Mar 2002").cx;
    }
    dc->SetTextColor(ChartColor(kChartColorText));
    PaintBoundaries(dc, dates, first, last, style, true, upperWidth);
    if (kind >= kPeriodMonthly)
        return;
    const int y = m_client.bottom - metrics.labelHeight - metrics.internalLeading + 2;
    for (int bar : m_lowerBars) {
        const CBarDate& date = dates.At(bar);
        if (!date.valid)
            continue;
        CString text;
        if (kind == kPeriodIntraday)
            text.Format("%02d:%02d", date.hour, date.minute);
        else if (kind == kPeriodDaily)
            text.Format("%02d", date.day);
        else if (date.month >= 1 && date.month <= 12)
            text = kMonths[date.month - 1];
        // A label the pane's edge or the price axis would cut is left out.
        const int left = BarIndexToX(spacing, bar, first, m_plotRect.left) - lowerWidth / 2;
        if (left < m_plotRect.left || left + dc->GetTextExtent(text).cx > m_plotRect.right)
            continue;
        dc->TextOut(left, y, text);
    }
}

void CGraphsView::PaintTools(CDC* dc, const CPriceScale& scale)
{
    auto& tools = m_tools.Current();
    const CToolGeometry geometry = GetToolGeometry();
    for (auto it = tools.begin(); it != tools.end();) {
        if ((*it)->m_nState == kToolRemoved) {
            it = tools.erase(it);
            continue;
        }
        (*it)->Draw(dc, geometry, &scale);
        ++it;
    }
}

void CGraphsView::PaintCrosshair(CDC* dc)
{
    CChartController* chart = GetChart();
    CStudyPlot* data = GetSeriesPlot();
    const CGraphsDoc* doc = GetGraphsDoc();
    if (!chart || !chart->IsCrosshairOn() || !data || !doc)
        return;
    const CPen pen(PS_SOLID, 1, ChartColor(kChartColorCrosshair));
    const int x = BarIndexToX(doc->GetBarSpacing(), chart->m_nCrosshairBar, data->GetFirstVisibleBar(), m_plotRect.left);
    if (x >= 0 && x <= m_plotRect.right)
        DrawVertical(dc, pen, x, m_crossRect.top, m_crossRect.bottom - 1);
    if (chart->m_pCrosshairPane == this && chart->m_nCrosshairRow >= m_crossRect.top &&
        chart->m_nCrosshairRow < m_crossRect.bottom)
        DrawHorizontal(dc, pen, m_crossRect.left, m_crossRect.right - 1, chart->m_nCrosshairRow);
}
