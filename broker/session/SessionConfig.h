// Where the broker's servers are and how often the session talks to them.
#pragma once

#include "platform/core/CString.h"

class CConfigFile;

struct CSessionConfig {
    CString loginServer;                              // where LogIn goes; empty: apiServer
    CString apiServer = "https://127.0.0.1:8443";     // scheme, host and port of /apps/100/
    CString historyServer = "https://127.0.0.1:8443"; // scheme, host and port of /history
    CString streamerServer;                           // "host:port" when StreamerInfo names none
    CString updateFile;                               // full URL of the web-update description
    CString caFile;                                   // certificates to trust instead of the system's
    CString source = "QX";
    CString version = "0.1.0";
    int keepAliveMs = 15000;
    int retryMs = 3000;
    int accountRefreshMs = 30000;
    int watchlistRefreshMs = 60000;
    int streamSilenceMs = 4000;  // a stream that received no record for this long is reconnected
    int clockConfirmMs = 30000;  // how long a jump of the server time must last to be applied
};

// The servers of "config.ini" (LoginServer, ApiServer, StreamerServer, HistoryServer,
// UpdateFile, and CaFile for a broker with its own certificate) over the built-in defaults.
CSessionConfig MakeSessionConfig(const CConfigFile& file);
