#include "broker/session/CPlatformHttpTransport.h"

#include "platform/core/CHttpClient.h"
#include "platform/core/XmlHelpers.h"

#include <curl/curl.h>

namespace {

ETransportFailure FailureOf(int curlCode)
{
    switch (curlCode) {
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
        return ETransportFailure::NotFound;
    case CURLE_COULDNT_CONNECT:
    case CURLE_URL_MALFORMAT:
    case CURLE_UNSUPPORTED_PROTOCOL:
    case CURLE_FAILED_INIT:
        return ETransportFailure::Unreachable;
    case CURLE_OPERATION_TIMEDOUT:
        return ETransportFailure::TimedOut;
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
        return ETransportFailure::Insecure;
    case CURLE_GOT_NOTHING:
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
    case CURLE_PARTIAL_FILE:
        return ETransportFailure::Broken;
    case CURLE_FILESIZE_EXCEEDED:
        return ETransportFailure::TooLarge;
    default:
        return ETransportFailure::Other;
    }
}

} // namespace

CPlatformHttpTransport::CPlatformHttpTransport(const CString& caFile, long timeoutMs)
    : m_caFile(caFile), m_timeoutMs(timeoutMs)
{
}

bool CPlatformHttpTransport::Perform(CHttpExchange& exchange)
{
    CHttpClient client;
    client.SetTimeouts(m_timeoutMs, m_timeoutMs);
    // Replies are read whole by the XML reader (history replies are far smaller): a body
    // longer than its limit is refused as it arrives.
    client.SetMaxBodySize(XmlReadOptions().maxBytes);
    if (!m_caFile.IsEmpty())
        client.SetCaFile(m_caFile);
    HttpHeaders headers;
    if (!exchange.cookieHeader.empty())
        headers.emplace_back("Cookie", CString(exchange.cookieHeader));
    const CHttpResult result = exchange.method == "POST" ? client.Post(exchange.url.c_str(), exchange.body, headers)
                                                         : client.Get(exchange.url.c_str(), headers);
    exchange.status = static_cast<int>(result.status);
    exchange.response = result.body;
    exchange.setCookies.clear();
    exchange.headers.clear();
    exchange.timeoutMs = m_timeoutMs;
    for (const auto& [name, value] : result.headers) {
        if (name.CompareNoCase("Set-Cookie") == 0)
            exchange.setCookies.push_back(value.str());
        exchange.headers.emplace_back(name.str(), value.str());
    }
    if (!result.ok) {
        exchange.response.clear(); // what came of a failed transfer is no reply
        exchange.error = result.error.str();
        exchange.failure = FailureOf(result.curlCode);
        while (!exchange.error.empty() && (exchange.error.back() == '\n' || exchange.error.back() == '\r'))
            exchange.error.pop_back();
        return false;
    }
    return true;
}
