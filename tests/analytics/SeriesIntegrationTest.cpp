// A price series made from a request key against the in-process test broker: it fills
// from history and then follows live trades.
#include "analytics/series/CPriceSeries.h"
#include "analytics/series/CSessionSeriesServices.h"
#include "analytics/series/SeriesHooks.h"
#include "analytics/series/SeriesTime.h"
#include "broker/session/CSessionManager.h"
#include "broker/session/IStreamSubscriber.h"
#include "broker/session/PriceSeriesHooks.h"
#include "tests/support/CSeriesBrokerSession.h"
#include "tests/support/WaitUntil.h"
#include "tools/testbroker/CTestBroker.h"

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
class SeriesIntegrationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_session.Start());
        m_broker = &m_session.Broker();
        m_manager = &m_session.Manager();
    }

    void TearDown() override
    {
        m_session.Stop();
    }

    qx::testsupport::CSeriesBrokerSession m_session; // every hour of a weekday trades
    qx::testbroker::CTestBroker* m_broker = nullptr;
    CSessionManager* m_manager = nullptr;
};

} // namespace

TEST_F(SeriesIntegrationTest, FillsFromHistoryThenFollowsLiveTrades)
{
    // The series reads the session's clock, which follows the broker's onto a weekday.
    const CTime now = GetSeriesServices().GetExchangeTime();
    const int weekday = now.GetLocalTm().tm_wday;
    EXPECT_TRUE(weekday >= 1 && weekday <= 5) << weekday;
    EXPECT_NEAR(static_cast<double>(m_manager->GetExchangeCTime().GetTime()), static_cast<double>(now.GetTime()), 2);
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
