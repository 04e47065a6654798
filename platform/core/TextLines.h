// Small text helpers shared by the settings readers.
#pragma once

#include <string>
#include <string_view>

// Calls fn(line) for each line of text, without its line end; a leading UTF-8
// byte-order mark is skipped.
template <typename Fn>
void ForEachLine(std::string_view text, Fn&& fn)
{
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    while (!text.empty()) {
        const size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        fn(line);
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end + 1);
    }
}

inline std::string_view TrimBlanks(std::string_view s)
{
    const size_t first = s.find_first_not_of(" \t\r\n\v\f");
    if (first == std::string_view::npos)
        return {};
    const size_t last = s.find_last_not_of(" \t\r\n\v\f");
    return s.substr(first, last - first + 1);
}

// Reads at most maxBytes of a file; false when it cannot be opened.
bool ReadTextFile(const char* path, std::string& out, size_t maxBytes = 16u << 20);
