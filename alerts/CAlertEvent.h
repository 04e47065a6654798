// What one firing of an alert sends to the main window; the receiver owns it.
#pragma once

#include "platform/core/CString.h"

#include <cstdint>

struct CAlertEvent {
    double m_price = 0;
    int m_nTrigger = 0;
    CString m_date;  // exchange time, "%m/%d/%Y %H:%M:%S"
    // The alert that fired (CAlert::GetId); 0 for a notification that is no user alert.
    std::uint64_t m_nAlertId = 0;
};
