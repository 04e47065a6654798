#include "studies/plots/CCustomStudyPlot.h"

#include "analytics/formula/CFormulaSeries.h"
#include "platform/ui/CDC.h"
#include "studies/CCustomStudy.h"
#include "studies/plots/CPlotFormulaListener.h"
#include "studies/plots/CPriceScale.h"
#include "studies/plots/PlotHost.h"

#include <algorithm>

CCustomStudyPlot::CCustomStudyPlot(COLORREF color, int thickness, int showAs, int scaling, bool labelOn,
                                   bool followInterval)
    : m_color(color), m_nShowAs(showAs), m_nScaling(scaling), m_bLabelOn(labelOn), m_bFollowInterval(followInterval)
{
    m_pen.CreatePen(PS_SOLID, thickness, color);
}

CCustomStudyPlot::~CCustomStudyPlot()
{
    CCustomStudyPlot::Release();
}

void CCustomStudyPlot::Release()
{
    if (m_pListener)
        m_pListener->DetachFormula();
    m_pFormula.reset();
    m_pListener = nullptr;
    CStudyPlot::Release();
}

bool CCustomStudyPlot::Attach(int barCount, IPlotPane* view)
{
    Release();
    m_error.Empty();
    auto* study = dynamic_cast<CCustomStudy*>(m_pStudy);
    if (!m_pDocument || !view || !study)
        return false;
    CString symbol = m_pDocument->GetSymbol();
    CString interval = m_pDocument->GetInterval();
    if (symbol.IsEmpty() || interval.IsEmpty())
        return false;
    const CString text = study->GetFormulaText(symbol);
    auto formula = std::make_unique<CFormulaSeries>(text, 2, barCount, m_pDocument->GetEndTimeAnchor());
    if (!formula->Parse(m_error)) {
        if (m_error.IsEmpty())
            m_error = "The formula cannot be read";
        return false;
    }
    IPlotChart* chart = view->GetPlotChart();
    auto listener = std::make_unique<CPlotFormulaListener>(view->GetPaneHandle(), chart ? chart->GetSignals() : nullptr,
                                                           this, formula.get());
    CPlotFormulaListener* raw = listener.get();
    if (m_nShowAs == kShowLastValue && !m_bFollowInterval)
        interval.Empty();
    if (!formula->Subscribe(symbol, m_pDocument->IsExtendedSession() ? 1 : 0, nullptr, std::move(listener), interval,
                            0, m_bFollowInterval ? 1 : 0)) {
        m_error = "The formula cannot be evaluated";
        return false;
    }
    m_pListener = raw;
    m_pFormula = std::move(formula);
    return true;
}

void CCustomStudyPlot::Window(int& first, int& last)
{
    first = last = 0;
    if (m_pFormula)
        m_pFormula->SyncWindow(first, last);
}

int CCustomStudyPlot::GetLastVisibleBar()
{
    if (!m_pDocument || !m_pFormula)
        return 0;
    int first = 0, last = 0;
    Window(first, last);
    return last + (m_nShowAs == kShowLastValue ? 0 : m_pDocument->GetScrollOffset());
}

int CCustomStudyPlot::GetFirstVisibleBar()
{
    if (!m_pDocument || !m_pFormula)
        return 0;
    int first = 0, last = 0;
    Window(first, last);
    const int offset = m_nShowAs == kShowLastValue ? 0 : m_pDocument->GetScrollOffset();
    return last - m_pDocument->GetVisibleBarCount() + offset + 1;
}

int CCustomStudyPlot::GetFormulaScrollOverrun(int bars)
{
    if (bars == 0 || !m_pFormula)
        return 0;
    int first = 0, last = 0;
    Window(first, last);
    if (bars >= 1)
        return std::max(0, GetLastVisibleBar() - last + bars);
    return std::min(0, GetFirstVisibleBar() - first + bars);
}

void CCustomStudyPlot::AddBars(int n)
{
    if (m_pFormula && m_nShowAs != kShowLastValue)
        m_pFormula->AddBars(n);
}

bool CCustomStudyPlot::GetBarTime(int bar, int side, DWORD& feedTime)
{
    return m_pFormula && m_pFormula->GetBarTime(bar, side == kBarStart ? 0 : 1, feedTime);
}

bool CCustomStudyPlot::FormulaValue(int bar, double& value)
{
    value = 0;
    return m_pFormula && m_pFormula->GetValue(value, bar, -1);
}

bool CCustomStudyPlot::GetValueRange(double& low, double& high)
{
    if (!IsReady())
        return false;
    double lo = 4294967295.0, hi = -4294967295.0;
    bool found = false;
    const int first = GetFirstVisibleBar();
    for (int bar = GetLastVisibleBar(); bar >= first; --bar) {
        double v = 0;
        if (!FormulaValue(bar, v))
            continue;
        found = true;
        lo = std::min(lo, v);
        hi = std::max(hi, v);
        if (m_nShowAs == kShowLastValue)
            break;
    }
    if (found) {
        low = lo;
        high = hi;
    }
    return found;
}

void CCustomStudyPlot::LabelIfOn(CDC* dc, int bar, int first, double value, const CPriceScale* scale, RECT* labelRect)
{
    if (!m_bLabelOn || bar < first || !(value > kNoValue))
        return;
    CString text;
    text.Format("%g", value);
    DrawValueLabel(dc, value, scale, m_color, labelRect, text);
}

void CCustomStudyPlot::Draw(CDC* dc, const RECT* plotRect, const CPriceScale* paneScale, RECT* labelRect)
{
    if (!m_pFormula)
        return;
    CPriceScale scale = *paneScale;
    double low = 0, high = 0;
    if (m_nScaling == kScaleToOthers && GetValueRange(low, high))
        scale.SetRange(low, high);
    const int first = GetFirstVisibleBar();
    const int last = GetLastVisibleBar();
    if (m_nShowAs == kShowHistogram) {
        const int y0 = scale.PriceToY(0);
        int labelled = first - 1;
        double labelValue = kNoValue;
        for (int bar = first; bar <= last; ++bar) {
            double v = 0;
            if (!FormulaValue(bar, v))
                continue;
            DrawVertical(dc, m_pen, BarToX(bar, first, plotRect->left), y0, scale.PriceToY(v));
            labelled = bar;
            labelValue = v;
        }
        LabelIfOn(dc, labelled, first, labelValue, &scale, labelRect);
    } else if (m_nShowAs == kShowLastValue) {
        for (int bar = last; bar >= first; --bar) {
            double v = 0;
            if (!FormulaValue(bar, v))
                continue;
            DrawHorizontal(dc, m_pen, plotRect->left, BarToX(bar, first, plotRect->left), scale.PriceToY(v));
            LabelIfOn(dc, bar, first, v, &scale, labelRect);
            break;
        }
    } else {
        DrawSeriesLine(dc, plotRect, &scale, "", &m_pen, m_color, labelRect);
    }
}

void CCustomStudyPlot::DrawSeriesLine(CDC* dc, const RECT* plotRect, const CPriceScale* scale, const char*, CPen* pen,
                                      COLORREF labelColor, RECT* labelRect)
{
    if (!m_pFormula)
        return;
    const int first = GetFirstVisibleBar();
    const int last = GetLastVisibleBar();
    std::vector<POINT> points;
    int lastBar = first - 1;
    double lastValue = kNoValue;
    for (int bar = first; bar <= last; ++bar) {
        double v = 0;
        if (!FormulaValue(bar, v))
            continue;
        points.push_back(POINT{BarToX(bar, first, plotRect->left), scale->PriceToY(v)});
        lastBar = bar;
        lastValue = v;
    }
    CPen* old = dc->SelectObject(pen);
    if (points.size() >= 2)
        dc->Polyline(points.data(), static_cast<int>(points.size()));
    dc->SelectObject(old);
    if (m_bLabelOn && lastBar >= first && lastValue > kNoValue) {
        CString text;
        text.Format("%g", lastValue);
        DrawValueLabel(dc, lastValue, scale, labelColor, labelRect, text);
    }
}

void CCustomStudyPlot::GetLegendEntries(int first, CLegendRow* rows)
{
    const auto* study = dynamic_cast<const CCustomStudy*>(m_pStudy);
    rows[first].name = study ? study->GetStudyName() : CString();
    rows[first].color = m_color;
}

bool CCustomStudyPlot::GetLegendValues(int bar, int first, CLegendRow* rows)
{
    rows[first].value.Empty();
    if (!m_error.IsEmpty()) {
        rows[first].value = m_error;
        return false;
    }
    double v = 0;
    if (!FormulaValue(m_nShowAs == kShowLastValue ? GetLastVisibleBar() : bar, v))
        return false;
    rows[first].value.Format("%g", v);
    return true;
}
