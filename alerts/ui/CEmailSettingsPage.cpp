#include "alerts/ui/CEmailSettingsPage.h"

#include "alerts/AlertMail.h"
#include "alerts/mail/MimeText.h"
#include "alerts/ui/AlertUiIds.h"
#include "common/services/CAppSettings.h"
#include "platform/ui/CButton.h"
#include "platform/ui/CDataExchange.h"
#include "platform/ui/CMessageQueue.h"
#include "platform/ui/CWndMessage.h"

namespace {

constexpr UINT WM_EMAIL_TEST_DONE = WM_APP + 47;

}  // namespace

CEmailSettingsPage::CEmailSettingsPage(CAppSettings& settings)
    : CPropertyPage(IDD_EMAIL_SETTINGS),
      m_bEmailAlerts(settings.m_bEmailAlerts),
      m_address(settings.m_alertEmailAddr),
      m_server(settings.m_smtpServer),
      m_nPort(settings.m_nSmtpPort),
      m_bLogin(settings.m_bEmailLogin),
      m_userName(settings.m_emailUser),
      m_password(settings.m_emailPassword),
      m_bPlainLogin(settings.m_bEmailPlainLogin),
      m_settings(settings)
{
}

void CEmailSettingsPage::DoDataExchange(CDataExchange* dx)
{
    DDX_Check(dx, static_cast<int>(IDC_EMAIL_ALERTS), m_bEmailAlerts);
    DDX_Text(dx, static_cast<int>(IDC_EMAIL_ADDRESS), m_address);
    DDX_Text(dx, static_cast<int>(IDC_EMAIL_SERVER), m_server);
    DDX_Text(dx, static_cast<int>(IDC_EMAIL_PORT), m_nPort);
    DDV_MinMaxInt(dx, m_nPort, 1, 65535);
    DDX_Check(dx, static_cast<int>(IDC_EMAIL_LOGIN), m_bLogin);
    DDX_Text(dx, static_cast<int>(IDC_EMAIL_USER), m_userName);
    DDX_Text(dx, static_cast<int>(IDC_EMAIL_PASSWORD), m_password);
    DDX_Check(dx, static_cast<int>(IDC_EMAIL_PLAIN_LOGIN), m_bPlainLogin);
}

BOOL CEmailSettingsPage::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    UpdateEnabling();
    return TRUE;
}

void CEmailSettingsPage::UpdateEnabling()
{
    const bool login = IsDlgButtonChecked(IDC_EMAIL_LOGIN) == BST_CHECKED;
    for (UINT id : {IDC_EMAIL_USER, IDC_EMAIL_PASSWORD, IDC_EMAIL_PLAIN_LOGIN})
        if (CWnd* control = GetDlgItem(static_cast<int>(id)))
            control->EnableWindow(login);
    if (CWnd* test = GetDlgItem(static_cast<int>(IDC_EMAIL_TEST)))
        test->EnableWindow(!m_bTesting);
}

void CEmailSettingsPage::OnLoginClicked()
{
    UpdateEnabling();
}

bool CEmailSettingsPage::CheckFields(bool needAll)
{
    if (!needAll)
        return true;
    m_address.Trim();
    m_server.Trim();
    if (!IsMailAddress(m_address.str())) {
        MessageBox("Please enter an e-mail address such as name@example.com.", nullptr, MB_OK | MB_ICONEXCLAMATION);
        GotoDlgCtrl(GetDlgItem(static_cast<int>(IDC_EMAIL_ADDRESS)));
        return false;
    }
    if (m_server.IsEmpty() || m_server.FindOneOf(" \t\r\n") >= 0) {
        MessageBox("Please enter the host name of your SMTP server.", nullptr, MB_OK | MB_ICONEXCLAMATION);
        GotoDlgCtrl(GetDlgItem(static_cast<int>(IDC_EMAIL_SERVER)));
        return false;
    }
    if (m_bLogin && m_userName.IsEmpty()) {
        MessageBox("Please enter the user name of the login, or clear \"Log in to the server\".", nullptr,
                   MB_OK | MB_ICONEXCLAMATION);
        GotoDlgCtrl(GetDlgItem(static_cast<int>(IDC_EMAIL_USER)));
        return false;
    }
    return true;
}

BOOL CEmailSettingsPage::OnKillActive()
{
    if (!UpdateData(TRUE))
        return FALSE;
    return CheckFields(m_bEmailAlerts != 0) ? TRUE : FALSE;
}

BOOL CEmailSettingsPage::OnApply()
{
    m_settings.m_bEmailAlerts = m_bEmailAlerts != 0;
    m_settings.m_alertEmailAddr = m_address;
    m_settings.m_smtpServer = m_server;
    m_settings.m_nSmtpPort = m_nPort;
    m_settings.m_bEmailLogin = m_bLogin != 0;
    m_settings.m_emailUser = m_userName;
    m_settings.m_emailPassword = m_password;
    m_settings.m_bEmailPlainLogin = m_bPlainLogin != 0;
    return CPropertyPage::OnApply();
}

CMailSettings CEmailSettingsPage::GetMailSettings() const
{
    CMailSettings mail;
    mail.server = m_server;
    mail.port = static_cast<unsigned>(m_nPort);
    mail.implicitTls = m_nPort == 465;
    mail.login = m_bLogin != 0;
    mail.userName = m_userName;
    mail.password = m_password;
    mail.allowLoginWithoutTls = m_bPlainLogin != 0;
    return mail;
}

void CEmailSettingsPage::OnTest()
{
    if (m_bTesting || !UpdateData(TRUE) || !CheckFields(true))
        return;
    CMailQueue* queue = CMailQueue::Instance();
    if (!queue) {
        MessageBox("E-mail cannot be sent now.", nullptr, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    const HWND page = m_hWnd;
    const bool queued = queue->Send(GetMailSettings(), MakeTextMessage(m_address, kTestMailSubject, kTestMailText),
                                    [page](const CMailResult& result) {
                                        ::PostMessage(page, WM_EMAIL_TEST_DONE, 0, 0, MakePayload<CMailResult>(result));
                                    });
    if (!queued)
        return;
    m_bTesting = true;
    SetDlgItemText(IDC_EMAIL_STATUS, "Sending a test e-mail to " + m_address + "...");
    UpdateEnabling();
}

LRESULT CEmailSettingsPage::OnTestDone(CWndMessage& message)
{
    m_bTesting = false;
    UpdateEnabling();
    const auto result = message.Take<CMailResult>();
    if (!result)
        return 0;
    const CString text = result->value.sent ? "The test e-mail was sent to " + m_address + "."
                                            : "The test e-mail was not sent: " + result->value.text;
    SetDlgItemText(IDC_EMAIL_STATUS, text);
    MessageBox(text, nullptr, MB_OK | (result->value.sent ? MB_ICONINFORMATION : MB_ICONEXCLAMATION));
    return 0;
}

const CMessageMap& CEmailSettingsPage::GetMessageMap() const
{
    static const CMessageMap map = MessageMapFor<CEmailSettingsPage>(CPropertyPage::GetMessageMap())
                                       .Command(IDC_EMAIL_TEST, &CEmailSettingsPage::OnTest)
                                       .Command(IDC_EMAIL_LOGIN, &CEmailSettingsPage::OnLoginClicked)
                                       .Message(WM_EMAIL_TEST_DONE, &CEmailSettingsPage::OnTestDone)
                                       .Build();
    return map;
}
