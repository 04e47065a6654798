#include "tools/testbroker/CHistoryGenerator.h"

#include "tools/testbroker/ExchangeClock.h"
#include "tools/testbroker/OptionMath.h"

#include <algorithm>
#include <cmath>

namespace qx::testbroker {

namespace {
// Trades of a minute of tick history: one every two seconds.
constexpr int kTicksPerMinute = 30;
} // namespace

using protocol::HistoryBar;
using protocol::HistoryFeedTime;

namespace {

constexpr int kRegularMinutes = 390;  // 09:30 to 16:00
constexpr int kPreMinutes = 330;      // 04:00 to 09:30
constexpr int kPostMinutes = 240;     // 16:00 to 20:00

uint64_t Mix(uint64_t x)
{
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

double Uniform(uint64_t a, uint64_t b, uint64_t c)
{
    return static_cast<double>(Mix(a ^ Mix(b ^ Mix(c))) >> 11) * (1.0 / 9007199254740992.0);
}

// Roughly normal, mean 0, deviation 1.
double Gauss(uint64_t a, uint64_t b, uint64_t c)
{
    const uint64_t h = Mix(a ^ Mix(b * 31 + Mix(c)));
    double sum = 0.0;
    for (int i = 0; i < 4; ++i)
        sum += static_cast<double>((h >> (16 * i)) & 0xFFFF) / 65535.0;
    return (sum - 2.0) * 1.7320508;
}

double Cents(double v)
{
    const double r = std::round(v * 100.0) / 100.0;
    return r < 0.01 ? 0.01 : r;
}

uint32_t FeedAt(int64_t day, int minuteOfDay)
{
    int y, m, d;
    DateFromDays(day, y, m, d);
    return HistoryFeedTime(y, m, d, minuteOfDay / 60, minuteOfDay % 60, 0);
}

// Bridge from a to b over n minutes, starting at minuteOfDay; appends bars.
void Walk(const PriceProfile& p, int64_t day, uint64_t salt, double a, double b, int n, double sigma,
          double volumePerMinute, int minuteOfDay, std::vector<HistoryBar>& out)
{
    std::vector<double> w(static_cast<size_t>(n) + 1, 0.0);
    for (int j = 1; j <= n; ++j)
        w[static_cast<size_t>(j)] = w[static_cast<size_t>(j) - 1] + Gauss(p.seed, static_cast<uint64_t>(day) * 4099 + salt, static_cast<uint64_t>(j));
    const double drift = std::log(b / a);
    std::vector<double> path(static_cast<size_t>(n) + 1);
    for (int j = 0; j <= n; ++j) {
        const double t = static_cast<double>(j) / n;
        const double bridge = w[static_cast<size_t>(j)] - t * w[static_cast<size_t>(n)];
        path[static_cast<size_t>(j)] = a * std::exp(t * drift + sigma * bridge);
    }
    path[static_cast<size_t>(n)] = b;
    for (int j = 0; j < n; ++j) {
        HistoryBar bar;
        bar.feedTime = FeedAt(day, minuteOfDay + j);
        bar.open = Cents(path[static_cast<size_t>(j)]);
        bar.close = Cents(path[static_cast<size_t>(j) + 1]);
        const double spread = sigma * 0.5;
        const double up = std::fabs(Gauss(p.seed ^ 0x55, static_cast<uint64_t>(day) * 7 + salt, static_cast<uint64_t>(j)));
        const double down = std::fabs(Gauss(p.seed ^ 0xAA, static_cast<uint64_t>(day) * 7 + salt, static_cast<uint64_t>(j)));
        bar.high = Cents(std::max(bar.open, bar.close) * (1.0 + spread * up));
        bar.low = Cents(std::min(bar.open, bar.close) * (1.0 - spread * down));
        bar.high = std::max({bar.high, bar.open, bar.close});
        bar.low = std::min({bar.low, bar.open, bar.close});
        if (volumePerMinute > 0) {
            const double u = Uniform(p.seed ^ 0x77, static_cast<uint64_t>(day) + salt, static_cast<uint64_t>(j));
            bar.volume = std::round(volumePerMinute * (0.3 + 1.4 * u) / 100.0) * 100.0 + 100.0;
        }
        out.push_back(bar);
    }
}

HistoryBar Aggregate(const std::vector<HistoryBar>& bars, size_t from, size_t to, uint32_t start)
{
    HistoryBar out;
    out.feedTime = start;
    out.open = bars[from].open;
    out.close = bars[to - 1].close;
    out.high = bars[from].high;
    out.low = bars[from].low;
    for (size_t i = from; i < to; ++i) {
        out.high = std::max(out.high, bars[i].high);
        out.low = std::min(out.low, bars[i].low);
        out.volume += bars[i].volume;
    }
    return out;
}

}  // namespace

bool ParseHistoryInterval(const std::string& text, HistoryInterval& out)
{
    if (text == "D" || text == "d") {
        out = {HistoryInterval::Days, 0};
        return true;
    }
    if (text == "W" || text == "w") {
        out = {HistoryInterval::Weeks, 0};
        return true;
    }
    if (text == "M" || text == "m") {
        out = {HistoryInterval::Months, 0};
        return true;
    }
    if (text.empty() || text.size() > 4 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    const int n = std::stoi(text);
    if (n == 0) {
        out = {HistoryInterval::Ticks, 0};
        return true;
    }
    if (n > 1440)
        return false;
    out = {HistoryInterval::Minutes, n};
    return true;
}

std::vector<HistoryBar> OptionBarsFrom(const std::vector<HistoryBar>& underlying, bool call, double strike,
                                       int64_t expiryDays, double vol)
{
    std::vector<HistoryBar> out;
    for (const HistoryBar& u : underlying) {
        int y, m, d, h, mi, s;
        protocol::SplitHistoryFeedTime(u.feedTime, y, m, d, h, mi, s);
        const int64_t day = DaysFromDate(y, m, d);
        if (day > expiryDays || day < expiryDays - 800)
            continue;
        const double years = static_cast<double>(expiryDays - day) / 365.0;
        auto price = [&](double spot) { return Cents(PriceOption(call, spot, strike, years, vol, 0.04).price); };
        HistoryBar bar;
        bar.feedTime = u.feedTime;
        bar.open = price(u.open);
        bar.close = price(u.close);
        // A put is worth most when the underlying is lowest.
        bar.high = std::max({price(call ? u.high : u.low), bar.open, bar.close});
        bar.low = std::min({price(call ? u.low : u.high), bar.open, bar.close});
        bar.volume = std::round(u.volume / 5000.0);
        out.push_back(bar);
    }
    return out;
}

int64_t CHistoryGenerator::FirstDay()
{
    return DaysFromDate(2000, 1, 3);
}

bool CHistoryGenerator::IsTradingDay(int64_t days)
{
    const int w = WeekdayOfDays(days);
    return w != 0 && w != 6;
}

std::vector<CHistoryGenerator::DayPrices> CHistoryGenerator::Days(const PriceProfile& p, int64_t firstDay,
                                                                 int64_t lastDay) const
{
    std::vector<DayPrices> out;
    const double lnBase = std::log(p.basePrice);
    double close = p.basePrice;
    for (int64_t day = FirstDay(); day <= lastDay; ++day) {
        if (!IsTradingDay(day))
            continue;
        const double previous = close;
        const double gap = 0.15 * p.dailyVol * Gauss(p.seed, static_cast<uint64_t>(day), 1);
        const double open = previous * std::exp(gap);
        const double ln = std::log(open);
        const double ret = p.dailyVol * Gauss(p.seed, static_cast<uint64_t>(day), 2) + 0.004 * (lnBase - ln);
        close = std::max(0.5, open * std::exp(ret));
        if (day >= firstDay)
            out.push_back({day, Cents(open), Cents(close), Cents(previous)});
    }
    return out;
}

double CHistoryGenerator::PreviousClose(const PriceProfile& p, int64_t day) const
{
    int64_t previous = day - 1;
    while (previous >= FirstDay() && !IsTradingDay(previous))
        --previous;
    if (previous < FirstDay())
        return Cents(p.basePrice);
    const auto days = Days(p, previous, previous);
    return days.empty() ? Cents(p.basePrice) : days.back().close;
}

std::vector<HistoryBar> CHistoryGenerator::MinuteBars(const PriceProfile& p, const DayPrices& d,
                                                      bool extended) const
{
    std::vector<HistoryBar> bars;
    bars.reserve(extended ? kPreMinutes + kRegularMinutes + kPostMinutes : kRegularMinutes);
    const double sigma = p.dailyVol * 0.7 / std::sqrt(static_cast<double>(kRegularMinutes));
    const double perMinute = p.baseVolume / kRegularMinutes;
    if (extended)
        Walk(p, d.day, 11, d.previousClose, d.open, kPreMinutes, sigma * 0.3, perMinute * 0.05, 4 * 60, bars);
    Walk(p, d.day, 0, d.open, d.close, kRegularMinutes, sigma, perMinute, 9 * 60 + 30, bars);
    if (extended) {
        const double after = Cents(d.close * std::exp(0.1 * p.dailyVol * Gauss(p.seed, static_cast<uint64_t>(d.day), 3)));
        Walk(p, d.day, 22, d.close, after, kPostMinutes, sigma * 0.3, perMinute * 0.05, 16 * 60, bars);
    }
    return bars;
}

std::vector<HistoryBar> CHistoryGenerator::Bars(const PriceProfile& p, const HistoryInterval& interval, bool extended,
                                                uint32_t beginFeed, uint32_t endFeed, size_t count,
                                                int64_t stopDay) const
{
    std::vector<HistoryBar> out;
    if (count == 0)
        return out;
    int ey, em, ed, eh, emi, es;
    protocol::SplitHistoryFeedTime(endFeed, ey, em, ed, eh, emi, es);
    const int64_t lastDay = std::min(DaysFromDate(ey, em, ed), stopDay - 1);
    int by, bm, bd, bh, bmi, bs;
    protocol::SplitHistoryFeedTime(beginFeed, by, bm, bd, bh, bmi, bs);
    int64_t firstDay = std::max(FirstDay(), DaysFromDate(by, bm, bd));
    // Limit the span to what count bars can need.
    int64_t span = 0;
    const double sessionMinutes = extended ? 960.0 : 390.0;
    switch (interval.kind) {
    case HistoryInterval::Ticks: span = static_cast<int64_t>(count / (kTicksPerMinute * sessionMinutes)) + 3; break;
    case HistoryInterval::Minutes:
        span = static_cast<int64_t>(static_cast<double>(count) * interval.minutes / sessionMinutes * 7 / 5) + 4;
        break;
    case HistoryInterval::Days: span = static_cast<int64_t>(count) * 7 / 5 + 4; break;
    case HistoryInterval::Weeks: span = static_cast<int64_t>(count) * 7 + 7; break;
    case HistoryInterval::Months: span = static_cast<int64_t>(count) * 31 + 31; break;
    }
    firstDay = std::max(firstDay, lastDay - span);
    // Whole weeks and months only.
    if (interval.kind == HistoryInterval::Weeks) {
        firstDay -= (WeekdayOfDays(firstDay) + 6) % 7;
    } else if (interval.kind == HistoryInterval::Months) {
        int y, m, d;
        DateFromDays(firstDay, y, m, d);
        firstDay = DaysFromDate(y, m, 1);
    }
    firstDay = std::max(firstDay, FirstDay());
    if (lastDay < firstDay)
        return out;

    const auto days = Days(p, firstDay, lastDay);
    const bool daily = interval.kind == HistoryInterval::Days || interval.kind == HistoryInterval::Weeks ||
                       interval.kind == HistoryInterval::Months;
    for (const DayPrices& d : days) {
        const auto minutes = MinuteBars(p, d, daily ? false : extended);
        if (minutes.empty())
            continue;
        if (interval.kind == HistoryInterval::Ticks) {
            // A trade every two seconds, from the open through the low and the high (the
            // high first on a falling minute) to the close.
            for (const HistoryBar& m : minutes) {
                const bool rising = m.close >= m.open;
                const double path[4] = {m.open, rising ? m.low : m.high, rising ? m.high : m.low, m.close};
                const double size = std::max(100.0, std::round(m.volume / kTicksPerMinute / 100.0) * 100.0);
                for (int k = 0; k < kTicksPerMinute; ++k) {
                    const double along = 3.0 * k / (kTicksPerMinute - 1);
                    const int leg = std::min(static_cast<int>(along), 2);
                    const double price = path[leg] + (path[leg + 1] - path[leg]) * (along - leg);
                    HistoryBar tick;
                    tick.feedTime = m.feedTime + static_cast<uint32_t>(k);
                    tick.open = tick.high = tick.low = tick.close = std::round(price * 100.0) / 100.0;
                    tick.volume = size;
                    out.push_back(tick);
                }
            }
        } else if (interval.kind == HistoryInterval::Minutes) {
            const size_t step = static_cast<size_t>(interval.minutes);
            for (size_t i = 0; i < minutes.size(); i += step)
                out.push_back(Aggregate(minutes, i, std::min(minutes.size(), i + step), minutes[i].feedTime));
        } else {
            int y, m, dd;
            DateFromDays(d.day, y, m, dd);
            HistoryBar bar = Aggregate(minutes, 0, minutes.size(), HistoryFeedTime(y, m, dd, 0, 0, 0));
            bool merge = false;
            if (!out.empty() && interval.kind != HistoryInterval::Days) {
                int py, pm, pd, ph, pmi, ps;
                protocol::SplitHistoryFeedTime(out.back().feedTime, py, pm, pd, ph, pmi, ps);
                const int64_t prevDay = DaysFromDate(py, pm, pd);
                if (interval.kind == HistoryInterval::Weeks)
                    merge = (d.day - prevDay) < 7 && WeekdayOfDays(d.day) > WeekdayOfDays(prevDay);
                else
                    merge = py == y && pm == m;
            }
            if (merge) {
                HistoryBar& last = out.back();
                last.high = std::max(last.high, bar.high);
                last.low = std::min(last.low, bar.low);
                last.close = bar.close;
                last.volume += bar.volume;
            } else {
                out.push_back(bar);
            }
        }
    }
    // Keep bars starting within [begin, end], the newest count of them.
    std::vector<HistoryBar> kept;
    for (const HistoryBar& b : out)
        if (b.feedTime >= beginFeed && b.feedTime <= endFeed)
            kept.push_back(b);
    if (kept.size() > count)
        kept.erase(kept.begin(), kept.end() - static_cast<std::ptrdiff_t>(count));
    return kept;
}

}  // namespace qx::testbroker
