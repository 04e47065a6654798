// Sliding-window building blocks of the study computations. Windows are [q - n + 1, q];
// each helper computes the window ends q in [from, to) and reads only what those windows
// hold, so a range computed alone equals the same range of a computation of everything.
#pragma once

#include "analytics/studies/StudyBars.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace studies {

// Running sums are rebuilt from scratch at least this often (and at least once per window
// length), so rounding never drifts.
constexpr int kRebuildWindows = 64;

inline int RebuildPeriod(int n)
{
    return std::max(n, kRebuildWindows);
}

// Sum of x[0 .. n-1] in four independent chains.
inline double SumOf(const double* x, int n)
{
    double a = 0, b = 0, c = 0, d = 0;
    int i = 0;
    for (; i + 4 <= n; i += 4) {
        a += x[i];
        b += x[i + 1];
        c += x[i + 2];
        d += x[i + 3];
    }
    for (; i < n; ++i)
        a += x[i];
    return (a + b) + (c + d);
}

// emit(q, S) for q in [from, to), S the sum of x over the window ending at q
// (x read from from - n + 1).
template <class Emit>
inline void WindowSum(const double* x, int from, int to, int n, Emit&& emit)
{
    const int period = RebuildPeriod(n);
    for (int q = from; q < to;) {
        const int end = std::min(to, q + period);
        double s = SumOf(x + q - n + 1, n);
        emit(q, s);
        for (++q; q < end; ++q) {
            s += x[q] - x[q - n];
            emit(q, s);
        }
    }
}

// emit(q, sums) for q in [from, to), sums[k] the sum of term k over the window ending at q;
// terms(i, t) fills the K terms of index i (called for i in [from - n + 1, to)).
template <size_t K, class Terms, class Emit>
inline void WindowSums(int from, int to, int n, Terms&& terms, Emit&& emit)
{
    std::array<double, K> sums{}, add{}, sub{};
    const int period = RebuildPeriod(n);
    for (int q = from; q < to;) {
        const int end = std::min(to, q + period);
        sums.fill(0.0);
        for (int i = q - n + 1; i <= q; ++i) {
            terms(i, add.data());
            for (size_t k = 0; k < K; ++k)
                sums[k] += add[k];
        }
        emit(q, sums.data());
        for (++q; q < end; ++q) {
            terms(q, add.data());
            terms(q - n, sub.data());
            for (size_t k = 0; k < K; ++k)
                sums[k] += add[k] - sub[k];
            emit(q, sums.data());
        }
    }
}

// out[q] = index of the largest (wantMax) or smallest value of x over the window ending at
// q, the newest on ties, for q in [from, to). Blocks of n values from the first window's
// start carry their running extremes forward (prefix) and backward (suffix); a window is
// the suffix of one block and the prefix of the next. work holds 2 (to - from + n) ints.
template <bool wantMax>
inline void WindowExtremeIndex(const double* x, int from, int to, int n, int* work, int* out)
{
    if (from >= to)
        return;
    const int lo = from - n + 1;
    int* prefix = IndexedFrom(work, lo); // prefix[i], suffix[i] for i in [lo, to)
    int* suffix = IndexedFrom(work + (to - lo), lo);
    // a replaces b when better, or equal and newer (a after b).
    auto atLeast = [](double a, double b) { return wantMax ? a >= b : a <= b; };
    auto strictly = [](double a, double b) { return wantMax ? a > b : a < b; };
    for (int b = lo; b < to; b += n) {
        const int end = std::min(b + n, to);
        prefix[b] = b;
        for (int i = b + 1; i < end; ++i)
            prefix[i] = atLeast(x[i], x[prefix[i - 1]]) ? i : prefix[i - 1];
        suffix[end - 1] = end - 1;
        for (int i = end - 2; i >= b; --i)
            suffix[i] = strictly(x[i], x[suffix[i + 1]]) ? i : suffix[i + 1];
    }
    for (int q = from, phase = 0; q < to; ++q, phase = phase == n - 1 ? 0 : phase + 1) {
        if (phase == 0) { // the window is one whole block
            out[q] = prefix[q];
            continue;
        }
        const int p = prefix[q], s = suffix[q - n + 1];
        out[q] = atLeast(x[p], x[s]) ? p : s;
    }
}

// emit(q, top, bottom) for q in [from, to): the highest of hi and the lowest of lo over the
// window ending at q, the values of the elements WindowExtremeIndex picks, found as it finds
// them but carrying the running extremes' values rather than their indices, both in the same
// passes. work holds 4 (to - from + n) doubles.
template <class Emit>
inline void WindowRange(const double* hi, const double* lo, int from, int to, int n, double* work, Emit&& emit)
{
    if (from >= to)
        return;
    const int first = from - n + 1, len = to - first;
    double* preHi = IndexedFrom(work, first);
    double* preLo = IndexedFrom(work + len, first);
    double* sufHi = IndexedFrom(work + 2 * len, first);
    double* sufLo = IndexedFrom(work + 3 * len, first);
    for (int b = first; b < to; b += n) {
        const int end = std::min(b + n, to);
        double h = hi[b], l = lo[b];
        preHi[b] = h;
        preLo[b] = l;
        for (int i = b + 1; i < end; ++i) {
            h = hi[i] >= h ? hi[i] : h; // the newer on ties
            l = lo[i] <= l ? lo[i] : l;
            preHi[i] = h;
            preLo[i] = l;
        }
        h = hi[end - 1];
        l = lo[end - 1];
        sufHi[end - 1] = h;
        sufLo[end - 1] = l;
        for (int i = end - 2; i >= b; --i) {
            h = hi[i] > h ? hi[i] : h;
            l = lo[i] < l ? lo[i] : l;
            sufHi[i] = h;
            sufLo[i] = l;
        }
    }
    for (int q = from, phase = 0; q < to; ++q, phase = phase == n - 1 ? 0 : phase + 1) {
        if (phase == 0) { // the window is one whole block
            emit(q, preHi[q], preLo[q]);
            continue;
        }
        const double ph = preHi[q], sh = sufHi[q - n + 1], pl = preLo[q], sl = sufLo[q - n + 1];
        emit(q, ph >= sh ? ph : sh, pl <= sl ? pl : sl);
    }
}

// Exponential smoothing restarted for every window: the seed is the mean of the n values
// ending at q - K, followed by K steps e = e + (x - e) * alpha over the values up to q. For
// q in [from, to) with q >= first + n + K - 1 (earlier positions get kNoValue); x is read
// from first on. A window whose values are all 0 gives exactly 0.
// Closed form: beta^K * seed + alpha * W(q), W(q) = sum of beta^j * x[q - j] for j < K,
// carried from q to q + 1 (a contracting recursion: its rounding does not grow).
inline void WindowedSmoothing(const double* x, int first, int from, int to, int n, int K, double alpha,
                              double* out)
{
    const int span = n + K;
    const int q0 = std::max(from, first + span - 1);
    for (int q = from; q < std::min(q0, to); ++q)
        out[q] = kNoValue;
    if (q0 >= to)
        return;
    const double beta = 1.0 - alpha;
    const double betaK = std::pow(beta, K);
    const double invN = 1.0 / n;
    int nonZero = 0;
    for (int i = q0 - span + 1; i < q0; ++i)
        nonZero += x[i] != 0.0;
    double weighted = 0;
    {
        double w = 1;
        for (int j = 0; j < K; ++j, w *= beta)
            weighted += w * x[q0 - j];
    }
    const int period = RebuildPeriod(n);
    double seedSum = 0;
    int rebuild = 0;
    for (int q = q0; q < to; ++q) {
        nonZero += x[q] != 0.0;
        if (q > q0) {
            nonZero -= x[q - span] != 0.0;
            weighted = beta * weighted + (x[q] - betaK * x[q - K]);
        }
        const int seedEnd = q - K;
        if (rebuild == 0) {
            seedSum = SumOf(x + seedEnd - n + 1, n);
            rebuild = period;
        } else {
            seedSum += x[seedEnd] - x[seedEnd - n];
        }
        --rebuild;
        out[q] = nonZero == 0 ? 0.0 : betaK * (seedSum * invN) + alpha * weighted;
    }
}

// The mean of in over the window of n values ending at each position, kNoValue when any
// value of the window has none, run over consecutive ranges: ranges run one after the other
// give the bits of one run over all of them. in is read from the first position - n + 1.
class WindowMeanRun {
public:
    // The first range starts at `first`.
    WindowMeanRun(const double* in, int first, int n)
        : m_first(first), m_n(n), m_period(RebuildPeriod(n)), m_invN(1.0 / n)
    {
        for (int i = first - n + 1; i < first; ++i)
            m_bad += !HasValue(in[i]);
    }

    // out[q] for q in [from, to), from being where the last range ended (or the first).
    void Run(const double* in, int from, int to, double* out)
    {
        // The running state in locals: out may alias nothing the compiler can see otherwise.
        const int n = m_n;
        int bad = m_bad, rebuild = m_rebuild;
        double sum = m_sum;
        for (int q = from; q < to; ++q) {
            const bool newHas = HasValue(in[q]);
            bad += !newHas;
            bool oldHas = false; // the value leaving the window, from the second position on
            if (q > m_first) {
                oldHas = HasValue(in[q - n]);
                bad -= !oldHas;
            }
            if (rebuild == 0) {
                sum = 0;
                for (int i = q - n + 1; i <= q; ++i)
                    sum += HasValue(in[i]) ? in[i] : 0.0;
                rebuild = m_period;
            } else {
                sum += (newHas ? in[q] : 0.0) - (oldHas ? in[q - n] : 0.0);
            }
            --rebuild;
            out[q] = bad ? kNoValue : sum * m_invN;
        }
        m_bad = bad;
        m_rebuild = rebuild;
        m_sum = sum;
    }

private:
    int m_first;
    int m_n;
    int m_period;
    double m_invN;
    int m_bad = 0;
    double m_sum = 0;
    int m_rebuild = 0;
};

// out[q] = mean of in over the window ending at q for q in [from, to), kNoValue when any
// value of the window has none; in is read from from - n + 1.
inline void WindowMean(const double* in, int from, int to, int n, double* out)
{
    WindowMeanRun(in, from, n).Run(in, from, to, out);
}

// Running exponential average from index lo: R(t) = beta R(t - 1) + alpha x(t), R(lo - 1) = 0.
inline void RunningEma(const double* x, int lo, int to, double alpha, double* out)
{
    const double beta = 1.0 - alpha;
    double r = 0;
    for (int t = lo; t < to; ++t) {
        r = beta * r + alpha * x[t];
        out[t] = r;
    }
}

// Affine steps a -> m * a + b and their compositions.
struct AffineStep {
    double m = 1;
    double b = 0;
};

// The later step applied after the earlier one.
inline AffineStep Compose(const AffineStep& later, const AffineStep& earlier)
{
    return {later.m * earlier.m, later.m * earlier.b + later.b};
}

} // namespace studies
