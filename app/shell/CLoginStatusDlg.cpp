#include "app/shell/CLoginStatusDlg.h"

#include "app/shell/CSessionStatusRouter.h"
#include "broker/session/CSessionManager.h"
#include "common/windows/ShellIds.h"

namespace {
constexpr int IDC_STATUS_TEXT = 1010;
}

CLoginStatusDlg::CLoginStatusDlg(CSessionManager& session, CSessionStatusRouter& router, const CString& user,
                                 const CString& password, CWnd* parent)
    : CDialog(IDD_LOGIN_STATUS, parent), m_session(session), m_router(router), m_user(user), m_password(password)
{
}

CLoginStatusDlg::~CLoginStatusDlg()
{
    m_password.Empty();
}

BOOL CLoginStatusDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetDlgItemText(IDC_STATUS_TEXT, "Logging in as " + m_user + "...");
    m_router.SetTarget(m_hWnd);
    const bool started = m_session.StartLogin(m_user, m_password);
    m_password.Empty();
    if (!started) {
        m_error = "The login could not be started.";
        EndDialog(IDABORT);
    }
    return TRUE;
}

LRESULT CLoginStatusDlg::OnSessionStatus(CWndMessage& message)
{
    const CSessionStatus* status = message.Peek<CSessionStatus>();
    if (!status)
        return 0;
    switch (status->code) {
    case kStatusStart:
        SetDlgItemText(IDC_STATUS_TEXT, "Connecting...");
        break;
    case kStatusText:
        SetDlgItemText(IDC_STATUS_TEXT, status->text);
        break;
    case kStatusLoginResult:
        if (status->success) {
            EndDialog(IDOK);
        } else {
            m_error = status->text.IsEmpty() ? CString("The login failed.") : status->text;
            EndDialog(IDABORT);
        }
        break;
    default:
        break;
    }
    return 0;
}

void CLoginStatusDlg::OnCancel()
{
    m_router.SetTarget(HWND());
    m_session.LogOut();
    CDialog::OnCancel();
}

const CMessageMap& CLoginStatusDlg::GetMessageMap() const
{
    static const CMessageMap map = MessageMapFor<CLoginStatusDlg>(CDialog::GetMessageMap())
                                       .Message(WM_SESSION_STATUS, &CLoginStatusDlg::OnSessionStatus)
                                       .Build();
    return map;
}
