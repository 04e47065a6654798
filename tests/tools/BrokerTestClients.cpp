#include "BrokerTestClients.h"

#include <httplib.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>

namespace qx::testbroker::testing {

struct ApiClient::Impl {
    explicit Impl(const CTestBroker& broker) : client("127.0.0.1", broker.HttpsPort())
    {
        client.set_ca_cert_path(broker.CaFile().c_str());
        client.enable_server_certificate_verification(true);
        client.set_connection_timeout(5);
        client.set_read_timeout(20);
    }
    httplib::SSLClient client;
};

ApiClient::ApiClient(const CTestBroker& broker) : m_impl(std::make_unique<Impl>(broker)) {}
ApiClient::~ApiClient() = default;

std::string UrlEncode(const std::string& text)
{
    std::string out;
    char buf[4];
    for (unsigned char c : text) {
        if (std::isalnum(c) || c == '-' || c == '_' || c == '.' || c == '*') {
            out += static_cast<char>(c);
        } else {
            std::snprintf(buf, sizeof buf, "%%%02X", c);
            out += buf;
        }
    }
    return out;
}

namespace {

std::string Query(const std::vector<std::pair<std::string, std::string>>& query)
{
    std::string q;
    for (const auto& [k, v] : query)
        q += (q.empty() ? "?" : "&") + UrlEncode(k) + "=" + UrlEncode(v);
    return q;
}

HttpReply ToReply(const httplib::Result& r)
{
    HttpReply reply;
    if (!r)
        return reply;
    reply.status = r->status;
    reply.body = r->body;
    reply.setCookie = r->get_header_value("Set-Cookie");
    for (const auto& [name, value] : r->headers)
        reply.headers[name] = value;
    return reply;
}

}  // namespace

HttpReply ApiClient::Get(const std::string& path, const std::vector<std::pair<std::string, std::string>>& query,
                         bool withCookie)
{
    httplib::Headers headers;
    if (withCookie && !cookie.empty())
        headers.emplace("Cookie", cookie);
    return ToReply(m_impl->client.Get((path + Query(query)).c_str(), headers));
}

HttpReply ApiClient::Post(const std::string& path, const std::vector<std::pair<std::string, std::string>>& form,
                          bool withCookie)
{
    httplib::Headers headers;
    if (withCookie && !cookie.empty())
        headers.emplace("Cookie", cookie);
    std::string body = Query(form);
    if (!body.empty())
        body.erase(0, 1);
    return ToReply(m_impl->client.Post(path.c_str(), headers, body, "application/x-www-form-urlencoded"));
}

bool ApiClient::Api(const std::string& name, std::vector<std::pair<std::string, std::string>> query,
                    TiXmlDocument& doc)
{
    query.emplace_back("source", "QX");
    query.emplace_back("version", "0.1.0");
    const HttpReply r = Get("/apps/100/" + name, query);
    doc.Clear();
    doc.Parse(r.body.c_str());
    return !doc.Error() && XmlText(&doc, "result") == "OK";
}

bool ApiClient::LogIn(const std::string& user, const std::string& password)
{
    const HttpReply r = Post("/apps/100/LogIn",
                             {{"userid", user}, {"password", password}, {"source", "QX"}, {"version", "0.1.0"}}, false);
    const size_t semi = r.setCookie.find(';');
    cookie = r.setCookie.substr(0, semi);
    return r.status == 200 && r.body.find("<result>OK</result>") != std::string::npos && !cookie.empty();
}

const TiXmlElement* XmlFind(const TiXmlNode* node, const char* name)
{
    if (!node)
        return nullptr;
    for (const TiXmlNode* child = node->FirstChild(); child; child = child->NextSibling()) {
        if (const TiXmlElement* e = child->ToElement(); e && e->ValueStr() == name)
            return e;
        if (const TiXmlElement* found = XmlFind(child, name))
            return found;
    }
    return nullptr;
}

std::vector<const TiXmlElement*> XmlAll(const TiXmlNode* node, const char* name)
{
    std::vector<const TiXmlElement*> out;
    if (!node)
        return out;
    for (const TiXmlNode* child = node->FirstChild(); child; child = child->NextSibling()) {
        if (const TiXmlElement* e = child->ToElement(); e && e->ValueStr() == name)
            out.push_back(e);
        const auto below = XmlAll(child, name);
        out.insert(out.end(), below.begin(), below.end());
    }
    return out;
}

std::string XmlText(const TiXmlNode* node, const char* name)
{
    const TiXmlElement* e = XmlFind(node, name);
    return e && e->GetText() ? e->GetText() : "";
}

RawStreamClient::~RawStreamClient()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool RawStreamClient::Connect(uint16_t port)
{
    m_fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return m_fd >= 0 && ::connect(m_fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
}

bool RawStreamClient::Send(const std::string& line)
{
    size_t sent = 0;
    while (sent < line.size()) {
        const ssize_t n = ::send(m_fd, line.data() + sent, line.size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        sent += static_cast<size_t>(n);
    }
    return true;
}

bool RawStreamClient::Pump(int timeoutMs)
{
    pollfd p{m_fd, POLLIN, 0};
    if (::poll(&p, 1, timeoutMs) <= 0)
        return false;
    char buf[65536];
    const ssize_t n = ::recv(m_fd, buf, sizeof buf, 0);
    if (n <= 0) {
        m_closed = true;
        return false;
    }
    m_parser.Feed(buf, static_cast<size_t>(n));
    protocol::StreamRecord r;
    while (m_parser.Next(r))
        received.push_back(r);
    return true;
}

bool RawStreamClient::WaitFor(const std::function<bool(const protocol::StreamRecord&)>& pred, int timeoutMs)
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    size_t checked = 0;
    for (;;) {
        for (; checked < received.size(); ++checked)
            if (pred(received[checked]))
                return true;
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now()).count();
        if (left <= 0 || m_closed)
            return false;
        Pump(static_cast<int>(left));
    }
}

std::vector<protocol::StreamRecord> RawStreamClient::ReadFor(int ms)
{
    const size_t before = received.size();
    WaitFor([](const protocol::StreamRecord&) { return false; }, ms);
    return {received.begin() + static_cast<std::ptrdiff_t>(before), received.end()};
}

std::unique_ptr<CTestBroker> StartBroker(TestBrokerOptions options)
{
    options.httpsPort = 0;
    options.streamPort = 0;
    options.startPaused = true;
    options.stockCount = options.stockCount > 0 ? options.stockCount : 300;
    options.heartbeatMs = 200;
    auto broker = std::make_unique<CTestBroker>(options);
    std::string error;
    if (!broker->Start(error)) {
        std::fprintf(stderr, "test broker: %s\n", error.c_str());
        return nullptr;
    }
    return broker;
}

bool StreamLogin(ApiClient& api, RawStreamClient& stream, uint16_t port, bool control)
{
    TiXmlDocument doc;
    if (!api.Api("StreamerInfo", {}, doc) || !stream.Connect(port))
        return false;
    protocol::StreamRequest login;
    login.control = control;
    login.userId = XmlText(&doc, "UserId");
    login.token = XmlText(&doc, "Token");
    if (!stream.Send(login))
        return false;
    return stream.WaitFor(
        [](const protocol::StreamRecord& r) {
            const auto* s = std::get_if<protocol::StatusRecord>(&r.body);
            return s && s->code == static_cast<uint16_t>(protocol::StatusCode::LoggedIn);
        },
        5000);
}

}  // namespace qx::testbroker::testing
