#include "studies/plots/CPricePlot.h"

#include "analytics/formula/CFormulaSeries.h"
#include "analytics/series/CPriceSeries.h"
#include "analytics/series/CSeriesReadLock.h"
#include "analytics/series/CStudySource.h"
#include "broker/core/FeedTime.h"
#include "platform/ui/CBrush.h"
#include "platform/ui/CDC.h"
#include "studies/plots/CPlotFormulaListener.h"
#include "studies/plots/CPriceScale.h"
#include "studies/plots/PlotHost.h"
#include "studies/plots/TradeMarkers.h"

#include <algorithm>
#include <cmath>
#include <mutex>
#include <vector>

CPricePlot::CPricePlot()
{
    m_bIsPricePlot = 1;
    m_pen.CreatePen(PS_SOLID, 1, SchemeColor(kSchemeBars));
}

CPricePlot::~CPricePlot()
{
    ReleaseColorRules();
    CPricePlot::Release();
}

bool CPricePlot::GetValueRange(double& low, double& high)
{
    switch (m_nDrawStyle) {
    case kStyleCurve: return DefaultValueRange("Close", "Close", low, high);
    case kStyleBar:
    case kStyleCandle:
    case kStyleColorBar: return DefaultValueRange("Low", "High", low, high);
    default: return false;
    }
}

int CPricePlot::GetValueKind()
{
    return m_pSource ? m_pSource->GetFieldKind(GetFieldIndex("Close")) : 4;
}

void CPricePlot::GetLegendEntries(int first, CLegendRow* rows)
{
    static const char* const kNames[] = {"Date", "Time", "Open", "Close", "High", "Low"};
    for (int i = 0; i < 6; ++i) {
        rows[first + i].name = kNames[i];
        rows[first + i].color = SchemeColor(kSchemeBars);
    }
}

bool CPricePlot::GetLegendValues(int bar, int first, CLegendRow* rows)
{
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    DWORD start = 0;
    if (GetBarTime(bar, kBarStart, start)) {
        FeedTimeToDate(start, year, month, day);
        FeedTimeToTimeOfDay(start, hour, minute, second);
    }
    rows[first].value.Format("%04d/%02d/%02d", year, month, day);
    rows[first + 1].value.Format("%02d:%02d:%02d", hour, minute, second);
    GetValueText(bar, "Open", rows[first + 2].value);
    GetValueText(bar, "Close", rows[first + 3].value);
    GetValueText(bar, "High", rows[first + 4].value);
    return GetValueText(bar, "Low", rows[first + 5].value);
}

void CPricePlot::AddBars(int n)
{
    CStudyPlot::AddBars(n);
    if (m_pRuleFormula)
        m_pRuleFormula->AddBars(n);
}

bool CPricePlot::Attach(int barCount, IPlotPane* view)
{
    m_nBarCount = barCount;
    m_pView = view;
    if (view && view->GetPlotChart())
        m_pChart = view->GetPlotChart();
    const bool attached = CStudyPlot::Attach(barCount, view);
    CompileColorRules();
    return attached;
}

void CPricePlot::Release()
{
    CStudyPlot::Release();
    if (m_pRuleFormula)
        ReleaseColorRules();
}

bool CPricePlot::SetPenWidth(int width)
{
    if (width < 1 || width > 15)
        return false;
    m_pen.CreatePen(PS_SOLID, width, SchemeColor(kSchemeBars));
    return true;
}

void CPricePlot::RecreatePen()
{
    m_pen.CreatePen(PS_SOLID, m_pen.Width(), SchemeColor(kSchemeBars));
}

void CPricePlot::SetColorRules(const CColorRuleSet& rules)
{
    m_rules = rules;
    m_bColorBars = 1;
    CompileColorRules();
}

bool CPricePlot::CompileColorRules()
{
    if (!m_pDocument || m_nBarCount < 0 || !m_pView || !m_bColorBars)
        return false;
    ReleaseColorRules();
    const CString symbol = m_pDocument->GetSymbol();
    const CString interval = m_pDocument->GetInterval();
    if (symbol.IsEmpty() || interval.IsEmpty())
        return false;
    auto formula = std::make_unique<CFormulaSeries>(m_rules.m_text, 2, m_nBarCount, m_pDocument->GetEndTimeAnchor());
    CString error;
    if (!formula->Parse(error))
        return false;
    IPlotChart* chart = m_pView->GetPlotChart();
    auto listener = std::make_unique<CPlotFormulaListener>(m_pView->GetPaneHandle(),
                                                           chart ? chart->GetSignals() : nullptr, this, formula.get());
    CPlotFormulaListener* raw = listener.get();
    if (!formula->Subscribe(symbol, m_pDocument->IsExtendedSession() ? 1 : 0, nullptr, std::move(listener), interval,
                            m_rules.m_value, 0))
        return false;
    m_pRuleListener = raw;
    m_pRuleFormula = std::move(formula);
    return true;
}

void CPricePlot::ReleaseColorRules()
{
    if (m_pRuleListener)
        m_pRuleListener->DetachFormula();
    m_pRuleFormula.reset();
    m_pRuleListener = nullptr;
}

CString CPricePlot::GetSymbol() const
{
    return m_pDocument ? m_pDocument->GetSymbol() : CString();
}

CString CPricePlot::GetInterval() const
{
    return m_pDocument ? m_pDocument->GetInterval() : CString();
}

int CPricePlot::GetTradeMarkerAt(int bar)
{
    if (!m_pChart)
        return -1;
    const std::vector<CBacktestMarker>& trades = m_pChart->GetTradeMarkers();
    DWORD start = 0, end = 0;
    if (trades.empty() || !GetBarTime(bar, kBarStart, start) || !GetBarTime(bar, kBarEnd, end))
        return -1;
    if (end < trades.front().time || start > trades.back().time)
        return -1;
    int low = 0, high = static_cast<int>(trades.size()) - 1, found = -1;
    while (low <= high) {
        const int mid = (low + high) / 2;
        const DWORD t = trades[static_cast<size_t>(mid)].time;
        if (t <= start)
            low = mid + 1;
        else if (t > end)
            high = mid - 1;
        else {
            found = mid;
            break;
        }
    }
    if (found < 0)
        return -1;
    int kind = trades[static_cast<size_t>(found)].kind;
    for (size_t i = static_cast<size_t>(found) + 1; i < trades.size() && trades[i].time <= end; ++i)
        kind = trades[i].kind;
    return kind;
}

COLORREF CPricePlot::GetColorBarColor(int bar)
{
    double v = 0;
    if (!m_bColorBars || !m_pRuleFormula || !m_pRuleFormula->GetValue(v, bar, -1))
        return SchemeColor(kSchemeColorBarsEmpty);
    for (const CColorRule& rule : m_rules.m_rules) {
        bool match = false;
        switch (rule.comparison) {
        case 0: match = v < rule.threshold; break;
        case 1: match = v > rule.threshold; break;
        case 2: match = v == rule.threshold; break;
        case 3: match = v <= rule.threshold; break;
        case 4: match = v >= rule.threshold; break;
        case 5: match = v != rule.threshold; break;
        default: break;
        }
        if (match)
            return rule.first;
    }
    return SchemeColor(kSchemeColorBarsEmpty);
}

void CPricePlot::Draw(CDC* dc, const RECT* plotRect, const CPriceScale* scale, RECT* labelRect)
{
    if (!m_pSource)
        return;
    CPen* old = dc->SelectObject(&m_pen);
    DrawBars(dc, plotRect, scale, labelRect);
    dc->SelectObject(old);
}

void CPricePlot::DrawBars(CDC* dc, const RECT* plotRect, const CPriceScale* scale, RECT* labelRect)
{
    const int tick = m_pen.Width() + 1;
    const int iHigh = GetFieldIndex("High");
    const int iLow = GetFieldIndex("Low");
    const int iOpen = GetFieldIndex("Open");
    const int iClose = GetFieldIndex("Close");
    const int first = GetFirstVisibleBar();
    const int last = GetLastVisibleBar();
    const bool markers = m_pChart && !m_pChart->GetTradeMarkers().empty();
    const COLORREF barsColor = SchemeColor(kSchemeBars);
    const COLORREF upColor = SchemeColor(kSchemeCandleUp);
    const COLORREF downColor = SchemeColor(kSchemeCandleDown);
    int lastDrawn = first - 1;
    double lastClose = kNoValue;
    std::vector<POINT> curve;
    {
        const CSeriesReadLock pass(*m_pSource->GetBaseSeries());
        // A plain price series: its fields are read a block at a time.
        const int count = last - first + 1;
        const bool plain = m_pSource->GetSpec() == nullptr && count > 0;
        const int fields[] = {iOpen, iHigh, iLow, iClose};
        std::vector<double> values;
        std::vector<BYTE> ok;
        if (plain) {
            values.resize(static_cast<size_t>(count) * 4);
            ok.resize(values.size());
            for (size_t column = 0; column < 4; ++column)
                pass.ReadValues(first, count, fields[column], values.data() + column * count, ok.data() + column * count);
        }
        auto read = [&](int bar, int column, double& value) {
            if (!plain)
                return m_pSource->GetValue(bar, fields[column], value, -1);
            const size_t at = static_cast<size_t>(column) * count + (bar - first);
            value = values[at];
            return ok[at] != 0;
        };
        for (int bar = first; bar <= last; ++bar) {
            const int x = BarToX(bar, first, plotRect->left);
            double high = 0, low = 0, open = 0, close = 0;
            int yHigh = 0, yLow = 0;
            if (m_nDrawStyle == kStyleCurve) {
                if (!read(bar, 3, close))
                    continue;
                yHigh = yLow = scale->PriceToY(close);
                curve.push_back(POINT{x, yHigh});
            } else {
                if (!read(bar, 1, high) || !read(bar, 2, low) || !read(bar, 0, open) || !read(bar, 3, close))
                    continue;
                yHigh = scale->PriceToY(high);
                yLow = scale->PriceToY(low);
                const int yOpen = scale->PriceToY(open);
                const int yClose = scale->PriceToY(close);
                if (m_nDrawStyle == kStyleBar) {
                    DrawVertical(dc, m_pen, x, yHigh, yLow);
                    DrawHorizontal(dc, m_pen, x - tick, x - 1, yOpen);
                    DrawHorizontal(dc, m_pen, x + 1, x + tick, yClose);
                } else {
                    const bool up = close >= open;
                    CRect body(x - tick, up ? yClose : yOpen, x + tick + 1, (up ? yOpen : yClose) + 1);
                    if (yHigh < body.top)
                        DrawVertical(dc, m_pen, x, yHigh, body.top - 1);
                    if (yLow > body.bottom - 1)
                        DrawVertical(dc, m_pen, x, body.bottom, yLow);
                    COLORREF fill = up ? upColor : downColor;
                    if (m_nDrawStyle == kStyleColorBar)
                        fill = GetColorBarColor(bar);
                    // The frame in "Bars", the inside in the body's colour.
                    dc->FillSolidRect(&body, barsColor);
                    if (body.Width() > 2 && body.Height() > 2) {
                        CRect inside = body;
                        inside.DeflateRect(1, 1);
                        dc->FillSolidRect(&inside, fill);
                    }
                }
            }
            lastDrawn = bar;
            lastClose = close;
            if (markers) {
                const int kind = GetTradeMarkerAt(bar);
                if (kind >= 0)
                    DrawTradeMarker(dc, kind, x, yHigh, yLow);
            }
        }
    }
    if (curve.size() >= 2)
        dc->Polyline(curve.data(), static_cast<int>(curve.size()));
    CString text;
    if (lastDrawn >= first && lastClose > kNoValue && GetValueText(lastDrawn, "Close", text))
        DrawValueLabel(dc, lastClose, scale, barsColor, labelRect, text);
}

double CPricePlot::GetLastClose(int& bar)
{
    if (!IsReady())
        return 0.0;
    int first = 0, last = 0;
    m_pSource->GetVisibleRange(first, last);
    const int close = GetFieldIndex("Close");
    std::lock_guard<CPriceSeries> lock(*m_pSource->GetBaseSeries());
    for (bar = last; bar >= first; --bar) {
        double v = 0;
        if (m_pSource->GetValue(bar, close, v, -1) && v != 0)
            return v;
    }
    bar = first - 1;
    return 0.0;
}

double CPricePlot::GetFieldStdDev(int barA, int barB, int field)
{
    static const char* const kFields[] = {"Open", "High", "Low", "Close"};
    if (!IsReady() || field < 0 || field > 3)
        return -1.0;
    const int index = GetFieldIndex(kFields[field]);
    std::vector<double> values;
    {
        std::lock_guard<CPriceSeries> lock(*m_pSource->GetBaseSeries());
        for (int bar = std::min(barA, barB); bar <= std::max(barA, barB); ++bar) {
            double v = 0;
            if (m_pSource->GetValue(bar, index, v, -1))
                values.push_back(v);
        }
    }
    if (values.empty())
        return -1.0;
    double mean = 0;
    for (double v : values)
        mean += v;
    mean /= static_cast<double>(values.size());
    double squares = 0;
    for (double v : values)
        squares += (v - mean) * (v - mean);
    return std::sqrt(squares / static_cast<double>(values.size()));
}

bool FitLine(const double* xs, const double* ys, int count, double& slope, double& intercept)
{
    if (count <= 0)
        return false;
    double sx = 0, sxx = 0, sy = 0, sxy = 0;
    for (int i = 0; i < count; ++i) {
        sx += xs[i];
        sxx += xs[i] * xs[i];
        sy += ys[i];
        sxy += xs[i] * ys[i];
    }
    const double n = count;
    const double varX = sxx - sx * sx / n;
    if (varX == 0 || !std::isfinite(varX))
        return false;
    slope = (sxy - sx * sy / n) / varX;
    intercept = (sy - slope * sx) / n;
    return true;
}

bool CPricePlot::FitLeastSquares(int barA, int barB, double& slope, double& intercept)
{
    if (!IsReady())
        return false;
    const int close = GetFieldIndex("Close");
    std::vector<double> xs, ys;
    {
        std::lock_guard<CPriceSeries> lock(*m_pSource->GetBaseSeries());
        for (int bar = std::min(barA, barB); bar <= std::max(barA, barB); ++bar) {
            double v = 0;
            if (m_pSource->GetValue(bar, close, v, -1)) {
                xs.push_back(bar);
                ys.push_back(v);
            }
        }
    }
    return FitLine(xs.data(), ys.data(), static_cast<int>(xs.size()), slope, intercept);
}

void CPricePlot::GetRegressionLine(int barA, int barB, double& atA, double& atB)
{
    double slope = 0, intercept = 0;
    if (!FitLeastSquares(barA, barB, slope, intercept))
        return;
    atA = slope * barA + intercept;
    atB = slope * barB + intercept;
}
