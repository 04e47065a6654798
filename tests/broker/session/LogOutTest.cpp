// An orderly log-out against the in-process test broker: the streams close without a
// reconnect and are logged as closed, and nothing reaches the broker after LogOut, also
// with account, watch list and history requests under way; a connection the broker drops
// is still lost, told so and made anew.
#include "broker/session/CSessionManager.h"
#include "broker/session/SessionMessages.h"
#include "tests/support/CTestBrokerSession.h"
#include "tests/support/WaitUntil.h"
#include "tools/testbroker/CTestBroker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
using qx::testsupport::CTestBrokerSession;
using qx::testsupport::WaitUntil;

size_t Count(const std::vector<std::string>& names, const std::string& name)
{
    return static_cast<size_t>(std::count(names.begin(), names.end(), name));
}

// The requests the broker received after its first LogOut (all of them when none came).
std::vector<std::string> AfterLogOut(const std::vector<std::string>& received)
{
    const auto logOut = std::find(received.begin(), received.end(), "LogOut");
    return logOut == received.end() ? received : std::vector<std::string>(logOut + 1, received.end());
}

std::string Joined(const std::vector<std::string>& names)
{
    std::string out;
    for (const std::string& name : names)
        out += " " + name;
    return out;
}

size_t LinesWith(const std::vector<std::string>& log, const char* part)
{
    return static_cast<size_t>(
        std::count_if(log.begin(), log.end(), [&](const std::string& line) { return line.find(part) != std::string::npos; }));
}

// How a run catches the session at its log-out: the request the broker is answering slowly,
// and the one whose arrival sets the log-out off.
struct InFlight {
    const char* slow;
    const char* trigger;
};

} // namespace

TEST(OrderlyLogOut, NoRequestFollowsTheLogOutAndTheStreamsAreClosedNotLost)
{
    // Refreshes caught at each of their requests, and a history download.
    const InFlight runs[] = {{"OrderStatus", "BalancesAndPositions"},
                             {"SavedOrders", "OrderStatus"},
                             {"BalancesAndPositions", "BalancesAndPositions"},
                             {"GetWatchlists", "GetWatchlists"},
                             {"history", "history"},
                             {"OrderStatus", "OrderStatus"}};
    for (const InFlight& run : runs) {
        SCOPED_TRACE(std::string(run.slow) + " slow, log-out on " + run.trigger);
        CTestBrokerSession session;
        ASSERT_TRUE(session.Start());
        ASSERT_TRUE(session.LogIn());
        CSessionManager& manager = session.Manager();
        qx::testbroker::CTestBroker& broker = session.Broker();
        ASSERT_TRUE(WaitUntil([&] { return manager.IsStreamConnected(CBrokerSession::kStreamAccount) &&
                                           manager.IsStreamConnected(CBrokerSession::kStreamCommand); },
                              10s));
        // The first passes of the refreshes are done.
        ASSERT_TRUE(WaitUntil([&] { return Count(broker.ReceivedRequests(), "SavedOrders") >= 1 &&
                                           Count(broker.ReceivedRequests(), "GetWatchlists") >= 1; },
                              10s));

        broker.DelayReplies(run.slow, 150);
        const size_t before = Count(broker.ReceivedRequests(), run.trigger);
        if (std::string(run.trigger) == "history") {
            CHistoryRequest request;
            request.symbol = "IBM";
            request.daily = true;
            manager.GetSession().QueueHistoryRequest(request);
        } else if (std::string(run.trigger) == "GetWatchlists") {
            manager.GetSession().WakeWatchlistRefresh();
        } else {
            manager.GetSession().WakeAccountRefresh();
        }
        ASSERT_TRUE(WaitUntil([&] { return Count(broker.ReceivedRequests(), run.trigger) > before; }, 10s));
        manager.LogOut();

        // A keep-alive or a refresh left going would reach the broker within a few of its
        // intervals (keep-alives every 300 ms here).
        std::this_thread::sleep_for(700ms);
        const std::vector<std::string> received = broker.ReceivedRequests();
        EXPECT_EQ(Count(received, "LogOut"), 1u) << Joined(received);
        EXPECT_TRUE(AfterLogOut(received).empty()) << "after LogOut:" << Joined(AfterLogOut(received));

        const std::vector<std::string> log = session.Log();
        EXPECT_EQ(LinesWith(log, "connection lost"), 0u);
        EXPECT_EQ(LinesWith(log, "reconnecting"), 0u);
        EXPECT_EQ(LinesWith(log, "Session has expired"), 0u);
        for (const char* closed : {"stream 0: closed", "stream 1: closed", "stream 2: closed"})
            EXPECT_EQ(LinesWith(log, closed), 1u) << closed;
        EXPECT_FALSE(session.Sink().Has(kStatusConnectionLost));
        EXPECT_FALSE(manager.IsStreamConnected(CBrokerSession::kStreamMarketData));
        broker.DelayReplies(run.slow, 0);
        session.Stop();
        if (HasFailure())
            break;
    }
}

TEST(OrderlyLogOut, ADroppedConnectionIsStillLostAndMadeAnewThenClosedByTheLogOut)
{
    CTestBrokerSession session;
    ASSERT_TRUE(session.Start());
    ASSERT_TRUE(session.LogIn());
    CSessionManager& manager = session.Manager();
    qx::testbroker::CTestBroker& broker = session.Broker();
    const uint64_t connects = manager.GetSession().GetConnectCount(CBrokerSession::kStreamMarketData);

    broker.DropStreamConnections();
    ASSERT_TRUE(WaitUntil([&] { return session.LogHas("stream 0: connection lost, reconnecting"); }, 10s));
    EXPECT_TRUE(WaitUntil([&] { return session.Sink().Has(kStatusConnectionLost, CBrokerSession::kStreamMarketData); },
                          10s));
    ASSERT_TRUE(WaitUntil(
        [&] { return manager.GetSession().GetConnectCount(CBrokerSession::kStreamMarketData) > connects; }, 10s));
    EXPECT_TRUE(WaitUntil([&] { return manager.IsStreamConnected(CBrokerSession::kStreamMarketData); }, 10s));
    EXPECT_FALSE(session.LogHas(": closed"));

    manager.LogOut();
    EXPECT_TRUE(session.LogHas("stream 0: closed"));
    const std::vector<std::string> received = broker.ReceivedRequests();
    EXPECT_TRUE(AfterLogOut(received).empty()) << "after LogOut:" << Joined(AfterLogOut(received));
    session.Stop();
}
