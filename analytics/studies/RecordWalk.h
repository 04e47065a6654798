// Computations that walk the records one after another, skipping the empty ones, and keep
// what their windows still need in rings: each record's terms are computed once. They run
// over packed valid records (every record valid) or over the records themselves with their
// valid flags, and give the same bits either way: the sums are rebuilt from scratch at the
// same valid records and added up in the same order as the sliding-window helpers do.
#pragma once

#include "analytics/studies/OscillatorStudies.h"
#include "analytics/studies/SlidingWindow.h"
#include "analytics/studies/StudyLanes.h"

#include <algorithm>
#include <cmath>

namespace studies::walk {

// Whether a record is valid: every one (packed records), or as its flag says.
struct EveryRecord {
    bool operator()(int) const { return true; }
};
struct ValidFlags {
    const BYTE* valid;
    bool operator()(int r) const { return valid[r] != 0; }
};

// The record a walk starts from so that it has `before` valid records ahead of the first
// valid one at or after `from`: record 0 when there are fewer.
template <class Valid>
int StartBefore(Valid valid, int from, int before)
{
    int r = from;
    for (int seen = 0; r > 0 && seen < before;)
        seen += valid(--r);
    return r;
}

// Records walked before the values that need divisions are worked out for them all.
constexpr int kWalkBlock = 256;

using lanes::v2d;

// Sum of n pairs of a ring of `size` pairs from slot `start` on, each lane added up as
// SumOf adds up its values. `work` holds 2n doubles.
inline v2d RingSumOf(const double* ring, int size, int start, int n, double* work)
{
    const double* x = ring + 2 * start;
    if (start + n > size) {
        const int head = size - start;
        std::copy(x, ring + 2 * size, work);
        std::copy(ring, ring + 2 * (n - head), work + 2 * head);
        x = work;
    }
    v2d a{}, b{}, c{}, d{};
    int i = 0;
    for (; i + 4 <= n; i += 4) {
        a += lanes::Load<v2d>(x + 2 * i);
        b += lanes::Load<v2d>(x + 2 * i + 2);
        c += lanes::Load<v2d>(x + 2 * i + 4);
        d += lanes::Load<v2d>(x + 2 * i + 6);
    }
    for (; i < n; ++i)
        a += lanes::Load<v2d>(x + 2 * i);
    return (a + b) + (c + d);
}

// The up and down moves of a close change d, in lanes 0 and 1: d > 0 ? d : 0, and
// d < 0 ? -d : 0 as 0 - d when above 0 (the same bits, zeros and NaN included).
inline v2d Moves(double d)
{
    const v2d m = {d, 0.0 - d};
    return m > v2d{} ? m : v2d{};
}

// RSI over the records [from, to): rsi, h and l (the RSI's HAVG and LAVG) at each.
// Each value seeds its averages over n moves, then smooths them over 7n more; it is the
// closed form of WindowedSmoothing: beta^7n * seed + alpha * (the moves weighted by
// powers of beta), with the weighted sums carried from one record to the next and the
// seed sums slid along and rebuilt every RebuildPeriod(n) values. The up moves take
// lane 0 and the down moves lane 1 of each pair, each lane doing the operations of its own
// averages alone. `ring` holds 2 * 8n doubles and `work` 2n.
template <class Valid>
void Rsi(const double* close, Valid valid, int n, int from, int to, double* rsi, double* h, double* l, double* ring,
         double* work)
{
    using Count = lanes::Mask<v2d>;
    const int span = 8 * n; // moves read by a value
    const int K = 7 * n;    // smoothing steps after the seed
    auto noValue = [&](int r) { rsi[r] = h[r] = l[r] = kNoValue; };
    // The first span moves (span + 1 valid records) fill the ring, oldest at slot 0.
    int r = StartBefore(valid, from, span);
    int seen = 0;
    double prev = 0;
    for (; r < to; ++r) {
        if (valid(r)) {
            const double c = close[r];
            if (seen > 0)
                lanes::Store(ring + 2 * (seen - 1), Moves(c - prev));
            prev = c;
            if (++seen == span + 1)
                break;
        }
        if (r >= from)
            noValue(r);
    }
    if (r >= to)
        return;
    const double alpha = 1.0 / n, invN = alpha, beta = 1.0 - alpha;
    const v2d betaK = lanes::Splat<v2d>(std::pow(beta, K));
    const v2d alphas = lanes::Splat<v2d>(alpha), invNs = lanes::Splat<v2d>(invN), betas = lanes::Splat<v2d>(beta);
    const int period = RebuildPeriod(n);
    // The first value, r's: every sum from its window.
    Count nonZero{};
    for (int i = 0; i < span; ++i)
        nonZero -= lanes::Load<v2d>(ring + 2 * i) > v2d{}; // moves are never negative
    v2d weighted{};
    {
        double w = 1;
        for (int j = 0; j < K; ++j, w *= beta)
            weighted += lanes::Splat<v2d>(w) * lanes::Load<v2d>(ring + 2 * (span - 1 - j));
    }
    v2d seed = RingSumOf(ring, span, 0, n, work);
    int rebuild = period - 1;
    auto averages = [&](int at) {
        const v2d value = betaK * (seed * invNs) + alphas * weighted;
        const v2d hl = nonZero == Count{} ? v2d{} : value;
        h[at] = hl[0];
        l[at] = hl[1];
    };
    averages(r);
    rsi[r] = RsiFromAverages(h[r], l[r]);
    // Then each move replaces the one span back (slot), and the seed ends K back (mid). The
    // RSI of a block of records follows their averages, its divisions apart from the sums.
    int slot = 0, mid = n;
    for (++r; r < to;) {
        const int end = std::min(to, r + kWalkBlock);
        for (int i = r; i < end; ++i) {
            if (!valid(i)) {
                h[i] = l[i] = kNoValue;
                continue;
            }
            const double c = close[i];
            const v2d x = Moves(c - prev);
            prev = c;
            const v2d old = lanes::Load<v2d>(ring + 2 * slot), middle = lanes::Load<v2d>(ring + 2 * mid);
            lanes::Store(ring + 2 * slot, x);
            nonZero += (old > v2d{}) - (x > v2d{});
            weighted = betas * weighted + (x - betaK * middle);
            if (++slot == span)
                slot = 0;
            if (++mid == span)
                mid = 0;
            if (rebuild == 0) {
                // The seed's moves: the n after the replaced one.
                seed = RingSumOf(ring, span, slot, n, work);
                rebuild = period;
            } else {
                seed += middle - old;
            }
            --rebuild;
            averages(i);
        }
        for (int i = r; i < end; ++i)
            rsi[i] = valid(i) ? RsiFromAverages(h[i], l[i]) : kNoValue;
        r = end;
    }
}

// MFI over the records [from, to): n money flows, each record's typical price against the
// previous valid record's. The window's terms (positive flow in lane 0, negative flow in
// lane 1, and whether the negative flow is not 0) are kept in rings of n, their sums slid
// along and rebuilt from the rings every RebuildPeriod(n) values. `ring` holds 2n doubles,
// `counts` n ints and `work` 2 kWalkBlock doubles.
template <class Valid>
void Mfi(const double* high, const double* low, const double* close, const double* volume, Valid valid, int n,
         int from, int to, double* mfi, double* ring, int* counts, double* work)
{
    auto typical = [&](int i) { return (high[i] + low[i] + close[i]) * 0.3333333333333333; };
    double prevTp = 0;
    // The flows of record i, and whether the negative one is not 0.
    auto flows = [&](int i, int& negative) {
        const double tp = typical(i);
        const double flow = tp * volume[i];
        const v2d a = {tp, prevTp}, b = {prevTp, tp};
        const v2d f = a > b ? v2d{flow, flow} : v2d{};
        negative = static_cast<int>(-(f != v2d{})[1]);
        prevTp = tp;
        return f;
    };
    // The first n flows (n + 1 valid records) fill the rings, oldest at slot 0.
    int r = StartBefore(valid, from, n);
    int seen = 0;
    for (; r < to; ++r) {
        if (valid(r)) {
            if (seen > 0)
                lanes::Store(ring + 2 * (seen - 1), flows(r, counts[seen - 1]));
            else
                prevTp = typical(r);
            if (++seen == n + 1)
                break;
        }
        if (r >= from)
            mfi[r] = kNoValue;
    }
    if (r >= to)
        return;
    const int period = RebuildPeriod(n);
    v2d sums{};
    int count = 0;
    // The sums of the window from its oldest slot on.
    auto rebuild = [&](int oldest) {
        sums = v2d{};
        for (int j = 0, s = oldest; j < n; ++j, s = s + 1 == n ? 0 : s + 1)
            sums += lanes::Load<v2d>(ring + 2 * s);
    };
    rebuild(0);
    for (int j = 0; j < n; ++j)
        count += counts[j];
    auto value = [](double positive, double negative) {
        return negative != 0.0 ? 100 - 100 / (positive / negative + 1) : kNoValue;
    };
    mfi[r] = value(sums[0], count > 0 ? sums[1] : 0.0);
    // Then each record's flows replace those n back. A block of records keeps its sums (the
    // negative one 0 where the value has none) and then works out their values.
    double* sumPositive = work;
    double* sumNegative = work + kWalkBlock;
    int slot = 0, left = period - 1;
    for (++r; r < to;) {
        const int end = std::min(to, r + kWalkBlock);
        for (int i = r; i < end; ++i) {
            const int k = i - r;
            if (!valid(i)) {
                sumPositive[k] = sumNegative[k] = 0.0;
                continue;
            }
            const v2d sub = lanes::Load<v2d>(ring + 2 * slot);
            int negative = 0;
            const v2d add = flows(i, negative);
            lanes::Store(ring + 2 * slot, add);
            count += negative - counts[slot];
            counts[slot] = negative;
            if (++slot == n)
                slot = 0;
            if (left == 0) {
                rebuild(slot);
                left = period;
            } else {
                sums += add - sub;
            }
            --left;
            sumPositive[k] = sums[0];
            sumNegative[k] = count > 0 ? sums[1] : 0.0;
        }
        for (int i = r; i < end; ++i)
            mfi[i] = value(sumPositive[i - r], sumNegative[i - r]);
        r = end;
    }
}

} // namespace studies::walk
