// Stops a fuzz target where an invariant of its reader does not hold, so the
// fuzzer keeps the input that broke it.
#pragma once

#include <cstdlib>

inline void FuzzCheck(bool condition)
{
    if (!condition)
        std::abort();
}
