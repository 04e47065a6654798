#include "CRecordingAlertHost.h"

#include "alerts/CAlert.h"
#include "alerts/CAlertTradeInfo.h"
#include "alerts/CFormulaAlert.h"
#include "alerts/CPriceAlert.h"
#include "alerts/CStrategyAlert.h"
#include "platform/core/XmlHelpers.h"

#include <gtest/gtest.h>

namespace {

// A limit leg of a dollar amount at a fixed price: no quote is needed to size it.
CAlertTradeInfo DollarLeg(int symbolType, int action, double amount, double price)
{
    CAlertTradeInfo info(symbolType);
    COrderRecord& leg = info.m_legs[0];
    leg.action = action;
    leg.quantity = amount;
    leg.quantityMode = 0;
    leg.orderType = "Limit";
    leg.price = price;
    leg.priceSource = 0;
    leg.priceOffset = 0;
    return info;
}

struct LegResult {
    int quantity = 0;
    double price = 0;
};

LegResult LegPrice(CAlert& alert, int action)
{
    LegResult result;
    alert.GetLegPrice(0, action, 0, 0, result.quantity, result.price);
    return result;
}

TiXmlDocument Parse(const CString& text)
{
    TiXmlDocument doc;
    CString error;
    EXPECT_TRUE(ParseXml(doc, text.view(), &error)) << error.GetString();
    return doc;
}

} // namespace

TEST(Alert, DollarAmountsBecomeWholeSharesRoundedUpForSales)
{
    const std::pair<int, int> cases[] = {{0, 33}, {1, 34}, {2, 34}, {3, 33}};
    for (auto [action, shares] : cases) {
        CAlert alert(kAlertGeneral);
        const CAlertTradeInfo info = DollarLeg(0, action, 1000, 30);
        alert.SetTradeInfo(&info);
        const LegResult result = LegPrice(alert, action);
        EXPECT_EQ(shares, result.quantity) << action;
        EXPECT_DOUBLE_EQ(30, result.price);
        // The stored leg stays a dollar amount: the next firing sizes at its own price.
        EXPECT_EQ(0, alert.GetTradeInfo()->m_legs[0].quantityMode);
        EXPECT_DOUBLE_EQ(1000, alert.GetTradeInfo()->m_legs[0].quantity);
    }
    CAlert cheaper(kAlertGeneral);
    const CAlertTradeInfo first = DollarLeg(0, 0, 1000, 30);
    cheaper.SetTradeInfo(&first);
    EXPECT_EQ(33, LegPrice(cheaper, 0).quantity);
    CAlertTradeInfo later = first;
    later.m_legs[0].price = 20;  // the same $1000 at 20 buys 50
    cheaper.SetTradeInfo(&later);
    EXPECT_EQ(50, LegPrice(cheaper, 0).quantity);
    // Options: contracts of 100; an exact amount is not rounded up.
    CAlert option(kAlertGeneral);
    const CAlertTradeInfo contracts = DollarLeg(1, 1, 1000, 2.5);
    option.SetTradeInfo(&contracts);
    EXPECT_EQ(4, LegPrice(option, 1).quantity);
}

TEST(Alert, DollarAmountWithoutPriceKeepsTheAmount)
{
    // A market leg without any quote has no price: nothing is bought, nothing is divided
    // by zero, and the amount stays for the next firing.
    CAlert alert(kAlertGeneral);
    CAlertTradeInfo info = DollarLeg(0, 0, 1000, 0);
    info.m_legs[0].orderType = "Market";
    alert.SetTradeInfo(&info);
    const LegResult result = LegPrice(alert, 0);
    EXPECT_EQ(0, result.quantity);
    EXPECT_EQ(0, result.price);
    EXPECT_EQ(0, alert.GetTradeInfo()->m_legs[0].quantityMode);
    EXPECT_DOUBLE_EQ(1000, alert.GetTradeInfo()->m_legs[0].quantity);

    // A strategy's sub-alert sizes every firing anew.
    CStrategyAlert strategy;
    auto entry = std::make_unique<CFormulaAlert>("Last>1");
    const CAlertTradeInfo priced = DollarLeg(0, 0, 1000, 30);
    entry->SetTradeInfo(&priced);
    CFormulaAlert* sub = entry.get();
    strategy.SetEntryAlert(std::move(entry));
    EXPECT_EQ(33, LegPrice(*sub, 0).quantity);
    EXPECT_EQ(0, sub->GetTradeInfo()->m_legs[0].quantityMode);

    CAlert none(kAlertGeneral);
    const LegResult empty = LegPrice(none, 0);
    EXPECT_EQ(0, empty.quantity);
    EXPECT_EQ(0, empty.price);
}

TEST(Alert, TextsWithAndWithoutTradeInfo)
{
    CRecordingAlertHost host;
    CAlert alert(kAlertGeneral);
    CString text;
    alert.GetOrderText(text, 1);
    EXPECT_EQ(text, "None");
    alert.GetAccountText(text);
    EXPECT_EQ(text, "");

    CAlertTradeInfo info = DollarLeg(0, 0, 1000, 30);
    info.m_nAcctType = 2;
    info.m_accounts = {"A1", "B2"};
    alert.SetTradeInfo(&info);
    alert.GetAccountText(text);
    EXPECT_EQ(text, "mode 2 flag 0: A1 B2");
    alert.GetOrderText(text, 2);
    EXPECT_EQ(text, info.GetOrderText(2));

    // SetTradeInfo copies; null removes it.
    info.m_accounts.clear();
    EXPECT_EQ(2u, alert.GetTradeInfo()->m_accounts.size());
    alert.SetTradeInfo(nullptr);
    EXPECT_EQ(nullptr, alert.GetTradeInfo());
}

TEST(Alert, CopyTakesSettingsButNoStateAndStateCopiesApart)
{
    CPriceAlert alert;
    alert.m_symbol = "IBM";
    alert.m_soundFile = "ding.wav";
    alert.m_nColumn = 6;
    alert.m_target = 12.5;
    alert.m_nDirection = 1;
    const CAlertTradeInfo info = DollarLeg(0, 1, 500, 10);
    alert.SetTradeInfo(&info);
    alert.m_bIsTriggered = 1;
    alert.m_bPaused = 1;
    alert.InsertHistory({"01/02/2026 10:00:00", 12.5});

    CPriceAlert copy(alert);
    EXPECT_EQ(copy.m_symbol, "IBM");
    EXPECT_EQ(copy.m_soundFile, "ding.wav");
    EXPECT_EQ(6, copy.m_nColumn);
    EXPECT_EQ(1, copy.m_nDirection);
    ASSERT_NE(nullptr, copy.GetTradeInfo());
    EXPECT_NE(alert.GetTradeInfo(), copy.GetTradeInfo());
    EXPECT_EQ(0, copy.m_bIsTriggered.load());
    EXPECT_EQ(0, copy.m_bPaused.load());
    EXPECT_TRUE(copy.GetHistory().empty());

    copy.CopyStateFrom(&alert);
    EXPECT_EQ(1, copy.m_bIsTriggered.load());
    EXPECT_EQ(1, copy.m_bPaused.load());
    ASSERT_EQ(1u, copy.GetHistory().size());
    copy.CopyStateFrom(nullptr);
    EXPECT_EQ(1u, copy.GetHistory().size());

    copy.ResetTriggers();
    EXPECT_EQ(0, copy.m_bIsTriggered.load());
    EXPECT_EQ(0, copy.m_bPaused.load());
    EXPECT_TRUE(copy.GetHistory().empty());
    EXPECT_EQ(1u, alert.GetHistory().size());
}

TEST(Alert, PriceAlertElementRoundTrip)
{
    CPriceAlert alert;
    alert.m_symbol = "IBM";
    alert.m_soundFile = "C:\\Sounds\\R&B.wav";
    alert.m_nColumn = 7;
    alert.m_target = 101.25;
    alert.m_nDirection = 1;
    alert.m_bIsTriggered = 1;
    alert.InsertHistory({"01/02/2026 10:00:00", 100});
    alert.InsertHistory({"01/03/2026 11:30:05", 101.2575});
    CString xml;
    alert.ToXml(xml);
    EXPECT_EQ(xml, "<Alert>\r\n<Type>0</Type>\r\n<IsTriggered>1</IsTriggered>\r\n<Paused>0</Paused>\r\n"
                   "<Symbol>IBM</Symbol>\r\n<History>\r\n"
                   "<Date price=\"101.2575\">01/03/2026 11:30:05</Date>\r\n"
                   "<Date price=\"100.00\">01/02/2026 10:00:00</Date>\r\n</History>\r\n"
                   "<File>C:\\Sounds\\R&amp;B.wav</File>\r\n"
                   "<Column>7</Column>\r\n<Target>101.250000</Target>\r\n<Direction>1</Direction>\r\n</Alert>\r\n");

    TiXmlDocument doc = Parse(xml);
    CPriceAlert back;
    back.FromXml(doc.RootElement());
    EXPECT_EQ(back.m_symbol, "IBM");
    EXPECT_EQ(back.m_soundFile, alert.m_soundFile);
    EXPECT_EQ(7, back.m_nColumn);
    EXPECT_DOUBLE_EQ(101.25, back.m_target);
    EXPECT_EQ(1, back.m_nDirection);
    EXPECT_EQ(1, back.m_bIsTriggered.load());
    const auto history = back.GetHistory();
    ASSERT_EQ(2u, history.size());
    EXPECT_EQ(history[0].m_date, "01/03/2026 11:30:05");
    EXPECT_DOUBLE_EQ(101.2575, history[0].m_price);
    EXPECT_EQ(history[1].m_date, "01/02/2026 10:00:00");
    EXPECT_EQ(nullptr, back.GetTradeInfo());
    CString condition;
    back.GetConditionText(condition);
    EXPECT_EQ(condition, "Ask <= 101.25");
}

TEST(Alert, ReadingKeepsMissingFieldsAndSkipsEmptyDates)
{
    TiXmlDocument doc = Parse("<ALERT><type>0</type><symbol>MSFT</symbol><Target></Target><history>"
                              "<date price=\"5\">01/01/2026 09:30:00</date><Date price=\"6\"></Date>"
                              "<Date>01/01/2026 09:31:00</Date></history>"
                              "<TradeInfo><AcctType>1</AcctType><Leg><QtyAmt>5</QtyAmt></Leg></TradeInfo></ALERT>");
    CPriceAlert alert;
    alert.m_target = 42;
    alert.m_nColumn = 3;
    alert.m_soundFile = "keep.wav";
    alert.FromXml(doc.RootElement());
    EXPECT_EQ(alert.m_symbol, "MSFT");
    EXPECT_DOUBLE_EQ(42, alert.m_target);
    EXPECT_EQ(3, alert.m_nColumn);
    EXPECT_EQ(alert.m_soundFile, "keep.wav");
    const auto history = alert.GetHistory();
    ASSERT_EQ(2u, history.size());
    EXPECT_DOUBLE_EQ(5, history[0].m_price);
    EXPECT_EQ(history[1].m_date, "01/01/2026 09:31:00");
    EXPECT_EQ(0, history[1].m_price);
    ASSERT_NE(nullptr, alert.GetTradeInfo());
    EXPECT_EQ(1, alert.GetTradeInfo()->m_nAcctType);
    EXPECT_EQ(0, alert.GetTradeInfo()->m_nSymbolType);
    EXPECT_DOUBLE_EQ(5, alert.GetTradeInfo()->m_legs[0].quantity);
}

TEST(Alert, HistoryPricesOfAMillionAndMoreReadBackUnchanged)
{
    CAlert alert(kAlertGeneral);
    alert.InsertHistory({"01/02/2026 10:00:00", 1234567.5});
    CString xml;
    alert.ToXml(xml);
    EXPECT_NE(xml.Find("price=\"1234567.50\""), -1) << xml.GetString();
    TiXmlDocument doc = Parse(xml);
    CAlert back(kAlertGeneral);
    back.FromXml(doc.RootElement());
    ASSERT_EQ(1u, back.GetHistory().size());
    EXPECT_DOUBLE_EQ(1234567.5, back.GetHistory()[0].m_price);

    // Older files hold the scaled form.
    TiXmlDocument old = Parse("<Alert><History><Date price=\"1.5M\">01/02/2026 10:00:00</Date></History></Alert>");
    CAlert scaled(kAlertGeneral);
    scaled.FromXml(old.RootElement());
    ASSERT_EQ(1u, scaled.GetHistory().size());
    EXPECT_DOUBLE_EQ(1.5e6, scaled.GetHistory()[0].m_price);
}
