#include "common/windows/CEnterNameDlg.h"

#include "common/windows/ShellIds.h"
#include "platform/ui/CDataExchange.h"

CEnterNameDlg::CEnterNameDlg(const char* name, CWnd* parent) : CDialog(IDD_ENTER_NAME, parent), m_name(name) {}

void CEnterNameDlg::DoDataExchange(CDataExchange* dx)
{
    DDX_Text(dx, 1027, m_name);
    if (dx->m_bSaveAndValidate)
        m_name.Trim();
}
