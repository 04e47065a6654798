#include "tools/testbroker/OptionMath.h"

#include <algorithm>
#include <cmath>

namespace qx::testbroker {

namespace {
double Cdf(double x) { return 0.5 * std::erfc(-x / std::sqrt(2.0)); }
double Pdf(double x) { return std::exp(-0.5 * x * x) / std::sqrt(2.0 * M_PI); }
}  // namespace

OptionValue PriceOption(bool call, double spot, double strike, double years, double vol, double rate)
{
    OptionValue v;
    years = std::max(years, 1.0 / 365.0);
    vol = std::max(vol, 0.01);
    if (spot <= 0 || strike <= 0)
        return v;
    const double sq = vol * std::sqrt(years);
    const double d1 = (std::log(spot / strike) + (rate + 0.5 * vol * vol) * years) / sq;
    const double d2 = d1 - sq;
    const double disc = std::exp(-rate * years);
    if (call) {
        v.price = spot * Cdf(d1) - strike * disc * Cdf(d2);
        v.delta = Cdf(d1);
        v.theta = (-spot * Pdf(d1) * vol / (2 * std::sqrt(years)) - rate * strike * disc * Cdf(d2)) / 365.0;
        v.rho = strike * years * disc * Cdf(d2) / 100.0;
    } else {
        v.price = strike * disc * Cdf(-d2) - spot * Cdf(-d1);
        v.delta = Cdf(d1) - 1.0;
        v.theta = (-spot * Pdf(d1) * vol / (2 * std::sqrt(years)) + rate * strike * disc * Cdf(-d2)) / 365.0;
        v.rho = -strike * years * disc * Cdf(-d2) / 100.0;
    }
    v.gamma = Pdf(d1) / (spot * sq);
    v.vega = spot * Pdf(d1) * std::sqrt(years) / 100.0;
    return v;
}

}  // namespace qx::testbroker
