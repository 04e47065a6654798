// A list's font made from the settings' form, with what the list's rows need of it: the
// row height (character height, external leading and a pixel) and the width of a blank.
#pragma once

#include "common/services/CFontInfo.h"
#include "platform/ui/CFont.h"

class CWnd;

class CListFont {
public:
    // Makes the font and measures it in the window (which must exist).
    void Create(const CFontInfo& info, CWnd& measureIn);
    CFont& Font() { return m_font; }
    bool IsValid() const { return m_bValid; }
    int GetCharHeight() const { return m_nCharHeight; }
    int GetRowHeight() const { return m_nRowHeight; }
    int GetBlankWidth() const { return m_nBlankWidth; }

private:
    CFont m_font;
    bool m_bValid = false;
    int m_nCharHeight = 13;
    int m_nRowHeight = 16;
    int m_nBlankWidth = 3;
};
