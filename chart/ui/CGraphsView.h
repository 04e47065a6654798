// One pane of a chart: its plots (the price plot first in the price pane), the price
// axis with its labels and grid, the time axis, the title, the drawing tools and the
// cross-hair, painted off screen and copied in one block; and the mouse, wheel, keys,
// context menus and commands of the pane.
#pragma once

#include "chart/ui/CDrawingTool.h"
#include "chart/ui/CDrawingToolList.h"
#include "common/windows/IWorkspaceView.h"
#include "platform/core/CRect.h"
#include "platform/ui/CBitmap.h"
#include "platform/ui/CView.h"
#include "studies/plots/PlotHost.h"

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

class CBarDates;
class CChartController;
class CDrawingTool;
class CGraphsDoc;
class CPriceScale;
class CPriceSeries;
class CPricePlot;
class CStudyPlot;
class CWndMessage;

// Study plots a pane holds at most besides the price plot (its menus list each).
inline constexpr int kMaxPaneStudyPlots = 20;

class CGraphsView : public CView, public IPlotPane, public IWorkspaceView {
public:
    CGraphsView();
    ~CGraphsView() override;

    // Above and below the plot (more in a price pane that shows trade markers).
    static constexpr int kPlotMargin = 4;

    CGraphsDoc* GetGraphsDoc() const;
    CChartController* GetChart() const;

    // IPlotPane.
    HWND GetPaneHandle() const override { return m_hWnd; }
    IPlotChart* GetPlotChart() const override;

    // Plots. AddPlot gives the new plot's index, or -1 when the pane is full (the user
    // is told); the plot is initialised at once.
    int AddPlot(std::unique_ptr<CStudyPlot> plot);
    void RemovePlot(int index);
    int GetPlotCount() const { return static_cast<int>(m_plots.size()); }
    CStudyPlot* GetPlot(int index) const;
    int FindPlot(const CStudyPlot* plot) const;
    CPricePlot* GetPricePlot() const;
    // The pane's data plot: its first ready plot, else its last (title, label format).
    CStudyPlot* GetDataPlot() const;
    // The plot whose series lays out the bars: the chart's price plot, else the data plot.
    CStudyPlot* GetSeriesPlot() const;

    void SetPricePane(bool on) { m_bPricePane = on; }
    bool IsPricePane() const { return m_bPricePane; }
    // The bottom pane draws the time axis.
    void SetShowsTimeAxis(bool on);
    bool ShowsTimeAxis() const { return m_bTimeAxis; }
    bool IsTimeAxisSuppressed() const { return m_bTimeAxisSuppressed; }

    // Layout and painting.
    void RecalcLayout();
    // The document's axis metrics changed: the pane is laid out again and repainted.
    void OnMetricsChanged();
    void InitPlots(CStudyPlot* only = nullptr);
    bool IsInitialised() const { return m_bInitialised; }
    void ComputePriceRange();
    // The pane's picture: what OnDraw copies to the screen.
    void PaintTo(CDC* dc);
    const CRect& GetPlotRect() const { return m_plotRect; }
    const CRect& GetCrosshairRect() const { return m_crossRect; }
    double GetLowest() const { return m_lowest; }
    double GetHighest() const { return m_highest; }
    CPriceScale MakeScale() const;

    // Scale state.
    bool IsLogScale() const { return m_bLogScale; }
    void SetLogScale(bool on) { m_bLogScale = on; }
    bool IsAutoScale() const { return m_bAutoScale; }
    void SetAutoScale(bool on) { m_bAutoScale = on; }
    int GetZoom() const { return m_nZoom; }
    int GetPriceOffset() const { return m_nPriceOffset; }
    void SetPriceOffset(int offset) { m_nPriceOffset = offset; }
    void AddZoom(int steps);
    void ShiftPrices(bool up, bool fast);

    // Bars. A scroll that would take a series past kMostScrolledRecords records lays the
    // bars out afresh instead, ending at the bar it scrolls to (see ShowBarAt).
    static constexpr int kMostScrolledRecords = 100000;
    void ScrollBars(int amount);
    // Go to: the bar holding the time (between bars, the one before it) becomes the newest in
    // view, by a scroll where the series reach it within kMostScrolledRecords records, else
    // laid out afresh ending there.
    void ShowBarAt(DWORD feedTime);
    void FitBarsToWidth();
    void ChangeSpacing(double delta);
    void ResetScale();
    // Date range 1-8 (0 only stores Auto); intervalChange lets it move the interval.
    void ApplyDateRange(int index, bool intervalChange);
    void ChangeSymbolInterval(const CString& symbol, const CString& interval, bool extended);
    // What the trader chose on the chart itself (its prompt, its tabs, a date range that
    // steps the interval): applied, and in the
    // main window the tool bar's boxes take the chart's symbol and interval.
    void ApplyChosenSymbolInterval(const CString& symbol, const CString& interval, bool extended);

    // Drawing tools.
    CDrawingToolList& GetToolLists() { return m_tools; }
    std::vector<std::unique_ptr<CDrawingTool>>& CurrentTools() { return m_tools.Current(); }
    // Adds a tool to the current list, bound to the chart's price plot (bar times).
    CDrawingTool* AddTool(std::unique_ptr<CDrawingTool> tool);
    void RedrawTools();
    // The pixel geometry tools are drawn with.
    CToolGeometry GetToolGeometry() const;

    // Commands of the price pane routed by the chart (styles, thickness, scale, spacing).
    void OnPriceCommand(UINT id);
    void OnUpdatePriceCommand(CCmdUI* ui);
    void OnSymbolInterval();
    void OnDrawingTool(UINT id);
    // The trade ticket for Buy 0, Sell 1, Sell Short 2, Buy to Cover 3.
    void TradeFromChart(int action);

    // Printing, image export and the backtesting report of the chart. The commands
    // wait 500 ms on the interface thread (the menu closes and the chart repaints), then
    // print or capture the chart window.
    void OnPrintChart();
    void OnExportImage();
    // Prints the chart frame through the print dialog, or into a PDF file; false when
    // cancelled or failed (the user was told).
    bool PrintChart(const char* pdfPath = nullptr);
    // The chart window's own picture with a caption line below it, as a packed bitmap;
    // empty when there is none.
    std::vector<uint8_t> CaptureChartImage();
    // The save dialog, then the file; ExportChartImageTo writes the capture to a path
    // by its extension (".bmp" or ".png"), telling the user what failed.
    void ExportChartImage();
    bool ExportChartImageTo(const CString& path, const std::vector<uint8_t>& image);

    // The chart's record in workspaces: its symbol and layout.
    BOOL SaveToWorkspace(CArchive& ar) override;
    BOOL LoadFromWorkspace(CArchive& ar, DWORD version) override;

    void OnInitialUpdate() override;
    void OnUpdate(CView* sender, LPARAM hint, CUpdateHint* hintObject) override;
    void OnDraw(CDC* dc) override;
    BOOL OnCmdMsg(UINT id, UINT code, CCmdUI* ui) override;
    const CMessageMap& GetMessageMap() const override;

    // Mouse and keys (public for the tests that drive them).
    void OnLButtonDown(UINT flags, CPoint point) override;
    void OnLButtonUp(UINT flags, CPoint point) override;
    void OnMouseMove(UINT flags, CPoint point) override;
    void OnRButtonUp(UINT flags, CPoint point) override;
    BOOL OnMouseWheel(UINT flags, short delta, CPoint screenPoint) override;
    void OnKeyDown(UINT key, UINT repeat, UINT flags) override;
    void OnChar(UINT ch, UINT repeat, UINT flags) override;

    // The pane's context menu (built at run time) and the command it routes.
    void BuildContextMenu(CMenu& menu);
    void OnPaneCommand(UINT id);

protected:
    void OnSize(UINT type, int cx, int cy) override;
    void OnTimer(UINT_PTR id) override;
    BOOL OnEraseBkgnd(CDC* dc) override;
    void OnActivateView(BOOL activate, CView* activated, CView* deactivated) override;

private:
    LRESULT OnSetSymbolInterval(WPARAM group, LPARAM message);
    // ScrollBars when the series stay within kMostScrolledRecords records; false (nothing
    // done) otherwise.
    bool ScrollWithin(int amount);
    // Go to's scroll to the bar holding the time, within the bound.
    bool ScrollToTime(DWORD feedTime);
    // Every pane's series laid out afresh, the bar holding the time the newest and in view:
    // fixed histories ending there, or ending now (following live data) for a time not past.
    void LayOutEndingAt(DWORD feedTime);
    LRESULT OnFormulaResult(CWndMessage& message);
    // Everything but the tools and the cross-hair, which are drawn over it.
    void PaintBase(CDC* dc);
    // After a paint whose texts widened the chart's price axes: every pane lays itself out
    // again; true when this one is to paint once more.
    bool FitAxesToTexts();
    void PaintPriceAxis(CDC* dc, const CPriceScale& scale, CStudyPlot* data);
    void PaintTimeAxis(CDC* dc, CStudyPlot* data, const CBarDates& dates, bool gridOnly);
    void PaintBoundaries(CDC* dc, const CBarDates& dates, int first, int last, int style, bool text, int upperWidth);
    void PaintTools(CDC* dc, const CPriceScale& scale);
    void PaintCrosshair(CDC* dc);
    // The series the plots read, locked for a painting pass.
    std::vector<CPriceSeries*> PaintedSeries() const;
    void ShowOverlay(int hint);
    bool ToolBeingPlaced() const;
    CDrawingTool* SelectedTool() const;
    void HandleToolMenu(CDrawingTool* tool, CPoint screen);
    void OpenNoteSheets();
    int SnapX(int x) const;

    std::vector<std::unique_ptr<CStudyPlot>> m_plots;
    double m_lowest = 0;
    double m_highest = 10;
    bool m_bLogScale = false;
    int m_nZoom = 0;
    bool m_bAutoScale = true;
    int m_nPriceOffset = 0;
    CPoint m_dragAnchor;
    bool m_bPressedInPlot = false;
    bool m_bPressedAboveAxis = false;
    bool m_bInitialised = false;
    bool m_bPricePane = false;
    bool m_bTimeAxis = false;
    bool m_bTimeAxisSuppressed = false;
    bool m_bCaptured = false;
    CRect m_client;
    CRect m_plotRect;
    CRect m_crossRect;
    CBitmap m_base;     // plots and axes
    CBitmap m_bitmap;   // the base with tools and cross-hair, copied to the screen
    bool m_bRecreateBitmap = true;
    // Positions of the lower time-axis row of the last paint (period kind used).
    std::vector<int> m_lowerBars;
    int m_nPaintKind = 1;
    bool m_bPictureValid = false;
    CDrawingToolList m_tools;
    bool m_bWholeToolMove = false;
    bool m_bToolMoved = false;
    CPoint m_lastToolPoint;
    CPoint m_previousToolPoint;
    bool m_bHasPreviousToolPoint = false;
};
