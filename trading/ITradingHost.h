// What order entry needs of the running program: questions and messages on a window,
// the accounts an order goes to, and the broker session. The workstation installs its
// host; tests install their own.
#pragma once

#include "broker/session/AccountRecords.h"
#include "broker/session/COrderLeg.h"
#include "platform/core/CString.h"

#include <vector>

class CWnd;

class ITradingHost {
public:
    virtual ~ITradingHost() = default;

    // Yes/No question on the owner (null: the application's window); true for Yes.
    virtual bool AskYesNo(const CString& text, CWnd* owner) = 0;
    // A message box with an OK button.
    virtual void ShowMessage(const CString& text, CWnd* owner) = 0;

    // Mode 0 the account viewed, 1 all accounts, 2 those named (names compared ignoring
    // case and a " (main)" suffix); empty when nothing matches.
    virtual void GetTargetAccounts(int mode, const std::vector<CString>& names,
                                   std::vector<CAccountInfo>& out) const = 0;
    // The account choice as text ("Active" for mode 0 with flag 0).
    virtual CString GetAccountListText(int mode, const std::vector<CString>& names, int flag) const = 0;
    // Every account of the session, in the session's order.
    virtual std::vector<CAccountInfo> GetSessionAccounts() const = 0;

    virtual bool SubmitOrder(const std::vector<COrderLeg>& legs, int securityKind, int conditionalType, int place,
                             const char* sourceTag, const CString& accountNumber, CString& error) = 0;
    virtual bool EditOrder(const COrderLeg& record, int securityKind, CWnd* owner, CString& error) = 0;
};

// The installed host, or null.
ITradingHost* GetTradingHost();
// Installs a host (null removes it); returns the one it replaces.
ITradingHost* SetTradingHost(ITradingHost* host);

// Installs a host for its lifetime.
class CScopedTradingHost {
public:
    explicit CScopedTradingHost(ITradingHost* host) : m_previous(SetTradingHost(host)) {}
    ~CScopedTradingHost() { SetTradingHost(m_previous); }
    CScopedTradingHost(const CScopedTradingHost&) = delete;
    CScopedTradingHost& operator=(const CScopedTradingHost&) = delete;

private:
    ITradingHost* m_previous;
};
