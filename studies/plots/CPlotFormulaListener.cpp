#include "studies/plots/CPlotFormulaListener.h"

#include "platform/ui/CMessageQueue.h"
#include "studies/plots/CPlotSeriesListener.h"
#include "studies/plots/PlotHost.h"

CPlotFormulaListener::CPlotFormulaListener(HWND pane, std::shared_ptr<CChartSignals> chartSignals, CStudyPlot* plot,
                                           CFormulaSeries* formula)
    : m_pane(pane), m_signals(std::move(chartSignals)), m_pPlot(plot), m_pFormula(formula)
{
}

void CPlotFormulaListener::OnValuesChanged(CPriceSeries* series, int mode, int first, int last)
{
    CFormulaSeries* formula = m_pFormula.load();
    if (!formula)
        return;
    if (mode != 0 && mode != 1)
        SignalChartDataChanged(m_pane, m_signals.get(), mode);
    int code = kFormulaResync;
    if (mode == 1)
        code = series ? kFormulaClearRange : kFormulaClearAll;
    PostMessage(m_pane, WM_CHART_FORMULA_RESULT, static_cast<WPARAM>(code), 0,
                MakePayload<CFormulaResultBlock>(CFormulaResultBlock{m_pPlot, formula, first, last}));
}
