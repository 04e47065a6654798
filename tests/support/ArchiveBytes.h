// Archive round trips through memory for the tests of stored forms.
#pragma once

#include "platform/core/CArchive.h"
#include "platform/core/CMemFile.h"

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

// The bytes that write puts into a storing archive.
inline std::vector<BYTE> StoreToBytes(const std::function<void(CArchive&)>& write)
{
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        write(ar);
        ar.Close();
    }
    return file.Detach();
}

// Runs read on a loading archive over bytes; returns the number of bytes it left unread.
inline ULONGLONG LoadFromBytes(const std::vector<BYTE>& bytes, const std::function<void(CArchive&)>& read)
{
    CMemFile file(bytes.data(), bytes.size());
    CArchive ar(&file, CArchive::load);
    read(ar);
    return ar.GetRemaining();
}

// The same bytes as a string, to compare with records written out by hand.
inline std::string StoreToString(const std::function<void(CArchive&)>& write)
{
    const std::vector<BYTE> bytes = StoreToBytes(write);
    return std::string(bytes.begin(), bytes.end());
}

// Runs read on a loading archive over the string's bytes.
inline void LoadFromString(const std::string& bytes, const std::function<void(CArchive&)>& read)
{
    CMemFile file(reinterpret_cast<const BYTE*>(bytes.data()), bytes.size());
    CArchive ar(&file, CArchive::load);
    read(ar);
}

// Little-endian byte builder for hand-made archives.
class ByteWriter {
public:
    ByteWriter& Dword(DWORD v)
    {
        for (int i = 0; i < 4; ++i)
            m_bytes.push_back(static_cast<BYTE>(v >> (8 * i)));
        return *this;
    }
    ByteWriter& Double(double v)
    {
        uint64_t bits = 0;
        static_assert(sizeof bits == sizeof v);
        std::memcpy(&bits, &v, sizeof v);
        for (int i = 0; i < 8; ++i)
            m_bytes.push_back(static_cast<BYTE>(bits >> (8 * i)));
        return *this;
    }
    // A short string (below 255 characters): length byte and characters.
    ByteWriter& Text(const char* s)
    {
        const size_t n = std::strlen(s);
        m_bytes.push_back(static_cast<BYTE>(n));
        m_bytes.insert(m_bytes.end(), s, s + n);
        return *this;
    }
    ByteWriter& Byte(BYTE b)
    {
        m_bytes.push_back(b);
        return *this;
    }
    const std::vector<BYTE>& Bytes() const { return m_bytes; }

private:
    std::vector<BYTE> m_bytes;
};
