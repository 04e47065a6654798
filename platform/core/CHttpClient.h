// HTTP(S) requests over libcurl, with a cookie jar per client. A client belongs to
// one thread at a time; make one per worker. Calls block, so the interface thread
// never makes them.
#pragma once

#include "platform/core/CString.h"

#include <string>
#include <utility>
#include <vector>

using HttpHeaders = std::vector<std::pair<CString, CString>>;

struct CHttpResult {
    // The exchange completed (whatever the status); false means error holds the reason.
    bool ok = false;
    long status = 0;
    std::string body;
    HttpHeaders headers;
    int curlCode = 0;
    // "InternetOpen error %d\n", "InternetConnect error %d\n" or "HttpSendRequest error %d\n".
    CString error;

    // The first response header of that name (names compare without case), or "".
    CString GetHeader(const char* name) const;
};

class CHttpClient {
public:
    CHttpClient();
    CHttpClient(const CHttpClient&) = delete;
    CHttpClient& operator=(const CHttpClient&) = delete;
    ~CHttpClient();

    // Proxies as host:port for plain and TLS requests; empty for a direct connection.
    void SetProxy(const char* httpProxy, const char* httpsProxy);
    // Milliseconds; 0 means no limit for the transfer.
    void SetTimeouts(long connectMs, long transferMs);
    // Certificates to trust instead of the system's (for a server with its own certificate);
    // once set, a later empty path leaves the last file in force.
    void SetCaFile(const char* path);
    void SetUserAgent(const char* agent);
    // Replies larger than this fail with CURLE_FILESIZE_EXCEEDED.
    void SetMaxBodySize(size_t bytes) { m_maxBody = bytes; }

    CHttpResult Get(const char* url, const HttpHeaders& headers = {});
    CHttpResult Post(const char* url, std::string_view body, const HttpHeaders& headers = {},
                     const char* contentType = "application/x-www-form-urlencoded");

    // Cookie jar: value of a cookie (on any host when domain is null), "" when absent.
    CString GetCookie(const char* name, const char* domain = nullptr) const;
    // Stores a session cookie for the host domain (sent to that host only).
    bool SetCookie(const char* domain, const char* name, const char* value, const char* path = "/");
    void ClearCookies();

private:
    CHttpResult Perform(const char* url, const HttpHeaders& headers, const std::string_view* postBody,
                        const char* contentType);

    void* m_curl = nullptr;  // CURL*, owned
    CString m_httpProxy;
    CString m_httpsProxy;
    long m_connectMs = 30000;
    long m_transferMs = 0;
    CString m_caFile;
    CString m_userAgent = "Quorvantelix/1.0";
    size_t m_maxBody = 256u << 20;
};
