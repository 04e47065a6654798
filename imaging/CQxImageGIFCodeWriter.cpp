#include "imaging/CQxImageGIFCodeWriter.h"

CQxImageGIFCodeWriter::CQxImageGIFCodeWriter(CQxFile* file, int codeSize, int maxBlock)
    : m_file(file),
      m_codeSize(codeSize),
      m_clear(1 << codeSize),
      m_maxBlock(maxBlock < 1 ? 1 : (maxBlock > 255 ? 255 : maxBlock)),
      m_width(codeSize + 1),
      m_free((1 << codeSize) + 2)
{
}

void CQxImageGIFCodeWriter::EmitClear()
{
    Emit(m_clear);
    m_width = m_codeSize + 1;
    m_free = m_clear + 2;
    m_afterClear = true;
}

void CQxImageGIFCodeWriter::Finish()
{
    Emit(EndCode());
    if (m_bitCount > 0)
        PutByte(static_cast<unsigned char>(m_bits & 0xFF));
    m_bits = 0;
    m_bitCount = 0;
    FlushBlock();
    if (!m_file->PutC(0))
        m_failed = true;
}

void CQxImageGIFCodeWriter::FlushBlock()
{
    if (m_blockLen == 0)
        return;
    if (!m_file->PutC(static_cast<unsigned char>(m_blockLen)) ||
        m_file->Write(m_block, 1, static_cast<size_t>(m_blockLen)) != static_cast<size_t>(m_blockLen))
        m_failed = true;
    m_blockLen = 0;
}
