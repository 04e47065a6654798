// "Strategy Setup": the symbols, the period, the options and the strategies of a backtest
// job, each strategy built in place with the formula wizard or taken from the strategy
// library. "Backtest" checks everything and builds the job, which the opener then runs
// (the backtest window) or keeps (a chart, which allows one strategy and no symbols).
#pragma once

#include "backtest/CStrategySetup.h"
#include "platform/ui/CDialog.h"
#include "platform/ui/CListCtrl.h"

#include <memory>
#include <vector>

class CStrategySetupDlg : public CDialog {
public:
    // job: the job shown at opening (null: the last 30 days up to now).
    CStrategySetupDlg(const CStrategySetup* job, bool chartMode, CWnd* parent);
    ~CStrategySetupDlg() override;

    // After IDOK: the job built, or null when the user chose to test nothing.
    std::unique_ptr<CStrategySetup> TakeJob() { return std::move(m_job); }
    int GetStrategyCount() const { return static_cast<int>(m_strategies.size()); }
    const CStrategyDefinition& GetStrategy(int i) const { return *m_strategies[static_cast<size_t>(i)]; }
    int GetEditedEntry() const { return m_nEditing; }

    // The fields as a record, and the record shown in them.
    CStrategyDefinition ReadFields() const;
    void ShowRecord(const CStrategyDefinition& strategy);
    // Empties the strategy fields to their defaults; no entry is under edit.
    void ResetFields();
    // The entry under edit takes the fields; false (after telling why) when they are
    // incomplete.
    bool CommitEditing();
    // Clicking a list entry (-1: beside them).
    void SelectEntry(int index);
    void OnAdd();
    void OnRemove();
    void OnBacktest();

    CString m_presetSymbols;
    // The formulas of the strategy in the fields (their names are shown).
    CString m_entryExpression;
    CString m_exitExpression;

    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    void DoDataExchange(CDataExchange* dx) override;
    const CMessageMap& GetMessageMap() const override;

private:
    void ShowJob(const CStrategySetup& job);
    void ShowDate(UINT month, UINT day, UINT year, UINT hour, UINT minute, DWORD feedTime);
    void AddEntry(const CStrategyDefinition& strategy);
    void SetEntryTexts(int item, const CStrategyDefinition& strategy);
    void UpdateEnabling();
    void ShowMessage(const CString& text);
    // The fields as a record; false, after telling why, when they are incomplete.
    bool ReadCheckedFields(CStrategyDefinition& record);

    void OnSymbolLists();
    void RunWizard(bool exit);
    void OnEntryWizard() { RunWizard(false); }
    void OnExitWizard() { RunWizard(true); }
    void OnBrowse();
    void OnSave();
    void OnClear();
    void OnUntilNow();
    void OnCheckChanged();
    void OnStopType();
    void OnCalendar(UINT id);
    void OnEntryAction();
    void OnExitAction();
    void OnHelp();
    void OnHelpButton(UINT id);
    void OnListClick(NMHDR* header, LRESULT* result);

    const bool m_bChartMode;
    CStrategySetup m_shown;  // the job the dialog opened with
    std::vector<std::unique_ptr<CStrategyDefinition>> m_strategies;
    int m_nEditing = -1;
    std::unique_ptr<CStrategySetup> m_job;
    CListCtrl m_list;
};
