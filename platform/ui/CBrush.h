// A fill: solid colour, hatch, or none.
#pragma once

#include "platform/ui/CGdiObject.h"
#include "platform/ui/WinGdi.h"

class CBrush : public CGdiObject {
public:
    CBrush() = default;
    explicit CBrush(COLORREF color) { CreateSolidBrush(color); }
    CBrush(int hatch, COLORREF color) { CreateHatchBrush(hatch, color); }
    BOOL CreateSolidBrush(COLORREF color)
    {
        m_color = color;
        m_hatch = -1;
        m_null = false;
        m_created = true;
        return TRUE;
    }
    BOOL CreateHatchBrush(int hatch, COLORREF color)
    {
        m_color = color;
        m_hatch = hatch;
        m_null = false;
        m_created = true;
        return TRUE;
    }
    BOOL CreateSysColorBrush(int index) { return CreateSolidBrush(GetSysColor(index)); }
    static CBrush NullBrush()
    {
        CBrush b;
        b.m_null = true;
        b.m_created = true;
        return b;
    }
    COLORREF Color() const { return m_color; }
    int Hatch() const { return m_hatch; }
    bool IsNull() const { return m_null; }

private:
    COLORREF m_color = 0;
    int m_hatch = -1;  // -1 solid
    bool m_null = false;
};
