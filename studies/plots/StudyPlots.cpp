#include "studies/plots/StudyPlots.h"

#include "analytics/series/CPriceSeries.h"
#include "analytics/series/CSeriesReadLock.h"
#include "analytics/series/CStudySource.h"
#include "platform/ui/CDC.h"
#include "studies/plots/CPricePlot.h"
#include "studies/plots/CPriceScale.h"
#include "studies/plots/PlotHost.h"

#include <algorithm>
#include <vector>

// ---------------------------------------------------------------- volume

CVolumePlot::CVolumePlot(COLORREF up, COLORREF down, int thickness, const char* compareField)
    : m_up(up), m_down(down), m_compareField(compareField)
{
    m_upPen.CreatePen(PS_SOLID, thickness, up);
    m_downPen.CreatePen(PS_SOLID, thickness, down);
    m_zeroPen.CreatePen(PS_SOLID, thickness, RGB(0, 0, 0));
    SetKindField("Volume");
    AddLegend("Volume", "Volume", 0, false);
}

bool CVolumePlot::GetValueRange(double& low, double& high)
{
    if (!DefaultValueRange("Volume", "Volume", low, high))
        return false;
    low = 0;
    return true;
}

void CVolumePlot::GetLegendEntries(int first, CLegendRow* rows)
{
    rows[first].name = "Volume";
    rows[first].color = SchemeColor(kSchemeBars);
}

void CVolumePlot::Draw(CDC* dc, const RECT* plotRect, const CPriceScale* scale, RECT* labelRect)
{
    if (!m_pSource)
        return;
    const bool againstOpen = m_compareField == "Open";
    const int iOpen = m_pSource->FindField("Open");
    const int iClose = m_pSource->FindField("Close");
    const int iVolume = m_pSource->FindField("Volume");
    const int first = GetFirstVisibleBar();
    const int last = GetLastVisibleBar();
    const int y0 = scale->PriceToY(0);
    int labelled = first - 1;
    bool lastIsUp = true;
    double labelVolume = kNoValue;
    std::vector<double> opens, closes, volumes;
    std::vector<BYTE> openOk, closeOk, volumeOk;
    {
        // One state of the series for the three fields.
        const CSeriesReadLock pass(*m_pSource->GetBaseSeries());
        ReadVisible(first, last, iOpen, opens, openOk);
        ReadVisible(first, last, iClose, closes, closeOk);
        ReadVisible(first, last, iVolume, volumes, volumeOk);
    }
    const double spacing = BarSpacing();
    for (int pass = 0; pass < 2; ++pass) {
        const CPen& pen = pass == 0 ? m_upPen : m_downPen;
        double previousClose = 0;
        for (size_t k = 0; k < opens.size(); ++k) {
            if (!openOk[k] || !closeOk[k] || !volumeOk[k])
                continue;
            const int bar = first + static_cast<int>(k);
            const double reference = againstOpen ? opens[k] : previousClose;
            previousClose = closes[k];
            const bool up = closes[k] >= reference;
            if (up != (pass == 0))
                continue;
            DrawVertical(dc, pen, BarIndexToX(spacing, bar, first, plotRect->left), y0, scale->PriceToY(volumes[k]));
            if (pass == 0 || bar > labelled) {
                labelled = bar;
                labelVolume = volumes[k];
                lastIsUp = pass == 0;
            }
        }
    }
    CString text;
    if (labelled >= first && labelVolume > kNoValue && GetValueText(labelled, "Volume", text))
        DrawValueLabel(dc, labelVolume, scale, lastIsUp ? m_up : m_down, labelRect, text);
    DrawLevel(dc, m_zeroPen, plotRect, scale, 0);
}

// ---------------------------------------------------------------- MACD

CMACDPlot::CMACDPlot(COLORREF macd, int macdThickness, COLORREF signal, int signalThickness)
{
    AddLine("MACD", macd, macdThickness);
    AddLine("Signal", signal, signalThickness);
}

void CMACDPlot::SetZeroLinePen(COLORREF color, int thickness)
{
    m_zeroPen.CreatePen(PS_SOLID, thickness, color);
    m_bHasZeroPen = true;
}

void CMACDPlot::SetHistogramColour(COLORREF color)
{
    m_histogramColor = color;
    m_histogramPen.CreatePen(PS_SOLID, 1, color);
    m_bHasHistogramPen = true;
    Recompute();
}

void CMACDPlot::SetLinesWithHistogram(bool on)
{
    m_bLinesWithHistogram = on;
    Recompute();
}

void CMACDPlot::Recompute()
{
    m_bHistogram = m_bHasHistogramPen;
    m_bLines = m_bLinesWithHistogram || !m_bHistogram;
}

bool CMACDPlot::GetValueRange(double& low, double& high)
{
    if (!IsReady())
        return false;
    low = 2147483647.0;
    high = -2147483647.0;
    auto merge = [&](const char* field) {
        double lo = 0, hi = 0;
        if (DefaultValueRange(field, field, lo, hi)) {
            low = std::min(low, lo);
            high = std::max(high, hi);
        }
    };
    if (m_bLines) {
        merge("MACD");
        merge("Signal");
    }
    if (m_bHistogram)
        merge("Diff");
    return true;
}

void CMACDPlot::Draw(CDC* dc, const RECT* plotRect, const CPriceScale* scale, RECT* labelRect)
{
    if (!m_pSource)
        return;
    if (m_bHistogram) {
        const int iDiff = m_pSource->FindField("Diff");
        const int first = GetFirstVisibleBar();
        const int last = GetLastVisibleBar();
        const int y0 = scale->PriceToY(0);
        int labelled = first - 1;
        double labelValue = kNoValue;
        std::vector<double> diffs;
        std::vector<BYTE> ok;
        ReadVisible(first, last, iDiff, diffs, ok);
        const double spacing = BarSpacing();
        for (size_t k = 0; k < diffs.size(); ++k) {
            if (!ok[k])
                continue;
            const int bar = first + static_cast<int>(k);
            DrawVertical(dc, m_histogramPen, BarIndexToX(spacing, bar, first, plotRect->left), y0,
                         scale->PriceToY(diffs[k]));
            labelled = bar;
            labelValue = diffs[k];
        }
        CString text;
        if (labelled >= first && labelValue > kNoValue && GetValueText(labelled, "Diff", text))
            DrawValueLabel(dc, labelValue, scale, m_histogramColor, labelRect, text);
    }
    if (m_bHasZeroPen)
        DrawLevel(dc, m_zeroPen, plotRect, scale, 0);
    if (m_bLines)
        DrawLines(dc, plotRect, scale, labelRect);
}

int CMACDPlot::GetLegendCount()
{
    return (m_bHistogram ? 1 : 0) + (m_bLines ? 2 : 0);
}

void CMACDPlot::GetLegendEntries(int first, CLegendRow* rows)
{
    const CString params = StudyParamText();
    if (!m_bLines) {
        if (m_bHistogram) {
            rows[first].name = "Diff.";
            rows[first].color = m_histogramColor;
        }
        return;
    }
    rows[first].name = "MACD" + params;
    rows[first].color = m_lines[0].color;
    rows[first + 1].name = "Signal" + params;
    rows[first + 1].color = m_lines[1].color;
    if (m_bHistogram) {
        rows[first + 2].name = "Hist" + params;
        rows[first + 2].color = m_histogramColor;
    }
}

bool CMACDPlot::GetLegendValues(int bar, int first, CLegendRow* rows)
{
    if (!m_bLines)
        return m_bHistogram && GetValueText(bar, "Diff", rows[first].value);
    bool result = GetValueText(bar, "MACD", rows[first].value);
    result = GetValueText(bar, "Signal", rows[first + 1].value);
    if (m_bHistogram)
        result = GetValueText(bar, "Diff", rows[first + 2].value);
    return result;
}

// ---------------------------------------------------------------- momentum

CMomentumPlot::CMomentumPlot(const char* legendName, COLORREF line, int thickness)
{
    AddLine("Momentum", line, thickness);
    AddLegend(legendName, "Momentum", line);
}

void CMomentumPlot::SetCentrePen(COLORREF color, int thickness)
{
    m_centrePen.CreatePen(PS_SOLID, thickness, color);
    m_bHasCentre = true;
}

bool CMomentumPlot::GetValueRange(double& low, double& high)
{
    if (!DefaultValueRange("Momentum", "Momentum", low, high))
        return false;
    if (low <= 0 && 0 <= high)
        m_bZero = true;
    return true;
}

void CMomentumPlot::Draw(CDC* dc, const RECT* plotRect, const CPriceScale* scale, RECT* labelRect)
{
    if (!m_pSource)
        return;
    if (m_bHasCentre && m_bZero)
        DrawLevel(dc, m_centrePen, plotRect, scale, 0);
    DrawLines(dc, plotRect, scale, labelRect);
}

// ---------------------------------------------------------------- Parabolic SAR

CParabolicSARPlot::CParabolicSARPlot(COLORREF below, COLORREF above, int thickness) : m_below(below), m_above(above)
{
    m_belowPen.CreatePen(PS_SOLID, thickness, below);
    m_abovePen.CreatePen(PS_SOLID, thickness, above);
    SetKindField("PSAR");
    AddRangeFields("PSAR", "PSAR");
    AddLegend("PSAR", "PSAR", below);
}

void CParabolicSARPlot::Draw(CDC* dc, const RECT* plotRect, const CPriceScale* scale, RECT* labelRect)
{
    CPricePlot* price = m_pDocument ? m_pDocument->GetBarSeries() : nullptr;
    if (!m_pSource || !price || !price->GetSeries())
        return;
    const int iSar = m_pSource->FindField("PSAR");
    const int iLow = price->GetFieldIndex("Low");
    const int iHigh = price->GetFieldIndex("High");
    const int first = GetFirstVisibleBar();
    const int last = GetLastVisibleBar();
    int lastBelow = first - 1, lastAbove = first - 1;
    double belowValue = kNoValue, aboveValue = kNoValue;
    for (int pass = 0; pass < 2; ++pass) {
        const CPen& pen = pass == 0 ? m_belowPen : m_abovePen;
        const int side = 2 + std::max(1, pen.Width());
        for (int bar = first; bar <= last; ++bar) {
            double sar = 0, bound = 0;
            if (!ReadValue(bar, iSar, sar) || !price->ReadValue(bar, pass == 0 ? iLow : iHigh, bound))
                continue;
            if (pass == 0 ? sar > bound : sar < bound)
                continue;
            const int x = BarToX(bar, first, plotRect->left);
            const int y = scale->PriceToY(sar);
            // The outline of the 3 x 3 square around the point and its middle row.
            dc->FillSolidRect(x - side / 2, y - side / 2, side, side, pen.Color());
            (pass == 0 ? lastBelow : lastAbove) = bar;
            (pass == 0 ? belowValue : aboveValue) = sar;
        }
    }
    const int bar = std::max(lastBelow, lastAbove);
    const bool below = lastAbove < lastBelow;
    const double value = below ? belowValue : aboveValue;
    CString text;
    if (bar >= first && value > kNoValue && GetValueText(bar, "PSAR", text))
        DrawValueLabel(dc, value, scale, below ? m_below : m_above, labelRect, text);
}

// ---------------------------------------------------------------- horizontal line

CHorizontalLinePlot::CHorizontalLinePlot(COLORREF color, int thickness, double level) : m_level(level)
{
    m_pen.CreatePen(PS_SOLID, thickness, color);
}

bool CHorizontalLinePlot::GetValueRange(double& low, double& high)
{
    low = high = m_level;
    return true;
}

void CHorizontalLinePlot::Draw(CDC* dc, const RECT* plotRect, const CPriceScale* scale, RECT*)
{
    if (scale->PriceToY(m_level) >= plotRect->bottom)
        return;
    DrawLevel(dc, m_pen, plotRect, scale, m_level);
}

// ---------------------------------------------------------------- equity curve

CEquityCurvePlot::CEquityCurvePlot(COLORREF color, int thickness)
{
    AddLine("EQTY", color, thickness);
    AddLegend("Equity", "EQTY", color, false);
}

bool CEquityCurvePlot::Attach(int barCount, IPlotPane* view)
{
    const bool attached = CIndicatorPlot::Attach(barCount, view);
    IPlotChart* chart = m_pChart ? m_pChart : view ? view->GetPlotChart() : nullptr;
    if (chart && m_pSource)
        m_pSource->GetBaseSeries()->SetEquityValue(chart->GetEquityRecords());
    return attached;
}
