// Black-Scholes prices and sensitivities for the simulated option quotes.
#pragma once

namespace qx::testbroker {

struct OptionValue {
    double price = 0.0, delta = 0.0, gamma = 0.0, theta = 0.0, vega = 0.0, rho = 0.0;
};

// years > 0; vol as a fraction; rate as a fraction.
OptionValue PriceOption(bool call, double spot, double strike, double years, double vol, double rate);

}  // namespace qx::testbroker
