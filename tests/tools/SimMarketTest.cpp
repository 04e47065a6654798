#include "tools/testbroker/CAccountBook.h"
#include "tools/testbroker/CBrokerCore.h"
#include "tools/testbroker/CSimMarket.h"
#include "tools/testbroker/ExchangeClock.h"

#include <gtest/gtest.h>

#include <set>

using namespace qx::testbroker;

namespace {
constexpr int64_t kNow = 1765200000;  // a fixed moment for repeatable markets
}

TEST(SimMarket, SameSeedSameMarketAndMoves)
{
    CSimMarket a(42, 300, kNow), b(42, 300, kNow), c(43, 300, kNow);
    ASSERT_EQ(a.Symbols(), b.Symbols());
    EXPECT_NE(a.Symbols(), c.Symbols());
    size_t stocks = 0, indices = 0, options = 0;
    for (const std::string& s : a.Symbols()) {
        const SimSymbol* sym = a.Find(s);
        stocks += sym->kind == SymbolKind::Stock;
        indices += sym->kind == SymbolKind::Index;
        options += sym->kind == SymbolKind::Option;
        if (sym->kind == SymbolKind::Index) {
            EXPECT_EQ(s[0], '$');
        } else if (sym->kind == SymbolKind::Option) {
            EXPECT_EQ(s[0], '+');
        } else {
            EXPECT_LT(sym->bid, sym->ask) << s;
        }
    }
    EXPECT_EQ(stocks, 300u);
    EXPECT_GE(indices, 5u);
    EXPECT_GT(options, 500u);
    for (int i = 0; i < 50; ++i) {
        const auto ea = a.Step(10, kNow * 1000 + i);
        const auto eb = b.Step(10, kNow * 1000 + i);
        ASSERT_EQ(ea.size(), eb.size());
        for (size_t k = 0; k < ea.size(); ++k) {
            EXPECT_EQ(ea[k].symbol, eb[k].symbol);
            EXPECT_EQ(ea[k].fields, eb[k].fields);
        }
    }
    EXPECT_EQ(a.Find("MSFT")->last, b.Find("MSFT")->last);
}

TEST(SimMarket, QuoteFieldsAndInjectedValues)
{
    CSimMarket m(1, 50, kNow);
    const SimSymbol* msft = m.Find("MSFT");
    const auto fields = AllQuoteFields(*msft, m.Today());
    std::set<int> ids;
    for (const auto& f : fields) {
        ids.insert(f.id);
        EXPECT_LE(f.id, 101);
    }
    for (int id : {0, 1, 2, 3, 4, 6, 7, 10, 32, 33, 35, 36, 99, 100, 101})
        EXPECT_TRUE(ids.count(id)) << id;
    const auto injected = m.ApplyQuote("MSFT", {{65, false, 1.23, {}}, {32, true, 0, "Renamed"}});
    ASSERT_TRUE(injected);
    EXPECT_EQ(injected->exactFields.size(), 2u);
    EXPECT_EQ(QuoteFieldOf(*msft, 65, m.Today())->number, 1.23);
    EXPECT_EQ(msft->description, "Renamed");
    EXPECT_FALSE(m.ApplyQuote("NOPE", {{3, false, 1, {}}}));

    const auto trade = m.ApplyTrade("MSFT", msft->last + 1.0, 500, "NASD", kNow * 1000);
    ASSERT_TRUE(trade && trade->trade);
    EXPECT_EQ(msft->tick, 1);
    EXPECT_EQ(msft->volume, 500);
    EXPECT_FALSE(m.ApplyTrade("MSFT", -1, 5, "NASD", kNow * 1000));

    // Option fields: multiplier, greeks, expiration.
    const std::string option = m.Chain({"MSFT", "C", "N", "A", 0}).front();
    const SimSymbol* o = m.Find(option);
    EXPECT_EQ(QuoteFieldOf(*o, 17, m.Today())->number, 100);
    const double delta = QuoteFieldOf(*o, 21, m.Today())->number;
    EXPECT_GT(delta, 0.0);
    EXPECT_LT(delta, 1.0);
    EXPECT_EQ(QuoteFieldOf(*o, 38, m.Today())->number, o->expiry);
}

TEST(SimMarket, ChainsBooksAndActives)
{
    CSimMarket m(7, 100, kNow);
    const auto all = m.Chain({"IBM", "CP", "ALL", "AL", 0});
    const auto calls = m.Chain({"IBM", "C", "ALL", "AL", 0});
    const auto leaps = m.Chain({"IBM", "CP", "ALL", "L", 0});
    const auto near = m.Chain({"IBM", "CP", "ALL", "W", 0});
    EXPECT_EQ(calls.size() * 2, all.size());
    EXPECT_FALSE(leaps.empty());
    EXPECT_LT(near.size(), all.size());
    const double strike = m.Find(all.front())->strike;
    for (const auto& s : m.Chain({"IBM", "CP", "ALL", "AL", strike}))
        EXPECT_EQ(m.Find(s)->strike, strike);
    EXPECT_TRUE(m.Chain({"NOPE", "CP", "ALL", "AL", 0}).empty());
    ChainQuery q;
    ASSERT_TRUE(ParseChainDefinition("OptionChain,ibm,C,N,A,0", q));
    EXPECT_EQ(q.underlying, "IBM");
    EXPECT_FALSE(ParseChainDefinition("Other,IBM", q));

    const auto book = m.Book("IBM", "INET", kNow * 1000);
    ASSERT_TRUE(book);
    for (const auto& row : book->bids)
        EXPECT_EQ(row.participant, "INET");
    for (size_t i = 1; i < book->bids.size(); ++i)
        EXPECT_LE(book->bids[i].price, book->bids[i - 1].price);
    for (size_t i = 1; i < book->asks.size(); ++i)
        EXPECT_GE(book->asks[i].price, book->asks[i - 1].price);
    EXPECT_FALSE(m.Book("IBM", "OPRA", kNow * 1000));
    EXPECT_TRUE(m.Book(all.front(), "OPRA", kNow * 1000));
    EXPECT_FALSE(m.Book("$SPX", "L2", kNow * 1000));

    EXPECT_FALSE(m.Actives("NASDAQ-7", kNow * 1000));
    EXPECT_FALSE(m.Actives("MOON-60", kNow * 1000));
    m.ApplyTrade("MSFT", 50, 900, "NASD", kNow * 1000);
    m.ApplyTrade("AAPL", 50, 100, "NASD", kNow * 1000);
    m.ApplyTrade("AAPL", 50, 100, "NASD", kNow * 1000);
    const auto actives = m.Actives("NASDAQ-60", kNow * 1000 + 1000);
    ASSERT_TRUE(actives);
    ASSERT_GE(actives->byVolume.size(), 2u);
    EXPECT_EQ(actives->byVolume[0].symbol, "MSFT");
    EXPECT_EQ(actives->byTrades[0].symbol, "AAPL");
    EXPECT_TRUE(m.Actives("NASDAQ-60", kNow * 1000 + 3 * 60000)->byVolume.empty());  // the minute has passed
}

TEST(AccountBook, TrailingAndStopOrdersFollowTheMarket)
{
    MarketQuote quote{10.00, 10.02, 10.01, 10.0, false, false};
    CAccountBook book([&](const std::string& s) -> std::optional<MarketQuote> {
        if (s != "XYZ")
            return std::nullopt;
        return quote;
    },
                      [] { return kNow; });
    book.AddUser("u");
    const std::string account = book.AccountsOf("u").front().id;
    Activities out;
    auto place = [&](const std::string& leg) {
        return book.Place("u", "accountid=" + account + "~" + leg, false, false, false, out);
    };
    ASSERT_TRUE(place("action=buy~quantity=100~symbol=XYZ~ordtype=market~expire=day~").ok);
    // A trailing stop one dollar under the best price since entry.
    const auto trail = place("action=sell~quantity=100~symbol=XYZ~ordtype=tstopdollar~tsparam=1~expire=day~");
    ASSERT_TRUE(trail.ok);
    quote = {11.99, 12.01, 12.00, 10.0, false, false};
    book.OnQuote("XYZ", out);
    quote = {11.09, 11.11, 11.10, 10.0, false, false};
    book.OnQuote("XYZ", out);
    EXPECT_EQ(book.Orders(account).front().status, "Open");  // 12.00 - 1 = 11.00 not reached
    quote = {10.94, 10.96, 10.95, 10.0, false, false};
    book.OnQuote("XYZ", out);
    EXPECT_EQ(book.Orders(account).front().status, "Filled");
    EXPECT_FALSE(book.PositionOf(account, "XYZ"));

    // A buy stop triggers on the last trade, then fills at the ask.
    ASSERT_TRUE(place("action=buy~quantity=10~symbol=XYZ~ordtype=stop_market~actprice=11.5~expire=day~").ok);
    EXPECT_EQ(book.Orders(account).front().status, "Open");
    quote = {11.50, 11.52, 11.51, 10.0, false, false};
    book.OnQuote("XYZ", out);
    EXPECT_EQ(book.Orders(account).front().status, "Filled");
    EXPECT_DOUBLE_EQ(book.PositionOf(account, "XYZ")->averagePrice, 11.52);

    // Fill-or-kill that cannot fill at once is canceled.
    ASSERT_TRUE(place("action=buy~quantity=1~symbol=XYZ~ordtype=limit~price=1~expire=day~spinstructions=fok~").ok);
    EXPECT_EQ(book.Orders(account).front().status, "Canceled");
    // A malformed order string is refused whole.
    const auto bad = book.Place("u", "accountid=" + account + "~action=buy~action=sell", false, false, false, out);
    EXPECT_FALSE(bad.ok);
    EXPECT_EQ(bad.error, "Invalid order string.");
}

TEST(ExchangeClock, DaylightSavingBounds)
{
    // 2026-03-08 is the second Sunday of March: 07:00 UTC is 03:00 daylight time.
    const ExchangeTime before = UnixToExchange(1772953200 - 3600);  // 06:00 UTC, 01:00 standard time
    const ExchangeTime after = UnixToExchange(1772953200);
    EXPECT_EQ(before.hour, 1);
    EXPECT_EQ(after.hour, 3);
    const ExchangeTime winter = UnixToExchange(1765200000);  // 2025-12-08 13:20 UTC
    EXPECT_EQ(winter.hour, 8);
    EXPECT_EQ(winter.minute, 20);
    EXPECT_EQ(winter.weekday, 1);
}
