// A line style: PS_* style, width in logical units (0 or 1: one pixel) and colour.
#pragma once

#include "platform/ui/CGdiObject.h"
#include "platform/ui/WinGdi.h"

class CPen : public CGdiObject {
public:
    CPen() = default;
    CPen(int style, int width, COLORREF color) { CreatePen(style, width, color); }
    BOOL CreatePen(int style, int width, COLORREF color)
    {
        m_style = style;
        m_width = width;
        m_color = color;
        m_created = true;
        return TRUE;
    }
    int Style() const { return m_style; }
    int Width() const { return m_width; }
    COLORREF Color() const { return m_color; }

private:
    int m_style = PS_SOLID;
    int m_width = 1;
    COLORREF m_color = 0;
};
