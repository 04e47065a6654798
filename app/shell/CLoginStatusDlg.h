// The modal status dialog of a login: starts the login on the session manager and
// follows its status (0x4680) until the result. Cancel stops the login.
#pragma once

#include "platform/ui/CDialog.h"

class CSessionManager;
class CSessionStatusRouter;

class CLoginStatusDlg : public CDialog {
public:
    CLoginStatusDlg(CSessionManager& session, CSessionStatusRouter& router, const CString& user,
                    const CString& password, CWnd* parent = nullptr);
    ~CLoginStatusDlg() override;

    // IDOK logged in, IDCANCEL cancelled, IDABORT refused (GetError says why).
    const CString& GetError() const { return m_error; }
    const CMessageMap& GetMessageMap() const override;
    BOOL OnInitDialog() override;
    void OnCancel() override;

private:
    LRESULT OnSessionStatus(CWndMessage& message);

    CSessionManager& m_session;
    CSessionStatusRouter& m_router;
    CString m_user;
    CString m_password;
    CString m_error;
};
