#include "BrokerTestClients.h"

#include <gtest/gtest.h>

#include <thread>

using namespace qx::testbroker;
using namespace qx::testbroker::testing;
using namespace qx::protocol;

namespace {

class BrokerStream : public ::testing::Test {
protected:
    void SetUp() override
    {
        broker = StartBroker();
        ASSERT_TRUE(broker);
        api = std::make_unique<ApiClient>(*broker);
        ASSERT_TRUE(api->LogIn());
        ASSERT_TRUE(StreamLogin(*api, stream, broker->StreamPort()));
    }
    std::unique_ptr<CTestBroker> broker;
    std::unique_ptr<ApiClient> api;
    RawStreamClient stream;
};

template <typename T>
std::function<bool(const StreamRecord&)> Is(std::function<bool(const T&)> pred = [](const T&) { return true; })
{
    return [pred](const StreamRecord& r) {
        const T* body = std::get_if<T>(&r.body);
        return body && pred(*body);
    };
}

}  // namespace

TEST_F(BrokerStream, InjectedQuotesTradesAndBooksReachARawClient)
{
    ASSERT_TRUE(stream.Send("|control=false|source=QX|S=QUOTE&C=SUBS&P=MSFT+IBM&T=3+6+7|S=LEVELII&C=SUBS&P=MSFT\n"));
    // The snapshot carries only the fields asked for.
    ASSERT_TRUE(stream.WaitFor(
        [](const StreamRecord& r) {
            const auto* q = std::get_if<QuoteRecord>(&r.body);
            return q && q->symbol == "MSFT" && (r.flags & kFlagSnapshot);
        },
        5000));
    for (const StreamRecord& r : stream.received) {
        if (const auto* q = std::get_if<QuoteRecord>(&r.body)) {
            for (const QuoteField& f : q->fields) {
                EXPECT_TRUE(f.id == 3 || f.id == 6 || f.id == 7) << int(f.id);
            }
        }
    }
    ASSERT_TRUE(stream.WaitFor(Is<BookRecord>([](const BookRecord& b) { return b.source == "L2" && !b.bids.empty(); }), 5000));

    ASSERT_TRUE(broker->InjectQuote("MSFT", {{3, false, 123.45, {}}, {10, false, 5000, {}}}));
    ASSERT_TRUE(stream.WaitFor(Is<QuoteRecord>([](const QuoteRecord& q) {
                                   return q.symbol == "MSFT" && q.fields.size() == 1 && q.fields[0].id == 3 &&
                                          q.fields[0].number == 123.45;  // field 10 was not asked for
                               }),
                               5000));

    // Trade records carry the symbol's trade number.
    ASSERT_TRUE(broker->InjectTrade("IBM", 150.25, 300, "NYSE"));
    ASSERT_TRUE(broker->InjectTrade("IBM", 150.30, 100, "NYSE"));
    const uint64_t newest = broker->Symbol("IBM")->tradeSequence;
    ASSERT_TRUE(stream.WaitFor(Is<TradeRecord>([&](const TradeRecord& t) {
                                   return t.symbol == "IBM" && t.price == 150.25 && t.size == 300 &&
                                          t.exchange == "NYSE" && t.sequence == newest - 1;
                               }),
                               5000));
    ASSERT_TRUE(stream.WaitFor(Is<TradeRecord>([&](const TradeRecord& t) { return t.sequence == newest; }), 5000));

    BookRecord book{"MSFT", "L2", {{"ARCA", 123.40, 500, ""}, {"NSDQ", 123.35, 200, ""}}, {{"EDGX", 123.50, 100, ""}}};
    ASSERT_TRUE(broker->InjectBook(book));
    ASSERT_TRUE(stream.WaitFor(Is<BookRecord>([&](const BookRecord& b) { return b == book; }), 5000));

    // Heartbeats carry the server time.
    ASSERT_TRUE(stream.WaitFor(Is<HeartbeatRecord>([](const HeartbeatRecord& h) { return h.serverTimeMs > 0; }), 5000));

    // After UNSUBS nothing more arrives for the symbol.
    ASSERT_TRUE(stream.Send("|control=false|source=QX|S=QUOTE&C=UNSUBS&P=IBM\n"));
    for (int i = 0; i < 100 && broker->IsSubscribed(0, "IBM"); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_FALSE(broker->IsSubscribed(0, "IBM"));
    ASSERT_TRUE(broker->InjectTrade("IBM", 151.00, 100));
    for (const StreamRecord& r : stream.ReadFor(300)) {
        if (const auto* t = std::get_if<TradeRecord>(&r.body)) {
            EXPECT_NE(t->symbol, "IBM");
        }
    }
    EXPECT_EQ(stream.Parser().GetStats().dropped, 0u);
}

TEST_F(BrokerStream, MalformedRecordsAreDroppedAndTheStreamGoesOn)
{
    ASSERT_TRUE(stream.Send("|control=false|source=QX|S=QUOTE&C=SUBS&P=MSFT\n"));
    ASSERT_TRUE(broker->WaitForSubscription(0, "MSFT", 5000));
    broker->SendMalformedRecords();
    ASSERT_TRUE(broker->InjectQuote("MSFT", {{3, false, 77.0, {}}}));
    ASSERT_TRUE(stream.WaitFor(Is<QuoteRecord>([](const QuoteRecord& q) {
                                   return !q.fields.empty() && q.fields[0].number == 77.0;
                               }),
                               5000));
    EXPECT_GE(stream.Parser().GetStats().dropped, 5u);
    EXPECT_FALSE(stream.Closed());
}

TEST_F(BrokerStream, BadRequestsGetAStatusAndRefusedItemsAreNotSubscribed)
{
    ASSERT_TRUE(stream.Send("|control=false|source=QX|S=BOGUS&C=SUBS&P=MSFT\n"));
    ASSERT_TRUE(stream.WaitFor(Is<StatusRecord>([](const StatusRecord& s) {
                                   return s.code == static_cast<uint16_t>(StatusCode::BadRequest);
                               }),
                               5000));
    ASSERT_TRUE(stream.Send("|control=false|source=QX|S=QUOTE&C=SUBS&P=NOSUCH|S=ACCT_ACTIVITY&C=SUBS&P=55555\n"));
    ASSERT_TRUE(stream.WaitFor(Is<StatusRecord>([](const StatusRecord& s) { return s.text == "Invalid account: 55555"; }), 5000));
    EXPECT_FALSE(broker->IsSubscribed(0, "NOSUCH"));
    EXPECT_FALSE(broker->IsSubscribed(8, "55555"));
    EXPECT_FALSE(stream.Closed());

    RawStreamClient intruder;
    ASSERT_TRUE(intruder.Connect(broker->StreamPort()));
    ASSERT_TRUE(intruder.Send("|control=false|source=QX|userid=demo|token=guess\n"));
    ASSERT_TRUE(intruder.WaitFor(Is<StatusRecord>([](const StatusRecord& s) {
                                     return s.code == static_cast<uint16_t>(StatusCode::LoginRefused);
                                 }),
                                 5000));
    intruder.ReadFor(500);
    EXPECT_TRUE(intruder.Closed());
}

TEST_F(BrokerStream, CommandStreamAnswersOnceWithoutSubscribing)
{
    Headline h;
    h.symbol = "AAPL";
    h.text = "AAPL headline";
    const Headline kept = broker->InjectHeadline(h);
    RawStreamClient command;
    ASSERT_TRUE(StreamLogin(*api, command, broker->StreamPort(), true));
    ASSERT_TRUE(command.Send("|control=true|source=QX|S=NEWS&C=SUBS&P=AAPL|S=NEWS_STORY&C=SUBS&P=" + kept.storyId +
                             "|S=OPTION_CHAIN&C=SUBS&P=OptionChain%2CIBM%2CP%2CALL%2CA%2C0\n"));
    ASSERT_TRUE(command.WaitFor(Is<HeadlinesRecord>([&](const HeadlinesRecord& r) {
                                    return r.key == "AAPL" && r.headlines.size() == 1 && r.headlines[0].storyId == kept.storyId;
                                }),
                                5000));
    ASSERT_TRUE(command.WaitFor(Is<StoryRecord>([&](const StoryRecord& s) {
                                    return s.storyId == kept.storyId && s.body.find("AAPL headline") != std::string::npos;
                                }),
                                5000));
    ASSERT_TRUE(command.WaitFor(Is<OptionChainRecord>([](const OptionChainRecord& c) {
                                    if (c.symbols.empty())
                                        return false;
                                    for (const auto& s : c.symbols)
                                        if (!s.starts_with("+IBM") || s[s.size() - 9] != 'P')
                                            return false;
                                    return true;
                                }),
                                5000));
    EXPECT_FALSE(broker->IsSubscribed(11, "AAPL"));

    // On the data stream a NEWS subscription follows new headlines.
    ASSERT_TRUE(stream.Send("|control=false|source=QX|S=NEWS&C=SUBS&P=*ALL*\n"));
    ASSERT_TRUE(broker->WaitForSubscription(11, "*ALL*", 5000));
    h.text = "second";
    broker->InjectHeadline(h);
    ASSERT_TRUE(stream.WaitFor(Is<HeadlinesRecord>([](const HeadlinesRecord& r) {
                                   return r.key == "*ALL*" && r.headlines.size() == 1 && r.headlines[0].text == "second";
                               }),
                               5000));
}

TEST_F(BrokerStream, DroppedAndStalledConnections)
{
    ASSERT_TRUE(stream.Send("|control=false|source=QX|S=QUOTE&C=SUBS&P=MSFT\n"));
    ASSERT_TRUE(broker->WaitForSubscription(0, "MSFT", 5000));
    stream.ReadFor(100);

    broker->StallStreams(true);
    ASSERT_TRUE(broker->InjectQuote("MSFT", {{3, false, 10.0, {}}}));
    const auto during = stream.ReadFor(400);
    for (const StreamRecord& r : during)
        EXPECT_FALSE(std::holds_alternative<QuoteRecord>(r.body));
    broker->StallStreams(false);
    ASSERT_TRUE(stream.WaitFor(Is<QuoteRecord>([](const QuoteRecord& q) { return q.fields[0].number == 10.0; }), 5000));

    broker->DropStreamConnections();
    stream.ReadFor(1000);
    EXPECT_TRUE(stream.Closed());
    for (int i = 0; i < 200 && broker->StreamConnectionCount() > 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(broker->StreamConnectionCount(), 0u);

    // A new connection with the same token logs in again.
    RawStreamClient again;
    ASSERT_TRUE(StreamLogin(*api, again, broker->StreamPort()));
    EXPECT_TRUE(broker->WaitForStreamConnections(1, 2000));
}

TEST_F(BrokerStream, RunningSimulationSendsQuotesTradesActivesAndTimeAndSales)
{
    ASSERT_TRUE(stream.Send("|control=false|source=QX|S=QUOTE&C=SUBS&P=MSFT+IBM+AAPL+INTC+CSCO|S=TIMESALE&C=SUBS&P=MSFT"
                            "|S=ACTIVES&C=SUBS&P=NASDAQ-ALL|S=TOTAL_VIEW&C=SUBS&P=MSFT\n"));
    ASSERT_TRUE(broker->WaitForSubscription(4, "NASDAQ-ALL", 5000));
    broker->StepSimulation(200);
    EXPECT_TRUE(stream.WaitFor(Is<TradeRecord>(), 5000));
    EXPECT_TRUE(stream.WaitFor(Is<ActivesRecord>([](const ActivesRecord& a) { return !a.byVolume.empty(); }), 5000));
    EXPECT_TRUE(stream.WaitFor(Is<BookRecord>([](const BookRecord& b) {
                                   return b.source == "TV" && !b.bids.empty() && b.bids[0].time.size() == 8;
                               }),
                               5000));
    EXPECT_TRUE(stream.WaitFor(
        [](const StreamRecord& r) {
            const auto* t = std::get_if<TradeRecord>(&r.body);
            return t && r.service == static_cast<uint8_t>(Service::TimeSales) && (t->basCode == 1 || t->basCode == 3);
        },
        5000));
    EXPECT_EQ(stream.Parser().GetStats().dropped, 0u);
}

TEST_F(BrokerStream, OneConnectionCanBeDroppedAlone)
{
    RawStreamClient second;
    ASSERT_TRUE(StreamLogin(*api, second, broker->StreamPort()));
    const auto connections = broker->StreamConnections();
    ASSERT_EQ(connections.size(), 2u);
    const int newest = std::max(connections[0].id, connections[1].id);
    EXPECT_TRUE(broker->DropStreamConnection(newest));
    EXPECT_FALSE(broker->DropStreamConnection(9999));
    second.ReadFor(1000);
    EXPECT_TRUE(second.Closed());
    ASSERT_TRUE(stream.Send("|control=false|source=QX|S=QUOTE&C=SUBS&P=MSFT\n"));
    EXPECT_TRUE(stream.WaitFor(Is<QuoteRecord>(), 5000));
    EXPECT_FALSE(stream.Closed());
}

TEST(BrokerStreamShutdown, ClientsHearTheServerClosing)
{
    auto broker = StartBroker();
    ASSERT_TRUE(broker);
    ApiClient api(*broker);
    ASSERT_TRUE(api.LogIn());
    RawStreamClient stream;
    ASSERT_TRUE(StreamLogin(api, stream, broker->StreamPort()));
    broker->Stop();
    EXPECT_TRUE(stream.WaitFor(Is<StatusRecord>([](const StatusRecord& s) {
                                   return s.code == static_cast<uint16_t>(StatusCode::Closing);
                               }),
                               2000));
    stream.ReadFor(200);
    EXPECT_TRUE(stream.Closed());
}
