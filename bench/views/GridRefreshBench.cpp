// One 500 ms refresh of the Level I quote grid, offscreen: 500 rows, 20 columns of which
// two are formula columns ("Last*2" with an alert, "(Bid+Ask)/2>Last"), sorted by the
// first formula column; before each refresh every row gets a new quote.
//
// GridRefresh/covered:0 and /covered:1: the grid's own refresh (column alerts, sort keys
// worked out once per row, repaint of the visible rows by the event loop), with the window
// in the clear and with another window over its left 120 pixels. In the same run a plain
// side: a widget of the same size, under the same kind of window, drawing with QPainter
// the same rows' fills and texts (read from the grid beforehand). Both sides are timed
// until their window shows the rows. Reports the grid's time, the plain side's (plain_ms),
// their ratio (which holds from one machine to the next), the rows each painted a refresh
// (every visible row: the order changes) and the grid's DrawItem calls (draw_calls), one a
// row.
// GridRefreshNaiveSort: the same refresh sorting with the formula evaluated for both rows
// inside every comparison. RefreshOnly and PaintOnly time the two halves of the grid's
// refresh: the timer's work (alerts and sort) and the repaint by the event loop.
//
// GridIdle/covered:0 and /covered:1: the same grid with its 500 ms timer running and no
// quote changing, against the same second with the timer stopped, in the clear and under
// the other window. It reports the interface thread's CPU a second for both
// (cpu_ms_per_s, stopped_cpu_ms_per_s) and the rows repainted a second (0 when nothing
// changed), then checks that a quote that changes nothing repaints nothing and that a
// changed Bid repaints its row alone (one_quote_rows).
#include "analytics/formula/CFormulaEngine.h"
#include "analytics/formula/FormulaNames.h"
#include "broker/session/CSessionManager.h"
#include "broker/session/QuoteFields.h"
#include "broker/session/CSymbolHandle.h"
#include "broker/session/SessionConfig.h"
#include "common/services/CAppSettings.h"
#include "platform/ui/CBitmap.h"
#include "platform/ui/CFont.h"
#include "platform/ui/QtConvert.h"
#include "views/ui/CListCtrlEx.h"

#include <benchmark/benchmark.h>

#include <QAbstractScrollArea>
#include <QApplication>
#include <QEventLoop>
#include <QFontMetrics>
#include <QPainter>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>
#include <cstdlib>
#include <set>
#include <string>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

namespace {

constexpr int kRows = 500;
constexpr int kCatalogueColumns[] = {33, 32, 3, 35, 36, 6, 7, 10, 1, 2, 0, 4, 13, 14, 12, 28, 29, 61};
constexpr int kCoverWidth = 120; // the other window over the grid's left edge

QApplication& App()
{
    static int argc = 1;
    static char name[] = "qx_views_bench";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        return new QApplication(argc, argv);
    }();
    return *app;
}

// The grid, counting the rows it draws and how often it draws one.
class CCountingGrid : public CListCtrlEx {
public:
    void DrawItem(LPDRAWITEMSTRUCT draw) override
    {
        ++drawn;
        rows.insert(static_cast<int>(draw->itemID));
        CListCtrlEx::DrawItem(draw);
    }
    void ResetCounts()
    {
        drawn = 0;
        rows.clear();
    }
    int drawn = 0;      // DrawItem calls
    std::set<int> rows; // the rows they drew
};

// An opaque window over the left edge of another widget, in the same top-level window.
std::unique_ptr<QWidget> MakeCover(QWidget* over)
{
    auto cover = std::make_unique<QWidget>(over->parentWidget());
    cover->setAutoFillBackground(true);
    cover->setGeometry(over->x(), over->y(), kCoverWidth, over->height());
    cover->hide();
    return cover;
}

// The repaints a refresh asked for, as the event loop does them: what is posted and what
// that posts in turn (a repaint that asks for another is timed with it).
void Drain()
{
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
}

void ShowCover(QWidget& cover, bool covered)
{
    cover.setVisible(covered);
    if (covered)
        cover.raise();
    QCoreApplication::processEvents();
}

double ThreadCpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Runs the event loop for the time given.
void RunFor(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

class Fixture {
public:
    Fixture() : m_manager(".", CSessionConfig{}, nullptr, nullptr)
    {
        App();
        InitFormulaNames();
        CAppSettings::Install(&m_settings);
        CSessionManager::Install(&m_manager);
        m_engine.Start();
        CFormulaEngine::Install(&m_engine);
        m_host.Create(nullptr, "bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(0, 0, 1400, 900), nullptr, 0);
        m_grid.CreateGrid(&m_host, 1002, nullptr);
        m_grid.MoveWindow(0, 0, 1400, 900);
        for (int id : kCatalogueColumns)
            m_grid.InsertGridColumn(-1, 64, MakeCatalogueColumn(id));
        CGridColumn doubled = MakeCustomFieldColumn("Doubled", "Last*2");
        doubled.alerts[1].alertOn = 1;
        m_sortColumn = m_grid.InsertGridColumn(-1, 70, doubled);
        m_grid.InsertGridColumn(-1, 70, MakeCustomFieldColumn("Cheap", "(Bid+Ask)/2>Last"));
        m_grid.SetGridRedraw(false);
        for (int i = 0; i < kRows; ++i)
            m_grid.InsertRow(Symbol(i), nullptr, 0);
        m_grid.SetGridRedraw(true);
        Tick(0);
        // Every formula has its inputs before the clock starts.
        for (int wait = 0; wait < 2000; ++wait) {
            bool all = true;
            for (int i = 0; i < kRows && all; ++i)
                all = m_grid.Model().EvaluateCustom(*m_grid.RowAt(i), m_grid.ModelOf(m_sortColumn), 0).has_value();
            if (all)
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        m_grid.SetSortColumn(m_sortColumn, false);
        m_cover = MakeCover(m_grid.GetWidget());
        RunFor(200); // the window shown before anything is timed
    }
    ~Fixture()
    {
        m_cover.reset();
        m_grid.DestroyWindow();
        m_host.DestroyWindow();
        CFormulaEngine::Install(nullptr);
        m_engine.Stop();
        CSessionManager::Install(nullptr);
        CAppSettings::Install(nullptr);
    }

    static CString Symbol(int i)
    {
        CString s;
        s.Format("S%03d", i);
        return s;
    }

    // A new quote for every row.
    void Tick(int n)
    {
        for (int i = 0; i < kRows; ++i) {
            CQuoteMessage q;
            q.m_symbol = Symbol(i);
            const double last = 20 + (i * 7 + n * 13) % 400 / 4.0;
            q.AddField(kFieldLast, last);
            q.AddField(kFieldBid, last - 0.05);
            q.AddField(kFieldAsk, last + 0.05 * (n % 3));
            q.AddField(kFieldYesterdayClose, 50);
            // Of one width throughout, so that no column widens during a run.
            q.AddField(kFieldVolume, 1e6 + 1000.0 * ((i + n) % 1000));
            q.AddField(kFieldBidSize, 300);
            q.AddField(kFieldAskSize, 500);
            q.AddText(kFieldDescription, "A made-up company");
            q.AddText(kFieldExchange, "NASD");
            m_manager.GetQuoteStore().ApplyQuote(q);
        }
    }

    // A new value of one field for one row only.
    void TickOne(int i, int field, double value)
    {
        CQuoteMessage q;
        q.m_symbol = Symbol(i);
        q.AddField(field, value);
        m_manager.GetQuoteStore().ApplyQuote(q);
    }

    void SetCovered(bool covered) { ShowCover(*m_cover, covered); }

    void NaiveRefresh()
    {
        CQuoteGridModel& model = m_grid.Model();
        const int sortModel = m_grid.ModelOf(m_sortColumn);
        model.CheckColumnAlerts();
        m_grid.SortItems([&](DWORD_PTR a, DWORD_PTR b) {
            const auto x = model.EvaluateCustom(*reinterpret_cast<CGridRow*>(a), sortModel, 0);
            const auto y = model.EvaluateCustom(*reinterpret_cast<CGridRow*>(b), sortModel, 0);
            if (!x || !y)
                return x ? -1 : (y ? 1 : 0);
            return *x > *y ? -1 : (*x < *y ? 1 : 0);
        });
        m_grid.Invalidate();
    }

    CAppSettings m_settings;
    CSessionManager m_manager;
    CFormulaEngine m_engine;
    CWnd m_host;
    CCountingGrid m_grid;
    std::unique_ptr<QWidget> m_cover;
    int m_sortColumn = -1;
    // Ticks go on from run to run: each brings every row a quote it did not have.
    int m_nextTick = 1;
};

Fixture& Shared()
{
    static Fixture* fixture = new Fixture; // lives until the process ends
    return *fixture;
}

// Every visible row repainted each refresh, once, or the benchmark fails. The rows
// painted, and the DrawItem calls that painted them.
bool CheckRepainted(benchmark::State& state, Fixture& f, int& rows, int& calls)
{
    rows = static_cast<int>(f.m_grid.rows.size());
    calls = f.m_grid.drawn;
    f.m_grid.ResetCounts();
    if (rows < f.m_grid.GetCountPerPage()) {
        state.SkipWithError(("a refresh repainted " + std::to_string(rows) + " rows").c_str());
        return false;
    }
    if (calls != rows) {
        state.SkipWithError(("a refresh painted " + std::to_string(rows) + " rows with " + std::to_string(calls) +
                             " DrawItem calls")
                                .c_str());
        return false;
    }
    return true;
}

// The plain side: rows of fills and texts drawn with QPainter. Each row is filled with its
// background; each cell gets its fill, if any, and its text in its colour.
class QxPlainRows : public QWidget {
public:
    struct Cell {
        QString text;
        std::optional<QColor> fill;
        QColor ink;
        Qt::Alignment alignment;
    };
    struct Row {
        QColor background;
        std::vector<Cell> cells;
    };
    QxPlainRows() { setAttribute(Qt::WA_OpaquePaintEvent); }
    std::vector<Row> rows;
    std::vector<int> widths;
    int rowHeight = 16;
    int inset = 8;
    QFont font;
    QColor empty; // the list's background below the rows
    int drawn = 0;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setFont(font);
        drawn = 0;
        int y = 0;
        for (const Row& row : rows) {
            p.fillRect(0, y, width(), rowHeight, row.background);
            int x = 0;
            for (size_t c = 0; c < row.cells.size() && c < widths.size(); ++c) {
                const Cell& cell = row.cells[c];
                const QRect r(x, y, widths[c], rowHeight);
                if (cell.fill)
                    p.fillRect(r, *cell.fill);
                p.setPen(cell.ink);
                p.drawText(r.adjusted(inset, 0, -inset, 0), cell.alignment | Qt::AlignVCenter, cell.text);
                x += widths[c];
            }
            y += rowHeight;
            ++drawn;
        }
        p.fillRect(0, y, width(), height() - y, empty);
    }
};

// The plain widget in a window of its own, the size of the grid's rows area, with the same
// kind of window over its left edge.
class PlainSide {
public:
    explicit PlainSide(const Fixture& f)
    {
        const auto* area = qobject_cast<const QAbstractScrollArea*>(f.m_grid.GetWidget());
        const QSize size = area ? area->viewport()->size() : QSize(1400, 880);
        m_window.resize(size);
        m_rows = new QxPlainRows; // owned by the window
        m_rows->setParent(&m_window);
        m_rows->setGeometry(0, 0, size.width(), size.height());
        m_cover = MakeCover(m_rows);
        // The grid's font, made as the grid makes it.
        const CFontInfo& font = f.m_settings.m_quoteFont;
        CFont made;
        made.CreateFont(-std::abs(font.height), 0, 0, 0, font.weight, font.italic ? 1 : 0, 0, font.strikeOut ? 1 : 0,
                        0, 0, 0, 0, 0, font.face);
        m_rows->font = made.ToQFont();
        m_rows->inset = 2 * QFontMetrics(m_rows->font).horizontalAdvance(' '); // as the grid's
        m_window.show();
        QCoreApplication::processEvents();
    }

    // The rows the grid shows now, their fills, colours and texts as it draws them.
    void Read(Fixture& f)
    {
        CListCtrlEx& grid = f.m_grid;
        const CQuoteGridModel& model = grid.Model();
        const auto& colors = f.m_settings.m_quoteColors;
        const int stripe = f.m_settings.m_nStripeInterval;
        const int top = grid.GetTopIndex();
        const int end = std::min(grid.GetItemCount(), top + grid.GetCountPerPage() + 1);
        CRect first;
        grid.GetItemRect(top, first, LVIR_BOUNDS);
        m_rows->rowHeight = first.Height();
        m_rows->empty = ToQColor(colors[0]);
        m_rows->widths.clear();
        for (int c = 0; c < grid.GetColumnCount(); ++c)
            m_rows->widths.push_back(grid.GetColumnWidth(c));
        m_rows->rows.clear();
        for (int i = top; i < end; ++i) {
            const CGridRow& row = *grid.RowAt(i);
            const bool striped = stripe > 0 && i % stripe == 0;
            QxPlainRows::Row plain{ToQColor(striped ? colors[1] : colors[0]), {}};
            double last = 0;
            const bool hasLast = row.Handle() && row.Handle()->GetField(kFieldLast, last);
            for (int c = 0; c < grid.GetColumnCount(); ++c) {
                const CGridColumn& column = *grid.ColumnAt(c);
                const int id = column.IsCustom() ? kCustomFieldId : column.fieldId;
                CString text;
                double value = 0;
                QxPlainRows::Cell cell{QString(), std::nullopt, ToQColor(striped ? colors[2] : RGB(0, 0, 0)),
                                       column.alignment == kAlignRight    ? Qt::AlignRight
                                       : column.alignment == kAlignCenter ? Qt::AlignHCenter
                                                                          : Qt::AlignLeft};
                if (!model.GetCell(row, i, grid.ModelOf(c), text, value)) {
                    cell.fill = ToQColor(colors[3]);
                } else {
                    cell.text = QString::fromUtf8(text.GetString());
                    const int state =
                        row.PeekHighlight(id, value, hasLast ? std::optional<double>(last) : std::nullopt);
                    if (state == kHighlightUp)
                        cell.fill = ToQColor(colors[4]);
                    else if (state == kHighlightDown)
                        cell.fill = ToQColor(colors[5]);
                    if ((id == kGridChange || id == kGridPercentChange) && value != 0)
                        cell.ink = value > 0 ? QColor(0, 175, 0) : QColor(255, 0, 0);
                }
                plain.cells.push_back(std::move(cell));
            }
            m_rows->rows.push_back(std::move(plain));
        }
    }

    void SetCovered(bool covered) { ShowCover(*m_cover, covered); }

    // One repaint of the rows, as the event loop does it; the rows drawn.
    int Paint()
    {
        m_rows->update();
        Drain();
        return m_rows->drawn;
    }

private:
    QWidget m_window;
    QxPlainRows* m_rows = nullptr;
    std::unique_ptr<QWidget> m_cover;
};

double Seconds(std::chrono::steady_clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

void GridRefresh(benchmark::State& state)
{
    Fixture& f = Shared();
    static PlainSide* plain = new PlainSide(f); // lives until the process ends
    const bool covered = state.range(0) != 0;
    f.SetCovered(covered);
    plain->SetCovered(covered);
    Drain();
    int rows = 0, calls = 0, plainRows = 0;
    double ours = 0, theirs = 0;
    for (auto _ : state) {
        f.Tick(f.m_nextTick++);
        f.m_grid.ResetCounts();
        // Both sides until their window shows the rows.
        const auto t0 = std::chrono::steady_clock::now();
        f.m_grid.RefreshNow();
        Drain();
        const auto t1 = std::chrono::steady_clock::now();
        const int gridCalls = f.m_grid.drawn;
        plain->Read(f);
        const auto t2 = std::chrono::steady_clock::now();
        plainRows = plain->Paint();
        const auto t3 = std::chrono::steady_clock::now();
        ours += Seconds(t1 - t0);
        theirs += Seconds(t3 - t2);
        state.SetIterationTime(Seconds(t1 - t0));
        if (f.m_grid.drawn != gridCalls) {
            state.SkipWithError("the grid drew rows in the plain side's time");
            break;
        }
        if (!CheckRepainted(state, f, rows, calls))
            break;
        if (plainRows < rows) {
            state.SkipWithError(("the plain side drew " + std::to_string(plainRows) + " of " +
                                 std::to_string(rows) + " rows")
                                    .c_str());
            break;
        }
    }
    f.SetCovered(false);
    plain->SetCovered(false);
    const double iterations = static_cast<double>(state.iterations());
    state.counters["covered"] = covered ? 1 : 0;
    state.counters["rows_painted"] = rows;
    state.counters["draw_calls"] = calls;
    state.counters["plain_rows"] = plainRows;
    state.counters["plain_ms"] = theirs * 1e3 / iterations;
    state.counters["ratio"] = theirs > 0 ? ours / theirs : 0;
}

void GridRefreshNaiveSort(benchmark::State& state)
{
    Fixture& f = Shared();
    int rows = 0, calls = 0;
    for (auto _ : state) {
        state.PauseTiming();
        f.Tick(f.m_nextTick++);
        f.m_grid.ResetCounts();
        state.ResumeTiming();
        f.NaiveRefresh();
        Drain();
        state.PauseTiming();
        if (!CheckRepainted(state, f, rows, calls))
            break;
        state.ResumeTiming();
    }
    state.counters["rows_painted"] = rows;
    state.counters["draw_calls"] = calls;
}

// One second of the event loop: the interface thread's CPU and the rows drawn.
struct IdleSecond {
    double cpu = 0;
    int rows = 0;
};

IdleSecond MeasureSecond(Fixture& f)
{
    f.m_grid.ResetCounts();
    const double before = ThreadCpuSeconds();
    RunFor(1000);
    return {ThreadCpuSeconds() - before, f.m_grid.drawn};
}

void GridIdle(benchmark::State& state)
{
    Fixture& f = Shared();
    const bool covered = state.range(0) != 0;
    f.SetCovered(covered);
    f.Tick(f.m_nextTick++);
    f.m_grid.StartRefresh();
    RunFor(1200); // the new quotes shown once (under the other window, when there is one)
    double cpu = 0, stoppedCpu = 0;
    int rows = 0;
    for (auto _ : state) {
        const IdleSecond running = MeasureSecond(f);
        f.m_grid.StopRefresh();
        const IdleSecond stopped = MeasureSecond(f);
        f.m_grid.StartRefresh();
        state.SetIterationTime(running.cpu);
        cpu += running.cpu;
        stoppedCpu += stopped.cpu;
        rows += running.rows;
    }
    const double seconds = static_cast<double>(state.iterations());
    // A quote that changes nothing repaints nothing; one that changes a row's Bid (which
    // the sort does not read) repaints that row alone.
    const int index = f.m_grid.GetTopIndex() + 2;
    const CGridRow* shown = f.m_grid.RowAt(index);
    const int symbol = std::stoi(shown->Symbol().Mid(1).GetString());
    double last = 0, bid = 0;
    shown->Handle()->GetField(kFieldLast, last);
    shown->Handle()->GetField(kFieldBid, bid);
    f.TickOne(symbol, kFieldLast, last);
    f.m_grid.ResetCounts();
    RunFor(600);
    const int unchanged = f.m_grid.drawn;
    f.TickOne(symbol, kFieldBid, bid - 0.01);
    f.m_grid.rows.clear();
    RunFor(600);
    const std::set<int> changed = f.m_grid.rows;
    f.m_grid.StopRefresh();
    f.SetCovered(false);
    state.counters["covered"] = covered ? 1 : 0;
    state.counters["cpu_ms_per_s"] = cpu * 1e3 / seconds;
    state.counters["stopped_cpu_ms_per_s"] = stoppedCpu * 1e3 / seconds;
    state.counters["rows_repainted_per_s"] = rows / seconds;
    state.counters["one_quote_rows"] = static_cast<double>(changed.size());
    if (rows != 0 || unchanged != 0)
        state.SkipWithError(("an idle grid repainted " + std::to_string(rows + unchanged) + " rows").c_str());
    else if (changed != std::set<int>{index})
        state.SkipWithError(("a changed Bid repainted " + std::to_string(changed.size()) + " rows").c_str());
}

} // namespace

BENCHMARK(GridRefresh)->ArgName("covered")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseManualTime();
BENCHMARK(GridRefreshNaiveSort)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(GridIdle)->ArgName("covered")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3)->UseManualTime();

namespace {

void RefreshOnly(benchmark::State& state)
{
    Fixture& f = Shared();
    for (auto _ : state) {
        state.PauseTiming();
        f.Tick(f.m_nextTick++);
        state.ResumeTiming();
        f.m_grid.RefreshNow();
        state.PauseTiming();
        Drain();
        state.ResumeTiming();
    }
}
void PaintOnly(benchmark::State& state)
{
    Fixture& f = Shared();
    for (auto _ : state) {
        state.PauseTiming();
        f.Tick(f.m_nextTick++);
        f.m_grid.RefreshNow();
        state.ResumeTiming();
        Drain();
    }
}

} // namespace

BENCHMARK(RefreshOnly)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(PaintOnly)->Unit(benchmark::kMillisecond)->MinTime(1.0);
