#include "BrokerTestClients.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

using namespace qx::testbroker;
using namespace qx::testbroker::testing;

namespace {

class BrokerApi : public ::testing::Test {
protected:
    void SetUp() override
    {
        broker = StartBroker();
        ASSERT_TRUE(broker);
        api = std::make_unique<ApiClient>(*broker);
    }
    std::unique_ptr<CTestBroker> broker;
    std::unique_ptr<ApiClient> api;
};

}  // namespace

TEST_F(BrokerApi, LoginGivesCookieAccountsAndSessionRequests)
{
    ASSERT_TRUE(api->LogIn());
    EXPECT_TRUE(api->cookie.starts_with("KELVTRADING="));
    TiXmlDocument doc;
    ASSERT_TRUE(api->Api("StreamerInfo", {}, doc));
    EXPECT_EQ(XmlText(&doc, "Port"), std::to_string(broker->StreamPort()));
    EXPECT_EQ(XmlText(&doc, "Host"), "127.0.0.1");
    EXPECT_EQ(XmlText(&doc, "Token").size(), 32u);
    ASSERT_TRUE(api->Api("MessageKey", {}, doc));
    EXPECT_FALSE(XmlText(&doc, "Key").empty());

    const uint64_t before = broker->KeepAliveCount();
    ASSERT_TRUE(api->Api("KeepAlive", {}, doc));
    EXPECT_EQ(broker->KeepAliveCount(), before + 1);

    ASSERT_TRUE(api->Api("ActionLogger", {{"action", "login"}, {"text", "started"}}, doc));
    const auto log = broker->ActionLog();
    EXPECT_TRUE(std::find(log.begin(), log.end(), "demo login started") != log.end());

    ASSERT_TRUE(api->Api("BalancesAndPositions", {{"accountid", "10000001"}}, doc));
    const auto lines = XmlAll(&doc, "Balance");
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(XmlText(lines[0], "Name"), "Cash Balance");
    EXPECT_EQ(XmlText(lines[0], "Amount"), "100,000.00");
    EXPECT_FALSE(api->Api("BalancesAndPositions", {{"accountid", "999"}}, doc));
    EXPECT_EQ(XmlText(&doc, "error"), "Invalid account: 999");

    ASSERT_TRUE(api->Api("OrderStatus", {{"accountid", "10000002"}}, doc));
    EXPECT_TRUE(XmlAll(&doc, "Order").empty());
    ASSERT_TRUE(api->Api("SavedOrders", {{"accountid", "10000002"}}, doc));

    ASSERT_TRUE(api->Api("LogOut", {}, doc));
    EXPECT_FALSE(api->Api("KeepAlive", {}, doc));
    EXPECT_EQ(XmlText(&doc, "error"), "Session has expired. Please log in again.");
}

TEST_F(BrokerApi, LoginFailuresCarryTheBrokersText)
{
    EXPECT_FALSE(api->LogIn("demo", "wrong"));
    EXPECT_TRUE(api->cookie.empty());
    TiXmlDocument doc;
    const HttpReply r = api->Post("/apps/100/LogIn", {{"userid", "demo"}, {"password", "wrong"}, {"source", "QX"}, {"version", "1"}});
    doc.Parse(r.body.c_str());
    EXPECT_EQ(XmlText(&doc, "result"), "FAIL");
    EXPECT_EQ(XmlText(&doc, "error"), "Invalid user name or password.");

    broker->RejectLogins(1, "Your account is locked.");
    const HttpReply locked = api->Post("/apps/100/LogIn", {{"userid", "demo"}, {"password", "demo"}, {"source", "QX"}, {"version", "1"}});
    TiXmlDocument lockedDoc;  // Parse adds to a document, so a fresh one
    lockedDoc.Parse(locked.body.c_str());
    EXPECT_EQ(XmlText(&lockedDoc, "error"), "Your account is locked.");
    EXPECT_TRUE(api->LogIn());  // only one login was to be refused

    // Requests without source or version, without a session, or unknown.
    EXPECT_NE(api->Get("/apps/100/KeepAlive").body.find("Missing source or version."), std::string::npos);
    api->cookie = "KELVTRADING=forged";
    EXPECT_FALSE(api->Api("KeepAlive", {}, doc));
    ASSERT_TRUE(api->LogIn());
    EXPECT_FALSE(api->Api("NoSuchRequest", {}, doc));
    EXPECT_EQ(XmlText(&doc, "error"), "Unknown request.");
}

TEST_F(BrokerApi, PageBasedLoginAndKeepAliveShareTheSession)
{
    const HttpReply bad = api->Post("/cgi-bin/apps/LogIn", {{"userid", "demo"}, {"password", "nope"}}, false);
    EXPECT_NE(bad.body.find("<p class=\"error\">Invalid user name or password.</p>"), std::string::npos);
    EXPECT_TRUE(bad.setCookie.empty());

    const HttpReply ok = api->Post("/cgi-bin/apps/LogIn", {{"userid", "demo"}, {"password", "demo"}}, false);
    ASSERT_TRUE(ok.setCookie.starts_with("KELVTRADING="));
    api->cookie = ok.setCookie.substr(0, ok.setCookie.find(';'));
    EXPECT_EQ(api->Get("/cgi-bin/apps/KeepAlive").body, "OK");
    TiXmlDocument doc;
    EXPECT_TRUE(api->Api("KeepAlive", {}, doc));  // the API accepts the page login's cookie
    EXPECT_NE(api->Get("/cgi-bin/apps/LogOut").setCookie.find("Max-Age=0"), std::string::npos);
    EXPECT_EQ(api->Get("/cgi-bin/apps/KeepAlive").status, 401);
}

TEST_F(BrokerApi, WatchlistsAreCreatedEditedAndDeleted)
{
    ASSERT_TRUE(api->LogIn());
    TiXmlDocument doc;
    ASSERT_TRUE(api->Api("CreateWatchlist", {{"name", "Tech"}, {"symbollist", "MSFT|10|300.5|9.99|01-15-2025,IBM"}}, doc));
    const std::string id = XmlText(&doc, "Id");
    ASSERT_FALSE(id.empty());
    EXPECT_FALSE(api->Api("CreateWatchlist", {{"name", "Tech"}, {"symbollist", "IBM"}}, doc));
    EXPECT_EQ(XmlText(&doc, "error"), "A watch list named Tech already exists.");
    EXPECT_FALSE(api->Api("CreateWatchlist", {{"name", "Bad"}, {"symbollist", "NOSUCH1"}}, doc));
    EXPECT_EQ(XmlText(&doc, "error"), "Invalid symbol: NOSUCH1");
    EXPECT_FALSE(api->Api("CreateWatchlist", {{"name", "Bad"}, {"symbollist", "IBM|x"}}, doc));
    EXPECT_FALSE(api->Api("CreateWatchlist", {{"name", ""}, {"symbollist", "IBM"}}, doc));

    ASSERT_TRUE(api->Api("GetWatchlists", {}, doc));
    auto symbols = XmlAll(&doc, "Symbol");
    ASSERT_EQ(symbols.size(), 2u);
    EXPECT_EQ(XmlText(symbols[0], "Name"), "MSFT");
    EXPECT_EQ(XmlText(symbols[0], "Quantity"), "10");
    EXPECT_EQ(XmlText(symbols[0], "Price"), "300.5");
    EXPECT_EQ(XmlText(symbols[0], "PurchaseDate"), "01-15-2025");

    ASSERT_TRUE(api->Api("EditWatchlist", {{"listid", id}, {"name", "Tech2"}, {"symbollist", "$SPX"}}, doc));
    ASSERT_TRUE(api->Api("GetWatchlists", {}, doc));
    EXPECT_EQ(XmlText(&doc, "Name"), "Tech2");
    EXPECT_EQ(XmlAll(&doc, "Symbol").size(), 1u);

    ASSERT_TRUE(api->Api("DeleteWatchlist", {{"listid", id}}, doc));
    EXPECT_FALSE(api->Api("DeleteWatchlist", {{"listid", id}}, doc));
    EXPECT_EQ(XmlText(&doc, "error"), "Watch list " + id + " not found.");
}

TEST_F(BrokerApi, OptionChainsNewsAndUpdateFile)
{
    ASSERT_TRUE(api->LogIn());
    TiXmlDocument doc;
    ASSERT_TRUE(api->Api("OptionChain", {{"symbol", "msft"}, {"type", "C"}, {"range", "ALL"}, {"expire", "A"}, {"strike", "0"}}, doc));
    const auto options = XmlAll(&doc, "Option");
    ASSERT_FALSE(options.empty());
    for (const TiXmlElement* o : options) {
        EXPECT_EQ(XmlText(o, "Type"), "C");
        EXPECT_TRUE(XmlText(o, "Symbol").starts_with("+MSFT"));
        EXPECT_TRUE(broker->Symbol(XmlText(o, "Symbol")).has_value());
    }
    EXPECT_FALSE(api->Api("OptionChain", {{"symbol", "NOPE"}}, doc));
    EXPECT_EQ(XmlText(&doc, "error"), "Invalid symbol: NOPE");

    qx::protocol::Headline h;
    h.symbol = "IBM";
    h.text = "IBM & partners <announce>";
    h.note = "H";
    const auto kept = broker->InjectHeadline(h, "<p>Body</p>");
    ASSERT_TRUE(api->Api("NewsHistory", {{"symbol", "IBM"}}, doc));
    EXPECT_EQ(XmlText(&doc, "Text"), "IBM & partners <announce>");
    EXPECT_EQ(XmlText(&doc, "StoryId"), kept.storyId);
    ASSERT_TRUE(api->Api("NewsHistory", {{"symbol", "*HOT*"}}, doc));
    EXPECT_EQ(XmlAll(&doc, "Headline").size(), 1u);
    ASSERT_TRUE(api->Api("NewsHistory", {{"symbol", "MSFT"}}, doc));
    EXPECT_TRUE(XmlAll(&doc, "Headline").empty());

    const std::string url = kept.storyUrl;
    ASSERT_TRUE(url.starts_with(broker->BaseUrl()));
    const HttpReply story = api->Get(url.substr(broker->BaseUrl().size()));
    EXPECT_EQ(story.status, 200);
    EXPECT_NE(story.body.find("<p>Body</p>"), std::string::npos);
    EXPECT_EQ(api->Get("/apps/100/NewsStory", {{"storyid", "missing"}, {"source", "QX"}, {"version", "1"}}).status, 404);

    TiXmlDocument update;
    update.Parse(api->Get("/update/QxUpdate.xml", {}, false).body.c_str());
    for (const char* e : {"Update", "Type", "Name", "Version", "Message", "Url"})
        EXPECT_NE(XmlFind(&update, e), nullptr) << e;
    EXPECT_EQ(XmlText(&update, "Name"), "Quorvantelix");
}

TEST_F(BrokerApi, IndustryGroupsListTheSectorsAndTheirIndustriesStocks)
{
    ASSERT_TRUE(api->LogIn());
    // What the quotes say: the stocks of each industry, by sector.
    std::map<std::string, std::map<std::string, std::vector<std::string>>> quoted;
    for (const std::string& symbol : broker->Symbols()) {
        const auto s = broker->Symbol(symbol);
        const auto sector = QuoteFieldOf(*s, 83, 0);
        const auto industry = QuoteFieldOf(*s, 82, 0);
        if (sector && industry)
            quoted[sector->text][industry->text].push_back(symbol);
    }
    ASSERT_GE(quoted.size(), 2u);
    // Companies sit in the industry their business names; funds in none.
    const auto& oil = quoted["Energy"]["Oil & Gas"];
    EXPECT_NE(std::find(oil.begin(), oil.end(), "XOM"), oil.end());
    for (const std::string& symbol : oil)
        EXPECT_TRUE(symbol == "XOM" || broker->Symbol(symbol)->description.ends_with(" Energy Co")) << symbol;
    EXPECT_FALSE(QuoteFieldOf(*broker->Symbol("SPY"), 82, 0).has_value());

    TiXmlDocument doc;
    ASSERT_TRUE(api->Api("IndustryGroups", {}, doc)) << XmlText(&doc, "error");
    const auto groups = XmlAll(&doc, "Group");
    ASSERT_EQ(groups.size(), quoted.size());
    auto sector = quoted.begin();
    for (const TiXmlElement* group : groups) {
        EXPECT_EQ(XmlText(group, "Name"), sector->first);
        std::vector<std::string> sets;
        for (const TiXmlElement* set : XmlAll(group, "Set"))
            sets.push_back(set->GetText() ? set->GetText() : "");
        std::vector<std::string> industries;
        for (const auto& entry : sector->second)
            industries.push_back(entry.first);
        EXPECT_EQ(sets, industries) << sector->first;
        for (const std::string& set : sets) {
            TiXmlDocument members;
            ASSERT_TRUE(api->Api("IndustryGroup", {{"name", set}}, members)) << set;
            std::vector<std::string> symbols;
            for (const TiXmlElement* s : XmlAll(&members, "Symbol"))
                symbols.push_back(s->GetText() ? s->GetText() : "");
            EXPECT_EQ(symbols, sector->second.at(set)) << set;
        }
        ++sector;
    }

    // A name as the client sends it, its blanks removed, names the same set.
    ASSERT_TRUE(quoted.count("Energy") && quoted["Energy"].count("Oil & Gas"));
    ASSERT_TRUE(api->Api("IndustryGroup", {{"name", "Oil&Gas"}}, doc));
    EXPECT_EQ(XmlAll(&doc, "Symbol").size(), quoted["Energy"]["Oil & Gas"].size());
    EXPECT_FALSE(api->Api("IndustryGroup", {{"name", "Shipbuilding"}}, doc));
    EXPECT_EQ(XmlText(&doc, "error"), "Unknown symbol set: Shipbuilding");
    EXPECT_FALSE(api->Api("IndustryGroup", {}, doc));
    EXPECT_EQ(XmlText(&doc, "error"), "A symbol set name is required.");
}
