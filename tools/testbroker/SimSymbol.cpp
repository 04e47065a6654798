#include "tools/testbroker/SimSymbol.h"

#include "tools/testbroker/ExchangeClock.h"
#include "tools/testbroker/OptionMath.h"

#include <cmath>

namespace qx::testbroker {

using protocol::QuoteField;

namespace {

QuoteField Num(int id, double v)
{
    return {static_cast<uint8_t>(id), false, v, {}};
}

QuoteField Text(int id, std::string v)
{
    return {static_cast<uint8_t>(id), true, 0.0, std::move(v)};
}

bool IsOption(const SimSymbol& s) { return s.kind == SymbolKind::Option; }
bool IsIndex(const SimSymbol& s) { return s.kind == SymbolKind::Index; }

}  // namespace

std::optional<QuoteField> QuoteFieldOf(const SimSymbol& s, int id, int64_t nowDays)
{
    if (const auto it = s.overrides.find(id); it != s.overrides.end())
        return it->second;
    const bool opt = IsOption(s);
    const bool idx = IsIndex(s);
    const double change = s.last - s.prevClose;
    const double range = s.high - s.low;
    const double yearRange = s.yearHigh - s.yearLow;
    switch (id) {
    case 0: return Num(id, s.open);
    case 1: return Num(id, s.high);
    case 2: return Num(id, s.low);
    case 3: return Num(id, s.last);
    case 4: return Num(id, s.prevClose);
    case 6: case 8: if (idx) return std::nullopt; return Num(id, s.bid);
    case 7: case 9: if (idx) return std::nullopt; return Num(id, s.ask);
    case 10: return Num(id, s.volume);
    case 11: if (!opt) return std::nullopt; return Num(id, s.openInterest);
    case 12: if (idx) return std::nullopt; return Num(id, s.tradeSize);
    case 13: if (idx) return std::nullopt; return Num(id, s.bidSize);
    case 14: if (idx) return std::nullopt; return Num(id, s.askSize);
    case 17: return Num(id, opt ? 100 : 1);
    case 26: return Num(id, s.trades);
    case 27: return Num(id, s.tradeTime);
    case 28: return Num(id, s.yearHigh);
    case 29: return Num(id, s.yearLow);
    case 30: return Num(id, s.avg200);
    case 31: if (idx) return std::nullopt; return Num(id, s.avgVolume65);
    case 32: return Text(id, s.description);
    case 33: return Text(id, s.symbol);
    case 34: return Num(id, s.tick);
    case 35: return Num(id, change);
    case 36: return Num(id, s.prevClose > 0 ? change / s.prevClose * 100.0 : 0.0);
    case 37: return Num(id, range > 0 ? (s.last - s.low) / range * 100.0 : 0.0);
    case 40: return Num(id, s.volumeAtAsk);
    case 41: return Num(id, s.tradesAtAsk);
    case 42: return Num(id, s.volumeAtBid);
    case 43: return Num(id, s.tradesAtBid);
    case 44: return Num(id, s.tickMagnitude);
    case 45: return Num(id, yearRange > 0 ? (s.last - s.yearLow) / yearRange * 100.0 : 0.0);
    case 46: return Num(id, s.valueAtAsk);
    case 47: return Num(id, s.valueAtBid);
    case 49: return Num(id, s.dayValue);
    case 50: return Num(id, s.upValue - s.downValue);
    case 51: return Num(id, s.volume > 0 ? s.dayValue / s.volume : s.last);
    case 53: return Num(id, s.upVolume);
    case 54: return Num(id, s.upTicks);
    case 55: return Num(id, s.upValue);
    case 56: return Num(id, s.downVolume);
    case 57: return Num(id, s.downTicks);
    case 58: return Num(id, s.downValue);
    case 61: if (idx) return std::nullopt; return Num(id, s.ask - s.bid);
    case 64: if (s.financialsDate.empty()) return std::nullopt; return Text(id, s.financialsDate);
    case 82: if (s.industry.empty()) return std::nullopt; return Text(id, s.industry);
    case 83: if (s.sector.empty()) return std::nullopt; return Text(id, s.sector);
    case 101: return Text(id, s.exchange);
    default: break;
    }
    if (opt) {
        const double years = static_cast<double>(s.expiryDays - nowDays) / 365.0;
        switch (id) {
        case 15: return Num(id, s.iv * 100.0);
        case 16: return Num(id, s.right == 'C' ? (s.strike < s.prevClose ? 1 : 0) : (s.strike > s.prevClose ? 1 : 0));
        case 18: return Text(id, "N");
        case 20: return Num(id, s.expiry / 10000);
        case 38: return Num(id, s.expiry);
        case 39: return Num(id, static_cast<double>(s.expiryDays - nowDays));
        default: break;
        }
        if ((id >= 21 && id <= 25) || id == 19) {
            // Greeks from the option's own mid and implied volatility.
            const double spot = s.underlyingLast > 0 ? s.underlyingLast : s.strike;
            const OptionValue v = PriceOption(s.right == 'C', spot, s.strike, years, s.iv, 0.04);
            switch (id) {
            case 19: {
                const double intrinsic = s.right == 'C' ? std::max(0.0, spot - s.strike) : std::max(0.0, s.strike - spot);
                return Num(id, std::max(0.0, s.last - intrinsic));
            }
            case 21: return Num(id, v.delta);
            case 22: return Num(id, v.gamma);
            case 23: return Num(id, v.theta);
            case 24: return Num(id, v.vega);
            case 25: return Num(id, v.rho);
            default: break;
            }
        }
        return std::nullopt;
    }
    if (const auto it = s.fundamentals.find(id); it != s.fundamentals.end())
        return Num(id, it->second);
    return std::nullopt;
}

std::vector<QuoteField> AllQuoteFields(const SimSymbol& s, int64_t nowDays)
{
    std::vector<QuoteField> fields;
    for (int id = 0; id <= protocol::kMaxQuoteFieldId; ++id)
        if (auto f = QuoteFieldOf(s, id, nowDays))
            fields.push_back(std::move(*f));
    return fields;
}

void ApplyQuoteField(SimSymbol& s, const QuoteField& f)
{
    if (!f.isText) {
        const double v = f.number;
        switch (f.id) {
        case 0: s.open = v; return;
        case 1: s.high = v; return;
        case 2: s.low = v; return;
        case 3: s.last = v; return;
        case 4: s.prevClose = v; return;
        case 6: s.bid = v; return;
        case 7: s.ask = v; return;
        case 10: s.volume = v; return;
        case 12: s.tradeSize = static_cast<uint32_t>(v); return;
        case 13: s.bidSize = static_cast<int32_t>(v); return;
        case 14: s.askSize = static_cast<int32_t>(v); return;
        case 28: s.yearHigh = v; return;
        case 29: s.yearLow = v; return;
        default: break;
        }
    } else {
        switch (f.id) {
        case 32: s.description = f.text; return;
        case 101: s.exchange = f.text; return;
        default: break;
        }
    }
    s.overrides[f.id] = f;
}

}  // namespace qx::testbroker
