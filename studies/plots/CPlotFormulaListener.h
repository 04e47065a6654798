// The callback of a plot's compiled formula (custom studies and colour bars): every
// change of the formula's inputs posts a block to the pane, which clears or moves the
// formula's cache on the interface thread. Owned by the formula's subscription.
#pragma once

#include "analytics/series/CSeriesListener.h"
#include "platform/ui/HWND.h"

#include <atomic>
#include <memory>

class CFormulaSeries;
class CStudyPlot;
struct CChartSignals;

// What WM_CHART_FORMULA_RESULT carries; the code travels as wParam.
struct CFormulaResultBlock {
    CStudyPlot* plot = nullptr;
    CFormulaSeries* formula = nullptr;
    int from = 0;
    int to = 0;
};

enum EFormulaResultCode : int {
    kFormulaClearRange = 0,
    kFormulaClearAll = 1,
    kFormulaResync = 2,
};

class CPlotFormulaListener : public CSeriesListener {
public:
    CPlotFormulaListener(HWND pane, std::shared_ptr<CChartSignals> chartSignals, CStudyPlot* plot, CFormulaSeries* formula);

    // A series input changed (series set), or a quote, the timer or a book (series null).
    void OnValuesChanged(CPriceSeries* series, int mode, int first, int last) override;
    void OnDataStateChanged(CPriceSeries*) override {}

    // The plot lets go of its formula: no block names it any more.
    void DetachFormula() { m_pFormula.store(nullptr); }

private:
    HWND m_pane;
    std::shared_ptr<CChartSignals> m_signals;
    CStudyPlot* m_pPlot;
    std::atomic<CFormulaSeries*> m_pFormula;
};
