// Bars that hold today against the in-process test broker: daily and longer bars hold the
// day's trades once, and a series opened after others of its symbol holds the trades made
// since their history came. The expected bars are the broker's own: its generated days
// before today and its day state (or its minute bars) for today.
#include "analytics/series/CPriceSeries.h"
#include "analytics/series/ISeriesServices.h"
#include "analytics/series/SeriesTime.h"
#include "broker/session/CSessionManager.h"
#include "broker/session/IStreamSubscriber.h"
#include "broker/session/QuoteFields.h"
#include "tests/support/CSeriesBrokerTest.h"
#include "tests/support/WaitUntil.h"
#include "tools/testbroker/CHistoryGenerator.h"
#include "tools/testbroker/CTestBroker.h"
#include "tools/testbroker/ExchangeClock.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
using qx::protocol::HistoryBar;
using qx::testbroker::CHistoryGenerator;
using qx::testbroker::HistoryInterval;
using qx::testbroker::SimSymbol;
using qx::testsupport::WaitUntil;

constexpr DWORD kMinute = 30; // feed-time units

struct Bar {
    double open = 0, high = 0, low = 0, close = 0, volume = 0;
};

// Bars in time order joined into one; an empty bar when there are none.
Bar Join(const std::vector<Bar>& bars)
{
    Bar out;
    for (const Bar& b : bars) {
        if (out.volume == 0 && out.open == 0) {
            out = b;
            continue;
        }
        out.high = std::max(out.high, b.high);
        out.low = std::min(out.low, b.low);
        out.close = b.close;
        out.volume += b.volume;
    }
    return out;
}

Bar FromHistory(const HistoryBar& b)
{
    return {b.open, b.high, b.low, b.close, b.volume};
}

// The broker's day so far, as its quote fields carry it. (Trades after a series opened reach
// it as float prices: the tests trade at prices a float holds exactly.)
Bar Today(const SimSymbol& s)
{
    return {s.open, s.high, s.low, s.last, s.volume};
}

std::string Text(const Bar& b)
{
    std::ostringstream out;
    out << b.open << "/" << b.high << "/" << b.low << "/" << b.close << " v" << b.volume;
    return out.str();
}

int64_t DayOfFeedTime(uint32_t feedTime)
{
    int y, m, d, h, mi, s;
    qx::protocol::SplitHistoryFeedTime(feedTime, y, m, d, h, mi, s);
    return qx::testbroker::DaysFromDate(y, m, d);
}

// The broker's completed days [firstDay, today), from its own history generator.
std::vector<HistoryBar> BrokerDays(const SimSymbol& s, int64_t firstDay, int64_t today)
{
    int y, m, d;
    qx::testbroker::DateFromDays(firstDay, y, m, d);
    const uint32_t begin = qx::protocol::HistoryFeedTime(y, m, d, 0, 0, 0);
    qx::testbroker::DateFromDays(today, y, m, d);
    const uint32_t end = qx::protocol::HistoryFeedTime(y, m, d, 0, 0, 0);
    return CHistoryGenerator().Bars(s.profile, {HistoryInterval::Days, 0}, false, begin, end, 20000, today);
}

// First day of the week (Sunday), month, quarter or year holding the day.
int64_t PeriodStart(const char* interval, int64_t day)
{
    int y, m, d;
    qx::testbroker::DateFromDays(day, y, m, d);
    switch (interval[0]) {
    case 'W': return day - qx::testbroker::WeekdayOfDays(day);
    case 'M': return qx::testbroker::DaysFromDate(y, m, 1);
    case 'Q': return qx::testbroker::DaysFromDate(y, (m - 1) / 3 * 3 + 1, 1);
    case 'Y': return qx::testbroker::DaysFromDate(y, 1, 1);
    default: return day;
    }
}

// The broker's bar of the period holding today: its days before today, then today.
Bar BrokerPeriodBar(const SimSymbol& s, const char* interval, int64_t today)
{
    std::vector<Bar> parts;
    for (const HistoryBar& b : BrokerDays(s, PeriodStart(interval, today), today))
        parts.push_back(FromHistory(b));
    parts.push_back(Today(s));
    return Join(parts);
}

// The broker's minute bars of today in [from, to) (feed times), joined.
Bar BrokerMinutes(const SimSymbol& s, DWORD from, DWORD to)
{
    std::vector<Bar> parts;
    for (const HistoryBar& b : s.todayBars)
        if (b.feedTime >= from && b.feedTime < to)
            parts.push_back(FromHistory(b));
    return Join(parts);
}

class TodayBarsTest : public qx::testsupport::CSeriesBrokerTest {
protected:
    TodayBarsTest() : CSeriesBrokerTest(true) {}
    void TearDown() override
    {
        m_series.clear();
        CSeriesBrokerTest::TearDown();
    }

    CPriceSeries& Open(const char* key, int bars)
    {
        m_series.emplace_back(m_manager->CreatePriceSeries(key, 0), SeriesDeleter{&m_manager});
        CPriceSeries& series = *m_series.back();
        series.SetWindowMode(1);
        EXPECT_TRUE(series.SetBarCount(bars, 0));
        EXPECT_TRUE(WaitUntil([&] { return !series.IsWaitingForData(); }, 60s)) << key;
        return series;
    }

    static Bar Newest(CPriceSeries& series, bool* valid = nullptr)
    {
        std::lock_guard<CPriceSeries> lock(series);
        const auto r = series.GetRecordAt(series.GetRecordCount() - 1);
        if (valid)
            *valid = r && r->m_bValid;
        if (!r || !r->m_bValid)
            return {};
        return {r->Open(), r->High(), r->Low(), r->Close(), r->Volume()};
    }

    static Bar RecordStartingAt(CPriceSeries& series, DWORD feedTime)
    {
        std::lock_guard<CPriceSeries> lock(series);
        for (int r = 0; r < series.GetRecordCount(); ++r) {
            const auto rec = series.GetRecordAt(r);
            if (rec->m_bValid && CTimeToFeedTime(rec->m_startTime) == feedTime)
                return {rec->Open(), rec->High(), rec->Low(), rec->Close(), rec->Volume()};
        }
        return {};
    }

    static DWORD NewestStart(CPriceSeries& series)
    {
        std::lock_guard<CPriceSeries> lock(series);
        return CTimeToFeedTime(series.GetRecordAt(series.GetRecordCount() - 1)->m_startTime);
    }

    // Everything the broker sent the symbol's subscribers so far has been applied: a quote
    // sent after it has arrived.
    bool Delivered(const char* symbol)
    {
        const double bid = m_broker->Symbol(symbol)->bid + 0.0001;
        if (!m_broker->InjectQuote(symbol, {{kFieldBid, false, bid, {}}}))
            return false;
        return WaitUntil(
            [&] {
                CSeriesQuote quote;
                return GetSeriesServices().LookupQuote(CString(symbol), quote) && quote.bid == bid;
            },
            10s);
    }

    // Waits until the bar the series shows equals the broker's, then tells whether it does.
    ::testing::AssertionResult Shows(const std::function<Bar()>& shown, const std::function<Bar()>& broker)
    {
        WaitUntil([&] { return Same(shown(), broker()); }, 10s);
        const Bar a = shown(), b = broker();
        if (Same(a, b))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "series " << Text(a) << ", broker " << Text(b);
    }

    static bool Same(const Bar& a, const Bar& b)
    {
        return a.open == b.open && a.high == b.high && a.low == b.low && a.close == b.close && a.volume == b.volume;
    }

    int64_t BrokerToday(const char* symbol) { return DayOfFeedTime(m_broker->Symbol(symbol)->tradeTime); }

    std::vector<std::unique_ptr<CPriceSeries, SeriesDeleter>> m_series;
};

} // namespace

TEST_F(TodayBarsTest, ADailyBarHoldsTheDaysTradesOnce)
{
    ASSERT_TRUE(m_broker->InjectTrade("IBM", 150.25, 700));
    const int64_t today = BrokerToday("IBM");
    CPriceSeries& daily = Open("IBM,D", 30);
    EXPECT_TRUE(Shows([&] { return Newest(daily); }, [&] { return Today(*m_broker->Symbol("IBM")); }));
    EXPECT_EQ(700, Newest(daily).volume);
    // The days before today are the broker's history.
    const auto days = BrokerDays(*m_broker->Symbol("IBM"), today - 10, today);
    ASSERT_FALSE(days.empty());
    for (const HistoryBar& day : days) {
        int y, m, d, h, mi, s;
        qx::protocol::SplitHistoryFeedTime(day.feedTime, y, m, d, h, mi, s);
        SCOPED_TRACE(y * 10000 + m * 100 + d);
        std::lock_guard<CPriceSeries> lock(daily);
        bool found = false;
        for (int r = 0; r < daily.GetRecordCount(); ++r) {
            const auto rec = daily.GetRecordAt(r);
            const struct tm t = rec->m_startTime.GetLocalTm();
            if (t.tm_year + 1900 != y || t.tm_mon + 1 != m || t.tm_mday != d)
                continue;
            found = true;
            EXPECT_TRUE(rec->m_bValid);
            EXPECT_TRUE(Same({rec->Open(), rec->High(), rec->Low(), rec->Close(), rec->Volume()}, FromHistory(day)))
                << Text({rec->Open(), rec->High(), rec->Low(), rec->Close(), rec->Volume()}) << " not "
                << Text(FromHistory(day));
        }
        EXPECT_TRUE(found);
    }
    // Later trades go on from there.
    ASSERT_TRUE(m_broker->InjectTrade("IBM", 151.00, 300));
    ASSERT_TRUE(m_broker->InjectTrade("IBM", 149.50, 200));
    EXPECT_TRUE(Shows([&] { return Newest(daily); }, [&] { return Today(*m_broker->Symbol("IBM")); }));
    EXPECT_EQ(1200, Newest(daily).volume);
}

TEST_F(TodayBarsTest, WeeklyMonthlyQuarterlyAndYearlyBarsHoldTodayOnce)
{
    ASSERT_TRUE(m_broker->InjectTrade("MSFT", 301.10, 700));
    ASSERT_TRUE(m_broker->InjectTrade("MSFT", 302.40, 500));
    const int64_t today = BrokerToday("MSFT");
    for (const char* interval : {"W", "M", "Q", "Y"}) {
        SCOPED_TRACE(interval);
        const std::string key = std::string("MSFT,") + interval;
        CPriceSeries& series = Open(key.c_str(), 3);
        EXPECT_TRUE(Shows([&] { return Newest(series); },
                          [&] { return BrokerPeriodBar(*m_broker->Symbol("MSFT"), interval, today); }));
    }
    // A trade reaches every one of them once.
    ASSERT_TRUE(m_broker->InjectTrade("MSFT", 299.75, 400));
    for (size_t i = 0; i < m_series.size(); ++i) {
        const char* interval = i == 0 ? "W" : i == 1 ? "M" : i == 2 ? "Q" : "Y";
        SCOPED_TRACE(interval);
        EXPECT_TRUE(Shows([&] { return Newest(*m_series[i]); },
                          [&] { return BrokerPeriodBar(*m_broker->Symbol("MSFT"), interval, today); }));
    }
}

TEST_F(TodayBarsTest, ADailyBarHoldsTheDayOnceAfterTheStreamComesBack)
{
    ASSERT_TRUE(m_broker->InjectTrade("IBM", 150.25, 700));
    CPriceSeries& daily = Open("IBM,D", 30);
    CPriceSeries& weekly = Open("IBM,W", 5);
    const int64_t today = BrokerToday("IBM");
    ASSERT_TRUE(Shows([&] { return Newest(daily); }, [&] { return Today(*m_broker->Symbol("IBM")); }));

    m_broker->SetStreamsDown(true);
    ASSERT_TRUE(WaitUntil([&] { return !m_manager->IsStreamConnected(CBrokerSession::kStreamMarketData); }, 10s));
    ASSERT_TRUE(m_broker->InjectTrade("IBM", 151.50, 400));
    m_broker->SetStreamsDown(false);
    ASSERT_TRUE(WaitUntil([&] { return m_manager->IsStreamConnected(CBrokerSession::kStreamMarketData); }, 10s));
    ASSERT_TRUE(Delivered("IBM"));
    EXPECT_TRUE(Shows([&] { return Newest(daily); }, [&] { return Today(*m_broker->Symbol("IBM")); }));
    EXPECT_TRUE(
        Shows([&] { return Newest(weekly); }, [&] { return BrokerPeriodBar(*m_broker->Symbol("IBM"), "W", today); }));
    ASSERT_TRUE(m_broker->InjectTrade("IBM", 150.75, 100));
    EXPECT_TRUE(Shows([&] { return Newest(daily); }, [&] { return Today(*m_broker->Symbol("IBM")); }));
    EXPECT_EQ(1200, Newest(daily).volume);
}

TEST_F(TodayBarsTest, ASeriesOpenedLaterHoldsTheTradesMadeSinceTheFirstDownload)
{
    // Noon is an hour's first second: the session's clock may still stand in the hour before.
    std::this_thread::sleep_for(2s);
    // The first series downloads the day's minutes with one trade in them.
    ASSERT_TRUE(m_broker->InjectTrade("AAPL", 190.10, 700));
    const DWORD hour = m_broker->Symbol("AAPL")->tradeTime - m_broker->Symbol("AAPL")->tradeTime % (60 * kMinute);
    Open("AAPL,1", 60);
    // Trades after that download, inside the same hour.
    ASSERT_TRUE(m_broker->InjectTrade("AAPL", 191.30, 500));
    ASSERT_TRUE(m_broker->InjectTrade("AAPL", 189.80, 300));
    ASSERT_TRUE(Delivered("AAPL"));
    const auto broker = [&](DWORD from, DWORD to) { return BrokerMinutes(*m_broker->Symbol("AAPL"), from, to); };
    ASSERT_EQ(0, broker(hour + 60 * kMinute, hour + 120 * kMinute).volume) << "the hour ended during the test";

    // A second series of the symbol, made now, holds them all.
    CPriceSeries& hourly = Open("AAPL,60", 10);
    ASSERT_EQ(hour, NewestStart(hourly));
    EXPECT_TRUE(Shows([&] { return Newest(hourly); }, [&] { return broker(hour, hour + 60 * kMinute); }));
    EXPECT_EQ(1500, Newest(hourly).volume);
    CPriceSeries& minutes = Open("AAPL,1", 60);
    const std::vector<HistoryBar> brokerMinutes = m_broker->Symbol("AAPL")->todayBars;
    ASSERT_FALSE(brokerMinutes.empty());
    for (const HistoryBar& minute : brokerMinutes) {
        SCOPED_TRACE(minute.feedTime);
        EXPECT_TRUE(Shows([&] { return RecordStartingAt(minutes, minute.feedTime); },
                          [&] { return broker(minute.feedTime, minute.feedTime + kMinute); }));
    }
}

TEST_F(TodayBarsTest, ADailySeriesOpenedLaterHoldsTheDayOnce)
{
    ASSERT_TRUE(m_broker->InjectTrade("INTC", 35.10, 700));
    CPriceSeries& first = Open("INTC,D", 20);
    ASSERT_TRUE(Shows([&] { return Newest(first); }, [&] { return Today(*m_broker->Symbol("INTC")); }));
    ASSERT_TRUE(m_broker->InjectTrade("INTC", 35.75, 900));
    ASSERT_TRUE(Delivered("INTC"));

    // Its days come from the history cache; today is the broker's whole day.
    CPriceSeries& second = Open("INTC,D", 20);
    EXPECT_TRUE(Shows([&] { return Newest(second); }, [&] { return Today(*m_broker->Symbol("INTC")); }));
    EXPECT_EQ(1600, Newest(second).volume);
    EXPECT_TRUE(Shows([&] { return Newest(first); }, [&] { return Today(*m_broker->Symbol("INTC")); }));
}
