// A formula of the formula language on the symbol: the formula engine calls Fire when it
// turns true. Standalone it fires once unless the formula reads its own trigger count;
// as the entry or exit alert of a strategy it fires whenever the strategy lets it.
#pragma once

#include "alerts/CAlert.h"

#include <atomic>
#include <memory>

class CFormula;

class CFormulaAlert : public CAlert {
public:
    // No formula text: no formula.
    explicit CFormulaAlert(const char* formula = nullptr);
    // The trigger state, counters and owner start empty; the formula is built anew.
    CFormulaAlert(const CFormulaAlert& other);
    // Deletes the formula first: once it is gone the engine calls no more.
    ~CFormulaAlert() override;
    // Deletes the formula, waiting for a firing under way: the engine calls no more.
    void StopFiring();

    CStrategyAlert* GetOwner() const override { return m_pOwner; }
    void GetConditionText(CString& text) const override;
    void Activate() override;
    void Fire() override;
    void ResetTriggers() override;
    void CopyStateFrom(const CAlert* other) override;
    void TypeXml(CString& text) const override;
    void FromXml(const TiXmlElement* element) override;

    // Entry price, shares, date and time of a firing of `source` (the alert whose trade
    // info is placed), handed to the formula's trade inputs.
    void RecordEntry(const CAlert& source, int trigger);
    // The same without touching the formula; PushEntryInputs hands the values over.
    void ComputeEntry(const CAlert& source, int trigger);
    void PushEntryInputs();

    // Replaces the formula by a new, not yet registered one (none for empty text).
    void SetFormulaText(const char* text);
    CString GetFormulaText() const;
    CFormula* GetFormula() const { return m_pFormula.get(); }
    void SetOwner(CStrategyAlert* owner) { m_pOwner = owner; }

    std::atomic<int> m_nNumTriggered{0};
    std::atomic<double> m_entryPrice{0};
    std::atomic<int> m_nEntryShares{0};
    std::atomic<int> m_nEntryDate{0};  // year * 10000 + month * 100 + day
    std::atomic<int> m_nEntryTime{0};  // calendar time of the exchange date and time

private:
    std::unique_ptr<CFormula> m_pFormula;
    CStrategyAlert* m_pOwner = nullptr;
};
