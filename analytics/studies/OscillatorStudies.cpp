#include "analytics/studies/OscillatorStudies.h"

#include "analytics/studies/AverageStudies.h"
#include "analytics/studies/SlidingWindow.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace studies {

namespace {

constexpr double kFlatRsiRange = 1e-9;

// Up and down moves of Close against the record before (index 0 has none: 0).
void UpDown(const CDenseBars& bars, std::vector<double>& up, std::vector<double>& down)
{
    const int size = bars.Size();
    const double* c = bars.Close();
    up.assign(size, 0.0);
    down.assign(size, 0.0);
    for (int i = 1; i < size; ++i) {
        if (c[i] > c[i - 1])
            up[i] = c[i] - c[i - 1];
        else if (c[i] < c[i - 1])
            down[i] = c[i - 1] - c[i];
    }
}

} // namespace

void DenseRSI(const CDenseBars& bars, int n, CDenseColumns& out)
{
    const int size = bars.Size();
    if (n < 1)
        return;
    std::vector<double> up, down;
    UpDown(bars, up, down);
    // Seed over n moves, then 7n smoothing steps: 8n + 1 records.
    WindowedSmoothing(up.data(), 1, size, n, 7 * n, 1.0 / n, out.Column(1));
    WindowedSmoothing(down.data(), 1, size, n, 7 * n, 1.0 / n, out.Column(2));
    for (int q = 8 * n; q < size; ++q)
        out.Column(0)[q] = RsiFromAverages(out.Column(1)[q], out.Column(2)[q]);
}

void DenseStochRSI(const CDenseBars& bars, int n, int k, int d, int m, CDenseColumns& out)
{
    const int size = bars.Size();
    if (n < 1 || k < 1 || d < 1 || m < 1)
        return;
    CDenseColumns rsi;
    rsi.Reset(3, size);
    DenseRSI(bars, n, rsi);
    std::vector<double> up, down;
    UpDown(bars, up, down);
    const int listSize = k + d + m - 2;
    const int offsets = d + m - 1; // window offsets 0 .. d + m - 2 from the newest entry
    std::vector<double> list(listSize), top(offsets), bottom(offsets), val(offsets);
    std::vector<int> ring(listSize);
    const double keep = n - 1.0;
    const double invN = 1.0 / n;
    // 100 - 100 / (H / L + 1), in one division.
    auto rsiOf = [](double h, double l) { return l != 0.0 ? 100 * h / (h + l) : kNoValue; };
    for (int q = listSize - 1; q < size; ++q) {
        const int s = q - listSize + 1;
        double h = rsi.Column(1)[s], l = rsi.Column(2)[s];
        if (!HasValue(h) || !HasValue(l) || l == 0.0)
            continue;
        // Every record restarts the list at its own seed record s.
        list[0] = rsiOf(h, l);
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
        if (!ok)
            continue;
        // Extremes of k consecutive entries; window with offset o ends at entry listSize-1-o.
        if (k <= 32) {
            for (int o = 0; o < offsets; ++o) {
                const int end = listSize - 1 - o;
                double hi = list[end], lo = list[end];
                for (int e = end - k + 1; e < end; ++e) {
                    hi = std::max(hi, list[e]);
                    lo = std::min(lo, list[e]);
                }
                top[o] = hi;
                bottom[o] = lo;
            }
        } else {
            auto extremes = [&](bool wantMax, std::vector<double>& res) {
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
        for (int j = 0; j < d; ++j)
            for (int t = 0; t < m; ++t)
                sumD += val[j + t];
        out.Column(0)[q] = sumK / m;
        if (out.GetOutputCount() > 1)
            out.Column(1)[q] = sumD / m / d;
    }
}

void DenseSTOC(const CDenseBars& bars, int k, int d, int m, CDenseColumns& out)
{
    const int size = bars.Size();
    if (k < 1 || d < 1 || m < 1 || size < k)
        return;
    std::vector<int> hi(size), lo(size);
    SlidingExtremeIndex(bars.High(), 0, size, k, true, hi.data());
    SlidingExtremeIndex(bars.Low(), 0, size, k, false, lo.data());
    double* raw = out.Column(2);
    for (int q = k - 1; q < size; ++q) {
        const double top = bars.High()[hi[q]], bottom = bars.Low()[lo[q]];
        raw[q] = top != bottom ? (bars.Close()[q] - bottom) / (top - bottom) * 100 : kNoValue;
    }
    SlidingMean(raw, k - 1, size, m, out.Column(0));
    SlidingMean(out.Column(0), k + m - 2, size, d, out.Column(1));
}

void DenseMOM(const CDenseBars& bars, int field, int n, bool percent, CDenseColumns& out)
{
    const int size = bars.Size();
    if (n < 1)
        return;
    const double* x = bars.field[field].data();
    for (int q = n; q < size; ++q) {
        const double base = x[q - n];
        double v = x[q] - base;
        if (percent)
            v = base != 0.0 ? v / base * 100 : kNoValue;
        out.Column(0)[q] = v;
    }
}

void DenseCCI(const CDenseBars& bars, int n, CDenseColumns& out)
{
    const int size = bars.Size();
    if (n < 1 || size < n)
        return;
    std::vector<double> tp(size);
    for (int i = 0; i < size; ++i)
        tp[i] = TypicalPrice(bars, i);
    // The mean deviation is taken around each window's own mean: one pass per window.
    ForEachWindowSum<1>(
        0, size, n, [&](int i, double* t) { t[0] = tp[i]; },
        [&](int q, const double* s) {
            const double mean = s[0] / n;
            double dev = 0;
            for (int i = q - n + 1; i <= q; ++i)
                dev += std::abs(tp[i] - mean);
            dev /= n;
            out.Column(0)[q] = dev != 0.0 ? (tp[q] - mean) / (dev * 0.015) : kNoValue;
        });
}

void DenseATR(const CDenseBars& bars, int n, CDenseColumns& out)
{
    ForEachWindowSum<1>(
        1, bars.Size(), n, [&](int i, double* t) { t[0] = TrueRange(bars, i); },
        [&](int q, const double* s) { out.Column(0)[q] = s[0] / n; });
}

void DenseCHOP(const CDenseBars& bars, int n, CDenseColumns& out)
{
    const int size = bars.Size();
    if (n < 1 || size <= n)
        return;
    std::vector<double> th(size, 0.0), tl(size, 0.0);
    for (int i = 1; i < size; ++i) {
        const double pc = bars.Close()[i - 1];
        th[i] = pc < bars.High()[i] ? bars.High()[i] : pc;
        tl[i] = pc <= bars.Low()[i] ? pc : bars.Low()[i];
    }
    std::vector<int> hi(size), lo(size);
    SlidingExtremeIndex(th.data(), 1, size, n, true, hi.data());
    SlidingExtremeIndex(tl.data(), 1, size, n, false, lo.data());
    const double logN = std::log10(static_cast<double>(n));
    ForEachWindowSum<1>(
        1, size, n, [&](int i, double* t) { t[0] = th[i] - tl[i]; },
        [&](int q, const double* s) {
            const double range = th[hi[q]] - tl[lo[q]];
            double chop = kNoValue;
            if (range != 0.0 && logN != 0.0)
                chop = 100 * std::log10(s[0] / range) / logN;
            const int oldest = q - n + 1;
            out.Column(0)[q] = HasValue(chop) ? chop : kNoValue;
            out.Column(1)[q] = th[oldest];
            out.Column(2)[q] = tl[oldest];
            out.Column(3)[q] = th[oldest] - tl[oldest];
        });
}

void DenseADX(const CDenseBars& bars, int n, int a, CDenseColumns& out)
{
    const int size = bars.Size();
    if (n < 1 || a < 1)
        return;
    std::vector<double> pm(size, 0.0), mm(size, 0.0), tr(size, 0.0);
    for (int i = 1; i < size; ++i) {
        const double upMove = bars.High()[i] - bars.High()[i - 1];
        const double downMove = bars.Low()[i - 1] - bars.Low()[i];
        if (downMove > 0 && downMove > upMove)
            mm[i] = downMove;
        else if (upMove > 0 && upMove > downMove)
            pm[i] = upMove;
        const double pc = bars.Close()[i - 1];
        tr[i] = std::max({bars.High()[i] - bars.Low()[i], std::abs(bars.High()[i] - pc),
                          std::abs(bars.Low()[i] - pc)});
    }
    // Every record restarts its sums n + 8a records back; the smoothed DX that follows
    // depends on that start, so each record walks its own 8a steps.
    const int back = n + 8 * a - 1;
    const double share = 1.0 / n;
    const double invA = 1.0 / a;
    for (int q = back; q < size; ++q) {
        const int s = q - back;
        double p = 0, mi = 0, t = 0;
        int i = s + 1;
        for (; i <= s + n - 1; ++i) {
            p += pm[i];
            mi += mm[i];
            t += tr[i];
        }
        double adx = 0, dxSum = 0;
        bool ok = true;
        // +DI and -DI share the divisor T, so DX = |M - P| / (P + M) x 100 needs only the
        // two sums; the DIs themselves are taken once, at the end.
        for (int step = 0; step < 8 * a; ++step, ++i) {
            p = p - p * share + pm[i];
            mi = mi - mi * share + mm[i];
            t = t - t * share + tr[i];
            const double sum = p + mi;
            if (t == 0.0 || sum == 0.0) {
                ok = false;
                continue;
            }
            const double dx = std::abs(mi - p) / sum * 100;
            if (step < a) {
                dxSum += dx;
                if (step == a - 1)
                    adx = dxSum * invA;
            } else {
                adx = (dx + (a - 1) * adx) * invA;
            }
        }
        const double pdi = t != 0.0 ? p / t * 100 : kNoValue;
        const double mdi = t != 0.0 ? mi / t * 100 : kNoValue;
        out.Column(0)[q] = ok ? adx : kNoValue;
        out.Column(1)[q] = pdi;
        out.Column(2)[q] = mdi;
    }
}

void DenseAROON(const CDenseBars& bars, int n, CDenseColumns& out)
{
    const int size = bars.Size();
    if (n < 1 || size < n)
        return;
    std::vector<int> hi(size), lo(size);
    SlidingExtremeIndex(bars.High(), 0, size, n, true, hi.data());
    SlidingExtremeIndex(bars.Low(), 0, size, n, false, lo.data());
    for (int q = n - 1; q < size; ++q) {
        out.Column(0)[q] = static_cast<double>(n - (q - hi[q])) / n * 100;
        out.Column(1)[q] = static_cast<double>(n - (q - lo[q])) / n * 100;
    }
}

void DenseUOSC(const CDenseBars& bars, int l1, int l2, int l3, CDenseColumns& out)
{
    const int size = bars.Size();
    const int lengths[3] = {l1, l2, l3};
    if (l1 < 1 || l2 < 1 || l3 < 1)
        return;
    std::vector<double> bp(size, 0.0), tr(size, 0.0);
    for (int i = 1; i < size; ++i) {
        const double pc = bars.Close()[i - 1];
        const double trueLow = pc <= bars.Low()[i] ? pc : bars.Low()[i];
        bp[i] = std::abs(bars.Close()[i] - trueLow);
        tr[i] = TrueRange(bars, i);
    }
    std::vector<double> avg[3];
    for (int k = 0; k < 3; ++k) {
        avg[k].assign(size, kNoValue);
        ForEachWindowSum<3>(
            1, size, lengths[k],
            [&](int i, double* t) {
                t[0] = bp[i];
                t[1] = tr[i];
                t[2] = tr[i] != 0.0;
            },
            [&](int q, const double* s) { avg[k][q] = s[2] > 0.5 && s[1] != 0.0 ? s[0] / s[1] : kNoValue; });
    }
    for (int q = 0; q < size; ++q)
        out.Column(0)[q] = (4 * avg[0][q] + 2 * avg[1][q] + avg[2][q]) * 0.14285714285714285 * 100;
}

void DenseMFI(const CDenseBars& bars, int n, CDenseColumns& out)
{
    const int size = bars.Size();
    if (n < 1)
        return;
    std::vector<double> tp(size);
    for (int i = 0; i < size; ++i)
        tp[i] = TypicalPrice(bars, i);
    ForEachWindowSum<3>(
        1, size, n,
        [&](int i, double* t) {
            const double flow = tp[i] * bars.Volume()[i];
            t[0] = tp[i] > tp[i - 1] ? flow : 0.0;
            t[1] = tp[i] < tp[i - 1] ? flow : 0.0;
            t[2] = t[1] != 0.0;
        },
        [&](int q, const double* s) {
            out.Column(0)[q] = s[2] > 0.5 && s[1] != 0.0 ? 100 - 100 / (s[0] / s[1] + 1) : kNoValue;
        });
}

void DenseOBV(const CDenseBars& bars, CDenseColumns& out)
{
    const double* c = bars.Close();
    ForEachWindowSum<1>(
        1, bars.Size(), 50,
        [&](int i, double* t) {
            const double v = bars.Volume()[i];
            t[0] = c[i] > c[i - 1] ? v : (c[i] < c[i - 1] ? -v : 0.0);
        },
        [&](int q, const double* s) { out.Column(0)[q] = s[0]; });
}

void DenseAD(const CDenseBars& bars, CDenseColumns& out)
{
    ForEachWindowSum<1>(
        0, bars.Size(), 50, [&](int i, double* t) { t[0] = ClvVolume(bars, i); },
        [&](int q, const double* s) { out.Column(0)[q] = s[0]; });
}

void DenseCMF(const CDenseBars& bars, int n, CDenseColumns& out)
{
    ForEachWindowSum<3>(
        0, bars.Size(), n,
        [&](int i, double* t) {
            const bool ranged = bars.High()[i] != bars.Low()[i];
            t[0] = ranged ? ClvVolume(bars, i) : 0.0;
            t[1] = ranged ? bars.Volume()[i] : 0.0;
            t[2] = ranged && bars.Volume()[i] != 0.0;
        },
        [&](int q, const double* s) {
            out.Column(0)[q] = s[2] > 0.5 && s[1] != 0.0 ? s[0] / s[1] : kNoValue;
        });
}

// OSC = F - S, where F and S average the accumulation line restarted K = 4 max(a, b)
// records back: F = sum of clv(u) (1 - bF^(q - u + 1)), so
// OSC = sum over the window of (bS^(j + 1) - bF^(j + 1)) clv(q - j).
void DenseCOSC(const CDenseBars& bars, int fast, int slow, CDenseColumns& out)
{
    const int size = bars.Size();
    if (fast < 1 || slow < 1)
        return;
    const int K = 4 * std::max(fast, slow);
    if (size < K)
        return;
    std::vector<double> clv(size);
    for (int i = 0; i < size; ++i)
        clv[i] = ClvVolume(bars, i);
    const double bF = 1 - 2.0 / (fast + 1.0), bS = 1 - 2.0 / (slow + 1.0);
    const double bFK = std::pow(bF, K), bSK = std::pow(bS, K);
    double gF = 0, gS = 0;
    for (int q = K - 1; q < size; ++q) {
        if ((q - (K - 1)) % K == 0) {
            gF = gS = 0;
            double wF = bF, wS = bS;
            for (int j = 0; j < K; ++j, wF *= bF, wS *= bS) {
                gF += wF * clv[q - j];
                gS += wS * clv[q - j];
            }
        } else {
            gF = bF * (clv[q] + gF - bFK * clv[q - K]);
            gS = bS * (clv[q] + gS - bSK * clv[q - K]);
        }
        out.Column(0)[q] = gS - gF;
    }
}

void DensePSAR(const CDenseBars& bars, double step0, double stepInc, double stepMax, CDenseColumns& out)
{
    const int size = bars.Size();
    const double* h = bars.High();
    const double* l = bars.Low();
    const double* c = bars.Close();
    // Record 0 of the series never takes part.
    const int lowest = !bars.recordOf.empty() && bars.recordOf[0] == 0 ? 1 : 0;
    for (int q = lowest; q < size; ++q) {
        const int s = std::max(q - 149, lowest);
        if (q - s + 1 < 21)
            continue;
        bool rising = c[s + 1] >= c[s];
        const double low = std::min(l[s], l[s + 1]), high = std::max(h[s], h[s + 1]);
        double sar = rising ? low : high;
        double ep = rising ? high : low;
        double step = step0;
        for (int i = s + 2; i <= q; ++i) {
            if (rising) {
                if (l[i] <= sar) {
                    sar = ep;
                    step = step0;
                    ep = l[i];
                    rising = false;
                    continue;
                }
                if (h[i] > ep) {
                    ep = h[i];
                    step = std::min(step + stepInc, stepMax);
                }
                sar += step * (ep - sar);
                // The next record's SAR never lies above the lows of the two records before it.
                sar = std::min({sar, l[i], l[i - 1]});
            } else {
                if (h[i] >= sar) {
                    sar = ep;
                    step = step0;
                    ep = h[i];
                    rising = true;
                    continue;
                }
                if (l[i] < ep) {
                    ep = l[i];
                    step = std::min(step + stepInc, stepMax);
                }
                sar += step * (ep - sar);
                sar = std::max({sar, h[i], h[i - 1]});
            }
        }
        out.Column(0)[q] = sar;
    }
}

} // namespace studies
