// Formulas over 100,000 one-minute bars.
//
// Crossover/Formula: the backtest formula of a 5/20 moving-average crossover,
//   MovingAverage[MA,Close,5,0,1]>MovingAverage[MA,Close,20,0,1] AND
//   MovingAverage[MA,Close,5,0,1,1]<=MovingAverage[MA,Close,20,0,1,1]
// (two studies, each read at the bar and at the bar before), evaluated over every bar in
// one pass (CFormula::EvaluateRange), its inputs' values already computed.
// Crossover/PlainLoop: the same crossover over the same values copied into four arrays
// (the two averages at each bar and at the bar before): fast > slow, and fast before <=
// slow before within the language's tolerance, for every bar; both sides count the bars
// where the averages cross. "ratio" = Formula / PlainLoop, measured in the same run.
// Crossover/FormulaPerBar: the formula evaluated bar by bar (CFormula::Evaluate).
// ParseStrategyFormula: compiling a typical strategy formula.
#include "analytics/formula/CFormula.h"
#include "analytics/formula/CFormulaEngine.h"
#include "analytics/formula/FormulaNames.h"
#include "analytics/formula/FormulaOperators.h"
#include "analytics/formula/FormulaParser.h"
#include "analytics/series/CPriceSeries.h"
#include "analytics/series/CStudySource.h"
#include "analytics/series/SeriesTime.h"
#include "broker/session/SessionMessages.h"
#include "tests/analytics/FakeSeriesServices.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <memory>
#include <thread>

namespace {

const char* const kStrategy =
    "MovingAverage[MA,Close,10,0,D]>MovingAverage[MA,Close,50,0,D] AND "
    "MovingAverage[MA,Close,10,0,D,1]<=MovingAverage[MA,Close,50,0,D,1] AND "
    "RSI[RSI,14,D]<70 AND Bar[Volume,D]>100000 {entry}";

const char* const kCrossover = "MovingAverage[MA,Close,5,0,1]>MovingAverage[MA,Close,20,0,1] AND "
                               "MovingAverage[MA,Close,5,0,1,1]<=MovingAverage[MA,Close,20,0,1,1]";

constexpr int kBars = 100000;

void BM_ParseStrategyFormula(benchmark::State& state)
{
    InitFormulaNames();
    for (auto _ : state) {
        CFormulaItemArray items;
        CString error;
        benchmark::DoNotOptimize(CompileFormulaText(kStrategy, items, error));
        benchmark::DoNotOptimize(items.data());
    }
}
BENCHMARK(BM_ParseStrategyFormula);

// The crossover resolved for a backtest of 100,000 one-minute bars with its history in.
class CCrossover {
public:
    CCrossover()
    {
        InitFormulaNames();
        m_engine.Start();
        CFormulaEngine::Install(&m_engine);
        CSeriesQuote quote;
        quote.pending = false;
        quote.exchange = "NYSE";
        m_services.quotes["IBM"] = quote;
        m_formula = std::make_unique<CFormula>(kCrossover, 3, kBars, 0);
        CString error;
        m_formula->Parse(error);
        m_formula->Subscribe("IBM", 0, nullptr, nullptr, "1", 0, 0);
        while (!m_formula->IsResolved())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        std::vector<FakeSeriesServices::Request> requests;
        {
            std::lock_guard<std::mutex> g(m_services.lock);
            requests.swap(m_services.requests);
        }
        // One row per minute bar of each series asked for: a wave the averages cross.
        for (const auto& request : requests) {
            CPriceSeries* series = request.series;
            std::vector<CHistoryRow> rows;
            for (const CBarRecord& record : series->CopyRecords()) {
                const double t = static_cast<double>(record.m_startTime.GetTime()) / 60;
                const double close = 100 + 5 * std::sin(t / 37.0) + 2 * std::sin(t / 11.0);
                rows.push_back({CTimeToFeedTime(record.m_startTime), close, close + 0.5, close - 0.5, close, 1000.0});
            }
            series->OnIntradayHistory(rows);
        }
        m_results.resize(kBars);
        m_valid.resize(kBars);
        m_formula->EvaluateRange(0, kBars, -1, m_results.data(), m_valid.data()); // computes the averages
        // The same values, bar by bar, into arrays for the plain loop.
        std::vector<CFormulaSeriesItem*> items;
        m_formula->GetSeriesInputs(items);
        for (int k = 0; k < 4; ++k)
            m_values[k].resize(kBars);
        for (int bar = 0; bar < kBars; ++bar) {
            DWORD time = 0;
            m_formula->GetBarTime(bar, 0, time);
            for (int k = 0; k < 4; ++k) {
                CStudySource* input = items[static_cast<size_t>(k)]->m_pInput;
                const int index = input->FindBarByTime(time, 0) - items[static_cast<size_t>(k)]->m_nBarOffset;
                input->GetValue(index, 0, m_values[k][static_cast<size_t>(bar)], -1);
            }
        }
    }
    ~CCrossover()
    {
        m_formula.reset();
        CFormulaEngine::Install(nullptr);
        m_engine.Stop();
    }

    int FormulaCrossings()
    {
        m_formula->EvaluateRange(0, kBars, -1, m_results.data(), m_valid.data());
        int crossings = 0;
        for (int bar = 0; bar < kBars; ++bar)
            crossings += m_valid[static_cast<size_t>(bar)] & (m_results[static_cast<size_t>(bar)] > 0);
        return crossings;
    }

    int PlainCrossings()
    {
        const double* fast = m_values[0].data();
        const double* slow = m_values[1].data();
        const double* fastBefore = m_values[2].data();
        const double* slowBefore = m_values[3].data();
        int crossings = 0;
        for (int bar = 0; bar < kBars; ++bar)
            crossings += (fast[bar] > slow[bar]) &
                         ((fastBefore[bar] <= slowBefore[bar]) |
                          (std::fabs(fastBefore[bar] - slowBefore[bar]) < kFormulaTolerance));
        return crossings;
    }

    int FormulaPerBarCrossings()
    {
        int crossings = 0;
        for (int bar = 0; bar < kBars; ++bar)
            crossings += m_formula->Evaluate(nullptr, bar, -1);
        return crossings;
    }

    FakeSeriesServices m_services;
    CFormulaEngine m_engine;
    std::unique_ptr<CFormula> m_formula;
    std::vector<double> m_values[4];
    std::vector<double> m_results;
    std::vector<BYTE> m_valid;
};

CCrossover& Crossover()
{
    static CCrossover crossover;
    return crossover;
}

// Both sides in one run, alternately; the counters give each one's time per bar.
void BM_Crossover(benchmark::State& state)
{
    CCrossover& c = Crossover();
    using Clock = std::chrono::steady_clock;
    double formula = 0, plain = 0;
    int a = 0, b = 0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        a = c.FormulaCrossings();
        const auto t1 = Clock::now();
        b = c.PlainCrossings();
        const auto t2 = Clock::now();
        formula += std::chrono::duration<double, std::nano>(t1 - t0).count();
        plain += std::chrono::duration<double, std::nano>(t2 - t1).count();
        benchmark::DoNotOptimize(a);
        benchmark::DoNotOptimize(b);
    }
    const double n = static_cast<double>(state.iterations()) * kBars;
    state.counters["formula_ns"] = formula / n;
    state.counters["plain_ns"] = plain / n;
    state.counters["ratio"] = formula / plain;
    // The same crossings on both sides (a check that both did the work).
    state.counters["crossings"] = a;
    state.counters["same"] = a == b;
}
BENCHMARK(BM_Crossover)->Unit(benchmark::kMicrosecond);

void BM_CrossoverPerBar(benchmark::State& state)
{
    CCrossover& c = Crossover();
    int crossings = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(crossings = c.FormulaPerBarCrossings());
    state.counters["per_bar_ns"] =
        benchmark::Counter(static_cast<double>(kBars), benchmark::Counter::kIsIterationInvariantRate |
                                                          benchmark::Counter::kInvert);
    state.counters["crossings"] = crossings;
}
BENCHMARK(BM_CrossoverPerBar)->Unit(benchmark::kMillisecond);

} // namespace
