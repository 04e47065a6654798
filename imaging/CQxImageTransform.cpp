// Work images of the transformations, their hand-over, and the flips.
#include "imaging/CQxImage.h"
#include "imaging/CQxImageTransformView.h"

#include <algorithm>
#include <cstring>

bool CQxImage::TransformCreateWork(CQxImage& work, int64_t width, int64_t height, DWORD bpp, bool copyInfo) const
{
    if (width <= 0 || height <= 0 || width > INT32_MAX || height > INT32_MAX ||
        !IsSizeAllowed(static_cast<uint64_t>(width), static_cast<uint64_t>(height), bpp))
        return false;
    if (copyInfo) {
        work.CopyInfo(*this);
        // The work image owns nothing of this one: no layers, and it is no ghost.
        work.m_info.nNumLayers = 0;
        work.m_info.pGhost = nullptr;
    }
    if (!work.Create(static_cast<DWORD>(width), static_cast<DWORD>(height), bpp, GetType()))
        return false;
    if (copyInfo) {
        work.SetXDPI(GetXDPI());
        work.SetYDPI(GetYDPI());
        if (work.GetBpp() == GetBpp())
            work.m_head.biClrImportant = m_head.biClrImportant;
    }
    const RGBQUAD* pal = GetPalette();
    if (pal && work.GetPalette())
        work.SetPalette(pal, std::min<DWORD>(GetNumColors(), 256));
    work.SelectionDelete();
    return true;
}

bool CQxImage::TransformDeliver(CQxImage& work, CQxImage* dst)
{
    if (dst && dst != this)
        return dst->Transfer(work);
    if (IsGhost())
        return false;
    // The layers stay with this image across the hand-over.
    work.m_ppLayers = m_ppLayers;
    work.m_info.nNumLayers = m_info.nNumLayers;
    work.m_info.nProgress = m_info.nProgress;
    work.m_info.nEscape = m_info.nEscape;
    m_ppLayers = nullptr;
    m_info.nNumLayers = 0;
    return Transfer(work);
}

bool CQxImage::Flip()
{
    if (!IsValid())
        return false;
    CQxImage work;
    if (!TransformCreateWork(work, GetWidth(), GetHeight(), GetBpp(), true))
        return false;
    const int64_t height = GetHeight();
    const size_t eff = GetEffWidth();
    for (int64_t y = 0; y < height; ++y)
        std::memcpy(work.GetBits(static_cast<DWORD>(y)), GetBits(static_cast<DWORD>(height - 1 - y)), eff);
    if (m_pAlpha) {
        if (!work.AlphaCreate())
            return false;
        const size_t width = GetWidth();
        for (int64_t y = 0; y < height; ++y)
            std::memcpy(work.m_pAlpha + y * width, m_pAlpha + (height - 1 - y) * width, width);
    }
    return TransformDeliver(work, nullptr);
}

bool CQxImage::Mirror()
{
    if (!IsValid())
        return false;
    CQxImage work;
    if (!TransformCreateWork(work, GetWidth(), GetHeight(), GetBpp(), true))
        return false;
    const CQxImageTransformView src(*this);
    const CQxImageTransformView dst(work);
    const int64_t width = src.Width();
    const int64_t height = src.Height();
    const int bpp = src.Bpp();
    for (int64_t y = 0; y < height; ++y) {
        QxRowReverse(src.Row(y), dst.Row(y), bpp, width);
    }
    if (m_pAlpha) {
        if (!work.AlphaCreate())
            return false;
        for (int64_t y = 0; y < height; ++y) {
            const BYTE* s = m_pAlpha + y * width;
            std::reverse_copy(s, s + width, work.m_pAlpha + y * width);
        }
    }
    return TransformDeliver(work, nullptr);
}
