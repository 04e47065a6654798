#include "alerts/ui/AlertEditing.h"

#include "alerts/CAlertBook.h"
#include "alerts/CStrategyAlert.h"
#include "alerts/IAlertHost.h"
#include "alerts/ui/CTradeAlertSetupDlg.h"
#include "alerts/ui/StrategyTradingSetupHook.h"
#include "platform/ui/CWinApp.h"

#include <memory>

bool EditAlert(AlertId id, bool reset, CWnd* parent)
{
    CAlertBook* book = CAlertBook::Instance();
    if (!book)
        return false;
    // What the dialog needs is copied while the alert is held; the dialog runs without it.
    std::unique_ptr<CStrategyAlert> strategy;
    std::unique_ptr<CTradeAlertSetupDlg> wizard;
    const bool found = book->WithAlert(id, [&](const CAlert& alert) {
        if (const auto* s = dynamic_cast<const CStrategyAlert*>(&alert); s && alert.m_nType == kAlertStrategy) {
            strategy = std::make_unique<CStrategyAlert>(*s);
            if (!reset)
                strategy->CopyStateFrom(s);
        } else {
            wizard = std::make_unique<CTradeAlertSetupDlg>(&alert, kSetupAlert, parent);
        }
    });
    if (!found)
        return false;
    if (strategy) {
        // The hook makes the new alerts from the copy, whose state they take over.
        if (!RunStrategyTradingSetup(parent, strategy.get()))
            return false;
        std::unique_ptr<CAlert> old = book->Remove(id);
        old.reset();
        if (IAlertHost* host = GetAlertHost())
            host->AlertListsChanged(0, 0);
        return true;
    }
    if (wizard->DoModal() != IDOK)
        return false;
    std::unique_ptr<CAlert> old = book->Remove(id);
    if (!old && !reset) {
        const char* text = "Alert is no longer valid since it has been edited or deleted.";
        if (parent)
            parent->MessageBox(text, nullptr, MB_OK);
        else
            AfxMessageBox(text, MB_OK);
        return false;
    }
    if (reset)
        old.reset();
    CreateAlertsFromSetup(*wizard, reset ? nullptr : old.get());
    return true;
}
