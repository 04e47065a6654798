#include "views/BrowserAddress.h"

#include <cctype>
#include <string>

namespace {

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

// Lower case with %XX escapes decoded, repeatedly (an escaped escape stays suspect).
std::string Decoded(std::string text)
{
    for (int pass = 0; pass < 4; ++pass) {
        std::string out;
        bool changed = false;
        for (size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0) {
                out += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
                i += 2;
                changed = true;
            } else {
                out += text[i];
            }
        }
        text.swap(out);
        if (!changed)
            break;
    }
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    // A path with doubled or back slashes reaches the same page on many servers.
    std::string path;
    for (char c : text) {
        if (c == '\\')
            c = '/';
        if (c == '/' && !path.empty() && path.back() == '/')
            continue;
        path += c;
    }
    return path;
}

} // namespace

bool IsLogOutAddress(const char* url)
{
    const std::string text = Decoded(url ? url : "");
    return text.find("/cgi-bin/apps/logout") != std::string::npos || text.find("/apps/100/logout") != std::string::npos;
}
