#include "backtest/ui/CStrategyTradingSetupDlg.h"

#include "alerts/CFormulaAlert.h"
#include "alerts/CreateAlertsFromSetup.h"
#include "alerts/ui/CTradeAlertSetupDlg.h"
#include "alerts/ui/StrategyTradingSetupHook.h"
#include "backtest/ui/BacktestUiIds.h"
#include "backtest/ui/BacktestUiFiles.h"
#include "common/services/TextHelpers.h"
#include "platform/ui/CComboBox.h"

#include <cstdlib>

namespace {

std::unique_ptr<CFormulaAlert> FormulaAlertOn(const CString& expression)
{
    auto alert = std::make_unique<CFormulaAlert>(expression);
    alert->m_nType = kAlertFormula;
    return alert;
}

}  // namespace

CStrategyTradingSetupDlg::CStrategyTradingSetupDlg(const CStrategyAlert* alert, CWnd* parent)
    : CDialog(IDD_STRATEGY_TRADING_SETUP, parent),
      m_template(alert ? std::make_unique<CStrategyAlert>(*alert) : std::make_unique<CStrategyAlert>())
{
    if (alert)
        m_template->m_symbol = alert->m_symbol;
}

CStrategyTradingSetupDlg::~CStrategyTradingSetupDlg() = default;

BOOL CStrategyTradingSetupDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    FillStrategyIntervals(dynamic_cast<CComboBox*>(GetDlgItem(static_cast<int>(IDC_ST_INTERVAL))));
    SetDlgItemText(static_cast<int>(IDC_ST_SYMBOLS), m_template->m_symbol);
    ShowTemplate();
    return TRUE;
}

void CStrategyTradingSetupDlg::ShowTemplate()
{
    SetDlgItemText(static_cast<int>(IDC_ST_NAME), m_template->m_strategyName);
    SetDlgItemText(static_cast<int>(IDC_ST_ENTRY_NAME), m_template->m_entryFormula);
    SetDlgItemText(static_cast<int>(IDC_ST_EXIT_NAME), m_template->m_exitFormula);
    CheckDlgButton(static_cast<int>(IDC_ST_OVERRIDE), m_template->m_nOverrideInterval ? BST_CHECKED : BST_UNCHECKED);
    SetDlgItemText(static_cast<int>(IDC_ST_INTERVAL), m_template->m_interval);
    CheckDlgButton(static_cast<int>(IDC_ST_MAX_TRIPS), m_template->m_nIsMaxRoundTrips ? BST_CHECKED : BST_UNCHECKED);
    CString trips;
    trips.Format("%d", m_template->m_nNumRoundTrips);
    SetDlgItemText(static_cast<int>(IDC_ST_NUM_TRIPS), trips);
    UpdateEnabling();
}

void CStrategyTradingSetupDlg::UpdateEnabling()
{
    if (CWnd* trips = GetDlgItem(static_cast<int>(IDC_ST_NUM_TRIPS)))
        trips->EnableWindow(IsDlgButtonChecked(static_cast<int>(IDC_ST_MAX_TRIPS)) == BST_CHECKED);
    if (CWnd* interval = GetDlgItem(static_cast<int>(IDC_ST_INTERVAL)))
        interval->EnableWindow(IsDlgButtonChecked(static_cast<int>(IDC_ST_OVERRIDE)) == BST_CHECKED);
}

void CStrategyTradingSetupDlg::ShowMessage(const CString& text)
{
    MessageBox(text, nullptr, MB_OK);
}

CStrategyDefinition CStrategyTradingSetupDlg::ReadFields() const
{
    CStrategyDefinition s;
    s.m_name = GetDlgItemText(static_cast<int>(IDC_ST_NAME));
    s.m_entryName = GetDlgItemText(static_cast<int>(IDC_ST_ENTRY_NAME));
    s.m_exitName = GetDlgItemText(static_cast<int>(IDC_ST_EXIT_NAME));
    s.m_nOverrideInterval = IsDlgButtonChecked(static_cast<int>(IDC_ST_OVERRIDE)) == BST_CHECKED ? 1 : 0;
    CString interval = GetDlgItemText(static_cast<int>(IDC_ST_INTERVAL));
    interval.Trim();
    s.m_interval = PeriodNameToCode(interval);
    if (const CFormulaAlert* entry = m_template->GetEntryAlert())
        s.m_entryExpression = entry->GetFormulaText();
    if (const CFormulaAlert* exit = m_template->GetExitAlert())
        s.m_exitExpression = exit->GetFormulaText();
    return s;
}

namespace {

bool IsTradingRecordComplete(const CStrategyDefinition& s)
{
    return !s.m_name.IsEmpty() && !s.m_entryName.IsEmpty() && !s.m_entryExpression.IsEmpty() &&
           !s.m_exitName.IsEmpty() && !s.m_exitExpression.IsEmpty() &&
           (!s.m_nOverrideInterval || !s.m_interval.IsEmpty());
}

}  // namespace

void CStrategyTradingSetupDlg::RunWizard(bool exit)
{
    const CFormulaAlert* current = exit ? m_template->GetExitAlert() : m_template->GetEntryAlert();
    CTradeAlertSetupDlg wizard(current, kSetupAlertWizard, this);
    wizard.m_symbols = GetDlgItemText(static_cast<int>(exit ? IDC_ST_EXIT_NAME : IDC_ST_ENTRY_NAME));
    wizard.m_bExitAlert = exit ? 1 : 0;
    if (wizard.DoModal() != IDOK)
        return;
    auto alert = FormulaAlertOn(wizard.m_formula);
    alert->SetTradeInfo(wizard.m_bPlaceOrder ? &wizard.m_tradeInfo : nullptr);
    alert->m_soundFile = wizard.m_bPlaySound ? wizard.m_soundFile : CString();
    if (exit)
        m_template->SetExitAlert(std::move(alert));
    else
        m_template->SetEntryAlert(std::move(alert));
    SetDlgItemText(static_cast<int>(exit ? IDC_ST_EXIT_NAME : IDC_ST_ENTRY_NAME), wizard.m_symbols);
}

void CStrategyTradingSetupDlg::ShowLibraryStrategy(const CStrategyDefinition& s)
{
    SetDlgItemText(static_cast<int>(IDC_ST_NAME), s.m_name);
    SetDlgItemText(static_cast<int>(IDC_ST_ENTRY_NAME), s.m_entryName);
    SetDlgItemText(static_cast<int>(IDC_ST_EXIT_NAME), s.m_exitName);
    CheckDlgButton(static_cast<int>(IDC_ST_OVERRIDE), s.m_nOverrideInterval ? BST_CHECKED : BST_UNCHECKED);
    SetDlgItemText(static_cast<int>(IDC_ST_INTERVAL), s.m_interval);
    m_template->SetEntryAlert(FormulaAlertOn(s.m_entryExpression));
    m_template->SetExitAlert(FormulaAlertOn(s.m_exitExpression));
    UpdateEnabling();
}

void CStrategyTradingSetupDlg::OnBrowse()
{
    CString path;
    if (!ChooseStrategyToOpen(this, path))
        return;
    CStrategyDefinition record;
    CString error;
    if (!ReadStrategyFile(path, record, error, EStrategyFileReader::kTrading)) {
        ShowMessage(error);
        return;
    }
    ShowLibraryStrategy(record);
}

void CStrategyTradingSetupDlg::OnSave()
{
    const CStrategyDefinition record = ReadFields();
    if (!IsTradingRecordComplete(record)) {
        ShowMessage("Please fill out all fields");
        return;
    }
    CString path;
    if (!ChooseStrategyToSave(this, record.m_name, path))
        return;
    CString error;
    if (!WriteStrategyFile(path, record, error))
        ShowMessage(error);
}

void CStrategyTradingSetupDlg::OnClear()
{
    m_template->SetEntryAlert(nullptr);
    m_template->SetExitAlert(nullptr);
    m_template->m_strategyName.Empty();
    m_template->m_entryFormula.Empty();
    m_template->m_exitFormula.Empty();
    m_template->m_interval.Empty();
    m_template->m_nOverrideInterval = 0;
    ShowTemplate();
}

void CStrategyTradingSetupDlg::OnSymbolLists()
{
    CString symbols;
    if (ChooseSymbolList(this, symbols))
        SetDlgItemText(static_cast<int>(IDC_ST_SYMBOLS), symbols);
}

void CStrategyTradingSetupDlg::OnCheckChanged()
{
    UpdateEnabling();
}

void CStrategyTradingSetupDlg::OnHelp()
{
    OpenBacktestingDisclosure();
}

void CStrategyTradingSetupDlg::OnIntervalHelp()
{
    MessageBox("When \"Override Interval\" option is selected, the Interval parameter overrides all intervals within "
               "entry and exit formulas. For example, if formulas are referencing daily bars and the Interval "
               "parameter is set to 30, with the \"Override Interval\" box checked, then entry and exit conditions "
               "will be calculated using 30-minute bars instead of daily bars. This allows you to quickly setup a "
               "strategy on various timeframes by simply changing the Interval parameter instead of modifying the "
               "interval within entry and exit formulas.",
               "Override Interval Help", MB_OK);
}

void CStrategyTradingSetupDlg::OnOK()
{
    CString symbols = GetDlgItemText(static_cast<int>(IDC_ST_SYMBOLS));
    symbols.Trim();
    if (symbols.IsEmpty()) {
        ShowMessage("Please specify at least one symbol");
        if (CWnd* edit = GetDlgItem(static_cast<int>(IDC_ST_SYMBOLS)))
            edit->SetFocus();
        return;
    }
    const int maxTrips = IsDlgButtonChecked(static_cast<int>(IDC_ST_MAX_TRIPS)) == BST_CHECKED ? 1 : 0;
    CString tripsText = GetDlgItemText(static_cast<int>(IDC_ST_NUM_TRIPS));
    tripsText.Trim();
    char* end = nullptr;
    const long trips = std::strtol(tripsText, &end, 10);
    if (tripsText.IsEmpty() || !end || *end != '\0' || trips < 0 || trips > 1000000) {
        ShowMessage("Please enter an integer.");
        return;
    }
    const CStrategyDefinition record = ReadFields();
    if (!IsTradingRecordComplete(record)) {
        ShowMessage("Please fill out all fields");
        return;
    }
    if (!m_template->GetEntryAlert()) {
        ShowMessage("Please setup an Entry Alert");
        return;
    }
    if (!m_template->GetExitAlert()) {
        ShowMessage("Please setup an Exit Alert");
        return;
    }
    symbols.MakeUpper();
    m_template->m_symbol = symbols;
    m_template->m_strategyName = record.m_name;
    m_template->m_entryFormula = record.m_entryName;
    m_template->m_exitFormula = record.m_exitName;
    m_template->m_nIsMaxRoundTrips = maxTrips;
    m_template->m_nNumRoundTrips = static_cast<int>(trips);
    m_template->m_nOverrideInterval = record.m_nOverrideInterval;
    m_template->m_interval = record.m_interval;
    EndDialog(IDOK);
}

const CMessageMap& CStrategyTradingSetupDlg::GetMessageMap() const
{
    static const CMessageMap map = MessageMapFor<CStrategyTradingSetupDlg>(CDialog::GetMessageMap())
                                       .Command(IDC_ST_SYMBOL_LISTS, &CStrategyTradingSetupDlg::OnSymbolLists)
                                       .Command(IDC_ST_ENTRY_WIZARD, &CStrategyTradingSetupDlg::OnEntryWizard)
                                       .Command(IDC_ST_EXIT_WIZARD, &CStrategyTradingSetupDlg::OnExitWizard)
                                       .Command(IDC_ST_BROWSE, &CStrategyTradingSetupDlg::OnBrowse)
                                       .Command(IDC_ST_SAVE, &CStrategyTradingSetupDlg::OnSave)
                                       .Command(IDC_ST_CLEAR, &CStrategyTradingSetupDlg::OnClear)
                                       .Command(IDC_ST_MAX_TRIPS, &CStrategyTradingSetupDlg::OnCheckChanged)
                                       .Command(IDC_ST_OVERRIDE, &CStrategyTradingSetupDlg::OnCheckChanged)
                                       .Command(IDC_ST_HELP, &CStrategyTradingSetupDlg::OnHelp)
                                       .Command(IDC_ST_INTERVAL_HELP, &CStrategyTradingSetupDlg::OnIntervalHelp)
                                       .Build();
    return map;
}

void InstallStrategyTradingSetup()
{
    SetStrategyTradingSetupHook([](CWnd* parent, CStrategyAlert* editedAlert) {
        CStrategyTradingSetupDlg dialog(editedAlert, parent);
        if (dialog.DoModal() != IDOK)
            return false;
        CreateStrategyAlertsFromSetup(dialog.GetTemplate(), dialog.GetTemplate().m_symbol, editedAlert);
        return true;
    });
}
