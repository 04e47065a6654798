// The plot of a built-in study: lines of its output fields, each with its own pen and
// label colour, horizontal reference levels drawn first, a value range over chosen
// fields (or a fixed one) and legend rows. The study plots are configurations of it
// (see StudyPlots.h); a few add drawing of their own.
#pragma once

#include "platform/ui/CPen.h"
#include "studies/plots/CStudyPlot.h"

#include <optional>
#include <utility>
#include <vector>

class CIndicatorPlot : public CStudyPlot {
public:
    CIndicatorPlot() = default;

    // A field drawn as a series line, in the order added.
    void AddLine(const char* field, COLORREF color, int thickness);
    // A legend row: prefix, then the study's parameter text unless withParams is false.
    void AddLegend(const char* name, const char* field, COLORREF color, bool withParams = true);
    // Horizontal lines at these values, drawn before the series.
    void SetLevels(COLORREF color, int thickness, std::vector<double> levels);
    // The range is merged over these low and high field pairs (the first line's field
    // when none are given).
    void AddRangeFields(const char* lowField, const char* highField);
    // A range that does not depend on the values (answered while the plot is ready).
    void SetFixedRange(double low, double high) { m_fixed = std::make_pair(low, high); }
    // The field whose value kind formats the axis (the first line's by default).
    void SetKindField(const char* field) { m_kindField = field; }

    bool GetValueRange(double& low, double& high) override;
    void Draw(CDC* dc, const RECT* plotRect, const CPriceScale* scale, RECT* labelRect) override;
    int GetValueKind() override;
    int GetLegendCount() override { return static_cast<int>(m_legend.size()); }
    void GetLegendEntries(int first, CLegendRow* rows) override;
    bool GetLegendValues(int bar, int first, CLegendRow* rows) override;

    int GetLineCount() const { return static_cast<int>(m_lines.size()); }
    const CString& GetLineField(int i) const { return m_lines[static_cast<size_t>(i)].field; }
    const std::vector<double>& GetLevels() const { return m_levels; }

protected:
    // Lines and levels; the special plots draw around these.
    void DrawLevels(CDC* dc, const RECT* plotRect, const CPriceScale* scale);
    void DrawLines(CDC* dc, const RECT* plotRect, const CPriceScale* scale, RECT* labelRect);
    // Merge of the default ranges of the range fields; true when any could be asked.
    bool MergedRange(double& low, double& high);

    struct Line {
        CString field;
        CPen pen;
        COLORREF color = 0;
    };
    struct Row {
        CString name;
        CString field;
        COLORREF color = 0;
        bool withParams = true;
    };
    std::vector<Line> m_lines;
    std::vector<Row> m_legend;
    std::vector<double> m_levels;
    CPen m_levelPen;
    std::vector<std::pair<CString, CString>> m_rangeFields;
    std::optional<std::pair<double, double>> m_fixed;
    CString m_kindField;
};
