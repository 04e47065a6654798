#include "backtest/ui/CStrategySetupDlg.h"

#include "alerts/ui/CTradeAlertSetupDlg.h"
#include "analytics/series/ISeriesServices.h"
#include "backtest/StrategySetupInput.h"
#include "backtest/ui/BacktestUiIds.h"
#include "backtest/ui/BacktestUiFiles.h"
#include "broker/core/FeedTime.h"
#include "broker/core/Formatters.h"
#include "common/services/TextHelpers.h"
#include "common/windows/CMonthCalDlg.h"
#include "platform/ui/CComboBox.h"
#include "platform/ui/CDataExchange.h"
#include "platform/ui/CEdit.h"

#include <cstdlib>

namespace {

constexpr const char* kPriceTypes[] = {"High", "Low", "Open", "Close"};

CComboBox* Combo(const CWnd& dialog, UINT id)
{
    return dynamic_cast<CComboBox*>(dialog.GetDlgItem(static_cast<int>(id)));
}

void Fill(CComboBox* combo, std::initializer_list<const char*> items)
{
    if (!combo)
        return;
    combo->ResetContent();
    for (const char* item : items)
        combo->AddString(item);
}

// Selects the item of exactly that text (none when absent).
void SelectText(const CWnd& dialog, UINT id, const CString& text)
{
    if (CComboBox* combo = Combo(dialog, id))
        combo->SetCurSel(combo->FindStringExact(-1, text));
}

CString SelectedText(const CWnd& dialog, UINT id)
{
    const CComboBox* combo = Combo(dialog, id);
    if (!combo || combo->GetCurSel() < 0)
        return CString();
    CString text;
    combo->GetLBText(combo->GetCurSel(), text);
    return text;
}

CString Number(int value, const char* format)
{
    CString text;
    text.Format(format, value);
    return text;
}

CDateFieldsInput ReadDate(const CWnd& dialog, UINT month, UINT day, UINT year, UINT hour, UINT minute)
{
    CDateFieldsInput input;
    const CComboBox* combo = Combo(dialog, month);
    input.monthSel = combo ? combo->GetCurSel() : -1;
    input.monthText = dialog.GetDlgItemText(static_cast<int>(month));
    input.day = dialog.GetDlgItemText(static_cast<int>(day));
    input.year = dialog.GetDlgItemText(static_cast<int>(year));
    input.hour = dialog.GetDlgItemText(static_cast<int>(hour));
    input.minute = dialog.GetDlgItemText(static_cast<int>(minute));
    return input;
}

}  // namespace

CStrategySetupDlg::CStrategySetupDlg(const CStrategySetup* job, bool chartMode, CWnd* parent)
    : CDialog(IDD_STRATEGY_SETUP, parent), m_bChartMode(chartMode),
      m_shown(job ? *job : DefaultStrategyJob(GetSeriesServices().GetExchangeTime()))
{
}

CStrategySetupDlg::~CStrategySetupDlg() = default;

void CStrategySetupDlg::DoDataExchange(CDataExchange* dx)
{
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, static_cast<int>(IDC_SS_LIST), m_list);
}

BOOL CStrategySetupDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    if (m_bChartMode)
        for (UINT id : {IDC_SS_SYMBOL_LISTS, IDC_SS_SYMBOLS_LABEL, IDC_SS_SYMBOLS})
            if (CWnd* control = GetDlgItem(static_cast<int>(id)))
                control->ShowWindow(SW_HIDE);
    for (UINT id : {IDC_SS_FROM_MONTH, IDC_SS_TO_MONTH})
        if (CComboBox* combo = Combo(*this, id)) {
            combo->ResetContent();
            for (const char* name : StrategySetupMonthNames())
                combo->AddString(name);
        }
    FillStrategyIntervals(Combo(*this, IDC_SS_INTERVAL));
    Fill(Combo(*this, IDC_SS_SIZING), {kSharesFlag, kAmountFlag});
    Fill(Combo(*this, IDC_SS_ENTRY_ACTION), {"Buy", "Sell Short"});
    Fill(Combo(*this, IDC_SS_EXIT_ACTION), {"Sell", "Buy to Cover"});
    for (UINT id : {IDC_SS_ENTRY_PRICE, IDC_SS_EXIT_PRICE})
        if (CComboBox* combo = Combo(*this, id)) {
            combo->ResetContent();
            for (const char* name : kPriceTypes)
                combo->AddString(name);
        }
    m_list.SetExtendedStyle(m_list.GetExtendedStyle() | LVS_EX_FULLROWSELECT);
    m_list.InsertColumn(0, "Strategy", LVCFMT_LEFT, 150);
    m_list.InsertColumn(1, "Entry Formula", LVCFMT_LEFT, 150);
    m_list.InsertColumn(2, "Exit Formula", LVCFMT_LEFT, 150);
    m_list.InsertColumn(3, "Interval", LVCFMT_LEFT, 50);
    ResetFields();
    ShowJob(m_shown);
    return m_presetSymbols.IsEmpty() ? TRUE : FALSE;  // FALSE: the symbols have the focus
}

void CStrategySetupDlg::ShowDate(UINT month, UINT day, UINT year, UINT hour, UINT minute, DWORD feedTime)
{
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    FeedTimeToDate(feedTime, y, mo, d);
    FeedTimeToTimeOfDay(feedTime, h, mi, s);
    if (CComboBox* combo = Combo(*this, month))
        combo->SetCurSel(mo - 1);
    SetDlgItemText(static_cast<int>(day), Number(d, "%d"));
    SetDlgItemText(static_cast<int>(year), Number(y, "%d"));
    SetDlgItemText(static_cast<int>(hour), Number(h, "%.2d"));
    SetDlgItemText(static_cast<int>(minute), Number(mi, "%.2d"));
}

void CStrategySetupDlg::ShowJob(const CStrategySetup& job)
{
    if (!m_presetSymbols.IsEmpty()) {
        SetDlgItemText(static_cast<int>(IDC_SS_SYMBOLS), m_presetSymbols);
        if (auto* symbols = dynamic_cast<CEdit*>(GetDlgItem(static_cast<int>(IDC_SS_SYMBOLS)))) {
            symbols->SetFocus();
            // The caret after the preset text: the keys typed next follow it.
            symbols->SetSel(m_presetSymbols.GetLength(), m_presetSymbols.GetLength());
        }
    } else {
        SetDlgItemText(static_cast<int>(IDC_SS_SYMBOLS), job.m_symbols);
    }
    CString comission;
    comission.Format("%.2f", job.m_comission);
    SetDlgItemText(static_cast<int>(IDC_SS_COMISSION), comission);
    ShowDate(IDC_SS_FROM_MONTH, IDC_SS_FROM_DAY, IDC_SS_FROM_YEAR, IDC_SS_FROM_HOUR, IDC_SS_FROM_MINUTE, job.m_startTime);
    DWORD end = job.m_endTime;
    if (job.m_nUntilNow) {
        const CTime now = GetSeriesServices().GetExchangeTime();
        end = DateTimeToFeedTime(now.GetYear(), now.GetMonth(), now.GetDay(), 23, 59, 59);
    }
    ShowDate(IDC_SS_TO_MONTH, IDC_SS_TO_DAY, IDC_SS_TO_YEAR, IDC_SS_TO_HOUR, IDC_SS_TO_MINUTE, end);
    for (int i = 0; i < job.GetStrategyCount(); ++i)
        AddEntry(job.GetStrategy(i));
    CheckDlgButton(static_cast<int>(IDC_SS_EXIT_AT_END), job.m_nExitAtEnd ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(static_cast<int>(IDC_SS_UNTIL_NOW), job.m_nUntilNow ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(static_cast<int>(IDC_SS_INTRADAY), job.m_nIntraday ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(static_cast<int>(IDC_SS_TSTOP), job.m_nTStop ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(static_cast<int>(IDC_SS_PORTFOLIO), job.m_nPortfolio ? BST_CHECKED : BST_UNCHECKED);
    SetDlgItemText(static_cast<int>(IDC_SS_MINUTE_BARS), Number(job.m_nMinuteBars, "%d"));
    SetDlgItemText(static_cast<int>(IDC_SS_TSTOP_TYPE), job.m_nTStopType ? "%" : "$");
    SetDlgItemText(static_cast<int>(IDC_SS_TSTOP_PARAM),
                   job.m_tStopParam != 0 ? FormatNumber(job.m_tStopParam, 0, 4) : CString());
    SetDlgItemText(static_cast<int>(IDC_SS_CAPITAL), FormatNumber(job.m_capital, 0, 2));
    UpdateEnabling();
}

void CStrategySetupDlg::UpdateEnabling()
{
    const auto enable = [this](UINT id, bool on) {
        if (CWnd* control = GetDlgItem(static_cast<int>(id)))
            control->EnableWindow(on);
    };
    enable(IDC_SS_MINUTE_BARS, IsDlgButtonChecked(static_cast<int>(IDC_SS_INTRADAY)) == BST_CHECKED);
    const bool stop = IsDlgButtonChecked(static_cast<int>(IDC_SS_TSTOP)) == BST_CHECKED;
    enable(IDC_SS_TSTOP_TYPE, stop);
    enable(IDC_SS_TSTOP_PARAM, stop);
    enable(IDC_SS_CAPITAL, IsDlgButtonChecked(static_cast<int>(IDC_SS_PORTFOLIO)) == BST_CHECKED);
}

void CStrategySetupDlg::ShowMessage(const CString& text)
{
    MessageBox(text, nullptr, MB_OK);
}

// The strategy fields.

CStrategyDefinition CStrategySetupDlg::ReadFields() const
{
    CStrategyDefinition s;
    s.m_name = GetDlgItemText(static_cast<int>(IDC_SS_NAME));
    s.m_entryName = GetDlgItemText(static_cast<int>(IDC_SS_ENTRY_NAME));
    s.m_exitName = GetDlgItemText(static_cast<int>(IDC_SS_EXIT_NAME));
    s.m_entryExpression = m_entryExpression;
    s.m_exitExpression = m_exitExpression;
    s.m_entryFlag = SelectedText(*this, IDC_SS_SIZING);
    s.m_entryAction = SelectedText(*this, IDC_SS_ENTRY_ACTION);
    s.m_exitAction = SelectedText(*this, IDC_SS_EXIT_ACTION);
    s.m_entryPriceType = SelectedText(*this, IDC_SS_ENTRY_PRICE);
    s.m_exitPriceType = SelectedText(*this, IDC_SS_EXIT_PRICE);
    CString interval = GetDlgItemText(static_cast<int>(IDC_SS_INTERVAL));
    interval.Trim();
    s.m_interval = PeriodNameToCode(interval);
    s.m_nOverrideInterval = IsDlgButtonChecked(static_cast<int>(IDC_SS_OVERRIDE)) == BST_CHECKED ? 1 : 0;
    s.m_nEntryQuantity = std::atoi(GetDlgItemText(static_cast<int>(IDC_SS_QUANTITY)));
    return s;
}

bool CStrategySetupDlg::ReadCheckedFields(CStrategyDefinition& record)
{
    record = ReadFields();
    const CString message = CheckStrategyRecord(record);
    if (message.IsEmpty())
        return true;
    ShowMessage(message);
    return false;
}

void CStrategySetupDlg::ShowRecord(const CStrategyDefinition& s)
{
    SetDlgItemText(static_cast<int>(IDC_SS_NAME), s.m_name);
    SetDlgItemText(static_cast<int>(IDC_SS_ENTRY_NAME), s.m_entryName);
    SetDlgItemText(static_cast<int>(IDC_SS_EXIT_NAME), s.m_exitName);
    SetDlgItemText(static_cast<int>(IDC_SS_QUANTITY), s.m_nEntryQuantity ? Number(s.m_nEntryQuantity, "%d") : CString());
    SelectText(*this, IDC_SS_SIZING, s.m_entryFlag);
    SelectText(*this, IDC_SS_ENTRY_ACTION, s.m_entryAction);
    SelectText(*this, IDC_SS_EXIT_ACTION, s.m_exitAction);
    SelectText(*this, IDC_SS_ENTRY_PRICE, s.m_entryPriceType);
    SelectText(*this, IDC_SS_EXIT_PRICE, s.m_exitPriceType);
    SetDlgItemText(static_cast<int>(IDC_SS_INTERVAL), s.m_interval);
    CheckDlgButton(static_cast<int>(IDC_SS_OVERRIDE), s.m_nOverrideInterval ? BST_CHECKED : BST_UNCHECKED);
    m_entryExpression = s.m_entryExpression;
    m_exitExpression = s.m_exitExpression;
}

void CStrategySetupDlg::ResetFields()
{
    CStrategyDefinition fresh;
    fresh.m_nEntryQuantity = 100;
    fresh.m_entryAction = "Buy";
    fresh.m_exitAction = "Sell";
    fresh.m_entryFlag = kSharesFlag;
    fresh.m_entryPriceType = "Close";
    fresh.m_exitPriceType = "Close";
    fresh.m_nOverrideInterval = 1;
    ShowRecord(fresh);
    SetDlgItemText(static_cast<int>(IDC_SS_INTERVAL), "Daily");
    m_nEditing = -1;
}

void CStrategySetupDlg::SetEntryTexts(int item, const CStrategyDefinition& s)
{
    m_list.SetItemText(item, 0, s.m_name);
    m_list.SetItemText(item, 1, s.m_entryName);
    m_list.SetItemText(item, 2, s.m_exitName);
    m_list.SetItemText(item, 3, s.m_interval);
}

void CStrategySetupDlg::AddEntry(const CStrategyDefinition& strategy)
{
    m_strategies.push_back(std::make_unique<CStrategyDefinition>(strategy));
    const int item = m_list.InsertItem(LVIF_PARAM, m_list.GetItemCount(), nullptr, 0, 0, -1,
                                       reinterpret_cast<LPARAM>(m_strategies.back().get()));
    SetEntryTexts(item, strategy);
}

bool CStrategySetupDlg::CommitEditing()
{
    if (m_nEditing < 0 || m_nEditing >= GetStrategyCount())
        return true;
    CStrategyDefinition record;
    if (!ReadCheckedFields(record))
        return false;
    CStrategyDefinition& entry = *m_strategies[static_cast<size_t>(m_nEditing)];
    if (!(entry == record)) {
        entry = record;
        SetEntryTexts(m_nEditing, record);
    }
    return true;
}

void CStrategySetupDlg::SelectEntry(int index)
{
    if (index >= 0 && index < GetStrategyCount()) {
        if (!CommitEditing())
            return;
        ShowRecord(*m_strategies[static_cast<size_t>(index)]);
        m_nEditing = index;
    } else if (m_nEditing >= 0) {
        if (CommitEditing())
            ResetFields();
    }
}

void CStrategySetupDlg::OnListClick(NMHDR* header, LRESULT* result)
{
    *result = 0;
    SelectEntry(reinterpret_cast<const NMITEMACTIVATE*>(header)->iItem);
}

void CStrategySetupDlg::OnAdd()
{
    if (m_bChartMode && GetStrategyCount() >= 1) {
        ShowMessage("Only one strategy is allowed in Charts backtesting");
        return;
    }
    CStrategyDefinition record;
    if (!ReadCheckedFields(record))
        return;
    AddEntry(record);
    ResetFields();
}

void CStrategySetupDlg::OnRemove()
{
    POSITION pos = m_list.GetFirstSelectedItemPosition();
    const int item = pos ? m_list.GetNextSelectedItem(pos) : -1;
    if (item < 0 || item >= GetStrategyCount()) {
        ShowMessage("Please select a strategy to remove");
        return;
    }
    m_list.DeleteItem(item);
    m_strategies.erase(m_strategies.begin() + item);
    m_nEditing = -1;
}

void CStrategySetupDlg::OnClear()
{
    if (CommitEditing())
        ResetFields();
}

void CStrategySetupDlg::RunWizard(bool exit)
{
    const UINT nameId = exit ? IDC_SS_EXIT_NAME : IDC_SS_ENTRY_NAME;
    CString& expression = exit ? m_exitExpression : m_entryExpression;
    CTradeAlertSetupDlg wizard(nullptr, kSetupFormulaWizard, this);
    wizard.m_symbols = GetDlgItemText(static_cast<int>(nameId));
    wizard.m_formula = expression;
    if (wizard.DoModal() != IDOK)
        return;
    expression = wizard.m_formula;
    SetDlgItemText(static_cast<int>(nameId), wizard.m_symbols);
}

void CStrategySetupDlg::OnBrowse()
{
    CString path;
    if (!ChooseStrategyToOpen(this, path))
        return;
    CStrategyDefinition record;
    CString error;
    if (!ReadStrategyFile(path, record, error, EStrategyFileReader::kSetup)) {
        ShowMessage(error);
        return;
    }
    if (!CommitEditing())
        return;
    ShowRecord(record);
    m_nEditing = -1;
}

void CStrategySetupDlg::OnSave()
{
    CStrategyDefinition record;
    if (!ReadCheckedFields(record))
        return;
    CString path;
    if (!ChooseStrategyToSave(this, record.m_name, path))
        return;
    CString error;
    if (!WriteStrategyFile(path, record, error))
        ShowMessage(error);
}

void CStrategySetupDlg::OnSymbolLists()
{
    CString symbols;
    if (ChooseSymbolList(this, symbols))
        SetDlgItemText(static_cast<int>(IDC_SS_SYMBOLS), symbols);
}

void CStrategySetupDlg::OnUntilNow()
{
    if (IsDlgButtonChecked(static_cast<int>(IDC_SS_UNTIL_NOW)) != BST_CHECKED)
        return;
    const CTime now = GetSeriesServices().GetExchangeTime();
    ShowDate(IDC_SS_TO_MONTH, IDC_SS_TO_DAY, IDC_SS_TO_YEAR, IDC_SS_TO_HOUR, IDC_SS_TO_MINUTE,
             DateTimeToFeedTime(now.GetYear(), now.GetMonth(), now.GetDay(), 23, 59, 0));
}

void CStrategySetupDlg::OnCheckChanged()
{
    UpdateEnabling();
}

void CStrategySetupDlg::OnStopType()
{
    SetDlgItemText(static_cast<int>(IDC_SS_TSTOP_TYPE),
                   GetDlgItemText(static_cast<int>(IDC_SS_TSTOP_TYPE)) == "%" ? "$" : "%");
    if (CWnd* edit = GetDlgItem(static_cast<int>(IDC_SS_TSTOP_PARAM)))
        edit->SetFocus();
}

void CStrategySetupDlg::OnCalendar(UINT id)
{
    const bool from = id == IDC_SS_FROM_CALENDAR;
    const UINT month = from ? IDC_SS_FROM_MONTH : IDC_SS_TO_MONTH;
    const UINT day = from ? IDC_SS_FROM_DAY : IDC_SS_TO_DAY;
    const UINT year = from ? IDC_SS_FROM_YEAR : IDC_SS_TO_YEAR;
    CDateFieldsInput input = ReadDate(*this, month, day, year, from ? IDC_SS_FROM_HOUR : IDC_SS_TO_HOUR,
                                      from ? IDC_SS_FROM_MINUTE : IDC_SS_TO_MINUTE);
    input.hour = "0";
    input.minute = "0";
    DWORD t = 0;
    CTime start = GetSeriesServices().GetExchangeTime();
    if (ReadDateFields(input, t).IsEmpty())
        start = FeedTimeToCTime(t);
    CRect placement;
    if (CWnd* button = GetDlgItem(static_cast<int>(id)))
        button->GetWindowRect(&placement);
    CMonthCalDlg calendar(this, start, &placement);
    if (calendar.DoModal() != IDOK)
        return;
    if (CComboBox* combo = Combo(*this, month))
        combo->SetCurSel(calendar.m_month - 1);
    SetDlgItemText(static_cast<int>(day), Number(calendar.m_day, "%d"));
    SetDlgItemText(static_cast<int>(year), Number(calendar.m_year, "%d"));
}

void CStrategySetupDlg::OnEntryAction()
{
    if (const CComboBox* entry = Combo(*this, IDC_SS_ENTRY_ACTION))
        if (CComboBox* exit = Combo(*this, IDC_SS_EXIT_ACTION))
            exit->SetCurSel(entry->GetCurSel());
}

void CStrategySetupDlg::OnExitAction()
{
    if (const CComboBox* exit = Combo(*this, IDC_SS_EXIT_ACTION))
        if (CComboBox* entry = Combo(*this, IDC_SS_ENTRY_ACTION))
            entry->SetCurSel(exit->GetCurSel());
}

void CStrategySetupDlg::OnHelp()
{
    OpenBacktestingDisclosure();
}

void CStrategySetupDlg::OnHelpButton(UINT id)
{
    if (id == IDC_SS_INTERVAL_HELP)
        MessageBox("The Interval setting determines how often the entry and exit conditions are tested.\n- If entry "
                   "and exit formulas are referencing a single interval, this parameter is usually set to the same "
                   "interval.\n- If entry and exit formulas are referencing multiple intervals, this parameter is "
                   "usually set to the shortest interval. For example, if formulas are referencing both 30 and 60 "
                   "minute intervals, the parameter would be set to 30.\n\nWhen \"Override Interval\" option is "
                   "selected, the Interval parameter overrides all intervals within entry and exit formulas. For "
                   "example, if formulas are referencing daily bars and the Interval parameter is set to 30, with "
                   "the \"Override Interval\" box checked, then entry and exit conditions will be calculated using "
                   "30-minute bars instead of daily bars. This allows you to quickly backtest a strategy on various "
                   "timeframes by simply changing the Interval parameter instead of modifying the interval within "
                   "entry and exit formulas.",
                   "Interval Help", MB_OK);
    else if (id == IDC_SS_INTRADAY_HELP)
        MessageBox("\"Detect intra-bar signals\" is an advanced option which can be used to test entry and exit "
                   "conditions inside the bar in addition to the close of the bar. For example, if this option is "
                   "selected when the strategy is referencing daily bars, entry and exit conditions will be tested "
                   "during the day in addition to the daily close.\n\n\"Test every N-minute bar\" parameter "
                   "determines how often the entry and exit conditions are tested inside each bar. For example, if "
                   "the strategy is referencing daily bars and you enter 1 minute, every 1-minute bar inside the "
                   "daily bar will be tested to detect potential entry and exit signals during the day.",
                   "Intra-bar Signals Help", MB_OK);
    else
        MessageBox("The \"Portfolio Backtesting\" option lets you test a list of symbols as part of a portfolio "
                   "instead of testing each symbol independently. In this mode, the backtester keeps track of "
                   "portfolio capital and skips any trades which require more cash than is currently available. If "
                   "several symbols produce simultaneous signals, the backtester picks trades based on the order "
                   "symbols were entered in the symbol list.",
                   "Portfolio Backtesting Help", MB_OK);
}

// "Backtest".

void CStrategySetupDlg::OnBacktest()
{
    if (!CommitEditing())
        return;
    CJobInput input;
    input.symbols = GetDlgItemText(static_cast<int>(IDC_SS_SYMBOLS));
    input.comission = GetDlgItemText(static_cast<int>(IDC_SS_COMISSION));
    input.from = ReadDate(*this, IDC_SS_FROM_MONTH, IDC_SS_FROM_DAY, IDC_SS_FROM_YEAR, IDC_SS_FROM_HOUR,
                          IDC_SS_FROM_MINUTE);
    input.to = ReadDate(*this, IDC_SS_TO_MONTH, IDC_SS_TO_DAY, IDC_SS_TO_YEAR, IDC_SS_TO_HOUR, IDC_SS_TO_MINUTE);
    input.exitAtEnd = IsDlgButtonChecked(static_cast<int>(IDC_SS_EXIT_AT_END)) == BST_CHECKED;
    input.untilNow = IsDlgButtonChecked(static_cast<int>(IDC_SS_UNTIL_NOW)) == BST_CHECKED;
    input.intraday = IsDlgButtonChecked(static_cast<int>(IDC_SS_INTRADAY)) == BST_CHECKED;
    input.minuteBars = GetDlgItemText(static_cast<int>(IDC_SS_MINUTE_BARS));
    input.tStop = IsDlgButtonChecked(static_cast<int>(IDC_SS_TSTOP)) == BST_CHECKED;
    input.tStopCaption = GetDlgItemText(static_cast<int>(IDC_SS_TSTOP_TYPE));
    input.tStopParam = GetDlgItemText(static_cast<int>(IDC_SS_TSTOP_PARAM));
    input.portfolio = IsDlgButtonChecked(static_cast<int>(IDC_SS_PORTFOLIO)) == BST_CHECKED;
    input.capital = GetDlgItemText(static_cast<int>(IDC_SS_CAPITAL));
    auto job = std::make_unique<CStrategySetup>(m_shown);
    job->RemoveAllStrategies();
    const CString message = ReadJobInput(input, *job);
    if (!message.IsEmpty()) {
        ShowMessage(message);
        return;
    }
    if (m_strategies.empty()) {
        const int answer = MessageBox("There are currently no strategies selected for testing. To add a strategy, "
                                      "click on \"Add for Testing\" button. Would you like to add a strategy?",
                                      nullptr, MB_YESNO);
        if (answer == IDYES)
            return;
        m_job.reset();
        EndDialog(IDOK);
        return;
    }
    for (const auto& s : m_strategies)
        job->AddStrategy(*s);
    if (const CString duplicate = job->FindDuplicateName(); !duplicate.IsEmpty()) {
        ShowMessage(DuplicateStrategyMessage(duplicate));
        return;
    }
    m_job = std::move(job);
    EndDialog(IDOK);
}

void CStrategySetupDlg::OnOK()
{
    OnBacktest();
}

void CStrategySetupDlg::OnCancel()
{
    m_strategies.clear();
    CDialog::OnCancel();
}

const CMessageMap& CStrategySetupDlg::GetMessageMap() const
{
    static const CMessageMap map =
        MessageMapFor<CStrategySetupDlg>(CDialog::GetMessageMap())
            .Command(IDC_SS_ADD, &CStrategySetupDlg::OnAdd)
            .Command(IDC_SS_REMOVE, &CStrategySetupDlg::OnRemove)
            .Command(IDC_SS_SAVE, &CStrategySetupDlg::OnSave)
            .Command(IDC_SS_CLEAR, &CStrategySetupDlg::OnClear)
            .Command(IDC_SS_BROWSE, &CStrategySetupDlg::OnBrowse)
            .Command(IDC_SS_SYMBOL_LISTS, &CStrategySetupDlg::OnSymbolLists)
            .Command(IDC_SS_ENTRY_WIZARD, &CStrategySetupDlg::OnEntryWizard)
            .Command(IDC_SS_EXIT_WIZARD, &CStrategySetupDlg::OnExitWizard)
            .Command(IDC_SS_UNTIL_NOW, &CStrategySetupDlg::OnUntilNow)
            .Command(IDC_SS_INTRADAY, &CStrategySetupDlg::OnCheckChanged)
            .Command(IDC_SS_TSTOP, &CStrategySetupDlg::OnCheckChanged)
            .Command(IDC_SS_PORTFOLIO, &CStrategySetupDlg::OnCheckChanged)
            .Command(IDC_SS_TSTOP_TYPE, &CStrategySetupDlg::OnStopType)
            .Command(IDC_SS_HELP, &CStrategySetupDlg::OnHelp)
            .CommandRange(IDC_SS_FROM_CALENDAR, IDC_SS_TO_CALENDAR, &CStrategySetupDlg::OnCalendar)
            .CommandRange(IDC_SS_INTERVAL_HELP, IDC_SS_PORTFOLIO_HELP, &CStrategySetupDlg::OnHelpButton)
            .Control(CBN_SELCHANGE, IDC_SS_ENTRY_ACTION, &CStrategySetupDlg::OnEntryAction)
            .Control(CBN_SELCHANGE, IDC_SS_EXIT_ACTION, &CStrategySetupDlg::OnExitAction)
            .Notify(NM_CLICK, IDC_SS_LIST, &CStrategySetupDlg::OnListClick)
            .Build();
    return map;
}
