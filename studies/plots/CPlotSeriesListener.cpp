#include "studies/plots/CPlotSeriesListener.h"

#include "platform/ui/CMessageQueue.h"
#include "studies/plots/PlotHost.h"

bool SignalChartDataChanged(HWND pane, CChartSignals* chartSignals, int mode)
{
    if (!chartSignals || !IsWindow(pane))
        return false;
    if (mode == 1)
        chartSignals->trackingRefresh.store(true);
    chartSignals->redraw.store(true);
    return true;
}

CPlotSeriesListener::CPlotSeriesListener(HWND pane, std::shared_ptr<CChartSignals> chartSignals, bool pricePlot)
    : m_pane(pane), m_signals(std::move(chartSignals)), m_bPricePlot(pricePlot)
{
}

void CPlotSeriesListener::OnValuesChanged(CPriceSeries*, int mode, int, int)
{
    SignalChartDataChanged(m_pane, m_signals.get(), mode);
}

void CPlotSeriesListener::OnDataStateChanged(CPriceSeries*)
{
    if (!m_bPricePlot || !m_signals || !IsWindow(m_pane))
        return;
    const HWND frame = m_signals->Frame();
    if (frame)
        PostMessage(frame, WM_CHART_DATA_ARRIVED, 0, 0);
}
