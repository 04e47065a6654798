#include "app/shell/CLoginDlg.h"

#include "common/windows/ShellIds.h"
#include "platform/ui/CDataExchange.h"

namespace {
constexpr int IDC_USER = 1000;
constexpr int IDC_PASSWORD = 1001;
constexpr int IDC_SAVE_USER = 1002;
constexpr int IDC_MESSAGE = 1003;
}  // namespace

CLoginDlg::CLoginDlg(CWnd* parent) : CDialog(IDD_LOGIN, parent) {}

void CLoginDlg::DoDataExchange(CDataExchange* dx)
{
    DDX_Text(dx, IDC_USER, m_userName);
    DDX_Text(dx, IDC_PASSWORD, m_password);
    DDX_Check(dx, IDC_SAVE_USER, m_nSaveUserName);
    if (dx->m_bSaveAndValidate) {
        m_userName.Trim();
        if (m_userName.IsEmpty()) {
            dx->PrepareEditCtrl(IDC_USER);
            dx->Fail("Please enter your user name.");
        }
        if (m_password.IsEmpty()) {
            dx->PrepareEditCtrl(IDC_PASSWORD);
            dx->Fail("Please enter your password.");
        }
    }
}

BOOL CLoginDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetDlgItemText(IDC_MESSAGE, m_message);
    if (CWnd* focus = GetDlgItem(m_userName.IsEmpty() ? IDC_USER : IDC_PASSWORD))
        GotoDlgCtrl(focus);
    return FALSE;
}

void CLoginDlg::OnOK()
{
    if (!UpdateData(TRUE))
        return;
    EndDialog(IDOK);
}
