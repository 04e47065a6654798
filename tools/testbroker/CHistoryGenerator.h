// Deterministic price history of the simulated market: every bar is computed
// from the symbol's profile and the bar's date, nothing is stored. Minute bars
// are the base; longer bars aggregate them, so all intervals agree.
#pragma once

#include "broker/protocol/HistoryFormat.h"

#include <cstdint>
#include <string>
#include <vector>

namespace qx::testbroker {

struct PriceProfile {
    uint64_t seed = 0;
    double basePrice = 50.0;  // near the price on the first day of history
    double dailyVol = 0.02;   // standard deviation of a day's log return
    double baseVolume = 1e6;  // typical shares a day; 0 for indices
};

// A parsed history interval: ticks, minutes, or days/weeks/months.
struct HistoryInterval {
    enum Kind { Ticks, Minutes, Days, Weeks, Months } kind = Minutes;
    int minutes = 1;
};
bool ParseHistoryInterval(const std::string& text, HistoryInterval& out);

// An option's bars priced from its underlying's bars (Black-Scholes at each
// bar's date); bars after the expiry or more than 800 days before it are left out.
std::vector<protocol::HistoryBar> OptionBarsFrom(const std::vector<protocol::HistoryBar>& underlying, bool call,
                                                 double strike, int64_t expiryDays, double vol);

class CHistoryGenerator {
public:
    // Days (since 1970) of the first day of history.
    static int64_t FirstDay();
    static bool IsTradingDay(int64_t days);

    // Open and close of every trading day in [firstDay, lastDay].
    struct DayPrices {
        int64_t day = 0;
        double open = 0.0;
        double close = 0.0;
        double previousClose = 0.0;
    };
    std::vector<DayPrices> Days(const PriceProfile& profile, int64_t firstDay, int64_t lastDay) const;
    // Close of the last trading day before the given day.
    double PreviousClose(const PriceProfile& profile, int64_t day) const;

    // The minute bars of one trading day, in time order.
    std::vector<protocol::HistoryBar> MinuteBars(const PriceProfile& profile, const DayPrices& day,
                                                 bool extended) const;

    // Bars of an interval whose start lies in [beginFeed, endFeed], from trading days
    // before stopDay (exclusive), the newest count of them, oldest first.
    std::vector<protocol::HistoryBar> Bars(const PriceProfile& profile, const HistoryInterval& interval,
                                           bool extended, uint32_t beginFeed, uint32_t endFeed, size_t count,
                                           int64_t stopDay) const;
};

}  // namespace qx::testbroker
