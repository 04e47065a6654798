#include "common/windows/CExportRangeDlg.h"

#include "common/windows/ShellIds.h"
#include "platform/ui/CDataExchange.h"

CExportRangeDlg::CExportRangeDlg(const CTime& start, const CTime& end, CWnd* parent)
    : CDialog(IDD_EXPORT_RANGE, parent),
      m_fromDate(start),
      m_fromTime(start),
      m_toDate(end),
      m_toTime(end),
      m_start(start),
      m_end(end)
{
}

CTime CExportRangeDlg::Combine(const CTime& date, const CTime& time)
{
    return CTime(date.GetYear(), date.GetMonth(), date.GetDay(), time.GetHour(), time.GetMinute(), time.GetSecond());
}

void CExportRangeDlg::DoDataExchange(CDataExchange* dx)
{
    DDX_DateTimeCtrl(dx, 1050, m_fromDate);
    DDX_DateTimeCtrl(dx, 1051, m_fromTime);
    DDX_DateTimeCtrl(dx, 1052, m_toDate);
    DDX_DateTimeCtrl(dx, 1053, m_toTime);
    if (dx->m_bSaveAndValidate) {
        const CTime start = Combine(m_fromDate, m_fromTime);
        const CTime end = Combine(m_toDate, m_toTime);
        if (end.GetTime() <= start.GetTime()) {
            dx->PrepareCtrl(1052);
            dx->Fail("The end of the range must be after its start.");
        }
    }
}

void CExportRangeDlg::OnOK()
{
    if (!UpdateData(TRUE))
        return;
    m_start = Combine(m_fromDate, m_fromTime);
    m_end = Combine(m_toDate, m_toTime);
    EndDialog(IDOK);
}

void CExportRangeDlg::GetRange(CTime& start, CTime& end) const
{
    start = m_start;
    end = m_end;
}
