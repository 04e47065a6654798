// PNG codec (format id 3) on top of libpng.
#pragma once

#include "imaging/CQxImage.h"

class CQxImagePNG : public CQxImage {
public:
    CQxImagePNG();
    ~CQxImagePNG() override;

    bool Decode(CQxFile* hFile);
    bool Decode(FILE* hFile);
    bool Encode(CQxFile* hFile);
    bool Encode(FILE* hFile);

private:
    struct DecodeState;
    struct EncodeState;
    bool DecodeRows(DecodeState& st);
    bool EncodeRows(EncodeState& st);
    bool SetError(const char* text);
};
