#include "analytics/formula/CFormulaListenerBase.h"

#include "analytics/formula/CCompiledFormula.h"
#include "analytics/formula/CFormulaOwner.h"

bool CFormulaListenerBase::IsGone() const
{
    return !m_pForm || m_pForm->IsReleased();
}

bool CFormulaListenerBase::OwnerArmed() const
{
    return m_pOwner && m_pOwner->GetTriggerState() == 0;
}

void CFormulaListenerBase::EvaluateAndFire()
{
    // A change that comes while the form is being resolved is evaluated once it is.
    if (!m_pForm->IsCompiled()) {
        m_pForm->DeferEvaluation();
        return;
    }
    if (m_pForm->Evaluate(0, nullptr, 0, -1))
        m_pOwner->Fire();
}
