// The picture of a trader's chart for scripts/screenshot: the workstation logged in to
// an in-process test broker, window kind 2 for IBM with candles, Bollinger Bands, a
// Volume pane, the chart's backtest of a moving-average cross with its trade markers and
// an Equity Curve pane, a trend line drawn with the mouse, the Snapshot and Tracking
// Windows and the cross-hair, saved as a PNG of the main frame. It fails when the main
// window's status clock stands still on the screen once the side windows are open.
//
//   qx_chart_screenshot OUTPUT.png [SYMBOL]
#include "app/shell/CMainFrame.h"
#include "analytics/series/CPriceSeries.h"
#include "analytics/series/ISeriesServices.h"
#include "backtest/CStrategySetup.h"
#include "backtest/StrategySetupInput.h"
#include "broker/core/FeedTime.h"
#include "chart/ui/CChartController.h"
#include "chart/ui/CGraphsDoc.h"
#include "chart/ui/CGraphsView.h"
#include "common/windows/CPaneSplitterWnd.h"
#include "platform/ui/CFrameWnd.h"
#include "scripts/screenshot-support/CScreenshotWorkstation.h"
#include "studies/StudyFactory.h"
#include "studies/plots/CPricePlot.h"
#include "studies/plots/CPriceScale.h"

#include <QApplication>
#include <QGuiApplication>
#include <QImage>
#include <QMainWindow>
#include <QPixmap>
#include <QScreen>
#include <QStatusBar>

#include <cstdio>

namespace {

bool Loaded(CStudyPlot* plot)
{
    if (!plot || !plot->GetPriceSeries() || plot->GetPriceSeries()->IsWaitingForData())
        return false;
    double v = 0;
    return plot->ReadValue(plot->GetLastVisibleBar() - 1, 0, v);
}

// Whether the main window's status bar shows something new on the screen within 3 seconds.
bool StatusBarPaints(const CScreenshotWorkstation& workstation)
{
    auto* main = qobject_cast<QMainWindow*>(workstation.Frame()->GetOuterWidget());
    QStatusBar* bar = main ? main->statusBar() : nullptr;
    if (!bar)
        return false;
    const QRect area(bar->mapToGlobal(QPoint(0, 0)), bar->size());
    auto shown = [&] {
        return QGuiApplication::primaryScreen()->grabWindow(0, area.x(), area.y(), area.width(), area.height()).toImage();
    };
    const QImage before = shown();
    return PumpUntil([&] { return shown() != before; }, 3000);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: qx_chart_screenshot OUTPUT.png [SYMBOL]\n");
        return 2;
    }
    const char* symbol = argc > 2 ? argv[2] : "IBM";
    QApplication application(argc, argv);
    int result = 1;
    {
        CScreenshotWorkstation workstation("qx_chart_screenshot");
        if (!workstation.Start({"--open-kinds", "2", "--symbol", symbol}))
            return 1;
        CGraphsView* pane = workstation.FindView<CGraphsView>();
        CChartController* chart = pane ? GetChartController(pane->GetParentFrame()) : nullptr;
        if (chart) {
            MaximizeWindowOf(*pane);
            CGraphsView* price = chart->GetPricePane();
            PumpUntil([&] { return Loaded(price->GetPricePlot()); }, 30000);
            chart->OnCmdMsg(ID_STYLE_CANDLE, CN_COMMAND, nullptr);
            for (int type : {kStudyBollinger, kStudyVolume, kStudyEquityCurve})
                chart->AddStudy(CreateStudyById(static_cast<WORD>(type), CString()));
            // The chart's own backtest: 100 shares on a 5-day over 20-day average cross
            // over the last 200 days.
            const CTime now = GetSeriesServices().GetExchangeTime();
            CStrategySetup job = DefaultStrategyJob(now);
            const CTime since = now - CTimeSpan(200, 0, 0, 0);
            job.m_startTime = DateTimeToFeedTime(since.GetYear(), since.GetMonth(), since.GetDay(), 0, 0, 0);
            job.m_comission = 4.95;
            CStrategyDefinition cross;
            cross.m_name = "MA Cross";
            cross.m_entryName = "5 over 20";
            cross.m_exitName = "5 under 20";
            cross.m_entryExpression = "MovingAverage[MA,Close,5,0,D]>MovingAverage[MA,Close,20,0,D]";
            cross.m_exitExpression = "MovingAverage[MA,Close,5,0,D]<MovingAverage[MA,Close,20,0,D]";
            cross.m_nEntryQuantity = 100;
            cross.m_entryFlag = kSharesFlag;
            cross.m_entryAction = "Buy";
            cross.m_exitAction = "Sell";
            cross.m_interval = "D";
            cross.m_nOverrideInterval = 1;
            cross.m_entryPriceType = "Close";
            cross.m_exitPriceType = "Close";
            job.AddStrategy(cross);
            chart->SetStrategySetup(std::make_unique<CStrategySetup>(job));
            PumpUntil([&] { return !chart->IsBacktestRunning() && chart->GetEquityRecords(); }, 60000);
            PumpUntil(
                [&] {
                    for (int p = 0; p < chart->GetPaneCount(); ++p)
                        for (int i = 0; i < chart->GetPane(p)->GetPlotCount(); ++i)
                            if (!Loaded(chart->GetPane(p)->GetPlot(i)))
                                return false;
                    return true;
                },
                30000);
            // Room for the lines' future and the study panes below the price pane.
            price->OnKeyDown(VK_RIGHT, 8, 0);
            if (CSplitterWnd* splitter = chart->GetSplitter())
                splitter->SetPaneSizes({430, 110, 110});
            PumpUntil([] { return false; }, 500);
            // A trend line from the lowest low of the last 60 bars to the newest bar's high.
            CPricePlot* plot = price->GetPricePlot();
            const int last = plot->GetLastVisibleBar() - 8;
            int lowBar = last;
            double low = 1e9, high = 0, v = 0;
            for (int bar = last - 60; bar <= last; ++bar)
                if (plot->ReadValue(bar, plot->GetFieldIndex("Low"), v) && v < low) {
                    low = v;
                    lowBar = bar;
                }
            plot->ReadValue(last, plot->GetFieldIndex("High"), high);
            price->Invalidate(FALSE);
            PumpUntil([] { return false; }, 300);
            const CToolGeometry g = price->GetToolGeometry();
            const CPriceScale scale = price->MakeScale();
            const CPoint from(BarIndexToX(g.spacing, lowBar, g.firstBar, g.plot.left), scale.PriceToY(low));
            const CPoint to(BarIndexToX(g.spacing, last, g.firstBar, g.plot.left), scale.PriceToY(high));
            price->OnPaneCommand(kCmdRay);
            price->OnLButtonDown(0, from);
            price->OnMouseMove(0, to);
            price->OnLButtonUp(0, to);
            price->OnPaneCommand(kCmdPointer);
            // The Snapshot and Tracking Windows, and the cross-hair on a bar some days back.
            chart->ToggleSnapshotWindow();
            chart->ShowTrackingWindow(true);
            chart->ToggleCrosshairs();
            PumpUntil([] { return false; }, 300);
            const CPoint at(BarIndexToX(g.spacing, last - 20, g.firstBar, g.plot.left), scale.PriceToY(high));
            price->OnMouseMove(0, at);
            PumpUntil([] { return false; }, 1500);
            // With the side windows open the main window goes on painting: its status clock
            // changes on the screen.
            if (!StatusBarPaints(workstation)) {
                std::fprintf(stderr, "qx_chart_screenshot: the status clock stands still on the screen\n");
                chart = nullptr;
            }
        } else {
            std::fprintf(stderr, "qx_chart_screenshot: no chart window opened\n");
        }
        // The screen: the side windows float over the main window.
        const QPixmap picture = QGuiApplication::primaryScreen()->grabWindow(0);
        result = chart && picture.save(argv[1], "PNG") ? 0 : 1;
    }
    if (result == 0)
        std::printf("%s\n", argv[1]);
    return result;
}
