// Clients for talking to the test broker from tests: HTTPS requests with the
// session cookie, and a raw stream connection that decodes records.
#pragma once

#include "broker/protocol/CStreamRecordParser.h"
#include "broker/protocol/StreamRequest.h"
#include "tools/testbroker/CTestBroker.h"

#include <tinyxml.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace qx::testbroker::testing {

struct HttpReply {
    int status = 0;
    std::string body;
    std::string setCookie;
    std::map<std::string, std::string> headers;  // as the server named them
};

class ApiClient {
public:
    explicit ApiClient(const CTestBroker& broker);
    ~ApiClient();

    // GET of a path with query pairs (values URL-encoded here).
    HttpReply Get(const std::string& path, const std::vector<std::pair<std::string, std::string>>& query = {},
                  bool withCookie = true);
    HttpReply Post(const std::string& path, const std::vector<std::pair<std::string, std::string>>& form,
                   bool withCookie = true);
    // An /apps/100/ request with source and version added; the reply parsed.
    bool Api(const std::string& name, std::vector<std::pair<std::string, std::string>> query, TiXmlDocument& doc);
    bool LogIn(const std::string& user = "demo", const std::string& password = "demo");

    std::string cookie;  // "KELVTRADING=..."

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

// Text of the first element of that name anywhere below node, or "".
std::string XmlText(const TiXmlNode* node, const char* name);
const TiXmlElement* XmlFind(const TiXmlNode* node, const char* name);
std::vector<const TiXmlElement*> XmlAll(const TiXmlNode* node, const char* name);
std::string UrlEncode(const std::string& text);

class RawStreamClient {
public:
    RawStreamClient() = default;
    ~RawStreamClient();
    bool Connect(uint16_t port);
    bool Send(const std::string& line);
    bool Send(const protocol::StreamRequest& request) { return Send(protocol::FormatStreamRequest(request)); }
    // Reads until a record satisfies pred (true) or the timeout passes (false).
    bool WaitFor(const std::function<bool(const protocol::StreamRecord&)>& pred, int timeoutMs);
    // Reads for a while, keeping every record.
    std::vector<protocol::StreamRecord> ReadFor(int ms);
    bool Closed() const { return m_closed; }
    const protocol::CStreamRecordParser& Parser() const { return m_parser; }
    std::vector<protocol::StreamRecord> received;

private:
    bool Pump(int timeoutMs);
    int m_fd = -1;
    bool m_closed = false;
    protocol::CStreamRecordParser m_parser;
};

// A broker on free ports, paused, for one test.
std::unique_ptr<CTestBroker> StartBroker(TestBrokerOptions options = {});

// Logs a raw stream client in with the session's token.
bool StreamLogin(ApiClient& api, RawStreamClient& stream, uint16_t port, bool control = false);

}  // namespace qx::testbroker::testing
