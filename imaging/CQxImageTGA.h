// TGA codec (format id 5): colour-mapped, true-colour and grey images, raw or
// run-length encoded, at 8, 15, 16, 24 and 32 bits per pixel.
#pragma once

#include "imaging/CQxImage.h"

class CQxImageTGA : public CQxImage {
public:
    CQxImageTGA();
    ~CQxImageTGA() override;

    bool Decode(CQxFile* hFile);
    bool Encode(CQxFile* hFile);

    struct Header {
        BYTE idLength;
        BYTE colorMapType;
        BYTE imageType;
        WORD colorMapFirst;
        WORD colorMapLength;
        BYTE colorMapEntrySize;
        WORD xOrigin;
        WORD yOrigin;
        WORD width;
        WORD height;
        BYTE pixelDepth;
        BYTE descriptor;
    };

    // A run-length packet that did not end with its row continues in the next.
    struct RleState {
        int remaining = 0;   // pixels left in the open packet
        bool run = false;    // run packet (one value) or raw packet
        BYTE value[4] = {};  // the run's pixel as stored
    };

private:
    // One file row into `bgr` (3 bytes per pixel) and `alpha` (32 bits only).
    bool ReadRawLine(CQxFile* hFile, const Header& h, BYTE* bgr, BYTE* alpha, DWORD count);
    bool ReadRleLine(CQxFile* hFile, const Header& h, BYTE* bgr, BYTE* alpha, DWORD count, RleState& state);
    bool Fail(const char* text);
};
