#include "imaging/CQxImageGIFCompressor.h"

#include "imaging/CQxImageGIFCodeWriter.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace QxGifCompressor {

namespace {
constexpr int kMaxCode = 4096;

// The LZW string table: (prefix code, next value) to code. Open addressing over
// four times the largest number of entries keeps probes short; a generation
// number in every slot empties the table at a clear without touching it.
class StringTable {
public:
    StringTable() : m_slots(kSize, 0), m_codes(kSize, 0) {}

    void Reset()
    {
        if (++m_generation == kGenerations) {
            std::fill(m_slots.begin(), m_slots.end(), 0);
            m_generation = 1;
        }
    }
    // The code of the string, or -1 with `slot` where it would go.
    int Find(uint32_t key, size_t& slot) const
    {
        const uint32_t stamped = m_generation << kKeyBits | key;
        for (slot = (key * 2654435761u) >> (32 - kBits);; slot = (slot + 1) & (kSize - 1)) {
            const uint32_t s = m_slots[slot];
            if (s == stamped)
                return m_codes[slot];
            if (s >> kKeyBits != m_generation)
                return -1;
        }
    }
    void Add(size_t slot, uint32_t key, int code)
    {
        m_slots[slot] = m_generation << kKeyBits | key;
        m_codes[slot] = static_cast<uint16_t>(code);
    }

private:
    static constexpr int kBits = 14;
    static constexpr size_t kSize = size_t{1} << kBits;
    static constexpr int kKeyBits = 20;  // value << 12 | prefix code
    static constexpr uint32_t kGenerations = uint32_t{1} << (32 - kKeyBits);
    std::vector<uint32_t> m_slots;
    std::vector<uint16_t> m_codes;
    uint32_t m_generation = 1;
};
}  // namespace

bool CompressLzw(CQxFile* file, const unsigned char* pixels, size_t count, int codeSize)
{
    CQxImageGIFCodeWriter writer(file, codeSize, 254);
    const int clear = writer.ClearCode();
    StringTable table;
    int nextCode = clear + 2;
    writer.EmitClear();
    if (count > 0) {
        int ent = pixels[0];
        for (size_t i = 1; i < count; ++i) {
            const int c = pixels[i];
            const uint32_t key = static_cast<uint32_t>(c) << 12 | static_cast<uint32_t>(ent);
            size_t slot = 0;
            const int found = table.Find(key, slot);
            if (found >= 0) {
                ent = found;
                continue;
            }
            writer.Emit(ent);
            ent = c;
            if (nextCode < kMaxCode) {
                table.Add(slot, key, nextCode++);
            } else {
                table.Reset();
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
