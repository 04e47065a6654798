#include "common/windows/SymbolEntryDialog.h"

#include "common/services/CAppSettings.h"
#include "common/services/TextHelpers.h"
#include "common/windows/ShellIds.h"
#include "platform/ui/CComboBox.h"
#include "platform/ui/CDataExchange.h"
#include "platform/ui/CEdit.h"
#include "platform/ui/WinCtrl.h"

SymbolEntryDialog::SymbolEntryDialog(BOOL selectAll, CWnd* parent)
    : CDialog(IDD_SYMBOL_ENTRY, parent), m_bSelectAll(selectAll)
{
}

void SymbolEntryDialog::SetInterval(const char* interval)
{
    m_interval = interval;
    m_bShowInterval = true;
}

BOOL SymbolEntryDialog::OnInitDialog()
{
    // The interval controls are hidden in the template; they show only when an interval was set.
    if (m_bShowInterval) {
        for (int id : {1091, 1092, 1093})
            if (CWnd* w = GetDlgItem(id))
                w->ShowWindow(SW_SHOW);
        SetWindowText("Enter Symbol and Interval");
        if (auto* combo = dynamic_cast<CComboBox*>(GetDlgItem(1092)))
            if (const CAppSettings* settings = CAppSettings::Instance())
                for (const CString& interval : settings->m_intervals)
                    combo->AddString(interval);
    }
    CDialog::OnInitDialog();
    if (m_bShowInterval && m_bFocusInterval) {
        if (auto* combo = dynamic_cast<CComboBox*>(GetDlgItem(1092))) {
            GotoDlgCtrl(combo);
            combo->SetEditSel(m_interval.GetLength(), m_interval.GetLength());
            return FALSE;
        }
    }
    if (auto* edit = dynamic_cast<CEdit*>(GetDlgItem(1090))) {
        GotoDlgCtrl(edit);
        if (m_bSelectAll)
            edit->SetSel(0, -1);
        else
            edit->SetSel(m_symbol.GetLength(), m_symbol.GetLength());
    }
    return FALSE;
}

void SymbolEntryDialog::DoDataExchange(CDataExchange* dx)
{
    DDX_Text(dx, 1090, m_symbol);
    if (m_bShowInterval) {
        DDX_CBString(dx, 1092, m_interval);
        DDX_Check(dx, 1093, m_nExtSession);
    }
    if (dx->m_bSaveAndValidate) {
        m_symbol.Trim();
        m_symbol.MakeUpper();
        m_interval.Trim();
    }
}

void SymbolEntryDialog::OnOK()
{
    if (!UpdateData(TRUE))
        return;
    if (m_bShowInterval && !m_interval.IsEmpty() && !IsPeriodText(m_interval)) {
        MessageBox("\"" + m_interval.Left(32) +
                       "\" is no interval: use Tick, a number of minutes (\"5 minutes\"), Daily, Weekly, Monthly, "
                       "Quarterly or Yearly.",
                   "Enter Symbol and Interval", MB_OK | MB_ICONEXCLAMATION);
        if (CWnd* combo = GetDlgItem(1092))
            GotoDlgCtrl(combo);
        return;
    }
    EndDialog(IDOK);
}

void SymbolEntryDialog::OnIntervalEdited()
{
    m_bIntervalTyped = true;
}

const CMessageMap& SymbolEntryDialog::GetMessageMap() const
{
    static const CMessageMap map = MessageMapFor<SymbolEntryDialog>(CDialog::GetMessageMap())
                                       .Control(CBN_EDITCHANGE, 1092, &SymbolEntryDialog::OnIntervalEdited)
                                       .Build();
    return map;
}
