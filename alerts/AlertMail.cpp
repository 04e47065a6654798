#include "alerts/AlertMail.h"

#include "alerts/CAlert.h"
#include "alerts/CAlertEvent.h"
#include "broker/core/Formatters.h"
#include "common/services/CAppSettings.h"

CString AlertMailSubject(const CAlert& alert)
{
    CString condition;
    alert.GetConditionText(condition);
    CString subject = "Quorvantelix Alert: " + alert.m_symbol;
    if (!condition.IsEmpty())
        subject += " " + condition;
    return subject;
}

CString AlertMailText(const CAlert& alert, const CAlertEvent& event)
{
    CString condition;
    alert.GetConditionText(condition);
    CString order;
    alert.GetOrderText(order, event.m_nTrigger);
    CString text;
    text.Format("Symbol: %s\r\nCondition: %s\r\nPrice: %s\r\nTime: %s\r\nOrder: %s\r\n", alert.m_symbol.GetString(),
                condition.GetString(), FormatNumber(event.m_price, 2, 4).GetString(), event.m_date.GetString(),
                order.GetString());
    return text;
}

CMailSettings MailSettingsFrom(const CAppSettings& settings, const CString& caFile)
{
    CMailSettings mail;
    mail.server = settings.m_smtpServer;
    mail.port = settings.m_nSmtpPort > 0 && settings.m_nSmtpPort <= 65535 ? static_cast<unsigned>(settings.m_nSmtpPort)
                                                                         : 0;
    mail.implicitTls = settings.m_nSmtpPort == 465;
    mail.login = settings.m_bEmailLogin;
    mail.userName = settings.m_emailUser;
    mail.password = settings.m_emailPassword;
    mail.allowLoginWithoutTls = settings.m_bEmailPlainLogin;
    mail.caFile = caFile;
    return mail;
}
