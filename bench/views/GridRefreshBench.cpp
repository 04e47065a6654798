// One 500 ms refresh of the Level I quote grid, offscreen: 500 rows, 20 columns of which
// two are formula columns ("Last*2" with an alert, "(Bid+Ask)/2>Last"), sorted by the
// first formula column; before each refresh every row gets a new quote. Two sides of the
// same refresh (column alerts, sort, repaint of the visible rows), in one run:
//   GridRefresh            the grid's own refresh: sort keys worked out once per row;
//   GridRefreshNaiveSort   the same refresh sorting with the formula evaluated for both
//                          rows inside every comparison.
// Both report the rows they repainted a refresh (every visible row: the order changes).
// RefreshOnly and PaintOnly time the two halves of GridRefresh: the timer's work (alerts
// and sort) and the repaint of the visible rows by the event loop.
//
// GridIdle: the same grid with its 500 ms timer running and no quote changing, against
// the same second with the timer stopped. It reports the interface thread's CPU a second
// for both (cpu_ms_per_s, stopped_cpu_ms_per_s) and the rows repainted a second (0 when
// nothing changed), then checks that a changed quote repaints its row.
#include "analytics/formula/CFormulaEngine.h"
#include "analytics/formula/FormulaNames.h"
#include "broker/session/CSessionManager.h"
#include "broker/session/QuoteFields.h"
#include "broker/session/CSymbolHandle.h"
#include "broker/session/SessionConfig.h"
#include "common/services/CAppSettings.h"
#include "platform/ui/CBitmap.h"
#include "views/ui/CListCtrlEx.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <QWidget>

#include <ctime>
#include <cstdlib>
#include <set>
#include <string>
#include <memory>
#include <thread>

namespace {

constexpr int kRows = 500;
constexpr int kCatalogueColumns[] = {33, 32, 3, 35, 36, 6, 7, 10, 1, 2, 0, 4, 13, 14, 12, 28, 29, 61};

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

// The grid, counting the rows it draws.
class CCountingGrid : public CListCtrlEx {
public:
    void DrawItem(LPDRAWITEMSTRUCT draw) override
    {
        ++drawn;
        CListCtrlEx::DrawItem(draw);
    }
    int drawn = 0;
};

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
        RunFor(200); // the window shown before anything is timed
    }
    ~Fixture()
    {
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
            q.AddField(kFieldVolume, 1000.0 * (i + n));
            q.AddField(kFieldBidSize, 300);
            q.AddField(kFieldAskSize, 500);
            q.AddText(kFieldDescription, "A made-up company");
            q.AddText(kFieldExchange, "NASD");
            m_manager.GetQuoteStore().ApplyQuote(q);
        }
    }

    // A new Last for one row only.
    void TickOne(int i, double last)
    {
        CQuoteMessage q;
        q.m_symbol = Symbol(i);
        q.AddField(kFieldLast, last);
        m_manager.GetQuoteStore().ApplyQuote(q);
    }

    // The repaint the refresh asked for, as the event loop does it.
    void Paint() { QCoreApplication::processEvents(); }

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
    int m_sortColumn = -1;
    // Ticks go on from run to run: each brings every row a quote it did not have.
    int m_nextTick = 1;
};

Fixture& Shared()
{
    static Fixture* fixture = new Fixture; // lives until the process ends
    return *fixture;
}

// Every visible row repainted each refresh, or the benchmark fails.
bool CheckRepainted(benchmark::State& state, Fixture& f, int& rows)
{
    rows = f.m_grid.drawn;
    f.m_grid.drawn = 0;
    if (rows < f.m_grid.GetCountPerPage()) {
        state.SkipWithError(("a refresh repainted " + std::to_string(rows) + " rows").c_str());
        return false;
    }
    return true;
}

void GridRefresh(benchmark::State& state)
{
    Fixture& f = Shared();
    int rows = 0;
    for (auto _ : state) {
        state.PauseTiming();
        f.Tick(f.m_nextTick++);
        f.m_grid.drawn = 0;
        state.ResumeTiming();
        f.m_grid.RefreshNow();
        f.Paint();
        state.PauseTiming();
        if (!CheckRepainted(state, f, rows))
            break;
        state.ResumeTiming();
    }
    state.counters["rows_painted"] = rows;
}

void GridRefreshNaiveSort(benchmark::State& state)
{
    Fixture& f = Shared();
    int rows = 0;
    for (auto _ : state) {
        state.PauseTiming();
        f.Tick(f.m_nextTick++);
        f.m_grid.drawn = 0;
        state.ResumeTiming();
        f.NaiveRefresh();
        f.Paint();
        state.PauseTiming();
        if (!CheckRepainted(state, f, rows))
            break;
        state.ResumeTiming();
    }
    state.counters["rows_painted"] = rows;
}

// One second of the event loop: the interface thread's CPU and the rows drawn.
struct IdleSecond {
    double cpu = 0;
    int rows = 0;
};

IdleSecond MeasureSecond(Fixture& f)
{
    f.m_grid.drawn = 0;
    const double before = ThreadCpuSeconds();
    RunFor(1000);
    return {ThreadCpuSeconds() - before, f.m_grid.drawn};
}

void GridIdle(benchmark::State& state)
{
    Fixture& f = Shared();
    f.Tick(0);
    f.m_grid.StartRefresh();
    RunFor(1200); // the new quotes shown once
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
    // A quote that changes nothing repaints nothing; one that changes Last repaints.
    const CGridRow* shown = f.m_grid.RowAt(f.m_grid.GetTopIndex() + 2);
    const int symbol = std::stoi(shown->Symbol().Mid(1).GetString());
    double last = 0;
    shown->Handle()->GetField(kFieldLast, last);
    f.TickOne(symbol, last);
    f.m_grid.drawn = 0;
    RunFor(600);
    const int unchanged = f.m_grid.drawn;
    f.TickOne(symbol, last + 0.25);
    f.m_grid.drawn = 0;
    RunFor(600);
    const int changed = f.m_grid.drawn;
    f.m_grid.StopRefresh();
    state.counters["cpu_ms_per_s"] = cpu * 1e3 / seconds;
    state.counters["stopped_cpu_ms_per_s"] = stoppedCpu * 1e3 / seconds;
    state.counters["rows_repainted_per_s"] = rows / seconds;
    if (rows != 0 || unchanged != 0)
        state.SkipWithError(("an idle grid repainted " + std::to_string(rows + unchanged) + " rows").c_str());
    else if (changed == 0)
        state.SkipWithError("a changed quote repainted no row");
}

} // namespace

BENCHMARK(GridRefresh)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(GridRefreshNaiveSort)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(GridIdle)->Unit(benchmark::kMillisecond)->Iterations(3)->UseManualTime();

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
        f.Paint();
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
        f.Paint();
    }
}

} // namespace

BENCHMARK(RefreshOnly)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(PaintOnly)->Unit(benchmark::kMillisecond)->MinTime(1.0);
