// A price series made from a request key against the in-process test broker: it fills
// from history and then follows live trades.
#include "analytics/series/CPriceSeries.h"
#include "analytics/series/CSessionSeriesServices.h"
#include "analytics/series/SeriesHooks.h"
#include "analytics/series/SeriesTime.h"
#include "broker/session/CPlatformHttpTransport.h"
#include "broker/session/CSessionManager.h"
#include "broker/session/CTcpStreamConnection.h"
#include "broker/session/PriceSeriesHooks.h"
#include "tools/testbroker/CTestBroker.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <thread>

namespace {

using namespace std::chrono_literals;

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout = 20s)
{
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < end) {
        if (condition())
            return true;
        std::this_thread::sleep_for(10ms);
    }
    return condition();
}

class NullSink : public ISessionStatusSink {
public:
    void OnSessionStatus(UINT, const CSessionStatus& status) override
    {
        if (status.code == kStatusLoginResult)
            loggedIn = status.success;
    }
    std::atomic<bool> loggedIn{false};
};

// The session's services with a calendar that trades all day on weekdays, so the test
// runs at any hour.
class AllDayServices : public CSessionSeriesServices {
public:
    AllDayServices()
    {
        m_rules.regular = {1, 0, 24 * 60};
        m_rules.extended = {1, 0, 24 * 60};
        SetSeriesServices(this);
    }
    ~AllDayServices() override { SetSeriesServices(nullptr); }
    const CSessionRules* FindSessionRules(const char*) override { return &m_rules; }

private:
    CSessionRules m_rules;
};

class SeriesIntegrationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        qx::testbroker::TestBrokerOptions options;
        options.httpsPort = 0;
        options.streamPort = 0;
        options.startPaused = true;
        options.heartbeatMs = 200;
        m_broker = std::make_unique<qx::testbroker::CTestBroker>(options);
        std::string error;
        ASSERT_TRUE(m_broker->Start(error)) << error;
        CSessionConfig config;
        config.apiServer = m_broker->BaseUrl();
        config.historyServer = m_broker->BaseUrl();
        config.updateFile = m_broker->BaseUrl() + "/update/QxUpdate.xml";
        config.keepAliveMs = 300;
        config.retryMs = 200;
        m_http = std::make_unique<CPlatformHttpTransport>(CString(m_broker->CaFile()), 10000);
        const char* root = std::getenv("QX_SOURCE_DIR");
        m_manager = std::make_unique<CSessionManager>(CString(root ? root : ".") + "/broker/session", config,
                                                      m_http.get(), &CTcpStreamConnection::Create);
        m_manager->SetStatusWindow(&m_sink);
        CSessionManager::Install(m_manager.get());
        RegisterPriceSeriesHooks();
        ASSERT_TRUE(m_manager->StartLogin("demo", "demo"));
        ASSERT_TRUE(WaitUntil([&] { return m_sink.loggedIn.load(); }));
        ASSERT_TRUE(WaitUntil([&] { return m_manager->IsStreamConnected(CBrokerSession::kStreamMarketData); }));
    }

    void TearDown() override
    {
        if (m_manager)
            m_manager->LogOut();
        CSessionManager::Install(nullptr);
        m_manager.reset();
        SetPriceSeriesHooks({});
        if (m_broker)
            m_broker->Stop();
    }

    AllDayServices m_services;
    std::unique_ptr<qx::testbroker::CTestBroker> m_broker;
    std::unique_ptr<CPlatformHttpTransport> m_http;
    std::unique_ptr<CSessionManager> m_manager;
    NullSink m_sink;
};

} // namespace

TEST_F(SeriesIntegrationTest, FillsFromHistoryThenFollowsLiveTrades)
{
    const CTime now = m_manager->GetExchangeCTime();
    const int weekday = now.GetLocalTm().tm_wday;
    if (weekday == 0 || weekday == 6)
        GTEST_SKIP() << "no session on a weekend";
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
    ASSERT_TRUE(m_broker->InjectTrade("IBM", 77.25, 300));
    ASSERT_TRUE(WaitUntil([&] {
        std::lock_guard<CPriceSeries> lock(*series);
        const CBarRecord* last = series->GetRecordAt(series->GetRecordCount() - 1);
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
    const CBarRecord* last = series->GetRecordAt(series->GetRecordCount() - 1);
    // The second trade may open a new minute bar; either way it added 300 shares.
    if (last->Open() == 77.5)
        EXPECT_EQ(300, last->Volume());
    else
        EXPECT_EQ(volume + 300, last->Volume());
    EXPECT_GE(last->High(), 77.5);
}
