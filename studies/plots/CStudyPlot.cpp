#include "studies/plots/CStudyPlot.h"

#include "analytics/series/CPriceSeries.h"
#include "analytics/series/CSeriesReadLock.h"
#include "analytics/series/CStudySource.h"
#include "analytics/series/ISeriesServices.h"
#include "analytics/series/SeriesTime.h"
#include "broker/core/Formatters.h"
#include "common/services/CAppSettings.h"
#include "common/services/TextHelpers.h"
#include "platform/ui/CDC.h"
#include "platform/ui/CPen.h"
#include "studies/CStudyDefinition.h"
#include "studies/plots/CPlotSeriesListener.h"
#include "studies/plots/CPriceScale.h"
#include "studies/plots/PlotHost.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

COLORREF SchemeColor(int index)
{
    if (index < 0 || index >= kSchemeColorCount)
        return 0;
    if (const CAppSettings* settings = CAppSettings::Instance())
        return settings->m_schemeColors[static_cast<size_t>(index)];
    static const CAppSettings defaults;
    return defaults.m_schemeColors[static_cast<size_t>(index)];
}

CStudyPlot::CStudyPlot() = default;

CStudyPlot::~CStudyPlot()
{
    CStudyPlot::Release();
}

CPriceSeries* CStudyPlot::GetPriceSeries() const
{
    return m_pSource ? m_pSource->GetBaseSeries() : nullptr;
}

bool CStudyPlot::IsReady()
{
    return m_pSource && m_pListener;
}

void CStudyPlot::Release()
{
    if (m_pSource) {
        if (CPriceSeries* series = m_pSource->GetBaseSeries())
            series->SetListener(nullptr);
        DeleteStudyCall(m_pSource);
        m_pSource = nullptr;
    }
    m_pListener.reset();
}

int CStudyPlot::VisibleLast(int last) const
{
    return last + m_pDocument->GetScrollOffset();
}

int CStudyPlot::VisibleFirst(int last) const
{
    return last - m_pDocument->GetVisibleBarCount() + m_pDocument->GetScrollOffset() + 1;
}

int CStudyPlot::GetLastVisibleBar()
{
    if (!m_pDocument || !m_pSource)
        return 0;
    int first = 0, last = 0;
    m_pSource->GetVisibleRange(first, last);
    return VisibleLast(last);
}

int CStudyPlot::GetFirstVisibleBar()
{
    if (!m_pDocument || !m_pSource)
        return 0;
    int first = 0, last = 0;
    m_pSource->GetVisibleRange(first, last);
    return VisibleFirst(last);
}

double CStudyPlot::BarSpacing() const
{
    return m_pDocument ? m_pDocument->GetBarSpacing() : 6.0;
}

int CStudyPlot::BarToX(int bar, int firstBar, int left) const
{
    return BarIndexToX(BarSpacing(), bar, firstBar, left);
}

void CStudyPlot::ReadVisible(int first, int last, int field, std::vector<double>& values, std::vector<BYTE>& ok) const
{
    const int count = std::max(0, last - first + 1);
    values.assign(static_cast<size_t>(count), 0.0);
    ok.assign(static_cast<size_t>(count), BYTE{0});
    if (m_pSource)
        m_pSource->ReadValues(first, count, field, values.data(), ok.data());
}

int CStudyPlot::GetFieldIndex(const char* field) const
{
    if (!m_pSource)
        return 0;
    // A trade opens, runs and closes at its one price.
    const CPriceSeries* series = m_pSource->GetBaseSeries();
    if (m_bIsPricePlot && field && series && series->GetInterval() == "0")
        for (const char* name : {"Open", "High", "Low", "Close"})
            if (std::strcmp(field, name) == 0)
                return m_pSource->FindField("Price");
    return m_pSource->FindField(field);
}

bool CStudyPlot::ReadValue(int bar, int field, double& value) const
{
    value = 0;
    return m_pSource && m_pSource->GetValue(bar, field, value, -1);
}

CString CStudyPlot::GetTitle() const
{
    if (m_bIsPricePlot)
        return "Price";
    return m_pStudy ? m_pStudy->GetDisplayName() : CString();
}

CString CStudyPlot::StudyParamText() const
{
    return m_pStudy ? m_pStudy->GetParamText() : CString();
}

int CStudyPlot::GetScrollOverrun(int bars, bool)
{
    CPriceSeries* series = GetPriceSeries();
    if (bars == 0 || !series || !m_pDocument)
        return 0;
    // The indexes that have records: the oldest is record 0, the newest the last one.
    const int count = series->GetRecordCount();
    const int oldest = -series->GetRecordOfIndex(0);
    const int newest = oldest + count - 1;
    if (bars > 0)
        return std::max(0, GetLastVisibleBar() - newest + bars);
    return std::min(0, GetFirstVisibleBar() - oldest + bars);
}

void CStudyPlot::AddBars(int n)
{
    // Bars a chart scrolls to are shown with their data: those in front once the chart
    // stops at them (AskShownBars), so that scrolling on asks for none it passes.
    if (m_pSource && n < 0)
        m_pSource->PrependBars(n);
    else if (m_pSource && n > 0)
        m_pSource->ExtendBars(n, 1);
}

void CStudyPlot::AskShownBars()
{
    if (!m_pSource || !m_pDocument)
        return;
    // The bars in view and a screen of them on either side.
    const int screen = m_pDocument->GetVisibleBarCount();
    m_pSource->AskBars(GetFirstVisibleBar() - screen, GetLastVisibleBar() + screen);
}

bool CStudyPlot::GetBarTime(int bar, int side, DWORD& feedTime)
{
    // The source counts side 0 as the start of the period.
    return m_pSource && m_pSource->GetBarTime(bar, side == kBarStart ? 0 : 1, feedTime);
}

bool CStudyPlot::FindBarByTime(DWORD feedTime, int& bar, int side)
{
    if (!m_pSource)
        return false;
    bar = m_pSource->FindBarByTime(feedTime, side == kBarStart ? 0 : 1);
    return true;
}

bool CStudyPlot::Attach(int barCount, IPlotPane* view)
{
    Release();
    if (!m_pDocument || !view)
        return false;
    const CString symbol = m_pDocument->GetSymbol();
    const CString interval = m_pDocument->GetInterval();
    if (symbol.IsEmpty() || interval.IsEmpty())
        return false;
    CString key;
    if (m_bIsPricePlot)
        key = symbol + "," + interval;
    else if (m_pStudy)
        key = m_pStudy->GetCallText(symbol, interval);
    if (key.IsEmpty())
        return false;
    if (m_pDocument->IsExtendedSession())
        key += ":255";
    if (const DWORD end = m_pDocument->GetFixedEndTime())
        key.AppendFormat("&EndETime=%lu", static_cast<unsigned long>(end));
    m_pSource = ParseStudyCall(key, 0, 0, -1);
    if (!m_pSource)
        return false;
    IPlotChart* chart = view->GetPlotChart();
    m_pListener = std::make_unique<CPlotSeriesListener>(view->GetPaneHandle(),
                                                        chart ? chart->GetSignals() : nullptr, m_bIsPricePlot != 0);
    m_pSource->GetBaseSeries()->SetListener(m_pListener.get());
    if (!m_pSource->Prepare(barCount, m_pDocument->GetEndTimeAnchor())) {
        Release();
        return false;
    }
    if (m_bIsPricePlot)
        UpdateTitle();
    if (m_pDocument->GetEndTimeAnchor() == 0)
        m_pDocument->SetEndTimeAnchor(m_pSource->GetBaseSeries()->GetLastBarTime());
    return true;
}

void CStudyPlot::UpdateTitle()
{
    if (!m_pSource || !m_pDocument || !m_pChart)
        return;
    CString text = m_pSource->GetBaseSeries()->GetSymbolTitle();
    if (text.Right(3) == " - ")
        text = text.Left(text.GetLength() - 3);
    const CString interval = m_pDocument->GetInterval();
    text += ", ";
    text += PeriodDisplayName(interval);
    if (m_pDocument->IsExtendedSession())
        text += ", Extended Session";
    if (m_pChart->IsBacktestRunning())
        text += ", Backtesting...";
    text += " - Chart";
    m_pDocument->SetChartTitle(text);
}

bool CStudyPlot::DefaultValueRange(const char* lowField, const char* highField, double& low, double& high)
{
    if (!IsReady())
        return false;
    low = 2147483647.0;
    high = -2147483647.0;
    const int lowIndex = GetFieldIndex(lowField);
    const int highIndex = GetFieldIndex(highField);
    const int first = GetFirstVisibleBar();
    const int last = GetLastVisibleBar();
    std::vector<double> lows, highs;
    std::vector<BYTE> lowOk, highOk;
    {
        // One state of the series for both fields.
        const CSeriesReadLock pass(*m_pSource->GetBaseSeries());
        ReadVisible(first, last, lowIndex, lows, lowOk);
        if (highIndex != lowIndex)
            ReadVisible(first, last, highIndex, highs, highOk);
    }
    const bool same = highIndex == lowIndex;
    for (size_t k = 0; k < lows.size(); ++k) {
        if (!lowOk[k] || (!same && !highOk[k]))
            continue;
        const double lo = lows[k];
        const double hi = same ? lo : highs[k];
        if (lo < low)
            low = lo;
        if (hi > high)
            high = hi;
    }
    return true;
}

void DrawVertical(CDC* dc, const CPen& pen, int x, int y1, int y2)
{
    const int width = std::max(1, pen.Width());
    dc->FillSolidRect(x - width / 2, std::min(y1, y2), width, std::abs(y2 - y1) + 1, pen.Color());
}

void DrawHorizontal(CDC* dc, const CPen& pen, int x1, int x2, int y)
{
    const int width = std::max(1, pen.Width());
    dc->FillSolidRect(std::min(x1, x2), y - width / 2, std::abs(x2 - x1) + 1, width, pen.Color());
}

void CStudyPlot::DrawLevel(CDC* dc, const CPen& pen, const RECT* plotRect, const CPriceScale* scale, double level)
{
    DrawHorizontal(dc, pen, plotRect->left, plotRect->right - 1, scale->PriceToY(level));
}

void CStudyPlot::DrawSeriesLine(CDC* dc, const RECT* plotRect, const CPriceScale* scale, const char* field, CPen* pen,
                                COLORREF labelColor, RECT* labelRect)
{
    if (!m_pSource)
        return;
    CPen* old = dc->SelectObject(pen);
    const int index = GetFieldIndex(field);
    const int first = GetFirstVisibleBar();
    const int last = GetLastVisibleBar();
    int lastWithValue = first - 1;
    double lastValue = kNoValue;
    std::vector<double> values;
    std::vector<BYTE> ok;
    ReadVisible(first, last, index, values, ok);
    const double spacing = BarSpacing();
    std::vector<POINT> points;
    points.reserve(values.size());
    for (size_t k = 0; k < values.size(); ++k) {
        if (!ok[k])
            continue;
        const int bar = first + static_cast<int>(k);
        points.push_back(POINT{BarIndexToX(spacing, bar, first, plotRect->left), scale->PriceToY(values[k])});
        lastWithValue = bar;
        lastValue = values[k];
    }
    if (points.size() >= 2)
        dc->Polyline(points.data(), static_cast<int>(points.size()));
    dc->SelectObject(old);
    CString text;
    if (lastWithValue >= first && lastValue > kNoValue && GetValueText(lastWithValue, field, text))
        DrawValueLabel(dc, lastValue, scale, labelColor, labelRect, text);
}

void CStudyPlot::DrawValueLabel(CDC* dc, double value, const CPriceScale* scale, COLORREF color, RECT* rect,
                                const CString& text)
{
    if (!rect)
        return;
    const int height = rect->bottom - rect->top;
    const int y = scale->PriceToY(value);
    // Centred on its value, but kept inside the scale so a value at an edge stays readable.
    rect->top = y - height / 2;
    if (scale->GetBottom() - scale->GetTop() >= height)
        rect->top = std::clamp(rect->top, scale->GetTop(), scale->GetBottom() - height);
    rect->bottom = rect->top + height;
    if (m_pDocument)
        m_pDocument->FitAxisText(static_cast<int>(dc->GetTextExtent(text).cx));
    const int saved = dc->SaveDC();
    const int sum = GetRValue(color) + GetGValue(color) + GetBValue(color);
    dc->SetTextColor(sum >= 383 ? RGB(0, 0, 0) : RGB(255, 255, 255));
    dc->SetBkMode(TRANSPARENT);
    dc->FillSolidRect(rect, color);
    dc->TextOut(rect->left, rect->top, text);
    dc->RestoreDC(saved);
}

bool CStudyPlot::GetValueText(int bar, const char* field, CString& out)
{
    out.Empty();
    double value = 0;
    if (!m_pSource || !m_pSource->GetValue(bar, GetFieldIndex(field), value, -1))
        return false;
    int decimals = 4;
    if (m_pStudy) {
        const int type = m_pStudy->GetTypeId();
        const bool keepsFour = type == kStudyMACD || type == kStudyMomentum || type == kStudyATR || type == kStudyCMF;
        if (std::fabs(value) >= 1.0 || (m_pStudy->GetPaneIndex() > 0 && !keepsFour))
            decimals = 2;
    }
    FormatStudyValue(out, value, GetValueKind(), 2 + decimals);
    return true;
}
