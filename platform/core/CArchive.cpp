#include "platform/core/CArchive.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <type_traits>

CArchive::CArchive(CFile* file, UINT mode, int bufferSize, void*)
    : m_file(file),
      m_loading((mode & load) != 0),
      m_flushOnDelete((mode & bNoFlushOnDelete) == 0),
      m_bufferSize(static_cast<size_t>(std::max(bufferSize, 128)))
{
    ASSERT(file != nullptr);
    if (m_loading) {
        m_buffer.resize(m_bufferSize);
        m_filePos = m_file->GetPosition();
        m_fileEnd = std::max(m_file->GetLength(), m_filePos);
    } else {
        m_buffer.reserve(m_bufferSize);
    }
}

CArchive::~CArchive()
{
    if (m_closed)
        return;
    if (!m_loading && m_flushOnDelete) {
        try {
            Flush();
        } catch (const CException&) {
            // Destructors cannot report; callers that care call Close.
        }
    }
}

void CArchive::Fail(int cause) const
{
    throw CArchiveException(cause, m_file ? m_file->GetFilePath().GetString() : nullptr);
}

void CArchive::FillBuffer()
{
    // Keep the unread tail, then read as much as fits behind it.
    const size_t left = m_end - m_cur;
    if (left && m_cur)
        std::memmove(m_buffer.data(), m_buffer.data() + m_cur, left);
    m_cur = 0;
    m_end = left;
    const UINT got = m_file->Read(m_buffer.data() + m_end, static_cast<UINT>(m_buffer.size() - m_end));
    m_end += got;
    m_filePos += got;
}

UINT CArchive::Read(void* buffer, UINT count)
{
    if (!m_loading)
        Fail(CArchiveException::writeOnly);
    auto* out = static_cast<BYTE*>(buffer);
    UINT done = 0;
    while (done < count) {
        if (m_cur == m_end) {
            const UINT want = count - done;
            if (want >= m_buffer.size()) {
                // Large reads go straight to the caller's buffer.
                const UINT got = m_file->Read(out + done, want);
                m_filePos += got;
                done += got;
                break;
            }
            FillBuffer();
            if (m_cur == m_end)
                break;
        }
        const size_t n = std::min<size_t>(count - done, m_end - m_cur);
        std::memcpy(out + done, m_buffer.data() + m_cur, n);
        m_cur += n;
        done += static_cast<UINT>(n);
    }
    return done;
}

void CArchive::ReadExact(void* buffer, UINT count)
{
    if (Read(buffer, count) != count)
        Fail(CArchiveException::endOfFile);
}

void CArchive::StoreBytes(const void* data, size_t count)
{
    const auto* in = static_cast<const BYTE*>(data);
    if (m_buffer.size() + count > m_bufferSize) {
        Flush();
        if (count >= m_bufferSize) {
            m_file->Write(in, static_cast<UINT>(count));
            return;
        }
    }
    m_buffer.insert(m_buffer.end(), in, in + count);
}

void CArchive::Write(const void* buffer, UINT count)
{
    if (m_loading)
        Fail(CArchiveException::readOnly);
    StoreBytes(buffer, count);
}

ULONGLONG CArchive::GetRemaining() const
{
    if (!m_loading)
        return 0;
    const ULONGLONG rest = m_fileEnd > m_filePos ? m_fileEnd - m_filePos : 0;
    return rest + (m_end - m_cur);
}

DWORD CArchive::ReadBoundedCount(UINT minBytesPerItem)
{
    DWORD count = 0;
    *this >> count;
    if (static_cast<ULONGLONG>(count) * std::max<UINT>(minBytesPerItem, 1) > GetRemaining())
        Fail(CArchiveException::badIndex);
    return count;
}

void CArchive::Flush()
{
    if (m_loading || m_buffer.empty())
        return;
    // Clear first so that a failed write is not retried from the destructor.
    std::vector<BYTE> pending;
    pending.reserve(m_bufferSize);
    pending.swap(m_buffer);
    m_file->Write(pending.data(), static_cast<UINT>(pending.size()));
}

void CArchive::Close()
{
    if (m_closed)
        return;
    Flush();
    m_closed = true;
}

void CArchive::Abort()
{
    m_buffer.clear();
    m_closed = true;
}

template <typename T>
T CArchive::LoadLittleEndian()
{
    using U = std::make_unsigned_t<T>;
    BYTE bytes[sizeof(T)];
    if (m_end - m_cur >= sizeof(T)) {
        std::memcpy(bytes, m_buffer.data() + m_cur, sizeof(T));
        m_cur += sizeof(T);
    } else {
        ReadExact(bytes, sizeof(T));
    }
    U v = 0;
    for (size_t i = sizeof(T); i-- > 0;)
        v = static_cast<U>((v << 8) | bytes[i]);
    return static_cast<T>(v);
}

template <typename T>
void CArchive::StoreLittleEndian(T value)
{
    if (m_loading)
        Fail(CArchiveException::readOnly);
    using U = std::make_unsigned_t<T>;
    U v = static_cast<U>(value);
    BYTE bytes[sizeof(T)];
    for (size_t i = 0; i < sizeof(T); ++i) {
        bytes[i] = static_cast<BYTE>(v & 0xFF);
        v = static_cast<U>(v >> 8);
    }
    StoreBytes(bytes, sizeof(T));
}

CArchive& CArchive::operator<<(BYTE v)
{
    StoreLittleEndian(v);
    return *this;
}

CArchive& CArchive::operator<<(WORD v)
{
    StoreLittleEndian(v);
    return *this;
}

CArchive& CArchive::operator<<(DWORD v)
{
    StoreLittleEndian(v);
    return *this;
}

CArchive& CArchive::operator<<(uint64_t v)
{
    StoreLittleEndian(v);
    return *this;
}

CArchive& CArchive::operator<<(float v)
{
    StoreLittleEndian(std::bit_cast<uint32_t>(v));
    return *this;
}

CArchive& CArchive::operator<<(double v)
{
    StoreLittleEndian(std::bit_cast<uint64_t>(v));
    return *this;
}

CArchive& CArchive::operator<<(const CString& s)
{
    if (m_loading)
        Fail(CArchiveException::readOnly);
    const size_t length = static_cast<size_t>(s.GetLength());
    if (length < 0xFF) {
        *this << static_cast<BYTE>(length);
    } else if (length < 0xFFFE) {
        *this << static_cast<BYTE>(0xFF) << static_cast<WORD>(length);
    } else if (length <= kMaxStringLength) {
        *this << static_cast<BYTE>(0xFF) << static_cast<WORD>(0xFFFF) << static_cast<DWORD>(length);
    } else {
        Fail(CArchiveException::badIndex);
    }
    StoreBytes(s.GetString(), length);
    return *this;
}

CArchive& CArchive::operator>>(BYTE& v)
{
    if (!m_loading)
        Fail(CArchiveException::writeOnly);
    v = LoadLittleEndian<BYTE>();
    return *this;
}

CArchive& CArchive::operator>>(char& v)
{
    BYTE b = 0;
    *this >> b;
    v = static_cast<char>(b);
    return *this;
}

CArchive& CArchive::operator>>(signed char& v)
{
    BYTE b = 0;
    *this >> b;
    v = static_cast<signed char>(b);
    return *this;
}

CArchive& CArchive::operator>>(bool& v)
{
    BYTE b = 0;
    *this >> b;
    v = b != 0;
    return *this;
}

CArchive& CArchive::operator>>(WORD& v)
{
    if (!m_loading)
        Fail(CArchiveException::writeOnly);
    v = LoadLittleEndian<WORD>();
    return *this;
}

CArchive& CArchive::operator>>(short& v)
{
    WORD w = 0;
    *this >> w;
    v = static_cast<short>(w);
    return *this;
}

CArchive& CArchive::operator>>(DWORD& v)
{
    if (!m_loading)
        Fail(CArchiveException::writeOnly);
    v = LoadLittleEndian<DWORD>();
    return *this;
}

CArchive& CArchive::operator>>(int& v)
{
    DWORD d = 0;
    *this >> d;
    v = static_cast<int>(d);
    return *this;
}

CArchive& CArchive::operator>>(uint64_t& v)
{
    if (!m_loading)
        Fail(CArchiveException::writeOnly);
    v = LoadLittleEndian<uint64_t>();
    return *this;
}

CArchive& CArchive::operator>>(int64_t& v)
{
    uint64_t u = 0;
    *this >> u;
    v = static_cast<int64_t>(u);
    return *this;
}

CArchive& CArchive::operator>>(float& v)
{
    DWORD d = 0;
    *this >> d;
    v = std::bit_cast<float>(d);
    return *this;
}

CArchive& CArchive::operator>>(double& v)
{
    uint64_t u = 0;
    *this >> u;
    v = std::bit_cast<double>(u);
    return *this;
}

CArchive& CArchive::operator>>(CString& s)
{
    BYTE b = 0;
    *this >> b;
    ULONGLONG length = b;
    if (b == 0xFF) {
        WORD w = 0;
        *this >> w;
        length = w;
        if (w == 0xFFFE)
            Fail(CArchiveException::badSchema);  // wide-character strings are not used
        if (w == 0xFFFF) {
            DWORD d = 0;
            *this >> d;
            if (d == 0xFFFFFFFFu)
                Fail(CArchiveException::badSchema);  // no 64-bit lengths
            length = d;
        }
    }
    if (length > static_cast<ULONGLONG>(INT32_MAX))
        Fail(CArchiveException::badIndex);
    if (length > GetRemaining())
        Fail(CArchiveException::endOfFile);
    CString text;
    char* buffer = text.GetBufferSetLength(static_cast<int>(length));
    ReadExact(buffer, static_cast<UINT>(length));
    s = std::move(text);
    return *this;
}
