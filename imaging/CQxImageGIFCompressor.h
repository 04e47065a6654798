// The three GIF data coders. Each writes the code size's data sub-blocks for
// `count` palette indexes (top row first) and the closing zero-length block.
#pragma once

#include "imaging/CQxFile.h"

#include <cstddef>

namespace QxGifCompressor {

// Returns false when the stream failed.
bool CompressLzw(CQxFile* file, const unsigned char* pixels, size_t count, int codeSize);
// Every pixel as its own code.
bool CompressUncompressed(CQxFile* file, const unsigned char* pixels, size_t count, int codeSize);
// Runs of one value as growing strings that any LZW decoder builds itself.
bool CompressRunLength(CQxFile* file, const unsigned char* pixels, size_t count, int codeSize);

}  // namespace QxGifCompressor
