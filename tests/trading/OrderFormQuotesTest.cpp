// Legs that follow live quotes of the test broker: the listener tells the form from the
// dispatcher thread, the form then reads the quote; handles go with their symbol.
#include "broker/session/CSessionManager.h"
#include "broker/session/CSymbolHandle.h"
#include "broker/session/QuoteFields.h"
#include "tests/support/CTestBrokerSession.h"
#include "tests/support/WaitUntil.h"
#include "tests/trading/FakeOrderForm.h"
#include "trading/COrderFormLogic.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace order_ids;
using namespace std::chrono_literals;

namespace {

// Counts the quote notices, which arrive on the session's dispatcher thread.
class CQuoteCountingControls : public CFakeOrderControls {
public:
    CQuoteCountingControls() : CFakeOrderControls(1) {}
    std::function<void(int)> QuoteNotifier() override
    {
        return [this](int leg) {
            if (leg == 0)
                ++notices;
        };
    }
    std::atomic<int> notices{0};
};

}  // namespace

TEST(OrderFormQuotes, APriceFollowsItsQuoteAndDollarsUseTheLastTrade)
{
    qx::testsupport::CTestBrokerSession session;
    ASSERT_TRUE(session.Start());
    session.Install();
    ASSERT_TRUE(session.LogIn());
    auto& broker = session.Broker();
    {
        CTradingTestEnvironment env;
        CQuoteCountingControls controls;
        COrderFormLogic logic(controls, 0);
        logic.InitControls();
        controls.Type(kSymbol, "IBM");
        logic.OnSymbolChanged(0);
        ASSERT_TRUE(logic.HasQuoteHandle(0));
        ASSERT_TRUE(broker.WaitForSubscription(0, "IBM", 30000));
        // Whether the session's quote of IBM holds the value; the form's notices may still
        // be on their way, and the subscription's first image may come after a later count.
        const auto quoteHolds = [&](int field, double expected) {
            double value = 0;
            CSymbolHandle* probe = session.Manager().CreateSymbolHandle("IBM");
            probe->Subscribe();
            const bool ok = probe->GetField(field, value) && value == expected;
            session.Manager().DeleteSymbolHandle(probe);
            return ok;
        };

        controls.priceSourceChoice = 1;  // the bid
        logic.OnPriceSourceButton(0);
        const int before = controls.notices.load();
        ASSERT_TRUE(broker.InjectQuote("IBM", {{6, false, 123.45, {}}, {7, false, 123.55, {}}}));
        ASSERT_TRUE(qx::testsupport::WaitUntil(
            [&] {
                return controls.notices.load() > before && quoteHolds(kFieldBid, 123.45) &&
                       quoteHolds(kFieldAsk, 123.55);
            },
            30s));
        logic.OnQuoteChanged(0);  // what the page does on the posted notice
        EXPECT_EQ(controls[kPrice].text, "123.45");
        controls.priceSourceChoice = 4;
        controls.offsetAnswer = std::pair{2, 0.05};  // the ask plus five cents
        logic.OnPriceSourceButton(0);
        EXPECT_EQ(controls[kPrice].text, "123.60");

        // A dollar amount at market is divided by the last trade.
        ASSERT_TRUE(broker.InjectTrade("IBM", 40.0, 100));
        ASSERT_TRUE(qx::testsupport::WaitUntil([&] { return quoteHolds(kFieldLast, 40.0); }, 30s));
        logic.CycleQuantityMode(0);
        controls.Type(kQuantity, "1000");
        ASSERT_TRUE(controls.Pick(kOrderType, "Market"));
        logic.OnOrderTypeChanged(0);
        logic.Submit(1);
        ASSERT_EQ(env.host.submissions.size(), 1u) << (controls.messages.empty() ? "" : controls.messages.back().str());
        EXPECT_EQ(env.host.submissions[0].legs[0].quantity, 25);

        // A new symbol takes a new handle; clearing lets every handle go.
        controls.Type(kSymbol, "MSFT");
        logic.OnSymbolChanged(0);
        ASSERT_TRUE(logic.HasQuoteHandle(0));
        ASSERT_TRUE(broker.WaitForSubscription(0, "MSFT", 30000));
        logic.Clear();
        EXPECT_FALSE(logic.HasQuoteHandle(0));
        // Quotes after the form is gone reach nobody.
        controls.Type(kSymbol, "AAPL");
        logic.OnSymbolChanged(0);
    }
    ASSERT_TRUE(broker.InjectQuote("AAPL", {{6, false, 10.0, {}}}));
    std::this_thread::sleep_for(50ms);
    session.Stop();
}
