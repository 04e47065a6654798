// A second, deliberately plain implementation of every built-in study: one record at a
// time, walking the records as the definitions read, with no sliding sums. The tests
// compare the library's computations against it.
#pragma once

#include "analytics/studies/CBarRecord.h"
#include "analytics/studies/CEquityRecord.h"

#include <optional>
#include <vector>

namespace reference {

struct Series {
    std::vector<CBarRecord> recs;
    const CEquityRecordArray* equity = nullptr;
    std::vector<DWORD> endFeed;
};

// Value of output o of study type at record r, or nothing.
std::optional<double> Compute(int type, const double p[4], int o, const Series& s, int r);

} // namespace reference
