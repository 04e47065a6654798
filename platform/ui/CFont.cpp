#include "platform/ui/CFont.h"

#include "platform/ui/CDC.h"

#include <QApplication>
#include <QFont>
#include <QFontInfo>

#include <cmath>
#include <cstring>

BOOL CFont::CreateFontIndirect(const LOGFONT* font)
{
    if (!font)
        return FALSE;
    m_log = *font;
    m_log.lfFaceName[LF_FACESIZE - 1] = '\0';
    m_created = true;
    return TRUE;
}

BOOL CFont::CreateFont(int height, int width, int escapement, int orientation, int weight, BYTE italic, BYTE underline,
                       BYTE strikeOut, BYTE charSet, BYTE outPrecision, BYTE clipPrecision, BYTE quality,
                       BYTE pitchAndFamily, const char* faceName)
{
    LOGFONT lf;
    lf.lfHeight = height;
    lf.lfWidth = width;
    lf.lfEscapement = escapement;
    lf.lfOrientation = orientation;
    lf.lfWeight = weight;
    lf.lfItalic = italic;
    lf.lfUnderline = underline;
    lf.lfStrikeOut = strikeOut;
    lf.lfCharSet = charSet;
    lf.lfOutPrecision = outPrecision;
    lf.lfClipPrecision = clipPrecision;
    lf.lfQuality = quality;
    lf.lfPitchAndFamily = pitchAndFamily;
    if (faceName)
        std::strncpy(lf.lfFaceName, faceName, LF_FACESIZE - 1);
    return CreateFontIndirect(&lf);
}

BOOL CFont::CreatePointFont(int pointSizeTenths, const char* faceName, CDC* dc)
{
    LOGFONT lf;
    lf.lfHeight = pointSizeTenths;
    if (faceName)
        std::strncpy(lf.lfFaceName, faceName, LF_FACESIZE - 1);
    return CreatePointFontIndirect(&lf, dc);
}

BOOL CFont::CreatePointFontIndirect(const LOGFONT* font, CDC* dc)
{
    if (!font)
        return FALSE;
    LOGFONT lf = *font;
    const int dpi = dc && dc->GetDeviceCaps(LOGPIXELSY) > 0 ? dc->GetDeviceCaps(LOGPIXELSY) : 96;
    lf.lfHeight = -static_cast<LONG>(std::lround(font->lfHeight / 10.0 * dpi / 72.0));
    return CreateFontIndirect(&lf);
}

int CFont::GetLogFont(LOGFONT* font) const
{
    if (!font || !m_created)
        return 0;
    *font = m_log;
    return sizeof(LOGFONT);
}

QFont CFont::ToQFont() const
{
    QFont f = QApplication::font();
    if (m_log.lfFaceName[0])
        f.setFamily(QString::fromLatin1(m_log.lfFaceName));
    if (m_log.lfHeight < 0)
        f.setPixelSize(static_cast<int>(-m_log.lfHeight));
    else if (m_log.lfHeight > 0)
        // A positive height is the cell height: the character part is a bit smaller.
        f.setPixelSize(std::max(1, static_cast<int>(std::lround(m_log.lfHeight / 1.2))));
    if (m_log.lfWeight > 0)
        f.setWeight(static_cast<QFont::Weight>(std::clamp<int>(m_log.lfWeight, 100, 900)));
    f.setItalic(m_log.lfItalic != 0);
    f.setUnderline(m_log.lfUnderline != 0);
    f.setStrikeOut(m_log.lfStrikeOut != 0);
    return f;
}

LOGFONT CFont::FromQFont(const QFont& font)
{
    LOGFONT lf;
    const QFontInfo info(font);
    lf.lfHeight = -info.pixelSize();
    lf.lfWeight = font.weight();
    lf.lfItalic = font.italic() ? 1 : 0;
    lf.lfUnderline = font.underline() ? 1 : 0;
    lf.lfStrikeOut = font.strikeOut() ? 1 : 0;
    const QByteArray family = font.family().toLatin1();
    std::strncpy(lf.lfFaceName, family.constData(), LF_FACESIZE - 1);
    return lf;
}

const CFont& CFont::DefaultGuiFont()
{
    static const CFont font = [] {
        CFont f;
        const LOGFONT lf = FromQFont(QApplication::font());
        f.CreateFontIndirect(&lf);
        return f;
    }();
    return font;
}
