#include "CRecordingAlertHost.h"

#include "alerts/CAlertTradeInfo.h"
#include "alerts/CStrategyAlert.h"
#include "analytics/formula/FormulaNames.h"
#include "platform/core/XmlHelpers.h"

#include <gtest/gtest.h>

namespace {

CAlertTradeInfo OneLeg(int action, double quantity, int quantityMode, double price)
{
    CAlertTradeInfo info(0);
    COrderRecord& leg = info.m_legs[0];
    leg.action = action;
    leg.quantity = quantity;
    leg.quantityMode = quantityMode;
    leg.orderType = "Limit";
    leg.price = price;
    leg.expire = "DAY";
    leg.instructions = "None";
    leg.route = "Auto";
    return info;
}

// A strategy whose entry buys $1000 at 30 and whose exit sells the entry quantity.
class StrategyAlertTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { InitFormulaNames(); }

    StrategyAlertTest()
    {
        m_strategy.m_symbol = "IBM";
        m_strategy.m_strategyName = "Cross & Back";
        auto entry = std::make_unique<CFormulaAlert>("Last > 10");
        auto exit = std::make_unique<CFormulaAlert>("Last < 5");
        entry->m_symbol = exit->m_symbol = "IBM";
        const CAlertTradeInfo buy = OneLeg(0, 1000, 0, 30);
        const CAlertTradeInfo sell = OneLeg(1, 0, 2, 31);
        entry->SetTradeInfo(&buy);
        exit->SetTradeInfo(&sell);
        m_entry = entry.get();
        m_exit = exit.get();
        m_strategy.SetEntryAlert(std::move(entry));
        m_strategy.SetExitAlert(std::move(exit));
    }

    CRecordingAlertHost m_host;
    CStrategyAlert m_strategy;
    CFormulaAlert* m_entry = nullptr;
    CFormulaAlert* m_exit = nullptr;
};

} // namespace

TEST_F(StrategyAlertTest, EntriesAndExitsAlternate)
{
    EXPECT_EQ(&m_strategy, m_entry->GetOwner());
    EXPECT_EQ(&m_strategy, m_exit->GetOwner());

    m_exit->Fire();  // no position yet
    EXPECT_EQ(0u, m_host.Count());
    m_entry->Fire();
    ASSERT_EQ(1u, m_host.Count());
    EXPECT_EQ(m_entry, m_host.Deliveries()[0].alert);
    EXPECT_EQ(1, m_host.Deliveries()[0].event.m_nTrigger);
    EXPECT_EQ(0, m_entry->m_bIsTriggered.load());  // sub-alerts keep watching
    m_entry->Fire();  // a position is open
    EXPECT_EQ(1u, m_host.Count());

    // The exit formula sees the entry's price and size.
    EXPECT_DOUBLE_EQ(30, m_exit->m_entryPrice.load());
    EXPECT_EQ(33, m_exit->m_nEntryShares.load());
    CString order;
    m_strategy.GetOrderText(order, 1);
    EXPECT_EQ(order.Find("Sell 0 entry shares"), 0) << order.GetString();

    m_exit->Fire();
    ASSERT_EQ(2u, m_host.Count());
    EXPECT_EQ(m_exit, m_host.Deliveries()[1].alert);
    EXPECT_EQ(1, m_host.Deliveries()[1].event.m_nTrigger);
    EXPECT_EQ(1, m_strategy.m_nNumTriggered.load());
    EXPECT_EQ(1u, m_strategy.GetHistory().size());  // the latest step only
    m_strategy.GetOrderText(order, 1);
    EXPECT_EQ(order.Find("Buy $1000.00 worth"), 0) << order.GetString();
    m_exit->Fire();
    EXPECT_EQ(2u, m_host.Count());
    m_entry->Fire();
    EXPECT_EQ(3u, m_host.Count());
    // The entry's dollar amount is sized anew each time.
    EXPECT_EQ(0, m_entry->GetTradeInfo()->m_legs[0].quantityMode);
}

TEST_F(StrategyAlertTest, RoundTripLimitAndPauseCloseTheGate)
{
    for (int trip = 0; trip < 50; ++trip) {
        m_entry->Fire();
        m_exit->Fire();
    }
    EXPECT_EQ(50, m_strategy.m_nNumTriggered.load());
    EXPECT_EQ(100u, m_host.Count());
    m_entry->Fire();  // the 51st entry
    EXPECT_EQ(100u, m_host.Count());

    m_strategy.m_nIsMaxRoundTrips = 0;
    m_entry->Fire();
    EXPECT_EQ(101u, m_host.Count());

    m_strategy.m_bPaused = 1;
    m_exit->Fire();
    EXPECT_EQ(101u, m_host.Count());
    m_strategy.m_bPaused = 0;
    m_exit->Fire();
    EXPECT_EQ(102u, m_host.Count());

    m_strategy.ResetTriggers();
    EXPECT_EQ(0, m_strategy.m_nNumTriggered.load());
    EXPECT_EQ(0, m_entry->m_nNumTriggered.load());
    EXPECT_EQ(0, m_exit->m_nNumTriggered.load());
    EXPECT_TRUE(m_strategy.GetHistory().empty());
    EXPECT_TRUE(m_exit->GetHistory().empty());
}

TEST_F(StrategyAlertTest, PlacedEntryQuantityGoesToTheExit)
{
    m_strategy.PassEntryQuantity(40, m_exit);  // only from the entry alert
    EXPECT_EQ(0, m_exit->GetTradeInfo()->m_legs[0].quantity);
    m_strategy.PassEntryQuantity(40, m_entry);
    EXPECT_DOUBLE_EQ(40, m_exit->GetTradeInfo()->m_legs[0].quantity);
    EXPECT_EQ(40, m_exit->m_nEntryShares.load());
    m_strategy.PassEntryQuantity(0, m_entry);
    EXPECT_DOUBLE_EQ(0, m_exit->GetTradeInfo()->m_legs[0].quantity);
    EXPECT_EQ(40, m_exit->m_nEntryShares.load());
}

TEST_F(StrategyAlertTest, CopiesAndStateCarryTheSubAlerts)
{
    m_strategy.m_nNumRoundTrips = 7;
    m_strategy.m_nOverrideInterval = 1;
    m_strategy.m_interval = "5";
    m_entry->Fire();
    CStrategyAlert copy(m_strategy);
    ASSERT_NE(nullptr, copy.GetEntryAlert());
    ASSERT_NE(nullptr, copy.GetExitAlert());
    EXPECT_NE(m_entry, copy.GetEntryAlert());
    EXPECT_EQ(&copy, copy.GetEntryAlert()->GetOwner());
    EXPECT_EQ(&copy, copy.GetExitAlert()->GetOwner());
    EXPECT_EQ(7, copy.m_nNumRoundTrips);
    EXPECT_EQ(copy.m_interval, "5");
    EXPECT_EQ(0, copy.GetEntryAlert()->m_nNumTriggered.load());

    copy.CopyStateFrom(&m_strategy);
    EXPECT_EQ(1, copy.GetEntryAlert()->m_nNumTriggered.load());
    EXPECT_EQ(1u, copy.GetHistory().size());
    CString condition;
    copy.GetConditionText(condition);
    EXPECT_EQ(condition, "Cross & Back");

    CFormulaAlert formula("Last > 1");
    formula.m_nType = kAlertStrategy;
    copy.ResetTriggers();
    copy.CopyStateFrom(&formula);  // not a strategy
    EXPECT_EQ(0, copy.GetEntryAlert()->m_nNumTriggered.load());
}

TEST_F(StrategyAlertTest, ElementRoundTripKeepsEachSubAlertItsOwn)
{
    m_strategy.m_entryFormula = "Up <1>";
    m_strategy.m_exitFormula = "Down & Out";
    m_strategy.m_nOverrideInterval = 1;
    m_strategy.m_interval = "D";
    m_strategy.m_nNumRoundTrips = 3;
    m_entry->Fire();
    m_exit->Fire();
    // The strategy itself has no history and no order; its sub-alerts have both.
    m_strategy.SetHistory({});
    CString xml;
    m_strategy.ToXml(xml);
    EXPECT_NE(xml.Find("<Entry>\r\n<Alert>\r\n<Type>1</Type>"), -1);
    EXPECT_NE(xml.Find("<StrategyName><![CDATA[Cross & Back]]></StrategyName>\r\n"), -1);

    TiXmlDocument doc;
    CString error;
    ASSERT_TRUE(ParseXml(doc, xml.view(), &error)) << error.GetString();
    CStrategyAlert back;
    back.FromXml(doc.RootElement());
    EXPECT_EQ(kAlertStrategy, back.m_nType);
    EXPECT_EQ(back.m_strategyName, "Cross & Back");
    EXPECT_EQ(back.m_entryFormula, "Up <1>");
    EXPECT_EQ(back.m_exitFormula, "Down & Out");
    EXPECT_EQ(back.m_interval, "D");
    EXPECT_EQ(1, back.m_nOverrideInterval);
    EXPECT_EQ(3, back.m_nNumRoundTrips);
    EXPECT_EQ(1, back.m_nNumTriggered.load());
    EXPECT_TRUE(back.GetHistory().empty());
    EXPECT_EQ(nullptr, back.GetTradeInfo());

    CFormulaAlert* entry = back.GetEntryAlert();
    CFormulaAlert* exit = back.GetExitAlert();
    ASSERT_NE(nullptr, entry);
    ASSERT_NE(nullptr, exit);
    EXPECT_EQ(&back, entry->GetOwner());
    EXPECT_EQ(&back, exit->GetOwner());
    EXPECT_EQ(entry->GetFormulaText(), "Last > 10");
    EXPECT_EQ(exit->GetFormulaText(), "Last < 5");
    EXPECT_EQ(1u, entry->GetHistory().size());
    EXPECT_EQ(1u, exit->GetHistory().size());
    EXPECT_EQ(1, entry->m_nNumTriggered.load());
    ASSERT_NE(nullptr, entry->GetTradeInfo());
    ASSERT_NE(nullptr, exit->GetTradeInfo());
    EXPECT_EQ(0, entry->GetTradeInfo()->m_legs[0].action);
    EXPECT_EQ(1, exit->GetTradeInfo()->m_legs[0].action);
    EXPECT_EQ(2, exit->GetTradeInfo()->m_legs[0].quantityMode);

    // The restored strategy goes on where it was: a position is closed, the next is an entry.
    entry->Fire();
    EXPECT_EQ(3u, m_host.Count());
}
