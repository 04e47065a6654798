// The model of one chart window: its studies and the panes they are drawn in (up to 16
// views in a splitter; pane 0 shows the price bars), the study commands, the 250 ms
// timers that turn data changes into repaints, and the drawing-tool lists of the panes.
// Each chart frame owns one.
#pragma once

#include "studies/plots/PlotHost.h"
#include "studies/ui/CStudyManagerDlg.h"

#include "platform/core/CString.h"
#include "platform/ui/WinUser.h"

#include <memory>
#include <vector>

class CCmdUI;
class CCreateContext;
class CFrameWnd;
class CGraphsDoc;
class CGraphsView;
class CPaneSplitterWnd;
class CStudyDefinition;
class CWnd;

// Timers of the chart frame.
inline constexpr UINT_PTR kTimerTracking = 1977;
inline constexpr UINT_PTR kTimerRedraw = 1978;
inline constexpr int kMaxChartPanes = 16;

// Frame messages of the chart's panes.
inline constexpr UINT WM_CHART_EDIT_STUDY = WM_APP + 9;    // lParam the study
inline constexpr UINT WM_CHART_DELETE_STUDY = WM_APP + 10; // lParam the study
inline constexpr UINT WM_CHART_ADD_TO_PANE = WM_APP + 11;  // the request as payload

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
    // horizontal line).
    bool IsCrosshairOn() const { return m_bCrosshair; }
    void SetCrosshair(bool on) { m_bCrosshair = on; }
    int m_nCrosshairBar = 0;
    int m_nCrosshairRow = -1;
    CGraphsView* m_pCrosshairPane = nullptr;
    // Set when studies or panes changed.
    bool m_bRecalc = true;

    // The trades of the chart's last backtest and its equity, for the price plot's
    // markers and the equity curves.
    void SetBacktestResults(std::vector<CBacktestMarker> markers, const CEquityRecordArray* equity);

    // IPlotChart.
    const std::vector<CBacktestMarker>& GetTradeMarkers() const override { return m_markers; }
    const CEquityRecordArray* GetEquityRecords() const override { return m_pEquity; }
    bool IsBacktestRunning() const override { return false; }
    HWND GetFrameHandle() const override;
    std::shared_ptr<CChartSignals> GetSignals() const override { return m_signals; }

private:
    CGraphsView* InsertPane(int index);
    void RemovePane(int index);
    void MarkBottomPane();
    // Runs the study's settings dialog; true unless it was cancelled.
    bool RunSettings(CStudyDefinition& study);
    // A new study of the type (with the custom row for 188); null when none.
    std::unique_ptr<CStudyDefinition> MakeStudy(int typeId, int customIndex);
    bool RefusedForPaneLimit(const CStudyDefinition& study, bool tell);
    void OnUpdateCustomStudies(CCmdUI* ui);

    CFrameWnd* m_pFrame;
    std::vector<std::unique_ptr<CStudyDefinition>> m_studies;
    std::unique_ptr<CPaneSplitterWnd> m_pSplitter;
    std::shared_ptr<CChartSignals> m_signals = std::make_shared<CChartSignals>();
    bool m_bCrosshair = false;
    bool m_bTrackingShown = false;
    std::vector<CBacktestMarker> m_markers;
    const CEquityRecordArray* m_pEquity = nullptr;
};

// The controller of a chart frame (MDI or floating), or null for any other window.
CChartController* GetChartController(const CWnd* window);
