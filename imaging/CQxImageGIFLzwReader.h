// LZW decoder of one GIF image's data sub-blocks.
#pragma once

#include "imaging/CQxFile.h"

#include <cstddef>
#include <cstdint>
#include <vector>

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
    // Appends the data of the sub-blocks to m_data, up to the zero-length block
    // or the end of the stream (a short block still gives what it holds).
    void ReadSubBlocks(CQxFile* file);

    std::vector<unsigned char> m_data;
    // The table: each code stands for its prefix's string plus its suffix.
    uint16_t m_prefix[4096] = {};
    unsigned char m_suffix[4096] = {};
    unsigned char m_first[4096] = {};   // first value of the string
    uint16_t m_length[4096] = {};       // values in the string
    unsigned char m_string[4097] = {};  // a string that does not fit the output
};
