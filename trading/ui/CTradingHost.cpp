#include "trading/ui/CTradingHost.h"

#include "broker/session/CSessionManager.h"
#include "common/windows/IWorkstationFrame.h"
#include "platform/ui/CWinApp.h"
#include "platform/ui/CWnd.h"
#include "trading/AccountChoice.h"

namespace {

int Ask(const CString& text, CWnd* owner, UINT type)
{
    return owner && owner->m_hWnd ? owner->MessageBox(text, nullptr, type) : AfxMessageBox(text, type);
}

// The session manager, or null with the error that nobody is logged in.
CSessionManager* LoggedInManager(CString& error)
{
    CSessionManager* manager = CSessionManager::Instance();
    if (!manager)
        error = "You are not logged in.";
    return manager;
}

}  // namespace

bool CTradingHost::AskYesNo(const CString& text, CWnd* owner)
{
    return Ask(text, owner, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void CTradingHost::ShowMessage(const CString& text, CWnd* owner)
{
    Ask(text, owner, MB_OK | MB_ICONEXCLAMATION);
}

void CTradingHost::GetTargetAccounts(int mode, const std::vector<CString>& names,
                                     std::vector<CAccountInfo>& out) const
{
    if (const IWorkstationFrame* frame = GetWorkstationFrame()) {
        frame->GetTargetAccounts(mode, names, out);
        return;
    }
    // Without a main frame the account viewed is the session's current one.
    out.clear();
    CSessionManager* manager = CSessionManager::Instance();
    if (!manager)
        return;
    const std::vector<CAccountInfo> accounts = manager->GetAccounts();
    if (mode == 1) {
        out = accounts;
    } else if (mode == 2) {
        out = NamedAccounts(accounts, names);
    } else {
        const CString current = manager->GetSession().GetCurrentAccount();
        for (const CAccountInfo& a : accounts)
            if (a.number == current)
                out.push_back(a);
        if (out.empty() && !accounts.empty())
            out.push_back(accounts.front());
    }
}

CString CTradingHost::GetAccountListText(int mode, const std::vector<CString>& names, int flag) const
{
    if (const IWorkstationFrame* frame = GetWorkstationFrame())
        return frame->GetAccountListText(mode, names, flag);
    if (mode == 0 && flag == 0)
        return "Active";
    std::vector<CAccountInfo> chosen;
    GetTargetAccounts(mode, names, chosen);
    if (mode == 1 && chosen.empty())
        return "All";
    return AccountNamesText(chosen);
}

std::vector<CAccountInfo> CTradingHost::GetSessionAccounts() const
{
    CSessionManager* manager = CSessionManager::Instance();
    return manager ? manager->GetAccounts() : std::vector<CAccountInfo>();
}

bool CTradingHost::SubmitOrder(const std::vector<COrderLeg>& legs, int securityKind, int conditionalType, int place,
                               const char* sourceTag, const CString& accountNumber, CString& error)
{
    CSessionManager* manager = LoggedInManager(error);
    if (!manager)
        return false;
    return manager->GetSession().SubmitOrder(legs, securityKind, conditionalType, place, sourceTag, accountNumber,
                                             error);
}

bool CTradingHost::EditOrder(const COrderLeg& record, int securityKind, CWnd* owner, CString& error)
{
    CSessionManager* manager = LoggedInManager(error);
    if (!manager)
        return false;
    return manager->GetSession().EditOrder(record, securityKind, owner, error);
}

void InstallTradingHost()
{
    static CTradingHost host;
    if (!GetTradingHost())
        SetTradingHost(&host);
}
