#include "broker/session/CMarketDepthHandle.h"
#include "broker/session/CMarketDepthStore.h"
#include "broker/session/CNewsRegistry.h"
#include "broker/session/CQuoteStore.h"
#include "broker/session/IStreamSubscriber.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class Subscriptions : public IStreamSubscriber {
public:
    void Subscribe(const CString& s, int service) override { calls.push_back("+" + s.str() + "/" + std::to_string(service)); }
    void Unsubscribe(const CString& s, int service) override { calls.push_back("-" + s.str() + "/" + std::to_string(service)); }
    DWORD RequestOptionChain(const COptionChainRequest&) override { return 0; }
    void RequestNewsHistory(const CString& key) override { calls.push_back("history " + key.str()); }
    std::vector<std::string> calls;
};

struct DepthCall {
    DWORD kind, side, index, flags;
    bool operator==(const DepthCall&) const = default;
};

class DepthListener : public CMarketDepthListener {
public:
    void OnDepthChange(CMarketDepthHandle*, DWORD kind, DWORD side, DWORD index, DWORD flags) override
    {
        calls.push_back({kind, side, index, flags});
    }
    std::vector<DepthCall> calls;
};

CBookMessage Book(const char* source, std::vector<CBookMessageRow> bids, std::vector<CBookMessageRow> asks)
{
    CBookMessage message;
    message.m_symbol = "MSFT";
    message.m_source = source;
    message.m_bids = std::move(bids);
    message.m_asks = std::move(asks);
    return message;
}

} // namespace

TEST(MarketDepth, HandleSourcesFromTheirTexts)
{
    CMarketDepthStore depth;
    CQuoteStore quotes;
    EXPECT_EQ(CMarketDepthHandle(depth, quotes, "ibm").GetSource(), "NYSE");
    EXPECT_EQ(CMarketDepthHandle(depth, quotes, "msft").GetSource(), "L2");
    CMarketDepthHandle inet(depth, quotes, "inet:msft");
    EXPECT_EQ(inet.GetSource(), "INET");
    EXPECT_EQ(inet.GetSymbol(), "MSFT");
    EXPECT_EQ(CMarketDepthHandle(depth, quotes, "L2:+MSFT260116C00300000").GetSource(), "OPRA");
}

TEST(MarketDepth, BooksLiveWhileRegisteredAndTrackParticipants)
{
    Subscriptions subs;
    CMarketDepthStore depth(&subs);
    CQuoteStore quotes(&subs);
    depth.ApplyMessage(Book("L2", {{"ARCA", 10, 100, ""}}, {})); // nobody registered: dropped
    EXPECT_EQ(depth.GetBookCount(), 0u);

    DepthListener listener;
    auto first = std::make_unique<CMarketDepthHandle>(depth, quotes, "L2:MSFT");
    first->m_pListener = &listener;
    first->Subscribe();
    CMarketDepthHandle second(depth, quotes, "L2:MSFT");
    second.Subscribe();
    EXPECT_EQ(subs.calls, (std::vector<std::string>{"+MSFT/1", "+MSFT/0"}));
    EXPECT_EQ(first->GetBidCount(), 0); // no data yet

    depth.ApplyMessage(Book("L2", {{"ARCA", 10.0, 100, ""}, {"NSDQ", 9.9, 300, ""}}, {{"ARCA", 10.1, 200, ""}}));
    EXPECT_TRUE(listener.calls.empty()); // new participants are not changes
    EXPECT_EQ(first->GetBidCount(), 2);
    DWORD value = 0;
    ASSERT_TRUE(first->GetBidValue(1, 1, &value));
    EXPECT_EQ(value, 9900u);

    depth.ApplyMessage(Book("L2", {{"ARCA", 10.05, 100, ""}, {"NSDQ", 9.9, 300, ""}}, {}));
    EXPECT_EQ(listener.calls, (std::vector<DepthCall>{{1, 0, 0, 2}}));
    EXPECT_EQ(first->GetAskCount(), 1); // asks kept
    listener.calls.clear();
    depth.ApplyMessage(Book("L2", {{"ARCA", 10.05, 50, ""}, {"NSDQ", 9.9, 300, ""}}, {}));
    EXPECT_EQ(listener.calls, (std::vector<DepthCall>{{1, 0, 0, 4}})); // the size moved, not the price again
    char text[32];
    ASSERT_TRUE(first->GetBidText(1, 2, text, sizeof text));
    EXPECT_STREQ(text, "300");
    EXPECT_FALSE(first->GetBidText(5, 2, text, sizeof text));

    first.reset();
    EXPECT_EQ(depth.GetBookCount(), 1u);
    EXPECT_EQ(subs.calls.size(), 2u);
}

TEST(MarketDepth, FirstQuoteMovesTheHandleToTheRightBook)
{
    Subscriptions subs;
    CMarketDepthStore depth(&subs);
    CQuoteStore quotes(&subs);
    {
        CMarketDepthHandle handle(depth, quotes, "ibm"); // NYSE book until the exchange is known
        handle.Subscribe();
        CQuoteMessage quote;
        quote.m_symbol = "IBM";
        quote.AddText(101, "NASD");
        quotes.ApplyQuote(quote);
        EXPECT_EQ(handle.GetSource(), "L2");
        EXPECT_EQ(depth.GetBookCount(), 1u);
        EXPECT_NE(depth.FindBook("IBM", "L2"), nullptr);
    }
    EXPECT_EQ(depth.GetBookCount(), 0u);
    EXPECT_EQ(quotes.GetRecordCount(), 0u);
    EXPECT_EQ(subs.calls, (std::vector<std::string>{"+IBM/2", "+IBM/0", "-IBM/2", "+IBM/1", "-IBM/1", "-IBM/0"}));
}

TEST(NewsRegistry, MergesByStoryIdAndNotifiesRanges)
{
    Subscriptions subs;
    CNewsRegistry news(&subs);
    struct Callback : CNewsCallback {
        void OnNewsChange(CNewsListener*, int first, int last) override { ranges.push_back({first, last}); }
        std::vector<std::pair<int, int>> ranges;
    } callback;
    CNewsListener a{nullptr, &callback}, b{nullptr, &callback};
    bool existed = true;
    news.AddListener("MSFT", &a, &existed);
    EXPECT_FALSE(existed);
    news.AddListener("MSFT", &b, &existed);
    EXPECT_TRUE(existed);
    EXPECT_EQ(subs.calls, (std::vector<std::string>{"+MSFT/11", "history MSFT"}));

    CNewsMessage message;
    message.m_key = "MSFT";
    CNewsHeadline h1, h2;
    h1.storyId = "N1";
    h1.headline = "one";
    h2.storyId = "N2";
    h2.headline = "two";
    message.m_headlines = {h1, h2};
    news.DispatchNews(message);
    EXPECT_EQ(callback.ranges, (std::vector<std::pair<int, int>>{{0, 1}, {0, 1}}));

    callback.ranges.clear();
    h1.headline = "one, updated";
    CNewsHeadline kept = h2;
    kept.keep = 1;
    message.m_headlines = {kept, h1};
    news.DispatchNews(message);
    EXPECT_EQ(callback.ranges, (std::vector<std::pair<int, int>>{{0, 0}, {0, 0}}));
    const CNewsEntry* entry = news.Lookup("MSFT");
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->headlines[0].headline, "one, updated");
    EXPECT_EQ(entry->headlines[0].updated, 1);
    EXPECT_EQ(entry->headlines[1].headline, "two");

    callback.ranges.clear();
    message.m_headlines = {kept};
    news.DispatchNews(message); // everything known and kept: nobody hears
    message.m_key = "IBM";
    news.DispatchNews(message); // nobody registered
    EXPECT_TRUE(callback.ranges.empty());
    EXPECT_EQ(news.Lookup("IBM"), nullptr);

    news.RemoveListener("MSFT", &a);
    news.RemoveListener("MSFT", &b);
    EXPECT_EQ(news.Lookup("MSFT"), nullptr);
    EXPECT_EQ(subs.calls.back(), "-MSFT/11");
}
