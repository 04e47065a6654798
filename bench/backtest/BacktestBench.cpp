// The backtest worker against a plain C++ loop doing the same strategy, in one run.
//
// Crossover/Single: a 5/20 moving-average crossover (long while the 5-bar average of the
//   close is above the 20-bar one, 100 shares, priced at the close) over about 1,000,000
//   one-minute bars of one symbol.
// Crossover/Portfolio: the same over 100 symbols x 10,000 one-minute bars in portfolio
//   mode, with a capital that cannot pay for every entry.
// History comes from fake series services answering from memory (rows made before the
// timing, copied out per request). Each iteration starts once the last one's series are
// gone (outside the timing), so that every run loads its history anew, and runs the
// worker (BackTestThreadProc on the job) and then the plain loop over the same closes;
// both must produce the same trades (time, action, price, quantity), else the benchmark
// fails. Both collect their trades into lists reserved beforehand. Counters: bar_steps (bars the worker walked), trades, walk_steps_per_s (the
// worker's bar walk, formulas and their averages included, data loading not), plain_s
// and plain_steps_per_s, "ratio" = worker walk time / plain loop time, and "ratio_run" =
// the whole run (history delivery included) / plain loop time.
#include "analytics/formula/CFormulaEngine.h"
#include "analytics/formula/FormulaNames.h"
#include "backtest/BackTestContext.h"
#include "backtest/CStrategySetup.h"
#include "analytics/series/CSeriesRegistry.h"
#include "broker/core/FeedTime.h"
#include "tests/backtest/AnsweringSeriesServices.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <map>
#include <mutex>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int64_t kMinute = 60;

int64_t NaiveOf(DWORD feed)
{
    return FeedTimeToNaiveSeconds(feed);
}

// The one-minute bars of the regular session (9:30 to 16:00, weekdays) from `from` up to
// and including `to`, naive seconds.
std::vector<int64_t> SessionMinutes(int64_t from, int64_t to)
{
    std::vector<int64_t> minutes;
    for (int64_t day = from / 86400; day <= to / 86400; ++day) {
        const int weekday = static_cast<int>((day + 4) % 7);  // 1970-01-01 was a Thursday
        if (weekday == 0 || weekday == 6)
            continue;
        for (int64_t t = day * 86400 + 9 * 3600 + 30 * 60; t < day * 86400 + 16 * 3600; t += kMinute)
            if (t >= from && t <= to)
                minutes.push_back(t);
    }
    return minutes;
}

double Phase(const CString& symbol)
{
    unsigned h = 0;
    for (char c : symbol.view())
        h = h * 31 + static_cast<unsigned char>(c);
    return static_cast<double>(h % 1000);
}

// A wave the averages cross every few dozen bars, in 64ths: sums of such prices are exact,
// so an average equal to the other is equal on both sides.
double CloseAt(double phase, int64_t t)
{
    const double m = static_cast<double>(t / kMinute) + phase;
    return std::round((100 + 5 * std::sin(m / 37.0) + 2 * std::sin(m / 11.0)) * 64) / 64;
}

std::vector<CHistoryRow> MinuteRows(const CString& symbol, DWORD start, DWORD end)
{
    const double phase = Phase(symbol);
    std::vector<CHistoryRow> rows;
    for (int64_t t : SessionMinutes(NaiveOf(start), NaiveOf(end))) {
        const double close = CloseAt(phase, t);
        rows.push_back({NaiveSecondsToFeedTime(t), close, close + 0.0625, close - 0.0625, close, 1000.0});
    }
    return rows;
}

struct Trade {
    CString symbol;
    int action;
    DWORD time;
    double price;
    int quantity;
    bool operator==(const Trade&) const = default;
};

class CCollectingSink : public IBackTestSink {
public:
    void OnRunStarted(std::shared_ptr<const CStrategySetup>) override {}
    void OnTrade(std::unique_ptr<BackTestEntry> e) override
    {
        trades.push_back({e->m_symbol, e->m_nAction, static_cast<DWORD>(e->m_nTime), e->m_price, e->m_nQuantity});
    }
    void OnGroup(std::unique_ptr<EntryGroup>) override {}
    void OnProgress() override {}
    void OnProblem(const CString& text) override { problems.push_back(text); }
    void OnRunEnded() override
    {
        std::lock_guard<std::mutex> g(m_lock);
        m_ended = true;
        m_done.notify_all();
    }
    void Wait()
    {
        std::unique_lock<std::mutex> g(m_lock);
        m_done.wait(g, [this] { return m_ended; });
        m_ended = false;
    }
    std::vector<Trade> trades;
    std::vector<CString> problems;

private:
    std::mutex m_lock;
    std::condition_variable m_done;
    bool m_ended = false;
};

// The plain side: the crossover over one symbol's closes; the first 19 bars only warm the
// averages up.
// One symbol's bars for the plain side: times and closes, the first `warm` only warming
// the averages up.
struct PlainBars {
    CString symbol;
    std::vector<DWORD> time;
    std::vector<double> close;
    int warm = 0;
};

void PlainCrossover(const PlainBars& bars, std::vector<Trade>& out)
{
    const size_t n = bars.close.size();
    const std::vector<double>& close = bars.close;
    const int warm = bars.warm;
    const CString& symbol = bars.symbol;
    double sum5 = 0, sum20 = 0;
    bool open = false;
    for (size_t i = 0; i < n; ++i) {
        sum5 += close[i];
        sum20 += close[i];
        if (i >= 5)
            sum5 -= close[i - 5];
        if (i >= 20)
            sum20 -= close[i - 20];
        if (static_cast<int>(i) < warm)
            continue;
        const double fast = sum5 * (1.0 / 5), slow = sum20 * (1.0 / 20);
        if (!open && fast > slow) {
            out.push_back({symbol, kActionBuy, bars.time[i], close[i], 100});
            open = true;
        } else if (open && fast < slow) {
            out.push_back({symbol, kActionSell, bars.time[i], close[i], 100});
            open = false;
        }
    }
}

// Replays the trades in time order (ties in symbol order) against the capital.
std::vector<Trade> PlainPortfolio(std::vector<Trade> trades, double capital)
{
    std::stable_sort(trades.begin(), trades.end(), [](const Trade& a, const Trade& b) { return a.time < b.time; });
    std::map<std::string, double> held;  // entry cost per symbol
    std::vector<Trade> kept;
    for (const Trade& t : trades) {
        const double cost = t.quantity * t.price;
        if (t.action == kActionBuy) {
            if (capital < cost)
                continue;
            capital -= cost;
            held[t.symbol.str()] = cost;
        } else {
            auto it = held.find(t.symbol.str());
            if (it == held.end())
                continue;
            capital += cost;  // E + (cost - E)
            held.erase(it);
        }
        kept.push_back(t);
    }
    return kept;
}

class CBacktestBench {
public:
    CBacktestBench()
    {
        InitFormulaNames();
        m_engine.Start();
        CFormulaEngine::Install(&m_engine);
        // Rows made beforehand are answered by copy; others are made on request.
        m_services.SetSource([this](const CString& symbol, const CString&, DWORD start, DWORD end) {
            const auto kept = m_history.find(symbol.str());
            const int64_t from = NaiveOf(start), to = NaiveOf(end);
            if (kept == m_history.end() || from < kept->second.from || to > kept->second.to)
                return MinuteRows(symbol, start, end);
            const std::vector<int64_t>& times = kept->second.times;
            const auto a = std::lower_bound(times.begin(), times.end(), from) - times.begin();
            const auto b = std::upper_bound(times.begin(), times.end(), to) - times.begin();
            return std::vector<CHistoryRow>(kept->second.rows.begin() + a, kept->second.rows.begin() + b);
        });
        m_context.m_pSink = &m_sink;
    }
    ~CBacktestBench()
    {
        CancelBackTest(m_context);
        CFormulaEngine::Install(nullptr);
        m_engine.Stop();
    }

    std::shared_ptr<CStrategySetup> Job(const std::vector<CString>& symbols, DWORD start, DWORD end)
    {
        auto job = std::make_shared<CStrategySetup>();
        for (const CString& s : symbols) {
            m_services.SetQuote(s);
            job->m_symbols += s + " ";
        }
        job->m_startTime = start;
        job->m_endTime = end;
        job->m_nUntilNow = 0;
        CStrategyDefinition s;
        s.m_name = "Cross";
        s.m_entryName = "In";
        s.m_exitName = "Out";
        s.m_entryExpression = "MovingAverage[MA,Close,5,0,1]>MovingAverage[MA,Close,20,0,1]";
        s.m_exitExpression = "MovingAverage[MA,Close,5,0,1]<MovingAverage[MA,Close,20,0,1]";
        s.m_nEntryQuantity = 100;
        s.m_entryFlag = kSharesFlag;
        s.m_entryAction = "Buy";
        s.m_exitAction = "Sell";
        s.m_interval = "1";
        s.m_entryPriceType = "Close";
        s.m_exitPriceType = "Close";
        job->AddStrategy(s);
        return job;
    }

    void Run(benchmark::State& state, const std::vector<CString>& symbols, DWORD start, DWORD end, double capital)
    {
        auto job = Job(symbols, start, end);
        // The history the services hold: each symbol's rows from a month before the start.
        for (const CString& symbol : symbols) {
            History& h = m_history[symbol.str()];
            h.from = NaiveOf(start) - 31 * 86400;
            h.to = NaiveOf(end);
            h.rows = MinuteRows(symbol, NaiveSecondsToFeedTime(h.from), end);
            for (const CHistoryRow& row : h.rows)
                h.times.push_back(NaiveOf(row.feedTime));
        }
        job->m_nPortfolio = capital > 0;
        job->m_capital = capital;
        // The plain side's bars: 19 before the start warm the averages up, as history does.
        std::vector<PlainBars> plainBars;
        int64_t plainSteps = 0;
        for (const CString& symbol : symbols) {
            const int64_t from = NaiveOf(start), to = NaiveOf(end);
            std::vector<int64_t> minutes = SessionMinutes(from - 7 * 86400, to);
            const auto first = std::lower_bound(minutes.begin(), minutes.end(), from);
            minutes.erase(minutes.begin(), minutes.begin() + std::max(0L, static_cast<long>(first - minutes.begin()) - 19));
            PlainBars bars;
            bars.symbol = symbol;
            bars.warm = static_cast<int>(std::lower_bound(minutes.begin(), minutes.end(), from) - minutes.begin());
            for (int64_t t : minutes) {
                bars.time.push_back(NaiveSecondsToFeedTime(t));
                bars.close.push_back(CloseAt(Phase(symbol), t));
            }
            plainSteps += static_cast<int64_t>(minutes.size()) - bars.warm;
            plainBars.push_back(std::move(bars));
        }
        // Both sides collect their trades into lists already long enough: the growth of a
        // list is the harness's, not the work compared.
        std::vector<Trade> expected;
        for (const PlainBars& bars : plainBars)
            PlainCrossover(bars, expected);
        const size_t most = expected.size();
        m_sink.trades.reserve(most);
        double walk = 0, run = 0, plain = 0;
        int64_t steps = 0;
        size_t trades = 0;
        for (auto _ : state) {
            state.PauseTiming();
            // The last run's series go with the engine's clean-up: each run starts cold.
            for (;;) {
                int live = 0;
                for (const CString& symbol : symbols)
                    CSeriesRegistry::Instance().Visit(symbol.str(), [&](CPriceSeries&) { ++live; return false; });
                if (live == 0) break;
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
            state.ResumeTiming();
            m_sink.trades.clear();
            expected.clear();
            expected.reserve(most);
            const auto runStart = Clock::now();
            StartBackTest(m_context, job);
            m_sink.Wait();
            run += std::chrono::duration<double>(Clock::now() - runStart).count();
            CancelBackTest(m_context);
            walk += static_cast<double>(m_context.m_nWalkNanoseconds.load()) * 1e-9;
            steps = m_context.m_nBarSteps.load();

            const auto plainStart = Clock::now();
            for (const PlainBars& bars : plainBars)
                PlainCrossover(bars, expected);
            if (capital > 0)
                expected = PlainPortfolio(std::move(expected), capital);
            plain += std::chrono::duration<double>(Clock::now() - plainStart).count();

            trades = expected.size();
            if (steps != plainSteps || expected.empty() || m_sink.trades != expected) {
                std::fprintf(stderr, "bar steps %lld / %lld, trades %zu / %zu\n", static_cast<long long>(steps),
                             static_cast<long long>(plainSteps), m_sink.trades.size(), expected.size());
                for (size_t i = 0; i < std::min(m_sink.trades.size(), expected.size()); ++i)
                    if (!(m_sink.trades[i] == expected[i])) {
                        const Trade& a = m_sink.trades[i];
                        const Trade& b = expected[i];
                        std::fprintf(stderr, "first difference at %zu: %s %d %u %.4f %d / %s %d %u %.4f %d\n", i,
                                     a.symbol.GetString(), a.action, a.time, a.price, a.quantity,
                                     b.symbol.GetString(), b.action, b.time, b.price, b.quantity);
                        for (size_t k = i >= 3 ? i - 3 : 0; k < std::min(i + 4, expected.size()); ++k)
                            std::fprintf(stderr, "  %zu: %s %d %u / %s %d %u\n", k, m_sink.trades[k].symbol.GetString(),
                                         m_sink.trades[k].action, m_sink.trades[k].time, expected[k].symbol.GetString(),
                                         expected[k].action, expected[k].time);
                        break;
                    }
                std::map<std::string, std::pair<std::vector<Trade>, std::vector<Trade>>> bySymbol;
                for (const Trade& t : m_sink.trades)
                    bySymbol[t.symbol.str()].first.push_back(t);
                for (const Trade& t : expected)
                    bySymbol[t.symbol.str()].second.push_back(t);
                for (const auto& [symbol, lists] : bySymbol)
                    if (lists.first != lists.second) {
                        std::fprintf(stderr, "%s differs: %zu / %zu trades", symbol.c_str(), lists.first.size(),
                                     lists.second.size());
                        if (!lists.first.empty() && !lists.second.empty())
                            std::fprintf(stderr, ", first at %u / %u", lists.first[0].time, lists.second[0].time);
                        std::fprintf(stderr, "\n");
                    }
                for (const CString& problem : m_sink.problems)
                    std::fprintf(stderr, "%s\n", problem.GetString());
                state.SkipWithError("the worker and the plain loop made different trades");
                return;
            }
        }
        const double n = static_cast<double>(state.iterations());
        state.counters["bar_steps"] = static_cast<double>(steps);
        state.counters["trades"] = static_cast<double>(trades);
        state.counters["walk_steps_per_s"] = static_cast<double>(steps) / (walk / n);
        state.counters["run_s"] = run / n;
        state.counters["walk_s"] = walk / n;
        state.counters["plain_s"] = plain / n;
        state.counters["plain_steps_per_s"] = static_cast<double>(plainSteps) / (plain / n);
        state.counters["ratio"] = walk / plain;
        state.counters["ratio_run"] = run / plain;
    }

private:
    struct History {
        int64_t from = 0, to = 0;  // naive seconds the rows cover
        std::vector<CHistoryRow> rows;
        std::vector<int64_t> times;
    };
    std::map<std::string, History> m_history;  // made before the services answer from it
    CAnsweringServices m_services;
    CFormulaEngine m_engine;
    CCollectingSink m_sink;
    BackTestContext m_context;
};

void BM_CrossoverSingle(benchmark::State& state)
{
    CBacktestBench bench;
    // 2016-06-01 to 2026-03-03: about 2,560 sessions of 390 one-minute bars.
    bench.Run(state, {"IBM"}, DateTimeToFeedTime(2016, 6, 1, 0, 0, 0), DateTimeToFeedTime(2026, 3, 3, 16, 0, 0), 0);
}
BENCHMARK(BM_CrossoverSingle)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();

void BM_CrossoverPortfolio(benchmark::State& state)
{
    CBacktestBench bench;
    std::vector<CString> symbols;
    for (int i = 0; i < 100; ++i) {
        CString s;
        s.Format("S%03d", i);
        symbols.push_back(s);
    }
    // 2026-01-26 to 2026-03-03: 26 sessions, 10,140 bars per symbol.
    bench.Run(state, symbols, DateTimeToFeedTime(2026, 1, 26, 0, 0, 0), DateTimeToFeedTime(2026, 3, 3, 16, 0, 0),
              400000);
}
BENCHMARK(BM_CrossoverPortfolio)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();

}  // namespace
