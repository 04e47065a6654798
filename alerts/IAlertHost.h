// What alerts need of the running program: delivery to the main window (WM_APP+3) and
// the text of an account choice. The application installs its host; without one a
// firing is recorded but delivered nowhere.
#pragma once

#include "alerts/CAlertEvent.h"
#include "platform/core/CString.h"

#include <memory>
#include <vector>

class CAlert;

class IAlertHost {
public:
    virtual ~IAlertHost() = default;
    // Any thread. The event may be null (it is still delivered).
    virtual void DeliverAlert(std::unique_ptr<CAlertEvent> event, CAlert* alert) = 0;
    // Mode 0 the current account ("Active" when flag is 0), 1 all, 2 those of names.
    virtual CString GetAccountListText(int mode, const std::vector<CString>& names, int flag) const = 0;
};

void SetAlertHost(IAlertHost* host);
IAlertHost* GetAlertHost();
