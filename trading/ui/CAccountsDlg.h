// "Accounts": the account viewed when the order is placed, all accounts, or a chosen set.
#pragma once

#include "platform/ui/CDialog.h"

#include <vector>

class CAccountsDlg : public CDialog {
public:
    // Mode 0 active account, 1 all accounts, 2 the named accounts; the names are copied.
    CAccountsDlg(int accountMode, const std::vector<CString>& accountNames, CWnd* owner);

    BOOL OnInitDialog() override;
    void OnOK() override;
    const CMessageMap& GetMessageMap() const override;

    int m_nAccountMode;
    std::vector<CString> m_accountNames;

private:
    void OnModeClicked(UINT id);
    void ShowMode();
};
