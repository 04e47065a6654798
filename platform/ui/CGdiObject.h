// Base of pens, brushes, fonts, bitmaps and regions: created or empty.
#pragma once

#include "platform/core/WinTypes.h"

class CGdiObject {
public:
    CGdiObject() = default;
    CGdiObject(const CGdiObject&) = default;
    CGdiObject& operator=(const CGdiObject&) = default;
    virtual ~CGdiObject() = default;

    // Non-null while the object holds something.
    const void* GetSafeHandle() const { return m_created ? this : nullptr; }
    BOOL DeleteObject()
    {
        const BOOL was = m_created ? TRUE : FALSE;
        m_created = false;
        Reset();
        return was;
    }

protected:
    virtual void Reset() {}
    bool m_created = false;
};
