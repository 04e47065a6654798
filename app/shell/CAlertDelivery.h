// Fired alerts on their way to the user: posted from any thread to the main frame
// (WM_APP+3), then shown there one after the other on the interface thread.
#pragma once

#include "alerts/IAlertHost.h"
#include "app/shell/CMainFrame.h"

#include <mutex>
#include <set>

class CAlert;

class CAlertDelivery : public IAlertHost, public IAlertDeliveryHandler {
public:
    explicit CAlertDelivery(CMainFrame& frame);

    // IAlertHost: any thread. When the main frame is gone the event and an owned alert
    // are freed at once.
    void DeliverAlert(std::unique_ptr<CAlertEvent> event, CAlert* alert) override;
    CString GetAccountListText(int mode, const std::vector<CString>& names, int flag) const override;

    // IAlertDeliveryHandler: the interface thread.
    bool OwnsAlert(WPARAM event, LPARAM alert) override;
    void Present(WPARAM event, LPARAM alert) override;
    void Free(WPARAM event, LPARAM alert, bool ownsAlert) override;

    // News, column and fill notifications are copies the main frame owns and deletes;
    // the user's alerts stay in the global array.
    static bool IsOwnedType(int type);

private:
    void PresentUserAlert(const CAlert& alert, const CAlertEvent* event);

    CMainFrame& m_frame;
    HWND m_hFrame;
    // Events of deliveries whose alert is an owned notification copy: a delivery is told
    // apart by its event, never by reading an alert that may be gone.
    std::mutex m_lock;
    std::set<const CAlertEvent*> m_ownedDeliveries;
};
