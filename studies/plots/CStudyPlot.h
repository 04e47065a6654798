// The drawing object of one item of a chart pane: the price bars, a study, a custom
// formula. The base owns the value source and its listener and draws series lines and
// value labels; the pane that shows a plot owns it.
#pragma once

#include "platform/core/CString.h"
#include "platform/core/WinTypes.h"

#include <memory>
#include <vector>

class CDC;
class CFormulaSeries;
class CPen;
class CPlotSeriesListener;
class CPriceScale;
class CPriceSeries;
class CStudyDefinition;
class CStudySource;
class IPlotChart;
class IPlotDocument;
class IPlotPane;

// One row of a legend or of the tracking window.
struct CLegendRow {
    CString name;
    CString value;
    COLORREF color = 0;
};

class CStudyPlot {
public:
    // Sides of a bar's period for GetBarTime.
    enum : int { kBarEnd = 0, kBarStart = 1 };
    // Values at or below it mean "no value".
    static constexpr double kNoValue = -4294967295.0;

    CStudyPlot();
    virtual ~CStudyPlot();
    CStudyPlot(const CStudyPlot&) = delete;
    CStudyPlot& operator=(const CStudyPlot&) = delete;

    // Range of the plot's values over the visible bars (low > high: none).
    virtual bool GetValueRange(double& low, double& high) = 0;
    // plotRect's left edge is the x origin of the bars; labelRect's height is kept and
    // its top and bottom are set per label.
    virtual void Draw(CDC* dc, const RECT* plotRect, const CPriceScale* scale, RECT* labelRect) = 0;
    virtual int GetValueKind() = 0;
    virtual int GetLegendCount() = 0;
    virtual void GetLegendEntries(int first, CLegendRow* rows) = 0;
    virtual bool GetLegendValues(int bar, int first, CLegendRow* rows) = 0;
    virtual void PrepareDraw() {}
    virtual CFormulaSeries* GetFormulaSeries() { return nullptr; }
    // Bars the source must be extended by to scroll `bars` (negative: in front).
    virtual int GetScrollOverrun(int bars, bool allowFuture);
    virtual void AddBars(int n);
    // Asks history for the bars in view (and near it) that AddBars added in front.
    void AskShownBars();
    virtual bool GetBarTime(int bar, int side, DWORD& feedTime);
    // The bar holding the time; for a time between bars, the one after it (kBarEnd) or the
    // one before it, the newest begun by then (kBarStart).
    virtual bool FindBarByTime(DWORD feedTime, int& bar, int side = kBarEnd);
    virtual bool Attach(int barCount, IPlotPane* view);
    virtual void Release();
    virtual int GetFirstVisibleBar();
    virtual int GetLastVisibleBar();
    // Only autoscaled plots widen the pane's common range.
    virtual bool IsAutoscaled() { return true; }
    virtual bool IsReady();
    virtual void UpdateTitle();
    virtual void DrawSeriesLine(CDC* dc, const RECT* plotRect, const CPriceScale* scale, const char* field,
                                CPen* pen, COLORREF labelColor, RECT* labelRect);
    virtual void DrawValueLabel(CDC* dc, double value, const CPriceScale* scale, COLORREF color, RECT* rect,
                                const CString& text);
    // Why the plot cannot draw ("" when it can), for the pane to show.
    virtual CString GetStatusText() const { return CString(); }

    bool GetValueText(int bar, const char* field, CString& out);
    int BarToX(int bar, int firstBar, int left) const;
    bool IsPricePlot() const { return m_bIsPricePlot != 0; }
    CStudySource* GetSeries() const { return m_pSource; }
    // The base series of the source, or null.
    CPriceSeries* GetPriceSeries() const;
    // The source's field of a name; a price plot of ticks reads Open, High, Low and Close
    // as the trade's price.
    int GetFieldIndex(const char* field) const;
    // "Price" for the price plot, else the study's name.
    CString GetTitle() const;
    void SetDocument(IPlotDocument* doc) { m_pDocument = doc; }
    IPlotDocument* GetDocument() const { return m_pDocument; }
    void SetChart(IPlotChart* chart) { m_pChart = chart; }
    IPlotChart* GetChart() const { return m_pChart; }
    void SetStudy(CStudyDefinition* study) { m_pStudy = study; }
    CStudyDefinition* GetStudy() const { return m_pStudy; }

    // The value of a field at a visible bar, or false.
    bool ReadValue(int bar, int field, double& value) const;

protected:
    // The shared range: low field's and high field's values over the visible bars.
    bool DefaultValueRange(const char* lowField, const char* highField, double& low, double& high);
    // One field's values at the bars first .. last: values[k] and ok[k] (1: a value) for
    // bar first + k, read a block at a time.
    void ReadVisible(int first, int last, int field, std::vector<double>& values, std::vector<BYTE>& ok) const;
    // The document's bar spacing (6 without a document), as BarToX uses it.
    double BarSpacing() const;
    // A horizontal line across the plot at the price's row, in the pen.
    static void DrawLevel(CDC* dc, const CPen& pen, const RECT* plotRect, const CPriceScale* scale, double level);
    // Visible bars from the given source range and the document's window.
    int VisibleFirst(int last) const;
    int VisibleLast(int last) const;
    CString StudyParamText() const;

    CStudySource* m_pSource = nullptr;
    IPlotDocument* m_pDocument = nullptr;
    IPlotChart* m_pChart = nullptr;
    BYTE m_bIsPricePlot = 0;
    CStudyDefinition* m_pStudy = nullptr;
    std::unique_ptr<CPlotSeriesListener> m_pListener;
};

// Straight lines of a pen's colour and width, both ends included (the width spreads
// from the line towards the left or the top first).
void DrawVertical(CDC* dc, const CPen& pen, int x, int y1, int y2);
void DrawHorizontal(CDC* dc, const CPen& pen, int x1, int x2, int y);

// Colours of the chart scheme ("Bars" 0 .. "Backtest labels foreground (sell)" 6).
COLORREF SchemeColor(int index);
enum : int {
    kSchemeBars = 0,
    kSchemeCandleUp = 1,
    kSchemeCandleDown = 2,
    kSchemeColorBarsEmpty = 3,
    kSchemeMarkerBackground = 4,
    kSchemeMarkerBuy = 5,
    kSchemeMarkerSell = 6,
};
