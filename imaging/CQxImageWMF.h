// Windows metafile reader (format id 8): placeable WMF and enhanced metafiles
// (EMF), played onto a 24-bit image by our own record player. No writer.
#pragma once

#include "imaging/CQxImage.h"

#include <map>

class CQxImageWMF : public CQxImage {
public:
    CQxImageWMF();
    ~CQxImageWMF() override;

    // Forced width and height of 0 keep the metafile's own size.
    bool Decode(CQxFile* hFile, LONG nForceWidth = 0, LONG nForceHeight = 0);
    bool Encode(CQxFile* hFile);

    struct PlaceableHeader {
        DWORD key;
        WORD handle;
        int16_t left;
        int16_t top;
        int16_t right;
        int16_t bottom;
        WORD inch;
        DWORD reserved;
        WORD checksum;
    };

    static bool IsPlaceableHeader(const PlaceableHeader& h, WORD computedChecksum);
    // Keeps both sides within 4000 pixels, preserving the aspect.
    static void ClampMetafileSize(LONG& cx, LONG& cy);
    // Record types of the last decode that could not be played, with counts.
    const std::map<unsigned, unsigned>& SkippedRecords() const { return m_skipped; }

private:
    bool Fail(const char* text);

    std::map<unsigned, unsigned> m_skipped;
};
