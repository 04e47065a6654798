#include "BrokerTestClients.h"

#include <gtest/gtest.h>

using namespace qx::testbroker;
using namespace qx::testbroker::testing;
using qx::protocol::AccountActivityRecord;
using qx::protocol::ActivityKind;
using qx::protocol::QuoteField;

namespace {

constexpr const char* kAccount = "10000001";

std::string Leg(const std::string& action, int qty, const std::string& symbol, const std::string& type,
                const std::string& price = "", const std::string& act = "", const std::string& suffix = "")
{
    return "action" + suffix + "=" + action + "~quantity" + suffix + "=" + std::to_string(qty) + "~symbol" + suffix +
           "=" + symbol + "~ordtype" + suffix + "=" + type + "~price" + suffix + "=" + price + "~actprice" + suffix +
           "=" + act + "~tsparam" + suffix + "=~expire" + suffix + "=day~spinstructions" + suffix +
           "=none~routing" + suffix + "=auto~exmonth" + suffix + "=~exday" + suffix + "=~exyear" + suffix + "=~";
}

class BrokerOrders : public ::testing::Test {
protected:
    void SetUp() override
    {
        broker = StartBroker();
        ASSERT_TRUE(broker);
        api = std::make_unique<ApiClient>(*broker);
        ASSERT_TRUE(api->LogIn());
        // A known market for MSFT.
        ASSERT_TRUE(broker->InjectQuote("MSFT", {{6, false, 100.00, {}}, {7, false, 100.10, {}}, {3, false, 100.05, {}}}));
    }
    bool Trade(const std::string& name, const std::string& order, TiXmlDocument& doc)
    {
        return api->Api(name, {{"orderstring", std::string("accountid=") + kAccount + "~" + order}}, doc);
    }
    std::string StatusOf(const std::string& id)
    {
        TiXmlDocument doc;
        EXPECT_TRUE(api->Api("OrderStatus", {{"accountid", kAccount}}, doc));
        for (const TiXmlElement* o : XmlAll(&doc, "Order"))
            if (XmlText(o, "OrderId") == id)
                return XmlText(o, "Status");
        return "missing";
    }
    std::unique_ptr<CTestBroker> broker;
    std::unique_ptr<ApiClient> api;
};

}  // namespace

TEST_F(BrokerOrders, MarketOrderFillsAndUpdatesPositionCashAndStatus)
{
    RawStreamClient stream;
    ASSERT_TRUE(StreamLogin(*api, stream, broker->StreamPort()));
    ASSERT_TRUE(stream.Send("|control=false|source=QX|S=ACCT_ACTIVITY&C=SUBS&P=" + std::string(kAccount) + "\n"));
    ASSERT_TRUE(broker->WaitForSubscription(8, kAccount, 5000));

    TiXmlDocument doc;
    ASSERT_TRUE(Trade("EquityTrade", Leg("buy", 100, "MSFT", "market"), doc)) << XmlText(&doc, "error");
    const std::string id = XmlText(&doc, "OrderId");
    EXPECT_EQ(XmlText(&doc, "Status"), "Filled");
    const auto pos = broker->PositionOf(kAccount, "MSFT");
    ASSERT_TRUE(pos);
    EXPECT_EQ(pos->quantity, 100);
    EXPECT_DOUBLE_EQ(pos->averagePrice, 100.10);  // bought at the ask
    EXPECT_NEAR(broker->Cash(kAccount), 100000.0 - 10010.0, 1e-6);

    ASSERT_TRUE(api->Api("OrderStatus", {{"accountid", kAccount}}, doc));
    const TiXmlElement* order = XmlFind(&doc, "Order");
    EXPECT_EQ(XmlText(order, "OrderId"), id);
    EXPECT_EQ(XmlText(order, "Action"), "Buy");
    EXPECT_EQ(XmlText(order, "Type"), "Market");
    EXPECT_EQ(XmlText(order, "Price"), "100.10");
    EXPECT_EQ(XmlText(order, "Cancelable"), "0");
    ASSERT_TRUE(api->Api("BalancesAndPositions", {{"accountid", kAccount}}, doc));
    EXPECT_EQ(XmlText(XmlFind(&doc, "Position"), "Quantity"), "100");
    EXPECT_EQ(XmlText(XmlFind(&doc, "Balance"), "Amount"), "89,990.00");

    // The fill reaches the account activity stream.
    ASSERT_TRUE(stream.WaitFor(
        [&](const qx::protocol::StreamRecord& r) {
            const auto* a = std::get_if<AccountActivityRecord>(&r.body);
            return a && a->kind == static_cast<uint8_t>(ActivityKind::OrderFilled) && a->orderId == id &&
                   a->text == "Bought 100 MSFT @ 100.10";
        },
        5000));

    // Selling more than is held is refused; selling what is held closes the position.
    EXPECT_FALSE(Trade("EquityTrade", Leg("sell", 101, "MSFT", "market"), doc));
    EXPECT_EQ(XmlText(&doc, "error"), "Insufficient position to sell: MSFT");
    ASSERT_TRUE(Trade("EquityTrade", Leg("sell", 100, "MSFT", "limit", "99.50"), doc));
    EXPECT_EQ(XmlText(&doc, "Status"), "Filled");
    EXPECT_FALSE(broker->PositionOf(kAccount, "MSFT"));
    EXPECT_NEAR(broker->Cash(kAccount), 100000.0 - 10010.0 + 10000.0, 1e-6);  // sold at the bid
}

TEST_F(BrokerOrders, RestingLimitFillsWhenTheMarketComesAndCancelLeavesTheOpenList)
{
    TiXmlDocument doc;
    ASSERT_TRUE(Trade("EquityTrade", Leg("buy", 10, "MSFT", "limit", "95"), doc));
    const std::string resting = XmlText(&doc, "OrderId");
    EXPECT_EQ(StatusOf(resting), "Open");
    ASSERT_TRUE(Trade("EquityTrade", Leg("buy", 10, "MSFT", "limit", "90"), doc));
    const std::string other = XmlText(&doc, "OrderId");

    // The ask drops to the limit: the order fills at that ask.
    ASSERT_TRUE(broker->InjectQuote("MSFT", {{6, false, 94.90, {}}, {7, false, 94.95, {}}}));
    EXPECT_EQ(StatusOf(resting), "Filled");
    EXPECT_DOUBLE_EQ(broker->PositionOf(kAccount, "MSFT")->averagePrice, 94.95);

    ASSERT_TRUE(api->Api("CancelOrder", {{"accountid", kAccount}, {"orderid", other}, {"orderid", resting}}, doc));
    const auto results = XmlAll(&doc, "Cancel");
    ASSERT_EQ(results.size(), 2u);
    EXPECT_EQ(XmlText(results[0], "result"), "OK");
    EXPECT_EQ(XmlText(results[1], "result"), "FAIL");
    EXPECT_EQ(XmlText(results[1], "error"), "Order " + resting + " is not open.");
    EXPECT_EQ(StatusOf(other), "Canceled");
}

TEST_F(BrokerOrders, ValidationRefusesBadOrdersWithTheBrokersText)
{
    TiXmlDocument doc;
    const std::pair<std::string, std::string> cases[] = {
        {Leg("buy", 10, "NOPE", "market"), "Invalid symbol: NOPE"},
        {Leg("buy", 10, "$SPX", "market"), "Invalid symbol: $SPX"},
        {Leg("grab", 10, "MSFT", "market"), "Invalid action: grab"},
        {Leg("buy", 0, "MSFT", "market"), "Invalid quantity: 0"},
        {Leg("buy", 10, "MSFT", "limitish"), "Invalid order type: limitish"},
        {Leg("buy", 10, "MSFT", "limit"), "A limit price is required."},
        {Leg("buy", 10, "MSFT", "stop_market"), "An activation price is required."},
        {Leg("buy", 10, "MSFT", "tstopdollar"), "A trailing amount is required."},
        {Leg("buy", 100000, "MSFT", "market"), "Insufficient buying power."},
        {Leg("buytocover", 1, "MSFT", "market"), "Insufficient position to cover: MSFT"},
    };
    for (const auto& [order, error] : cases) {
        EXPECT_FALSE(Trade("EquityTrade", order, doc)) << order;
        EXPECT_EQ(XmlText(&doc, "error"), error) << order;
    }
    EXPECT_FALSE(Trade("OptionTrade", Leg("buytoopen", 1, "MSFT", "market"), doc));
    EXPECT_EQ(XmlText(&doc, "error"), "An option symbol is required for an option order.");
    EXPECT_FALSE(api->Api("EquityTrade", {{"orderstring", "accountid=10000009~" + Leg("buy", 1, "MSFT", "market")}}, doc));
    EXPECT_EQ(XmlText(&doc, "error"), "Invalid account: 10000009");
    EXPECT_TRUE(broker->Orders(kAccount).empty());
}

TEST_F(BrokerOrders, SavedOrdersAndConditionalTickets)
{
    TiXmlDocument doc;
    ASSERT_TRUE(Trade("SaveEquityTrade", Leg("buy", 5, "IBM", "limit", "10"), doc));
    const std::string saved = XmlText(&doc, "OrderId");
    ASSERT_TRUE(api->Api("SavedOrders", {{"accountid", kAccount}}, doc));
    EXPECT_EQ(XmlText(&doc, "Symbol"), "IBM");
    EXPECT_EQ(XmlText(&doc, "Price"), "10.00");
    EXPECT_TRUE(broker->Orders(kAccount).empty());

    // Conditional orders cannot be saved: FAIL without an error element.
    const std::string oca = "ordticket=oca~totlegs=2~" + Leg("buy", 1, "MSFT", "limit", "90", "", "1") +
                            Leg("buy", 1, "MSFT", "limit", "91", "", "2");
    const HttpReply r = api->Get("/apps/100/SaveConditionalEquityTrade",
                                 {{"orderstring", std::string("accountid=") + kAccount + "~" + oca}, {"source", "QX"}, {"version", "1"}});
    EXPECT_NE(r.body.find("<result>FAIL</result>"), std::string::npos);
    EXPECT_EQ(r.body.find("<error>"), std::string::npos);

    // One cancels another: the fill of one leg cancels the other.
    ASSERT_TRUE(Trade("ConditionalEquityTrade", oca, doc)) << XmlText(&doc, "error");
    const auto legs = XmlAll(&doc, "OrderId");
    ASSERT_EQ(legs.size(), 2u);
    ASSERT_TRUE(broker->InjectQuote("MSFT", {{6, false, 90.50, {}}, {7, false, 90.60, {}}}));
    EXPECT_EQ(StatusOf(legs[1]->GetText()), "Filled");
    EXPECT_EQ(StatusOf(legs[0]->GetText()), "Canceled");
    ASSERT_TRUE(api->Api("OrderStatus", {{"accountid", kAccount}}, doc));
    EXPECT_TRUE(XmlText(&doc, "MultiLeg").starts_with("OCA "));

    // One triggers another: the second leg waits as Pending.
    const std::string ota = "ordticket=ota~totlegs=2~" + Leg("buy", 1, "IBM", "market", "", "", "1") +
                            Leg("sell", 1, "IBM", "limit", "1000", "", "2");
    ASSERT_TRUE(Trade("ConditionalEquityTrade", ota, doc)) << XmlText(&doc, "error");
    const auto ids = XmlAll(&doc, "OrderId");
    ASSERT_EQ(ids.size(), 2u);
    EXPECT_EQ(StatusOf(ids[0]->GetText()), "Filled");
    EXPECT_EQ(StatusOf(ids[1]->GetText()), "Open");  // triggered by the fill

    // Canceling a triggering leg cancels the legs that wait for it.
    const std::string ott = "ordticket=ott~totlegs=3~" + Leg("buy", 1, "IBM", "limit", "1", "", "1") +
                            Leg("sell", 1, "IBM", "limit", "1000", "", "2") + Leg("sell", 1, "IBM", "stop_market", "", "1", "3");
    ASSERT_TRUE(Trade("ConditionalEquityTrade", ott, doc)) << XmlText(&doc, "error");
    std::vector<std::string> three;
    for (const TiXmlElement* e : XmlAll(&doc, "OrderId"))
        three.push_back(e->GetText());
    ASSERT_EQ(three.size(), 3u);
    EXPECT_EQ(StatusOf(three[1]), "Pending");
    ASSERT_TRUE(api->Api("CancelOrder", {{"accountid", kAccount}, {"orderid", three[0]}}, doc));
    for (const std::string& id : three) {
        EXPECT_EQ(StatusOf(id), "Canceled") << id;
    }

    ASSERT_TRUE(api->Api("DeleteSavedOrder", {{"accountid", kAccount}, {"orderid", saved}, {"orderid", "1"}}, doc));
    const auto deletes = XmlAll(&doc, "Delete");
    ASSERT_EQ(deletes.size(), 2u);
    EXPECT_EQ(XmlText(deletes[0], "result"), "OK");
    EXPECT_EQ(XmlText(deletes[1], "error"), "Saved order 1 not found.");
    ASSERT_TRUE(api->Api("SavedOrders", {{"accountid", kAccount}}, doc));
    EXPECT_TRUE(XmlAll(&doc, "SavedOrder").empty());
}

TEST_F(BrokerOrders, EditOrderChangesAnOpenOrderAndFillsWhenMarketable)
{
    TiXmlDocument doc;
    ASSERT_TRUE(Trade("EquityTrade", Leg("buy", 10, "MSFT", "limit", "95"), doc));
    const std::string id = XmlText(&doc, "OrderId");
    const std::string edit = std::string("accountid=") + kAccount + "~orderid=" + id +
                             "~ordtype=limit~quantity=20~price=96~actprice=~expire=day~exmonth=~exday=~exyear=";
    ASSERT_TRUE(api->Api("EditOrder", {{"orderstring", edit}}, doc)) << XmlText(&doc, "error");
    ASSERT_TRUE(api->Api("OrderStatus", {{"accountid", kAccount}}, doc));
    EXPECT_EQ(XmlText(&doc, "Quantity"), "20");
    EXPECT_EQ(XmlText(&doc, "OrigQuantity"), "10");
    EXPECT_EQ(XmlText(&doc, "Price"), "96.00");
    EXPECT_EQ(XmlText(&doc, "OrigPrice"), "95.00");

    const std::string marketable = std::string("accountid=") + kAccount + "~orderid=" + id +
                                   "~ordtype=limit~quantity=20~price=101~actprice=~expire=day~exmonth=~exday=~exyear=";
    ASSERT_TRUE(api->Api("EditOrder", {{"orderstring", marketable}}, doc));
    EXPECT_EQ(StatusOf(id), "Filled");
    EXPECT_EQ(broker->PositionOf(kAccount, "MSFT")->quantity, 20);
    EXPECT_FALSE(api->Api("EditOrder", {{"orderstring", marketable}}, doc));
    EXPECT_EQ(XmlText(&doc, "error"), "Order " + id + " cannot be changed.");
}

TEST_F(BrokerOrders, OptionOrdersUseContractsOfOneHundred)
{
    TiXmlDocument doc;
    ASSERT_TRUE(api->Api("OptionChain", {{"symbol", "MSFT"}, {"type", "C"}, {"range", "ALL"}, {"expire", "A"}}, doc));
    const std::string option = XmlText(&doc, "Symbol");
    ASSERT_TRUE(option.starts_with("+MSFT"));
    ASSERT_TRUE(broker->InjectQuote(option, {{6, false, 2.00, {}}, {7, false, 2.10, {}}}));
    ASSERT_TRUE(Trade("OptionTrade", Leg("buytoopen", 3, option, "market"), doc)) << XmlText(&doc, "error");
    EXPECT_NEAR(broker->Cash(kAccount), 100000.0 - 3 * 2.10 * 100, 1e-6);
    EXPECT_FALSE(Trade("EquityTrade", Leg("buy", 1, option, "market"), doc));
    EXPECT_EQ(XmlText(&doc, "error"), "An equity symbol is required for an equity order.");
}
