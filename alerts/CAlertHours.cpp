#include "alerts/CAlertHours.h"

#include "alerts/CAlert.h"
#include "platform/core/XmlHelpers.h"

bool CAlertHours::IsInWindow() const
{
    if (m_nCheckTime == 0)
        return true;
    SYSTEMTIME now{};
    GetAlertExchangeTime(now);
    return IsTimeOfDayInWindow(now.wHour, now.wMinute, now.wSecond);
}

bool CAlertHours::IsInWindow(const CTime& exchangeNow) const
{
    if (m_nCheckTime == 0)
        return true;
    const struct tm now = exchangeNow.GetLocalTm();
    return IsTimeOfDayInWindow(now.tm_hour, now.tm_min, now.tm_sec);
}

bool CAlertHours::IsTimeOfDayInWindow(int hour, int minute, int second) const
{
    // Seconds of the day; a To before From gives an empty window.
    const long long now = hour * 3600LL + minute * 60LL + second;
    const long long from = m_nFromHour * 3600LL + m_nFromMinute * 60LL;
    const long long to = m_nToHour * 3600LL + m_nToMinute * 60LL;
    return from <= now && now <= to;
}

CString CAlertHours::ToXml() const
{
    CString xml;
    xml.Format("<CheckTime>%d</CheckTime><FromHour>%d</FromHour><FromMinute>%d</FromMinute><ToHour>%d</ToHour>"
               "<ToMinute>%d</ToMinute>",
               m_nCheckTime, m_nFromHour, m_nFromMinute, m_nToHour, m_nToMinute);
    return xml;
}

void CAlertHours::FromXml(const TiXmlElement* element)
{
    if (!element)
        return;
    ReadAlertInt(element, "CheckTime", m_nCheckTime);
    ReadAlertInt(element, "FromHour", m_nFromHour);
    ReadAlertInt(element, "FromMinute", m_nFromMinute);
    ReadAlertInt(element, "ToHour", m_nToHour);
    ReadAlertInt(element, "ToMinute", m_nToMinute);
}
