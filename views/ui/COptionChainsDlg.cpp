#include "views/ui/COptionChainsDlg.h"

#include "common/services/CAppSettings.h"
#include "platform/ui/CComboBox.h"
#include "platform/ui/ShellServices.h"
#include "views/ui/Level1Ids.h"

#include <algorithm>

namespace {

constexpr UINT kSymbol = 1103;
constexpr UINT kStrike = 1104;
constexpr UINT kType = 1109;
constexpr UINT kExpiration = 1113;
constexpr UINT kRange = 1114;
constexpr UINT kInterval = 1115;
constexpr UINT kIntervalLabel = 1307;
constexpr UINT kDisclaimer = 1309;

} // namespace

COptionChainsDlg::COptionChainsDlg(const CString& definition, CWnd* parent, const CTime& now)
    : CDialog(IDD_OPTION_CHAINS, parent), m_now(now)
{
    if (!definition.IsEmpty())
        ChoiceFromDefinition(definition, m_choice);
}

BOOL COptionChainsDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetDlgItemText(kSymbol, m_choice.symbol);
    SetDlgItemText(kStrike, m_choice.strike);
    auto* type = static_cast<CComboBox*>(GetDlgItem(kType));
    for (int i = 0; i < kDialogChainTypes; ++i)
        type->AddString(ChainTypeName(i));
    type->SetCurSel(std::clamp(m_choice.chainType, 0, kDialogChainTypes - 1));
    auto* interval = static_cast<CComboBox*>(GetDlgItem(kInterval));
    for (int i = 0; i < kIntervalCount; ++i)
        interval->AddString(ChainIntervalText(i));
    const CString saved = m_choice.expiration;
    const int range = m_choice.range;
    FillTypeLists();
    static_cast<CComboBox*>(GetDlgItem(kRange))->SetCurSel(std::clamp(range, 0, kRangeCount - 1));
    interval->SetCurSel(std::clamp(m_choice.interval, 0, kIntervalCount - 1));
    // The first entry that begins with the saved text (a new chain: the current month).
    auto* expiration = static_cast<CComboBox*>(GetDlgItem(kExpiration));
    int select = expiration->GetCount() - 1;
    for (int i = 0; i < expiration->GetCount(); ++i)
        if (expiration->GetLBText(i).Left(saved.GetLength()) == saved) {
            select = i;
            break;
        }
    expiration->SetCurSel(select);
    return TRUE;
}

void COptionChainsDlg::FillTypeLists()
{
    auto* range = static_cast<CComboBox*>(GetDlgItem(kRange));
    range->ResetContent();
    for (int i = 0; i < kRangeCount; ++i)
        range->AddString(RangeName(i));
    range->SetCurSel(0);
    auto* expiration = static_cast<CComboBox*>(GetDlgItem(kExpiration));
    expiration->ResetContent();
    for (const CString& month : ExpirationMonthEntries(m_now))
        expiration->AddString(month);
    // "Weekly" only for calls or puts.
    const int type = static_cast<CComboBox*>(GetDlgItem(kType))->GetCurSel();
    for (int i = type == 0 ? 1 : 0; i < kSpecialExpirationCount; ++i)
        expiration->AddString(SpecialExpirationName(i));
    expiration->SetCurSel(expiration->GetCount() - 1);
    GetDlgItem(kInterval)->ShowWindow(SW_HIDE);
    GetDlgItem(kIntervalLabel)->ShowWindow(SW_HIDE);
    m_choice.intervalShown = false;
}

void COptionChainsDlg::OnChainType()
{
    FillTypeLists();
}

void COptionChainsDlg::ReadControls()
{
    m_choice.symbol = GetDlgItemText(kSymbol);
    m_choice.symbol.Trim();
    m_choice.strike = GetDlgItemText(kStrike);
    m_choice.strike.Trim();
    m_choice.chainType = static_cast<CComboBox*>(GetDlgItem(kType))->GetCurSel();
    m_choice.range = static_cast<CComboBox*>(GetDlgItem(kRange))->GetCurSel();
    auto* expiration = static_cast<CComboBox*>(GetDlgItem(kExpiration));
    m_choice.expiration = expiration->GetCurSel() >= 0 ? expiration->GetLBText(expiration->GetCurSel()) : CString();
    m_choice.interval = static_cast<CComboBox*>(GetDlgItem(kInterval))->GetCurSel();
}

void COptionChainsDlg::OnOK()
{
    ReadControls();
    const CString problem = CheckChoice(m_choice);
    if (!problem.IsEmpty()) {
        MessageBox(problem, nullptr, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    EndDialog(IDOK);
}

CString COptionChainsDlg::BuildDefinition() const
{
    return ::BuildDefinition(m_choice);
}

void COptionChainsDlg::OnDisclaimer()
{
    if (CWnd* ok = GetDlgItem(IDOK))
        ok->SetFocus();
    if (const CAppSettings* settings = CAppSettings::Instance())
        ShellOpenFile(settings->GetFilePath("help/OptionsDisclaimer.html"));
}

const CMessageMap& COptionChainsDlg::GetMessageMap() const
{
    static const CMessageMap map = MessageMapFor<COptionChainsDlg>(CDialog::GetMessageMap())
                                       .Control(CBN_SELCHANGE, kType, &COptionChainsDlg::OnChainType)
                                       .Control(BN_CLICKED, kDisclaimer, &COptionChainsDlg::OnDisclaimer)
                                       .Build();
    return map;
}
