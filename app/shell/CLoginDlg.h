// The login dialog: user name, password and "save user name". The password lives in
// memory only, for the login it is typed for.
#pragma once

#include "platform/ui/CDialog.h"

class CLoginDlg : public CDialog {
public:
    explicit CLoginDlg(CWnd* parent = nullptr);

    CString m_userName;
    CString m_password;
    int m_nSaveUserName = 1;
    CString m_message;  // the broker's text after a failed login

    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
};
