// Parse time of a typical strategy formula, and evaluation cost per bar of a formula with
// two study inputs next to a hand-written loop over the same cached study values.
#include "analytics/formula/CFormula.h"
#include "analytics/formula/CFormulaEngine.h"
#include "analytics/formula/FormulaNames.h"
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

constexpr int kBars = 1000;

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

// Two moving averages of daily bars, resolved and loaded, with their values cached.
class CTwoStudies {
public:
    CTwoStudies()
    {
        InitFormulaNames();
        m_engine.Start();
        CFormulaEngine::Install(&m_engine);
        CSeriesQuote quote;
        quote.pending = false;
        quote.exchange = "NYSE";
        quote.open = quote.high = quote.low = quote.last = 100;
        quote.tradeFeedTime = CTimeToFeedTime(CTime(2026, 3, 4, 12, 0, 0));
        m_services.quotes["IBM"] = quote;
        m_formula = std::make_unique<CFormula>(
            "MovingAverage[MA,Close,10,0,D]-MovingAverage[MA,Close,50,0,D]>0", 3, kBars, 0);
        CString error;
        m_formula->Parse(error);
        m_formula->Subscribe("IBM", 0, nullptr, nullptr, "", 0, 0);
        while (!m_formula->IsResolved())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        std::vector<CHistoryRow> rows;
        int k = 0;
        for (CTime day(2021, 1, 4, 0, 0, 0); day < CTime(2026, 3, 4, 0, 0, 0); day = day + CTimeSpan(1, 0, 0, 0)) {
            if (day.GetDayOfWeek() == 1 || day.GetDayOfWeek() == 7)
                continue;
            const double close = 100 + 10 * std::sin(++k / 7.0);
            rows.push_back({CTimeToFeedTime(day), close, close + 1, close - 1, close, 1000.0});
        }
        std::vector<FakeSeriesServices::Request> requests;
        {
            std::lock_guard<std::mutex> g(m_services.lock);
            requests.swap(m_services.requests);
        }
        for (const auto& request : requests)
            request.series->OnDailyHistory(rows);
        m_formula->GetSeriesInputs(m_items);
        m_fast = m_items[0]->m_pInput;
        m_slow = m_items[1]->m_pInput;
    }
    ~CTwoStudies()
    {
        m_formula.reset();
        CFormulaEngine::Install(nullptr);
        m_engine.Stop();
    }

    FakeSeriesServices m_services;
    CFormulaEngine m_engine;
    std::unique_ptr<CFormula> m_formula;
    std::vector<CFormulaSeriesItem*> m_items;
    CStudySource* m_fast = nullptr;
    CStudySource* m_slow = nullptr;
};

CTwoStudies& Studies()
{
    static CTwoStudies studies;
    return studies;
}

void BM_EvaluatePerBar(benchmark::State& state)
{
    CTwoStudies& s = Studies();
    int trues = 0;
    for (auto _ : state) {
        for (int bar = 0; bar < kBars; ++bar)
            trues += s.m_formula->Evaluate(nullptr, bar, -1);
    }
    benchmark::DoNotOptimize(trues);
    // Bars where the fast average is above the slow one, per pass (a check that both ran).
    state.counters["true_bars"] = static_cast<double>(trues) / static_cast<double>(state.iterations());
    state.SetItemsProcessed(state.iterations() * kBars);
    state.counters["per_bar"] = benchmark::Counter(static_cast<double>(state.iterations()) * kBars,
                                                   benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_EvaluatePerBar);

void BM_HandWrittenPerBar(benchmark::State& state)
{
    CTwoStudies& s = Studies();
    int trues = 0;
    for (auto _ : state) {
        for (int bar = 0; bar < kBars; ++bar) {
            double fast = 0, slow = 0;
            if (s.m_fast->GetValue(bar, 0, fast, -1) && s.m_slow->GetValue(bar, 0, slow, -1))
                trues += fast - slow > 0;
        }
    }
    benchmark::DoNotOptimize(trues);
    // Bars where the fast average is above the slow one, per pass (a check that both ran).
    state.counters["true_bars"] = static_cast<double>(trues) / static_cast<double>(state.iterations());
    state.SetItemsProcessed(state.iterations() * kBars);
    state.counters["per_bar"] = benchmark::Counter(static_cast<double>(state.iterations()) * kBars,
                                                   benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_HandWrittenPerBar);

} // namespace
