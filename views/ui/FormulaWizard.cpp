#include "views/ui/FormulaWizard.h"

#include "alerts/CAlertSetup.h"
#include "alerts/ui/CTradeAlertSetupDlg.h"
#include "common/services/CAppSettings.h"

namespace {

// The wizard in a mode that collects symbols or a name and a formula.
bool RunWizard(CWnd* parent, int mode, CString& symbolsOrName, CString& formula)
{
    CTradeAlertSetupDlg dlg(nullptr, mode, parent);
    dlg.m_symbols = symbolsOrName;
    dlg.m_formula = formula;
    if (dlg.DoModal() != IDOK)
        return false;
    symbolsOrName = dlg.m_symbols;
    formula = dlg.m_formula;
    return true;
}

} // namespace

bool RunScreenerWizard(CWnd* parent, CString& symbols, CString& formula)
{
    return RunWizard(parent, kSetupScreener, symbols, formula);
}

bool RunCustomFieldWizard(CWnd* parent, CString& name, CString& formula)
{
    return RunWizard(parent, kSetupCustomField, name, formula);
}

bool RunCustomStudyWizard(CWnd* parent, CString& name, CString& formula)
{
    return RunWizard(parent, kSetupCustomStudy, name, formula);
}

bool RunFormulaWizard(CWnd* parent, CString& name, CString& formula)
{
    return RunWizard(parent, kSetupFormulaWizard, name, formula);
}

bool RunAlertWizard(CWnd* parent, const CString& symbol)
{
    CTradeAlertSetupDlg dlg(nullptr, kSetupAlert, parent);
    dlg.m_symbols = symbol;
    if (dlg.DoModal() != IDOK)
        return false;
    CreateAlertsFromSetup(dlg, nullptr);
    if (CAppSettings* settings = CAppSettings::Instance())
        settings->SaveAlerts();
    return true;
}
