#include "analytics/studies/OscillatorStudies.h"

#include "analytics/studies/AverageStudies.h"
#include "analytics/studies/RecordWalk.h"
#include "analytics/studies/SlidingWindow.h"
#include "analytics/studies/StudyLanes.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <optional>

namespace studies {

namespace {

constexpr double kFlatRsiRange = 1e-9;

int FirstPosition(const CStudyOut& out, unsigned mask, int from, int to, int span)
{
    const int q0 = std::min(std::max(from, span - 1), to);
    FillNoValue(out, mask, from, q0);
    return q0;
}

// Up and down moves of Close against the record before, for positions [lo, to), lo >= 1.
void UpDown(const CStudyBars& bars, int lo, int to, double* up, double* down)
{
    const double* c = bars.Close();
    for (int i = lo; i < to; ++i) {
        const double d = c[i] - c[i - 1];
        up[i] = d > 0 ? d : 0.0;
        down[i] = d < 0 ? -d : 0.0;
    }
}

void RsiWalk(const double* close, const BYTE* valid, int n, int from, int to, const CStudyOut& out,
             CStudyScratch& scratch)
{
    double* ring = scratch.Doubles(0, static_cast<size_t>(16 * n));
    double* work = scratch.Doubles(1, static_cast<size_t>(2 * n));
    if (valid)
        walk::Rsi(close, walk::ValidFlags{valid}, n, from, to, out.col[0], out.col[1], out.col[2], ring, work);
    else
        walk::Rsi(close, walk::EveryRecord{}, n, from, to, out.col[0], out.col[1], out.col[2], ring, work);
}

void MfiWalk(const double* const* field, const BYTE* valid, int n, int from, int to, const CStudyOut& out,
             CStudyScratch& scratch)
{
    double* ring = scratch.Doubles(0, static_cast<size_t>(2 * n));
    int* counts = scratch.Ints(0, static_cast<size_t>(n));
    double* work = scratch.Doubles(1, 2 * walk::kWalkBlock);
    const double *h = field[kBarHigh], *l = field[kBarLow], *c = field[kBarClose], *v = field[kBarVolume];
    if (valid)
        walk::Mfi(h, l, c, v, walk::ValidFlags{valid}, n, from, to, out.col[0], ring, counts, work);
    else
        walk::Mfi(h, l, c, v, walk::EveryRecord{}, n, from, to, out.col[0], ring, counts, work);
}

} // namespace

void KernelRSI(const CStudyBars& bars, int n, int from, int to, const CStudyOut& out, CStudyScratch& scratch)
{
    RsiWalk(bars.Close(), nullptr, n, from, to, out, scratch);
}

void KernelRSI(const CStudyRecords& records, int n, int from, int to, const CStudyOut& out, CStudyScratch& scratch)
{
    RsiWalk(records.field[kBarClose], records.valid, n, from, to, out, scratch);
}

namespace {

// What the stochastic RSI of a record reads: the RSI averages at every seed position, the up
// and down moves after them, and the list length and windows.
struct StochRsiInput {
    const double* h0;
    const double* l0;
    const double* up;
    const double* down;
    int n, k, d, m, listSize;
    bool withD; // StocD asked for too
};

// The stochastic of a list of RSI values (oldest first): StocK and StocD into k0 and d0. Long
// windows take their extremes from a queue of candidates.
void StochOfList(const StochRsiInput& in, const double* list, double* top, double* bottom, double* val, int* ring,
                 double& k0, double& d0)
{
    const int listSize = in.listSize, k = in.k, offsets = in.d + in.m - 1;
    // Extremes of k consecutive entries; the window with offset o ends at entry listSize - 1 - o.
    if (k <= 32) {
        for (int o = 0; o < offsets; ++o) {
            const int end = listSize - 1 - o;
            double hi = list[end], lw = list[end];
            for (int e = end - k + 1; e < end; ++e) {
                hi = std::max(hi, list[e]);
                lw = std::min(lw, list[e]);
            }
            top[o] = hi;
            bottom[o] = lw;
        }
    } else {
        auto extremes = [&](bool wantMax, double* res) {
            int head = 0, tail = 0;
            for (int e = 0; e < listSize; ++e) {
                const double v = list[e];
                while (tail > head && (wantMax ? list[ring[tail - 1]] <= v : list[ring[tail - 1]] >= v))
                    --tail;
                ring[tail++] = e;
                while (ring[head] <= e - k)
                    ++head;
                const int o = listSize - 1 - e;
                if (e >= k - 1 && o < offsets)
                    res[o] = list[ring[head]];
            }
        };
        extremes(true, top);
        extremes(false, bottom);
    }
    for (int o = 0; o < offsets; ++o) {
        // RSI values closer than this differ only by rounding: treated as a flat range.
        const double range = top[o] - bottom[o];
        val[o] = range >= kFlatRsiRange ? (list[listSize - 1 - o] - bottom[o]) / range : kNoValue;
    }
    double sumK = 0, sumD = 0;
    for (int t = 0; t < in.m; ++t)
        sumK += val[t];
    k0 = sumK * (1.0 / in.m);
    if (in.withD) {
        for (int j = 0; j < in.d; ++j)
            for (int t = 0; t < in.m; ++t)
                sumD += val[j + t];
        d0 = sumD / in.m / in.d;
    }
}

// Each record restarts its list of RSI values at its seed position s = q - listSize + 1.
// The lists of W x K neighbouring records (W lanes of V in K registers) are made side by
// side, lane by lane as one record's alone: list[e * K + k] holds entry e of register k.
// Windows of up to 32 entries take their stochastics in the lanes too, with each lane's
// operations in the order of StochOfList; longer ones take each lane's list to it.
template <class V, int K>
QX_LANE_INLINE void WalkStochRsi(const StochRsiInput& in, int q, int to, V* list, double* scalars, int* ring,
                                 const CStudyOut& out)
{
    constexpr int W = lanes::kLaneCount<V>;
    const int L = in.listSize, s = q - L + 1;
    const V keep = lanes::Splat<V>(in.n - 1.0), invN = lanes::Splat<V>(1.0 / in.n),
            hundred = lanes::Splat<V>(100.0), zero = V{};
    V h[K], l[K];
    lanes::Mask<V> bad[K];
#pragma GCC unroll 8
    for (int k = 0; k < K; ++k) {
        h[k] = lanes::Load<V>(in.h0 + s + W * k);
        l[k] = lanes::Load<V>(in.l0 + s + W * k);
        // No value without finite averages (x - x is 0 only for them) or with L = 0.
        bad[k] = (h[k] - h[k] != zero) | (l[k] - l[k] != zero) | (l[k] == zero);
        // 100 - 100 / (H / L + 1), in one division.
        list[k] = hundred * h[k] / (h[k] + l[k]);
    }
    for (int e = 1; e < L; ++e) {
#pragma GCC unroll 8
        for (int k = 0; k < K; ++k) {
            h[k] = (keep * h[k] + lanes::Load<V>(in.up + s + e + W * k)) * invN;
            l[k] = (keep * l[k] + lanes::Load<V>(in.down + s + e + W * k)) * invN;
            bad[k] |= l[k] == zero;
            list[e * K + k] = hundred * h[k] / (h[k] + l[k]);
        }
    }
    double kv[W * K], dv[W * K];
    if (in.k <= 32) {
        const int offsets = in.d + in.m - 1;
        const V flat = lanes::Splat<V>(kFlatRsiRange), none = lanes::Splat<V>(kNoValue);
        V* val = list + L * K; // after the list
        for (int o = 0; o < offsets; ++o) {
            const int end = L - 1 - o;
#pragma GCC unroll 8
            for (int k = 0; k < K; ++k) {
                V hi = list[end * K + k], lw = hi;
                for (int e = end - in.k + 1; e < end; ++e) {
                    hi = lanes::Max(list[e * K + k], hi); // std::max(hi, x)
                    lw = lanes::Min(list[e * K + k], lw); // std::min(lw, x)
                }
                const V range = hi - lw;
                val[o * K + k] = range >= flat ? (list[end * K + k] - lw) / range : none;
            }
        }
        const V invM = lanes::Splat<V>(1.0 / in.m), m = lanes::Splat<V>(in.m), d = lanes::Splat<V>(in.d);
#pragma GCC unroll 8
        for (int k = 0; k < K; ++k) {
            V sumK = zero, sumD = zero;
            for (int t = 0; t < in.m; ++t)
                sumK += val[t * K + k];
            lanes::Store(kv + W * k, sumK * invM);
            if (in.withD) {
                for (int j = 0; j < in.d; ++j)
                    for (int t = 0; t < in.m; ++t)
                        sumD += val[(j + t) * K + k];
                lanes::Store(dv + W * k, sumD / m / d);
            }
        }
    } else {
        double* one = scalars; // one lane's list, then its extremes and values
        const int offsets = in.d + in.m - 1;
        for (int lane = 0; lane < W * K && q + lane < to; ++lane) {
            for (int e = 0; e < L; ++e)
                one[e] = list[e * K + lane / W][lane % W];
            StochOfList(in, one, one + L, one + L + offsets, one + L + 2 * offsets, ring, kv[lane], dv[lane]);
        }
    }
    for (int lane = 0; lane < W * K && q + lane < to; ++lane) {
        const bool none = bad[lane / W][lane % W] != 0;
        out.col[0][q + lane] = none ? kNoValue : kv[lane];
        if (in.withD)
            out.col[1][q + lane] = none ? kNoValue : dv[lane];
    }
}

// Records walked at once: two registers of four lanes, or four of two.
constexpr int kStochRsiWalks = 8;

void WalkStochRsiPortable(const StochRsiInput& in, int q0, int to, double* list, double* scalars, int* ring,
                          const CStudyOut& out)
{
    for (int q = q0; q < to; q += kStochRsiWalks)
        WalkStochRsi<lanes::v2d, kStochRsiWalks / 2>(in, q, to, reinterpret_cast<lanes::v2d*>(list), scalars, ring,
                                                     out);
}

#ifdef QX_STUDY_WIDE
QX_STUDY_WIDE_TARGET void WalkStochRsiWide(const StochRsiInput& in, int q0, int to, double* list, double* scalars,
                                           int* ring, const CStudyOut& out)
{
    for (int q = q0; q < to; q += kStochRsiWalks)
        WalkStochRsi<lanes::v4d, kStochRsiWalks / 4>(in, q, to, reinterpret_cast<lanes::v4d*>(list), scalars, ring,
                                                     out);
}
#endif

} // namespace

void KernelStochRSI(const CStudyBars& bars, int n, int k, int d, int m, int from, int to, const CStudyOut& out,
                    CStudyScratch& scratch, KernelCode code)
{
    const int listSize = k + d + m - 2;
    // Each record restarts its list of RSI values at the seed record s = q - listSize + 1,
    // whose averages need 8n + 1 records.
    const int q0 = FirstPosition(out, out.col[1] ? 3 : 1, from, to, 8 * n + listSize);
    if (q0 >= to)
        return;
    // Lanes of the last walks read past `to`: the arrays have room, filled with harmless moves.
    const int pad = kStochRsiWalks - 1;
    const int sFrom = q0 - listSize + 1, sTo = to - listSize + 1;
    const int lo = std::max(1, sFrom - 8 * n + 1);
    double* up = IndexedFrom(scratch.Doubles(0, static_cast<size_t>(to + pad - lo)), lo);
    double* down = IndexedFrom(scratch.Doubles(1, static_cast<size_t>(to + pad - lo)), lo);
    double* h0 = IndexedFrom(scratch.Doubles(2, static_cast<size_t>(sTo + pad - sFrom)), sFrom);
    double* l0 = IndexedFrom(scratch.Doubles(3, static_cast<size_t>(sTo + pad - sFrom)), sFrom);
    UpDown(bars, lo, to, up, down);
    std::fill(up + to, up + to + pad, 1.0);
    std::fill(down + to, down + to + pad, 1.0);
    // The RSI averages at the seeds: a seed over n moves, then 7n smoothing steps.
    WindowedSmoothing(up, lo, sFrom, sTo, n, 7 * n, 1.0 / n, h0);
    WindowedSmoothing(down, lo, sFrom, sTo, n, 7 * n, 1.0 / n, l0);
    std::fill(h0 + sTo, h0 + sTo + pad, 1.0);
    std::fill(l0 + sTo, l0 + sTo + pad, 1.0);
    const StochRsiInput in{h0, l0, up, down, n, k, d, m, listSize, out.col[1] != nullptr};
    const int offsets = d + m - 1;
    // The lists' registers, aligned for them.
    double* list = scratch.Doubles(4, static_cast<size_t>(kStochRsiWalks) * (listSize + offsets) + 8);
    list = reinterpret_cast<double*>((reinterpret_cast<uintptr_t>(list) + 63) & ~uintptr_t{63});
    double* scalars = scratch.Doubles(5, static_cast<size_t>(listSize + 3 * offsets));
    int* ring = scratch.Ints(0, static_cast<size_t>(listSize));
#ifdef QX_STUDY_WIDE
    if (code == KernelCode::kWidest && lanes::WideCodeRuns()) {
        WalkStochRsiWide(in, q0, to, list, scalars, ring, out);
        return;
    }
#endif
    WalkStochRsiPortable(in, q0, to, list, scalars, ring, out);
}

// Chunk by chunk of positions, so that the extremes, the raw values and the means pass from
// one stage to the next in the cache; each chunk's buffers keep the values before it that
// the means' windows read.
void KernelSTOC(const CStudyBars& bars, int k, int d, int m, int from, int to, const CStudyOut& out,
                CStudyScratch& scratch)
{
    // Raw from k - 1, StocK (the mean of m raws) from k + m - 2, StocD (the mean of d
    // StocKs) from k + m + d - 3.
    const int rawFirst = FirstPosition(out, 4, from, to, k);
    const int kFirst = FirstPosition(out, 1, from, to, k + m - 1);
    const int dFirst = FirstPosition(out, 2, from, to, k + m + d - 2);
    const int kLo = std::max(k + m - 2, std::min(from - d + 1, kFirst));
    const int rLo = std::max(k - 1, std::min(kLo - m + 1, rawFirst));
    if (rLo >= to)
        return;
    constexpr int kChunk = 1024;
    double* work = scratch.Doubles(2, 4 * static_cast<size_t>(kChunk + k));
    // Raw values and StocKs of the chunk, after the m and d before it (a mean's window and
    // the value that leaves it).
    double* rawChunk = scratch.Doubles(0, static_cast<size_t>(kChunk + m));
    double* kChunkValues = scratch.Doubles(1, static_cast<size_t>(kChunk + d));
    const double* h = bars.High();
    const double* l = bars.Low();
    const double* c = bars.Close();
    std::optional<WindowMeanRun> kMean, dMean; // from their first chunk on
    for (int c0 = rLo; c0 < to; c0 += kChunk) {
        const int c1 = std::min(to, c0 + kChunk);
        double* raw = IndexedFrom(rawChunk, c0 - m);
        double* stocK = IndexedFrom(kChunkValues, c0 - d);
        if (c0 > rLo) {
            // The values before this chunk that its means read, where the last chunk left them.
            std::copy(raw + c0 - m + kChunk, raw + c0 + kChunk, raw + c0 - m);
            std::copy(stocK + c0 - d + kChunk, stocK + c0 + kChunk, stocK + c0 - d);
        }
        WindowRange(h, l, c0, c1, k, work, [raw, c](int q, double top, double bottom) {
            raw[q] = top != bottom ? (c[q] - bottom) / (top - bottom) * 100 : kNoValue;
        });
        for (int q = std::max(c0, rawFirst); q < c1; ++q)
            out.col[2][q] = raw[q];
        const int k0 = std::max(c0, kLo);
        if (k0 >= c1)
            continue;
        if (!kMean)
            kMean.emplace(raw, kLo, m);
        kMean->Run(raw, k0, c1, stocK);
        for (int q = std::max(c0, kFirst); q < c1; ++q)
            out.col[0][q] = stocK[q];
        const int d0 = std::max(c0, dFirst);
        if (d0 >= c1)
            continue;
        if (!dMean)
            dMean.emplace(stocK, dFirst, d);
        dMean->Run(stocK, d0, c1, out.col[1]);
    }
}

void KernelMOM(const CStudyBars& bars, int field, int n, bool percent, int from, int to, const CStudyOut& out)
{
    const int q0 = FirstPosition(out, 1, from, to, n + 1);
    const double* x = bars.field[field];
    double* res = out.col[0];
    if (!percent) {
        for (int q = q0; q < to; ++q)
            res[q] = x[q] - x[q - n];
        return;
    }
    for (int q = q0; q < to; ++q) {
        const double base = x[q - n];
        res[q] = base != 0.0 ? (x[q] - base) / base * 100 : kNoValue;
    }
}

void KernelCCI(const CStudyBars& bars, int n, int from, int to, const CStudyOut& out, CStudyScratch& scratch)
{
    const int q0 = FirstPosition(out, 1, from, to, n);
    if (q0 >= to)
        return;
    const int lo = q0 - n + 1;
    double* tp = IndexedFrom(scratch.Doubles(0, static_cast<size_t>(to - lo)), lo);
    for (int i = lo; i < to; ++i)
        tp[i] = TypicalPrice(bars, i);
    const double invN = 1.0 / n;
    double* res = out.col[0];
    // The mean deviation is taken around each window's own mean: one pass per window.
    WindowSum(tp, q0, to, n, [&](int q, double s) {
        const double mean = s * invN;
        const double* w = tp + q - n + 1;
        const double newest = tp[q];
        double a = 0, b = 0, c = 0, e = 0;
        bool flat = true; // every typical price alike: no deviation, whatever the rounding
        int i = 0;
        for (; i + 4 <= n; i += 4) {
            a += std::abs(w[i] - mean);
            b += std::abs(w[i + 1] - mean);
            c += std::abs(w[i + 2] - mean);
            e += std::abs(w[i + 3] - mean);
            flat &= (w[i] == newest) & (w[i + 1] == newest) & (w[i + 2] == newest) & (w[i + 3] == newest);
        }
        for (; i < n; ++i) {
            a += std::abs(w[i] - mean);
            flat &= w[i] == newest;
        }
        const double dev = ((a + b) + (c + e)) * invN;
        res[q] = !flat && dev != 0.0 ? (newest - mean) / (dev * 0.015) : kNoValue;
    });
}

void KernelATR(const CStudyBars& bars, int n, int from, int to, const CStudyOut& out)
{
    const int q0 = FirstPosition(out, 1, from, to, n + 1);
    const double* h = bars.High();
    const double* l = bars.Low();
    const double* c = bars.Close();
    const double inv = 1.0 / n;
    WindowSums<1>(
        q0, to, n, [&](int i, double* t) { t[0] = TrueRange(h, l, c, i); },
        [&](int q, const double* s) { out.col[0][q] = s[0] * inv; });
}

void KernelCHOP(const CStudyBars& bars, int n, int from, int to, const CStudyOut& out, CStudyScratch& scratch)
{
    const int q0 = FirstPosition(out, 0xF, from, to, n + 1);
    if (q0 >= to)
        return;
    const int lo = q0 - n + 1;
    double* th = IndexedFrom(scratch.Doubles(0, static_cast<size_t>(to - lo)), lo);
    double* tl = IndexedFrom(scratch.Doubles(1, static_cast<size_t>(to - lo)), lo);
    for (int i = lo; i < to; ++i) {
        const double pc = bars.Close()[i - 1];
        th[i] = pc < bars.High()[i] ? bars.High()[i] : pc;
        tl[i] = pc <= bars.Low()[i] ? pc : bars.Low()[i];
    }
    int* work = scratch.Ints(0, 2 * static_cast<size_t>(to - q0 + n));
    int* hi = IndexedFrom(scratch.Ints(1, static_cast<size_t>(to - q0)), q0);
    int* lw = IndexedFrom(scratch.Ints(2, static_cast<size_t>(to - q0)), q0);
    WindowExtremeIndex<true>(th, q0, to, n, work, hi);
    WindowExtremeIndex<false>(tl, q0, to, n, work, lw);
    const double logN = std::log10(static_cast<double>(n));
    WindowSums<1>(
        q0, to, n, [&](int i, double* t) { t[0] = th[i] - tl[i]; },
        [&](int q, const double* s) {
            const double range = th[hi[q]] - tl[lw[q]];
            double chop = kNoValue;
            if (range != 0.0 && logN != 0.0)
                chop = 100 * std::log10(s[0] / range) / logN;
            const int oldest = q - n + 1;
            out.col[0][q] = HasValue(chop) ? chop : kNoValue;
            out.col[1][q] = th[oldest];
            out.col[2][q] = tl[oldest];
            out.col[3][q] = th[oldest] - tl[oldest];
        });
}

namespace {

// Every record restarts its sums n + 8a records back, and the smoothed DX that follows
// depends on that start, so each record walks its own 8a steps. The walks of neighbouring
// records run side by side in the lanes of K registers of V (their steps read neighbouring
// positions), so that the chains of operations of different records overlap.
template <class V, int K>
QX_LANE_INLINE void WalkAdx(const double* pm, const double* mm, const double* tr, int n, int a, int q, int to,
                            const CStudyOut& out)
{
    constexpr int W = lanes::kLaneCount<V>;
    const V share = lanes::Splat<V>(1.0 / n), invA = lanes::Splat<V>(1.0 / a), keepA = lanes::Splat<V>(a - 1);
    // The K registers of each quantity are unrolled into registers of their own.
    V p[K], mi[K], t[K], lowest[K], adx[K];
#pragma GCC unroll 8
    for (int k = 0; k < K; ++k) {
        p[k] = mi[k] = t[k] = adx[k] = V{};
        lowest[k] = lanes::Splat<V>(1.0);
    }
    int i = q - n - 8 * a + 2; // the first position after the start
    for (const int end = i + n - 1; i < end; ++i) {
#pragma GCC unroll 8
        for (int k = 0; k < K; ++k) {
            p[k] += lanes::Load<V>(pm + i + W * k);
            mi[k] += lanes::Load<V>(mm + i + W * k);
            t[k] += lanes::Load<V>(tr + i + W * k);
        }
    }
    // +DI and -DI share the divisor T, so DX = |M - P| / (P + M) x 100 needs only the two
    // sums; the DIs themselves are taken once, at the end, and the ADX is carried in hundredths.
    // The sums never fall below 0: a 0 T shows as a 0 minimum, and P + M = 0 (so P = M = 0)
    // makes DX 0 / 0, which no ADX outlives.
    auto advance = [&](int k) QX_LANE_INLINE_LAMBDA {
        p[k] = p[k] - p[k] * share + lanes::Load<V>(pm + i + W * k);
        mi[k] = mi[k] - mi[k] * share + lanes::Load<V>(mm + i + W * k);
        t[k] = t[k] - t[k] * share + lanes::Load<V>(tr + i + W * k);
        lowest[k] = lanes::Min(lowest[k], t[k]);
        // |M - P| as the larger of M - P and P - M (the one is the other negated, bit for bit),
        // which needs no sign constant in a register.
        return lanes::Max(p[k] - mi[k], mi[k] - p[k]) / (p[k] + mi[k]);
    };
    for (int step = 0; step < a; ++step, ++i) {
#pragma GCC unroll 8
        for (int k = 0; k < K; ++k)
            adx[k] += advance(k);
    }
#pragma GCC unroll 8
    for (int k = 0; k < K; ++k)
        adx[k] = adx[k] * invA;
    for (int step = a; step < 8 * a; ++step, ++i) {
#pragma GCC unroll 8
        for (int k = 0; k < K; ++k)
            adx[k] = (advance(k) + keepA * adx[k]) * invA;
    }
    for (int lane = 0; lane < W * K && q + lane < to; ++lane) {
        const int r = q + lane, k = lane / W, j = lane % W;
        out.col[0][r] = lowest[k][j] == 0.0 || std::isnan(adx[k][j]) ? kNoValue : adx[k][j] * 100;
        out.col[1][r] = t[k][j] != 0.0 ? p[k][j] / t[k][j] * 100 : kNoValue;
        out.col[2][r] = t[k][j] != 0.0 ? mi[k][j] / t[k][j] * 100 : kNoValue;
    }
}

// Walks of the records [q0, to), at most kAdxWalks at a time: two registers of four lanes, or
// two of two (more would not fit the registers).
constexpr int kAdxWalks = 8;

void WalkAdxPortable(const double* pm, const double* mm, const double* tr, int n, int a, int q0, int to,
                     const CStudyOut& out)
{
    for (int q = q0; q < to; q += 4)
        WalkAdx<lanes::v2d, 2>(pm, mm, tr, n, a, q, to, out);
}

#ifdef QX_STUDY_WIDE
QX_STUDY_WIDE_TARGET void WalkAdxWide(const double* pm, const double* mm, const double* tr, int n, int a, int q0,
                                      int to, const CStudyOut& out)
{
    for (int q = q0; q < to; q += kAdxWalks)
        WalkAdx<lanes::v4d, kAdxWalks / 4>(pm, mm, tr, n, a, q, to, out);
}
#endif

} // namespace

void KernelADX(const CStudyBars& bars, int n, int a, int from, int to, const CStudyOut& out, CStudyScratch& scratch,
               KernelCode code)
{
    const int back = n + 8 * a - 1;
    const int q0 = FirstPosition(out, 7, from, to, back + 1);
    if (q0 >= to)
        return;
    const int lo = q0 - back + 1;
    // Room for the lanes of the last walks to read past `to`.
    const int len = to - lo + kAdxWalks - 1;
    double* pm = IndexedFrom(scratch.Doubles(0, static_cast<size_t>(len)), lo);
    double* mm = IndexedFrom(scratch.Doubles(1, static_cast<size_t>(len)), lo);
    double* tr = IndexedFrom(scratch.Doubles(2, static_cast<size_t>(len)), lo);
    const double* h = bars.High();
    const double* l = bars.Low();
    const double* c = bars.Close();
    for (int i = lo; i < to; ++i) {
        const double upMove = h[i] - h[i - 1];
        const double downMove = l[i - 1] - l[i];
        pm[i] = mm[i] = 0.0;
        if (downMove > 0 && downMove > upMove)
            mm[i] = downMove;
        else if (upMove > 0 && upMove > downMove)
            pm[i] = upMove;
        const double pc = c[i - 1];
        tr[i] = std::max({h[i] - l[i], std::abs(h[i] - pc), std::abs(l[i] - pc)});
    }
    for (int i = to; i < lo + len; ++i)
        pm[i] = mm[i] = tr[i] = 0.0;
#ifdef QX_STUDY_WIDE
    if (code == KernelCode::kWidest && lanes::WideCodeRuns()) {
        WalkAdxWide(pm, mm, tr, n, a, q0, to, out);
        return;
    }
#endif
    WalkAdxPortable(pm, mm, tr, n, a, q0, to, out);
}

void KernelAROON(const CStudyBars& bars, int n, int from, int to, const CStudyOut& out, CStudyScratch& scratch)
{
    const int q0 = FirstPosition(out, 3, from, to, n);
    if (q0 >= to)
        return;
    int* work = scratch.Ints(0, 2 * static_cast<size_t>(to - q0 + n));
    int* hi = IndexedFrom(scratch.Ints(1, static_cast<size_t>(to - q0)), q0);
    int* lw = IndexedFrom(scratch.Ints(2, static_cast<size_t>(to - q0)), q0);
    WindowExtremeIndex<true>(bars.High(), q0, to, n, work, hi);
    WindowExtremeIndex<false>(bars.Low(), q0, to, n, work, lw);
    for (int q = q0; q < to; ++q) {
        out.col[0][q] = static_cast<double>(n - (q - hi[q])) / n * 100;
        out.col[1][q] = static_cast<double>(n - (q - lw[q])) / n * 100;
    }
}

void KernelUOSC(const CStudyBars& bars, int l1, int l2, int l3, int from, int to, const CStudyOut& out,
                CStudyScratch& scratch)
{
    const int lengths[3] = {l1, l2, l3};
    const int longest = std::max({l1, l2, l3});
    const int q0 = FirstPosition(out, 1, from, to, longest + 1);
    if (q0 >= to)
        return;
    const int lo = q0 - longest + 1;
    double* bp = IndexedFrom(scratch.Doubles(0, static_cast<size_t>(to - lo)), lo);
    double* tr = IndexedFrom(scratch.Doubles(1, static_cast<size_t>(to - lo)), lo);
    const double* h = bars.High();
    const double* l = bars.Low();
    const double* c = bars.Close();
    for (int i = lo; i < to; ++i) {
        const double pc = c[i - 1];
        const double trueLow = pc <= l[i] ? pc : l[i];
        bp[i] = std::abs(c[i] - trueLow);
        tr[i] = TrueRange(h, l, c, i);
    }
    double* res = out.col[0];
    double* avg[3];
    for (int k = 0; k < 3; ++k) {
        avg[k] = IndexedFrom(scratch.Doubles(2 + k, static_cast<size_t>(to - q0)), q0);
        double* dst = avg[k];
        WindowSums<3>(
            q0, to, lengths[k],
            [&](int i, double* t) {
                t[0] = bp[i];
                t[1] = tr[i];
                t[2] = tr[i] != 0.0;
            },
            [&](int q, const double* s) { dst[q] = s[2] > 0.5 && s[1] != 0.0 ? s[0] / s[1] : kNoValue; });
    }
    for (int q = q0; q < to; ++q)
        res[q] = (4 * avg[0][q] + 2 * avg[1][q] + avg[2][q]) * 0.14285714285714285 * 100;
}

void KernelMFI(const CStudyBars& bars, int n, int from, int to, const CStudyOut& out, CStudyScratch& scratch)
{
    MfiWalk(bars.field, nullptr, n, from, to, out, scratch);
}

void KernelMFI(const CStudyRecords& records, int n, int from, int to, const CStudyOut& out, CStudyScratch& scratch)
{
    MfiWalk(records.field, records.valid, n, from, to, out, scratch);
}

void KernelOBV(const CStudyBars& bars, int from, int to, const CStudyOut& out, CStudyScratch& scratch)
{
    const int q0 = FirstPosition(out, 1, from, to, 51);
    if (q0 >= to)
        return;
    const int lo = q0 - 49;
    double* signedVolume = IndexedFrom(scratch.Doubles(0, static_cast<size_t>(to - lo)), lo);
    const double* c = bars.Close();
    const double* v = bars.Volume();
    for (int i = lo; i < to; ++i)
        signedVolume[i] = static_cast<double>((c[i] > c[i - 1]) - (c[i] < c[i - 1])) * v[i];
    WindowSum(signedVolume, q0, to, 50, [&](int q, double sum) { out.col[0][q] = sum; });
}

void KernelAD(const CStudyBars& bars, int from, int to, const CStudyOut& out)
{
    const int q0 = FirstPosition(out, 1, from, to, 50);
    WindowSums<1>(
        q0, to, 50, [&](int i, double* t) { t[0] = ClvVolume(bars, i); },
        [&](int q, const double* s) { out.col[0][q] = s[0]; });
}

void KernelCMF(const CStudyBars& bars, int n, int from, int to, const CStudyOut& out)
{
    const int q0 = FirstPosition(out, 1, from, to, n);
    const double* h = bars.High();
    const double* l = bars.Low();
    const double* v = bars.Volume();
    WindowSums<3>(
        q0, to, n,
        [&](int i, double* t) {
            const bool ranged = h[i] != l[i];
            t[0] = ranged ? ClvVolume(bars, i) : 0.0;
            t[1] = ranged ? v[i] : 0.0;
            t[2] = ranged && v[i] != 0.0;
        },
        [&](int q, const double* s) { out.col[0][q] = s[2] > 0.5 && s[1] != 0.0 ? s[0] / s[1] : kNoValue; });
}

// OSC = F - S, where F and S average the accumulation line restarted K = 4 max(a, b)
// records back: F = sum of clv(u) (1 - bF^(q - u + 1)), so
// OSC = sum over the window of (bS^(j + 1) - bF^(j + 1)) clv(q - j). Each weighted sum is
// carried from q to q + 1 by a contracting step.
void KernelCOSC(const CStudyBars& bars, int fast, int slow, int from, int to, const CStudyOut& out,
                CStudyScratch& scratch)
{
    const int K = 4 * std::max(fast, slow);
    const int q0 = FirstPosition(out, 1, from, to, K);
    if (q0 >= to)
        return;
    const int lo = q0 - K + 1;
    double* clv = IndexedFrom(scratch.Doubles(0, static_cast<size_t>(to - lo)), lo);
    for (int i = lo; i < to; ++i)
        clv[i] = ClvVolume(bars, i);
    const double bF = 1 - 2.0 / (fast + 1.0), bS = 1 - 2.0 / (slow + 1.0);
    const double bFK = std::pow(bF, K), bSK = std::pow(bS, K);
    double gF = 0, gS = 0;
    {
        double wF = bF, wS = bS;
        for (int j = 0; j < K; ++j, wF *= bF, wS *= bS) {
            gF += wF * clv[q0 - j];
            gS += wS * clv[q0 - j];
        }
    }
    double* res = out.col[0];
    res[q0] = gS - gF;
    for (int q = q0 + 1; q < to; ++q) {
        gF = bF * (clv[q] + gF - bFK * clv[q - K]);
        gS = bS * (clv[q] + gS - bSK * clv[q - K]);
        res[q] = gS - gF;
    }
}

} // namespace studies
