// What a failed request tells the user: the server and what went wrong, in words; the
// transport's own code goes to the log.
#pragma once

#include "broker/session/IHttpTransport.h"
#include "platform/core/CString.h"

#include <string>

// "host:port" of a URL ("127.0.0.1:8443"), or the URL itself when it has no host.
std::string ServerOfUrl(const std::string& url);

// The exchange failed in the transport (Perform returned false).
CString DescribeTransportFailure(const CHttpExchange& exchange);
// The exchange completed with a status outside 200..299.
CString DescribeHttpStatus(const CHttpExchange& exchange);
// False when nothing can have reached the server (it could not be found or connected to), so
// the request surely had no effect there.
bool MayHaveReachedServer(const CHttpExchange& exchange);
