#include "common/services/CFontInfo.h"

#include "platform/core/CArchive.h"

void CFontInfo::Save(CArchive& ar) const
{
    ar << face << static_cast<DWORD>(height) << static_cast<DWORD>(weight) << italic << strikeOut;
}

void CFontInfo::Load(CArchive& ar)
{
    DWORD h = 0;
    DWORD w = 0;
    ar >> face >> h >> w >> italic >> strikeOut;
    const int signedHeight = static_cast<int>(h);
    if (face.GetLength() > 64 || signedHeight < -200 || signedHeight > 200 || w > 1000)
        throw CArchiveException(CArchiveException::badSchema);
    height = signedHeight;
    weight = static_cast<int>(w);
}
