#include "alerts/CAlertSetup.h"

#include "alerts/CFormulaAlert.h"
#include "alerts/CPriceAlert.h"
#include "analytics/formula/CFormula.h"

#include <memory>

CAlertSetup::CAlertSetup(const CAlert* alert, int mode) : m_nMode(mode)
{
    if (!alert)
        return;
    m_symbols = alert->m_symbol;
    m_nType = alert->m_nType == kAlertPrice ? kSetupTypeBasic : kSetupTypeAdvanced;
    if (const auto* price = dynamic_cast<const CPriceAlert*>(alert)) {
        m_nColumn = price->m_nColumn;
        m_nDirection = price->m_nDirection;
        m_target = price->m_target;
    } else if (const auto* formula = dynamic_cast<const CFormulaAlert*>(alert)) {
        m_formula = formula->GetFormulaText();
    }
    if (const CAlertTradeInfo* info = alert->GetTradeInfo()) {
        m_tradeInfo = *info;
        m_bPlaceOrder = 1;
    }
    m_soundFile = alert->m_soundFile;
    m_bPlaySound = m_soundFile.IsEmpty() ? 0 : 1;
}

bool ValidateFormulaText(const char* text, CString& error)
{
    CFormula formula(text, 0, 1, 0);
    error.Empty();
    return formula.Parse(error);
}
