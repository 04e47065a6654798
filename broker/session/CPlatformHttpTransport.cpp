#include "broker/session/CPlatformHttpTransport.h"

#include "platform/core/CHttpClient.h"

CPlatformHttpTransport::CPlatformHttpTransport(const CString& caFile, long timeoutMs)
    : m_caFile(caFile), m_timeoutMs(timeoutMs)
{
}

bool CPlatformHttpTransport::Perform(CHttpExchange& exchange)
{
    CHttpClient client;
    client.SetTimeouts(m_timeoutMs, m_timeoutMs);
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
    for (const auto& [name, value] : result.headers)
        if (name.CompareNoCase("Set-Cookie") == 0)
            exchange.setCookies.push_back(value.str());
    if (!result.ok) {
        exchange.error = result.error.str();
        while (!exchange.error.empty() && (exchange.error.back() == '\n' || exchange.error.back() == '\r'))
            exchange.error.pop_back();
        return false;
    }
    return true;
}
