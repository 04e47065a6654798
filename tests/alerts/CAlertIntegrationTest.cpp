// Alerts against the in-process test broker: a price alert on the live quote and a
// formula alert through the running formula engine.
#include "CRecordingAlertHost.h"

#include "alerts/AlertListText.h"
#include "alerts/AlertOrders.h"
#include "alerts/CAlertBook.h"
#include "alerts/CAlertTradeInfo.h"
#include "alerts/CFormulaAlert.h"
#include "alerts/CPriceAlert.h"
#include "alerts/CStrategyAlert.h"
#include "common/services/CAppSettings.h"
#include "analytics/formula/CFormulaEngine.h"
#include "analytics/formula/FormulaNames.h"
#include "broker/session/IStreamSubscriber.h"
#include "broker/session/QuoteFields.h"
#include "tests/support/CSeriesBrokerSession.h"
#include "tests/support/WaitUntil.h"
#include "tools/testbroker/CTestBroker.h"

#include <gtest/gtest.h>

#include <atomic>
#include <set>
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

TEST_F(AlertBrokerTest, TheUserPausesResumesResetsAndDeletesAlertsWhileTheyFire)
{
    // Alerts in the book fire on the dispatcher (price alerts) and on the engine's threads
    // (formula alerts and a strategy) while the "interface thread" below reads them by the
    // ids of their deliveries, pauses, resumes, resets, edits the strategy's exit quantity,
    // deletes and adds alerts. Run under ThreadSanitizer.
    CAppSettings settings;
    CAppSettings* previous = CAppSettings::Instance();
    CAppSettings::Install(&settings);
    settings.SetAlertBook(std::make_unique<CAlertBook>(settings));
    CAlertBook& book = *CAlertBook::Instance();

    CAlertTradeInfo buy(0);
    buy.m_legs[0].orderType = "Market";
    buy.m_legs[0].quantityMode = 0;  // a dollar amount, sized at each firing
    buy.m_legs[0].quantity = 1000;
    const auto addPrice = [&](double target) {
        auto alert = std::make_unique<CPriceAlert>();
        alert->m_symbol = "IBM";
        alert->m_nColumn = kFieldLast;
        alert->m_target = target;
        alert->SetTradeInfo(&buy);
        const AlertId id = book.Add(std::move(alert));
        book.WithAlert(id, [](CAlert& a) { a.Activate(); });
        return id;
    };
    std::vector<AlertId> ids;
    for (int i = 0; i < 6; ++i)
        ids.push_back(addPrice(40 + i));
    for (int i = 0; i < 3; ++i) {
        auto formula = std::make_unique<CFormulaAlert>("NumTriggered < 1000000 AND Last > 0");
        formula->m_symbol = "IBM";
        formula->SetTradeInfo(&buy);
        const AlertId id = book.Add(std::move(formula));
        book.WithAlert(id, [](CAlert& a) { a.Activate(); });
        ids.push_back(id);
    }
    auto strategy = std::make_unique<CStrategyAlert>();
    strategy->m_symbol = "IBM";
    strategy->m_nIsMaxRoundTrips = 0;
    auto entry = std::make_unique<CFormulaAlert>("Last > 0");
    entry->m_symbol = "IBM";
    entry->SetTradeInfo(&buy);
    auto exit = std::make_unique<CFormulaAlert>("Last > 0");
    exit->m_symbol = "IBM";
    CAlertTradeInfo sell = buy;
    sell.m_legs[0].action = 1;
    sell.m_legs[0].quantityMode = 2;
    exit->SetTradeInfo(&sell);
    const AlertId entryId = entry->GetId();
    strategy->SetEntryAlert(std::move(entry));
    strategy->SetExitAlert(std::move(exit));
    const AlertId strategyId = book.Add(std::move(strategy));
    book.WithAlert(strategyId, [](CAlert& a) { a.Activate(); });
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
    std::set<AlertId> deleted;
    size_t seen = 0;
    int round = 0;
    const auto end = std::chrono::steady_clock::now() + 3000ms;
    while (std::chrono::steady_clock::now() < end) {
        // Each delivery is looked up by its id: a deleted alert is never found again.
        const auto deliveries = m_host.Deliveries();
        for (; seen < deliveries.size(); ++seen) {
            const AlertId id = deliveries[seen].event.m_nAlertId;
            const bool found = book.WithAlert(id, [&](const CAlert& alert) {
                CString text;
                alert.GetOrderText(text, deliveries[seen].event.m_nTrigger);
                int entryQuantity = 0;
                for (const COrderRecord& leg : AlertOrderLegs(alert, deliveries[seen].event.m_nTrigger, entryQuantity))
                    ASSERT_GE(leg.quantity, 0);
            });
            if (deleted.count(id)) {
                ASSERT_FALSE(found);
            }
        }
        ++round;
        book.ForEach([&](CAlert& alert) {
            (void)AlertRowTexts(alert);
            if (round % 3 == 0)
                alert.m_bPaused = 1;
            else if (round % 3 == 1)
                alert.m_bPaused = 0;
            else if (round % 7 == 2)
                alert.ResetTriggers();
        });
        PassAlertEntryQuantity(entryId, round);
        if (round % 40 == 0 && !ids.empty()) {
            // Deleted outside the book's lock, as the list does.
            std::unique_ptr<CAlert> gone = book.Remove(ids.front());
            deleted.insert(ids.front());
            ids.erase(ids.begin());
            gone.reset();
            ids.push_back(addPrice(45));
        }
        std::this_thread::sleep_for(1ms);
    }
    stop = true;
    quotes.join();
    EXPECT_GT(m_host.Count(), 10u);
    EXPECT_FALSE(deleted.empty());
    // The stored dollar amounts were never turned into shares.
    book.ForEach([](const CAlert& alert) {
        if (const auto info = alert.CopyTradeInfo()) {
            EXPECT_NE(info->m_legs[0].quantityMode, 1);
        }
    });
    book.FreeAlerts();
    CAppSettings::Install(previous);
}
