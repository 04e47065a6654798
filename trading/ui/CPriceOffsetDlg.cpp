#include "trading/ui/CPriceOffsetDlg.h"

#include "platform/ui/CComboBox.h"
#include "trading/OrderInput.h"
#include "trading/ui/TradingUiIds.h"

#include <cmath>

namespace {
constexpr UINT kSource = 1210;
constexpr UINT kAmount = 1320;
constexpr UINT kAmountSpin = 1321;
constexpr UINT kSign = 1328;
}  // namespace

CPriceOffsetDlg::CPriceOffsetDlg(CWnd* owner, int priceSource, double offset)
    : CDialog(IDD_PRICE_OFFSET, owner),
      m_nPriceSource(priceSource),
      m_nSign(offset >= 0 ? 0 : 1),
      m_amount(priceSource == 0 ? 0.01 : std::fabs(offset))
{
}

BOOL CPriceOffsetDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    if (auto* source = dynamic_cast<CComboBox*>(GetDlgItem(kSource))) {
        source->ResetContent();
        for (const char* item : {"Select...", "Bid", "Ask", "Last"})
            source->AddString(item);
        source->SetCurSel(m_nPriceSource >= 0 && m_nPriceSource <= 3 ? m_nPriceSource : 0);
    }
    if (auto* sign = dynamic_cast<CComboBox*>(GetDlgItem(kSign))) {
        sign->ResetContent();
        sign->AddString("+");
        sign->AddString("-");
        sign->SetCurSel(m_nSign);
    }
    m_spin.AttachToItem(kAmountSpin, this, kAmount);
    m_spin.SetDecimals(2);
    m_spin.SetRange(0, 1000, 0.01);
    m_spin.SetValue(m_amount);
    return TRUE;
}

void CPriceOffsetDlg::OnOK()
{
    const auto* source = dynamic_cast<CComboBox*>(GetDlgItem(kSource));
    const auto* sign = dynamic_cast<CComboBox*>(GetDlgItem(kSign));
    const int chosen = source ? source->GetCurSel() : -1;
    if (chosen <= 0) {
        MessageBox("Select Offset Type", nullptr, MB_OK | MB_ICONEXCLAMATION);
        if (CWnd* w = GetDlgItem(kSource))
            w->SetFocus();
        return;
    }
    double amount = 0;
    if (!ParseOrderNumber(GetDlgItemText(kAmount), amount)) {
        MessageBox("Please enter the offset as a number.", nullptr, MB_OK | MB_ICONEXCLAMATION);
        if (CWnd* w = GetDlgItem(kAmount))
            w->SetFocus();
        return;
    }
    if (amount < 0) {
        MessageBox("Offset cannot be negative. Please select \"-\" from the dropdown.", nullptr,
                   MB_OK | MB_ICONEXCLAMATION);
        if (CWnd* w = GetDlgItem(kAmount))
            w->SetFocus();
        return;
    }
    if (amount != 0 && amount < 0.0001) {
        MessageBox("Offset cannot be less than 0.0001", nullptr, MB_OK | MB_ICONEXCLAMATION);
        if (CWnd* w = GetDlgItem(kAmount))
            w->SetFocus();
        return;
    }
    m_nPriceSource = chosen;
    m_nSign = sign && sign->GetCurSel() == 1 ? 1 : 0;
    m_amount = amount;
    EndDialog(IDOK);
}
