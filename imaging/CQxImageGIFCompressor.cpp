#include "imaging/CQxImageGIFCompressor.h"

#include "imaging/CQxImageGIFCodeWriter.h"

#include <cstring>
#include <vector>

namespace QxGifCompressor {

namespace {
constexpr int kHashSize = 5003;
constexpr int kHashShift = 4;
constexpr int kMaxCode = 4096;
}  // namespace

bool CompressLzw(CQxFile* file, const unsigned char* pixels, size_t count, int codeSize)
{
    CQxImageGIFCodeWriter writer(file, codeSize, 254);
    const int clear = writer.ClearCode();
    std::vector<int> hashKeys(kHashSize, -1);
    std::vector<unsigned short> hashCodes(kHashSize, 0);
    int nextCode = clear + 2;
    writer.EmitClear();
    if (count > 0) {
        int ent = pixels[0];
        for (size_t i = 1; i < count; ++i) {
            const int c = pixels[i];
            const int key = (c << 12) + ent;
            int h = (c << kHashShift) ^ ent;
            bool found = false;
            if (hashKeys[h] == key) {
                found = true;
            } else if (hashKeys[h] >= 0) {
                const int disp = h == 0 ? 1 : kHashSize - h;
                for (;;) {
                    h -= disp;
                    if (h < 0)
                        h += kHashSize;
                    if (hashKeys[h] == key) {
                        found = true;
                        break;
                    }
                    if (hashKeys[h] < 0)
                        break;
                }
            }
            if (found) {
                ent = hashCodes[h];
                continue;
            }
            writer.Emit(ent);
            ent = c;
            if (nextCode < kMaxCode) {
                hashCodes[h] = static_cast<unsigned short>(nextCode++);
                hashKeys[h] = key;
            } else {
                std::fill(hashKeys.begin(), hashKeys.end(), -1);
                nextCode = clear + 2;
                writer.EmitClear();
            }
        }
        writer.Emit(ent);
    }
    writer.Finish();
    return !writer.Failed();
}

bool CompressUncompressed(CQxFile* file, const unsigned char* pixels, size_t count, int codeSize)
{
    CQxImageGIFCodeWriter writer(file, codeSize, 254);
    writer.EmitClear();
    for (size_t i = 0; i < count; ++i) {
        if (writer.FreeSlot() >= kMaxCode - 1)
            writer.EmitClear();
        writer.Emit(pixels[i]);
    }
    writer.Finish();
    return !writer.Failed();
}

// After a clear the decoder's table is empty; emitting v, then the free slot,
// then the next free slot and so on makes it build v, vv, vvv ... itself, so a
// run of n pixels costs about sqrt(2n) codes.
bool CompressRunLength(CQxFile* file, const unsigned char* pixels, size_t count, int codeSize)
{
    CQxImageGIFCodeWriter writer(file, codeSize, 255);
    const int base = writer.ClearCode() + 2;
    writer.EmitClear();
    size_t i = 0;
    while (i < count) {
        const unsigned char v = pixels[i];
        size_t run = 1;
        while (i + run < count && pixels[i + run] == v)
            ++run;
        i += run;
        if (run < 4) {
            for (size_t k = 0; k < run; ++k)
                writer.Emit(v);
            continue;
        }
        while (run > 0) {
            writer.EmitClear();
            writer.Emit(v);
            --run;
            size_t len = 2;  // length of the string the next code stands for
            while (run >= len && writer.FreeSlot() < kMaxCode) {
                writer.Emit(base + static_cast<int>(len) - 2);
                run -= len;
                ++len;
            }
            if (run == 0)
                break;
            if (run < len && writer.FreeSlot() < kMaxCode) {
                // The string of this length already stands in the table.
                if (run == 1)
                    writer.Emit(v);
                else
                    writer.Emit(base + static_cast<int>(run) - 2);
                run = 0;
            }
            // Otherwise the table is full: start again after a clear.
        }
    }
    writer.Finish();
    return !writer.Failed();
}

}  // namespace QxGifCompressor
