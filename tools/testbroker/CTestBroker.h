// The local test broker: HTTPS API, stream server and simulated market in one
// object, with the scripting interface that tests use to steer it.
//
//   qx::testbroker::TestBrokerOptions options;
//   options.httpsPort = 0;          // free ports for tests
//   options.streamPort = 0;
//   options.startPaused = true;     // nothing moves unless the test says so
//   qx::testbroker::CTestBroker broker(options);
//   std::string error;
//   broker.Start(error);
//   ... broker.HttpsPort(), broker.StreamPort(), broker.CaFile() ...
#pragma once

#include "broker/protocol/StreamRecord.h"
#include "tools/testbroker/CApiServer.h"
#include "tools/testbroker/CBrokerCore.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace qx::testbroker {

class CStreamServer;

class CTestBroker {
public:
    explicit CTestBroker(TestBrokerOptions options = {});
    ~CTestBroker();
    CTestBroker(const CTestBroker&) = delete;
    CTestBroker& operator=(const CTestBroker&) = delete;

    bool Start(std::string& error);
    void Stop();

    uint16_t HttpsPort() const;
    uint16_t StreamPort() const;
    std::string BaseUrl() const;  // "https://127.0.0.1:<port>"
    const std::string& CaFile() const { return m_certFile; }
    const TestBrokerOptions& Options() const { return m_options; }

    // Simulation.
    void PauseSimulation(bool paused);
    bool IsPaused() const { return m_paused; }
    void StepSimulation(int steps = 1);

    // Exact market data; false for an unknown symbol.
    bool InjectQuote(const std::string& symbol, const std::vector<protocol::QuoteField>& fields);
    bool InjectTrade(const std::string& symbol, double price, uint32_t size, const std::string& exchange = "NASD");
    bool InjectBook(const protocol::BookRecord& book);
    protocol::Headline InjectHeadline(protocol::Headline headline, const std::string& body = "");
    // Several headlines (stories of the same id replace earlier ones) in one record per key.
    std::vector<protocol::Headline> InjectHeadlines(std::vector<protocol::Headline> headlines);

    // Stream connections.
    void DropStreamConnections();
    bool DropStreamConnection(int id);
    std::vector<StreamConnectionInfo> StreamConnections() const;
    void StallStreams(bool stalled);
    // While down, stream connections are closed as they come and the open ones are dropped.
    void SetStreamsDown(bool down);
    // What a restart does to clients: every session, cookie, token and stream connection is
    // forgotten; the market and the accounts stay.
    // dropStreams false keeps the open stream connections (the cookies alone are gone).
    void RestartSessions(bool dropStreams = true);
    // Heartbeat and trade records with the given stamps, to every data connection (not into
    // the market): a server clock gone wrong.
    void SendHeartbeatAt(int64_t serverTimeMs);
    void SendTradeAt(const std::string& symbol, uint32_t feedTime, double price, uint32_t size);
    void SendRawToStreams(const std::vector<uint8_t>& bytes);
    // The bytes spread evenly over durationMs on every data connection, as over a slow link;
    // heartbeats and records queued meanwhile follow them.
    void SendRawToStreamsPaced(const std::vector<uint8_t>& bytes, int durationMs);
    // Heartbeats from now on every intervalMs (the options' heartbeatMs at start).
    void SetHeartbeatInterval(int intervalMs);
    // Waits until the next heartbeat has been queued to the stream connections; false after the timeout.
    bool WaitForHeartbeat(int timeoutMs) const;
    // A selection of broken records followed by one good heartbeat.
    void SendMalformedRecords();
    size_t StreamConnectionCount() const;
    bool WaitForStreamConnections(size_t count, int timeoutMs) const;
    bool IsSubscribed(int service, const std::string& item) const;
    bool WaitForSubscription(int service, const std::string& item, int timeoutMs) const;

    // Logins.
    void RejectLogins(int count, const std::string& text = "Invalid user name or password.");
    void SetPassword(const std::string& password);
    // The next count requests of an API name, or "history", get a broken reply (CApiServer.h).
    void FailReplies(const std::string& name, ApiFault fault, int count = 1, size_t cutAt = 0);
    // Forgets the broken replies and the delays not applied yet.
    void ClearFaults();
    // Requests of the API name wait that many milliseconds before the broker reads them (0:
    // no more); a broker slow to answer.
    void DelayReplies(const std::string& name, int ms);
    // Called (on a server thread) with the request name whenever a fault of FailReplies is
    // applied; a test makes something happen at the broker meanwhile. Empty: none.
    void OnFault(std::function<void(const std::string&)> hook);
    // History requests wait at that stage (before their bars are read, or with the reply made)
    // until released with HistoryHold::None.
    void HoldHistory(HistoryHold hold);
    bool WaitForHeldHistory(size_t count, int timeoutMs) const;
    // History replies name the newest trade their bars hold (default); off, the broker answers
    // as one that knows no trade numbers.
    void SetHistoryMarks(bool on);
    uint64_t KeepAliveCount() const;
    // The API requests (by name) and history requests ("history") received, oldest first.
    std::vector<std::string> ReceivedRequests() const;
    size_t SessionCount() const;
    // Every session id, stream token and history key the broker handed out.
    std::vector<std::string> IssuedSecrets() const;

    // Accounts.
    std::vector<Account> Accounts() const;
    std::optional<Position> PositionOf(const std::string& account, const std::string& symbol) const;
    std::vector<Order> Orders(const std::string& account) const;
    double Cash(const std::string& account) const;
    std::vector<std::string> ActionLog() const;
    // The user's watch lists as the server keeps them.
    std::vector<Watchlist> Watchlists() const;
    // The order requests received (placed, saved and edited orders), oldest first, each
    // with its order string as received and split into keys (see ReceivedOrderRequest):
    //   auto requests = broker.OrderRequests();
    //   EXPECT_EQ(requests.back().fields.at("price"), "50.123");
    // At most the last 1000 are kept; ClearOrderRequests forgets them.
    std::vector<ReceivedOrderRequest> OrderRequests() const;
    void ClearOrderRequests();
    // Places (or with save, saves) an order of the user as an order request would; the
    // account activity stream hears of it. The new order ids, or none with the error.
    std::vector<std::string> PlaceOrder(const std::string& orderString, bool option, bool save, std::string& error);

    // Read-only views of the market (copies).
    std::optional<SimSymbol> Symbol(const std::string& symbol) const;
    std::vector<std::string> Symbols() const;
    // The book a source ("L2", "NYSE", "INET", "OPRA", "TV") serves of the symbol now.
    std::optional<protocol::BookRecord> Book(const std::string& symbol, const std::string& source) const;

private:
    void SimulationLoop();
    void HeartbeatLoop();

    TestBrokerOptions m_options;
    std::unique_ptr<CBrokerCore> m_core;
    std::unique_ptr<CStreamServer> m_stream;
    std::unique_ptr<CApiServer> m_api;
    std::string m_certFile;
    std::string m_keyFile;
    std::atomic<bool> m_paused{false};
    std::atomic<bool> m_running{false};
    std::atomic<int> m_heartbeatMs; // the options' heartbeatMs until set
    std::mutex m_threadLock;
    std::condition_variable m_wake;
    std::thread m_simThread;
    std::thread m_heartbeatThread;
};

}  // namespace qx::testbroker
