// The HTTPS side of the test broker: the XML API under /apps/100/, the
// page-based login paths, the history download and the web-update file.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace httplib {
class SSLServer;
class Request;
class Response;
}  // namespace httplib

namespace qx::testbroker {

// A broken reply the next request of a name gets.
enum class ApiFault {
    ServerError, // carried out, but answered with HTTP 500 and an HTML page
    CutReply,    // carried out, but the reply body is cut short (HTTP 200, length of the cut body)
    EmptyOk,     // carried out, but answered <result>OK</result> without the request's element
    Refused,     // not carried out: HTTP 500 at once
    FalseOk,     // not carried out, yet answered <result>OK</result> without the request's element
    Unavailable, // not carried out: HTTP 503 with an HTML page, before the broker sees the request
};

// Where history requests wait while a test holds them.
enum class HistoryHold {
    None,
    Requests, // before the bars are read
    Replies,  // the bars (and the newest trade number they hold) are read, the reply waits
};

class CBrokerCore;
class CStreamServer;

class CApiServer {
public:
    CApiServer(CBrokerCore& core, CStreamServer& stream);
    ~CApiServer();
    CApiServer(const CApiServer&) = delete;
    CApiServer& operator=(const CApiServer&) = delete;

    // Listens on a loopback address with the certificate; port 0 picks a free one.
    bool Start(const std::string& address, uint16_t port, const std::string& certFile, const std::string& keyFile,
               std::string& error);
    void Stop();
    uint16_t Port() const { return m_port; }
    uint64_t KeepAliveCount() const { return m_keepAlives; }
    // The next count requests of the API name (or "history") get the fault; cutAt bytes of the
    // body are kept by CutReply (0: half of it).
    void AddFault(const std::string& name, ApiFault fault, int count = 1, size_t cutAt = 0);
    void ClearFaults();
    // Requests of the API name are answered that many milliseconds late (0: on time again);
    // the wait comes before the broker reads the request.
    void DelayReplies(const std::string& name, int ms);
    // Called with the request name whenever a fault is applied, before the reply goes out.
    void SetFaultHook(std::function<void(const std::string&)> hook);
    // Holds history requests at that stage until called again with another one.
    void HoldHistory(HistoryHold hold);
    // Waits until that many history requests are held.
    bool WaitForHeldHistory(size_t count, int timeoutMs);
    // History replies name the newest trade their bars hold (the default); off, they answer
    // as a broker that knows no trade numbers.
    void SetHistoryMarks(bool on) { m_historyMarks = on; }
    // The requests received, oldest first: the API names ("LogIn", "SavedOrders", ...) and
    // "history", as they arrived (faults and delays come after); at most the last 1000.
    std::vector<std::string> ReceivedRequests() const;

private:
    void Routes();
    void Api(const httplib::Request& req, httplib::Response& res);
    void PageLogIn(const httplib::Request& req, httplib::Response& res);
    void PageKeepAlive(const httplib::Request& req, httplib::Response& res);
    void PageLogOut(const httplib::Request& req, httplib::Response& res);
    void History(const httplib::Request& req, httplib::Response& res);
    void Update(const httplib::Request& req, httplib::Response& res);
    struct FaultRule {
        std::string name;
        ApiFault fault;
        size_t cutAt;
    };
    // Takes the next fault of a request path; false when none waits for it.
    bool TakeFault(const std::string& path, bool carriedOut, FaultRule& rule);
    // The fault of a request carried out, applied to its reply.
    void BreakReply(const httplib::Request& req, httplib::Response& res);
    // Waits the delay set for the request's name, if any.
    void Delay(const std::string& path);
    void RunFaultHook(const std::string& name);
    // Waits while history requests are held at this stage.
    void HistoryStage(HistoryHold stage);
    void RecordRequest(const std::string& path);

    CBrokerCore& m_core;
    CStreamServer& m_stream;
    std::unique_ptr<httplib::SSLServer> m_server;
    std::thread m_thread;
    uint16_t m_port = 0;
    std::atomic<uint64_t> m_keepAlives{0};
    std::mutex m_faultLock;
    std::deque<FaultRule> m_faults;
    std::map<std::string, int> m_delays;
    std::function<void(const std::string&)> m_faultHook;
    std::mutex m_holdLock;
    std::condition_variable m_holdChanged;
    HistoryHold m_hold = HistoryHold::None;
    size_t m_held = 0;
    std::atomic<bool> m_historyMarks{true};
    mutable std::mutex m_receivedLock;
    std::deque<std::string> m_received;
};

}  // namespace qx::testbroker
