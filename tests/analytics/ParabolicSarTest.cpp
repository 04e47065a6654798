// The parabolic SAR against the plain implementation, bit for bit, on long series with gaps,
// flat stretches and long trends: through the wide code and both builds of the portable code,
// whole and in pieces.
#include "StudyReference.h"
#include "StudyTestData.h"

#include "analytics/studies/ParabolicSar.h"
#include "analytics/studies/StudyTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

using namespace studies;
using testdata::Bar;
using testdata::Dense;

namespace {

// Random walks like the study benchmark's: steps in (-1, 1), highs and lows up to 1 away.
std::vector<CBarRecord> NoisyWalk(int count, unsigned seed, double invalidShare)
{
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> step(-1, 1), unit(0, 1);
    std::vector<CBarRecord> out;
    double close = 100;
    for (int i = 0; i < count; ++i) {
        const double open = close;
        close = std::max(1.0, close + step(rng));
        const double high = std::max(open, close) + unit(rng), low = std::min(open, close) - unit(rng);
        out.push_back(Bar(open, high, low, close, 1000, unit(rng) >= invalidShare));
    }
    return out;
}

// Long trends with small pullbacks: the walks seldom meet in them, so that many states are
// carried at once. Flat stretches, repeated bars and gaps between.
std::vector<CBarRecord> Trends(int count, unsigned seed)
{
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> unit(0, 1);
    std::vector<CBarRecord> out;
    double close = 500;
    while (static_cast<int>(out.size()) < count) {
        const int length = 20 + static_cast<int>(unit(rng) * 300);
        const double drift = (unit(rng) < 0.5 ? -1 : 1) * (0.05 + unit(rng));
        const int kind = static_cast<int>(unit(rng) * 4);
        for (int k = 0; k < length && static_cast<int>(out.size()) < count; ++k) {
            const double open = close;
            if (kind == 0) { // flat
                out.push_back(Bar(open, open, open, open, 1000));
                continue;
            }
            if (kind == 1 && k % 3 == 0 && !out.empty()) { // the bar before again
                out.push_back(out.back());
                continue;
            }
            close = std::max(10.0, close + drift + (unit(rng) - 0.5) * 0.2);
            const double high = std::max(open, close) + unit(rng) * 0.1;
            const double low = std::min(open, close) - unit(rng) * 0.1;
            out.push_back(Bar(open, high, low, close, 1000, unit(rng) >= 0.05));
        }
    }
    return out;
}

void Compute(const Dense& d, const std::vector<double>& p, int from, int to, KernelCode code, std::vector<double>& into,
             SarCounts* counts = nullptr)
{
    CStudyOut out;
    out.col[0] = into.data();
    KernelPSAR(d.bars, p[0], p[1], p[2], from, to, out, code, counts);
}

// Every position against the plain implementation of the record it stands for.
void ExpectPlainValues(const std::vector<CBarRecord>& recs, const Dense& d, const std::vector<double>& p,
                       const std::vector<double>& got)
{
    reference::Series s{recs, nullptr, {}};
    double params[4] = {p[0], p[1], p[2], 0};
    int values = 0;
    for (int q = 0; q < d.bars.size; ++q) {
        const auto want = reference::Compute(kPSAR, params, 0, s, d.record[q]);
        ASSERT_EQ(want.has_value(), !std::isnan(got[q])) << "position " << q;
        if (!want)
            continue;
        ++values;
        ASSERT_EQ(std::bit_cast<uint64_t>(*want), std::bit_cast<uint64_t>(got[q]))
            << "position " << q << ": " << *want << " against " << got[q];
    }
    EXPECT_GT(values, 0);
}

const std::vector<std::vector<double>> kSteps = {
    {0.02, 0.02, 0.2}, {0.1, 0.05, 0.3}, {0.3, 0.02, 0.2}, {0.02, 0.0, 0.2},
    {0.5, 0.5, 1.0},   {0.01, 0.013, 0.07}, {0.2, 0.2, 0.2}, {0.0, 0.01, 0.05},
};

} // namespace

TEST(ParabolicSar, EveryPositionEqualsItsOwnWalkBitForBit)
{
    struct Data {
        const char* name;
        std::vector<CBarRecord> recs;
    };
    const std::vector<Data> data = {
        {"noisy walk", NoisyWalk(6000, 11, 0.0)},
        {"noisy walk with gaps", NoisyWalk(6000, 12, 0.1)},
        {"walk with gaps and flat stretches", testdata::RandomWalk(6000, 13, 0.1)},
        {"trends", Trends(6000, 14)},
    };
    for (const Data& series : data) {
        const Dense d(series.recs);
        for (const auto& p : kSteps)
            for (KernelCode code : {KernelCode::kWidest, KernelCode::kPortable, KernelCode::kBaseline}) {
                SCOPED_TRACE(std::string(series.name) + " steps " + std::to_string(p[0]) + "," + std::to_string(p[1]) +
                             "," + std::to_string(p[2]) + " code " + std::to_string(static_cast<int>(code)));
                std::vector<double> got(static_cast<size_t>(d.bars.size), -1.0);
                Compute(d, p, 0, d.bars.size, code, got);
                ExpectPlainValues(series.recs, d, p, got);
            }
    }
}

TEST(ParabolicSar, PiecesEqualTheWholeBitForBit)
{
    // A series recomputes from its first changed record on: pieces of every length.
    const auto recs = Trends(4000, 21);
    const auto noisy = NoisyWalk(4000, 22, 0.05);
    std::mt19937 rng(5);
    for (const auto* series : {&recs, &noisy}) {
        const Dense d(*series);
        for (const auto& p : {kSteps[0], kSteps[2], kSteps[5]})
            for (KernelCode code : {KernelCode::kWidest, KernelCode::kPortable, KernelCode::kBaseline}) {
                std::vector<double> whole(static_cast<size_t>(d.bars.size)), parts(whole.size(), -1.0);
                Compute(d, p, 0, d.bars.size, code, whole);
                for (int from = 0; from < d.bars.size;) {
                    const int length = 1 + static_cast<int>(rng() % (rng() % 4 == 0 ? 400 : 6));
                    const int to = std::min(d.bars.size, from + length);
                    Compute(d, p, from, to, code, parts);
                    from = to;
                }
                for (size_t q = 0; q < whole.size(); ++q)
                    ASSERT_EQ(std::bit_cast<uint64_t>(whole[q]), std::bit_cast<uint64_t>(parts[q])) << "position " << q;
                ExpectPlainValues(*series, d, p, parts);
            }
    }
}

TEST(ParabolicSar, EveryCodeRunsAndTheWideOneHandsOverWhenItRunsOutOfLanes)
{
    // Long trends carry many states at once; the portable code runs in the three-operand build
    // where the processor has it, and in the other when asked for.
    const auto trends = Trends(3000, 31);
    const Dense trendBars(trends);
    for (KernelCode code : {KernelCode::kPortable, KernelCode::kBaseline}) {
        SarCounts counts;
        std::vector<double> got(static_cast<size_t>(trendBars.bars.size));
        Compute(trendBars, kSteps[0], 0, trendBars.bars.size, code, got, &counts);
        EXPECT_GT(counts.mostLanes, 64);
        EXPECT_EQ(0, counts.wideRecords);
        const bool vex = code == KernelCode::kPortable && SarVexCodeAvailable();
        EXPECT_EQ(vex, counts.vexRecords > trendBars.bars.size / 2) << counts.vexRecords;
        ExpectPlainValues(trends, trendBars, kSteps[0], got);
        // Noisy walks meet often, and folding keeps their states few (without it, every walk
        // alive would keep a state of its own).
        const auto noisy = NoisyWalk(6000, 33, 0.0);
        const Dense noisyBars(noisy);
        SarCounts noisyCounts;
        got.assign(static_cast<size_t>(noisyBars.bars.size), 0.0);
        Compute(noisyBars, kSteps[0], 0, noisyBars.bars.size, code, got, &noisyCounts);
        EXPECT_LT(noisyCounts.mostLanes, 48);
        ExpectPlainValues(noisy, noisyBars, kSteps[0], got);
    }
    if (!SarWideCodeAvailable())
        GTEST_SKIP() << "no wide code on this processor";
    // Noisy walks now and then need more than the wide code's 16 lanes.
    const auto recs = NoisyWalk(20000, 32, 0.0);
    const Dense d(recs);
    SarCounts counts;
    std::vector<double> got(static_cast<size_t>(d.bars.size));
    Compute(d, kSteps[0], 0, d.bars.size, KernelCode::kWidest, got, &counts);
    EXPECT_GT(counts.wideRecords, d.bars.size / 2);
    EXPECT_GT(counts.handOvers, 0);
    EXPECT_EQ(SarVexCodeAvailable(), counts.vexRecords > 0);
    ExpectPlainValues(recs, d, kSteps[0], got);
}
