#include "common/windows/CDateTimeDlg.h"

#include "common/windows/ShellIds.h"
#include "platform/ui/CDataExchange.h"

CDateTimeDlg::CDateTimeDlg(const CTime& start, CWnd* parent)
    : CDialog(IDD_DATETIME, parent), m_time(start), m_date(start), m_clock(start)
{
}

void CDateTimeDlg::DoDataExchange(CDataExchange* dx)
{
    DDX_DateTimeCtrl(dx, 1040, m_date);
    DDX_DateTimeCtrl(dx, 1041, m_clock);
    if (dx->m_bSaveAndValidate && (m_date.GetYear() < 1970 || m_date.GetYear() > 2038)) {
        dx->PrepareCtrl(1040);
        dx->Fail("Please choose a date from 1970 to 2038.");
    }
}

void CDateTimeDlg::OnOK()
{
    if (!UpdateData(TRUE))
        return;
    m_time = CTime(m_date.GetYear(), m_date.GetMonth(), m_date.GetDay(), m_clock.GetHour(), m_clock.GetMinute(),
                   m_clock.GetSecond());
    EndDialog(IDOK);
}
