// The series data path over 1,000,000 bars.
//
// Study/<name>: a study series' full computation of the named output group over 1,000,000
// valid one-minute bars: its values are marked stale and computed again into the columns
// beside the records, reading the records' own field arrays (CSeriesStudy, as a series
// does on its first read after a load). With TA-Lib built (bench/analytics/setup-talib),
// each iteration also runs the matching TA-Lib functions on the same arrays, and the
// counters give both times per bar and their ratio ("ours / TA-Lib"); "goal" is the
// ratio the study must stay under (1.2 where the definitions coincide, 5 for the studies
// that restart at every record, 3 for the others; 0 where TA-Lib has no such function).
// Where TA-Lib's definition coincides with ours (RSI, MFI), the run also compares the values
// at every 97th valid bar and the newest 1000 with TA-Lib's at the same bars and fails when
// one differs by more than 1e-9 (relative past 1): "checked" counts the bars compared and
// "max_diff" is the largest difference. TA-Lib's RSI continues from its first bar, so the
// comparison runs it restarted at each bar compared (its unstable period set to 7n).
// Study1%Empty/<name>: the same over the same bars with every hundredth one empty (invalid).
// Both sides do the same work: TA-Lib's side packs the fields of the valid bars that the study
// reads (a plain loop), runs the functions and puts the first output back at the records.
// Study/PSAR: ours gives every bar the SAR of its own walk, started at most 150 bars back
// (first step and increment 0.02, at most 0.2); TA-Lib's SAR(0.02, 0.2) is one walk over all
// the bars, its step starting at and rising by 0.02. ADX, SRSI and SRSI2 also restart at every
// bar and run a wide code where the processor has it. Kernel/<name>/portable: PSAR, ADX and
// SRSI2 computed by their kernels' portable code alone (what processors without the wide
// registers run) from the bars' arrays, against the same TA-Lib calls; PSAR's portable code
// runs in the three-operand encoding where the processor has it, Kernel/PSAR/baseline in
// the one every processor has.
//
// LiveTrade/*: one trade on a 1,000,000-bar one-minute series and five study series of
// the same symbol (MA, EMA, RSI, MACD, Bollinger bands), as the quote store hands it to
// each, then the newest value of every study read: the time to apply it and bring every
// value up to date, with every history request of the series answered first. "InBar"
// trades inside the newest bar, "NewBar" opens the next one, "NewBar/1%-empty" opens it
// on series whose history left every hundredth bar empty. Each runs with TZ=UTC and with
// TZ unset (the system's zone file). A run fails unless every trade went into each
// series' newest bar (its volume counts them) and the studies' newest values followed.
//
// Memory/DailySeries: heap bytes a 1,000,000-bar daily series takes, per bar.
#include "analytics/series/CBarStore.h"
#include "analytics/series/CPriceSeries.h"
#include "analytics/series/CSeriesStudy.h"
#include "analytics/series/SeriesTime.h"
#include "analytics/studies/OscillatorStudies.h"
#include "analytics/studies/ParabolicSar.h"
#include "analytics/studies/StudyCompute.h"
#include "analytics/studies/StudyTable.h"
#include "broker/session/SessionMessages.h"
#include "tests/analytics/FakeSeriesServices.h"

#include <benchmark/benchmark.h>

#ifdef QX_HAVE_TALIB
#include <ta_libc.h>
#endif

#include <malloc.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <string>

#include <chrono>
#include <functional>
#include <memory>
#include <random>
#include <vector>

using namespace studies;

namespace {

constexpr int kBars = 1000000;

// A random walk of valid one-minute bars; with gaps, every hundredth bar is empty.
CBarStore& Bars(bool gaps = false);

CBarStore& Bars(bool gaps)
{
    if (gaps) {
        static CBarStore store;
        static bool made = false;
        if (!made) {
            made = true;
            const CBarStore& full = Bars(false);
            store.Assign(kBars);
            for (int i = 0; i < kBars; ++i) {
                store.SetTimes(i, full.Start(i), full.End(i));
                for (int f = 0; f < 5; ++f)
                    store.SetField(i, f, full.Column(f)[i]);
                store.SetValid(i, i % 100 != 50);
            }
        }
        return store;
    }
    static CBarStore store;
    static bool made = false;
    if (!made) {
        made = true;
        store.Assign(kBars);
        std::mt19937 rng(42);
        std::uniform_real_distribution<double> step(-1, 1), unit(0, 1);
        double close = 100;
        const int64_t start = CTime(2016, 1, 4, 9, 30, 0).GetTime();
        for (int i = 0; i < kBars; ++i) {
            const double open = close;
            close = std::max(1.0, close + step(rng));
            store.SetTimes(i, CTime(start + 60 * i), CTime(start + 60 * i + 60));
            store.SetField(i, kBarOpen, open);
            store.SetField(i, kBarHigh, std::max(open, close) + unit(rng));
            store.SetField(i, kBarLow, std::min(open, close) - unit(rng));
            store.SetField(i, kBarClose, close);
            store.SetField(i, kBarVolume, 100.0 * static_cast<int>(unit(rng) * 5000));
            store.SetValid(i, true);
        }
    }
    return store;
}

#ifdef QX_HAVE_TALIB
// TA-Lib's value at bar q of the arrays h, l, c, v alone, where its definition and ours
// coincide: false when it gives none.
using TalibAt = bool (*)(const double* h, const double* l, const double* c, const double* v, int q, double& value);

// RSI(14) restarted at q: its unstable period of 7n makes it seed n moves 8n bars back and
// smooth 7n more, as ours does at every bar.
bool TalibRsiAt(const double*, const double*, const double* c, const double*, int q, double& value)
{
    int beg = 0, nb = 0;
    TA_SetUnstablePeriod(TA_FUNC_UNST_RSI, 7 * 14);
    const TA_RetCode rc = TA_RSI(q, q, c, 14, &beg, &nb, &value);
    TA_SetUnstablePeriod(TA_FUNC_UNST_RSI, 0);
    return rc == TA_SUCCESS && nb == 1 && beg == q;
}

bool TalibMfiAt(const double* h, const double* l, const double* c, const double* v, int q, double& value)
{
    int beg = 0, nb = 0;
    return TA_MFI(q, q, h, l, c, v, 14, &beg, &nb, &value) == TA_SUCCESS && nb == 1 && beg == q;
}
#endif

struct Pair {
    const char* name;
    int type;
    double params[4];
    int output;       // the first output of the group computed
    double goal;      // 0: no TA-Lib counterpart
    const char* talib; // what the other side runs
#ifdef QX_HAVE_TALIB
    std::function<void(const double* o, const double* h, const double* l, const double* c, const double* v,
                       double* a, double* b, double* d, int n)>
        run;
    TalibAt at = nullptr; // where the values are compared with TA-Lib's
#endif
};

#ifdef QX_HAVE_TALIB
// A TA-Lib side over the bars' arrays o, h, l, c, v of n bars into a, b, d; e is the last index.
#define TA(body)                                                                                                \
    []([[maybe_unused]] const double* o, [[maybe_unused]] const double* h, [[maybe_unused]] const double* l,   \
       [[maybe_unused]] const double* c, [[maybe_unused]] const double* v, [[maybe_unused]] double* a,         \
       [[maybe_unused]] double* b, [[maybe_unused]] double* d, [[maybe_unused]] int n) {                       \
        [[maybe_unused]] int beg = 0, nb = 0;                                                                   \
        [[maybe_unused]] const int e = n - 1;                                                                   \
        body;                                                                                                   \
    }
#define PAIR(name, type, p0, p1, p2, p3, output, goal, text, body) {name, type, {p0, p1, p2, p3}, output, goal, text, TA(body)}
#define CHECKED_PAIR(name, type, p0, p1, p2, p3, output, goal, text, body, at)                                     \
    {name, type, {p0, p1, p2, p3}, output, goal, text, TA(body), at}
#else
#define PAIR(name, type, p0, p1, p2, p3, output, goal, text, body) {name, type, {p0, p1, p2, p3}, output, goal, text}
#define CHECKED_PAIR(name, type, p0, p1, p2, p3, output, goal, text, body, at)                                     \
    PAIR(name, type, p0, p1, p2, p3, output, goal, text, body)
#endif

const Pair kPairs[] = {
    PAIR("MA/MA", kMA, 3, 20, 0, 0, 0, 1.2, "SMA(20)", TA_SMA(0, e, c, 20, &beg, &nb, a)),
    PAIR("MA/WMA", kMA, 3, 20, 0, 0, 1, 1.2, "WMA(20)", TA_WMA(0, e, c, 20, &beg, &nb, a)),
    PAIR("MA/VWMA", kMA, 3, 20, 0, 0, 2, 0, "none", ),
    PAIR("EMA", kEMA, 3, 20, 0, 0, 0, 1.2, "EMA(20)", TA_EMA(0, e, c, 20, &beg, &nb, a)),
    PAIR("BB", kBB, 3, 20, 2, 0, 0, 1.2, "BBANDS(20,2,2,SMA)",
         TA_BBANDS(0, e, c, 20, 2, 2, TA_MAType_SMA, &beg, &nb, a, b, d)),
    PAIR("CCI", kCCI, 20, 0, 0, 0, 0, 1.2, "CCI(20)", TA_CCI(0, e, h, l, c, 20, &beg, &nb, a)),
    PAIR("MOM", kMOM, 3, 10, 0, 0, 0, 1.2, "MOM(10)", TA_MOM(0, e, c, 10, &beg, &nb, a)),
    PAIR("STOC", kSTOC, 14, 3, 3, 0, 0, 1.2, "STOCH(14,3,SMA,3,SMA)",
         TA_STOCH(0, e, h, l, c, 14, 3, TA_MAType_SMA, 3, TA_MAType_SMA, &beg, &nb, a, b)),
    PAIR("TSF", kTSF, 3, 14, 0, 0, 0, 1.2, "TSF(14)+LINEARREG_SLOPE(14)",
         TA_TSF(0, e, c, 14, &beg, &nb, a); TA_LINEARREG_SLOPE(0, e, c, 14, &beg, &nb, b)),
    PAIR("DEMA", kDEMA, 3, 20, 0, 0, 0, 3, "DEMA(20)", TA_DEMA(0, e, c, 20, &beg, &nb, a)),
    PAIR("TEMA", kTEMA, 3, 20, 0, 0, 0, 3, "TEMA(20)", TA_TEMA(0, e, c, 20, &beg, &nb, a)),
    PAIR("AMA", kAMA, 3, 10, 2, 30, 0, 3, "KAMA(10)", TA_KAMA(0, e, c, 10, &beg, &nb, a)),
    PAIR("MACD", kMACD, 3, 12, 26, 9, 0, 3, "MACD(12,26,9)", TA_MACD(0, e, c, 12, 26, 9, &beg, &nb, a, b, d)),
    PAIR("MAE", kMAE, 3, 20, 2.5, 0, 0, 3, "SMA(20)", TA_SMA(0, e, c, 20, &beg, &nb, a)),
    PAIR("KB", kKB, 20, 1.5, 0, 0, 0, 3, "SMA(20)+TRANGE+SMA(20)",
         TA_SMA(0, e, c, 20, &beg, &nb, a); TA_TRANGE(0, e, h, l, c, &beg, &nb, b);
         TA_SMA(0, e - 1, b, 20, &beg, &nb, d)),
    PAIR("PRC", kPRC, 20, 0, 0, 0, 0, 3, "MAX(20)+MIN(20)",
         TA_MAX(0, e, h, 20, &beg, &nb, a); TA_MIN(0, e, l, 20, &beg, &nb, b)),
    CHECKED_PAIR("RSI", kRSI, 14, 0, 0, 0, 0, 1.2, "RSI(14)", TA_RSI(0, e, c, 14, &beg, &nb, a), TalibRsiAt),
    PAIR("ATR", kATR, 14, 0, 0, 0, 0, 3, "ATR(14)", TA_ATR(0, e, h, l, c, 14, &beg, &nb, a)),
    PAIR("CHOP", kCHOP, 14, 0, 0, 0, 0, 3, "TRANGE+SUM(14)+MAX(14)+MIN(14)",
         TA_TRANGE(0, e, h, l, c, &beg, &nb, a); TA_SUM(0, e - 1, a, 14, &beg, &nb, b);
         TA_MAX(0, e, h, 14, &beg, &nb, d); TA_MIN(0, e, l, 14, &beg, &nb, a)),
    CHECKED_PAIR("MFI", kMFI, 14, 0, 0, 0, 0, 1.2, "MFI(14)", TA_MFI(0, e, h, l, c, v, 14, &beg, &nb, a),
                 TalibMfiAt),
    PAIR("OBV", kOBV, 0, 0, 0, 0, 0, 3, "OBV", TA_OBV(0, e, c, v, &beg, &nb, a)),
    PAIR("AD", kAD, 0, 0, 0, 0, 0, 3, "AD", TA_AD(0, e, h, l, c, v, &beg, &nb, a)),
    PAIR("CMF", kCMF, 20, 0, 0, 0, 0, 3, "AD+SUM(20)",
         TA_AD(0, e, h, l, c, v, &beg, &nb, a); TA_SUM(0, e, v, 20, &beg, &nb, b)),
    PAIR("COSC", kCOSC, 3, 10, 0, 0, 0, 3, "ADOSC(3,10)", TA_ADOSC(0, e, h, l, c, v, 3, 10, &beg, &nb, a)),
    PAIR("UOSC", kUOSC, 7, 14, 28, 0, 0, 3, "ULTOSC(7,14,28)", TA_ULTOSC(0, e, h, l, c, 7, 14, 28, &beg, &nb, a)),
    PAIR("AROON", kAROON, 25, 0, 0, 0, 0, 3, "AROON(25)", TA_AROON(0, e, h, l, 25, &beg, &nb, a, b)),
    PAIR("ADX", kADX, 14, 14, 0, 0, 0, 5, "ADX(14)+PLUS_DI(14)+MINUS_DI(14)",
         TA_ADX(0, e, h, l, c, 14, &beg, &nb, a); TA_PLUS_DI(0, e, h, l, c, 14, &beg, &nb, b);
         TA_MINUS_DI(0, e, h, l, c, 14, &beg, &nb, d)),
    PAIR("PSAR", kPSAR, 0.02, 0.02, 0.2, 0, 0, 5, "SAR(0.02,0.2)", TA_SAR(0, e, h, l, 0.02, 0.2, &beg, &nb, a)),
    PAIR("SRSI", kSRSI, 14, 0, 0, 0, 0, 5, "STOCHRSI(14,14,1,SMA)",
         TA_STOCHRSI(0, e, c, 14, 14, 1, TA_MAType_SMA, &beg, &nb, a, b)),
    PAIR("SRSI2", kSRSI2, 14, 14, 3, 3, 0, 5, "RSI(14)+STOCH(14,3,SMA,3,SMA) of it",
         TA_RSI(0, e, c, 14, &beg, &nb, a);
         TA_STOCH(0, nb - 1, a, a, a, 14, 3, TA_MAType_SMA, 3, TA_MAType_SMA, &beg, &nb, b, d)),
    PAIR("EQTY", kEQTY, 0, 0, 0, 0, 0, 0, "none", ),
};

void BM_Study(benchmark::State& state, const Pair& pair, bool gaps)
{
    CBarStore& bars = Bars(gaps);
    CSeriesStudy study(pair.type, pair.params, bars);
    std::vector<CEquityRecord> equity(kBars / 100 + 1);
    CEquityRecordArray equityPtrs;
    if (pair.type == kEQTY) {
        for (size_t k = 0; k < equity.size(); ++k) {
            equity[k] = CEquityRecord{CTimeToFeedTime(bars.Start(static_cast<int>(k * 100))), static_cast<int>(k % 4),
                                      100, 100.0, 1e5};
            equityPtrs.push_back(&equity[k]);
        }
        study.SetEquity(&equityPtrs);
    }
#ifdef QX_HAVE_TALIB
    std::vector<double> a(kBars), b(kBars), d(kBars), scattered(kBars);
    // With gaps TA-Lib's caller packs the fields the study reads and puts the first output back
    // at the records, as the series does; the packed arrays are reused.
    const unsigned fields = StudyFields(pair.type, pair.params);
    std::vector<double> own[5];
    for (auto& f : own)
        f.resize(kBars);
    const BYTE* valid = bars.ValidColumn();
    const double* in[5] = {};
    for (int f = 0; f < 5; ++f)
        in[f] = gaps ? own[f].data() : bars.Column(f);
#endif
    using Clock = std::chrono::steady_clock;
    double ours = 0, theirs = 0;
    int withValue = 0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        study.Reset();
        study.Refresh(0, kBars - 1, pair.output);
        const auto t1 = Clock::now();
        ours += std::chrono::duration<double, std::nano>(t1 - t0).count();
#ifdef QX_HAVE_TALIB
        if (pair.goal > 0) {
            int size = kBars;
            if (gaps) {
                size = 0;
                for (int f = 0; f < 5; ++f) {
                    if (!(fields & (1u << f)))
                        continue;
                    const double* column = bars.Column(f);
                    double* out = own[f].data();
                    size = 0;
                    for (int r = 0; r < kBars; ++r)
                        if (valid[r])
                            out[size++] = column[r];
                }
            }
            pair.run(in[kBarOpen], in[kBarHigh], in[kBarLow], in[kBarClose], in[kBarVolume], a.data(), b.data(),
                     d.data(), size);
            if (gaps) {
                // TA-Lib's outputs start at its first bar with a value: the last one is the newest bar's.
                int k = size - 1;
                for (int r = kBars - 1; r >= 0; --r)
                    scattered[static_cast<size_t>(r)] = valid[r] && k >= 0 ? a[static_cast<size_t>(k--)] : kNoValue;
            }
            theirs += std::chrono::duration<double, std::nano>(Clock::now() - t1).count();
            benchmark::DoNotOptimize(a.data());
            benchmark::DoNotOptimize(scattered.data());
        }
#endif
        double value = 0;
        withValue = study.Value(kBars - 1, pair.output, value);
        benchmark::DoNotOptimize(value);
    }
    if (!withValue && pair.type != kEQTY) {
        state.SkipWithError("the study gave the newest bar no value");
        return;
    }
#ifdef QX_HAVE_TALIB
    if (pair.at) {
        // Our values against TA-Lib's at every 97th valid bar and the newest 1000, over the
        // packed fields of the valid bars: within 1e-9 of its value (relative past 1).
        std::vector<int> recordOf;
        for (int r = 0; r < kBars; ++r)
            if (valid[r])
                recordOf.push_back(r);
        for (int f = 0; f < 5; ++f)
            if (gaps && (fields & (1u << f)))
                for (size_t k = 0; k < recordOf.size(); ++k)
                    own[f][k] = bars.Column(f)[recordOf[k]];
        const int size = static_cast<int>(recordOf.size());
        const double* results = study.Results(pair.output);
        int checked = 0, ourNone = 0;
        double worst = 0;
        for (int q = 0; q < size; q += q + 1000 >= size ? 1 : 97) {
            double theirs = 0;
            if (!pair.at(in[kBarHigh], in[kBarLow], in[kBarClose], in[kBarVolume], q, theirs))
                continue;
            const double mine = results[recordOf[static_cast<size_t>(q)]];
            if (!HasValue(mine)) {
                ++ourNone; // a zero denominator: TA-Lib gives 0 or 100 there
                continue;
            }
            worst = std::max(worst, std::abs(mine - theirs) / std::max(1.0, std::abs(theirs)));
            ++checked;
        }
        state.counters["checked"] = checked;
        state.counters["max_diff"] = worst;
        state.counters["ours_without_value"] = ourNone;
        if (checked == 0 || ourNone > checked / 100 || worst > 1e-9) {
            state.SkipWithError("the values differ from TA-Lib's");
            return;
        }
    }
#endif
    const double n = static_cast<double>(state.iterations()) * kBars;
    state.counters["ours_ns"] = ours / n;
    state.counters["has_value"] = withValue;
    if (theirs > 0) {
        state.counters["talib_ns"] = theirs / n;
        state.counters["ratio"] = ours / theirs;
        state.counters["goal"] = pair.goal;
    }
    state.SetLabel(pair.talib);
}

// The kernels with a wide code, run in their portable code alone (what processors without the
// wide registers run) over the bars' own arrays, against the same TA-Lib calls as their pairs.
enum class Portable { kPSAR, kADX, kSRSI2 };

void BM_PortableKernel(benchmark::State& state, Portable kernel, KernelCode code)
{
    CBarStore& store = Bars();
    CStudyBars bars;
    bars.size = kBars;
    for (int f = 0; f < 5; ++f)
        bars.field[f] = store.Column(f);
    std::vector<double> values[3];
    CStudyOut out;
    for (int o = 0; o < 3; ++o) {
        values[o].assign(kBars, 0.0);
        out.col[o] = values[o].data();
    }
    CStudyScratch scratch;
    const char* name = kernel == Portable::kPSAR ? "PSAR" : kernel == Portable::kADX ? "ADX" : "SRSI2";
    const Pair* pair = nullptr;
    for (const Pair& p : kPairs)
        if (std::string(p.name) == name)
            pair = &p;
#ifdef QX_HAVE_TALIB
    std::vector<double> a(kBars), b(kBars), d(kBars);
#endif
    using Clock = std::chrono::steady_clock;
    double ours = 0, theirs = 0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        const double* p = pair->params;
        if (kernel == Portable::kPSAR)
            KernelPSAR(bars, p[0], p[1], p[2], 0, kBars, out, code);
        else if (kernel == Portable::kADX)
            KernelADX(bars, static_cast<int>(p[0]), static_cast<int>(p[1]), 0, kBars, out, scratch, code);
        else
            KernelStochRSI(bars, static_cast<int>(p[0]), static_cast<int>(p[1]), static_cast<int>(p[2]),
                           static_cast<int>(p[3]), 0, kBars, out, scratch, code);
        const auto t1 = Clock::now();
        ours += std::chrono::duration<double, std::nano>(t1 - t0).count();
#ifdef QX_HAVE_TALIB
        pair->run(store.Column(kBarOpen), store.Column(kBarHigh), store.Column(kBarLow), store.Column(kBarClose),
                  store.Column(kBarVolume), a.data(), b.data(), d.data(), kBars);
        theirs += std::chrono::duration<double, std::nano>(Clock::now() - t1).count();
        benchmark::DoNotOptimize(a.data());
#endif
        benchmark::DoNotOptimize(values[0].data());
    }
    if (!HasValue(values[0][kBars - 1])) {
        state.SkipWithError("the kernel gave the newest bar no value");
        return;
    }
    const double n = static_cast<double>(state.iterations()) * kBars;
    state.counters["ours_ns"] = ours / n;
    state.counters["has_value"] = 1;
    if (theirs > 0) {
        state.counters["talib_ns"] = theirs / n;
        state.counters["ratio"] = ours / theirs;
        state.counters["goal"] = pair->goal;
    }
    state.SetLabel(pair->talib);
}

// ---------------------------------------------------------------- live trades

// The process's time zone for a live-trade run: "UTC", or unset (the system's file).
void SetZone(const char* zone)
{
    if (zone)
        setenv("TZ", zone, 1);
    else
        unsetenv("TZ");
    tzset();
}

// Six series of IBM, every history request answered with its bars (every emptyEvery-th bar
// left out, 0: none), as the quote store hands trades to each.
struct LiveSeries {
    FakeSeriesServices services;
    std::vector<std::unique_ptr<CPriceSeries>> series;
    std::vector<std::vector<CHistoryRow>> rows; // each series' history, oldest first
    DWORD tradeTime = 0;
    int answered = 0;
    int emptyEvery = 0;

    explicit LiveSeries(int empty) : emptyEvery(empty)
    {
        CSeriesQuote quote;
        quote.pending = false;
        quote.exchange = "NYSE";
        services.quotes["IBM"] = quote;
        for (const char* key : {"IBM,1", "MA(IBM,Close,20,0),1", "EMA(IBM,Close,20,0),1", "RSI(IBM,14),1",
                                "MACD(IBM,Close,12,26,9),1", "BB(IBM,Close,20,2),1"}) {
            auto s = std::make_unique<CPriceSeries>(key, 0);
            s->SetWindowMode(1);
            s->SetBarCount(kBars, 0);
            std::vector<CHistoryRow>& history = rows.emplace_back();
            double close = 100;
            std::mt19937 rng(7);
            std::uniform_real_distribution<double> step(-0.5, 0.5);
            for (int r = 0; r < s->GetRecordCount(); ++r) {
                close = std::max(1.0, close + step(rng));
                if (emptyEvery && r % emptyEvery == emptyEvery / 2 && r + 1 < s->GetRecordCount())
                    continue;
                history.push_back({CTimeToFeedTime(s->GetRecordAt(r)->m_startTime), close, close + 0.25,
                                   close - 0.25, close, 1000});
            }
            series.push_back(std::move(s));
        }
        AnswerRequests();
        // Inside the newest bar (12:07 to 12:08 on the services' clock).
        tradeTime = CTimeToFeedTime(CTime(services.now.GetTime() + 30));
        ReadNewest();
    }

    // Answers every history request made so far (and those the answers make).
    void AnswerRequests()
    {
        for (;;) {
            std::vector<FakeSeriesServices::Request> requests;
            {
                std::lock_guard<std::mutex> g(services.lock);
                requests.swap(services.requests);
            }
            if (requests.empty())
                return;
            for (const auto& request : requests) {
                size_t k = 0;
                while (k < series.size() && series[k].get() != request.series)
                    ++k;
                if (k == series.size())
                    continue;
                const auto& history = rows[k];
                auto from = std::lower_bound(history.begin(), history.end(), request.start,
                                             [](const CHistoryRow& row, DWORD t) { return row.feedTime < t; });
                auto to = std::upper_bound(from, history.end(), request.end,
                                           [](DWORD t, const CHistoryRow& row) { return t < row.feedTime; });
                request.series->OnIntradayHistory(std::vector<CHistoryRow>(from, to));
                ++answered;
            }
        }
    }

    // Every request answered and none on its way.
    bool AllAnswered()
    {
        std::lock_guard<std::mutex> g(services.lock);
        bool all = services.requests.empty() && answered > 0;
        for (auto& s : series)
            all = all && s->GetOutstandingRequests() == 0;
        return all;
    }

    // The newest value of every series; false when one has none.
    bool ReadNewest(double* sum = nullptr)
    {
        double total = 0;
        bool all = true;
        for (auto& s : series) {
            double value = 0;
            all &= s->GetValue(kBars - 1, 0, value);
            total += value;
        }
        if (sum)
            *sum = total;
        return all;
    }

    std::vector<CBarRecord> Newest()
    {
        std::vector<CBarRecord> out;
        for (auto& s : series)
            out.push_back(*s->GetRecordAt(s->GetRecordCount() - 1));
        return out;
    }
};

// One set of live series at a time: a run with another zone or other empty bars makes its own.
LiveSeries& Live(const char* zone, int emptyEvery)
{
    static std::unique_ptr<LiveSeries> live;
    static std::string liveZone = "?";
    const std::string wanted = zone ? zone : "";
    if (!live || liveZone != wanted || live->emptyEvery != emptyEvery) {
        live.reset();
        SetZone(zone);
        live = std::make_unique<LiveSeries>(emptyEvery);
        liveZone = wanted;
    }
    return *live;
}

void CountLiveWork(benchmark::State& state, LiveSeries& live, int64_t trades, int64_t rolled)
{
    state.counters["series"] = static_cast<double>(live.series.size());
    state.counters["requests_answered"] = live.answered;
    state.counters["trades_applied"] = static_cast<double>(trades);
    state.counters["bars_rolled"] = static_cast<double>(rolled);
}

void BM_LiveTradeInBar(benchmark::State& state, const char* zone)
{
    LiveSeries& live = Live(zone, 0);
    if (!live.AllAnswered()) {
        state.SkipWithError("history requests left unanswered");
        return;
    }
    const std::vector<CBarRecord> before = live.Newest();
    CTradeMessage trade;
    trade.m_size = 1;
    trade.m_exchange = "NYSE";
    int k = 0;
    double sum = 0, first = 0;
    bool valued = live.ReadNewest(&first);
    bool changed = false;
    for (auto _ : state) {
        trade.m_price = 100 + (k++ % 7) * 0.125;
        for (auto& s : live.series)
            s->OnLiveData(&trade, live.tradeTime);
        valued &= live.ReadNewest(&sum);
        changed |= sum != first;
        benchmark::DoNotOptimize(sum);
    }
    // Each trade of 100 shares went into every series' newest bar, and moved its values.
    const std::vector<CBarRecord> after = live.Newest();
    const double shares = 100.0 * static_cast<double>(state.iterations());
    for (size_t i = 0; i < after.size(); ++i)
        if (after[i].m_startTime != before[i].m_startTime || after[i].Volume() - before[i].Volume() != shares) {
            state.SkipWithError("a trade was not applied to the newest bar");
            return;
        }
    if (!valued || !changed) {
        state.SkipWithError("the studies' newest values did not follow the trades");
        return;
    }
    CountLiveWork(state, live, state.iterations() * static_cast<int64_t>(live.series.size()), 0);
}

void BM_LiveTradeNewBar(benchmark::State& state, const char* zone, int emptyEvery)
{
    LiveSeries& live = Live(zone, emptyEvery);
    if (!live.AllAnswered()) {
        state.SkipWithError("history requests left unanswered");
        return;
    }
    CTradeMessage trade;
    trade.m_size = 1;
    trade.m_exchange = "NYSE";
    CTime now = live.services.GetExchangeTime();
    int k = 0;
    int64_t rolled = 0;
    bool valued = true, fresh = true;
    for (auto _ : state) {
        // The next minute of the same session: one bar rolls in.
        now = CTime(now.GetTime() + 60);
        if (now.GetHour() >= 16) {
            state.PauseTiming();
            // The next weekday's morning, 9:30.
            do
                now = CTime(now.GetTime() + 24 * 3600);
            while (now.GetDayOfWeek() == 1 || now.GetDayOfWeek() == 7);
            now = CTime(now.GetYear(), now.GetMonth(), now.GetDay(), 9, 30, 0);
            state.ResumeTiming();
        }
        {
            std::lock_guard<std::mutex> g(live.services.lock);
            live.services.now = now;
        }
        trade.m_price = 100 + (k++ % 7) * 0.125;
        const DWORD time = CTimeToFeedTime(now);
        for (auto& s : live.series)
            s->OnLiveData(&trade, time);
        double sum = 0;
        valued &= live.ReadNewest(&sum);
        benchmark::DoNotOptimize(sum);
        ++rolled;
        if ((rolled & 1023) == 0) {
            state.PauseTiming();
            // Every series' newest bar is the new minute, holding just this trade.
            for (const CBarRecord& r : live.Newest())
                fresh &= r.m_startTime == now && r.m_bValid && r.Volume() == 100;
            state.ResumeTiming();
        }
    }
    for (const CBarRecord& r : live.Newest())
        fresh &= r.m_startTime == now && r.m_bValid && r.Volume() == 100;
    if (!fresh) {
        state.SkipWithError("a trade did not open the next bar");
        return;
    }
    if (!valued) {
        state.SkipWithError("a study had no newest value");
        return;
    }
    live.AnswerRequests(); // none is expected: one bar at a time needs no history
    CountLiveWork(state, live, state.iterations() * static_cast<int64_t>(live.series.size()), rolled);
}

// ---------------------------------------------------------------- memory

void BM_MemoryDailySeries(benchmark::State& state)
{
    FakeSeriesServices services;
    double perBar = 0, accounted = 0;
    for (auto _ : state) {
        // In use: small blocks and the mapped large ones.
        auto heap = [] {
            const struct mallinfo2 info = mallinfo2();
            return info.uordblks + info.hblkhd;
        };
        malloc_trim(0);
        const size_t before = heap();
        auto series = std::make_unique<CPriceSeries>("IBM,D", 0);
        series->SetBarCount(kBars, 0);
        CBarRecord bar;
        bar.m_fields[kBarOpen] = bar.m_fields[kBarHigh] = bar.m_fields[kBarLow] = bar.m_fields[kBarClose] = 100;
        bar.m_fields[kBarVolume] = 1e6;
        bar.m_bValid = 1;
        int first = 0, last = 0;
        series->GetVisibleRange(first, last);
        for (int i = first; i <= last; ++i)
            series->SetRecord(i, bar);
        const size_t after = heap();
        perBar = static_cast<double>(after - before) / kBars;
        accounted = static_cast<double>(series->GetMemoryBytes()) / kBars;
    }
    state.counters["heap_bytes_per_bar"] = perBar;
    state.counters["held_bytes_per_bar"] = accounted;
}

const bool g_registered = [] {
#ifdef QX_HAVE_TALIB
    TA_Initialize();
#endif
    for (bool gaps : {false, true})
        for (const Pair& p : kPairs)
            benchmark::RegisterBenchmark((std::string(gaps ? "Study1%Empty/" : "Study/") + p.name).c_str(), BM_Study,
                                         p, gaps)
                ->Unit(benchmark::kMillisecond)
                ->MinTime(0.5);
    const struct {
        const char* name;
        Portable kernel;
        KernelCode code;
    } kernels[] = {{"Kernel/PSAR/portable", Portable::kPSAR, KernelCode::kPortable},
                   {"Kernel/PSAR/baseline", Portable::kPSAR, KernelCode::kBaseline},
                   {"Kernel/ADX/portable", Portable::kADX, KernelCode::kPortable},
                   {"Kernel/SRSI2/portable", Portable::kSRSI2, KernelCode::kPortable}};
    for (const auto& k : kernels)
        benchmark::RegisterBenchmark(k.name, BM_PortableKernel, k.kernel, k.code)
            ->Unit(benchmark::kMillisecond)
            ->MinTime(0.5);
    for (const char* zone : {"UTC", static_cast<const char*>(nullptr)}) {
        const std::string tz = zone ? std::string("TZ=") + zone : std::string("TZ-unset");
        benchmark::RegisterBenchmark(("LiveTrade/InBar/" + tz).c_str(), BM_LiveTradeInBar, zone)
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(("LiveTrade/NewBar/" + tz).c_str(), BM_LiveTradeNewBar, zone, 0)
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(("LiveTrade/NewBar/1%-empty/" + tz).c_str(), BM_LiveTradeNewBar, zone, 100)
            ->Unit(benchmark::kMicrosecond);
    }
    benchmark::RegisterBenchmark("Memory/DailySeries", BM_MemoryDailySeries)->Iterations(1)->Unit(
        benchmark::kMillisecond);
    return true;
}();

} // namespace
