// The global checking hours: with CheckTime set, alerts fire only between From and To
// (exchange time, both ends inside).
#pragma once

#include "platform/core/CString.h"
#include "platform/core/CTime.h"

class TiXmlElement;

class CAlertHours {
public:
    CAlertHours() = default;

    // At the session manager's exchange time (the system clock's exchange time when no
    // session manager is installed).
    bool IsInWindow() const;
    // At an exchange wall-clock time held as a local calendar time.
    bool IsInWindow(const CTime& exchangeNow) const;
    // The five values as one line of elements.
    CString ToXml() const;
    // Reads the five values; a missing or empty element keeps its value.
    void FromXml(const TiXmlElement* element);

    int m_nCheckTime = 0;
    int m_nFromHour = 9;
    int m_nFromMinute = 30;
    int m_nToHour = 16;
    int m_nToMinute = 0;

private:
    bool IsTimeOfDayInWindow(int hour, int minute, int second) const;
};
