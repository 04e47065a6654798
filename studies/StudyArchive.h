// Field encodings of the studies' saved forms.
#pragma once

#include "platform/core/CArchive.h"

// Flags are a DWORD 0 or 1, read back as true when not 0.
inline void StoreFlag(CArchive& ar, bool flag)
{
    ar << static_cast<DWORD>(flag ? 1 : 0);
}

inline bool LoadFlag(CArchive& ar)
{
    DWORD v = 0;
    ar >> v;
    return v != 0;
}

inline void StoreInt(CArchive& ar, int value)
{
    ar << static_cast<DWORD>(value);
}

inline int LoadInt(CArchive& ar)
{
    DWORD v = 0;
    ar >> v;
    return static_cast<int>(v);
}

inline void StoreColor(CArchive& ar, COLORREF color)
{
    ar << static_cast<DWORD>(color);
}

inline COLORREF LoadColor(CArchive& ar)
{
    DWORD v = 0;
    ar >> v;
    return v;
}

// Line thicknesses outside 1 to 15 (a damaged layout) are brought into that range.
inline int LoadThickness(CArchive& ar)
{
    const int v = LoadInt(ar);
    return v < 1 ? 1 : v > 15 ? 15 : v;
}
