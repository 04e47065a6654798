// The model of one chart window: its studies and the panes they are drawn in (up to 16
// views in a splitter; pane 0 shows the price bars), the study commands, the 250 ms
// timers that turn data changes into repaints, and the drawing-tool lists of the panes.
// Each chart frame owns one.
#pragma once

#include "backtest/BackTestContext.h"
#include "chart/CChartLayout.h"
#include "chart/ChartBacktest.h"
#include "studies/plots/PlotHost.h"
#include "studies/ui/CStudyManagerDlg.h"

#include "platform/core/CString.h"
#include "platform/ui/WinUser.h"

#include <array>
#include <memory>
#include <vector>

class CArchive;
class CCmdUI;
class CCreateContext;
class CFloatingWnd;
class CFrameWnd;
class CGraphsDoc;
class CGraphsView;
class CPaneSplitterWnd;
class CPriceSeries;
class CSheetsWnd;
class CSnapshotFieldPanel;
class CStrategySetup;
class CView;
class CStudyDefinition;
class CTrackingFieldPanel;
class CWnd;
class QObject;
class QWidget;
class QWindow;

// Timers of the chart frame.
inline constexpr UINT_PTR kTimerTracking = 1977;
inline constexpr UINT_PTR kTimerRedraw = 1978;
inline constexpr int kMaxChartPanes = 16;

// Frame messages of the chart's panes.
inline constexpr UINT WM_CHART_EDIT_STUDY = WM_APP + 9;    // lParam the study
inline constexpr UINT WM_CHART_DELETE_STUDY = WM_APP + 10; // lParam the study
inline constexpr UINT WM_CHART_ADD_TO_PANE = WM_APP + 11;  // the request as payload
inline constexpr UINT WM_CHART_CROSSHAIR_TIME = WM_APP + 15; // wParam a feed time

// What WM_CHART_ADD_TO_PANE carries.
struct CAddToPaneRequest {
    int typeId = 0;
    int customIndex = -1;
    HWND pane;
};

class CChartController : public IPlotChart, public IStudyPanes {
public:
    explicit CChartController(CFrameWnd* frame);
    ~CChartController() override;
    CChartController(const CChartController&) = delete;
    CChartController& operator=(const CChartController&) = delete;

    // The splitter and the price pane (from the frame's OnCreateClient), then the price
    // plot and the redraw timer.
    BOOL OnCreateClient(CCreateContext* context);
    void OnCreate();
    void OnDestroy();
    // True for the chart's own timers.
    bool OnTimer(UINT_PTR id);
    // Commands and their update handlers; true when handled.
    bool OnCmdMsg(UINT id, UINT code, CCmdUI* ui);
    // The frame the chart lives in (changes when the window is detached or attached).
    void SetFrame(CFrameWnd* frame);
    CFrameWnd* GetFrame() const { return m_pFrame; }
    CGraphsDoc* GetDocument() const;

    // Studies.
    // Places study `index` into its pane (a new one when needed). False when the pane
    // limit refused it: the study was deleted and taken out of the array.
    bool PlaceStudy(int index);
    // Returns the new study count.
    int RemoveStudy(int index, bool collapse);
    void AddStudyById(int typeId, int customIndex);
    void AddStudy(std::unique_ptr<CStudyDefinition> study);
    void RemoveAllStudies();
    void OnStudyManager();
    // "Color Bars Setup": the price plot's colour-bar rules edited; a changed set is
    // handed to the price plot on OK.
    void OnColorBarSetup();
    // "Custom Study Wizard": the column wizard on the custom studies.
    void OnCustomStudyWizard();
    // 0 done, 1 nothing done, -1 the study is not on the chart.
    LRESULT EditStudy(CStudyDefinition* study);
    LRESULT DeleteStudy(CStudyDefinition* study);
    LRESULT AddStudyToPane(const CAddToPaneRequest& request);
    int FindStudy(const CStudyDefinition* study) const;
    bool UsesSeparatePane(const CStudyDefinition& study) const override;
    int GetStudyCount() const { return static_cast<int>(m_studies.size()); }
    CStudyDefinition* GetStudy(int index) const;
    void RefreshData();

    // Panes.
    int GetPaneCount() const;
    CGraphsView* GetPane(int index) const;
    CGraphsView* GetPricePane() const { return GetPane(0); }
    int FindPane(const CGraphsView* view) const;
    CPaneSplitterWnd* GetSplitter() const { return m_pSplitter.get(); }

    // Drawing tools: every pane selects its list of the symbol (clearing all first when
    // asked).
    void SelectDrawingLists(bool clear);

    // Cross-hair of the chart (drawn by every pane; the pane under the mouse draws the
    // horizontal line). Charts whose cross-hair is on form the cross-hair group: moving
    // it in one moves it to the same time in the others.
    bool IsCrosshairOn() const { return m_bCrosshair; }
    // Flips the cross-hair and joins or leaves the group; the new state.
    bool ToggleCrosshairs();
    // The charts whose cross-hair is on (interface thread).
    static const std::vector<CChartController*>& CrosshairGroup();
    // Posts the time of the cross-hair bar to the other charts of the group.
    void BroadcastCrosshair();
    // A cross-hair time from another chart (WM_CHART_CROSSHAIR_TIME): 0, or -1 when the
    // chart has no bar at that time.
    LRESULT OnCrosshairTime(DWORD feedTime);
    int m_nCrosshairBar = 0;
    int m_nCrosshairRow = -1;
    CGraphsView* m_pCrosshairPane = nullptr;
    // Set when studies or panes changed.
    bool m_bRecalc = true;

    // The panes were scrolled: scrolled back from the newest bar they stay on the bars
    // they show while live records come in (the plots' series keep their oldest records
    // then); at the newest bar they move on with the new ones.
    void OnBarsScrolled();

    // Side windows: the Tracking Window (values of every pane at the cursor) and the
    // Snapshot Window (the quote of the chart's symbol). Both follow the frame.
    void ShowTrackingWindow(bool show);
    bool IsTrackingShown() const { return m_bTrackingShown; }
    void ToggleSnapshotWindow();
    bool HasSnapshotWindow() const { return m_pSnapshot != nullptr; }
    CTrackingFieldPanel* GetTrackingPanel() const { return m_pTracking.get(); }
    CSnapshotFieldPanel* GetSnapshotPanel() const { return m_pSnapshot.get(); }
    void SetSnapshotSymbol(const CString& symbol);
    // The tracking rows again (the values at the cursor, or none when clearing).
    void UpdateTrackingRows(bool clear);
    // The bar from which "# Bars" counts (the Tracking Window's opening bar at first).
    void SetTrackingAnchor(int bar) { m_nTrackingAnchor = bar; }
    // After the global fonts or colours changed.
    void RefreshSideWindows();
    // The frame moved, was activated, minimized or restored. The side windows move with the
    // frame and keep where the user dragged them. An MDI frame's activation brings them
    // forward without moving them, once the main window is the active one; a floating
    // frame's side windows are top-most only while it is the active window.
    void OnFrameMoved();
    void OnFrameActivated(bool active);
    void OnFloatingFrameActivated(bool active);
    // The side windows are shown while the chart is: not minimized (nor the main window)
    // and, in the main window, the MDI window in front. Hidden otherwise.
    void ShowSideWindowsWithChart();
    // A window of the application took the focus: a dialog of a floating chart is raised
    // over the chart's side windows.
    void OnWindowFocused(QWindow* focused);

    // Tab strips along the frame: the chart's symbols and its intervals; a tab chosen
    // applies its symbol or interval.
    void SetTabWindow(bool show);
    bool IsTabWindowOn() const { return m_bTabWindow; }
    void SelectTabs(const CString& symbol, const CString& interval);
    CSheetsWnd* GetTabStrip(int index) const;

    // Layouts: the body of ".chl" files, the workspace record and the chart copy.
    // Writing gathers the chart into a layout; reading applies one only when it was read
    // whole (otherwise the user is told and the chart stays as it was).
    CChartLayout BuildLayout() const;
    void ApplyLayout(CChartLayout&& layout);
    bool WriteLayoutBody(CArchive& ar) const;
    bool StoreLayout(CArchive& ar) const;
    bool LoadLayout(CArchive& ar, const CString& source = CString());
    bool SaveLayoutFile(const CString& path) const;
    // quietWhenMissing: a file that is not there is no error (the default layout).
    bool LoadLayoutFile(const CString& path, bool quietWhenMissing = false);
    // "Sa&ve Layout...", "&Load Layout...", "S&et Layout as Default".
    void OnSaveLayout();
    void OnLoadLayout();
    void OnSetLayoutAsDefault();
    // The user's default layout, read once per document by the first pane.
    void LoadDefaultLayout();
    static CString DefaultLayoutPath();

    // The chart's backtest: the strategy it tests (null when none) runs on the chart's
    // symbol and interval whenever they change; the worker posts its fills to the frame
    // (WM_APP+4 started, +2 a fill, +5 ended, +17 a problem).
    const CStrategySetup* GetStrategySetup() const { return m_pStrategy.get(); }
    // Replaces the strategy (null: none) and runs it on the chart.
    void SetStrategySetup(std::unique_ptr<CStrategySetup> setup);
    // Stops a running test first; without a strategy only clears the last results.
    void StartBacktest(const CString& symbol, const CString& interval);
    void StopBacktest();
    const CChartBacktest& GetBacktest() const { return m_backtest; }
    BackTestContext& GetBacktestContext() { return m_backtestContext; }
    // "S&trategy Setup...": the dialog on the chart's strategy; on OK a new run.
    void OnStrategySetup();
    // "Backtesting &Report": the strategy run on the chart's symbol and interval in a new
    // BackTesting window (floating with a floating chart); its view, or null.
    CView* OnBacktestReport();
    // The worker's messages; those of a run before the current one are dropped.
    LRESULT OnBacktestStarted(WPARAM run);
    LRESULT OnBacktestFill(WPARAM run, std::unique_ptr<BackTestEntry> fill);
    LRESULT OnBacktestEnded(WPARAM run);
    void OnBacktestProblem(WPARAM run, const CString& text);

    // IPlotChart.
    const std::vector<CBacktestMarker>& GetTradeMarkers() const override { return m_backtest.GetMarkers(); }
    const CEquityRecordArray* GetEquityRecords() const override { return m_backtest.GetEquity(); }
    bool IsBacktestRunning() const override { return m_backtestContext.IsRunning(); }
    HWND GetFrameHandle() const override;
    std::shared_ptr<CChartSignals> GetSignals() const override { return m_signals; }

private:
    friend class CChartTabStrip;
    friend class CChartFrameWatcher;
    CGraphsView* InsertPane(int index);
    // The height a new pane needs to show its price labels.
    int ReadablePaneHeight() const;
    void RemovePane(int index);
    void MarkBottomPane();
    // Runs the study's settings dialog; true unless it was cancelled.
    bool RunSettings(CStudyDefinition& study);
    // A new study of the type (with the custom row for 188); null when none.
    std::unique_ptr<CStudyDefinition> MakeStudy(int typeId, int customIndex);
    bool RefusedForPaneLimit(const CStudyDefinition& study, bool tell);
    void OnUpdateCustomStudies(CCmdUI* ui);
    void SetCrosshairMember(bool on);
    // Moves the Tracking Window off the Snapshot Window when their window frames overlap;
    // opened before the window manager framed either, again once it has.
    void SeparateSideWindows();
    void OnSideWindowExposed();
    // The window that owns the side windows: a floating frame, else the main window.
    CWnd* SideWindowOwner() const;
    bool IsFloatingFrame() const;
    // The Tracking and Snapshot Windows, null where not open.
    std::array<CFloatingWnd*, 2> SideWindows() const;
    // Whether the trader sees the chart: see ShowSideWindowsWithChart.
    bool IsChartInFront() const;
    // Brings the side windows to the top while their owner window is the active one.
    void RaiseSideWindows();
    void CreateTabStrips();
    void OnTabChosen(int strip, int index);
    void WatchFrame();
    // Every Equity Curve study reads the equity (null: none).
    void FeedEquity(const CEquityRecordArray* equity);
    void AfterBacktestChange();
    // Tells the user why a layout could not be read.
    void TellLayoutError(ELayoutError error, DWORD version, const CString& source) const;
    // Before a repaint: the scroll offset of a chart scrolled back moves by the records
    // that came in live since the last one, so its bars stay in view.
    void FollowLiveRecords();
    // On a timer tick after one without scrolling: every plot asks history for the bars it
    // scrolled in and shows now, so that a chart scrolled on key after key asks for none it
    // passes.
    void AskShownBars();

    CFrameWnd* m_pFrame;
    std::vector<std::unique_ptr<CStudyDefinition>> m_studies;
    std::unique_ptr<CPaneSplitterWnd> m_pSplitter;
    std::shared_ptr<CChartSignals> m_signals = std::make_shared<CChartSignals>();
    bool m_bCrosshair = false;
    bool m_bTrackingShown = false;
    int m_nTrackingAnchor = 0;
    std::unique_ptr<CTrackingFieldPanel> m_pTracking;
    std::unique_ptr<CSnapshotFieldPanel> m_pSnapshot;
    bool m_bSeparateWhenFramed = false;
    bool m_bTabWindow = true;
    std::unique_ptr<CSheetsWnd> m_pTabs[2];
    std::unique_ptr<CWnd> m_pTabBar;
    bool m_bTabBarPlaced = false;
    // The price series whose live records FollowLiveRecords counts, and their count.
    const CPriceSeries* m_pFollowed = nullptr;
    int m_nLiveAppends = 0;
    // Scrolled since the last timer tick.
    bool m_bScrolled = false;
    // The pane fractions the last layout gave the splitter.
    std::vector<double> m_appliedProportions;
    std::unique_ptr<QObject> m_pFrameWatcher;
    std::unique_ptr<CStrategySetup> m_pStrategy;
    CChartBacktest m_backtest;
    // The sink outlives the worker: the context (declared after it) stops it first.
    std::unique_ptr<IBackTestSink> m_pBacktestSink;
    WPARAM m_nBacktestRun = 0;
    BackTestContext m_backtestContext;
};

// The controller of a chart frame (MDI or floating), or null for any other window.
CChartController* GetChartController(const CWnd* window);
