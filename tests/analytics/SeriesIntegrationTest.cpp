// A price series made from a request key against the in-process test broker: it fills
// from history and then follows live trades; daily bars on the trading calendar.
#include "analytics/series/CPriceSeries.h"
#include "analytics/series/CSessionSeriesServices.h"
#include "analytics/series/SeriesHooks.h"
#include "analytics/series/SeriesTime.h"
#include "broker/core/ExchangeTime.h"
#include "broker/session/CSessionManager.h"
#include "broker/session/IStreamSubscriber.h"
#include "broker/session/PriceSeriesHooks.h"
#include "tests/support/CSeriesBrokerTest.h"
#include "tests/support/WeekdayShift.h"
#include "tests/support/WaitUntil.h"
#include "tools/testbroker/CHistoryGenerator.h"
#include "tools/testbroker/CTestBroker.h"
#include "tools/testbroker/ExchangeClock.h"

#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <functional>
#include <thread>

namespace {

using namespace std::chrono_literals;

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout = 20s)
{
    return qx::testsupport::WaitUntil(condition, timeout);
}

// The broker's clock and so the session's exchange clock stand on a weekday; the
// calendar trades all day.
class SeriesIntegrationTest : public qx::testsupport::CSeriesBrokerTest {};

} // namespace

TEST_F(SeriesIntegrationTest, FillsFromHistoryThenFollowsLiveTrades)
{
    // The series reads the session's clock, which follows the broker's onto a weekday.
    const CTime now = GetSeriesServices().GetExchangeTime();
    const int weekday = now.GetLocalTm().tm_wday;
    EXPECT_TRUE(weekday >= 1 && weekday <= 5) << weekday;
    // The same wall clock as the manager's instant on the exchange's clock.
    const int64_t exchangeWall = UtcToExchangeSeconds(m_manager->GetExchangeCTime().GetTime());
    EXPECT_NEAR(static_cast<double>(CTimeToFeedTime(now)), static_cast<double>(NaiveSecondsToFeedTime(exchangeWall)), 1);
    auto deleter = [this](CPriceSeries* s) { m_manager->DeletePriceSeries(s); };
    std::unique_ptr<CPriceSeries, decltype(deleter)> series(m_manager->CreatePriceSeries("ibm,1", 0), deleter);
    ASSERT_TRUE(series);
    EXPECT_EQ(CString("IBM"), series->GetSymbol());
    series->SetWindowMode(1);
    // Enough one-minute bars to reach back over the previous day's regular session.
    ASSERT_TRUE(series->SetBarCount(3000, 0));
    ASSERT_TRUE(WaitUntil([&] { return !series->IsWaitingForData(); }, 60s));
    int valid = 0;
    series->Lock();
    for (int r = 0; r < series->GetRecordCount(); ++r)
        valid += series->GetRecordAt(r)->m_bValid;
    series->Unlock();
    EXPECT_GT(valid, 100);
    // Live trades: the newest bar follows them; 300 shares arrive as 3 lots = 300.
    // The history may be in before the stream subscription: a trade before it is lost.
    ASSERT_TRUE(m_broker->WaitForSubscription(kServiceQuote, "IBM", 10000));
    ASSERT_TRUE(m_broker->InjectTrade("IBM", 77.25, 300));
    ASSERT_TRUE(WaitUntil([&] {
        std::lock_guard<CPriceSeries> lock(*series);
        const auto last = series->GetRecordAt(series->GetRecordCount() - 1);
        return last->m_bValid && last->Close() == 77.25;
    }));
    double volume = 0;
    {
        std::lock_guard<CPriceSeries> lock(*series);
        volume = series->GetRecordAt(series->GetRecordCount() - 1)->Volume();
    }
    ASSERT_TRUE(m_broker->InjectTrade("IBM", 77.5, 300));
    ASSERT_TRUE(WaitUntil([&] {
        std::lock_guard<CPriceSeries> lock(*series);
        return series->GetRecordAt(series->GetRecordCount() - 1)->Close() == 77.5;
    }));
    std::lock_guard<CPriceSeries> lock(*series);
    const auto last = series->GetRecordAt(series->GetRecordCount() - 1);
    // The second trade may open a new minute bar; either way it added 300 shares.
    if (last->Open() == 77.5)
        EXPECT_EQ(300, last->Volume());
    else
        EXPECT_EQ(volume + 300, last->Volume());
    EXPECT_GE(last->High(), 77.5);
}

namespace {

// The session's own calendar (the regular session 09:30 to 16:00) and the broker's clock at
// half past an hour of a weekday.
class TradingCalendarSeries {
public:
    explicit TradingCalendarSeries(int hour)
        : m_session(qx::testsupport::DaysBackToWeekday(time(nullptr) + Shift(hour)), Shift(hour))
    {
    }
    ~TradingCalendarSeries() { Stop(); }
    ::testing::AssertionResult Start()
    {
        ::testing::AssertionResult started = m_session.Start();
        if (!started)
            return started;
        m_session.Install();
        RegisterPriceSeriesHooks();
        return m_session.LogIn();
    }
    void Stop()
    {
        m_session.Stop();
        SetPriceSeriesHooks({});
    }
    CSessionManager& Manager() { return m_session.Manager(); }
    qx::testbroker::CTestBroker& Broker() { return m_session.Broker(); }

private:
    // To half past the hour, away from the hour's edges.
    static int64_t Shift(int hour)
    {
        return qx::testsupport::SecondsToNoon(time(nullptr)) + (hour - 12) * 3600 + 1800;
    }
    qx::testsupport::CTestBrokerSession m_session;
};

} // namespace

TEST(TradingCalendarSeries, ADailyWindowHoldsTheBrokersBarOfEveryDayItShows)
{
    // Before the session opens (08:30) the window ends with the previous trading day; while it
    // is open (12:30), with today. Every day before today has its bar from the broker's history.
    for (const int hour : {8, 12}) {
        TradingCalendarSeries session(hour);
        ASSERT_TRUE(session.Start());
        const CTime now = GetSeriesServices().GetExchangeTime();
        ASSERT_EQ(now.GetHour(), hour);
        auto deleter = [&](CPriceSeries* s) { session.Manager().DeletePriceSeries(s); };
        std::unique_ptr<CPriceSeries, decltype(deleter)> series(session.Manager().CreatePriceSeries("IBM,D", 0),
                                                                deleter);
        ASSERT_TRUE(series);
        series->SetWindowMode(1);
        ASSERT_TRUE(series->SetBarCount(3, 0));
        ASSERT_TRUE(WaitUntil([&] { return !series->IsWaitingForData(); }));
        const qx::testbroker::PriceProfile profile = session.Broker().Symbol("IBM")->profile;
        const std::vector<CBarRecord> records = series->CopyRecords();
        ASSERT_EQ(records.size(), 3u);
        int before = 0;
        for (int r = 0; r < 3; ++r) {
            const CBarRecord& record = records[static_cast<size_t>(r)];
            const CTime start = record.m_startTime;
            const int64_t day = qx::testbroker::DaysFromDate(start.GetYear(), start.GetMonth(), start.GetDay());
            EXPECT_EQ(start.GetHour() * 60 + start.GetMinute(), 9 * 60 + 30) << hour << ":30 record " << r;
            if (start.GetDay() == now.GetDay())
                continue; // today's bar comes from the live day
            ++before;
            const auto days = qx::testbroker::CHistoryGenerator().Days(profile, day, day);
            ASSERT_EQ(days.size(), 1u);
            EXPECT_TRUE(record.m_bValid) << hour << ":30 record " << r << " of " << start.Format("%Y-%m-%d");
            EXPECT_EQ(record.Open(), days[0].open) << hour << ":30 record " << r;
            EXPECT_EQ(record.Close(), days[0].close) << hour << ":30 record " << r;
        }
        EXPECT_EQ(before, hour < 9 ? 3 : 2);
    }
}
