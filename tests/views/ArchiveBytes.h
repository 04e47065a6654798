// Bytes of archive records written out by hand: the expected side of file format tests.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>

class CBytes {
public:
    CBytes& Dword(uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            m_bytes.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
        return *this;
    }
    CBytes& Int(int v) { return Dword(static_cast<uint32_t>(v)); }
    CBytes& Double(double v)
    {
        uint64_t bits = 0;
        std::memcpy(&bits, &v, sizeof bits);
        for (int i = 0; i < 8; ++i)
            m_bytes.push_back(static_cast<char>((bits >> (8 * i)) & 0xFF));
        return *this;
    }
    // A short string: one length byte and the characters.
    CBytes& Str(const std::string& s)
    {
        m_bytes.push_back(static_cast<char>(s.size()));
        m_bytes += s;
        return *this;
    }
    const std::string& str() const { return m_bytes; }

private:
    std::string m_bytes;
};
