// Packs GIF LZW codes into data sub-blocks. It follows the decoder's table
// growth, so the code width always matches what any GIF reader expects.
#pragma once

#include "imaging/CQxFile.h"

class CQxImageGIFCodeWriter {
public:
    CQxImageGIFCodeWriter(CQxFile* file, int codeSize, int maxBlock);

    int ClearCode() const { return m_clear; }
    int EndCode() const { return m_clear + 1; }
    // The decoder's next free table slot.
    int FreeSlot() const { return m_free; }
    // True right after a clear code (the decoder adds no entry for the next code).
    bool AfterClear() const { return m_afterClear; }

    // Inline: the compressors call it once for every code.
    void Emit(int code)
    {
        m_bits |= static_cast<unsigned long>(code) << m_bitCount;
        m_bitCount += m_width;
        while (m_bitCount >= 8) {
            PutByte(static_cast<unsigned char>(m_bits & 0xFF));
            m_bits >>= 8;
            m_bitCount -= 8;
        }
        if (m_afterClear)
            m_afterClear = false;
        else if (m_free < 4096)
            ++m_free;
        if (m_free >= (1 << m_width) && m_width < 12)
            ++m_width;
    }
    void EmitClear();
    // Emits the end code, the remaining bits, the last block and the terminator.
    void Finish();
    bool Failed() const { return m_failed; }

private:
    void PutByte(unsigned char b)
    {
        m_block[m_blockLen++] = b;
        if (m_blockLen >= m_maxBlock)
            FlushBlock();
    }
    void FlushBlock();

    CQxFile* m_file;
    int m_codeSize;
    int m_clear;
    int m_maxBlock;
    int m_width;
    int m_free;
    bool m_afterClear = true;
    unsigned long m_bits = 0;
    int m_bitCount = 0;
    unsigned char m_block[256] = {};
    int m_blockLen = 0;
    bool m_failed = false;
};
