// The chart's own backtest: the strategy it tests, the worker run on the chart's symbol
// and interval, the fills it posts to the frame, the trade markers and the equity the
// Equity Curve studies draw; the Strategy Setup dialog and the Backtesting Report.
#include "chart/ui/CChartController.h"

#include "analytics/series/CPriceSeries.h"
#include "backtest/CStrategySetup.h"
#include "backtest/ui/CBackTestView.h"
#include "backtest/ui/CStrategySetupDlg.h"
#include "chart/ui/CGraphsDoc.h"
#include "chart/ui/CGraphsView.h"
#include "common/windows/IWorkstationFrame.h"
#include "common/windows/ShellIds.h"
#include "platform/ui/CDocument.h"
#include "platform/ui/CFrameWnd.h"
#include "platform/ui/CMessageQueue.h"
#include "platform/ui/CSdiChildFrame.h"
#include "studies/CStudyDefinition.h"
#include "studies/plots/CPricePlot.h"

namespace {

// Posts the worker's records, with the number of their run, to whatever frame the chart
// has when they come; progress and groups the chart does not show.
class CChartBacktestSink : public IBackTestSink {
public:
    CChartBacktestSink(std::shared_ptr<CChartSignals> chartSignals, WPARAM run)
        : m_signals(std::move(chartSignals)), m_run(run) {}

    void OnRunStarted(std::shared_ptr<const CStrategySetup>) override
    {
        PostMessage(m_signals->Frame(), WM_BACKTEST_STARTED, m_run);
    }
    void OnTrade(std::unique_ptr<BackTestEntry> entry) override
    {
        PostMessage(m_signals->Frame(), WM_BACKTEST_TRADE, m_run, 0,
                    MakePayload<std::unique_ptr<BackTestEntry>>(std::move(entry)));
    }
    void OnGroup(std::unique_ptr<EntryGroup>) override {}
    void OnProgress() override {}
    void OnProblem(const CString& text) override
    {
        PostMessage(m_signals->Frame(), WM_BACKTEST_PROBLEM, m_run, 0, MakePayload<CString>(text));
    }
    void OnRunEnded() override { PostMessage(m_signals->Frame(), WM_BACKTEST_ENDED, m_run); }

private:
    const std::shared_ptr<CChartSignals> m_signals;
    const WPARAM m_run;
};

// The job of one run: the strategy on the chart's symbol at the chart's interval.
std::shared_ptr<CStrategySetup> ChartJob(const CStrategySetup& setup, const CString& symbol, const CString& interval)
{
    auto job = std::make_shared<CStrategySetup>(setup);
    job->m_symbols = symbol;
    for (int i = 0; i < job->GetStrategyCount(); ++i)
        job->GetStrategy(i).m_interval = interval;
    return job;
}

} // namespace

void CChartController::SetStrategySetup(std::unique_ptr<CStrategySetup> setup)
{
    StopBacktest();
    m_pStrategy = std::move(setup);
    CGraphsDoc* doc = GetDocument();
    StartBacktest(doc ? doc->GetSymbol() : CString(), doc ? doc->GetInterval() : CString());
}

void CChartController::StopBacktest()
{
    CancelBackTest(m_backtestContext);
}

void CChartController::StartBacktest(const CString& symbol, const CString& interval)
{
    StopBacktest();
    // What an earlier run posted and the chart has not handled yet is dropped.
    ++m_nBacktestRun;
    if (!m_pStrategy || symbol.IsEmpty() || interval.IsEmpty()) {
        OnBacktestStarted(m_nBacktestRun);
        return;
    }
    m_pBacktestSink = std::make_unique<CChartBacktestSink>(m_signals, m_nBacktestRun);
    m_backtestContext.m_pSink = m_pBacktestSink.get();
    StartBackTest(m_backtestContext, ChartJob(*m_pStrategy, symbol, interval));
    AfterBacktestChange();
}

void CChartController::FeedEquity(const CEquityRecordArray* equity)
{
    for (const auto& study : m_studies)
        if (study->GetTypeId() == kStudyEquityCurve && study->GetPlotIndex() >= 0)
            if (CGraphsView* pane = GetPane(study->GetPaneIndex()))
                if (CStudyPlot* plot = pane->GetPlot(study->GetPlotIndex()); plot && plot->GetPriceSeries()) {
                    plot->GetPriceSeries()->SetEquityValue(equity);
                    pane->Invalidate(TRUE);
                }
}

void CChartController::AfterBacktestChange()
{
    if (CGraphsView* price = GetPricePane()) {
        price->RecalcLayout();
        price->Invalidate(FALSE);
        if (CPricePlot* plot = price->GetPricePlot())
            plot->UpdateTitle();
    }
    m_signals->redraw.store(true);
}

LRESULT CChartController::OnBacktestStarted(WPARAM run)
{
    if (run != m_nBacktestRun)
        return 0;
    // The series let go of the records before they go.
    FeedEquity(nullptr);
    m_backtest.Reset();
    AfterBacktestChange();
    return 0;
}

LRESULT CChartController::OnBacktestFill(WPARAM run, std::unique_ptr<BackTestEntry> fill)
{
    if (run != m_nBacktestRun)
        return 0;
    m_backtest.AddFill(std::move(fill));
    return 0;
}

LRESULT CChartController::OnBacktestEnded(WPARAM run)
{
    if (run != m_nBacktestRun)
        return 0;
    FeedEquity(nullptr);
    m_backtest.Finish();
    FeedEquity(m_backtest.GetEquity());
    AfterBacktestChange();
    return 0;
}

void CChartController::OnBacktestProblem(WPARAM run, const CString& text)
{
    if (run != m_nBacktestRun)
        return;
    if (IWorkstationFrame* main = GetWorkstationFrame())
        main->SetMessageText(text);
}

void CChartController::OnStrategySetup()
{
    CGraphsDoc* doc = GetDocument();
    if (!doc)
        return;
    CStrategySetupDlg dialog(m_pStrategy.get(), true, m_pFrame);
    if (dialog.DoModal() != IDOK)
        return;
    SetStrategySetup(dialog.TakeJob());
}

CView* CChartController::OnBacktestReport()
{
    if (!m_pStrategy)
        OnStrategySetup();
    CGraphsDoc* doc = GetDocument();
    IWorkstationFrame* main = GetWorkstationFrame();
    if (!m_pStrategy || !doc || !main)
        return nullptr;
    const bool floating = dynamic_cast<CSdiChildFrame*>(m_pFrame) != nullptr;
    CDocument* report = main->OpenWindowOfKind(kKindBackTesting, floating);
    auto* view = report ? dynamic_cast<CBackTestView*>(report->GetFirstView()) : nullptr;
    if (!view)
        return nullptr;
    view->StartJob(ChartJob(*m_pStrategy, doc->GetSymbol(), doc->GetInterval()));
    return view;
}
