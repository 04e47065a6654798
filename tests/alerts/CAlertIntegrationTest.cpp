// Alerts against the in-process test broker: a price alert on the live quote and a
// formula alert through the running formula engine.
#include "CRecordingAlertHost.h"

#include "alerts/CAlertTradeInfo.h"
#include "alerts/CFormulaAlert.h"
#include "alerts/CPriceAlert.h"
#include "analytics/formula/CFormulaEngine.h"
#include "analytics/formula/FormulaNames.h"
#include "broker/session/IStreamSubscriber.h"
#include "broker/session/QuoteFields.h"
#include "tests/support/CSeriesBrokerSession.h"
#include "tests/support/WaitUntil.h"
#include "tools/testbroker/CTestBroker.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

using namespace std::chrono_literals;
using qx::testsupport::WaitUntil;

class AlertBrokerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_session.Start());
        InitFormulaNames();
        m_engine = std::make_unique<CFormulaEngine>();
        m_engine->Start();
        CFormulaEngine::Install(m_engine.get());
    }

    void TearDown() override
    {
        CFormulaEngine::Install(nullptr);
        if (m_engine)
            m_engine->Stop();
        m_engine.reset();
        m_session.Stop();
    }

    std::unique_ptr<CPriceAlert> PriceAlert(double target)
    {
        auto alert = std::make_unique<CPriceAlert>();
        alert->m_symbol = "IBM";
        alert->m_nColumn = kFieldLast;
        alert->m_target = target;
        alert->Activate();
        return alert;
    }

    qx::testsupport::CSeriesBrokerSession m_session;
    std::unique_ptr<CFormulaEngine> m_engine;
    CRecordingAlertHost m_host;
};

} // namespace

TEST_F(AlertBrokerTest, PriceAlertFiresOnceWhenTheLastCrossesTheTarget)
{
    auto alert = PriceAlert(200);  // above the broker's opening quote
    auto watcher = PriceAlert(1e9);  // never fires; shows which quotes arrived
    ASSERT_TRUE(m_session.Broker().WaitForSubscription(kServiceQuote, "IBM", 10000));

    ASSERT_TRUE(m_session.Broker().InjectTrade("IBM", 199.5, 100));
    ASSERT_TRUE(WaitUntil([&] { return watcher->m_lastValue.load() == 199.5; }, 10s));
    EXPECT_EQ(0u, m_host.Count());

    ASSERT_TRUE(m_session.Broker().InjectTrade("IBM", 200.25, 100));
    ASSERT_TRUE(WaitUntil([&] { return m_host.Count() >= 1; }, 10s));
    ASSERT_TRUE(m_session.Broker().InjectTrade("IBM", 201, 100));
    ASSERT_TRUE(WaitUntil([&] { return watcher->m_lastValue.load() == 201; }, 10s));

    const auto deliveries = m_host.Deliveries();
    ASSERT_EQ(1u, deliveries.size());
    EXPECT_EQ(alert.get(), deliveries[0].alert);
    EXPECT_DOUBLE_EQ(200.25, deliveries[0].event.m_price);
    EXPECT_EQ(1, alert->m_bIsTriggered.load());
    ASSERT_EQ(1u, alert->GetHistory().size());
    EXPECT_DOUBLE_EQ(200.25, alert->GetHistory()[0].m_price);
}

TEST_F(AlertBrokerTest, FormulaAlertFiresThroughTheEngine)
{
    CFormulaAlert alert("Last > 200");
    alert.m_symbol = "IBM";
    alert.Activate();
    auto watcher = PriceAlert(1e9);
    ASSERT_TRUE(m_session.Broker().WaitForSubscription(kServiceQuote, "IBM", 10000));

    ASSERT_TRUE(m_session.Broker().InjectTrade("IBM", 199, 100));
    ASSERT_TRUE(WaitUntil([&] { return watcher->m_lastValue.load() == 199; }, 10s));
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(0u, m_host.Count());

    ASSERT_TRUE(m_session.Broker().InjectTrade("IBM", 200.5, 100));
    ASSERT_TRUE(WaitUntil([&] { return m_host.Count() >= 1; }, 20s));
    ASSERT_TRUE(m_session.Broker().InjectTrade("IBM", 202, 100));
    ASSERT_TRUE(WaitUntil([&] { return watcher->m_lastValue.load() == 202; }, 10s));
    std::this_thread::sleep_for(200ms);

    const auto deliveries = m_host.Deliveries();
    ASSERT_EQ(1u, deliveries.size());
    EXPECT_EQ(&alert, deliveries[0].alert);
    EXPECT_EQ(1, deliveries[0].event.m_nTrigger);
    EXPECT_DOUBLE_EQ(200.5, deliveries[0].event.m_price);  // no order: the last price
    EXPECT_EQ(1, alert.m_bIsTriggered.load());
    EXPECT_EQ(1, alert.m_nNumTriggered.load());
}

TEST_F(AlertBrokerTest, FormulaAlertFiresOnQuotesAndThePollWhileTheUserReadsAndResets)
{
    // Keeps firing: on every quote (dispatcher thread, store lock held) and on the poll
    // (engine thread, formula lock held); each firing reads the bid for its order.
    CFormulaAlert alert("NumTriggered < 1000000 AND Last > 0 AND Second >= 0");
    alert.m_symbol = "IBM";
    CAlertTradeInfo info(0);
    info.m_legs[0].orderType = "Limit";
    info.m_legs[0].priceSource = 1;
    info.m_legs[0].quantityMode = 1;
    info.m_legs[0].quantity = 10;
    alert.SetTradeInfo(&info);
    alert.Activate();
    ASSERT_TRUE(m_session.Broker().WaitForSubscription(kServiceQuote, "IBM", 10000));

    std::atomic<bool> stop{false};
    std::thread quotes([&] {
        double price = 50;
        while (!stop) {
            m_session.Broker().InjectTrade("IBM", price, 100);
            price = price > 60 ? 50 : price + 0.25;
            std::this_thread::sleep_for(2ms);
        }
    });
    const auto end = std::chrono::steady_clock::now() + 2500ms;
    int resets = 0;
    while (std::chrono::steady_clock::now() < end) {
        CString text;
        alert.ToXml(text);
        alert.GetOrderText(text, 1);
        for (const CAlertHistoryEntry& entry : alert.GetHistory())
            ASSERT_FALSE(entry.m_date.IsEmpty());
        if (++resets % 50 == 0)
            alert.ResetTriggers();
        std::this_thread::sleep_for(1ms);
    }
    stop = true;
    quotes.join();
    EXPECT_GT(m_host.Count(), 10u);
    for (const auto& delivery : m_host.Deliveries())
        ASSERT_GE(delivery.event.m_nTrigger, 1);
}
