// What every formula listener and the timer share: owner, callback and compiled form, and
// the rule for notifying the owner.
#pragma once

class CCompiledFormula;
class CFormulaOwner;
class CSeriesListener;

class CFormulaListenerBase {
public:
    CFormulaListenerBase(CFormulaOwner* owner, CSeriesListener* callback, CCompiledFormula* form)
        : m_pOwner(owner), m_pCallback(callback), m_pForm(form)
    {
    }

protected:
    // Form missing or released.
    bool IsGone() const;
    // The owner is present and not triggered.
    bool OwnerArmed() const;
    // Evaluates for the latest bar and calls the owner's Fire when true; before the form is
    // resolved, leaves that to its EvaluateResolved. Call lock held.
    void EvaluateAndFire();

    CFormulaOwner* m_pOwner;
    CSeriesListener* m_pCallback;
    CCompiledFormula* m_pForm;
};
