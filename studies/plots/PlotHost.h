// What the plots of a chart use of the chart around them: its document (symbol,
// interval, visible bars), its controller (backtest markers, change flags, frame) and
// the pane that shows them. The chart windows implement these interfaces.
#pragma once

#include "analytics/studies/CEquityRecord.h"
#include "platform/core/CString.h"
#include "platform/core/WinTypes.h"
#include "platform/ui/HWND.h"

#include <atomic>
#include <memory>
#include <vector>

class CPricePlot;

// A trade of the chart's last backtest, as the price plot marks it.
struct CBacktestMarker {
    DWORD time = 0;  // feed time
    int kind = 0;    // 0 Buy, 1 Buy to cover, 2 Sell, 3 Sell short
};

// Flags the plots' listeners set from the data side (any thread); the chart's timers
// turn them into repaints on the interface thread.
struct CChartSignals {
    std::atomic<bool> redraw{true};
    std::atomic<bool> trackingRefresh{true};
    std::atomic<uint64_t> frame{0};  // the chart frame's window handle

    HWND Frame() const { return HWND::FromValue(frame.load()); }
};

class IPlotDocument {
public:
    virtual ~IPlotDocument() = default;
    virtual CString GetSymbol() const = 0;
    virtual CString GetInterval() const = 0;
    virtual bool IsExtendedSession() const = 0;
    // Feed time of the chart's newest bar when it was first loaded; 0 before.
    virtual DWORD GetEndTimeAnchor() const = 0;
    virtual void SetEndTimeAnchor(DWORD feedTime) = 0;
    // Feed time the chart's bars end at when they were laid out for a time long past: its
    // series are then fixed histories ending there. 0 while they end now.
    virtual DWORD GetFixedEndTime() const { return 0; }
    virtual int GetVisibleBarCount() const = 0;
    virtual int GetScrollOffset() const = 0;
    virtual double GetBarSpacing() const = 0;
    virtual void SetChartTitle(const CString& title) = 0;
    // The chart's price plot (pane 0), or null.
    virtual CPricePlot* GetBarSeries() const = 0;
    // A text drawn on the price axis, this many pixels wide: the axes of the chart widen
    // to show it whole.
    virtual void FitAxisText(int /*width*/) {}
};

class IPlotChart {
public:
    virtual ~IPlotChart() = default;
    // Sorted by time.
    virtual const std::vector<CBacktestMarker>& GetTradeMarkers() const = 0;
    // Equity of the last backtest, for equity curves (null when none).
    virtual const CEquityRecordArray* GetEquityRecords() const = 0;
    virtual bool IsBacktestRunning() const = 0;
    // The chart frame (null without one); its caption shows the title.
    virtual HWND GetFrameHandle() const = 0;
    virtual std::shared_ptr<CChartSignals> GetSignals() const = 0;
};

class IPlotPane {
public:
    virtual ~IPlotPane() = default;
    virtual HWND GetPaneHandle() const = 0;
    virtual IPlotChart* GetPlotChart() const = 0;
};

// Window messages of the chart: data of the price series arrived (to the frame); a
// formula result for a pane (wParam the kind, the block with the message).
inline constexpr UINT WM_CHART_DATA_ARRIVED = WM_APP + 16;
inline constexpr UINT WM_CHART_FORMULA_RESULT = WM_APP + 12;
