#include "alerts/mail/CBase64.h"

#include <array>
#include <cstring>

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr unsigned char kPad = 64;
constexpr unsigned char kSpace = 65;
constexpr unsigned char kForeign = 66;

// 0..63 the alphabet, 64 "=", 65 white space (bytes 7 to 13 and blank), 66 anything else.
constexpr std::array<unsigned char, 256> MakeTable()
{
    std::array<unsigned char, 256> table{};
    for (auto& entry : table)
        entry = kForeign;
    for (unsigned char i = 0; i < 64; ++i)
        table[static_cast<unsigned char>(kAlphabet[i])] = i;
    table['='] = kPad;
    for (int c = 7; c <= 13; ++c)
        table[static_cast<size_t>(c)] = kSpace;
    table[' '] = kSpace;
    return table;
}
constexpr std::array<unsigned char, 256> kTable = MakeTable();

} // namespace

void CBase64::Encode(const void* data, size_t length)
{
    m_text.clear();
    if (!data)
        return;
    const auto* bytes = static_cast<const unsigned char*>(data);
    m_text.reserve((length + 2) / 3 * 4);
    size_t i = 0;
    for (; i + 3 <= length; i += 3) {
        const unsigned value = (bytes[i] << 16) | (bytes[i + 1] << 8) | bytes[i + 2];
        m_text += kAlphabet[(value >> 18) & 63];
        m_text += kAlphabet[(value >> 12) & 63];
        m_text += kAlphabet[(value >> 6) & 63];
        m_text += kAlphabet[value & 63];
    }
    const size_t left = length - i;
    if (left == 0)
        return;
    const unsigned value = (bytes[i] << 16) | (left == 2 ? bytes[i + 1] << 8 : 0);
    m_text += kAlphabet[(value >> 18) & 63];
    m_text += kAlphabet[(value >> 12) & 63];
    m_text += left == 2 ? kAlphabet[(value >> 6) & 63] : '=';
    m_text += '=';
}

void CBase64::Encode(const char* text)
{
    if (text)
        Encode(text, std::strlen(text));
    else
        m_text.clear();
}

bool CBase64::Decode(const char* text, size_t length)
{
    m_bytes.clear();
    if (!text)
        return false;
    std::string out;
    out.reserve(length / 4 * 3 + 3);
    unsigned char group[4];
    int count = 0;
    int padding = 0;
    for (size_t i = 0; i < length; ++i) {
        const unsigned char value = kTable[static_cast<unsigned char>(text[i])];
        if (value == kSpace)
            continue;
        if (value == kForeign)
            return false;
        if (value == kPad) {
            // Padding fills the third and fourth place of the last group only.
            if (count < 2)
                return false;
            ++padding;
            group[count++] = 0;
        } else {
            if (padding > 0)
                return false;  // data after padding
            group[count++] = value;
        }
        if (count == 4) {
            out += static_cast<char>((group[0] << 2) | (group[1] >> 4));
            if (padding < 2)
                out += static_cast<char>(((group[1] & 15) << 4) | (group[2] >> 2));
            if (padding < 1)
                out += static_cast<char>(((group[2] & 3) << 6) | group[3]);
            count = 0;
            if (padding > 0)
                padding = -1;  // marks the end: nothing may follow
        }
        if (padding < 0 && count == 0) {
            // Only white space may follow a padded group.
            for (size_t j = i + 1; j < length; ++j)
                if (kTable[static_cast<unsigned char>(text[j])] != kSpace)
                    return false;
            break;
        }
    }
    if (padding > 0)
        return false;  // a padded group left unfinished
    if (count == 1)
        return false;
    if (count >= 2)
        out += static_cast<char>((group[0] << 2) | (group[1] >> 4));
    if (count == 3)
        out += static_cast<char>(((group[1] & 15) << 4) | (group[2] >> 2));
    m_bytes = std::move(out);
    return true;
}

bool CBase64::Decode(const char* text)
{
    return text ? Decode(text, std::strlen(text)) : (m_bytes.clear(), false);
}

std::string EncodeBase64(const std::string& bytes)
{
    CBase64 coder;
    coder.Encode(bytes.data(), bytes.size());
    return coder.GetEncoded();
}

bool DecodeBase64(const std::string& text, std::string& bytes)
{
    CBase64 coder;
    if (!coder.Decode(text.data(), text.size()))
        return false;
    bytes = coder.GetDecoded();
    return true;
}
