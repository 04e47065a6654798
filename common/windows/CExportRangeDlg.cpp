#include "common/windows/CExportRangeDlg.h"

#include "common/windows/ShellIds.h"
#include "platform/ui/CDataExchange.h"

CExportRangeDlg::CExportRangeDlg(const SYSTEMTIME& start, const SYSTEMTIME& end, CWnd* parent)
    : CDialog(IDD_EXPORT_RANGE, parent),
      m_fromDate(start),
      m_fromTime(start),
      m_toDate(end),
      m_toTime(end),
      m_start(start),
      m_end(end)
{
}

void CExportRangeDlg::DoDataExchange(CDataExchange* dx)
{
    DDX_DateTimeCtrl(dx, 1050, m_fromDate);
    DDX_DateTimeCtrl(dx, 1051, m_fromTime);
    DDX_DateTimeCtrl(dx, 1052, m_toDate);
    DDX_DateTimeCtrl(dx, 1053, m_toTime);
    if (dx->m_bSaveAndValidate &&
        WallClockSeconds(CombineDateAndTime(m_toDate, m_toTime)) <= WallClockSeconds(CombineDateAndTime(m_fromDate, m_fromTime))) {
        dx->PrepareCtrl(1052);
        dx->Fail("The end of the range must be after its start.");
    }
}

void CExportRangeDlg::OnOK()
{
    if (!UpdateData(TRUE))
        return;
    m_start = CombineDateAndTime(m_fromDate, m_fromTime);
    m_end = CombineDateAndTime(m_toDate, m_toTime);
    EndDialog(IDOK);
}

void CExportRangeDlg::GetRange(SYSTEMTIME& start, SYSTEMTIME& end) const
{
    start = m_start;
    end = m_end;
}
