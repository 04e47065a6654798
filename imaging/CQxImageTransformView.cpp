#include "imaging/CQxImageTransformView.h"

CQxImageTransformView::CQxImageTransformView(const CQxImage& source)
{
    // The accessors are not const; the view only reads through them here.
    CQxImage& img = const_cast<CQxImage&>(source);
    if (!img.IsValid())
        return;
    m_width = img.GetWidth();
    m_height = img.GetHeight();
    m_bpp = img.GetBpp();
    m_effWidth = img.GetEffWidth();
    m_bits = img.GetBits(0);
    m_palette = img.GetPalette();
    m_numColors = m_palette ? img.GetNumColors() : 0;
    m_alpha = img.AlphaIsValid() ? img.AlphaGetPointer(0, 0) : nullptr;
    m_outsideColor = img.GetPixelColor(-1, -1, true);
    m_outsideIndex = m_palette ? img.GetPixelIndex(-1, -1) : 0;
}
