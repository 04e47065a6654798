#include "alerts/CreateAlertsFromSetup.h"

#include "alerts/CAlertBook.h"
#include "alerts/CAlertSetup.h"
#include "alerts/CFormulaAlert.h"
#include "alerts/CPriceAlert.h"
#include "alerts/CStrategyAlert.h"
#include "alerts/IAlertHost.h"

#include <functional>
#include <memory>

namespace {

// Calls make(symbol) for every blank-separated, upper-cased symbol of the text; each
// alert is appended and activated. The alert lists are told once at the end.
int CreatePerSymbol(const CString& symbols, const CAlert* stateSource,
                    const std::function<std::unique_ptr<CAlert>(const CString&)>& make)
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
        std::unique_ptr<CAlert> alert = make(symbol);
        if (stateSource)
            alert->CopyStateFrom(stateSource);
        ++count;
        if (!book)
            continue;
        const AlertId id = book->Add(std::move(alert));
        book->WithAlert(id, [](CAlert& added) { added.Activate(); });
    }
    if (IAlertHost* host = GetAlertHost())
        host->AlertListsChanged(0, 0);
    return count;
}

} // namespace

int CreateAlertsFromSetup(const CAlertSetup& setup, const CAlert* stateSource)
{
    return CreatePerSymbol(setup.m_symbols, stateSource, [&](const CString& symbol) {
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
        return alert;
    });
}

int CreateStrategyAlertsFromSetup(const CStrategyAlert& templateAlert, const CString& symbols,
                                  const CAlert* stateSource)
{
    return CreatePerSymbol(symbols, stateSource, [&](const CString& symbol) -> std::unique_ptr<CAlert> {
        auto alert = std::make_unique<CStrategyAlert>(templateAlert);
        alert->m_symbol = symbol;
        if (CFormulaAlert* entry = alert->GetEntryAlert())
            entry->m_symbol = symbol;
        if (CFormulaAlert* exit = alert->GetExitAlert())
            exit->m_symbol = symbol;
        return alert;
    });
}

int FindAlertIndex(std::uint64_t alertId)
{
    const CAlertBook* book = CAlertBook::Instance();
    return book ? book->FindAlertIndex(alertId) : -1;
}
