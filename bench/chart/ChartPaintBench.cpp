// One frame of a chart: candles of 2,000 or 20,000 bars with 5 studies (Bollinger Bands
// and a moving average over the bars, Volume, RSI and MACD in bands of their own) drawn
// into a 4,200 x 600 image, two ways in one run:
//   plots  the chart's plots, reading their values from the series as they draw (the
//          study values already computed) under one read lock for the frame, as a
//          repaint does;
//   plain  plain QPainter code drawing the same primitives (bodies in their frames,
//          wicks, polylines, histogram lines, level lines and value labels) from value
//          arrays read beforehand, working out every coordinate as it draws.
// BM_ChartPlots reports the plots' time, the plain side's (plain_ms) and their ratio,
// and checks that both images have the same pixels inked (it reports both counts and
// the pixels that differ). A third benchmark times one frame of a whole chart window
// with the same studies.
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

#include <algorithm>
#include <chrono>
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

// The plain side's data: every value the frame shows, read from the series once.
struct PlainSeries {
    std::vector<double> values;
    std::vector<char> ok;
    QColor color;
    size_t band = 0;
};

struct PlainData {
    int first = 0;
    int count = 0;
    double spacing = 0;
    std::vector<double> open, high, low, close;
    std::vector<char> barOk;
    std::vector<PlainSeries> lines; // polylines, in drawing order
    PlainSeries volume, volumeOpen, volumeClose, diff;
    QColor up, down, frame, candleUp, candleDown, volumeUp, volumeDown, histogram, zero, level;
};

PlainSeries SeriesOf(Chart& c, CStudyPlot& plot, size_t band, const char* field, QColor color)
{
    PlainSeries s;
    s.color = color;
    s.band = band;
    const int field_index = plot.GetFieldIndex(field);
    const int first = c.price.GetFirstVisibleBar(), last = c.price.GetLastVisibleBar();
    for (int bar = first; bar <= last; ++bar) {
        double v = 0;
        const bool has = plot.ReadValue(bar, field_index, v);
        s.values.push_back(v);
        s.ok.push_back(has ? 1 : 0);
    }
    return s;
}

QColor ColorOf(COLORREF c)
{
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

PlainData DataOf(Chart& c)
{
    PlainData d;
    d.first = c.price.GetFirstVisibleBar();
    d.count = c.price.GetLastVisibleBar() - d.first + 1;
    d.spacing = c.doc.spacing;
    for (const char* field : {"Open", "High", "Low", "Close"}) {
        const PlainSeries s = SeriesOf(c, c.price, 0, field, Qt::black);
        auto& column = field[0] == 'O' ? d.open : field[0] == 'H' ? d.high : field[0] == 'L' ? d.low : d.close;
        column = s.values;
        if (d.barOk.empty())
            d.barOk = s.ok;
        for (size_t k = 0; k < s.ok.size(); ++k)
            d.barOk[k] = d.barOk[k] && s.ok[k];
    }
    const auto& bb = static_cast<const CBollingerStudy&>(*c.studies[0]);
    const auto& ma = static_cast<const CMovingAverageStudy&>(*c.studies[1]);
    const auto& vol = static_cast<const CVolumeStudy&>(*c.studies[2]);
    const auto& rsi = static_cast<const CRSIStudy&>(*c.studies[3]);
    const auto& macd = static_cast<const CMACDStudy&>(*c.studies[4]);
    d.lines.push_back(SeriesOf(c, *c.plots[0], 0, "Basis", ColorOf(bb.m_middleColor)));
    d.lines.push_back(SeriesOf(c, *c.plots[0], 0, "Upper", ColorOf(bb.m_bandColor)));
    d.lines.push_back(SeriesOf(c, *c.plots[0], 0, "Lower", ColorOf(bb.m_bandColor)));
    d.lines.push_back(SeriesOf(c, *c.plots[1], 0, ma.GetShortTypeName(), ColorOf(ma.m_color)));
    d.lines.push_back(SeriesOf(c, *c.plots[3], 2, "RSI", ColorOf(rsi.m_params.lineColor)));
    d.lines.push_back(SeriesOf(c, *c.plots[4], 3, "MACD", ColorOf(macd.m_macdColor)));
    d.lines.push_back(SeriesOf(c, *c.plots[4], 3, "Signal", ColorOf(macd.m_signalColor)));
    d.volume = SeriesOf(c, *c.plots[2], 1, "Volume", Qt::black);
    d.volumeOpen = SeriesOf(c, *c.plots[2], 1, "Open", Qt::black);
    d.volumeClose = SeriesOf(c, *c.plots[2], 1, "Close", Qt::black);
    d.diff = SeriesOf(c, *c.plots[4], 3, "Diff", ColorOf(macd.m_histogramColor));
    d.frame = ColorOf(SchemeColor(kSchemeBars));
    d.candleUp = ColorOf(SchemeColor(kSchemeCandleUp));
    d.candleDown = ColorOf(SchemeColor(kSchemeCandleDown));
    d.volumeUp = ColorOf(vol.m_upColor);
    d.volumeDown = ColorOf(vol.m_downColor);
    d.histogram = ColorOf(macd.m_histogramColor);
    d.zero = ColorOf(macd.m_centreColor);
    d.level = ColorOf(rsi.m_params.bandColor);
    return d;
}

// A price's row in a band, as a chart maps it (rounded half away from zero).
int RowOf(double v, double min, double max, int top, int bottom)
{
    const double d = max == min ? (bottom - top) * 0.5 : (bottom - top) * (v - min) / (max - min);
    return bottom - static_cast<int>(d >= 0 ? d + 0.5 : d - 0.5);
}

int ColumnOf(const PlainData& d, int k)
{
    return static_cast<int>(k * d.spacing + (d.spacing - 5.0));
}

QPen LinePen(const QColor& color)
{
    QPen pen(color);
    pen.setWidth(1);
    pen.setCosmetic(true);
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::MiterJoin);
    return pen;
}

struct PlainBand {
    double min, max;
    int top, bottom;
};

void Label(QPainter& p, const PlainBand& band, double value, const QColor& color, int decimals)
{
    const int h = 13;
    const int y = RowOf(value, band.min, band.max, band.top, band.bottom);
    const int top = std::clamp(y - h / 2, band.top, band.bottom - h);
    const QRect r(kWidth - 60, top, 60, h);
    p.fillRect(r, color);
    p.setPen(color.red() + color.green() + color.blue() >= 383 ? Qt::black : Qt::white);
    p.drawText(QPoint(r.left(), r.top() + p.fontMetrics().ascent()), QString::number(value, 'f', decimals));
}

void DrawPlain(const PlainData& d, const std::vector<PlainBand>& bands, QPainter& p, std::vector<QPoint>& points)
{
    p.fillRect(0, 0, kWidth, kHeight, Qt::white);
    const int right = kWidth - 60;
    // Studies first, the price last, as the pane draws them.
    for (size_t i = 0; i < d.lines.size(); ++i) {
        const PlainSeries& s = d.lines[i];
        const PlainBand& b = bands[s.band];
        if (i == 4) // RSI's levels
            for (double level : {30.0, 70.0})
                p.fillRect(0, RowOf(level, b.min, b.max, b.top, b.bottom), right, 1, d.level);
        if (i == 5) { // MACD: histogram, zero line, then its lines
            const int y0 = RowOf(0, b.min, b.max, b.top, b.bottom);
            int lastK = -1;
            for (int k = 0; k < d.count; ++k) {
                if (!d.diff.ok[k])
                    continue;
                const int y = RowOf(d.diff.values[k], b.min, b.max, b.top, b.bottom);
                p.fillRect(ColumnOf(d, k), std::min(y0, y), 1, std::abs(y - y0) + 1, d.histogram);
                lastK = k;
            }
            if (lastK >= 0)
                Label(p, b, d.diff.values[lastK], d.histogram, 4);
            p.fillRect(0, y0, right, 1, d.zero);
        }
        points.clear();
        for (int k = 0; k < d.count; ++k)
            if (s.ok[k])
                points.emplace_back(ColumnOf(d, k), RowOf(s.values[k], b.min, b.max, b.top, b.bottom));
        p.setPen(LinePen(s.color));
        p.drawPolyline(points.data(), static_cast<int>(points.size()));
        if (!points.empty())
            Label(p, b, s.values[static_cast<size_t>(d.count - 1)], s.color, 2);
        if (i == 3) { // Volume after the overlays: up bars, then down bars, then its zero line
            const PlainBand& v = bands[1];
            const int y0 = RowOf(0, v.min, v.max, v.top, v.bottom);
            for (int pass = 0; pass < 2; ++pass) {
                double previous = 0;
                for (int k = 0; k < d.count; ++k) {
                    if (!d.volume.ok[k] || !d.volumeOpen.ok[k] || !d.volumeClose.ok[k])
                        continue;
                    const bool up = d.volumeClose.values[k] >= previous;
                    previous = d.volumeClose.values[k];
                    if (up != (pass == 0))
                        continue;
                    const int y = RowOf(d.volume.values[k], v.min, v.max, v.top, v.bottom);
                    p.fillRect(ColumnOf(d, k), std::min(y0, y), 1, std::abs(y - y0) + 1,
                               pass == 0 ? d.volumeUp : d.volumeDown);
                }
            }
            Label(p, v, d.volume.values[static_cast<size_t>(d.count - 1)], d.volumeUp, 2);
            p.fillRect(0, y0, right, 1, Qt::black);
        }
    }
    const PlainBand& b = bands[0];
    for (int k = 0; k < d.count; ++k) {
        if (!d.barOk[k])
            continue;
        const int x = ColumnOf(d, k);
        const double o = d.open[k], c = d.close[k];
        const int yHigh = RowOf(d.high[k], b.min, b.max, b.top, b.bottom);
        const int yLow = RowOf(d.low[k], b.min, b.max, b.top, b.bottom);
        const bool up = c >= o;
        const int top = RowOf(up ? c : o, b.min, b.max, b.top, b.bottom);
        const int bottom = RowOf(up ? o : c, b.min, b.max, b.top, b.bottom) + 1;
        if (yHigh < top)
            p.fillRect(x, yHigh, 1, top - yHigh, d.frame);
        if (yLow > bottom - 1)
            p.fillRect(x, bottom, 1, yLow - bottom + 1, d.frame);
        const QRect body(x - 2, top, 5, bottom - top);
        p.fillRect(body, d.frame);
        if (body.height() > 2)
            p.fillRect(body.adjusted(1, 1, -1, -1), up ? d.candleUp : d.candleDown);
    }
    Label(p, b, d.close[static_cast<size_t>(d.count - 1)], d.frame, 2);
}

// Pixels that are not white.
int64_t Inked(const QImage& image)
{
    int64_t n = 0;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            n += (line[x] & 0xffffff) != 0xffffff;
    }
    return n;
}

int64_t Differing(const QImage& a, const QImage& b)
{
    int64_t n = 0;
    for (int y = 0; y < a.height(); ++y) {
        const auto* la = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const auto* lb = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x)
            n += la[x] != lb[x];
    }
    return n;
}

double Seconds(std::chrono::steady_clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

void BM_ChartPlots(benchmark::State& state)
{
    Chart& c = ChartOf(static_cast<int>(state.range(0)));
    QImage plotsImage(kWidth, kHeight, QImage::Format_RGB32);
    QImage plainImage(kWidth, kHeight, QImage::Format_RGB32);
    CDC dc;
    dc.AttachDevice(&plotsImage);
    DrawWithPlots(c, dc); // study values computed once, as before any repaint
    const PlainData data = DataOf(c);
    std::vector<PlainBand> bands;
    for (const CPriceScale& s : c.scales)
        bands.push_back({s.GetMin(), s.GetMax(), s.GetTop(), s.GetBottom()});
    QPainter painter(&plainImage);
    std::vector<QPoint> points;
    double plots = 0, plain = 0;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        dc.FillSolidRect(0, 0, kWidth, kHeight, RGB(255, 255, 255));
        DrawWithPlots(c, dc);
        const auto t1 = std::chrono::steady_clock::now();
        DrawPlain(data, bands, painter, points);
        const auto t2 = std::chrono::steady_clock::now();
        plots += Seconds(t1 - t0);
        plain += Seconds(t2 - t1);
        state.SetIterationTime(Seconds(t1 - t0));
    }
    const int64_t inkedPlots = Inked(plotsImage), inkedPlain = Inked(plainImage);
    const int64_t differing = Differing(plotsImage, plainImage);
    // The labels' texts may differ in their decimals; the primitives must not.
    if (std::abs(inkedPlots - inkedPlain) > inkedPlots / 200) {
        state.SkipWithError(("the two sides inked " + std::to_string(inkedPlots) + " and " +
                             std::to_string(inkedPlain) + " pixels")
                                .c_str());
        return;
    }
    state.counters["bars"] = static_cast<double>(state.range(0));
    state.counters["plain_ms"] = benchmark::Counter(plain * 1e3 / static_cast<double>(state.iterations()));
    state.counters["ratio"] = plots / plain;
    state.counters["inked_plots"] = static_cast<double>(inkedPlots);
    state.counters["inked_plain"] = static_cast<double>(inkedPlain);
    state.counters["differing"] = static_cast<double>(differing);
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
BENCHMARK(BM_ChartPlots)->Arg(2000)->Arg(20000)->UseManualTime()->MinTime(1.0)->Unit(benchmark::kMillisecond);
