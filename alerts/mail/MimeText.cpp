#include "alerts/mail/MimeText.h"

#include "alerts/mail/CBase64.h"

#include <cstring>

namespace {

bool IsPrintable(unsigned char c)
{
    return (c >= 32 && c < 127) || c == '\t' || c == '\r' || c == '\n';
}

bool IsBreak(char c)
{
    return std::strchr(" -;.,?!", c) != nullptr && c != '\0';
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// The text up to its first NUL byte.
std::string UpToNul(const std::string& text)
{
    const size_t nul = text.find('\0');
    return nul == std::string::npos ? text : text.substr(0, nul);
}

// Calls f(line, ended) for every line of CR LF text; ended tells whether a CR LF follows.
template <class F>
void ForEachLine(const std::string& text, F&& f)
{
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find("\r\n", start);
        if (end == std::string::npos) {
            f(text.substr(start), false);
            return;
        }
        f(text.substr(start, end - start), true);
        start = end + 2;
    }
}

const char kHex[] = "0123456789ABCDEF";

std::string Escape(unsigned char c)
{
    return std::string{'=', kHex[c >> 4], kHex[c & 15]};
}

bool IsUtf8(const std::string& text, bool& anyHigh)
{
    anyHigh = false;
    for (size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        anyHigh = true;
        size_t extra = 0;
        if ((c & 0xE0) == 0xC0 && c >= 0xC2)
            extra = 1;
        else if ((c & 0xF0) == 0xE0)
            extra = 2;
        else if ((c & 0xF8) == 0xF0 && c <= 0xF4)
            extra = 3;
        else
            return false;
        if (i + extra >= text.size())
            return false;
        for (size_t k = 1; k <= extra; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
                return false;
        i += extra + 1;
    }
    return true;
}

// Where a UTF-8 character starts: not on a continuation byte.
bool StartsCharacter(const std::string& text, size_t at, bool utf8)
{
    return !utf8 || at >= text.size() || (static_cast<unsigned char>(text[at]) & 0xC0) != 0x80;
}

// Every CR or LF that is not part of a fold (CR LF followed by a blank or TAB) becomes a
// blank, so that no value can start a header line of its own.
std::string KeepFoldsOnly(const std::string& value)
{
    std::string out;
    out.reserve(value.size());
    for (size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (c == '\r' && i + 2 < value.size() && value[i + 1] == '\n' && IsBlank(value[i + 2])) {
            out += "\r\n";
            ++i;
        } else if (c == '\r' && i + 1 < value.size() && value[i + 1] == '\n') {
            out += ' ';
            ++i;
        } else if (c == '\r' || c == '\n') {
            out += ' ';
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace

std::string NormalizeLineEnds(const std::string& text)
{
    std::string out;
    out.reserve(text.size() + text.size() / 32);
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r') {
            out += "\r\n";
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else if (c == '\n') {
            out += "\r\n";
        } else {
            out += c;
        }
    }
    return out;
}

int ClassifyContent(const std::string& data)
{
    if (data.empty())
        return kMime7Bit;
    size_t printable = 0;
    for (unsigned char c : data)
        if (IsPrintable(c))
            ++printable;
    if (printable * 100 / data.size() < 90)
        return kMimeBase64;
    bool longLine = false;
    ForEachLine(NormalizeLineEnds(data), [&](const std::string& line, bool) {
        if (line.size() > kMimeLineWidth)
            longLine = true;
    });
    if (longLine)
        return kMimeQuotedPrintable;
    if (printable != data.size())
        return kMime8Bit;
    return kMime7Bit;
}

std::string EncodeQuotedPrintable(const std::string& text)
{
    std::string out;
    ForEachLine(NormalizeLineEnds(text), [&](const std::string& raw, bool ended) {
        std::string line;
        for (unsigned char c : raw) {
            if (c == '=' || c >= 127 || (c < 32 && c != '\t'))
                line += Escape(c);
            else
                line += static_cast<char>(c);
        }
        for (;;) {
            while (line.size() > kMimeLineWidth) {
                size_t cut = 75;
                if (line[74] == '=')
                    cut = 74;
                else if (line[73] == '=')
                    cut = 73;
                out += line.substr(0, cut) + "=\r\n";
                line.erase(0, cut);
            }
            if (!line.empty() && IsBlank(line.back())) {
                const char blank = line.back();
                line.pop_back();
                line += Escape(static_cast<unsigned char>(blank));
                continue;  // measured again
            }
            break;
        }
        out += line;
        if (ended)
            out += "\r\n";
    });
    return out;
}

std::string WrapLines(const std::string& text, size_t width)
{
    std::string out;
    if (width == 0)
        return NormalizeLineEnds(text);
    out.reserve(text.size() + text.size() / 60 * 2);
    ForEachLine(NormalizeLineEnds(text), [&](const std::string& whole, bool ended) {
        std::string line = whole;
        while (line.size() > width) {
            size_t cut = width;
            if (!IsBreak(line[width - 1])) {
                // The last break character that fits; a piece is never cut down to nothing
                // or to its first character alone: without one the cut falls at the width.
                for (size_t i = width - 1; i-- > 1;) {
                    if (IsBreak(line[i])) {
                        cut = i + 1;
                        break;
                    }
                }
            }
            out += line.substr(0, cut) + "\r\n";
            line.erase(0, cut);
        }
        out += line;
        if (ended)
            out += "\r\n";
    });
    return out;
}

std::string DotStuff(const std::string& text)
{
    std::string out;
    out.reserve(text.size() + 8);
    bool lineStart = true;
    for (size_t i = 0; i < text.size(); ++i) {
        if (lineStart && text[i] == '.')
            out += '.';
        out += text[i];
        lineStart = text[i] == '\n' && i > 0 && text[i - 1] == '\r';
    }
    return out;
}

std::string EncodeContent(const std::string& data, int encoding, std::string& name)
{
    if (encoding == kMimeAuto)
        encoding = ClassifyContent(data);
    std::string out;
    switch (encoding) {
    case kMime7Bit: {
        std::string text = UpToNul(data);
        for (char& c : text)
            if (static_cast<unsigned char>(c) >= 127)
                c = '?';
        out = WrapLines(text, kMimeLineWidth);
        name = "7bit";
        break;
    }
    case kMime8Bit:
        out = WrapLines(UpToNul(data), kMimeLineWidth);
        name = "8bit";
        break;
    case kMimeQuotedPrintable:
        out = EncodeQuotedPrintable(UpToNul(data));
        name = "quoted-printable";
        break;
    case kMimeBase64:
        out = WrapLines(EncodeBase64(data), kMimeLineWidth);
        name = "base64";
        break;
    default:
        name.clear();
        return std::string();
    }
    return DotStuff(out);
}

const char* TextCharset(const std::string& text)
{
    bool anyHigh = false;
    return IsUtf8(text, anyHigh) && anyHigh ? "utf-8" : "iso-8859-1";
}

namespace {

// Encoded words (RFC 2047, "B"), each within 66 characters, so that even a first line
// "Subject: word" keeps to 76; separated by CR LF blank.
std::string EncodeWords(const std::string& flat)
{
    const std::string charset = TextCharset(flat);
    const bool utf8 = charset == "utf-8";
    const std::string prefix = "=?" + charset + "?B?";
    const size_t room = (66 - prefix.size() - 2) / 4 * 3;
    std::string out;
    for (size_t at = 0; at < flat.size();) {
        size_t take = std::min(room, flat.size() - at);
        while (take > 1 && !StartsCharacter(flat, at + take, utf8))
            --take;
        if (!out.empty())
            out += "\r\n ";
        out += prefix + EncodeBase64(flat.substr(at, take)) + "?=";
        at += take;
    }
    return out;
}

// Whether a word of the text is too long to fold.
bool HasLongWord(const std::string& text)
{
    size_t word = 0;
    for (char c : text) {
        word = c == ' ' ? 0 : word + 1;
        if (word > kHeaderLineWidth - 20)
            return true;
    }
    return false;
}

} // namespace

std::string EncodeHeaderText(const std::string& text)
{
    std::string flat;
    flat.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            continue;  // CR LF becomes one blank
        flat += text[i] == '\r' || text[i] == '\n' ? ' ' : text[i];
    }
    bool plain = !HasLongWord(flat);
    for (unsigned char c : flat)
        if (c < 32 || c > 126)
            plain = false;
    // "=?" inside plain text could be taken for an encoded word.
    if (plain && flat.find("=?") == std::string::npos)
        return flat;
    return EncodeWords(flat);
}

bool IsDisplayName(const std::string& name)
{
    return name.find_first_of(std::string("\r\n\0", 3)) == std::string::npos;
}

std::string EncodeDisplayName(const std::string& name)
{
    // A quoted string keeps commas, parentheses, brackets and "@" inside the name.
    bool plain = !HasLongWord(name);
    for (unsigned char c : name)
        if ((c < 32 && c != '\t') || c > 126)
            plain = false;
    if (!plain)
        return EncodeWords(name);
    std::string quoted = "\"";
    for (char c : name) {
        if (c == '"' || c == '\\')
            quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

std::string FoldHeaderLine(const std::string& name, const std::string& value)
{
    const std::string whole = name + ": " + KeepFoldsOnly(value);
    std::string out;
    bool tooLong = false;
    ForEachLine(whole, [&](const std::string& physical, bool ended) {
        std::string line = physical;
        // A fold never falls inside "Name:".
        size_t floor = out.empty() ? name.size() + 1 : 1;
        while (line.size() > kHeaderLineWidth) {
            size_t at = std::string::npos;
            for (size_t i = kHeaderLineWidth; i > floor; --i)
                if (IsBlank(line[i])) {
                    at = i;
                    break;
                }
            if (at == std::string::npos)
                for (size_t i = kHeaderLineWidth + 1; i < line.size(); ++i)
                    if (IsBlank(line[i])) {
                        at = i;
                        break;
                    }
            if (at == std::string::npos)
                break;
            if (at > kMaxLineLength)
                tooLong = true;
            out += line.substr(0, at) + "\r\n";
            line.erase(0, at);  // the blank opens the next line
            floor = 1;
        }
        if (line.size() > kMaxLineLength)
            tooLong = true;
        out += line;
        if (ended)
            out += "\r\n";
    });
    if (tooLong)
        return std::string();
    return out + "\r\n";
}

bool IsHeaderName(const std::string& name)
{
    if (name.empty())
        return false;
    for (unsigned char c : name)
        if (c <= 32 || c >= 127 || c == ':')
            return false;
    return true;
}

bool IsMailAddress(const std::string& address)
{
    if (address.empty() || address.size() > 254)
        return false;
    const size_t at = address.rfind('@');
    if (at == std::string::npos || at == 0 || at + 1 == address.size())
        return false;
    for (unsigned char c : address)
        if (c <= 32 || c >= 127 || std::strchr("\"<>(),;:\\[]", c))
            return false;
    return true;
}
