// Icon and cursor codec (format id 4): reads one image of a multi-image file,
// writes a single-image icon.
#pragma once

#include "imaging/CQxImage.h"

class CQxImageICO : public CQxImage {
public:
    CQxImageICO();
    ~CQxImageICO() override;

    bool Decode(CQxFile* hFile);
    bool Encode(CQxFile* hFile);

private:
    bool Fail(const char* text);
    // Turns the AND mask into transparency (index, colour or alpha).
    void ApplyMask(const BYTE* mask, DWORD maskRow, bool hadAlpha);
};
