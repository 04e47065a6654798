#include "alerts/CAlertTradeInfo.h"
#include "common/services/CAppSettings.h"
#include "platform/core/XmlHelpers.h"

#include <gtest/gtest.h>

namespace {

COrderRecord& Leg(CAlertTradeInfo& info, int i, int action, double quantity, const char* type, double price = 0)
{
    COrderRecord& leg = info.m_legs[i];
    leg.action = action;
    leg.quantity = quantity;
    leg.quantityMode = 1;
    leg.orderType = type;
    leg.price = price;
    leg.priceSource = 0;
    leg.priceOffset = 0;
    leg.activationPrice = 0;
    leg.expire = "DAY";
    leg.instructions = "None";
    leg.route = "Auto";
    return leg;
}

CAlertTradeInfo ReadBack(const CString& xml)
{
    TiXmlDocument doc;
    CString error;
    EXPECT_TRUE(ParseXml(doc, xml.view(), &error)) << error.GetString();
    CAlertTradeInfo info(0);
    info.FromXml(doc.RootElement());
    return info;
}

} // namespace

TEST(AlertTradeInfo, NewTradeInfoIsOneMarketOrderOnTheActiveAccount)
{
    CAlertTradeInfo stock(0);
    EXPECT_EQ(-1, stock.m_nConditionType);
    EXPECT_EQ(0, stock.m_nAcctType);
    EXPECT_TRUE(stock.m_accounts.empty());
    EXPECT_EQ(1, stock.GetLegCount());
    for (const COrderRecord& leg : stock.m_legs)
        EXPECT_EQ(leg.orderType, "Market");

    CAppSettings settings;
    settings.m_nOptionContracts = 7;
    CAppSettings::Install(&settings);
    CAlertTradeInfo option(1);
    CAppSettings::Install(nullptr);
    for (const COrderRecord& leg : option.m_legs) {
        EXPECT_EQ(7, leg.quantity);
        EXPECT_EQ(leg.orderType, "Market");
    }
}

TEST(AlertTradeInfo, LegCountFollowsTheConditionType)
{
    CAlertTradeInfo info(0);
    const std::pair<int, int> expected[] = {{-1, 1}, {0, 2}, {1, 2}, {2, 2}, {3, 3}, {4, 3}, {5, 3}, {6, 1}, {-7, 1}};
    for (auto [type, legs] : expected) {
        info.m_nConditionType = type;
        EXPECT_EQ(legs, info.GetLegCount()) << type;
    }
}

TEST(AlertTradeInfo, EvenTriggersReverseActionAndPriceSide)
{
    CAlertTradeInfo info(0);
    COrderRecord& leg = Leg(info, 0, 0, 100, "Limit");
    leg.priceSource = 1;
    leg.priceOffset = 0.05;
    double offset = 0;
    for (int trigger : {1, 3, -1, -3}) {
        EXPECT_EQ(0, info.GetLegAction(0, trigger)) << trigger;
        EXPECT_EQ(1, info.GetLegOffset(0, trigger, offset)) << trigger;
        EXPECT_DOUBLE_EQ(0.05, offset);
    }
    for (int trigger : {2, 4, -2, 0}) {
        EXPECT_EQ(1, info.GetLegAction(0, trigger)) << trigger;
        EXPECT_EQ(2, info.GetLegOffset(0, trigger, offset)) << trigger;
        EXPECT_DOUBLE_EQ(-0.05, offset);
    }
    // Sell Short and Buy to Cover swap; the own price and the last stay on their side.
    const std::pair<int, int> actions[] = {{1, 0}, {2, 3}, {3, 2}};
    for (auto [stored, reversed] : actions) {
        leg.action = stored;
        EXPECT_EQ(reversed, info.GetLegAction(0, 2));
    }
    for (int source : {0, 3}) {
        leg.priceSource = source;
        EXPECT_EQ(source, info.GetLegOffset(0, 2, offset));
        EXPECT_DOUBLE_EQ(-0.05, offset);
    }
    // A leg outside the three gives nothing.
    EXPECT_EQ(0, info.GetLegOffset(3, 1, offset));
    EXPECT_EQ(0, offset);
}

TEST(AlertTradeInfo, OrderTextOfSingleLegs)
{
    CAlertTradeInfo info(0);
    Leg(info, 0, 0, 100, "Market");
    EXPECT_EQ(info.GetOrderText(1), "Buy 100 shares, Market Order, Expiration: DAY, Instructions: None, Routing: Auto");

    COrderRecord& leg = Leg(info, 0, 0, 2500, "Limit", 12.5);
    leg.quantityMode = 0;
    EXPECT_EQ(info.GetOrderText(1),
              "Buy $2500.00 worth, Limit Order, Price: 12.50, Expiration: DAY, Instructions: None, Routing: Auto");

    leg.quantityMode = 2;
    leg.priceSource = 1;
    leg.priceOffset = 0.05;
    leg.expire = "GTC";
    EXPECT_EQ(info.GetOrderText(1),
              "Buy 2500 entry shares, Limit Order, Price: Bid+0.05, Expiration: GTC, Instructions: None, Routing: Auto");
    EXPECT_EQ(info.GetOrderText(2),
              "Sell 2500 entry shares, Limit Order, Price: Ask-0.05, Expiration: GTC, Instructions: None, Routing: Auto");

    // Trailing stops show their amount as a parameter; an activation price follows.
    Leg(info, 0, 1, 10, "T-Stop$", 0.5).activationPrice = 20.125;
    EXPECT_EQ(info.GetOrderText(1), "Sell 10 shares, T-Stop$ Order, Param: 0.50, Act. Price: 20.125, Expiration: DAY, "
                                    "Instructions: None, Routing: Auto");

    // An unknown quantity type leaves the quantity text empty; last with no offset.
    leg.quantityMode = 9;
    leg.activationPrice = 0;
    leg.priceSource = 3;
    EXPECT_EQ(info.GetOrderText(1),
              "Sell , T-Stop$ Order, Param: Last, Expiration: DAY, Instructions: None, Routing: Auto");
}

TEST(AlertTradeInfo, OrderTextOfOptionAndConditionalGroups)
{
    CAlertTradeInfo option(1);
    Leg(option, 0, 2, 3, "Market");
    EXPECT_EQ(option.GetOrderText(1),
              "Sell to Open 3 contracts, Market Order, Expiration: DAY, Instructions: None, Routing: Auto");
    EXPECT_EQ(option.GetOrderText(2),
              "Buy to Close 3 contracts, Market Order, Expiration: DAY, Instructions: None, Routing: Auto");

    CAlertTradeInfo bracket(0);
    bracket.m_nConditionType = 1;
    Leg(bracket, 0, 0, 100, "Limit", 10);
    Leg(bracket, 1, 1, 100, "StopMarket", 9.5);
    Leg(bracket, 2, 1, 100, "Limit", 99);  // not used by a bracket
    EXPECT_EQ(bracket.GetOrderText(1),
              "BRACKET Order 1: Buy 100 shares, Limit Order, Price: 10.00, Expiration: DAY, Instructions: None, "
              "Routing: Auto; BRACKET Order 2: Sell 100 shares, StopMarket Order, Price: 9.50, Expiration: DAY, "
              "Instructions: None, Routing: Auto");

    // Outside the known types: one leg and no condition name.
    bracket.m_nConditionType = 8;
    EXPECT_EQ(bracket.GetOrderText(1),
              "Buy 100 shares, Limit Order, Price: 10.00, Expiration: DAY, Instructions: None, Routing: Auto");
}

TEST(AlertTradeInfo, XmlElementHasTheFileLayoutAndReadsBack)
{
    CAlertTradeInfo info(0);
    info.m_nAcctType = 2;
    info.m_accounts = {"Main <1>", "IRA & Co"};
    COrderRecord& leg = Leg(info, 0, 1, 1000, "Limit", 30);
    leg.quantityMode = 0;
    leg.priceSource = 3;
    leg.priceOffset = -0.25;
    leg.route = "ARCA";
    leg.instructions = "AON";
    leg.expire = "GTC";
    leg.expirationMonth = "";

    const CString xml = info.ToXml();
    const CString bins = "<Bin><![CDATA[" + CAppSettings::Scramble(CAppSettings::ProgramKey(), "Main <1>") +
                         "]]></Bin>\r\n<Bin><![CDATA[" +
                         CAppSettings::Scramble(CAppSettings::ProgramKey(), "IRA & Co") + "]]></Bin>\r\n";
    EXPECT_EQ(xml, "<TradeInfo>\r\n<ConditionType>-1</ConditionType>\r\n<SymbolType>0</SymbolType>\r\n"
                   "<AcctType>2</AcctType>\r\n" +
                       bins +
                       "<Leg>\r\n<Action>1</Action>\r\n<QuantityType>0</QuantityType>\r\n<QtyAmt>1000.000000</QtyAmt>\r\n"
                       "<PriceSelection>3</PriceSelection>\r\n<Offset>-0.250000</Offset>\r\n<Price>30.000000</Price>\r\n"
                       "<ActPrice>0.000000</ActPrice>\r\n<OrderType>Limit</OrderType>\r\n<Route>ARCA</Route>\r\n"
                       "<Instr>AON</Instr>\r\n<Expire>GTC</Expire>\r\n<Month></Month>\r\n<Day></Day>\r\n<Year></Year>\r\n"
                       "</Leg>\r\n</TradeInfo>\r\n");
    EXPECT_EQ(xml.Find("Main"), -1);  // account names are stored scrambled

    const CAlertTradeInfo back = ReadBack(xml);
    EXPECT_EQ(2, back.m_nAcctType);
    ASSERT_EQ(2u, back.m_accounts.size());
    EXPECT_EQ(back.m_accounts[0], "Main <1>");
    EXPECT_EQ(back.m_accounts[1], "IRA & Co");
    const COrderRecord& read = back.m_legs[0];
    EXPECT_EQ(1, read.action);
    EXPECT_EQ(0, read.quantityMode);
    EXPECT_DOUBLE_EQ(1000, read.quantity);
    EXPECT_EQ(3, read.priceSource);
    EXPECT_DOUBLE_EQ(-0.25, read.priceOffset);
    EXPECT_DOUBLE_EQ(30, read.price);
    EXPECT_EQ(read.orderType, "Limit");
    EXPECT_EQ(read.route, "ARCA");
    EXPECT_EQ(read.instructions, "AON");
    EXPECT_EQ(read.expire, "GTC");
}

TEST(AlertTradeInfo, ReadingTakesThreeLegsAnyCaseAndKeepsWhatIsMissing)
{
    const CString xml = "<TradeInfo><conditiontype>3</conditiontype><SYMBOLTYPE>1</SYMBOLTYPE>"
                        "<Leg><Action>1</Action><Price>1.5</Price><Month>JAN</Month></Leg>"
                        "<Leg><Action>2</Action><OrderType></OrderType></Leg>"
                        "<Leg><Action>3</Action><Route>CBOE</Route></Leg>"
                        "<Leg><Action>0</Action><Route>FOURTH</Route></Leg></TradeInfo>";
    const CAlertTradeInfo info = ReadBack(xml);
    EXPECT_EQ(3, info.m_nConditionType);
    EXPECT_EQ(1, info.m_nSymbolType);
    EXPECT_EQ(0, info.m_nAcctType);  // missing: as it was
    EXPECT_EQ(1, info.m_legs[0].action);
    EXPECT_DOUBLE_EQ(1.5, info.m_legs[0].price);
    EXPECT_EQ(info.m_legs[0].expirationMonth, "JAN");
    EXPECT_EQ(2, info.m_legs[1].action);
    EXPECT_EQ(info.m_legs[1].orderType, "Market");  // empty element: as it was
    EXPECT_EQ(3, info.m_legs[2].action);
    EXPECT_EQ(info.m_legs[2].route, "CBOE");
    for (const COrderRecord& leg : info.m_legs)
        EXPECT_NE(leg.route, "FOURTH");
}
