#include "platform/core/LogRedaction.h"

#include <array>
#include <cctype>

namespace {

constexpr std::array<std::string_view, 8> kSecretKeys = {"password", "passwd", "pwd",         "token",
                                                         "k",        "key",    "sessionid",   "kelvtrading"};
constexpr std::array<std::string_view, 4> kSecretElements = {"sessionid", "token", "key", "password"};
constexpr std::array<std::string_view, 3> kSecretHeaders = {"cookie", "set-cookie", "authorization"};

char Lower(char c)
{
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

// text at 'at' starts with word (ignoring case).
bool StartsWithNoCase(std::string_view text, size_t at, std::string_view word)
{
    if (text.size() - at < word.size())
        return false;
    for (size_t i = 0; i < word.size(); ++i)
        if (Lower(text[at + i]) != word[i])
            return false;
    return true;
}

bool IsBoundary(char c)
{
    return c == '?' || c == '&' || c == '|' || c == ';' || c == ',' || c == ' ' || c == '\t' || c == '\r' ||
           c == '\n';
}

bool EndsValue(char c)
{
    return c == '&' || c == '|' || c == ';' || c == ',' || c == '"' || c == '\'' || c == '<' || c == '>' ||
           std::isspace(static_cast<unsigned char>(c));
}

bool IsNameChar(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-' || c == ':' || c == '.';
}

// A secret "NAME=" at 'at': the length of "NAME=", else 0.
size_t SecretKeyAt(std::string_view text, size_t at)
{
    for (std::string_view key : kSecretKeys)
        if (StartsWithNoCase(text, at, key) && at + key.size() < text.size() && text[at + key.size()] == '=')
            return key.size() + 1;
    return 0;
}

// A secret header "NAME:" at 'at': the length of "NAME:", else 0.
size_t SecretHeaderAt(std::string_view text, size_t at)
{
    for (std::string_view name : kSecretHeaders)
        if (StartsWithNoCase(text, at, name) && at + name.size() < text.size() && text[at + name.size()] == ':')
            return name.size() + 1;
    return 0;
}

// A start tag of a secret element at 'at' ("<Token>", "<Token attr=...>" or "<Token/>"):
// the length of the whole tag, else 0; *empty tells a tag that closes itself.
size_t SecretElementAt(std::string_view text, size_t at, bool* empty)
{
    *empty = false;
    if (text[at] != '<')
        return 0;
    size_t end = at + 1;
    while (end < text.size() && IsNameChar(text[end]))
        ++end;
    const std::string_view name = text.substr(at + 1, end - at - 1);
    bool secret = false;
    for (std::string_view element : kSecretElements)
        secret = secret || (name.size() == element.size() && StartsWithNoCase(text, at + 1, element));
    if (!secret || end >= text.size() || (text[end] != '>' && !std::isspace(static_cast<unsigned char>(text[end]))))
        return 0;
    const size_t close = text.find('>', end);
    if (close == std::string_view::npos)
        return text.size() - at;
    *empty = text[close - 1] == '/';
    return close + 1 - at;
}

} // namespace

std::string RedactSecrets(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        const bool boundary = i == 0 || IsBoundary(text[i - 1]);
        bool empty = false;
        if (const size_t tag = SecretElementAt(text, i, &empty)) {
            // The tag as it stands (nothing inside it is taken out, so that it reads the
            // same once redacted), then its content.
            out.append(text.substr(i, tag));
            i += tag;
            if (empty)
                continue;
            size_t end = text.find('<', i);
            if (end == std::string_view::npos)
                end = text.size();
            if (end > i)
                out += kRedacted;
            i = end;
            continue;
        }
        if (boundary) {
            if (const size_t header = SecretHeaderAt(text, i)) {
                out.append(text.substr(i, header));
                i += header;
                size_t end = i;
                while (end < text.size() && text[end] != '\r' && text[end] != '\n')
                    ++end;
                if (end > i)
                    out += std::string(" ") + kRedacted;
                i = end;
                continue;
            }
            if (const size_t key = SecretKeyAt(text, i)) {
                out.append(text.substr(i, key));
                i += key;
                if (i < text.size() && (text[i] == '"' || text[i] == '\'')) {
                    const char quote = text[i];
                    size_t end = text.find(quote, i + 1);
                    end = end == std::string_view::npos ? text.size() : end + 1;
                    out += quote;
                    out += kRedacted;
                    if (end <= text.size() && text[end - 1] == quote && end - 1 > i)
                        out += quote;
                    i = end;
                    continue;
                }
                size_t end = i;
                while (end < text.size() && !EndsValue(text[end]))
                    ++end;
                if (end > i)
                    out += kRedacted;
                i = end;
                continue;
            }
        }
        out += text[i];
        ++i;
    }
    return out;
}
