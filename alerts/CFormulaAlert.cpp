#include "alerts/CFormulaAlert.h"

#include "alerts/CAlertTradeInfo.h"
#include "alerts/CStrategyAlert.h"
#include "analytics/formula/CFormula.h"
#include "analytics/formula/FormulaNames.h"
#include "broker/core/FeedTime.h"
#include "broker/session/QuoteFields.h"
#include "common/services/CAppSettings.h"
#include "common/services/TextHelpers.h"

namespace {

std::unique_ptr<CFormula> MakeAlertFormula(const char* text)
{
    if (!text || !*text)
        return nullptr;
    return std::make_unique<CFormula>(text, 0, 1, 0);
}

} // namespace

CFormulaAlert::CFormulaAlert(const char* formula) : CAlert(kAlertFormula), m_pFormula(MakeAlertFormula(formula)) {}

CFormulaAlert::CFormulaAlert(const CFormulaAlert& other) : CAlert(other)
{
    m_nType = kAlertFormula;
    if (other.m_pFormula)
        m_pFormula = MakeAlertFormula(other.m_pFormula->GetText());
}

CFormulaAlert::~CFormulaAlert()
{
    StopFiring();
    CloseQuoteHandle();
}

void CFormulaAlert::StopFiring()
{
    // The formula's destructor waits for a firing under way and lets no later one start;
    // only then is the pointer, which a firing reads, let go.
    if (CFormula* formula = m_pFormula.get()) {
        delete formula;
        (void)m_pFormula.release();
    }
}

void CFormulaAlert::GetConditionText(CString& text) const
{
    text = GetFormulaText();
    text.Remove('\r');
    text.Remove('\n');
}

void CFormulaAlert::Activate()
{
    CAlert::Activate();
    if (!m_pFormula)
        return;
    CString error;
    if (!m_pFormula->Parse(error))
        return;  // never registered, never fires
    m_pFormula->SetNumTriggered(m_nNumTriggered);
    PushEntryInputs();
    const bool overrideInterval = m_pOwner && m_pOwner->m_nOverrideInterval;
    const CString interval = overrideInterval ? m_pOwner->m_interval : CString();
    const CAppSettings* settings = CAppSettings::Instance();
    const int extended = settings && settings->m_bExtSessionFormulas ? 1 : 0;
    m_pFormula->Subscribe(m_symbol, extended, this, nullptr, interval, 0, m_pOwner ? m_pOwner->m_nOverrideInterval : 0);
}

void CFormulaAlert::Fire()
{
    if (m_bPaused || !AlertHoursOpen())
        return;
    if (m_pOwner && !m_pOwner->AllowFire(*this))
        return;
    const int trigger = m_pOwner ? 1 : m_nNumTriggered + 1;
    RecordEntry(*this, trigger);
    const int count = ++m_nNumTriggered;
    const int triggered = m_pFormula ? m_pFormula->SetNumTriggered(count) : 1;
    m_bIsTriggered = m_pOwner ? 0 : triggered;
    const CString date = ExchangeDateText();
    const double price = m_entryPrice;
    InsertHistory({date, price});
    Deliver(price, trigger, date);
}

void CFormulaAlert::ResetTriggers()
{
    CAlert::ResetTriggers();
    m_nNumTriggered = 0;
    m_entryPrice = 0;
    m_nEntryShares = 0;
    m_nEntryDate = 0;
    m_nEntryTime = 0;
    if (m_pFormula) {
        m_pFormula->SetNumTriggered(0);
        PushEntryInputs();
    }
}

void CFormulaAlert::CopyStateFrom(const CAlert* other)
{
    const auto* source = dynamic_cast<const CFormulaAlert*>(other);
    if (!source || source == this || source->m_nType != kAlertFormula)
        return;
    CAlert::CopyStateFrom(other);
    m_nNumTriggered = source->m_nNumTriggered.load();
    m_entryPrice = source->m_entryPrice.load();
    m_nEntryShares = source->m_nEntryShares.load();
    m_nEntryDate = source->m_nEntryDate.load();
    m_nEntryTime = source->m_nEntryTime.load();
    if (m_pFormula) {
        m_pFormula->SetNumTriggered(m_nNumTriggered);
        PushEntryInputs();
    }
}

void CFormulaAlert::TypeXml(CString& text) const
{
    text = "<FormulaExp>" + MakeCData(GetFormulaText()) + "</FormulaExp>\r\n";
    text.AppendFormat("<NumTriggered>%d</NumTriggered>\r\n<EntryPrice>%lf</EntryPrice>\r\n"
                      "<EntryShares>%d</EntryShares>\r\n<EntryDate>%d</EntryDate>\r\n<EntryTime>%d</EntryTime>\r\n",
                      m_nNumTriggered.load(), m_entryPrice.load(), m_nEntryShares.load(), m_nEntryDate.load(),
                      m_nEntryTime.load());
}

void CFormulaAlert::FromXml(const TiXmlElement* element)
{
    CAlert::FromXml(element);
    if (!element)
        return;
    CString text;
    if (ReadAlertText(element, "FormulaExp", text))
        SetFormulaText(text);
    int number = 0;
    double value = 0;
    if (ReadAlertInt(element, "NumTriggered", number))
        m_nNumTriggered = number;
    if (ReadAlertDouble(element, "EntryPrice", value))
        m_entryPrice = value;
    if (ReadAlertInt(element, "EntryShares", number))
        m_nEntryShares = number;
    if (ReadAlertInt(element, "EntryDate", number))
        m_nEntryDate = number;
    if (ReadAlertInt(element, "EntryTime", number))
        m_nEntryTime = number;
}

void CFormulaAlert::RecordEntry(const CAlert& source, int trigger)
{
    ComputeEntry(source, trigger);
    PushEntryInputs();
}

void CFormulaAlert::ComputeEntry(const CAlert& source, int trigger)
{
    double price = 0;
    int shares = 0;
    if (const std::unique_ptr<CAlertTradeInfo> info = source.CopyTradeInfo()) {
        const int legs = info->GetLegCount();
        for (int i = 0; i < legs; ++i) {
            double offset = 0;
            const int action = info->GetLegAction(i, trigger);
            const int selection = info->GetLegOffset(i, trigger, offset);
            int quantity = 0;
            double legPrice = 0;
            source.GetLegPrice(i, action, selection, offset, quantity, legPrice);
            if (i == 0) {
                price = legPrice;
                shares = quantity;
            }
        }
    }
    if (price == 0)
        ReadQuoteField(kFieldLast, price);
    SYSTEMTIME st{};
    GetAlertExchangeTime(st);
    m_entryPrice = price;
    m_nEntryShares = shares;
    m_nEntryDate = MakeDateNumber(st.wYear, st.wMonth, st.wDay);
    m_nEntryTime = static_cast<int>(MakeCTime(st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond).GetTime());
}

void CFormulaAlert::PushEntryInputs()
{
    if (!m_pFormula)
        return;
    m_pFormula->SetTradeValue(m_entryPrice, kTradeEntryPrice);
    m_pFormula->SetTradeValue(m_nEntryShares, kTradeEntryShares);
    m_pFormula->SetTradeValue(m_nEntryDate, kTradeEntryDate);
    m_pFormula->SetTradeValue(m_nEntryTime, kTradeEntryTime);
}

void CFormulaAlert::SetFormulaText(const char* text)
{
    m_pFormula = MakeAlertFormula(text);
}

CString CFormulaAlert::GetFormulaText() const
{
    return m_pFormula ? m_pFormula->GetText() : CString();
}
