// The picture of a trader's chart for scripts/screenshot: the workstation logged in to
// an in-process test broker, window kind 2 for IBM with candles, Bollinger Bands, a
// Volume pane, the chart's backtest of a moving-average cross with its trade markers and
// an Equity Curve pane, a trend line drawn with the mouse, the Snapshot and Tracking
// Windows and the cross-hair, saved as a PNG of the main frame.
//
//   qx_chart_screenshot OUTPUT.png [SYMBOL]
#include "analytics/series/CPriceSeries.h"
#include "analytics/series/ISeriesServices.h"
#include "backtest/CStrategySetup.h"
#include "backtest/StrategySetupInput.h"
#include "broker/core/FeedTime.h"
#include "app/shell/CMainFrame.h"
#include "app/shell/CWorkstationApp.h"
#include "chart/ui/CChartController.h"
#include "chart/ui/CGraphsDoc.h"
#include "chart/ui/CGraphsView.h"
#include "common/windows/CPaneSplitterWnd.h"
#include "platform/ui/CChildFrame.h"
#include "platform/ui/CUiResponder.h"
#include "studies/StudyFactory.h"
#include "studies/plots/CPricePlot.h"
#include "studies/plots/CPriceScale.h"
#include "tools/testbroker/CTestBroker.h"

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>

namespace {

bool PumpUntil(const std::function<bool()>& done, int timeoutMs)
{
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < timeoutMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    return done();
}

// Message boxes answered without a screen.
class QuietResponder : public CUiResponder {
public:
    int MessageBox(CWnd*, const CString& text, const CString&, UINT) override
    {
        std::fprintf(stderr, "qx_chart_screenshot: %s\n", text.GetString());
        return IDOK;
    }
};

bool Loaded(CStudyPlot* plot)
{
    if (!plot || !plot->GetPriceSeries() || plot->GetPriceSeries()->IsWaitingForData())
        return false;
    double v = 0;
    return plot->ReadValue(plot->GetLastVisibleBar() - 1, 0, v);
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

    qx::testbroker::TestBrokerOptions options;
    options.httpsPort = 0;
    options.streamPort = 0;
    qx::testbroker::CTestBroker broker(options);
    std::string error;
    if (!broker.Start(error)) {
        std::fprintf(stderr, "qx_chart_screenshot: the test broker did not start: %s\n", error.c_str());
        return 1;
    }
    const std::filesystem::path home = std::filesystem::temp_directory_path() / "qx-chart-screenshot";
    std::filesystem::remove_all(home);
    std::filesystem::create_directories(home);
    const std::string base = broker.BaseUrl();
    std::ofstream(home / "config.ini") << "LoginServer=" << base << "\nApiServer=" << base << "\nHistoryServer=" << base
                                       << "\nUpdateFile=" << base << "/update/QxUpdate.xml\nCaFile=" << broker.CaFile()
                                       << "\n";
    std::ofstream(home / "profile.ini") << "[Settings]\nNotifyUpdates=0\n";
    const char* root = std::getenv("QX_SOURCE_DIR");
    std::filesystem::copy_file(std::string(root ? root : ".") + "/broker/session/Sessions.dat", home / "Sessions.dat",
                               std::filesystem::copy_options::overwrite_existing);

    CScopedUiResponder responder(std::make_unique<QuietResponder>());
    int result = 1;
    {
        CWorkstationApp app;
        app.m_arguments = {"--home", CString(home.string()), "--user", "demo", "--password", "demo",
                           "--open-kinds", "2", "--symbol", symbol};
        if (!app.InitInstance()) {
            std::fprintf(stderr, "qx_chart_screenshot: the workstation did not start\n");
            return 1;
        }
        CMainFrame* frame = app.MainFrame();
        frame->GetOuterWidget()->resize(1280, 800);
        CGraphsView* pane = nullptr;
        for (CView* view : app.GetWindowViews())
            if ((pane = dynamic_cast<CGraphsView*>(view)) != nullptr)
                break;
        CChartController* chart = pane ? GetChartController(pane->GetParentFrame()) : nullptr;
        if (chart) {
            if (auto* child = dynamic_cast<CChildFrame*>(pane->GetParentFrame()))
                child->MDIMaximize();
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
        } else {
            std::fprintf(stderr, "qx_chart_screenshot: no chart window opened\n");
        }
        // The screen: the side windows float over the main window.
        const QPixmap picture = QGuiApplication::primaryScreen()->grabWindow(0);
        result = chart && picture.save(argv[1], "PNG") ? 0 : 1;
        frame->SendMessage(WM_CLOSE);
        PumpUntil([] { return false; }, 50);
        app.ExitInstance();
    }
    broker.Stop();
    std::filesystem::remove_all(home);
    if (result == 0)
        std::printf("%s\n", argv[1]);
    return result;
}
