// The session's HTTPS requests over the platform's HTTP client (one client per request, so any
// worker thread may call it).
#pragma once

#include "broker/session/IHttpTransport.h"
#include "platform/core/CString.h"

class CPlatformHttpTransport : public IHttpTransport {
public:
    // caFile: certificates to trust instead of the system's (the test broker's own), or empty.
    explicit CPlatformHttpTransport(const CString& caFile = CString(), long timeoutMs = 30000);
    bool Perform(CHttpExchange& exchange) override;

private:
    CString m_caFile;
    long m_timeoutMs;
};
