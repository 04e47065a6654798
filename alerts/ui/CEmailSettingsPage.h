// "E-mail" page of the preferences: whether fired alerts are sent by e-mail, the address,
// the SMTP server and port, the login, and a test e-mail whose outcome the page shows.
#pragma once

#include "alerts/mail/CMailQueue.h"
#include "platform/ui/CPropertyPage.h"

class CAppSettings;
struct CWndMessage;

class CEmailSettingsPage : public CPropertyPage {
public:
    explicit CEmailSettingsPage(CAppSettings& settings);

    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    // Refuses an address or server that cannot be used while e-mail is on.
    BOOL OnKillActive() override;
    BOOL OnApply() override;
    const CMessageMap& GetMessageMap() const override;

    // The settings as the page shows them now.
    CMailSettings GetMailSettings() const;
    bool IsTesting() const { return m_bTesting; }

    int m_bEmailAlerts;
    CString m_address;
    CString m_server;
    int m_nPort;
    int m_bLogin;
    CString m_userName;
    CString m_password;
    int m_bPlainLogin;

private:
    void OnTest();
    void OnLoginClicked();
    LRESULT OnTestDone(CWndMessage& message);
    void UpdateEnabling();
    bool CheckFields(bool needAll);

    CAppSettings& m_settings;
    bool m_bTesting = false;
};
