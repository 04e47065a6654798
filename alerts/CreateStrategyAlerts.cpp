#include "alerts/CAlertBook.h"
#include "alerts/CFormulaAlert.h"
#include "alerts/CStrategyAlert.h"
#include "alerts/CreateAlertsFromSetup.h"

#include <memory>

int CreateStrategyAlertsFromSetup(const CStrategyAlert& templateAlert, const CString& symbols,
                                  const CAlert* stateSource)
{
    CAlertBook* book = CAlertBook::Instance();
    int count = 0;
    int pos = 0;
    for (;;) {
        CString symbol = symbols.Tokenize(" ", pos);
        if (pos < 0)
            break;
        if (symbol.IsEmpty())
            continue;
        symbol.MakeUpper();
        auto alert = std::make_unique<CStrategyAlert>(templateAlert);
        alert->m_symbol = symbol;
        if (CFormulaAlert* entry = alert->GetEntryAlert())
            entry->m_symbol = symbol;
        if (CFormulaAlert* exit = alert->GetExitAlert())
            exit->m_symbol = symbol;
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
