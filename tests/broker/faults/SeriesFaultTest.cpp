// Price series against the in-process test broker while the stream fails: trades made while it
// was down, trades that overtake the history answers or fall behind them, and server clocks
// gone wrong.
#include "analytics/series/CPriceSeries.h"
#include "analytics/series/ISeriesServices.h"
#include "analytics/series/SeriesTime.h"
#include "broker/session/CSessionManager.h"
#include "broker/session/IStreamSubscriber.h"
#include "broker/session/QuoteFields.h"
#include "tests/support/CSeriesBrokerTest.h"
#include "tests/support/WaitUntil.h"
#include "tools/testbroker/CTestBroker.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <climits>
#include <map>
#include <thread>

namespace {

using namespace std::chrono_literals;
using qx::testbroker::HistoryHold;
using qx::testsupport::WaitUntil;

constexpr DWORD kMinute = 30; // feed-time units

class SeriesFaultTest : public qx::testsupport::CSeriesBrokerTest {
protected:
    explicit SeriesFaultTest(int64_t secondsBeforeNoon = 0) : CSeriesBrokerTest(true, secondsBeforeNoon) {}
    void TearDown() override
    {
        m_series.reset();
        CSeriesBrokerTest::TearDown();
    }

    CPriceSeries& Open(const char* key, int bars)
    {
        m_series.reset(m_manager->CreatePriceSeries(key, 0));
        EXPECT_TRUE(m_series);
        m_series->SetWindowMode(1);
        EXPECT_TRUE(m_series->SetBarCount(bars, 0));
        EXPECT_TRUE(WaitUntil([&] { return !m_series->IsWaitingForData(); }, 60s));
        return *m_series;
    }

    // Volume of each minute of the broker's day, by the minute's start.
    std::map<DWORD, double> BrokerMinutes(const char* symbol)
    {
        std::map<DWORD, double> minutes;
        const auto sim = m_broker->Symbol(symbol);
        for (const auto& bar : sim->todayBars)
            minutes[bar.feedTime - bar.feedTime % kMinute] += bar.volume;
        return minutes;
    }

    // Minutes whose series bar differs from the broker's, as text.
    std::string Differences(const char* symbol)
    {
        std::string out;
        const std::map<DWORD, double> broker = BrokerMinutes(symbol);
        std::lock_guard<CPriceSeries> lock(*m_series);
        for (const auto& [minute, volume] : broker) {
            bool found = false;
            for (int r = 0; r < m_series->GetRecordCount(); ++r) {
                const auto rec = m_series->GetRecordAt(r);
                if (CTimeToFeedTime(rec->m_startTime) != minute)
                    continue;
                found = true;
                if (rec->Volume() != volume)
                    out += std::to_string(minute) + ": " + std::to_string(rec->Volume()) + " not " +
                           std::to_string(volume) + "; ";
            }
            if (!found)
                out += std::to_string(minute) + " missing; ";
        }
        return out;
    }

    bool Answered()
    {
        std::lock_guard<CPriceSeries> lock(*m_series);
        return m_series->GetOutstandingRequests() == 0;
    }

    bool Connected() { return m_manager->IsStreamConnected(CBrokerSession::kStreamMarketData); }

    // Everything the broker sent the symbol's subscribers so far has been applied: a quote sent
    // after it has arrived.
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

    // A 1-minute series of MSFT holding one live trade, like the broker.
    void OpenWithATrade()
    {
        Open("msft,1", 120);
        ASSERT_TRUE(m_broker->WaitForSubscription(kServiceQuote, "MSFT", 10000));
        ASSERT_TRUE(m_broker->InjectTrade("MSFT", 301.10, 700));
        ASSERT_TRUE(WaitUntil([&] { return Differences("MSFT").empty(); }, 10s)) << Differences("MSFT");
    }

    std::unique_ptr<CPriceSeries, SeriesDeleter> m_series{nullptr, SeriesDeleter{&m_manager}};
};

TEST_F(SeriesFaultTest, TradesMadeWhileTheStreamWasDownReachTheBars)
{
    Open("msft,1", 120);
    ASSERT_TRUE(m_broker->WaitForSubscription(kServiceQuote, "MSFT", 10000));
    ASSERT_TRUE(m_broker->InjectTrade("MSFT", 301.10, 700));
    ASSERT_TRUE(WaitUntil([&] { return Differences("MSFT").empty(); }, 10s)) << Differences("MSFT");

    const auto down = std::chrono::steady_clock::now();
    m_broker->SetStreamsDown(true);
    ASSERT_TRUE(WaitUntil([&] { return !m_manager->IsStreamConnected(CBrokerSession::kStreamMarketData); }, 10s));
    for (double price : {301.20, 301.30, 301.15})
        ASSERT_TRUE(m_broker->InjectTrade("MSFT", price, 700));
    std::this_thread::sleep_for(5s - (std::chrono::steady_clock::now() - down));
    m_broker->SetStreamsDown(false);

    ASSERT_TRUE(WaitUntil([&] { return m_manager->IsStreamConnected(CBrokerSession::kStreamMarketData); }, 10s));
    auto answered = [&] {
        std::lock_guard<CPriceSeries> lock(*m_series);
        return m_series->GetOutstandingRequests() == 0;
    };
    EXPECT_TRUE(WaitUntil([&] { return answered() && Differences("MSFT").empty(); }, 20s))
        << Differences("MSFT");
    // Live trades go on after the backfill.
    ASSERT_TRUE(m_broker->InjectTrade("MSFT", 301.40, 200));
    EXPECT_TRUE(WaitUntil([&] { return Differences("MSFT").empty(); }, 10s)) << Differences("MSFT");
}

TEST_F(SeriesFaultTest, ATradeMadeWhileTheStreamWasDownReachesASeriesThatHadNoneYet)
{
    CPriceSeries& series = Open("msft,1", 120);
    ASSERT_TRUE(m_broker->WaitForSubscription(kServiceQuote, "MSFT", 10000));
    {
        // The symbol has not traded today: the answers filled no bar.
        std::lock_guard<CPriceSeries> lock(series);
        for (int r = 0; r < series.GetRecordCount(); ++r)
            ASSERT_FALSE(series.GetRecordAt(r)->m_bValid) << r;
    }
    m_broker->SetStreamsDown(true);
    ASSERT_TRUE(WaitUntil([&] { return !Connected(); }, 10s));
    ASSERT_TRUE(m_broker->InjectTrade("MSFT", 301.10, 700));
    m_broker->SetStreamsDown(false);
    ASSERT_TRUE(WaitUntil([&] { return Connected(); }, 10s));
    EXPECT_TRUE(WaitUntil([&] { return Answered() && Differences("MSFT").empty(); }, 20s)) << Differences("MSFT");
    // Live trades go on after the backfill.
    ASSERT_TRUE(m_broker->InjectTrade("MSFT", 301.40, 200));
    ASSERT_TRUE(Delivered("MSFT"));
    EXPECT_EQ("", Differences("MSFT"));
}

// The broker's clock starts a few seconds before noon, so that a minute turns soon.
class SeriesFaultBeforeNoonTest : public SeriesFaultTest {
protected:
    SeriesFaultBeforeNoonTest() : SeriesFaultTest(5) {}

    // Waits until the broker's clock is that many milliseconds into a minute. The broker's
    // clock is this one moved by whole seconds: the session's offset, rounded.
    void WaitForBrokerMinute(int64_t intoMinuteMs)
    {
        const int64_t shiftMs = std::llround(m_manager->GetSession().GetClockOffsetMs() / 1000.0) * 1000;
        const int64_t brokerMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                                     std::chrono::system_clock::now().time_since_epoch())
                                     .count() +
                                 shiftMs;
        const int64_t wait = ((intoMinuteMs - brokerMs % 60000) % 60000 + 60000) % 60000;
        std::this_thread::sleep_for(std::chrono::milliseconds(wait));
    }
};

TEST_F(SeriesFaultBeforeNoonTest, ATradeMadeJustAfterTheMinuteTurnedWhileTheStreamWasDownReachesItsBar)
{
    Open("msft,1", 120);
    ASSERT_TRUE(m_broker->WaitForSubscription(kServiceQuote, "MSFT", 10000));
    m_broker->SetStreamsDown(true);
    ASSERT_TRUE(WaitUntil([&] { return !Connected(); }, 10s));
    // The trade falls into a minute the series has no bar for yet; the stream is back well
    // within a second.
    WaitForBrokerMinute(300);
    ASSERT_TRUE(m_broker->InjectTrade("MSFT", 301.10, 700));
    m_broker->SetStreamsDown(false);
    ASSERT_TRUE(WaitUntil([&] { return Connected(); }, 10s));
    EXPECT_TRUE(WaitUntil([&] { return Answered() && Differences("MSFT").empty(); }, 10s)) << Differences("MSFT");
    ASSERT_TRUE(m_broker->InjectTrade("MSFT", 301.40, 200));
    ASSERT_TRUE(Delivered("MSFT"));
    EXPECT_EQ("", Differences("MSFT"));
}

TEST_F(SeriesFaultTest, ATradeMadeAfterTheBackfillAnswerButArrivingBeforeItCounts)
{
    OpenWithATrade();
    // The stream drops; the series asks for its newest bars again and the broker holds the
    // reply it made.
    m_broker->HoldHistory(HistoryHold::Replies);
    m_broker->DropStreamConnections();
    ASSERT_TRUE(m_broker->WaitForHeldHistory(1, 20000));
    ASSERT_TRUE(WaitUntil([&] { return Connected(); }, 10s));
    ASSERT_TRUE(m_broker->InjectTrade("MSFT", 301.30, 400));
    ASSERT_TRUE(Delivered("MSFT"));
    m_broker->HoldHistory(HistoryHold::None);
    EXPECT_TRUE(WaitUntil([&] { return Answered() && Differences("MSFT").empty(); }, 10s)) << Differences("MSFT");
}

TEST_F(SeriesFaultTest, ATradeTheBackfillAnswerHoldsButArrivingAfterItCountsOnce)
{
    OpenWithATrade();
    m_broker->HoldHistory(HistoryHold::Requests);
    m_broker->DropStreamConnections();
    ASSERT_TRUE(m_broker->WaitForHeldHistory(1, 20000));
    ASSERT_TRUE(WaitUntil([&] { return Connected(); }, 10s));
    ASSERT_TRUE(Delivered("MSFT"));
    // The stream stalls: the trade waits at the broker while the answer, made after it, goes out.
    m_broker->StallStreams(true);
    ASSERT_TRUE(m_broker->InjectTrade("MSFT", 301.25, 300));
    m_broker->HoldHistory(HistoryHold::None);
    const bool answered = WaitUntil([&] { return Answered(); }, 3s);
    m_broker->StallStreams(false);
    ASSERT_TRUE(answered);
    ASSERT_TRUE(Delivered("MSFT"));
    EXPECT_EQ("", Differences("MSFT"));
}

TEST_F(SeriesFaultTest, TradesArrivingWhileTheBackfillIsOnItsWayCountOnceWithOrWithoutMarks)
{
    OpenWithATrade();
    for (bool marks : {true, false}) {
        SCOPED_TRACE(marks ? "marked answers" : "unmarked answers");
        // Without marks the broker answers as one that numbers no trades.
        m_broker->SetHistoryMarks(marks);
        m_broker->HoldHistory(HistoryHold::Requests);
        m_broker->DropStreamConnections();
        ASSERT_TRUE(m_broker->WaitForHeldHistory(1, 20000));
        ASSERT_TRUE(WaitUntil([&] { return Connected(); }, 10s));
        ASSERT_TRUE(m_broker->InjectTrade("MSFT", marks ? 301.35 : 301.05, 200));
        ASSERT_TRUE(Delivered("MSFT"));
        m_broker->HoldHistory(HistoryHold::None);
        EXPECT_TRUE(WaitUntil([&] { return Answered() && Differences("MSFT").empty(); }, 10s))
            << Differences("MSFT");
        // Live trades go on after the backfill.
        ASSERT_TRUE(m_broker->InjectTrade("MSFT", 301.20, 100));
        ASSERT_TRUE(Delivered("MSFT"));
        EXPECT_EQ("", Differences("MSFT"));
    }
}

TEST_F(SeriesFaultTest, AnOutageWhileTheBackfillIsOnItsWayIsAskedForAgain)
{
    OpenWithATrade();
    m_broker->HoldHistory(HistoryHold::Replies);
    m_broker->DropStreamConnections();
    ASSERT_TRUE(m_broker->WaitForHeldHistory(1, 20000));
    // Down again before the answer came: a trade made meanwhile is in no answer made so far.
    m_broker->SetStreamsDown(true);
    ASSERT_TRUE(WaitUntil([&] { return !Connected(); }, 10s));
    ASSERT_TRUE(m_broker->InjectTrade("MSFT", 301.45, 500));
    m_broker->SetStreamsDown(false);
    ASSERT_TRUE(WaitUntil([&] { return Connected(); }, 10s));
    ASSERT_TRUE(Delivered("MSFT"));
    m_broker->HoldHistory(HistoryHold::None);
    EXPECT_TRUE(WaitUntil([&] { return Answered() && Differences("MSFT").empty(); }, 10s)) << Differences("MSFT");
}

TEST_F(SeriesFaultTest, ServerTimesFarAheadMoveNeitherTheClockNorTheSeries)
{
    CPriceSeries& series = Open("ibm,5", 400); // back over the previous day's session
    ASSERT_TRUE(m_broker->WaitForSubscription(kServiceQuote, "IBM", 10000));
    auto valid = [&] {
        std::lock_guard<CPriceSeries> lock(series);
        int n = 0;
        for (int r = 0; r < series.GetRecordCount(); ++r)
            n += series.GetRecordAt(r)->m_bValid;
        return n;
    };
    const int validBefore = valid();
    ASSERT_GT(validBefore, 50);
    const int64_t offsetBefore = m_manager->GetSession().GetClockOffsetMs();
    const CTime lastBefore = series.GetRecordAt(series.GetRecordCount() - 1)->m_startTime;
    const DWORD nowFeed = CTimeToFeedTime(GetSeriesServices().GetExchangeTime());
    const int64_t nowMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                              std::chrono::system_clock::now().time_since_epoch())
                              .count() +
                          offsetBefore;

    // Two days ahead, a hundred years ahead, and no time at all.
    m_broker->SendHeartbeatAt(nowMs + 2 * 86400000LL);
    m_broker->SendTradeAt("IBM", nowFeed + 2 * 86400 / 2, 80.0, 500);
    m_broker->SendHeartbeatAt(nowMs + 100LL * 365 * 86400000LL);
    m_broker->SendTradeAt("IBM", nowFeed + 100u * 365 * 86400 / 2, 81.0, 500);
    m_broker->SendHeartbeatAt(INT64_MIN);
    m_broker->SendHeartbeatAt(INT64_MAX);
    // A trade of today after them: once it is in, so is all of the above.
    ASSERT_TRUE(m_broker->InjectTrade("IBM", 77.0, 100));
    ASSERT_TRUE(WaitUntil(
        [&] {
            std::lock_guard<CPriceSeries> lock(series);
            return series.GetRecordAt(series.GetRecordCount() - 1)->Close() == 77.0;
        },
        10s));

    EXPECT_NEAR(static_cast<double>(offsetBefore), static_cast<double>(m_manager->GetSession().GetClockOffsetMs()),
                2000);
    EXPECT_GE(valid(), validBefore);
    const CTime lastAfter = series.GetRecordAt(series.GetRecordCount() - 1)->m_startTime;
    EXPECT_LE(lastAfter.GetTime() - lastBefore.GetTime(), 15 * 60);
    EXPECT_TRUE(m_session.Session().LogHas("far from the known clock offset"));
    EXPECT_TRUE(m_session.Session().LogHas("is no clock time"));
}

} // namespace
