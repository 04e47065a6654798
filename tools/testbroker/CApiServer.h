// The HTTPS side of the test broker: the XML API under /apps/100/, the
// page-based login paths, the history download and the web-update file.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>

namespace httplib {
class SSLServer;
class Request;
class Response;
}  // namespace httplib

namespace qx::testbroker {

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

private:
    void Routes();
    void Api(const httplib::Request& req, httplib::Response& res);
    void PageLogIn(const httplib::Request& req, httplib::Response& res);
    void PageKeepAlive(const httplib::Request& req, httplib::Response& res);
    void PageLogOut(const httplib::Request& req, httplib::Response& res);
    void History(const httplib::Request& req, httplib::Response& res);
    void Update(const httplib::Request& req, httplib::Response& res);

    CBrokerCore& m_core;
    CStreamServer& m_stream;
    std::unique_ptr<httplib::SSLServer> m_server;
    std::thread m_thread;
    uint16_t m_port = 0;
    std::atomic<uint64_t> m_keepAlives{0};
};

}  // namespace qx::testbroker
