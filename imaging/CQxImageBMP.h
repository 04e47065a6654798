// BMP codec (format id 1): Windows device-independent bitmaps, read at 1, 4, 8,
// 16, 24 and 32 bits (RLE4, RLE8, bit fields, top-down, core headers) and
// written uncompressed at the image's own depth.
#pragma once

#include "imaging/CQxImage.h"

class CQxImageBMP : public CQxImage {
public:
    CQxImageBMP();
    ~CQxImageBMP() override;

    bool Decode(CQxFile* hFile);
    bool Decode(FILE* hFile);
    bool Encode(CQxFile* hFile);
    bool Encode(FILE* hFile);

    // Reads a 40-, 12-, 64- or longer info header into pbmih (normalised to the
    // 40-byte form) and leaves the stream right behind it; false when refused.
    static bool ReadInfoHeader(CQxFile* hFile, BITMAPINFOHEADER& pbmih);

protected:
    bool DecodeRLE8(CQxFile* hFile);
    bool DecodeRLE4(CQxFile* hFile);
    void FlipRows();
};
