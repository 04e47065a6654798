#include "studies/plots/CIndicatorPlot.h"

#include "analytics/series/CStudySource.h"
#include "platform/ui/CDC.h"

#include <algorithm>

void CIndicatorPlot::AddLine(const char* field, COLORREF color, int thickness)
{
    Line line;
    line.field = field;
    line.pen.CreatePen(PS_SOLID, thickness, color);
    line.color = color;
    m_lines.push_back(line);
}

void CIndicatorPlot::AddLegend(const char* name, const char* field, COLORREF color, bool withParams)
{
    m_legend.push_back(Row{name, field, color, withParams});
}

void CIndicatorPlot::SetLevels(COLORREF color, int thickness, std::vector<double> levels)
{
    m_levelPen.CreatePen(PS_SOLID, thickness, color);
    m_levels = std::move(levels);
}

void CIndicatorPlot::AddRangeFields(const char* lowField, const char* highField)
{
    m_rangeFields.emplace_back(lowField, highField);
}

bool CIndicatorPlot::MergedRange(double& low, double& high)
{
    std::vector<std::pair<CString, CString>> fields = m_rangeFields;
    if (fields.empty() && !m_lines.empty())
        fields.emplace_back(m_lines.front().field, m_lines.front().field);
    bool any = false;
    low = 2147483647.0;
    high = -2147483647.0;
    for (const auto& [lowField, highField] : fields) {
        double lo = 0, hi = 0;
        if (!DefaultValueRange(lowField, highField, lo, hi))
            continue;
        any = true;
        low = std::min(low, lo);
        high = std::max(high, hi);
    }
    return any;
}

bool CIndicatorPlot::GetValueRange(double& low, double& high)
{
    if (m_fixed) {
        if (!IsReady())
            return false;
        low = m_fixed->first;
        high = m_fixed->second;
        return true;
    }
    return MergedRange(low, high);
}

void CIndicatorPlot::DrawLevels(CDC* dc, const RECT* plotRect, const CPriceScale* scale)
{
    if (m_levels.empty())
        return;
    for (double level : m_levels)
        DrawLevel(dc, m_levelPen, plotRect, scale, level);
}

void CIndicatorPlot::DrawLines(CDC* dc, const RECT* plotRect, const CPriceScale* scale, RECT* labelRect)
{
    for (Line& line : m_lines)
        DrawSeriesLine(dc, plotRect, scale, line.field, &line.pen, line.color, labelRect);
}

void CIndicatorPlot::Draw(CDC* dc, const RECT* plotRect, const CPriceScale* scale, RECT* labelRect)
{
    if (!m_pSource)
        return;
    DrawLevels(dc, plotRect, scale);
    DrawLines(dc, plotRect, scale, labelRect);
}

int CIndicatorPlot::GetValueKind()
{
    if (!m_pSource)
        return 4;
    const CString field = !m_kindField.IsEmpty() ? m_kindField : !m_lines.empty() ? m_lines.front().field : CString();
    return m_pSource->GetFieldKind(m_pSource->FindField(field));
}

void CIndicatorPlot::GetLegendEntries(int first, CLegendRow* rows)
{
    const CString params = StudyParamText();
    for (size_t i = 0; i < m_legend.size(); ++i) {
        CLegendRow& row = rows[static_cast<size_t>(first) + i];
        row.name = m_legend[i].name;
        if (m_legend[i].withParams)
            row.name += params;
        row.color = m_legend[i].color;
    }
}

bool CIndicatorPlot::GetLegendValues(int bar, int first, CLegendRow* rows)
{
    bool result = false;
    for (size_t i = 0; i < m_legend.size(); ++i)
        result = GetValueText(bar, m_legend[i].field, rows[static_cast<size_t>(first) + i].value);
    return result;
}
