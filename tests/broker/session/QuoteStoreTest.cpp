#include "broker/core/FeedTime.h"
#include "broker/session/CQuoteListener.h"
#include "broker/session/CQuoteStore.h"
#include "broker/session/CSymbolHandle.h"
#include "broker/session/IStreamSubscriber.h"
#include "broker/session/QuoteFields.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

class RecordingSubscriber : public IStreamSubscriber {
public:
    void Subscribe(const CString& symbol, int service) override { calls.push_back("+" + symbol.str() + "/" + std::to_string(service)); }
    void Unsubscribe(const CString& symbol, int service) override { calls.push_back("-" + symbol.str() + "/" + std::to_string(service)); }
    DWORD RequestOptionChain(const COptionChainRequest&) override { return 7; }
    void RequestNewsHistory(const CString& key) override { calls.push_back("news " + key.str()); }
    std::vector<std::string> calls;
};

class RecordingListener : public CQuoteListener {
public:
    void OnQuoteChange(CSymbolHandle* handle, int count, const BYTE* ids) override
    {
        lastHandle = handle;
        ++calls;
        changed.assign(ids, ids + count);
    }
    CSymbolHandle* lastHandle = nullptr;
    int calls = 0;
    std::vector<BYTE> changed;
};

CQuoteMessage Quote(const char* symbol, std::initializer_list<std::pair<int, double>> fields)
{
    CQuoteMessage message;
    message.m_symbol = symbol;
    for (auto [id, value] : fields)
        message.AddField(id, value);
    return message;
}

} // namespace

TEST(QuoteFields, CatalogueNamesAndAbbreviationsAreCompleteAndUnique)
{
    std::set<std::string> names, abbreviations;
    for (int id = 0; id < kQuoteFieldCount; ++id) {
        ASSERT_STRNE(QuoteFieldName(id), "") << id;
        ASSERT_STRNE(QuoteFieldAbbreviation(id), "") << id;
        EXPECT_TRUE(names.insert(QuoteFieldName(id)).second) << QuoteFieldName(id);
        EXPECT_TRUE(abbreviations.insert(QuoteFieldAbbreviation(id)).second) << QuoteFieldAbbreviation(id);
    }
    EXPECT_STREQ(QuoteFieldName(1), "High");
    EXPECT_STREQ(QuoteFieldAbbreviation(1), "H");
    EXPECT_STREQ(QuoteFieldAbbreviation(3), "Lst");
    EXPECT_STREQ(QuoteFieldAbbreviation(6), "B");
    EXPECT_STREQ(QuoteFieldName(36), "% Change");
    EXPECT_STREQ(QuoteFieldName(110), "Market Value");
    EXPECT_STREQ(QuoteFieldName(111), "");
    EXPECT_EQ(FindQuoteField("lst"), 3);
    EXPECT_EQ(FindQuoteField("P/E Ratio"), 99);
    EXPECT_EQ(FindQuoteField("nonsense"), -1);
}

TEST(QuoteStore, ListenerHearsOnlyTheChangedIds)
{
    RecordingSubscriber subscriber;
    CQuoteStore store(&subscriber);
    CSymbolHandle handle(store, "IBM");
    RecordingListener listener;
    handle.SetListener(&listener);
    ASSERT_TRUE(handle.Subscribe());
    EXPECT_EQ(subscriber.calls, std::vector<std::string>{"+IBM/0"});
    EXPECT_TRUE(handle.IsPending());

    store.ApplyQuote(Quote("IBM", {{kFieldBid, 100.5}, {kFieldAsk, 100.75}}));
    EXPECT_EQ(listener.calls, 1);
    EXPECT_EQ(listener.lastHandle, &handle);
    // Bid, Ask and the spread computed from them.
    EXPECT_EQ(std::set<BYTE>(listener.changed.begin(), listener.changed.end()),
              (std::set<BYTE>{kFieldBid, kFieldAsk, kFieldSpread}));
    EXPECT_FALSE(handle.IsPending());

    // Same bid again, new ask: only the ask and the spread changed.
    store.ApplyQuote(Quote("IBM", {{kFieldBid, 100.5}, {kFieldAsk, 101.0}}));
    EXPECT_EQ(listener.calls, 2);
    EXPECT_EQ(std::set<BYTE>(listener.changed.begin(), listener.changed.end()),
              (std::set<BYTE>{kFieldAsk, kFieldSpread}));

    // Nothing new: nobody is called.
    store.ApplyQuote(Quote("IBM", {{kFieldBid, 100.5}}));
    EXPECT_EQ(listener.calls, 2);

    // Sizes give the "Bid x Ask" text, reported as changed with them.
    store.ApplyQuote(Quote("IBM", {{kFieldBidSize, 1200}, {kFieldAskSize, 300}}));
    EXPECT_EQ(std::set<BYTE>(listener.changed.begin(), listener.changed.end()),
              (std::set<BYTE>{kFieldBidSize, kFieldAskSize, kFieldBidXAsk}));
    char text[99];
    EXPECT_TRUE(handle.FormatField(kFieldBidXAsk, text, sizeof text));
    EXPECT_STREQ(text, "1,200 x 300");
    listener.calls = 2;

    double value = 0;
    EXPECT_FALSE(handle.GetField(kFieldBidXAsk, value)); // a text field
    EXPECT_TRUE(handle.GetField(kFieldSpread, value));
    EXPECT_DOUBLE_EQ(value, 0.5);
    EXPECT_FALSE(handle.GetField(kFieldLast, value)); // never sent
    EXPECT_FALSE(handle.GetField(200, value));
}

TEST(QuoteStore, TradesUpdateLastRangeAndChangeButNotTheQuotesVolume)
{
    CQuoteStore store;
    CSymbolHandle handle(store, "MSFT");
    RecordingListener listener;
    handle.SetListener(&listener);
    handle.Subscribe();
    store.ApplyQuote(Quote("MSFT", {{kFieldYesterdayClose, 50.0}}));

    CTradeMessage trade;
    trade.m_symbol = "MSFT";
    trade.m_price = 51.0f;
    trade.m_size = 3;
    trade.m_moreSizes = {2};
    store.ApplyQuote(Quote("MSFT", {{kFieldVolume, 500.0}}));
    store.ApplyTrade(trade);
    EXPECT_DOUBLE_EQ(handle.GetDouble(kFieldLast), 51.0);
    EXPECT_DOUBLE_EQ(handle.GetDouble(kFieldVolume), 500.0); // the quote's, not 1000
    EXPECT_DOUBLE_EQ(handle.GetDouble(kFieldChange), 1.0);
    EXPECT_DOUBLE_EQ(handle.GetDouble(kFieldPercentChange), 2.0);
    EXPECT_DOUBLE_EQ(handle.GetDouble(kFieldHigh), 51.0);

    trade.m_price = 49.5f;
    trade.m_moreSizes.clear();
    trade.m_feedTime = DateTimeToFeedTime(2026, 12, 7, 10, 30, 0);
    store.ApplyQuote(Quote("MSFT", {{kFieldVolume, 800.0}}));
    store.ApplyTrade(trade);
    {
        std::lock_guard<std::recursive_mutex> lock(store.GetLock());
        EXPECT_EQ(store.Lookup("MSFT")->GetTradeDate(), FeedTimeToCTime(trade.m_feedTime));
    }
    EXPECT_DOUBLE_EQ(handle.GetDouble(kFieldLow), 49.5);
    EXPECT_DOUBLE_EQ(handle.GetDouble(kFieldHigh), 51.0);
    EXPECT_DOUBLE_EQ(handle.GetDouble(kFieldVolume), 800.0);
    EXPECT_DOUBLE_EQ(handle.GetDouble(kFieldTick), -1.0);
    char text[99];
    EXPECT_TRUE(handle.FormatField(kFieldVolume, text, sizeof text));
    EXPECT_STREQ(text, "800");
    EXPECT_TRUE(handle.FormatField(kFieldLast, text, sizeof text));
    EXPECT_STREQ(text, "49.50");
    EXPECT_TRUE(handle.FormatField(kFieldTradeTime, text, sizeof text));
    EXPECT_STREQ(text, "10:30:00");
}

TEST(QuoteStore, RecordIsFreedAndUnsubscribedWhenTheLastListenerLeaves)
{
    RecordingSubscriber subscriber;
    CQuoteStore store(&subscriber);
    {
        CSymbolHandle first(store, "AAPL");
        CSymbolHandle second(store, "AAPL");
        first.Subscribe();
        second.Subscribe();
        EXPECT_EQ(store.GetRecordCount(), 1u);
        first.Unsubscribe();
        EXPECT_NE(store.Lookup("AAPL"), nullptr);
        auto* series = reinterpret_cast<CPriceSeries*>(&subscriber); // only compared, never called
        store.AddSeriesListener("AAPL", series);
    }
    // The series still listens.
    EXPECT_NE(store.Lookup("AAPL"), nullptr);
    store.RemoveSeriesListener("AAPL", reinterpret_cast<CPriceSeries*>(&subscriber));
    EXPECT_EQ(store.Lookup("AAPL"), nullptr);
    EXPECT_EQ(store.GetRecordCount(), 0u);
    EXPECT_EQ(subscriber.calls, (std::vector<std::string>{"+AAPL/0", "-AAPL/0"}));

    // A quote for a symbol nobody watches is dropped without creating a record.
    store.ApplyQuote(Quote("AAPL", {{kFieldBid, 1.0}}));
    EXPECT_EQ(store.GetRecordCount(), 0u);
}

TEST(QuoteStore, SnapshotIsolatesReadsUntilAttach)
{
    CQuoteStore store;
    CSymbolHandle handle(store, "IBM");
    handle.Subscribe();
    store.ApplyQuote(Quote("IBM", {{kFieldLast, 10.0}}));
    handle.Snapshot();
    store.ApplyQuote(Quote("IBM", {{kFieldLast, 11.0}}));
    EXPECT_DOUBLE_EQ(handle.GetDouble(kFieldLast), 10.0);
    handle.Attach();
    EXPECT_DOUBLE_EQ(handle.GetDouble(kFieldLast), 11.0);
}

TEST(QuoteStore, DescriptionAndQualifiedSymbolNeedData)
{
    CQuoteStore store;
    CSymbolHandle handle(store, "IBM");
    char text[99];
    EXPECT_FALSE(handle.GetQualifiedSymbol(text, sizeof text));
    EXPECT_STREQ(text, "IBM"); // only the symbol while the record is missing
    handle.Subscribe();
    EXPECT_FALSE(handle.GetDescription(text, sizeof text)); // pending
    CQuoteMessage message = Quote("IBM", {{kFieldLast, 10.0}});
    message.AddText(kFieldDescription, "International Business Machines");
    message.AddText(kFieldExchange, "NYSE");
    store.ApplyQuote(message);
    EXPECT_TRUE(handle.GetDescription(text, sizeof text));
    EXPECT_STREQ(text, "International Business Machines");
    EXPECT_TRUE(handle.GetQualifiedSymbol(text, sizeof text));
    EXPECT_STREQ(text, "NYSE:IBM");
    char tiny[5];
    EXPECT_TRUE(handle.GetQualifiedSymbol(tiny, sizeof tiny));
    EXPECT_STREQ(tiny, "NYSE");
}

TEST(QuoteRecord, PendingUntilFirstDataOrFourSeconds)
{
    CQuoteRecord record("IBM");
    EXPECT_TRUE(record.IsPending());
    record.ClearPending();
    EXPECT_FALSE(record.IsPending());

    CQuoteRecord fresh("XYZ");
    fresh.StampRequest(SteadyMillis() - 3900);
    EXPECT_TRUE(fresh.IsPending());
    // Copying keeps the request stamp, so a copy of a fresh record is pending too.
    CQuoteRecord copy = fresh;
    EXPECT_TRUE(copy.IsPending());
    // Four seconds without data: no longer pending, though nothing arrived.
    fresh.StampRequest(SteadyMillis() - 4000);
    EXPECT_FALSE(fresh.IsPending());
    EXPECT_TRUE(fresh.IsPendingFlagSet());
}

TEST(QuoteStore, ReadersWaitForDataAtMostFourSeconds)
{
    CQuoteStore store;
    CSymbolHandle handle(store, "ZZZ");
    handle.Subscribe();
    char text[99];
    EXPECT_FALSE(handle.GetDescription(text, sizeof text)); // pending
    {
        std::lock_guard<std::recursive_mutex> lock(store.GetLock());
        store.Lookup("ZZZ")->StampRequest(SteadyMillis() - 5000);
    }
    // The symbol never got data: readers get an empty description instead of waiting on.
    EXPECT_TRUE(handle.GetDescription(text, sizeof text));
    EXPECT_STREQ(text, "");
    double value = 0;
    EXPECT_FALSE(handle.GetField(kFieldLast, value)); // still no value
    EXPECT_TRUE(handle.IsPending());                  // no quote arrived yet
    // A series listener's request stamps the record afresh.
    store.AddSeriesListener("ZZZ", reinterpret_cast<CPriceSeries*>(&store));
    EXPECT_FALSE(handle.GetDescription(text, sizeof text));
    store.RemoveSeriesListener("ZZZ", reinterpret_cast<CPriceSeries*>(&store));
}

TEST(QuoteStore, FullImageAppliesEveryFieldAtOnce)
{
    CQuoteStore store;
    CSymbolHandle handle(store, "IBM");
    RecordingListener listener;
    handle.SetListener(&listener);
    handle.Subscribe();
    CQuoteMessage image;
    image.m_symbol = "IBM";
    for (int id = 0; id <= 31; ++id)
        if (QuoteFieldKind(id) != kKindNone && QuoteFieldKind(id) != kKindText)
            image.AddField(id, 1.0 + id);
    ASSERT_GT(image.GetFieldCount(), CQuoteMessage::kMaxFields);
    store.ApplyQuote(image);
    EXPECT_EQ(listener.calls, 1);
    EXPECT_DOUBLE_EQ(handle.GetDouble(29), 30.0); // beyond the inline fields
    EXPECT_DOUBLE_EQ(handle.GetDouble(0), 1.0);
}
