// The stream server of the test broker: plain TCP on a loopback address,
// text request lines in, binary records out. Every connection has a reader
// and a writer thread; records are queued per connection.
#pragma once

#include "broker/protocol/StreamRecord.h"
#include "broker/protocol/StreamRequest.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace qx::testbroker {

struct StreamHandlers {
    // Checks the login clause of a connection's first request.
    std::function<bool(const std::string& user, const std::string& token)> login;
    // Current image of one item of a service for a user, handed to deliver while
    // the market cannot change (so no update overtakes it); false with the reason
    // when the item cannot be served (unknown symbol, foreign account).
    using Deliver = std::function<void(std::vector<protocol::StreamRecord>&)>;
    std::function<bool(const std::string& user, int service, const std::string& item, const Deliver& deliver,
                       std::string& error)>
        image;
};

struct StreamConnectionInfo {
    int id = 0;
    bool control = false;
    bool loggedIn = false;
    std::string user;
    uint64_t bytesSent = 0;
    uint64_t requests = 0;
};

class CStreamServer {
public:
    explicit CStreamServer(StreamHandlers handlers);
    ~CStreamServer();
    CStreamServer(const CStreamServer&) = delete;
    CStreamServer& operator=(const CStreamServer&) = delete;

    // Listens on a loopback address; port 0 picks a free one. False with a reason.
    bool Start(const std::string& address, uint16_t port, std::string& error);
    void Stop();
    uint16_t Port() const { return m_port; }

    // Quote fields to every data connection subscribed to the symbol, each
    // cut to the fields that connection asked for.
    void PublishQuote(const std::string& symbol, const std::vector<protocol::QuoteField>& fields, uint8_t flags = 0);
    // A record to every data connection subscribed to the item on the service.
    void Publish(int service, const std::string& item, const protocol::StreamRecord& record);
    void Heartbeat(int64_t serverTimeMs);
    // Heartbeats sent so far; waits until one more than seen went out (false after the timeout).
    uint64_t HeartbeatCount() const;
    bool WaitForHeartbeatAfter(uint64_t seen, int timeoutMs) const;

    // Scripting.
    void SendRaw(const std::vector<uint8_t>& bytes, bool controlToo = false);
    // The bytes spread evenly over the duration on every data connection, as over a slow
    // link; what is queued meanwhile (heartbeats, quotes) follows them.
    void SendRawPaced(const std::vector<uint8_t>& bytes, std::chrono::milliseconds duration);
    void DropAll();
    void DropUser(const std::string& user);
    // Closes one connection; false when there is none with that id.
    bool Drop(int id);
    void SetStalled(bool stalled);
    // While refused, every connection is closed at once (the server is down) and existing ones are dropped.
    void SetRefused(bool refused);
    std::vector<StreamConnectionInfo> Connections() const;
    bool IsSubscribed(int service, const std::string& item) const;
    // Every item some data connection subscribed to on a service.
    std::set<std::string> SubscribedItems(int service) const;
    // Waits until a data connection is subscribed to the item; false after the timeout.
    bool WaitForSubscription(int service, const std::string& item, int timeoutMs) const;
    // Waits until at least count logged-in connections exist.
    bool WaitForConnections(size_t count, int timeoutMs) const;

private:
    struct Connection;
    void AcceptLoop();
    void ReadLoop(std::shared_ptr<Connection> c);
    void WriteLoop(std::shared_ptr<Connection> c);
    void HandleLine(Connection& c, const std::string& line);
    void HandleClause(Connection& c, int service, const protocol::ServiceClause& clause);
    void Enqueue(Connection& c, const std::vector<uint8_t>& bytes,
                 std::chrono::milliseconds paced = std::chrono::milliseconds(0));
    void EnqueueRecord(Connection& c, const protocol::StreamRecord& record);
    void SendStatus(Connection& c, protocol::StatusCode code, const std::string& text);
    void Reap(bool all);
    std::vector<std::shared_ptr<Connection>> Snapshot() const;

    StreamHandlers m_handlers;
    int m_listen = -1;
    uint16_t m_port = 0;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_stalled{false};
    std::atomic<bool> m_refused{false};
    std::thread m_acceptThread;
    mutable std::mutex m_lock;
    mutable std::condition_variable m_changed;
    std::map<int, std::shared_ptr<Connection>> m_connections;
    int m_nextId = 1;
    uint32_t m_heartbeatSeq = 0; // guarded by m_lock
};

std::vector<uint8_t> EncodeForWire(const protocol::StreamRecord& record);

}  // namespace qx::testbroker
