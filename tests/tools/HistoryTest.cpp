#include "BrokerTestClients.h"

#include "broker/protocol/HistoryFormat.h"
#include "tools/testbroker/CHistoryGenerator.h"
#include "tools/testbroker/ExchangeClock.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <future>
#include <optional>

using namespace qx::testbroker;
using namespace qx::testbroker::testing;
using qx::protocol::HistoryBar;

namespace {

void ExpectSaneBars(const std::vector<HistoryBar>& bars)
{
    for (size_t i = 0; i < bars.size(); ++i) {
        const HistoryBar& b = bars[i];
        EXPECT_GE(b.high, std::max(b.open, b.close)) << i;
        EXPECT_LE(b.low, std::min(b.open, b.close)) << i;
        EXPECT_GT(b.low, 0.0) << i;
        EXPECT_GE(b.volume, 0.0) << i;
        if (i) {
            EXPECT_GT(b.feedTime, bars[i - 1].feedTime) << i;
        }
    }
}

}  // namespace

TEST(HistoryGenerator, MinuteBarsAggregateToTheDailyBarAndRepeat)
{
    CHistoryGenerator gen;
    const PriceProfile profile{77, 40.0, 0.02, 2e6};
    const int64_t day = DaysFromDate(2019, 6, 12);  // a Wednesday
    const auto days = gen.Days(profile, day, day);
    ASSERT_EQ(days.size(), 1u);
    const auto minutes = gen.MinuteBars(profile, days[0], false);
    ASSERT_EQ(minutes.size(), 390u);
    ExpectSaneBars(minutes);
    EXPECT_DOUBLE_EQ(minutes.front().open, days[0].open);
    EXPECT_DOUBLE_EQ(minutes.back().close, days[0].close);

    const uint32_t end = qx::protocol::HistoryFeedTime(2019, 6, 12, 23, 0, 0);
    const auto daily = gen.Bars(profile, {HistoryInterval::Days, 0}, false, 0, end, 1, DaysFromDate(2030, 1, 1));
    ASSERT_EQ(daily.size(), 1u);
    double high = 0, low = 1e9, volume = 0;
    for (const auto& m : minutes) {
        high = std::max(high, m.high);
        low = std::min(low, m.low);
        volume += m.volume;
    }
    EXPECT_DOUBLE_EQ(daily[0].high, high);
    EXPECT_DOUBLE_EQ(daily[0].low, low);
    EXPECT_DOUBLE_EQ(daily[0].volume, volume);

    // Thirty-minute bars of the day cover the same range.
    const auto thirty = gen.Bars(profile, {HistoryInterval::Minutes, 30}, false,
                                 qx::protocol::HistoryFeedTime(2019, 6, 12, 0, 0, 0), end, 100, DaysFromDate(2030, 1, 1));
    ASSERT_EQ(thirty.size(), 13u);
    EXPECT_DOUBLE_EQ(thirty.front().open, daily[0].open);
    EXPECT_DOUBLE_EQ(thirty.back().close, daily[0].close);
    // Nothing is stored: a second generator gives the same bars.
    EXPECT_EQ(CHistoryGenerator().MinuteBars(profile, days[0], true), gen.MinuteBars(profile, days[0], true));
    EXPECT_TRUE(gen.MinuteBars(profile, days[0], true).size() == 960u);
}

TEST(HistoryGenerator, YearsOfDailyWeeklyAndMonthlyBarsStaySane)
{
    CHistoryGenerator gen;
    const PriceProfile profile{5, 120.0, 0.03, 1e6};
    const uint32_t end = qx::protocol::HistoryFeedTime(2024, 12, 31, 12, 0, 0);
    const auto daily = gen.Bars(profile, {HistoryInterval::Days, 0}, false, 0, end, 5000, DaysFromDate(2030, 1, 1));
    EXPECT_EQ(daily.size(), 5000u);
    ExpectSaneBars(daily);
    const auto weekly = gen.Bars(profile, {HistoryInterval::Weeks, 0}, false, 0, end, 300, DaysFromDate(2030, 1, 1));
    ExpectSaneBars(weekly);
    for (const auto& w : weekly) {
        int y, m, d, h, mi, s;
        qx::protocol::SplitHistoryFeedTime(w.feedTime, y, m, d, h, mi, s);
        EXPECT_EQ(WeekdayOfDays(DaysFromDate(y, m, d)), 1);  // weeks start on Monday (no holidays here)
    }
    const auto monthly = gen.Bars(profile, {HistoryInterval::Months, 0}, false, 0, end, 120, DaysFromDate(2030, 1, 1));
    EXPECT_EQ(monthly.size(), 120u);
    ExpectSaneBars(monthly);
    const auto ticks = gen.Bars(profile, {HistoryInterval::Ticks, 0}, false, 0, end, 1000, DaysFromDate(2030, 1, 1));
    EXPECT_EQ(ticks.size(), 1000u);
    for (const auto& t : ticks)
        EXPECT_TRUE(t.open == t.high && t.high == t.low && t.low == t.close);
}

TEST(HistoryServer, AnswersDtohlcvRequests)
{
    auto broker = StartBroker();
    ASSERT_TRUE(broker);
    ApiClient api(*broker);
    EXPECT_EQ(api.Get("/history", {{"s", "MSFT"}, {"i", "D"}, {"f", "dtohlcv"}}).status, 401);
    ASSERT_TRUE(api.LogIn());

    const HttpReply daily = api.Get("/history", {{"s", "MSFT"}, {"i", "D"}, {"f", "dtohlcv"}, {"n", "750"}});
    ASSERT_EQ(daily.status, 200);
    std::vector<HistoryBar> bars;
    std::string error;
    ASSERT_TRUE(qx::protocol::ParseHistoryReply(daily.body, "dtohlcv", bars, error)) << error;
    EXPECT_GE(bars.size(), 749u);
    EXPECT_LE(bars.size(), 750u);
    ExpectSaneBars(bars);
    // The same request gives the same bars (today's live bar aside).
    const HttpReply again = api.Get("/history", {{"s", "MSFT"}, {"i", "D"}, {"f", "dtohlcv"}, {"n", "750"}});
    std::vector<HistoryBar> bars2;
    ASSERT_TRUE(qx::protocol::ParseHistoryReply(again.body, "dtohlcv", bars2, error));
    ASSERT_EQ(bars.size(), bars2.size());
    EXPECT_EQ(bars.front(), bars2.front());

    // Minute bars ending at a fixed time, with a message key instead of the cookie.
    TiXmlDocument doc;
    ASSERT_TRUE(api.Api("MessageKey", {}, doc));
    const std::string key = XmlText(&doc, "Key");
    const uint32_t end = qx::protocol::HistoryFeedTime(2025, 3, 14, 12, 0, 0);
    ApiClient keyOnly(*broker);
    const HttpReply minutes = keyOnly.Get(
        "/history", {{"k", key}, {"s", "IBM"}, {"i", "5"}, {"f", "ecv"}, {"e", std::to_string(end)}, {"n", "40"}});
    ASSERT_TRUE(qx::protocol::ParseHistoryReply(minutes.body, "ecv", bars, error)) << minutes.body;
    ASSERT_EQ(bars.size(), 40u);
    EXPECT_EQ(bars.back().feedTime, qx::protocol::HistoryFeedTime(2025, 3, 14, 12, 0, 0));  // the bar holding e

    // The live price starts where the history ends.
    ASSERT_TRUE(qx::protocol::ParseHistoryReply(
        api.Get("/history", {{"s", "IBM"}, {"i", "D"}, {"n", "3"},
                             {"e", std::to_string(UnixToFeedTime(NowUnixMs() / 1000) - 43200)}})
            .body,
        "dtohlcv", bars, error));
    ASSERT_FALSE(bars.empty());
    EXPECT_DOUBLE_EQ(broker->Symbol("IBM")->prevClose, bars.back().close);

    // Options have a history priced from their underlying's.
    TiXmlDocument chain;
    ASSERT_TRUE(api.Api("OptionChain", {{"symbol", "IBM"}, {"type", "P"}, {"range", "ALL"}, {"expire", "L"}}, chain));
    const std::string put = XmlText(&chain, "Symbol");
    ASSERT_TRUE(qx::protocol::ParseHistoryReply(api.Get("/history", {{"s", put}, {"i", "D"}, {"n", "100"}}).body,
                                                "dtohlcv", bars, error));
    EXPECT_GE(bars.size(), 99u);
    ExpectSaneBars(bars);
    std::vector<HistoryBar> underlying;
    ASSERT_TRUE(qx::protocol::ParseHistoryReply(api.Get("/history", {{"s", "IBM"}, {"i", "D"}, {"n", "100"}}).body,
                                                "dtohlcv", underlying, error));
    ASSERT_EQ(bars.front().feedTime, underlying.front().feedTime);
    // A put gains when its underlying falls.
    size_t opposite = 0;
    for (size_t i = 1; i < std::min(bars.size(), underlying.size()); ++i)
        opposite += (bars[i].close - bars[i - 1].close) * (underlying[i].close - underlying[i - 1].close) <= 0;
    EXPECT_GT(opposite, bars.size() * 8 / 10);

    EXPECT_EQ(api.Get("/history", {{"s", "NOPE"}, {"i", "D"}}).body, "ERROR|Unknown symbol: NOPE\n");
    EXPECT_EQ(api.Get("/history", {{"s", "IBM"}, {"i", "9999"}}).body, "ERROR|Invalid interval: 9999\n");
    EXPECT_EQ(api.Get("/history", {{"s", "IBM"}, {"i", "D"}, {"f", "dtq"}}).body, "ERROR|Invalid field list: dtq\n");
}

TEST(HistoryServer, RepliesNameTheNewestTradeTheirBarsHold)
{
    auto broker = StartBroker();
    ASSERT_TRUE(broker);
    ApiClient api(*broker);
    ASSERT_TRUE(api.LogIn());
    ApiClient other(*broker);
    other.cookie = api.cookie;
    const std::vector<std::pair<std::string, std::string>> query{{"s", "IBM"}, {"i", "1"}, {"n", "10"}};
    auto mark = [](const HttpReply& reply) -> std::optional<uint64_t> {
        const auto it = reply.headers.find(std::string(qx::protocol::kHistoryAsOfHeader));
        uint64_t value = 0;
        if (it == reply.headers.end() || !qx::protocol::ParseHistoryAsOf(it->second, value))
            return std::nullopt;
        return value;
    };

    // The market stands still: no trade yet, then two.
    EXPECT_EQ(mark(api.Get("/history", query)), std::optional<uint64_t>(0));
    ASSERT_TRUE(broker->InjectTrade("IBM", 150.00, 100));
    ASSERT_TRUE(broker->InjectTrade("IBM", 150.10, 200));
    ASSERT_TRUE(broker->InjectTrade("MSFT", 300.00, 100)); // another symbol's count
    EXPECT_EQ(mark(api.Get("/history", query)), std::optional<uint64_t>(2));

    // Held before the bars are read, a request holds the trade made meanwhile ...
    broker->HoldHistory(HistoryHold::Requests);
    auto held = std::async(std::launch::async, [&] { return other.Get("/history", query); });
    ASSERT_TRUE(broker->WaitForHeldHistory(1, 5000));
    ASSERT_TRUE(broker->InjectTrade("IBM", 150.20, 100));
    broker->HoldHistory(HistoryHold::None);
    EXPECT_EQ(mark(held.get()), std::optional<uint64_t>(3));
    // ... held with its reply made, it does not.
    broker->HoldHistory(HistoryHold::Replies);
    held = std::async(std::launch::async, [&] { return other.Get("/history", query); });
    ASSERT_TRUE(broker->WaitForHeldHistory(1, 5000));
    ASSERT_TRUE(broker->InjectTrade("IBM", 150.30, 100));
    broker->HoldHistory(HistoryHold::None);
    EXPECT_EQ(mark(held.get()), std::optional<uint64_t>(3));

    // A broker that numbers no trades names none.
    broker->SetHistoryMarks(false);
    EXPECT_EQ(mark(api.Get("/history", query)), std::nullopt);
}

TEST(HistoryServer, DailyWeeklyAndMonthlyBarsStopBeforeTheDayTheQuotesCarry)
{
    TestBrokerOptions options;
    const int weekday = UnixToExchange(NowUnixMs() / 1000).weekday;
    options.clockShiftDays = weekday == 6 ? -1 : weekday == 0 ? -2 : 0;
    auto broker = StartBroker(options);
    ASSERT_TRUE(broker);
    ApiClient api(*broker);
    ASSERT_TRUE(api.LogIn());
    ASSERT_TRUE(broker->InjectTrade("IBM", 150.25, 700));
    const auto ibm = broker->Symbol("IBM");
    int y, m, d, h, mi, s;
    qx::protocol::SplitHistoryFeedTime(ibm->tradeTime, y, m, d, h, mi, s);
    const int64_t today = DaysFromDate(y, m, d);
    auto dayOf = [](const HistoryBar& b) {
        int by, bm, bd, bh, bmi, bs;
        qx::protocol::SplitHistoryFeedTime(b.feedTime, by, bm, bd, bh, bmi, bs);
        return DaysFromDate(by, bm, bd);
    };
    auto get = [&](const char* interval, std::vector<HistoryBar>& bars) {
        const HttpReply reply = api.Get("/history", {{"s", "IBM"}, {"i", interval}, {"n", "40"}});
        std::string error;
        EXPECT_TRUE(qx::protocol::ParseHistoryReply(reply.body, "dtohlcv", bars, error)) << error;
        // The bars hold no trade of the day: the mark says so.
        const auto it = reply.headers.find(std::string(qx::protocol::kHistoryAsOfHeader));
        EXPECT_TRUE(it != reply.headers.end() && it->second == "0") << interval;
    };

    std::vector<HistoryBar> days, weeks, months;
    get("D", days);
    ASSERT_FALSE(days.empty());
    EXPECT_LT(dayOf(days.back()), today);
    EXPECT_DOUBLE_EQ(ibm->prevClose, days.back().close);
    // The week and the month in progress hold their days before today.
    auto since = [&](int64_t first) {
        HistoryBar out;
        for (const HistoryBar& b : days) {
            if (dayOf(b) < first)
                continue;
            out.volume += b.volume;
            out.close = b.close;
        }
        return out;
    };
    get("W", weeks);
    get("M", months);
    ASSERT_FALSE(weeks.empty());
    ASSERT_FALSE(months.empty());
    const int64_t sunday = today - WeekdayOfDays(today);
    if (dayOf(weeks.back()) > sunday) {
        EXPECT_DOUBLE_EQ(since(sunday).volume, weeks.back().volume);
        EXPECT_DOUBLE_EQ(since(sunday).close, weeks.back().close);
    } else {
        EXPECT_TRUE(since(sunday).volume == 0); // today is the week's first trading day
    }
    const int64_t first = DaysFromDate(y, m, 1);
    if (dayOf(months.back()) >= first)
        EXPECT_DOUBLE_EQ(since(first).volume, months.back().volume);
    else
        EXPECT_TRUE(since(first).volume == 0);

    // Minute bars hold today's trades, and say which.
    const HttpReply minutes = api.Get("/history", {{"s", "IBM"}, {"i", "1"}, {"n", "10"}});
    const auto mark = minutes.headers.find(std::string(qx::protocol::kHistoryAsOfHeader));
    ASSERT_TRUE(mark != minutes.headers.end());
    EXPECT_EQ("1", mark->second);
}
