// One order of the order status list: 18 column texts and two flag bytes.
#pragma once

#include "platform/core/CString.h"
#include "platform/core/WinTypes.h"

#include <cstdint>

class COrderStatusRecord {
public:
    enum EField {
        kEntered = 0, kStatus, kAction, kQuantity, kSymbol, kType, kPrice, kOrderId, kSession,
        kRouting, kHidden, kInstructions, kOrigQuantity, kOrigPrice, kActPrice, kExpiration,
        kReported, kMultiLeg, kFieldCount
    };

    CString m_fields[kFieldCount];
    BYTE m_bChangeable = 0; // the order may be changed
    BYTE m_bOpen = 0;       // the order is open and may be cancelled

    // Field text parsed as a local date and time; false outside 0..17 or when it does not parse.
    bool GetFieldTime(int field, int64_t& seconds) const;

    bool operator==(const COrderStatusRecord&) const = default;
};

// The date parser shared by order and saved-order records: "20" is put in front of a
// two-digit year after the last "/", commas are removed, then month/day/year with an
// optional time ("hh:mm[:ss]" with optional AM/PM) is read as local time.
bool ParseOrderTime(const CString& text, int64_t& seconds);
