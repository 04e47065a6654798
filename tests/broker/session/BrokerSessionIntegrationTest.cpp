// The real broker session against the in-process test broker.
#include "broker/session/CActivesHandle.h"
#include "broker/session/CBalanceListHandle.h"
#include "broker/session/CMarketDepthHandle.h"
#include "broker/session/COrderStatusListHandle.h"
#include "broker/session/CPlatformHttpTransport.h"
#include "broker/session/CPositionListHandle.h"
#include "broker/session/CQuoteListener.h"
#include "broker/session/CSavedOrderListHandle.h"
#include "broker/session/CSessionManager.h"
#include "broker/session/CSymbolHandle.h"
#include "broker/session/CTcpStreamConnection.h"
#include "broker/session/CWatchlistListHandle.h"
#include "broker/session/PriceSeriesHooks.h"
#include "broker/core/ExchangeTime.h"
#include "broker/core/FeedTime.h"
#include "tests/support/CTestBrokerSession.h"
#include "tests/support/OrderLegs.h"
#include "tests/support/WaitUntil.h"
#include "tools/testbroker/CTestBroker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <map>
#include <mutex>
#include <thread>

namespace {

using namespace std::chrono_literals;

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout = 10s)
{
    return qx::testsupport::WaitUntil(condition, timeout);
}

// The order lists read the broker's exchange-time order stamps as local times, as on a
// workstation in the exchange's zone: the suite runs in US Eastern time (a rule string, so
// no zone files are needed), else today's orders leave the list in the evening.
class ExchangeZoneEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        setenv("TZ", "EST5EDT,M3.2.0,M11.1.0", 1);
        tzset();
    }
};

const auto* const g_exchangeZone = ::testing::AddGlobalTestEnvironment(new ExchangeZoneEnvironment);

class RecordingListener : public CQuoteListener {
public:
    void OnQuoteChange(CSymbolHandle* handle, int count, const BYTE* ids) override
    {
        std::lock_guard<std::mutex> lock(m_lock);
        for (int i = 0; i < count; ++i)
            m_heard.push_back(ids[i]);
        double value = 0;
        if (handle->GetField(kFieldBid, value))
            m_bid = value;
    }
    bool Heard(BYTE id)
    {
        std::lock_guard<std::mutex> lock(m_lock);
        return std::find(m_heard.begin(), m_heard.end(), id) != m_heard.end();
    }
    double Bid()
    {
        std::lock_guard<std::mutex> lock(m_lock);
        return m_bid;
    }
    void Clear()
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_heard.clear();
    }

private:
    std::mutex m_lock;
    std::vector<BYTE> m_heard;
    double m_bid = 0;
};

class CountingObserver : public CAccountDataListener {
public:
    void OnAccountDataChanged(int) override { ++calls; }
    std::atomic<int> calls{0};
};

class BrokerSessionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_session.Start());
        m_broker = &m_session.Broker();
        m_manager = &m_session.Manager();
    }

    void TearDown() override { m_session.Stop(); }

    void LogIn() { ASSERT_TRUE(m_session.LogIn()); }

    bool LogHas(const char* part) const { return m_session.LogHas(part); }

    using HandlePtr = std::unique_ptr<CSymbolHandle, std::function<void(CSymbolHandle*)>>;
    // A handle of the symbol that goes back to the manager.
    HandlePtr MakeHandle(const char* symbol)
    {
        return HandlePtr(m_manager->CreateSymbolHandle(symbol),
                         [this](CSymbolHandle* h) { m_manager->DeleteSymbolHandle(h); });
    }
    // The handle subscribed for the listener, once the broker has the subscription.
    void SubscribeFor(CSymbolHandle& handle, RecordingListener& listener, const char* symbol)
    {
        handle.SetListener(&listener);
        handle.Subscribe();
        ASSERT_TRUE(m_broker->WaitForSubscription(0, symbol, 5000));
    }

    qx::testsupport::CTestBrokerSession m_session;
    qx::testbroker::CTestBroker* m_broker = nullptr;
    CSessionManager* m_manager = nullptr;
    qx::testsupport::CRecordingStatusSink& m_sink = m_session.Sink();
};

} // namespace

TEST_F(BrokerSessionTest, LogsInKeepsAliveAndConnectsTheStreams)
{
    LogIn();
    EXPECT_TRUE(m_sink.Has(kStatusStart));
    const auto accounts = m_sink.Find(kStatusAccountList);
    ASSERT_TRUE(accounts.has_value());
    ASSERT_FALSE(accounts->accounts.empty());
    EXPECT_EQ(m_manager->GetAccounts().size(), accounts->accounts.size());
    CString cookie;
    EXPECT_TRUE(m_manager->GetSession().GetSessionCookie(cookie));
    EXPECT_FALSE(cookie.IsEmpty());
    EXPECT_TRUE(WaitUntil([&] { return m_broker->KeepAliveCount() >= 2; }));
    EXPECT_GE(m_manager->GetSession().GetKeepAliveCount(), 1u);
    for (int stream = 0; stream < CBrokerSession::kStreamCount; ++stream)
        EXPECT_TRUE(WaitUntil([&] { return m_sink.Has(kStatusConnected, stream); })) << stream;
    EXPECT_TRUE(WaitUntil([&] { return m_sink.Has(kStatusWebUpdates); }));
    EXPECT_TRUE(WaitUntil([&] {
        for (const auto& line : m_broker->ActionLog())
            if (line.find("login") != std::string::npos)
                return true;
        return false;
    }));
}

TEST_F(BrokerSessionTest, WrongPasswordFailsWithTheBrokersText)
{
    ASSERT_TRUE(m_manager->StartLogin("demo", "wrong"));
    ASSERT_TRUE(WaitUntil([&] { return m_sink.Has(kStatusLoginResult); }));
    const auto result = m_sink.Find(kStatusLoginResult);
    EXPECT_FALSE(result->success);
    EXPECT_EQ(result->text, "Invalid user name or password.");
    EXPECT_FALSE(m_manager->IsLoggedIn());
    // A second attempt with the right password works.
    ASSERT_TRUE(m_manager->StartLogin("demo", "demo"));
    EXPECT_TRUE(WaitUntil([&] { return m_manager->IsLoggedIn(); }));
}

TEST_F(BrokerSessionTest, SubscribedSymbolFieldsReachTheHandleListener)
{
    LogIn();
    HandlePtr handle = MakeHandle("nasd:msft");
    ASSERT_TRUE(handle);
    EXPECT_EQ(handle->GetSymbol(), "MSFT");
    RecordingListener listener;
    ASSERT_NO_FATAL_FAILURE(SubscribeFor(*handle, listener, "MSFT"));
    // The image arrives first: the record leaves the pending state with a description.
    ASSERT_TRUE(WaitUntil([&] { return !handle->IsPending(); }));
    char text[99];
    EXPECT_TRUE(handle->GetDescription(text, sizeof text));
    EXPECT_STREQ(text, "Microsoft Corp");
    EXPECT_TRUE(handle->GetQualifiedSymbol(text, sizeof text));
    EXPECT_STREQ(text, "NASD:MSFT");

    listener.Clear();
    ASSERT_TRUE(m_broker->InjectQuote("MSFT", {{6, false, 123.45, ""}, {7, false, 123.55, ""}}));
    ASSERT_TRUE(WaitUntil([&] { return listener.Bid() == 123.45; }));
    EXPECT_TRUE(listener.Heard(kFieldBid));
    EXPECT_TRUE(listener.Heard(kFieldAsk));
    handle->Snapshot();
    double ask = 0;
    EXPECT_TRUE(handle->GetField(kFieldAsk, ask));
    EXPECT_DOUBLE_EQ(ask, 123.55);
    handle->Attach();

    ASSERT_TRUE(m_broker->InjectTrade("MSFT", 123.5, 300));
    ASSERT_TRUE(WaitUntil([&] { return handle->GetDouble(kFieldLast) == 123.5; }));
    EXPECT_EQ(m_manager->GetSession().GetSubscriptionCount("MSFT", kServiceQuote), 1);

    handle.reset(); // the last listener leaves: the record goes and the stream drops the symbol
    EXPECT_EQ(m_manager->GetQuoteStore().Lookup("MSFT"), nullptr);
    EXPECT_EQ(m_manager->GetSession().GetSubscriptionCount("MSFT", kServiceQuote), 0);
    EXPECT_TRUE(WaitUntil([&] { return !m_broker->IsSubscribed(0, "MSFT"); }));
}

namespace {

struct FakeSeries {
    std::mutex lock;
    std::vector<CHistoryRow> rows;
    int answers = 0;
    bool daily = false;
    std::optional<uint64_t> asOf;
};

FakeSeries* Fake(CPriceSeries* s)
{
    return reinterpret_cast<FakeSeries*>(s);
}

} // namespace

TEST_F(BrokerSessionTest, HistoryArrivesAsBars)
{
    CPriceSeriesHooks hooks;
    hooks.historyUpdate = [](CPriceSeries* s, const std::vector<CHistoryRow>& rows, bool daily,
                             std::optional<uint64_t> asOf) {
        std::lock_guard<std::mutex> lock(Fake(s)->lock);
        Fake(s)->rows = rows;
        Fake(s)->daily = daily;
        Fake(s)->asOf = asOf;
        Fake(s)->answers++;
    };
    SetPriceSeriesHooks(hooks);
    LogIn();
    // Every answer names the newest trade of the symbol its bars hold.
    for (double price : {120.0, 120.5})
        ASSERT_TRUE(m_broker->InjectTrade("IBM", price, 100));
    const uint64_t newestTrade = m_broker->Symbol("IBM")->tradeSequence;
    ASSERT_GE(newestTrade, 2u);
    FakeSeries daily, minutes, extended;
    const DWORD end = DateTimeToFeedTime(2026, 12, 4, 16, 0, 0);
    const DWORD start = DateTimeToFeedTime(2026, 11, 2, 0, 0, 0);
    CHistoryCache& cache = m_manager->GetHistoryCache();
    EXPECT_EQ(cache.RequestHistory(reinterpret_cast<CPriceSeries*>(&daily), "IBM", true, start, end), 1);
    EXPECT_EQ(cache.RequestHistory(reinterpret_cast<CPriceSeries*>(&minutes), "IBM", false,
                                   DateTimeToFeedTime(2026, 12, 4, 9, 30, 0), end),
              1);
    EXPECT_EQ(cache.RequestHistory(reinterpret_cast<CPriceSeries*>(&extended), "IBM", false,
                                   DateTimeToFeedTime(2026, 12, 4, 0, 0, 0), DateTimeToFeedTime(2026, 12, 4, 23, 0, 0),
                                   true),
              1);
    ASSERT_TRUE(WaitUntil([&] {
        std::lock_guard<std::mutex> a(daily.lock), b(minutes.lock), c(extended.lock);
        return daily.answers == 1 && minutes.answers == 1 && extended.answers == 1;
    }));
    SetPriceSeriesHooks({});
    // Minute bars hold today's trades; daily bars stop before today and hold none.
    for (const FakeSeries* answer : {&minutes, &extended})
        EXPECT_EQ(answer->asOf, std::optional<uint64_t>(newestTrade));
    EXPECT_EQ(daily.asOf, std::optional<uint64_t>(0));
    // About 23 weekdays of daily bars, 390 one-minute bars of one session, in time order.
    EXPECT_TRUE(daily.daily);
    EXPECT_GE(daily.rows.size(), 20u);
    EXPECT_LE(daily.rows.size(), 25u);
    EXPECT_FALSE(minutes.daily);
    EXPECT_GE(minutes.rows.size(), 380u);
    for (const auto* rows : {&daily.rows, &minutes.rows})
        for (size_t i = 0; i < rows->size(); ++i) {
            const CHistoryRow& r = (*rows)[i];
            ASSERT_GE(r.feedTime, start);
            ASSERT_LE(r.feedTime, end);
            ASSERT_LE(r.low, std::min(r.open, r.close));
            ASSERT_GE(r.high, std::max(r.open, r.close));
            if (i) {
                ASSERT_LT((*rows)[i - 1].feedTime, r.feedTime);
            }
        }
    EXPECT_EQ(cache.GetRows("IBM", true).size(), daily.rows.size());
    // 04:00 to 20:00 instead of 09:30 to 16:00.
    EXPECT_GE(extended.rows.size(), 900u);
    ASSERT_FALSE(extended.rows.empty());
    int hour = 0, minute = 0, second = 0;
    FeedTimeToTimeOfDay(extended.rows.front().feedTime, hour, minute, second);
    EXPECT_EQ(hour, 4);
}

TEST_F(BrokerSessionTest, SubmittedOrderFillsIntoOrderStatusAndPositions)
{
    LogIn();
    CBrokerSession& session = m_manager->GetSession();
    const CString account = session.GetCurrentAccount();
    ASSERT_FALSE(account.IsEmpty());
    CAccountDataStore& store = m_manager->GetAccountData();
    CPositionListHandle positions(store);
    COrderStatusListHandle orders(store);
    CountingObserver positionObserver, orderObserver;
    positions.Subscribe(&positionObserver);
    orders.Subscribe(&orderObserver);
    // The first refresh after login delivers the starting lists (perhaps before the observers came).
    ASSERT_TRUE(WaitUntil([&] {
        CArray<COrderStatusRecord> a;
        CArray<CPositionRecord> b;
        return orders.CopyRecords(a) && positions.CopyRecords(b);
    }));
    const int ordersBefore = orderObserver.calls;
    const int positionsBefore = positionObserver.calls;
    const auto heldBefore = m_broker->PositionOf(account.str(), "INTC");

    const COrderLeg leg = qx::testsupport::DayOrderLeg("INTC", 100, "Market");
    CString error;
    ASSERT_TRUE(session.SubmitOrder({leg}, 0, -1, 1, "QXVEL", account, error)) << error.str();

    auto filled = [&] {
        CArray<COrderStatusRecord> list;
        if (!orders.CopyRecords(list))
            return false;
        for (INT_PTR i = 0; i < list.GetSize(); ++i)
            if (list[i].m_fields[COrderStatusRecord::kSymbol] == "INTC" &&
                list[i].m_fields[COrderStatusRecord::kStatus] == "Filled")
                return true;
        return false;
    };
    auto held = [&] {
        CArray<CPositionRecord> list;
        if (!positions.CopyRecords(list))
            return false;
        for (INT_PTR i = 0; i < list.GetSize(); ++i)
            if (list[i].symbol == "INTC")
                return list[i].quantity == 100 + (heldBefore ? heldBefore->quantity : 0);
        return false;
    };
    ASSERT_TRUE(WaitUntil(filled));
    ASSERT_TRUE(WaitUntil(held));
    // Further refreshes bring the same lists: the observers are not called again.
    const int ordersAfter = orderObserver.calls;
    const int positionsAfter = positionObserver.calls;
    EXPECT_GT(ordersAfter, ordersBefore);
    EXPECT_GT(positionsAfter, positionsBefore);
    for (int i = 0; i < 3; ++i) {
        session.WakeAccountRefresh();
        std::this_thread::sleep_for(150ms);
    }
    EXPECT_EQ(orderObserver.calls, ordersAfter);
    EXPECT_EQ(positionObserver.calls, positionsAfter);
    // A refresh the user asks for is reported once its lists are in, even unchanged ones.
    EXPECT_FALSE(m_sink.Find(kStatusAccountRefreshed).has_value());
    session.RefreshAccountData();
    EXPECT_TRUE(WaitUntil([&] { return m_sink.Find(kStatusAccountRefreshed).has_value(); }));
}

TEST_F(BrokerSessionTest, CancelledOrderLeavesTheOpenList)
{
    LogIn();
    CBrokerSession& session = m_manager->GetSession();
    const CString account = session.GetCurrentAccount();
    COrderStatusListHandle open(m_manager->GetAccountData());
    CountingObserver observer;
    open.Subscribe(&observer);
    open.SetFilter(1, 0, 0, 0, 0, 0); // open orders only

    const COrderLeg leg = qx::testsupport::DayOrderLeg("IBM", 10, "Limit", 1.00); // far below the market: stays open
    CString error;
    ASSERT_TRUE(session.SubmitOrder({leg}, 0, -1, 1, "QXVEL", account, error)) << error.str();

    CString orderId;
    ASSERT_TRUE(WaitUntil([&] {
        CArray<COrderStatusRecord> list;
        open.CopyRecords(list);
        for (INT_PTR i = 0; i < list.GetSize(); ++i)
            if (list[i].m_fields[COrderStatusRecord::kSymbol] == "IBM") {
                orderId = list[i].m_fields[COrderStatusRecord::kOrderId];
                return list[i].m_bOpen == 1;
            }
        return false;
    }));
    ASSERT_TRUE(session.CancelOrders({orderId}, error)) << error.str();
    EXPECT_TRUE(WaitUntil([&] {
        CArray<COrderStatusRecord> list;
        open.CopyRecords(list);
        for (INT_PTR i = 0; i < list.GetSize(); ++i)
            if (list[i].m_fields[COrderStatusRecord::kOrderId] == orderId)
                return false;
        return true;
    }));
    // Cancelling it again fails with the broker's per-order text.
    EXPECT_FALSE(session.CancelOrders({orderId}, error));
    EXPECT_NE(error.Find("is not open"), -1) << error.str();
}

TEST_F(BrokerSessionTest, DroppedStreamReconnectsAndResubscribes)
{
    LogIn();
    const HandlePtr handle = MakeHandle("IBM");
    RecordingListener listener;
    ASSERT_NO_FATAL_FAILURE(SubscribeFor(*handle, listener, "IBM"));
    const uint64_t connects = m_manager->GetSession().GetConnectCount(CBrokerSession::kStreamMarketData);

    m_broker->DropStreamConnections();
    ASSERT_TRUE(WaitUntil([&] { return m_sink.Has(kStatusConnectionLost, CBrokerSession::kStreamMarketData); }));
    ASSERT_TRUE(WaitUntil(
        [&] { return m_manager->GetSession().GetConnectCount(CBrokerSession::kStreamMarketData) > connects; }));
    ASSERT_TRUE(m_broker->WaitForSubscription(0, "IBM", 5000));
    ASSERT_TRUE(m_broker->InjectQuote("IBM", {{6, false, 99.5, ""}}));
    EXPECT_TRUE(WaitUntil([&] { return listener.Bid() == 99.5; }));
    EXPECT_TRUE(m_manager->IsStreamConnected(CBrokerSession::kStreamMarketData));
}

TEST_F(BrokerSessionTest, ManySubscriptionsComeBackAfterAReconnect)
{
    LogIn();
    CBrokerSession& session = m_manager->GetSession();
    const std::vector<std::string> symbols = m_broker->Symbols();
    ASSERT_GE(symbols.size(), 200u);
    for (const std::string& symbol : symbols)
        session.Subscribe(CString(symbol), kServiceQuote);
    ASSERT_TRUE(m_broker->WaitForSubscription(kServiceQuote, symbols.back(), 10000));
    const uint64_t connects = session.GetConnectCount(CBrokerSession::kStreamMarketData);
    m_broker->DropStreamConnections();
    ASSERT_TRUE(WaitUntil([&] { return session.GetConnectCount(CBrokerSession::kStreamMarketData) > connects; }));
    for (const std::string& symbol : symbols)
        ASSERT_TRUE(m_broker->WaitForSubscription(kServiceQuote, symbol, 10000)) << symbol;
    for (const std::string& symbol : symbols)
        session.Unsubscribe(CString(symbol), kServiceQuote);
    EXPECT_TRUE(WaitUntil([&] { return !m_broker->IsSubscribed(kServiceQuote, symbols.front()); }));
}

TEST_F(BrokerSessionTest, MalformedRecordsAreDroppedWithoutHarm)
{
    LogIn();
    const HandlePtr handle = MakeHandle("AAPL");
    RecordingListener listener;
    ASSERT_NO_FATAL_FAILURE(SubscribeFor(*handle, listener, "AAPL"));
    const uint64_t connects = m_manager->GetSession().GetConnectCount(CBrokerSession::kStreamMarketData);
    m_broker->SendMalformedRecords();
    ASSERT_TRUE(WaitUntil([&] { return m_manager->GetSession().GetDroppedRecords() > 0; }));
    // The count goes up just before the line is logged.
    EXPECT_TRUE(WaitUntil([&] { return LogHas("dropped"); }));
    ASSERT_TRUE(m_broker->InjectQuote("AAPL", {{6, false, 17.25, ""}}));
    EXPECT_TRUE(WaitUntil([&] { return listener.Bid() == 17.25; }));
    // The connection stayed up.
    EXPECT_EQ(m_manager->GetSession().GetConnectCount(CBrokerSession::kStreamMarketData), connects);
}

namespace {

class ScriptedConfirm : public IOrderConfirm {
public:
    bool Confirm(const CString& question, void*) override
    {
        std::lock_guard<std::mutex> lock(m_lock);
        questions.push_back(question.str());
        return answer;
    }
    bool OrderConfirmationEnabled() override { return true; }
    bool answer = false;
    std::vector<std::string> questions;

private:
    std::mutex m_lock;
};

COrderLeg OpenBuy(const char* symbol, double price)
{
    return qx::testsupport::DayOrderLeg(symbol, 10, "Limit", price);
}

} // namespace

TEST_F(BrokerSessionTest, EditAndCancelAskFirstAndChangeTheOrder)
{
    LogIn();
    CBrokerSession& session = m_manager->GetSession();
    ScriptedConfirm confirm;
    session.SetConfirm(&confirm);
    const CString account = session.GetCurrentAccount();
    CString error;
    ASSERT_TRUE(session.SubmitOrder({OpenBuy("GE", 1.0)}, 0, -1, 1, "QXVEL", account, error)) << error.str();
    CString orderId;
    ASSERT_TRUE(WaitUntil([&] {
        for (const auto& order : m_broker->Orders(account.str()))
            if (order.leg.symbol == "GE" && order.status == "Open") {
                orderId = CString(order.id);
                return true;
            }
        return false;
    }));

    COrderLeg edit = OpenBuy("GE", 1.5);
    edit.orderId = orderId;
    edit.quantity = 20;
    EXPECT_FALSE(session.EditOrder(edit, 0, nullptr, error)); // "No"
    EXPECT_TRUE(error.IsEmpty());
    confirm.answer = true;
    ASSERT_TRUE(session.EditOrder(edit, 0, nullptr, error)) << error.str();
    bool changed = false;
    for (const auto& order : m_broker->Orders(account.str()))
        if (CString(order.id) == orderId)
            changed = order.leg.quantity == 20 && order.leg.price == 1.5;
    EXPECT_TRUE(changed);

    confirm.answer = false;
    EXPECT_FALSE(session.CancelOrders({orderId, "999999"}, error));
    confirm.answer = true;
    EXPECT_FALSE(session.CancelOrders({orderId, "999999"}, error)); // the unknown one fails
    EXPECT_NE(error.Find("Order 999999"), -1) << error.str();
    EXPECT_EQ(confirm.questions,
              (std::vector<std::string>{"Update Order?", "Update Order?", "Cancel orders?", "Cancel orders?"}));
    bool cancelled = false;
    for (const auto& order : m_broker->Orders(account.str()))
        if (CString(order.id) == orderId)
            cancelled = order.status == "Canceled";
    EXPECT_TRUE(cancelled);
}

TEST_F(BrokerSessionTest, WatchlistsAreSavedAndDeletedOnTheServer)
{
    LogIn();
    CBrokerSession& session = m_manager->GetSession();
    CWatchlistListHandle lists(m_manager->GetAccountData());
    CountingObserver observer;
    lists.Subscribe(&observer);
    CWatchlistRecord list{"Session Test", "", {{"MSFT", 10, 40.5, 9.99, "01-15-2025"}, {"IBM", 0, 0, 0, ""}}};
    CString error;
    ASSERT_TRUE(session.SaveWatchlist(list, 1, error)) << error.str();
    CWatchlistRecord stored;
    ASSERT_TRUE(WaitUntil([&] { return lists.FindByName("Session Test", stored); }));
    ASSERT_EQ(stored.symbols.size(), 2u);
    EXPECT_EQ(stored.symbols[0].symbol, "MSFT");
    EXPECT_EQ(stored.symbols[0].price, 40.5);
    EXPECT_EQ(stored.symbols[0].purchaseDate, "01-15-2025");
    EXPECT_FALSE(stored.listId.IsEmpty());

    EXPECT_FALSE(session.SaveWatchlist(list, 1, error)); // same name again
    EXPECT_NE(error.Find("already exists"), -1) << error.str();
    ASSERT_TRUE(session.DeleteWatchlist(stored.listId, error)) << error.str();
    EXPECT_TRUE(WaitUntil([&] { return !lists.FindByName("Session Test", stored); }));
    EXPECT_FALSE(session.DeleteWatchlist("424242", error));
    EXPECT_FALSE(error.IsEmpty());
}

TEST_F(BrokerSessionTest, NewsBooksActivesAndFillsReachTheirStores)
{
    LogIn();
    // News: the first listener subscribes and asks for the key's history.
    struct NewsCallback : CNewsCallback {
        void OnNewsChange(CNewsListener*, int, int last) override { rows = last + 1; }
        std::atomic<int> rows{0};
    } newsCallback;
    CNewsListener newsListener{nullptr, &newsCallback};
    m_manager->GetNewsRegistry().AddListener("MSFT", &newsListener, nullptr);
    ASSERT_TRUE(m_broker->WaitForSubscription(kServiceNews, "MSFT", 5000));
    qx::protocol::Headline headline;
    headline.symbol = "MSFT";
    headline.time = 1765000000;
    headline.storyId = "SESSIONTEST1";
    headline.text = "Session test headline";
    headline.symbols = {"MSFT"};
    m_broker->InjectHeadline(headline);
    EXPECT_TRUE(WaitUntil([&] {
        std::lock_guard<std::recursive_mutex> lock(m_manager->GetNewsRegistry().GetLock());
        const CNewsEntry* entry = m_manager->GetNewsRegistry().Lookup("MSFT");
        if (!entry)
            return false;
        for (const auto& h : entry->headlines)
            if (h.storyId == "SESSIONTEST1")
                return h.headline == "Session test headline";
        return false;
    }));
    EXPECT_GT(newsCallback.rows.load(), 0);
    m_manager->GetNewsRegistry().RemoveListener("MSFT", &newsListener);

    // A headline from before the listener came arrives through the news history request.
    qx::protocol::Headline earlier = headline;
    earlier.symbol = "IBM";
    earlier.symbols = {"IBM"};
    earlier.storyId = "SESSIONTEST2";
    earlier.text = "Earlier IBM headline";
    m_broker->InjectHeadline(earlier);
    CNewsListener ibmListener{nullptr, &newsCallback};
    m_manager->GetNewsRegistry().AddListener("IBM", &ibmListener, nullptr);
    EXPECT_TRUE(WaitUntil([&] {
        std::lock_guard<std::recursive_mutex> lock(m_manager->GetNewsRegistry().GetLock());
        const CNewsEntry* entry = m_manager->GetNewsRegistry().Lookup("IBM");
        if (!entry || entry->pending)
            return false;
        for (const auto& h : entry->headlines)
            if (h.storyId == "SESSIONTEST2")
                return h.headline == "Earlier IBM headline" && !h.storyUrl.IsEmpty();
        return false;
    }));
    m_manager->GetNewsRegistry().RemoveListener("IBM", &ibmListener);

    // Level II: a depth handle's book fills from the stream.
    CMarketDepthHandle* depth = m_manager->CreateMarketDepthHandle("L2:INTC");
    ASSERT_NE(depth, nullptr);
    depth->Subscribe();
    ASSERT_TRUE(m_broker->WaitForSubscription(kServiceLevelII, "INTC", 5000));
    qx::protocol::BookRecord book{"INTC", "L2", {{"ARCA", 29.95, 500, ""}, {"NSDQ", 29.94, 300, ""}},
                                  {{"EDGX", 30.05, 200, ""}}};
    ASSERT_TRUE(m_broker->InjectBook(book));
    EXPECT_TRUE(WaitUntil([&] {
        depth->TakeSnapshot();
        DWORD price = 0;
        const bool ok = depth->GetBidCount() == 2 && depth->GetBidValue(0, 1, &price) && price == 29950;
        depth->Attach();
        return ok;
    }));
    m_manager->DeleteMarketDepthHandle(depth);
    EXPECT_TRUE(WaitUntil([&] { return !m_broker->IsSubscribed(kServiceLevelII, "INTC"); }));

    // Actives: the list arrives when the simulation sends it.
    CActivesHandle actives(m_manager->GetQuoteStore(), "NASDAQ-60,1");
    actives.Subscribe();
    ASSERT_TRUE(m_broker->WaitForSubscription(kServiceActives, "NASDAQ-60", 5000));
    m_broker->StepSimulation(25);
    EXPECT_TRUE(WaitUntil([&] {
        actives.TakeSnapshot();
        return actives.GetCount() > 0;
    }));

    // A fill on the account-activity stream becomes a fill notice for the alerts.
    std::mutex fillLock;
    std::vector<CString> fills;
    m_manager->SetOrderFillHandler([&](const COrderFillMessage& fill) {
        std::lock_guard<std::mutex> lock(fillLock);
        fills.push_back(fill.m_text);
    });
    COrderLeg leg = OpenBuy("CSCO", 0);
    leg.orderType = "Market";
    CString error;
    ASSERT_TRUE(m_manager->GetSession().SubmitOrder({leg}, 0, -1, 1, "QXVEL",
                                                   m_manager->GetSession().GetCurrentAccount(), error))
        << error.str();
    EXPECT_TRUE(WaitUntil([&] {
        std::lock_guard<std::mutex> lock(fillLock);
        return !fills.empty() && fills.back().Find("CSCO") >= 0;
    }));
    m_manager->SetOrderFillHandler(nullptr);
}

namespace {

struct FakeChainSet {
    std::mutex lock;
    std::vector<CString> symbols;
    int answers = 0;
};

FakeChainSet* Chain(const OptionChainSet* set)
{
    return reinterpret_cast<FakeChainSet*>(const_cast<OptionChainSet*>(set));
}

} // namespace

TEST_F(BrokerSessionTest, OptionChainSetsGetTheirSymbols)
{
    COptionChainHooks hooks;
    hooks.getRequest = [](const OptionChainSet*, COptionChainRequest& request) {
        request.underlying = "MSFT";
        request.chainType = "C";
        request.range = "ALL";
        request.expiration = "AL";
        return true;
    };
    hooks.copySymbols = [](OptionChainSet* set, const std::vector<CString>& symbols) {
        std::lock_guard<std::mutex> lock(Chain(set)->lock);
        Chain(set)->symbols = symbols;
        Chain(set)->answers++;
    };
    SetOptionChainHooks(hooks);
    LogIn();
    FakeChainSet set;
    auto* handle = reinterpret_cast<OptionChainSet*>(&set);
    m_manager->GetQuoteStore().AddOptionChainSet(handle);
    ASSERT_TRUE(WaitUntil([&] {
        std::lock_guard<std::mutex> lock(set.lock);
        return set.answers == 1;
    }));
    m_manager->GetQuoteStore().RemoveOptionChainSet(handle);
    SetOptionChainHooks({});
    ASSERT_FALSE(set.symbols.empty());
    for (const CString& symbol : set.symbols) {
        EXPECT_EQ(symbol.Left(5), "+MSFT") << symbol.str();
        EXPECT_NE(symbol.Find('C', 5), -1) << symbol.str(); // calls only
    }
}

namespace {

struct FakeSymbolSet : FakeChainSet {
    CString name;
};

} // namespace

TEST_F(BrokerSessionTest, IndustryGroupsAreReadAtLoginAndTheirSetsGetTheirSymbols)
{
    // The sectors and industries of the broker's stocks, as their quotes name them.
    std::map<CString, std::map<CString, std::vector<CString>>> quoted;
    for (const std::string& symbol : m_broker->Symbols()) {
        const auto s = m_broker->Symbol(symbol);
        if (s->kind == qx::testbroker::SymbolKind::Stock && !s->sector.empty())
            quoted[CString(s->sector)][CString(s->industry)].push_back(CString(symbol));
    }
    std::vector<CIndustryGroup> groups;
    EXPECT_FALSE(m_manager->GetSession().GetIndustryGroups(groups));
    COptionChainHooks hooks;
    hooks.getRequest = [](const OptionChainSet* set, COptionChainRequest& request) {
        request.symbolSet = static_cast<FakeSymbolSet*>(Chain(set))->name;
        return true;
    };
    hooks.copySymbols = [](OptionChainSet* set, const std::vector<CString>& symbols) {
        std::lock_guard<std::mutex> lock(Chain(set)->lock);
        Chain(set)->symbols = symbols;
        Chain(set)->answers++;
    };
    SetOptionChainHooks(hooks);
    LogIn();
    // Read by the login thread once the login is through.
    ASSERT_TRUE(WaitUntil([&] { return m_manager->GetSession().GetIndustryGroups(groups); }));
    ASSERT_EQ(groups.size(), quoted.size());
    for (const CIndustryGroup& group : groups) {
        ASSERT_TRUE(quoted.count(group.name)) << group.name.str();
        std::vector<CString> industries;
        for (const auto& entry : quoted[group.name])
            industries.push_back(entry.first);
        EXPECT_EQ(group.sets, industries) << group.name.str();
    }

    // A set named as a definition names it (blanks removed), and one the broker does not know.
    FakeSymbolSet oil, unknown;
    oil.name = "Oil&Gas";
    unknown.name = "Shipbuilding";
    auto* oilHandle = reinterpret_cast<OptionChainSet*>(static_cast<FakeChainSet*>(&oil));
    auto* unknownHandle = reinterpret_cast<OptionChainSet*>(static_cast<FakeChainSet*>(&unknown));
    m_manager->GetQuoteStore().AddOptionChainSet(oilHandle);
    m_manager->GetQuoteStore().AddOptionChainSet(unknownHandle);
    ASSERT_TRUE(WaitUntil([&] {
        std::lock_guard<std::mutex> a(oil.lock), b(unknown.lock);
        return oil.answers == 1 && unknown.answers == 1;
    }));
    m_manager->GetQuoteStore().RemoveOptionChainSet(oilHandle);
    m_manager->GetQuoteStore().RemoveOptionChainSet(unknownHandle);
    SetOptionChainHooks({});
    EXPECT_EQ(oil.symbols, quoted["Energy"]["Oil & Gas"]);
    EXPECT_FALSE(oil.symbols.empty());
    EXPECT_TRUE(unknown.symbols.empty());
    EXPECT_TRUE(LogHas("symbol set: Unknown symbol set: Shipbuilding"));
}

TEST(BrokerSessionClock, TheBrokersShiftedClockMovesTheExchangeClock)
{
    for (const int days : {-3, 2}) {
        qx::testsupport::CTestBrokerSession session(days);
        ASSERT_TRUE(session.Start());
        ASSERT_TRUE(session.LogIn());
        CSessionManager& manager = session.Manager();
        qx::testbroker::CTestBroker& broker = session.Broker();
        // Keep-alives and heartbeats came after the login: each sets the offset again.
        ASSERT_TRUE(WaitUntil([&] { return broker.KeepAliveCount() >= 2; }));
        const int64_t shift = static_cast<int64_t>(days) * 86400;
        EXPECT_NEAR(static_cast<double>(manager.GetClockOffsetSeconds()), static_cast<double>(shift), 2) << days;
        SYSTEMTIME expected{};
        ExchangeSystemTime(static_cast<int64_t>(time(nullptr)) + shift, expected);
        EXPECT_NEAR(static_cast<double>(manager.GetExchangeCTime().GetTime()),
                    static_cast<double>(CTime(expected).GetTime()), 2)
            << days;

        // The broker's trades carry its own time.
        std::unique_ptr<CSymbolHandle, std::function<void(CSymbolHandle*)>> handle(
            manager.CreateSymbolHandle("IBM"), [&](CSymbolHandle* h) { manager.DeleteSymbolHandle(h); });
        ASSERT_TRUE(handle);
        handle->Subscribe();
        ASSERT_TRUE(broker.WaitForSubscription(kServiceQuote, "IBM", 5000));
        ASSERT_TRUE(WaitUntil([&] { return !handle->IsPending(); }));
        ASSERT_TRUE(broker.InjectTrade("IBM", 91.25, 100));
        ASSERT_TRUE(WaitUntil([&] { return handle->GetDouble(kFieldLast) == 91.25; }));
        const auto tradeTime = static_cast<FEEDTIME>(handle->GetDouble(kFieldTradeTime));
        const int64_t exchangeNow = UtcToExchangeSeconds(static_cast<int64_t>(time(nullptr)) + shift);
        EXPECT_NEAR(static_cast<double>(FeedTimeToNaiveSeconds(tradeTime)), static_cast<double>(exchangeNow), 6)
            << days;
        handle.reset();
        session.Stop();
    }
}

TEST(BrokerSessionOffline, UnreachableBrokerFailsTheLoginWithTheTransportError)
{
    CSessionConfig config;
    config.apiServer = "https://127.0.0.1:1"; // nothing listens there
    CPlatformHttpTransport http(CString(), 2000);
    CSessionManager manager(CString("."), config, &http, &CTcpStreamConnection::Create);
    qx::testsupport::CRecordingStatusSink sink;
    manager.SetStatusWindow(&sink);
    manager.GetSession().SetLogger([](const char*) {});
    ASSERT_TRUE(manager.StartLogin("demo", "demo"));
    ASSERT_TRUE(WaitUntil([&] { return sink.Has(kStatusLoginResult); }));
    const auto result = sink.Find(kStatusLoginResult);
    EXPECT_FALSE(result->success);
    EXPECT_EQ(CString("The server 127.0.0.1:1 cannot be reached."), result->text);
    EXPECT_FALSE(manager.IsLoggedIn());
}

TEST_F(BrokerSessionTest, LostBrokerIsReportedAndRetried)
{
    LogIn();
    m_broker->Stop();
    // The streams report the loss; failing keep-alives say so once, in words, and are retried.
    EXPECT_TRUE(WaitUntil([&] { return m_sink.Has(kStatusConnectionLost, CBrokerSession::kStreamMarketData); }));
    auto unreachable = [&] {
        int texts = 0;
        for (const auto& status : m_sink.Statuses())
            texts += status.code == kStatusText && status.text.Find("cannot be reached") >= 0;
        return texts;
    };
    EXPECT_TRUE(WaitUntil([&] { return unreachable() == 1; }));
    const uint64_t keepAlives = m_manager->GetSession().GetKeepAliveCount();
    std::this_thread::sleep_for(700ms);
    EXPECT_EQ(m_manager->GetSession().GetKeepAliveCount(), keepAlives); // none succeeded
    EXPECT_EQ(1, unreachable());
    EXPECT_TRUE(LogHas("reconnecting"));
    EXPECT_TRUE(LogHas("response KeepAlive: HttpSendRequest error 7"));
}

TEST_F(BrokerSessionTest, SavedOrdersAreSavedAndDeleted)
{
    LogIn();
    CBrokerSession& session = m_manager->GetSession();
    const CString account = session.GetCurrentAccount();
    CSavedOrderListHandle saved(m_manager->GetAccountData());
    CountingObserver observer;
    saved.Subscribe(&observer);
    CString error;
    ASSERT_TRUE(session.SubmitOrder({OpenBuy("AAPL", 5.0)}, 0, -1, 0, "QXVEL", account, error)) << error.str();
    CString savedId;
    ASSERT_TRUE(WaitUntil([&] {
        CArray<CSavedOrderRecord> list;
        saved.CopyRecords(list);
        for (INT_PTR i = 0; i < list.GetSize(); ++i)
            if (list[i].m_fields[CSavedOrderRecord::kSymbol] == "AAPL") {
                savedId = list[i].m_fields[CSavedOrderRecord::kOrderId];
                return true;
            }
        return false;
    }));
    EXPECT_TRUE(m_broker->Orders(account.str()).empty() ||
                std::none_of(m_broker->Orders(account.str()).begin(), m_broker->Orders(account.str()).end(),
                             [](const auto& order) { return order.leg.symbol == "AAPL"; }));

    // Conditional orders cannot be saved: the broker fails without an error text.
    COrderLeg second = OpenBuy("AAPL", 4.0);
    EXPECT_FALSE(session.SubmitOrder({OpenBuy("AAPL", 5.0), second}, 0, 0, 0, "QXVEL", account, error));
    EXPECT_TRUE(error.IsEmpty()) << error.str();

    ASSERT_TRUE(session.DeleteSavedOrders({savedId}, error)) << error.str();
    EXPECT_TRUE(WaitUntil([&] {
        CArray<CSavedOrderRecord> list;
        saved.CopyRecords(list);
        for (INT_PTR i = 0; i < list.GetSize(); ++i)
            if (list[i].m_fields[CSavedOrderRecord::kOrderId] == savedId)
                return false;
        return true;
    }));
    EXPECT_FALSE(session.DeleteSavedOrders({savedId}, error));
    EXPECT_NE(error.Find("not found"), -1) << error.str();
}
