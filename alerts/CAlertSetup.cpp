#include "alerts/CAlertSetup.h"

#include "alerts/CAlertBook.h"
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

int CreateAlertsFromSetup(const CAlertSetup& setup, const CAlert* stateSource)
{
    CAlertBook* book = CAlertBook::Instance();
    int count = 0;
    int pos = 0;
    for (;;) {
        CString symbol = setup.m_symbols.Tokenize(" ", pos);
        if (pos < 0)
            break;
        if (symbol.IsEmpty())
            continue;
        symbol.MakeUpper();
        std::unique_ptr<CAlert> alert;
        if (setup.m_nType != kSetupTypeBasic) {
            alert = std::make_unique<CFormulaAlert>(setup.m_formula);
        } else {
            auto price = std::make_unique<CPriceAlert>();
            price->m_nColumn = setup.m_nColumn;
            price->m_nDirection = setup.m_nDirection;
            price->m_target = setup.m_target;
            alert = std::move(price);
        }
        alert->m_nType = setup.m_nType == kSetupTypeBasic ? kAlertPrice : kAlertFormula;
        alert->m_symbol = symbol;
        alert->SetTradeInfo(setup.m_bPlaceOrder ? &setup.m_tradeInfo : nullptr);
        alert->m_soundFile = setup.m_bPlaySound ? setup.m_soundFile : CString();
        if (stateSource)
            alert->CopyStateFrom(stateSource);
        ++count;
        if (!book)
            continue;
        CAlert* added = alert.get();
        book->m_alerts.push_back(std::move(alert));
        added->Activate();
    }
    return count;
}

bool ValidateFormulaText(const char* text, CString& error)
{
    CFormula formula(text, 0, 1, 0);
    error.Empty();
    return formula.Parse(error);
}
