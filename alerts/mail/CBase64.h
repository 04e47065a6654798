// Base64 of RFC 4648 (standard alphabet, "=" padding) for the mailer: encoding gives one
// unbroken line; decoding skips white space and refuses anything else outside the
// alphabet, and padding anywhere but at the end.
#pragma once

#include <cstddef>
#include <string>

class CBase64 {
public:
    // Encodes the bytes; a null pointer encodes nothing.
    void Encode(const void* data, size_t length);
    void Encode(const char* text);
    // False (and nothing decoded) for text that is not Base64. A final group without its
    // padding is taken as if padded; a group of one character is refused.
    bool Decode(const char* text, size_t length);
    bool Decode(const char* text);

    const std::string& GetEncoded() const { return m_text; }
    // The decoded bytes (they may hold NULs).
    const std::string& GetDecoded() const { return m_bytes; }

private:
    std::string m_text;
    std::string m_bytes;
};

// The same as free functions.
std::string EncodeBase64(const std::string& bytes);
// False for text that is not Base64.
bool DecodeBase64(const std::string& text, std::string& bytes);
