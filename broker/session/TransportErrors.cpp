#include "broker/session/TransportErrors.h"


std::string ServerOfUrl(const std::string& url)
{
    size_t start = url.find("://");
    start = start == std::string::npos ? 0 : start + 3;
    const size_t end = url.find_first_of("/?#", start);
    std::string host = url.substr(start, end == std::string::npos ? std::string::npos : end - start);
    const size_t at = host.rfind('@');
    if (at != std::string::npos)
        host.erase(0, at + 1);
    return host.empty() ? url : host;
}

CString DescribeTransportFailure(const CHttpExchange& exchange)
{
    const std::string server = ServerOfUrl(exchange.url);
    CString text;
    switch (exchange.failure) {
    case ETransportFailure::NotFound:
        text.Format("The server %s cannot be found.", server.c_str());
        break;
    case ETransportFailure::Unreachable:
        text.Format("The server %s cannot be reached.", server.c_str());
        break;
    case ETransportFailure::TimedOut:
        if (exchange.timeoutMs > 0)
            text.Format("The server %s did not answer within %ld seconds.", server.c_str(),
                        (exchange.timeoutMs + 999) / 1000);
        else
            text.Format("The server %s did not answer in time.", server.c_str());
        break;
    case ETransportFailure::Insecure:
        text.Format("A secure connection to the server %s cannot be made.", server.c_str());
        break;
    case ETransportFailure::Broken:
        text.Format("The connection to the server %s broke off.", server.c_str());
        break;
    case ETransportFailure::TooLarge:
        text.Format("The answer of the server %s is too large.", server.c_str());
        break;
    default:
        text.Format("The request to the server %s failed.", server.c_str());
        break;
    }
    return text;
}

CString DescribeHttpStatus(const CHttpExchange& exchange)
{
    CString text;
    text.Format("The server %s answered with an error (HTTP %d).", ServerOfUrl(exchange.url).c_str(), exchange.status);
    return text;
}

bool MayHaveReachedServer(const CHttpExchange& exchange)
{
    return exchange.failure != ETransportFailure::NotFound && exchange.failure != ETransportFailure::Unreachable;
}
