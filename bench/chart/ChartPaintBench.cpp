// One frame of a chart: candles of 2,000 or 20,000 bars with 5 studies (Bollinger Bands
// and a moving average over the bars, Volume, RSI and MACD in bands of their own) drawn
// by the chart's plots into a 4,200 x 600 image, against the same primitives (filled
// bodies in their frames, wicks, polylines, histogram lines and level lines) drawn by plain
// QPainter code from values read beforehand. The plots read their values from the
// series as they draw (their study values already computed) under one read lock for
// the frame, as a repaint does. A third benchmark times one frame of a whole chart
// window with the same studies.
#include "analytics/series/CSeriesReadLock.h"
#include "analytics/series/CStudySource.h"
#include "studies/CBollingerStudy.h"
#include "studies/CMACDStudy.h"
#include "studies/CMovingAverageStudy.h"
#include "studies/CRSIStudy.h"
#include "studies/CVolumeStudy.h"
#include "studies/StudyFactory.h"
#include "studies/plots/CPricePlot.h"
#include "studies/plots/CPriceScale.h"
#include "studies/plots/CStudyPlotFactory.h"
#include "tests/analytics/FakeSeriesServices.h"
#include "tests/chart/ui/ChartTestShell.h"
#include "tests/studies/plots/PlotTestSupport.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <optional>
#include <random>
#include <vector>

namespace {

constexpr int kWidth = 4200;
constexpr int kHeight = 600;

void EnsureApplication()
{
    static int argc = 1;
    static char name[] = "qx_chart_bench";
    static char* argv[] = {name, nullptr};
    if (!QApplication::instance()) {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        static QApplication app(argc, argv);
    }
}

// Random-walk rows at the series' own bar times.
void FeedRandomWalk(CPriceSeries& series)
{
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> step(-0.5, 0.5), unit(0, 1);
    std::vector<CHistoryRow> rows;
    double close = 100;
    for (int r = 0; r < series.GetRecordCount(); ++r) {
        const std::optional<CBarRecord> record = series.GetRecordAt(r);
        CHistoryRow row;
        row.feedTime = CTimeToFeedTime(record->m_startTime);
        row.open = close;
        close = std::max(5.0, close + step(rng));
        row.close = close;
        row.high = std::max(row.open, close) + unit(rng) * 0.3;
        row.low = std::min(row.open, close) - unit(rng) * 0.3;
        row.volume = 1000 + 9000 * unit(rng);
        rows.push_back(row);
    }
    series.OnIntradayHistory(rows);
}

// The chart: a price plot and five study plots over `bars` one-minute bars.
struct Chart {
    explicit Chart(int bars)
    {
        EnsureApplication();
        RegisterStudyPlots();
        doc.visible = bars;
        doc.spacing = static_cast<double>(kWidth - 100) / bars;
        doc.pricePlot = &price;
        price.SetDocument(&doc);
        price.SetDrawStyle(kStyleCandle);
        price.Attach(bars, &chart);
        FeedRandomWalk(*price.GetPriceSeries());
        studies.push_back(std::make_unique<CBollingerStudy>());
        studies.push_back(std::make_unique<CMovingAverageStudy>());
        studies.push_back(std::make_unique<CVolumeStudy>());
        studies.push_back(std::make_unique<CRSIStudy>());
        studies.push_back(std::make_unique<CMACDStudy>());
        for (auto& study : studies) {
            plots.emplace_back(study->CreatePlot());
            CStudyPlot* plot = plots.back().get();
            plot->SetStudy(study.get());
            plot->SetDocument(&doc);
            plot->Attach(bars, &chart);
            FeedRandomWalk(*plot->GetPriceSeries());
        }
        // Bands of the image: the price with its overlays, then one per pane study.
        price.GetValueRange(low, high);
        scales.emplace_back(false, low, high, 0, 299);
        scales.emplace_back(false, 0, 12000, 300, 374);
        scales.emplace_back(false, 0, 100, 375, 449);
        scales.emplace_back(false, -3, 3, 450, 599);
    }
    const CPriceScale& ScaleOf(size_t plot) const { return plot < 2 ? scales[0] : scales[plot - 1]; }

    FakeSeriesServices services;
    FakePlotDocument doc;
    FakePlotChart chart;
    CPricePlot price;
    std::vector<std::unique_ptr<CStudyDefinition>> studies;
    std::vector<std::unique_ptr<CStudyPlot>> plots;
    std::vector<CPriceScale> scales;
    double low = 0, high = 0;
};

Chart& ChartOf(int bars)
{
    // The application first, so that it outlives the chart.
    EnsureApplication();
    static std::unique_ptr<Chart> chart;
    if (!chart || chart->doc.visible != bars)
        chart = std::make_unique<Chart>(bars);
    return *chart;
}

void DrawWithPlots(Chart& c, CDC& dc)
{
    // The series locked once for the frame, as a pane's repaint does.
    std::vector<CPriceSeries*> series;
    for (const auto& p : c.plots)
        series.push_back(p->GetSeries()->GetBaseSeries());
    series.push_back(c.price.GetSeries()->GetBaseSeries());
    const CSeriesReadLocks pass(std::move(series));
    CRect label(kWidth - 60, 0, kWidth, 13);
    for (size_t i = 0; i < c.plots.size(); ++i) {
        const CPriceScale& s = c.ScaleOf(i);
        CRect plot(0, s.GetTop(), kWidth - 60, s.GetBottom());
        c.plots[i]->Draw(&dc, &plot, &s, &label);
    }
    CRect plot(0, 0, kWidth - 60, 299);
    c.price.Draw(&dc, &plot, &c.scales[0], &label);
}

void BM_ChartPlots(benchmark::State& state)
{
    Chart& c = ChartOf(static_cast<int>(state.range(0)));
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    CDC dc;
    dc.AttachDevice(&image);
    DrawWithPlots(c, dc); // study values computed once, as before any repaint
    for (auto _ : state) {
        dc.FillSolidRect(0, 0, kWidth, kHeight, RGB(255, 255, 255));
        DrawWithPlots(c, dc);
    }
    state.counters["bars"] = static_cast<double>(state.range(0));
}

// The same primitives from plain arrays.
struct Plain {
    struct Candle {
        int x, yHigh, yLow, top, bottom;
        QColor fill;
    };
    std::vector<Candle> candles;
    std::vector<std::vector<QPoint>> lines;   // polylines
    std::vector<std::pair<QPoint, QPoint>> bars; // histogram and level lines
    std::vector<QColor> lineColors;
};

Plain PrimitivesOf(Chart& c)
{
    Plain p;
    const int first = c.price.GetFirstVisibleBar(), last = c.price.GetLastVisibleBar();
    const CPriceScale& s = c.scales[0];
    auto value = [](CStudyPlot& plot, int bar, const char* field, double& v) {
        return plot.ReadValue(bar, plot.GetFieldIndex(field), v);
    };
    for (int bar = first; bar <= last; ++bar) {
        double o, h, l, cl;
        if (!value(c.price, bar, "Open", o) || !value(c.price, bar, "High", h) || !value(c.price, bar, "Low", l) ||
            !value(c.price, bar, "Close", cl))
            continue;
        const int x = c.price.BarToX(bar, first, 0);
        p.candles.push_back({x, s.PriceToY(h), s.PriceToY(l), s.PriceToY(std::max(o, cl)),
                             s.PriceToY(std::min(o, cl)) + 1, cl >= o ? QColor(0, 160, 0) : QColor(200, 0, 0)});
    }
    const struct {
        size_t plot;
        const char* field;
    } series[] = {{0, "Basis"}, {0, "Upper"}, {0, "Lower"}, {1, "MA"}, {3, "RSI"}, {4, "MACD"}, {4, "Signal"}};
    for (const auto& sr : series) {
        std::vector<QPoint> line;
        CStudyPlot& plot = *c.plots[sr.plot];
        const CPriceScale& sc = c.ScaleOf(sr.plot);
        for (int bar = first; bar <= last; ++bar) {
            double v;
            if (value(plot, bar, sr.field, v))
                line.emplace_back(plot.BarToX(bar, first, 0), sc.PriceToY(v));
        }
        p.lines.push_back(std::move(line));
        p.lineColors.emplace_back(0, 0, 255);
    }
    for (const auto& [plotIndex, field] : {std::pair<size_t, const char*>{2, "Volume"}, {4, "Diff"}}) {
        CStudyPlot& plot = *c.plots[plotIndex];
        const CPriceScale& sc = c.ScaleOf(plotIndex);
        for (int bar = first; bar <= last; ++bar) {
            double v;
            if (value(plot, bar, field, v)) {
                const int x = plot.BarToX(bar, first, 0);
                p.bars.emplace_back(QPoint(x, sc.PriceToY(0)), QPoint(x, sc.PriceToY(v)));
            }
        }
    }
    for (double level : {30.0, 70.0})
        p.bars.emplace_back(QPoint(0, c.scales[2].PriceToY(level)), QPoint(kWidth - 61, c.scales[2].PriceToY(level)));
    return p;
}

void BM_PlainQPainter(benchmark::State& state)
{
    Chart& c = ChartOf(static_cast<int>(state.range(0)));
    DrawWithPlots(c, *std::make_unique<CDC>()); // same warm study values
    const Plain p = PrimitivesOf(c);
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    QPainter painter(&image);
    for (auto _ : state) {
        painter.fillRect(0, 0, kWidth, kHeight, Qt::white);
        for (const Plain::Candle& k : p.candles) {
            painter.fillRect(k.x, k.yHigh, 1, k.top - k.yHigh, Qt::black);
            painter.fillRect(k.x, k.bottom, 1, k.yLow - k.bottom + 1, Qt::black);
            const QRect body(k.x - 2, k.top, 5, k.bottom - k.top);
            painter.fillRect(body, Qt::black);
            if (body.height() > 2)
                painter.fillRect(body.adjusted(1, 1, -1, -1), k.fill);
        }
        for (size_t i = 0; i < p.lines.size(); ++i) {
            painter.setPen(QPen(p.lineColors[i]));
            painter.drawPolyline(p.lines[i].data(), static_cast<int>(p.lines[i].size()));
        }
        for (const auto& [a, b] : p.bars)
            painter.fillRect(QRect(a, b).normalized(), Qt::darkGreen);
    }
    state.counters["bars"] = static_cast<double>(state.range(0));
}

// A whole chart window: the price pane with Bollinger Bands and a moving average, and
// Volume, RSI and MACD panes, each pane painted with its axes, grid, labels and title,
// as one frame of the window (4,300 x 900 pixels).
struct ChartWindow {
    explicit ChartWindow(int bars)
    {
        doc = shell.OpenChart("IBM", "1", true);
        chart = ChartTestShell::Controller(doc);
        chart->GetPricePane()->GetParentFrame()->GetOuterWidget()->resize(4300, 900);
        PumpFor(50);
        for (int type : {kStudyBollinger, kStudyMovingAverage, kStudyVolume, kStudyRSI, kStudyMACD})
            chart->AddStudy(CreateStudyById(static_cast<WORD>(type), CString()));
        chart->OnCmdMsg(ID_STYLE_CANDLE, CN_COMMAND, nullptr);
        // The bars side by side across the window; the series grow to hold them all.
        CGraphsView* price = chart->GetPricePane();
        price->RecalcLayout();
        doc->SetBarSpacing(static_cast<double>(price->GetPlotRect().Width()) / bars);
        price->FitBarsToWidth();
        for (int p = 0; p < chart->GetPaneCount(); ++p)
            for (int i = 0; i < chart->GetPane(p)->GetPlotCount(); ++i)
                if (CPriceSeries* series = chart->GetPane(p)->GetPlot(i)->GetPriceSeries())
                    FeedRandomWalk(*series);
    }
    void Paint()
    {
        for (int p = 0; p < chart->GetPaneCount(); ++p)
            ChartTestShell::Paint(chart->GetPane(p));
    }

    bool application = (EnsureApplication(), true);
    FakeSeriesServices services;
    ChartTestShell shell;
    CGraphsDoc* doc = nullptr;
    CChartController* chart = nullptr;
};

void BM_ChartWindowFrame(benchmark::State& state)
{
    ChartWindow window(static_cast<int>(state.range(0)));
    window.Paint();
    for (auto _ : state)
        window.Paint();
    state.counters["bars"] = static_cast<double>(state.range(0));
}

} // namespace

BENCHMARK(BM_ChartWindowFrame)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ChartPlots)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainQPainter)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond);
