// Where session status goes: the login status dialog during login, the main frame after it.
#pragma once

#include "broker/session/AccountRecords.h"
#include "platform/core/CString.h"
#include "platform/core/WinTypes.h"

#include <vector>

// The private window message that carries session status.
inline constexpr UINT WM_SESSION_STATUS = 0x4680;

enum ESessionStatusCode : int {
    kStatusStart = 0,
    kStatusLoginResult = 1,
    kStatusConnectionLost = 2,
    kStatusConnected = 3,
    kStatusText = 4,
    kStatusAccountList = 5,
    kStatusWebUpdates = 6,
    // The server refused the session: logged out, text says why; a new login resubscribes.
    kStatusSessionLost = 7,
    // The account data refresh asked for with CBrokerSession::RefreshAccountData is done.
    kStatusAccountRefreshed = 8
};

struct CSessionStatus {
    int code = kStatusStart;
    bool success = false; // login result
    int stream = -1;      // connection lost / connected: 0 market data, 1 account activity, 2 command
    CString text;         // status text, login error
    std::vector<CAccountInfo> accounts;
    std::vector<CWebUpdateInfo> updates;
};

class ISessionStatusSink {
public:
    virtual ~ISessionStatusSink() = default;
    // Called on the session dispatcher thread; a window posts it on to its own thread.
    virtual void OnSessionStatus(UINT message, const CSessionStatus& status) = 0;
};
