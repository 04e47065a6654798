#include "trading/ui/COrderStatusFilterDlg.h"

#include "platform/ui/CComboBox.h"
#include "trading/ui/ReportIds.h"

#include <ctime>

namespace {

constexpr UINT kRangeControls[] = {IDC_FILTER_FROM_MONTH, IDC_FILTER_FROM_DAY, IDC_FILTER_FROM_YEAR,
                                   IDC_FILTER_TO_MONTH,   IDC_FILTER_TO_DAY,   IDC_FILTER_TO_YEAR};

CComboBox* Combo(const CWnd& dialog, UINT id)
{
    return dynamic_cast<CComboBox*>(dialog.GetDlgItem(static_cast<int>(id)));
}

void Fill(CComboBox* combo, std::span<const char* const> names, int selection)
{
    if (!combo)
        return;
    combo->ResetContent();
    for (const char* name : names)
        combo->AddString(name);
    combo->SetCurSel(selection >= 0 && static_cast<size_t>(selection) < names.size() ? selection : -1);
}

int Selection(const CWnd& dialog, UINT id)
{
    const CComboBox* combo = Combo(dialog, id);
    return combo ? combo->GetCurSel() : -1;
}

}  // namespace

COrderStatusFilterDlg::COrderStatusFilterDlg(const COrderListFilter& filter, CWnd* parent)
    : CDialog(IDD_ORDER_FILTER, parent), m_filter(filter)
{
}

BOOL COrderStatusFilterDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    Fill(Combo(*this, IDC_FILTER_FROM_MONTH), OrderFilterMonthNames(), -1);
    Fill(Combo(*this, IDC_FILTER_TO_MONTH), OrderFilterMonthNames(), -1);
    Fill(Combo(*this, IDC_FILTER_STATUS), OrderFilterStatusNames(), m_filter.status);
    Fill(Combo(*this, IDC_FILTER_TYPE), OrderFilterTypeNames(), m_filter.type);
    if (m_filter.dateMode < 0 || m_filter.dateMode > 3)
        m_filter.dateMode = 0;
    static constexpr UINT kRadios[] = {IDC_FILTER_TODAY, IDC_FILTER_YESTERDAY, IDC_FILTER_PAST, IDC_FILTER_RANGE};
    for (int mode = 0; mode < 4; ++mode)
        CheckDlgButton(static_cast<int>(kRadios[mode]), mode == m_filter.dateMode ? BST_CHECKED : BST_UNCHECKED);
    CString days;
    days.Format("%d", m_filter.days);
    SetDlgItemText(static_cast<int>(IDC_FILTER_DAYS), days);
    ShowDate(IDC_FILTER_FROM_MONTH, IDC_FILTER_FROM_DAY, IDC_FILTER_FROM_YEAR, m_filter.from);
    ShowDate(IDC_FILTER_TO_MONTH, IDC_FILTER_TO_DAY, IDC_FILTER_TO_YEAR, m_filter.to);
    EnableDateControls();
    return TRUE;
}

void COrderStatusFilterDlg::ShowDate(UINT monthId, UINT dayId, UINT yearId, int64_t time)
{
    const time_t t = static_cast<time_t>(time);
    std::tm local{};
    localtime_r(&t, &local);
    if (CComboBox* month = Combo(*this, monthId))
        month->SetCurSel(local.tm_mon);
    CString text;
    text.Format("%d", local.tm_mday);
    SetDlgItemText(static_cast<int>(dayId), text);
    text.Format("%d", local.tm_year + 1900);
    SetDlgItemText(static_cast<int>(yearId), text);
}

void COrderStatusFilterDlg::EnableDateControls()
{
    for (UINT id : kRangeControls)
        if (CWnd* control = GetDlgItem(static_cast<int>(id)))
            control->EnableWindow(m_filter.dateMode == 3);
    if (CWnd* days = GetDlgItem(static_cast<int>(IDC_FILTER_DAYS)))
        days->EnableWindow(m_filter.dateMode == 2);
}

void COrderStatusFilterDlg::OnDateMode(UINT id)
{
    switch (id) {
    case IDC_FILTER_YESTERDAY: m_filter.dateMode = 1; break;
    case IDC_FILTER_PAST: m_filter.dateMode = 2; break;
    case IDC_FILTER_RANGE: m_filter.dateMode = 3; break;
    default: m_filter.dateMode = 0; break;
    }
    EnableDateControls();
}

COrderFilterInput COrderStatusFilterDlg::ReadControls() const
{
    COrderFilterInput input;
    input.statusSel = Selection(*this, IDC_FILTER_STATUS);
    input.statusText = GetDlgItemText(static_cast<int>(IDC_FILTER_STATUS));
    input.typeSel = Selection(*this, IDC_FILTER_TYPE);
    input.typeText = GetDlgItemText(static_cast<int>(IDC_FILTER_TYPE));
    input.dateMode = m_filter.dateMode;
    input.days = GetDlgItemText(static_cast<int>(IDC_FILTER_DAYS));
    input.fromDay = GetDlgItemText(static_cast<int>(IDC_FILTER_FROM_DAY));
    input.fromMonthSel = Selection(*this, IDC_FILTER_FROM_MONTH);
    input.fromYear = GetDlgItemText(static_cast<int>(IDC_FILTER_FROM_YEAR));
    input.toDay = GetDlgItemText(static_cast<int>(IDC_FILTER_TO_DAY));
    input.toMonthSel = Selection(*this, IDC_FILTER_TO_MONTH);
    input.toYear = GetDlgItemText(static_cast<int>(IDC_FILTER_TO_YEAR));
    return input;
}

void COrderStatusFilterDlg::OnOK()
{
    COrderListFilter filter = m_filter;
    const CString message = ApplyOrderFilterInput(ReadControls(), static_cast<int64_t>(time(nullptr)), filter);
    if (!message.IsEmpty()) {
        MessageBox(message, nullptr, MB_OK);
        return;
    }
    m_filter = filter;
    EndDialog(IDOK);
}

const CMessageMap& COrderStatusFilterDlg::GetMessageMap() const
{
    static const CMessageMap map =
        MessageMapFor<COrderStatusFilterDlg>(CDialog::GetMessageMap())
            .ControlRange(BN_CLICKED, IDC_FILTER_PAST, IDC_FILTER_PAST, &COrderStatusFilterDlg::OnDateMode)
            .ControlRange(BN_CLICKED, IDC_FILTER_RANGE, IDC_FILTER_RANGE, &COrderStatusFilterDlg::OnDateMode)
            .ControlRange(BN_CLICKED, IDC_FILTER_TODAY, IDC_FILTER_YESTERDAY, &COrderStatusFilterDlg::OnDateMode)
            .Build();
    return map;
}
