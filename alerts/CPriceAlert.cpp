#include "alerts/CPriceAlert.h"

#include "alerts/CPriceAlertListener.h"
#include "broker/session/CSymbolHandle.h"
#include "broker/session/QuoteFields.h"
#include "common/services/TextHelpers.h"

const char* PriceFieldName(int column)
{
    static const char* const kNames[] = {"Open",   "High",   "Low",      "Last",     "Yesterday Close", "Unused",
                                         "Bid",    "Ask",    "Best Bid", "Best Ask", "Volume",          "Open Interest"};
    return column >= 0 && column < 12 ? kNames[column] : "";
}

const char* PriceDirectionName(int direction)
{
    return direction == 0 ? ">=" : direction == 1 ? "<=" : "";
}

CPriceAlert::CPriceAlert() : CAlert(kAlertPrice) {}

CPriceAlert::CPriceAlert(const CPriceAlert& other)
    : CAlert(other), m_nColumn(other.m_nColumn), m_target(other.m_target), m_nDirection(other.m_nDirection)
{
}

CPriceAlert::~CPriceAlert()
{
    CloseQuoteHandle();
}

void CPriceAlert::GetConditionText(CString& text) const
{
    text.Format("%s %s %s", PriceFieldName(m_nColumn), PriceDirectionName(m_nDirection),
                FormatTrimmedDouble(m_target));
}

void CPriceAlert::Activate()
{
    OpenQuoteHandle(std::make_unique<CPriceAlertListener>(*this));
}

void CPriceAlert::Check(const CSymbolHandle& handle)
{
    if (m_bIsTriggered)
        return;
    double value = 0;
    if (!handle.GetField(m_nColumn, value))
        return;
    m_lastValue = value;
    const bool met = (m_nDirection == 0 && value >= m_target) || (m_nDirection == 1 && value <= m_target);
    if (met)
        Fire();
}

void CPriceAlert::Fire()
{
    if (m_bPaused || !AlertHoursOpen())
        return;
    m_bIsTriggered = 1;
    const CString date = ExchangeDateText();
    double price = 0;
    ReadQuoteField(kFieldLast, price);
    InsertHistory({date, price});
    Deliver(price, 1, date);
}

void CPriceAlert::TypeXml(CString& text) const
{
    text.Format("<Column>%d</Column>\r\n<Target>%lf</Target>\r\n<Direction>%d</Direction>\r\n", m_nColumn, m_target,
                m_nDirection);
}

void CPriceAlert::FromXml(const TiXmlElement* element)
{
    CAlert::FromXml(element);
    if (!element)
        return;
    ReadAlertInt(element, "Column", m_nColumn);
    ReadAlertDouble(element, "Target", m_target);
    ReadAlertInt(element, "Direction", m_nDirection);
}
