#include "analytics/studies/AverageStudies.h"

#include "analytics/studies/SlidingWindow.h"

#include <vector>

namespace studies {

namespace {

// First position at or after `from` whose window of `span` positions lies inside the bars;
// positions before it get no value.
int FirstPosition(const CStudyOut& out, unsigned mask, int from, int to, int span)
{
    const int q0 = std::min(std::max(from, span - 1), to);
    FillNoValue(out, mask, from, q0);
    return q0;
}

// Sum of beta^k for k in [from, to].
double PowerSum(double beta, int from, int to)
{
    double s = 0;
    for (int k = from; k <= to; ++k)
        s += std::pow(beta, k);
    return s;
}

} // namespace

void KernelMA(const CStudyBars& bars, int field, int n, unsigned mask, int from, int to, const CStudyOut& out)
{
    const int q0 = FirstPosition(out, mask, from, to, n);
    if (q0 >= to)
        return;
    const double* x = bars.field[field];
    const int period = RebuildPeriod(n);
    if (mask & 1) {
        double* ma = out.col[0];
        const double inv = 1.0 / n;
        WindowSum(x, q0, to, n, [ma, inv](int q, double s) { ma[q] = s * inv; });
    }
    if (mask & 2) {
        // w(q) = sum of (n - k) x[q - k]: w(q) = w(q - 1) + n x[q] - s(q - 1).
        double* wma = out.col[1];
        const double inv = 1.0 / (0.5 * n * (n + 1.0));
        for (int q = q0; q < to;) {
            const int end = std::min(to, q + period);
            double s = 0, w = 0;
            for (int k = 0; k < n; ++k) {
                s += x[q - k];
                w += (n - k) * x[q - k];
            }
            wma[q] = w * inv;
            for (++q; q < end; ++q) {
                w += n * x[q] - s;
                s += x[q] - x[q - n];
                wma[q] = w * inv;
            }
        }
    }
    if (mask & 4) {
        const double* v = bars.Volume();
        double* vwma = out.col[2];
        for (int q = q0; q < to;) {
            const int end = std::min(to, q + period);
            double sv = 0, vol = 0;
            int volumes = 0; // records of the window with a volume
            for (int i = q - n + 1; i <= q; ++i) {
                sv += x[i] * v[i];
                vol += v[i];
                volumes += v[i] != 0.0;
            }
            vwma[q] = volumes && vol != 0.0 ? sv / vol : kNoValue;
            for (++q; q < end; ++q) {
                const int o = q - n;
                sv += x[q] * v[q] - x[o] * v[o];
                vol += v[q] - v[o];
                volumes += (v[q] != 0.0) - (v[o] != 0.0);
                vwma[q] = volumes && vol != 0.0 ? sv / vol : kNoValue;
            }
        }
    }
}

// EMA, DEMA and TEMA are the last values of one to three smoothings restarted for every
// record. The restarted smoothings equal running averages R1..R3 plus decaying
// corrections; the running averages may start anywhere before the oldest value a window
// reads, so each range starts its own.
void KernelExponential(const CStudyBars& bars, int type, int field, int n, int from, int to, const CStudyOut& out,
                       CStudyScratch& scratch)
{
    const double* x = bars.field[field];
    const double alpha = 2.0 / (n + 1.0);
    const double beta = 1.0 - alpha;
    double* res = out.col[0];
    if (type == kEMA) {
        WindowedSmoothing(x, 0, from, to, n, 3 * n, alpha, res);
        return;
    }
    const int levels = type == kDEMA ? 2 : 3;
    const int span = 4 * n * levels;
    const int q0 = FirstPosition(out, 1, from, to, span);
    if (q0 >= to)
        return;
    // Arrays over [lo, to), indexed from lo.
    const int lo = q0 - span + 1;
    const int len = to - lo;
    double* r1 = scratch.Doubles(0, len);
    double* r2 = scratch.Doubles(1, len);
    double* r3 = levels == 3 ? scratch.Doubles(2, len) : nullptr;
    double* meanX = scratch.Doubles(3, len);
    double* meanR1 = scratch.Doubles(4, len);
    double* meanR2 = levels == 3 ? scratch.Doubles(5, len) : nullptr;
    RunningEma(x + lo, 0, len, alpha, r1);
    RunningEma(r1, 0, len, alpha, r2);
    if (r3)
        RunningEma(r2, 0, len, alpha, r3);
    WindowMean(x + lo, n - 1, len, n, meanX);
    WindowMean(r1, n - 1, len, n, meanR1);
    if (meanR2)
        WindowMean(r2, n - 1, len, n, meanR2);
    auto bp = [&](int k) { return std::pow(beta, k); };
    if (levels == 2) {
        // Window of 8n: seed 1 ends at t1 = q - 7n; E1 runs to q; the E2 seed averages
        // E1 over [q - 4n, q - 3n - 1] (t2 = q - 3n - 1); E2 runs to q.
        const double seedCoef = bp(3 * n) * PowerSum(beta, 0, n - 1) / n;
        const double b7 = bp(7 * n), b3 = bp(3 * n + 1);
        const double tail = alpha * (3 * n + 1) * b7; // alpha (q - t2) beta^(7n)
        for (int q = q0; q < to; ++q) {
            const int k = q - lo, t1 = k - 7 * n, t2 = k - 3 * n - 1;
            const double d1 = meanX[t1] - r1[t1];
            const double seed2 = meanR1[t2] + d1 * seedCoef;
            const double e1 = r1[k] + d1 * b7;
            const double e2 = r2[k] + b3 * (seed2 - r2[t2]) + tail * d1;
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
    const double c2 = alpha * (7 * n + 1) * b11, c3 = alpha * (3 * n + 2) * b71, c31 = alpha * alpha * b11 * sumK;
    for (int q = q0; q < to; ++q) {
        const int k = q - lo, t1 = k - 11 * n, t2 = k - 7 * n - 1, t3 = k - 3 * n - 2;
        const double d1 = meanX[t1] - r1[t1];
        const double seed2 = meanR1[t2] + d1 * seed2Coef;
        const double d2 = seed2 - r2[t2];
        const double seed3 = meanR2[t3] + d2 * seed3CoefD2 + d1 * seed3CoefD1;
        const double e1 = r1[k] + d1 * b11;
        const double e2 = r2[k] + b71 * d2 + c2 * d1;
        const double e3 = r3[k] + b32 * (seed3 - r3[t3]) + c3 * d2 + c31 * d1;
        res[q] = 3 * (e1 - e2) + e3;
    }
}

void KernelMACD(const CStudyBars& bars, int field, int fast, int slow, int signal, int from, int to,
                const CStudyOut& out, CStudyScratch& scratch)
{
    const int g = signal;
    // The seed record s lies 4g - 1 records back; the slower of the two averages needs
    // 4 x its length up to s.
    const int span = 4 * g - 1 + 4 * std::max(fast, slow);
    constexpr unsigned kAll = 0x1F;
    const int q0 = FirstPosition(out, kAll, from, to, span);
    if (q0 >= to)
        return;
    const int lo = q0 - span + 1;
    const int len = to - lo;
    const double* x = bars.field[field] + lo;
    const double aF = 2.0 / (fast + 1.0), aS = 2.0 / (slow + 1.0), aG = 2.0 / (signal + 1.0);
    const double bF = 1 - aF, bS = 1 - aS, bG = 1 - aG;
    double* emaF = scratch.Doubles(0, len);
    double* emaS = scratch.Doubles(1, len);
    double* rF = scratch.Doubles(2, len);
    double* rS = scratch.Doubles(3, len);
    double* diff = scratch.Doubles(4, len);
    double* qs = scratch.Doubles(5, len);
    double* diffMean = scratch.Doubles(6, len);
    // The restarted averages at the seed records s = q - 4g + 1.
    const int sFirst = span - 4 * g; // first seed position, relative to lo
    WindowedSmoothing(x, 0, sFirst, len - 4 * g + 1, fast, 3 * fast, aF, emaF);
    WindowedSmoothing(x, 0, sFirst, len - 4 * g + 1, slow, 3 * slow, aS, emaS);
    RunningEma(x, 0, len, aF, rF);
    RunningEma(x, 0, len, aS, rS);
    for (int t = 0; t < len; ++t)
        diff[t] = rF[t] - rS[t];
    RunningEma(diff, 0, len, aG, qs);
    WindowMean(diff, sFirst + g - 1, len, g, diffMean);
    // From s the two averages run 4g - 1 more records; the signal seed averages MACD over
    // [s, s + g - 1] and then runs 3g records. The coefficients depend on the lengths alone:
    // a live series asks for one record at a time, so the last lengths' are kept.
    struct Coefficients {
        int fast = -1, slow = -1, g = -1;
        double sumPowF = 0, sumPowS = 0, cF = 0, cS = 0, bG3 = 0, bFend = 0, bSend = 0;
    };
    thread_local Coefficients c;
    if (c.fast != fast || c.slow != slow || c.g != g) {
        c.fast = fast;
        c.slow = slow;
        c.g = g;
        c.sumPowF = PowerSum(bF, 0, g - 1);
        c.sumPowS = PowerSum(bS, 0, g - 1);
        double cF = 0, cS = 0;
        for (int k = g; k <= 4 * g - 1; ++k) {
            cF += std::pow(bG, 4 * g - 1 - k) * std::pow(bF, k);
            cS += std::pow(bG, 4 * g - 1 - k) * std::pow(bS, k);
        }
        c.cF = cF * aG;
        c.cS = cS * aG;
        c.bG3 = std::pow(bG, 3 * g);
        c.bFend = std::pow(bF, 4 * g - 1);
        c.bSend = std::pow(bS, 4 * g - 1);
    }
    const double sumPowF = c.sumPowF, sumPowS = c.sumPowS, cF = c.cF, cS = c.cS;
    const double invG = 1.0 / g;
    const double bG3 = c.bG3, bFend = c.bFend, bSend = c.bSend;
    for (int q = q0; q < to; ++q) {
        const int r = q - lo, s = r - 4 * g + 1, t0 = s + g - 1;
        const double dF = emaF[s] - rF[s];
        const double dS = emaS[s] - rS[s];
        const double seed = diffMean[t0] + (dF * sumPowF - dS * sumPowS) * invG;
        const double sig = bG3 * seed + (qs[r] - bG3 * qs[t0]) + dF * cF - dS * cS;
        const double f = rF[r] + bFend * dF;
        const double sl = rS[r] + bSend * dS;
        out.col[0][q] = f - sl;
        out.col[1][q] = f;
        out.col[2][q] = sl;
        out.col[3][q] = sig;
        out.col[4][q] = f - sl - sig;
    }
}

// Each record's smoothing is the composition of the 3n steps A -> A + (x - A) c^2 before
// it, applied to the seed. A window of 3n steps is the suffix of one block of 3n steps
// composed with the prefix of the next; the blocks are taken one after the other, so only
// the steps of one block and the suffix compositions of the one before are held. The
// running compositions stay in registers.
void KernelAMA(const CStudyBars& bars, int field, int n, int fast, int slow, int from, int to, const CStudyOut& out,
               CStudyScratch& scratch)
{
    const int span = 4 * n;
    const int q0 = FirstPosition(out, 1, from, to, span);
    if (q0 >= to)
        return;
    const int w = 3 * n;
    const int lo = q0 - span + 1; // positions below are relative to lo
    const int len = to - lo;
    const double* x = bars.field[field] + lo;
    const double fastSC = 2.0 / (fast + 1.0), slowSC = 2.0 / (slow + 1.0);
    const double scale = fastSC - slowSC;
    const double invN = 1.0 / n;
    // Steps (m, b): A -> m A + b, of the current block; suffix compositions of the one before.
    double* stepM = scratch.Doubles(0, static_cast<size_t>(w));
    double* stepB = scratch.Doubles(1, static_cast<size_t>(w));
    double* sufM = scratch.Doubles(4, static_cast<size_t>(w));
    double* sufB = scratch.Doubles(5, static_cast<size_t>(w));
    double* res = out.col[0] + lo;
    // Volatility: the sum of |x(i) - x(i - 1)| over the n moves up to i.
    const int period = RebuildPeriod(n);
    double volatility = 0;
    int rebuild = 0;
    // The seed of position k averages the n values ending at k - w.
    double seedSum = 0;
    int seedRebuild = 0;
    for (int start = n; start < len; start += w) {
        const int end = std::min(start + w, len);
        double preM = 1, preB = 0; // the composition of the block's steps so far
        for (int i = start; i < end; ++i) {
            if (rebuild == 0) {
                volatility = 0;
                for (int j = i - n + 1; j <= i; ++j)
                    volatility += std::abs(x[j] - x[j - 1]);
                rebuild = period;
            } else {
                volatility += std::abs(x[i] - x[i - 1]) - std::abs(x[i - n] - x[i - n - 1]);
            }
            --rebuild;
            const double direction = std::abs(x[i] - x[i - n + 1]);
            const double er = volatility != 0.0 ? direction / volatility : 0.0;
            const double c = scale * er + slowSC;
            const double c2 = c * c;
            const int j = i - start;
            const double m1 = 1.0 - c2, b1 = c2 * x[i];
            stepM[j] = m1;
            stepB[j] = b1;
            if (j == 0) {
                preM = m1;
                preB = b1;
            } else {
                preM = m1 * preM;
                preB = m1 * preB + b1;
            }
            if (i < span - 1)
                continue;
            // Position i is a record: its window of steps [i - w + 1, i].
            const int seedEnd = i - w;
            if (seedRebuild == 0) {
                seedSum = SumOf(x + seedEnd - n + 1, n);
                seedRebuild = period;
            } else {
                seedSum += x[seedEnd] - x[seedEnd - n];
            }
            --seedRebuild;
            double m = preM, b = preB;
            if (j != w - 1) { // the window starts inside the previous block
                const int first = j + 1;
                b = preM * sufB[first] + preB;
                m = preM * sufM[first];
            }
            res[i] = m * (seedSum * invN) + b;
        }
        // This block's suffix compositions, for the next block's windows.
        const int last = end - start - 1;
        double sM = stepM[last], sB = stepB[last];
        sufM[last] = sM;
        sufB[last] = sB;
        for (int j = last - 1; j >= 0; --j) {
            sB = sM * stepB[j] + sB;
            sM = sM * stepM[j];
            sufM[j] = sM;
            sufB[j] = sB;
        }
    }
}

void KernelBB(const CStudyBars& bars, int field, int n, double width, int from, int to, const CStudyOut& out)
{
    const int q0 = FirstPosition(out, 7, from, to, n);
    if (q0 >= to)
        return;
    const double* x = bars.field[field];
    const double invN = 1.0 / n;
    // Variance-like sums lose digits fast in flat windows: rebuilt every window length.
    const int period = n;
    double* basisOut = out.col[0];
    double* upper = out.col[1];
    double* lower = out.col[2];
    // Sums of x - ref, rebuilt with ref = the window's newest value.
    for (int q = q0; q < to;) {
        const int end = std::min(to, q + period);
        const double ref = x[q];
        double sy = 0, syy = 0;
        for (int i = q - n + 1; i <= q; ++i) {
            const double y = x[i] - ref;
            sy += y;
            syy += y * y;
        }
        for (;;) {
            const double mean = sy * invN;
            const double var = std::max(0.0, syy * invN - mean * mean);
            const double basis = ref + mean;
            const double sd = std::sqrt(var);
            basisOut[q] = basis;
            upper[q] = basis + width * sd;
            lower[q] = basis - width * sd;
            if (++q >= end)
                break;
            const double yi = x[q] - ref, yo = x[q - n] - ref;
            sy += yi - yo;
            syy += yi * yi - yo * yo;
        }
    }
}

// A chunk at a time: the average, then each band from it, each output written in a stream of
// its own (one loop storing all three is several times slower). Chunks hold whole rebuild
// periods of the running sum, so it is rebuilt where a single pass would rebuild it.
void KernelMAE(const CStudyBars& bars, int field, int n, double percent, int from, int to, const CStudyOut& out)
{
    const int q0 = FirstPosition(out, 7, from, to, n);
    if (q0 >= to)
        return;
    const double inv = 1.0 / n;
    const double up = percent * 0.01 + 1, down = 1 - percent * 0.01;
    double* const ma = out.col[0];
    double* const upper = out.col[1];
    double* const lower = out.col[2];
    const int period = RebuildPeriod(n);
    const int chunk = period * std::max(1, 512 / period);
    for (int c0 = q0; c0 < to; c0 += chunk) {
        const int c1 = std::min(to, c0 + chunk);
        WindowSum(bars.field[field], c0, c1, n, [ma, inv](int q, double s) { ma[q] = s * inv; });
        for (int q = c0; q < c1; ++q)
            upper[q] = ma[q] * up;
        for (int q = c0; q < c1; ++q)
            lower[q] = ma[q] * down;
    }
}

void KernelKB(const CStudyBars& bars, int n, double width, int from, int to, const CStudyOut& out)
{
    const int q0 = FirstPosition(out, 7, from, to, n);
    if (q0 >= to)
        return;
    const double* h = bars.High();
    const double* l = bars.Low();
    const double* c = bars.Close();
    const double inv = 1.0 / n;
    WindowSum(c, q0, to, n, [&](int q, double s) { out.col[0][q] = s * inv; });
    // The bands need the record before each one of the window.
    const int b0 = FirstPosition(out, 6, q0, to, n + 1);
    WindowSums<1>(
        b0, to, n, [&](int i, double* t) { t[0] = TrueRange(h, l, c, i); },
        [&](int q, const double* s) {
            const double atr = s[0] * inv;
            out.col[1][q] = out.col[0][q] + width * atr;
            out.col[2][q] = out.col[0][q] - width * atr;
        });
}

void KernelPRC(const CStudyBars& bars, int n, int from, int to, const CStudyOut& out, CStudyScratch& scratch)
{
    const int q0 = FirstPosition(out, 7, from, to, n);
    if (q0 >= to)
        return;
    int* work = scratch.Ints(0, 2 * static_cast<size_t>(to - q0 + n));
    int* hi = IndexedFrom(scratch.Ints(1, static_cast<size_t>(to - q0)), q0);
    int* lo = IndexedFrom(scratch.Ints(2, static_cast<size_t>(to - q0)), q0);
    const double* h = bars.High();
    const double* l = bars.Low();
    WindowExtremeIndex<true>(h, q0, to, n, work, hi);
    WindowExtremeIndex<false>(l, q0, to, n, work, lo);
    for (int s = q0; s < to; ++s) {
        const double top = h[hi[s]];
        const double bottom = l[lo[s]];
        out.col[0][s] = (top - bottom) * 0.5 + bottom;
        out.col[1][s] = top;
        out.col[2][s] = bottom;
    }
}

void KernelTSF(const CStudyBars& bars, int field, int n, int from, int to, const CStudyOut& out)
{
    if (n < 1) {
        FillNoValue(out, 7, from, to);
        return;
    }
    const int q0 = FirstPosition(out, 7, from, to, n);
    if (q0 >= to)
        return;
    if (n == 1) {
        // One point: the fit's denominator is 0, so slope and intercept are 0.
        for (int q = q0; q < to; ++q)
            out.col[0][q] = out.col[1][q] = out.col[2][q] = 0;
        return;
    }
    const double* x = bars.field[field];
    const double dn = n;
    const double sw = dn * (dn + 1) / 2;
    const double sww = dn * (dn + 1) * (2 * dn + 1) / 6;
    const double den = dn * sww - sw * sw;
    const double invDen = 1.0 / den;
    const double invN = 1.0 / dn;
    // The fit of a nearly flat or straight window loses digits fast: rebuilt every window
    // length.
    const int period = n;
    for (int q = q0; q < to;) {
        const int end = std::min(to, q + period);
        const double ref = x[q];
        double sy = 0, syy = 0, swy = 0;
        for (int k = 0; k < n; ++k) {
            const double y = x[q - k] - ref;
            sy += y;
            syy += y * y;
            swy += (n - k) * y;
        }
        for (;;) {
            const double num = dn * swy - sw * sy;
            const double slope = num * invDen;
            const double intercept = (sy - sw * slope) * invN + ref;
            out.col[0][q] = (dn + 1) * slope + intercept;
            out.col[1][q] = slope;
            const double v = (dn * syy - sy * sy) * den;
            if (v > 0) {
                const double rr = num / std::sqrt(v);
                out.col[2][q] = rr * rr;
            } else {
                out.col[2][q] = 0;
            }
            if (++q >= end)
                break;
            const double yi = x[q] - ref, yo = x[q - n] - ref;
            swy += n * yi - sy;
            sy += yi - yo;
            syy += yi * yi - yo * yo;
        }
    }
}

} // namespace studies
