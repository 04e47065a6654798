// The memory this process holds resident, as the kernel counts it (/proc/self/statm).
#pragma once

#include <unistd.h>

#include <cstddef>
#include <cstdio>

namespace qx::testsupport {

inline size_t ResidentBytes()
{
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return static_cast<size_t>(resident) * static_cast<size_t>(sysconf(_SC_PAGESIZE));
}

}  // namespace qx::testsupport
