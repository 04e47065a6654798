// What alerts need of the running program: delivery to the main window (WM_APP+3) and
// the text of an account choice. The application installs its host; without one a
// firing is recorded but delivered nowhere.
#pragma once

#include "alerts/CAlertEvent.h"
#include "platform/core/CString.h"

#include <cstdint>
#include <memory>
#include <vector>

class CAlert;

class IAlertHost {
public:
    virtual ~IAlertHost() = default;
    // Any thread, while the sender holds the alert. A user alert (kept in the alert book)
    // is delivered by the id its event carries; a notification of another kind (news,
    // column, order fill) is a copy whose ownership passes to the host. The event may be
    // null for a notification.
    virtual void DeliverAlert(std::unique_ptr<CAlertEvent> event, CAlert* alert) = 0;
    // Mode 0 the current account ("Active" when flag is 0), 1 all, 2 those of names.
    virtual CString GetAccountListText(int mode, const std::vector<CString>& names, int flag) const = 0;
    // The interface thread, after alerts were added, changed or removed: the alert lists
    // show them again (both ids 0: every row; equal ids: that alert's row) and the alerts
    // file is written when the settings ask for it.
    virtual void AlertListsChanged(std::uint64_t oldId, std::uint64_t newId)
    {
        (void)oldId;
        (void)newId;
    }
};

void SetAlertHost(IAlertHost* host);
IAlertHost* GetAlertHost();
