#include "StudyReference.h"

#include "analytics/studies/StudyTable.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace reference {

namespace {

using Opt = std::optional<double>;
const std::nullopt_t none = std::nullopt;

struct Ctx {
    const std::vector<CBarRecord>& r;
    int count() const { return static_cast<int>(r.size()); }
    bool valid(int i) const { return i >= 0 && i < count() && r[i].m_bValid; }
    double x(int i, int f) const { return r[i].m_fields[f]; }
    double H(int i) const { return r[i].High(); }
    double L(int i) const { return r[i].Low(); }
    double C(int i) const { return r[i].Close(); }
    double V(int i) const { return r[i].Volume(); }
    int prev(int i) const
    {
        for (int j = i - 1; j >= 0; --j)
            if (r[j].m_bValid)
                return j;
        return -1;
    }
    int next(int i) const
    {
        for (int j = i + 1; j < count(); ++j)
            if (r[j].m_bValid)
                return j;
        return -1;
    }
    // The last n valid records from s, newest first; empty when s is invalid or too few.
    std::vector<int> last(int s, int n) const
    {
        std::vector<int> out;
        if (!valid(s) || n < 1)
            return out;
        for (int j = s; j >= 0 && static_cast<int>(out.size()) < n; --j)
            if (r[j].m_bValid)
                out.push_back(j);
        if (static_cast<int>(out.size()) < n)
            out.clear();
        return out;
    }
    // The k-th valid record back from r (r itself the first), -1 when fewer.
    int back(int rr, int k) const
    {
        auto l = last(rr, k);
        return l.empty() ? -1 : l.back();
    }
    double tr(int i, int j) const
    {
        return std::max({std::abs(H(i) - L(i)), std::abs(C(j) - L(i)), std::abs(C(j) - H(i))});
    }
    double tp(int i) const { return (H(i) + L(i) + C(i)) * 0.3333333333333333; }
    double clvv(int i) const { return ((C(i) - L(i)) - (H(i) - C(i))) / (H(i) - L(i)) * V(i); }
};

std::vector<double> Smooth(const std::vector<double>& list, int n)
{
    std::vector<double> out;
    if (static_cast<int>(list.size()) < 4 * n)
        return out;
    double e = 0;
    for (int i = 0; i < n; ++i)
        e += list[i];
    e /= n;
    const double a = 2.0 / (n + 1);
    for (int i = n; i < 4 * n; ++i)
        e = e + (list[i] - e) * a;
    out.push_back(e);
    for (size_t i = 4 * n; i < list.size(); ++i) {
        e = e + (list[i] - e) * a;
        out.push_back(e);
    }
    return out;
}

Opt MA(const Ctx& c, int o, int f, int n, int d, int rr)
{
    auto w = c.last(rr - d, n);
    if (w.empty())
        return none;
    double s = 0, sw = 0, ws = 0, sv = 0, v = 0;
    for (int k = 0; k < n; ++k) {
        const int i = w[k];
        s += c.x(i, f);
        ws += (n - k) * c.x(i, f);
        sw += n - k;
        sv += c.x(i, f) * c.V(i);
        v += c.V(i);
    }
    if (o == 0)
        return s / n;
    if (o == 1)
        return ws / sw;
    if (v == 0)
        return none;
    return sv / v;
}

Opt Expo(const Ctx& c, int type, int f, int n, int d, int rr)
{
    const int s = rr - d;
    const int m = (type == studies::kEMA ? 4 : type == studies::kDEMA ? 8 : 12) * n;
    auto w = c.last(s, m);
    if (w.empty())
        return none;
    std::vector<double> vals;
    for (auto it = w.rbegin(); it != w.rend(); ++it)
        vals.push_back(c.x(*it, f));
    auto e1 = Smooth(vals, n);
    if (type == studies::kEMA)
        return e1.back();
    auto e2 = Smooth(e1, n);
    if (type == studies::kDEMA)
        return 2 * e1.back() - e2.back();
    auto e3 = Smooth(e2, n);
    return 3 * (e1.back() - e2.back()) + e3.back();
}

Opt MACD(const Ctx& c, int o, int f, int a, int b, int g, int rr)
{
    const int s = c.back(rr, 4 * g);
    if (s < 0)
        return none;
    auto F0 = Expo(c, studies::kEMA, f, a, 0, s);
    auto S0 = Expo(c, studies::kEMA, f, b, 0, s);
    if (!F0 || !S0)
        return none;
    double F = *F0, S = *S0;
    const double aF = 2.0 / (a + 1), aS = 2.0 / (b + 1);
    double sum = F - S;
    int count = 1;
    int i = c.next(s);
    for (; i >= 0 && count < g; i = c.next(i)) {
        F = F + (c.x(i, f) - F) * aF;
        S = S + (c.x(i, f) - S) * aS;
        sum += F - S;
        ++count;
    }
    if (count < g)
        return none;
    double sig = sum / g;
    const double aG = 2.0 / (g + 1);
    count = 0;
    for (; i >= 0 && count < 3 * g; i = c.next(i)) {
        F = F + (c.x(i, f) - F) * aF;
        S = S + (c.x(i, f) - S) * aS;
        sig = sig + ((F - S) - sig) * aG;
        ++count;
    }
    if (count < 3 * g)
        return none;
    const double vals[5] = {F - S, F, S, sig, F - S - sig};
    return vals[o];
}

Opt AMA(const Ctx& c, int f, int n, int fa, int sb, int rr)
{
    if (!c.valid(rr))
        return none;
    const int s = c.back(rr, 4 * n);
    if (s < 0)
        return none;
    double A = 0;
    int i = s;
    for (int k = 0; k < n; ++k, i = c.next(i))
        A += c.x(i, f);
    A /= n;
    const double fast = 2.0 / (fa + 1), slow = 2.0 / (sb + 1);
    int count = 0;
    for (; i >= 0 && count < 3 * n; i = c.next(i), ++count) {
        double V = 0;
        int k = i, j = i;
        for (int p = 0; p < n; ++p) {
            const int kp = c.prev(k);
            if (kp < 0)
                return none;
            V += std::abs(c.x(k, f) - c.x(kp, f));
            j = k;
            k = kp;
        }
        const double D = std::abs(c.x(i, f) - c.x(j, f));
        const double er = V == 0 ? 0 : D / V;
        const double cc = (fast - slow) * er + slow;
        A = A + (c.x(i, f) - A) * cc * cc;
    }
    if (count < 3 * n)
        return none;
    return A;
}

Opt BB(const Ctx& c, int o, int f, int n, double k, int rr)
{
    auto basis = MA(c, 0, f, n, 0, rr);
    if (!basis)
        return none;
    auto w = c.last(rr, n);
    double ss = 0;
    for (int i : w)
        ss += (c.x(i, f) - *basis) * (c.x(i, f) - *basis);
    const double sd = std::sqrt(ss / n);
    const double vals[3] = {*basis, *basis + k * sd, *basis - k * sd};
    return vals[o];
}

Opt KB(const Ctx& c, int o, int n, double k, int rr)
{
    auto w = c.last(rr, n);
    if (w.empty())
        return none;
    double mid = 0;
    for (int i : w)
        mid += c.C(i);
    mid /= n;
    if (o == 0)
        return mid;
    double atr = 0;
    for (int i : w) {
        const int j = c.prev(i);
        if (j < 0)
            return none;
        atr += c.tr(i, j);
    }
    atr /= n;
    return o == 1 ? mid + k * atr : mid - k * atr;
}

Opt PRC(const Ctx& c, int o, int n, int d, int rr)
{
    auto w = c.last(rr - d, n);
    if (w.empty())
        return none;
    double top = c.H(w[0]), bottom = c.L(w[0]);
    for (size_t k = 1; k < w.size(); ++k) {
        if (c.H(w[k]) > top)
            top = c.H(w[k]);
        if (c.L(w[k]) < bottom)
            bottom = c.L(w[k]);
    }
    const double vals[3] = {(top - bottom) * 0.5 + bottom, top, bottom};
    return vals[o];
}

Opt TSF(const Ctx& c, int o, int f, int n, int d, int rr)
{
    if (n < 1)
        return none;
    auto w = c.last(rr - d, n);
    if (w.empty())
        return none;
    if (n == 1)
        return 0.0; // the denominator n Sww - Sw^2 is 0: slope, intercept and R2 are 0
    double sy = 0, syy = 0, swy = 0, sw = 0, sww = 0;
    for (int k = 0; k < n; ++k) {
        const double wt = n - k, y = c.x(w[k], f);
        sy += y;
        syy += y * y;
        swy += wt * y;
        sw += wt;
        sww += wt * wt;
    }
    const double den = n * sww - sw * sw;
    const double slope = (n * swy - sw * sy) / den;
    const double intercept = (sy - sw * slope) / n;
    if (o == 0)
        return (n + 1) * slope + intercept;
    if (o == 1)
        return slope;
    // n Syy - Sy^2 and n Swy - Sw Sy taken around the mean (the same values without the
    // cancellation of the raw sums).
    const double mean = sy / n, wmean = sw / n;
    double cyy = 0, cwy = 0;
    for (int k = 0; k < n; ++k) {
        const double y = c.x(w[k], f) - mean;
        cyy += y * y;
        cwy += (n - k - wmean) * y;
    }
    const double v = n * cyy * den;
    if (v <= 0)
        return 0.0;
    const double rr2 = n * cwy / std::sqrt(v);
    return rr2 * rr2;
}

void UpDown(const Ctx& c, int i, int j, double& up, double& down)
{
    up = c.C(i) > c.C(j) ? c.C(i) - c.C(j) : 0;
    down = c.C(i) < c.C(j) ? c.C(j) - c.C(i) : 0;
}

bool RsiAverages(const Ctx& c, int n, int rr, double& H, double& L)
{
    const int s = c.back(rr, 8 * n + 1);
    if (s < 0)
        return false;
    H = L = 0;
    int i = c.next(s);
    for (int k = 0; k < n; ++k, i = c.next(i)) {
        double up, down;
        UpDown(c, i, c.prev(i), up, down);
        H += up / n;
        L += down / n;
    }
    for (int k = 0; k < 7 * n; ++k, i = c.next(i)) {
        double up, down;
        UpDown(c, i, c.prev(i), up, down);
        H = ((n - 1) * H + up) / n;
        L = ((n - 1) * L + down) / n;
    }
    return true;
}

Opt Rsi(double H, double L)
{
    if (L == 0)
        return none;
    return 100 - 100 / (H / L + 1);
}

Opt SRSI2(const Ctx& c, int o, int n, int K, int D, int m, int rr)
{
    const int M = K + D + m - 2;
    const int s = c.back(rr, M);
    if (s < 0)
        return none;
    double H, L;
    if (!RsiAverages(c, n, s, H, L))
        return none;
    std::vector<double> list; // oldest first
    auto v0 = Rsi(H, L);
    if (!v0)
        return none;
    list.push_back(*v0);
    for (int i = c.next(s); i >= 0 && static_cast<int>(list.size()) < M; i = c.next(i)) {
        double up, down;
        UpDown(c, i, c.prev(i), up, down);
        H = ((n - 1) * H + up) / n;
        L = ((n - 1) * L + down) / n;
        auto v = Rsi(H, L);
        if (!v)
            return none;
        list.push_back(*v);
    }
    if (static_cast<int>(list.size()) < M)
        return none;
    auto at = [&](int off) { return list[list.size() - 1 - off]; };
    double sum = 0;
    const int Dn = o == 1 ? D : 1;
    for (int j = 0; j < Dn; ++j)
        for (int t = 0; t < m; ++t) {
            const int off = j + t;
            double top = -1e300, bottom = 1e300;
            for (int e = off; e < off + K; ++e) {
                top = std::max(top, at(e));
                bottom = std::min(bottom, at(e));
            }
            if (top - bottom < 1e-9)
                return none;
            sum += (at(off) - bottom) / (top - bottom);
        }
    return o == 1 ? sum / m / D : sum / m;
}

Opt STOC(const Ctx& c, int o, int K, int D, int m, int rr)
{
    auto w = c.last(rr, 1);
    if (w.empty())
        return none;
    const int Dn = o == 1 ? D : 1;
    const int mn = o == 2 ? 1 : m;
    double sum = 0;
    for (int j = 0; j < Dn; ++j)
        for (int t = 0; t < mn; ++t) {
            const int off = j + t;
            const int at = c.back(rr, off + 1);
            auto win = c.last(at, K);
            if (at < 0 || win.empty())
                return none;
            double top = -1e300, bottom = 1e300;
            for (int i : win) {
                top = std::max(top, c.H(i));
                bottom = std::min(bottom, c.L(i));
            }
            if (top == bottom)
                return none;
            sum += (c.C(at) - bottom) / (top - bottom) * 100;
        }
    if (o == 2)
        return sum;
    return o == 0 ? sum / m : sum / m / D;
}

Opt MOM(const Ctx& c, int f, int n, bool pct, int rr)
{
    if (!c.valid(rr))
        return none;
    int b = rr;
    for (int k = 0; k < n; ++k) {
        b = c.prev(b);
        if (b < 0)
            return none;
    }
    double v = c.x(rr, f) - c.x(b, f);
    if (pct) {
        if (c.x(b, f) == 0)
            return none;
        v = v / c.x(b, f) * 100;
    }
    return v;
}

Opt CCI(const Ctx& c, int n, int rr)
{
    auto w = c.last(rr, n);
    if (w.empty())
        return none;
    double mean = 0;
    for (int i : w)
        mean += c.tp(i);
    mean /= n;
    double dev = 0;
    for (int i : w)
        dev += std::abs(c.tp(i) - mean);
    dev /= n;
    if (dev == 0)
        return none;
    return (c.tp(rr) - mean) / (dev * 0.015);
}

Opt ATR(const Ctx& c, int n, int rr)
{
    auto w = c.last(rr, n);
    if (w.empty())
        return none;
    double s = 0;
    for (int i : w) {
        const int j = c.prev(i);
        if (j < 0)
            return none;
        s += c.tr(i, j);
    }
    return s / n;
}

Opt CHOP(const Ctx& c, int o, int n, int rr)
{
    auto w = c.last(rr, n);
    if (w.empty())
        return none;
    double top = -std::numeric_limits<double>::infinity(), bottom = std::numeric_limits<double>::infinity();
    double sum = 0, th = 0, tl = 0;
    for (int i : w) {
        const int j = c.prev(i);
        if (j < 0)
            return none;
        th = c.C(j) < c.H(i) ? c.H(i) : c.C(j);
        tl = c.C(j) <= c.L(i) ? c.C(j) : c.L(i);
        top = std::max(top, th);
        bottom = std::min(bottom, tl);
        sum += th - tl;
    }
    if (o == 1)
        return th;
    if (o == 2)
        return tl;
    if (o == 3)
        return th - tl;
    if (top == bottom || n == 1)
        return none;
    const double v = 100 * std::log10(sum / (top - bottom)) / std::log10(n);
    if (!std::isfinite(v))
        return none;
    return v;
}

Opt ADX(const Ctx& c, int o, int n, int a, int rr)
{
    const int s = c.back(rr, n + 8 * a);
    if (s < 0)
        return none;
    double pH = c.H(s), pL = c.L(s), pC = c.C(s);
    double P = 0, M = 0, T = 0, adx = 0, dxSum = 0, pdi = 0, mdi = 0;
    bool ok = true, diOk = true;
    int i = c.next(s);
    auto step = [&](int idx, double& tr) {
        const double up = c.H(idx) - pH, down = pL - c.L(idx);
        double pm = 0, mm = 0;
        if (down > 0 && down > up)
            mm = down;
        else if (up > 0 && up > down)
            pm = up;
        tr = std::max({c.H(idx) - c.L(idx), std::abs(c.H(idx) - pC), std::abs(c.L(idx) - pC)});
        pH = c.H(idx);
        pL = c.L(idx);
        pC = c.C(idx);
        return std::pair<double, double>(pm, mm);
    };
    for (int k = 0; k < n - 1; ++k, i = c.next(i)) {
        double tr;
        auto [pm, mm] = step(i, tr);
        P += pm;
        M += mm;
        T += tr;
    }
    for (int k = 0; k < 8 * a; ++k, i = c.next(i)) {
        double tr;
        auto [pm, mm] = step(i, tr);
        P = P - P / n + pm;
        M = M - M / n + mm;
        T = T - T / n + tr;
        if (T == 0) {
            ok = diOk = false;
            continue;
        }
        diOk = true;
        pdi = P / T * 100;
        mdi = M / T * 100;
        if (pdi + mdi == 0) {
            ok = false;
            continue;
        }
        const double dx = std::abs(mdi - pdi) / (pdi + mdi) * 100;
        if (k < a) {
            dxSum += dx;
            if (k == a - 1)
                adx = dxSum / a;
        } else {
            adx = (dx + (a - 1) * adx) / a;
        }
    }
    if (o == 0)
        return ok ? Opt(adx) : none;
    if (!diOk)
        return none;
    return o == 1 ? pdi : mdi;
}

Opt AROON(const Ctx& c, int o, int n, int rr)
{
    auto w = c.last(rr, n);
    if (w.empty())
        return none;
    double hi = -std::numeric_limits<double>::infinity(), lo = std::numeric_limits<double>::infinity();
    int kH = 0, kL = 0;
    for (int k = 0; k < n; ++k) {
        if (c.H(w[k]) > hi) {
            hi = c.H(w[k]);
            kH = k;
        }
        if (c.L(w[k]) < lo) {
            lo = c.L(w[k]);
            kL = k;
        }
    }
    return o == 0 ? static_cast<double>(n - kH) / n * 100 : static_cast<double>(n - kL) / n * 100;
}

Opt UOSC(const Ctx& c, int l1, int l2, int l3, int rr)
{
    double avg[3];
    const int ls[3] = {l1, l2, l3};
    for (int k = 0; k < 3; ++k) {
        auto w = c.last(rr, ls[k]);
        if (w.empty())
            return none;
        double bp = 0, tr = 0;
        for (int i : w) {
            const int j = c.prev(i);
            if (j < 0)
                return none;
            const double low = c.C(j) <= c.L(i) ? c.C(j) : c.L(i);
            bp += std::abs(c.C(i) - low);
            tr += c.tr(i, j);
        }
        if (tr == 0)
            return none;
        avg[k] = bp / tr;
    }
    return (4 * avg[0] + 2 * avg[1] + avg[2]) * 0.14285714285714285 * 100;
}

Opt MFI(const Ctx& c, int n, int rr)
{
    auto w = c.last(rr, n);
    if (w.empty())
        return none;
    double pos = 0, neg = 0;
    for (int i : w) {
        const int j = c.prev(i);
        if (j < 0)
            return none;
        const double t = c.tp(i);
        if (t > c.tp(j))
            pos += t * c.V(i);
        else if (t < c.tp(j))
            neg += t * c.V(i);
    }
    if (neg == 0)
        return none;
    return 100 - 100 / (pos / neg + 1);
}

Opt OBV(const Ctx& c, int rr)
{
    auto w = c.last(rr, 50);
    if (w.empty())
        return none;
    double s = 0;
    for (int i : w) {
        const int j = c.prev(i);
        if (j < 0)
            return none;
        if (c.C(i) > c.C(j))
            s += c.V(i);
        else if (c.C(i) < c.C(j))
            s -= c.V(i);
    }
    return s;
}

Opt AD(const Ctx& c, int rr)
{
    auto w = c.last(rr, 50);
    if (w.empty())
        return none;
    double s = 0;
    for (int i : w)
        if (c.H(i) != c.L(i))
            s += c.clvv(i);
    return s;
}

Opt CMF(const Ctx& c, int n, int rr)
{
    auto w = c.last(rr, n);
    if (w.empty())
        return none;
    double s = 0, v = 0;
    for (int i : w)
        if (c.H(i) != c.L(i)) {
            s += c.clvv(i);
            v += c.V(i);
        }
    if (v == 0)
        return none;
    return s / v;
}

Opt COSC(const Ctx& c, int a, int b, int rr)
{
    if (!c.valid(rr))
        return none;
    const int K = 4 * std::max(a, b);
    const int s = c.back(rr, K);
    if (s < 0)
        return none;
    const double aF = 2.0 / (a + 1), aS = 2.0 / (b + 1);
    double A = 0, F = 0, S = 0;
    int count = 0;
    for (int i = s; i >= 0 && count < K; i = c.next(i), ++count) {
        if (c.H(i) > c.L(i))
            A += c.clvv(i);
        F = (1 - aF) * F + A * aF;
        S = (1 - aS) * S + A * aS;
    }
    return F - S;
}

Opt PSAR(const Ctx& c, double a0, double da, double amax, int rr)
{
    if (!c.valid(rr) || rr == 0)
        return none;
    std::vector<int> found;
    for (int i = rr; i >= 1 && found.size() < 150; --i)
        if (c.valid(i))
            found.push_back(i);
    if (found.size() < 21)
        return none;
    const int s = found.back();
    const int s1 = c.next(s);
    bool rising = c.C(s1) >= c.C(s);
    const double lo = std::min(c.L(s), c.L(s1)), hi = std::max(c.H(s), c.H(s1));
    double sar = rising ? lo : hi, ep = rising ? hi : lo, step = a0;
    for (int i = c.next(s1); i >= 0 && i <= rr; i = c.next(i)) {
        const int p = c.prev(i);
        if (rising) {
            if (c.L(i) <= sar) {
                sar = ep;
                step = a0;
                ep = c.L(i);
                rising = false;
                continue;
            }
            if (c.H(i) > ep) {
                ep = c.H(i);
                step = std::min(step + da, amax);
            }
            sar += step * (ep - sar);
            sar = std::min({sar, c.L(i), c.L(p)});
        } else {
            if (c.H(i) >= sar) {
                sar = ep;
                step = a0;
                ep = c.H(i);
                rising = true;
                continue;
            }
            if (c.L(i) < ep) {
                ep = c.L(i);
                step = std::min(step + da, amax);
            }
            sar += step * (ep - sar);
            sar = std::max({sar, c.H(i), c.H(p)});
        }
    }
    return sar;
}

Opt EQTY(const Ctx& c, const Series& s, int rr)
{
    if (!c.valid(rr) || !s.equity || s.equity->empty())
        return none;
    const DWORD end = s.endFeed[rr];
    if ((*s.equity)[0]->m_time > end)
        return none;
    const CEquityRecord* e = nullptr;
    for (const CEquityRecord* x : *s.equity)
        if (x->m_time <= end)
            e = x;
    double v = e->m_equity;
    if (e->m_nPositionKind == 0)
        v += e->m_nQuantity * (c.C(rr) - e->m_entryPrice);
    else if (e->m_nPositionKind == 3)
        v += e->m_nQuantity * (e->m_entryPrice - c.C(rr));
    return v;
}

} // namespace

std::optional<double> Compute(int type, const double p[4], int o, const Series& s, int r)
{
    const Ctx c{s.recs};
    if (!c.valid(r))
        return none;
    auto I = [](double v) { return static_cast<int>(v); };
    using namespace studies;
    switch (type) {
    case kADX: return ADX(c, o, I(p[0]), I(p[1]), r);
    case kBB: return BB(c, o, I(p[0]), I(p[1]), p[2], r);
    case kCHOP: return CHOP(c, o, I(p[0]), r);
    case kMA: return MA(c, o, I(p[0]), I(p[1]), I(p[2]), r);
    case kEMA:
    case kDEMA:
    case kTEMA: return Expo(c, type, I(p[0]), I(p[1]), I(p[2]), r);
    case kMACD: return MACD(c, o, I(p[0]), I(p[1]), I(p[2]), I(p[3]), r);
    case kMOM: return MOM(c, I(p[0]), I(p[1]), I(p[2]) != 0, r);
    case kOBV: return OBV(c, r);
    case kPRC: return PRC(c, o, I(p[0]), I(p[1]), r);
    case kRSI: {
        double H, L;
        if (!RsiAverages(c, I(p[0]), r, H, L))
            return none;
        return o == 0 ? Rsi(H, L) : Opt(o == 1 ? H : L);
    }
    case kSTOC: return STOC(c, o, I(p[0]), I(p[1]), I(p[2]), r);
    case kATR: return ATR(c, I(p[0]), r);
    case kCCI: return CCI(c, I(p[0]), r);
    case kKB: return KB(c, o, I(p[0]), p[1], r);
    case kMFI: return MFI(c, I(p[0]), r);
    case kSRSI: return SRSI2(c, 0, I(p[0]), I(p[0]), 1, 1, r);
    case kCOSC: return COSC(c, I(p[0]), I(p[1]), r);
    case kUOSC: return UOSC(c, I(p[0]), I(p[1]), I(p[2]), r);
    case kPSAR: return PSAR(c, p[0], p[1], p[2], r);
    case kMAE: {
        auto ma = MA(c, 0, I(p[0]), I(p[1]), 0, r);
        if (!ma)
            return none;
        const double vals[3] = {*ma, *ma * (p[2] * 0.01 + 1), *ma * (1 - p[2] * 0.01)};
        return vals[o];
    }
    case kAD: return AD(c, r);
    case kCMF: return CMF(c, I(p[0]), r);
    case kAROON: return AROON(c, o, I(p[0]), r);
    case kTSF: return TSF(c, o, I(p[0]), I(p[1]), I(p[2]), r);
    case kAMA: return AMA(c, I(p[0]), I(p[1]), I(p[2]), I(p[3]), r);
    case kEQTY: return EQTY(c, s, r);
    case kSRSI2: return SRSI2(c, o, I(p[0]), I(p[1]), I(p[2]), I(p[3]), r);
    default: return none;
    }
}

} // namespace reference
