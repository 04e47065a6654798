#include "imaging/CQxMemFile.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {
constexpr int64_t kMaxStreamBytes = INT32_MAX;
}

CQxMemFile::CQxMemFile(BYTE* buffer, DWORD size)
    : m_pBuffer(buffer),
      m_Size(static_cast<int32_t>(size > static_cast<DWORD>(INT32_MAX) ? INT32_MAX : size)),
      m_bFreeOnClose(buffer == nullptr),
      m_Position(0),
      m_Edge(m_Size)
{
}

CQxMemFile::~CQxMemFile()
{
    Close();
}

bool CQxMemFile::Open()
{
    if (m_pBuffer != nullptr)
        return false;
    m_Size = 0;
    m_Position = 0;
    m_Edge = 0;
    m_pBuffer = static_cast<BYTE*>(std::malloc(1));
    m_bFreeOnClose = true;
    return m_pBuffer != nullptr;
}

bool CQxMemFile::Close()
{
    if (m_pBuffer != nullptr && m_bFreeOnClose) {
        std::free(m_pBuffer);
        m_pBuffer = nullptr;
        m_Size = 0;
    }
    return true;
}

BYTE* CQxMemFile::GetBuffer(bool bDetachBuffer)
{
    m_bFreeOnClose = !bDetachBuffer;
    return m_pBuffer;
}

size_t CQxMemFile::Read(void* buffer, size_t size, size_t count)
{
    if (buffer == nullptr || m_pBuffer == nullptr || size == 0 || m_Position >= m_Size)
        return 0;
    const size_t left = static_cast<size_t>(m_Size - m_Position);
    size_t nRead = left;
    if (count <= left / size)
        nRead = size * count;
    std::memcpy(buffer, m_pBuffer + m_Position, nRead);
    m_Position += static_cast<int32_t>(nRead);
    return nRead / size;
}

size_t CQxMemFile::Write(const void* buffer, size_t size, size_t count)
{
    if (m_pBuffer == nullptr || buffer == nullptr || size == 0 || count == 0)
        return 0;
    if (count > static_cast<size_t>(kMaxStreamBytes) / size)
        return 0;
    const int64_t nBytes = static_cast<int64_t>(size * count);
    const int64_t end = static_cast<int64_t>(m_Position) + nBytes;
    if (end > kMaxStreamBytes)
        return 0;
    if (end > m_Edge && !Alloc(static_cast<DWORD>(end)))
        return 0;
    if (m_Position > m_Size)
        std::memset(m_pBuffer + m_Size, 0, static_cast<size_t>(m_Position - m_Size));
    std::memcpy(m_pBuffer + m_Position, buffer, static_cast<size_t>(nBytes));
    m_Position = static_cast<int32_t>(end);
    if (m_Position > m_Size)
        m_Size = m_Position;
    return count;
}

bool CQxMemFile::Seek(int32_t offset, int origin)
{
    if (m_pBuffer == nullptr)
        return false;
    int64_t lNewPos;
    switch (origin) {
    case 0: lNewPos = offset; break;
    case 1: lNewPos = static_cast<int64_t>(m_Position) + offset; break;
    case 2: lNewPos = static_cast<int64_t>(m_Size) + offset; break;
    default: return false;
    }
    if (lNewPos < 0)
        lNewPos = 0;
    if (lNewPos > kMaxStreamBytes)
        lNewPos = kMaxStreamBytes;
    m_Position = static_cast<int32_t>(lNewPos);
    return true;
}

int32_t CQxMemFile::Tell()
{
    return m_pBuffer == nullptr ? -1 : m_Position;
}

int32_t CQxMemFile::Size()
{
    return m_pBuffer == nullptr ? -1 : m_Size;
}

bool CQxMemFile::Flush()
{
    return m_pBuffer != nullptr;
}

bool CQxMemFile::Eof()
{
    if (m_pBuffer == nullptr)
        return true;
    return m_Position >= m_Size;
}

int32_t CQxMemFile::Error()
{
    if (m_pBuffer == nullptr)
        return -1;
    return m_Position > m_Size ? 1 : 0;
}

bool CQxMemFile::PutC(unsigned char c)
{
    if (m_pBuffer == nullptr)
        return false;
    if (m_Position >= kMaxStreamBytes)
        return false;
    if (m_Position + 1 > m_Edge && !Alloc(static_cast<DWORD>(m_Position) + 1))
        return false;
    if (m_Position > m_Size)
        std::memset(m_pBuffer + m_Size, 0, static_cast<size_t>(m_Position - m_Size));
    m_pBuffer[m_Position++] = c;
    if (m_Position > m_Size)
        m_Size = m_Position;
    return true;
}

int32_t CQxMemFile::GetC()
{
    if (Eof())
        return -1;
    return m_pBuffer[m_Position++];
}

bool CQxMemFile::Alloc(DWORD dwNewLen)
{
    if (static_cast<int64_t>(dwNewLen) <= m_Edge)
        return true;
    const int64_t newEdge = (static_cast<int64_t>(dwNewLen) & ~int64_t{0xFFF}) + 4096;
    if (newEdge > kMaxStreamBytes)
        return false;
    BYTE* p;
    if (m_pBuffer == nullptr) {
        p = static_cast<BYTE*>(std::malloc(static_cast<size_t>(newEdge)));
    } else if (m_bFreeOnClose) {
        p = static_cast<BYTE*>(std::realloc(m_pBuffer, static_cast<size_t>(newEdge)));
    } else {
        // Never reallocate (and so free) a caller's buffer: move the data to a
        // block of our own and leave the caller's untouched.
        p = static_cast<BYTE*>(std::malloc(static_cast<size_t>(newEdge)));
        if (p != nullptr && m_Size > 0)
            std::memcpy(p, m_pBuffer, static_cast<size_t>(m_Size));
    }
    if (p == nullptr)
        return false;
    m_pBuffer = p;
    m_Edge = static_cast<int32_t>(newEdge);
    m_bFreeOnClose = true;
    return true;
}

void CQxMemFile::Free()
{
    Close();
}
