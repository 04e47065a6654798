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

// The colour itself where it stands out from the fill, else the same hue darkened (on a
// light fill) or lightened (on a dark one) until it does.
inline COLORREF Legible(COLORREF color, COLORREF fill)
{
    const int back = Luminance(fill);
    for (int step = 0; step < 8 && std::abs(Luminance(color) - back) < 90; ++step) {
        auto scale = [back](int c) { return back >= 128 ? c * 3 / 4 : c + (255 - c) / 3; };
        color = RGB(scale(GetRValue(color)), scale(GetGValue(color)), scale(GetBValue(color)));
    }
    return color;
}
