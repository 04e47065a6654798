#include "CRecordingAlertHost.h"

#include "alerts/CAlertTradeInfo.h"
#include "alerts/CFormulaAlert.h"
#include "alerts/CPriceAlert.h"
#include "analytics/formula/CFormula.h"
#include "analytics/formula/FormulaNames.h"
#include "broker/core/FeedTime.h"
#include "platform/core/XmlHelpers.h"

#include <gtest/gtest.h>

namespace {

// Formula alerts fired by hand, as the engine would call them; no engine is running, so
// Activate only compiles the formula.
class FormulaAlertTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { InitFormulaNames(); }

    std::unique_ptr<CFormulaAlert> Make(const char* text)
    {
        auto alert = std::make_unique<CFormulaAlert>(text);
        alert->m_symbol = "IBM";
        alert->Activate();
        return alert;
    }

    CRecordingAlertHost m_host;
};

std::vector<int> Triggers(const CRecordingAlertHost& host)
{
    std::vector<int> triggers;
    for (const auto& delivery : host.Deliveries())
        triggers.push_back(delivery.event.m_nTrigger);
    return triggers;
}

} // namespace

TEST_F(FormulaAlertTest, WithoutTriggerCountFiresOnceUntilReset)
{
    auto alert = Make("Last > 100");
    ASSERT_TRUE(alert->GetFormula()->IsParsed());
    alert->Fire();
    EXPECT_EQ(1, alert->m_bIsTriggered.load());
    EXPECT_EQ(1, alert->m_nNumTriggered.load());
    EXPECT_EQ(std::vector<int>{1}, Triggers(m_host));
    EXPECT_EQ(1u, alert->GetHistory().size());

    alert->ResetTriggers();
    EXPECT_EQ(0, alert->m_bIsTriggered.load());
    EXPECT_EQ(0, alert->m_nNumTriggered.load());
    EXPECT_EQ(0, alert->m_nEntryDate.load());
    EXPECT_TRUE(alert->GetHistory().empty());
    alert->Fire();
    EXPECT_EQ((std::vector<int>{1, 1}), Triggers(m_host));
}

TEST_F(FormulaAlertTest, ReadingItsTriggerCountKeepsFiringAndCounting)
{
    auto alert = Make("NumTriggered < 10 AND Last > 100");
    for (int i = 0; i < 3; ++i) {
        alert->Fire();
        EXPECT_EQ(0, alert->m_bIsTriggered.load());
    }
    EXPECT_EQ((std::vector<int>{1, 2, 3}), Triggers(m_host));
    EXPECT_EQ(3, alert->m_nNumTriggered.load());
    EXPECT_EQ(3u, alert->GetHistory().size());

    // Paused: dropped, not counted.
    alert->m_bPaused = 1;
    alert->Fire();
    EXPECT_EQ(3u, m_host.Count());
    EXPECT_EQ(3, alert->m_nNumTriggered.load());
}

TEST_F(FormulaAlertTest, EntryValuesComeFromTheTradeInfoAndFlipWithTheTrigger)
{
    auto alert = Make("NumTriggered < 10");
    CAlertTradeInfo info(0);
    COrderRecord& leg = info.m_legs[0];
    leg.action = 0;
    leg.orderType = "Limit";
    leg.price = 30;
    leg.quantity = 1000;
    leg.quantityMode = 0;
    alert->SetTradeInfo(&info);

    alert->Fire();
    EXPECT_DOUBLE_EQ(30, alert->m_entryPrice.load());
    EXPECT_EQ(33, alert->m_nEntryShares.load());
    SYSTEMTIME now{};
    GetAlertExchangeTime(now);
    const int today = MakeDateNumber(now.wYear, now.wMonth, now.wDay);
    EXPECT_NEAR(today, alert->m_nEntryDate.load(), 1);  // midnight may pass in between
    EXPECT_GT(alert->m_nEntryTime.load(), 0);
    const auto first = m_host.Deliveries();
    ASSERT_EQ(1u, first.size());
    EXPECT_DOUBLE_EQ(30, first[0].event.m_price);
    EXPECT_EQ(alert->GetHistory()[0].m_date, first[0].event.m_date);

    // Every firing sizes the dollar amount anew at its own price: the sale rounds up.
    alert->Fire();
    EXPECT_EQ(34, alert->m_nEntryShares.load());
    EXPECT_EQ(0, alert->GetTradeInfo()->m_legs[0].quantityMode);
    EXPECT_EQ(2, m_host.Deliveries()[1].event.m_nTrigger);
}

TEST_F(FormulaAlertTest, FormulaThatDoesNotCompileIsNeverRegistered)
{
    auto alert = Make("Last >>> (");
    ASSERT_NE(nullptr, alert->GetFormula());
    EXPECT_FALSE(alert->GetFormula()->IsParsed());
    alert->ResetTriggers();  // no compiled inputs to set: nothing breaks
    EXPECT_EQ(0, alert->m_nNumTriggered.load());

    CFormulaAlert empty("");
    EXPECT_EQ(nullptr, empty.GetFormula());
    empty.Activate();
    CString text;
    empty.GetConditionText(text);
    EXPECT_EQ(text, "");
}

TEST_F(FormulaAlertTest, CopyBuildsANewFormulaAndStateCopiesOnlyFromFormulaAlerts)
{
    auto alert = Make("Last > 1\r\nAND Bid > 0");
    alert->m_nType = 3;
    alert->Fire();
    ASSERT_EQ(1, alert->m_nNumTriggered.load());

    CFormulaAlert copy(*alert);
    EXPECT_EQ(kAlertFormula, copy.m_nType);
    ASSERT_NE(nullptr, copy.GetFormula());
    EXPECT_NE(alert->GetFormula(), copy.GetFormula());
    EXPECT_EQ(copy.GetFormulaText(), alert->GetFormulaText());
    EXPECT_EQ(0, copy.m_nNumTriggered.load());
    EXPECT_EQ(nullptr, copy.GetOwner());
    CString condition;
    copy.GetConditionText(condition);
    EXPECT_EQ(condition, "Last > 1AND Bid > 0");

    // Only a formula alert of type 1 hands its state over.
    copy.CopyStateFrom(alert.get());
    EXPECT_EQ(0, copy.m_nNumTriggered.load());
    alert->m_nType = kAlertFormula;
    copy.CopyStateFrom(alert.get());
    EXPECT_EQ(1, copy.m_nNumTriggered.load());
    EXPECT_EQ(1, copy.m_bIsTriggered.load());
    EXPECT_EQ(alert->m_nEntryTime.load(), copy.m_nEntryTime.load());
    EXPECT_EQ(1u, copy.GetHistory().size());

    CPriceAlert price;
    price.m_bPaused = 1;
    copy.CopyStateFrom(&price);
    EXPECT_EQ(0, copy.m_bPaused.load());
}

TEST_F(FormulaAlertTest, ElementRoundTripKeepsOperatorsInCData)
{
    CFormulaAlert alert("Last < 10 && Bid > 0 ]]> x");
    alert.m_symbol = "A&B<C>";  // free texts outside CDATA are escaped
    alert.m_nNumTriggered = 4;
    alert.m_entryPrice = 12.5;
    alert.m_nEntryShares = 200;
    alert.m_nEntryDate = 20260102;
    alert.m_nEntryTime = 1767366000;
    CString kind;
    alert.TypeXml(kind);
    EXPECT_EQ(kind, "<FormulaExp><![CDATA[Last < 10 && Bid > 0 ]]]]><![CDATA[> x]]></FormulaExp>\r\n"
                    "<NumTriggered>4</NumTriggered>\r\n<EntryPrice>12.500000</EntryPrice>\r\n"
                    "<EntryShares>200</EntryShares>\r\n<EntryDate>20260102</EntryDate>\r\n"
                    "<EntryTime>1767366000</EntryTime>\r\n");

    CString xml;
    alert.ToXml(xml);
    TiXmlDocument doc;
    CString error;
    ASSERT_TRUE(ParseXml(doc, xml.view(), &error)) << error.GetString();
    CFormulaAlert back;
    back.FromXml(doc.RootElement());
    EXPECT_EQ(back.GetFormulaText(), "Last < 10 && Bid > 0 ]]> x");
    EXPECT_NE(xml.Find("<Symbol>A&amp;B&lt;C&gt;</Symbol>"), -1);
    EXPECT_EQ(back.m_symbol, "A&B<C>");
    EXPECT_EQ(4, back.m_nNumTriggered.load());
    EXPECT_DOUBLE_EQ(12.5, back.m_entryPrice.load());
    EXPECT_EQ(200, back.m_nEntryShares.load());
    EXPECT_EQ(20260102, back.m_nEntryDate.load());
    EXPECT_EQ(1767366000, back.m_nEntryTime.load());

    // No formula: an empty CDATA, read back as none.
    CFormulaAlert none;
    none.ToXml(xml);
    EXPECT_NE(xml.Find("<FormulaExp><![CDATA[]]></FormulaExp>"), -1);
    TiXmlDocument again;
    ASSERT_TRUE(ParseXml(again, xml.view(), &error));
    CFormulaAlert empty;
    empty.FromXml(again.RootElement());
    EXPECT_EQ(nullptr, empty.GetFormula());
}
