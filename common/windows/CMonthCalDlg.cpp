#include "common/windows/CMonthCalDlg.h"

#include "common/windows/ShellIds.h"
#include "platform/ui/CDataExchange.h"

CMonthCalDlg::CMonthCalDlg(CWnd* parent, const CTime& start, const RECT* placement)
    : CDialog(IDD_MONTHCAL, parent), m_date(start)
{
    if (placement) {
        m_placement = *placement;
        m_bPlaced = true;
    }
}

BOOL CMonthCalDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    if (m_bPlaced) {
        CRect r;
        GetWindowRect(&r);
        MoveWindow(m_placement.left, m_placement.bottom, r.Width(), r.Height());
    }
    return TRUE;
}

void CMonthCalDlg::DoDataExchange(CDataExchange* dx)
{
    DDX_MonthCalCtrl(dx, 1080, m_date);
}

void CMonthCalDlg::OnOK()
{
    if (!UpdateData(TRUE))
        return;
    m_year = m_date.GetYear();
    m_month = m_date.GetMonth();
    m_day = m_date.GetDay();
    EndDialog(IDOK);
}
