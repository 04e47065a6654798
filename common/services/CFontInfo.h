// A font as the settings keep it: face, height in pixels, weight, italic and strike-out.
#pragma once

#include "platform/core/CString.h"
#include "platform/core/WinTypes.h"

class CArchive;

struct CFontInfo {
    CString face = "Arial";
    int height = 13;
    int weight = 400;
    bool italic = false;
    bool strikeOut = false;

    void Save(CArchive& ar) const;
    // Throws CArchiveException on a short or unreasonable record.
    void Load(CArchive& ar);
    bool operator==(const CFontInfo&) const = default;
};
