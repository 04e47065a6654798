// The running program's side of order entry: message boxes, the main frame's accounts
// (the session's when there is no main frame) and the broker session.
#pragma once

#include "trading/ITradingHost.h"

class CTradingHost : public ITradingHost {
public:
    bool AskYesNo(const CString& text, CWnd* owner) override;
    void ShowMessage(const CString& text, CWnd* owner) override;
    void GetTargetAccounts(int mode, const std::vector<CString>& names,
                           std::vector<CAccountInfo>& out) const override;
    CString GetAccountListText(int mode, const std::vector<CString>& names, int flag) const override;
    std::vector<CAccountInfo> GetSessionAccounts() const override;
    bool SubmitOrder(const std::vector<COrderLeg>& legs, int securityKind, int conditionalType, int place,
                     const char* sourceTag, const CString& accountNumber, CString& error) override;
    bool EditOrder(const COrderLeg& record, int securityKind, CWnd* owner, CString& error) override;
};

// Installs the program's host unless one is installed already.
void InstallTradingHost();
