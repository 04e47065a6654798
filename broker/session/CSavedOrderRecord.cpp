#include "broker/session/CSavedOrderRecord.h"

#include "broker/session/COrderStatusRecord.h"

bool CSavedOrderRecord::GetFieldTime(int field, int64_t& seconds) const
{
    if (field < 0 || field >= kFieldCount)
        return false;
    return ParseOrderTime(m_fields[field], seconds);
}
