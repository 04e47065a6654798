// The HTTPS requests of the session, so it can run over the platform's HTTP client or a test double.
#pragma once

#include <string>
#include <vector>

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
    std::string error;                   // transport failure text ("HttpSendRequest error %d"), empty on success
};

class IHttpTransport {
public:
    virtual ~IHttpTransport() = default;
    // False on a transport failure (error set); any HTTP status counts as success here.
    virtual bool Perform(CHttpExchange& exchange) = 0;
};
