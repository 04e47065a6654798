// The document of a chart window: what its panes share. Symbol, interval and its
// period kind, bar spacing, visible bars and scroll offset, the date range, the samples
// and metrics that size the axis labels, the drawing-tool cursors and the price plot.
#pragma once

#include "chart/IntervalKind.h"
#include "chart/ui/ChartIds.h"
#include "common/windows/CCommonDoc.h"
#include "platform/ui/CFont.h"
#include "platform/ui/WinUser.h"
#include "studies/plots/PlotHost.h"

#include <utility>

// The update hint 2 carries the bars added in front.
class CBarsAddedHint : public CUpdateHint {
public:
    explicit CBarsAddedHint(int bars) : m_nBars(bars) {}
    int m_nBars;
};

// Sizes of the axis labels, measured with the chart font.
struct CAxisMetrics {
    int sampleWidth = 60;     // "000000000"
    int sampleHeight = 13;
    int internalLeading = 2;
    int ascent = 11;
    int textWidth = 60;       // the widest text of the price axes, at least the sample's
    int labelWidth = 62;      // the price axis' width
    int labelHeight = 24;     // the time axis' height
    int periodValue = 0;      // reset when the period kind changes
    // Widths of the lower- and upper-row samples, measured once per period kind.
    bool samplesMeasured = false;
    int lowerWidth = 0;
    int upperWidth = 0;

    // The height of one price label's row on the axis.
    int LabelRowHeight() const { return static_cast<int>(sampleHeight * 1.2); }
};

class CGraphsDoc : public CCommonDoc, public IPlotDocument {
public:
    CGraphsDoc();
    ~CGraphsDoc() override;

    // IPlotDocument.
    CString GetSymbol() const override { return m_symbol; }
    CString GetInterval() const override { return m_interval; }
    bool IsExtendedSession() const override { return m_bExtended != 0; }
    DWORD GetEndTimeAnchor() const override { return m_endTimeAnchor; }
    void SetEndTimeAnchor(DWORD feedTime) override { m_endTimeAnchor = feedTime; }
    DWORD GetFixedEndTime() const override { return m_fixedEndTime; }
    void SetFixedEndTime(DWORD feedTime) { m_fixedEndTime = feedTime; }
    int GetVisibleBarCount() const override { return m_nVisibleBars; }
    int GetScrollOffset() const override { return m_nScrollOffset; }
    double GetBarSpacing() const override { return m_barSpacing; }
    void SetChartTitle(const CString& title) override { SetTitle(title); }
    CPricePlot* GetBarSeries() const override { return m_pPricePlot; }
    void FitAxisText(int width) override;

    void SetSymbol(const CString& symbol) { m_symbol = symbol; }
    void SetInterval(const CString& interval) { m_interval = interval; }
    void SetExtendedSession(bool on) { m_bExtended = on ? 1 : 0; }
    void SetVisibleBarCount(int bars) { m_nVisibleBars = bars; }
    void SetScrollOffset(int offset) { m_nScrollOffset = offset; }
    void SetBarSpacing(double spacing) { m_barSpacing = spacing; }
    int GetDateRange() const { return m_nDateRange; }
    void SetDateRange(int range) { m_nDateRange = range; }
    void SetPricePlot(CPricePlot* plot) { m_pPricePlot = plot; }

    // Reads the interval's kind and label samples; resetSpacing returns the bar spacing
    // to 6.0. Every pane re-initialises (hint 3).
    BOOL SetIntervalKind(BOOL resetSpacing);
    int GetPeriodKind() const { return m_kind.periodKind; }
    int GetLabelStyle() const { return m_kind.labelStyle; }
    const CString& GetShortSample() const { return m_kind.shortSample; }
    const CString& GetLongSample() const { return m_kind.longSample; }

    // The chart font and the metrics measured with it (again after a font change).
    void MeasureAxisLabels();
    // After the settings' chart font changed: measures again and lays every pane out
    // anew.
    void ApplyChartFont();
    // Whether a text widened the price axes since the last call (the panes then lay
    // themselves out again).
    bool TakeAxisWidening() { return std::exchange(m_bAxisWidened, false); }
    CFont& GetChartFont() { return m_chartFont; }
    CAxisMetrics& GetMetrics() { return m_metrics; }
    const CAxisMetrics& GetMetrics() const { return m_metrics; }

    // Cursors: 130 pointer, 132 drag hand, one per drawing tool.
    HCURSOR GetCursorFor(UINT command) const;
    HCURSOR GetDragCursor() const;
    UINT GetToolCommand() const { return m_nToolCommand; }
    void SetToolCommand(UINT command) { m_nToolCommand = command; }

    bool IsDefaultLoaded() const { return m_bDefaultLoaded != 0; }
    void SetDefaultLoaded() { m_bDefaultLoaded = 1; }

    BOOL OnNewDocument() override;

private:
    CPricePlot* m_pPricePlot = nullptr;
    CString m_symbol;
    BYTE m_bExtended = 0;
    CString m_interval = "D";
    IntervalKind m_kind;
    double m_barSpacing = 6.0;
    int m_nVisibleBars = 0;
    int m_nScrollOffset = 0;
    int m_nDateRange = 0;
    DWORD m_endTimeAnchor = 0;
    DWORD m_fixedEndTime = 0;
    CAxisMetrics m_metrics;
    bool m_bAxisWidened = false;
    CFont m_chartFont;
    UINT m_nToolCommand = kCmdPointer;
    BYTE m_bDefaultLoaded = 0;
};

// Desktop width + 1 pixels (the most bars a chart can show at a time).
int GetMaxChartWidth();
