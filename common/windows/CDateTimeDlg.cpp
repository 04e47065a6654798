#include "common/windows/CDateTimeDlg.h"

#include "common/windows/ShellIds.h"
#include "platform/ui/CDataExchange.h"

CDateTimeDlg::CDateTimeDlg(const SYSTEMTIME& start, CWnd* parent)
    : CDialog(IDD_DATETIME, parent), m_time(start), m_date(start), m_clock(start)
{
}

void CDateTimeDlg::DoDataExchange(CDataExchange* dx)
{
    DDX_DateTimeCtrl(dx, 1040, m_date);
    DDX_DateTimeCtrl(dx, 1041, m_clock);
    if (dx->m_bSaveAndValidate && (m_date.wYear < 1970 || m_date.wYear > 2038)) {
        dx->PrepareCtrl(1040);
        dx->Fail("Please choose a date from 1970 to 2038.");
    }
}

void CDateTimeDlg::OnOK()
{
    if (!UpdateData(TRUE))
        return;
    m_time = CombineDateAndTime(m_date, m_clock);
    EndDialog(IDOK);
}
