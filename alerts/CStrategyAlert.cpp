#include "alerts/CStrategyAlert.h"

#include "alerts/CAlertTradeInfo.h"
#include "analytics/formula/CFormula.h"
#include "analytics/formula/FormulaNames.h"
#include "broker/session/QuoteFields.h"
#include "common/services/TextHelpers.h"
#include "platform/core/XmlHelpers.h"

CStrategyAlert::CStrategyAlert() : CAlert(kAlertStrategy) {}

CStrategyAlert::CStrategyAlert(const CStrategyAlert& other)
    : CAlert(other), m_nIsMaxRoundTrips(other.m_nIsMaxRoundTrips), m_nNumRoundTrips(other.m_nNumRoundTrips),
      m_strategyName(other.m_strategyName), m_entryFormula(other.m_entryFormula), m_exitFormula(other.m_exitFormula),
      m_nOverrideInterval(other.m_nOverrideInterval), m_interval(other.m_interval)
{
    if (other.m_pEntry)
        SetEntryAlert(std::make_unique<CFormulaAlert>(*other.m_pEntry));
    if (other.m_pExit)
        SetExitAlert(std::make_unique<CFormulaAlert>(*other.m_pExit));
}

CStrategyAlert::~CStrategyAlert()
{
    // Both stop firing before either goes: a firing of one reads the other through the gate.
    if (m_pEntry)
        m_pEntry->StopFiring();
    if (m_pExit)
        m_pExit->StopFiring();
    m_pEntry.reset();
    m_pExit.reset();
    CloseQuoteHandle();
}

const CAlert* CStrategyAlert::CurrentLegAlert() const
{
    if (!m_pEntry || !m_pExit)
        return nullptr;
    if (m_pEntry->m_nNumTriggered != m_pExit->m_nNumTriggered)
        return m_pExit.get();
    return m_pEntry.get();
}

void CStrategyAlert::GetOrderText(CString& text, int trigger) const
{
    text.Empty();
    if (const CAlert* alert = CurrentLegAlert())
        alert->GetOrderText(text, trigger);
}

void CStrategyAlert::GetAccountText(CString& text) const
{
    text.Empty();
    if (const CAlert* alert = CurrentLegAlert())
        alert->GetAccountText(text);
}

void CStrategyAlert::GetConditionText(CString& text) const
{
    text = m_strategyName;
}

void CStrategyAlert::Activate()
{
    CAlert::Activate();
    if (m_pEntry)
        m_pEntry->Activate();
    if (m_pExit)
        m_pExit->Activate();
}

void CStrategyAlert::ResetTriggers()
{
    CAlert::ResetTriggers();
    m_nNumTriggered = 0;
    if (m_pEntry)
        m_pEntry->ResetTriggers();
    if (m_pExit)
        m_pExit->ResetTriggers();
}

void CStrategyAlert::CopyStateFrom(const CAlert* other)
{
    const auto* source = dynamic_cast<const CStrategyAlert*>(other);
    if (!source || source == this || source->m_nType != kAlertStrategy)
        return;
    CAlert::CopyStateFrom(other);
    m_nNumTriggered = source->m_nNumTriggered.load();
    if (m_pEntry)
        m_pEntry->CopyStateFrom(source->m_pEntry.get());
    if (m_pExit)
        m_pExit->CopyStateFrom(source->m_pExit.get());
}

void CStrategyAlert::TypeXml(CString& text) const
{
    text.Format("<IsMaxRoundTrips>%d</IsMaxRoundTrips>\r\n<NumRoundTrips>%d</NumRoundTrips>\r\n"
                "<NumTriggered>%d</NumTriggered>\r\n<OverrideInterval>%d</OverrideInterval>\r\n",
                m_nIsMaxRoundTrips, m_nNumRoundTrips, m_nNumTriggered.load(), m_nOverrideInterval);
    text += "<StrategyName>" + MakeCData(m_strategyName) + "</StrategyName>\r\n";
    text += "<EntryFormula>" + MakeCData(m_entryFormula) + "</EntryFormula>\r\n";
    text += "<ExitFormula>" + MakeCData(m_exitFormula) + "</ExitFormula>\r\n";
    text += "<Interval>" + EscapeAlertText(m_interval) + "</Interval>\r\n";
    CString sub;
    if (m_pEntry) {
        m_pEntry->ToXml(sub);
        text += "<Entry>\r\n" + sub + "</Entry>\r\n";
    }
    if (m_pExit) {
        m_pExit->ToXml(sub);
        text += "<Exit>\r\n" + sub + "</Exit>\r\n";
    }
}

void CStrategyAlert::FromXml(const TiXmlElement* element)
{
    CAlert::FromXml(element);
    if (!element)
        return;
    ReadAlertInt(element, "IsMaxRoundTrips", m_nIsMaxRoundTrips);
    ReadAlertInt(element, "NumRoundTrips", m_nNumRoundTrips);
    ReadAlertText(element, "StrategyName", m_strategyName);
    ReadAlertText(element, "EntryFormula", m_entryFormula);
    ReadAlertText(element, "ExitFormula", m_exitFormula);
    ReadAlertInt(element, "OverrideInterval", m_nOverrideInterval);
    ReadAlertText(element, "Interval", m_interval);
    int count = 0;
    if (ReadAlertInt(element, "NumTriggered", count))
        m_nNumTriggered = count;
    const auto readSub = [](const TiXmlElement* holder) -> std::unique_ptr<CFormulaAlert> {
        const TiXmlElement* alert = holder ? FindChildNoCase(holder, "Alert", true) : nullptr;
        if (!alert)
            return nullptr;
        auto sub = std::make_unique<CFormulaAlert>();
        sub->FromXml(alert);
        return sub;
    };
    if (auto entry = readSub(FindAlertChild(element, "Entry")))
        SetEntryAlert(std::move(entry));
    if (auto exit = readSub(FindAlertChild(element, "Exit")))
        SetExitAlert(std::move(exit));
}

bool CStrategyAlert::AllowFire(CFormulaAlert& alert)
{
    CFormulaAlert* exitToTell = nullptr;
    {
        std::lock_guard<std::mutex> lock(m_gateLock);
        if (m_bPaused)
            return false;
        if (m_nIsMaxRoundTrips && m_nNumTriggered >= m_nNumRoundTrips)
            return false;
        const int entries = m_pEntry ? m_pEntry->m_nNumTriggered.load() : 0;
        const int exits = m_pExit ? m_pExit->m_nNumTriggered.load() : 0;
        if (&alert == m_pEntry.get()) {
            if (entries > exits)
                return false;  // a position is open
        } else if (&alert == m_pExit.get()) {
            if (entries <= exits)
                return false;  // no position to close
            ++m_nNumTriggered;
        } else {
            return false;  // not one of ours
        }
        if (&alert == m_pEntry.get() && m_pExit) {
            m_pExit->ComputeEntry(alert, 1);
            exitToTell = m_pExit.get();
        }
        double last = 0;
        ReadQuoteField(kFieldLast, last);
        SetHistory({{ExchangeDateText(), last}});
    }
    // The exit formula's own lock is taken outside the gate: the exit may be firing.
    if (exitToTell)
        exitToTell->PushEntryInputs();
    return true;
}

void CStrategyAlert::PassEntryQuantity(int quantity, const CAlert* alert)
{
    if (!alert || alert != m_pEntry.get() || !m_pExit)
        return;
    m_pExit->SetEntryQuantity(quantity);
    if (quantity != 0) {
        m_pExit->m_nEntryShares = quantity;
        if (CFormula* formula = m_pExit->GetFormula())
            formula->SetTradeValue(quantity, kTradeEntryShares);
    }
}

void CStrategyAlert::SetEntryAlert(std::unique_ptr<CFormulaAlert> alert)
{
    m_pEntry = std::move(alert);
    if (m_pEntry)
        m_pEntry->SetOwner(this);
}

void CStrategyAlert::SetExitAlert(std::unique_ptr<CFormulaAlert> alert)
{
    m_pExit = std::move(alert);
    if (m_pExit)
        m_pExit->SetOwner(this);
}
