// The price bars of a chart (pane 0): a curve of closes, bars, candles, or candles
// coloured by the chart's colour-bar rules, with the trades of the last backtest marked
// on them. Also gives the drawing tools the last close, standard deviations and
// least-squares lines over bar ranges.
#pragma once

#include "common/services/CColorRuleSet.h"
#include "platform/ui/CPen.h"
#include "studies/plots/CStudyPlot.h"

#include <memory>

class CPlotFormulaListener;

enum EDrawStyle : BYTE {
    kStyleCurve = 0,
    kStyleBar = 1,
    kStyleCandle = 2,
    kStyleColorBar = 3,
};

class CPricePlot : public CStudyPlot {
public:
    CPricePlot();
    ~CPricePlot() override;

    bool GetValueRange(double& low, double& high) override;
    void Draw(CDC* dc, const RECT* plotRect, const CPriceScale* scale, RECT* labelRect) override;
    int GetValueKind() override;
    int GetLegendCount() override { return 6; }
    void GetLegendEntries(int first, CLegendRow* rows) override;
    bool GetLegendValues(int bar, int first, CLegendRow* rows) override;
    CFormulaSeries* GetFormulaSeries() override { return m_pRuleFormula.get(); }
    void AddBars(int n) override;
    bool Attach(int barCount, IPlotPane* view) override;
    void Release() override;

    void SetDrawStyle(BYTE style) { m_nDrawStyle = style; }
    BYTE GetDrawStyle() const { return m_nDrawStyle; }
    // False (the old pen kept) for widths outside 1 to 15.
    bool SetPenWidth(int width);
    int GetPenWidth() const { return m_pen.Width(); }
    // After the colour scheme changed.
    void RecreatePen();
    const CColorRuleSet& GetColorRules() const { return m_rules; }
    bool HasColorRules() const { return m_bColorBars != 0; }
    // Copies the set, turns colour bars on and compiles the set's formula.
    void SetColorRules(const CColorRuleSet& rules);
    bool CompileColorRules();
    void ReleaseColorRules();
    CString GetSymbol() const;
    CString GetInterval() const;

    // The kind of the backtest trade inside the bar (the latest one), or -1.
    int GetTradeMarkerAt(int bar);
    // The colour of a bar in the colour-bar style.
    COLORREF GetColorBarColor(int bar);

    // Drawing tools. The newest non-zero close (bar: its index, first - 1 when none).
    double GetLastClose(int& bar);
    // Population standard deviation of field 0 Open, 1 High, 2 Low or 3 Close over the
    // bars between a and b that have it; -1 when none, or for any other field.
    double GetFieldStdDev(int barA, int barB, int field);
    // The least-squares line of the closes between a and b, at a and at b; nothing
    // written when it cannot be fitted.
    void GetRegressionLine(int barA, int barB, double& atA, double& atB);
    bool FitLeastSquares(int barA, int barB, double& slope, double& intercept);

private:
    void DrawBars(CDC* dc, const RECT* plotRect, const CPriceScale* scale, RECT* labelRect);

    BYTE m_nDrawStyle = kStyleCurve;
    CColorRuleSet m_rules;
    BYTE m_bColorBars = 0;
    CPlotFormulaListener* m_pRuleListener = nullptr; // owned by the formula's subscription
    std::unique_ptr<CFormulaSeries> m_pRuleFormula;
    int m_nBarCount = -1;
    IPlotPane* m_pView = nullptr;
    CPen m_pen;
};

// The fit of y = slope x + intercept to points by least squares (sums in doubles);
// false for no points or a single x.
bool FitLine(const double* xs, const double* ys, int count, double& slope, double& intercept);
