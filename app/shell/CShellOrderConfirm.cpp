#include "app/shell/CShellOrderConfirm.h"

#include "common/services/CAppSettings.h"
#include "platform/ui/CWinApp.h"

bool CShellOrderConfirm::Confirm(const CString& question, void*)
{
    return AfxMessageBox(question, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

bool CShellOrderConfirm::OrderConfirmationEnabled()
{
    return m_settings.m_tradingDefaults.Row(m_settings.m_nBroker).confirmOrders != 0;
}
