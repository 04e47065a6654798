#include "common/windows/FontInfoConvert.h"

#include <cstdio>
#include <cstdlib>

LOGFONT ToLogFont(const CFontInfo& spec)
{
    LOGFONT font;
    font.lfHeight = -std::abs(spec.height);
    font.lfWeight = spec.weight;
    font.lfItalic = spec.italic ? 1 : 0;
    font.lfStrikeOut = spec.strikeOut ? 1 : 0;
    std::snprintf(font.lfFaceName, sizeof(font.lfFaceName), "%s", spec.face.GetString());
    return font;
}

CFontInfo ToFontInfo(const LOGFONT& font, const CFontInfo& previous)
{
    CFontInfo spec = previous;
    const CString face(font.lfFaceName);
    if (!face.IsEmpty() && face.GetLength() <= 64)
        spec.face = face;
    const int height = std::abs(static_cast<int>(font.lfHeight));
    if (height >= 1 && height <= 200)
        spec.height = height;
    if (font.lfWeight >= 0 && font.lfWeight <= 1000)
        spec.weight = static_cast<int>(font.lfWeight);
    spec.italic = font.lfItalic != 0;
    spec.strikeOut = font.lfStrikeOut != 0;
    return spec;
}
