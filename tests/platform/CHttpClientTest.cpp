#include "TempFolder.h"

#include "platform/core/CHttpClient.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>

namespace {
// A plain-HTTP server on a free loopback port, running for one test.
class LocalServer {
public:
    LocalServer()
    {
        m_server.Get("/hello", [](const httplib::Request& req, httplib::Response& res) {
            res.set_header("X-Echo", req.get_header_value("X-Token"));
            res.set_content("hello " + req.get_header_value("Cookie"), "text/plain");
        });
        m_server.Post("/apps/100/LogIn", [](const httplib::Request& req, httplib::Response& res) {
            res.set_header("Set-Cookie", "KELVTRADING=session42; Path=/");
            res.set_content("<LogIn>" + req.body + "|" + req.get_header_value("Content-Type") + "</LogIn>",
                            "text/xml");
        });
        m_server.Get("/missing", [](const httplib::Request&, httplib::Response& res) {
            res.status = 404;
            res.set_content("no", "text/plain");
        });
        m_server.Get("/slow", [](const httplib::Request&, httplib::Response& res) {
            std::this_thread::sleep_for(std::chrono::milliseconds(800));
            res.set_content("late", "text/plain");
        });
        m_server.Get("/big", [](const httplib::Request&, httplib::Response& res) {
            res.set_content(std::string(100000, 'b'), "text/plain");
        });
        // Requests that reach this server through it acting as a proxy.
        m_server.Get(R"(http://.*)", [](const httplib::Request& req, httplib::Response& res) {
            res.set_content("proxied " + req.path, "text/plain");
        });
        m_server.Get("/redirect", [](const httplib::Request&, httplib::Response& res) {
            res.set_redirect("/hello");
        });
        m_port = m_server.bind_to_any_port("127.0.0.1");
        m_thread = std::thread([this] { m_server.listen_after_bind(); });
        while (!m_server.is_running())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ~LocalServer()
    {
        m_server.stop();
        m_thread.join();
    }
    std::string url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(m_port) + path; }

private:
    httplib::Server m_server;
    int m_port = 0;
    std::thread m_thread;
};
}  // namespace

TEST(CHttpClient, GetPostHeadersAndSessionCookie)
{
    LocalServer server;
    CHttpClient client;
    client.SetTimeouts(2000, 5000);

    CHttpResult r = client.Get(server.url("/hello").c_str(), {{"X-Token", "abc"}});
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.status, 200);
    EXPECT_EQ(r.body, "hello ");
    EXPECT_EQ(r.GetHeader("x-echo"), "abc");
    EXPECT_EQ(r.GetHeader("content-type"), "text/plain");
    EXPECT_TRUE(r.error.IsEmpty());

    r = client.Post(server.url("/apps/100/LogIn").c_str(), "userid=a&password=b");
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.body, "<LogIn>userid=a&password=b|application/x-www-form-urlencoded</LogIn>");
    EXPECT_EQ(client.GetCookie("KELVTRADING"), "session42");
    EXPECT_EQ(client.GetCookie("KELVTRADING", "127.0.0.1"), "session42");
    EXPECT_EQ(client.GetCookie("KELVTRADING", "other.host"), "");

    // The jar sends the cookie back, and a set cookie replaces it.
    r = client.Get(server.url("/hello").c_str());
    EXPECT_EQ(r.body, "hello KELVTRADING=session42");
    EXPECT_TRUE(client.SetCookie("127.0.0.1", "KELVTRADING", "replaced"));
    EXPECT_EQ(client.GetCookie("KELVTRADING"), "replaced");
    r = client.Get(server.url("/redirect").c_str());
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.status, 200);
    EXPECT_EQ(r.body, "hello KELVTRADING=replaced");
    client.ClearCookies();
    EXPECT_EQ(client.GetCookie("KELVTRADING"), "");

    r = client.Post(server.url("/apps/100/LogIn").c_str(), "", {}, "text/xml");
    EXPECT_EQ(r.body, "<LogIn>|text/xml</LogIn>");

    // An error status is a completed exchange, not a transport error.
    r = client.Get(server.url("/missing").c_str());
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.status, 404);
}

TEST(CHttpClient, PlainRequestsGoThroughTheHttpProxy)
{
    LocalServer proxy;
    CHttpClient client;
    client.SetTimeouts(2000, 5000);
    const std::string proxyAddress = proxy.url("").substr(7);  // host:port
    client.SetProxy(proxyAddress.c_str(), "");
    CHttpResult r = client.Get("http://quotes.example.invalid/apps/100/KeepAlive");
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.body, "proxied http://quotes.example.invalid/apps/100/KeepAlive");

    client.SetProxy("", "");
    r = client.Get(proxy.url("/hello").c_str());
    EXPECT_EQ(r.body, "hello ");
}

TEST(CHttpClient, FailuresCarryTheirErrorTexts)
{
    LocalServer server;
    CHttpClient client;
    client.SetTimeouts(2000, 300);
    CHttpResult r = client.Get(server.url("/slow").c_str());
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.curlCode, 28);
    EXPECT_EQ(r.error, "HttpSendRequest error 28\n");

    client.SetTimeouts(2000, 5000);
    client.SetMaxBodySize(1000);
    r = client.Get(server.url("/big").c_str());
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, "HttpSendRequest error 63\n");

    r = client.Get("not a url://x");
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.error.Left(21) == "InternetConnect error") << r.error;
    r = client.Get("file:///etc/passwd");
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.body.empty());
}

TEST(CHttpClient, RefusedConnectionAndUntrustedCertificate)
{
    // A port that was free a moment ago and has no listener now.
    int port = 0;
    {
        const int fd = socket(AF_INET, SOCK_STREAM, 0);
        ASSERT_GE(fd, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof addr;
        ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&addr), len), 0);
        ASSERT_EQ(getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len), 0);
        port = ntohs(addr.sin_port);
        close(fd);
    }
    CHttpClient client;
    client.SetTimeouts(2000, 2000);
    const std::string base = "127.0.0.1:" + std::to_string(port) + "/x";
    CHttpResult r = client.Get(("http://" + base).c_str());
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.error, "HttpSendRequest error 7\n");

    // TLS to a missing CA file fails instead of trusting anything.
    client.SetCaFile("/nonexistent/ca.pem");
    r = client.Get(("https://" + base).c_str());
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error.Left(21), "HttpSendRequest error");
}

TEST(CHttpClient, OneClientPerThread)
{
    LocalServer server;
    std::vector<std::thread> threads;
    std::atomic<int> good{0};
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            CHttpClient client;
            for (int i = 0; i < 5; ++i) {
                if (client.Get(server.url("/hello").c_str()).status == 200)
                    ++good;
            }
        });
    }
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(good.load(), 20);
}

TEST(CHttpClient, TlsIsVerifiedAgainstTheGivenCertificate)
{
    TempFolder dir;
    const std::string cert = dir.file("cert.pem");
    const std::string key = dir.file("key.pem");
    const std::string command = "openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 2 -subj /CN=127.0.0.1"
                                " -addext subjectAltName=IP:127.0.0.1 -keyout " +
                                key + " -out " + cert + " >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0)
        GTEST_SKIP() << "openssl could not make a test certificate";

    httplib::SSLServer server(cert.c_str(), key.c_str());
    ASSERT_TRUE(server.is_valid());
    server.set_keep_alive_max_count(1);
    server.set_read_timeout(1, 0);
    server.Get("/apps/100/KeepAlive", [](const httplib::Request&, httplib::Response& res) {
        res.set_content("<KeepAlive/>", "text/xml");
    });
    const int port = server.bind_to_any_port("127.0.0.1");
    std::thread thread([&] { server.listen_after_bind(); });
    while (!server.is_running())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    const std::string url = "https://127.0.0.1:" + std::to_string(port) + "/apps/100/KeepAlive";

    CHttpClient untrusting;
    untrusting.SetTimeouts(3000, 3000);
    CHttpResult r = untrusting.Get(url.c_str());
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, "HttpSendRequest error 60\n");

    CHttpClient trusting;
    trusting.SetTimeouts(3000, 3000);
    trusting.SetCaFile(cert.c_str());
    r = trusting.Get(url.c_str());
    EXPECT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.body, "<KeepAlive/>");

    server.stop();
    thread.join();
}
