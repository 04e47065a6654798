#include "analytics/studies/AverageStudies.h"

#include "analytics/studies/SlidingWindow.h"
#include "analytics/studies/StudyTable.h"

#include <algorithm>
#include <cmath>

namespace studies {

namespace {

// Sum of beta^k for k in [from, to].
double PowerSum(double beta, int from, int to)
{
    double s = 0;
    for (int k = from; k <= to; ++k)
        s += std::pow(beta, k);
    return s;
}

} // namespace

void DenseMA(const CDenseBars& bars, int field, int n, CDenseColumns& out)
{
    const int size = bars.Size();
    if (n < 1 || size < n)
        return;
    const double* x = bars.field[field].data();
    const double* v = bars.Volume();
    double* ma = out.Column(0);
    double* wma = out.Column(1);
    double* vwma = out.Column(2);
    const double weightSum = 0.5 * n * (n + 1.0);
    double s = 0, w = 0, sv = 0, vol = 0;
    int volumes = 0; // records of the window with a non-zero volume
    for (int q = n - 1; q < size; ++q) {
        if ((q - (n - 1)) % n == 0) {
            s = w = sv = vol = 0;
            volumes = 0;
            for (int k = 0; k < n; ++k) {
                const int i = q - k;
                s += x[i];
                w += (n - k) * x[i];
                sv += x[i] * v[i];
                vol += v[i];
                volumes += v[i] != 0.0;
            }
        } else {
            const int o = q - n;
            w += n * x[q] - s;
            s += x[q] - x[o];
            sv += x[q] * v[q] - x[o] * v[o];
            vol += v[q] - v[o];
            volumes += (v[q] != 0.0) - (v[o] != 0.0);
        }
        ma[q] = s / n;
        wma[q] = w / weightSum;
        vwma[q] = volumes && vol != 0.0 ? sv / vol : kNoValue;
    }
}

// EMA, DEMA and TEMA, each the last value of one to three smoothings restarted for every
// record. The restarted smoothings are the running averages R1..R3 of the whole series
// plus decaying corrections, which gives every record in constant time.
void DenseExponential(const CDenseBars& bars, int type, int field, int n, CDenseColumns& out)
{
    const int size = bars.Size();
    if (n < 1)
        return;
    const double* x = bars.field[field].data();
    double* res = out.Column(0);
    const double alpha = 2.0 / (n + 1.0);
    const double beta = 1.0 - alpha;
    if (type == kEMA) {
        WindowedSmoothing(x, 0, size, n, 3 * n, alpha, res);
        return;
    }
    const int levels = type == kDEMA ? 2 : 3;
    const int span = 4 * n * levels;
    if (size < span)
        return;
    std::vector<double> r1(size), r2(size), r3;
    RunningEma(x, size, alpha, r1.data());
    RunningEma(r1.data(), size, alpha, r2.data());
    if (levels == 3) {
        r3.resize(size);
        RunningEma(r2.data(), size, alpha, r3.data());
    }
    // Means of n consecutive values: x for the first seed, R1 (and R2) for the later ones.
    std::vector<double> meanX(size, kNoValue), meanR1(size, kNoValue), meanR2;
    SlidingMean(x, 0, size, n, meanX.data());
    SlidingMean(r1.data(), 0, size, n, meanR1.data());
    if (levels == 3) {
        meanR2.assign(size, kNoValue);
        SlidingMean(r2.data(), 0, size, n, meanR2.data());
    }
    auto bp = [&](int k) { return std::pow(beta, k); };
    if (levels == 2) {
        // Window of 8n: seed 1 ends at t1 = q - 7n; E1 runs to q; the E2 seed averages
        // E1 over [q - 4n, q - 3n - 1] (t2 = q - 3n - 1); E2 runs to q.
        const double seedCoef = bp(3 * n) * PowerSum(beta, 0, n - 1) / n;
        const double b7 = bp(7 * n), b3 = bp(3 * n + 1);
        for (int q = span - 1; q < size; ++q) {
            const int t1 = q - 7 * n, t2 = q - 3 * n - 1;
            const double d1 = meanX[t1] - r1[t1];
            const double seed2 = meanR1[t2] + d1 * seedCoef;
            const double e1 = r1[q] + d1 * b7;
            const double e2 = r2[q] + b3 * (seed2 - r2[t2]) + alpha * d1 * (q - t2) * b7;
            res[q] = 2 * e1 - e2;
        }
        return;
    }
    // Window of 12n: t1 = q - 11n, t2 = q - 7n - 1, t3 = q - 3n - 2.
    const double seed2Coef = bp(3 * n) * PowerSum(beta, 0, n - 1) / n;
    double seed3CoefD2 = 0, seed3CoefD1 = 0;
    for (int k = 3 * n; k <= 4 * n - 1; ++k) { // k = t - t2 over the E3 seed window
        seed3CoefD2 += bp(k);
        seed3CoefD1 += alpha * k * bp(k + 4 * n - 1);
    }
    seed3CoefD2 /= n;
    seed3CoefD1 /= n;
    double sumK = 0;
    for (int k = 4 * n; k <= 7 * n + 1; ++k)
        sumK += k;
    const double b11 = bp(11 * n), b71 = bp(7 * n + 1), b32 = bp(3 * n + 2);
    for (int q = span - 1; q < size; ++q) {
        const int t1 = q - 11 * n, t2 = q - 7 * n - 1, t3 = q - 3 * n - 2;
        const double d1 = meanX[t1] - r1[t1];
        const double seed2 = meanR1[t2] + d1 * seed2Coef;
        const double d2 = seed2 - r2[t2];
        const double seed3 = meanR2[t3] + d2 * seed3CoefD2 + d1 * seed3CoefD1;
        const double e1 = r1[q] + d1 * b11;
        const double e2 = r2[q] + b71 * d2 + alpha * d1 * (7 * n + 1) * b11;
        const double e3 = r3[q] + b32 * (seed3 - r3[t3]) + alpha * d2 * (3 * n + 2) * b71 +
                          alpha * alpha * d1 * b11 * sumK;
        res[q] = 3 * (e1 - e2) + e3;
    }
}

void DenseMACD(const CDenseBars& bars, int field, int fast, int slow, int signal, CDenseColumns& out)
{
    const int size = bars.Size();
    if (fast < 1 || slow < 1 || signal < 1)
        return;
    const double* x = bars.field[field].data();
    std::vector<double> emaF(size, kNoValue), emaS(size, kNoValue);
    const double aF = 2.0 / (fast + 1.0), aS = 2.0 / (slow + 1.0), aG = 2.0 / (signal + 1.0);
    const double bF = 1 - aF, bS = 1 - aS, bG = 1 - aG;
    WindowedSmoothing(x, 0, size, fast, 3 * fast, aF, emaF.data());
    WindowedSmoothing(x, 0, size, slow, 3 * slow, aS, emaS.data());
    std::vector<double> rF(size), rS(size), diff(size), q(size), diffSum(size, kNoValue);
    RunningEma(x, size, aF, rF.data());
    RunningEma(x, size, aS, rS.data());
    for (int t = 0; t < size; ++t)
        diff[t] = rF[t] - rS[t];
    RunningEma(diff.data(), size, aG, q.data());
    SlidingMean(diff.data(), 0, size, signal, diffSum.data());
    const int g = signal;
    // From the seed record s the two averages run 4g - 1 more records; the signal seed
    // averages MACD over [s, s + g - 1] and then runs 3g records.
    const double sumPowF = PowerSum(bF, 0, g - 1), sumPowS = PowerSum(bS, 0, g - 1);
    double cF = 0, cS = 0;
    for (int k = g; k <= 4 * g - 1; ++k) {
        cF += std::pow(bG, 4 * g - 1 - k) * std::pow(bF, k);
        cS += std::pow(bG, 4 * g - 1 - k) * std::pow(bS, k);
    }
    cF *= aG;
    cS *= aG;
    const double bG3 = std::pow(bG, 3 * g), bFend = std::pow(bF, 4 * g - 1), bSend = std::pow(bS, 4 * g - 1);
    for (int r = 4 * g - 1; r < size; ++r) {
        const int s = r - 4 * g + 1;
        if (!HasValue(emaF[s]) || !HasValue(emaS[s]))
            continue;
        const double dF = emaF[s] - rF[s];
        const double dS = emaS[s] - rS[s];
        const int t0 = s + g - 1;
        const double seed = diffSum[t0] + (dF * sumPowF - dS * sumPowS) / g;
        const double sig = bG3 * seed + (q[r] - bG3 * q[t0]) + dF * cF - dS * cS;
        const double f = rF[r] + bFend * dF;
        const double sl = rS[r] + bSend * dS;
        out.Column(0)[r] = f - sl;
        out.Column(1)[r] = f;
        out.Column(2)[r] = sl;
        out.Column(3)[r] = sig;
        out.Column(4)[r] = f - sl - sig;
    }
}

void DenseAMA(const CDenseBars& bars, int field, int n, int fast, int slow, CDenseColumns& out)
{
    const int size = bars.Size();
    if (n < 1 || fast < 1 || slow < 1 || size < 4 * n)
        return;
    const double* x = bars.field[field].data();
    const double fastSC = 2.0 / (fast + 1.0), slowSC = 2.0 / (slow + 1.0);
    // Step of record i (i >= n): A -> A + (x - A) c^2, c from the efficiency ratio.
    std::vector<AffineStep> steps(size);
    ForEachWindowSum<1>(
        1, size, n, [&](int i, double* t) { t[0] = std::abs(x[i] - x[i - 1]); },
        [&](int i, const double* s) {
            const double volatility = s[0];
            const double direction = std::abs(x[i] - x[i - n + 1]);
            const double er = volatility != 0.0 ? direction / volatility : 0.0;
            const double c = (fastSC - slowSC) * er + slowSC;
            const double w = c * c;
            steps[i] = {1.0 - w, w * x[i]};
        });
    std::vector<double> seed(size, kNoValue);
    SlidingMean(x, 0, size, n, seed.data());
    const CSlidingAffine window(steps, 3 * n);
    double* res = out.Column(0);
    for (int q = 4 * n - 1; q < size; ++q) {
        const AffineStep a = window.Window(q);
        res[q] = a.m * seed[q - 3 * n] + a.b;
    }
}

void DenseBB(const CDenseBars& bars, int field, int n, double width, CDenseColumns& out)
{
    const int size = bars.Size();
    if (n < 1)
        return;
    const double* x = bars.field[field].data();
    // Sums of x - ref, rebuilt every n windows with ref = the window's newest value.
    double ref = 0, sy = 0, syy = 0;
    for (int q = n - 1; q < size; ++q) {
        if ((q - (n - 1)) % n == 0) {
            ref = x[q];
            sy = syy = 0;
            for (int i = q - n + 1; i <= q; ++i) {
                const double y = x[i] - ref;
                sy += y;
                syy += y * y;
            }
        } else {
            const double yi = x[q] - ref, yo = x[q - n] - ref;
            sy += yi - yo;
            syy += yi * yi - yo * yo;
        }
        const double mean = sy / n;
        const double var = std::max(0.0, syy / n - mean * mean);
        const double basis = ref + mean;
        const double sd = std::sqrt(var);
        out.Column(0)[q] = basis;
        out.Column(1)[q] = basis + width * sd;
        out.Column(2)[q] = basis - width * sd;
    }
}

void DenseMAE(const CDenseBars& bars, int field, int n, double percent, CDenseColumns& out)
{
    const int size = bars.Size();
    if (n < 1)
        return;
    const double* x = bars.field[field].data();
    ForEachWindowSum<1>(
        0, size, n, [&](int i, double* t) { t[0] = x[i]; },
        [&](int q, const double* s) {
            const double ma = s[0] / n;
            out.Column(0)[q] = ma;
            out.Column(1)[q] = ma * (percent * 0.01 + 1);
            out.Column(2)[q] = ma * (1 - percent * 0.01);
        });
}

void DenseKB(const CDenseBars& bars, int n, double width, CDenseColumns& out)
{
    const int size = bars.Size();
    if (n < 1)
        return;
    const double* c = bars.Close();
    ForEachWindowSum<1>(
        0, size, n, [&](int i, double* t) { t[0] = c[i]; },
        [&](int q, const double* s) { out.Column(0)[q] = s[0] / n; });
    ForEachWindowSum<1>(
        1, size, n, [&](int i, double* t) { t[0] = TrueRange(bars, i); },
        [&](int q, const double* s) {
            const double atr = s[0] / n;
            out.Column(1)[q] = out.Column(0)[q] + width * atr;
            out.Column(2)[q] = out.Column(0)[q] - width * atr;
        });
}

void DensePRC(const CDenseBars& bars, int n, CDenseColumns& out)
{
    const int size = bars.Size();
    if (n < 1 || size < n)
        return;
    std::vector<int> hi(size), lo(size);
    SlidingExtremeIndex(bars.High(), 0, size, n, true, hi.data());
    SlidingExtremeIndex(bars.Low(), 0, size, n, false, lo.data());
    for (int s = n - 1; s < size; ++s) {
        const double top = bars.High()[hi[s]];
        const double bottom = bars.Low()[lo[s]];
        out.Column(0)[s] = (top - bottom) * 0.5 + bottom;
        out.Column(1)[s] = top;
        out.Column(2)[s] = bottom;
    }
}

void DenseTSF(const CDenseBars& bars, int field, int n, CDenseColumns& out)
{
    const int size = bars.Size();
    // A forecast from one point has no slope: no value.
    if (n < 2 || size < n)
        return;
    const double* x = bars.field[field].data();
    const double dn = n;
    const double sw = dn * (dn + 1) / 2;
    const double sww = dn * (dn + 1) * (2 * dn + 1) / 6;
    const double den = dn * sww - sw * sw;
    double ref = 0, sy = 0, syy = 0, swy = 0;
    for (int q = n - 1; q < size; ++q) {
        if ((q - (n - 1)) % n == 0) {
            ref = x[q];
            sy = syy = swy = 0;
            for (int k = 0; k < n; ++k) {
                const double y = x[q - k] - ref;
                sy += y;
                syy += y * y;
                swy += (n - k) * y;
            }
        } else {
            const double yi = x[q] - ref, yo = x[q - n] - ref;
            swy += n * yi - sy;
            sy += yi - yo;
            syy += yi * yi - yo * yo;
        }
        const double num = dn * swy - sw * sy;
        const double slope = num / den;
        const double intercept = (sy - sw * slope) / dn + ref;
        out.Column(0)[q] = (dn + 1) * slope + intercept;
        out.Column(1)[q] = slope;
        const double v = (dn * syy - sy * sy) * den;
        if (v > 0) {
            const double rr = num / std::sqrt(v);
            out.Column(2)[q] = rr * rr;
        } else {
            out.Column(2)[q] = 0;
        }
    }
}

} // namespace studies
