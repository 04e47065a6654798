// The series listener of a plot: wakes the chart when the plot's values change, and for
// the price plot tells the chart frame that its data arrived. Called on the thread that
// delivers the data; it only sets flags and posts messages.
#pragma once

#include "analytics/series/CSeriesListener.h"
#include "platform/ui/HWND.h"

#include <memory>

struct CChartSignals;

class CPlotSeriesListener : public CSeriesListener {
public:
    CPlotSeriesListener(HWND pane, std::shared_ptr<CChartSignals> chartSignals, bool pricePlot);

    void OnValuesChanged(CPriceSeries* series, int mode, int first, int last) override;
    void OnDataStateChanged(CPriceSeries* series) override;

    bool IsPricePlot() const { return m_bPricePlot; }

private:
    HWND m_pane;
    std::shared_ptr<CChartSignals> m_signals;
    bool m_bPricePlot;
};

// What the data-changed callback does for any listener of a chart: sets the redraw flag
// (and for changed ranges the tracking-refresh flag) while the pane exists. False when
// the pane is gone.
bool SignalChartDataChanged(HWND pane, CChartSignals* chartSignals, int mode);
