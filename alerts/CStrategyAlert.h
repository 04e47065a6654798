// A strategy on the symbol: an entry and an exit formula alert that open and close a
// position in turns, with a limit on round trips. Its own history holds the latest entry
// or exit only.
#pragma once

#include "alerts/CAlert.h"
#include "alerts/CFormulaAlert.h"

#include <atomic>
#include <memory>
#include <mutex>

class CStrategyAlert : public CAlert {
public:
    CStrategyAlert();
    // Settings, names and copies of the entry and exit alerts; no round trips yet.
    CStrategyAlert(const CStrategyAlert& other);
    ~CStrategyAlert() override;

    void GetOrderText(CString& text, int trigger) const override;
    void GetAccountText(CString& text) const override;
    void GetConditionText(CString& text) const override;
    void Activate() override;
    void ResetTriggers() override;
    void CopyStateFrom(const CAlert* other) override;
    void TypeXml(CString& text) const override;
    void FromXml(const TiXmlElement* element) override;

    // The gate of the entry and exit alerts (their firing threads): entries and exits
    // alternate, nothing while paused or after the round-trip limit.
    bool AllowFire(CFormulaAlert& alert);
    // The quantity of a placed entry order becomes the exit's "entry" quantity.
    void PassEntryQuantity(int quantity, const CAlert* alert);

    // The sub-alert becomes this strategy's (its owner set); null removes it.
    void SetEntryAlert(std::unique_ptr<CFormulaAlert> alert);
    void SetExitAlert(std::unique_ptr<CFormulaAlert> alert);
    CFormulaAlert* GetEntryAlert() const { return m_pEntry.get(); }
    CFormulaAlert* GetExitAlert() const { return m_pExit.get(); }

    int m_nIsMaxRoundTrips = 1;
    int m_nNumRoundTrips = 50;
    CString m_strategyName;
    CString m_entryFormula;  // names of the strategy's formulas
    CString m_exitFormula;
    int m_nOverrideInterval = 0;
    CString m_interval;
    std::atomic<int> m_nNumTriggered{0};  // round trips completed

private:
    // The sub-alert whose order is shown: the exit's while a position is open.
    const CAlert* CurrentLegAlert() const;

    std::unique_ptr<CFormulaAlert> m_pEntry;
    std::unique_ptr<CFormulaAlert> m_pExit;
    std::mutex m_gateLock;  // one gate decision at a time
};
