#include "platform/core/CMemFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

CMemFile::CMemFile(UINT growBytes) : m_growBytes(growBytes) {}

CMemFile::CMemFile(const BYTE* data, size_t size, UINT growBytes) : m_growBytes(growBytes)
{
    Attach(data, size);
}

BOOL CMemFile::Open(const char* path, UINT, CFileException* error)
{
    if (error)
        *error = CFileException(CFileException::invalidFile, EINVAL, path);
    return FALSE;
}

UINT CMemFile::Read(void* buffer, UINT count)
{
    if (m_position >= m_data.size() || count == 0)
        return 0;
    const size_t n = std::min<size_t>(count, m_data.size() - m_position);
    std::memcpy(buffer, m_data.data() + m_position, n);
    m_position += n;
    return static_cast<UINT>(n);
}

void CMemFile::Write(const void* buffer, UINT count)
{
    if (count == 0)
        return;
    const size_t end = m_position + count;
    if (end > m_data.size()) {
        Reserve(end);
        m_data.resize(end);
    }
    std::memcpy(m_data.data() + m_position, buffer, count);
    m_position = end;
}

ULONGLONG CMemFile::Seek(LONGLONG offset, UINT from)
{
    LONGLONG base = 0;
    if (from == current)
        base = static_cast<LONGLONG>(m_position);
    else if (from == end)
        base = static_cast<LONGLONG>(m_data.size());
    const LONGLONG target = base + offset;
    if (target < 0)
        throw CFileException(CFileException::badSeek, EINVAL);
    m_position = static_cast<size_t>(target);
    return static_cast<ULONGLONG>(target);
}

void CMemFile::SetLength(ULONGLONG length)
{
    Reserve(static_cast<size_t>(length));
    m_data.resize(static_cast<size_t>(length));
    m_position = std::min(m_position, m_data.size());
}

void CMemFile::Close()
{
    m_data.clear();
    m_data.shrink_to_fit();
    m_position = 0;
}

std::vector<BYTE> CMemFile::Detach()
{
    std::vector<BYTE> out;
    out.swap(m_data);
    m_position = 0;
    return out;
}

void CMemFile::Attach(const BYTE* data, size_t size)
{
    m_data.assign(data, data + (data ? size : 0));
    m_position = 0;
}

void CMemFile::Reserve(size_t size)
{
    if (size <= m_data.capacity())
        return;
    const size_t step = std::max<size_t>(m_growBytes, 1);
    const size_t rounded = (size + step - 1) / step * step;
    // Grow at least geometrically so that many small writes stay linear.
    m_data.reserve(std::max(rounded, m_data.capacity() + m_data.capacity() / 2));
}
