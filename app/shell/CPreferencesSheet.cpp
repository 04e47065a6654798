#include "app/shell/CPreferencesSheet.h"

#include "alerts/ui/CEmailSettingsPage.h"
#include "common/services/CAppSettings.h"
#include "common/windows/ShellIds.h"
#include "platform/ui/CComboBox.h"
#include "platform/ui/CDataExchange.h"
#include "trading/ui/CApiSettingsDlg.h"

CPreferencesSheet::CPreferencesSheet(const char* title, CWnd* owner) : CPropertySheet(title, owner)
{
    SetHelpButton(true);
}

CTradingOptionsPage::CTradingOptionsPage(CAppSettings& settings)
    : CPropertyPage(IDD_TRADING_OPTIONS),
      m_nBroker(settings.m_nBroker),
      m_nStockShares(settings.m_nStockShares),
      m_nOptionContracts(settings.m_nOptionContracts),
      m_nFuturesContracts(settings.m_nFuturesContracts),
      m_settings(settings)
{
}

BOOL CTradingOptionsPage::OnInitDialog()
{
    if (auto* combo = dynamic_cast<CComboBox*>(GetDlgItem(1100))) {
        combo->ResetContent();
        combo->AddString("Disable");
        combo->AddString("Enable");
    }
    CPropertyPage::OnInitDialog();
    OnBrokerChanged();
    return TRUE;
}

const CMessageMap& CTradingOptionsPage::GetMessageMap() const
{
    static const CMessageMap map = MessageMapFor<CTradingOptionsPage>(CPropertyPage::GetMessageMap())
                                       .Command(1101, &CTradingOptionsPage::OnTradingSettings)
                                       .Control(CBN_SELCHANGE, 1100, &CTradingOptionsPage::OnBrokerChanged)
                                       .Build();
    return map;
}

void CTradingOptionsPage::OnBrokerChanged()
{
    const auto* combo = dynamic_cast<CComboBox*>(GetDlgItem(1100));
    if (CWnd* button = GetDlgItem(1101))
        button->EnableWindow(combo && combo->GetCurSel() > 0);
}

void CTradingOptionsPage::OnTradingSettings()
{
    const auto* combo = dynamic_cast<CComboBox*>(GetDlgItem(1100));
    const int row = combo ? combo->GetCurSel() : 0;
    if (row <= 0)
        return;
    CApiSettingsDlg dlg(row, this, &m_settings.m_tradingDefaults);
    // The table changed on OK, whatever becomes of the sheet: trading.dat follows at once.
    if (dlg.DoModal() == IDOK)
        m_settings.SaveTrading();
}

void CTradingOptionsPage::DoDataExchange(CDataExchange* dx)
{
    DDX_CBIndex(dx, 1100, m_nBroker);
    DDX_Text(dx, 1102, m_nStockShares);
    DDV_MinMaxInt(dx, m_nStockShares, 1, 1000000);
    DDX_Text(dx, 1103, m_nOptionContracts);
    DDV_MinMaxInt(dx, m_nOptionContracts, 1, 100000);
    DDX_Text(dx, 1104, m_nFuturesContracts);
    DDV_MinMaxInt(dx, m_nFuturesContracts, 1, 100000);
}

BOOL CTradingOptionsPage::OnApply()
{
    m_settings.m_nBroker = m_nBroker != 0 ? 1 : 0;
    m_settings.m_nStockShares = m_nStockShares;
    m_settings.m_nOptionContracts = m_nOptionContracts;
    m_settings.m_nFuturesContracts = m_nFuturesContracts;
    return CPropertyPage::OnApply();
}

CMiscOptionsPage::CMiscOptionsPage(CAppSettings& settings)
    : CPropertyPage(IDD_MISC_OPTIONS),
      m_bSaveAtOnce(settings.m_bSaveAtOnce),
      m_bViewExportData(settings.m_bViewExportData),
      m_bExtSession(settings.m_bExtSessionFormulas),
      m_bEmptyTemp(settings.m_bEmptyTemp),
      m_bOpenLastWorkspace(settings.m_bOpenLastWorkspace),
      m_nRecentListSize(settings.m_nRecentListSize),
      m_settings(settings)
{
}

void CMiscOptionsPage::DoDataExchange(CDataExchange* dx)
{
    DDX_Check(dx, 1110, m_bSaveAtOnce);
    DDX_Check(dx, 1111, m_bViewExportData);
    DDX_Check(dx, 1112, m_bExtSession);
    DDX_Check(dx, 1113, m_bEmptyTemp);
    DDX_Check(dx, 1114, m_bOpenLastWorkspace);
    DDX_Text(dx, 1115, m_nRecentListSize);
    DDV_MinMaxInt(dx, m_nRecentListSize, 1, 1000);
}

BOOL CMiscOptionsPage::OnApply()
{
    m_settings.m_bSaveAtOnce = m_bSaveAtOnce != 0;
    m_settings.m_bViewExportData = m_bViewExportData != 0;
    m_settings.m_bExtSessionFormulas = m_bExtSession != 0;
    m_settings.m_bEmptyTemp = m_bEmptyTemp != 0;
    m_settings.m_bOpenLastWorkspace = m_bOpenLastWorkspace != 0;
    m_settings.m_nRecentListSize = m_nRecentListSize;
    return CPropertyPage::OnApply();
}

bool RunPreferences(CAppSettings& settings, CWnd* owner)
{
    // The pages outlive the sheet that shows them.
    CTradingOptionsPage trading(settings);
    CMiscOptionsPage misc(settings);
    CEmailSettingsPage email(settings);
    CPreferencesSheet sheet("Preferences", owner);
    sheet.AddPage(&trading);
    sheet.AddPage(&misc);
    sheet.AddPage(&email);
    if (sheet.DoModal() != IDOK)
        return false;
    settings.SaveProfileNow();
    return true;
}
