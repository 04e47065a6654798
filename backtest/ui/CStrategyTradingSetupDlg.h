// "Strategy Trading Setup": a strategy traded live as a strategy alert, whose entry and
// exit are formula alerts with their orders, on one or more symbols, with an optional
// cap on round trips. The dialog edits a template alert; after OK its opener makes one
// strategy alert per symbol of the template's symbol text.
#pragma once

#include "alerts/CStrategyAlert.h"
#include "backtest/CStrategyDefinition.h"
#include "platform/ui/CDialog.h"

#include <memory>

class CStrategyTradingSetupDlg : public CDialog {
public:
    // alert: the strategy alert to edit (the dialog works on a copy), or null for a new one.
    CStrategyTradingSetupDlg(const CStrategyAlert* alert, CWnd* parent);
    ~CStrategyTradingSetupDlg() override;

    // After IDOK: the template, its symbol the upper-cased symbols text.
    const CStrategyAlert& GetTemplate() const { return *m_template; }
    CStrategyAlert& GetTemplate() { return *m_template; }
    // The fields as a strategy record.
    CStrategyDefinition ReadFields() const;
    // The record shown in the fields with new entry and exit alerts on its formulas.
    void ShowLibraryStrategy(const CStrategyDefinition& strategy);

    BOOL OnInitDialog() override;
    void OnOK() override;
    const CMessageMap& GetMessageMap() const override;

private:
    void ShowTemplate();
    void UpdateEnabling();
    void ShowMessage(const CString& text);
    void RunWizard(bool exit);

    void OnSymbolLists();
    void OnEntryWizard() { RunWizard(false); }
    void OnExitWizard() { RunWizard(true); }
    void OnBrowse();
    void OnSave();
    void OnClear();
    void OnCheckChanged();
    void OnHelp();
    void OnIntervalHelp();

    std::unique_ptr<CStrategyAlert> m_template;
};

// Installs the hook through which the alert windows run this dialog: on OK it makes the
// strategy alerts (with the edited alert's state) and gives true.
void InstallStrategyTradingSetup();
