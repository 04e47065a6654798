#include "analytics/studies/OscillatorStudies.h"

#include "analytics/studies/AverageStudies.h"
#include "analytics/studies/SlidingWindow.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

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

// The running averages of up and down moves (the RSI's HAVG and LAVG) at [from, to).
void RsiAverages(const CStudyBars& bars, int n, int from, int to, double* h, double* l, CStudyScratch& scratch,
                 int upSlot)
{
    const int lo = std::max(1, from - 8 * n + 1);
    double* up = IndexedFrom(scratch.Doubles(upSlot, static_cast<size_t>(to - lo)), lo);
    double* down = IndexedFrom(scratch.Doubles(upSlot + 1, static_cast<size_t>(to - lo)), lo);
    UpDown(bars, lo, to, up, down);
    // Seed over n moves, then 7n smoothing steps: 8n + 1 records.
    WindowedSmoothing(up, lo, from, to, n, 7 * n, 1.0 / n, h);
    WindowedSmoothing(down, lo, from, to, n, 7 * n, 1.0 / n, l);
}

// Two lanes of doubles (one SSE register on x86-64).
using v2d = double __attribute__((vector_size(16)));

inline v2d Load2(const double* p)
{
    v2d v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

inline v2d Abs2(v2d v)
{
    return v < 0.0 ? -v : v;
}

inline v2d Min2(v2d a, v2d b)
{
    return a < b ? a : b;
}

} // namespace

void KernelRSI(const CStudyBars& bars, int n, int from, int to, const CStudyOut& out, CStudyScratch& scratch)
{
    const int q0 = FirstPosition(out, 7, from, to, 8 * n + 1);
    if (q0 >= to)
        return;
    RsiAverages(bars, n, q0, to, out.col[1], out.col[2], scratch, 0);
    for (int q = q0; q < to; ++q)
        out.col[0][q] = RsiFromAverages(out.col[1][q], out.col[2][q]);
}

void KernelStochRSI(const CStudyBars& bars, int n, int k, int d, int m, int from, int to, const CStudyOut& out,
                    CStudyScratch& scratch)
{
    const int listSize = k + d + m - 2;
    const unsigned mask = out.col[1] ? 3 : 1;
    // Each record restarts its list of RSI values at the seed record s = q - listSize + 1,
    // whose averages need 8n + 1 records.
    const int q0 = FirstPosition(out, mask, from, to, 8 * n + listSize);
    if (q0 >= to)
        return;
    const int sFrom = q0 - listSize + 1, sTo = to - listSize + 1;
    double* h0 = IndexedFrom(scratch.Doubles(0, static_cast<size_t>(sTo - sFrom)), sFrom);
    double* l0 = IndexedFrom(scratch.Doubles(1, static_cast<size_t>(sTo - sFrom)), sFrom);
    RsiAverages(bars, n, sFrom, sTo, h0, l0, scratch, 2);
    const int lo = sFrom;
    double* up = IndexedFrom(scratch.Doubles(4, static_cast<size_t>(to - lo)), lo);
    double* down = IndexedFrom(scratch.Doubles(5, static_cast<size_t>(to - lo)), lo);
    UpDown(bars, std::max(lo, 1), to, up, down);
    const int offsets = d + m - 1; // window offsets 0 .. d + m - 2 from the newest entry
    double* list = scratch.Doubles(6, static_cast<size_t>(listSize));
    double* top = scratch.Doubles(7, static_cast<size_t>(offsets));
    double* bottom = scratch.Doubles(8, static_cast<size_t>(offsets));
    double* val = scratch.Doubles(9, static_cast<size_t>(offsets));
    int* ring = scratch.Ints(0, static_cast<size_t>(listSize));
    const double keep = n - 1.0;
    const double invN = 1.0 / n;
    const double invM = 1.0 / m;
    for (int q = q0; q < to; ++q) {
        const int s = q - listSize + 1;
        double h = h0[s], l = l0[s];
        if (!HasValue(h) || !HasValue(l) || l == 0.0) {
            out.col[0][q] = kNoValue;
            if (mask & 2)
                out.col[1][q] = kNoValue;
            continue;
        }
        // 100 - 100 / (H / L + 1), in one division.
        list[0] = 100 * h / (h + l);
        bool ok = true;
        for (int t = s + 1, e = 1; t <= q; ++t, ++e) {
            h = (keep * h + up[t]) * invN;
            l = (keep * l + down[t]) * invN;
            if (l == 0.0) {
                ok = false;
                break;
            }
            list[e] = 100 * h / (h + l);
        }
        if (!ok) {
            out.col[0][q] = kNoValue;
            if (mask & 2)
                out.col[1][q] = kNoValue;
            continue;
        }
        // Extremes of k consecutive entries; the window with offset o ends at entry
        // listSize - 1 - o.
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
        for (int t = 0; t < m; ++t)
            sumK += val[t];
        out.col[0][q] = sumK * invM;
        if (mask & 2) {
            for (int j = 0; j < d; ++j)
                for (int t = 0; t < m; ++t)
                    sumD += val[j + t];
            out.col[1][q] = sumD / m / d;
        }
    }
}

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
    int* work = scratch.Ints(0, 2 * static_cast<size_t>(to - rLo + k));
    int* hi = IndexedFrom(scratch.Ints(1, static_cast<size_t>(to - rLo)), rLo);
    int* lo = IndexedFrom(scratch.Ints(2, static_cast<size_t>(to - rLo)), rLo);
    double* raw = IndexedFrom(scratch.Doubles(0, static_cast<size_t>(to - rLo)), rLo);
    const double* h = bars.High();
    const double* l = bars.Low();
    const double* c = bars.Close();
    WindowExtremeIndex<true>(h, rLo, to, k, work, hi);
    WindowExtremeIndex<false>(l, rLo, to, k, work, lo);
    for (int q = rLo; q < to; ++q) {
        const double top = h[hi[q]], bottom = l[lo[q]];
        raw[q] = top != bottom ? (c[q] - bottom) / (top - bottom) * 100 : kNoValue;
    }
    for (int q = rawFirst; q < to; ++q)
        out.col[2][q] = raw[q];
    if (kLo >= to)
        return;
    double* stocK = IndexedFrom(scratch.Doubles(1, static_cast<size_t>(to - kLo)), kLo);
    WindowMean(raw, kLo, to, m, stocK);
    for (int q = kFirst; q < to; ++q)
        out.col[0][q] = stocK[q];
    if (dFirst < to)
        WindowMean(stocK, dFirst, to, d, out.col[1]);
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

// Every record restarts its sums n + 8a records back, and the smoothed DX that follows
// depends on that start, so each record walks its own 8a steps. Two records walk at once
// (their steps read neighbouring positions); the arithmetic is that of one record.
void KernelADX(const CStudyBars& bars, int n, int a, int from, int to, const CStudyOut& out, CStudyScratch& scratch)
{
    const int back = n + 8 * a - 1;
    const int q0 = FirstPosition(out, 7, from, to, back + 1);
    if (q0 >= to)
        return;
    const int lo = q0 - back + 1;
    // One more position so that a pair may read past `to`.
    const int len = to - lo + 1;
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
    pm[to] = mm[to] = tr[to] = 0.0;
    const double share = 1.0 / n;
    const double invA = 1.0 / a;
    const double keepA = a - 1;
    for (int q = q0; q < to; q += 2) {
        const int s = q - back;
        v2d p = {0, 0}, mi = {0, 0}, t = {0, 0};
        int i = s + 1;
        for (; i <= s + n - 1; ++i) {
            p += Load2(pm + i);
            mi += Load2(mm + i);
            t += Load2(tr + i);
        }
        // +DI and -DI share the divisor T, so DX = |M - P| / (P + M) x 100 needs only the
        // two sums; the DIs themselves are taken once, at the end. The sums never fall
        // below 0, so a 0 among them shows as a 0 minimum.
        v2d lowest = {1, 1}, dxSum = {0, 0};
        auto advance = [&](int at) {
            p = p - p * share + Load2(pm + at);
            mi = mi - mi * share + Load2(mm + at);
            t = t - t * share + Load2(tr + at);
            const v2d sum = p + mi;
            lowest = Min2(lowest, Min2(t, sum));
            return Abs2(mi - p) / sum * 100.0;
        };
        for (int step = 0; step < a; ++step, ++i)
            dxSum += advance(i);
        v2d adx = dxSum * invA;
        for (int step = a; step < 8 * a; ++step, ++i)
            adx = (advance(i) + keepA * adx) * invA;
        for (int lane = 0; lane < 2 && q + lane < to; ++lane) {
            const int r = q + lane;
            out.col[0][r] = lowest[lane] == 0.0 ? kNoValue : adx[lane];
            out.col[1][r] = t[lane] != 0.0 ? p[lane] / t[lane] * 100 : kNoValue;
            out.col[2][r] = t[lane] != 0.0 ? mi[lane] / t[lane] * 100 : kNoValue;
        }
    }
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
    const int q0 = FirstPosition(out, 1, from, to, n + 1);
    if (q0 >= to)
        return;
    const int lo = q0 - n;
    double* tp = IndexedFrom(scratch.Doubles(0, static_cast<size_t>(to - lo)), lo);
    for (int i = lo; i < to; ++i)
        tp[i] = TypicalPrice(bars, i);
    const double* v = bars.Volume();
    WindowSums<3>(
        q0, to, n,
        [&](int i, double* t) {
            const double flow = tp[i] * v[i];
            t[0] = tp[i] > tp[i - 1] ? flow : 0.0;
            t[1] = tp[i] < tp[i - 1] ? flow : 0.0;
            t[2] = t[1] != 0.0;
        },
        [&](int q, const double* s) {
            out.col[0][q] = s[2] > 0.5 && s[1] != 0.0 ? 100 - 100 / (s[0] / s[1] + 1) : kNoValue;
        });
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
