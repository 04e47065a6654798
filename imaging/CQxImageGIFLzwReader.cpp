#include "imaging/CQxImageGIFLzwReader.h"

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

bool CQxImageGIFLzwReader::FillByte()
{
    while (m_blockPos >= m_blockLen) {
        if (m_dataEnd)
            return false;
        const int len = m_file->GetC();
        if (len <= 0) {
            m_dataEnd = true;
            return false;
        }
        const size_t got = m_file->Read(m_block, 1, static_cast<size_t>(len));
        if (got != static_cast<size_t>(len))
            m_dataEnd = true;  // a short block still yields what it holds
        m_blockLen = static_cast<int>(got);
        m_blockPos = 0;
    }
    m_bits |= static_cast<unsigned>(m_block[m_blockPos++]) << m_bitCount;
    m_bitCount += 8;
    return true;
}

// -1 when the data has run out.
int CQxImageGIFLzwReader::NextCode()
{
    while (m_bitCount < m_codeWidth) {
        if (!FillByte())
            return -1;
    }
    const int code = static_cast<int>(m_bits & ((1u << m_codeWidth) - 1));
    m_bits >>= m_codeWidth;
    m_bitCount -= m_codeWidth;
    return code;
}

CQxImageGIFLzwReader::Result CQxImageGIFLzwReader::Decode(CQxFile* file, unsigned char* out, size_t capacity)
{
    Result result;
    m_file = file;
    m_blockLen = m_blockPos = 0;
    m_dataEnd = false;
    m_bits = 0;
    m_bitCount = 0;

    const int codeSize = file->GetC();
    if (codeSize < 0)
        return result;
    if (codeSize < 1 || codeSize > 8) {
        SkipSubBlocks(file);
        return result;
    }
    const int clear = 1 << codeSize;
    const int end = clear + 1;
    int freeSlot = clear + 2;
    m_codeWidth = codeSize + 1;
    int oldCode = -1;
    unsigned char first = 0;

    while (result.pixels < capacity) {
        int code = NextCode();
        if (code < 0)
            break;
        if (code == clear) {
            m_codeWidth = codeSize + 1;
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
            first = static_cast<unsigned char>(code);
            out[result.pixels++] = first;
            oldCode = code;
            continue;
        }
        int inCode = code;
        int sp = 0;
        if (code > freeSlot || (code == freeSlot && freeSlot >= 4096)) {
            result.badCodes = true;
            code = freeSlot;
        }
        if (code == freeSlot) {
            // The string being defined: the previous one plus its first value.
            m_stack[sp++] = first;
            code = oldCode;
            inCode = freeSlot;
        }
        // Entries point only at lower codes, so the walk ends within 4096 steps.
        while (code > end && sp < 4096) {
            m_stack[sp++] = m_suffix[code];
            code = m_prefix[code];
        }
        if (code > end)
            code = 0;
        first = static_cast<unsigned char>(code >= clear ? 0 : code);
        m_stack[sp++] = first;
        if (freeSlot < 4096) {
            m_prefix[freeSlot] = static_cast<unsigned short>(oldCode);
            m_suffix[freeSlot] = first;
            ++freeSlot;
            if (freeSlot >= (1 << m_codeWidth) && m_codeWidth < 12)
                ++m_codeWidth;
        }
        oldCode = inCode < 4096 ? inCode : oldCode;
        while (sp > 0 && result.pixels < capacity)
            out[result.pixels++] = m_stack[--sp];
    }
    if (!m_dataEnd)
        SkipSubBlocks(file);
    return result;
}
