// The order gate: what it refuses, what it asks, which accounts it sends to and what it
// tells the trader when the broker refuses.
#include "tests/trading/FakeOrderForm.h"
#include "trading/SendOrders.h"

#include <gtest/gtest.h>

namespace {

COrderRecord Leg(const char* symbol, int action, double quantity, const char* type, double price = 0,
                 double activation = 0)
{
    COrderRecord leg(0);
    leg.symbol = symbol;
    leg.action = action;
    leg.quantity = quantity;
    leg.orderType = type;
    leg.expire = "DAY";
    leg.instructions = "None";
    leg.route = "Auto";
    leg.price = price;
    leg.activationPrice = activation;
    return leg;
}

class SendOrdersTest : public ::testing::Test {
protected:
    CTradingTestEnvironment env;
    CRecordingTradingHost& host = env.host;
};

}  // namespace

TEST_F(SendOrdersTest, ConfirmationTextOfASingleAndAConditionalOrder)
{
    EXPECT_EQ(BuildOrderConfirmation(0, -1, {Leg("MSFT", 0, 100, "Limit", 30.5)}, 1, "Individual"),
              "Buy 100 shares of MSFT, Limit Order, Price: 30.50\r\n"
              "Expiration: DAY, Instructions: None, Routing: Auto\r\n\r\n"
              "Account: Individual\r\nPlace Order?");
    COrderRecord stop = Leg("MSFT", 1, 100, "StopLimit", 0.1234, 0.12);
    COrderRecord trail = Leg("MSFT", 1, 100, "T-Stop%", 2);
    EXPECT_EQ(BuildOrderConfirmation(0, 2, {stop, trail}, 0, "All"),
              "One Triggers Another (OTA)\r\n\r\n"
              "Order 1: Sell 100 shares of MSFT, StopLimit Order, Price: 0.1234, Act Price: 0.12\r\n"
              "Expiration: DAY, Instructions: None, Routing: Auto\r\n\r\n"
              "Order 2: Sell 100 shares of MSFT, T-Stop% Order, Param: 2.00\r\n"
              "Expiration: DAY, Instructions: None, Routing: Auto\r\n\r\n"
              "Account: All\r\nSave Order?");
    // Options read in contracts with their description.
    EXPECT_EQ(BuildOrderConfirmation(1, -1, {Leg("+MSFT260116C00300000", 2, 3, "Market")}, 1, "IRA"),
              "Sell to Open 3 contracts of MSFT Jan 16 2026 300 Call, Market Order\r\n"
              "Expiration: DAY, Instructions: None, Routing: Auto\r\n\r\n"
              "Account: IRA\r\nPlace Order?");
}

TEST_F(SendOrdersTest, SendsOneRequestPerAccountWithTheOriginsSourceTag)
{
    EXPECT_TRUE(SendOrders(kOriginTicket, 1, 0, -1, {Leg("INET:XYZ", 0, 100, "Limit", 10)}, 1, {}, nullptr));
    ASSERT_EQ(host.questions.size(), 1u);
    EXPECT_NE(host.questions[0].Find("of XYZ,"), -1) << host.questions[0].str();  // the book prefix is gone
    EXPECT_NE(host.questions[0].Find("Account: Individual, IRA\r\n"), -1);
    ASSERT_EQ(host.submissions.size(), 2u);
    EXPECT_EQ(host.submissions[0].account, "10000001");
    EXPECT_EQ(host.submissions[1].account, "10000002");
    EXPECT_EQ(host.submissions[0].source, "QXVEL");
    EXPECT_EQ(host.submissions[0].legs[0].symbol, "XYZ");

    host.submissions.clear();
    EXPECT_TRUE(SendOrders(kOriginAlert, 0, 0, -1, {Leg("XYZ", 0, 5, "Market")}, 2, {"ira"}, nullptr));
    ASSERT_EQ(host.submissions.size(), 1u);
    EXPECT_EQ(host.submissions[0].source, "Quorvantelix");
    EXPECT_EQ(host.submissions[0].account, "10000002");
    EXPECT_EQ(host.submissions[0].place, 0);
}

TEST_F(SendOrdersTest, NothingGoesOutWithoutIntegratedTradingOrAYes)
{
    env.settings.m_nBroker = 0;
    EXPECT_FALSE(SendOrders(kOriginTicket, 1, 0, -1, {Leg("XYZ", 0, 100, "Market")}, 0, {}, nullptr));
    EXPECT_TRUE(host.questions.empty());
    EXPECT_TRUE(host.messages.empty());
    env.settings.m_nBroker = 1;
    host.answerYes = false;
    EXPECT_FALSE(SendOrders(kOriginTicket, 1, 0, -1, {Leg("XYZ", 0, 100, "Market")}, 0, {}, nullptr));
    EXPECT_EQ(host.questions.size(), 1u);
    EXPECT_TRUE(host.submissions.empty());
    // Without confirmation (automated trading) nothing is asked.
    env.settings.m_tradingDefaults.Row(1).confirmOrders = 0;
    EXPECT_TRUE(SendOrders(kOriginTicket, 1, 0, -1, {Leg("XYZ", 0, 100, "Market")}, 0, {}, nullptr));
    EXPECT_EQ(host.questions.size(), 1u);
    EXPECT_EQ(host.submissions.size(), 1u);
}

TEST_F(SendOrdersTest, TheAccountsAreResolvedBeforeTheQuestion)
{
    EXPECT_FALSE(SendOrders(kOriginTicket, 1, 0, -1, {Leg("XYZ", 0, 100, "Market")}, 2, {"Joint"}, nullptr));
    EXPECT_TRUE(host.questions.empty());  // never asked to confirm an order that has nowhere to go
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0], "You are not logged-in into account specified for this order.");
    EXPECT_TRUE(host.submissions.empty());
}

TEST_F(SendOrdersTest, BadLegsAreRefusedFromEveryCaller)
{
    struct Case {
        COrderRecord leg;
        const char* message;
    };
    const Case cases[] = {
        {Leg("XYZ", 0, 0, "Market"), "The quantity must be a whole number from 1 to 2147483647."},
        {Leg("XYZ", 0, -5, "Market"), "The quantity must be a whole number from 1 to 2147483647."},
        {Leg("XYZ", 0, 99999999999.0, "Market"), "The quantity must be a whole number from 1 to 2147483647."},
        {Leg("XYZ", 0, 100, "Limit", 0), "A Limit order needs a price above 0."},
        {Leg("XYZ", 0, 100, "StopLimit", 10, 0), "A StopLimit order needs an activation price above 0."},
        {Leg("XYZ", 0, 100, "StopMarket", 0, -1), "A StopMarket order needs an activation price above 0."},
        {Leg("XYZ", 1, 100, "T-Stop$", 0), "A T-Stop$ order needs a trailing amount above 0."},
        {Leg("XYZ~quantity=1", 0, 100, "Market"),
         "\"XYZ~quantity=1\" is not a valid symbol; a symbol holds only letters, digits and . / - _."},
        {Leg("X&Y", 0, 100, "Market"), "\"X&Y\" is not a valid symbol; a symbol holds only letters, digits and . / - _."},
        {Leg("AB\x01", 0, 100, "Market"), "\"AB?\" is not a valid symbol; a symbol holds only letters, digits and . / - _."},
    };
    for (const Case& c : cases) {
        host.messages.clear();
        for (int origin : {kOriginTicket, kOriginAlert})
            EXPECT_FALSE(SendOrders(origin, 1, 0, -1, {c.leg}, 0, {}, nullptr)) << c.message;
        ASSERT_EQ(host.messages.size(), 2u) << c.message;
        EXPECT_EQ(host.messages[0], c.message);
    }
    EXPECT_TRUE(host.questions.empty());
    EXPECT_TRUE(host.submissions.empty());
    // Legs are numbered when there are several.
    host.messages.clear();
    EXPECT_FALSE(SendOrders(kOriginTicket, 1, 0, 2, {Leg("XYZ", 0, 100, "Market"), Leg("XYZ", 1, 100, "Limit")}, 0,
                            {}, nullptr));
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0], "Order 2: A Limit order needs a price above 0.");
}

TEST_F(SendOrdersTest, TextsFromFilesThatAreNoOrderWordsAreRefusedNamingTheField)
{
    // What alerts.xml and the saved-orders list may hand over.
    auto with = [](auto change) {
        COrderRecord leg = Leg("GE", 0, 10, "Limit", 1);
        change(leg);
        return leg;
    };
    struct Case {
        COrderRecord leg;
        const char* message;
    };
    const Case cases[] = {
        {with([](COrderRecord& l) { l.route = "Auto~symbol=EVIL"; }), "Invalid routing: Auto~symbol=EVIL"},
        {with([](COrderRecord& l) { l.orderType = "Limit~ordtype=market"; }),
         "Invalid order type: Limit~ordtype=market"},
        {with([](COrderRecord& l) { l.expire = "DAY~expire=gtc"; }), "Invalid expiration: DAY~expire=gtc"},
        {with([](COrderRecord& l) { l.instructions = "AON/DNR~x=1"; }), "Invalid special instructions: AON/DNR~x=1"},
        {with([](COrderRecord& l) { l.instructions = "None\x01"; }), "Invalid special instructions: None?"},
        {with([](COrderRecord& l) { l.action = 7; }), "Invalid action: 7"},
        {with([](COrderRecord& l) {
             l.expire = "GTC";
             l.expirationMonth = "1~exyear=2031";
             l.expirationDay = "2";
             l.expirationYear = "2030";
         }),
         "Invalid good-till date: 1~exyear=2031/2/2030"},
        {with([](COrderRecord& l) {
             l.expire = "GTC";
             l.expirationMonth = "2";
             l.expirationDay = "30";
             l.expirationYear = "2030";
         }),
         "Invalid good-till date: 2/30/2030"},
        {with([](COrderRecord& l) { l.price = 0.00004; }),
         "Invalid price: 4e-05 (above 0, at most 4 decimals)"},
        {with([](COrderRecord& l) { l.price = 50.12345; }),
         "Invalid price: 50.12345 (above 0, at most 4 decimals)"},
    };
    for (const Case& c : cases) {
        host.messages.clear();
        EXPECT_FALSE(SendOrders(kOriginAlert, 1, 0, -1, {c.leg}, 0, {}, nullptr)) << c.message;
        ASSERT_EQ(host.messages.size(), 1u) << c.message;
        EXPECT_EQ(host.messages[0], c.message);
    }
    EXPECT_TRUE(host.questions.empty());
    EXPECT_TRUE(host.submissions.empty());
    // The words of the order forms pass in any case, blanks around them, and so do the
    // exchanges of the routing list.
    COrderRecord fine = with([](COrderRecord& l) {
        l.orderType = " limit";
        l.expire = "gtc+ext";
        l.route = "ARCA";
        l.instructions = "";
        l.expirationMonth = "06";
        l.expirationDay = "1";
        l.expirationYear = "2030";
        l.price = 50.123;
    });
    EXPECT_TRUE(SendOrders(kOriginAlert, 1, 0, -1, {fine}, 0, {}, nullptr));
    EXPECT_EQ(host.submissions.size(), 1u);
}

TEST_F(SendOrdersTest, TheBrokersRefusalsAreToldAndTheNextAccountStillGetsTheOrder)
{
    host.failures["10000001"] = "Insufficient buying power.";
    EXPECT_TRUE(SendOrders(kOriginTicket, 1, 0, -1, {Leg("XYZ", 0, 100, "Market")}, 1, {}, nullptr));
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0], "Insufficient buying power.\r\nAccount: Individual");
    EXPECT_EQ(host.submissions.size(), 2u);

    // The last request decides the result.
    host.failures.clear();
    host.failures["10000002"] = "";
    host.messages.clear();
    EXPECT_FALSE(SendOrders(kOriginTicket, 1, 0, -1, {Leg("XYZ", 0, 100, "Market")}, 1, {}, nullptr));
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0], "The order was not accepted; the broker gave no reason.\r\nAccount: IRA");

    // Saving: a conditional order, and the broker's limit of saved orders.
    host.failures.clear();
    host.failures["10000001"] = "";
    host.messages.clear();
    EXPECT_FALSE(SendOrders(kOriginTicket, 0, 0, 0, {Leg("XYZ", 0, 1, "Limit", 5), Leg("XYZ", 0, 1, "Limit", 6)}, 0,
                            {}, nullptr));
    EXPECT_EQ(host.messages.back(), "Conditional orders can't be saved.");
    host.failures["10000001"] = "ORA-20002 LIMIT VIOLATION ORA-06512";
    EXPECT_FALSE(SendOrders(kOriginTicket, 0, 0, -1, {Leg("XYZ", 0, 1, "Limit", 5)}, 0, {}, nullptr));
    EXPECT_EQ(host.messages.back(),
              "Error saving order: account already contains the maximum number of saved orders (max=200).");
    EXPECT_FALSE(SendOrders(kOriginTicket, 1, 0, -1, {Leg("XYZ", 0, 1, "Limit", 5)}, 0, {}, nullptr));
    EXPECT_EQ(host.messages.back(), "ORA-20002 LIMIT VIOLATION ORA-06512");  // placing: as it came
}

TEST_F(SendOrdersTest, WithoutAHostNothingIsSent)
{
    CScopedTradingHost none(nullptr);
    EXPECT_FALSE(SendOrders(kOriginTicket, 1, 0, -1, {Leg("XYZ", 0, 100, "Market")}, 0, {}, nullptr));
    EXPECT_TRUE(host.submissions.empty());
}
