// The picture of a trader's backtest for scripts/screenshot: the workstation logged in to
// an in-process test broker, a BackTesting window (kind 6) that has run two strategies
// over eight symbols on the broker's daily history, shown in summary mode with its
// Total row, saved as a PNG of the main frame.
//
//   qx_backtest_screenshot OUTPUT.png [DIALOG.png]
//
// With a second name the Strategy Setup dialog on the window's job is saved there too.
#include "analytics/series/ISeriesServices.h"
#include "app/shell/CMainFrame.h"
#include "backtest/StrategySetupInput.h"
#include "backtest/ui/BacktestUiIds.h"
#include "backtest/ui/CBackTestView.h"
#include "broker/core/FeedTime.h"
#include "platform/ui/CDialog.h"
#include "scripts/screenshot-support/CScreenshotWorkstation.h"

#include <QApplication>
#include <QPixmap>
#include <QTimer>
#include <QWidget>

#include <cstdio>

namespace {

CStrategyDefinition Strategy(const char* name, const char* entry, const char* exit, const char* entryAction,
                             const char* exitAction)
{
    CStrategyDefinition s;
    s.m_name = name;
    const bool isLong = CString(entryAction) == "Buy";
    s.m_entryName = isLong ? "Fast over slow" : "Fast under slow";
    s.m_exitName = isLong ? "Fast under slow" : "Fast over slow";
    s.m_entryExpression = entry;
    s.m_exitExpression = exit;
    s.m_nEntryQuantity = 10000;
    s.m_entryFlag = kAmountFlag;
    s.m_entryAction = entryAction;
    s.m_exitAction = exitAction;
    s.m_interval = "D";
    s.m_entryPriceType = "Close";
    s.m_exitPriceType = "Close";
    return s;
}

// Two strategies, long and short, over eight symbols and the last year of daily bars.
CStrategySetup ScreenshotJob()
{
    const CTime now = GetSeriesServices().GetExchangeTime();
    CStrategySetup job = DefaultStrategyJob(now);
    const CTime yearAgo = now - CTimeSpan(365, 0, 0, 0);
    job.m_startTime = DateTimeToFeedTime(yearAgo.GetYear(), yearAgo.GetMonth(), yearAgo.GetDay(), 0, 0, 0);
    job.m_symbols = "IBM MSFT AAPL INTC CSCO GE KO XOM";
    job.m_comission = 4.95;
    job.m_nExitAtEnd = 1;
    job.AddStrategy(Strategy("MA Cross Long", "MovingAverage[MA,Close,10,0,D]>MovingAverage[MA,Close,30,0,D]",
                             "MovingAverage[MA,Close,10,0,D]<MovingAverage[MA,Close,30,0,D]", "Buy", "Sell"));
    job.AddStrategy(Strategy("MA Cross Short", "MovingAverage[MA,Close,10,0,D]<MovingAverage[MA,Close,30,0,D]",
                             "MovingAverage[MA,Close,10,0,D]>MovingAverage[MA,Close,30,0,D]", "Sell Short",
                             "Buy to Cover"));
    return job;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: qx_backtest_screenshot OUTPUT.png\n");
        return 2;
    }
    QApplication application(argc, argv);
    int result = 1;
    {
        CScreenshotWorkstation workstation("qx_backtest_screenshot");
        if (!workstation.Start({"--open-kinds", "6"}))
            return 1;
        CMainFrame* frame = workstation.Frame();
        CBackTestView* view = workstation.FindView<CBackTestView>();
        bool ended = false;
        if (view) {
            MaximizeWindowOf(*view);
            auto job = std::make_shared<CStrategySetup>(ScreenshotJob());
            view->StartJob(job);
            ended = PumpUntil([&] { return !view->IsRunning(); }, 120000);
            PumpUntil([] { return false; }, 300);
            view->SetMode(kSummaryMode);
            view->ToggleTotal();
            PumpUntil([] { return false; }, 800);
        } else {
            std::fprintf(stderr, "qx_backtest_screenshot: no backtest window opened\n");
        }
        const QPixmap picture = frame->GetOuterWidget()->grab();
        result = ended && picture.save(argv[1], "PNG") ? 0 : 1;
        // With a second name: the Strategy Setup dialog on the window's job.
        if (view && argc > 2) {
            const QString dialogOutput = argv[2];
            QTimer::singleShot(500, [dialogOutput] {
                if (QWidget* dialog = QApplication::activeModalWidget()) {
                    dialog->grab().save(dialogOutput, "PNG");
                    if (auto* wnd = dynamic_cast<CDialog*>(CWnd::FromWidget(dialog)))
                        wnd->EndDialog(IDCANCEL);
                }
            });
            view->OpenStrategySetup(CString());
        }
    }
    if (result == 0)
        std::printf("%s\n", argv[1]);
    return result;
}
