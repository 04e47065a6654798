#include "platform/core/CHttpClient.h"

#include <curl/curl.h>

#include <memory>
#include <mutex>

namespace {
void initCurlOnce()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct SlistDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using Slist = std::unique_ptr<curl_slist, SlistDeleter>;

bool appendHeader(Slist& list, const CString& line)
{
    curl_slist* grown = curl_slist_append(list.get(), line);
    if (!grown)
        return false;
    list.release();
    list.reset(grown);
    return true;
}

struct Transfer {
    CHttpResult* result;
    size_t maxBody;
    bool tooBig = false;
};

size_t onBody(char* data, size_t size, size_t count, void* user)
{
    auto* t = static_cast<Transfer*>(user);
    const size_t n = size * count;
    if (t->result->body.size() + n > t->maxBody) {
        t->tooBig = true;
        return 0;  // aborts the transfer with CURLE_WRITE_ERROR
    }
    t->result->body.append(data, n);
    return n;
}

size_t onHeader(char* data, size_t size, size_t count, void* user)
{
    auto* t = static_cast<Transfer*>(user);
    const size_t n = size * count;
    std::string_view line(data, n);
    if (line.starts_with("HTTP/")) {
        t->result->headers.clear();  // a new response (after a redirect or 100 Continue)
        return n;
    }
    const size_t colon = line.find(':');
    if (colon != std::string_view::npos) {
        CString name(line.substr(0, colon));
        CString value(line.substr(colon + 1));
        t->result->headers.emplace_back(name.Trim(), value.Trim());
    }
    return n;
}

CString errorText(CURLcode code)
{
    CString text;
    switch (code) {
    case CURLE_FAILED_INIT:
    case CURLE_OUT_OF_MEMORY:
        text.Format("InternetOpen error %d\n", static_cast<int>(code));
        break;
    case CURLE_URL_MALFORMAT:
    case CURLE_UNSUPPORTED_PROTOCOL:
        text.Format("InternetConnect error %d\n", static_cast<int>(code));
        break;
    default:
        text.Format("HttpSendRequest error %d\n", static_cast<int>(code));
        break;
    }
    return text;
}
}  // namespace

CString CHttpResult::GetHeader(const char* name) const
{
    for (const auto& [key, value] : headers) {
        if (key.CompareNoCase(name) == 0)
            return value;
    }
    return CString();
}

CHttpClient::CHttpClient()
{
    initCurlOnce();
    CURL* curl = curl_easy_init();
    if (curl)
        curl_easy_setopt(curl, CURLOPT_COOKIEFILE, "");  // turns the in-memory cookie jar on
    m_curl = curl;
}

CHttpClient::~CHttpClient()
{
    if (m_curl)
        curl_easy_cleanup(static_cast<CURL*>(m_curl));
}

void CHttpClient::SetProxy(const char* httpProxy, const char* httpsProxy)
{
    m_httpProxy = httpProxy;
    m_httpsProxy = httpsProxy;
}

void CHttpClient::SetTimeouts(long connectMs, long transferMs)
{
    m_connectMs = connectMs;
    m_transferMs = transferMs;
}

void CHttpClient::SetCaFile(const char* path)
{
    m_caFile = path;
}

void CHttpClient::SetUserAgent(const char* agent)
{
    m_userAgent = agent;
}

CHttpResult CHttpClient::Get(const char* url, const HttpHeaders& headers)
{
    return Perform(url, headers, nullptr, nullptr);
}

CHttpResult CHttpClient::Post(const char* url, std::string_view body, const HttpHeaders& headers,
                              const char* contentType)
{
    return Perform(url, headers, &body, contentType);
}

CHttpResult CHttpClient::Perform(const char* url, const HttpHeaders& headers, const std::string_view* postBody,
                                 const char* contentType)
{
    CHttpResult result;
    CURL* curl = static_cast<CURL*>(m_curl);
    if (!curl) {
        result.curlCode = CURLE_FAILED_INIT;
        result.error = errorText(CURLE_FAILED_INIT);
        return result;
    }
    // Every option is set on each request instead of resetting the handle, since a
    // reset would also turn the cookie jar off.

    Slist list;
    bool ok = true;
    for (const auto& [name, value] : headers)
        ok = ok && appendHeader(list, name + ": " + value);
    if (postBody && contentType && *contentType)
        ok = ok && appendHeader(list, CString("Content-Type: ") + contentType);
    if (postBody)
        ok = ok && appendHeader(list, "Expect:");  // no 100-continue round trip
    if (!ok) {
        result.curlCode = CURLE_OUT_OF_MEMORY;
        result.error = errorText(CURLE_OUT_OF_MEMORY);
        return result;
    }

    const CString target(url);
    const bool tls = target.Left(8).CompareNoCase("https://") == 0;
    const CString& proxy = tls ? m_httpsProxy : m_httpProxy;
    Transfer transfer{&result, m_maxBody};

    curl_easy_setopt(curl, CURLOPT_URL, target.GetString());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 10L);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_ACCEPT_ENCODING, "");
    curl_easy_setopt(curl, CURLOPT_USERAGENT, m_userAgent.GetString());
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, m_connectMs);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, m_transferMs);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!m_caFile.IsEmpty())
        curl_easy_setopt(curl, CURLOPT_CAINFO, m_caFile.GetString());
    curl_easy_setopt(curl, CURLOPT_PROXY, proxy.GetString());  // "" disables proxies
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, list.get());
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &onBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, &onHeader);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &transfer);
    if (!postBody) {
        curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
    } else {
        curl_easy_setopt(curl, CURLOPT_POST, 1L);
        curl_easy_setopt(curl, CURLOPT_POSTFIELDS, postBody->empty() ? "" : postBody->data());
        curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(postBody->size()));
    }

    CURLcode code = curl_easy_perform(curl);
    if (code == CURLE_WRITE_ERROR && transfer.tooBig)
        code = CURLE_FILESIZE_EXCEEDED;
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, nullptr);
    result.status = status;
    result.curlCode = code;
    result.ok = code == CURLE_OK;
    if (!result.ok)
        result.error = errorText(code);
    return result;
}

CString CHttpClient::GetCookie(const char* name, const char* domain) const
{
    CURL* curl = static_cast<CURL*>(m_curl);
    if (!curl || !name)
        return CString();
    curl_slist* cookies = nullptr;
    if (curl_easy_getinfo(curl, CURLINFO_COOKIELIST, &cookies) != CURLE_OK)
        return CString();
    const Slist owned(cookies);
    CString wantedDomain(domain);
    for (curl_slist* c = cookies; c; c = c->next) {
        // domain, subdomains, path, secure, expiry, name, value (tab separated)
        const CString line(c->data);
        CString fields[7];
        int pos = 0;
        int n = 0;
        for (; n < 7 && pos >= 0; ++n) {
            const int tab = line.Find('\t', pos);
            fields[n] = tab < 0 ? line.Mid(pos) : line.Mid(pos, tab - pos);
            pos = tab < 0 ? -1 : tab + 1;
        }
        if (n < 6 || fields[5] != name)
            continue;
        CString host = fields[0];
        if (host.Left(10) == "#HttpOnly_")
            host = host.Mid(10);
        host.TrimLeft('.');
        CString wanted = wantedDomain;
        wanted.TrimLeft('.');
        if (wanted.IsEmpty() || host.CompareNoCase(wanted) == 0)
            return fields[6];
    }
    return CString();
}

bool CHttpClient::SetCookie(const char* domain, const char* name, const char* value, const char* path)
{
    CURL* curl = static_cast<CURL*>(m_curl);
    if (!curl || !domain || !*domain || !name || !*name)
        return false;
    CString line;
    line.Format("%s\tFALSE\t%s\tFALSE\t0\t%s\t%s", domain, path && *path ? path : "/", name, value ? value : "");
    if (line.FindOneOf("\r\n") >= 0)
        return false;
    return curl_easy_setopt(curl, CURLOPT_COOKIELIST, line.GetString()) == CURLE_OK;
}

void CHttpClient::ClearCookies()
{
    if (m_curl)
        curl_easy_setopt(static_cast<CURL*>(m_curl), CURLOPT_COOKIELIST, "ALL");
}
