#include "trading/ui/CAccountsDlg.h"

#include "common/services/TextHelpers.h"
#include "platform/ui/CListBox.h"
#include "trading/ITradingHost.h"
#include "trading/ui/TradingUiIds.h"

#include <algorithm>

namespace {
constexpr UINT kActive = 1362;
constexpr UINT kAll = 1363;
constexpr UINT kSelected = 1364;
constexpr UINT kList = 1368;
}  // namespace

CAccountsDlg::CAccountsDlg(int accountMode, const std::vector<CString>& accountNames, CWnd* owner)
    : CDialog(IDD_ACCOUNTS, owner), m_nAccountMode(std::clamp(accountMode, 0, 2)), m_accountNames(accountNames)
{
}

const CMessageMap& CAccountsDlg::GetMessageMap() const
{
    static const CMessageMap map = MessageMapFor<CAccountsDlg>(CDialog::GetMessageMap())
                                       .ControlRange(BN_CLICKED, kActive, kSelected, &CAccountsDlg::OnModeClicked)
                                       .Build();
    return map;
}

BOOL CAccountsDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    auto* list = dynamic_cast<CListBox*>(GetDlgItem(kList));
    if (list) {
        list->ResetContent();
        const ITradingHost* host = GetTradingHost();
        for (const CAccountInfo& account : host ? host->GetSessionAccounts() : std::vector<CAccountInfo>()) {
            const int index = list->AddString(account.name);
            for (const CString& name : m_accountNames)
                if (SameAccountName(account.name, name))
                    list->SetSel(index, TRUE);
        }
    }
    ShowMode();
    return TRUE;
}

void CAccountsDlg::ShowMode()
{
    CheckRadioButton(kActive, kSelected, static_cast<int>(kActive) + m_nAccountMode);
    if (CWnd* list = GetDlgItem(kList))
        list->EnableWindow(m_nAccountMode == 2);
}

void CAccountsDlg::OnModeClicked(UINT id)
{
    m_nAccountMode = static_cast<int>(id - kActive);
    ShowMode();
    if (auto* list = dynamic_cast<CListBox*>(GetDlgItem(kList)))
        for (int i = 0; i < list->GetCount(); ++i)
            list->SetSel(i, FALSE);
}

void CAccountsDlg::OnOK()
{
    m_accountNames.clear();
    if (m_nAccountMode == 2) {
        auto* list = dynamic_cast<CListBox*>(GetDlgItem(kList));
        if (list)
            for (int i = 0; i < list->GetCount(); ++i)
                if (list->GetSel(i) > 0)
                    m_accountNames.push_back(list->GetText(i));
        if (m_accountNames.empty()) {
            MessageBox("Please select at least one account", nullptr, MB_OK | MB_ICONEXCLAMATION);
            return;
        }
    }
    EndDialog(IDOK);
}
