// The plot of a custom study: the values of the study's formula per bar as a line, a
// histogram or one horizontal line at the last value. A formula that does not compile
// shows its error in the legend.
#pragma once

#include "platform/ui/CPen.h"
#include "studies/plots/CStudyPlot.h"

#include <memory>

class CPlotFormulaListener;

class CCustomStudyPlot : public CStudyPlot {
public:
    enum : int { kShowLine = 0, kShowHistogram = 1, kShowLastValue = 2 };
    enum : int { kScaleExcluded = 0, kScaleNormal = 1, kScaleToOthers = 2 };

    CCustomStudyPlot(COLORREF color, int thickness, int showAs, int scaling, bool labelOn, bool followInterval);
    ~CCustomStudyPlot() override;

    bool GetValueRange(double& low, double& high) override;
    void Draw(CDC* dc, const RECT* plotRect, const CPriceScale* scale, RECT* labelRect) override;
    int GetValueKind() override { return 4; }
    int GetLegendCount() override { return 1; }
    void GetLegendEntries(int first, CLegendRow* rows) override;
    bool GetLegendValues(int bar, int first, CLegendRow* rows) override;
    CFormulaSeries* GetFormulaSeries() override { return m_pFormula.get(); }
    void AddBars(int n) override;
    bool GetBarTime(int bar, int side, DWORD& feedTime) override;
    bool Attach(int barCount, IPlotPane* view) override;
    void Release() override;
    int GetFirstVisibleBar() override;
    int GetLastVisibleBar() override;
    bool IsAutoscaled() override { return m_nScaling == kScaleNormal; }
    bool IsReady() override { return m_pFormula && m_pListener; }
    void DrawSeriesLine(CDC* dc, const RECT* plotRect, const CPriceScale* scale, const char* field, CPen* pen,
                        COLORREF labelColor, RECT* labelRect) override;

    int GetFormulaScrollOverrun(int bars);
    // Why the formula could not be used ("" when it could).
    CString GetStatusText() const override { return m_error; }

private:
    bool FormulaValue(int bar, double& value);
    void Window(int& first, int& last);
    void LabelIfOn(CDC* dc, int bar, int first, double value, const CPriceScale* scale, RECT* labelRect);

    CPlotFormulaListener* m_pListener = nullptr; // owned by the formula's subscription
    std::unique_ptr<CFormulaSeries> m_pFormula;
    CPen m_pen;
    COLORREF m_color;
    int m_nShowAs;
    int m_nScaling;
    bool m_bLabelOn;
    bool m_bFollowInterval;
    CString m_error;
};
