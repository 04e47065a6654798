// Every built-in study over 100,000 and 1,000,000 bars; "per_bar" is the time per bar.
#include "analytics/studies/StudyCompute.h"
#include "analytics/studies/StudyTable.h"

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

using namespace studies;

namespace {

const std::vector<CBarRecord>& Bars(int count)
{
    static std::vector<CBarRecord> bars;
    if (static_cast<int>(bars.size()) != count) {
        std::mt19937 rng(42);
        std::uniform_real_distribution<double> step(-1, 1), unit(0, 1);
        bars.assign(count, CBarRecord{});
        double close = 100;
        for (int i = 0; i < count; ++i) {
            CBarRecord& r = bars[i];
            const double open = close;
            close = std::max(1.0, close + step(rng));
            r.m_fields[0] = open;
            r.m_fields[1] = std::max(open, close) + unit(rng);
            r.m_fields[2] = std::min(open, close) - unit(rng);
            r.m_fields[3] = close;
            r.m_fields[4] = 100.0 * static_cast<int>(unit(rng) * 5000);
            r.m_bValid = unit(rng) > 0.01;
        }
    }
    return bars;
}

struct Setup {
    int type;
    double params[4];
};

const Setup kSetups[] = {
    {kADX, {14, 14}}, {kBB, {3, 20, 2}}, {kCHOP, {14}}, {kMA, {3, 20, 0}}, {kEMA, {3, 20, 0}},
    {kMACD, {3, 12, 26, 9}}, {kMOM, {3, 10, 0}}, {kOBV, {}}, {kPRC, {20, 0}}, {kRSI, {14}},
    {kSTOC, {14, 3, 3}}, {kATR, {14}}, {kCCI, {20}}, {kKB, {20, 1.5}}, {kMFI, {14}}, {kSRSI, {14}},
    {kCOSC, {3, 10}}, {kUOSC, {7, 14, 28}}, {kPSAR, {0.02, 0.02, 0.2}}, {kMAE, {3, 20, 2.5}}, {kAD, {}},
    {kCMF, {20}}, {kAROON, {25}}, {kTSF, {3, 14, 0}}, {kDEMA, {3, 20, 0}}, {kTEMA, {3, 20, 0}},
    {kAMA, {3, 10, 2, 30}}, {kEQTY, {}}, {kSRSI2, {14, 14, 3, 3}},
};

void BM_Study(benchmark::State& state, Setup setup)
{
    const int count = static_cast<int>(state.range(0));
    const auto& bars = Bars(count);
    std::vector<DWORD> ends(count);
    for (int i = 0; i < count; ++i)
        ends[i] = static_cast<DWORD>(1000 + 150 * i);
    std::vector<CEquityRecord> equity(count / 100 + 1);
    CEquityRecordArray equityPtrs;
    for (size_t k = 0; k < equity.size(); ++k) {
        equity[k] = CEquityRecord{static_cast<DWORD>(1000 + 15000 * k), static_cast<int>(k % 4), 100, 100.0, 1e5};
        equityPtrs.push_back(&equity[k]);
    }
    CStudyInput input{bars.data(), count, &equityPtrs, ends.data()};
    CStudyColumns out;
    for (auto _ : state) {
        ComputeStudy(setup.type, setup.params, input, out);
        benchmark::DoNotOptimize(out.Column(0));
    }
    state.counters["per_bar"] =
        benchmark::Counter(static_cast<double>(count), benchmark::Counter::kIsIterationInvariantRate |
                                                           benchmark::Counter::kInvert);
    state.counters["outputs"] = GetStudyRow(setup.type)->outputCount;
}

const bool g_registered = [] {
    for (const Setup& s : kSetups)
        benchmark::RegisterBenchmark(GetStudyRow(s.type)->name, BM_Study, s)
            ->Arg(100000)
            ->Arg(1000000)
            ->Unit(benchmark::kMillisecond);
    return true;
}();

} // namespace
