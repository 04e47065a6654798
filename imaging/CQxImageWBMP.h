// Wireless bitmap codec (WBMP type 0, format id 7): 1-bit images.
#pragma once

#include "imaging/CQxImage.h"

class CQxImageWBMP : public CQxImage {
public:
    CQxImageWBMP();
    ~CQxImageWBMP() override;

    bool Decode(CQxFile* hFile);
    bool Encode(CQxFile* hFile);

    // Multi-byte integers: 7 bits per byte, most significant group first,
    // bit 7 set on every byte but the last. At most 4 bytes are accepted.
    static bool ReadMultiByte(CQxFile* hFile, DWORD& value);
    static bool WriteMultiByte(CQxFile* hFile, DWORD value);

private:
    bool Fail(const char* text);
};
