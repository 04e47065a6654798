#include "CRecordingAlertHost.h"

#include "alerts/CAlertBook.h"
#include "alerts/CAlertTradeInfo.h"
#include "alerts/CPriceAlert.h"
#include "broker/session/CSessionManager.h"
#include "broker/session/CSymbolHandle.h"
#include "broker/session/QuoteFields.h"
#include "broker/session/SessionConfig.h"
#include "common/services/CAppSettings.h"

#include <gtest/gtest.h>

#include <cctype>

namespace {

// "MM/DD/YYYY HH:MM:SS"
bool IsDateText(const CString& text)
{
    const char* pattern = "dd/dd/dddd dd:dd:dd";
    if (text.GetLength() != static_cast<int>(std::char_traits<char>::length(pattern)))
        return false;
    for (int i = 0; i < text.GetLength(); ++i) {
        const bool digit = std::isdigit(static_cast<unsigned char>(text[i])) != 0;
        if (pattern[i] == 'd' ? !digit : text[i] != pattern[i])
            return false;
    }
    return true;
}

// A session manager without a broker: the test applies quotes as the dispatcher would.
class PriceAlertTest : public ::testing::Test {
protected:
    PriceAlertTest() : m_manager(QX_BROKER_SESSION_DIR, CSessionConfig{}, nullptr, nullptr)
    {
        CSessionManager::Install(&m_manager);
    }
    ~PriceAlertTest() override { CSessionManager::Install(nullptr); }

    void Quote(const char* symbol, std::initializer_list<std::pair<int, double>> fields)
    {
        CQuoteMessage message;
        message.m_symbol = symbol;
        for (auto [id, value] : fields)
            message.AddField(id, value);
        m_manager.GetQuoteStore().ApplyQuote(message);
    }

    std::unique_ptr<CPriceAlert> Watch(int column, double target, int direction)
    {
        auto alert = std::make_unique<CPriceAlert>();
        alert->m_symbol = "IBM";
        alert->m_nColumn = column;
        alert->m_target = target;
        alert->m_nDirection = direction;
        alert->Activate();
        EXPECT_NE(nullptr, alert->GetQuoteHandle());
        return alert;
    }

    CSessionManager m_manager;
    CRecordingAlertHost m_host;
};

} // namespace

TEST_F(PriceAlertTest, FiresAtTheTargetFromAboveAndBelowOnceUntilReset)
{
    auto rising = Watch(kFieldLast, 100, 0);
    auto falling = Watch(kFieldBid, 50, 1);
    Quote("IBM", {{kFieldLast, 99.99}, {kFieldBid, 50.01}});
    EXPECT_EQ(0u, m_host.Count());
    EXPECT_DOUBLE_EQ(99.99, rising->m_lastValue.load());

    Quote("IBM", {{kFieldLast, 100}, {kFieldBid, 50}});
    auto deliveries = m_host.Deliveries();
    ASSERT_EQ(2u, deliveries.size());
    for (const auto& delivery : deliveries) {
        EXPECT_TRUE(delivery.hasEvent);
        EXPECT_EQ(1, delivery.event.m_nTrigger);
        EXPECT_DOUBLE_EQ(100, delivery.event.m_price);  // the last price at firing
        EXPECT_TRUE(IsDateText(delivery.event.m_date)) << delivery.event.m_date.GetString();
    }
    EXPECT_EQ(1, rising->m_bIsTriggered.load());
    EXPECT_EQ(1, falling->m_bIsTriggered.load());
    ASSERT_EQ(1u, rising->GetHistory().size());
    EXPECT_EQ(rising->GetHistory()[0].m_date, deliveries[0].event.m_date);

    Quote("IBM", {{kFieldLast, 120}, {kFieldBid, 10}});
    EXPECT_EQ(2u, m_host.Count());

    rising->ResetTriggers();
    Quote("IBM", {{kFieldLast, 121}});
    ASSERT_EQ(3u, m_host.Count());
    EXPECT_EQ(rising.get(), m_host.Deliveries()[2].alert);
    EXPECT_DOUBLE_EQ(121, m_host.Deliveries()[2].event.m_price);
}

TEST_F(PriceAlertTest, PausedOrOutsideTheCheckingHoursNothingFires)
{
    auto alert = Watch(kFieldLast, 100, 0);
    alert->m_bPaused = 1;
    Quote("IBM", {{kFieldLast, 101}});
    EXPECT_EQ(0u, m_host.Count());
    EXPECT_TRUE(alert->GetHistory().empty());
    EXPECT_EQ(0, alert->m_bIsTriggered.load());

    // A window that ends before it starts is never open.
    CAppSettings settings;
    auto book = std::make_unique<CAlertBook>(settings);
    CAlertHours& hours = book->m_alertHours;
    hours.m_nCheckTime = 1;
    hours.m_nFromHour = 23;
    hours.m_nFromMinute = 59;
    hours.m_nToHour = 0;
    hours.m_nToMinute = 0;
    settings.SetAlertBook(std::move(book));
    CAppSettings::Install(&settings);
    alert->m_bPaused = 0;
    Quote("IBM", {{kFieldLast, 102}});
    EXPECT_EQ(0u, m_host.Count());
    EXPECT_TRUE(alert->GetHistory().empty());

    hours.m_nCheckTime = 0;
    Quote("IBM", {{kFieldLast, 103}});
    EXPECT_EQ(1u, m_host.Count());
    CAppSettings::Install(nullptr);
}

TEST_F(PriceAlertTest, LegPricesFollowTheQuoteWithTheOrdersPrecision)
{
    auto alert = Watch(kFieldLast, 1000, 0);
    CAlertTradeInfo info(0);
    COrderRecord& leg = info.m_legs[0];
    leg.orderType = "Limit";
    leg.price = 5;
    leg.quantity = 1000;
    leg.quantityMode = 0;
    alert->SetTradeInfo(&info);
    Quote("IBM", {{kFieldLast, 0.123456}, {kFieldBid, 30.001}, {kFieldAsk, 40.004}});

    int quantity = 0;
    double price = 0;
    alert->GetLegPrice(0, 0, 1, 0.05, quantity, price);  // bid + 0.05
    EXPECT_DOUBLE_EQ(30.05, price);
    EXPECT_EQ(33, quantity);
    alert->GetLegPrice(0, 0, 2, -0.004, quantity, price);  // ask - 0.004
    EXPECT_DOUBLE_EQ(40.0, price);
    alert->GetLegPrice(0, 0, 3, 0, quantity, price);  // a stock below 1 keeps four decimals
    EXPECT_DOUBLE_EQ(0.1235, price);
    alert->GetLegPrice(0, 0, 0, 0, quantity, price);  // a limit's own price
    EXPECT_DOUBLE_EQ(5, price);
}

TEST_F(PriceAlertTest, AlertDeletedWhileWatchingStopsListening)
{
    auto alert = Watch(kFieldLast, 100, 0);
    alert.reset();
    Quote("IBM", {{kFieldLast, 150}});
    EXPECT_EQ(0u, m_host.Count());
    // Activating twice keeps one handle.
    auto twice = Watch(kFieldLast, 100, 0);
    CSymbolHandle* handle = twice->GetQuoteHandle();
    twice->Activate();
    EXPECT_EQ(handle, twice->GetQuoteHandle());
    Quote("IBM", {{kFieldLast, 151}});
    EXPECT_EQ(1u, m_host.Count());
}
