// The notification of a filled order: a plain alert on the order's symbol with the fill
// text. The session's fills become these alerts, handed to the main window, which owns them.
#pragma once

#include "alerts/CAlert.h"

class CSessionManager;

class COrderFillAlert : public CAlert {
public:
    COrderFillAlert(const CString& symbol, const CString& fillText);

    CString m_fillText;
};

// From now on every fill the session manager reports is delivered to the installed alert
// host as a new COrderFillAlert (type 6, owned by the receiver).
void DeliverOrderFillAlerts(CSessionManager& session);
