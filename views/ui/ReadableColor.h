// Text colours that stand out from the fill they are drawn on.
#pragma once

#include "platform/ui/WinGdi.h"

#include <cstdlib>

inline int Luminance(COLORREF c)
{
    return (2126 * GetRValue(c) + 7152 * GetGValue(c) + 722 * GetBValue(c)) / 10000;
}

// The text colour, or black or white when it would not stand out from the fill.
inline COLORREF Readable(COLORREF text, COLORREF fill)
{
    const int back = Luminance(fill);
    if (std::abs(Luminance(text) - back) >= 90)
        return text;
    return back < 128 ? RGB(255, 255, 255) : RGB(0, 0, 0);
}
