// Bars that hold today against the in-process test broker: a series opened after others of
// its symbol holds the trades made since their history came. The expected bars are the
// broker's own minute bars.
#include "analytics/series/CPriceSeries.h"
#include "analytics/series/ISeriesServices.h"
#include "analytics/series/SeriesTime.h"
#include "broker/session/CSessionManager.h"
#include "broker/session/IStreamSubscriber.h"
#include "broker/session/QuoteFields.h"
#include "tests/support/CSeriesBrokerSession.h"
#include "tests/support/WaitUntil.h"
#include "tools/testbroker/CTestBroker.h"

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

std::string Text(const Bar& b)
{
    std::ostringstream out;
    out << b.open << "/" << b.high << "/" << b.low << "/" << b.close << " v" << b.volume;
    return out.str();
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

class TodayBarsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_session.Start());
        m_broker = &m_session.Broker();
        m_manager = &m_session.Manager();
    }
    void TearDown() override
    {
        m_series.clear();
        m_session.Stop();
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

    struct SeriesDeleter {
        CSessionManager** manager;
        void operator()(CPriceSeries* s) const { (*manager)->DeletePriceSeries(s); }
    };

    qx::testsupport::CSeriesBrokerSession m_session{true}; // noon on a weekday
    qx::testbroker::CTestBroker* m_broker = nullptr;
    CSessionManager* m_manager = nullptr;
    std::vector<std::unique_ptr<CPriceSeries, SeriesDeleter>> m_series;
};

} // namespace

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
