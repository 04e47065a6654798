// What one firing of an alert sends to the main window; the receiver owns it.
#pragma once

#include "platform/core/CString.h"

struct CAlertEvent {
    double m_price = 0;
    int m_nTrigger = 0;
    CString m_date;  // exchange time, "%m/%d/%Y %H:%M:%S"
};
