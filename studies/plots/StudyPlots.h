// The study plots that draw more than lines and levels: the volume histogram, MACD with
// its histogram, momentum with its zero line, Parabolic SAR dots, the horizontal line
// and the equity curve of a backtest.
#pragma once

#include "studies/plots/CIndicatorPlot.h"

// Volume bars from 0, in the up colour when the close is at or above its reference (the
// bar's open, or the previous close), else in the down colour; a zero line in black.
class CVolumePlot : public CIndicatorPlot {
public:
    CVolumePlot(COLORREF up, COLORREF down, int thickness, const char* compareField);

    bool GetValueRange(double& low, double& high) override;
    void Draw(CDC* dc, const RECT* plotRect, const CPriceScale* scale, RECT* labelRect) override;
    void GetLegendEntries(int first, CLegendRow* rows) override;

private:
    CPen m_upPen;
    CPen m_downPen;
    CPen m_zeroPen;
    COLORREF m_up;
    COLORREF m_down;
    CString m_compareField;
};

// MACD and Signal lines, the difference histogram and the zero line.
class CMACDPlot : public CIndicatorPlot {
public:
    CMACDPlot(COLORREF macd, int macdThickness, COLORREF signal, int signalThickness);

    void SetZeroLinePen(COLORREF color, int thickness);
    void SetHistogramColour(COLORREF color);
    void SetLinesWithHistogram(bool on);
    bool HistogramOn() const { return m_bHistogram; }
    bool LinesOn() const { return m_bLines; }

    bool GetValueRange(double& low, double& high) override;
    void Draw(CDC* dc, const RECT* plotRect, const CPriceScale* scale, RECT* labelRect) override;
    int GetLegendCount() override;
    void GetLegendEntries(int first, CLegendRow* rows) override;
    bool GetLegendValues(int bar, int first, CLegendRow* rows) override;

private:
    void Recompute();

    bool m_bHasZeroPen = false;
    CPen m_zeroPen;
    bool m_bHasHistogramPen = false;
    CPen m_histogramPen;
    COLORREF m_histogramColor = 0;
    bool m_bLinesWithHistogram = false;
    bool m_bHistogram = false;
    bool m_bLines = true;
};

// Momentum or ROC: once a range reaching 0 has been seen the zero line stays.
class CMomentumPlot : public CIndicatorPlot {
public:
    // legendName "Momentum" or "ROC"; the zero line only with a centre pen.
    CMomentumPlot(const char* legendName, COLORREF line, int thickness);
    void SetCentrePen(COLORREF color, int thickness);
    bool HasZeroFlag() const { return m_bZero; }

    bool GetValueRange(double& low, double& high) override;
    void Draw(CDC* dc, const RECT* plotRect, const CPriceScale* scale, RECT* labelRect) override;

private:
    bool m_bHasCentre = false;
    CPen m_centrePen;
    bool m_bZero = false;
};

// Dots of the SAR below the lows (first colour) and above the highs (second colour).
class CParabolicSARPlot : public CIndicatorPlot {
public:
    CParabolicSARPlot(COLORREF below, COLORREF above, int thickness);
    void Draw(CDC* dc, const RECT* plotRect, const CPriceScale* scale, RECT* labelRect) override;

private:
    CPen m_belowPen;
    CPen m_abovePen;
    COLORREF m_below;
    COLORREF m_above;
};

// One line across the plot at a level; no legend, no label.
class CHorizontalLinePlot : public CIndicatorPlot {
public:
    CHorizontalLinePlot(COLORREF color, int thickness, double level);
    bool GetValueRange(double& low, double& high) override;
    void Draw(CDC* dc, const RECT* plotRect, const CPriceScale* scale, RECT* labelRect) override;
    int GetValueKind() override { return 4; }
    double GetLevel() const { return m_level; }

private:
    CPen m_pen;
    double m_level;
};

// The equity of the chart's last backtest ("EQTY"), fed to its series on attaching.
class CEquityCurvePlot : public CIndicatorPlot {
public:
    CEquityCurvePlot(COLORREF color, int thickness);
    bool Attach(int barCount, IPlotPane* view) override;
};
