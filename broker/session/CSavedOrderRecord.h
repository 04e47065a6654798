// One saved (not yet placed) order: 13 column texts.
#pragma once

#include "platform/core/CString.h"

#include <cstdint>

class CSavedOrderRecord {
public:
    enum EField {
        kEntered = 0, kAction, kQuantity, kSymbol, kType, kPrice, kOrderId, kSession, kRouting,
        kInstructions, kActPrice, kExpiration, kHotKey, kFieldCount
    };

    CString m_fields[kFieldCount];

    bool GetFieldTime(int field, int64_t& seconds) const;

    bool operator==(const CSavedOrderRecord&) const = default;
};
