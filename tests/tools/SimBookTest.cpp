// The simulated Level II books: participants keep their quotes from move to move, several
// stand at each price, the best rows are the symbol's inside, and the venues' own books
// are price levels.
#include "tools/testbroker/CSimMarket.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>
#include <string>

using namespace qx::testbroker;
using qx::protocol::BookRecord;

namespace {

constexpr int64_t kNow = 1765200000; // a weekday afternoon

void ExpectSorted(const BookRecord& book)
{
    for (size_t i = 1; i < book.bids.size(); ++i)
        EXPECT_LE(book.bids[i].price, book.bids[i - 1].price) << book.source;
    for (size_t i = 1; i < book.asks.size(); ++i)
        EXPECT_GE(book.asks[i].price, book.asks[i - 1].price) << book.source;
}

} // namespace

TEST(SimBook, LevelTwoBooksFollowTheInsideWithSeveralMakersAPrice)
{
    CSimMarket m(7, 50, kNow);
    std::map<std::string, double> lastBid; // participant -> its bid in the previous book
    int moves = 0, priceMoves = 0, sharedPrices = 0, books = 0;
    for (int step = 0; step < 3000 && books < 150; ++step) {
        for (const SimEvent& e : m.Step(5, (kNow + step) * 1000)) {
            if (e.symbol != "MSFT")
                continue;
            const SimSymbol& s = *m.Find("MSFT");
            const auto book = m.Book("MSFT", "L2", (kNow + step) * 1000);
            ASSERT_TRUE(book);
            ++books;
            ASSERT_FALSE(book->bids.empty());
            ASSERT_FALSE(book->asks.empty());
            ASSERT_LE(book->bids.size(), 10u);
            ExpectSorted(*book);
            EXPECT_DOUBLE_EQ(book->bids.front().price, s.bid);
            EXPECT_DOUBLE_EQ(book->asks.front().price, s.ask);
            std::set<std::string> names;
            std::map<double, int> perPrice;
            for (const auto& row : book->bids) {
                EXPECT_TRUE(names.insert(row.participant).second) << row.participant << " twice";
                EXPECT_TRUE(row.time.empty());
                EXPECT_GT(row.size, 0);
                ++perPrice[row.price];
                if (auto old = lastBid.find(row.participant); old != lastBid.end() && old->second != row.price) {
                    ++priceMoves;
                    // A quote moves by whole cents and stays near the inside.
                    EXPECT_NEAR(std::round(row.price * 100), row.price * 100, 1e-6);
                    EXPECT_LE(s.bid - row.price, 0.065);
                }
                lastBid[row.participant] = row.price;
            }
            for (const auto& [price, count] : perPrice)
                if (count > 1)
                    ++sharedPrices;
            ++moves;
        }
    }
    EXPECT_GE(books, 50);
    EXPECT_GT(priceMoves, 0);
    EXPECT_LT(priceMoves, moves * 10); // most makers keep their price from book to book
    EXPECT_GE(sharedPrices, books);    // at least one price with two or more makers in a typical book
}

TEST(SimBook, TotalViewCarriesTimesAndVenueBooksArePriceLevels)
{
    CSimMarket m(11, 20, kNow);
    m.Step(50, (kNow + 5) * 1000);
    const auto tv = m.Book("IBM", "TV", (kNow + 5) * 1000);
    ASSERT_TRUE(tv);
    ExpectSorted(*tv);
    for (const auto& row : tv->bids) {
        ASSERT_EQ(row.time.size(), 8u) << row.time;
        EXPECT_EQ(row.time[2], ':');
        EXPECT_EQ(row.time[5], ':');
    }
    for (const char* venue : {"INET", "NYSE"}) {
        const auto book = m.Book("IBM", venue, (kNow + 5) * 1000);
        ASSERT_TRUE(book);
        ASSERT_EQ(book->bids.size(), 10u);
        std::set<double> prices;
        for (const auto& row : book->bids) {
            EXPECT_EQ(row.participant, venue);
            prices.insert(row.price);
        }
        EXPECT_EQ(prices.size(), 10u); // one row per price
        ExpectSorted(*book);
        EXPECT_DOUBLE_EQ(book->bids.front().price, m.Find("IBM")->bid);
    }
    // The same seed gives the same books.
    CSimMarket again(11, 20, kNow);
    again.Step(50, (kNow + 5) * 1000);
    EXPECT_EQ(*again.Book("IBM", "TV", (kNow + 5) * 1000), *tv);
}
