#include "StudyReference.h"
#include "StudyTestData.h"

#include "analytics/studies/OscillatorStudies.h"
#include "analytics/studies/StudyCompute.h"
#include "analytics/studies/StudyTable.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>

using namespace studies;
using testdata::Bar;

namespace {

CStudyColumns Study(int type, std::vector<double> p, const std::vector<CBarRecord>& recs,
                  const CEquityRecordArray* equity = nullptr, const std::vector<DWORD>* ends = nullptr)
{
    p.resize(4, 0.0);
    CStudyInput in;
    in.records = recs.data();
    in.count = static_cast<int>(recs.size());
    in.equity = equity;
    in.endFeedTimes = ends ? ends->data() : nullptr;
    CStudyColumns out;
    EXPECT_TRUE(ComputeStudy(type, p.data(), in, out));
    return out;
}

bool Value(const CStudyColumns& c, int r, int o, double& v)
{
    return c.Get(r, o, v);
}

// Compares every output at every record with the plain reference implementation.
void ExpectMatchesReference(int type, std::vector<double> p, const std::vector<CBarRecord>& recs,
                            const CEquityRecordArray* equity = nullptr, const std::vector<DWORD>* ends = nullptr)
{
    p.resize(4, 0.0);
    const CStudyColumns cols = Study(type, p, recs, equity, ends);
    reference::Series s{recs, equity, ends ? *ends : std::vector<DWORD>{}};
    const StudyTableRow* row = GetStudyRow(type);
    int withValue = 0;
    for (int o = 0; o < row->outputCount; ++o)
        for (int r = 0; r < static_cast<int>(recs.size()); ++r) {
            const auto want = reference::Compute(type, p.data(), o, s, r);
            double got = 0;
            const bool has = Value(cols, r, o, got);
            ASSERT_EQ(want.has_value(), has) << row->name << " output " << row->outputs[o] << " record " << r;
            if (!has)
                continue;
            ++withValue;
            ASSERT_TRUE(std::isfinite(got));
            const double tol = 1e-9 * std::max(1.0, std::abs(*want)) + 1e-9;
            ASSERT_NEAR(*want, got, tol) << row->name << " output " << row->outputs[o] << " record " << r;
        }
    EXPECT_GT(withValue, 0) << row->name;
}

struct Case {
    int type;
    std::vector<double> params;
};

} // namespace

TEST(StudyCompute, EveryStudyMatchesThePlainImplementation)
{
    const std::vector<Case> cases = {
        {kADX, {5, 3}}, {kADX, {1, 2}}, {kBB, {3, 6, 2}}, {kBB, {1, 1, 1.5}}, {kCHOP, {7}}, {kCHOP, {1}},
        {kMA, {3, 5, 0}}, {kMA, {4, 1, 0}}, {kMA, {1, 4, 3}}, {kMA, {2, 6, -4}}, {kEMA, {3, 5, 0}},
        {kEMA, {3, 1, 2}}, {kEMA, {0, 7, -3}}, {kMACD, {3, 4, 7, 3}}, {kMACD, {3, 3, 3, 3}},
        {kMACD, {2, 5, 2, 1}}, {kMOM, {3, 4, 0}}, {kMOM, {3, 2, 1}}, {kOBV, {}}, {kPRC, {5, 0}},
        {kPRC, {1, 2}}, {kPRC, {4, -3}}, {kRSI, {5}}, {kRSI, {1}}, {kSTOC, {5, 3, 3}}, {kSTOC, {1, 1, 1}},
        {kATR, {6}}, {kCCI, {9}}, {kCCI, {2}}, {kKB, {5, 1.5}}, {kKB, {1, 2}}, {kMFI, {6}}, {kSRSI, {4}},
        {kCOSC, {3, 10}}, {kCOSC, {2, 1}}, {kUOSC, {3, 5, 9}}, {kPSAR, {0.02, 0.02, 0.2}},
        {kPSAR, {0.1, 0.05, 0.3}}, {kMAE, {3, 5, 2.5}}, {kAD, {}}, {kCMF, {8}}, {kAROON, {7}}, {kAROON, {1}},
        {kTSF, {3, 6, 0}}, {kTSF, {1, 2, 3}}, {kTSF, {3, 5, -2}}, {kDEMA, {3, 3, 0}}, {kDEMA, {3, 1, 1}},
        {kDEMA, {2, 4, -2}}, {kTEMA, {3, 3, 0}}, {kTEMA, {3, 2, 2}}, {kTEMA, {3, 1, 0}}, {kAMA, {3, 5, 2, 30}},
        {kAMA, {3, 1, 1, 1}}, {kSRSI2, {3, 4, 3, 2}}, {kSRSI2, {2, 3, 1, 1}},
    };
    for (unsigned seed : {1u, 2u}) {
        const auto recs = testdata::RandomWalk(420, seed);
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(GetStudyRow(c.type)->name) + " seed " + std::to_string(seed));
            ExpectMatchesReference(c.type, c.params, recs);
        }
    }
}

TEST(StudyCompute, RangesComputedApartEqualOneComputation)
{
    // A series updates its values from the first changed record on: every range must come
    // out as it would in a computation of everything.
    const auto recs = testdata::RandomWalk(900, 5, 0.0);
    const testdata::Dense packed(recs);
    const CStudyBars& bars = packed.bars;
    std::mt19937 rng(3);
    const std::vector<Case> cases = {
        {kADX, {5, 3}}, {kBB, {3, 20, 2}}, {kCHOP, {7}}, {kMA, {3, 20, 0}}, {kEMA, {3, 5, 0}}, {kMACD, {3, 4, 7, 3}},
        {kMOM, {3, 4, 1}}, {kOBV, {}}, {kPRC, {5, 0}}, {kRSI, {5}}, {kSTOC, {5, 3, 4}}, {kATR, {6}}, {kCCI, {9}},
        {kKB, {5, 1.5}}, {kMFI, {6}}, {kSRSI, {4}}, {kCOSC, {3, 10}}, {kUOSC, {3, 5, 9}}, {kPSAR, {0.02, 0.02, 0.2}},
        {kMAE, {3, 5, 2.5}}, {kAD, {}}, {kCMF, {8}}, {kAROON, {7}}, {kTSF, {3, 6, 0}}, {kDEMA, {3, 3, 0}},
        {kTEMA, {3, 2, 0}}, {kAMA, {3, 5, 2, 30}}, {kSRSI2, {3, 4, 3, 2}}, {kSRSI2, {2, 40, 3, 2}}};
    for (Case c : cases) {
        c.params.resize(4, 0.0);
        const StudyTableRow* row = GetStudyRow(c.type);
        SCOPED_TRACE(row->name);
        CStudyColumns whole, parts;
        whole.Reset(row->outputCount, bars.size);
        parts.Reset(row->outputCount, bars.size);
        CStudyOut w, p;
        for (int o = 0; o < row->outputCount; ++o) {
            w.col[o] = whole.Column(o);
            p.col[o] = parts.Column(o);
        }
        CStudyScratch scratch;
        const unsigned all = (1u << row->outputCount) - 1;
        for (int o = 0; o < row->outputCount; o += c.type == kMA ? 1 : row->outputCount)
            ComputeStudyRange(c.type, c.params.data(), bars, 0, bars.size, StudyOutputGroup(c.type, o), w, scratch);
        // Ranges of every length, newest ones short as live updates make them.
        for (int from = 0; from < bars.size;) {
            const int to = std::min(bars.size, from + 1 + static_cast<int>(rng() % (from < 600 ? 200 : 3)));
            for (int o = 0; o < row->outputCount; o += c.type == kMA ? 1 : row->outputCount)
                ComputeStudyRange(c.type, c.params.data(), bars, from, to, StudyOutputGroup(c.type, o) & all, p,
                                  scratch);
            from = to;
        }
        for (int o = 0; o < row->outputCount; ++o)
            for (int q = 0; q < bars.size; ++q) {
                double a = 0, b = 0;
                const bool hasA = whole.Get(q, o, a), hasB = parts.Get(q, o, b);
                ASSERT_EQ(hasA, hasB) << row->outputs[o] << " at " << q;
                if (hasA) {
                    ASSERT_NEAR(a, b, 1e-11 * std::max(1.0, std::abs(a))) << row->outputs[o] << " at " << q;
                }
            }
    }
}

TEST(StudyCompute, LongSeriesStaysWithinRounding)
{
    // Long enough for the running sums to be rebuilt many times.
    const auto recs = testdata::RandomWalk(3000, 7, 0.05);
    for (const Case& c : std::vector<Case>{{kMA, {3, 20, 0}}, {kEMA, {3, 12, 0}}, {kDEMA, {3, 9, 0}},
                                           {kTEMA, {3, 6, 0}}, {kMACD, {3, 12, 26, 9}}, {kRSI, {14}},
                                           {kTSF, {3, 14, 0}}, {kBB, {3, 20, 2}}, {kAMA, {3, 10, 2, 30}},
                                           {kCOSC, {3, 10}}, {kSRSI2, {14, 14, 3, 3}}, {kADX, {14, 14}},
                                           // Several chunks of positions, and means that reach back over one.
                                           {kSTOC, {14, 3, 3}}, {kSTOC, {9, 3, 40}}, {kMAE, {3, 20, 2.5}},
                                           {kMAE, {3, 100, 1}}}) {
        SCOPED_TRACE(GetStudyRow(c.type)->name);
        ExpectMatchesReference(c.type, c.params, recs);
    }
}

TEST(StudyCompute, RestartedStudiesGiveTheSameBitsInEveryCode)
{
    // The wide code (where the processor has it) and the portable one, over ranges whose
    // lengths leave the last lanes of their registers past the end.
    const auto recs = testdata::RandomWalk(2000, 9, 0.0);
    const testdata::Dense packed(recs);
    const CStudyBars& bars = packed.bars;
    struct Restarted {
        int type, n, k, d, m;
    };
    const Restarted cases[] = {{kADX, 14, 14, 0, 0}, {kADX, 1, 2, 0, 0},     {kADX, 5, 1, 0, 0},
                               {kSRSI2, 14, 14, 3, 3}, {kSRSI2, 3, 4, 3, 2}, {kSRSI2, 2, 40, 3, 2},
                               {kSRSI2, 2, 2, 1, 1}, {kSRSI, 14, 14, 1, 1}};
    for (const Restarted& c : cases) {
        SCOPED_TRACE(std::string(GetStudyRow(c.type)->name) + " " + std::to_string(c.n) + "," + std::to_string(c.k));
        for (const auto& [from, to] : {std::pair{0, bars.size}, std::pair{700, 1305}, std::pair{1990, 1997}}) {
            CStudyColumns got[2];
            int values = 0;
            for (KernelCode code : {KernelCode::kWidest, KernelCode::kPortable}) {
                CStudyColumns& cols = got[code == KernelCode::kPortable];
                cols.Reset(3, bars.size);
                CStudyOut out;
                for (int o = 0; o < (c.type == kADX ? 3 : c.type == kSRSI2 ? 2 : 1); ++o)
                    out.col[o] = cols.Column(o);
                CStudyScratch scratch;
                if (c.type == kADX)
                    KernelADX(bars, c.n, c.k, from, to, out, scratch, code);
                else
                    KernelStochRSI(bars, c.n, c.k, c.d, c.m, from, to, out, scratch, code);
            }
            for (int o = 0; o < 3; ++o)
                for (int q = from; q < to; ++q) {
                    const double a = got[0].Column(o)[q], b = got[1].Column(o)[q];
                    ASSERT_EQ(std::bit_cast<uint64_t>(a), std::bit_cast<uint64_t>(b)) << "output " << o << " at " << q;
                    values += HasValue(a);
                }
            EXPECT_GT(values, (to - from) / 2);
        }
    }
}

TEST(StudyCompute, EquityFollowsTheNewestRecordAtOrBeforeEachBar)
{
    std::vector<CBarRecord> recs = {Bar(1, 1, 1, 10, 0), Bar(1, 1, 1, 12, 0), Bar(1, 1, 1, 11, 0, false),
                                    Bar(1, 1, 1, 15, 0), Bar(1, 1, 1, 9, 0)};
    const std::vector<DWORD> ends = {100, 200, 300, 400, 500};
    const CEquityRecord e1{150, 0, 10, 11.0, 1000.0};  // long 10 from 11
    const CEquityRecord e2{390, 3, 5, 14.0, 1020.0};   // short 5 from 14
    const CEquityRecord e3{480, 1, 0, 0.0, 1050.0};    // flat
    const CEquityRecordArray eq = {&e1, &e2, &e3};
    const auto c = Study(kEQTY, {}, recs, &eq, &ends);
    double v;
    EXPECT_FALSE(c.Get(0, 0, v)); // before the first equity record
    ASSERT_TRUE(c.Get(1, 0, v));
    EXPECT_DOUBLE_EQ(1000 + 10 * (12 - 11), v);
    EXPECT_FALSE(c.Get(2, 0, v)); // invalid record
    ASSERT_TRUE(c.Get(3, 0, v));
    EXPECT_DOUBLE_EQ(1020 + 5 * (14 - 15), v);
    ASSERT_TRUE(c.Get(4, 0, v));
    EXPECT_DOUBLE_EQ(1050, v);
    ExpectMatchesReference(kEQTY, {}, recs, &eq, &ends);
    // No equity records: no value anywhere.
    const auto none = Study(kEQTY, {}, recs);
    EXPECT_FALSE(none.Get(1, 0, v));
}

TEST(StudyCompute, AveragesSkipInvalidRecordsAndNeedTheirLength)
{
    std::vector<CBarRecord> recs = {Bar(0, 0, 0, 10, 0), Bar(0, 0, 0, 11, 0), Bar(0, 0, 0, 99, 0, false),
                                    Bar(0, 0, 0, 12, 0)};
    double v;
    auto ma = Study(kMA, {3, 3, 0}, recs);
    ASSERT_TRUE(ma.Get(3, 0, v));
    EXPECT_DOUBLE_EQ(11.0, v);
    EXPECT_FALSE(ma.Get(3, 2, v)); // zero volume: no VWMA
    EXPECT_FALSE(ma.Get(2, 0, v)); // invalid record
    EXPECT_FALSE(ma.Get(1, 0, v)); // two records only

    auto lin = testdata::Linear(40);
    auto ema = Study(kEMA, {3, 10, 0}, lin);
    EXPECT_TRUE(ema.Get(39, 0, v));
    EXPECT_FALSE(ema.Get(38, 0, v)); // 39 records
}

TEST(StudyCompute, ConstantSeriesGivesFlatAveragesAndNoOscillators)
{
    const auto flat = testdata::Constant(400, 25.0);
    double v;
    for (int type : {kMA, kEMA, kDEMA, kTEMA}) {
        const auto c = Study(type, {3, 5, 0}, flat);
        ASSERT_TRUE(c.Get(399, 0, v)) << type;
        EXPECT_NEAR(25.0, v, 1e-9) << type;
    }
    const auto bb = Study(kBB, {3, 10, 2}, flat);
    ASSERT_TRUE(bb.Get(399, 1, v));
    EXPECT_DOUBLE_EQ(25.0, v);
    // Division by zero gives no value, never Inf or NaN.
    EXPECT_FALSE(Study(kRSI, {14}, flat).Get(399, 0, v));
    EXPECT_TRUE(Study(kRSI, {14}, flat).Get(399, 1, v));
    EXPECT_DOUBLE_EQ(0.0, v);
    EXPECT_FALSE(Study(kCCI, {20}, flat).Get(399, 0, v));
    EXPECT_FALSE(Study(kSTOC, {5, 3, 3}, flat).Get(399, 0, v));
    EXPECT_FALSE(Study(kSRSI, {5}, flat).Get(399, 0, v));
    EXPECT_FALSE(Study(kUOSC, {3, 5, 7}, flat).Get(399, 0, v));
    EXPECT_FALSE(Study(kMFI, {10}, flat).Get(399, 0, v));
    EXPECT_FALSE(Study(kCHOP, {10}, flat).Get(399, 0, v));
    EXPECT_FALSE(Study(kADX, {5, 5}, flat).Get(399, 0, v));
    EXPECT_FALSE(Study(kCMF, {10}, flat).Get(399, 0, v));
}

TEST(StudyCompute, AdxWithoutDirectionalMovementHasNoValueAndZeroDIs)
{
    // The same High and Low on every bar and the Close between them: no directional movement
    // (+DI = -DI = 0, so DX is 0 / 0) while the true range is 2.
    std::vector<CBarRecord> recs;
    for (int i = 0; i < 200; ++i)
        recs.push_back(Bar(10, 11, 9, i % 2 ? 10.5 : 9.5, 1000));
    ExpectMatchesReference(kADX, {5, 3}, recs);
    double v;
    const auto adx = Study(kADX, {5, 3}, recs);
    EXPECT_FALSE(adx.Get(199, 0, v));
    ASSERT_TRUE(adx.Get(199, 1, v));
    EXPECT_EQ(0.0, v);
    ASSERT_TRUE(adx.Get(199, 2, v));
    EXPECT_EQ(0.0, v);
    // The portable code alike.
    const testdata::Dense packed(recs);
    const CStudyBars& bars = packed.bars;
    std::vector<double> cols[3];
    CStudyOut out;
    for (int o = 0; o < 3; ++o) {
        cols[o].assign(recs.size(), 1.0);
        out.col[o] = cols[o].data();
    }
    CStudyScratch scratch;
    KernelADX(bars, 5, 3, 0, bars.size, out, scratch, KernelCode::kPortable);
    for (int r = 0; r < bars.size; ++r)
        ASSERT_FALSE(HasValue(cols[0][r])) << "record " << r;
    EXPECT_EQ(0.0, cols[1][199]);
    EXPECT_EQ(0.0, cols[2][199]);
}

TEST(StudyCompute, LinearSeriesGivesExactAveragesAndForecasts)
{
    const auto lin = testdata::Linear(300, 10); // Close(i) = 10 + i
    double v;
    const auto ma = Study(kMA, {3, 9, 0}, lin);
    ASSERT_TRUE(ma.Get(100, 0, v));
    EXPECT_NEAR(110 - 4, v, 1e-9);
    ASSERT_TRUE(ma.Get(100, 1, v)); // weights 9..1: mean lag (n - 1) / 3
    EXPECT_NEAR(110 - 8.0 / 3, v, 1e-9);
    const auto tsf = Study(kTSF, {3, 14, 0}, lin);
    ASSERT_TRUE(tsf.Get(200, 0, v));
    EXPECT_NEAR(211, v, 1e-9); // next bar's close
    ASSERT_TRUE(tsf.Get(200, 1, v));
    EXPECT_NEAR(1, v, 1e-12);
    ASSERT_TRUE(tsf.Get(200, 2, v));
    EXPECT_NEAR(1, v, 1e-12);
    // Displacement: the value of 3 records earlier.
    const auto shifted = Study(kMA, {3, 9, 3}, lin);
    ASSERT_TRUE(shifted.Get(100, 0, v));
    EXPECT_NEAR(107 - 4, v, 1e-9);
    // A steadily rising close: RSI has no down moves, so no value; Aroon Up is 100.
    EXPECT_FALSE(Study(kRSI, {5}, lin).Get(200, 0, v));
    ASSERT_TRUE(Study(kAROON, {10}, lin).Get(200, 0, v));
    EXPECT_DOUBLE_EQ(100, v);
    // Momentum of n bars on a slope of 1 is n.
    ASSERT_TRUE(Study(kMOM, {3, 7, 0}, lin).Get(200, 0, v));
    EXPECT_DOUBLE_EQ(7, v);
}

TEST(StudyCompute, RecordCountsEachStudyNeeds)
{
    double v;
    // RSI 14: 113 valid records up to r.
    const auto walk = testdata::RandomWalk(113, 3, 0.0);
    EXPECT_TRUE(Study(kRSI, {14}, walk).Get(112, 1, v));
    EXPECT_FALSE(Study(kRSI, {14}, walk).Get(111, 1, v));
    // OBV and AD: 50 records.
    const auto w49 = testdata::RandomWalk(49, 4, 0.0);
    EXPECT_FALSE(Study(kOBV, {}, w49).Get(48, 0, v));
    EXPECT_FALSE(Study(kAD, {}, w49).Get(48, 0, v));
    EXPECT_TRUE(Study(kAD, {}, testdata::RandomWalk(50, 4, 0.0)).Get(49, 0, v));
    // PSAR: 21 records after the first.
    EXPECT_FALSE(Study(kPSAR, {0.02, 0.02, 0.2}, testdata::RandomWalk(21, 5, 0.0)).Get(20, 0, v));
    EXPECT_TRUE(Study(kPSAR, {0.02, 0.02, 0.2}, testdata::RandomWalk(22, 5, 0.0)).Get(21, 0, v));
    // ATR needs a record before the first of its window.
    std::vector<CBarRecord> one = {Bar(1, 2, 0.5, 1, 10, false), Bar(1, 2, 0.5, 1.5, 10)};
    EXPECT_FALSE(Study(kATR, {1}, one).Get(1, 0, v));
    // KB of length 1 on a single valid record: Mid, but no bands.
    const auto kb = Study(kKB, {1, 2}, one);
    EXPECT_TRUE(kb.Get(1, 0, v));
    EXPECT_FALSE(kb.Get(1, 1, v));
    // PRC of length 1: High and Low of r - d.
    const auto lin = testdata::Linear(10);
    const auto prc = Study(kPRC, {1, 2}, lin);
    ASSERT_TRUE(prc.Get(9, 1, v));
    EXPECT_DOUBLE_EQ(lin[7].High(), v);
    ASSERT_TRUE(prc.Get(9, 2, v));
    EXPECT_DOUBLE_EQ(lin[7].Low(), v);
}

TEST(StudyCompute, ForecastOfOneBarIsZero)
{
    // One point: n Sww - Sw^2 = 1 - 1 = 0, so slope and intercept are 0 and so is the forecast.
    auto bars = testdata::Linear(20);
    bars[12].m_bValid = 0;
    const auto tsf = Study(kTSF, {3, 1, 0}, bars);
    for (int o = 0; o < 3; ++o) {
        double v = -1;
        ASSERT_TRUE(tsf.Get(19, o, v)) << o;
        EXPECT_EQ(0, v) << o;
        ASSERT_TRUE(tsf.Get(0, o, v)) << o;
        EXPECT_EQ(0, v) << o;
        EXPECT_FALSE(tsf.Get(12, o, v)) << o;
    }
}

TEST(StudyCompute, ExtremesStartFromInfinity)
{
    // Lows far above 1000000 and highs below 0: the extremes are still found.
    std::vector<CBarRecord> big, neg;
    for (int i = 0; i < 10; ++i) {
        const double p = 5e6 - 1000 * ((i * 7) % 10);
        big.push_back(Bar(p, p + 10, p - 10, p, 1e9));
        const double q = -50 - ((i * 3) % 10);
        neg.push_back(Bar(q, q + 1, q - 1, q, 100));
    }
    double v;
    const auto ab = Study(kAROON, {10}, big);
    ASSERT_TRUE(ab.Get(9, 1, v));
    // Lowest low at i = 7 ((7*7)%10 = 9), two records back from r = 9.
    EXPECT_DOUBLE_EQ((10 - 2) / 10.0 * 100, v);
    const auto an = Study(kAROON, {10}, neg);
    ASSERT_TRUE(an.Get(9, 0, v));
    // Highest high where (i*3)%10 is smallest: i = 0, nine records back.
    EXPECT_DOUBLE_EQ((10 - 9) / 10.0 * 100, v);
    ExpectMatchesReference(kAROON, {10}, big);
    ExpectMatchesReference(kPRC, {4, 0}, big);
}

TEST(StudyCompute, StochasticRsiIsAFraction)
{
    const auto walk = testdata::RandomWalk(600, 11);
    const auto c = Study(kSRSI2, {5, 5, 3, 3}, walk);
    int seen = 0;
    for (int r = 0; r < 600; ++r)
        for (int o = 0; o < 2; ++o) {
            double v;
            if (c.Get(r, o, v)) {
                ++seen;
                EXPECT_GE(v, 0.0);
                EXPECT_LE(v, 1.0);
            }
        }
    EXPECT_GT(seen, 100);
}

TEST(StudyCompute, ParametersOutsideTheirRangesAreRefused)
{
    const auto walk = testdata::RandomWalk(50, 1);
    CStudyInput in{walk.data(), 50, nullptr, nullptr};
    CStudyColumns out;
    const double zero[4] = {3, 0, 0, 0};
    const double huge[4] = {3, 1e9, 0, 0};
    const double tooLong[4] = {3, 1001, 0, 0};
    const double farShift[4] = {3, 5, 1001, 0};
    const double badField[4] = {7, 5, 0, 0};
    const double nanLen[4] = {std::nan(""), 0, 0, 0};
    EXPECT_FALSE(ComputeStudy(kMA, zero, in, out));
    EXPECT_FALSE(ComputeStudy(kMA, huge, in, out));
    EXPECT_FALSE(ComputeStudy(kEMA, tooLong, in, out));
    EXPECT_FALSE(ComputeStudy(kTEMA, farShift, in, out));
    EXPECT_FALSE(ComputeStudy(kMA, badField, in, out));
    EXPECT_FALSE(ComputeStudy(kRSI, nanLen, in, out));
    const double ok[4] = {3, 1000, -1000, 0};
    EXPECT_TRUE(ComputeStudy(kMA, ok, in, out));
    // "Bar" has no computation.
    EXPECT_FALSE(ComputeStudy(kBar, ok, in, out));
    double v;
    EXPECT_FALSE(out.Get(10, 0, v));
}

TEST(StudyTable, WarmUpCountsAndNames)
{
    const double rsi[4] = {14, 0, 0, 0};
    EXPECT_EQ(168, ComputeWarmUpCount(kRSI, rsi));
    const double macd[4] = {3, 12, 26, 9};
    EXPECT_EQ(static_cast<int>(4 * (9 + 26) * 1.5), ComputeWarmUpCount(kMACD, macd));
    const double ma[4] = {3, 10, -5, 0};
    EXPECT_EQ(static_cast<int>((5 + 10 - 1) * 1.5), ComputeWarmUpCount(kMA, ma));
    EXPECT_EQ(0, ComputeWarmUpCount(kBar, ma));
    EXPECT_EQ(kSRSI2, FindStudyTypeByName("SRSI2", 5));
    EXPECT_EQ(kSRSI, FindStudyTypeByName("SRSI2", 4));
    EXPECT_EQ(-1, FindStudyTypeByName("rsi", 3));
    EXPECT_EQ(1, FindStudyOutput(kMACD, "MA1"));
    EXPECT_EQ(-1, FindStudyOutput(kMACD, "ma1"));
    EXPECT_EQ(3, FindPriceField("Close"));
    EXPECT_EQ(-1, FindPriceField("close"));
}
