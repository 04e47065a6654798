// LZW decoder of one GIF image's data sub-blocks.
#pragma once

#include "imaging/CQxFile.h"

#include <cstddef>

class CQxImageGIFLzwReader {
public:
    struct Result {
        size_t pixels = 0;       // pixel values stored
        bool badCodes = false;   // codes beyond the table were met
    };

    // Reads the code size byte and the data sub-blocks from the stream and
    // stores at most `capacity` pixel values into `out`. The stream is left
    // right behind the zero-length block that closes the data (or at its end).
    // A code size outside 1..8 decodes nothing; the sub-blocks are skipped.
    Result Decode(CQxFile* file, unsigned char* out, size_t capacity);

    // Skips data sub-blocks up to and including the zero-length one.
    static void SkipSubBlocks(CQxFile* file);

private:
    int NextCode();
    bool FillByte();

    CQxFile* m_file = nullptr;
    unsigned char m_block[256] = {};
    int m_blockLen = 0;
    int m_blockPos = 0;
    bool m_dataEnd = false;   // zero-length block read, or the stream ended
    unsigned m_bits = 0;      // bit accumulator, least significant bit first
    int m_bitCount = 0;
    int m_codeWidth = 0;

    unsigned short m_prefix[4096] = {};
    unsigned char m_suffix[4096] = {};
    unsigned char m_stack[4097] = {};
};
