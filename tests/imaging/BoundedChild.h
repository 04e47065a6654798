// Runs a piece of work in a forked child process under an address-space limit
// and reports how much resident memory it took at its peak, so that tests can
// check the memory a decoder reserves without the test process growing.
#pragma once

#include <cstdint>
#include <functional>

namespace qxtest {

struct ChildResult {
    bool exited = false;            // ended by returning, not by a signal
    int code = -1;                  // what the work returned
    uint64_t peakResidentGrowth = 0;  // bytes: peak resident size over the size at the start
};

// The child may grow its address space by at most `addressLimit` bytes: a larger
// reservation fails (and a sanitizer build aborts the child). Work returns 0 for
// success; the code comes back in the result.
ChildResult RunInBoundedChild(uint64_t addressLimit, const std::function<int()>& work);

}  // namespace qxtest
