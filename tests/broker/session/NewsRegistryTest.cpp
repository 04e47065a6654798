// The news registry's merge: which rows a message tells its listeners about, the bound
// on a key's headlines and the copies windows take of them.
#include "broker/session/CNewsRegistry.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using Ranges = std::vector<std::pair<int, int>>;

struct RangeCallback : CNewsCallback {
    void OnNewsChange(CNewsListener*, int first, int last) override { ranges.push_back({first, last}); }
    Ranges ranges;
};

CNewsHeadline Story(const char* id, const char* text = "headline")
{
    CNewsHeadline h;
    h.symbol = "MSFT";
    h.storyId = id;
    h.headline = text;
    return h;
}

CNewsMessage Message(const char* key, std::vector<CNewsHeadline> headlines)
{
    CNewsMessage message;
    message.m_key = key;
    message.m_headlines = std::move(headlines);
    return message;
}

std::vector<std::string> Ids(const std::vector<CNewsHeadline>& headlines)
{
    std::vector<std::string> ids;
    for (const CNewsHeadline& h : headlines)
        ids.push_back(h.storyId.str());
    return ids;
}

} // namespace

TEST(NewsRegistryMerge, AMessageThatReplacesOneStoryAndAppendsAnotherTellsOnlyThoseTwoRows)
{
    CNewsRegistry news;
    RangeCallback callback;
    CNewsListener listener{nullptr, &callback};
    news.AddListener("MSFT", &listener, nullptr);
    news.DispatchNews(Message("MSFT", {Story("N1"), Story("N2"), Story("N3"), Story("N4"), Story("N5")}));
    EXPECT_EQ(callback.ranges, (Ranges{{0, 4}}));

    // N2 is rewritten, N6 is new: rows 2..4 (N3..N5) are not part of the change.
    callback.ranges.clear();
    news.DispatchNews(Message("MSFT", {Story("N2", "N2 corrected"), Story("N6")}));
    EXPECT_EQ(callback.ranges, (Ranges{{1, 1}, {5, 5}}));

    // Adjacent rows still come as one run, in index order whatever the message's order.
    callback.ranges.clear();
    news.DispatchNews(Message("MSFT", {Story("N4", "again"), Story("N3", "again"), Story("N1", "again")}));
    EXPECT_EQ(callback.ranges, (Ranges{{0, 0}, {2, 3}}));

    const CNewsEntry* entry = news.Lookup("MSFT");
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(CNewsRegistry::GetHeadline(*entry, 1).headline, "N2 corrected");
    EXPECT_EQ(CNewsRegistry::GetHeadline(*entry, 1).updated, 1);
    EXPECT_EQ(CNewsRegistry::GetHeadline(*entry, 4).updated, 0);
    EXPECT_EQ(CNewsRegistry::GetHeadline(*entry, 5).storyId, "N6");
    news.RemoveListener("MSFT", &listener);
}

TEST(NewsRegistryMerge, AKeyKeepsABoundedHistoryWithStableIndexes)
{
    CNewsRegistry news(nullptr, 3);
    RangeCallback callback;
    CNewsListener listener{nullptr, &callback};
    CNewsEntry* entry = news.AddListener("MSFT", &listener, nullptr);
    for (const char* id : {"N1", "N2", "N3", "N4", "N5"})
        news.DispatchNews(Message("MSFT", {Story(id)}));
    EXPECT_EQ(callback.ranges, (Ranges{{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 4}}));
    ASSERT_EQ(entry->headlines.size(), 3u);
    EXPECT_EQ(entry->base, 2);
    EXPECT_EQ(entry->End(), 5);
    EXPECT_EQ(entry->storyIndex.size(), 3u);
    EXPECT_EQ(entry->storyIndex.count("N1"), 0u);
    EXPECT_EQ(entry->storyIndex.at("N5"), 4);

    // A copy takes only what is still there, and says where it starts.
    std::vector<CNewsHeadline> copied;
    int from = -1;
    news.CopyHeadlines(*entry, 0, 10, copied, &from);
    EXPECT_EQ(Ids(copied), (std::vector<std::string>{"N3", "N4", "N5"}));
    EXPECT_EQ(from, 2);
    news.CopyHeadlines(*entry, 3, 3, copied, &from);
    EXPECT_EQ(Ids(copied), (std::vector<std::string>{"N4"}));
    news.CopyHeadlines(*entry, 0, 1, copied);
    EXPECT_TRUE(copied.empty());

    // A dropped story that comes again is a new row; a replaced one keeps its index.
    callback.ranges.clear();
    news.DispatchNews(Message("MSFT", {Story("N4", "N4 again"), Story("N1", "N1 again")}));
    EXPECT_EQ(callback.ranges, (Ranges{{3, 3}, {5, 5}}));
    EXPECT_EQ(CNewsRegistry::GetHeadline(*entry, 5).updated, 0);
    EXPECT_EQ(CNewsRegistry::GetHeadline(*entry, 3).updated, 1);

    // More new stories than the bound in one message: only those that stay are told.
    callback.ranges.clear();
    news.DispatchNews(Message("MSFT", {Story("A"), Story("B"), Story("C"), Story("D"), Story("E")}));
    EXPECT_EQ(callback.ranges, (Ranges{{8, 10}}));
    EXPECT_EQ(Ids({entry->headlines.begin(), entry->headlines.end()}), (std::vector<std::string>{"C", "D", "E"}));
    EXPECT_EQ(entry->storyIndex.size(), 3u);

    // A snapshot copy keeps the indexes.
    CNewsEntry copy;
    copy.CopyFrom(*entry);
    EXPECT_EQ(copy.base, 8);
    EXPECT_EQ(copy.storyIndex.at("D"), 9);
    EXPECT_TRUE(copy.listeners.empty());
    news.RemoveListener("MSFT", &listener);
}
