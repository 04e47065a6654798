// "Price Offset": which quote a leg's price follows and the amount added to it.
#pragma once

#include "platform/ui/CDialog.h"
#include "trading/ui/CNumericSpinButton.h"

class CPriceOffsetDlg : public CDialog {
public:
    // Source 0 manual, 1 bid, 2 ask, 3 last; the offset may be negative.
    CPriceOffsetDlg(CWnd* owner, int priceSource, double offset);

    BOOL OnInitDialog() override;
    void OnOK() override;
    // The offset with the chosen sign (after OK).
    double GetSignedOffset() const { return m_nSign == 1 ? -m_amount : m_amount; }

    int m_nPriceSource;
    int m_nSign;  // 0 "+", 1 "-"
    double m_amount;

private:
    CNumericSpinButton m_spin;
};
