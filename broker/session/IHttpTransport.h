// The HTTPS requests of the session, so it can run over the platform's HTTP client or a test double.
#pragma once

#include <string>
#include <utility>
#include <vector>

// What kind of transport failure ended an exchange.
enum class ETransportFailure {
    None,
    NotFound,    // the host name did not resolve
    Unreachable, // no connection could be made: nothing reached the server
    TimedOut,
    Insecure,    // the TLS handshake or the certificate failed
    Broken,      // the connection broke off after the request went out
    TooLarge,
    Other
};

struct CHttpExchange {
    // Request.
    std::string method = "GET";
    std::string url;
    std::string body;         // form body of a POST
    std::string cookieHeader; // "KELVTRADING=..." or empty
    // Response.
    int status = 0;
    std::string response;
    std::vector<std::string> setCookies; // values of Set-Cookie headers
    std::vector<std::pair<std::string, std::string>> headers; // every response header, name and value
    std::string error;                   // transport failure text ("HttpSendRequest error %d"), empty on success
    ETransportFailure failure = ETransportFailure::None;
    long timeoutMs = 0;                  // the transport's time limit, for messages
};

class IHttpTransport {
public:
    virtual ~IHttpTransport() = default;
    // False on a transport failure (error set); any HTTP status counts as success here.
    virtual bool Perform(CHttpExchange& exchange) = 0;
};
