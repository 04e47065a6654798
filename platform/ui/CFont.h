// A font described by a LOGFONT (height in pixels, weight, italic, underline, strike-out).
#pragma once

#include "platform/core/CString.h"
#include "platform/ui/CGdiObject.h"
#include "platform/ui/WinGdi.h"

class CDC;
class QFont;

class CFont : public CGdiObject {
public:
    CFont() = default;
    BOOL CreateFontIndirect(const LOGFONT* font);
    BOOL CreateFont(int height, int width, int escapement, int orientation, int weight, BYTE italic, BYTE underline,
                    BYTE strikeOut, BYTE charSet, BYTE outPrecision, BYTE clipPrecision, BYTE quality,
                    BYTE pitchAndFamily, const char* faceName);
    // Size in tenths of a point, for the DC's resolution (screen when none).
    BOOL CreatePointFont(int pointSizeTenths, const char* faceName, CDC* dc = nullptr);
    BOOL CreatePointFontIndirect(const LOGFONT* font, CDC* dc = nullptr);
    int GetLogFont(LOGFONT* font) const;
    const LOGFONT& LogFont() const { return m_log; }

    QFont ToQFont() const;
    static LOGFONT FromQFont(const QFont& font);
    static const CFont& DefaultGuiFont();

private:
    LOGFONT m_log;
};
