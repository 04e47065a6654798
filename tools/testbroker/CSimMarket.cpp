#include "tools/testbroker/CSimMarket.h"

#include "tools/testbroker/ExchangeClock.h"
#include "tools/testbroker/OptionMath.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <set>

namespace qx::testbroker {

using protocol::BookRecord;
using protocol::BookRow;
using protocol::QuoteField;

namespace {

struct KnownStock {
    const char* symbol;
    const char* description;
    const char* exchange;
    double price;
    int industry; // row of kSectors; -1 for a fund
};

// A few familiar tickers first; the rest of the market is made up.
constexpr KnownStock kKnown[] = {
    {"MSFT", "Microsoft Corp", "NASD", 40.0, 0},   {"IBM", "International Business Machines", "NYSE", 110.0, 0},
    {"AAPL", "Apple Inc", "NASD", 20.0, 0},        {"INTC", "Intel Corp", "NASD", 30.0, 1},
    {"CSCO", "Cisco Systems Inc", "NASD", 35.0, 0}, {"GE", "General Electric Co", "NYSE", 40.0, 5},
    {"SPY", "SPDR S&P 500 ETF Trust", "AMEX", 140.0, -1}, {"QQQ", "Invesco QQQ Trust", "NASD", 90.0, -1},
    {"F", "Ford Motor Co", "NYSE", 25.0, 5},       {"T", "AT&T Inc", "NYSE", 45.0, 7},
    {"KO", "Coca-Cola Co", "NYSE", 50.0, 6},       {"XOM", "Exxon Mobil Corp", "NYSE", 40.0, 2},
    {"DIA", "SPDR Dow Jones Industrial Average ETF", "AMEX", 110.0, -1},
};

constexpr const char* kOptionRoots[] = {"MSFT", "IBM", "AAPL", "INTC", "CSCO", "GE", "SPY", "QQQ"};

struct KnownIndex {
    const char* symbol;
    const char* description;
    double price;
};
constexpr KnownIndex kIndices[] = {
    {"$SPX", "S&P 500 Index", 1450.0},   {"$COMPX", "Nasdaq Composite Index", 2500.0},
    {"$DJI", "Dow Jones Industrial Average", 11000.0}, {"$NDX", "Nasdaq 100 Index", 2000.0},
    {"$RUT", "Russell 2000 Index", 500.0}, {"$VIX", "Volatility Index", 20.0},
};

constexpr const char* kSyllables[] = {"Cor", "Van", "Tel", "Mar", "Lux", "Gen", "Tra", "Bel", "Nor", "Sol",
                                      "Ver", "Pax", "Qui", "Ral", "Dor", "Fen", "Hal", "Kin", "Mon", "Zer"};
constexpr const char* kSuffixes[] = {"Systems Inc", "Holdings Corp", "Industries", "Technologies Inc",
                                     "Energy Co", "Financial Group", "Pharmaceuticals", "Networks Inc"};
constexpr const char* kSectors[][2] = {
    {"Technology", "Software"},  {"Technology", "Semiconductors"}, {"Energy", "Oil & Gas"},
    {"Financial", "Banks"},      {"Healthcare", "Drug Manufacturers"}, {"Industrials", "Aerospace"},
    {"Consumer", "Beverages"},   {"Communication", "Telecom Services"},
};
// The industry (row of kSectors) of a made-up company, by the suffix of its name.
constexpr int kSuffixIndustries[] = {0, 6, 5, 1, 2, 3, 4, 7};

// Row of kSectors of an industry name, or -1.
int IndustryRow(const std::string& industry)
{
    for (int i = 0; i < 8; ++i)
        if (industry == kSectors[i][1])
            return i;
    return -1;
}

void SetIndustry(SimSymbol& s, int row)
{
    if (row < 0)
        return;
    s.sector = kSectors[row][0];
    s.industry = kSectors[row][1];
}
constexpr const char* kL2Participants[] = {"ARCA", "NSDQ", "EDGX", "BATS", "GSCO", "MSCO",
                                           "UBSS", "CDEL", "NITE", "ETMM", "SBSH", "JPMS"};
constexpr const char* kOptionExchanges[] = {"CBOE", "PHLX", "AMEX", "ISE", "BOX", "NYSE", "NASDAQ", "BATS"};

double Cents(double v)
{
    const double r = std::round(v * 100.0) / 100.0;
    return r < 0.01 ? 0.01 : r;
}

uint64_t Hash(const std::string& s, uint64_t seed)
{
    uint64_t h = seed ^ 0xCBF29CE484222325ull;
    for (unsigned char c : s)
        h = (h ^ c) * 0x100000001B3ull;
    return h;
}

int64_t ThirdFriday(int year, int month)
{
    const int64_t first = DaysFromDate(year, month, 1);
    const int offset = (5 - WeekdayOfDays(first) + 7) % 7;
    return first + offset + 14;
}

std::string OptionSymbol(const std::string& root, int64_t expiryDays, char right, double strike)
{
    int y, m, d;
    DateFromDays(expiryDays, y, m, d);
    char buf[64];
    std::snprintf(buf, sizeof buf, "+%s%02d%02d%02d%c%08lld", root.c_str(), y % 100, m, d, right,
                  static_cast<long long>(std::llround(strike * 1000.0)));
    return buf;
}

}  // namespace

CSimMarket::CSimMarket(uint64_t seed, int stockCount, int64_t nowUnixSeconds)
    : m_rng(seed), m_seed(seed), m_startUnix(nowUnixSeconds)
{
    const ExchangeTime now = UnixToExchange(nowUnixSeconds);
    m_today = DaysFromDate(now.year, now.month, now.day);
    MakeIndices();
    MakeStocks(stockCount);
    for (const char* root : kOptionRoots)
        if (m_symbols.count(root))
            MakeOptions(root);
}

SimSymbol& CSimMarket::AddSymbol(SimSymbol s)
{
    const std::string key = s.symbol;
    m_order.push_back(key);
    if (s.kind == SymbolKind::Option)
        m_options.push_back(key);
    else
        m_movers.push_back(key);
    auto [it, inserted] = m_symbols.emplace(key, std::move(s));
    InitDay(it->second);
    StartBooks(it->second);
    return it->second;
}

void CSimMarket::StartBooks(SimSymbol& s) const
{
    if (s.kind == SymbolKind::Index)
        return;
    const std::vector<std::string> makers(std::begin(kL2Participants), std::end(kL2Participants));
    if (s.kind == SymbolKind::Option) {
        const std::vector<std::string> exchanges(std::begin(kOptionExchanges), std::end(kOptionExchanges));
        s.books["OPRA"] = SimBook::Start(exchanges, false, s.bid, s.ask, 0.05, true, Hash("OPRA", s.profile.seed),
                                         m_startUnix);
        return;
    }
    s.books["L2"] = SimBook::Start(makers, false, s.bid, s.ask, 0.01, false, Hash("L2", s.profile.seed), m_startUnix);
    s.books["TV"] = SimBook::Start(makers, false, s.bid, s.ask, 0.01, false, Hash("TV", s.profile.seed), m_startUnix);
    s.books["NYSE"] = SimBook::Start({"NYSE"}, true, s.bid, s.ask, 0.01, false, Hash("NYSE", s.profile.seed),
                                     m_startUnix);
    s.books["INET"] = SimBook::Start({"INET"}, true, s.bid, s.ask, 0.01, false, Hash("INET", s.profile.seed),
                                     m_startUnix);
}

void CSimMarket::MoveBooks(SimSymbol& s, int64_t nowUnixMs) const
{
    const bool option = s.kind == SymbolKind::Option;
    for (auto& [source, book] : s.books) {
        std::mt19937_64 rng(s.profile.seed ^ (s.bookVersion * 0x9E3779B97F4A7C15ull) ^ Hash(source, 7));
        book.Move(s.bid, s.ask, option ? 0.05 : 0.01, option, rng, nowUnixMs / 1000);
    }
}

void CSimMarket::MakeIndices()
{
    for (const KnownIndex& k : kIndices) {
        SimSymbol s;
        s.symbol = k.symbol;
        s.description = k.description;
        s.exchange = "INDEX";
        s.kind = SymbolKind::Index;
        s.profile = {Hash(k.symbol, m_seed), k.price, 0.011, 0.0};
        AddSymbol(std::move(s));
    }
}

void CSimMarket::MakeStocks(int count)
{
    std::set<std::string> used;
    std::mt19937_64 names(m_seed ^ 0x5EED);
    int made = 0;
    for (const KnownStock& k : kKnown) {
        if (made >= count)
            break;
        SimSymbol s;
        s.symbol = k.symbol;
        s.description = k.description;
        s.exchange = k.exchange;
        const uint64_t h = Hash(k.symbol, m_seed);
        s.profile = {h, k.price, 0.012 + static_cast<double>(h % 1000) / 1000.0 * 0.01, 5e6 + static_cast<double>(h % 20) * 1e6};
        SetIndustry(s, k.industry);
        used.insert(s.symbol);
        AddSymbol(std::move(s));
        ++made;
    }
    while (made < count) {
        const int length = 3 + static_cast<int>(names() % 2);
        std::string symbol;
        for (int i = 0; i < length; ++i)
            symbol += static_cast<char>('A' + names() % 26);
        if (!used.insert(symbol).second)
            continue;
        SimSymbol s;
        s.symbol = symbol;
        const uint64_t h = Hash(symbol, m_seed);
        s.description = std::string(kSyllables[h % 20]) + kSyllables[(h >> 8) % 20] + " " + kSuffixes[(h >> 16) % 8];
        SetIndustry(s, kSuffixIndustries[(h >> 16) % 8]);
        s.exchange = length == 4 ? (made % 25 == 0 ? "OTC" : "NASD") : (made % 7 == 0 ? "AMEX" : "NYSE");
        const double price = 5.0 * std::exp(static_cast<double>((h >> 24) % 1000) / 1000.0 * 3.5);
        s.profile = {h, price, 0.012 + static_cast<double>((h >> 34) % 1000) / 1000.0 * 0.025,
                     1e5 + static_cast<double>((h >> 44) % 100) * 2e5};
        AddSymbol(std::move(s));
        ++made;
    }
}

void CSimMarket::MakeOptions(const std::string& root)
{
    const SimSymbol& u = m_symbols.at(root);
    const double price = u.prevClose;
    const double step = price < 25 ? 1.0 : price < 100 ? 2.5 : price < 250 ? 5.0 : 10.0;
    const double center = std::round(price / step) * step;
    int y, m, d;
    DateFromDays(m_today, y, m, d);
    std::vector<int64_t> expiries;
    for (int k = 0; expiries.size() < 4 && k < 6; ++k) {
        int ey = y + (m - 1 + k) / 12, em = (m - 1 + k) % 12 + 1;
        const int64_t e = ThirdFriday(ey, em);
        if (e > m_today)
            expiries.push_back(e);
    }
    expiries.push_back(ThirdFriday(y + 1, 1));
    expiries.push_back(ThirdFriday(y + 2, 1));
    std::sort(expiries.begin(), expiries.end());
    expiries.erase(std::unique(expiries.begin(), expiries.end()), expiries.end());
    const double uLast = u.prevClose;
    for (int64_t e : expiries) {
        for (int i = -5; i <= 5; ++i) {
            const double strike = center + i * step;
            if (strike <= 0)
                continue;
            for (char right : {'C', 'P'}) {
                SimSymbol s;
                s.kind = SymbolKind::Option;
                s.symbol = OptionSymbol(root, e, right, strike);
                s.underlying = root;
                s.right = right;
                s.strike = strike;
                s.expiryDays = e;
                int ey, em, ed;
                DateFromDays(e, ey, em, ed);
                s.expiry = ey * 10000 + em * 100 + ed;
                s.leap = e - m_today > 270;
                s.exchange = "OPRA";
                char desc[128];
                std::snprintf(desc, sizeof desc, "%s %04d-%02d-%02d %.2f %s", root.c_str(), ey, em, ed, strike,
                              right == 'C' ? "Call" : "Put");
                s.description = desc;
                const uint64_t h = Hash(s.symbol, m_seed);
                s.iv = 0.2 + static_cast<double>(h % 200) / 1000.0 + 0.02 * std::abs(i);
                s.underlyingLast = uLast;
                s.openInterest = static_cast<double>(100 + h % 20000);
                s.profile = {h, 1.0, 0.05, 0.0};
                AddSymbol(std::move(s));
            }
        }
    }
}

double CSimMarket::OptionMid(const SimSymbol& o) const
{
    const double years = static_cast<double>(o.expiryDays - m_today) / 365.0;
    return PriceOption(o.right == 'C', o.underlyingLast, o.strike, years, o.iv, 0.04).price;
}

void CSimMarket::InitDay(SimSymbol& s)
{
    if (s.kind == SymbolKind::Option) {
        const double mid = std::max(0.01, OptionMid(s));
        s.prevClose = Cents(mid);
        s.last = s.prevClose;
        const double tick = mid < 3 ? 0.05 : 0.10;
        s.bid = std::max(0.0, std::floor(mid / tick) * tick);
        s.ask = Cents(s.bid + tick);
        s.bid = std::round(s.bid * 100.0) / 100.0;
        s.bidSize = 10;
        s.askSize = 10;
        s.yearHigh = Cents(s.prevClose * 1.8);
        s.yearLow = Cents(s.prevClose * 0.4);
        s.avg200 = s.prevClose;
    } else {
        const auto days = m_history.Days(s.profile, m_today - 380, m_today - 1);
        s.prevClose = days.empty() ? Cents(s.profile.basePrice) : days.back().close;
        s.last = s.prevClose;
        s.yearHigh = s.yearLow = s.prevClose;
        double sum200 = 0.0;
        size_t n200 = 0;
        for (size_t i = 0; i < days.size(); ++i) {
            const size_t fromEnd = days.size() - i;
            if (fromEnd <= 252) {
                s.yearHigh = std::max(s.yearHigh, days[i].close);
                s.yearLow = std::min(s.yearLow, days[i].close);
            }
            if (fromEnd <= 200) {
                sum200 += days[i].close;
                ++n200;
            }
        }
        s.avg200 = n200 ? Cents(sum200 / static_cast<double>(n200)) : s.prevClose;
        s.avgVolume65 = std::round(s.profile.baseVolume);
        if (s.kind == SymbolKind::Stock) {
            const double spread = std::max(0.01, Cents(s.last * 0.0004));
            s.bid = Cents(s.last - spread / 2);
            s.ask = Cents(s.bid + spread);
            s.bidSize = 500;
            s.askSize = 500;
            const uint64_t h = s.profile.seed;
            s.financialsDate = "09/30/" + std::to_string(2000 + static_cast<int>((m_today / 365 + 1970 - 1) % 100));
            const double shares = 1e8 + static_cast<double>(h % 5000) * 1e6;
            const double eps = s.prevClose / (8.0 + static_cast<double>((h >> 8) % 30));
            s.fundamentals = {
                {65, 0.5 + static_cast<double>((h >> 4) % 150) / 100.0}, {66, shares}, {67, shares * 0.9},
                {68, Cents(s.prevClose * 0.02)}, {69, 5.0}, {70, 60.0}, {71, shares * 0.02}, {72, shares * 0.021},
                {73, 2.5}, {74, eps * 1.4}, {75, eps * 6}, {76, 15.0}, {77, 7.0}, {78, 45.0}, {79, 20.0},
                {80, 18.0}, {84, 6.0}, {85, 0.8}, {86, 7.5},
                {87, 400000.0}, {88, Cents(eps)}, {89, 8.0}, {90, 9.0}, {91, 0.5}, {92, 0.4}, {93, 1.6},
                {94, 1.2}, {95, 10000.0}, {96, 25000.0}, {97, Cents(s.prevClose / 3)},
                {98, shares * s.prevClose}, {99, Cents(s.prevClose / eps)}, {100, 2.0},
            };
            // The industry code goes with the industry name (a fund has neither).
            if (const int row = IndustryRow(s.industry); row >= 0)
                s.fundamentals[81] = static_cast<double>(row + 100);
        }
    }
    s.open = s.high = s.low = s.last;
}

const SimSymbol* CSimMarket::Find(const std::string& symbol) const
{
    const auto it = m_symbols.find(symbol);
    return it == m_symbols.end() ? nullptr : &it->second;
}

std::vector<std::string> CSimMarket::OptionRoots() const
{
    std::vector<std::string> roots;
    for (const char* r : kOptionRoots)
        if (m_symbols.count(r))
            roots.push_back(r);
    return roots;
}

std::vector<SimEvent> CSimMarket::Step(int moves, int64_t nowUnixMs)
{
    std::vector<SimEvent> events;
    for (int i = 0; i < moves; ++i) {
        const bool option = !m_options.empty() && m_rng() % 100 < 15;
        std::string symbol;
        if (option) {
            symbol = m_options[m_rng() % m_options.size()];
        } else {
            // The first thirty symbols move more often.
            const size_t pool = m_rng() % 2 == 0 ? std::min<size_t>(30, m_movers.size()) : m_movers.size();
            symbol = m_movers[m_rng() % pool];
        }
        SimSymbol& s = m_symbols.at(symbol);
        const auto before = AllQuoteFields(s, m_today);
        SimEvent e;
        e.symbol = symbol;
        if (option)
            MoveOption(s, e, nowUnixMs);
        else
            MoveStock(s, e, nowUnixMs);
        const auto after = AllQuoteFields(s, m_today);
        // Changed field ids.
        size_t a = 0;
        for (const QuoteField& f : after) {
            while (a < before.size() && before[a].id < f.id)
                ++a;
            if (a >= before.size() || before[a].id != f.id || !(before[a] == f))
                e.fields.push_back(f.id);
        }
        // Market participants adjust their quotes on every move, not only when the inside moves.
        if (s.kind != SymbolKind::Index)
            e.booksChanged = true;
        if (e.booksChanged) {
            s.injectedBooks.clear();
            ++s.bookVersion;
            MoveBooks(s, nowUnixMs);
        }
        events.push_back(std::move(e));
    }
    return events;
}

void CSimMarket::SetBidAsk(SimSymbol& s, double bid, double ask, SimEvent& e)
{
    if (bid != s.bid || ask != s.ask) {
        e.bidAskChanged = true;
        e.booksChanged = true;
    }
    s.bid = bid;
    s.ask = ask;
    s.bidSize = static_cast<int32_t>(100 * (1 + m_rng() % 30));
    s.askSize = static_cast<int32_t>(100 * (1 + m_rng() % 30));
}

void CSimMarket::MoveStock(SimSymbol& s, SimEvent& e, int64_t nowUnixMs)
{
    std::normal_distribution<double> gauss(0.0, 1.0);
    const double mid = s.last * std::exp(gauss(m_rng) * s.profile.dailyVol / 30.0);
    if (s.kind == SymbolKind::Index) {
        Trade(s, Cents(mid), 0, "INDEX", nowUnixMs, e);
        return;
    }
    const double spread = std::max(0.01, Cents(mid * 0.0004));
    const double bid = Cents(mid - spread / 2);
    SetBidAsk(s, bid, Cents(bid + spread), e);
    if (m_rng() % 100 < 55) {
        const int where = static_cast<int>(m_rng() % 3);
        const double price = where == 0 ? s.bid : where == 1 ? s.ask : Cents((s.bid + s.ask) / 2);
        const uint32_t size = static_cast<uint32_t>(100 * (1 + m_rng() % 20));
        static const char* kVenues[] = {"NASD", "NYSE", "ARCA", "BATS", "EDGX"};
        Trade(s, price, size, kVenues[m_rng() % 5], nowUnixMs, e);
    }
    // Options follow their underlying's last price.
    for (const std::string& o : m_options) {
        SimSymbol& opt = m_symbols.at(o);
        if (opt.underlying == s.symbol)
            opt.underlyingLast = s.last;
    }
}

void CSimMarket::MoveOption(SimSymbol& s, SimEvent& e, int64_t nowUnixMs)
{
    const double mid = std::max(0.01, OptionMid(s));
    const double tick = mid < 3 ? 0.05 : 0.10;
    const double bid = std::round(std::max(0.0, std::floor(mid / tick) * tick) * 100.0) / 100.0;
    SetBidAsk(s, bid, Cents(bid + tick), e);
    s.bidSize = static_cast<int32_t>(1 + m_rng() % 50);
    s.askSize = static_cast<int32_t>(1 + m_rng() % 50);
    if (m_rng() % 100 < 30)
        Trade(s, m_rng() % 2 ? s.bid : s.ask, static_cast<uint32_t>(1 + m_rng() % 20),
              kOptionExchanges[m_rng() % 8], nowUnixMs, e);
}

void CSimMarket::Trade(SimSymbol& s, double price, uint32_t size, const std::string& exchange, int64_t nowUnixMs,
                       SimEvent& e)
{
    const int64_t now = nowUnixMs / 1000;
    const double previous = s.last;
    if (s.trades == 0 && s.volume == 0)
        s.open = s.high = s.low = price;
    s.last = price;
    s.high = std::max(s.high, price);
    s.low = std::min(s.low, price);
    s.yearHigh = std::max(s.yearHigh, price);
    s.yearLow = std::min(s.yearLow, price);
    s.tickMagnitude = price - previous;
    if (price > previous)
        s.tick = 1;
    else if (price < previous)
        s.tick = -1;
    s.tradeSize = size;
    s.tradeTime = UnixToFeedTime(now);
    s.volume += size;
    s.dayValue += price * size;
    ++s.trades;
    if (s.tick > 0) {
        s.upVolume += size;
        s.upValue += price * size;
        ++s.upTicks;
    } else if (s.tick < 0) {
        s.downVolume += size;
        s.downValue += price * size;
        ++s.downTicks;
    }
    if (s.kind != SymbolKind::Index) {
        if (price >= s.ask) {
            s.volumeAtAsk += size;
            s.valueAtAsk += price * size;
            ++s.tradesAtAsk;
        } else if (price <= s.bid) {
            s.volumeAtBid += size;
            s.valueAtBid += price * size;
            ++s.tradesAtBid;
        }
    }
    MinuteActivity& slot = s.activity[static_cast<size_t>((now / 60) % 60)];
    if (slot.minute != now / 60)
        slot = {now / 60, 0, 0};
    ++slot.trades;
    slot.volume += size;

    const uint32_t minuteFeed = s.tradeTime - s.tradeTime % 30;
    if (!s.todayBars.empty() && s.todayBars.back().feedTime == minuteFeed) {
        auto& bar = s.todayBars.back();
        bar.high = std::max(bar.high, price);
        bar.low = std::min(bar.low, price);
        bar.close = price;
        bar.volume += size;
    } else if (s.todayBars.empty() || s.todayBars.back().feedTime < minuteFeed) {
        s.todayBars.push_back({minuteFeed, price, price, price, price, static_cast<double>(size)});
        if (s.todayBars.size() > 1440)
            s.todayBars.erase(s.todayBars.begin());
    }
    s.todayTicks.push_back({s.tradeTime, price, price, price, price, static_cast<double>(size)});
    if (s.todayTicks.size() > SimSymbol::kTodayTicks)
        s.todayTicks.pop_front();

    protocol::TradeRecord t;
    t.symbol = s.symbol;
    t.feedTime = s.tradeTime;
    t.price = price;
    t.size = size;
    t.exchange = exchange;
    t.sequence = ++s.tradeSequence;
    e.trade = std::move(t);
}

std::optional<SimEvent> CSimMarket::ApplyQuote(const std::string& symbol, const std::vector<QuoteField>& fields)
{
    const auto it = m_symbols.find(symbol);
    if (it == m_symbols.end())
        return std::nullopt;
    SimEvent e;
    e.symbol = symbol;
    for (const QuoteField& f : fields) {
        if (f.id > protocol::kMaxQuoteFieldId)
            continue;
        ApplyQuoteField(it->second, f);
        e.fields.push_back(f.id);
        e.exactFields.push_back(f);
        if (f.id == 6 || f.id == 7)
            e.bidAskChanged = true;
    }
    return e;
}

std::optional<SimEvent> CSimMarket::ApplyTrade(const std::string& symbol, double price, uint32_t size,
                                               const std::string& exchange, int64_t nowUnixMs)
{
    const auto it = m_symbols.find(symbol);
    if (it == m_symbols.end() || !(price > 0) || !std::isfinite(price))
        return std::nullopt;
    SimSymbol& s = it->second;
    const auto before = AllQuoteFields(s, m_today);
    SimEvent e;
    e.symbol = symbol;
    Trade(s, price, size, exchange, nowUnixMs, e);
    const auto after = AllQuoteFields(s, m_today);
    for (const QuoteField& f : after) {
        const auto old = std::find_if(before.begin(), before.end(), [&](const QuoteField& b) { return b.id == f.id; });
        if (old == before.end() || !(*old == f))
            e.fields.push_back(f.id);
    }
    return e;
}

std::optional<SimEvent> CSimMarket::ApplyBook(const BookRecord& book)
{
    const auto it = m_symbols.find(book.symbol);
    if (it == m_symbols.end())
        return std::nullopt;
    it->second.injectedBooks[book.source] = book;
    SimEvent e;
    e.symbol = book.symbol;
    e.injectedBook = book;
    return e;
}

std::optional<BookRecord> CSimMarket::Book(const std::string& symbol, const std::string& source,
                                           int64_t /*nowUnixMs*/) const
{
    const SimSymbol* s = Find(symbol);
    if (!s || s->kind == SymbolKind::Index)
        return std::nullopt;
    if (const auto it = s->injectedBooks.find(source); it != s->injectedBooks.end())
        return it->second;
    const auto it = s->books.find(source);
    if (it == s->books.end())
        return std::nullopt;
    BookRecord book;
    book.symbol = symbol;
    book.source = source;
    book.bids = it->second.Rows(0, source == "TV");
    book.asks = it->second.Rows(1, source == "TV");
    return book;
}

std::vector<std::string> CSimMarket::Chain(const ChainQuery& q) const
{
    struct Item {
        int64_t expiry;
        double strike;
        char right;
        std::string symbol;
    };
    const SimSymbol* u = Find(q.underlying);
    if (!u)
        return {};
    std::vector<Item> items;
    int64_t nearest = -1;
    for (const std::string& o : m_options) {
        const SimSymbol& s = m_symbols.at(o);
        if (s.underlying == q.underlying && (nearest < 0 || s.expiryDays < nearest))
            nearest = s.expiryDays;
    }
    const double price = u->last;
    for (const std::string& o : m_options) {
        const SimSymbol& s = m_symbols.at(o);
        if (s.underlying != q.underlying)
            continue;
        if (q.type == "C" && s.right != 'C')
            continue;
        if (q.type == "P" && s.right != 'P')
            continue;
        const bool itm = s.right == 'C' ? s.strike < price : s.strike > price;
        if (q.range == "I" && !itm)
            continue;
        if (q.range == "O" && itm)
            continue;
        if (q.range == "N" && std::fabs(s.strike - price) > price * 0.06 + 2.5)
            continue;
        if (q.expire == "W" && s.expiryDays != nearest)
            continue;
        if (q.expire == "A" && s.leap)
            continue;
        if (q.expire == "L" && !s.leap)
            continue;
        if (q.expire.size() == 6 && std::to_string(s.expiry / 100) != q.expire)
            continue;
        if (q.strike > 0 && std::fabs(s.strike - q.strike) > 0.001)
            continue;
        items.push_back({s.expiryDays, s.strike, s.right, s.symbol});
    }
    std::sort(items.begin(), items.end(), [](const Item& a, const Item& b) {
        if (a.expiry != b.expiry) return a.expiry < b.expiry;
        if (a.strike != b.strike) return a.strike < b.strike;
        return a.right < b.right;
    });
    std::vector<std::string> symbols;
    for (Item& i : items)
        symbols.push_back(std::move(i.symbol));
    return symbols;
}

std::optional<protocol::ActivesRecord> CSimMarket::Actives(const std::string& key, int64_t nowUnixMs) const
{
    const size_t dash = key.find('-');
    if (dash == std::string::npos)
        return std::nullopt;
    const std::string exchange = key.substr(0, dash);
    const std::string interval = key.substr(dash + 1);
    int minutes = 0;
    if (interval == "60") minutes = 1;
    else if (interval == "300") minutes = 5;
    else if (interval == "600") minutes = 10;
    else if (interval == "1800") minutes = 30;
    else if (interval == "3600") minutes = 60;
    else if (interval != "ALL") return std::nullopt;
    if (exchange != "NYSE" && exchange != "NASDAQ" && exchange != "OTCBB" && exchange != "OPTS" &&
        exchange != "CALLS" && exchange != "PUTS")
        return std::nullopt;
    const int64_t nowMinute = nowUnixMs / 60000;
    std::vector<protocol::ActivesRow> rows;
    for (const std::string& symbol : m_order) {
        const SimSymbol& s = m_symbols.at(symbol);
        bool member = false;
        if (exchange == "NYSE") member = s.kind == SymbolKind::Stock && (s.exchange == "NYSE" || s.exchange == "AMEX");
        else if (exchange == "NASDAQ") member = s.kind == SymbolKind::Stock && s.exchange == "NASD";
        else if (exchange == "OTCBB") member = s.kind == SymbolKind::Stock && s.exchange == "OTC";
        else if (exchange == "OPTS") member = s.kind == SymbolKind::Option;
        else if (exchange == "CALLS") member = s.kind == SymbolKind::Option && s.right == 'C';
        else member = s.kind == SymbolKind::Option && s.right == 'P';
        if (!member)
            continue;
        protocol::ActivesRow row{symbol, 0, 0};
        if (minutes == 0) {
            row.count = s.trades;
            row.volume = static_cast<uint64_t>(s.volume);
        } else {
            for (const MinuteActivity& a : s.activity) {
                if (a.minute > nowMinute - minutes && a.minute <= nowMinute) {
                    row.count += a.trades;
                    row.volume += a.volume;
                }
            }
        }
        if (row.count > 0)
            rows.push_back(row);
    }
    protocol::ActivesRecord record;
    record.key = key;
    auto byTrades = rows;
    std::sort(byTrades.begin(), byTrades.end(), [](const auto& a, const auto& b) {
        return a.count != b.count ? a.count > b.count : a.symbol < b.symbol;
    });
    auto byVolume = rows;
    std::sort(byVolume.begin(), byVolume.end(), [](const auto& a, const auto& b) {
        return a.volume != b.volume ? a.volume > b.volume : a.symbol < b.symbol;
    });
    if (byTrades.size() > 25) byTrades.resize(25);
    if (byVolume.size() > 25) byVolume.resize(25);
    record.byTrades = std::move(byTrades);
    record.byVolume = std::move(byVolume);
    return record;
}

}  // namespace qx::testbroker
