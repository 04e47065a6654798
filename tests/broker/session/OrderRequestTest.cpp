#include "broker/session/ApiReplies.h"
#include "broker/session/OrderRequest.h"
#include "broker/session/StreamTranslator.h"
#include "broker/session/CSubscriptionTable.h"
#include "broker/session/SessionMessages.h"

#include <gtest/gtest.h>

namespace {

COrderLeg Leg(const char* symbol, int action, double quantity, const char* type, double price = 0, double act = 0)
{
    COrderLeg leg;
    leg.symbol = symbol;
    leg.action = action;
    leg.quantity = quantity;
    leg.orderType = type;
    leg.expire = "Day";
    leg.instructions = "None";
    leg.route = "Default";
    leg.price = price;
    leg.activationPrice = act;
    return leg;
}

} // namespace

TEST(OrderRequest, NamesByKindConditionalAndSave)
{
    EXPECT_EQ(OrderRequestName(0, -1, true), "EquityTrade");
    EXPECT_EQ(OrderRequestName(1, -1, true), "OptionTrade");
    EXPECT_EQ(OrderRequestName(0, 2, true), "ConditionalEquityTrade");
    EXPECT_EQ(OrderRequestName(1, 5, false), "SaveConditionalOptionTrade");
    EXPECT_EQ(OrderRequestName(0, -1, false), "SaveEquityTrade");
    EXPECT_EQ(OrderRequestName(0, 6, true), "EquityTrade");
}

TEST(OrderRequest, SingleLegStringWithWordConversions)
{
    COrderLeg leg = Leg("INET:MSFT", 2, 100.9, "StopLimit", 300.5, 299.125);
    leg.expire = "gtc";
    leg.expirationMonth = "12";
    leg.expirationDay = "31";
    leg.expirationYear = "2026";
    leg.route = "NSDQ (INET)";
    leg.instructions = "AON/DNR";
    EXPECT_EQ(BuildOrderString({leg}, 0, -1, "10000001"),
              "accountid=10000001~action=sellshort~quantity=100~symbol=MSFT~ordtype=stop_limit~price=300.50~"
              "actprice=299.125~tsparam=~expire=gtc~spinstructions=aon_dnr~routing=inet~exmonth=12~exday=31~"
              "exyear=2026~");
    // The good-till date only travels with a good-till expire; a trailing stop sends tsparam.
    COrderLeg trail = Leg("IBM", 1, 5, "T-Stop%", 2.5);
    trail.expirationMonth = "1";
    EXPECT_EQ(BuildOrderString({trail}, 0, -1, "7"),
              "accountid=7~action=sell~quantity=5~symbol=IBM~ordtype=tstoppercent~price=~actprice=~tsparam=2.50~"
              "expire=day~spinstructions=none~routing=auto~exmonth=~exday=~exyear=~");
}

TEST(OrderRequest, ConditionalLegsAreNumbered)
{
    const std::string text =
        BuildOrderString({Leg("+MSFT260116C00300000", 0, 1, "Limit", 2), Leg("+MSFT260116C00300000", 1, 1, "Market")},
                         1, 0, "5")
            .str();
    EXPECT_EQ(text.rfind("accountid=5~ordticket=oca~totlegs=2~action1=buytoopen~quantity1=1~", 0), 0u) << text;
    EXPECT_NE(text.find("~action2=selltoclose~quantity2=1~symbol2=+MSFT260116C00300000~ordtype2=market~price2=~"),
              std::string::npos);
    CString word;
    int legs = 0;
    ASSERT_TRUE(ConditionalTicket(3, word, legs));
    EXPECT_EQ(word, "ott");
    EXPECT_EQ(legs, 3);
    EXPECT_FALSE(ConditionalTicket(-1, word, legs));
}

TEST(OrderRequest, QuantitiesThatDoNotFitTheOrderStringAreRefused)
{
    // 99999999999 shares would go out as quantity=-2147483648.
    CString error;
    EXPECT_FALSE(CheckOrderQuantities({Leg("MSFT", 0, 99999999999.0, "Market")}, error));
    EXPECT_EQ(error, "Invalid quantity: 99999999999");
    EXPECT_FALSE(CheckOrderQuantities({Leg("MSFT", 0, 100, "Market"), Leg("MSFT", 1, 0.5, "Market")}, error));
    EXPECT_FALSE(CheckOrderQuantities({Leg("MSFT", 0, -1, "Market")}, error));
    EXPECT_TRUE(CheckOrderQuantities({Leg("MSFT", 0, 2147483647.0, "Market"), Leg("MSFT", 1, 1, "Market")}, error));
}

TEST(OrderRequest, EditStringAndEncoding)
{
    COrderLeg leg = Leg("MSFT", 0, 50, "Limit", 301);
    leg.orderId = "1001";
    EXPECT_EQ(BuildEditOrderString(leg, "10000001"),
              "accountid=10000001~orderid=1001~ordtype=limit~quantity=50~price=301.00~actprice=~expire=day~"
              "exmonth=~exday=~exyear=");
    EXPECT_EQ(UrlEncode("a=b~c d+%"), "a%3Db~c%20d%2B%25");
    EXPECT_EQ(OrderPriceText(0), "");
    EXPECT_EQ(OrderPriceText(12.3456), "12.3456");
}

TEST(ApiReplies, LoginAccountsAndErrors)
{
    CLoginReply login;
    ASSERT_TRUE(ParseLoginReply("<?xml version=\"1.0\"?><Response><result>OK</result><login><SessionId>s1</SessionId>"
                                "<Accounts><Account><AccountId>1</AccountId><Name>Individual</Name>"
                                "<ExpressTrading>TRUE</ExpressTrading></Account><account><accountid>2</accountid>"
                                "<name>IRA</name></account></Accounts></login></Response>",
                                login));
    ASSERT_EQ(login.accounts.size(), 2u);
    EXPECT_EQ(login.accounts[0].number, "1");
    EXPECT_TRUE(login.accounts[0].express);
    EXPECT_EQ(login.accounts[1].name, "IRA");
    EXPECT_FALSE(login.accounts[1].express);

    CApiResult result;
    ASSERT_TRUE(ParseApiResult("<Response><result>FAIL</result><error>Invalid user name or password.</error></Response>",
                               result));
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error, "Invalid user name or password.");
    EXPECT_FALSE(ParseLoginReply("<Response><result>FAIL</result></Response>", login));
    EXPECT_FALSE(ParseApiResult("<<not xml", result));
    EXPECT_TRUE(result.hasError);
}

TEST(ApiReplies, AccountListsAndItemResults)
{
    std::vector<CBalanceRecord> balances;
    std::vector<CPositionRecord> positions;
    ASSERT_TRUE(ParseBalancesAndPositions(
        "<Response><result>OK</result><BalancesAndPositions><AccountId>9</AccountId><Balances><Balance><Name>Cash "
        "Balance</Name><Amount>100,000.00</Amount><Change>0.00</Change><Value>3</Value></Balance></Balances>"
        "<Positions><Position><Symbol>MSFT</Symbol><Quantity>-1,000</Quantity><AveragePrice>301.25</AveragePrice>"
        "</Position></Positions></BalancesAndPositions></Response>",
        balances, positions));
    ASSERT_EQ(balances.size(), 1u);
    EXPECT_EQ(balances[0].amount, "100,000.00");
    EXPECT_EQ(balances[0].value, 3u);
    ASSERT_EQ(positions.size(), 1u);
    EXPECT_EQ(positions[0].quantity, -1000);
    EXPECT_EQ(positions[0].account, "9");

    std::vector<COrderStatusRecord> orders;
    ASSERT_TRUE(ParseOrders("<Response><result>OK</result><Orders><Order><Status>Open</Status><OrderId>1001</OrderId>"
                            "<MultiLeg>OCA 5</MultiLeg><Editable>1</Editable><Cancelable>0</Cancelable></Order>"
                            "</Orders></Response>",
                            orders));
    ASSERT_EQ(orders.size(), 1u);
    EXPECT_EQ(orders[0].m_fields[COrderStatusRecord::kOrderId], "1001");
    EXPECT_EQ(orders[0].m_fields[COrderStatusRecord::kMultiLeg], "OCA 5");
    EXPECT_EQ(orders[0].m_bChangeable, 1);
    EXPECT_EQ(orders[0].m_bOpen, 0);

    CString errors;
    ASSERT_TRUE(ParseItemResults("<Response><result>OK</result><CancelOrders><Cancel><OrderId>1</OrderId><result>OK"
                                 "</result></Cancel><Cancel><OrderId>2</OrderId><result>FAIL</result><error>Order 2 "
                                 "is not open.</error></Cancel></CancelOrders></Response>",
                                 errors));
    EXPECT_EQ(errors, "Order 2: Order 2 is not open.");
}

TEST(StreamTranslator, RecordsBecomeQueueMessages)
{
    using namespace qx::protocol;
    std::vector<std::unique_ptr<CSessionMessage>> out;
    QuoteRecord quote;
    quote.symbol = "MSFT";
    for (int id = 0; id <= 100; ++id)
        quote.fields.push_back({static_cast<uint8_t>(id), false, id * 1.0, ""});
    quote.fields.push_back({101, true, 0, "NASD"});
    quote.fields.push_back({3, false, std::numeric_limits<double>::quiet_NaN(), ""});
    TranslateStreamRecord(StreamRecord{0, 0, quote}, out);
    // A full image stays one message (applied at once); the NaN is left out.
    ASSERT_EQ(out.size(), 1u);
    ASSERT_EQ(out[0]->m_nCode, kMsgQuote);
    EXPECT_EQ(static_cast<CQuoteMessage&>(*out[0]).GetFieldCount(), 101);
    EXPECT_EQ(static_cast<CQuoteMessage&>(*out[0]).m_texts.size(), 1u);

    out.clear();
    // 119.93 has no exact single-precision form: the price stays the one sent, so a trade
    // at a bid of 119.93 is one at the bid.
    TradeRecord trade{"MSFT", 123, 0, 119.93, 250, "Q", {100}};
    TranslateStreamRecord(StreamRecord{0, 0, trade}, out);
    ASSERT_EQ(out.size(), 1u);
    auto& t = static_cast<CTradeMessage&>(*out[0]);
    EXPECT_EQ(t.m_price, 119.93);
    EXPECT_EQ(t.m_size, 3); // hundreds, rounded
    EXPECT_EQ(t.m_moreSizes, std::vector<int>{1});
    out.clear();
    TranslateStreamRecord(StreamRecord{7, 0, trade}, out);
    EXPECT_TRUE(out.empty()); // time and sales repeats the quote service's trades
    trade.basCode = 1;
    TranslateStreamRecord(StreamRecord{0, 0, trade}, out);
    EXPECT_TRUE(out.empty()); // bid ticks are not trades

    AccountActivityRecord fill{"1", static_cast<uint8_t>(ActivityKind::OrderFilled), "1001", "MSFT", "Buy", 100, 301.25,
                               "Bought 100 MSFT @ 301.25"};
    TranslateStreamRecord(StreamRecord{8, 0, fill}, out);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(static_cast<COrderFillMessage&>(*out[0]).m_text, "Bought 100 MSFT @ 301.25");
}

TEST(SubscriptionTable, CountsPerSymbolAndService)
{
    CSubscriptionTable table;
    EXPECT_TRUE(table.Add("MSFT", 0));
    EXPECT_FALSE(table.Add("MSFT", 0));
    EXPECT_TRUE(table.Add("MSFT", 1));
    EXPECT_TRUE(table.Add("IBM", 0));
    EXPECT_EQ(table.GetCount("MSFT", 0), 2);
    EXPECT_EQ(table.GetSymbols(0), (std::vector<CString>{"IBM", "MSFT"}));
    EXPECT_FALSE(table.Remove("MSFT", 0));
    EXPECT_TRUE(table.Remove("MSFT", 0));
    EXPECT_FALSE(table.Remove("MSFT", 0)); // never below zero
    EXPECT_EQ(table.GetSymbols(0), std::vector<CString>{"IBM"});
    EXPECT_EQ(table.GetSymbols(1), std::vector<CString>{"MSFT"});
}
