// Fired alerts on their way to the user: posted from any thread to the main frame
// (WM_APP+3), then shown there one after the other on the interface thread: the popup of
// a price or formula alert with its sound, tray balloon and e-mail; message boxes and the
// status bar for news, column and fill notifications. Owns the program's mail thread.
#pragma once

#include "alerts/IAlertHost.h"
#include "app/shell/CMainFrame.h"

#include <memory>
#include <set>

class CAlert;
class CMailQueue;
class CWnd;
struct CMailResult;

class CAlertDelivery : public IAlertHost, public IAlertDeliveryHandler {
public:
    CAlertDelivery(CMainFrame& frame, const CString& caFile);
    ~CAlertDelivery() override;

    // IAlertHost: any thread. A user alert travels by its id; a notification copy with
    // it. When the main frame is gone the event and an owned alert are freed at once.
    void DeliverAlert(std::unique_ptr<CAlertEvent> event, CAlert* alert) override;
    CString GetAccountListText(int mode, const std::vector<CString>& names, int flag) const override;
    void AlertListsChanged(std::uint64_t oldId, std::uint64_t newId) override;

    // IAlertDeliveryHandler: the interface thread.
    bool OwnsAlert(WPARAM event, LPARAM alert) override;
    void Present(WPARAM event, LPARAM alert) override;
    void Free(WPARAM event, LPARAM alert, bool ownsAlert) override;

    // Stops the mail thread (an e-mail under way ends at once) before the windows go.
    void Shutdown();
    CMailQueue* GetMailQueue() const { return m_mail.get(); }

    // News, column and fill notifications are copies the main frame owns and deletes;
    // the user's alerts stay in the alert book.
    static bool IsOwnedType(int type);

private:
    void PresentUserAlert(const CAlertEvent& event);
    void PlayAlertSound(const CString& file);
    void SendAlertMail(std::uint64_t id, const CString& date, const CString& symbol, const CString& subject,
                       const CString& text);
    void OnMailResult(std::uint64_t id, const CString& date, const CString& symbol, const CMailResult& result);

    CMainFrame& m_frame;
    HWND m_hFrame;
    std::unique_ptr<CMailQueue> m_mail;
    std::unique_ptr<CWnd> m_mailResults;  // receives the mail thread's results
    bool m_bNoSoundTold = false;
    std::set<CString> m_badSoundsTold;
};
