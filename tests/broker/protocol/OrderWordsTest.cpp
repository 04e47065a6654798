#include "broker/protocol/OrderWords.h"

#include <gtest/gtest.h>

using namespace qx::protocol;

TEST(OrderWords, UserWordsMapBothWays)
{
    EXPECT_EQ(ToBrokerWord(OrderWordKind::StockAction, "Sell Short"), "sellshort");
    EXPECT_EQ(ToBrokerWord(OrderWordKind::OptionAction, "buy to close"), "buytoclose");
    EXPECT_EQ(ToBrokerWord(OrderWordKind::OrderType, "T-Stop%"), "tstoppercent");
    EXPECT_EQ(ToBrokerWord(OrderWordKind::Expire, "Day"), "day");  // expires ignore case
    EXPECT_EQ(ToBrokerWord(OrderWordKind::Instructions, "AON/DNR"), "aon_dnr");
    EXPECT_EQ(ToBrokerWord(OrderWordKind::Routing, "Default"), "auto");
    EXPECT_EQ(ToBrokerWord(OrderWordKind::Routing, "NSDQ (INET)"), "inet");
    EXPECT_EQ(ToBrokerWord(OrderWordKind::StockAction, "Buy to Open"), "");
    EXPECT_EQ(ToUserWord(OrderWordKind::Routing, "auto"), "Auto");
    EXPECT_EQ(ToUserWord(OrderWordKind::OrderType, "stop_limit"), "StopLimit");
    EXPECT_EQ(ToUserWord(OrderWordKind::Expire, "DAY"), "");  // broker words are exact
}

TEST(OrderWords, ConditionalTickets)
{
    std::string word;
    int legs = 0;
    ASSERT_TRUE(ConditionalTicket(1, word, legs));
    EXPECT_EQ(word, "oca");
    EXPECT_EQ(legs, 2);
    ASSERT_TRUE(ConditionalTicket(4, word, legs));
    EXPECT_EQ(word, "otoca");
    EXPECT_EQ(legs, 3);
    EXPECT_FALSE(ConditionalTicket(-1, word, legs));
    EXPECT_FALSE(ConditionalTicket(6, word, legs));
    EXPECT_EQ(TicketLegCount("otota"), 3);
    EXPECT_EQ(TicketLegCount("xyz"), 0);
}
