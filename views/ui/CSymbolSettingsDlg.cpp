#include "views/ui/CSymbolSettingsDlg.h"

#include "common/services/TextHelpers.h"
#include "views/PositionRecords.h"
#include "views/ui/Level1Ids.h"

namespace {

constexpr UINT kSymbol = 1028;
constexpr UINT kShares = 1029;
constexpr UINT kFee = 1030;
constexpr UINT kPrice = 1031;
constexpr UINT kRatioN = 1032;
constexpr UINT kRatioM = 1033;
constexpr UINT kDate = 1034;
constexpr UINT kMultiplier = 1035;
constexpr UINT kComments = 1036;
constexpr UINT kLong = 1101;
constexpr UINT kShort = 1102;
constexpr UINT kSplit = 1005;

} // namespace

CSymbolSettingsDlg::CSymbolSettingsDlg(const CPortfolioPosition& position, CWnd* parent)
    : CDialog(IDD_SYMBOL_SETTINGS, parent), m_position(position)
{
}

BOOL CSymbolSettingsDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    ShowFields();
    return TRUE;
}

void CSymbolSettingsDlg::ShowFields()
{
    CString number;
    SetDlgItemText(kSymbol, m_position.symbol);
    number.Format("%d", m_position.shares);
    SetDlgItemText(kShares, number);
    SetDlgItemText(kPrice, FormatTrimmedDouble(m_position.basePrice));
    number.Format("%.2lf", m_position.fee);
    SetDlgItemText(kFee, number);
    SetDlgItemText(kDate, m_position.date);
    number.Format("%d", m_position.multiplier);
    SetDlgItemText(kMultiplier, number);
    SetDlgItemText(kComments, m_position.comments);
    CheckDlgButton(kLong, m_position.IsShort() ? 0 : 1);
    CheckDlgButton(kShort, m_position.IsShort() ? 1 : 0);
}

bool CSymbolSettingsDlg::ReadFields(bool needSymbol)
{
    CPortfolioPosition p = m_position;
    p.symbol = GetDlgItemText(kSymbol);
    if (needSymbol && !TrimAndTest(p.symbol)) {
        MessageBox("Please specify a symbol", nullptr, MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    p.symbol.MakeUpper();
    if (!ParseWholeNumber(GetDlgItemText(kShares), p.shares)) {
        MessageBox("Please enter the number of shares as a whole number.", nullptr, MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    p.basePrice = ParseMixedFraction(GetDlgItemText(kPrice));
    if (!ParseAmount(GetDlgItemText(kFee), p.fee)) {
        MessageBox("Please enter the transaction fee as a number.", nullptr, MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    if (!ParseWholeNumber(GetDlgItemText(kMultiplier), p.multiplier) || p.multiplier < 1) {
        MessageBox("Please enter the contract multiplier as a whole number of 1 or more.", nullptr,
                   MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    p.date = GetDlgItemText(kDate);
    p.date.Trim();
    if (!IsAcceptablePositionDate(p.date)) {
        MessageBox("Please enter a position date that exists.", nullptr, MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    p.comments = GetDlgItemText(kComments);
    p.side = IsDlgButtonChecked(kShort) ? kSideShort : kSideLong;
    m_position = p;
    return true;
}

void CSymbolSettingsDlg::OnOK()
{
    if (ReadFields(true))
        EndDialog(IDOK);
}

void CSymbolSettingsDlg::OnSplit()
{
    int n = 0, m = 0;
    ParseWholeNumber(GetDlgItemText(kRatioN), n);
    ParseWholeNumber(GetDlgItemText(kRatioM), m);
    if (n == 0 || m == 0 || !ReadFields(false))
        return;
    if (!SplitPosition(m_position.shares, m_position.basePrice, n, m)) {
        MessageBox("The split gives more shares than a position can hold.", nullptr, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    ShowFields();
}

const CMessageMap& CSymbolSettingsDlg::GetMessageMap() const
{
    static const CMessageMap map = MessageMapFor<CSymbolSettingsDlg>(CDialog::GetMessageMap())
                                       .Control(BN_CLICKED, kSplit, &CSymbolSettingsDlg::OnSplit)
                                       .Build();
    return map;
}
