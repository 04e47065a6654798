#include "imaging/CQxImageGIFLzwReader.h"

#include <algorithm>
#include <cstring>

void CQxImageGIFLzwReader::SkipSubBlocks(CQxFile* file)
{
    unsigned char skip[255];
    for (;;) {
        const int len = file->GetC();
        if (len <= 0)
            return;
        if (file->Read(skip, 1, static_cast<size_t>(len)) != static_cast<size_t>(len))
            return;
    }
}

void CQxImageGIFLzwReader::ReadSubBlocks(CQxFile* file)
{
    m_data.clear();
    unsigned char block[255];
    for (;;) {
        const int len = file->GetC();
        if (len <= 0)
            return;
        const size_t got = file->Read(block, 1, static_cast<size_t>(len));
        m_data.insert(m_data.end(), block, block + got);
        if (got != static_cast<size_t>(len))
            return;
    }
}

CQxImageGIFLzwReader::Result CQxImageGIFLzwReader::Decode(CQxFile* file, unsigned char* out, size_t capacity)
{
    Result result;
    const int codeSize = file->GetC();
    if (codeSize < 0)
        return result;
    if (codeSize < 1 || codeSize > 8) {
        SkipSubBlocks(file);
        return result;
    }
    ReadSubBlocks(file);

    const int clear = 1 << codeSize;
    const int end = clear + 1;
    for (int c = 0; c < clear; ++c) {
        m_first[c] = static_cast<unsigned char>(c);
        m_length[c] = 1;
    }
    int freeSlot = clear + 2;
    int width = codeSize + 1;
    int oldCode = -1;

    // Codes come least significant bit first; the accumulator holds up to 64 bits.
    const unsigned char* data = m_data.data();
    const size_t bytes = m_data.size();
    size_t at = 0;
    uint64_t bits = 0;
    int bitCount = 0;
    size_t pos = 0;
    while (pos < capacity) {
        if (bitCount < width) {
            for (; bitCount <= 56 && at < bytes; bitCount += 8)
                bits |= static_cast<uint64_t>(data[at++]) << bitCount;
            if (bitCount < width)
                break;  // the data has run out
        }
        int code = static_cast<int>(bits & ((1u << width) - 1));
        bits >>= width;
        bitCount -= width;
        if (code == clear) {
            width = codeSize + 1;
            freeSlot = clear + 2;
            oldCode = -1;
            continue;
        }
        if (code == end)
            break;
        if (oldCode < 0) {
            // First code after a clear: a root; anything else counts as 0.
            if (code >= clear) {
                result.badCodes = true;
                code = 0;
            }
            out[pos++] = static_cast<unsigned char>(code);
            oldCode = code;
            continue;
        }
        int inCode = code;
        bool repeatFirst = false;
        if (code > freeSlot || (code == freeSlot && freeSlot >= 4096)) {
            result.badCodes = true;
            code = freeSlot;
        }
        if (code == freeSlot) {
            // The string being defined: the previous one plus its first value.
            repeatFirst = true;
            code = oldCode;
            inCode = freeSlot;
        }
        const size_t length = m_length[code];
        const unsigned char first = m_first[code];
        // The string is written from its end back to its start, straight into
        // the output when it fits there.
        const size_t total = length + (repeatFirst ? 1 : 0);
        unsigned char* dst = pos + total <= capacity ? out + pos : m_string;
        unsigned char* p = dst + length;
        if (repeatFirst)
            *p = first;
        int c = code;
        while (c >= clear) {
            *--p = m_suffix[c];
            c = m_prefix[c];
        }
        *--p = static_cast<unsigned char>(c);
        if (dst == m_string) {
            const size_t room = capacity - pos;
            std::memcpy(out + pos, m_string, std::min(total, room));
            pos += std::min(total, room);
        } else {
            pos += total;
        }
        if (freeSlot < 4096) {
            m_prefix[freeSlot] = static_cast<uint16_t>(oldCode);
            m_suffix[freeSlot] = first;
            m_first[freeSlot] = m_first[oldCode];
            m_length[freeSlot] = static_cast<uint16_t>(m_length[oldCode] + 1);
            ++freeSlot;
            if (freeSlot >= (1 << width) && width < 12)
                ++width;
        }
        oldCode = inCode < 4096 ? inCode : oldCode;
    }
    result.pixels = pos;
    return result;
}
