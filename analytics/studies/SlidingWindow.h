// Sliding-window building blocks of the study computations. Each walks a dense
// array once; windows are [q - n + 1, q] and only start at or after `first`.
#pragma once

#include "analytics/studies/StudyInput.h"

#include <array>
#include <cmath>
#include <vector>

namespace studies {

// Calls emit(q, sums) for every window end q in [first + n - 1, size) with the sums of
// terms(i, out[K]) over the window. The sums are rebuilt from scratch every n windows,
// so rounding never drifts further than one window's worth of updates.
template <size_t K, class Terms, class Emit>
void ForEachWindowSum(int first, int size, int n, Terms&& terms, Emit&& emit)
{
    if (n < 1 || first < 0)
        return;
    std::array<double, K> sums{};
    std::array<double, K> add{};
    std::array<double, K> sub{};
    const int q0 = first + n - 1;
    for (int q = q0; q < size; ++q) {
        if ((q - q0) % n == 0) {
            sums.fill(0.0);
            for (int i = q - n + 1; i <= q; ++i) {
                terms(i, add.data());
                for (size_t k = 0; k < K; ++k)
                    sums[k] += add[k];
            }
        } else {
            terms(q, add.data());
            terms(q - n, sub.data());
            for (size_t k = 0; k < K; ++k)
                sums[k] += add[k] - sub[k];
        }
        emit(q, sums.data());
    }
}

// out[q] = index of the largest (wantMax) or smallest value of x over the window ending
// at q, the newest one on ties; written for q >= first + n - 1.
inline void SlidingExtremeIndex(const double* x, int first, int size, int n, bool wantMax, int* out)
{
    if (n < 1 || size <= first)
        return;
    std::vector<int> ring(static_cast<size_t>(size - first));
    int head = 0;
    int tail = 0;
    for (int q = first; q < size; ++q) {
        const double v = x[q];
        if (wantMax) {
            while (tail > head && x[ring[tail - 1]] <= v)
                --tail;
        } else {
            while (tail > head && x[ring[tail - 1]] >= v)
                --tail;
        }
        ring[tail++] = q;
        while (ring[head] <= q - n)
            ++head;
        if (q >= first + n - 1)
            out[q] = ring[head];
    }
}

// Exponential smoothing restarted for every window: the seed is the mean of the n values
// ending at q - K, followed by K steps e = e + (x - e) * alpha over the values up to q.
// out[q] is written for q >= first + n + K - 1. Closed form: beta^K * seed +
// alpha * sum(beta^j * x[q - j], j < K), the weighted sum carried from window to window.
inline void WindowedSmoothing(const double* x, int first, int size, int n, int K, double alpha, double* out)
{
    if (n < 1 || K < 0 || first < 0)
        return;
    const double beta = 1.0 - alpha;
    const double betaK = std::pow(beta, K);
    const int span = n + K;
    const int q0 = first + span - 1;
    if (q0 >= size)
        return;
    double seedSum = 0;
    double weighted = 0;
    int nonZero = 0;
    for (int i = first; i < q0; ++i)
        nonZero += x[i] != 0.0;
    for (int q = q0; q < size; ++q) {
        nonZero += x[q] != 0.0;
        if (q > q0)
            nonZero -= x[q - span] != 0.0;
        const int seedEnd = q - K;
        if ((q - q0) % n == 0) {
            seedSum = 0;
            for (int i = seedEnd - n + 1; i <= seedEnd; ++i)
                seedSum += x[i];
        } else {
            seedSum += x[seedEnd] - x[seedEnd - n];
        }
        if (K > 0 && (q - q0) % K == 0) {
            weighted = 0;
            double w = 1;
            for (int j = 0; j < K; ++j, w *= beta)
                weighted += w * x[q - j];
        } else if (K > 0) {
            weighted = beta * weighted + x[q] - betaK * x[q - K];
        }
        out[q] = nonZero == 0 ? 0.0 : betaK * (seedSum / n) + alpha * weighted;
    }
}

// out[q] = mean of in over the window ending at q for q >= first + n - 1, kNoValue when
// any value of the window has none.
inline void SlidingMean(const double* in, int first, int size, int n, double* out)
{
    std::vector<int> bad(static_cast<size_t>(size > 0 ? size : 0) + 1, 0);
    for (int i = 0; i < size; ++i)
        bad[i + 1] = bad[i] + (i >= first && !HasValue(in[i]));
    ForEachWindowSum<1>(
        first, size, n, [&](int i, double* t) { t[0] = HasValue(in[i]) ? in[i] : 0.0; },
        [&](int q, const double* s) { out[q] = bad[q + 1] - bad[q + 1 - n] ? kNoValue : s[0] / n; });
}

// Running exponential average from the first value: R(t) = beta R(t - 1) + alpha x(t),
// R(-1) = 0.
inline void RunningEma(const double* x, int size, double alpha, double* out)
{
    const double beta = 1.0 - alpha;
    double r = 0;
    for (int t = 0; t < size; ++t) {
        r = beta * r + alpha * x[t];
        out[t] = r;
    }
}

// Affine steps a -> m * a + b and their compositions over a fixed-length sliding window
// (blocks of the window length with prefix and suffix compositions).
struct AffineStep {
    double m = 1;
    double b = 0;
};

// Later step applied after the earlier one.
inline AffineStep Compose(const AffineStep& later, const AffineStep& earlier)
{
    return {later.m * earlier.m, later.m * earlier.b + later.b};
}

class CSlidingAffine {
public:
    // steps[i] for i in [0, size); window length w >= 1.
    CSlidingAffine(const std::vector<AffineStep>& steps, int w) : m_w(w)
    {
        const int size = static_cast<int>(steps.size());
        m_prefix.resize(static_cast<size_t>(size));
        m_suffix.resize(static_cast<size_t>(size));
        for (int start = 0; start < size; start += w) {
            const int end = std::min(start + w, size) - 1;
            m_prefix[start] = steps[start];
            for (int i = start + 1; i <= end; ++i)
                m_prefix[i] = Compose(steps[i], m_prefix[i - 1]);
            m_suffix[end] = steps[end];
            for (int i = end - 1; i >= start; --i)
                m_suffix[i] = Compose(m_suffix[i + 1], steps[i]);
        }
    }
    // Composition of the steps q - w + 1 .. q (q >= w - 1).
    AffineStep Window(int q) const
    {
        const int lo = q - m_w + 1;
        if (lo % m_w == 0)
            return m_prefix[q];
        return Compose(m_prefix[q], m_suffix[lo]);
    }

private:
    int m_w;
    std::vector<AffineStep> m_prefix;
    std::vector<AffineStep> m_suffix;
};

} // namespace studies
