// The session against the in-process test broker while the broker fails: restarted, stalled,
// wedged in a record, answering with broken or lost replies, or not there at all.
#include "broker/core/FeedTime.h"
#include "broker/protocol/StreamRecord.h"
#include "broker/session/CAccountDataStore.h"
#include "broker/session/CPlatformHttpTransport.h"
#include "broker/session/CSessionManager.h"
#include "broker/session/CSymbolHandle.h"
#include "broker/session/CTcpStreamConnection.h"
#include "broker/session/IStreamSubscriber.h"
#include "broker/session/QuoteFields.h"
#include "platform/core/CHttpClient.h"
#include "tests/support/CTestBrokerSession.h"
#include "tests/support/OrderLegs.h"
#include "tests/support/WaitUntil.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <ctime>
#include <thread>

namespace {

using namespace std::chrono_literals;
using qx::testbroker::ApiFault;
using qx::testsupport::WaitUntil;

class SessionFaultTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_session.Start());
        ASSERT_TRUE(m_session.LogIn());
    }
    void TearDown() override { m_session.Stop(); }

    qx::testbroker::CTestBroker& Broker() { return m_session.Broker(); }
    CSessionManager& Manager() { return m_session.Manager(); }
    CBrokerSession& Session() { return m_session.Manager().GetSession(); }

    // A handle on the symbol, subscribed at the broker.
    std::unique_ptr<CSymbolHandle> Watch(const char* symbol)
    {
        auto handle = std::make_unique<CSymbolHandle>(Manager().GetQuoteStore(), CString(symbol));
        EXPECT_TRUE(handle->Subscribe());
        EXPECT_TRUE(Broker().WaitForSubscription(kServiceQuote, symbol, 10000));
        return handle;
    }

    // A quote the broker sends now reaches the handle.
    bool QuotesFlow(CSymbolHandle& handle, const char* symbol, double bid)
    {
        if (!Broker().InjectQuote(symbol, {{kFieldBid, false, bid, {}}}))
            return false;
        return WaitUntil([&] { return handle.GetDouble(kFieldBid) == bid; }, 10s);
    }

    // The session has read the account's order list once (what a lost reply is told from).
    bool OrderListRead()
    {
        CAccountDataStore& store = Manager().GetAccountData();
        return WaitUntil(
            [&] {
                std::lock_guard<std::recursive_mutex> lock(store.GetLock());
                return store.Orders().present;
            },
            10s);
    }
    // Another order placed at the broker, as another client would.
    void PlaceElsewhere(const std::string& account, const std::string& legKeys)
    {
        std::string error;
        EXPECT_FALSE(Broker().PlaceOrder("accountid=" + account + "~" + legKeys, false, false, error).empty()) << error;
    }

    qx::testsupport::CTestBrokerSession m_session;
};

TEST_F(SessionFaultTest, RestartedBrokerLogsTheSessionOutOnceAndANewLoginResubscribes)
{
    auto handle = Watch("MSFT");
    ASSERT_TRUE(QuotesFlow(*handle, "MSFT", 101.25));

    Broker().RestartSessions();
    ASSERT_TRUE(WaitUntil([&] { return m_session.CountStatuses(kStatusSessionLost) > 0; }, 10s));
    EXPECT_FALSE(Manager().IsLoggedIn());
    EXPECT_FALSE(Session().IsLoggedIn());
    // The retries stop: no more stream connections, and the user is told once.
    const uint64_t connects = Session().GetConnectCount(CBrokerSession::kStreamMarketData);
    const size_t logLines = m_session.Log().size();
    std::this_thread::sleep_for(1500ms);
    EXPECT_EQ(1, m_session.CountStatuses(kStatusSessionLost));
    EXPECT_EQ(connects, Session().GetConnectCount(CBrokerSession::kStreamMarketData));
    EXPECT_EQ(0u, Broker().StreamConnectionCount());
    EXPECT_LT(m_session.Log().size() - logLines, 5u);
    EXPECT_EQ(CString("The server ended the session. Please log in again."),
              m_session.Sink().Find(kStatusSessionLost)->text);

    // A new login brings the quotes of every watched symbol back.
    const auto& options = Broker().Options();
    ASSERT_TRUE(Manager().StartLogin(CString(options.user), CString(options.password)));
    ASSERT_TRUE(WaitUntil([&] { return Manager().IsLoggedIn(); }, 20s));
    ASSERT_TRUE(Broker().WaitForSubscription(kServiceQuote, "MSFT", 10000));
    EXPECT_TRUE(QuotesFlow(*handle, "MSFT", 102.5));
}

TEST_F(SessionFaultTest, ExpiredSessionSeenByTheKeepAliveEndsTheRetries)
{
    // Only the cookie is forgotten (the streams stay up): the keep-alive finds out.
    Broker().RestartSessions(false);
    ASSERT_TRUE(WaitUntil([&] { return m_session.CountStatuses(kStatusSessionLost) > 0; }, 10s));
    const uint64_t keepAlives = Broker().KeepAliveCount();
    std::this_thread::sleep_for(1s); // three keep-alive periods
    EXPECT_EQ(keepAlives, Broker().KeepAliveCount());
    EXPECT_EQ(1, m_session.CountStatuses(kStatusSessionLost));
}

TEST_F(SessionFaultTest, StalledStreamIsDroppedAndMadeAnewAndTheUserIsToldOnceEachWay)
{
    auto handle = Watch("IBM");
    const uint64_t connects = Session().GetConnectCount(CBrokerSession::kStreamMarketData);
    const auto start = std::chrono::steady_clock::now();
    Broker().StallStreams(true);
    ASSERT_TRUE(WaitUntil([&] { return !Session().IsStreamConnected(CBrokerSession::kStreamMarketData); }, 10s));
    const auto noticed = std::chrono::steady_clock::now() - start;
    EXPECT_LE(noticed, 5s);
    EXPECT_TRUE(m_session.LogHas("no record for"));
    auto count = [&](const char* part) {
        int n = 0;
        for (const CSessionStatus& s : m_session.Sink().Statuses())
            n += s.code == kStatusText && s.text.Find(part) >= 0;
        return n;
    };
    EXPECT_TRUE(WaitUntil([&] { return count("No data from the stream server") > 0; }, 5s));
    // Three streams, several reconnections in 12 s: one message.
    std::this_thread::sleep_for(12s - (std::chrono::steady_clock::now() - start));
    Broker().StallStreams(false);
    ASSERT_TRUE(WaitUntil([&] { return Session().GetConnectCount(CBrokerSession::kStreamMarketData) > connects; }, 10s));
    EXPECT_TRUE(QuotesFlow(*handle, "IBM", 55.5));
    EXPECT_TRUE(WaitUntil([&] { return count("Data from the stream server flows again.") > 0; }, 5s));
    std::this_thread::sleep_for(1s);
    EXPECT_EQ(1, count("No data from the stream server"));
    EXPECT_EQ(1, count("Data from the stream server flows again."));
}

// One uncompressed quote record whose payload is exactly the largest allowed (1 MiB): the
// description sent sixteen times over, the last one (short) and the bid winning.
std::vector<uint8_t> LargestQuoteRecord(const char* symbol, const std::string& description, double bid)
{
    qx::protocol::QuoteRecord quote;
    quote.symbol = symbol;
    // Payload bytes: symbol (1 + 2 + its length), the list (1 + 2), a text field 1 + 1 + 1 + 2
    // + its length, the bid 1 + 1 + 1 + 8. The sixteen long texts fill the rest.
    const size_t fixed = 3 + std::strlen(symbol) + 3 + (5 + description.size()) + 11;
    const size_t longTexts = qx::protocol::kMaxPayload - fixed - 16 * 5;
    for (size_t i = 0; i < 16; ++i) {
        const size_t length = longTexts / 16 + (i == 15 ? longTexts % 16 : 0);
        quote.fields.push_back({kFieldDescription, true, 0, std::string(length, static_cast<char>('a' + i))});
    }
    quote.fields.push_back({kFieldDescription, true, 0, description});
    quote.fields.push_back({kFieldBid, false, bid, {}});
    return qx::protocol::EncodeRecord({0, 0, quote}, false);
}

TEST_F(SessionFaultTest, ARecordOfTheLargestSizeArrivesAndKeepsItsConnection)
{
    auto handle = Watch("AAPL");
    const uint64_t connects = Session().GetConnectCount(CBrokerSession::kStreamMarketData);
    auto arrived = [&](double bid, const char* text) -> ::testing::AssertionResult {
        if (!WaitUntil([&] { return handle->GetDouble(kFieldBid) == bid; }, 15s))
            return ::testing::AssertionFailure() << "the record's bid " << bid << " never arrived";
        char description[64] = {};
        if (!handle->GetDescription(description, sizeof description) || std::string(description) != text)
            return ::testing::AssertionFailure() << "description \"" << description << "\"";
        return ::testing::AssertionSuccess();
    };
    auto kept = [&]() -> ::testing::AssertionResult {
        if (Session().GetConnectCount(CBrokerSession::kStreamMarketData) != connects)
            return ::testing::AssertionFailure() << "the connection was made anew";
        for (const CSessionStatus& s : m_session.Sink().Statuses())
            if (s.code == kStatusText && s.text.Find("stream server") >= 0)
                return ::testing::AssertionFailure() << "told: " << s.text.str();
        return ::testing::AssertionSuccess();
    };

    // At once.
    std::vector<uint8_t> frame = LargestQuoteRecord("AAPL", "Apple large record", 21.25);
    ASSERT_EQ(frame.size(), qx::protocol::kHeaderSize + qx::protocol::kMaxPayload);
    Broker().SendRawToStreams(frame);
    EXPECT_TRUE(arrived(21.25, "Apple large record"));
    EXPECT_TRUE(kept());

    // Over a slow link (about 2.4 Mbit/s) on a quiet stream, a heartbeat a second: its bytes
    // come evenly over 3.5 s, starting 0.9 s after a heartbeat; the heartbeats wait behind it.
    // It ends 4.4 s after the last whole record before it, 3.5 s after its own header.
    Broker().SetHeartbeatInterval(1000);
    ASSERT_TRUE(Broker().WaitForHeartbeat(5000)); // the next one is a second away
    ASSERT_TRUE(Broker().WaitForHeartbeat(5000));
    const auto beat = std::chrono::steady_clock::now();
    frame = LargestQuoteRecord("AAPL", "Apple slow record", 22.5);
    std::this_thread::sleep_until(beat + 900ms);
    Broker().SendRawToStreamsPaced(frame, 3500);
    EXPECT_TRUE(arrived(22.5, "Apple slow record"));
    EXPECT_TRUE(kept());
    EXPECT_FALSE(m_session.LogHas("unfinished record"));

    // The account stream got the records too and may apply them late: later quotes are
    // looked for on another symbol.
    auto other = Watch("MSFT");
    EXPECT_TRUE(QuotesFlow(*other, "MSFT", 321.5));
    EXPECT_TRUE(kept());
    EXPECT_FALSE(m_session.LogHas("no record for"));
}

TEST_F(SessionFaultTest, AHeaderDeclaringMoreThanTheLargestRecordMakesTheConnectionAnewAtOnce)
{
    auto handle = Watch("IBM");
    const uint64_t connects = Session().GetConnectCount(CBrokerSession::kStreamMarketData);
    // A quote header whose length says 1 MiB + 1, its check byte made right by hand (0xA5
    // XOR every other header byte).
    std::vector<uint8_t> frame = qx::protocol::EncodeFrame(0, 1, 0, std::vector<uint8_t>(100, 7));
    const uint32_t length = qx::protocol::kMaxPayload + 1;
    for (int b = 0; b < 4; ++b)
        frame[8 + b] = static_cast<uint8_t>(length >> (8 * b));
    uint8_t check = 0xA5;
    for (size_t b = 0; b < qx::protocol::kHeaderSize; ++b)
        if (b != 6)
            check ^= frame[b];
    frame[6] = check;
    const auto sent = std::chrono::steady_clock::now();
    Broker().SendRawToStreams(frame);
    ASSERT_TRUE(WaitUntil([&] { return Session().GetConnectCount(CBrokerSession::kStreamMarketData) > connects; }, 10s));
    // Well before the four seconds of a stall.
    EXPECT_LT(std::chrono::steady_clock::now() - sent, 2500ms);
    EXPECT_TRUE(QuotesFlow(*handle, "IBM", 112.75));
    EXPECT_TRUE(m_session.LogHas("declares more than the largest record"));
    int told = 0;
    for (const CSessionStatus& s : m_session.Sink().Statuses())
        told += s.code == kStatusText && s.text.Find("broken record") >= 0;
    EXPECT_GE(told, 1);
}

TEST_F(SessionFaultTest, ARecordThatNeverEndsWhileQuotesFlowIsMadeAnewWithinTheStallTime)
{
    auto handle = Watch("INTC");
    const uint64_t connects = Session().GetConnectCount(CBrokerSession::kStreamMarketData);
    // A header declaring 1 MiB with 100 bytes behind it; then the market goes on, and its
    // quotes (far more than a few heartbeats) are swallowed by the record.
    const std::vector<uint8_t> payload(1u << 20, 7);
    std::vector<uint8_t> frame = qx::protocol::EncodeFrame(0, 1, 0, payload);
    frame.resize(qx::protocol::kHeaderSize + 100);
    const auto sent = std::chrono::steady_clock::now();
    Broker().SendRawToStreams(frame);
    double bid = 30.0;
    auto left = [&] {
        return !Session().IsStreamConnected(CBrokerSession::kStreamMarketData) ||
               Session().GetConnectCount(CBrokerSession::kStreamMarketData) > connects;
    };
    while (!left() && std::chrono::steady_clock::now() - sent < 20s) {
        for (int i = 0; i < 10; ++i)
            ASSERT_TRUE(Broker().InjectQuote("INTC", {{kFieldBid, false, bid += 0.01, {}},
                                                      {kFieldDescription, true, 0, std::string(200, 'd')}}));
        std::this_thread::sleep_for(20ms);
    }
    const auto silent = std::chrono::steady_clock::now() - sent;
    ASSERT_TRUE(left());
    // Four seconds from the record's header, and slack for a loaded machine.
    EXPECT_LT(silent, 5s) << std::chrono::duration_cast<std::chrono::milliseconds>(silent).count() << " ms";
    ASSERT_TRUE(WaitUntil([&] { return Session().GetConnectCount(CBrokerSession::kStreamMarketData) > connects; }, 10s));
    EXPECT_TRUE(QuotesFlow(*handle, "INTC", 33.25));
    EXPECT_TRUE(m_session.LogHas("unfinished record"));
    int told = 0;
    for (const CSessionStatus& s : m_session.Sink().Statuses())
        told += s.code == kStatusText && s.text.Find("did not arrive within 4 seconds") >= 0;
    EXPECT_GE(told, 1);
}

TEST_F(SessionFaultTest, RecordWhosePayloadNeverComesEndsTheConnection)
{
    auto handle = Watch("INTC");
    const uint64_t connects = Session().GetConnectCount(CBrokerSession::kStreamMarketData);
    // A header declaring 1 MiB, a few of its bytes, then nothing more of it.
    const std::vector<uint8_t> payload(1u << 20, 7);
    std::vector<uint8_t> frame = qx::protocol::EncodeFrame(0, 1, 0, payload);
    frame.resize(qx::protocol::kHeaderSize + 100);
    Broker().SendRawToStreams(frame);
    ASSERT_TRUE(WaitUntil([&] { return Session().GetConnectCount(CBrokerSession::kStreamMarketData) > connects; }, 10s));
    EXPECT_TRUE(QuotesFlow(*handle, "INTC", 33.25));
}

TEST_F(SessionFaultTest, QuoteVolumeIsTheBrokersAfterTrades)
{
    auto handle = Watch("CSCO");
    ASSERT_TRUE(QuotesFlow(*handle, "CSCO", 40.0));
    ASSERT_TRUE(Broker().InjectTrade("CSCO", 40.05, 900));
    ASSERT_TRUE(Broker().InjectTrade("CSCO", 40.10, 300, "NYSE"));
    // A quote after the trades: once it is in, so are they.
    ASSERT_TRUE(QuotesFlow(*handle, "CSCO", 40.01));
    const double brokerVolume = Broker().Symbol("CSCO")->volume;
    EXPECT_DOUBLE_EQ(brokerVolume, handle->GetDouble(kFieldVolume));
    EXPECT_FLOAT_EQ(40.10f, static_cast<float>(handle->GetDouble(kFieldLast)));
    EXPECT_DOUBLE_EQ(Broker().Symbol("CSCO")->trades, handle->GetDouble(kFieldTickVolume));
}

TEST_F(SessionFaultTest, OrderWhoseReplyIsLostIsReportedPlacedOnce)
{
    const CString account = Session().GetCurrentAccount();
    ASSERT_TRUE(OrderListRead());
    const size_t before = Broker().Orders(account.str()).size();
    for (ApiFault fault : {ApiFault::ServerError, ApiFault::CutReply, ApiFault::EmptyOk}) {
        Broker().FailReplies("EquityTrade", fault);
        CString error;
        const COrderLeg leg = qx::testsupport::DayOrderLeg("GE", 10, "Limit", 1.00);
        EXPECT_TRUE(Session().SubmitOrder({leg}, 0, -1, 1, "QXVEL", account, error))
            << static_cast<int>(fault) << " " << error.str();
    }
    // One order per submission: nobody is invited to send it again.
    EXPECT_EQ(before + 3, Broker().Orders(account.str()).size());
}

TEST_F(SessionFaultTest, OrderNotPlacedWhileItsAnswerIsLostIsNoSuccess)
{
    const CString account = Session().GetCurrentAccount();
    ASSERT_TRUE(OrderListRead());
    const size_t before = Broker().Orders(account.str()).size();
    for (ApiFault fault : {ApiFault::Refused, ApiFault::FalseOk}) {
        Broker().FailReplies("EquityTrade", fault);
        CString error;
        const COrderLeg leg = qx::testsupport::DayOrderLeg("GE", 10, "Limit", 1.00);
        EXPECT_FALSE(Session().SubmitOrder({leg}, 0, -1, 1, "QXVEL", account, error)) << static_cast<int>(fault);
        EXPECT_GE(error.Find("Order Status window"), 0) << error.str();
    }
    EXPECT_EQ(before, Broker().Orders(account.str()).size());
}

TEST_F(SessionFaultTest, AnOrderTheBrokerNeverSawIsNotReportedPlacedWhileAnotherOfItsSymbolIs)
{
    const std::string account = Session().GetCurrentAccount().str();
    ASSERT_TRUE(OrderListRead());
    const size_t before = Broker().Orders(account).size();
    // 503 before the broker reads the request; meanwhile another GE order is placed.
    Broker().FailReplies("EquityTrade", ApiFault::Unavailable);
    Broker().OnFault([&](const std::string&) {
        PlaceElsewhere(account, "action=buy~quantity=25~symbol=GE~ordtype=limit~price=1.50~expire=day~");
    });
    CString error;
    EXPECT_FALSE(Session().SubmitOrder({qx::testsupport::DayOrderLeg("GE", 10, "Limit", 1.00)}, 0, -1, 1, "QXVEL",
                                       CString(account), error));
    Broker().OnFault(nullptr);
    EXPECT_GE(error.Find("Order Status window"), 0) << error.str();
    ASSERT_EQ(before + 1, Broker().Orders(account).size());
    EXPECT_TRUE(Broker().OrderRequests().empty()); // ours never reached it
}

TEST_F(SessionFaultTest, TwoNewOrdersLikeOursAfterALostReplyAreOutcomeUnknown)
{
    const std::string account = Session().GetCurrentAccount().str();
    ASSERT_TRUE(OrderListRead());
    const size_t before = Broker().Orders(account).size();
    // Ours is placed but its answer is lost; an order just like it comes from elsewhere.
    Broker().FailReplies("EquityTrade", ApiFault::ServerError);
    Broker().OnFault([&](const std::string&) {
        PlaceElsewhere(account, "action=buy~quantity=10~symbol=GE~ordtype=limit~price=1.00~expire=day~");
    });
    CString error;
    EXPECT_FALSE(Session().SubmitOrder({qx::testsupport::DayOrderLeg("GE", 10, "Limit", 1.00)}, 0, -1, 1, "QXVEL",
                                       CString(account), error));
    Broker().OnFault(nullptr);
    EXPECT_GE(error.Find("Order Status window"), 0) << error.str();
    EXPECT_EQ(before + 2, Broker().Orders(account).size());

    // One like it but of another price, side or expiration is told apart from ours.
    for (const char* other : {"action=buy~quantity=10~symbol=GE~ordtype=limit~price=1.01~expire=day~",
                              "action=sell~quantity=10~symbol=GE~ordtype=limit~price=1.00~expire=day~",
                              "action=buy~quantity=10~symbol=GE~ordtype=limit~price=1.00~expire=gtc~",
                              "action=buy~quantity=11~symbol=GE~ordtype=limit~price=1.00~expire=day~"}) {
        if (std::string(other).find("sell") != std::string::npos)
            PlaceElsewhere(account, "action=buy~quantity=10~symbol=GE~ordtype=market~expire=day~");
        Broker().FailReplies("EquityTrade", ApiFault::ServerError);
        Broker().OnFault([&](const std::string&) { PlaceElsewhere(account, other); });
        EXPECT_TRUE(Session().SubmitOrder({qx::testsupport::DayOrderLeg("GE", 10, "Limit", 1.00)}, 0, -1, 1, "QXVEL",
                                          CString(account), error))
            << other << ": " << error.str();
        Broker().OnFault(nullptr);
    }
}

TEST_F(SessionFaultTest, AnOrderGoesOutAtOnceWhileTheOrderListIsLate)
{
    const std::string account = Session().GetCurrentAccount().str();
    ASSERT_TRUE(OrderListRead());
    Broker().ClearOrderRequests();
    Broker().DelayReplies("OrderStatus", 4000);
    const auto start = std::chrono::steady_clock::now();
    CString error;
    EXPECT_TRUE(Session().SubmitOrder({qx::testsupport::DayOrderLeg("MSFT", 5, "Market")}, 0, -1, 1, "QXVEL",
                                      CString(account), error))
        << error.str();
    const auto took = std::chrono::steady_clock::now() - start;
    Broker().DelayReplies("OrderStatus", 0);
    EXPECT_LT(took, 2s);
    ASSERT_EQ(1u, Broker().OrderRequests().size());
}

TEST_F(SessionFaultTest, TheBrokerReceivesEveryFieldAsEnteredAndNoTextAddsAKey)
{
    const std::string account = Session().GetCurrentAccount().str();
    Broker().ClearOrderRequests();
    COrderLeg leg = qx::testsupport::DayOrderLeg("INET:MSFT", 10, "StopLimit", 1.1235);
    leg.activationPrice = 1.25;
    leg.action = 2;
    leg.expire = "GTC";
    leg.route = "NSDQ (INET)";
    leg.instructions = "AON";
    leg.expirationMonth = "12";
    leg.expirationDay = "1";
    leg.expirationYear = "2030";
    CString error;
    ASSERT_TRUE(Session().SubmitOrder({leg}, 0, -1, 1, "QXVEL", CString(account), error)) << error.str();
    auto requests = Broker().OrderRequests();
    ASSERT_EQ(1u, requests.size());
    EXPECT_EQ("EquityTrade", requests[0].name);
    EXPECT_EQ("QXVEL", requests[0].source);
    ASSERT_TRUE(requests[0].parsed) << requests[0].parseError;
    const qx::testbroker::OrderFields expected = {
        {"accountid", account}, {"action", "sellshort"},  {"quantity", "10"},   {"symbol", "MSFT"},
        {"ordtype", "stop_limit"}, {"price", "1.1235"},   {"actprice", "1.25"}, {"tsparam", ""},
        {"expire", "gtc"},         {"spinstructions", "aon"}, {"routing", "inet"}, {"exmonth", "12"},
        {"exday", "1"},            {"exyear", "2030"}};
    EXPECT_EQ(expected, requests[0].fields);

    // The order list gives the price back to its last decimal; an edit of the quantity alone
    // sends it unchanged.
    std::vector<qx::testbroker::Order> orders = Broker().Orders(account);
    auto placed = std::find_if(orders.begin(), orders.end(), [](const auto& o) { return o.status == "Open"; });
    ASSERT_NE(placed, orders.end());
    COrderLeg edit = leg;
    edit.orderId = CString(placed->id);
    edit.quantity = 20;
    ASSERT_TRUE(Session().EditOrder(edit, 0, nullptr, error)) << error.str();
    requests = Broker().OrderRequests();
    ASSERT_EQ(2u, requests.size());
    EXPECT_EQ("EditOrder", requests[1].name);
    EXPECT_EQ("1.1235", requests[1].fields["price"]);
    EXPECT_EQ("20", requests[1].fields["quantity"]);

    // Texts from files that are no order words, or prices the string cannot carry, never
    // reach the broker, whoever sends them.
    struct Bad {
        void (*change)(COrderLeg&);
        const char* message;
    };
    const Bad bad[] = {
        {[](COrderLeg& l) { l.route = "Auto~symbol=EVIL"; }, "Invalid routing: Auto~symbol=EVIL"},
        {[](COrderLeg& l) { l.orderType = "Limit~ordtype=market"; }, "Invalid order type: Limit~ordtype=market"},
        {[](COrderLeg& l) { l.expirationYear = "2030~exyear=2031"; }, "Invalid good-till date: 12/1/2030~exyear=2031"},
        {[](COrderLeg& l) { l.price = 0.00004; }, "Invalid price: 4e-05 (above 0, at most 4 decimals)"},
    };
    for (const Bad& b : bad) {
        COrderLeg changed = leg;
        b.change(changed);
        EXPECT_FALSE(Session().SubmitOrder({changed}, 0, -1, 1, "QXVEL", CString(account), error));
        EXPECT_EQ(CString(b.message), error);
        if (std::string(b.message).find("routing") != std::string::npos)
            continue; // an edit does not send the routing
        changed.orderId = edit.orderId;
        EXPECT_FALSE(Session().EditOrder(changed, 0, nullptr, error));
        EXPECT_EQ(CString(b.message), error);
    }
    EXPECT_EQ(2u, Broker().OrderRequests().size());
}

TEST_F(SessionFaultTest, CutHistoryBodyFailsWhereverItIsCut)
{
    // The whole body as the broker sends it, read past the session.
    CString cookie;
    ASSERT_TRUE(Session().GetSessionCookie(cookie));
    // The request the session makes for the daily bars of the last 60 days.
    const time_t from = time(nullptr) - 60 * 86400;
    std::tm tm{};
    gmtime_r(&from, &tm);
    const DWORD start = DateTimeToFeedTime(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, 0, 0, 0);
    const std::string query =
        "/history?s=MSFT&i=D&f=dtohlcv&e=4294967295&n=20000&b=" + std::to_string(start) + "&x=0";
    CHttpClient client;
    client.SetCaFile(Broker().CaFile().c_str());
    const CHttpResult whole =
        client.Get((Broker().BaseUrl() + query).c_str(), {{"Cookie", CString("KELVTRADING=" + cookie.str())}});
    ASSERT_TRUE(whole.ok);
    ASSERT_GT(whole.body.size(), 200u);

    // Every cut inside a line fails the request; a cut at a line end is a shorter good body.
    CHistoryCache& cache = Manager().GetHistoryCache();
    int cutInLine = 0;
    for (int i = 1; i <= 100; ++i) {
        const size_t cut = whole.body.size() * static_cast<size_t>(i) / 101;
        const size_t lines = static_cast<size_t>(std::count(whole.body.begin(), whole.body.begin() + cut, '\n'));
        const bool atLineEnd = whole.body[cut - 1] == '\n';
        cutInLine += !atLineEnd;
        const size_t before = cache.GetRows("MSFT", true, false).size();
        Broker().FailReplies("history", ApiFault::CutReply, 1, cut);
        cache.RequestHistory(nullptr, "MSFT", true, start, 0xFFFFFFFF, false);
        ASSERT_TRUE(WaitUntil([&] { return cache.GetPendingRequests() == 0; }, 10s));
        const size_t rows = cache.GetRows("MSFT", true, false).size();
        if (atLineEnd)
            EXPECT_EQ(std::max(before, lines), rows) << "cut at " << cut;
        else
            EXPECT_EQ(before, rows) << "cut at " << cut << " inside a line was accepted";
    }
    EXPECT_GT(cutInLine, 80);
    EXPECT_TRUE(m_session.LogHas("cut short"));
}

TEST_F(SessionFaultTest, AMalformedReplyIsLoggedWithTheParsersReason)
{
    CWatchlistRecord list;
    list.name = "Cut";
    CString error;
    Broker().FailReplies("CreateWatchlist", ApiFault::CutReply, 1, 40);
    EXPECT_FALSE(Session().SaveWatchlist(list, 1, error));
    EXPECT_EQ(CString("Malformed reply."), error);
    bool reasoned = false;
    for (const std::string& line : m_session.Log())
        reasoned = reasoned || (line.rfind("response CreateWatchlist: Malformed reply. (", 0) == 0 &&
                                line.size() > std::string("response CreateWatchlist: Malformed reply. ()").size());
    EXPECT_TRUE(reasoned);
}

TEST_F(SessionFaultTest, HttpErrorStatusIsAFailure)
{
    Broker().FailReplies("history", ApiFault::ServerError);
    CHistoryCache& cache = Manager().GetHistoryCache();
    cache.RequestHistory(nullptr, "IBM", true, 0, 0xFFFFFFFF, false);
    ASSERT_TRUE(WaitUntil([&] { return cache.GetPendingRequests() == 0; }, 10s));
    EXPECT_TRUE(cache.GetRows("IBM", true, false).empty());
    EXPECT_TRUE(m_session.LogHas("HTTP status 500"));

    CBrokerSession& session = Session();
    CWatchlistRecord list;
    list.name = "Faults";
    CString error;
    Broker().FailReplies("CreateWatchlist", ApiFault::Refused);
    EXPECT_FALSE(session.SaveWatchlist(list, 1, error));
    EXPECT_GE(error.Find("HTTP 500"), 0) << error.str();
}

TEST_F(SessionFaultTest, FloodOfBadRecordsLogsAFewLinesAndTheirCount)
{
    auto handle = Watch("AAPL");
    const size_t lines = m_session.Log().size();
    const uint64_t dropsBefore = Session().GetDroppedRecords();
    const auto quote = qx::protocol::EncodePayload(qx::protocol::QuoteRecord{"AAPL", {{3, false, 1.0, {}}}});
    const std::vector<uint8_t> unknownKind = qx::protocol::EncodeFrame(0, 200, 0, quote);
    std::vector<uint8_t> bytes;
    for (int i = 0; i < 20000; ++i)
        bytes.insert(bytes.end(), unknownKind.begin(), unknownKind.end());
    Broker().SendRawToStreams(bytes);
    // Every data connection (market data and account activity) gets them.
    ASSERT_TRUE(WaitUntil([&] { return Session().GetDroppedRecords() - dropsBefore >= 40000; }, 20s));
    EXPECT_TRUE(QuotesFlow(*handle, "AAPL", 12.5));
    // Another line after the window ends reports the count of those left out.
    std::this_thread::sleep_for(std::chrono::milliseconds(10500));
    ASSERT_TRUE(QuotesFlow(*handle, "AAPL", 12.75)); // traffic that logs
    const std::vector<std::string> log = m_session.Log();
    size_t dropLines = 0;
    uint64_t counted = 0;
    for (size_t i = lines; i < log.size(); ++i) {
        if (log[i].find("dropped") == std::string::npos)
            continue;
        if (log[i].rfind("(", 0) == 0)
            counted += std::stoull(log[i].substr(1));
        else
            ++dropLines;
    }
    EXPECT_LE(dropLines, 40u);
    EXPECT_EQ(Session().GetDroppedRecords() - dropsBefore, dropLines + counted);
}

// A server on loopback that answers one request with a head and then that many body bytes,
// and closes.
class COneReplyServer {
public:
    COneReplyServer(std::string head, size_t bodyBytes) : m_head(std::move(head)), m_bodyBytes(bodyBytes)
    {
        m_listen = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (bind(m_listen, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(m_listen, 1) != 0 ||
            getsockname(m_listen, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            return;
        m_port = ntohs(address.sin_port);
        m_thread = std::thread([this] { Serve(); });
    }
    ~COneReplyServer()
    {
        shutdown(m_listen, SHUT_RDWR);
        if (m_thread.joinable())
            m_thread.join();
        close(m_listen);
    }
    std::string Url() const { return "http://127.0.0.1:" + std::to_string(m_port) + "/apps/100/OrderStatus"; }

private:
    void Serve()
    {
        const int client = accept(m_listen, nullptr, nullptr);
        if (client < 0)
            return;
        std::string request;
        char buffer[4096];
        while (request.find("\r\n\r\n") == std::string::npos) {
            const ssize_t n = recv(client, buffer, sizeof buffer, 0);
            if (n <= 0)
                break;
            request.append(buffer, static_cast<size_t>(n));
        }
        bool ok = send(client, m_head.data(), m_head.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(m_head.size());
        const std::string chunk(65536, '<');
        for (size_t sent = 0; ok && sent < m_bodyBytes; sent += chunk.size())
            ok = send(client, chunk.data(), std::min(chunk.size(), m_bodyBytes - sent), MSG_NOSIGNAL) > 0;
        close(client);
    }

    std::string m_head;
    size_t m_bodyBytes;
    int m_listen = -1;
    uint16_t m_port = 0;
    std::thread m_thread;
};

TEST(HttpTransport, AReplyLongerThanTheXmlReaderTakesIsRefusedAndACutOneLeavesNoBody)
{
    CPlatformHttpTransport http(CString(), 10000);
    {
        const size_t body = (size_t{16} << 20) + 65536;
        COneReplyServer server("HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\nContent-Length: " +
                                   std::to_string(body) + "\r\n\r\n",
                               body);
        CHttpExchange exchange;
        exchange.url = server.Url();
        EXPECT_FALSE(http.Perform(exchange));
        EXPECT_TRUE(exchange.response.empty()) << exchange.response.size() << " bytes";
    }
    {
        // Content-Length promises more than comes before the connection closes.
        COneReplyServer server("HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\nContent-Length: 100000\r\n\r\n",
                               65536);
        CHttpExchange exchange;
        exchange.url = server.Url();
        EXPECT_FALSE(http.Perform(exchange));
        EXPECT_TRUE(exchange.response.empty()) << exchange.response.size() << " bytes";
    }
    {
        const size_t body = size_t{8} << 20;
        COneReplyServer server("HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\nContent-Length: " +
                                   std::to_string(body) + "\r\n\r\n",
                               body);
        CHttpExchange exchange;
        exchange.url = server.Url();
        EXPECT_TRUE(http.Perform(exchange)) << exchange.error;
        EXPECT_EQ(body, exchange.response.size());
    }
}

// The broker is not there: the login says so in words, with the code in the log.
TEST(SessionWithoutBroker, LoginSaysTheServerCannotBeReached)
{
    qx::testbroker::TestBrokerOptions options;
    options.httpsPort = 0;
    options.streamPort = 0;
    options.startPaused = true;
    qx::testbroker::CTestBroker broker(options);
    std::string startError;
    ASSERT_TRUE(broker.Start(startError)) << startError;
    const std::string url = broker.BaseUrl();
    const std::string server = url.substr(8);
    broker.Stop();

    CSessionConfig config;
    config.apiServer = url;
    config.historyServer = url;
    CPlatformHttpTransport http(CString(broker.CaFile()), 5000);
    CSessionManager manager(CString(QX_TEST_SESSION_DIR), config, &http, &CTcpStreamConnection::Create);
    qx::testsupport::CRecordingStatusSink sink;
    manager.SetStatusWindow(&sink);
    std::vector<std::string> log;
    std::mutex logLock;
    manager.GetSession().SetLogger([&](const char* line) {
        std::lock_guard<std::mutex> lock(logLock);
        log.emplace_back(line);
    });
    ASSERT_TRUE(manager.StartLogin("demo", "demo"));
    ASSERT_TRUE(WaitUntil([&] { return sink.Has(kStatusLoginResult); }, 20s));
    const auto result = sink.Find(kStatusLoginResult);
    EXPECT_FALSE(result->success);
    EXPECT_EQ(CString("The server " + server + " cannot be reached."), result->text);
    manager.SetStatusWindow(nullptr);
    manager.LogOut();
    std::lock_guard<std::mutex> lock(logLock);
    bool coded = false;
    for (const auto& line : log)
        coded = coded || line.find("error 7") != std::string::npos;
    EXPECT_TRUE(coded);
}

// A login whose streamer information fails closes the session it opened at the broker.
TEST(SessionWithoutStreamer, FailedLoginLeavesNoSessionOpen)
{
    qx::testsupport::CTestBrokerSession session;
    ASSERT_TRUE(session.Start());
    session.Broker().FailReplies("StreamerInfo", ApiFault::ServerError);
    const auto result = session.LogIn(20s);
    EXPECT_FALSE(result);
    const auto status = session.Sink().Find(kStatusLoginResult);
    ASSERT_TRUE(status);
    EXPECT_GE(status->text.Find("HTTP 500"), 0) << status->text.str();
    EXPECT_TRUE(WaitUntil([&] { return session.Broker().SessionCount() == 0; }, 5s));
    session.Stop();
}

} // namespace
