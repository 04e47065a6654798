#include "platform/core/TextLines.h"

#include <cstdio>
#include <memory>

bool ReadTextFile(const char* path, std::string& out, size_t maxBytes)
{
    out.clear();
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path, "rb"), &std::fclose);
    if (!file)
        return false;
    char buffer[65536];
    while (out.size() < maxBytes) {
        const size_t n = std::fread(buffer, 1, sizeof buffer, file.get());
        if (n == 0)
            break;
        out.append(buffer, std::min(n, maxBytes - out.size()));
    }
    return std::ferror(file.get()) == 0;
}
